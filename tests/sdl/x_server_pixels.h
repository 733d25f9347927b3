// Reading back what an X server holds of a window, for the tests that run
// under Xvfb. Kept apart: the X headers' macros (None, Bool, Status) clash
// with the engine's names.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

namespace velmor::testing {

// The window's pixels (0x00RRGGBB, row by row) as the X server holds them
// once it has taken everything sent; empty when the window is not on X.
std::vector<uint32_t> XServerPixels(SDL_Window* window);

}  // namespace velmor::testing
