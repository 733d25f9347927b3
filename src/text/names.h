// The name table: the names that scenario text inserts (codes 0x10..0x1F for
// entries 0..15) and that label speakers, with the defaults of the four names
// the player can type.
#pragma once

#include <array>

#include "core/byte_string.h"
#include "language/language.h"
#include "scenario/scenario.h"

namespace velmor::text {

// The table as the game starts: the story's cast, then fixed roles.
std::array<Sstr, language::kNameCount> InitialNames();

// The defaults of entries 0..3: the hero's and the beloved's given names
// (6 bytes each) and family names (4 bytes each).
std::array<Sstr, 4> DefaultNames();

}  // namespace velmor::text
