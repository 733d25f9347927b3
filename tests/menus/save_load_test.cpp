// SaveSlot and LoadSlot: the live state to a slot file and back, files the
// player kept from earlier releases, and damaged, missing and unwritable files.
#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/sjis.h"
#include "menus_rig.h"
#include "text/message_window.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// What SaveSlot wrote comes back whole over another live state, at any call
// depth; the program counter and the scenario image stay as they are.
TEST(LoadSlot, RestoresWhatSaveSlotWroteAndKeepsTheProgramCounter) {
  MenusRig m;
  LiveState saved = SampleLiveState();
  m.SetLive(saved);
  m.saves.SaveSlot(1);
  saved.work[0] = 0;
  auto image = m.scn.snx;
  for (uint8_t depth : {0, 3, 7}) {  // 7: the deepest call
    m.SetLive(OtherLiveState());
    m.scn.CallDepth = depth;
    m.scn.CallFile[depth] = Sstr("MAIN");
    m.scn.inx = 123;
    m.saves.LoadSlot(1);
    EXPECT_EQ(m.Live(), saved) << int{depth};
    EXPECT_EQ(m.spd, 128 - 32);
    EXPECT_EQ(m.cursors.CursorNumber, 4);
    EXPECT_EQ(m.scn.inx, 123);
    EXPECT_EQ(m.scn.CallDepth, depth);
    EXPECT_TRUE(m.scn.snx == image) << "the slot header must not stay in the image";
  }
}

// The last signature fills the header, and the scenario image holds no NUL
// either: the string reader would go round the image for ever.
TEST(LoadSlot, WithAWrongSignatureTakesOnlyWorkAndFlags) {
  const std::string endless(64, 'A');
  for (std::string_view signature : {"Brannix", "BrannicX", "brannic", "Branni", "", endless.c_str()}) {
    MenusRig m;
    if (signature == endless) {
      m.PutScenario("FULL", std::vector<uint8_t>(scenario::kImageSize, 'A'));
      m.scn.LoadScenario("FULL");
      m.scn.inx = 42;
    }
    LiveState live = OtherLiveState();
    m.SetLive(live);
    SlotBytes file;
    file.Header(50, 7, 0, 0).Names("x", "y", "z", "w").Work(9, 99).Flag(1);
    std::fill_n(file.bytes.begin(), 8, 0);
    file.Text(0, signature);
    m.PutSlot(1, file.bytes);

    m.saves.LoadSlot(1);

    LiveState want = live;
    want.work.fill(0);
    want.work[9] = 99;
    want.flag.fill(0);
    want.flag[0] = 2;
    EXPECT_EQ(m.Live(), want) << signature;
    EXPECT_TRUE(m.handlers.empty()) << signature << ": no control changed";
    EXPECT_EQ(m.scn.inx, 42) << signature;
  }
}

TEST(LoadSlot, MissingOrShortFilesChangeNothingAndOnlyDamageIsTold) {
  struct Case {
    const char* what;
    std::optional<std::size_t> size;  // nothing: no file
  };
  for (Case c : {Case{"missing", std::nullopt}, Case{"empty", 0}, Case{"header only", 64},
                 Case{"one byte short", menus::kSlotSize - 1}, Case{"unreadable", 1088}}) {
    MenusRig m;
    LiveState live = SampleLiveState();
    m.SetLive(live);
    m.spd = 55;
    if (c.size) {
      SlotBytes file;
      file.Header(50, 7, 0, 0).Work(3, 3);
      file.bytes.resize(*c.size);
      m.PutSlot(0, file.bytes);
      if (std::string(c.what) == "unreadable") m.files.MakeUnreadable(m.SlotPath(0));
    }
    m.input.spf = 0;
    m.scn.MainProc = WaitHandler::IdleWait;
    m.saves.LoadSlot(0);
    EXPECT_EQ(m.Live(), live) << c.what;
    EXPECT_EQ(m.spd, 55) << c.what;
    EXPECT_TRUE(m.handlers.empty()) << c.what;
    if (!c.size) {
      EXPECT_TRUE(m.Boxes().empty()) << "a slot without a file is simply empty";
    } else {
      // A file that is there but cannot be read whole is damage: told once,
      // with the file and the reason.
      ASSERT_EQ(m.Boxes().size(), 1u) << c.what;
      const std::string text = SjisToUtf8(m.Boxes()[0].text);
      EXPECT_NE(text.find("DATA00 を読み込めないよ。"), std::string::npos) << text;
      EXPECT_NE(text.find(m.SlotPath(0)), std::string::npos) << text;
    }
    EXPECT_EQ(m.scn.inx, 42) << c.what;
    EXPECT_EQ(m.scn.MainProc, WaitHandler::None) << c.what << ": the closing steps still run";
    EXPECT_EQ(m.input.spf, 1) << c.what;
  }
}

