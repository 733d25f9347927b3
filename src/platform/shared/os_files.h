// Files on the machine's own file system.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace velmor::platform {

// A path of the program (UTF-8 where the system's own names are not bytes,
// as on Windows) as the file system takes it, and back.
std::filesystem::path NativePath(std::string_view path);
std::string PathText(const std::filesystem::path& path);

// Writes `bytes` into a new file at `path`, never over one that is there
// (EEXIST then), and when `durable` flushes it to the disk before closing.
// 0, or the system's error number; a file it could not finish is removed.
int WriteNewFile(const std::string& path, std::span<const uint8_t> bytes, bool durable);

// Makes a write past the system's file-size limit fail with EFBIG instead
// of ending the process (SIGXFSZ); called once at start.
void IgnoreFileSizeLimitSignal();

// The folder of the running program file, with a trailing "/"; "./" when
// the system cannot tell.
std::string ProgramFolder();

// The path as found on the file system: each component that does not exist
// as written is replaced by the entry of its folder that matches it without
// regard to ASCII case (data copied from old discs is often all upper or all
// lower case). Components that match nothing are kept as written.
std::string ResolvePath(std::string_view path);

// Whether the path is a regular file; when not, *error says what it is
// ("not a regular file (a FIFO)") or why it cannot be asked. Nothing is
// opened, so a FIFO is never waited on.
bool IsRegularFile(std::string_view path, std::string* error = nullptr);
// What a path that is not a regular file is, for an error text.
std::string NotRegularText(const std::string& path, const std::filesystem::file_status& status);

// Creates the folder and any missing folder above it, each with `mode`
// (0700: for the user only); true when it is a folder afterwards. The path
// is taken as written.
bool MakeFolders(const std::string& path, unsigned mode, std::string* error = nullptr);

class OsFiles : public Files {
 public:
  std::optional<std::vector<uint8_t>> ReadFile(std::string_view path,
                                                std::string* error) override;
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override;
  std::optional<FileTime> LastWriteTime(std::string_view path) override;
  bool IsWritableFolder(std::string_view folder) override;
  bool Exists(std::string_view path) override;
  bool CreateFolders(std::string_view folder, std::string* error) override;
  void RemoveUnfinishedWrites(std::string_view folder) override;
};

}  // namespace velmor::platform
