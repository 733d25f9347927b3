// Where the data folder is set (the command line, an INI file it names, the
// player's own INI file, the system's), and the player's choice remembered
// and read back by the game.
#include "app/data_folder_setting.h"

#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "platform/headless/memory_files.h"
#include "platform/shared/os_files.h"
#include "support/game_data.h"
#include "support/recording_host.h"

namespace velmor::app {
namespace {

using ::testing::HasSubstr;
using testing::ClickCounter;
using testing::GameRig;

constexpr const char* kPlayerIni = "HOME/.config/velmor/BRANNIC.INI";
constexpr const char* kSystemIni = "ETC/BRANNIC.INI";

TEST(DataFolderSetting, TheCommandLineThenTheNamedThenThePlayersThenTheSystemsIni) {
  struct Row {
    const char* data;
    const char* ini;
    bool player_ini, system_ini;
    DataFolderFrom from;
    const char* read;
  };
  const Row rows[] = {
      {"GAME/", "MINE.INI", true, true, DataFolderFrom::CommandLine, ""},
      // A named file is read even when it is missing: the game then says so.
      {"", "MISSING.INI", true, true, DataFolderFrom::NamedIni, "MISSING.INI"},
      {"", "", true, true, DataFolderFrom::PlayerIni, kPlayerIni},
      {"", "", false, true, DataFolderFrom::SystemIni, kSystemIni},
      {"", "", false, false, DataFolderFrom::Nowhere, kSystemIni},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(::testing::Message() << "row " << &r - rows);
    platform::MemoryFiles files;
    if (r.player_ini) files.Put(kPlayerIni, "[Velmor]\nDatPath=/p/\n");
    if (r.system_ini) files.Put(kSystemIni, "[Velmor]\nDatPath=/s/\n");
    const DataFolderSetting s = FindDataFolderSetting(files, {r.data, r.ini, kPlayerIni, kSystemIni});
    EXPECT_EQ(s.from, r.from);
    EXPECT_EQ(s.ini, r.read);
  }
  // No place for the player's file: the system's is next.
  platform::MemoryFiles files;
  EXPECT_EQ(FindDataFolderSetting(files, {"", "", "", kSystemIni}).from, DataFolderFrom::Nowhere);
}

TEST(DataFolderSetting, ThePlayersIniLivesInTheirConfigurationFolder) {
  EXPECT_EQ(ConfigFilePathFrom("/x/conf", "/home/p", "BRANNIC.INI"), "/x/conf/velmor/BRANNIC.INI");
  EXPECT_EQ(ConfigFilePathFrom("/x/conf/", nullptr, "a"), "/x/conf/velmor/a");
  // A relative XDG_CONFIG_HOME does not count.
  EXPECT_EQ(ConfigFilePathFrom("conf", "/home/p/", "a"), "/home/p/.config/velmor/a");
  EXPECT_EQ(ConfigFilePathFrom("", "/home/p", "a"), "/home/p/.config/velmor/a");
  EXPECT_EQ(ConfigFilePathFrom(nullptr, "", "a"), "");
  EXPECT_EQ(ConfigFilePathFrom(nullptr, nullptr, "a"), "");
}

// On disk, with the names of a copy of an old disc in lower case.
TEST(DataFolderSetting, AGameFolderHoldsItsFirstScenarioWhateverTheLetterCase) {
  namespace fs = std::filesystem;
  const fs::path root = fs::path(VELMOR_BUILD_DIR) / "data_folder_check";
  fs::remove_all(root);
  fs::create_directories(root / "game" / "snx");
  fs::create_directories(root / "other" / "CG");
  std::ofstream(root / "game" / "snx" / "init.snx") << "x";
  platform::OsFiles files;
  EXPECT_EQ(CheckGameFolder(files, (root / "game").string() + "/"), GameFolderCheck::Holds);
  EXPECT_EQ(CheckGameFolder(files, (root / "other").string() + "/"), GameFolderCheck::NoGame);
  EXPECT_EQ(CheckGameFolder(files, (root / "none").string() + "/"), GameFolderCheck::Missing);
}

TEST(DataFolderSetting, TheRememberedFolderIsWhereTheGameStartsNextTime) {
  GameRig g(ClickCounter());
  std::string error;
  ASSERT_TRUE(RememberDataFolder(g.files, kPlayerIni, testing::kDat, &error)) << error;
  // The system's file names another folder: the player's own comes first.
  g.files.Put(kSystemIni, "[Velmor]\nDatPath=ELSEWHERE/\n");
  main::HeadlessOptions options;
  options.start.program_folder = "PROG/";
  options.start.player_ini_file = kPlayerIni;
  g.game = std::make_unique<main::HeadlessGame>(g.files, options);
  EXPECT_FALSE(g.Start().has_value()) << g.in().startup_failure;
  EXPECT_EQ(g.in().DatPath, testing::kDat);
}

TEST(DataFolderSetting, APlayersIniWithoutTheFolderStopsWithTheGamesOwnMessage) {
  GameRig g(ClickCounter());
  g.files.Put(kPlayerIni, "[Velmor]\n");
  main::HeadlessOptions options;
  options.start.program_folder = "PROG/";
  options.start.player_ini_file = kPlayerIni;
  g.game = std::make_unique<main::HeadlessGame>(g.files, options);
  EXPECT_EQ(g.Start(), std::optional<int>(1));
  EXPECT_THAT(g.in().startup_failure, HasSubstr(std::string(kPlayerIni) + " has no DatPath"));
  ASSERT_EQ(g.game->dialogs().Boxes().size(), 1u);
  EXPECT_EQ(g.game->dialogs().Boxes()[0].text, Sjis("正しく起動してください。").str());
}

TEST(DataFolderSetting, ANameTheIniCannotKeepOrAPlaceItCannotBeWrittenIsRefused) {
  platform::MemoryFiles files;
  std::string error;
  EXPECT_FALSE(RememberDataFolder(files, kPlayerIni, "/games/two\nlines/", &error));
  EXPECT_THAT(error, HasSubstr("line end"));
  EXPECT_FALSE(files.Exists(kPlayerIni));
  error.clear();
  EXPECT_FALSE(RememberDataFolder(files, "", "/games/x/", &error));
  EXPECT_THAT(error, HasSubstr("XDG_CONFIG_HOME"));
  // The value is read back as it was written, with its final separator.
  ASSERT_TRUE(RememberDataFolder(files, kPlayerIni, "/games/My Game", &error)) << error;
  const auto bytes = files.ReadFile(kPlayerIni, nullptr);
  ASSERT_TRUE(bytes);
  EXPECT_THAT(std::string(bytes->begin(), bytes->end()), HasSubstr("DatPath=/games/My Game/\n"));
}

}  // namespace
}  // namespace velmor::app
