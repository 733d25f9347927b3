// One instruction written from its mnemonic's row: the operands in the order
// of the row's layout, checked to read back as written and to hold nothing
// the engine refuses.
#pragma once

#include <string>

#include "language/assembly_output.h"
#include "language/opcodes.h"
#include "language/statement.h"

namespace velmor::language {

// Writes the instruction of `row` with the operands at the cursor (the rest
// of the statement); `file` names where its labels are used. A mistake
// throws StatementError.
void EncodeInstruction(const OpcodeRow& row, Cursor& c, const Symbols& symbols,
                       const std::string& file, AssemblyOutput& out);

}  // namespace velmor::language
