// The process's environment, the same on every system.
#pragma once

#include "core/texts.h"

namespace velmor::platform {

// Sets the variable to `value` unless it is set already (even empty); false
// when the system refuses. It changes the environment: call it before any
// other thread starts.
bool SetEnvironmentDefault(const char* name, const char* value);

// The language the system's messages are in: from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG where there are such variables.
Language SystemLanguage();

}  // namespace velmor::platform
