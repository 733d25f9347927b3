// The command line of the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace velmor::main {

struct CommandLine {
  // Where the game finds its files.
  std::string data_folder;  // --data DIR
  std::string ini_file;     // --ini FILE
  std::string slot_folder;  // --slots DIR
  std::string soundfont;    // --soundfont FILE
  std::string font;         // --font FILE: the Japanese face to draw with
  bool window = false;      // --window: a normal window instead of the full screen
  std::string renderer = "auto";  // --renderer auto|software|accelerated
  bool verbose = false;           // --verbose: say what the program chose
  bool trace = false;       // --trace: one line per executed instruction
  bool warn = false;        // --warn: missing files, error boxes, runaway loops on stderr
  bool debug = false;       // --debug: the debugger on (its window in the real front end)
  std::vector<std::string> breaks;  // --break FILE:OFFSET|FILE:LABEL, each (turns the debugger on)

  // The headless front end.
  bool headless = false;              // --headless
  Size screen{1024, 768};             // --screen WxH
  std::optional<uint64_t> max_ticks;  // --ticks N
  std::string input_script;           // --input FILE
  bool exit_after_script = false;     // --exit-after-script: stop after its last command
  std::string state_out;              // --state-out FILE
  std::string screenshot;             // --screenshot FILE.png

  bool demo = false;     // --demo: play the bundled demo game
  bool help = false;
  bool version = false;  // --version
};

// Parses the arguments (without the program name). On a usage error returns
// nothing and sets *error.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string* error);

// The text of --help.
std::string UsageText();

// The folder of the running program file, with a trailing "/".
std::string ProgramFolder();
// $XDG_DATA_HOME/velmor (or ~/.local/share/velmor), created when missing;
// empty when there is no such folder to be had.
std::string UserDataFolder();

// The player's own INI file, where a first start remembers the data folder
// they chose: $XDG_CONFIG_HOME/velmor/BRANNIC.INI (or
// ~/.config/velmor/BRANNIC.INI); empty when there is no such place.
std::string PlayerIniFile();
// The folders the 16-dot bitmap face is looked for in, from this process's
// environment.
std::vector<std::string> BitmapFontFoldersHere();
// The player's home folder ($HOME, else the user database's); empty when
// there is none.
std::string HomeFolder();

// The bundled demo game's data folder: installed beside the program
// (<prefix>/share/velmor/demo) or in the build folder (build/…/demo). Empty
// when there is none; *looked_in then lists where it was looked for.
std::string DemoFolder(std::string* looked_in);

// Reads the message catalogues (installed: <prefix>/share/velmor/locale;
// built: build/…/locale) and takes the system's language; a catalogue that
// cannot be read is said in one line on standard error.
void LoadTexts();

// For --demo: the demo's data folder, and its own slot folder in the user's
// data folder unless --slots names one. False with the reason when the demo
// cannot be found or --data was given as well.
bool UseDemo(CommandLine& cli, std::string* error);

// The text of --version: "velmor 0.1.0", the copyright and the licence.
std::string VersionText();

// The two front ends. Each returns the process exit code.
int RunHeadless(const CommandLine& cli);
int RunSdl(const CommandLine& cli);

}  // namespace velmor::main
