#include "app/reader_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <sstream>

#include "app/data_folder_setting.h"
#include "core/sjis.h"
#include "core/texts.h"

namespace velmor::app {

namespace {

constexpr std::string_view kSection = "reader";
constexpr std::string_view kVolumeKey = "music_volume";
constexpr std::string_view kSmoothKey = "smooth_scaling";
constexpr std::string_view kAutoDelayKey = "auto_delay_ms";
constexpr std::string_view kPictureSizeKey = "picture_size";
constexpr std::string_view kTextFaceKey = "text_face";
constexpr std::string_view kCtrlKey = "ctrl_passes_waits";
constexpr std::string_view kLanguageKey = "language";
constexpr std::string_view kTranslateGameKey = "translate_game";
constexpr std::string_view kWheelKey = "wheel_goes_back";
constexpr std::string_view kDebuggerSection = "debugger";
constexpr std::string_view kWindowKey = "window";
// Longer than any sound settings file: a file this long is something else.
constexpr std::size_t kMostBytes = 64 * 1024;

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A whole number; very large ones are taken as the largest (clamped later).
std::optional<int> ParseNumber(std::string_view s) {
  long long value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (end != s.data() + s.size() || s.empty()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) return s.front() == '-' ? INT32_MIN : INT32_MAX;
  if (ec != std::errc()) return std::nullopt;
  return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

std::optional<bool> ParseSwitch(std::string_view s) {
  const std::string v = Lower(s);
  if (v == "1" || v == "on" || v == "true" || v == "yes") return true;
  if (v == "0" || v == "off" || v == "false" || v == "no") return false;
  return std::nullopt;
}

// A known key's value into the settings; false when it is no value of its
// kind.
bool SetKnown(ReaderSettings& s, const std::string& key, std::string_view value) {
  if (key == kSmoothKey || key == kCtrlKey || key == kTranslateGameKey || key == kWheelKey) {
    std::optional<bool> on = ParseSwitch(value);
    if (on) {
      bool& setting = key == kSmoothKey    ? s.smooth_scaling
                      : key == kCtrlKey    ? s.ctrl_passes_waits
                      : key == kWheelKey   ? s.wheel_goes_back
                                           : s.translate_game;
      setting = *on;
    }
    return on.has_value();
  }
  if (key == kLanguageKey) return LanguageChoiceFrom(Lower(value), &s.language);
  const std::string v = Lower(value);
  if (key == kPictureSizeKey) {
    if (v != "game" && v != "fit") return false;
    s.picture_size = v == "fit" ? PictureSize::FitScreen : PictureSize::Game;
    return true;
  }
  if (key == kTextFaceKey) {
    if (v != "bitmap" && v != "outline") return false;
    s.text_face = v == "outline" ? TextFace::Outline : TextFace::Bitmap;
    return true;
  }
  std::optional<int> n = ParseNumber(value);
  if (!n) return false;
  (key == kVolumeKey ? s.music_volume : s.auto_delay_ms) = *n;
  return true;
}

bool IsKnown(const std::string& section, const std::string& key) {
  if (section == kDebuggerSection) return key == kWindowKey;
  return section == kSection &&
         (key == kVolumeKey || key == kSmoothKey || key == kAutoDelayKey ||
          key == kPictureSizeKey || key == kTextFaceKey || key == kCtrlKey ||
          key == kLanguageKey || key == kTranslateGameKey || key == kWheelKey);
}

// "LEFT TOP WIDTH HEIGHT", the size at least 1 by 1.
std::optional<Rect> ParseWindowPlace(std::string_view value) {
  int numbers[4];
  for (int& n : numbers) {
    value = Trim(value);
    const std::size_t end = std::min(value.find(' '), value.size());
    std::optional<int> parsed = ParseNumber(value.substr(0, end));
    if (!parsed || *parsed < -100000 || *parsed > 100000) return std::nullopt;
    n = *parsed;
    value.remove_prefix(end);
  }
  if (!Trim(value).empty() || numbers[2] < 1 || numbers[3] < 1) return std::nullopt;
  return Rect::FromSize(numbers[0], numbers[1], numbers[2], numbers[3]);
}

}  // namespace

void ReaderSettings::Clamp() {
  music_volume = std::clamp(music_volume, kMinVolume, kMaxVolume);
  auto_delay_ms = std::clamp(auto_delay_ms, kMinAutoDelayMs, kMaxAutoDelayMs);
}

ParsedSettings ParseReaderSettings(std::string_view text) {
  ParsedSettings out;
  auto damaged = [&out](std::string why) {
    out.settings = ReaderSettings();
    out.problem = std::move(why);
    return out;
  };
  if (text.size() > kMostBytes) return damaged(Tr("it is far too long for a settings file"));
  if (text.find('\0') != std::string_view::npos || !IsValidUtf8(text))
    return damaged(Tr("it is not a text file"));
  std::string section;
  int number = 0;
  std::istringstream in{std::string(text)};
  for (std::string raw; std::getline(in, raw);) {
    ++number;
    const std::string_view line = Trim(raw);
    const std::string line_number = std::to_string(number);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      if (line.back() != ']')
        return damaged(Fill(Tr("line %s opens a section it does not close"), {line_number}));
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)).empty())
      return damaged(Fill(Tr("line %s is not \"name=value\""), {line_number}));
    const std::string key = Lower(Trim(line.substr(0, equals)));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (!IsKnown(section, key)) {
      out.settings.others.push_back({section, key, std::string(value)});
      continue;
    }
    if (section == kDebuggerSection) {
      // A place that makes no sense is forgotten, not a damaged file.
      out.settings.debugger_window = ParseWindowPlace(value);
      continue;
    }
    if (!SetKnown(out.settings, key, value))
      return damaged(Fill(Tr("line %s: %s cannot be \"%s\""), {line_number, key, value}));
  }
  out.settings.Clamp();
  return out;
}

