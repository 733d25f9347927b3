#include "platform/shared/mapped_file.h"

#include <filesystem>
#include <fstream>

#include "platform/shared/os_files.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#define VELMOR_MAPS_FILES 1
#endif

namespace velmor::platform {

MappedFile::~MappedFile() { Unmap(); }

void MappedFile::Unmap() {
#if defined(VELMOR_MAPS_FILES)
  if (data_ != nullptr && read_.empty()) munmap(const_cast<void*>(data_), size_);
#endif
  read_.clear();
  data_ = nullptr;
  size_ = 0;
}

bool MappedFile::Map(const char* path) {
  Unmap();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(NativePath(path), ec)) return false;
#if defined(VELMOR_MAPS_FILES)
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    void* p = mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    if (p != MAP_FAILED) {
      data_ = p;
      size_ = static_cast<std::size_t>(st.st_size);
    }
  }
  close(fd);
  if (data_ != nullptr) return true;
#endif
  std::ifstream in(NativePath(path), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return false;
  read_.resize(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) read_[i] = static_cast<std::byte>(bytes[i]);
  data_ = read_.empty() ? nullptr : read_.data();
  size_ = read_.size();
  return data_ != nullptr;
}

}  // namespace velmor::platform
