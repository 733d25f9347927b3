// A file mapped into memory, read only: a font face is several megabytes,
// of which the panels' glyph atlas touches only the few glyphs it builds.
// Where the system cannot map files the file is read whole instead.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace velmor::platform {

class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  // False when the file cannot be read (or is empty, or not a regular file).
  bool Map(const char* path);
  std::span<const std::byte> bytes() const {
    return {static_cast<const std::byte*>(data_), size_};
  }

 private:
  void Unmap();
  const void* data_ = nullptr;
  std::size_t size_ = 0;
  std::vector<std::byte> read_;  // the file's bytes where it could not be mapped
};

}  // namespace velmor::platform
