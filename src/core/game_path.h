// How the game's own names become paths of the system: the folders stay as
// the system or the player gave them, only the game's Shift-JIS names are
// converted where they are joined to a folder.
#pragma once

#include <string>
#include <string_view>

namespace velmor {

// The path of a file of the game's data: `folder` (the system's bytes,
// ending in a separator, or empty for the current folder) followed by
// `sjis_name`, a name the game builds ("CG\KURO.BMP"): its "\" separators
// become "/" and its Shift-JIS characters UTF-8. The folder is never
// converted, so a folder named in any script is found.
std::string GamePath(std::string_view folder, std::string_view sjis_name);

// Whether a name of the game's ("CG\KURO.BMP") would lead out of the folder
// it is joined to: a ".." component, or a path of its own (starting with a
// separator or a drive letter). Subfolders inside the folder are fine.
bool LeavesFolder(std::string_view sjis_name);

// A folder as the game joins names to it: ending in "/" (an empty folder
// stays empty: the current folder).
std::string FolderWithSeparator(std::string folder);

}  // namespace velmor
