// The process's environment, the same on every system.
#pragma once

namespace velmor::platform {

// Sets the variable to `value` unless it is set already (even empty); false
// when the system refuses. It changes the environment: call it before any
// other thread starts.
bool SetEnvironmentDefault(const char* name, const char* value);

}  // namespace velmor::platform
