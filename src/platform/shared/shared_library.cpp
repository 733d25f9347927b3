#include "platform/shared/shared_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmor::platform {

#if defined(_WIN32)

void* LoadSharedLibrary(std::span<const char* const> names) {
  for (const char* name : names)
    if (HMODULE lib = ::LoadLibraryA(name)) return reinterpret_cast<void*>(lib);
  return nullptr;
}

void* SharedLibrarySymbol(void* library, const char* symbol) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), symbol));
}

void* LoadedLibrarySymbol(std::span<const char* const> names, const char* symbol) {
  // A module handle asked for by name counts nothing up: nothing to let go.
  for (const char* name : names)
    if (HMODULE lib = ::GetModuleHandleA(name))
      if (void* found = SharedLibrarySymbol(reinterpret_cast<void*>(lib), symbol)) return found;
  return nullptr;
}

#else

void* LoadSharedLibrary(std::span<const char* const> names) {
  for (const char* name : names)
    if (void* lib = ::dlopen(name, RTLD_NOW | RTLD_LOCAL)) return lib;
  return nullptr;
}

void* SharedLibrarySymbol(void* library, const char* symbol) { return ::dlsym(library, symbol); }

void* LoadedLibrarySymbol(std::span<const char* const> names, const char* symbol) {
#if defined(RTLD_NOLOAD)
  for (const char* name : names) {
    if (void* lib = ::dlopen(name, RTLD_LAZY | RTLD_NOLOAD)) {
      void* found = ::dlsym(lib, symbol);
      // The handle only raised the count of a library that stays loaded for
      // whoever loaded it; dropping it again changes nothing.
      ::dlclose(lib);
      if (found) return found;
    }
  }
#else
  (void)names;
#endif
#if defined(RTLD_DEFAULT)
  return ::dlsym(RTLD_DEFAULT, symbol);
#else
  return nullptr;
#endif
}

#endif

}  // namespace velmor::platform
