// Skipping read text and auto mode: which messages count as read and how they are kept beside the
// slots, where skipping stops, how long auto mode waits, and that any click ends either. The
// reader's own settings: their file (ranges, a damaged file, where it lives) and their effect in
// the game.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/reader_modes.h"
#include "app/reader_settings.h"
#include "platform/headless/memory_files.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using app::ParseReaderSettings;
using app::ReaderMode;
using app::ReaderSettings;
using app::ReaderSettingsFile;
using app::ReadMessages;
using scenario::WaitHandler;

constexpr const char* kReadFile = "PROG/READTEXT.TXT";

// INIT: three messages each followed by a click wait, then a choice; `ends` are the offsets past
// each message's instruction.
struct Story {
  Story() {
    for (const char* text : {"AAAA", "BBBBBBBBBB", "CC"}) {
      ends.push_back(c.b(21).b(1).s(text).here());
      c.b(22);
    }
    c.b(23).w(7).s("X").s("Y").b(0).b(22).b(255);
  }
  Code c;
  std::vector<uint16_t> ends;
};

TEST(ReadMessagesFile, KeepsEveryMessageAndLeavesOutWhatMakesNoSense) {
  ReadMessages set;
  EXPECT_TRUE(set.Add({"INIT", 7}));
  EXPECT_FALSE(set.Add({"INIT", 7}));
  EXPECT_TRUE(set.Add({"\x93\xFA\x96\x7B", 65535}));  // a Shift-JIS name
  const std::vector<uint8_t> bytes = set.Encode();
  const std::string head = "velmor read messages 1\n";
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), head + "494E4954 7\n93FA967B 65535\n");
  struct Case { std::string text; std::size_t kept; int bad; };
  for (const Case& c : {Case{std::string(bytes.begin(), bytes.end()), 2, 0}, Case{"", 0, 0},
                        Case{"something else\n494E4954 7\n", 0, 1}, Case{head, 0, 0},
                        Case{head + "494E4954 7\n\n53 1\n", 2, 0},
                        Case{head + "494E495 7\n", 0, 1},  // odd digits
                        Case{head + "494E4954 65536\n", 0, 1}, Case{head + "494E4954 -1\n", 0, 1},
                        Case{head + "494E4954\n", 0, 1},
                        Case{head + "ZZ 3\n 3\n494E4954 3x\n53 2\n", 1, 3}}) {
    int bad = -1;
    const auto* data = reinterpret_cast<const uint8_t*>(c.text.data());
    const std::size_t kept = ReadMessages::Decode({data, c.text.size()}, &bad).size();
    EXPECT_EQ(std::pair(kept, bad), std::pair(c.kept, c.bad)) << c.text;
  }
}

TEST(AutoMode, ThePageDecidesTheWait) {
  struct Case { ByteString text; std::size_t end; int32_t characters; };
  const ByteString full = Sjis("日本語");
  for (Case c : {Case{Sjis("ABCD"), 4, 4}, Case{full, full.size(), 3},
                 Case{ByteString("AB\x03" "ZC"), 5, 3},   // a colour code and its argument
                 Case{ByteString("ABC\x05" "DE"), 6, 2},  // the page after a page wait
                 Case{ByteString("ABC\x05" "DE"), 3, 3}, Case{Sjis("ABCD"), 99, 4},
                 Case{ByteString(), 0, 0}})
    EXPECT_EQ(app::PageCharacters(c.text, c.end), c.characters) << c.text.str();
  // Characters, the base delay and the ticks waited.
  for (auto [characters, delay_ms, ticks] :
       {std::tuple{0, 1500, 75}, {1, 1500, 78}, {0, 1510, 76},  // rounded up to a tick
        {10, 1500, 105}, {-3, 1500, 75}, {4, 0, 12}, {2, 4000, 206}})
    EXPECT_EQ(app::AutoWaitTicks(characters, delay_ms), ticks) << characters << " " << delay_ms;
}

