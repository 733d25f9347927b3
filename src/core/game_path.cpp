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

std::string FolderWithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace velmor
