// The scenario disassembler: any file to assembly text that assembles back to
// the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace velmor::language {

struct DisassemblyOptions {
  std::string source_name;  // named in the heading comment; empty: no heading
  bool offsets = false;     // each line ends with a comment giving its offset
};

// The code reachable from offset 0 as instructions, the texts that messages
// point to as string directives, and every other byte as db lines. Jump and
// text targets get labels (L0123) where they fall on the start of a line.
std::string Disassemble(std::span<const uint8_t> bytes, const DisassemblyOptions& options = {});

}  // namespace velmor::language
