// Names typed through an input method, on the headless game: the script's
// "ime" and "focus" commands act on the focused name field as the player's
// input method and clicks would. (The field's own editing, its limits and
// cancelled compositions are the menus suite's NameField tests.)
#include <gtest/gtest.h>

#include "scripted_games.h"

namespace velmor::testing {
namespace {

TEST(InputMethod, TheNamesTheScenarioGets) {
  struct Case {
    const char* script;
    std::string family, given;  // entries 2 and 0 afterwards; "=" for unchanged
  };
  const std::string ok = "control NameEntryButton click\n";
  for (const Case& c : {
           // Compositions left pending, then OK.
           Case{"ime compose やまだ\nfocus FirstNameEdit\nime compose はなこ\n", S("やまだ"),
                S("はなこ")},
           Case{"ime compose やまだ 0\nime compose 山田 0\nime commit\nfocus FirstNameEdit\n"
                "ime commit 花子\n", S("山田"), S("花子")},
           Case{"ime commit 山田\nfocus FirstNameEdit\nime compose はなこ\n"
                "control NameCancelButton click\n", "=", "="},
       }) {
    SCOPED_TRACE(c.script);
    GameRig g(NameHero());
    g.Start();
    g.Run("tick\n");
    ASSERT_TRUE(g.form().panels.NamePanel.visible);
    const std::string old_family = g.form().scn.mcr[2].str();
    const std::string old_given = g.form().scn.mcr[0].str();
    g.Run(c.script + ok + "tick\n");
    EXPECT_FALSE(g.form().panels.NamePanel.visible);
    EXPECT_EQ(g.form().scn.mcr[2].str(), c.family == "=" ? old_family : c.family);
    EXPECT_EQ(g.form().scn.mcr[0].str(), c.given == "=" ? old_given : c.given);
  }
}

TEST(InputMethod, FocusMovesAsAClickOnTheControlWould) {
  GameRig g(NameHero());
  g.Start();
  g.Run("ime compose やまだ\nime commit 山田\nfocus FirstNameEdit\n");  // no panel open
  menus::Panels& p = g.form().panels;
  EXPECT_EQ(p.SecondNameEdit.text, "");
  EXPECT_EQ(p.NamePanel.focus, nullptr);
  g.Run("tick\nime compose やま\nfocus NameHelpLabel\n");  // a label takes no focus
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SecondNameEdit.composition, "やま");
  g.Run("focus SaveButton\n");  // on a panel that is not open
  EXPECT_EQ(p.NamePanel.focus, &p.SecondNameEdit);
  EXPECT_EQ(p.SavePanel.focus, nullptr);
  g.Run("focus NameEntryButton\nime commit 山田\n");  // no field has the focus: nobody hears it
  EXPECT_EQ(p.SecondNameEdit.text, S("やま"));
  EXPECT_EQ(p.FirstNameEdit.text, "");
  g.Run("focus FirstNameEdit\nime commit 花\nime compose だ 1\n");
  EXPECT_NE(g.game->StateJson().find(R"("FirstNameEdit":{"text":"花","composition":"だ","enabled":true})"),
            std::string::npos) << g.game->StateJson();
}

}  // namespace
}  // namespace velmor::testing
