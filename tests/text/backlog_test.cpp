// The backlog: the pages and choices it keeps, its limit, and that a page
// or choice drawn from it looks as the window showed it.
#include <gtest/gtest.h>

#include "text/backlog.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;
using text::BacklogEntry;
using Entry = std::tuple<std::string, std::string, int32_t>;  // label, text, first row

std::string Label(std::string_view name) { return S("【 ") + std::string(name) + S(" 】"); }

struct BacklogRig : TextRig {
  text::Backlog& log = form.backlog;
  BacklogRig() {
    win.msg.spd = 0;  // a page at once
    scn.mcr[0] = Sstr("Kei");
    scn.mcr[1] = Sstr("Mio");
    scn.mcr[18] = Sstr("Ao");
  }
  // Types a message to its end, clicking at every page wait.
  void TypeAll(const std::string& sjis, int speaker = 1) {
    Type(sjis, speaker);
    for (int i = 0; i < 100 && scn.MainProc == WaitHandler::TypeText; ++i) {
      input.clk = win.PageWait ? 1 : 0;
      Tick();
    }
    ASSERT_EQ(scn.MainProc, WaitHandler::None);
  }
  // The entries, a choice's first row as -1.
  std::vector<Entry> Entries() {
    std::vector<Entry> out;
    for (std::size_t i = 0; i < log.size(); ++i) {
      const BacklogEntry& e = log.at(i);
      out.emplace_back(e.label.str(), e.text.str(),
                       e.kind == BacklogEntry::Kind::Choice ? -1 : e.first_row);
    }
    return out;
  }
  // The newest entry drawn on a blank page.
  Bitmap NewestDrawn() {
    Bitmap page(640, 480, kSceneColor);
    text::DrawBacklogEntry(page, font, win.msg, log.at(log.size() - 1));
    return page;
  }
};

TEST(BacklogPagesTest, OneEntryForEveryPageTheWindowShowed) {
  const std::string mio = Label("Mio"), a186 = Repeat("a", 186);  // three rows of 62
  const std::string codes = "A\x03\x02\x04\x0C\x01" "B";
  struct Case { const char* what; int speaker; std::string text; std::vector<Entry> pages; };
  const Case cases[] = {
      {"colour, size and line feed kept", 1, codes, {{mio, codes, 19}}},
      {"a page wait is no new page", 1, "AB\x05" "CD", {{mio, "ABCD", 19}}},
      {"a new page has no label", 1, "AB\x02" "CD", {{mio, "AB", 19}, {"", "CD", 19}}},
      {"an empty new page at the end is not kept", 1, "AB\x02", {{mio, "AB", 19}}},
      {"an overflow page starts on the top row", 1, a186 + "bbbb",
       {{mio, a186, 19}, {"", "bbbb", 0}}},
      {"speaker 0 has no label", 0, "AB", {{"", "AB", 19}}},
      {"speaker 0 with no text shows nothing", 0, "", {}},
      {"a label with no text", 1, "", {{mio, "", 19}}},
      {"speaker 2 is the hero", 2, "X", {{Label("Kei"), "X", 19}}},
      {"speaker 18 is the last name", 18, "X", {{Label("Ao"), "X", 19}}},
      {"a speaker past the names has an empty label", 21, "X", {{Label(""), "X", 19}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BacklogRig rig;
    rig.TypeAll(c.text, c.speaker);
    EXPECT_EQ(rig.Entries(), c.pages);
  }
}

TEST(BacklogPagesTest, APageIsKeptWhileItIsTypedAndTheNewest200Stay) {
  BacklogRig rig;
  rig.win.msg.spd = 16;  // a character a tick
  rig.Type("ABCD", 0);
  EXPECT_TRUE(rig.log.empty());  // nothing shown yet
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.Entries(), (std::vector<Entry>{{"", "AB", 19}}));
  rig.TickUntilIdle();
  EXPECT_EQ(rig.Entries(), (std::vector<Entry>{{"", "ABCD", 19}}));
  rig.win.msg.spd = 0;
  for (int n = 1; n < 205; ++n) rig.TypeAll("M" + std::to_string(n));
  ASSERT_EQ(rig.log.size(), 200u);
  EXPECT_EQ(rig.log.at(0).text.str(), "M5");
  EXPECT_EQ(rig.log.at(199).text.str(), "M204");
}

// Names are kept as they were when the page or option was shown.
TEST(BacklogChoicesTest, TheOptionTakenFollowsThePages) {
  BacklogRig rig;
  rig.scn.mcr[2] = Sstr("Sato");
  rig.Load(" TEXTA \"Hi \\name{0}\"\n CHOICE work[7], \"A\", \"B \\name{2}\"\n END\n");
  rig.Tick();
  rig.TickUntilIdle();
  rig.Tick();  // the choice is shown
  ASSERT_EQ(rig.scn.MainProc, WaitHandler::ChoiceProc);
  EXPECT_EQ(rig.log.size(), 1u);  // nothing yet for the choice
  rig.input.msy = 405;            // the second row
  rig.input.clk = 1;
  rig.Tick();
  rig.scn.mcr[0] = Sstr("Ren");
  rig.scn.mcr[1] = Sstr("Aki");
  ASSERT_EQ(rig.scn.work[7], 2);
  EXPECT_EQ(rig.Entries(), (std::vector<Entry>{{Label("Mio"), "Hi Kei", 19}, {"", "B Sato", -1}}));
}

// Frame, label, characters, colours, sizes and wraps as typing left them; a
// choice as its row looked under the pointer.
TEST(BacklogDrawTest, AnEntryLooksAsTheWindowShowedIt) {
  // The last two: the page after a new page (in the style then in force), after an overflow.
  const std::string texts[] = {
      "Hello", Repeat(S("あ"), 40), "A\x03\x02" "B\x04\x14" "C\x03\x0C" + S("い"), "A\x01\x01" "B",
      "A\x03\x03\x04\x14" "B\x02" "CD", Repeat("a", 186) + "bbbb"};
  for (const std::string& text : texts) {
    BacklogRig rig;
    rig.TypeAll(text);
    EXPECT_TRUE(SameRect(rig.NewestDrawn(), rig.layers.BMP, rig.win.msg.BoxRect)) << text;
  }
  BacklogRig rig;
  rig.Load(" CHOICE work[7], \"Go\"\n END\n");
  rig.Tick();
  rig.input.msy = 385;
  rig.Tick();
  const Bitmap shown = rig.layers.BMP;
  rig.input.clk = 1;
  rig.Tick();
  EXPECT_TRUE(SameRect(rig.NewestDrawn(), shown, rig.win.msg.BoxRect));
}

}  // namespace
}  // namespace velmor::testing
