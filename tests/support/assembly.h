// Scenario snippets written as assembly text, the way a modder writes them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "language/assembler.h"

namespace velmor::testing {

// The bytes of `source`; when it does not assemble the test fails with the
// assembler's messages and gets no bytes.
inline std::vector<uint8_t> Assembled(std::string_view source) {
  language::AssemblyResult result = language::Assemble(source, "snippet.s");
  for (const language::Diagnostic& d : result.errors) ADD_FAILURE() << d.ToString();
  return result.bytes;
}

}  // namespace velmor::testing
