// One whole frame of the text subsystems against a stored digest: a status
// strip and a typed page with a label, colours, a size change and both
// character widths. When the digest differs the frame is written out as a
// PNG for a look.
#include <gtest/gtest.h>

#include "text/names.h"
#include "support/pictures.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

constexpr uint64_t kGoldenFrame = 0xb8b22d324b27add9;

TEST(GoldenFrameTest, StatusStripAndATypedPage) {
  TextRig rig;
  ASSERT_TRUE(rig.ttf.ok()) << rig.ttf.error();
  // A calm scene: a vertical gradient, a frame picture with a border.
  for (int32_t y = 0; y < 480; ++y)
    FillRect(rig.layers.BMP, {0, y, 640, y + 1}, Rgb(40, 60 + y / 4, 120 + y / 8));
  Bitmap box(628, 100, kWhite);
  FillRect(box, {0, 0, 628, 3}, Rgb(90, 90, 160));
  FillRect(box, {0, 97, 628, 100}, Rgb(90, 90, 160));
  rig.win.SetUp(box);

  rig.scn.mcr = text::InitialNames();
  const int16_t values[11] = {720, -150, 90, 455, 1000, 4, 12, 0, 1234, 300, 999};
  for (int i = 0; i < 11; ++i) {
    rig.scn.StatusVars[i] = static_cast<uint16_t>(i);
    rig.scn.work[i] = values[i];
  }
  rig.status.StatusLayout = 1;
  rig.status.DrawStatus();

  rig.win.msg.spd = 0;
  std::string text = S("今日は四月十二日、日曜日。") + "\x01" + "Half-width: ABC xyz 123 " + "\x5C" +
                     "500" + "\x01" + "\x03\x02" + S("赤い文字") + std::string("\x03\0", 2) +
                     S("と、") + "\x04\x0C" + S("小さい文字") + "\x04\x10" + S("。ｶﾀｶﾅ");
  rig.Type(text, 1);
  rig.Tick();
  ASSERT_EQ(rig.scn.MainProc, scenario::WaitHandler::None);
  rig.layers.ShowBackBuffer();

  uint64_t hash = Hash(rig.layers.BMP);
  if (hash != kGoldenFrame)
    ADD_FAILURE() << "the frame changed: digest 0x" << std::hex << hash << ", stored 0x"
                  << kGoldenFrame << "; frame written to "
                  << SavePng(rig.layers.BMP, "text_golden_frame.png");
}

}  // namespace
}  // namespace velmor::testing
