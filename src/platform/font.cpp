#include "platform/font.h"

#include "core/byte_string.h"

namespace velmor::platform {

int32_t Font::DrawText(Bitmap& dst, int32_t x, int32_t y, std::string_view sjis,
                       const TextStyle& style) {
  int32_t start = x;
  for (size_t i = 0; i < sjis.size();) {
    const auto* ch = reinterpret_cast<const uint8_t*>(sjis.data() + i);
    int length = IsLeadByte(ch[0]) ? 2 : 1;
    if (i + length > sjis.size()) break;  // a lone lead byte at the end
    x += DrawChar(dst, x, y, ch, length, style);
    i += length;
  }
  return x - start;
}

}  // namespace velmor::platform
