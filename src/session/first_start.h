// The first start: no data folder is set anywhere (or the game could not
// start from the one that is), so the player is offered to choose the
// game's data folder, which is then remembered for them, or to play the
// demo. The front end draws it and lists folders; this keeps what is shown
// and what the player chose.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/data_folder_setting.h"
#include "platform/files.h"

namespace velmor::session {

// A folder's subfolders, as the front end lists them (or why it cannot).
struct FolderListing {
  std::vector<std::string> folders;  // names only, without the separator
  std::string error;
};
using ListFolders = std::function<FolderListing(const std::string& folder)>;

enum class FirstStartStep {
  Offer,   // choose a folder, play the demo, or quit
  Browse,  // looking for the data folder
};

struct FirstStartChoice {
  enum class Kind { Quit, Demo, Folder } kind = Kind::Quit;
  std::string folder;  // Folder: ending in "/"
};

class FirstStart {
 public:
  // `start` is where the browser opens (ending in "/"); `failure` is why
  // the game could not start (empty at a first start).
  FirstStart(platform::Files& files, ListFolders list, std::string start, bool demo_available,
             std::string failure);

  FirstStartStep step() const { return step_; }
  bool demo_available() const { return demo_available_; }
  const std::string& failure() const { return failure_; }
  // The choice, once made; the front end then closes the offer.
  const std::optional<FirstStartChoice>& choice() const { return choice_; }

  // --- The offer ---
  void Browse();
  void PlayDemo();
  void Quit();

  // --- The browser ---
  // The folder looked at (ending in "/"), its subfolders, and whether it
  // holds the game.
  const std::string& folder() const { return folder_; }
  const FolderListing& listing() const { return listing_; }
  app::GameFolderCheck check() const { return check_; }
  // Into a subfolder the listing names; up to the parent; to a folder the
  // player typed (relative to the one looked at, "~" for the home folder).
  void Open(const std::string& name);
  void Up();
  void GoTo(const std::string& typed, const std::string& home);
  // Takes the folder looked at when it holds the game.
  bool UseThisFolder();
  void Back();

 private:
  void Look(std::string folder);

  platform::Files& files_;
  ListFolders list_;
  std::string start_;
  bool demo_available_;
  std::string failure_;
  FirstStartStep step_ = FirstStartStep::Offer;
  std::optional<FirstStartChoice> choice_;
  std::string folder_;
  FolderListing listing_;
  app::GameFolderCheck check_ = app::GameFolderCheck::Missing;
};

// The folder `path` names, made plain: "." and ".." components resolved,
// repeated separators folded, ending in "/". A relative path is taken from
// `base`.
std::string PlainFolder(const std::string& base, const std::string& path);

}  // namespace velmor::session
