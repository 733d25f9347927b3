// Scenario snippets written as assembly text, the way a modder writes them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmor::testing {

// The bytes of `source`; when it does not assemble the test fails with the
// assembler's messages and gets no bytes.
std::vector<uint8_t> Assembled(std::string_view source);

}  // namespace velmor::testing
