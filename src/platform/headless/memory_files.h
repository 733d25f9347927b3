// Files held in memory, for tests: paths are compared the way the game's file
// access finds them ("\" and "/" alike, letter case ignored).
#pragma once

#include <map>
#include <set>

#include "platform/files.h"

namespace velmor::platform {

class MemoryFiles : public Files {
 public:
  void Put(std::string_view path, std::vector<uint8_t> bytes, FileTime time = {});
  void Put(std::string_view path, std::string_view bytes, FileTime time = {});
  void Remove(std::string_view path);
  bool Has(std::string_view path) const;
  const std::vector<uint8_t>* Get(std::string_view path) const;
  // Writes into a folder made read-only fail.
  void MakeReadOnly(std::string_view folder) { read_only_.insert(Key(folder)); }
  // The time stamped on files written from now on.
  void SetNow(FileTime t) { now_ = t; }

  std::optional<std::vector<uint8_t>> ReadFile(std::string_view path,
                                                std::string* error) override;
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override;
  std::optional<FileTime> LastWriteTime(std::string_view path) override;
  bool IsWritableFolder(std::string_view folder) override;

  static std::string Key(std::string_view path);

 private:
  struct Entry {
    std::vector<uint8_t> bytes;
    FileTime time;
  };
  std::map<std::string, Entry> files_;
  std::set<std::string> read_only_;
  FileTime now_{2026, 1, 1, 12, 0, 0};
};

}  // namespace velmor::platform
