// Reading packed pixels back, every run checked against the picture's size
// and the bytes there are.
#include <algorithm>
#include <string>

#include "core/texts.h"
#include "formats/byte_reader.h"
#include "formats/packed_pixels.h"

namespace velmor::formats {

using namespace packed_pixels;

FormatResult<Bitmap> UnpackPixels(std::span<const uint8_t> bytes, const Bitmap* reference) {
  std::size_t at = 0;
  uint64_t w = 0, h = 0;
  if (!GetVarint(bytes, at, w) || !GetVarint(bytes, at, h)) return Fault(Tr("picture cut short"));
  if (w > kMaxSnapshotPictureSide || h > kMaxSnapshotPictureSide)
    return Fault(Fill(Tr("picture larger than %s pixels"), {std::to_string(kMaxSnapshotPictureSide)}));
  if (w == 0 || h == 0) return Bitmap();
  Bitmap picture(static_cast<int32_t>(w), static_cast<int32_t>(h));
  const Color* r = reference && reference->width() == picture.width() &&
                           reference->height() == picture.height()
                       ? reference->pixels().data()
                       : nullptr;
  Color* p = picture.row(0);
  const std::size_t n = static_cast<std::size_t>(w * h);
  std::size_t i = 0;
  while (i < n) {
    uint64_t head = 0;
    if (!GetVarint(bytes, at, head)) return Fault(Tr("picture cut short"));
    const uint64_t count = head >> 2;
    if (count == 0 || count > n - i) return Fault(Tr("picture run past its end"));
    switch (head & 3) {
      case kSame:
        if (!r) return Fault(Tr("picture packed against a picture it does not have"));
        std::copy_n(r + i, count, p + i);
        break;
      case kRepeat: {
        ByteReader in(bytes, at);
        const Color c = in.Le32();
        if (!in.ok()) return Fault(Tr("picture cut short"));
        at += 4;
        std::fill_n(p + i, count, c);
        break;
      }
      case kLiteral: {
        if (bytes.size() - at < count * 4) return Fault(Tr("picture cut short"));
        ByteReader in(bytes, at);
        for (uint64_t k = 0; k < count; ++k) p[i + k] = in.Le32();
        at += count * 4;
        break;
      }
      default: return Fault(Tr("picture with an unknown kind of run"));
    }
    i += count;
  }
  if (at != bytes.size()) return Fault(Tr("picture with bytes past its end"));
  return picture;
}

}  // namespace velmor::formats
