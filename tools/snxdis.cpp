// snxdis: a scenario file as assembly text.
//
//   snxdis [-o OUT.s] [--offsets] FILE.SNX
//
// The text assembles back to the same bytes, whatever the file holds; snxdis
// checks this before it writes anything.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/options.h"
#include "language/assembler.h"
#include "language/disassembler.h"
#include "whole_file.h"

namespace {

constexpr const char* kUsage =
    "Usage: snxdis [-o OUT.s] [--offsets] FILE.SNX\n"
    "Writes a scenario file as assembly (see docs/scenario-language.md) to standard\n"
    "output or to OUT.s.\n"
    "\n"
    "  -o, --output=FILE  write the text here (- is standard output, the default)\n"
    "      --offsets      end each line with a comment giving its offset\n"
    "  -h, --help         show this text\n"
    "      --version      show the version\n";

// A usage error: one line and a hint, exit code 2.
int Usage(const std::string& problem) {
  std::fputs(velmor::cli::UsageErrorText("snxdis", problem).c_str(), stderr);
  return velmor::cli::kUsageExitCode;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmor::language;
  using velmor::tools::ReadWholeFile;
  using velmor::tools::WriteWholeFile;
  std::string in_path, out_path = "-", problem;
  DisassemblyOptions options;
  auto args = velmor::cli::ParseArgs(
      {{"help", 'h'}, {"version"}, {"offsets"}, {"output", 'o', true, "-o needs a file name"}},
      std::vector<std::string>(argv + 1, argv + argc), &problem);
  if (!args) return Usage(problem);
  for (const velmor::cli::GivenOption& o : args->options) {
    if (o.name == "help") return velmor::cli::Print(kUsage);
    if (o.name == "version") return velmor::cli::Print(velmor::cli::VersionText("snxdis"));
    if (o.name == "offsets") options.offsets = true;
    if (o.name == "output") out_path = o.value;
  }
  if (args->operands.size() > 1) return Usage("give one scenario file");
  if (args->operands.empty()) return Usage("give a scenario file");
  in_path = args->operands.front();

  auto file = ReadWholeFile(in_path);
  if (!file) {
    std::fprintf(stderr, "snxdis: cannot read %s\n", in_path.c_str());
    return 1;
  }
  if (file->size() > kMaxScenarioSize) {
    std::fprintf(stderr, "snxdis: %s is %zu bytes; a scenario file holds at most %zu\n",
                 in_path.c_str(), file->size(), kMaxScenarioSize);
    return 1;
  }
  std::vector<uint8_t> bytes(file->begin(), file->end());
  options.source_name = std::filesystem::path(in_path).filename().string();
  std::string text = Disassemble(bytes, options);

  AssemblyResult again = Assemble(text, in_path + " (disassembled)");
  if (!again.ok() || again.bytes != bytes) {
    std::fprintf(stderr,
                 "snxdis: internal error: the disassembly of %s does not assemble back to the "
                 "same bytes%s%s\n",
                 in_path.c_str(), again.ok() ? "" : ": ",
                 again.ok() ? "" : again.errors.front().ToString().c_str());
    return 3;
  }
  if (!WriteWholeFile(out_path, text)) {
    std::fprintf(stderr, "snxdis: cannot write %s\n", out_path.c_str());
    return 1;
  }
  return 0;
}
