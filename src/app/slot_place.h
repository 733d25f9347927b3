// Where the save slots (DATA00..DATAFF) and the read text (READTEXT.TXT)
// are kept: beside a portable copy of the program, in the user's data folder
// for an installed one, and the slots an installed program once kept beside
// itself offered for copying, once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/dialogs.h"
#include "platform/files.h"

namespace velmor::app {

// An empty file of this name beside the program marks a portable copy that
// would otherwise pass for an installed program (an archive unpacked under
// /opt, say, or one holding share/velmor/ beside its programs).
inline constexpr const char* kPortableMarker = "velmor-portable";
// The installed program's data folder, relative to the program's folder
// (../share/velmor/ from <prefix>/games/): a program that has it was
// installed (by the packages or `cmake --install`, under any prefix).
extern const char* const kInstalledDataFromProgram;
// In the user's data folder: the answer to the offer of the old slots.
inline constexpr const char* kOldSlotsAnswer = "old-slots-offered";

// Whether the folder (ending in "/") is one the system installs programs
// into: /usr (and /usr/local), /bin, /sbin, /opt, /snap, /app, the Nix and
// Guix stores, Flatpak's.
bool IsSystemFolder(std::string_view folder);

// Whether the program in `program_folder` is a portable copy the player
// unpacked: its folder can be written, and either holds the marker or lies
// outside the system folders without an installed program's data folder
// beside it.
bool IsPortableCopy(platform::Files& files, const std::string& program_folder);

// The folder (ending in "/") for the slots and the read text: `slots_option`
// (--slots) when given; else the program's folder for a portable copy, the
// user's data folder for an installed program (the program's folder when
// there is no user data folder at all).
std::string ChooseSlotPlace(platform::Files& files, const std::string& slots_option,
                            const std::string& program_folder, const std::string& user_folder);

// The slot and read-text files in `folder` (their names).
std::vector<std::string> OldSlotFiles(platform::Files& files, const std::string& folder);

// When the slots go to the user's data folder and the program's folder still
// holds slots or read text: asks once whether to copy them there, copies on
// OK (never over a file already there, never deleting the originals) and
// remembers the answer in `user_folder`. A copy that fails is said in an
// error box and the offer stands for the next start.
void OfferOldSlots(platform::Files& files, platform::Dialogs& dialogs,
                   const std::string& program_folder, const std::string& user_folder);

// Makes the slot folder when it is missing, so that what is read before the
// first save is kept; one that cannot be made is said in an error box naming
// it and why (the game goes on; its saves will fail and say so).
void MakeSlotFolder(platform::Files& files, platform::Dialogs& dialogs, const std::string& folder);

}  // namespace velmor::app
