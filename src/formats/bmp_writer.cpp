#include "formats/bmp_writer.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <unordered_map>

#include "formats/byte_writer.h"

namespace velmor::formats {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

// Bytes per stored row: rows are padded to a multiple of four bytes.
uint32_t Stride(int32_t width, int bits) {
  return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

std::vector<Color> PaletteFor(const Bitmap& image, int bits) {
  std::vector<Color> palette;
  if (!image.palette.empty()) {
    palette = image.palette;
    for (Color& c : palette) c &= 0xFFFFFF;
  } else {
    std::unordered_map<Color, bool> seen;
    for (Color c : image.pixels()) {
      c &= 0xFFFFFF;
      if (seen.emplace(c, true).second) palette.push_back(c);
      if (palette.size() > (1u << bits)) break;
    }
  }
  if (palette.size() > (1u << bits))
    throw std::invalid_argument("WriteBmp: more colours than a " + std::to_string(bits) +
                                "-bit palette holds");
  return palette;
}

}  // namespace

std::vector<uint8_t> WriteBmp(const Bitmap& image, const BmpOptions& options) {
  const int bits = options.bits != 0 ? options.bits : (image.palette.empty() ? 24 : 8);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    throw std::invalid_argument("WriteBmp: unsupported depth " + std::to_string(bits));
  if (image.empty()) throw std::invalid_argument("WriteBmp: empty picture");

  std::vector<Color> palette;
  std::unordered_map<Color, uint32_t> index_of;
  if (bits <= 8) {
    palette = PaletteFor(image, bits);
    for (uint32_t i = 0; i < palette.size(); ++i) index_of.emplace(palette[i], i);
  }
  const uint32_t stored_entries =
      bits <= 8 ? (options.full_palette ? (1u << bits) : static_cast<uint32_t>(palette.size())) : 0;

  const uint32_t stride = Stride(image.width(), bits);
  const uint32_t image_size = stride * static_cast<uint32_t>(image.height());
  const uint32_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * stored_entries;
  const uint32_t file_size = offset + image_size;

  std::vector<uint8_t> out;
  out.reserve(file_size);
  // BITMAPFILEHEADER
  PutTag(out, "BM");
  PutLe32(out, file_size);
  PutLe32(out, 0);  // two reserved words
  PutLe32(out, offset);
  // BITMAPINFOHEADER
  PutLe32(out, kInfoHeaderSize);
  PutLe32(out, static_cast<uint32_t>(image.width()));
  PutLe32(out, static_cast<uint32_t>(options.top_down ? -image.height() : image.height()));
  PutLe16(out, 1);  // planes
  PutLe16(out, static_cast<uint32_t>(bits));
  PutLe32(out, 0);  // BI_RGB: uncompressed
  PutLe32(out, image_size);
  PutLe32(out, 0);  // horizontal and vertical resolution: none given
  PutLe32(out, 0);
  PutLe32(out, options.full_palette ? 0 : stored_entries);  // colours used
  PutLe32(out, 0);                                          // all important
  // The colour table: blue, green, red, reserved.
  for (uint32_t i = 0; i < stored_entries; ++i) {
    Color c = i < palette.size() ? palette[i] : 0;
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 16));
    out.push_back(0);
  }

  std::vector<uint8_t> row(stride);
  for (int32_t n = 0; n < image.height(); ++n) {
    const int32_t y = options.top_down ? n : image.height() - 1 - n;
    std::fill(row.begin(), row.end(), 0);
    for (int32_t x = 0; x < image.width(); ++x) {
      const Color c = image.at(x, y) & 0xFFFFFF;
      if (bits == 24) {
        row[3 * x] = static_cast<uint8_t>(c & 0xFF);
        row[3 * x + 1] = static_cast<uint8_t>((c >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
        continue;
      }
      auto it = index_of.find(c);
      if (it == index_of.end()) {
        char colour[16];
        std::snprintf(colour, sizeof colour, "%06X", static_cast<unsigned>(c));
        throw std::invalid_argument(std::string("WriteBmp: colour ") + colour + " at (" +
                                    std::to_string(x) + "," + std::to_string(y) +
                                    ") is not in the palette");
      }
      const uint32_t index = it->second;
      // Pixels are packed from the most significant bits of each byte.
      const uint32_t bit = static_cast<uint32_t>(x) * bits;
      const uint32_t shift = 8 - bits - bit % 8;
      row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | (index << shift));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace velmor::formats
