// The game's text font drawn with FreeType (SDL_ttf): IPAGothic, bold, in
// crisp unsmoothed pixels like the original's bitmap font. Glyphs are
// rasterised once per character and height and then kept, within bounds: a
// scenario may write in any of 255 heights, and every glyph of every height
// kept would be gigabytes.
#pragma once

#include <cstddef>
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
  // The faces of this many heights are kept open, and glyphs of this many
  // bytes kept (the whole character set at 12, 16, 20 and 24 pixels takes
  // 12 MB); past either, the height drawn with least recently lets go
  // first.
  static constexpr std::size_t kMostHeights = 8;
  static constexpr std::size_t kGlyphBudget = std::size_t{32} << 20;

  // A font that draws with the face in `file`. When the file cannot be
  // opened, ok() is false, error() tells why, and characters are drawn as
  // empty white cells.
  explicit TtfFont(std::string file = kDefaultFontFile, std::size_t glyph_budget = kGlyphBudget);
  ~TtfFont() override;
  TtfFont(const TtfFont&) = delete;
  TtfFont& operator=(const TtfFont&) = delete;

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }
  // How many glyphs have been rasterised (the rest came from the cache).
  int Rasterised() const { return rasterised_; }
  // The heights whose face is open, and the bytes their kept glyphs take.
  std::size_t HeldHeights() const { return heights_.size(); }
  std::size_t HeldGlyphBytes() const { return glyph_bytes_; }

  int32_t DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch, int length,
                   const TextStyle& style) override;

 private:
  struct Glyph {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> mask;  // 1 where the glyph is inked
  };
  // One height's face and the glyphs rasterised with it.
  struct Height {
    void* face = nullptr;  // TTF_Font*; null when it could not be opened
    std::unordered_map<uint32_t, Glyph> glyphs;
    std::size_t bytes = 0;  // what the glyphs take
    uint64_t used = 0;      // when it was last drawn with
  };
  Height& HeightOf(int32_t char_height);
  void* OpenFace(int32_t char_height);  // TTF_Font*
  const Glyph& GlyphOf(uint32_t code, Height& height);
  void MakeRoomFor(std::size_t bytes, Height& height);
  void DropGlyphs(Height& height);
  uint32_t CodeOf(const uint8_t* ch, int length);

  std::string file_;
  bool ok_ = false;
  std::string error_;
  std::map<int32_t, Height> heights_;
  std::size_t glyph_budget_;
  std::size_t glyph_bytes_ = 0;
  uint64_t draws_ = 0;  // the clock of Height::used
  Height* last_ = nullptr;  // the height drawn with last
  int32_t last_height_ = 0;
  std::unordered_map<uint32_t, uint32_t> codes_;  // Shift-JIS character -> code point
  int rasterised_ = 0;
};

}  // namespace velmor::platform
