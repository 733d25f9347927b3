// snxasm: assembles a scenario source into a scenario file.
//
//   snxasm [-o OUT.SNX] IN.s
//
// Errors go to standard error as "file:line: message"; on any error nothing
// is written and the exit code is 1.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/options.h"
#include "language/assembler.h"
#include "whole_file.h"

namespace {

constexpr const char* kUsage =
    "Usage: snxasm [-o OUT.SNX] IN.s\n"
    "Assembles a scenario source (see docs/scenario-language.md). Without -o the\n"
    "output is IN with the extension .SNX.\n"
    "\n"
    "  -o, --output=FILE  write the scenario file here\n"
    "  -h, --help         show this text\n"
    "      --version      show the version\n";

// A usage error: one line and a hint, exit code 2.
int Usage(const std::string& problem) {
  std::fputs(velmor::cli::UsageErrorText("snxasm", problem).c_str(), stderr);
  return velmor::cli::kUsageExitCode;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmor::language;
  using velmor::tools::ReadWholeFile;
  using velmor::tools::WriteWholeFile;
  std::string in_path, out_path, problem;
  auto args = velmor::cli::ParseArgs(
      {{"help", 'h'}, {"version"}, {"output", 'o', true, "-o needs a file name"}},
      std::vector<std::string>(argv + 1, argv + argc), &problem);
  if (!args) return Usage(problem);
  for (const velmor::cli::GivenOption& o : args->options) {
    if (o.name == "help") return velmor::cli::Print(kUsage);
    if (o.name == "version") return velmor::cli::Print(velmor::cli::VersionText("snxasm"));
    out_path = o.value;  // "output"
  }
  if (args->operands.size() > 1) return Usage("give one source file");
  if (args->operands.empty()) return Usage("give a source file");
  in_path = args->operands.front();
  if (out_path.empty()) out_path = std::filesystem::path(in_path).replace_extension(".SNX").string();

  auto source = ReadWholeFile(in_path);
  if (!source) {
    std::fprintf(stderr, "snxasm: cannot read %s\n", in_path.c_str());
    return 1;
  }
  AssemblyResult r = Assemble(*source, in_path, [](const std::string& path) { return ReadWholeFile(path); });
  if (!r.ok()) {
    for (const Diagnostic& d : r.errors) std::fprintf(stderr, "%s\n", d.ToString().c_str());
    return 1;
  }
  if (!WriteWholeFile(out_path, std::string(r.bytes.begin(), r.bytes.end()))) {
    std::fprintf(stderr, "snxasm: cannot write %s\n", out_path.c_str());
    std::error_code ignored;
    std::filesystem::remove(out_path, ignored);
    return 1;
  }
  return 0;
}
