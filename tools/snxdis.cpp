// snxdis: a scenario file as assembly text.
//
//   snxdis FILE.SNX [-o OUT.s] [--offsets]
//
// The text assembles back to the same bytes, whatever the file holds; snxdis
// checks this before it writes anything.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/disassembler.h"
#include "asm/files.h"

namespace {

constexpr const char* kUsage =
    "usage: snxdis FILE.SNX [-o OUT.s] [--offsets]\n"
    "Writes a scenario file as assembly (see docs/scenario-language.md) to standard\n"
    "output or to OUT.s. --offsets ends each line with a comment giving its offset.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "snxdis: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmor::assembly;
  std::string in_path, out_path = "-";
  DisassemblyOptions options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") return Usage(nullptr);
    if (a == "-o") {
      if (++i == argc) return Usage("-o needs a file name");
      out_path = argv[i];
    } else if (a == "--offsets") {
      options.offsets = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (in_path.empty()) {
      in_path = a;
    } else {
      return Usage("give one scenario file");
    }
  }
  if (in_path.empty()) return Usage("give a scenario file");

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
