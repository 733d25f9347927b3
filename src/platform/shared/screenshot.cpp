#include "platform/shared/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/texts.h"
#include "platform/shared/local_time.h"
#include "platform/shared/os_files.h"
#include "platform/shared/png.h"

namespace velmor::platform {

namespace {

// More of the same second than this is taken as a fault, not a name to find.
constexpr int kMostOfOneSecond = 999;

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The XDG_PICTURES_DIR line of a user-dirs.dirs text ("$HOME/Bilder"), with
// $HOME put in; empty when there is none, or it is no absolute path.
std::string PicturesFromUserDirs(const std::string& text, const std::string& home) {
  std::istringstream in(text);
  const std::string key = "XDG_PICTURES_DIR=";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return !value.empty() && value.front() == '/' ? value : std::string();
  }
  return {};
}

std::string ReadText(const std::string& path) {
  std::ifstream in(NativePath(path));
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string ScreenshotFolderFrom(const char* xdg_pictures_dir, const char* home,
                                 const std::string& user_dirs) {
  if (xdg_pictures_dir != nullptr && xdg_pictures_dir[0] == '/')
    return WithSlash(xdg_pictures_dir) + "velmor/";
  if (home == nullptr || home[0] == '\0') return {};
  std::string pictures = PicturesFromUserDirs(user_dirs, home);
  if (pictures.empty()) pictures = WithSlash(home) + "Pictures";
  return WithSlash(pictures) + "velmor/";
}

std::string ScreenshotFolder() {
  const char* home = std::getenv("HOME");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string user_dirs;
  if (config != nullptr && config[0] == '/')
    user_dirs = ReadText(WithSlash(config) + "user-dirs.dirs");
  else if (home != nullptr && home[0] != '\0')
    user_dirs = ReadText(WithSlash(home) + ".config/user-dirs.dirs");
  return ScreenshotFolderFrom(std::getenv("XDG_PICTURES_DIR"), home, user_dirs);
}

std::string ScreenshotName(const std::tm& when, int n) {
  char name[64];
  std::snprintf(name, sizeof name, "velmor-%04d-%02d-%02d_%02d-%02d-%02d", when.tm_year + 1900,
                when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
  std::string s = name;
  if (n > 1) s += "-" + std::to_string(n);
  return s + ".png";
}

SavedScreenshot SaveScreenshot(const Bitmap& picture, const std::string& folder_in,
                               const std::tm& when) {
  if (folder_in.empty()) return {"", Tr("no pictures folder (HOME is not set)")};
  if (picture.empty()) return {"", Tr("there is no picture yet")};
  const std::string folder = WithSlash(folder_in);
  std::error_code ec;
  std::filesystem::create_directories(NativePath(folder), ec);
  if (ec) return {"", folder + ": " + ec.message()};
  const std::vector<uint8_t> png = EncodePng(picture);
  for (int n = 1; n <= kMostOfOneSecond; ++n) {
    const std::string path = folder + ScreenshotName(when, n);
    // Made here or not at all: a file of that name is never written over,
    // and no half-written picture is left.
    const int err = WriteNewFile(path, png, false);
    if (err == EEXIST) continue;
    if (err != 0) return {"", path + ": " + std::generic_category().message(err)};
    return {path, ""};
  }
  return {"", Fill(Tr("%s: too many screenshots in one second"), {folder})};
}

std::string ScreenshotNoticeFor(const SavedScreenshot& saved, const char* home) {
  if (!saved.ok()) return Fill(Tr("Screenshot not saved: %s"), {saved.error});
  // The folder too: a player who did not choose it would not know where
  // to look.
  std::string shown = saved.path;
  std::string prefix = home ? home : "";
  while (!prefix.empty() && prefix.back() == '/') prefix.pop_back();
  if (!prefix.empty() && shown.rfind(prefix + "/", 0) == 0) shown = "~" + shown.substr(prefix.size());
  return Fill(Tr("Screenshot saved: %s"), {shown});
}

std::string ScreenshotNotice(const SavedScreenshot& saved) {
  return ScreenshotNoticeFor(saved, std::getenv("HOME"));
}

std::tm LocalTimeNow() {
  return LocalTime(std::time(nullptr)).value_or(std::tm{});
}

}  // namespace velmor::platform
