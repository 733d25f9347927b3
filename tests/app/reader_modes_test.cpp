// Skipping read text and auto mode: which messages count as read and how
// they are kept beside the slots, where skipping stops, how long auto mode
// waits, and that any click ends either.
#include <gtest/gtest.h>

#include <string>

#include "app/reader_modes.h"
#include "scenario/language.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

using app::MessageId;
using app::ReaderMode;
using app::ReadMessages;
using scenario::WaitHandler;

constexpr const char* kReadFile = "PROG/READTEXT.TXT";

// INIT: three messages each followed by a click wait, then a choice.
struct Story {
  Story() {
    for (const char* text : {"AAAA", "BBBBBBBBBB", "CC"}) {
      c.b(21).b(1).s(text);
      ends.push_back(c.here());
      c.b(22);
    }
    c.b(23).w(7).s("X").s("Y").b(0).b(22).b(255);
  }
  Code c;
  std::vector<uint16_t> ends;  // the offset past each message's instruction
};

std::vector<uint8_t> FileOf(std::initializer_list<MessageId> ids) {
  ReadMessages set;
  for (const MessageId& id : ids) set.Add(id);
  return set.Encode();
}

TEST(ReadMessagesFile, KeepsEveryMessageAndLeavesOutWhatMakesNoSense) {
  ReadMessages set;
  EXPECT_TRUE(set.Add({"INIT", 7}));
  EXPECT_FALSE(set.Add({"INIT", 7}));
  EXPECT_TRUE(set.Add({"\x93\xFA\x96\x7B", 65535}));  // a Shift-JIS name
  const std::vector<uint8_t> bytes = set.Encode();
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "velmor read messages 1\n494E4954 7\n93FA967B 65535\n");
  int bad = -1;
  ReadMessages back = ReadMessages::Decode(bytes, &bad);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(back.size(), 2u);
  EXPECT_TRUE(back.Contains({"INIT", 7}));

  struct Case {
    const char* text;
    std::size_t kept;
    int bad;
  };
  for (Case c : {Case{"", 0, 0}, Case{"something else\n494E4954 7\n", 0, 1},
                 Case{"velmor read messages 1\n", 0, 0},
                 Case{"velmor read messages 1\n494E4954 7\n\n53 1\n", 2, 0},
                 Case{"velmor read messages 1\n494E495 7\n", 0, 1},      // odd digits
                 Case{"velmor read messages 1\n494E4954 65536\n", 0, 1},  // past a file
                 Case{"velmor read messages 1\n494E4954 -1\n", 0, 1},
                 Case{"velmor read messages 1\n494E4954\n", 0, 1},
                 Case{"velmor read messages 1\nZZ 3\n 3\n494E4954 3x\n53 2\n", 1, 3}}) {
    std::string text = c.text;
    ReadMessages got = ReadMessages::Decode(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &bad);
    EXPECT_EQ(got.size(), c.kept) << text;
    EXPECT_EQ(bad, c.bad) << text;
  }
}

TEST(AutoMode, ThePageDecidesTheWait) {
  static_assert(scenario::text_code::kColor == 0x03 && scenario::text_code::kPageWait == 0x05);
  struct Case {
    ByteString text;
    std::size_t end;
    int32_t characters;
  };
  const ByteString full = Sjis("日本語");
  for (Case c : {Case{Sjis("ABCD"), 4, 4}, Case{full, full.size(), 3},
                 Case{ByteString("AB\x03" "ZC"), 5, 3},   // a colour code and its argument
                 Case{ByteString("ABC\x05" "DE"), 6, 2},  // the page after a page wait
                 Case{ByteString("ABC\x05" "DE"), 3, 3},
                 Case{Sjis("ABCD"), 99, 4}, Case{ByteString(), 0, 0}}) {
    EXPECT_EQ(app::PageCharacters(c.text, c.end), c.characters) << c.text.str();
  }
  struct Wait {
    int characters, delay_ms, ticks;
  };
  for (Wait w : {Wait{0, 1500, 75}, Wait{1, 1500, 78},  // 1.56 s, rounded up to a tick
                 Wait{10, 1500, 105}, Wait{-3, 1500, 75}, Wait{4, 0, 12}, Wait{2, 4000, 206}}) {
    EXPECT_EQ(app::AutoWaitTicks(w.characters, w.delay_ms), w.ticks) << w.characters << " " << w.delay_ms;
  }
}

TEST(ReaderModes, MessagesTypedToTheEndAreKeptBesideTheSlots) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\nclick left\ntick\nuntil WaitClick 100\n");
  const std::vector<uint8_t>* file = g.files.Get(kReadFile);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(*file, FileOf({{"INIT", s.ends[0]}, {"INIT", s.ends[1]}}));
  // A mouse-only player's slots and state know nothing of it.
  EXPECT_FALSE(g.files.Has("PROG/DATA00"));
  EXPECT_EQ(g.game->StateJson().find("READ"), std::string::npos);
}