TEST(LoadSlot, SettingsStopAtTheControlsLimitsAndAlwaysSetSpeedAndCursor) {
  struct Case {
    uint8_t reso, mouse, speed;
    int want_reso, want_mouse, want_speed;
    std::size_t extra;  // bytes past the slot, which are not read
  };
  // The speed is the byte itself; the control shows the setting giving it
  // (the fastest, 0, for speeds of 128 and more, which no setting gives).
  // The last row leaves the controls as they are: the typing speed and the
  // cursor, out of step with them, are set all the same.
  for (Case c : {Case{200, 9, 200, 150, 7, 0, 0}, Case{10, 0, 0, 50, 1, 0, 0},
                 Case{100, 5, 1, 100, 5, 127, 10}, Case{150, 7, 128, 150, 7, 0, 0},
                 Case{100, 3, 64, 100, 3, 64, 0}}) {
    MenusRig m;
    m.panels.SpeedSpin.value = 64;
    m.panels.MouseSpin.value = 3;
    m.spd = 7;
    m.cursors.CursorNumber = 1;
    SlotBytes file;
    file.Header(c.reso, c.mouse, c.speed, 1);
    file.bytes.resize(menus::kSlotSize + c.extra, 0xEE);
    m.PutSlot(1, file.bytes);
    m.saves.LoadSlot(1);
    EXPECT_EQ(m.panels.ResoSpin.value, c.want_reso) << int{c.reso};
    EXPECT_EQ(m.panels.MouseSpin.value, c.want_mouse) << int{c.mouse};
    EXPECT_EQ(m.panels.SpeedSpin.value, c.want_speed) << int{c.speed};
    EXPECT_EQ(m.spd, c.speed) << int{c.speed};
    EXPECT_EQ(m.cursors.CursorNumber, c.want_mouse);
    if (c.reso == 100 && c.mouse == 3) {
      EXPECT_TRUE(m.handlers.empty()) << "unchanged controls run no handler";
    }
  }
}

TEST(LoadSlot, RunsTheChangeHandlersInTheFileOrder) {
  MenusRig m;
  m.SetLive(OtherLiveState());
  SlotBytes file;
  file.Header(55, 5, 80, 0);
  m.PutSlot(1, file.bytes);
  m.saves.LoadSlot(1);
  EXPECT_EQ(m.handlers, (std::vector<std::string>{"ResoSpinChange 55", "MouseSpinChange 5",
                                                  "SpeedSpinChange 48", "MidiBtnClick"}));
}

