#pragma once

#include <cstdint>
#include "platform/files.h"
#include "session/session.h"
#include "platform/shared/os_files.h"
