// Settings of the reader's own, apart from the game's settings panel (whose
// preferences travel in the save slots): the music volume, smooth scaling
// of the stretched picture, the base delay of auto mode, the picture's size
// (the game's own, or as large as the screen allows), the face of the 16-dot
// text (the bitmap face, or the outline face at every size) and whether held
// Ctrl also passes click and page waits. They are kept in a small INI file
// of their own:
//
//   [reader]
//   music_volume=100
//   smooth_scaling=0
//   auto_delay_ms=1500
//   picture_size=game
//   text_face=bitmap
//   ctrl_passes_waits=0
//   language=system          (system, en or ja: Velmor's own texts)
//   translate_game=0         (1: the game's panels and boxes in English)
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
#include "core/texts.h"
#include "platform/files.h"

namespace velmor::app {

// How large the picture is shown: as the settings panel's scale says (50 to
// 150 %), or the largest 4:3 rectangle the screen holds.
enum class PictureSize { Game, FitScreen };
// What the game's 16-pixel text is drawn with: the 16-dot bitmap face (the
// outline face for the characters it lacks), or the outline face alone.
enum class TextFace { Bitmap, Outline };

struct ReaderSettings {
  static constexpr int kMinVolume = 0;
  static constexpr int kMaxVolume = 100;
  static constexpr int kMinAutoDelayMs = 0;
  static constexpr int kMaxAutoDelayMs = 10000;
  static constexpr int kDefaultAutoDelayMs = 1500;

  int music_volume = kMaxVolume;  // per cent of the sound as the piece has it
  bool smooth_scaling = false;    // linear filtering when the picture is stretched
  int auto_delay_ms = kDefaultAutoDelayMs;
  PictureSize picture_size = PictureSize::Game;
  TextFace text_face = TextFace::Bitmap;
  // Held Ctrl passes click and page waits too, not only typing and
  // transitions (as the game has it).
  bool ctrl_passes_waits = false;
  // The language of Velmor's own texts: the system's, or the reader's.
  LanguageChoice language = LanguageChoice::System;
  // The game's panels' labels and its boxes shown in English; what the game
  // stores (slots, names) stays as it is.
  bool translate_game = false;
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
// One setting of the [reader] section by its key, as the file has it
// ("picture_size", "fit"); false with *error when there is no such key or
// the value is none of its kind.
bool SetReaderSetting(ReaderSettings& settings, std::string_view key, std::string_view value,
                      std::string* error);

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
