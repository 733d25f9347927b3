// The machine as the game sees it: the system's folders joined to the game's own Shift-JIS names,
// names in any letter case, atomic writes, created folders, file times; the font look-up; the
// start-up heap; the program's folder, the environment and libraries loaded while it runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <thread>
#include <tuple>

#include "core/game_path.h"
#include "platform/files.h"
#if defined(VELMOR_HAVE_X11)
#include "platform/shared/compose_cache.h"
#include "platform/shared/deflate_compressor.h"
#endif
#include "platform/shared/environment.h"
#include "platform/shared/font_finder.h"
#include "platform/shared/os_files.h"
#include "platform/shared/shared_library.h"
#include "platform/shared/startup_heap.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

class OsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {  // a folder of each test's own: the tests may run side by side
    root_ = fs::path(VELMOR_BUILD_DIR) / "platform_files" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    fs::create_directories(root_ / "data" / "cg");
    std::ofstream(root_ / "data" / "cg" / "kuro.bmp") << "BMbytes";
    std::ofstream(root_ / "data" / "Snx.Init") << "x";
  }
  void TearDown() override {
    fs::permissions(root_ / "data", fs::perms::owner_all);
    fs::remove_all(root_);
  }
  // A game name (Shift-JIS, "\" separators) under the test's folder.
  std::string Game(const std::string& rest) { return GamePath(root_.string() + "/", rest); }

  fs::path root_;
  platform::OsFiles files_;
};

TEST_F(OsFilesTest, GameNamesFindFilesInAnyLetterCase) {
  for (const char* path : {"data\\cg\\kuro.bmp", "DATA\\CG\\KURO.BMP", "Data/Cg/Kuro.Bmp"}) {
    std::string error;
    auto bytes = files_.ReadFile(Game(path), &error);
    EXPECT_EQ(bytes ? std::string(bytes->begin(), bytes->end()) : error, "BMbytes") << path;
    EXPECT_TRUE(files_.Exists(Game(path))) << path;
  }
  // The exact name wins; a name that matches nothing is kept as written.
  EXPECT_EQ(platform::ResolvePath(Game("data\\SNX.INIT")), Game("data/Snx.Init"));
  EXPECT_EQ(platform::ResolvePath(Game("data\\nothing\\here")), Game("data/nothing/here"));
}

// A folder is read once for any number of names found in another case, and
// again only when it changed: what was added, renamed or removed is seen.
TEST_F(OsFilesTest, AFolderIsReadOnceAndAgainWhenItChanges) {
  const fs::path cg = root_ / "data" / "cg";
  for (int i = 0; i < 50; ++i) std::ofstream(cg / ("pic" + std::to_string(i) + ".bmp")) << i;
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 50; ++i)
      ASSERT_TRUE(files_.Exists(Game("data\\cg\\PIC" + std::to_string(i) + ".BMP"))) << i;
  const std::size_t readings = files_.index().readings();
  EXPECT_LE(readings, 2u);  // the data folder's and CG's, once each
  EXPECT_FALSE(files_.Exists(Game("data\\cg\\NEW.BMP")));
  // A folder's time can stay the same over quick changes on a coarse clock:
  // the change is dated a second later.
  auto later = [&] { fs::last_write_time(cg, fs::last_write_time(cg) + std::chrono::seconds(1)); };
  std::ofstream(cg / "new.bmp") << "n";
  later();
  EXPECT_TRUE(files_.Exists(Game("data\\cg\\NEW.BMP")));
  fs::rename(cg / "kuro.bmp", cg / "Kuro2.bmp");
  later();
  EXPECT_FALSE(files_.Exists(Game("data\\cg\\KURO.BMP")));
  std::string error;
  auto bytes = files_.ReadFile(Game("data\\cg\\KURO2.BMP"), &error);
  EXPECT_EQ(bytes ? std::string(bytes->begin(), bytes->end()) : error, "BMbytes");
  EXPECT_EQ(files_.index().readings(), readings + 2);
}