std::string FormatReaderSettings(const ReaderSettings& given) {
  ReaderSettings s = given;
  s.Clamp();
  // What this version does not know goes back under its own section (keys
  // before any section first), sections in the order first seen.
  std::vector<std::string> sections{"", std::string(kSection)};
  if (s.debugger_window) sections.emplace_back(kDebuggerSection);
  for (const ReaderSettings::Other& o : s.others)
    if (std::find(sections.begin(), sections.end(), o.section) == sections.end())
      sections.push_back(o.section);
  std::string text =
      "# Velmor: settings of the reader's own (the game's own preferences are kept\n"
      "# in its save slots). F1 in the game changes them.\n";
  for (const std::string& section : sections) {
    if (!section.empty()) text += "[" + section + "]\n";
    if (section == kSection) {
      text += std::string(kVolumeKey) + "=" + std::to_string(s.music_volume) + "\n";
      text += std::string(kSmoothKey) + "=" + (s.smooth_scaling ? "1" : "0") + "\n";
      text += std::string(kAutoDelayKey) + "=" + std::to_string(s.auto_delay_ms) + "\n";
      text += std::string(kPictureSizeKey) + "=" +
              (s.picture_size == PictureSize::FitScreen ? "fit" : "game") + "\n";
      text += std::string(kTextFaceKey) + "=" +
              (s.text_face == TextFace::Outline ? "outline" : "bitmap") + "\n";
      text += std::string(kCtrlKey) + "=" + (s.ctrl_passes_waits ? "1" : "0") + "\n";
      text += std::string(kLanguageKey) + "=" + LanguageChoiceName(s.language) + "\n";
      text += std::string(kTranslateGameKey) + "=" + (s.translate_game ? "1" : "0") + "\n";
      text += std::string(kWheelKey) + "=" + (s.wheel_goes_back ? "1" : "0") + "\n";
    }
    if (section == kDebuggerSection && s.debugger_window) {
      const Rect& w = *s.debugger_window;
      text += std::string(kWindowKey) + "=" + std::to_string(w.left) + " " + std::to_string(w.top) +
              " " + std::to_string(w.width()) + " " + std::to_string(w.height()) + "\n";
    }
    for (const ReaderSettings::Other& o : s.others)
      if (o.section == section) text += o.key + "=" + o.value + "\n";
  }
  return text;
}

bool SetReaderSetting(ReaderSettings& settings, std::string_view key, std::string_view value,
                      std::string* error) {
  const std::string k = Lower(Trim(key));
  if (!IsKnown(std::string(kSection), k)) {
    if (error) *error = "no reader setting is called " + std::string(key);
    return false;
  }
  if (!SetKnown(settings, k, Trim(value))) {
    if (error) *error = k + " cannot be \"" + std::string(value) + "\"";
    return false;
  }
  settings.Clamp();
  return true;
}

std::string ReaderSettingsFile::Folder() const {
  const std::size_t slash = path_.rfind('/');
  return slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
}

ReaderSettings ReaderSettingsFile::Load(std::string* report) {
  if (path_.empty()) return ReaderSettings();
  std::optional<std::vector<uint8_t>> bytes = files_.ReadFile(path_, nullptr);
  if (!bytes) return ReaderSettings();  // none yet: the defaults
  const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  ParsedSettings parsed = ParseReaderSettings(text);
  if (parsed.problem.empty()) return parsed.settings;
  std::string error;
  const bool saved = Save(parsed.settings, &error);
  if (report)
    *report = saved ? Fill(Tr("%s is damaged (%s): the reader settings are back to their "
                              "defaults"),
                           {path_, parsed.problem})
                    : Fill(Tr("%s is damaged (%s): the reader settings are back to their "
                              "defaults for this run (%s)"),
                           {path_, parsed.problem, error});
  return parsed.settings;
}

bool ReaderSettingsFile::Save(const ReaderSettings& settings, std::string* error) {
  if (path_.empty()) {
    if (error) *error = Tr("there is no folder for settings (neither XDG_CONFIG_HOME nor HOME is set)");
    return false;
  }
  const std::string folder = Folder();
  if (!folder.empty() && !files_.Exists(folder) && !files_.CreateFolders(folder, error))
    return false;
  const std::string text = FormatReaderSettings(settings);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  return files_.WriteFile(path_, bytes, error);
}

std::string ReaderSettingsPathFrom(const char* xdg_config_home, const char* home) {
  return ConfigFilePathFrom(xdg_config_home, home, "settings.ini");
}

}  // namespace velmor::app
