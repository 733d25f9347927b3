#include "platform/shared/ttf_font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>

#include "core/sjis.h"
#include "core/texts.h"

namespace velmor::platform {

namespace {
// Heights beyond this are not text sizes a scenario can mean.
constexpr int32_t kMaxCharHeight = 255;
}  // namespace

TtfFont::TtfFont(std::string file, std::size_t glyph_budget)
    : file_(std::move(file)), glyph_budget_(glyph_budget) {
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    error_ = Fill(Tr("cannot start the font renderer: %s"), {TTF_GetError()});
    return;
  }
  // Open once to learn whether the face is there at all.
  ok_ = HeightOf(16).face != nullptr;
}

TtfFont::~TtfFont() {
  for (auto& [char_height, height] : heights_)
    if (height.face) TTF_CloseFont(static_cast<TTF_Font*>(height.face));
}

TtfFont::Height& TtfFont::HeightOf(int32_t char_height) {
  ++draws_;
  // Text comes in runs of one height.
  if (last_ != nullptr && last_height_ == char_height) {
    last_->used = draws_;
    return *last_;
  }
  auto it = heights_.find(char_height);
  if (it == heights_.end()) {
    if (heights_.size() >= kMostHeights) {
      auto least = std::min_element(heights_.begin(), heights_.end(), [](const auto& a, const auto& b) {
        return a.second.used < b.second.used;
      });
      DropGlyphs(least->second);
      if (least->second.face) TTF_CloseFont(static_cast<TTF_Font*>(least->second.face));
      if (&least->second == last_) last_ = nullptr;
      heights_.erase(least);
    }
    it = heights_.emplace(char_height, Height{}).first;
    it->second.face = OpenFace(char_height);
  }
  it->second.used = draws_;
  last_height_ = char_height;
  last_ = &it->second;
  return it->second;
}

void* TtfFont::OpenFace(int32_t char_height) {
  // IPAGothic's em square is its character height: a point size at 72 dpi is
  // one pixel per point.
  TTF_Font* face = TTF_OpenFont(file_.c_str(), char_height);
  if (face) {
    TTF_SetFontStyle(face, TTF_STYLE_BOLD);
    TTF_SetFontHinting(face, TTF_HINTING_MONO);
  } else if (error_.empty()) {
    error_ = Fill(Tr("cannot open the font \"%s\": %s"), {file_, TTF_GetError()});
  }
  return face;
}

const TtfFont::Glyph& TtfFont::GlyphOf(uint32_t code, Height& height) {
  auto it = height.glyphs.find(code);
  if (it != height.glyphs.end()) return it->second;
  Glyph g;
  if (auto* face = static_cast<TTF_Font*>(height.face)) {
    SDL_Color white{255, 255, 255, 255};
    if (SDL_Surface* s = TTF_RenderGlyph32_Solid(face, code, white)) {
      ++rasterised_;
      g.width = s->w;
      g.height = s->h;
      g.mask.resize(static_cast<size_t>(s->w) * s->h);
      SDL_LockSurface(s);
      for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < s->w; ++x) g.mask[static_cast<size_t>(y) * s->w + x] = row[x] != 0;
      }
      SDL_UnlockSurface(s);
      SDL_FreeSurface(s);
    }
  }
  // The mask and about what the table spends on an entry.
  const std::size_t bytes = g.mask.size() + sizeof(Glyph) + 4 * sizeof(void*);
  MakeRoomFor(bytes, height);
  height.bytes += bytes;
  glyph_bytes_ += bytes;
  return height.glyphs.emplace(code, std::move(g)).first->second;
}

void TtfFont::MakeRoomFor(std::size_t bytes, Height& height) {
  // The other heights' glyphs go first, least recently drawn with first;
  // then this height's own (a page of its largest glyphs still fits).
  while (glyph_bytes_ + bytes > glyph_budget_) {
    Height* least = nullptr;
    for (auto& [char_height, other] : heights_)
      if (&other != &height && !other.glyphs.empty() && (!least || other.used < least->used))
        least = &other;
    if (!least) break;
    DropGlyphs(*least);
  }
  if (glyph_bytes_ + bytes > glyph_budget_) DropGlyphs(height);
}

void TtfFont::DropGlyphs(Height& height) {
  glyph_bytes_ -= height.bytes;
  height.bytes = 0;
  height.glyphs.clear();
}

uint32_t TtfFont::CodeOf(const uint8_t* ch, int length) {
  // The conversion goes through the system's converter: each character is
  // asked only once.
  const uint32_t sjis = length == 2 ? 0x10000u | (ch[0] << 8) | ch[1] : ch[0];
  auto it = codes_.find(sjis);
  if (it != codes_.end()) return it->second;
  const uint32_t code = SjisCharToCodePoint(ch, length);
  codes_.emplace(sjis, code);
  return code;
}

int32_t TtfFont::DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                          const TextStyle& style) {
  int32_t char_height = std::min(style.CharHeight(), kMaxCharHeight);
  TextStyle clamped{char_height, style.color};
  int32_t cell_width = CellWidth(length, clamped);
  Rect cell = Rect::FromSize(x, y, cell_width, char_height);
  FillRect(dst, cell, kWhite);  // opaque: the cell behind the glyph is white
  if (!ok_) return cell_width;
  uint32_t code = CodeOf(ch, length);
  if (code == 0xFFFD || code < 0x20) return cell_width;
  const Glyph& g = GlyphOf(code, HeightOf(char_height));
  // The glyph's box starts at the cell's top-left; ink outside the cell
  // (bold overhang of wide glyphs, deep descenders) is cut off.
  int32_t w = std::min(g.width, cell_width);
  int32_t h = std::min(g.height, char_height);
  for (int32_t gy = 0; gy < h; ++gy) {
    int32_t py = y + gy;
    if (py < 0 || py >= dst.height()) continue;
    const uint8_t* m = g.mask.data() + static_cast<size_t>(gy) * g.width;
    Color* row = dst.row(py);
    for (int32_t gx = 0; gx < w; ++gx) {
      int32_t px = x + gx;
      if (m[gx] && px >= 0 && px < dst.width()) row[px] = style.color;
    }
  }
  return cell_width;
}

}  // namespace velmor::platform
