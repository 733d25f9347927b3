// The save/load panel: the slot list with its captions, the live state kept
// across the listing, and the buttons with their message boxes.
#include <gtest/gtest.h>

#include <cctype>

#include "core/errors.h"
#include "core/sjis.h"
#include "menus/message_boxes.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using menus::SavePanelLogic;
using scenario::WaitHandler;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

const std::string kEmptyRow = S("－－月－－日　　　　～空き部屋～");

// Six slots: used with short names, empty, missing, damaged (short), used
// with full-width names and odd numbers, and used with a name longer than its
// column, no name and numbers past 99.
void PutListedSlots(MenusRig& m) {
    m.PutSlot(1, SlotBytes().Header(100, 1, 96, 1).Names("ABCD", "ABCDEFGH", "X", "Y")
                     .Work(5, 7).Work(6, 12).bytes,
              platform::FileTime{2026, 3, 4, 5, 6, 8});
    m.PutSlot(2, SlotBytes().Header(100, 1, 96, 1).Names("Q", "R", "S", "T").Work(0, 1).bytes);
    m.PutSlot(4, std::vector<uint8_t>(500, 0));
    m.PutSlot(5, SlotBytes().Header(100, 2, 96, 1).Names(S("太郎"), S("花子"), "", "")
                     .Work(5, 0x0312).Work(6, -1).bytes,
              platform::FileTime{1999, 12, 31, 23, 59, 58});
    m.PutSlot(6, SlotBytes().Header(100, 3, 96, 1).Names("ABCDEFGHIJ", "", "C", "D").Work(5, 100)
                     .Work(6, 123).bytes,
              platform::FileTime{2000, 1, 1, 0, 0, 0});
}

class SlotListing : public ::testing::Test {
 protected:
  void SetUp() override { PutListedSlots(m); }
  MenusRig m;
};

TEST_F(SlotListing, CaptionsShowMonthDayNamesAndFileDate) {
  m.saves.OpenSaveMenu(0, 5, 6);
  std::vector<std::string> want{
      S("　７月１２日『") + "    ABCD" + S("と") + "ABCDEFGH" + S("のVelmor』 '") + "26/03/04 05:06:08",
      kEmptyRow,
      kEmptyRow,
      S("－－月－－日　　　　～開かずの間～"),
      S("１８月５５日『") + "    " + S("太郎") + S("と") + "    " + S("花子") + S("のVelmor』 '") +
          "99/12/31 23:59:58",
      S("　０月２３日『") + "ABCDEFGHIJ" + S("と") + "        " + S("のVelmor』 '") + "00/01/01 00:00:00",
  };
  EXPECT_EQ(m.panels.SaveList.rows, want);
  // The damaged slot counts as used: saving over it asks first.
  EXPECT_EQ(m.saves.SlotUsed, (std::array<uint8_t, 7>{0, 1, 0, 0, 1, 1, 1}));
  ASSERT_EQ(m.Boxes().size(), 1u) << "the damaged slot is told once the listing is done";
  EXPECT_NE(SjisToUtf8(m.Boxes()[0].text).find("DATA04 を読み込めないよ。"), std::string::npos);
}

TEST_F(SlotListing, ADamagedSlotIsNeverTakenForAnEmptyOne) {
  m.saves.OpenSaveMenu(1, 5, 6);
  m.dialogs.Clear();
  const std::vector<uint8_t> damaged = *m.Slot(4);
  // Saving over it asks first; Cancel keeps it.
  m.dialogs.QueueAnswer(platform::Answer::Cancel);
  m.panels.SaveList.Select(3);
  m.panels.SaveButton.Click();
  ASSERT_EQ(m.Boxes().size(), 1u);
  EXPECT_EQ(m.Boxes()[0].text, S("重ね書きするよ？"));
  EXPECT_EQ(*m.Slot(4), damaged);
  // Loading it says why it cannot, and the panel stays.
  m.dialogs.Clear();
  m.saves.SaveMode = 0;
  m.panels.SaveButton.Click();
  ASSERT_EQ(m.Boxes().size(), 1u);
  EXPECT_NE(SjisToUtf8(m.Boxes()[0].text).find("500 bytes"), std::string::npos);
  EXPECT_TRUE(m.panels.SavePanel.visible);
}

TEST_F(SlotListing, UsesTheDashesWhenTheFileDateCannotBeRead) {
  m.files.MakeTimesUnreadable(true);
  m.saves.OpenSaveMenu(0, 5, 6);
  const std::string& row = m.panels.SaveList.rows[0];
  EXPECT_EQ(row.substr(row.size() - 19), " '--/--/-- --:--:--");
}

