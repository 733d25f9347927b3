#include "platform/headless/memory_files.h"

#include <cctype>


namespace velmor::platform {

std::string MemoryFiles::Key(std::string_view path) {
  std::string key;
  for (char c : path) {
    auto b = static_cast<uint8_t>(c);
    if (b == '\\') b = '/';
    key.push_back(static_cast<char>(b < 0x80 ? std::tolower(b) : b));
  }
  return key;
}

void MemoryFiles::Put(std::string_view path, std::vector<uint8_t> bytes, FileTime time) {
  files_[Key(path)] =
      Entry{std::make_shared<const std::vector<uint8_t>>(std::move(bytes)), time};
}

void MemoryFiles::Put(std::string_view path, std::string_view bytes, FileTime time) {
  Put(path, std::vector<uint8_t>(bytes.begin(), bytes.end()), time);
}

void MemoryFiles::Remove(std::string_view path) { files_.erase(Key(path)); }

bool MemoryFiles::Has(std::string_view path) const { return files_.count(Key(path)) != 0; }

const std::vector<uint8_t>* MemoryFiles::Get(std::string_view path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : it->second.bytes.get();
}

std::optional<std::vector<uint8_t>> MemoryFiles::ReadFile(std::string_view path,
                                                           std::string* error) {
  std::shared_ptr<const std::vector<uint8_t>> bytes = ReadShared(path, error);
  if (!bytes) return std::nullopt;
  return *bytes;
}

std::shared_ptr<const std::vector<uint8_t>> MemoryFiles::ReadShared(std::string_view path,
                                                                    std::string* error) {
  ++reads_;
  auto it = files_.find(Key(path));
  if (it == files_.end()) {
    if (error) *error = "\"" + std::string(path) + "\": No such file or directory";
    return nullptr;
  }
  if (unreadable_.count(it->first) != 0) {
    if (error) *error = "\"" + std::string(path) + "\": Permission denied";
    return nullptr;
  }
  return it->second.bytes;
}

bool MemoryFiles::WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                            std::string* error) {
  std::string key = Key(path);
  for (const std::string& folder : read_only_) {
    if (key.rfind(folder, 0) == 0) {
      if (error) *error = "\"" + std::string(path) + "\": Permission denied";
      return false;
    }
  }
  files_[key] = Entry{
      std::make_shared<const std::vector<uint8_t>>(bytes.begin(), bytes.end()), now_};
  return true;
}

std::optional<FileTime> MemoryFiles::LastWriteTime(std::string_view path) {
  if (times_unreadable_) return std::nullopt;
  auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.time;
}

bool MemoryFiles::IsWritableFolder(std::string_view folder) {
  std::string key = Key(folder);
  for (const std::string& f : read_only_)
    if (key.rfind(f, 0) == 0) return false;
  return true;
}

bool MemoryFiles::Exists(std::string_view path) {
  std::string key = Key(path);
  if (files_.count(key) != 0 || folders_.count(key) != 0) return true;
  // A folder exists when a file lies in it.
  if (!key.empty() && key.back() != '/') key.push_back('/');
  auto it = files_.lower_bound(key);
  return it != files_.end() && it->first.rfind(key, 0) == 0;
}

bool MemoryFiles::CreateFolders(std::string_view folder, std::string* error) {
  if (!IsWritableFolder(folder)) {
    if (error) *error = "\"" + std::string(folder) + "\": Permission denied";
    return false;
  }
  folders_.insert(Key(folder));
  return true;
}

}  // namespace velmor::platform
