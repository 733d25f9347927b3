// Where the game's data folder is set: on the command line, in an INI file
// the command line names, in the player's own INI file (written when the
// player chose the folder at a first start) or in the system-wide one the
// game has always read. And the checks and the writing of the player's
// choice.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace velmor::app {

// The INI file's name, looked up in the system configuration folder (and in
// the player's own configuration folder).
inline constexpr const char* kIniFileName = "BRANNIC.INI";

enum class DataFolderFrom {
  CommandLine,  // --data (or --demo)
  NamedIni,     // --ini FILE
  PlayerIni,    // $XDG_CONFIG_HOME/velmor/BRANNIC.INI
  SystemIni,    // /etc/BRANNIC.INI
  Nowhere,      // none of them: a first start
};

struct DataFolderSetting {
  DataFolderFrom from = DataFolderFrom::Nowhere;
  // The INI file to read (for NamedIni, PlayerIni and SystemIni); for
  // Nowhere, the system's one, whose absence the original's message is about.
  std::string ini;
};

// Where the files of the setting are; any may be empty (not given, or no
// configuration folder for the player).
struct DataFolderPlaces {
  std::string data_option;  // --data
  std::string ini_option;   // --ini
  std::string player_ini;   // PlayerIniPathFrom
  std::string system_ini;   // SystemIniPath
};

// The first of: --data, --ini, the player's INI file if it exists, the
// system's if it exists.
DataFolderSetting FindDataFolderSetting(platform::Files& files, const DataFolderPlaces& places);

// $XDG_CONFIG_HOME/velmor/<name>, else $HOME/.config/velmor/<name> (a
// relative XDG_CONFIG_HOME does not count); empty when neither is set.
std::string ConfigFilePathFrom(const char* xdg_config_home, const char* home, std::string_view name);

// The system-wide INI file: BRANNIC.INI in the system configuration folder.
std::string SystemIniPath();

enum class GameFolderCheck {
  Holds,     // the folder holds a game: SNX/INIT.SNX is there
  Missing,   // there is no such folder
  NoGame,    // the folder exists but holds no SNX/INIT.SNX
};

// Whether `folder` (ending in "/") holds the game's data, its names matched
// whatever their letter case.
GameFolderCheck CheckGameFolder(platform::Files& files, const std::string& folder);

// Writes the player's INI file at `ini` ([Velmor] DatPath=folder, UTF-8),
// creating its folder; replaced whole, atomically. False and *error when it
// cannot be written.
bool RememberDataFolder(platform::Files& files, const std::string& ini, const std::string& folder,
                        std::string* error);

}  // namespace velmor::app
