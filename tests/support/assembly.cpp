#include "support/assembly.h"

#include <gtest/gtest.h>

#include "asm/assembler.h"

namespace velmor::testing {

std::vector<uint8_t> Assembled(std::string_view source) {
  assembly::AssemblyResult result = assembly::Assemble(source, "snippet.s");
  for (const assembly::Diagnostic& d : result.errors) ADD_FAILURE() << d.ToString();
  return result.bytes;
}

}  // namespace velmor::testing
