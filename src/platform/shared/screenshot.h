// Screenshots: the picture as the player sees it, written as a PNG file
// named by the date and time into the player's pictures folder, never over
// a file that is there already.
#pragma once

#include <ctime>
#include <string>

#include "graphics/bitmap.h"

namespace velmor::platform {

// The folder screenshots go to, ending in "/": "velmor/" in the pictures
// folder, which is $XDG_PICTURES_DIR, else the one the user-dirs.dirs file
// names (its text given), else ~/Pictures. Empty without a home folder.
std::string ScreenshotFolderFrom(const char* xdg_pictures_dir, const char* home,
                                 const std::string& user_dirs);
// The same from this process's environment and the user's files.
std::string ScreenshotFolder();

// "velmor-2026-12-07_20-46-13.png"; the n-th of the same second (n > 1)
// ends in "-n".
std::string ScreenshotName(const std::tm& when, int n);

struct SavedScreenshot {
  std::string path;   // the file written
  std::string error;  // why none was, empty when one was
  bool ok() const { return error.empty(); }
};

// Writes `picture` into `folder` (made when missing) under the name for
// `when`, the next free one when that is taken.
SavedScreenshot SaveScreenshot(const Bitmap& picture, const std::string& folder,
                               const std::tm& when);
// What the window says of it, in a line: the file with its folder, the home
// folder `home` written as "~" ("Screenshot saved: ~/Pictures/velmor/
// velmor-....png"), or why none was saved.
std::string ScreenshotNoticeFor(const SavedScreenshot& saved, const char* home);
// The same with this process's home folder.
std::string ScreenshotNotice(const SavedScreenshot& saved);

// The machine's local time now.
std::tm LocalTimeNow();

}  // namespace velmor::platform
