#include "formats/riff.h"

#include <algorithm>
#include <cstdio>

#include "core/texts.h"
#include "formats/byte_reader.h"
#include "formats/byte_writer.h"

namespace velmor::formats {

bool HasTag(std::span<const uint8_t> b, std::size_t at, std::string_view tag) {
  if (at > b.size() || b.size() - at < tag.size()) return false;
  return std::equal(tag.begin(), tag.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char t, uint8_t c) { return static_cast<uint8_t>(t) == c; });
}

std::string TagText(const uint8_t* p) {
  const bool printable = std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c < 0x7F; });
  char buf[24];
  if (printable)
    std::snprintf(buf, sizeof buf, "\"%c%c%c%c\"", p[0], p[1], p[2], p[3]);
  else
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", p[0], p[1], p[2], p[3]);
  return buf;
}

bool IsRiff(std::span<const uint8_t> b, std::string_view form) {
  return b.size() >= 12 && HasTag(b, 0, "RIFF") && HasTag(b, 8, form);
}

FormatResult<std::optional<RiffChunk>> FindRiffChunk(std::span<const uint8_t> b,
                                                     std::string_view tag) {
  std::size_t pos = 12;
  while (pos <= b.size() && b.size() - pos >= 8) {
    const uint32_t size = ByteReader(b, pos + 4).Le32();
    const std::size_t body = pos + 8;
    if (size > b.size() - body)
      return Fault(Fill(Tr("chunk %s runs past the end of the file"), {TagText(&b[pos])}));
    if (HasTag(b, pos, tag)) return std::optional<RiffChunk>(RiffChunk{body, size});
    // Chunks are padded to an even length.
    pos = body + size + (size & 1);
  }
  return std::optional<RiffChunk>();
}

void PutRiffChunk(std::vector<uint8_t>& out, std::string_view tag, std::span<const uint8_t> body) {
  PutTag(out, tag);
  PutLe32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
}

}  // namespace velmor::formats
