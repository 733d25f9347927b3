// Files held in memory, for tests: paths are compared the way the game's file
// access finds them (letter case ignored; "\" and "/" alike, so that tests
// may write either).
#pragma once

#include <map>
#include <memory>
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
  // Last-write times cannot be read (LastWriteTime answers nothing).
  void MakeTimesUnreadable(bool unreadable) { times_unreadable_ = unreadable; }

  std::optional<std::vector<uint8_t>> ReadFile(std::string_view path,
                                                std::string* error) override;
  // The file's own bytes, copied for nobody.
  std::shared_ptr<const std::vector<uint8_t>> ReadShared(std::string_view path,
                                                         std::string* error) override;
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override;
  std::optional<FileTime> LastWriteTime(std::string_view path) override;
  bool IsWritableFolder(std::string_view folder) override;
  bool Exists(std::string_view path) override;
  bool CreateFolders(std::string_view folder, std::string* error) override;
  // A write in memory finishes or never starts: nothing to remove.
  void RemoveUnfinishedWrites(std::string_view) override {}
  // Reading the file fails (it exists but cannot be read).
  void MakeUnreadable(std::string_view path) { unreadable_.insert(Key(path)); }
  // How many times a file was read.
  int Reads() const { return reads_; }
  // Folders created so far (CreateFolders), as keys.
  const std::set<std::string>& Folders() const { return folders_; }

  static std::string Key(std::string_view path);
  // Every file, as its key and bytes (to copy a game onto a real disk).
  template <class F>
  void ForEach(F&& f) const {
    for (const auto& [key, entry] : files_) f(key, *entry.bytes);
  }

 private:
  // The bytes are shared by copies of the files (a copy costs no more than
  // its names) and never changed: a write puts new ones.
  struct Entry {
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    FileTime time;
  };
  std::map<std::string, Entry> files_;
  std::set<std::string> read_only_;
  std::set<std::string> unreadable_;
  std::set<std::string> folders_;
  int reads_ = 0;
  bool times_unreadable_ = false;
  FileTime now_{2026, 1, 1, 12, 0, 0};
};

}  // namespace velmor::platform
