#include "platform/shared/os_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fstream>
#include <random>
#include <system_error>

#include "core/game_path.h"
#include "core/texts.h"
#include "platform/shared/local_time.h"

// What std::filesystem has no word for: flushing a file to the disk, the
// running program's file, whether a folder may be written.
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmor::platform {

namespace fs = std::filesystem;

namespace {

// Files larger than this are not game data; refusing them keeps a stray
// multi-gigabyte file from exhausting memory.
constexpr std::uintmax_t kMaxFileSize = 64 * 1024 * 1024;

std::string ErrorText(const std::string& path, int err) {
  return "\"" + path + "\": " + std::generic_category().message(err);
}
std::string ErrorText(const std::string& path, const std::error_code& ec) {
  return "\"" + path + "\": " + ec.message();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(NativePath(path), ec);
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

// The name with its ASCII letters in lower case (other bytes as they are).
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    if (static_cast<unsigned char>(c) < 0x80) c = static_cast<char>(std::tolower(c));
  return folded;
}

// The entry of `folder` whose name matches `name` without regard to case.
std::optional<std::string> FindEntry(const std::string& folder, std::string_view name) {
  std::error_code ec;
  for (fs::directory_iterator it(NativePath(folder.empty() ? "." : folder), ec), end;
       !ec && it != end; it.increment(ec)) {
    std::string entry = PathText(it->path().filename());
    if (SameIgnoringAsciiCase(entry, name)) return entry;
  }
  return std::nullopt;
}

}  // namespace

fs::path NativePath(std::string_view path) {
#if defined(_WIN32)
  // The program's names are UTF-8; a name that is not cannot be there.
  try {
    return fs::path(std::u8string(path.begin(), path.end()));
  } catch (const std::exception&) {
    return fs::path();
  }
#else
  return fs::path(std::string(path));  // bytes, as the system gave them
#endif
}

std::string PathText(const fs::path& path) {
#if defined(_WIN32)
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
#else
  return path.string();
#endif
}

const FolderIndex::Entries* FolderIndex::Fresh(const std::string& folder, bool* folder_missing) {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(NativePath(folder), ec);
  if (ec) {
    if (folder_missing) *folder_missing = true;
    return nullptr;
  }
  auto it = folders_.find(folder);
  if (it == folders_.end() || it->second.written != written) {
    // A program looks in a handful of folders; a caller that walks many
    // starts the index afresh rather than growing it without end.
    constexpr std::size_t kMostFolders = 64;
    if (it == folders_.end() && folders_.size() >= kMostFolders) {
      folders_.clear();
      found_folders_.clear();
    }
    Entries entries{written, {}, {}};
    for (fs::directory_iterator e(NativePath(folder), ec), end; !ec && e != end; e.increment(ec)) {
      std::string entry = PathText(e->path().filename());
      auto [taken, added] = entries.by_folded_name.try_emplace(Folded(entry), entry);
      if (!added) entries.twins.insert(std::move(entry));
    }
    ++readings_;
    it = folders_.insert_or_assign(folder, std::move(entries)).first;
  }
  return &it->second;
}

std::optional<std::string> FolderIndex::Find(const std::string& folder, std::string_view name,
                                             bool* folder_missing) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Entries* entries = Fresh(folder, folder_missing);
  if (entries == nullptr) return std::nullopt;
  auto found = entries->by_folded_name.find(Folded(name));
  if (found == entries->by_folded_name.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> FolderIndex::Resolve(const std::string& path) {
  const std::size_t cut = path.rfind('/');
  const std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
  const std::string_view name = std::string_view(path).substr(folder.size());
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  std::lock_guard<std::mutex> lock(mutex_);
  auto moved = found_folders_.find(folder);
  const bool was_moved = moved != found_folders_.end();
  const std::string look_in = was_moved ? moved->second : folder;
  const Entries* entries = Fresh(look_in.empty() ? "." : look_in, nullptr);
  if (entries == nullptr) {
    // Gone, or never there as written: the caller looks for it afresh.
    if (was_moved) found_folders_.erase(folder);
    return std::nullopt;
  }
  auto found = entries->by_folded_name.find(Folded(name));
  if (found == entries->by_folded_name.end() || found->second == name ||
      entries->twins.contains(std::string(name)))
    return look_in + std::string(name);  // as written: there, or matching nothing
  return look_in + found->second;
}

void FolderIndex::Remember(const std::string& given, const std::string& found) {
  if (given == found) return;
  std::lock_guard<std::mutex> lock(mutex_);
  found_folders_.insert_or_assign(given, found);
}

namespace {

// The entry of `folder` matching `name`; *folder_missing when the folder
// cannot be read (not there as written, say).
std::optional<std::string> FindIn(const std::string& folder, std::string_view name,
                                  FolderIndex* index, bool* folder_missing) {
  const std::string look_in = folder.empty() ? "." : folder;
  std::error_code ec;
  if (index) return index->Find(look_in, name, folder_missing);
  if (!fs::is_directory(NativePath(look_in), ec)) {
    *folder_missing = true;
    return std::nullopt;
  }
  return FindEntry(look_in, name);
}

// `path` does not exist as written: its last component is matched in its
// folder, and the folder is found the same way first when it is not there
// as written either. From the end, so that a file of a folder that is there
// costs one look into that folder.
std::string ResolveMissing(const std::string& path, FolderIndex* index) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;  // "A/B/" is B in A
  const std::size_t cut = end == 0 ? std::string::npos : path.rfind('/', end - 1);
  const std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
  const std::string name = path.substr(folder.size(), end - folder.size());
  const std::string rest = path.substr(end);
  if (name.empty() || name == "." || name == "..") return path;
  bool missing = false;
  std::optional<std::string> entry = FindIn(folder, name, index, &missing);
  std::string found = folder;
  if (missing && !folder.empty() && folder != "/") {
    found = ResolveMissing(folder, index);
    missing = false;
    entry = FindIn(found, name, index, &missing);
    if (index && !missing) index->Remember(folder, found);
  }
  return found + (entry ? *entry : name) + rest;
}

}  // namespace

std::string ResolvePath(std::string_view given, FolderIndex* index) {
  std::string path(given);
  if (path.empty()) return path;
  // With an index, a name in a folder it knows costs one look at the
  // folder's time, whatever the name's letter case.
  if (index)
    if (std::optional<std::string> found = index->Resolve(path)) return *std::move(found);
  if (Exists(path)) return path;
  return ResolveMissing(path, index);
}

std::string NotRegularText(const std::string& path, const fs::file_status& status) {
  const char* kind = TrMark("\"%s\": not a regular file");
  switch (status.type()) {
    case fs::file_type::fifo: kind = TrMark("\"%s\": not a regular file (a FIFO)"); break;
    case fs::file_type::character:
      kind = TrMark("\"%s\": not a regular file (a character device)");
      break;
    case fs::file_type::block: kind = TrMark("\"%s\": not a regular file (a block device)"); break;
    case fs::file_type::socket: kind = TrMark("\"%s\": not a regular file (a socket)"); break;
    case fs::file_type::directory: kind = TrMark("\"%s\": a folder, not a file"); break;
    default: break;
  }
  return Fill(Tr(kind), {path});
}

namespace {

// IsRegularFile for a path already found on the file system.
bool IsRegularAsFound(const std::string& native, std::string* error) {
  std::error_code ec;
  const fs::file_status status = fs::status(NativePath(native), ec);
  if (ec) {
    if (error) *error = ErrorText(native, ec);
    return false;
  }
  if (fs::is_regular_file(status)) return true;
  if (error) *error = NotRegularText(native, status);
  return false;
}

}  // namespace

bool IsRegularFile(std::string_view path, std::string* error) {
  return IsRegularAsFound(ResolvePath(path), error);
}

namespace {

#if !defined(_WIN32)
// The bytes of an open file of `size` bytes; an error number when they
// cannot all be read.
int ReadOpenFile(int fd, std::vector<uint8_t>& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;  // shorter than it was a moment ago
    done += static_cast<size_t>(n);
  }
  return 0;
}
#endif

}  // namespace