// Skipping passes read messages without a click and ends at the first unread
// one (its click wait waits for the player) or at a choice, read or not.
TEST(ReaderModes, SkippingPassesReadMessagesAndStopsAtTheFirstUnreadOrAChoice) {
  struct Case {
    std::size_t read;  // the first messages read before
    const char* keys;
    WaitHandler stop;
  };
  for (Case c : {Case{2, "keys ctrl\nkey tab\n", WaitHandler::WaitClick},
                 Case{3, "key tab\n", WaitHandler::ChoiceProc}}) {
    SCOPED_TRACE(c.read);
    Story s;
    GameRig g(s.c.bytes);
    ReadMessages read;
    for (std::size_t i = 0; i < c.read; ++i) read.Add({"INIT", s.ends[i]});
    g.files.Put(kReadFile, read.Encode());
    g.Start();
    g.Run(c.keys);
    EXPECT_EQ(g.form().reader.mode(), ReaderMode::SkipRead);
    g.Run("tick 30\n");
    EXPECT_EQ(g.form().scn.MainProc, c.stop);
    EXPECT_EQ(g.form().msgwin.MsgText.str(), "CC");
    EXPECT_EQ(g.form().reader.mode(), ReaderMode::Off);
    EXPECT_EQ(g.form().input.sft, 0);  // the key went up; nothing lent is left behind
    EXPECT_EQ(g.form().scn.work[7], 0);
  }
}

TEST(ReaderModes, AnyClickOnlyEndsTheMode) {
  for (const char* click : {"click left", "click right", "key enter", "key space",
                            "key escape", "wheel down"}) {
    Story s;
    GameRig g(s.c.bytes);
    g.Start();
    g.Run("until WaitClick 100\nkey a\n");
    ASSERT_EQ(g.form().reader.mode(), ReaderMode::Auto);
    g.Run(std::string(click) + "\ntick\ntick\n");
    EXPECT_EQ(g.form().reader.mode(), ReaderMode::Off) << click;
    EXPECT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick) << click;
    EXPECT_EQ(g.form().input.HoldMode, 0) << click;
  }
}

TEST(ReaderModes, TheKeysToggleAndTheModesExcludeEachOther) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\ntick\n");
  struct Step {
    const char* key;
    ReaderMode mode;
    const char* indicator;
  };
  for (Step st : {Step{"key a", ReaderMode::Auto, "Auto"},
                  Step{"key tab", ReaderMode::SkipRead, "Skipping read text"},
                  Step{"key tab", ReaderMode::Off, ""}, Step{"key a", ReaderMode::Auto, "Auto"},
                  Step{"key a", ReaderMode::Off, ""}}) {
    g.Run(st.key);
    EXPECT_EQ(g.form().reader.mode(), st.mode) << st.key;
    EXPECT_EQ(g.form().reader.Indicator(), st.indicator) << st.key;
    // While a mode is on the ticks never rest.
    EXPECT_EQ(g.form().IdleFor().has_value(), st.mode == ReaderMode::Off) << st.key;
  }
}

TEST(ReaderModes, AutoGoesOnAfterTheTimeThePageTakesToRead) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4));  // "AAAA"
  // The next page is longer: it waits longer.
  g.Run("until WaitClick 100\n");
  EXPECT_EQ(g.form().msgwin.MsgText.str(), "BBBBBBBBBB");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(10));
  // A choice waits for the player, however long.
  g.Run("until ChoiceProc 400\ntick 500\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.form().reader.mode(), ReaderMode::Auto);
}

TEST(ReaderModes, AutoTurnsPageWaitsToo) {
  Code c;
  c.b(21).b(1).b('A').b('B').b(scenario::text_code::kPageWait).b('C').b(0).b(22).b(255);
  GameRig g(c.bytes);
  g.Start();
  g.Run("key a\n");
  for (int i = 0; i < 20 && !g.form().msgwin.PageWait; ++i) g.Ticks(1);
  ASSERT_TRUE(g.form().msgwin.PageWait);
  g.Run("tick " + std::to_string(app::AutoWaitTicks(2) + 1) + "\n");
  EXPECT_FALSE(g.form().msgwin.PageWait);
}

TEST(ReaderModes, AFileThatCannotBeWrittenLosesNothingElse) {
  Story s;
  GameRig g(s.c.bytes);
  g.files.MakeReadOnly("PROG/");
  g.Start();
  g.Run("until WaitClick 100\nclick left\ntick\nuntil WaitClick 100\n");
  EXPECT_TRUE(g.form().reader.save_failed());
  EXPECT_EQ(g.form().reader.read().size(), 2u);  // still known for this run
  EXPECT_TRUE(g.game->dialogs().Boxes().empty());
  // A damaged file at start-up gives what it holds.
  GameRig h(s.c.bytes);
  h.files.Put(kReadFile, std::string("velmor read messages 1\nnonsense\n494E4954 ") +
                             std::to_string(s.ends[0]) + "\n");
  h.Start();
  EXPECT_EQ(h.form().reader.read().size(), 1u);
}

}  // namespace
}  // namespace velmor::testing
