// The headless front end: the game on a virtual clock, driven by an input
// script, with the state and a screenshot written on every way out.
#include <cstdio>
#include <fstream>

#include "core/texts.h"
#include "main/cli.h"
#include "main/headless/headless_game.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/os_files.h"

namespace velmor::main {

namespace {

void WriteOutputs(HeadlessGame& game, const CommandLine& cli) {
  std::string error;
  if (!cli.state_out.empty() && !game.WriteState(cli.state_out, &error))
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
  if (!cli.screenshot.empty() && !game.WriteScreenshot(cli.screenshot, &error))
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
}

}  // namespace

int RunHeadless(const CommandLine& cli) {
  // The script is read as it is run, so it may come from a pipe
  // (`--input /dev/stdin`) that a long session keeps feeding.
  std::ifstream script;
  if (!cli.input_script.empty()) script.open(cli.input_script, std::ios::binary);
  if (!cli.input_script.empty() && !script) {
    std::fprintf(stderr, "velmor: %s\n",
                 Fill(Tr("cannot read the input script %s"), {cli.input_script}).c_str());
    return 2;
  }
  std::string error;
  std::optional<platform::FontFaces> faces = platform::FindFontFaces(cli.font, &error);
  if (!faces) {
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
    return 1;
  }
  platform::OsFiles files;
  HeadlessOptions options;
  options.font_file = faces->gothic;
  options.screen = cli.screen;
  if (cli.max_ticks) options.max_ticks = *cli.max_ticks;
  options.print_warnings = true;
  options.start = StartOptions{ProgramFolder(), cli.data_folder, cli.ini_file, cli.slot_folder,
                               UserDataFolder(), cli.trace, cli.warn, PlayerIniFile()};
  options.debug = cli.debug;
  options.breaks = cli.breaks;
  options.bitmap_font_folders = BitmapFontFoldersHere();
  HeadlessGame game(files, options);
  if (!game.bitmap_face_problem().empty())
    std::fprintf(stderr, "velmor: %s\n", text::OutlineFaceLine(game.bitmap_face_problem()).c_str());

  if (auto exit_code = game.Start()) {
    if (!game.form().startup_failure().empty())
      std::fprintf(stderr, "velmor: %s\n", game.form().startup_failure().c_str());
    WriteOutputs(game, cli);
    return *exit_code;
  }
  if (!game.RunScript(script, &error)) {
    std::fprintf(stderr, "velmor: %s: %s\n", cli.input_script.c_str(), error.c_str());
    WriteOutputs(game, cli);
    return 2;
  }
  if (!cli.exit_after_script) game.RunToEnd();
  WriteOutputs(game, cli);
  return 0;
}

}  // namespace velmor::main