std::optional<std::vector<uint8_t>> OsFiles::ReadFile(std::string_view path, std::string* error) {
  return Read(path, kMaxFileSize, false, nullptr, error);
}

std::optional<std::vector<uint8_t>> OsFiles::ReadFilePart(std::string_view path,
                                                          std::size_t max_bytes, bool from_end,
                                                          uint64_t* whole_size,
                                                          std::string* error) {
  uint64_t size = 0;  // a part is asked for even when its size is not
  return Read(path, max_bytes, from_end, whole_size ? whole_size : &size, error);
}

// `whole_size` null: the whole file, refused when longer than `max_bytes`;
// otherwise at most `max_bytes` of it, from its start or its end.
std::optional<std::vector<uint8_t>> OsFiles::Read(std::string_view path, std::uintmax_t max_bytes,
                                                  bool from_end, uint64_t* whole_size,
                                                  std::string* error) {
  const std::string native = Resolve(path);
  const fs::path file = NativePath(native);
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
  };
  const bool part = whole_size != nullptr;
  // What of a file of `size` bytes is read: from `at`, `count` bytes.
  auto plan = [&](std::uintmax_t size, std::uintmax_t& at, std::uintmax_t& count) {
    if (part) *whole_size = size;
    count = std::min(size, max_bytes);
    at = from_end ? size - count : 0;
    return part || size <= max_bytes;
  };
  // A FIFO or a device where a file should be is refused unread: opening a
  // FIFO waits for a writer that may never come, a device never ends.
  if (std::string why; !IsRegularAsFound(native, &why)) return fail(why);
  std::uintmax_t at = 0, count = 0;
