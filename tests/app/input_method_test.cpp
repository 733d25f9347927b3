// Names typed through an input method, on the headless game: the script's
// "ime" and "focus" commands act on the focused name field as the player's
// input method and clicks would.
#include <gtest/gtest.h>

#include "scripted_games.h"

namespace velmor::testing {
namespace {

TEST(InputMethod, TheNamesTheScenarioGets) {
  struct Case {
    const char* what;
    const char* script;
    bool closed;
    std::string family, given;  // entries 2 and 0 afterwards; "=" for unchanged
  };
  for (const Case& c : {
           Case{"compositions left pending, then OK",
                "ime compose やまだ\nfocus FirstNameEdit\nime compose はなこ\ncontrol NameEntryButton click\n",
                true, S("やまだ"), S("はなこ")},
           Case{"committed by the input method",
                "ime commit 山田\nfocus FirstNameEdit\nime commit 花子\ncontrol NameEntryButton click\n",
                true, S("山田"), S("花子")},
           Case{"the shown composition committed",
                "ime compose やまだ 0\nime compose 山田 0\nime commit\nfocus FirstNameEdit\n"
                "ime commit 花子\ncontrol NameEntryButton click\n",
                true, S("山田"), S("花子")},
           Case{"past the byte limit",
                "ime commit やまだたろう\nfocus FirstNameEdit\nime compose はなこさん\n"
                "control NameEntryButton click\n",
                true, S("やまだた"), S("はなこさ")},
           Case{"a cancelled composition is nothing",
                "ime compose やまだ\nime cancel\nfocus FirstNameEdit\nime commit 花子\n"
                "control NameEntryButton click\n",
                false, "=", "="},
           Case{"Cancel while composing",
                "ime commit 山田\nfocus FirstNameEdit\nime compose はなこ\ncontrol NameCancelButton click\n",
                true, "=", "="},
       }) {
    GameRig g(NameHero());
    g.Start();
    g.Run("tick\n");
    ASSERT_TRUE(g.form().panels.NamePanel.visible) << c.what;
    const std::string old_family = g.form().scn.mcr[2].str();
    const std::string old_given = g.form().scn.mcr[0].str();
    g.Run(std::string(c.script) + "tick\n");
    EXPECT_EQ(!g.form().panels.NamePanel.visible, c.closed) << c.what;
    EXPECT_EQ(g.form().scn.mcr[2].str(), c.family == "=" ? old_family : c.family) << c.what;
    EXPECT_EQ(g.form().scn.mcr[0].str(), c.given == "=" ? old_given : c.given) << c.what;
  }
}

TEST(InputMethod, FocusMovesAsAClickOnTheControlWould) {
  GameRig g(NameHero());
  g.Start();
  g.Run("tick\n");
  menus::Panels& p = g.form().panels;
  g.Run("ime compose やま\nfocus NameHelpLabel\n");  // a label takes no focus
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SecondNameEdit.composition, "やま");
  g.Run("focus SaveButton\n");  // on a panel that is not open
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SavePanel.focus, nullptr);
  g.Run("focus NameEntryButton\nime commit 山田\n");  // no field has the focus: nobody hears it
  EXPECT_EQ(p.SecondNameEdit.text, S("やま"));
  EXPECT_EQ(p.FirstNameEdit.text, "");
  g.Run("focus FirstNameEdit\nime commit 花子\n");
  EXPECT_EQ(p.FirstNameEdit.text, S("花子"));
}

TEST(InputMethod, TheStateShowsTheComposition) {
  GameRig g(NameHero());
  g.Start();
  g.Run("tick\nime commit 山\nime compose だ 1\n");
  const std::string json = g.game->StateJson();
  EXPECT_NE(json.find(R"("SecondNameEdit":{"text":"山","composition":"だ","enabled":true})"),
            std::string::npos)
      << json;
}

TEST(InputMethod, WithoutAnOpenPanelTheCommandsDoNothing) {
  GameRig g(NameHero());
  g.Start();
  g.Run("ime compose やまだ\nime commit 山田\nfocus FirstNameEdit\n");
  const menus::Panels& p = g.form().panels;
  EXPECT_EQ(p.SecondNameEdit.text, "");
  EXPECT_EQ(p.SecondNameEdit.composition, "");
  EXPECT_EQ(p.NamePanel.focus, nullptr);
}

}  // namespace
}  // namespace velmor::testing