// The source byte checks its button, or Mute when that one is disabled; a
// save writes the checked button's code back.
TEST(SourceByte, ChecksItsButtonOrMuteAndIsWrittenBack) {
  struct Case {
    uint8_t code;
    const char* disabled;  // nullptr: none
    const char* want;
  };
  for (Case c : {Case{1, nullptr, "WaveBtn"}, Case{2, nullptr, "MidiBtn"},
                 Case{3, nullptr, "MidiBtn2"}, Case{0, nullptr, "MuteBtn"},
                 Case{1, "WaveBtn", "MuteBtn"}, Case{2, "MidiBtn", "MuteBtn"},
                 Case{3, "MidiBtn2", "MuteBtn"}, Case{2, "MidiBtn2", "MidiBtn"},
                 Case{9, nullptr, "MuteBtn"}}) {
    MenusRig m;
    m.SourceButton("MidiBtn2").SetChecked();  // the live choice
    m.handlers.clear();
    if (c.disabled) m.SourceButton(c.disabled).enabled = false;
    SlotBytes file;
    file.Header(100, 1, 96, c.code);
    m.PutSlot(1, file.bytes);
    m.saves.LoadSlot(1);
    std::string label = std::to_string(c.code) + (c.disabled ? std::string(" ") + c.disabled : "");
    EXPECT_EQ(m.Live().source, c.want) << label;
    bool changed = std::string(c.want) != "MidiBtn2";
    EXPECT_EQ(m.handlers.size(), changed ? 1u : 0u) << label << ": the music restarts on a change only";
    if (!c.disabled && c.code <= 3) {
      m.saves.SaveSlot(2);
      EXPECT_EQ((*m.Slot(2))[11], c.code) << label;
    }
  }
}

TEST(LoadSlot, ACursorThatCannotBeLoadedIsReportedAfterTheWholeLoad) {
  MenusRig m;
  m.files.Remove(m.CursorPath("CSR05.BMP"));
  m.SetLive(OtherLiveState());
  SlotBytes file;
  file.Header(80, 5, 16, 0).Names("p", "q", "r", "s").Work(10, 10).Flag(3);
  m.PutSlot(1, file.bytes);
  m.panels.SavePanel.visible = true;
  m.scn.MainProc = WaitHandler::IdleWait;

  m.saves.LoadSlot(1);
  ASSERT_EQ(m.Boxes().size(), 1u) << "told once, after the whole load";
  EXPECT_NE(m.Boxes()[0].text.find("CSR05.BMP"), std::string::npos);

  EXPECT_EQ(m.panels.SpeedSpin.value, 112) << "the settings after the cursor are read";
  EXPECT_EQ(m.Live().source, "MuteBtn");
  EXPECT_EQ(m.scn.mcr[0].str(), "p");
  EXPECT_EQ(m.scn.work[10], 10);
  EXPECT_EQ(m.scn.flag[0], 8);
  EXPECT_EQ(m.scn.CallDepth, 0);
  EXPECT_EQ(m.scn.inx, 42);
  EXPECT_FALSE(m.panels.SavePanel.visible);
  EXPECT_EQ(m.scn.MainProc, WaitHandler::None);
}

TEST(SaveSlot, AnUnwritableFolderKeepsTheOldFileAndSaysSo) {
  MenusRig m;
  SlotBytes old;
  old.Header(60, 2, 32, 1).Work(1, 111);
  m.PutSlot(3, old.bytes);
  m.files.MakeReadOnly(m.slot_folder);
  LiveState live = SampleLiveState();
  live.work[0] = 0;
  m.SetLive(live);

  try {
    m.saves.SaveSlot(3);
    ADD_FAILURE() << "a save that did not happen must not pass for one";
  } catch (const GameError& e) {
    const std::string text = SjisToUtf8(e.message());
    EXPECT_NE(text.find("DATA03 に書き込めなかったよ。"), std::string::npos) << text;
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
  }
  EXPECT_EQ(*m.Slot(3), old.bytes);
  EXPECT_EQ(m.Live(), live);
}

TEST(SaveSlot, AMissingSlotFolderIsCreatedFirst) {
  MenusRig m;
  m.slot_folder = "NEW/SAVES/";
  m.saves.SaveSlot(2);
  EXPECT_EQ(m.files.Folders().count("new/saves/"), 1u);
  EXPECT_NE(m.files.Get("NEW/SAVES/DATA02"), nullptr);
}

}  // namespace
}  // namespace velmor::testing