#if defined(_WIN32)
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) return fail(ErrorText(native, ec));
  if (!plan(size, at, count)) return fail(ErrorText(native, EFBIG));
  errno = 0;
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail(ErrorText(native, errno != 0 ? errno : EACCES));
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  in.seekg(static_cast<std::streamoff>(at));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (static_cast<std::uintmax_t>(in.gcount()) != count) return fail(ErrorText(native, EIO));
  return bytes;
#else
  // Mended: the kind was asked before the file was opened, so a FIFO put in
  // its place in between was opened and waited on. It is opened without
  // waiting now, and what was opened is asked.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail(ErrorText(native, errno));
  struct stat st {};
  int err = ::fstat(fd, &st) != 0 ? errno : 0;
  std::vector<uint8_t> bytes;
  if (err == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    std::error_code ignored;
    return fail(NotRegularText(native, fs::status(file, ignored)));
  }
  if (err == 0 && !plan(static_cast<std::uintmax_t>(st.st_size), at, count)) err = EFBIG;
  if (err == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) err = errno;
  if (err == 0 && at > 0 && ::lseek(fd, static_cast<off_t>(at), SEEK_SET) < 0) err = errno;
  if (err == 0) {
    bytes.resize(static_cast<size_t>(count));
    err = ReadOpenFile(fd, bytes);
  }
  ::close(fd);
  if (err != 0) return fail(ErrorText(native, err));
  return bytes;
#endif
}

