// Libraries loaded while the program runs, on every system: dlopen where
// there is one, LoadLibrary on Windows.
#pragma once

#include <span>

namespace velmor::platform {

// Loads the first of `names` that loads, its symbols resolved now and kept
// to the caller; null when none does. The library stays loaded.
void* LoadSharedLibrary(std::span<const char* const> names);

// The address of `symbol` in `library`; null when it has none.
void* SharedLibrarySymbol(void* library, const char* symbol);

// The address of `symbol` in the first of `names` already loaded in the
// process, which is never loaded for it; where the system can say, else in
// any library the process has loaded. Null when there is none.
void* LoadedLibrarySymbol(std::span<const char* const> names, const char* symbol);

}  // namespace velmor::platform
