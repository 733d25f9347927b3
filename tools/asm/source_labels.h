// The assembler as the game's debugger uses it: a source's labels, so a
// breakpoint can be set at "FILE:LABEL".
#pragma once

#include "app/debugger.h"

namespace velmor::assembly {

// Assembles a source and gives its labels and bytes, or its first error.
app::LabelAssembler DebuggerLabels();

}  // namespace velmor::assembly