// A folder named in another case is found once and then looked up like one
// named exactly; when it goes (renamed here) it is found afresh. Two names
// differing only in case side by side: the exact one wins, through the index.
TEST_F(OsFilesTest, AFolderFoundInAnotherCaseIsKeptUntilItGoes) {
  auto read = [&](const std::string& name) {
    std::string error;
    auto bytes = files_.ReadFile(Game(name), &error);
    return bytes ? std::string(bytes->begin(), bytes->end()) : error;
  };
  ASSERT_EQ(read("DATA\\CG\\KURO.BMP"), "BMbytes");
  const std::size_t readings = files_.index().readings();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(read("DATA\\CG\\KURO.BMP"), "BMbytes");
  EXPECT_EQ(files_.index().readings(), readings);
  EXPECT_EQ(platform::ResolvePath(Game("DATA\\CG\\KURO.BMP"), nullptr), Game("data/cg/kuro.bmp"));

  fs::rename(root_ / "data" / "cg", root_ / "data" / "Pics");
  EXPECT_FALSE(files_.Exists(Game("DATA\\CG\\KURO.BMP")));
  EXPECT_EQ(read("DATA\\PICS\\KURO.BMP"), "BMbytes");

  std::ofstream(root_ / "data" / "Pics" / "KURO.BMP") << "upper";
  fs::last_write_time(root_ / "data" / "Pics",
                      fs::last_write_time(root_ / "data" / "Pics") + std::chrono::seconds(1));
  EXPECT_EQ(read("DATA\\PICS\\KURO.BMP"), "upper");
  EXPECT_EQ(read("data\\Pics\\kuro.bmp"), "BMbytes");
  EXPECT_EQ(read("data\\Pics\\KURO.BMP"), "upper");
}

TEST(GamePath, OnlyTheGamesOwnNameIsConverted) {
  for (auto [folder, name, path] : std::vector<std::array<std::string, 3>>{
           // Folders in any script, or not even UTF-8, stay as the system gave them.
           {"/home/zoë/données/", "CG\\KURO.BMP", "/home/zoë/données/CG/KURO.BMP"},
           {"/data\xE9/", "CG\\A.BMP", "/data\xE9/CG/A.BMP"},
           // The name's Shift-JIS becomes UTF-8; a trail byte 0x5C ("ソ" is 0x83 0x5C) is
           // part of its character, not a separator.
           {"D/", "CG\\\x83\x5C.BMP", "D/CG/ソ.BMP"},
           {"", "SOUND\\SC88\\M01.MID", "SOUND/SC88/M01.MID"}})
    EXPECT_EQ(GamePath(folder, name), path) << name;
  for (const char* folder : {"/a/b", "/a/b/"}) EXPECT_EQ(FolderWithSeparator(folder), "/a/b/");
  EXPECT_EQ(FolderWithSeparator(""), "");
}

// Folders are created with their parents; what cannot be read or made is an error naming it.
TEST_F(OsFilesTest, FoldersAndErrorsNameThePath) {
  const std::string folder = root_.string() + "/saves/deep/er/";
  std::string error;
  ASSERT_TRUE(files_.CreateFolders(folder, &error)) << error;
  EXPECT_TRUE(fs::is_directory(root_ / "saves" / "deep" / "er"));
  EXPECT_TRUE(files_.CreateFolders(folder, &error)) << "an existing folder is fine";
  EXPECT_FALSE(files_.CreateFolders(Game("data\\Snx.Init\\x/"), &error));  // a file in the way
  EXPECT_NE(error.find("Snx.Init"), std::string::npos) << error;
  EXPECT_FALSE(files_.ReadFile(Game("data\\cg\\none.bmp"), &error).has_value());
  EXPECT_NE(error.find("none.bmp"), std::string::npos) << error;
  EXPECT_FALSE(files_.Exists(Game("data\\cg\\none.bmp")) || files_.LastWriteTime(Game("data\\no")));
  EXPECT_FALSE(files_.ReadFile(Game("data\\cg"), &error)) << "a folder";
}

