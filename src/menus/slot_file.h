// The 1,088-byte slot file: a 64-byte header (signature, the four
// preferences, the four names) followed by the work variables and the flags.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/byte_string.h"

namespace velmor::menus {

constexpr std::size_t kSlotSize = 1088;
constexpr std::size_t kSlotHeaderSize = 64;
constexpr std::size_t kSlotWorkOffset = 64;
constexpr std::size_t kSlotFlagOffset = 576;
constexpr std::string_view kSlotSignature{"Brannic\0", 8};
// The signature as the string reader returns it (without its NUL).
constexpr std::string_view kSlotSignatureText{"Brannic"};
// Where the header keeps the four names, in the order entries 2, 0, 3, 1.
constexpr std::size_t kSlotNameOffset = 16;
constexpr std::size_t kSlotNameWidth = 12;
constexpr std::array<int, 4> kSlotNameEntries{2, 0, 3, 1};

// The scratch slot that keeps the live state while the panel lists the others.
constexpr int kLiveSlot = 255;

using SlotHeader = std::array<uint8_t, kSlotHeaderSize>;
using SlotImage = std::array<uint8_t, kSlotSize>;
using WorkBlock = std::array<int16_t, 256>;
using FlagBlock = std::array<uint16_t, 256>;

// The live state a slot keeps.
struct SlotPreferences {
  int reso = 100;   // ResoSpin
  int mouse = 1;    // MouseSpin
  int speed = 96;   // SpeedSpin
  int source = 1;   // 0 mute, 1 WAVE, 2 MIDI (SC-55), 3 MIDI (SC-88)
};

// The 64-byte header as SaveSlot builds it: PutField for the signature, the
// preference bytes, then the names (entries 2, 0, 3, 1) in 12-byte fields.
// `names` are name-table entries 0 to 3.
SlotHeader BuildSlotHeader(const SlotPreferences& prefs, const std::array<Sstr, 4>& names);

// The whole file: the header, then work and flags as little-endian words.
SlotImage BuildSlotImage(const SlotHeader& header, const WorkBlock& work, const FlagBlock& flag);

// The work and flag blocks of a slot file.
void ReadSlotBlocks(const SlotImage& image, WorkBlock& work, FlagBlock& flag);
// Whether the image begins with the slot's signature (a file the game wrote).
bool HasSlotSignature(const SlotImage& image);

// The slot file's name: "DATA" and the slot number in two upper-case
// hexadecimal digits.
ByteString SlotFileName(int slot);

}  // namespace velmor::menus
