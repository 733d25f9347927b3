// The game's text font drawn with FreeType (SDL_ttf): IPAGothic, bold, in
// crisp unsmoothed pixels like the original's bitmap font. Glyphs are
// rasterised once per character and height and then kept.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/font.h"

namespace velmor::platform {

constexpr const char* kDefaultFontFile = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

class TtfFont : public Font {
 public:
  // A font that draws with the face in `file`. When the file cannot be
  // opened, ok() is false, error() tells why, and characters are drawn as
  // empty white cells.
  explicit TtfFont(std::string file = kDefaultFontFile);
  ~TtfFont() override;
  TtfFont(const TtfFont&) = delete;
  TtfFont& operator=(const TtfFont&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  // How many glyphs have been rasterised (the rest came from the cache).
  int Rasterised() const { return rasterised_; }

  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                   const TextStyle& style) override;

 private:
  struct Glyph {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> mask;  // 1 where the glyph is inked
  };
  const Glyph& GlyphOf(uint32_t code, int32_t char_height);
  void* FaceOf(int32_t char_height);  // TTF_Font*
  uint32_t CodeOf(const uint8_t* ch, int length);

  std::string file_;
  bool ok_ = false;
  std::string error_;
  std::map<int32_t, void*> faces_;
  std::unordered_map<uint64_t, Glyph> glyphs_;
  std::unordered_map<uint32_t, uint32_t> codes_;  // Shift-JIS character -> code point
  int rasterised_ = 0;
};

}  // namespace velmor::platform
