#include "platform/headless/memory_files.h"

#include <cctype>

#include "core/byte_string.h"

namespace velmor::platform {

std::string MemoryFiles::Key(std::string_view path) {
  std::string key;
  for (size_t i = 0; i < path.size(); ++i) {
    auto b = static_cast<uint8_t>(path[i]);
    if (IsLeadByte(b) && i + 1 < path.size()) {
      key.append(path.substr(i, 2));
      ++i;
    } else if (b == '\\') {
      key.push_back('/');
    } else {
      key.push_back(static_cast<char>(b < 0x80 ? std::tolower(b) : b));
    }
  }
  return key;
}

void MemoryFiles::Put(std::string_view path, std::vector<uint8_t> bytes, FileTime time) {
  files_[Key(path)] = Entry{std::move(bytes), time};
}

void MemoryFiles::Put(std::string_view path, std::string_view bytes, FileTime time) {
  Put(path, std::vector<uint8_t>(bytes.begin(), bytes.end()), time);
}

void MemoryFiles::Remove(std::string_view path) { files_.erase(Key(path)); }

bool MemoryFiles::Has(std::string_view path) const { return files_.count(Key(path)) != 0; }

const std::vector<uint8_t>* MemoryFiles::Get(std::string_view path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? nullptr : &it->second.bytes;
}

std::optional<std::vector<uint8_t>> MemoryFiles::ReadFile(std::string_view path,
                                                           std::string* error) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) {
    if (error) *error = "\"" + std::string(path) + "\": No such file or directory";
    return std::nullopt;
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
  files_[key] = Entry{std::vector<uint8_t>(bytes.begin(), bytes.end()), now_};
  return true;
}

std::optional<FileTime> MemoryFiles::LastWriteTime(std::string_view path) {
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

}  // namespace velmor::platform
