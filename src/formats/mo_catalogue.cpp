#include "formats/mo_catalogue.h"

#include <string>
#include <string_view>

#include "formats/byte_reader.h"

namespace velmor::formats {

namespace {

constexpr uint32_t kMagic = 0x950412de;
constexpr size_t kHeaderSize = 28;  // magic, revision, count, two tables, the hash's size and place

struct MoHeader {
  bool big_endian = false;
  uint32_t count = 0;
  uint32_t sources = 0;       // offset of the source texts' table
  uint32_t translations = 0;  // offset of the translations' table
};

uint32_t Read32(ByteReader& r, bool big_endian) { return big_endian ? r.Be32() : r.Le32(); }

// The text a table's entry `index` names, or nothing when it lies outside
// the bytes.
bool TextAt(std::span<const uint8_t> bytes, const MoHeader& h, uint32_t table, uint32_t index,
            std::string_view* text) {
  ByteReader r(bytes, table + size_t{index} * 8);
  const uint32_t length = Read32(r, h.big_endian);
  const uint32_t offset = Read32(r, h.big_endian);
  if (!r.ok() || offset > bytes.size() || length > bytes.size() - offset) return false;
  *text = std::string_view(reinterpret_cast<const char*>(bytes.data()) + offset, length);
  return true;
}

// The singular of a plural text ("one\0many" gives "one").
std::string_view FirstForm(std::string_view text) { return text.substr(0, text.find('\0')); }

// The header's charset, when it names one ("Content-Type: text/plain; charset=UTF-8").
std::string_view CharsetOf(std::string_view header) {
  const size_t at = header.find("charset=");
  if (at == std::string_view::npos) return {};
  std::string_view rest = header.substr(at + 8);
  return rest.substr(0, rest.find_first_of(" ;\n"));
}

bool IsUtf8Name(std::string_view charset) {
  if (charset.size() != 5 && charset.size() != 4) return false;
  std::string lower;
  for (char c : charset) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower == "utf-8" || lower == "utf8";
}

FormatResult<MoHeader> ReadHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return Fault("damaged message catalogue: shorter than its header");
  ByteReader r(bytes);
  MoHeader h;
  const uint32_t magic = r.Le32();
  if (magic == kMagic) {
    h.big_endian = false;
  } else if (magic == ((kMagic >> 24) | ((kMagic >> 8) & 0xff00) | ((kMagic << 8) & 0xff0000) |
                       (kMagic << 24))) {
    h.big_endian = true;
  } else {
    return Fault("not a message catalogue (.mo): wrong magic number");
  }
  const uint32_t revision = Read32(r, h.big_endian);
  if ((revision >> 16) > 1) return Fault("message catalogue of an unknown revision " +
                                         std::to_string(revision >> 16));
  h.count = Read32(r, h.big_endian);
  h.sources = Read32(r, h.big_endian);
  h.translations = Read32(r, h.big_endian);
  for (uint32_t table : {h.sources, h.translations})
    if (table > bytes.size() || uint64_t{h.count} * 8 > bytes.size() - table)
      return Fault("damaged message catalogue: its tables of " + std::to_string(h.count) +
                   " texts run past its end");
  return h;
}

}  // namespace

FormatResult<Catalogue> ReadMoCatalogue(std::span<const uint8_t> bytes) {
  FormatResult<MoHeader> header = ReadHeader(bytes);
  if (!header) return header.fault();
  const MoHeader& h = *header;
  Catalogue catalogue;
  for (uint32_t i = 0; i < h.count; ++i) {
    std::string_view source, translation;
    if (!TextAt(bytes, h, h.sources, i, &source) ||
        !TextAt(bytes, h, h.translations, i, &translation))
      return Fault("damaged message catalogue: text " + std::to_string(i) +
                   " lies outside the file");
    if (source.empty()) {
      const std::string_view charset = CharsetOf(translation);
      if (!charset.empty() && !IsUtf8Name(charset))
        return Fault("message catalogue in " + std::string(charset) + ", not UTF-8");
      continue;
    }
    catalogue.Add(std::string(FirstForm(source)), std::string(FirstForm(translation)));
  }
  return catalogue;
}

}  // namespace velmor::formats
