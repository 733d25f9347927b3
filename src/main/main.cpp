// The program: parses the command line and runs the real or the headless
// front end.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/options.h"
#include "main/cli.h"
#include "platform/shared/os_files.h"

int main(int argc, char** argv) {
  // What the program says (the chosen font and renderer, traces, the state of
  // a headless run) reaches a pipe or a log file line by line, as it would a
  // terminal, so a launcher or a test watching it sees each line when it is
  // written and nothing is lost if the program is killed.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  velmor::platform::IgnoreFileSizeLimitSignal();  // a save past the limit says so
  velmor::main::LoadTexts();  // the usage errors too are in the player's language
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto cli = velmor::main::ParseCommandLine(args, &error);
  if (!cli) {
    std::fputs(velmor::cli::UsageErrorText("velmor", error).c_str(), stderr);
    return velmor::cli::kUsageExitCode;
  }
  if (cli->help) return velmor::cli::Print(velmor::main::UsageText());
  if (cli->version) return velmor::cli::Print(velmor::main::VersionText());
  if (cli->demo && !velmor::main::UseDemo(*cli, &error)) {
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
    return 1;
  }
  return cli->headless ? velmor::main::RunHeadless(*cli) : velmor::main::RunSdl(*cli);
}
