#include "session/first_start.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace velmor::session {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

FirstStart::FirstStart(platform::Files& files, ListFolders list, std::string start,
                       bool demo_available, std::string failure)
    : files_(files),
      list_(std::move(list)),
      start_(std::move(start)),
      demo_available_(demo_available),
      failure_(std::move(failure)) {}

void FirstStart::Browse() {
  step_ = FirstStartStep::Browse;
  if (folder_.empty()) Look(PlainFolder("/", start_));
}

void FirstStart::PlayDemo() {
  if (demo_available_) choice_ = FirstStartChoice{FirstStartChoice::Kind::Demo, {}};
}

void FirstStart::Quit() { choice_ = FirstStartChoice{FirstStartChoice::Kind::Quit, {}}; }

void FirstStart::Open(const std::string& name) {
  if (std::find(listing_.folders.begin(), listing_.folders.end(), name) != listing_.folders.end())
    Look(folder_ + name + "/");
}

void FirstStart::Up() { Look(PlainFolder(folder_, "..")); }

void FirstStart::GoTo(const std::string& typed, const std::string& home) {
  if (typed.empty()) return;
  if (typed == "~" || typed.rfind("~/", 0) == 0)
    Look(PlainFolder("/", home + typed.substr(1)));
  else
    Look(PlainFolder(folder_, typed));
}

bool FirstStart::UseThisFolder() {
  if (check_ != app::GameFolderCheck::Holds) return false;
  choice_ = FirstStartChoice{FirstStartChoice::Kind::Folder, folder_};
  return true;
}

void FirstStart::Back() { step_ = FirstStartStep::Offer; }

void FirstStart::Look(std::string folder) {
  folder_ = std::move(folder);
  listing_ = list_ ? list_(folder_) : FolderListing{};
  // Hidden folders stay hidden, as in the system's own file choosers.
  std::erase_if(listing_.folders, [](const std::string& f) { return f.empty() || f[0] == '.'; });
  std::sort(listing_.folders.begin(), listing_.folders.end(), LessIgnoringCase);
  check_ = app::CheckGameFolder(files_, folder_);
}

std::string PlainFolder(const std::string& base, const std::string& path) {
  const std::string whole = !path.empty() && path[0] == '/' ? path : base + "/" + path;
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= whole.size()) {
    std::size_t end = whole.find('/', pos);
    if (end == std::string::npos) end = whole.size();
    const std::string part = whole.substr(pos, end - pos);
    pos = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string plain = "/";
  for (const std::string& p : parts) plain += p + "/";
  return plain;
}

}  // namespace velmor::session
