// File access for the engine. Paths are the system's own: a folder exactly as
// the player or the system gave it (any encoding the file system accepts),
// joined to a name of the game's own by GamePath (core/game_path.h), which
// converts only that name from Shift-JIS. A name is found regardless of letter case when the
// exact name does not exist.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_source.h"

namespace velmor::platform {

// A file's last-write time in local time, to the two-second resolution the
// save list shows.
struct FileTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Files {
 public:
  virtual ~Files() = default;

  // All bytes of a file; nothing (and the platform's text in *error) when it
  // cannot be read.
  virtual std::optional<std::vector<uint8_t>> ReadFile(std::string_view path,
                                                        std::string* error) = 0;
  // The same, as bytes never changed that may be shared with whoever holds
  // the file (files in memory hand out their own and copy nothing). The
  // default reads the file. Null (and *error) when it cannot be read.
  virtual std::shared_ptr<const std::vector<uint8_t>> ReadShared(std::string_view path,
                                                                 std::string* error) {
    std::optional<std::vector<uint8_t>> bytes = ReadFile(path, error);
    if (!bytes) return nullptr;
    return std::make_shared<const std::vector<uint8_t>>(std::move(*bytes));
  }
  // At most `max_bytes` of a file: its first bytes, or its last ones
  // (`from_end`); *whole_size (when given) gets the size of the whole file.
  // A file too large to read whole is still read in part. The default reads
  // the whole file and cuts it.
  virtual std::optional<std::vector<uint8_t>> ReadFilePart(std::string_view path,
                                                            std::size_t max_bytes, bool from_end,
                                                            uint64_t* whole_size,
                                                            std::string* error);
  // A file to read a part at a time while it plays (a sound too large to
  // hold whole), from any thread once open; its size is the size it had
  // when opened. Nothing (and *error) when it cannot be read. The default
  // reads the whole file into memory.
  virtual std::shared_ptr<formats::ByteSource> OpenSource(std::string_view path,
                                                         std::string* error) {
    std::optional<std::vector<uint8_t>> bytes = ReadFile(path, error);
    if (!bytes) return nullptr;
    return std::make_shared<formats::MemorySource>(std::move(*bytes));
  }
  // Writes a whole file: into a temporary file in the same folder, renamed
  // over the old one only when complete. False (and *error) on failure, with
  // the old file left as it was.
  virtual bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                         std::string* error) = 0;
  virtual std::optional<FileTime> LastWriteTime(std::string_view path) = 0;
  // Whether files can be created in the folder (a path ending in a separator).
  virtual bool IsWritableFolder(std::string_view folder) = 0;
  // Whether anything exists at the path (a file that cannot be read still
  // exists).
  virtual bool Exists(std::string_view path) = 0;
  // Creates the folder and every missing folder above it. False (and
  // *error) when that is not possible.
  virtual bool CreateFolders(std::string_view folder, std::string* error) = 0;
  // Removes what writes that never finished left in the folder (the
  // temporary files of a program killed while saving).
  virtual void RemoveUnfinishedWrites(std::string_view folder) = 0;
};

inline std::optional<std::vector<uint8_t>> Files::ReadFilePart(std::string_view path,
                                                                std::size_t max_bytes,
                                                                bool from_end,
                                                                uint64_t* whole_size,
                                                                std::string* error) {
  std::optional<std::vector<uint8_t>> bytes = ReadFile(path, error);
  if (!bytes) return bytes;
  if (whole_size) *whole_size = bytes->size();
  if (bytes->size() > max_bytes) {
    if (from_end)
      bytes->erase(bytes->begin(), bytes->end() - static_cast<std::ptrdiff_t>(max_bytes));
    else
      bytes->resize(max_bytes);
  }
  return bytes;
}

}  // namespace velmor::platform
