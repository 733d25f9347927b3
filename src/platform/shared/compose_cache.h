// The X input method reads the locale's compose table (the dead keys and
// compose sequences, some 6,000 lines) every time a program connects to the
// display: about 8 ms of processor time on the way to the first frame. The
// X library keeps the table it has read in a cache folder when it has one it
// trusts (the user's own, writable by nobody else; never for root) and maps
// it the next time in a fraction of a millisecond. Unless the player already
// has one (XCOMPOSECACHE, or ~/.compose-cache, which the library finds by
// itself), the program gives it $XDG_CACHE_HOME/velmor/compose. The library
// checks what it finds there against the table and rebuilds it once a day.
// Built only where there is an X library (VELMOR_HAVE_X11).
#pragma once

#include <string>

namespace velmor::platform {

// The folder for the X library's compose cache, or "" to leave the library
// as it is: for root, when the player has chosen a folder or keeps one in the
// home folder, and when there is neither $XDG_CACHE_HOME nor $HOME.
std::string ComposeCacheFolder(const char* xcomposecache, const char* xdg_cache_home,
                               const char* home, bool is_root);

// Creates the folder (and those above it) for the user only and sets
// XCOMPOSECACHE to it, unless it is set already; false when it cannot be made.
// It changes the environment: call it before any other thread starts.
bool UseComposeCacheIn(const std::string& folder);

// The two above for the running program; false when it leaves the library
// as it is.
bool UseComposeCache();

}  // namespace velmor::platform
