#include "platform/shared/local_time.h"

namespace velmor::platform {

std::optional<std::tm> LocalTime(std::time_t t) {
  std::tm local{};
  // std::localtime shares one result between threads: each system's own
  // form that fills the caller's.
#if defined(_WIN32)
  if (::localtime_s(&local, &t) != 0) return std::nullopt;
#else
  if (::localtime_r(&t, &local) == nullptr) return std::nullopt;
#endif
  return local;
}

}  // namespace velmor::platform
