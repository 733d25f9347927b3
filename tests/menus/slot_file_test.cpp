// The slot file's layout, byte for byte, as the game writes it.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using menus::kSlotSize;

TEST(SlotFileName, IsDataAndTwoUpperCaseHexDigits) {
  struct Case {
    int slot;
    const char* name;
  };
  for (Case c : {Case{0, "DATA00"}, Case{1, "DATA01"}, Case{6, "DATA06"}, Case{10, "DATA0A"},
                 Case{171, "DATAAB"}, Case{255, "DATAFF"}}) {
    EXPECT_EQ(menus::SlotFileName(c.slot).str(), c.name) << c.slot;
  }
}

// A known live state and the file it must give, written out offset by offset.
TEST(SaveSlot, WritesTheLayoutByteForByte) {
  MenusRig m;
  m.panels.ResoSpin.value = 120;
  m.panels.MouseSpin.value = 3;
  m.panels.SpeedSpin.value = 48;
  m.spd = 80;  // what the setting 48 gives: the byte holds the speed
  m.SourceButton("MidiBtn").SetChecked();
  m.scn.mcr[0] = Sstr(Sjis("太郎"));
  m.scn.mcr[1] = Sstr(Sjis("花子"));
  m.scn.mcr[2] = Sstr(Sjis("山田"));
  m.scn.mcr[3] = Sstr("ABCDEFGHIJKLMNOP");  // 16 bytes: the field keeps 12
  m.scn.work[0] = 77;                         // stored as 0 all the same
  m.scn.work[1] = 1;
  m.scn.work[2] = -2;
  m.scn.work[255] = 0x1234;
  m.scn.SetFlag(0, 1);
  m.scn.SetFlag(17, 1);
  m.scn.SetFlag(4095, 1);

  m.saves.SaveSlot(3);

  std::vector<uint8_t> expected(kSlotSize, 0);
  const char sig[] = "Brannic";
  std::copy(sig, sig + 7, expected.begin());
  expected[8] = 120;
  expected[9] = 3;
  expected[10] = 80;
  expected[11] = 2;
  auto put = [&](std::size_t at, std::string_view s) { std::copy(s.begin(), s.end(), expected.begin() + static_cast<std::ptrdiff_t>(at)); };
  put(16, "\x8e\x52\x93\x63");          // 山田, entry 2
  put(28, "\x91\xbe\x98\x59");          // 太郎, entry 0
  put(40, "ABCDEFGHIJKL");              // entry 3, cut at 12
  put(52, "\x89\xd4\x8e\x71");          // 花子, entry 1
  expected[66] = 1;                     // work[1]
  expected[68] = 0xFE;                  // work[2] = -2
  expected[69] = 0xFF;
  expected[64 + 510] = 0x34;            // work[255]
  expected[64 + 511] = 0x12;
  expected[576] = 0x01;                 // flag 0: word 0, bit 0
  expected[578] = 0x02;                 // flag 17: word 1, bit 1
  expected[1087] = 0x80;                // flag 4095: word 255, bit 15

  const std::vector<uint8_t>* written = m.Slot(3);
  ASSERT_NE(written, nullptr);
  ASSERT_EQ(written->size(), kSlotSize);
  for (std::size_t i = 0; i < kSlotSize; ++i)
    ASSERT_EQ((*written)[i], expected[i]) << "offset " << i;
  EXPECT_EQ(m.scn.work[0], 0) << "the live variable 0 is cleared too";
}

TEST(SaveSlot, SourceByteFollowsTheCheckedButton) {
  struct Case {
    const char* checked;
    uint8_t code;
  };
  for (Case c : {Case{"MuteBtn", 0}, Case{"WaveBtn", 1}, Case{"MidiBtn", 2}, Case{"MidiBtn2", 3}}) {
    MenusRig m;
    m.SourceButton(c.checked).SetChecked();
    m.saves.SaveSlot(1);
    ASSERT_NE(m.Slot(1), nullptr);
    EXPECT_EQ((*m.Slot(1))[11], c.code) << c.checked;
  }
}

TEST(SlotHeader, NamesArePaddedWithNulsAndCutAtTwelveBytes) {
  std::array<Sstr, 4> names{Sstr("A"), Sstr(""), Sstr("123456789012345"), Sstr("12345678")};
  menus::SlotHeader h = menus::BuildSlotHeader(menus::SlotPreferences{}, names);
  auto field = [&](std::size_t at) {
    return std::string(reinterpret_cast<const char*>(h.data()) + at, 12);
  };
  EXPECT_EQ(field(16), std::string("123456789012"));
  EXPECT_EQ(field(28), std::string("A\0\0\0\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(field(40), std::string("12345678\0\0\0\0", 12));
  EXPECT_EQ(field(52), std::string(12, '\0'));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(h.data()) + 12, 4), std::string(4, '\0'));
}

}  // namespace
}  // namespace velmor::testing
