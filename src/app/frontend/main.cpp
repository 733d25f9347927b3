// The program: parses the command line and runs the real or the headless
// front end.
#include <cstdio>
#include <string>
#include <vector>

#include "app/frontend/cli.h"

int main(int argc, char** argv) {
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
  return cli->headless ? velmor::app::RunHeadless(*cli) : velmor::app::RunSdl(*cli);
}
