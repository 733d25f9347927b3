#pragma once

#include "platform/window.h"
#include "graphics/bitmap.h"
#include "menus/panels.h"
