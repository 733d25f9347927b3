// Text literals: double-quoted UTF-8 with the language's escapes, read into
// the Shift-JIS bytes the engine keeps.
#pragma once

#include <string>
#include <string_view>

#include "language/statement.h"

namespace velmor::language {

// One or more string literals in a row, as Shift-JIS bytes, escapes read.
std::string TextBytes(Cursor& c);

// Fails when the engine would not read `bytes` back as one whole text: a 0
// byte inside, a last byte that would take the ending 0 as its partner, or
// what TextFault refuses (too long, a pair whose second byte is 0).
void CheckText(std::string_view bytes, int line);

}  // namespace velmor::language
