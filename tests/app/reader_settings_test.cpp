// The reader's own settings: reading and writing their file, the ranges,
// what a damaged file gives, where the file lives, and the settings taking
// effect in the game.
#include <gtest/gtest.h>

#include <string>

#include "app/reader_settings.h"
#include "platform/headless/memory_files.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

using app::ParseReaderSettings;
using app::ReaderSettings;
using app::ReaderSettingsFile;

ReaderSettings Make(int volume, bool smooth, int delay) {
  ReaderSettings s;
  s.music_volume = volume;
  s.smooth_scaling = smooth;
  s.auto_delay_ms = delay;
  return s;
}

// Each text gives its settings, or the defaults and the reason it was refused.
TEST(ReaderSettingsText, ReadsValuesInRangeOrRefusesADamagedText) {
  struct Case {
    std::string text;
    ReaderSettings want;
    const char* problem = "";  // a part of the problem; "" for none
  };
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
      {"[reader]\n# a comment\n\n; another\njust some words\n", defaults, "line 5 is not \"name=value\""},
      {std::string("[reader]\nmusic_volume=5\n\0\x01\x02", 26), defaults, "not a text file"},
      {"music_volume=\xFF\xFE\n", defaults, "not a text file"},
      {std::string(70000, '#'), defaults, "far too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    app::ParsedSettings got = ParseReaderSettings(c.text);
    EXPECT_EQ(got.settings, c.want);
    if (*c.problem) {
      EXPECT_NE(got.problem.find(c.problem), std::string::npos) << got.problem;
    } else {
      EXPECT_EQ(got.problem, "");
    }
  }
}

// Written and read again, nothing is lost or moved to another section, and
// what was out of range is written in range.
TEST(ReaderSettingsText, WrittenSettingsReadBackAsTheyWere) {
  app::ParsedSettings others = ParseReaderSettings(
      "music_volume=10\n[reader]\nauto_delay_ms=100\nlater_feature=abc def\n[window]\nx=3\ny=\n");
  ASSERT_EQ(others.problem, "");
  EXPECT_EQ(others.settings.music_volume, 100) << "only the reader section's";
  EXPECT_EQ(others.settings.others, (std::vector<ReaderSettings::Other>{
                                        {"", "music_volume", "10"},
                                        {"reader", "later_feature", "abc def"},
                                        {"window", "x", "3"},
                                        {"window", "y", ""}}));
  for (const ReaderSettings& s : {others.settings, ReaderSettings(), Make(0, true, 0),
                                  Make(100, false, 10000), Make(33, true, 2750)}) {
    app::ParsedSettings back = ParseReaderSettings(app::FormatReaderSettings(s));
    EXPECT_EQ(back.problem, "");
    EXPECT_EQ(back.settings, s);
  }
  EXPECT_EQ(ParseReaderSettings(app::FormatReaderSettings(Make(400, false, -5))).settings,
            Make(100, false, 0));
}

TEST(ReaderSettingsFileTest, SavedLoadedAndADamagedFileReportedOnceAndReplaced) {
  platform::MemoryFiles files;
  ReaderSettingsFile file(files, "HOME/.config/velmor/settings.ini");
  std::string report = "untouched";
  EXPECT_EQ(file.Load(&report), ReaderSettings());  // no file: the defaults
  EXPECT_FALSE(files.Exists("HOME/.config/velmor/settings.ini"));  // nothing written for that
  std::string error;
  ASSERT_TRUE(file.Save(Make(20, true, 3000), &error)) << error;
  EXPECT_EQ(file.Load(&report), Make(20, true, 3000));
  EXPECT_EQ(report, "untouched");

  const std::string path = "CFG/velmor/settings.ini";
  files.Put(path, {'g', 'a', 'r', 'b', 'a', 'g', 'e', '\n'});
  ReaderSettingsFile damaged(files, path);
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  for (const char* piece : {path.c_str(), "line 1", "back to their defaults"})
    EXPECT_NE(report.find(piece), std::string::npos) << report;
  // The file now holds the defaults: the next start says nothing.
  report.clear();
  EXPECT_EQ(damaged.Load(&report), ReaderSettings());
  EXPECT_EQ(report, "");
  std::optional<std::vector<uint8_t>> bytes = files.ReadFile(path, nullptr);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), app::FormatReaderSettings(ReaderSettings()));
}

TEST(ReaderSettingsFileTest, AFolderThatCannotBeWrittenIsSaidSo) {
  platform::MemoryFiles files;
  const std::string path = "RO/velmor/settings.ini";
  files.Put(path, {'x', '\n'});
  files.MakeReadOnly("RO/");
  ReaderSettingsFile file(files, path);
  std::string report, error;
  EXPECT_EQ(file.Load(&report), ReaderSettings());
  EXPECT_NE(report.find("for this run"), std::string::npos) << report;
  EXPECT_FALSE(file.Save(ReaderSettings(), &error));
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  ReaderSettingsFile nowhere(files, "");
  EXPECT_EQ(nowhere.Load(&report), ReaderSettings());
  EXPECT_FALSE(nowhere.Save(ReaderSettings(), &error));
  EXPECT_NE(error.find("XDG_CONFIG_HOME"), std::string::npos) << error;
}

TEST(ReaderSettingsFileTest, WhereTheFileLives) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* path;
  };
  for (Case c : {Case{"/cfg/", "/home/a", "/cfg/velmor/settings.ini"},
                 Case{"relative", "/home/a", "/home/a/.config/velmor/settings.ini"},
                 Case{"", "/home/a/", "/home/a/.config/velmor/settings.ini"},
                 Case{nullptr, "/home/a", "/home/a/.config/velmor/settings.ini"},
                 Case{nullptr, nullptr, ""}, Case{nullptr, "", ""}}) {
    EXPECT_EQ(app::ReaderSettingsPathFrom(c.xdg, c.home), c.path)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

TEST(ReaderSettingsInTheGame, TheyTakeEffect) {
  Code c;
  c.b(21).b(1).s("AAAA").b(22).b(21).b(1).s("BB").b(22).b(255);
  GameRig g(c.bytes);
  g.Start();
  g.form().ApplyReaderSettings(Make(150, true, 0));
  EXPECT_EQ(g.form().reader_settings(), Make(100, true, 0));  // brought into range
  EXPECT_EQ(g.game->media().Volume(), 100);
  EXPECT_TRUE(g.game->window().SmoothScaling());
  g.form().ApplyReaderSettings(Make(30, false, 0));
  EXPECT_EQ(g.game->media().Volume(), 30);
  EXPECT_FALSE(g.game->window().SmoothScaling());
  // Auto mode without its base delay waits only the page's time a
  // character; a longer delay waits longer.
  g.Run("until WaitClick 100\nkey a\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(4, 0));
  g.form().ApplyReaderSettings(Make(30, false, 4000));
  g.Run("until WaitClick 100\n");
  ExpectTheWaitLasts(g, app::AutoWaitTicks(2, 4000));
}

}  // namespace
}  // namespace velmor::testing
