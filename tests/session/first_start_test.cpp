// The first start's offer and folder browser, as a player walks them.
#include "session/first_start.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/headless/memory_files.h"

namespace velmor::session {
namespace {

using ::testing::ElementsAre;
using Kind = FirstStartChoice::Kind;

// A small disk: /home/p with a few folders, the game in /home/p/Games/Old Game.
struct Disk {
  Disk() { files.Put("/home/p/Games/Old Game/SNX/INIT.SNX", "x"); }
  ListFolders Lister() {
    return [this](const std::string& folder) {
      looked_in.push_back(folder);
      auto it = tree.find(folder);
      return it == tree.end() ? FolderListing{{}, "No such file or directory"}
                              : FolderListing{it->second, ""};
    };
  }
  platform::MemoryFiles files;
  std::map<std::string, std::vector<std::string>> tree{
      {"/home/p/", {"music", ".cache", "Games", "apps"}},
      {"/home/p/Games/", {"Old Game"}},
      {"/home/p/Games/Old Game/", {"SNX"}},
      {"/home/", {"p"}},
  };
  std::vector<std::string> looked_in;
};

TEST(FirstStart, ThePlayerFindsTheGameAndTakesIt) {
  Disk disk;
  FirstStart first(disk.files, disk.Lister(), "/home/p", true, "");
  EXPECT_EQ(first.step(), FirstStartStep::Offer);
  EXPECT_TRUE(disk.looked_in.empty());  // nothing is listed before the player browses
  first.Browse();
  EXPECT_EQ(first.step(), FirstStartStep::Browse);
  EXPECT_EQ(first.folder(), "/home/p/");
  // Hidden folders stay hidden; the rest in order whatever their case.
  EXPECT_THAT(first.listing().folders, ElementsAre("apps", "Games", "music"));
  EXPECT_EQ(first.check(), app::GameFolderCheck::NoGame);
  EXPECT_FALSE(first.UseThisFolder());
  EXPECT_FALSE(first.choice());

  first.Open("nonexistent");  // only a listed folder opens
  EXPECT_EQ(first.folder(), "/home/p/");
  first.Open("Games");
  first.Open("Old Game");
  EXPECT_EQ(first.folder(), "/home/p/Games/Old Game/");
  EXPECT_EQ(first.check(), app::GameFolderCheck::Holds);
  ASSERT_TRUE(first.UseThisFolder());
  ASSERT_TRUE(first.choice());
  EXPECT_EQ(first.choice()->kind, Kind::Folder);
  EXPECT_EQ(first.choice()->folder, "/home/p/Games/Old Game/");
}

TEST(FirstStart, TypedFoldersUpAndBack) {
  Disk disk;
  FirstStart first(disk.files, disk.Lister(), "/home/p/", true, "");
  first.Browse();
  first.GoTo("Games/./../Games//Old Game", "/home/p");
  EXPECT_EQ(first.folder(), "/home/p/Games/Old Game/");
  first.Up();
  EXPECT_EQ(first.folder(), "/home/p/Games/");
  first.GoTo("/nowhere", "/home/p");
  EXPECT_EQ(first.folder(), "/nowhere/");
  EXPECT_EQ(first.check(), app::GameFolderCheck::Missing);
  EXPECT_EQ(first.listing().error, "No such file or directory");
  first.GoTo("~/Games", "/home/p");
  EXPECT_EQ(first.folder(), "/home/p/Games/");
  first.GoTo("", "/home/p");  // an empty field goes nowhere
  EXPECT_EQ(first.folder(), "/home/p/Games/");
  // Back at the offer and in again: the browser is where it was.
  first.Back();
  EXPECT_EQ(first.step(), FirstStartStep::Offer);
  first.Browse();
  EXPECT_EQ(first.folder(), "/home/p/Games/");
  // The root has no parent.
  first.GoTo("/", "/home/p");
  first.Up();
  EXPECT_EQ(first.folder(), "/");
}

TEST(FirstStart, TheDemoOnlyWhenItIsThereAndQuit) {
  Disk disk;
  FirstStart without(disk.files, disk.Lister(), "/home/p/", false, "the data folder is gone");
  EXPECT_EQ(without.failure(), "the data folder is gone");
  without.PlayDemo();
  EXPECT_FALSE(without.choice());
  without.Quit();
  ASSERT_TRUE(without.choice());
  EXPECT_EQ(without.choice()->kind, Kind::Quit);

  FirstStart with(disk.files, disk.Lister(), "/home/p/", true, "");
  with.PlayDemo();
  ASSERT_TRUE(with.choice());
  EXPECT_EQ(with.choice()->kind, Kind::Demo);
}

TEST(FirstStart, PlainFolders) {
  EXPECT_EQ(PlainFolder("/a/b", "c"), "/a/b/c/");
  EXPECT_EQ(PlainFolder("/a/b/", "../c/./d//"), "/a/c/d/");
  EXPECT_EQ(PlainFolder("/a", "/x/../../y"), "/y/");
  EXPECT_EQ(PlainFolder("/", ".."), "/");
  EXPECT_EQ(PlainFolder("/a/", ""), "/a/");
}

}  // namespace
}  // namespace velmor::session
