// Any bytes, disassembled, must assemble back to the same bytes. The same
// bytes read as a source must assemble or fail cleanly, and what they
// assemble to must round-trip too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "language/assembler.h"
#include "language/disassembler.h"
#include "language/disassembly.h"

namespace {

using velmor::language::AssemblyResult;

void CheckRoundTrip(std::span<const uint8_t> bytes, bool offsets) {
  std::string text = velmor::language::Disassemble(bytes, {.source_name = "FUZZ.SNX", .offsets = offsets});
  AssemblyResult r = velmor::language::Assemble(text, "fuzz.s");
  bool same = r.ok() && r.bytes.size() == bytes.size() &&
              std::equal(bytes.begin(), bytes.end(), r.bytes.begin());
  if (!same) {
    std::fprintf(stderr, "round trip failed (%s)\n%s\n",
                 r.ok() ? "different bytes" : r.errors.front().ToString().c_str(), text.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > velmor::language::kMaxScenarioSize) return 0;
  std::span<const uint8_t> bytes(data, size);
  CheckRoundTrip(bytes, size % 2 == 1);

  // The trace formats single instructions anywhere in the file.
  for (size_t at = 0; at < size && at < 8; ++at)
    (void)velmor::language::DisassembleForTrace(bytes, static_cast<uint16_t>(at));

  // The same bytes as a source text.
  AssemblyResult r = velmor::language::Assemble(
      std::string_view(reinterpret_cast<const char*>(data), size), "input.s");
  if (r.ok()) CheckRoundTrip(r.bytes, false);
  return 0;
}
