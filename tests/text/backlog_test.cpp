// The backlog: which pages of the message window it keeps and with what,
// the choices taken, its limit, and that a page drawn from it looks as the
// window did.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "scenario/language.h"
#include "text/backlog.h"
#include "text/text_rig.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;
using text::BacklogEntry;
namespace code = scenario::text_code;

std::string S(std::string_view utf8) { return Sjis(utf8).str(); }

std::string Bytes(std::initializer_list<uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

struct BacklogRig : TextRig {
  text::Backlog& log = form.backlog;
  BacklogRig() {
    win.msg.spd = 0;  // a page at once
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
};

struct Page {
  std::string label;
  std::string text;
  int32_t first_row;
};

std::vector<Page> Pages(const text::Backlog& log) {
  std::vector<Page> pages;
  for (const BacklogEntry& e : log.entries())
    pages.push_back({e.label.str(), e.text.str(), e.first_row});
  return pages;
}

TEST(BacklogPagesTest, OneEntryForEveryPageTheWindowShowed) {
  const std::string label = S("【 ") + "Mio" + S(" 】");
  const std::string a186 = Repeat("a", 186);  // three rows of 62
  struct Case {
    const char* what;
    int speaker;
    std::string text;
    std::vector<Page> pages;
  };
  const Case cases[] = {
      {"plain", 1, "AB", {{label, "AB", 19}}},
      {"colour kept", 1, "A" + Bytes({code::kColor, 2}) + "B",
       {{label, "A" + Bytes({code::kColor, 2}) + "B", 19}}},
      {"size kept", 1, "A" + Bytes({code::kSize, 12}) + "B",
       {{label, "A" + Bytes({code::kSize, 12}) + "B", 19}}},
      {"line feed kept", 1, "A" + Bytes({code::kLineFeed}) + "B",
       {{label, "A" + Bytes({code::kLineFeed}) + "B", 19}}},
      {"a page wait is no new page", 1, "AB" + Bytes({code::kPageWait}) + "CD",
       {{label, "ABCD", 19}}},
      {"a new page has no label", 1, "AB" + Bytes({code::kNewPage}) + "CD",
       {{label, "AB", 19}, {"", "CD", 19}}},
      {"an empty new page at the end is not kept", 1, "AB" + Bytes({code::kNewPage}),
       {{label, "AB", 19}}},
      {"an overflow page starts on the top row", 1, a186 + "bbbb",
       {{label, a186, 19}, {"", "bbbb", 0}}},
      {"speaker 0 has no label", 0, "AB", {{"", "AB", 19}}},
      {"speaker 0 with no text shows nothing", 0, "", {}},
      {"a label with no text", 1, "", {{label, "", 19}}},
      {"speaker 2 is the hero", 2, "X", {{S("【 ") + "Kei" + S(" 】"), "X", 19}}},
  };
  for (const Case& c : cases) {
    BacklogRig rig;
    rig.scn.mcr[0] = Sstr("Kei");
    rig.scn.mcr[1] = Sstr("Mio");
    rig.TypeAll(c.text, c.speaker);
    std::vector<Page> got = Pages(rig.log);
    ASSERT_EQ(got.size(), c.pages.size()) << c.what;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].label, c.pages[i].label) << c.what << " page " << i;
      EXPECT_EQ(got[i].text, c.pages[i].text) << c.what << " page " << i;
      EXPECT_EQ(got[i].first_row, c.pages[i].first_row) << c.what << " page " << i;
    }
  }
}

TEST(BacklogPagesTest, NamesAreKeptAsTheyWereWhenShown) {
  // Through the scenario: the reader expands the name code in the text, the
  // label takes the name table's entry.
  BacklogRig rig;
  rig.scn.mcr[0] = Sstr("Kei");
  rig.scn.mcr[1] = Sstr("Mio");
  rig.Load({29, 1, 'H', 'i', ' ', code::kFirstName, 0, 255});
  rig.Tick();
  rig.TickUntilIdle();
  rig.scn.mcr[0] = Sstr("Ren");
  rig.scn.mcr[1] = Sstr("Aki");
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_EQ(rig.log.at(0).label.str(), S("【 ") + "Mio" + S(" 】"));
  EXPECT_EQ(rig.log.at(0).text.str(), "Hi Kei");
}

TEST(BacklogPagesTest, APageIsKeptWhileItIsTyped) {
  BacklogRig rig;
  rig.win.msg.spd = 16;  // a character a tick
  rig.Type("ABCD", 0);
  EXPECT_TRUE(rig.log.empty());  // nothing shown yet
  rig.Tick();
  rig.Tick();
  ASSERT_EQ(rig.log.size(), 1u);
  EXPECT_EQ(rig.log.at(0).text.str(), "AB");
  rig.TickUntilIdle();
  EXPECT_EQ(rig.log.at(0).text.str(), "ABCD");
}

