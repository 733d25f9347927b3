// The first start as drawn: the player clicks their way to the game's
// folder, in English or in Japanese by their locale.
#include "ui/first_start_view.h"

#include <map>

#include <gtest/gtest.h>

#include "core/texts.h"
#include "platform/headless/memory_files.h"

namespace velmor::ui {
namespace {

using session::FirstStart;

class FirstStartViewTest : public ::testing::Test {
 protected:
  FirstStartViewTest() {
    files.Put("/home/p/Games/Old Game/SNX/INIT.SNX", "x");
  }

  session::ListFolders Lister() {
    return [this](const std::string& folder) {
      auto it = tree.find(folder);
      return it == tree.end() ? session::FolderListing{} : session::FolderListing{it->second, ""};
    };
  }

  void Frame(FirstStart& first) {
    seconds += 0.05;
    view.Draw(first, {1024, 768}, seconds);
  }

  // A click on what the last frame drew with this label, then the frames
  // that see the press and the release, and one that shows what followed.
  void Click(FirstStart& first, const std::string& label) {
    // Aimed at where it stays: a window that fits new contents takes a
    // frame to settle.
    std::optional<Rect> r = view.Where(label);
    for (int i = 0; i < 5; ++i) {
      Frame(first);
      if (view.Where(label) == r) break;
      r = view.Where(label);
    }
    ASSERT_TRUE(r) << label << " is not drawn";
    const Point at{(r->left + r->right) / 2, (r->top + r->bottom) / 2};
    view.Deliver(PointerMotion{at});
    view.Deliver(ButtonEvent{MouseButton::Left, true, at});
    view.Deliver(ButtonEvent{MouseButton::Left, false, at});
    Frame(first);
    Frame(first);
    Frame(first);
  }

  platform::MemoryFiles files;
  std::map<std::string, std::vector<std::string>> tree{
      {"/home/p/", {"Games", "music"}}, {"/home/p/Games/", {"Old Game"}}};
  UiLayer ui{{}, {}};
  const FirstStartTexts texts = FirstStartTextsNow();
  FirstStartView view{ui, texts, "/home/p/.config/velmor/BRANNIC.INI", "/home/p"};
  double seconds = 0;
};

TEST_F(FirstStartViewTest, ClickedThroughToTheGamesFolder) {
  FirstStart first(files, Lister(), "/home/p/", false, "");
  Frame(first);
  Frame(first);
  EXPECT_TRUE(view.Where(texts.demo));  // shown, though the demo is not there
  Click(first, texts.demo);
  EXPECT_FALSE(first.choice());
  Click(first, texts.choose);
  ASSERT_EQ(first.step(), session::FirstStartStep::Browse);
  Click(first, texts.use);  // not a game folder: the button does nothing
  EXPECT_FALSE(first.choice());
  Click(first, "Games/");
  EXPECT_EQ(first.folder(), "/home/p/Games/");
  Click(first, "Old Game/");
  Click(first, texts.use);
  ASSERT_TRUE(first.choice());
  EXPECT_EQ(first.choice()->kind, session::FirstStartChoice::Kind::Folder);
  EXPECT_EQ(first.choice()->folder, "/home/p/Games/Old Game/");
}

TEST_F(FirstStartViewTest, BackToTheOfferAndQuit) {
  FirstStart first(files, Lister(), "/home/p/", true, "cannot start: CG/KURO.BMP is missing");
  // A window that fits its contents takes its size in its first frame.
  Frame(first);
  Frame(first);
  Click(first, texts.choose);
  Click(first, "Games/");
  Click(first, texts.up);
  EXPECT_EQ(first.folder(), "/home/p/");
  Click(first, texts.back);
  EXPECT_EQ(first.step(), session::FirstStartStep::Offer);
  Click(first, texts.quit);
  ASSERT_TRUE(first.choice());
  EXPECT_EQ(first.choice()->kind, session::FirstStartChoice::Kind::Quit);
}

TEST(FirstStartTexts, InThePlayersLanguage) {
  ScopedTexts restore;
  CurrentTexts() = Texts{};
  CurrentTexts().japanese.Add("Quit", "終了");
  EXPECT_STREQ(FirstStartTextsNow().quit, "Quit");
  CurrentTexts().language = Language::Japanese;
  EXPECT_STREQ(FirstStartTextsNow().quit, "終了");
  EXPECT_STREQ(FirstStartTextsNow().up, "Up");  // none in the catalogue: the source
}

}  // namespace
}  // namespace velmor::ui
