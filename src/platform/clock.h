// The time of day, for reseeding the scenario's random numbers, and the
// date a save of our own is marked with.
#pragma once

#include <cstdint>
#include <string>

namespace velmor::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since midnight, universal time.
  virtual uint32_t UtcTimeOfDayMs() = 0;
  // The local date and time for the player to read ("2026-12-08 23:45");
  // empty where the platform cannot say.
  virtual std::string LocalDateTime() { return {}; }
};

}  // namespace velmor::platform
