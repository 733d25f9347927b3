#include "platform/shared/png.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/texts.h"

namespace velmor::platform {

namespace {

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// A chunk: its length, its type and data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBe32(out, static_cast<uint32_t>(data.size()));
  const std::size_t at = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0L, out.data() + at, static_cast<uInt>(out.size() - at));
  PutBe32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> EncodePng(const Bitmap& bmp) {
  std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBe32(header, static_cast<uint32_t>(bmp.width()));
  PutBe32(header, static_cast<uint32_t>(bmp.height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(out, "IHDR", header);

  // Each row: filter type 0 (none), then the red, green and blue bytes.
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<std::size_t>(bmp.height()) * (1 + 3 * static_cast<std::size_t>(bmp.width())));
  for (int32_t y = 0; y < bmp.height(); ++y) {
    raw.push_back(0);
    const Color* row = bmp.row(y);
    for (int32_t x = 0; x < bmp.width(); ++x) {
      raw.push_back(static_cast<uint8_t>(row[x] >> 16));
      raw.push_back(static_cast<uint8_t>(row[x] >> 8));
      raw.push_back(static_cast<uint8_t>(row[x]));
    }
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> compressed(size);
  compress2(compressed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6);
  compressed.resize(size);
  PutChunk(out, "IDAT", compressed);
  PutChunk(out, "IEND", {});
  return out;
}

bool WritePng(const Bitmap& bmp, const std::string& path, std::string* error) {
  if (bmp.empty()) {
    if (error) *error = Tr("nothing to write: the picture is empty");
    return false;
  }
  const std::vector<uint8_t> bytes = EncodePng(bmp);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  int err = errno;
  if (f != nullptr && std::fclose(f) != 0) ok = false;
  if (!ok && error) *error = Fill(Tr("cannot write %s: %s"), {path, std::strerror(err)});
  return ok;
}

}  // namespace velmor::platform
