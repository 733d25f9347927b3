// snxasm: assembles a scenario source into a scenario file.
//
//   snxasm IN.s [-o OUT.SNX]
//
// Errors go to standard error as "file:line: message"; on any error nothing
// is written and the exit code is 1.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "asm/files.h"

namespace {

constexpr const char* kUsage =
    "usage: snxasm IN.s [-o OUT.SNX]\n"
    "Assembles a scenario source (see docs/scenario-language.md). Without -o the\n"
    "output is IN with the extension .SNX.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "snxasm: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velmor::assembly;
  std::string in_path, out_path;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") return Usage(nullptr);
    if (a == "-o") {
      if (++i == argc) return Usage("-o needs a file name");
      out_path = argv[i];
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else if (in_path.empty()) {
      in_path = a;
    } else {
      return Usage("give one source file");
    }
  }
  if (in_path.empty()) return Usage("give a source file");
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