// A part of a file: its head or its tail, and the whole size; a file past
// the whole-file limit (64 MiB, sparse here) is still read in part, and a
// FIFO is refused as a whole read would refuse it.
TEST_F(OsFilesTest, APartOfAFileIsReadFromEitherEnd) {
  const std::string path = Game("data\\cg\\kuro.bmp");
  for (auto [from_end, want] : {std::pair(false, "BMby"), std::pair(true, "ytes")}) {
    uint64_t size = 0;
    auto bytes = files_.ReadFilePart(path, 4, from_end, &size, nullptr);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), want);
    EXPECT_EQ(size, 7u);
  }
  EXPECT_EQ(files_.ReadFilePart(path, 100, true, nullptr, nullptr)->size(), 7u);
  const fs::path huge = root_ / "data" / "huge";
  std::ofstream(huge).close();
  fs::resize_file(huge, (64u << 20) + 1);
  std::string error;
  EXPECT_FALSE(files_.ReadFile(huge.string(), &error)) << "too large to read whole";
  uint64_t size = 0;
  auto tail = files_.ReadFilePart(huge.string(), 16, true, &size, &error);
  ASSERT_TRUE(tail) << error;
  EXPECT_EQ(tail->size(), 16u);
  EXPECT_EQ(size, (64u << 20) + 1);
  EXPECT_EQ(files_.ReadFilePart(huge.string(), 8, false, nullptr, &error)->size(), 8u)
      << "without asking the whole size";
  ASSERT_EQ(::mkfifo((root_ / "data" / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(files_.ReadFilePart((root_ / "data" / "fifo").string(), 16, true, &size, &error));
  EXPECT_NE(error.find("FIFO"), std::string::npos) << error;
}

TEST_F(OsFilesTest, WritingReplacesTheFileWholeOrNotAtAll) {
  const std::string path = Game("data\\DATA01");
  const std::vector<uint8_t> first(1088, 1), second(1088, 2);
  ASSERT_TRUE(files_.WriteFile(path, first, nullptr) && files_.WriteFile(path, second, nullptr));
  EXPECT_EQ(*files_.ReadFile(path, nullptr), second);
  std::set<std::string> left;  // nothing is left behind but the file itself
  for (const auto& e : fs::directory_iterator(root_ / "data")) left.insert(e.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"DATA01", "Snx.Init", "cg"}));
  // A folder that cannot be written keeps the old file.
  fs::permissions(root_ / "data", fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() != 0) {  // root writes anywhere
    std::string error;
    EXPECT_FALSE(files_.WriteFile(path, first, &error) || error.empty());
    EXPECT_EQ(*files_.ReadFile(path, nullptr), second);
    EXPECT_FALSE(files_.IsWritableFolder(Game("data/")));
  }
  fs::permissions(root_ / "data", fs::perms::owner_all);
  EXPECT_TRUE(files_.IsWritableFolder(Game("data/")));
}

// Start-up removes the temporary files of writes that never finished, its own only: the
// hidden ".velmor-<name>.<8 random>.tmp" and the "<name>.unfinished-<6 random>" earlier
// versions left; a stranger's file that merely looks temporary stays.
TEST_F(OsFilesTest, OnlyTheProgramsOwnUnfinishedWritesAreRemoved) {
  const fs::path folder = root_ / "slots";
  fs::create_directories(folder / ".velmor-DATA03.abcd1234.tmp");  // a folder: not a write
  const std::set<std::string> ours{".velmor-DATA01.a1b2c3d4.tmp", ".velmor-read.txt.zz99zz99.tmp",
                                   "DATA02.unfinished-Ab3dE9"};
  const std::set<std::string> strangers{
      "DATA00.tmp",        "foo.XXXXXX",      "foo.a1B2c3",  ".velmor-DATA01.tmp",
      ".velmor-DATA01.A1B2C3D4.tmp",          ".velmor-.a1b2c3d4.tmp",
      ".velmor-DATA01.a1b2c3d4.tmp.bak",      "velmor-DATA01.a1b2c3d4.tmp",
      "DATA02.unfinished-Ab3dE",              "DATA02.unfinished-Ab3dE9!",
      ".unfinished-Ab3dE9", "DATA02.unfinished-Ab3dE9.bak", "DATA02.unfinished-Ab-dE9",
      "DATA01", "notes.unfinished-Ab3dE9", "DATAXY.unfinished-Ab3dE9"};
  for (const std::set<std::string>* names : {&ours, &strangers})
    for (const std::string& name : *names) std::ofstream(folder / name) << "x";
  fs::create_symlink(folder / "DATA01", folder / ".velmor-DATA04.abcd1234.tmp");
  files_.RemoveUnfinishedWrites(folder.string() + "/");
  std::set<std::string> left;
  for (const auto& e : fs::directory_iterator(folder)) left.insert(e.path().filename());
  std::set<std::string> want = strangers;
  want.insert({".velmor-DATA03.abcd1234.tmp", ".velmor-DATA04.abcd1234.tmp"});
  EXPECT_EQ(left, want);
}

