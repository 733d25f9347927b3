#pragma once

#include "imgui.h"
#include "session/session.h"
#include "platform/sdl/sdl_window.h"
