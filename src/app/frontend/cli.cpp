#include "app/frontend/cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <climits>
#include <cstdlib>

#include "platform/shared/os_files.h"

namespace velmor::app {

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


}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error) {
  CommandLine cli;
  auto fail = [error](std::string why) -> std::optional<CommandLine> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    std::string v;
    if (a == "--help" || a == "-h") {
      cli.help = true;
    } else if (a == "--version") {
      cli.version = true;
    } else if (a == "--demo") {
      cli.demo = true;
    } else if (a == "--window") {
      cli.window = true;
    } else if (a == "--verbose") {
      cli.verbose = true;
    } else if (a == "--renderer") {
      if (!value(cli.renderer) ||
          (cli.renderer != "auto" && cli.renderer != "software" && cli.renderer != "accelerated"))
        return fail("--renderer needs auto, software or accelerated");
    } else if (a == "--trace") {
      cli.trace = true;
    } else if (a == "--warn") {
      cli.warn = true;
    } else if (a == "--debug") {
      cli.debug = true;
    } else if (a == "--break") {
      if (!value(v) || v.find(':') == std::string::npos)
        return fail("--break needs a place like INIT:0x12 or INIT:title");
      cli.breaks.push_back(v);
      cli.debug = true;
    } else if (a == "--headless") {
      cli.headless = true;
    } else if (a == "--data") {
      if (!value(cli.data_folder)) return fail("--data needs a folder");
    } else if (a == "--ini") {
      if (!value(cli.ini_file)) return fail("--ini needs a file");
    } else if (a == "--slots") {
      if (!value(cli.slot_folder)) return fail("--slots needs a folder");
    } else if (a == "--font") {
      if (!value(cli.font)) return fail("--font needs a file");
    } else if (a == "--soundfont") {
      if (!value(cli.soundfont)) return fail("--soundfont needs a file");
    } else if (a == "--input") {
      if (!value(cli.input_script)) return fail("--input needs a file");
    } else if (a == "--exit-after-script") {
      cli.exit_after_script = true;
    } else if (a == "--state-out") {
      if (!value(cli.state_out)) return fail("--state-out needs a file");
    } else if (a == "--screenshot") {
      if (!value(cli.screenshot)) return fail("--screenshot needs a file");
    } else if (a == "--screen") {
      if (!value(v) || !ParseSize(v, cli.screen)) return fail("--screen needs a size like 1024x768");
    } else if (a == "--ticks") {
      uint64_t n;
      if (!value(v) || !ParseNumber(v, n)) return fail("--ticks needs a number");
      cli.max_ticks = n;
    } else {
      return fail("unknown option: " + a);
    }
  }
  bool headless_only = cli.max_ticks || !cli.input_script.empty() || !cli.state_out.empty() ||
                       !cli.screenshot.empty() || cli.exit_after_script;
  if (headless_only && !cli.headless)
    return fail(
        "--ticks, --input, --exit-after-script, --state-out and --screenshot need --headless");
  if (cli.exit_after_script && cli.input_script.empty())
    return fail("--exit-after-script needs an input script (--input FILE)");
  if (cli.demo && (!cli.data_folder.empty() || !cli.ini_file.empty()))
    return fail("--demo plays the bundled demo: leave out --data and --ini");
  return cli;
}

std::string UsageText() {
  return "Usage: velmor [options]\n"
         "Plays the game whose data folder BRANNIC.INI names (section [Velmor], key DatPath)\n"
         "in the system configuration folder.\n"
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
         "  --help              show this text\n"
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

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "./";
  std::string path(buffer, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

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

std::string VersionText() { return std::string("velmor ") + VELMOR_VERSION; }

std::string UserDataFolder() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.local/share";
  } else {
    return "";
  }
  std::string folder = base + "/velmor";
  return platform::MakeFolders(folder, 0755) ? folder + "/" : "";
}

}  // namespace velmor::app
