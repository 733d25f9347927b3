// A name field with a real input method: IBus with Anthy on an X server,
// the keys pressed with xdotool. The composition left behind in one field
// must not go on in the next, which injected events cannot show. tests/sdl/real_input_method.sh sets all of
// it up and runs these tests; anywhere else they are skipped.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/sjis.h"
#include "sdl_rig.h"

namespace velmor::platform::sdl {
namespace {

using testing::SdlRig;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

class RealInputMethodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("VELMOR_REAL_IME") == nullptr)
      GTEST_SKIP() << "needs an X server with IBus and Anthy: run tests/sdl/real_input_method.sh";
    rig = std::make_unique<SdlRig>();
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    // The X window, found by the process that owns it.
    const std::string find =
        "timeout -s KILL 10 xdotool search --sync --pid " + std::to_string(getpid());
    if (std::FILE* out = popen(find.c_str(), "r")) {
      char line[64] = {};
      if (std::fgets(line, sizeof line, out) != nullptr) window_ = std::to_string(std::atol(line));
      pclose(out);
    }
    ASSERT_FALSE(window_.empty() || window_ == "0") << "xdotool finds no window of this process";
    rig->front->Start();
    menus::Panels& p = rig->game.panels;
    p.NamePanel.MoveTo(300, 400);
    p.NamePanel.visible = true;
    p.NamePanel.SetFocus(&p.SecondNameEdit);
    Xdo("windowfocus --sync " + window_);
    ASSERT_TRUE(Until([] { return SDL_IsTextInputActive() == SDL_TRUE; }));
  }

  void Xdo(const std::string& args) {
    const std::string command = "timeout -s KILL 10 xdotool " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  // Runs the loop until `done` holds (true) or for a few seconds at most
  // (false): the input method answers from other processes.
  bool Until(const std::function<bool()>& done, int passes = 200) {
    for (int i = 0; i < passes; ++i) {
      rig->Passes(1);
      if (done()) return true;
    }
    return false;
  }

  std::unique_ptr<SdlRig> rig;
  std::string window_;
};

TEST_F(RealInputMethodTest, TheOtherFieldClickedWhileComposing) {
  menus::Panels& p = rig->game.panels;
  Xdo("type --delay 40 yamada");  // Latin letters, for the input method to turn into kana
  ASSERT_TRUE(Until([&] { return p.SecondNameEdit.composition == "やまだ"; }))
      << "the input method composes nothing: is it in hiragana mode?";
  const Point at = SdlRig::Centre(p.FirstNameEdit);
  Xdo("mousemove --window " + window_ + " " + std::to_string(at.x) + " " + std::to_string(at.y));
  rig->Passes(2);
  Xdo("click 1");
  ASSERT_TRUE(Until([&] { return p.NamePanel.focus == &p.FirstNameEdit; }));
  Until([] { return false; }, 40);  // whatever the input method still sends arrives now
  EXPECT_EQ(p.SecondNameEdit.text, S("やまだ"));
  EXPECT_EQ(p.FirstNameEdit.text, "");
  Xdo("type --delay 40 hana");
  ASSERT_TRUE(Until([&] { return p.FirstNameEdit.composition == "はな"; }))
      << "the input method goes on with the old composition";
  Xdo("key Return");
  ASSERT_TRUE(Until([&] { return p.FirstNameEdit.text == S("はな"); }));
  EXPECT_EQ(p.SecondNameEdit.text, S("やまだ"));
}

}  // namespace
}  // namespace velmor::platform::sdl