TEST_F(SlotListing, OpensThePanelForTheScenarioToWait) {
  struct Case {
    int mode;
    const char* button;
    const char* cancel;
  };
  for (Case c : {Case{1, "セーブ", "閉じる"}, Case{0, "ロード", "ｷｬﾝｾﾙ"}}) {
    m.panels.SaveList.Select(2);
    int repaints = m.panels.SavePanel.repaints;
    m.saves.OpenSaveMenu(c.mode, 5, 6);
    EXPECT_EQ(m.saves.SaveMode, c.mode);
    EXPECT_EQ(m.saves.SlotMonthVar, 5);
    EXPECT_EQ(m.saves.SlotDayVar, 6);
    EXPECT_EQ(m.panels.SaveButton.caption, S(c.button));
    EXPECT_EQ(m.panels.SaveCancelButton.caption, S(c.cancel));
    EXPECT_EQ(m.panels.SavePanel.repaints, repaints + 1);
    EXPECT_EQ(m.panels.SavePanel.focus, &m.panels.SaveList);
    EXPECT_EQ(m.panels.SaveList.selected, -1);
    EXPECT_EQ(m.scn.inx, 42);
    EXPECT_EQ(m.scn.CallDepth, 0);
  }
}

// The live state after the listing is the one before it (written to its
// slot file when it can be), whether or not that file could be written, and
// a stale one is never read.
TEST(SlotListingLiveState, IsKeptEvenWhenItsFileCannotBeWritten) {
  struct Case {
    const char* what;
    bool writable;
    bool stale_file;
  };
  for (Case c : {Case{"writable", true, false}, Case{"read-only, no file", false, false},
                 Case{"read-only, stale file", false, true}}) {
    MenusRig g;
    PutListedSlots(g);
    LiveState live = SampleLiveState();
    live.mouse = 7;
    live.speed = 0;
    g.SetLive(live);
    g.cursors.SetCursorShape(7);
    if (c.stale_file) g.PutSlot(255, SlotBytes().Header(150, 1, 128, 1).Work(1, 999).bytes);
    if (!c.writable) g.files.MakeReadOnly(g.slot_folder);

    g.saves.OpenSaveMenu(0, 5, 6);

    LiveState want = live;
    want.work[0] = 0;  // as after any save
    EXPECT_EQ(g.Live(), want) << c.what;
    if (c.writable) {
      EXPECT_EQ((*g.Slot(255))[64 + 2 * 9], static_cast<uint8_t>(live.work[9])) << "the live state";
    }
    EXPECT_EQ(g.spd, 0) << c.what;
    EXPECT_EQ(g.cursors.CursorNumber, 7) << c.what;
    EXPECT_EQ(g.files.Has(g.SlotPath(255)), c.writable || c.stale_file) << c.what;
    ASSERT_EQ(g.Boxes().size(), 1u) << c.what << ": only the damaged slot 4 is told";
    EXPECT_NE(SjisToUtf8(g.Boxes()[0].text).find("DATA04"), std::string::npos) << c.what;
  }
}

TEST_F(SlotListing, ACursorFailureIsReportedOnceWithThePanelOpenAndTheLiveStateBack) {
  m.files.Remove(m.CursorPath("CSR02M.BMP"));  // slot 5's cursor
  LiveState live = m.Live();
  live.work[0] = 0;
  m.saves.OpenSaveMenu(0, 5, 6);
  // One box for everything the listing met, the cursor and the damaged slot.
  ASSERT_EQ(m.Boxes().size(), 1u);
  EXPECT_NE(m.Boxes()[0].text.find("CSR02M.BMP"), std::string::npos);
  EXPECT_NE(m.Boxes()[0].text.find("DATA04"), std::string::npos);
  EXPECT_TRUE(m.panels.SavePanel.visible);
  EXPECT_EQ(m.scn.MainProc, WaitHandler::IdleWait);
  EXPECT_EQ(m.Live(), live);
  EXPECT_EQ(m.panels.SaveList.rows.size(), 6u);
}

TEST(OpenSaveMenu, AVariableNumberPastTheTableEndsTheProgramWithItsNumber) {
  MenusRig m;
  EXPECT_THROW(m.saves.OpenSaveMenu(0, 5, 300), QuitSignal);
  ASSERT_EQ(m.Boxes().size(), 1u);
  EXPECT_NE(m.Boxes()[0].text.find("300"), std::string::npos);
  EXPECT_FALSE(m.files.Has(m.SlotPath(255))) << "nothing was listed";
  EXPECT_TRUE(m.form.quit);
}

// --- The buttons ---

struct ClickCase {
  const char* what;
  int mode;                       // 1 save, 0 load
  int row;                        // -1: none selected
  bool double_click;
  platform::Answer answer;        // for a box with OK and Cancel
  const menus::BoxText* box;      // the box shown, if any
  bool saved;                     // the slot now holds the live state
  bool loaded;                    // the slot's state is now live
  bool open;                      // the panel is still open
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.what; }