// Messages typed to the end are kept beside the slots; a file that cannot be written loses nothing
// else, and a damaged one gives what it holds.
TEST(ReaderModes, MessagesTypedToTheEndAreKeptBesideTheSlots) {
  Story s;
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable);
    GameRig g(s.c.bytes);
    if (!writable) g.files.MakeReadOnly("PROG/");
    g.Start();
    g.Run("until WaitClick 100\nclick left\ntick\nuntil WaitClick 100\n");
    EXPECT_EQ(std::tuple(g.form().reader.read().size(), g.form().reader.save_failed(),
                         g.game->dialogs().Boxes().empty(), g.files.Has("PROG/DATA00")),
              std::tuple(2u, !writable, true, false));
    EXPECT_EQ(g.game->StateJson().find("READ"), std::string::npos);
    if (!writable) continue;
    ReadMessages want;
    want.Add({"INIT", s.ends[0]});
    want.Add({"INIT", s.ends[1]});
    ASSERT_NE(g.files.Get(kReadFile), nullptr);
    EXPECT_EQ(*g.files.Get(kReadFile), want.Encode());
  }
  GameRig h(s.c.bytes);
  h.files.Put(kReadFile,
              "velmor read messages 1\nnonsense\n494E4954 " + std::to_string(s.ends[0]) + "\n");
  h.Start();
  EXPECT_EQ(h.form().reader.read().size(), 1u);
}

// Skipping passes read messages without a click and ends at the first unread one (its click wait
// waits for the player) or at a choice, read or not.
TEST(ReaderModes, SkippingPassesReadMessagesAndStopsAtTheFirstUnreadOrAChoice) {
  // The first messages read before, the keys, where skipping stops.
  for (auto [read, keys, stop] : {std::tuple{2u, "keys ctrl\nkey tab\n", WaitHandler::WaitClick},
                                  {3u, "key tab\n", WaitHandler::ChoiceProc}}) {
    SCOPED_TRACE(read);
    Story s;
    GameRig g(s.c.bytes);
    ReadMessages messages;
    for (std::size_t i = 0; i < read; ++i) messages.Add({"INIT", s.ends[i]});
    g.files.Put(kReadFile, messages.Encode());
    g.Start();
    g.Run(keys);
    EXPECT_EQ(g.form().reader.mode(), ReaderMode::SkipRead);
    g.Run("tick 30\n");
    // The key went up; nothing lent is left behind.
    const app::TForm1& f = g.form();
    EXPECT_EQ(std::tuple(f.scn.MainProc, f.msgwin.MsgText.str(), f.reader.mode(), f.input.sft,
                         f.scn.work[7]), std::tuple(stop, "CC", ReaderMode::Off, 0, 0));
  }
}

TEST(ReaderModes, TheKeysToggleTheModesWhichExcludeEachOtherAndAnyClickOnlyEndsThem) {
  Story s;
  GameRig g(s.c.bytes);
  g.Start();
  g.Run("until WaitClick 100\ntick\n");
  app::TForm1& f = g.form();
  for (auto [key, mode, indicator] :
       {std::tuple{"key a", ReaderMode::Auto, "Auto"},
        {"key tab", ReaderMode::SkipRead, "Skipping read text"}, {"key tab", ReaderMode::Off, ""},
        {"key a", ReaderMode::Auto, "Auto"}, {"key a", ReaderMode::Off, ""}}) {
    g.Run(key);
    // While a mode is on the ticks never rest.
    EXPECT_EQ(std::tuple(f.reader.mode(), f.reader.Indicator(), f.IdleFor().has_value()),
              std::tuple(mode, indicator, mode == ReaderMode::Off)) << key;
  }
  for (const std::string click :
       {"click left", "click right", "key enter", "key space", "key escape", "wheel down"}) {
    g.Run("key a\n");
    ASSERT_EQ(f.reader.mode(), ReaderMode::Auto);
    g.Run(click + "\ntick\ntick\n");
    EXPECT_EQ(std::tuple(f.reader.mode(), f.scn.MainProc, f.input.HoldMode, f.msgwin.MsgText.str()),
              std::tuple(ReaderMode::Off, WaitHandler::WaitClick, 0, "AAAA")) << click;
  }
}