TEST(BacklogPagesTest, TheStyleAtThePagesStart) {
  BacklogRig rig;
  rig.TypeAll(Bytes({code::kColor, 2, code::kSize, 20}) + "A" + Bytes({code::kNewPage}) + "B");
  ASSERT_EQ(rig.log.size(), 2u);
  EXPECT_EQ(rig.log.at(0).style.color, kBlack);
  EXPECT_EQ(rig.log.at(0).style.height, -16);
  EXPECT_EQ(rig.log.at(1).style.color, ColorTable[2]);
  EXPECT_EQ(rig.log.at(1).style.height, -20);
  EXPECT_EQ(rig.log.at(1).first_row, 23);  // the line pitch of the new size
}

TEST(BacklogPagesTest, KeepsTheNewest200) {
  BacklogRig rig;
  for (int n = 0; n < 205; ++n) rig.TypeAll("M" + std::to_string(n));
  ASSERT_EQ(rig.log.size(), text::Backlog::kMaxEntries);
  EXPECT_EQ(rig.log.at(0).text.str(), "M5");
  EXPECT_EQ(rig.log.at(199).text.str(), "M204");
}

TEST(BacklogChoicesTest, TheOptionTakenFollowsThePages) {
  BacklogRig rig;
  rig.scn.mcr[2] = Sstr("Sato");
  // A message, then a choice of two, the second naming a family name.
  rig.Load({29, 1, 'Q', '?', 0, 23, 7, 0, 'A', 0, 'B', ' ', code::kFirstName + 2, 0, 0, 255});
  rig.Tick();
  rig.TickUntilIdle();
  rig.Tick();  // the choice is shown
  ASSERT_EQ(rig.scn.MainProc, WaitHandler::ChoiceProc);
  rig.input.msy = 300;  // a click beside the rows
  rig.input.clk = 1;
  rig.Tick();
  EXPECT_EQ(rig.log.size(), 1u);  // nothing yet for the choice
  rig.input.msy = 405;            // the second row
  rig.input.clk = 1;
  rig.Tick();
  ASSERT_EQ(rig.scn.work[7], 2);
  ASSERT_EQ(rig.log.size(), 2u);
  EXPECT_EQ(rig.log.at(0).kind, BacklogEntry::Kind::Page);
  EXPECT_EQ(rig.log.at(0).text.str(), "Q?");
  EXPECT_EQ(rig.log.at(1).kind, BacklogEntry::Kind::Choice);
  EXPECT_EQ(rig.log.at(1).text.str(), "B Sato");
  EXPECT_TRUE(rig.log.at(1).label.empty());
}

// A page drawn from the backlog is the window as typing left it: frame,
// label, characters, colours, sizes and wraps.
TEST(BacklogDrawTest, APageLooksAsTheWindowShowedIt) {
  const std::string a186 = Repeat("a", 186);
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"label and text", "Hello"},
      {"full-width wrap", Repeat(S("あ"), 40)},
      {"colours and sizes", "A" + Bytes({code::kColor, 2}) + "B" + Bytes({code::kSize, 20}) + "C" +
                                Bytes({code::kColor, 12}) + S("い")},
      {"line feeds", "A" + Bytes({code::kLineFeed, code::kLineFeed}) + "B"},
      {"the page after a new page", "A" + Bytes({code::kColor, 3}) + "B" +
                                        Bytes({code::kNewPage}) + "CD"},
      {"the page after an overflow", a186 + "bbbb"},
  };
  for (const Case& c : cases) {
    BacklogRig rig;
    rig.scn.mcr[1] = Sstr("Mio");
    rig.TypeAll(c.text);
    Bitmap page(640, 480, kSceneColor);
    text::DrawBacklogEntry(page, rig.font, rig.win.msg, rig.log.at(rig.log.size() - 1));
    EXPECT_TRUE(SameRect(page, rig.layers.BMP, rig.win.msg.BoxRect)) << c.what;
  }
}

TEST(BacklogDrawTest, AChoiceShowsItsOptionHighlighted) {
  BacklogRig rig;
  text::BacklogEntry choice;
  choice.kind = BacklogEntry::Kind::Choice;
  choice.text = ByteString("Go");
  Bitmap page(640, 480, kSceneColor);
  rig.TakeDrawn();
  text::DrawBacklogEntry(page, rig.font, rig.win.msg, choice);
  EXPECT_EQ(rig.font.Text(), S(" ≫ ") + "Go");
  // As the choice draws it: on the first row, each character at its byte
  // offset; the row inverted up to one unit past its end (6 bytes).
  const std::vector<DrawnChar>& d = rig.font.drawn;
  EXPECT_EQ(d.back().x, 40 + 5 * 8);
  EXPECT_EQ(d.back().y, 380);
  EXPECT_EQ(page.at(40 + 7 * 8 - 1, 381), kBlack);  // white cell, inverted
  EXPECT_EQ(page.at(40 + 7 * 8, 381), kWhite);     // the frame, as it is
}

}  // namespace
}  // namespace velmor::testing
