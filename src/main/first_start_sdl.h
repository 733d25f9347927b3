// The first start in the real window: the offer and the folder browser
// drawn alone, before the game starts, until the player chooses.
#pragma once

#include <string>

#include "platform/sdl/sdl_window.h"
#include "session/first_start.h"
#include "ui/first_start_texts.h"
#include "ui/ui_layer.h"

namespace velmor::main {

// The subfolders of `folder` on disk (or why they cannot be listed).
session::FolderListing ListFoldersOnDisk(const std::string& folder);

// Shows the first start until the player chooses; closing the window or a
// quit signal is a choice to quit.
session::FirstStartChoice RunFirstStart(platform::sdl::SdlWindow& window, ui::UiLayer& ui,
                                        session::FirstStart& first,
                                        const ui::FirstStartTexts& texts,
                                        const std::string& remembered_in, const std::string& home);

}  // namespace velmor::main
