// Finding the face the game draws its text with. The game names a Japanese
// gothic face; on this system that is whichever one fontconfig knows with
// every character the game's texts need (IPAGothic when it is there), or the
// file the player names with --font.
#pragma once

#include <optional>
#include <string>

namespace velmor::platform {

struct FontFaces {
  std::string gothic;   // the fixed-pitch face: the game's text, the panels
  std::string pgothic;  // its proportional sibling for the panels' small labels
                        // (the fixed-pitch face again when there is none)
};

// The faces to draw with: `given` when not empty (it must hold the
// characters the game needs), else the best Japanese gothic face the system
// has. Nothing, and why with how to mend it in *error, when there is none:
// the game would otherwise draw every character as an empty cell.
std::optional<FontFaces> FindFontFaces(const std::string& given, std::string* error);

}  // namespace velmor::platform
