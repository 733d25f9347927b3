// Packing a picture's pixels. The loops compare pixels, never input, and
// are built without the fuzzers' comparison tracing (fuzz/CMakeLists.txt).
#include <cstddef>
#include <cstring>

#include "formats/byte_writer.h"
#include "formats/packed_pixels.h"

namespace velmor::formats {

using namespace packed_pixels;

namespace {

void PutRun(std::vector<uint8_t>& out, RunKind kind, std::size_t count) {
  PutVarint(out, (static_cast<uint64_t>(count) << 2) | kind);
}

// Pixels compared a block at a time (a memcmp) before one by one: a
// screen is mostly the same as its reference, or one colour.
constexpr std::size_t kBlock = 256;

// Where the run of pixels equal to their first starting at i ends.
std::size_t RepeatEnd(const Color* p, std::size_t i, std::size_t n) {
  std::size_t j = i + 1;
  // Every pixel of a block equal to the one before it: all equal to p[i].
  while (n - j >= kBlock && std::memcmp(p + j, p + j - 1, kBlock * sizeof(Color)) == 0)
    j += kBlock;
  while (j < n && p[j] == p[i]) ++j;
  return j;
}

// Where the run of pixels equal to the reference's starting at i ends.
std::size_t SameEnd(const Color* p, const Color* r, std::size_t i, std::size_t n) {
  while (n - i >= kBlock && std::memcmp(p + i, r + i, kBlock * sizeof(Color)) == 0) i += kBlock;
  while (i < n && p[i] == r[i]) ++i;
  return i;
}

}  // namespace

std::vector<uint8_t> PackPixels(const Bitmap& picture, const Bitmap* reference) {
  std::vector<uint8_t> out;
  PutVarint(out, static_cast<uint32_t>(picture.width()));
  PutVarint(out, static_cast<uint32_t>(picture.height()));
  if (picture.empty()) return out;
  const std::size_t n = picture.pixels().size();
  const Color* p = picture.pixels().data();
  const Color* r = reference && reference->width() == picture.width() &&
                           reference->height() == picture.height()
                       ? reference->pixels().data()
                       : nullptr;
  std::size_t i = 0;
  while (i < n) {
    if (r && p[i] == r[i]) {
      const std::size_t j = SameEnd(p, r, i, n);
      PutRun(out, kSame, j - i);
      i = j;
      continue;
    }
    const std::size_t repeat = RepeatEnd(p, i, n);
    if (repeat - i >= 3) {
      PutRun(out, kRepeat, repeat - i);
      PutLe32(out, p[i]);
      i = repeat;
      continue;
    }
    // Literal pixels up to the next one equal to the reference or the
    // start of a run of three.
    std::size_t j = i + 1;
    while (j < n && !(r && p[j] == r[j]) && !(j + 2 < n && p[j] == p[j + 1] && p[j] == p[j + 2]))
      ++j;
    PutRun(out, kLiteral, j - i);
    for (std::size_t k = i; k < j; ++k) PutLe32(out, p[k]);
    i = j;
  }
  return out;
}

}  // namespace velmor::formats
