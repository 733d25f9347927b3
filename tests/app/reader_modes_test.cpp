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

TEST(ReadMessagesFile, KeepsEveryMessageAndLeavesOutWhatMakesNoSense) {
  ReadMessages set;
  EXPECT_TRUE(set.Add({"INIT", 7}));
  EXPECT_FALSE(set.Add({"INIT", 7}));
  EXPECT_TRUE(set.Add({"\x93\xFA\x96\x7B", 65535}));  // a Shift-JIS name
  const std::vector<uint8_t> bytes = set.Encode();
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "velmor read messages 1\n494E4954 7\n93FA967B 65535\n");
  struct Case {
    std::string text;
    std::size_t kept;
    int bad;
  };
  const std::string head = "velmor read messages 1\n";
  for (const Case& c : {Case{std::string(bytes.begin(), bytes.end()), 2, 0}, Case{"", 0, 0},
                        Case{"something else\n494E4954 7\n", 0, 1}, Case{head, 0, 0},
                        Case{head + "494E4954 7\n\n53 1\n", 2, 0},
                        Case{head + "494E495 7\n", 0, 1},  // odd digits
                        Case{head + "494E4954 65536\n", 0, 1}, Case{head + "494E4954 -1\n", 0, 1},
                        Case{head + "494E4954\n", 0, 1},
                        Case{head + "ZZ 3\n 3\n494E4954 3x\n53 2\n", 1, 3}}) {
    int bad = -1;
    ReadMessages got = ReadMessages::Decode(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size()),
        &bad);
    EXPECT_EQ(got.size(), c.kept) << c.text;
    EXPECT_EQ(bad, c.bad) << c.text;
  }
}

TEST(AutoMode, ThePageDecidesTheWait) {
  struct Case {
    ByteString text;
    std::size_t end;
    int32_t characters;
  };
  const ByteString full = Sjis("日本語");
  for (Case c : {Case{Sjis("ABCD"), 4, 4}, Case{full, full.size(), 3},
                 Case{ByteString("AB\x03" "ZC"), 5, 3},   // a colour code and its argument
                 Case{ByteString("ABC\x05" "DE"), 6, 2},  // the page after a page wait
                 Case{ByteString("ABC\x05" "DE"), 3, 3}, Case{Sjis("ABCD"), 99, 4},
                 Case{ByteString(), 0, 0}}) {
    EXPECT_EQ(app::PageCharacters(c.text, c.end), c.characters) << c.text.str();
  }
  struct Wait {
    int characters, delay_ms, ticks;
  };
  for (Wait w : {Wait{0, 1500, 75}, Wait{1, 1500, 78}, Wait{0, 1510, 76},  // rounded up to a tick
                 Wait{10, 1500, 105}, Wait{-3, 1500, 75}, Wait{4, 0, 12}, Wait{2, 4000, 206}}) {
    EXPECT_EQ(app::AutoWaitTicks(w.characters, w.delay_ms), w.ticks) << w.characters << " " << w.delay_ms;
  }
}

// Messages typed to the end are kept beside the slots; a file that cannot
// be written loses nothing else, and a damaged one gives what it holds.
TEST(ReaderModes, MessagesTypedToTheEndAreKeptBesideTheSlots) {
  Story s;
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable);
    GameRig g(s.c.bytes);
    if (!writable) g.files.MakeReadOnly("PROG/");
    g.Start();
    g.Run("until WaitClick 100\nclick left\ntick\nuntil WaitClick 100\n");
    EXPECT_EQ(g.form().reader.read().size(), 2u);
    EXPECT_EQ(g.form().reader.save_failed(), !writable);
    EXPECT_TRUE(g.game->dialogs().Boxes().empty());
    EXPECT_FALSE(g.files.Has("PROG/DATA00"));
    EXPECT_EQ(g.game->StateJson().find("READ"), std::string::npos);
    if (!writable) continue;
    ReadMessages want;
    want.Add({"INIT", s.ends[0]});
    want.Add({"INIT", s.ends[1]});
    ASSERT_NE(g.files.Get(kReadFile), nullptr);
    EXPECT_EQ(*g.files.Get(kReadFile), want.Encode());
  }
  GameRig h(s.c.bytes);
  h.files.Put(kReadFile, "velmor read messages 1\nnonsense\n494E4954 " + std::to_string(s.ends[0]) + "\n");
  h.Start();
  EXPECT_EQ(h.form().reader.read().size(), 1u);
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

TEST(ReaderModes, TheKeysToggleTheModesWhichExcludeEachOtherAndAnyClickOnlyEndsThem) {
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
  for (const char* click :
       {"click left", "click right", "key enter", "key space", "key escape", "wheel down"}) {
    g.Run("key a\n");
    ASSERT_EQ(g.form().reader.mode(), ReaderMode::Auto);
    g.Run(std::string(click) + "\ntick\ntick\n");
    EXPECT_EQ(g.form().reader.mode(), ReaderMode::Off) << click;
    EXPECT_EQ(g.form().scn.MainProc, WaitHandler::WaitClick) << click;
    EXPECT_EQ(g.form().input.HoldMode, 0) << click;
    EXPECT_EQ(g.form().msgwin.MsgText.str(), "AAAA") << click;
  }
}

// Auto mode goes on after the time the page takes to read (a longer page
// waits longer), turns page waits too, and waits for the player at a choice.
TEST(ReaderModes, AutoGoesOnAfterTheTimeThePageTakesToRead) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4));  // "AAAA"
  g.Run("until WaitClick 100\n");
  ASSERT_EQ(g.form().msgwin.MsgText.str(), "BBBBBBBBBB");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(10));
  g.Run("until ChoiceProc 400\ntick 500\n");
  EXPECT_EQ(g.form().scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(g.form().reader.mode(), ReaderMode::Auto);

  Code c;
  c.b(21).b(1).b('A').b('B').b(scenario::text_code::kPageWait).b('C').b(0).b(22).b(255);
  GameRig p(c.bytes);
  p.Start();
  p.Run("key a\n");
  for (int i = 0; i < 20 && !p.form().msgwin.PageWait; ++i) p.Ticks(1);
  ASSERT_TRUE(p.form().msgwin.PageWait);
  p.Run("tick " + std::to_string(app::AutoWaitTicks(2) + 1) + "\n");
  EXPECT_FALSE(p.form().msgwin.PageWait);
}

}  // namespace
}  // namespace velmor::testing
