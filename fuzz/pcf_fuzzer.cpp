// Any bytes as a PCF bitmap font: read or refused with a reason, never a
// crash; every glyph's rows lie within the font's bits, and every code the
// encoding finds is a glyph of the font.
#include <cstddef>
#include <cstdint>

#include "formats/pcf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto font = velmor::formats::ParsePcf({data, size});
  if (!font) {
    if (font.fault().what.empty()) __builtin_trap();  // refused without a reason
    return 0;
  }
  for (const velmor::formats::PcfGlyph& g : font->glyphs)
    if (uint64_t{g.offset} + uint64_t{g.stride} * static_cast<uint64_t>(g.height()) > font->bits.size() ||
        g.stride * 8 < static_cast<uint32_t>(g.width))
      __builtin_trap();
  for (uint32_t code = 0; code < 0x10000; code += 7)
    if (const velmor::formats::PcfGlyph* g = font->Find(static_cast<uint16_t>(code)))
      if (g < font->glyphs.data() || g >= font->glyphs.data() + font->glyphs.size()) __builtin_trap();
  return 0;
}
