// A digest of everything the visible panels show: values, texts, rows,
// captions, places and the focus. A front end that draws the panels only
// when they change compares it with the digest of its last frame.
#pragma once

#include <cstdint>

#include "menus/panels.h"

namespace velmor::menus {

uint64_t PanelsDigest(Panels& panels);

}  // namespace velmor::menus
