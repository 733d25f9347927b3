// Shared helpers of the assembler and disassembler tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "asm/assembler.h"
#include "asm/disassembler.h"

namespace velmor::assembly::testing {

using Bytes = std::vector<uint8_t>;

inline std::string AllErrors(const AssemblyResult& r) {
  std::string s;
  for (const Diagnostic& d : r.errors) s += d.ToString() + "\n";
  return s;
}

// The bytes of a source that must assemble; a failure names the errors.
inline Bytes Asm(std::string_view source) {
  AssemblyResult r = Assemble(source, "test.s");
  EXPECT_TRUE(r.ok()) << "source:\n" << source << "\nerrors:\n" << AllErrors(r);
  return r.bytes;
}

// Disassembles and assembles again; the bytes must come back unchanged.
inline ::testing::AssertionResult RoundTrips(const Bytes& bytes) {
  std::string text = Disassemble(bytes);
  AssemblyResult r = Assemble(text, "disassembly.s");
  if (!r.ok()) return ::testing::AssertionFailure() << AllErrors(r) << "in:\n" << text;
  if (r.bytes == bytes) return ::testing::AssertionSuccess();
  auto [in, out] = std::ranges::mismatch(bytes, r.bytes);
  return ::testing::AssertionFailure() << "the bytes differ from offset " << (in - bytes.begin()) << " ("
                                       << bytes.size() << " bytes in, " << r.bytes.size() << " out) in:\n"
                                       << text.substr(0, 4000);
}

}  // namespace velmor::assembly::testing
