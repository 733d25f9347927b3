// Files on the machine's own file system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace velmor::platform {

// The native (UTF-8, "/"-separated) path of a game path: Shift-JIS to UTF-8,
// each single-byte "\" to "/", and each component that does not exist as
// written replaced by the entry of its folder that matches it without regard
// to ASCII case. Components that match nothing are kept as written.
std::string NativePath(std::string_view game_path);

class OsFiles : public Files {
 public:
  std::optional<std::vector<uint8_t>> ReadFile(std::string_view path,
                                                std::string* error) override;
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override;
  std::optional<FileTime> LastWriteTime(std::string_view path) override;
  bool IsWritableFolder(std::string_view folder) override;
};

}  // namespace velmor::platform
