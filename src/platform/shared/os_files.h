// Files on the machine's own file system.
#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

// The entries of the folders looked in, for finding names without regard to
// ASCII case: a folder is read once, and again when its modification time
// moves (an entry was added, removed or renamed), so a data folder whose
// names differ in case from the game's costs one reading, not one per name.
// It also keeps where a folder named in another case was found, so that a
// name in it costs what a name in a folder named exactly does: one look at
// the folder's time. Safe to share between threads.
class FolderIndex {
 public:
  // The entry of `folder` whose name matches `name` without regard to ASCII
  // case (the first in the folder's order when several do);
  // *folder_missing when the folder cannot be read.
  std::optional<std::string> Find(const std::string& folder, std::string_view name,
                                  bool* folder_missing = nullptr);
  // `path` as found, when its folder is there as written or was found
  // before in another case: the name as written when the folder has it,
  // else the entry matching it in another case, else as written. Nothing
  // when the folder is neither (the caller finds it and tells Remember).
  std::optional<std::string> Resolve(const std::string& path);
  // Where a folder named `given` (not there as written) was found.
  void Remember(const std::string& given, const std::string& found);
  // How often a folder was read.
  std::size_t readings() const { return readings_; }

 private:
  struct Entries {
    std::filesystem::file_time_type written;
    std::unordered_map<std::string, std::string> by_folded_name;
    // Names that fold to a name the folder had already (rare: "a.bmp" and
    // "A.BMP" side by side); an exact name among them wins too.
    std::unordered_set<std::string> twins;
  };
  // The entries of `folder` as it is now, read again when its time moved;
  // null when it cannot be read. The mutex is held.
  const Entries* Fresh(const std::string& folder, bool* folder_missing);

  std::mutex mutex_;
  std::unordered_map<std::string, Entries> folders_;
  std::unordered_map<std::string, std::string> found_folders_;  // as named -> as found
  std::atomic<std::size_t> readings_ = 0;
};

// The path as found on the file system: each component that does not exist
// as written is replaced by the entry of its folder that matches it without
// regard to ASCII case (data copied from old discs is often all upper or all
// lower case). Components that match nothing are kept as written. Without
// an index each such component reads its folder.
std::string ResolvePath(std::string_view path, FolderIndex* index = nullptr);

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
#if !defined(_WIN32)
  std::shared_ptr<formats::ByteSource> OpenSource(std::string_view path,
                                                 std::string* error) override;
#endif
  std::optional<std::vector<uint8_t>> ReadFilePart(std::string_view path, std::size_t max_bytes,
                                                    bool from_end, uint64_t* whole_size,
                                                    std::string* error) override;
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override;
  std::optional<FileTime> LastWriteTime(std::string_view path) override;
  bool IsWritableFolder(std::string_view folder) override;
  bool Exists(std::string_view path) override;
  bool CreateFolders(std::string_view folder, std::string* error) override;
  void RemoveUnfinishedWrites(std::string_view folder) override;

  const FolderIndex& index() const { return index_; }

 private:
  std::string Resolve(std::string_view path) { return ResolvePath(path, &index_); }
  std::optional<std::vector<uint8_t>> Read(std::string_view path, std::uintmax_t max_bytes,
                                           bool from_end, uint64_t* whole_size,
                                           std::string* error);

  FolderIndex index_;
};

}  // namespace velmor::platform
