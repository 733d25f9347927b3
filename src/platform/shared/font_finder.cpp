#include "platform/shared/font_finder.h"

#include <fontconfig/fontconfig.h>

#include <memory>
#include <string_view>

#include "core/texts.h"

namespace velmor::platform {

namespace {

// Characters every text of the game uses: kana of both kinds, full-width
// digits and signs of the panels, the marks of the message window and the
// choices, and kanji of the fixed texts.
constexpr std::u32string_view kNeeded = U"あいうをんアイウヲン０９ＷＡＶＥ【】≫～々本当終了名前確認情報設定";

struct CharSetDeleter {
  void operator()(FcCharSet* s) const { FcCharSetDestroy(s); }
};
struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};

bool HasAllNeeded(const FcCharSet* set) {
  if (set == nullptr) return false;
  for (char32_t c : kNeeded)
    if (!FcCharSetHasChar(set, static_cast<FcChar32>(c))) return false;
  return true;
}

// The file of the first face fontconfig ranks for `family` (Japanese) that
// has every character needed.
std::optional<std::string> BestFace(const char* family) {
  std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
      FcFontSort(nullptr, pattern.get(), FcFalse, nullptr, &result));
  if (!fonts) return std::nullopt;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* font = fonts->fonts[i];
    FcCharSet* set = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetCharSet(font, FC_CHARSET, 0, &set) != FcResultMatch ||
        FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch || !HasAllNeeded(set))
      continue;
    return std::string(reinterpret_cast<const char*>(file));
  }
  return std::nullopt;
}

// Whether the face in `file` has every character needed; *why when not.
bool FileHasAllNeeded(const std::string& file, std::string* why) {
  int count = 0;
  std::unique_ptr<FcPattern, PatternDeleter> face(
      FcFreeTypeQuery(reinterpret_cast<const FcChar8*>(file.c_str()), 0, nullptr, &count));
  if (!face) {
    *why = Fill(Tr("cannot read a font face from %s"), {file});
    return false;
  }
  FcCharSet* set = nullptr;
  if (FcPatternGetCharSet(face.get(), FC_CHARSET, 0, &set) != FcResultMatch || !HasAllNeeded(set)) {
    *why = Fill(Tr("%s lacks the Japanese characters the game's texts need"), {file});
    return false;
  }
  return true;
}

std::optional<FontFaces> Find(const std::string& given, std::string* error) {
  if (!FcInit()) {
    if (error) *error = Tr("cannot start fontconfig to find a Japanese font");
    return std::nullopt;
  }
  std::string why;
  if (!given.empty()) {
    if (!FileHasAllNeeded(given, &why)) {
      if (error) *error = Fill(Tr("%s (--font names a TrueType or OpenType Japanese face)"), {why});
      return std::nullopt;
    }
    return FontFaces{given, given};
  }
  std::optional<std::string> gothic = BestFace("IPAGothic");
  if (!gothic) {
    if (error)
      *error = Tr(
          "no Japanese font with the characters the game needs: install one (on Debian, "
          "fonts-ipafont-gothic) or name one with --font FILE");
    return std::nullopt;
  }
  std::optional<std::string> pgothic = BestFace("IPAPGothic");
  return FontFaces{*gothic, pgothic ? *pgothic : *gothic};
}

}  // namespace

std::optional<FontFaces> FindFontFaces(const std::string& given, std::string* error) {
  std::optional<FontFaces> faces = Find(given, error);
  // Nothing else asks fontconfig anything: its configuration and caches
  // (a megabyte or more) are let go.
  FcFini();
  return faces;
}

}  // namespace velmor::platform
