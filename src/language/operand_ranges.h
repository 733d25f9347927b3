// What the engine refuses or cannot use in an instruction's operands, found
// without running it: work variables, flags, speakers and status slots out
// of range, and texts the string reader would not read as written. The
// assembler refuses these, the disassembler writes such instructions as
// bytes, and the checker reports them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/decoder.h"

namespace velmor::language {

// Each fault of the instruction's operands, one sentence each naming the
// operand and the range it must lie in; empty when there is none.
std::vector<std::string> OperandFaults(const RawInstruction& in);

// The first fault of a text operand's raw bytes (as DecodeRawString reads
// them, without the final 0): longer than the engine keeps, or a character
// or size code whose second byte is 0 (the 0 that was to end the text is
// taken along, and the text runs on).
std::optional<std::string> TextFault(std::string_view raw);

}  // namespace velmor::language
