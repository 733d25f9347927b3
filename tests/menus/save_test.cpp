// The slot file byte for byte, save and load with damaged, missing and unwritable files, and the
// save/load panel: the slot list, the live state kept across the listing, the buttons and boxes.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/texts.h"
#include "menus/message_boxes.h"
#include "menus_rig.h"

namespace velmor::testing {
namespace {

using platform::Answer;
using scenario::WaitHandler;

// The state data/slots/sample.slot holds (speed byte 80). A 12-byte name has no NUL: the string
// reader runs on into the next field and the entry keeps 16 bytes; a save keeps the 12.
LiveState SampleSlotState() {
  LiveState s{120, 3, 48, "MidiBtn", {S("太郎"), S("花子"), S("山田"), "ABCDEFGHIJKL" + S("花子")},
              {}, {}};
  s.work[1] = 1, s.work[2] = -2, s.work[255] = 0x1234;
  s.flag[0] = 1, s.flag[1] = 2, s.flag[255] = 0x8000;  // flags 0, 17 and 4095
  return s;
}

// The speed byte is the typing speed, shown as the setting giving it.
TEST(SampleSlot, IsWrittenAndReadByteForByte) {
  MenusRig m;
  m.SetLive(SampleSlotState());
  m.scn.work[0] = 77;  // stored as 0 all the same
  m.saves.SaveSlot(0xAB);
  std::ifstream in(VELMOR_TEST_DATA_DIR "/slots/sample.slot", std::ios::binary);
  const std::vector<uint8_t> want{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(menus::SlotFileName(0xAB).str(), "DATAAB") << "upper-case hexadecimal digits";
  const std::vector<uint8_t>* written = m.files.Get("SLOTS/DATAAB");
  ASSERT_TRUE(written && written->size() == menus::kSlotSize && want.size() == menus::kSlotSize);
  EXPECT_EQ(std::mismatch(want.begin(), want.end(), written->begin(), written->end()).first -
                want.begin(), 1088) << "the first byte that differs";
  EXPECT_EQ(m.scn.work[0], 0) << "the live variable 0 is cleared too";
  m.SetLive(OtherLiveState());
  m.PutSlot(4, want);
  m.saves.LoadSlot(4);
  EXPECT_EQ(m.Live(), SampleSlotState());
  EXPECT_EQ(std::pair(int{m.spd}, m.form.cursors.CursorNumber), std::pair(80, 3));
}

// At any call depth (7 is the deepest); a cursor that cannot be loaded is told after the load.
TEST(LoadSlot, RestoresWhatSaveSlotWroteAndKeepsTheProgramCounter) {
  MenusRig m;
  const LiveState saved = Saved(SampleLiveState());
  m.SetLive(SampleLiveState());
  m.saves.SaveSlot(1);
  const auto image = m.scn.snx;
  for (uint8_t depth : {0, 3, 7}) {
    m.SetLive(OtherLiveState());
    m.scn.CallDepth = depth, m.scn.CallFile[depth] = Sstr("MAIN"), m.scn.inx = 123;
    m.saves.LoadSlot(1);
    EXPECT_EQ(m.Live(), saved) << int{depth};
    // The speed 96 and cursor 4 of the settings 32 and 4, inx and depth.
    EXPECT_EQ(std::tuple(m.spd, m.form.cursors.CursorNumber, m.scn.inx, m.scn.CallDepth),
              std::tuple(uint16_t{96}, 4, uint16_t{123}, depth));
    EXPECT_TRUE(m.scn.snx == image) << "the slot header must not stay in the image";
  }
  m.files.Remove(std::string(kDat) + "CURSOR/CSR04.BMP");
  m.SetLive(OtherLiveState());
  m.panels.SavePanel.visible = true, m.scn.MainProc = WaitHandler::IdleWait;
  m.saves.LoadSlot(1);
  EXPECT_NE(m.OnlyBox().find("CSR04.BMP"), std::string::npos) << m.OnlyBox();
  EXPECT_EQ(m.Live(), saved) << "the settings after the cursor are read";
  EXPECT_EQ(std::pair(m.panels.SavePanel.visible, m.scn.MainProc),
            std::pair(false, WaitHandler::None));
}

// A wrong signature (`endless` has no NUL in the header nor the scenario image: the reader must
// not go round it for ever) takes only work and flags. A file there but not read whole is damage,
// told once; no file is an empty slot. The closing steps run all the same.
TEST(LoadSlot, AWrongOrDamagedSlotTakesAtMostItsVariables) {
  const std::string endless(64, 'A');
  struct Case { std::string signature; std::optional<std::size_t> size; bool unreadable = false; };
  for (const Case& c : {Case{"Brannix", 1088}, Case{"BrannicX", 1088}, Case{"brannic", 1088},
                        Case{"", 1088}, Case{endless, 1088}, Case{"Brannic", std::nullopt},
                        Case{"Brannic", 0}, Case{"Brannic", 64}, Case{"Brannic", 1087},
                        Case{"Brannic", 1088, true}}) {
    SCOPED_TRACE(c.signature + " " + std::to_string(c.size.value_or(-1)));
    MenusRig m;
    if (c.signature == endless) {
      m.files.Put(std::string(kDat) + "SNX/FULL.SNX", std::string(scenario::kImageSize, 'A'));
      m.scn.LoadScenario("FULL"), m.scn.inx = 42;
    }
    m.SetLive(OtherLiveState());
    m.spd = 55, m.input.spf = 0, m.scn.MainProc = WaitHandler::IdleWait;
    SlotBytes file;  // settings and names, which only the right signature takes
    file.Header(50, 7, 0, 0).Names("x", "y", "z", "w").Work(9, 99).Flag(1);
    std::fill_n(file.bytes.begin(), 8, 0);
    file.Text(0, c.signature).bytes.resize(c.size.value_or(0));
    if (c.size) m.PutSlot(0, file.bytes);
    if (c.unreadable) m.files.MakeUnreadable(m.SlotPath(0));
    m.saves.LoadSlot(0);
    const bool damaged = c.size && (*c.size < 1088 || c.unreadable);
    LiveState want = OtherLiveState();
    if (c.size && !damaged) want.work = {}, want.work[9] = 99, want.flag = {}, want.flag[0] = 2;
    EXPECT_EQ(m.Live(), want);
    EXPECT_EQ(std::tuple(m.spd, m.handlers.size(), m.Boxes().size(), m.scn.inx, m.scn.MainProc,
                         m.input.spf),
              std::tuple(55, 0u, damaged ? 1u : 0u, 42, WaitHandler::None, 1));
    const std::string told = "DATA00 を読み込めないよ。\n\"" + m.SlotPath(0) + "\": ";
    EXPECT_EQ(m.OnlyBox().starts_with(told), damaged) << m.OnlyBox();
  }
}

// The speed shows as the setting giving it (0 for 128 and more). Only changed controls run their
// handlers (the music restarts), in the file's order.
TEST(LoadSlot, SettingsStopAtTheControlsLimitsAndTheSourceFallsBackToMute) {
  struct Case { uint8_t reso, mouse, speed, code; const char* disabled;  // disabled at start-up
                int want_reso, want_mouse, want_speed; const char* want_source; std::size_t ran; };
  const Case cases[] = {{200, 9, 200, 1, nullptr, 150, 7, 0, "WaveBtn", 4},
                        {10, 0, 0, 2, nullptr, 50, 1, 0, "MidiBtn", 4},
                        {100, 5, 1, 3, nullptr, 100, 5, 127, "MidiBtn2", 2},
                        {150, 7, 128, 0, nullptr, 150, 7, 0, "MuteBtn", 4},
                        {100, 3, 64, 1, "WaveBtn", 100, 3, 64, "MuteBtn", 1},
                        {100, 3, 64, 2, "MidiBtn", 100, 3, 64, "MuteBtn", 1},
                        {100, 3, 64, 3, "MidiBtn2", 100, 3, 64, "MuteBtn", 1},
                        {100, 3, 64, 2, "MidiBtn2", 100, 3, 64, "MidiBtn", 1},
                        {100, 3, 64, 9, nullptr, 100, 3, 64, "MuteBtn", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(&c - cases));
    MenusRig m;
    m.panels.SpeedSpin.value = 64, m.panels.MouseSpin.value = 3;
    m.spd = 7, m.form.cursors.CursorNumber = 1;
    m.SourceButton("MidiBtn2").SetChecked();
    if (c.disabled) m.SourceButton(c.disabled).enabled = false;
    SlotBytes file;
    file.Header(c.reso, c.mouse, c.speed, c.code).bytes.resize(menus::kSlotSize, 0);
    m.PutSlot(1, file.bytes);
    m.handlers.clear();
    m.saves.LoadSlot(1);
    const LiveState live = m.Live();
    EXPECT_EQ(std::tuple(live.reso, live.mouse, live.speed, live.source, int{m.spd},
                         m.form.cursors.CursorNumber, m.handlers.size()),
              std::tuple(c.want_reso, c.want_mouse, c.want_speed, c.want_source, int{c.speed},
                         c.want_mouse, c.ran));
    m.saves.SaveSlot(2);
    const Names codes{"MuteBtn", "WaveBtn", "MidiBtn", "MidiBtn2"};
    EXPECT_EQ(codes.at((*m.Slot(2))[11]), c.want_source) << "the checked button's code saved";
  }
  MenusRig m;
  m.SetLive(OtherLiveState());
  m.PutSlot(1, SlotBytes().Header(55, 5, 80, 0).bytes);
  m.saves.LoadSlot(1);
  EXPECT_EQ(m.handlers, (Names{"ResoSpinChange 55", "MouseSpinChange 5", "SpeedSpinChange 48",
                               "MidiBtnClick"}));
}

// A failed save (a read-only folder or file) keeps the old file; a missing slot folder is made.
TEST(SaveSlot, AnUnwritableSlotKeepsTheOldFileAndSaysSo) {
  for (bool folder : {true, false}) {
    MenusRig m;
    const std::vector<uint8_t> old = SlotBytes().Header(60, 2, 32, 1).Work(1, 111).bytes;
    const std::string refused = folder ? m.slot_folder : m.SlotPath(3);
    m.PutSlot(3, old), m.files.MakeReadOnly(refused);
    m.SetLive(SampleLiveState());
    try {
      m.saves.SaveSlot(3);
      ADD_FAILURE() << "a save that did not happen must not pass for one";
    } catch (const GameError& e) {
      EXPECT_EQ(SjisToUtf8(e.message()),
                "DATA03 に書き込めなかったよ。\n\"" + refused + "\": Permission denied");
    }
    EXPECT_EQ(*m.Slot(3), old) << folder;
  }
  MenusRig m;
  m.slot_folder = "NEW/SAVES/";
  m.saves.SaveSlot(2);
  EXPECT_TRUE(m.files.Folders().count("new/saves/") && m.files.Get("NEW/SAVES/DATA02"));
}

const std::string kEmptyRow = S("－－月－－日　　　　～空き部屋～");

// Six slots: used with short names, empty, missing, damaged (short), used with full-width names
// and odd numbers, and used with a name longer than its column, no name and numbers past 99.
void PutListedSlots(MenusRig& m) {
  m.PutSlot(1, SlotBytes().Header(100, 1, 96, 1).Names("ABCD", "ABCDEFGH", "X", "Y").Work(5, 7)
                   .Work(6, 12).bytes, {2026, 3, 4, 5, 6, 8});
  m.PutSlot(2, SlotBytes().Header(100, 1, 96, 1).Names("Q", "R", "S", "T").Work(0, 1).bytes);
  m.PutSlot(4, std::vector<uint8_t>(500, 0));
  m.PutSlot(5, SlotBytes().Header(100, 2, 96, 1).Names(S("太郎"), S("花子"), "", "").Work(5, 0x0312)
                   .Work(6, -1).bytes, {1999, 12, 31, 23, 59, 58});
  m.PutSlot(6, SlotBytes().Header(100, 3, 96, 1).Names("ABCDEFGHIJ", "", "C", "D").Work(5, 100)
                   .Work(6, 123).bytes, {2000, 1, 1, 0, 0, 0});
}

// The rows show the month and day variables, the first two names and the file's date; the
// damaged slot counts as used (saving over it asks first) and is told once the listing is done.
TEST(SlotListing, CaptionsShowMonthDayNamesAndFileDate) {
  MenusRig m;
  menus::Panels& p = m.panels;
  PutListedSlots(m);
  p.SaveList.Select(2);
  m.saves.OpenSaveMenu(0, 5, 6);
  const std::string and_ = S("と"), of = S("のVelmor』 '");
  EXPECT_EQ(p.SaveList.rows, (Names{
      S("　７月１２日『") + "    ABCD" + and_ + "ABCDEFGH" + of + "26/03/04 05:06:08", kEmptyRow,
      kEmptyRow, S("－－月－－日　　　　～開かずの間～"),
      S("１８月５５日『") + "    " + S("太郎") + and_ + "    " + S("花子") + of + "99/12/31 23:59:58",
      S("　０月２３日『") + "ABCDEFGHIJ" + and_ + "        " + of + "00/01/01 00:00:00"}));
  EXPECT_EQ(m.saves.SlotUsed, (std::array<uint8_t, 7>{0, 1, 0, 0, 1, 1, 1}));
  EXPECT_NE(m.OnlyBox().find("DATA04 を読み込めないよ。"), std::string::npos) << m.OnlyBox();
  EXPECT_EQ(std::tuple(p.SaveButton.caption + p.SaveCancelButton.caption, p.SavePanel.focus,
                       p.SaveList.selected, int{m.scn.inx}, int{m.scn.CallDepth}),
            std::tuple(S("ロードｷｬﾝｾﾙ"), &p.SaveList, -1, 42, 0)) << "every call bracket closed";
  m.files.MakeTimesUnreadable(true);
  m.saves.OpenSaveMenu(1, 5, 6);
  EXPECT_TRUE(p.SaveList.rows[0].ends_with(" '--/--/-- --:--:--")) << p.SaveList.rows[0];
  EXPECT_EQ(p.SaveButton.caption + p.SaveCancelButton.caption, S("セーブ閉じる"));
  // Saving over the damaged slot asks first; a load says why it cannot.
  m.dialogs.Clear(), m.dialogs.QueueAnswer(Answer::Cancel);
  p.SaveList.Select(3), p.SaveButton.Click();
  EXPECT_EQ(m.OnlyBox(), "重ね書きするよ？");
  EXPECT_EQ(*m.Slot(4), std::vector<uint8_t>(500, 0));
  m.dialogs.Clear(), m.saves.SaveMode = 0, p.SaveButton.Click();
  EXPECT_NE(m.OnlyBox().find("500 bytes"), std::string::npos) << m.OnlyBox();
  EXPECT_TRUE(p.SavePanel.visible);
}

// With the game's texts shown translated, the rows and the boxes made from pieces are whole
// English sentences, the values where the English puts them; the slot files stay as they were.
TEST(SlotListing, RowsAndBoxesInEnglishWhenTheGameIsShownTranslated) {
  ScopedTexts restore;
  MenusRig m;  // first: the game applies the reader's settings as it starts
  Texts& texts = CurrentTexts();
  texts.game_translated = true;
  texts.game_english.Add("%s月%s日『%sと%sのVelmor』 '%s", "[%3$s|%4$s] %1$s/%2$s '%5$s");
  texts.game_english.Add("－－月－－日　　　　～空き部屋～", "--/-- (empty)");
  texts.game_english.Add("－－月－－日　　　　～開かずの間～", "--/-- (sealed)");
  texts.game_english.Add("%s を読み込めないよ。\n%s", "Cannot read %s.\n%s");
  texts.game_english.Add("%s に書き込めなかったよ。\n%s", "Could not write %s.\n%s");
  menus::Panels& p = m.panels;
  PutListedSlots(m);
  const std::vector<uint8_t> slot5 = *m.Slot(5);
  m.saves.OpenSaveMenu(0, 5, 6);
  ASSERT_EQ(p.SaveList.rows.size(), 6u);
  EXPECT_EQ(p.SaveList.rows[0], S("[    ABCD|ABCDEFGH] 　７/１２ '26/03/04 05:06:08"));
  EXPECT_EQ(p.SaveList.rows[1], "--/-- (empty)");
  EXPECT_EQ(p.SaveList.rows[3], "--/-- (sealed)");
  EXPECT_EQ(p.SaveList.rows[4], S("[    太郎|    花子] １８/５５ '99/12/31 23:59:58"));
  EXPECT_EQ(m.OnlyBox().substr(0, 19), "Cannot read DATA04.") << m.OnlyBox();
  EXPECT_EQ(*m.Slot(5), slot5);
  m.PutSlot(3, SlotBytes().Header(60, 2, 32, 1).bytes);
  m.files.MakeReadOnly(m.SlotPath(3));
  try {
    m.saves.SaveSlot(3);
    ADD_FAILURE() << "a save that did not happen must not pass for one";
  } catch (const GameError& e) {
    EXPECT_EQ(e.message(), "Could not write DATA03.\n\"" + m.SlotPath(3) + "\": Permission denied");
  }
  // A sentence the catalogue lacks stays the game's.
  texts.game_english = Catalogue();
  m.saves.OpenSaveMenu(0, 5, 6);
  EXPECT_EQ(p.SaveList.rows[1], kEmptyRow);
}

// The live state after the listing is the one before it, whether or not its slot file could be
// written (a stale one is never read). A cursor that fails is told once with the rest.
TEST(SlotListing, KeepsTheLiveStateEvenWhenItsFileCannotBeWritten) {
  struct Case { const char* what; bool writable, stale_file, cursor_missing; };
  for (Case c : {Case{"writable", true, false, false}, Case{"read-only", false, false, false},
                 Case{"read-only, stale file", false, true, false},
                 Case{"slot 5's cursor missing", true, false, true}}) {
    SCOPED_TRACE(c.what);
    MenusRig m;
    PutListedSlots(m);
    m.SetLive(SampleLiveState());
    if (c.stale_file) m.PutSlot(255, SlotBytes().Header(150, 1, 128, 1).Work(1, 999).bytes);
    if (!c.writable) m.files.MakeReadOnly(m.slot_folder);
    if (c.cursor_missing) m.files.Remove(std::string(kDat) + "CURSOR/CSR02M.BMP");
    m.saves.OpenSaveMenu(0, 5, 6);
    const LiveState live = Saved(SampleLiveState());
    EXPECT_EQ(m.Live(), live);
    EXPECT_EQ(std::tuple(int{m.spd}, m.form.cursors.CursorNumber, m.files.Has(m.SlotPath(255)),
                         m.panels.SavePanel.visible, m.scn.MainProc),
              std::tuple(96, 4, c.writable || c.stale_file, true, WaitHandler::IdleWait));
    EXPECT_TRUE(!c.writable || (*m.Slot(255))[64 + 2 * 9] == static_cast<uint8_t>(live.work[9]));
    EXPECT_NE(m.OnlyBox().find("DATA04"), std::string::npos) << "one box: " << m.OnlyBox();
    EXPECT_EQ(m.OnlyBox().find("CSR02M.BMP") != std::string::npos, c.cursor_missing);
  }
}

TEST(OpenSaveMenu, AVariableNumberPastTheTableEndsTheProgramWithItsNumber) {
  MenusRig m;
  EXPECT_THROW(m.saves.OpenSaveMenu(0, 5, 300), QuitSignal);
  EXPECT_NE(m.OnlyBox().find("300"), std::string::npos);
  EXPECT_FALSE(m.files.Has(m.SlotPath(255))) << "nothing was listed";
  EXPECT_TRUE(m.form.quit);
}

// The Save/Load button and a double click on the list. Slot 2 is used, slot 3 empty (work 0 is
// not 0), the others missing.
TEST(SaveButton, ShowsItsBoxAndActs) {
  using namespace menus;
  struct Case { const char* what; int mode, row; bool double_click; Answer answer;
                const BoxText* box; bool saved, loaded; };  // mode 1 saves; row -1: none
  const Case cases[] = {
      {"save, nothing selected", 1, -1, false, Answer::Ok, &kNoFileSelected, false, false},
      {"load, nothing selected", 0, -1, false, Answer::Ok, &kNoFileSelected, false, false},
      {"save over a used slot, OK", 1, 1, false, Answer::Ok, &kOverwrite, true, false},
      {"save over a used slot, Cancel", 1, 1, false, Answer::Cancel, &kOverwrite, false, false},
      {"save into an empty slot", 1, 2, false, Answer::Cancel, nullptr, true, false},
      {"save into a missing slot", 1, 4, false, Answer::Cancel, nullptr, true, false},
      {"load a used slot", 0, 1, false, Answer::Ok, nullptr, false, true},
      {"load an empty slot", 0, 2, false, Answer::Ok, &kNobodyHere, false, false},
      {"load a missing slot", 0, 0, false, Answer::Ok, &kNobodyHere, false, false},
      {"double click, load a used slot", 0, 1, true, Answer::Ok, nullptr, false, true},
      {"double click, nothing selected", 0, -1, true, Answer::Ok, &kNoFileSelected, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MenusRig m;
    const auto slot2 = SlotBytes().Header(80, 2, 64, 0).Names("s", "t", "u", "v").Work(1, 222),
               slot3 = SlotBytes().Header(80, 2, 64, 0).Work(0, 1).Work(1, 333);
    m.PutSlot(2, slot2.bytes), m.PutSlot(3, slot3.bytes);
    m.SetLive(OtherLiveState());
    m.saves.OpenSaveMenu(c.mode, 5, 6);
    m.dialogs.Clear(), m.dialogs.QueueAnswer(c.answer);
    if (c.row >= 0) m.panels.SaveList.Select(c.row);
    c.double_click ? m.panels.SaveList.DblClick() : m.panels.SaveButton.Click();
    ASSERT_EQ(m.Boxes().size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(std::tuple(m.OnlyBox(), m.Boxes()[0].kind, m.Boxes()[0].buttons),
                std::tuple(c.box->utf8, c.box->kind, c.box->buttons));
    }
    if (c.saved) {  // the live work -5, and the list made again
      ASSERT_NE(m.Slot(c.row + 1), nullptr);
      EXPECT_EQ(std::tuple((*m.Slot(c.row + 1))[64 + 2 * 9], int{m.saves.SlotUsed[c.row + 1]},
                           m.panels.SaveList.rows[c.row] != kEmptyRow), std::tuple(0xFB, 1, true));
    } else {
      EXPECT_EQ(std::pair(*m.Slot(2), *m.Slot(3)), std::pair(slot2.bytes, slot3.bytes));
    }
    if (c.loaded)
      EXPECT_EQ(std::tuple(m.scn.work[1], m.scn.mcr[0].str(), m.panels.ResoSpin.value),
                std::tuple(222, "s", 80));
    else
      EXPECT_EQ(m.Live(), Saved(OtherLiveState()));
    const WaitHandler proc = c.loaded ? WaitHandler::None : WaitHandler::IdleWait;
    EXPECT_EQ(std::tuple(m.panels.SavePanel.visible, m.window.SystemPointerVisible(),
                         m.scn.MainProc), std::tuple(!c.loaded, !c.loaded, proc));
  }
}

// A file longer than a slot is unreadable, like a short one; a slot-sized
// file without the signature is a stranger's: listed as such, loaded as the
// game always did (its variables, not its settings), and saving over either
// asks first.
TEST(SlotListing, FilesThatAreNotTheGamesSlotsAreNamed) {
  MenusRig m;
  menus::Panels& p = m.panels;
  std::vector<uint8_t> longer = SlotBytes().Header(100, 1, 96, 1).Work(5, 7).bytes;
  longer.push_back(0);
  m.PutSlot(1, longer);
  m.PutSlot(2, SlotBytes().Text(0, "PK\x03\x04 not a slot").Work(7, 42).bytes);
  m.saves.OpenSaveMenu(1, 5, 6);
  ASSERT_GE(p.SaveList.rows.size(), 2u);
  EXPECT_EQ(p.SaveList.rows[0], S("－－月－－日　　　　～開かずの間～"));
  EXPECT_EQ(p.SaveList.rows[1], S("－－月－－日　　　　～よその部屋～"));
  EXPECT_EQ(m.saves.SlotUsed[1] + m.saves.SlotUsed[2], 2);
  EXPECT_NE(m.OnlyBox().find("1089 bytes"), std::string::npos) << m.OnlyBox();
  for (int row : {0, 1}) {
    m.dialogs.Clear(), m.dialogs.QueueAnswer(Answer::Cancel);
    p.SaveList.Select(row), p.SaveButton.Click();
    EXPECT_EQ(m.OnlyBox(), "重ね書きするよ？");
  }
  EXPECT_EQ(*m.Slot(1), longer);
  m.dialogs.Clear(), m.saves.SaveMode = 0;
  p.SaveList.Select(1), p.SaveButton.Click();
  EXPECT_EQ(m.scn.work[7], 42);
}

}  // namespace
}  // namespace velmor::testing
