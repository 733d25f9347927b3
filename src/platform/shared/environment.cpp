#include "platform/shared/environment.h"

#include <cstdlib>

namespace velmor::platform {

bool SetEnvironmentDefault(const char* name, const char* value) {
#if defined(_WIN32)
  // Windows has no "unless set": an empty value there is no variable.
  if (std::getenv(name) != nullptr) return true;
  return ::_putenv_s(name, value) == 0;
#else
  return ::setenv(name, value, 0) == 0;
#endif
}

Language SystemLanguage() {
  return LanguageFromEnvironment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                 std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

}  // namespace velmor::platform