// A save past the system's file-size limit fails and says why, instead of
// the program being killed by the signal; the old file stays.
TEST_F(OsFilesTest, ASaveOverTheFileSizeLimitIsReported) {
  const std::string slot = (root_ / "DATA01").string();
  ASSERT_TRUE(files_.WriteFile(slot, std::vector<uint8_t>(10, 1), nullptr));
  const pid_t child = ::fork();
  if (child == 0) {
    platform::IgnoreFileSizeLimitSignal();
    const rlimit limit{100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool written = files_.WriteFile(slot, std::vector<uint8_t>(1088, 2), &error);
    ::_exit(!written && error == "\"" + slot + "\": File too large" ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(*files_.ReadFile(slot, nullptr), std::vector<uint8_t>(10, 1));
}

// A slot that is a link stays a link: the file it leads to is replaced, in
// its own folder.
TEST_F(OsFilesTest, ALinkedSlotIsWrittenThroughItsLink) {
  fs::create_directories(root_ / "elsewhere");
  fs::create_directories(root_ / "slots");
  std::ofstream(root_ / "elsewhere" / "DATA01") << "old";
  fs::create_symlink(root_ / "elsewhere" / "DATA01", root_ / "slots" / "DATA01");
  std::string error;
  ASSERT_TRUE(files_.WriteFile((root_ / "slots" / "DATA01").string(), {{'n', 'e', 'w'}}, &error))
      << error;
  EXPECT_TRUE(fs::is_symlink(root_ / "slots" / "DATA01"));
  EXPECT_EQ(*files_.ReadFile((root_ / "elsewhere" / "DATA01").string(), nullptr),
            (std::vector<uint8_t>{'n', 'e', 'w'}));
}

// A file is made new or not at all: never over one that is there, never half-written.
TEST_F(OsFilesTest, ANewFileIsNeverWrittenOverOne) {
  const std::string path = (root_ / "data" / "new.png").string();
  const std::vector<uint8_t> first{1, 2, 3}, second{4, 5};
  EXPECT_EQ(platform::WriteNewFile(path, first, true), 0);
  EXPECT_EQ(platform::WriteNewFile(path, second, false), EEXIST);
  EXPECT_EQ(*files_.ReadFile(path, nullptr), first);
  EXPECT_EQ(platform::WriteNewFile((root_ / "none" / "x").string(), first, false), ENOENT);
  EXPECT_FALSE(fs::exists(root_ / "none"));
}

// A FIFO or a device where a file should be is refused at once, never waited on.
TEST_F(OsFilesTest, AFifoIsRefusedWithoutWaitingForAWriter) {
  const fs::path fifo = root_ / "data" / "cg" / "fifo.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::promise<void> read;
  std::thread rescue([&, done = read.get_future()] {
    // A read that waits for a writer is let go after a while, and fails below.
    if (done.wait_for(std::chrono::seconds(5)) == std::future_status::timeout)
      ::close(::open(fifo.c_str(), O_WRONLY));
  });
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  const auto bytes = files_.ReadFile(Game("data\\cg\\FIFO.BMP"), &error);
  const auto waited = std::chrono::steady_clock::now() - start;
  read.set_value();
  rescue.join();
  EXPECT_FALSE(bytes.has_value());
  EXPECT_EQ(error, "\"" + fifo.string() + "\": not a regular file (a FIFO)");
  EXPECT_LT(waited, std::chrono::seconds(4));
  EXPECT_FALSE(files_.LastWriteTime(Game("data\\cg\\fifo.bmp")).has_value());
}

// Devices where a file or a folder should be are named as what they are:
// never read (/dev/zero never ends), never "No such file" or "File exists".
TEST_F(OsFilesTest, DevicesWhereFilesOrFoldersShouldBeAreNamed) {
  for (const char* device : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
    SCOPED_TRACE(device);
    std::string error;
    EXPECT_FALSE(files_.ReadFile(device, &error).has_value());
    EXPECT_EQ(error, std::string("\"") + device + "\": not a regular file (a character device)");
    EXPECT_FALSE(platform::IsRegularFile(device, &error));
    // A slot folder that is a device: the slot is not read, and saving says
    // what is in the way.
    const std::string slot = std::string(device) + "/DATA01";
    EXPECT_FALSE(files_.ReadFile(slot, &error).has_value());
    EXPECT_EQ(error.find("No such file"), std::string::npos) << error;
    EXPECT_FALSE(files_.CreateFolders(std::string(device) + "/", &error));
    EXPECT_EQ(error, std::string("\"") + device +
                         "\": not a regular file (a character device), where a folder should be");
    EXPECT_FALSE(files_.WriteFile(slot, std::vector<uint8_t>(4, 1), &error));
  }
  std::string error;
  std::ofstream(root_ / "file") << "x";
  EXPECT_FALSE(files_.CreateFolders((root_ / "file" / "slots/").string(), &error));
  EXPECT_EQ(error, "\"" + (root_ / "file").string() + "\": a file, where a folder should be");
  EXPECT_FALSE(files_.ReadFile(root_.string(), &error).has_value());
  EXPECT_EQ(error, "\"" + root_.string() + "\": a folder, not a file");
}

TEST_F(OsFilesTest, LastWriteTimeIsLocalToTwoSeconds) {
  tm when{};
  when.tm_year = 126, when.tm_mon = 6, when.tm_mday = 12, when.tm_hour = 9, when.tm_min = 5;
  when.tm_sec = 7, when.tm_isdst = -1;
  const time_t t = mktime(&when);
  const utimbuf times{t, t};
  ASSERT_EQ(::utime((root_ / "data" / "cg" / "kuro.bmp").c_str(), &times), 0);
  auto time = files_.LastWriteTime(Game("data\\cg\\kuro.bmp"));
  ASSERT_TRUE(time.has_value());
  EXPECT_EQ(std::tie(time->year, time->month, time->day, time->hour, time->minute, time->second),
            std::make_tuple(2026, 7, 12, 9, 5, 6));
}

TEST(FontFaces, AJapaneseFaceIsFoundOrTheReasonSaysHowToMendIt) {
  std::string error;
  // The system's face with the game's characters (the tests run where IPAGothic is installed).
  auto found = platform::FindFontFaces("", &error);
  ASSERT_TRUE(found.has_value() && fs::exists(found->gothic) && !found->pgothic.empty()) << error;
  auto given = platform::FindFontFaces(found->gothic, &error);
  EXPECT_EQ(given ? given->gothic : error, found->gothic);
  for (auto [file, says] : std::vector<std::pair<std::string, std::string>>{
           {"/nonexistent/face.ttf", "cannot read a font face"},
           {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "lacks the Japanese"},
           {VELMOR_TEST_DATA_DIR "/asm/names.s", "cannot read a font face"}}) {
    if (file.find("dejavu") != std::string::npos && !fs::exists(file)) continue;
    EXPECT_FALSE(platform::FindFontFaces(file, &error).has_value()) << file;
    EXPECT_TRUE(error.find(says) != std::string::npos && error.find("--font") != std::string::npos)
        << error;
  }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramFile) {
  const std::string folder = platform::ProgramFolder();
  ASSERT_TRUE(folder.ends_with("/")) << folder;
  EXPECT_TRUE(fs::equivalent(folder, fs::path(VELMOR_BUILD_DIR) / "tests")) << folder;
}

TEST(Environment, AVariableIsSetOnlyWhenItIsNotSetAlready) {
  const char* name = "VELMOR_TEST_DEFAULT";
  auto value = [&] {
    const char* v = std::getenv(name);
    return std::string(v ? v : "(unset)");
  };
  ::unsetenv(name);
  EXPECT_TRUE(platform::SetEnvironmentDefault(name, "first"));
  EXPECT_TRUE(platform::SetEnvironmentDefault(name, "second"));
  EXPECT_EQ(value(), "first");
  ::setenv(name, "", 1);  // set, even empty: kept
  EXPECT_TRUE(platform::SetEnvironmentDefault(name, "third"));
  EXPECT_EQ(value(), "");
  ::unsetenv(name);
}

// A library of the tests' own (tests/platform/loadable.c): asked for as already loaded it is not
// loaded for the asking; loaded, the first name that loads serves and its function answers.
TEST(SharedLibrary, LoadsTheFirstThatLoadsAndFindsOnlyWhatIsLoaded) {
  const std::array<const char*, 1> loadable{VELMOR_TEST_LOADABLE};
  EXPECT_EQ(platform::LoadedLibrarySymbol(loadable, "velmor_test_answer"), nullptr)
      << "not loaded yet";
  EXPECT_EQ(platform::LoadSharedLibrary(std::array<const char*, 1>{"/nonexistent/lib.so"}),
            nullptr);
  void* lib = platform::LoadSharedLibrary(
      std::array<const char*, 2>{"/nonexistent/lib.so", VELMOR_TEST_LOADABLE});
  ASSERT_NE(lib, nullptr);
  using Answer = int (*)(int);
  auto answer = reinterpret_cast<Answer>(platform::SharedLibrarySymbol(lib, "velmor_test_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(20), 42);
  EXPECT_EQ(platform::SharedLibrarySymbol(lib, "velmor_no_such_function"), nullptr);
  EXPECT_EQ(platform::LoadedLibrarySymbol(loadable, "velmor_test_answer"),
            reinterpret_cast<void*>(answer));
}

#if defined(VELMOR_HAVE_X11)
// The X library's compose cache: a folder of the player's own beside the other caches, unless the
// player has one the library finds by itself; never for root, for whom the library caches nothing.
TEST_F(OsFilesTest, TheComposeCacheIsAPrivateFolderUnlessThePlayerHasOne) {
  const std::string home = (root_ / "home").string();
  fs::create_directories(home);
  for (auto [chosen, xdg, home_var, root, folder] :
       std::vector<std::tuple<const char*, const char*, const char*, bool, std::string>>{
           {nullptr, "/x/cache", "/h", false, "/x/cache/velmor/compose"},
           {nullptr, "/x/cache//", "/h", false, "/x/cache/velmor/compose"},
           {nullptr, nullptr, "/h", false, "/h/.cache/velmor/compose"},
           {nullptr, "cache", "/h", false, "/h/.cache/velmor/compose"},  // relative: not a path
           {nullptr, "", nullptr, false, ""},
           {"/mine", "/x/cache", "/h", false, ""},
           {"", "/x/cache", "/h", false, ""},  // set, even empty: the player's choice
           {nullptr, "/x/cache", "/h", true, ""},
           {nullptr, nullptr, home.c_str(), false, home + "/.cache/velmor/compose"}})
    EXPECT_EQ(platform::ComposeCacheFolder(chosen, xdg, home_var, root), folder)
        << (xdg ? xdg : "-") << " " << (home_var ? home_var : "-") << " " << root;
  fs::create_directory(root_ / "home" / ".compose-cache");  // the library's own place
  EXPECT_EQ(platform::ComposeCacheFolder(nullptr, "/x/cache", home.c_str(), false), "");

  // The library trusts only a folder no one else can write to; one already set is kept.
  const fs::path folder = root_ / "cache" / "velmor" / "compose";
  const char* before = std::getenv("XCOMPOSECACHE");
  const std::string kept = before ? before : "";
  auto cache_var = [] {
    const char* value = std::getenv("XCOMPOSECACHE");
    return std::string(value ? value : "(unset)");
  };
  ::unsetenv("XCOMPOSECACHE");
  ASSERT_TRUE(platform::UseComposeCacheIn(folder.string()));
  EXPECT_EQ(cache_var(), folder.string());
  for (const fs::path& made : {folder, folder.parent_path()})
    EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
  EXPECT_TRUE(platform::UseComposeCacheIn(folder.string())) << "made already";
  ::setenv("XCOMPOSECACHE", "/mine", 1);
  EXPECT_TRUE(platform::UseComposeCacheIn(folder.string()));
  EXPECT_EQ(cache_var(), "/mine");
  std::ofstream(root_ / "cache" / "file");
  ::unsetenv("XCOMPOSECACHE");
  EXPECT_FALSE(platform::UseComposeCacheIn((root_ / "cache" / "file" / "compose").string()));
  EXPECT_EQ(cache_var(), "(unset)");
  if (before) ::setenv("XCOMPOSECACHE", kept.c_str(), 1);
}
#endif

// While the start-up heap lives, large blocks come from the main heap, advised for huge pages;
// once it ends they are mapped apart again, as a decoded piece of music should be.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMOR_OWN_ALLOCATOR 1  // a sanitizer's allocator keeps blocks its own way
#endif
#endif
#if defined(__GLIBC__) && !defined(VELMOR_OWN_ALLOCATOR) && !defined(__SANITIZE_ADDRESS__)
TEST(StartupHeap, LargeBlocksComeFromTheAdvisedHeapOnlyWhileItLives) {
  platform::StartupHeap heap;
  void* picture = std::malloc(3 << 20);
  EXPECT_TRUE(picture < sbrk(0)) << "below the break: in the main heap";
  std::free(picture);
  std::ifstream maps("/proc/self/smaps");
  std::string line, heap_flags;  // the flags of the mappings that hold the main heap
  for (bool in_heap = false; std::getline(maps, line);) {
    if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 16)
      in_heap = line.find("[heap]") != std::string::npos;
    if (in_heap && line.starts_with("VmFlags:")) heap_flags += line;
  }
  if (std::ifstream("/sys/kernel/mm/transparent_hugepage/enabled")) {
    EXPECT_NE(heap_flags.find(" hg"), std::string::npos) << heap_flags;
  }
  heap.End();
  heap.End();  // a second end changes nothing
  void* music = std::malloc(8 << 20);
  EXPECT_FALSE(music < sbrk(0)) << "in a mapping of its own, placed far above";
  std::free(music);
}
#endif

// What the history keeps packed comes back byte for byte, and packed bytes
// that give more or fewer bytes than asked for, or carry more after their
// end, are refused without writing past the buffer.
TEST(DeflateCompressor, GivesBackExactlyWhatItPackedAndNothingElse) {
  const formats::Compressor& deflate = platform::Deflate();
  std::vector<uint8_t> bytes(300000);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>((i / 640) ^ (i % 7 == 0 ? i * 31 : 0));
  const std::vector<uint8_t> packed = deflate.Pack(bytes);
  ASSERT_FALSE(packed.empty());
  EXPECT_LT(packed.size(), bytes.size() / 2);

  std::vector<uint8_t> out(bytes.size());
  ASSERT_TRUE(deflate.Unpack(packed, out));
  EXPECT_EQ(out, bytes);

  std::vector<uint8_t> short_out(bytes.size() - 1, 0xAA), long_out(bytes.size() + 1, 0xAA);
  EXPECT_FALSE(deflate.Unpack(packed, short_out));
  EXPECT_FALSE(deflate.Unpack(packed, long_out));
  EXPECT_EQ(long_out.back(), 0xAA);
  EXPECT_FALSE(deflate.Unpack(std::span(packed).first(packed.size() / 2), out));
  std::vector<uint8_t> trailing = packed;
  trailing.push_back(0);
  EXPECT_FALSE(deflate.Unpack(trailing, out));
  std::vector<uint8_t> damaged = packed;
  damaged[damaged.size() / 2] ^= 0x55;
  EXPECT_FALSE(deflate.Unpack(damaged, out));
}

}  // namespace
}  // namespace velmor::testing
