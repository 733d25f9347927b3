#include "core/game_path.h"

#include "core/byte_string.h"
#include "core/sjis.h"

namespace velmor {

std::string GamePath(std::string_view folder, std::string_view sjis_name) {
  // Separators first, character by character: the second byte of a
  // double-byte character may be 0x5C too.
  std::string name;
  name.reserve(sjis_name.size());
  for (size_t i = 0; i < sjis_name.size(); ++i) {
    auto b = static_cast<uint8_t>(sjis_name[i]);
    if (IsLeadByte(b) && i + 1 < sjis_name.size()) {
      name.append(sjis_name.substr(i, 2));
      ++i;
    } else {
      name.push_back(b == 0x5C ? '/' : static_cast<char>(b));
    }
  }
  return std::string(folder) + SjisToUtf8(name);
}

bool LeavesFolder(std::string_view sjis_name) {
  // Components are cut at either separator, a double-byte character kept
  // whole (its second byte may be 0x5C).
  std::string_view part;
  size_t start = 0;
  auto leaves = [&](size_t end) {
    part = sjis_name.substr(start, end - start);
    return part == "..";
  };
  if (!sjis_name.empty() && (sjis_name[0] == '\\' || sjis_name[0] == '/')) return true;
  if (sjis_name.size() >= 2 && sjis_name[1] == ':') return true;  // a drive: "C:"
  for (size_t i = 0; i < sjis_name.size(); ++i) {
    auto b = static_cast<uint8_t>(sjis_name[i]);
    if (IsLeadByte(b)) {
      ++i;
    } else if (b == '\\' || b == '/') {
      if (leaves(i)) return true;
      start = i + 1;
    }
  }
  return leaves(sjis_name.size());
}

std::string FolderWithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace velmor
