// Settings of the reader's own, apart from the game's settings panel (whose
// preferences travel in the save slots): the music volume, smooth scaling
// of the stretched picture, and the base delay of auto mode. They are kept
// in a small INI file of their own:
//
//   [reader]
//   music_volume=100
//   smooth_scaling=0
//   auto_delay_ms=1500
//   wheel_goes_back=0
//
// Values out of range are brought into it; keys and sections this version
// does not know are kept and written back. A file that is not such a text
// (a line that is no setting, a value that is no number) is damaged: the
// defaults replace it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"
#include "platform/files.h"

namespace velmor::app {

struct ReaderSettings {
  static constexpr int kMinVolume = 0;
  static constexpr int kMaxVolume = 100;
  static constexpr int kMinAutoDelayMs = 0;
  static constexpr int kMaxAutoDelayMs = 10000;
  static constexpr int kDefaultAutoDelayMs = 1500;

  int music_volume = kMaxVolume;  // per cent of the sound as the piece has it
  bool smooth_scaling = false;    // linear filtering when the picture is stretched
  int auto_delay_ms = kDefaultAutoDelayMs;
  // The wheel goes back a page (up) and forward again (down) instead of
  // opening the backlog.
  bool wheel_goes_back = false;
  // Where the player last left the debugger's window (window pixels), in a
  // section of its own ("[debugger]", "window=LEFT TOP WIDTH HEIGHT").
  std::optional<Rect> debugger_window;

  // A line of the file this version does not know, kept as it was.
  struct Other {
    std::string section;
    std::string key;
    std::string value;
    bool operator==(const Other&) const = default;
  };
  std::vector<Other> others;

  // The values brought into their ranges.
  void Clamp();
  bool operator==(const ReaderSettings&) const = default;
};

// What a settings text holds; `problem` says why it is damaged (empty when
// it is not), and the settings are then the defaults.
struct ParsedSettings {
  ReaderSettings settings;
  std::string problem;
};
ParsedSettings ParseReaderSettings(std::string_view text);
std::string FormatReaderSettings(const ReaderSettings& settings);

// The settings file: read at start-up, written whole (a temporary file
// renamed over it) whenever a setting changes.
class ReaderSettingsFile {
 public:
  ReaderSettingsFile(platform::Files& files, std::string path)
      : files_(files), path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  // The settings in the file; the defaults when there is none. A damaged
  // file is written anew with the defaults, and *report then says so in a
  // line for the player (once: the file is sound afterwards).
  ReaderSettings Load(std::string* report);
  // False, with *error, when the file cannot be written.
  bool Save(const ReaderSettings& settings, std::string* error);

 private:
  std::string Folder() const;

  platform::Files& files_;
  std::string path_;
};

// Where the file lives: $XDG_CONFIG_HOME/velmor/settings.ini, else
// $HOME/.config/velmor/settings.ini (a relative XDG_CONFIG_HOME does not
// count); empty when neither is set.
std::string ReaderSettingsPathFrom(const char* xdg_config_home, const char* home);

}  // namespace velmor::app
