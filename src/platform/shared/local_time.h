// The machine's local time of a moment, the same on every system.
#pragma once

#include <ctime>
#include <optional>

namespace velmor::platform {

// The broken-down local time of `t`; nothing when the system cannot say
// (a moment out of its range).
std::optional<std::tm> LocalTime(std::time_t t);

}  // namespace velmor::platform
