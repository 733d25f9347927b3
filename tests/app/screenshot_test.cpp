// F12: the picture as the player sees it, as a PNG file named by the time in
// the player's pictures folder, never over another file; a failure is told
// in the window's corner and the game goes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/shared/png.h"
#include "platform/shared/screenshot.h"
#include "scripted_games.h"
#include "support/pictures.h"

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
       {Case{"/data/pics", "/home/a", "", "/data/pics/velmor/"},
        Case{"/data/pics/", "/home/a", "", "/data/pics/velmor/"},
        Case{nullptr, "/home/a", "", "/home/a/Pictures/velmor/"},
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
}

TEST(Screenshot, F12WritesThePictureWithoutThePointerIntoANewFolder) {
  const fs::path folder = Scratch("new") / "deeper";
  GameRig g(OneClick(), {1024, 768}, folder.string());
  ASSERT_FALSE(g.Start().has_value());
  g.Run("pointer 300 300\ntick\n");
  const std::string state = g.game->StateJson();
  g.Run("keys ctrl\nkey f12\n");
  const fs::path file = folder / "velmor-2000-01-01_12-00-00.png";
  ASSERT_TRUE(fs::exists(file));
  // The scene as shown, without the drawn pointer.
  EXPECT_EQ(Bytes(file), platform::EncodePng(g.form().layers.BMP));
  EXPECT_EQ(g.game->Notices(),
            std::vector<std::string>{"Screenshot saved: velmor-2000-01-01_12-00-00.png"});
  // Neither the game nor its state heard of it: Ctrl is still held.
  EXPECT_EQ(g.form().input.sft, 2);
  EXPECT_EQ(g.game->StateJson(), state);
  // An open panel does not stop it.
  g.Run("keys\nclick right\ntick\nclick right\ntick\nkey f12\n");
  ASSERT_TRUE(g.form().panels.ConfigPanel.visible);
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-00-2.png"));
}

TEST(Screenshot, AnotherInTheSameSecondNeverOverwrites) {
  const fs::path folder = Scratch("same_second");
  fs::create_directories(folder);
  {
    std::ofstream keep(folder / "velmor-2000-01-01_12-00-00.png");
    keep << "the player's own file";
  }
  GameRig g(OneClick(), {1024, 768}, folder.string());
  g.Start();
  g.Run("tick\nkey f12\nkey f12\n");
  const std::vector<uint8_t> own = Bytes(folder / "velmor-2000-01-01_12-00-00.png");
  EXPECT_EQ(std::string(own.begin(), own.end()), "the player's own file");
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-00-2.png"));
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-00-3.png"));
  // A second later the plain name is free again.
  g.Run("tick 50\nkey f12\n");
  EXPECT_TRUE(fs::exists(folder / "velmor-2000-01-01_12-00-01.png"));
}

TEST(Screenshot, AFolderThatCannotBeMadeIsToldAndTheGameGoesOn) {
  const fs::path root = Scratch("blocked");
  fs::create_directories(root);
  { std::ofstream file(root / "a-file"); }
  GameRig g(OneClick(), {1024, 768}, (root / "a-file" / "velmor").string());
  g.Start();
  g.Run("tick\nkey f12\n");
  ASSERT_EQ(g.game->Notices().size(), 1u);
  EXPECT_EQ(g.game->Notices()[0].rfind("Screenshot not saved: ", 0), 0u) << g.game->Notices()[0];
  EXPECT_NE(g.game->Notices()[0].find("a-file"), std::string::npos) << g.game->Notices()[0];
  g.Run("click left\ntick\ntick\n");
  EXPECT_EQ(g.form().scn.work[1], 2);
  EXPECT_TRUE(g.game->dialogs().Boxes().empty());
}

TEST(Screenshot, WithoutAPicturesFolderOrAPictureNothingIsWritten) {
  Bitmap picture(640, 480);
  std::tm t{};
  EXPECT_EQ(platform::SaveScreenshot(picture, "", t).error, "no pictures folder (HOME is not set)");
  const fs::path folder = Scratch("empty");
  platform::SavedScreenshot none = platform::SaveScreenshot(Bitmap(), folder.string(), t);
  EXPECT_FALSE(none.ok());
  EXPECT_FALSE(fs::exists(folder / platform::ScreenshotName(t, 1)));
}

}  // namespace
}  // namespace velmor::testing
