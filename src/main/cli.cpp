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
#include <cstdlib>

#include "app/data_folder_setting.h"
#include "cli/options.h"
#include "platform/shared/bitmap_font_files.h"
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
      {"renderer", 0, true, "--renderer needs auto, software or accelerated"},
      {"break", 0, true, "--break needs a place like INIT:0x12 or INIT:title"},
      {"data", 0, true, "--data needs a folder"}, {"ini", 0, true, "--ini needs a file"},
      {"slots", 0, true, "--slots needs a folder"}, {"font", 0, true, "--font needs a file"},
      {"soundfont", 0, true, "--soundfont needs a file"},
      {"input", 0, true, "--input needs a file"},
      {"state-out", 0, true, "--state-out needs a file"},
      {"screenshot", 0, true, "--screenshot needs a file"},
      {"screen", 0, true, "--screen needs a size like 1024x768"},
      {"ticks", 0, true, "--ticks needs a number"}};
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
    return fail("unexpected argument '" + parsed->operands.front() + "' (the options start with --)");
  for (const cli::GivenOption& o : parsed->options) {
    if (Apply(o, line)) continue;
    auto known = std::find_if(Options().begin(), Options().end(),
                             [&o](const cli::KnownOption& s) { return s.name == o.name; });
    return fail(known->needs);
  }
  bool headless_only = line.max_ticks || !line.input_script.empty() || !line.state_out.empty() ||
                       !line.screenshot.empty() || line.exit_after_script;
  if (headless_only && !line.headless)
    return fail(
        "--ticks, --input, --exit-after-script, --state-out and --screenshot need --headless");
  if (line.exit_after_script && line.input_script.empty())
    return fail("--exit-after-script needs an input script (--input FILE)");
  if (line.demo && (!line.data_folder.empty() || !line.ini_file.empty()))
    return fail("--demo plays the bundled demo: leave out --data and --ini");
  return line;
}

std::string UsageText() {
  return "Usage: velmor [options]\n"
         "Plays the game whose data folder BRANNIC.INI names (section [Velmor], key DatPath)\n"
         "in the system configuration folder. An option's value may follow it as\n"
         "--data=DIR or as --data DIR.\n"
         "\n"
         "  --demo              play the bundled demo game\n"
         "  --data DIR          use this data folder (the INI file is not read)\n"
         "  --ini FILE          read the data folder from this INI file\n"
         "  --slots DIR         keep the save slots (DATA00..DATAFF) in this folder\n"
         "  --soundfont FILE    play MIDI music with this SoundFont\n"
         "  --font FILE         draw the text with this Japanese face (default: the\n"
         "                      system's Japanese gothic face, IPAGothic preferred)\n"
         "  --window            a normal window instead of the whole screen\n"
         "  --renderer KIND     how the window reaches the screen: auto (the default),\n"
         "                      software (only what changed, no 3D library) or\n"
         "                      accelerated (a 3D renderer)\n"
         "  --verbose           say which font and renderer were chosen\n"
         "  --trace             print one line per executed scenario instruction\n"
         "  --warn              report on standard error, once each, the files the\n"
         "                      scenario asked for that were missing or refused, the\n"
         "                      cause of every error box and loops without a wait,\n"
         "                      each with the instruction (FILE.SNX:offset)\n"
         "  --debug             open the scenario debugger beside the game (in a debug\n"
         "                      build F9 opens and closes it at any time)\n"
         "  --break FILE:WHERE  stop the scenario before the instruction at WHERE of\n"
         "                      FILE.SNX: an offset (0x1A2) or a label of FILE.s\n"
         "                      beside it; may be repeated; implies --debug\n"
         "  -h, --help          show this text\n"
         "  --version           show the version\n"
         "\n"
         "Headless (no display or sound device, a virtual 20 ms clock):\n"
         "  --headless          run without a window\n"
         "  --screen WxH        the screen size (default 1024x768)\n"
         "  --ticks N           stop after N ticks in all (default 100000)\n"
         "  --input FILE        the input script (see docs/headless.md)\n"
         "  --exit-after-script stop after the script's last command (without it the\n"
         "                      run goes on until the game ends or --ticks)\n"
         "  --state-out FILE    write the game state as JSON at the end\n"
         "  --screenshot FILE   write the presented window as PNG at the end\n";
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

bool UseDemo(CommandLine& cli, std::string* error) {
  std::string looked_in;
  cli.data_folder = DemoFolder(&looked_in);
  if (cli.data_folder.empty()) {
    if (error) *error = "the demo game is not installed (looked in " + looked_in + ")";
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
