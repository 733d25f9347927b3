#include "app/slot_place.h"

#include <array>

#include "app/reader_modes.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "menus/slot_file.h"

#ifndef VELMOR_DATA_FROM_PROGRAM
#define VELMOR_DATA_FROM_PROGRAM "../share/velmor/"
#endif

namespace velmor::app {

const char* const kInstalledDataFromProgram = VELMOR_DATA_FROM_PROGRAM;

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool Remember(platform::Files& files, const std::string& user_folder, std::string_view answer) {
  const std::string text = std::string(answer) + "\n";
  return files.WriteFile(user_folder + kOldSlotsAnswer,
                         {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, nullptr);
}

// Copies each file not already in `to`; false when one could not be.
bool CopyMissing(platform::Files& files, const std::vector<std::string>& names,
                 const std::string& from, const std::string& to) {
  bool all = true;
  for (const std::string& name : names) {
    if (files.Exists(to + name)) continue;  // the user's own, newer data stays
    auto bytes = files.ReadFile(from + name, nullptr);
    all = bytes && files.WriteFile(to + name, *bytes, nullptr) && all;
  }
  return all;
}

}  // namespace

bool IsSystemFolder(std::string_view folder) {
  static constexpr std::array<std::string_view, 10> kSystem{
      "/usr/", "/bin/", "/sbin/", "/lib/", "/opt/", "/snap/", "/app/", "/nix/store/",
      "/gnu/store/", "/var/lib/flatpak/"};
  for (std::string_view prefix : kSystem)
    if (folder.substr(0, prefix.size()) == prefix) return true;
  return false;
}

bool IsPortableCopy(platform::Files& files, const std::string& program_folder) {
  const std::string folder = WithSlash(program_folder);
  if (!files.IsWritableFolder(folder)) return false;
  if (files.Exists(folder + kPortableMarker)) return true;
  return !IsSystemFolder(folder) && !files.Exists(folder + kInstalledDataFromProgram);
}

std::string ChooseSlotPlace(platform::Files& files, const std::string& slots_option,
                            const std::string& program_folder, const std::string& user_folder) {
  if (!slots_option.empty()) return WithSlash(slots_option);
  if (user_folder.empty() || IsPortableCopy(files, program_folder))
    return WithSlash(program_folder);
  return WithSlash(user_folder);
}

std::vector<std::string> OldSlotFiles(platform::Files& files, const std::string& folder) {
  std::vector<std::string> names;
  for (int n = 0; n < 256; ++n) {
    std::string name = menus::SlotFileName(n).str();
    if (files.Exists(folder + name)) names.push_back(std::move(name));
  }
  if (files.Exists(folder + ReaderModes::kFileName)) names.emplace_back(ReaderModes::kFileName);
  return names;
}

void OfferOldSlots(platform::Files& files, platform::Dialogs& dialogs,
                   const std::string& program_folder, const std::string& user_folder) {
  const std::string from = WithSlash(program_folder), to = WithSlash(user_folder);
  if (to.empty() || from == to || files.Exists(to + kOldSlotsAnswer)) return;
  const std::vector<std::string> names = OldSlotFiles(files, from);
  if (names.empty()) return;
  const std::string question = Utf8ToSjis(
      Tr("The program's folder holds saves from before.\n"
         "Saves are kept in your data folder from now on.\n"
         "Copy the old ones there? (The original files stay where they are.)"));
  dialogs.ShowMessageBox(
      question, platform::MessageKind::Confirmation, platform::Buttons::OkCancel,
      [&files, &dialogs, names, from, to](platform::Answer answer) {
        if (answer != platform::Answer::Ok) {
          Remember(files, to, "declined");
          return;
        }
        if (CopyMissing(files, names, from, to)) {
          Remember(files, to, "copied");
          return;
        }
        dialogs.ShowMessageBox(Utf8ToSjis(Tr("The old saves could not be copied.\n"
                                             "You will be asked again next time.")),
                               platform::MessageKind::Error, platform::Buttons::Ok);
      });
}

void MakeSlotFolder(platform::Files& files, platform::Dialogs& dialogs,
                    const std::string& folder) {
  if (folder.empty() || files.Exists(folder)) return;
  std::string error;
  if (files.CreateFolders(folder, &error)) return;
  dialogs.ShowMessageBox(Utf8ToSjis(Fill(Tr("The saves' folder could not be made.\n"
                                            "Nothing can be saved and no text is marked as read.\n"
                                            "%s\n%s"),
                                         {folder, error})),
                         platform::MessageKind::Error, platform::Buttons::Ok);
}

}  // namespace velmor::app
