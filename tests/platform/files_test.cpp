// The machine's file system as the game sees it: "\" paths, names in any
// letter case, atomic writes, file times; and the INI look-up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <fstream>

#include "platform/files.h"
#include "platform/os_files.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

class OsFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A folder of each test's own: the tests may run side by side.
    root_ = fs::path(VELMOR_BUILD_DIR) / "platform_files" /
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(root_);
    fs::create_directories(root_ / "data" / "cg");
    std::ofstream(root_ / "data" / "cg" / "kuro.bmp") << "BMbytes";
    std::ofstream(root_ / "data" / "Snx.Init") << "x";
  }
  void TearDown() override {
    fs::permissions(root_, fs::perms::owner_all);
    fs::remove_all(root_);
  }
  std::string Game(const std::string& rest) { return root_.string() + "/" + rest; }

  fs::path root_;
  platform::OsFiles files_;
};

TEST_F(OsFilesTest, BackslashPathsFindNamesInAnyLetterCase) {
  for (const char* path : {"data\\cg\\kuro.bmp", "DATA\\CG\\KURO.BMP", "Data/Cg/Kuro.Bmp"}) {
    std::string error;
    auto bytes = files_.ReadFile(Game(path), &error);
    ASSERT_TRUE(bytes.has_value()) << path << ": " << error;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "BMbytes");
  }
  // The exact name wins; a name that matches nothing is kept as written.
  EXPECT_EQ(platform::NativePath(Game("data\\SNX.INIT")), Game("data/Snx.Init"));
  EXPECT_EQ(platform::NativePath(Game("data\\nothing\\here")), Game("data/nothing/here"));
}

TEST_F(OsFilesTest, AMissingFileOrAFolderIsAnErrorNamingThePath) {
  std::string error;
  EXPECT_FALSE(files_.ReadFile(Game("data\\cg\\none.bmp"), &error).has_value());
  EXPECT_NE(error.find("none.bmp"), std::string::npos);
  EXPECT_FALSE(files_.ReadFile(Game("data\\cg"), &error).has_value());
  EXPECT_FALSE(error.empty());
}

TEST_F(OsFilesTest, WritingReplacesTheFileWholeOrNotAtAll) {
  std::string path = Game("data\\DATA01");
  std::vector<uint8_t> first(1088, 1), second(1088, 2);
  ASSERT_TRUE(files_.WriteFile(path, first, nullptr));
  ASSERT_TRUE(files_.WriteFile(path, second, nullptr));
  EXPECT_EQ(*files_.ReadFile(path, nullptr), second);
  // Nothing is left behind but the file itself.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(root_ / "data")) entries += e.path().filename() != "cg";
  EXPECT_EQ(entries, 2);  // Snx.Init and DATA01

  // A folder that cannot be written keeps the old file.
  fs::permissions(root_ / "data", fs::perms::owner_read | fs::perms::owner_exec);
  if (::geteuid() != 0) {  // root writes anywhere
    std::string error;
    EXPECT_FALSE(files_.WriteFile(path, first, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(*files_.ReadFile(path, nullptr), second);
    EXPECT_FALSE(files_.IsWritableFolder(Game("data/")));
  }
  fs::permissions(root_ / "data", fs::perms::owner_all);
  EXPECT_TRUE(files_.IsWritableFolder(Game("data/")));
}

TEST_F(OsFilesTest, LastWriteTimeIsLocalToTwoSeconds) {
  std::string path = Game("data\\cg\\kuro.bmp");
  struct tm when {};
  when.tm_year = 126, when.tm_mon = 6, when.tm_mday = 12, when.tm_hour = 9, when.tm_min = 5;
  when.tm_sec = 7, when.tm_isdst = -1;
  time_t t = mktime(&when);
  utimbuf times{t, t};
  ASSERT_EQ(::utime((root_ / "data" / "cg" / "kuro.bmp").c_str(), &times), 0);
  auto time = files_.LastWriteTime(path);
  ASSERT_TRUE(time.has_value());
  EXPECT_EQ(time->year, 2026);
  EXPECT_EQ(time->month, 7);
  EXPECT_EQ(time->day, 12);
  EXPECT_EQ(time->hour, 9);
  EXPECT_EQ(time->minute, 5);
  EXPECT_EQ(time->second % 2, 0);
  EXPECT_FALSE(files_.LastWriteTime(Game("data\\none")).has_value());
}

TEST(IniFile, ValuesAsTheProfileServiceReadsThem) {
  struct Case {
    const char* text;
    std::optional<std::string> value;
  };
  for (const Case& c : {
           Case{"[Velmor]\nDatPath=C:\\GAME\\\n", "C:\\GAME\\"},
           Case{"[velmor]\r\n  datpath =  /data/  \r\n", "/data/"},
           Case{"[Velmor]\nDatPath=\"/with space/\"\n", "/with space/"},
           Case{"[Velmor]\nDatPath=\n", ""},
           Case{"; [Velmor]\n[Other]\nDatPath=/no/\n", std::nullopt},
           Case{"[Velmor]\n;DatPath=/commented/\nOther=1\n", std::nullopt},
           Case{"[Velmor]\nDatPath=/first/\nDatPath=/second/\n", "/first/"},
           Case{"", std::nullopt},
       }) {
    EXPECT_EQ(platform::ReadIniValue(c.text, "Velmor", "DatPath"), c.value) << c.text;
  }
}

}  // namespace
}  // namespace velmor::testing
