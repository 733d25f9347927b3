// Any bytes, disassembled, must assemble back to the same bytes. The same
// bytes read as a source must assemble or fail cleanly, and what they
// assemble to must round-trip too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "asm/assembler.h"
#include "asm/disassembler.h"
#include "scenario/disassembly.h"

namespace {

using velmor::assembly::AssemblyResult;

void CheckRoundTrip(std::span<const uint8_t> bytes, bool offsets) {
  std::string text = velmor::assembly::Disassemble(bytes, {.source_name = "FUZZ.SNX", .offsets = offsets});
  AssemblyResult r = velmor::assembly::Assemble(text, "fuzz.s");
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
  if (size > velmor::assembly::kMaxScenarioSize) return 0;
  std::span<const uint8_t> bytes(data, size);
  CheckRoundTrip(bytes, size % 2 == 1);

  // The trace formats single instructions anywhere in the file.
  for (size_t at = 0; at < size && at < 8; ++at)
    (void)velmor::scenario::DisassembleForTrace(bytes, static_cast<uint16_t>(at));

  // The same bytes as a source text.
  AssemblyResult r = velmor::assembly::Assemble(
      std::string_view(reinterpret_cast<const char*>(data), size), "input.s");
  if (r.ok()) CheckRoundTrip(r.bytes, false);
  return 0;
}
