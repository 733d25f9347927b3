// F12: the picture as the player sees it, as a PNG file named by the time in
// the player's pictures folder, never over another file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/shared/png.h"
#include "platform/shared/screenshot.h"
#include "scripted_games.h"

namespace velmor::testing {
namespace {

namespace fs = std::filesystem;

// A folder of this test's own under the build, empty.
fs::path Scratch(const std::string& name) {
  fs::path p = fs::path(VELMOR_BUILD_DIR) / "screenshot_test" / name;
  fs::remove_all(p);
  return p;
}

std::vector<uint8_t> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ScreenshotFolder, FromTheEnvironmentTheUserDirsOrHome) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* user_dirs;
    const char* folder;
  };
  for (Case c :
       {Case{"/data/pics/", "/home/a", "", "/data/pics/velmor/"},
        Case{nullptr, "/home/a/", "", "/home/a/Pictures/velmor/"},
        Case{nullptr, "/home/a",
             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n",
             "/home/a/Bilder/velmor/"},
        Case{nullptr, "/home/a", "XDG_PICTURES_DIR=\"/srv/shots\"\n", "/srv/shots/velmor/"},
        // A relative setting is no folder to write into.
        Case{"pics", "/home/a", "XDG_PICTURES_DIR=\"Bilder\"\n", "/home/a/Pictures/velmor/"},
        Case{nullptr, nullptr, "", ""}, Case{nullptr, "", "", ""}}) {
    EXPECT_EQ(platform::ScreenshotFolderFrom(c.xdg, c.home, c.user_dirs), c.folder)
        << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-") << " " << c.user_dirs;
  }
  std::tm t{};
  EXPECT_EQ(platform::SaveScreenshot(Bitmap(640, 480), "", t).error,
            "no pictures folder (HOME is not set)");
  EXPECT_FALSE(platform::SaveScreenshot(Bitmap(), Scratch("empty").string(), t).ok());
}

TEST(Screenshot, F12WritesThePictureWithoutThePointerNeverOverAnotherFile) {
  const fs::path folder = Scratch("new") / "deeper";
  GameRig g(OneClick(), {1024, 768}, folder.string());
  ASSERT_FALSE(g.Start().has_value());
  g.Run("pointer 300 300\ntick\n");
  const std::string state = g.game->StateJson();
  g.Run("keys ctrl\nkey f12\n");
  const std::string name = "velmor-2000-01-01_12-00-00";
  ASSERT_TRUE(fs::exists(folder / (name + ".png")));
  EXPECT_EQ(Bytes(folder / (name + ".png")), platform::EncodePng(g.form().layers.BMP));
  EXPECT_EQ(g.game->Notices(), std::vector<std::string>{"Screenshot saved: " + name + ".png"});
  // Neither the game nor its state heard of it: Ctrl is still held.
  EXPECT_EQ(g.form().input.sft, 2);
  EXPECT_EQ(g.game->StateJson(), state);
  // An open panel does not stop it; another in the same second takes the
  // next free number, and a second later the plain name is free again.
  g.Run("keys\nclick right\ntick\nclick right\ntick\nkey f12\nkey f12\n");
  ASSERT_TRUE(g.form().panels.ConfigPanel.visible);
  EXPECT_TRUE(fs::exists(folder / (name + "-2.png")));
  EXPECT_TRUE(fs::exists(folder / (name + "-3.png")));
  { std::ofstream(folder / "velmor-2000-01-01_12-00-01.png") << "the player's own file"; }
  g.Run("tick 50\nkey f12\n");
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-01-2.png"));
  const std::vector<uint8_t> own = Bytes(folder / "velmor-2000-01-01_12-00-01.png");
  EXPECT_EQ(std::string(own.begin(), own.end()), "the player's own file");
}

}  // namespace
}  // namespace velmor::testing
