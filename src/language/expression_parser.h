// Expressions: infix (work[1] + 2 * flag[3]) or the { ... } postfix notation,
// compiled to the engine's postfix codes.
#pragma once

#include <cstdint>
#include <vector>

#include "language/statement.h"

namespace velmor::language {

// The codes of the expression at the cursor, with the final end code.
std::vector<uint8_t> ParseExpression(Cursor& c, const Symbols& symbols);

}  // namespace velmor::language