class SaveButtonClickTable : public ::testing::TestWithParam<ClickCase> {};

TEST_P(SaveButtonClickTable, ShowsItsBoxAndActs) {
  const ClickCase& c = GetParam();
  MenusRig m;
  std::vector<uint8_t> slot2 = SlotBytes().Header(80, 2, 64, 0).Names("s", "t", "u", "v")
                                   .Work(1, 222).Flag(9).bytes;
  std::vector<uint8_t> slot3 = SlotBytes().Header(80, 2, 64, 0).Work(0, 1).Work(1, 333).bytes;
  m.PutSlot(2, slot2);
  m.PutSlot(3, slot3);
  LiveState live = OtherLiveState();
  m.SetLive(live);
  live.work[0] = 0;
  m.saves.OpenSaveMenu(c.mode, 5, 6);
  m.dialogs.Clear();
  if (c.row >= 0) m.panels.SaveList.Select(c.row);
  m.dialogs.QueueAnswer(c.answer);

  if (c.double_click)
    m.panels.SaveList.DblClick();
  else
    m.panels.SaveButton.Click();

  if (c.box) {
    ASSERT_EQ(m.Boxes().size(), 1u);
    EXPECT_EQ(m.Boxes()[0].text, S(c.box->utf8));
    EXPECT_EQ(m.Boxes()[0].kind, c.box->kind);
    EXPECT_EQ(m.Boxes()[0].buttons, c.box->buttons);
  } else {
    EXPECT_TRUE(m.Boxes().empty());
  }
  int slot = c.row + 1;
  if (c.saved) {
    ASSERT_NE(m.Slot(slot), nullptr);
    menus::SlotImage image;
    std::copy_n(m.Slot(slot)->begin(), menus::kSlotSize, image.begin());
    menus::WorkBlock work;
    menus::FlagBlock flag;
    menus::ReadSlotBlocks(image, work, flag);
    EXPECT_EQ(work, live.work);
    EXPECT_EQ(m.saves.SlotUsed[slot], 1) << "the list is made again";
    EXPECT_NE(m.panels.SaveList.rows[c.row], kEmptyRow);
  } else {
    EXPECT_EQ(*m.Slot(2), slot2);
    EXPECT_EQ(*m.Slot(3), slot3);
  }
  if (c.loaded) {
    EXPECT_EQ(m.scn.work[1], 222);
    EXPECT_EQ(m.scn.mcr[0].str(), "s");
    EXPECT_EQ(m.panels.ResoSpin.value, 80);
  } else {
    EXPECT_EQ(m.Live(), live);
  }
  EXPECT_EQ(m.panels.SavePanel.visible, c.open);
  EXPECT_EQ(m.scn.MainProc, c.open ? WaitHandler::IdleWait : WaitHandler::None);
  EXPECT_EQ(m.window.SystemPointerVisible(), c.open);
}

using platform::Answer;
INSTANTIATE_TEST_SUITE_P(
    Cases, SaveButtonClickTable,
    ::testing::Values(
        ClickCase{"save, nothing selected", 1, -1, false, Answer::Ok, &menus::kNoFileSelected, false, false, true},
        ClickCase{"load, nothing selected", 0, -1, false, Answer::Ok, &menus::kNoFileSelected, false, false, true},
        ClickCase{"save over a used slot, OK", 1, 1, false, Answer::Ok, &menus::kOverwrite, true, false, true},
        ClickCase{"save over a used slot, Cancel", 1, 1, false, Answer::Cancel, &menus::kOverwrite, false, false, true},
        ClickCase{"save into an empty slot", 1, 2, false, Answer::Cancel, nullptr, true, false, true},
        ClickCase{"save into a missing slot", 1, 4, false, Answer::Cancel, nullptr, true, false, true},
        ClickCase{"load a used slot", 0, 1, false, Answer::Ok, nullptr, false, true, false},
        ClickCase{"load an empty slot", 0, 2, false, Answer::Ok, &menus::kNobodyHere, false, false, true},
        ClickCase{"load a missing slot", 0, 0, false, Answer::Ok, &menus::kNobodyHere, false, false, true},
        ClickCase{"double click, load a used slot", 0, 1, true, Answer::Ok, nullptr, false, true, false},
        ClickCase{"double click, save over a used slot, Cancel", 1, 1, true, Answer::Cancel, &menus::kOverwrite, false, false, true},
        ClickCase{"double click, nothing selected", 0, -1, true, Answer::Ok, &menus::kNoFileSelected, false, false, true}),
    [](const ::testing::TestParamInfo<ClickCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

}  // namespace
}  // namespace velmor::testing