#if !defined(_WIN32)
namespace {

// An open file read where asked (pread needs no shared position, so any
// thread may read).
class FdSource : public formats::ByteSource {
 public:
  FdSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~FdSource() override { ::close(fd_); }
  FdSource(const FdSource&) = delete;
  FdSource& operator=(const FdSource&) = delete;
  uint64_t Size() const override { return size_; }
  bool ReadAt(uint64_t at, std::span<uint8_t> out) override {
    if (at > size_ || out.size() > size_ - at) return false;
    for (std::size_t done = 0; done < out.size();) {
      const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done,
                                static_cast<off_t>(at + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;  // an error, or shorter than it was
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_;
};

}  // namespace

std::shared_ptr<formats::ByteSource> OsFiles::OpenSource(std::string_view path,
                                                         std::string* error) {
  const std::string native = Resolve(path);
  const fs::path file = NativePath(native);
  auto fail = [&](const std::string& why) -> std::shared_ptr<formats::ByteSource> {
    if (error) *error = why;
    return nullptr;
  };
  if (std::string why; !IsRegularAsFound(native, &why)) return fail(why);
  // Opened without waiting and asked what it is, as Read does.
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail(ErrorText(native, errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return fail(ErrorText(native, err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    std::error_code ignored;
    return fail(NotRegularText(native, fs::status(file, ignored)));
  }
  return std::make_shared<FdSource>(fd, static_cast<uint64_t>(st.st_size));
}
#endif

int WriteNewFile(const std::string& path, std::span<const uint8_t> bytes, bool durable) {
  const fs::path file = NativePath(path);
#if defined(_WIN32)
  const int fd = ::_wopen(file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
#else
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
#endif
  if (fd < 0) return errno != 0 ? errno : EIO;
  int err = 0;
  for (size_t done = 0; done < bytes.size() && err == 0;) {
#if defined(_WIN32)
    const auto piece = static_cast<unsigned>(std::min<size_t>(bytes.size() - done, 1u << 30));
    const int n = ::_write(fd, bytes.data() + done, piece);
#else
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
#endif
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) err = n < 0 ? errno : EIO;
    else done += static_cast<size_t>(n);
  }
#if defined(_WIN32)
  if (err == 0 && durable && ::_commit(fd) != 0) err = errno;
  if (::_close(fd) != 0 && err == 0) err = errno;
#else
  if (err == 0 && durable && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
#endif
  if (err != 0) {
    std::error_code ignored;
    fs::remove(file, ignored);  // nothing half-written is left
  }
  return err;
}

namespace {

// An unfinished write is the hidden file ".velmor-<name>.<8 random>.tmp"
// beside the file it replaces; a program killed while writing leaves it.
constexpr std::string_view kTempPrefix = ".velmor-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr size_t kTempRandom = 8;
constexpr std::string_view kTempAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";
// Earlier versions named it "<name>.unfinished-" and the six letters and
// digits mkstemp chose.
constexpr std::string_view kOldMark = ".unfinished-";
constexpr size_t kOldRandom = 6;

std::string TempName(const std::string& name) {
  // Drawn from the system each time: a generator's state would be copied
  // into every child process, and each would try the same names.
  std::random_device system;
  uint64_t bits = uint64_t{system()} << 32 | system();
  std::string random(kTempRandom, ' ');
  for (char& c : random) {
    c = kTempAlphabet[bits % kTempAlphabet.size()];
    bits /= kTempAlphabet.size();
  }
  return std::string(kTempPrefix) + name + "." + random + std::string(kTempSuffix);
}

bool AllOf(std::string_view text, size_t count, bool (*ok)(char)) {
  if (text.size() != count) return false;
  for (char c : text)
    if (!ok(c)) return false;
  return true;
}
bool IsLowerOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }
bool IsLetterOrDigit(char c) { return IsLowerOrDigit(c) || (c >= 'A' && c <= 'Z'); }

// Whether `name` is a temporary file of WriteFile's and nothing else.
bool IsUnfinishedWrite(std::string_view name) {
  if (name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix)) {
    std::string_view inner = name.substr(kTempPrefix.size());
    inner.remove_suffix(kTempSuffix.size());
    return inner.size() > kTempRandom + 1 && inner[inner.size() - kTempRandom - 1] == '.' &&
           AllOf(inner.substr(inner.size() - kTempRandom), kTempRandom, IsLowerOrDigit);
  }
  // Mended: any "<name>.unfinished-XXXXXX" was taken for one, a stranger's
  // file too; only a slot's (DATA and two hexadecimal digits) is.
  const size_t mark = name.rfind(kOldMark);
  return mark == 6 && name.starts_with("DATA") && std::isxdigit(static_cast<unsigned char>(name[4])) &&
         std::isxdigit(static_cast<unsigned char>(name[5])) &&
         AllOf(name.substr(mark + kOldMark.size()), kOldRandom, IsLetterOrDigit);
}

// The rename that finished a write is itself kept through a crash of the
// machine only once the folder is written out (Windows keeps it by itself).
void SyncFolder(const fs::path& folder) {
#if !defined(_WIN32)
  int flags = O_RDONLY | O_CLOEXEC;
#if defined(O_DIRECTORY)
  flags |= O_DIRECTORY;
#endif
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), flags);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
#else
  (void)folder;
#endif
}

}  // namespace

namespace {

// Mended: a slot that was a link to a file elsewhere was replaced by a file
// of its own at the first save. A link is written through: the file is
// replaced in the folder of the link's final target.
std::string ThroughLinks(const std::string& native) {
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(NativePath(native), ec))) return native;
  const fs::path target = fs::weakly_canonical(NativePath(native), ec);
  return ec ? native : PathText(target);
}

}  // namespace

void IgnoreFileSizeLimitSignal() {
#if defined(SIGXFSZ)
  // Mended: a write past the system's file-size limit killed the program by
  // SIGXFSZ at the first save. Ignored, the write fails with EFBIG, and the
  // save says so and keeps the old slot.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool OsFiles::WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                        std::string* error) {
  const std::string native = ThroughLinks(Resolve(path));
  const fs::path target = NativePath(native);
  const std::string name = PathText(target.filename());
  const std::string folder = native.substr(0, native.size() - name.size());
  std::string temp;
  int err = EEXIST;
  for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
    temp = folder + TempName(name);
    err = WriteNewFile(temp, bytes, true);
  }
  if (err != 0) {
    if (error) *error = ErrorText(native, err);
    return false;
  }
  std::error_code ec;
  using fs::perms;
  fs::permissions(NativePath(temp),
                  perms::owner_read | perms::owner_write | perms::group_read | perms::others_read,
                  ec);
  if (!ec) fs::rename(NativePath(temp), target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(NativePath(temp), ignored);
    if (error) *error = ErrorText(native, ec);
    return false;
  }
  SyncFolder(target.parent_path());
  return true;
}

