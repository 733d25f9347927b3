#include "menus/slot_file.h"

#include <algorithm>

namespace velmor::menus {

namespace {

// Fills a header from its start: each field is the text's bytes, cut at the
// field's width and padded with NUL bytes.
class HeaderWriter {
 public:
  explicit HeaderWriter(SlotHeader& header) : header_(header) {}

  void PutField(std::string_view text, std::size_t width) {
    std::size_t n = std::min(text.size(), width);
    std::copy_n(text.begin(), n, header_.begin() + pos_);
    std::fill_n(header_.begin() + pos_ + n, width - n, 0);
    pos_ += width;
  }
  void PutByte(int value) { header_[pos_++] = static_cast<uint8_t>(value & 0xFF); }
  void Seek(std::size_t pos) { pos_ = pos; }

 private:
  SlotHeader& header_;
  std::size_t pos_ = 0;
};

void PutWord(SlotImage& image, std::size_t at, uint16_t value) {
  image[at] = static_cast<uint8_t>(value & 0xFF);
  image[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetWord(const SlotImage& image, std::size_t at) {
  return static_cast<uint16_t>(image[at] | (image[at + 1] << 8));
}

}  // namespace

SlotHeader BuildSlotHeader(const SlotPreferences& prefs, const std::array<Sstr, 4>& names) {
  SlotHeader header{};
  HeaderWriter out(header);
  out.PutField(kSlotSignature, kSlotSignature.size());
  out.PutByte(prefs.reso);
  out.PutByte(prefs.mouse);
  out.PutByte(prefs.speed);
  out.PutByte(prefs.source);
  out.Seek(kSlotNameOffset);
  for (int entry : kSlotNameEntries) out.PutField(names[entry].view(), kSlotNameWidth);
  return header;
}

SlotImage BuildSlotImage(const SlotHeader& header, const WorkBlock& work, const FlagBlock& flag) {
  SlotImage image{};
  std::copy(header.begin(), header.end(), image.begin());
  for (std::size_t i = 0; i < work.size(); ++i)
    PutWord(image, kSlotWorkOffset + 2 * i, static_cast<uint16_t>(work[i]));
  for (std::size_t i = 0; i < flag.size(); ++i) PutWord(image, kSlotFlagOffset + 2 * i, flag[i]);
  return image;
}

void ReadSlotBlocks(const SlotImage& image, WorkBlock& work, FlagBlock& flag) {
  for (std::size_t i = 0; i < work.size(); ++i)
    work[i] = static_cast<int16_t>(GetWord(image, kSlotWorkOffset + 2 * i));
  for (std::size_t i = 0; i < flag.size(); ++i) flag[i] = GetWord(image, kSlotFlagOffset + 2 * i);
}

bool HasSlotSignature(const SlotImage& image) {
  return std::equal(kSlotSignature.begin(), kSlotSignature.end(), image.begin());
}

ByteString SlotFileName(int slot) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  auto n = static_cast<unsigned>(slot) & 0xFFu;
  ByteString name("DATA");
  name.push_back(static_cast<uint8_t>(kHex[n >> 4]));
  name.push_back(static_cast<uint8_t>(kHex[n & 0xF]));
  return name;
}

}  // namespace velmor::menus
