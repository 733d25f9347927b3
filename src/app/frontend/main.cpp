// The program: parses the command line and runs the real or the headless
// front end.
#include <cstdio>
#include <string>
#include <vector>

#include "app/frontend/cli.h"

int main(int argc, char** argv) {
  // What the program says (the chosen font and renderer, traces, the state of
  // a headless run) reaches a pipe or a log file line by line, as it would a
  // terminal, so a launcher or a test watching it sees each line when it is
  // written and nothing is lost if the program is killed.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto cli = velmor::app::ParseCommandLine(args, &error);
  if (!cli) {
    std::fprintf(stderr, "velmor: %s\n%s", error.c_str(), velmor::app::UsageText().c_str());
    return 2;
  }
  if (cli->help) {
    std::fputs(velmor::app::UsageText().c_str(), stdout);
    return 0;
  }
  if (cli->version) {
    std::puts(velmor::app::VersionText().c_str());
    return 0;
  }
  if (cli->demo && !velmor::app::UseDemo(*cli, &error)) {
    std::fprintf(stderr, "velmor: %s\n", error.c_str());
    return 1;
  }
  return cli->headless ? velmor::app::RunHeadless(*cli) : velmor::app::RunSdl(*cli);
}