// Auto mode goes on after the time the page takes to read (a longer page waits longer), turns page
// waits too, and waits for the player at a choice.
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
  EXPECT_EQ(std::tuple(g.form().scn.MainProc, g.form().reader.mode()),
            std::tuple(WaitHandler::ChoiceProc, ReaderMode::Auto));
  GameRig p(Code().b(21).b(1).s("AB\x05" "C").b(22).b(255).bytes);  // \x05: a page wait
  p.Start();
  p.Run("key a\n");
  for (int i = 0; i < 20 && !p.form().msgwin.PageWait; ++i) p.Ticks(1);
  ASSERT_TRUE(p.form().msgwin.PageWait);
  p.Run("tick " + std::to_string(app::AutoWaitTicks(2) + 1) + "\n");
  EXPECT_FALSE(p.form().msgwin.PageWait);
}

ReaderSettings Make(int volume, bool smooth, int delay) {
  ReaderSettings s;
  s.music_volume = volume, s.smooth_scaling = smooth, s.auto_delay_ms = delay;
  return s;
}

// Each text gives its settings, or the defaults and the reason it was refused.
TEST(ReaderSettingsText, ReadsValuesInRangeOrRefusesADamagedText) {
  struct Case { std::string text; ReaderSettings want; const char* problem = ""; };  // "": none
  const ReaderSettings defaults;
  const Case cases[] = {
      {"[reader]\nmusic_volume=40\nsmooth_scaling=1\nauto_delay_ms=800\n", Make(40, true, 800)},
      {"[Reader]\r\n  MUSIC_VOLUME = 70 \r\nSmooth_Scaling=on\r\n", Make(70, true, 1500)},
      {"[reader]\nsmooth_scaling=yes\nsmooth_scaling=false\n", Make(100, false, 1500)},
      {"[reader]\nmusic_volume=150\nauto_delay_ms=-20\n", Make(100, false, 0)},
      {"[reader]\nmusic_volume=-1\nauto_delay_ms=99999999999999999999\n", Make(0, false, 10000)},
      {"[reader]\nmusic_volume=loud\n", defaults, "line 2: music_volume cannot be \"loud\""},
      {"[reader]\nmusic_volume=50%\n", defaults, "line 2"},
      {"[reader]\nsmooth_scaling=maybe\n", defaults, "smooth_scaling cannot be"},
      {"[reader]\nauto_delay_ms=\n", defaults, "auto_delay_ms cannot be"},
      {"[reader\nmusic_volume=5\n", defaults, "line 1 opens a section"},
      {"[reader]\n# a comment\n\n; another\njust some words\n", defaults,
       "line 5 is not \"name=value\""},
      {std::string("[reader]\nmusic_volume=5\n\0\x01\x02", 26), defaults, "not a text file"},
      {"music_volume=\xFF\xFE\n", defaults, "not a text file"},
      {std::string(70000, '#'), defaults, "far too long"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    app::ParsedSettings got = ParseReaderSettings(c.text);
    EXPECT_EQ(got.settings, c.want);
    EXPECT_EQ(got.problem.empty(), !*c.problem);
    EXPECT_THAT(got.problem, HasSubstr(c.problem));
  }
}

// Written and read again, nothing is lost or moved to another section, and what was out of range is
// written in range.
TEST(ReaderSettingsText, WrittenSettingsReadBackAsTheyWere) {
  app::ParsedSettings others = ParseReaderSettings(
      "music_volume=10\n[reader]\nauto_delay_ms=100\nlater_feature=abc def\n[window]\nx=3\ny=\n");
  ASSERT_EQ(others.problem, "");
  EXPECT_EQ(others.settings.music_volume, 100) << "only the reader section's";
  EXPECT_EQ(others.settings.others,
            (std::vector<ReaderSettings::Other>{{"", "music_volume", "10"},
                                                {"reader", "later_feature", "abc def"},
                                                {"window", "x", "3"}, {"window", "y", ""}}));
  for (const ReaderSettings& s : {others.settings, ReaderSettings(), Make(0, true, 0),
                                  Make(100, false, 10000), Make(33, true, 2750)}) {
    app::ParsedSettings back = ParseReaderSettings(app::FormatReaderSettings(s));
    EXPECT_EQ(std::pair(back.problem, back.settings), std::pair(std::string(), s));
  }
  EXPECT_EQ(ParseReaderSettings(app::FormatReaderSettings(Make(400, false, -5))).settings,
            Make(100, false, 0));
}

TEST(ReaderSettingsFileTest, SavedLoadedAndADamagedFileReportedOnceAndReplaced) {
  platform::MemoryFiles files;
  ReaderSettingsFile file(files, "HOME/.config/velmor/settings.ini");
  std::string report = "untouched", error;
  EXPECT_EQ(file.Load(&report), ReaderSettings());  // no file: the defaults
  EXPECT_FALSE(files.Exists("HOME/.config/velmor/settings.ini"));  // nothing written for that
  ASSERT_TRUE(file.Save(Make(20, true, 3000), &error)) << error;
  EXPECT_EQ(file.Load(&report), Make(20, true, 3000));
  EXPECT_EQ(report, "untouched");
  const std::string path = "CFG/velmor/settings.ini";
  files.Put(path, "garbage\n");
  ReaderSettingsFile damaged(files, path);
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  EXPECT_THAT(report,
              AllOf(HasSubstr(path), HasSubstr("line 1"), HasSubstr("back to their defaults")));
  // The file now holds the defaults: the next start says nothing.
  report.clear();
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  EXPECT_EQ(report, "");
  const std::string want = app::FormatReaderSettings(ReaderSettings());
  EXPECT_EQ(files.ReadFile(path, nullptr), std::vector<uint8_t>(want.begin(), want.end()));
}

TEST(ReaderSettingsFileTest, AFolderThatCannotBeWrittenIsSaidSo) {
  platform::MemoryFiles files;
  const std::string path = "RO/velmor/settings.ini";
  files.Put(path, "x\n");
  files.MakeReadOnly("RO/");
  ReaderSettingsFile file(files, path), nowhere(files, "");
  std::string report, error;
  EXPECT_EQ(file.Load(&report), ReaderSettings());
  EXPECT_THAT(report, HasSubstr("for this run"));
  EXPECT_FALSE(file.Save(ReaderSettings(), &error));
  EXPECT_THAT(error, HasSubstr("Permission denied"));
  EXPECT_EQ(nowhere.Load(&report), ReaderSettings());
  EXPECT_FALSE(nowhere.Save(ReaderSettings(), &error));
  EXPECT_THAT(error, HasSubstr("XDG_CONFIG_HOME"));
}

TEST(ReaderSettingsFileTest, WhereTheFileLives) {
  const char* const in_home = "/home/a/.config/velmor/settings.ini";
  struct Case { const char *xdg, *home, *path; };
  for (Case c : {Case{"/cfg/", "/home/a", "/cfg/velmor/settings.ini"},
                 Case{"relative", "/home/a", in_home}, Case{"", "/home/a/", in_home},
                 Case{nullptr, "/home/a", in_home}, Case{nullptr, nullptr, ""},
                 Case{nullptr, "", ""}})
    EXPECT_EQ(app::ReaderSettingsPathFrom(c.xdg, c.home), c.path)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
}

TEST(ReaderSettingsInTheGame, TheyTakeEffect) {
  GameRig g(Code().b(21).b(1).s("AAAA").b(22).b(21).b(1).s("BB").b(22).b(255).bytes);
  g.Start();
  g.form().ApplyReaderSettings(Make(150, true, 0));
  EXPECT_EQ(g.form().reader_settings(), Make(100, true, 0));  // brought into range
  auto heard = [&g] {
    return std::pair(g.game->media().Volume(), g.game->window().SmoothScaling());
  };
  EXPECT_EQ(heard(), std::pair(100, true));
  g.form().ApplyReaderSettings(Make(30, false, 0));
  EXPECT_EQ(heard(), std::pair(30, false));
  // Auto mode without its base delay waits only the page's time a character; a longer delay waits
  // longer.
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4, 0));
  g.form().ApplyReaderSettings(Make(30, false, 4000));
  g.Run("until WaitClick 100\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(2, 4000));
}

}  // namespace
}  // namespace velmor::testing
