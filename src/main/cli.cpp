#include "main/cli.h"

#if defined(__unix__) || defined(__APPLE__)
#include <pwd.h>
#include <unistd.h>
#define VELMOR_HAS_PASSWD 1
#endif
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "app/catalogues.h"
#include "app/data_folder_setting.h"
#include "cli/options.h"
#include "platform/shared/bitmap_font_files.h"
#include "core/texts.h"
#include "platform/shared/environment.h"
#include "platform/shared/os_files.h"

namespace velmor::main {

namespace {

bool ParseNumber(const std::string& s, uint64_t& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ParseSize(const std::string& s, Size& out) {
  size_t x = s.find_first_of("xX");
  uint64_t w, h;
  if (x == std::string::npos || !ParseNumber(s.substr(0, x), w) ||
      !ParseNumber(s.substr(x + 1), h) || w == 0 || h == 0 || w > 16384 || h > 16384)
    return false;
  out = {static_cast<int32_t>(w), static_cast<int32_t>(h)};
  return true;
}

// The options, and the usage error of each value that is missing.
const std::vector<cli::KnownOption>& Options() {
  static const std::vector<cli::KnownOption> options = {
      {"help", 'h'}, {"version"}, {"demo"}, {"window"}, {"verbose"}, {"trace"}, {"warn"},
      {"debug"}, {"headless"}, {"exit-after-script"},
      {"renderer", 0, true, TrMark("--renderer needs auto, software or accelerated")},
      {"break", 0, true, TrMark("--break needs a place like INIT:0x12 or INIT:title")},
      {"data", 0, true, TrMark("--data needs a folder")}, {"ini", 0, true, TrMark("--ini needs a file")},
      {"slots", 0, true, TrMark("--slots needs a folder")}, {"font", 0, true, TrMark("--font needs a file")},
      {"soundfont", 0, true, TrMark("--soundfont needs a file")},
      {"input", 0, true, TrMark("--input needs a file")},
      {"state-out", 0, true, TrMark("--state-out needs a file")},
      {"screenshot", 0, true, TrMark("--screenshot needs a file")},
      {"screen", 0, true, TrMark("--screen needs a size like 1024x768")},
      {"ticks", 0, true, TrMark("--ticks needs a number")}};
  return options;
}

// One option into `line`; false when its value is not one it takes.
bool Apply(const cli::GivenOption& o, CommandLine& line) {
  const std::string& n = o.name;
  const std::string& v = o.value;
  std::pair<const char*, bool*> flags[] = {
      {"help", &line.help},   {"version", &line.version},   {"demo", &line.demo},
      {"window", &line.window}, {"verbose", &line.verbose}, {"trace", &line.trace},
      {"warn", &line.warn},   {"debug", &line.debug},       {"headless", &line.headless},
      {"exit-after-script", &line.exit_after_script}};
  for (auto [name, flag] : flags)
    if (n == name) return *flag = true;
  std::pair<const char*, std::string*> values[] = {
      {"data", &line.data_folder}, {"ini", &line.ini_file},         {"slots", &line.slot_folder},
      {"font", &line.font},        {"soundfont", &line.soundfont}, {"input", &line.input_script},
      {"state-out", &line.state_out}, {"screenshot", &line.screenshot}};
  for (auto [name, value] : values)
    if (n == name) {
      *value = v;
      return true;
    }
  if (n == "renderer") {
    line.renderer = v;
    return v == "auto" || v == "software" || v == "accelerated";
  }
  if (n == "break") {
    line.breaks.push_back(v);
    line.debug = true;
    return v.find(':') != std::string::npos;
  }
  if (n == "screen") return ParseSize(v, line.screen);
  uint64_t ticks = 0;  // "ticks", the last
  if (!ParseNumber(v, ticks)) return false;
  line.max_ticks = ticks;
  return true;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine line;
  auto fail = [error](std::string why) -> std::optional<CommandLine> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  std::string why;
  std::optional<cli::ParsedArgs> parsed = cli::ParseArgs(Options(), args, &why);
  if (!parsed) return fail(why);
  if (!parsed->operands.empty())
    return fail(Fill(Tr("unexpected argument '%s' (the options start with --)"),
                     {parsed->operands.front()}));
  for (const cli::GivenOption& o : parsed->options) {
    if (Apply(o, line)) continue;
    auto known = std::find_if(Options().begin(), Options().end(),
                             [&o](const cli::KnownOption& s) { return s.name == o.name; });
    return fail(Tr(known->needs.c_str()));
  }
  bool headless_only = line.max_ticks || !line.input_script.empty() || !line.state_out.empty() ||
                       !line.screenshot.empty() || line.exit_after_script;
  if (headless_only && !line.headless)
    return fail(
        Tr("--ticks, --input, --exit-after-script, --state-out and --screenshot need --headless"));
  if (line.exit_after_script && line.input_script.empty())
    return fail(Tr("--exit-after-script needs an input script (--input FILE)"));
  if (line.demo && (!line.data_folder.empty() || !line.ini_file.empty()))
    return fail(Tr("--demo plays the bundled demo: leave out --data and --ini"));
  return line;
}

namespace {

// One option in --help: its name and value as typed, and what it does (its
// lines after the first indented under the first).
struct HelpOption {
  const char* option;
  const char* does;
};

constexpr HelpOption kHelpOptions[] = {
    {"--demo", TrMark("play the bundled demo game")},
    {"--data DIR", TrMark("use this data folder (the INI file is not read)")},
    {"--ini FILE", TrMark("read the data folder from this INI file")},
    {"--slots DIR", TrMark("keep the save slots (DATA00..DATAFF) in this folder")},
    {"--soundfont FILE", TrMark("play MIDI music with this SoundFont")},
    {"--font FILE", TrMark("draw the text with this Japanese face (default: the\n"
                           "system's Japanese gothic face, IPAGothic preferred)")},
    {"--window", TrMark("a normal window instead of the whole screen")},
    {"--renderer KIND", TrMark("how the window reaches the screen: auto (the default),\n"
                               "software (only what changed, no 3D library) or\n"
                               "accelerated (a 3D renderer)")},
    {"--verbose", TrMark("say which font and renderer were chosen")},
    {"--trace", TrMark("print one line per executed scenario instruction")},
    {"--warn", TrMark("report on standard error, once each, the files the\n"
                      "scenario asked for that were missing or refused, the\n"
                      "cause of every error box and loops without a wait,\n"
                      "each with the instruction (FILE.SNX:offset)")},
    {"--debug", TrMark("open the scenario debugger beside the game (in a debug\n"
                       "build F9 opens and closes it at any time)")},
    {"--break FILE:WHERE", TrMark("stop the scenario before the instruction at WHERE of\n"
                                  "FILE.SNX: an offset (0x1A2) or a label of FILE.s\n"
                                  "beside it; may be repeated; implies --debug")},
    {"-h, --help", TrMark("show this text")},
    {"--version", TrMark("show the version")},
    {nullptr, TrMark("Headless (no display or sound device, a virtual 20 ms clock):")},
    {"--headless", TrMark("run without a window")},
    {"--screen WxH", TrMark("the screen size (default 1024x768)")},
    {"--ticks N", TrMark("stop after N ticks in all (default 100000)")},
    {"--input FILE", TrMark("the input script (see docs/headless.md)")},
    {"--exit-after-script", TrMark("stop after the script's last command (without it the\n"
                                   "run goes on until the game ends or --ticks)")},
    {"--state-out FILE", TrMark("write the game state as JSON at the end")},
    {"--screenshot FILE", TrMark("write the presented window as PNG at the end")},
};

// "  --data DIR          use this…": the option, then what it does from the
// 23rd column on.
std::string HelpLineOf(const HelpOption& o) {
  constexpr size_t kColumn = 20;
  if (o.option == nullptr) return "\n" + std::string(Tr(o.does)) + "\n";
  std::string line = "  " + std::string(o.option);
  line += std::string(line.size() < kColumn + 2 ? kColumn + 2 - line.size() : 1, ' ');
  const std::string does = Tr(o.does);
  for (size_t at = 0; at < does.size();) {
    const size_t end = std::min(does.find('\n', at), does.size());
    if (at > 0) line += std::string(kColumn + 2, ' ');
    line += does.substr(at, end - at) + "\n";
    at = end + 1;
  }
  return line;
}

}  // namespace

std::string UsageText() {
  std::string text = Tr("Usage: velmor [options]\n"
                        "Plays the game whose data folder BRANNIC.INI names (section [Velmor], key DatPath)\n"
                        "in the system configuration folder. An option's value may follow it as\n"
                        "--data=DIR or as --data DIR.\n");
  text += "\n";
  for (const HelpOption& o : kHelpOptions) text += HelpLineOf(o);
  return text;
}

std::string ProgramFolder() { return platform::ProgramFolder(); }

std::string DemoFolder(std::string* looked_in) {
  const std::string bin = ProgramFolder();
  // Installed: <prefix>/bin/velmor and <prefix>/share/velmor/demo; built:
  // build/…/src/velmor and build/…/demo.
  for (const std::string& candidate : {bin + VELMOR_DEMO_FROM_BINDIR, bin + "../demo"}) {
    struct stat st{};
    if (::stat((candidate + "/SNX/INIT.SNX").c_str(), &st) == 0) return candidate + "/";
    if (looked_in) *looked_in += (looked_in->empty() ? "" : ", ") + candidate;
  }
  return "";
}

void LoadTexts() {
  const std::string bin = ProgramFolder();
  platform::OsFiles files;
  for (const std::string& line : app::LoadCatalogues(
           files, {bin + VELMOR_LOCALE_FROM_BINDIR, bin + "../locale"}, platform::SystemLanguage()))
    std::fprintf(stderr, "velmor: %s\n", line.c_str());
}

bool UseDemo(CommandLine& cli, std::string* error) {
  std::string looked_in;
  cli.data_folder = DemoFolder(&looked_in);
  if (cli.data_folder.empty()) {
    if (error) *error = Fill(Tr("the demo game is not installed (looked in %s)"), {looked_in});
    return false;
  }
  // The demo's saves stay apart from those of the game itself.
  if (cli.slot_folder.empty()) {
    std::string user = UserDataFolder();
    if (!user.empty() && platform::MakeFolders(user + "demo", 0755)) cli.slot_folder = user + "demo/";
  }
  return true;
}

std::string VersionText() { return cli::VersionText("velmor"); }

namespace {

// The user's home folder as the system's user database has it (a service
// started without HOME); empty where there is none.
std::string HomeOfUser() {
#if defined(VELMOR_HAS_PASSWD)
  if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir && *user->pw_dir)
    return user->pw_dir;
#endif
  return "";
}

}  // namespace

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return HomeOfUser();
}

std::string PlayerIniFile() {
  const std::string home = HomeFolder();
  return app::ConfigFilePathFrom(std::getenv("XDG_CONFIG_HOME"), home.empty() ? nullptr : home.c_str(),
                                 app::kIniFileName);
}

std::vector<std::string> BitmapFontFoldersHere() {
  const std::string home = HomeFolder();
  return platform::BitmapFontFolders(std::getenv("XDG_DATA_HOME"),
                                     home.empty() ? nullptr : home.c_str(),
                                     std::getenv("XDG_DATA_DIRS"));
}

std::string UserDataFolder() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.local/share";
  } else if (const std::string home_of_user = HomeOfUser(); !home_of_user.empty()) {
    base = home_of_user + "/.local/share";
  } else {
    return "";
  }
  std::string folder = base + "/velmor";
  return platform::MakeFolders(folder, 0755) ? folder + "/" : "";
}

}  // namespace velmor::main
