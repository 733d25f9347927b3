// The time of day, for reseeding the scenario's random numbers.
#pragma once

#include <cstdint>

namespace velmor::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since midnight, universal time.
  virtual uint32_t UtcTimeOfDayMs() = 0;
};

}  // namespace velmor::platform
