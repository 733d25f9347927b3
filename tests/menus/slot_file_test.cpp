// The slot file's layout, byte for byte, against a slot kept in the test data.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/sjis.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

// data/slots/sample.slot: "Brannic", NUL, the settings 120, 3, speed 80 and
// source 2; the names 山田 (entry 2), 太郎 (0), ABCDEFGHIJKL (3, no NUL) and
// 花子 (1) in their 12-byte fields; work 1, 2 and 255 = 1, -2, 0x1234;
// flags 0, 17 and 4095.
std::vector<uint8_t> SampleSlot() {
  std::ifstream in(VELMOR_TEST_DATA_DIR "/slots/sample.slot", std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SlotFileName, IsDataAndTwoUpperCaseHexDigits) {
  struct Case {
    int slot;
    const char* name;
  };
  for (Case c : {Case{0, "DATA00"}, Case{10, "DATA0A"}, Case{171, "DATAAB"}, Case{255, "DATAFF"}})
    EXPECT_EQ(menus::SlotFileName(c.slot).str(), c.name) << c.slot;
}

TEST(SaveSlot, WritesTheSampleSlotByteForByte) {
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
  for (int flag : {0, 17, 4095}) m.scn.SetFlag(flag, 1);

  m.saves.SaveSlot(3);

  const std::vector<uint8_t> want = SampleSlot();
  ASSERT_EQ(want.size(), menus::kSlotSize);
  const std::vector<uint8_t>* written = m.Slot(3);
  ASSERT_NE(written, nullptr);
  ASSERT_EQ(written->size(), menus::kSlotSize);
  for (std::size_t i = 0; i < menus::kSlotSize; ++i)
    ASSERT_EQ((*written)[i], want[i]) << "offset " << i;
  EXPECT_EQ(m.scn.work[0], 0) << "the live variable 0 is cleared too";
}

// The same slot as one kept from an earlier release. A name field of 12
// bytes has no NUL: the scenario's string reader runs on into the next field
// and the entry keeps 16 bytes, as the game reads it.
TEST(LoadSlot, TakesTheSampleSlot) {
  MenusRig m;
  m.SetLive(OtherLiveState());
  m.PutSlot(4, SampleSlot());

  m.saves.LoadSlot(4);

  // The speed byte is the typing speed (the original program wrote its
  // control's value there and read it back as the speed): the control shows
  // the setting that gives that speed.
  LiveState want;
  want.reso = 120;
  want.mouse = 3;
  want.speed = 48;
  want.source = "MidiBtn";
  want.names = {Sjis("太郎").str(), Sjis("花子").str(), Sjis("山田").str(),
                "ABCDEFGHIJKL" + Sjis("花子").str()};
  want.work[1] = 1;
  want.work[2] = -2;
  want.work[255] = 0x1234;
  want.flag[0] = 1;
  want.flag[1] = 2;
  want.flag[255] = 0x8000;
  EXPECT_EQ(m.Live(), want);
  EXPECT_EQ(m.spd, 80);
  EXPECT_EQ(m.cursors.CursorNumber, 3);
}

}  // namespace
}  // namespace velmor::testing