void OsFiles::RemoveUnfinishedWrites(std::string_view folder) {
  const std::string native = folder.empty() ? "." : Resolve(folder);
  std::error_code ec;
  for (fs::directory_iterator it(NativePath(native), ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code ignored;
    if (it->is_regular_file(ignored) && !it->is_symlink(ignored) &&
        IsUnfinishedWrite(PathText(it->path().filename())))
      fs::remove(it->path(), ignored);
  }
}

std::optional<FileTime> OsFiles::LastWriteTime(std::string_view path) {
  const fs::path file = NativePath(Resolve(path));
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  const fs::file_time_type written = fs::last_write_time(file, ec);
  if (ec) return std::nullopt;
  using std::chrono::system_clock;
  // The file clock's time as the system clock's, through both clocks' now
  // (libc++ before 17 has no file_clock::to_sys; the list shows seconds).
  const auto since_epoch =
      system_clock::now() + std::chrono::duration_cast<system_clock::duration>(
                                written - fs::file_time_type::clock::now());
  const std::optional<std::tm> local = LocalTime(system_clock::to_time_t(
      std::chrono::time_point_cast<system_clock::duration>(since_epoch)));
  if (!local) return std::nullopt;
  // The save list shows times at two-second resolution.
  return FileTime{local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                  local->tm_hour,        local->tm_min,      local->tm_sec / 2 * 2};
}

bool OsFiles::IsWritableFolder(std::string_view folder) {
  std::string native = Resolve(folder);
  if (native.empty()) native = ".";
  std::error_code ec;
  if (!fs::is_directory(NativePath(native), ec)) return false;
#if defined(_WIN32)
  // The folder's attributes say little there (Program Files is not marked
  // read-only): whether a file can be made in it is tried.
  const std::string probe = FolderWithSeparator(native) + TempName("probe");
  if (WriteNewFile(probe, {}, false) != 0) return false;
  fs::remove(NativePath(probe), ec);
  return true;
#else
  return ::access(native.c_str(), W_OK) == 0;
#endif
}

bool OsFiles::Exists(std::string_view path) { return platform::Exists(Resolve(path)); }

namespace {

std::string NotFolderText(const std::string& path, const fs::file_status& status) {
  if (fs::is_regular_file(status)) return Fill(Tr("\"%s\": a file, where a folder should be"), {path});
  return Fill(Tr("%s, where a folder should be"), {NotRegularText(path, status)});
}

}  // namespace

bool MakeFolders(const std::string& path, unsigned mode, std::string* error) {
  // Each folder from the top down; one that exists already is fine. A new
  // one gets `mode` less what the process's mask takes away.
  const auto kept = static_cast<fs::perms>(mode) & fs::perms::all;
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    std::error_code ec;
    if (fs::create_directory(NativePath(part), ec))
      fs::permissions(NativePath(part), ~kept & fs::perms::all, fs::perm_options::remove, ec);
    std::error_code is_folder;
    if (ec && !fs::is_directory(NativePath(part), is_folder)) {
      // Mended: a file or a device where a folder should be was reported as
      // "File exists"; what is there is named.
      std::error_code kind;
      const fs::file_status there = fs::status(NativePath(part), kind);
      if (error)
        *error = !kind && fs::exists(there) ? NotFolderText(part, there) : ErrorText(part, ec);
      return false;
    }
  }
  std::error_code ec;
  if (!fs::is_directory(NativePath(path), ec)) {
    if (error) *error = ErrorText(path, ENOTDIR);
    return false;
  }
  return true;
}

bool OsFiles::CreateFolders(std::string_view folder, std::string* error) {
  return MakeFolders(Resolve(folder), 0755, error);
}

std::string ProgramFolder() {
#if defined(_WIN32)
  std::wstring buffer(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return "./";
  buffer.resize(n);
  const std::string path = PathText(fs::path(buffer));
#elif defined(__linux__)
  std::error_code ec;
  const std::string path = fs::read_symlink("/proc/self/exe", ec).string();
  if (ec || path.empty()) return "./";
#else
  const std::string path;  // the system gives no way to ask
#endif
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

}  // namespace velmor::platform
