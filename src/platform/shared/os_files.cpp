#include "platform/shared/os_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>


namespace velmor::platform {

namespace {

// Files larger than this are not game data; refusing them keeps a stray
// multi-gigabyte file from exhausting memory.
constexpr off_t kMaxFileSize = 64 * 1024 * 1024;

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x < 0x80 && y < 0x80) {
      if (std::tolower(x) != std::tolower(y)) return false;
    } else if (x != y) {
      return false;
    }
  }
  return true;
}

// The entry of `folder` whose name matches `name` without regard to case.
std::optional<std::string> FindEntry(const std::string& folder, std::string_view name) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return std::nullopt;
  std::optional<std::string> found;
  while (dirent* e = ::readdir(dir)) {
    if (SameIgnoringAsciiCase(e->d_name, name)) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

std::string ErrnoText(const std::string& path, int err) {
  return "\"" + path + "\": " + std::strerror(err);
}

}  // namespace

std::string ResolvePath(std::string_view given) {
  std::string path(given);
  if (path.empty() || Exists(path)) return path;

  // Walk the components, matching each without regard to case where needed.
  std::string out = path[0] == '/' ? "/" : "";
  size_t pos = path[0] == '/' ? 1 : 0;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    std::string_view part(path.data() + pos, (slash == std::string::npos ? path.size() : slash) - pos);
    if (!part.empty()) {
      std::string candidate = out + std::string(part);
      if (!Exists(candidate)) {
        std::string folder = out.empty() ? "." : out;
        if (auto entry = FindEntry(folder, part)) candidate = out + *entry;
      }
      out = candidate;
    }
    if (slash == std::string::npos) break;
    out.push_back('/');
    pos = slash + 1;
  }
  return out;
}

std::optional<std::vector<uint8_t>> OsFiles::ReadFile(std::string_view path, std::string* error) {
  std::string native = ResolvePath(path);
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = ErrnoText(native, errno);
    return std::nullopt;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    if (error) *error = ErrnoText(native, err);
    return std::nullopt;
  }
  if (st.st_size > kMaxFileSize) {
    ::close(fd);
    if (error) *error = ErrnoText(native, EFBIG);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int err = n < 0 ? errno : EIO;
      ::close(fd);
      if (error) *error = ErrnoText(native, err);
      return std::nullopt;
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return bytes;
}

namespace {

// Temporary files of WriteFile are named after their file with this and six
// characters of mkstemp's; a program killed while writing leaves them.
constexpr std::string_view kUnfinishedMark = ".unfinished-";

// The rename that finished a write is itself kept through a crash of the
// machine only once the folder is written out.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool OsFiles::WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                        std::string* error) {
  std::string native = ResolvePath(path);
  std::string temp = native + std::string(kUnfinishedMark) + "XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    if (error) *error = ErrnoText(native, errno);
    return false;
  }
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    if (error) *error = ErrnoText(native, err);
    return false;
  };
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return fail(n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    if (error) *error = ErrnoText(native, err);
    return false;
  }
  if (::rename(temp.c_str(), native.c_str()) != 0) {
    int err = errno;
    ::unlink(temp.c_str());
    if (error) *error = ErrnoText(native, err);
    return false;
  }
  SyncFolderOf(native);
  return true;
}

void OsFiles::RemoveUnfinishedWrites(std::string_view folder) {
  const std::string native = folder.empty() ? "." : ResolvePath(folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    const size_t mark = name.rfind(kUnfinishedMark);
    // "<file>.unfinished-" and the six characters mkstemp chose.
    if (mark != std::string_view::npos && mark > 0 &&
        name.size() == mark + kUnfinishedMark.size() + 6)
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

std::optional<FileTime> OsFiles::LastWriteTime(std::string_view path) {
  std::string native = ResolvePath(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::tm local{};
  if (!::localtime_r(&st.st_mtime, &local)) return std::nullopt;
  // The save list shows times at two-second resolution.
  return FileTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec / 2 * 2};
}

bool OsFiles::IsWritableFolder(std::string_view folder) {
  std::string native = ResolvePath(folder);
  if (native.empty()) native = ".";
  struct stat st;
  return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(native.c_str(), W_OK) == 0;
}

bool OsFiles::Exists(std::string_view path) {
  struct stat st;
  return ::stat(ResolvePath(path).c_str(), &st) == 0;
}

bool MakeFolders(const std::string& path, unsigned mode, std::string* error) {
  // Each folder from the top down; one that exists already is fine.
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (::mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
      if (error) *error = ErrnoText(part, errno);
      return false;
    }
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    if (error) *error = ErrnoText(path, ENOTDIR);
    return false;
  }
  return true;
}

bool OsFiles::CreateFolders(std::string_view folder, std::string* error) {
  return MakeFolders(ResolvePath(folder), 0755, error);
}

}  // namespace velmor::platform
