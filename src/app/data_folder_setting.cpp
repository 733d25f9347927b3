#include "app/data_folder_setting.h"

#include <vector>

#include "core/game_path.h"
#include "core/texts.h"

#ifndef VELMOR_SYSCONFDIR
#define VELMOR_SYSCONFDIR "/etc"
#endif

namespace velmor::app {

DataFolderSetting FindDataFolderSetting(platform::Files& files, const DataFolderPlaces& places) {
  if (!places.data_option.empty()) return {DataFolderFrom::CommandLine, ""};
  // A file named on the command line is read even when it is missing: the
  // game then says it cannot start, as with a system file without the key.
  if (!places.ini_option.empty()) return {DataFolderFrom::NamedIni, places.ini_option};
  if (!places.player_ini.empty() && files.Exists(places.player_ini))
    return {DataFolderFrom::PlayerIni, places.player_ini};
  if (files.Exists(places.system_ini)) return {DataFolderFrom::SystemIni, places.system_ini};
  return {DataFolderFrom::Nowhere, places.system_ini};
}

std::string ConfigFilePathFrom(const char* xdg_config_home, const char* home, std::string_view name) {
  std::string folder;
  if (xdg_config_home != nullptr && xdg_config_home[0] == '/') {
    folder = xdg_config_home;
  } else if (home != nullptr && home[0] != '\0') {
    folder = home;
    if (folder.back() != '/') folder += '/';
    folder += ".config";
  } else {
    return {};
  }
  if (folder.back() != '/') folder += '/';
  return folder + "velmor/" + std::string(name);
}

std::string SystemIniPath() { return std::string(VELMOR_SYSCONFDIR) + "/" + kIniFileName; }

GameFolderCheck CheckGameFolder(platform::Files& files, const std::string& folder) {
  if (!folder.empty() && !files.Exists(folder)) return GameFolderCheck::Missing;
  return files.Exists(GamePath(folder, "SNX\\INIT.SNX")) ? GameFolderCheck::Holds
                                                         : GameFolderCheck::NoGame;
}

bool RememberDataFolder(platform::Files& files, const std::string& ini, const std::string& folder,
                        std::string* error) {
  if (ini.empty()) {
    if (error) *error = Tr("there is no folder for settings (neither XDG_CONFIG_HOME nor HOME is set)");
    return false;
  }
  // A line end would end the value, and "\" is read back as a separator.
  if (folder.find_first_of("\r\n\\") != std::string::npos) {
    if (error)
      *error = Tr("the folder's name holds a line end or a \"\\\", which the INI file cannot keep");
    return false;
  }
  const std::string ini_folder = ini.substr(0, ini.rfind('/') + 1);
  if (!ini_folder.empty() && !files.Exists(ini_folder) && !files.CreateFolders(ini_folder, error))
    return false;
  const std::string text = "; The game's data folder, as chosen at the first start.\n"
                           "[Velmor]\nDatPath=" + FolderWithSeparator(folder) + "\n";
  return files.WriteFile(ini, std::vector<uint8_t>(text.begin(), text.end()), error);
}

}  // namespace velmor::app
