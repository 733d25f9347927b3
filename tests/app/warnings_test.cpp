// What --warn reports on a running game: missing files, error boxes with the
// instruction that raised them, runaway loops; each cause once. Without it
// nothing is collected and the state has no warnings.
#include <gtest/gtest.h>

#include "scripted_games.h"

namespace velmor::testing {
namespace {

TEST(Warnings, EachCauseOnceWithItsInstruction) {
  struct Warned {
    std::vector<uint8_t> init;
    int ticks;
    std::vector<std::string> expected;  // each the start of one warning, in order
    std::vector<uint8_t> bad_bmp = {};  // put as CG/BAD.BMP
  };
  const std::string at0 = "INIT.SNX:0x0000: ";
  const Warned cases[] = {
      // A picture change goes on without its picture: no box, one warning,
      // however often it is asked for.
      {Code().b(40).s("NOPE").b(107).b(1).b(16).w(0).bytes,  // PICTURE, WAIT 1, JUMP 0
       200, {at0 + "PICTURE \"NOPE\": picture CG/NOPE.BMP is missing"}},
      {Code().b(40).s("BAD").b(22).bytes, 3,
       {at0 + "PICTURE \"BAD\": picture CG/BAD.BMP is refused: not a BMP file"}, {'B', 'A', 'D'}},
      {Code().b(48).w(1).s("NOMAP").b(0).b(0).b(22).bytes, 3,
       {at0 + "HITMAP work[1], \"NOMAP\", 0, 0: picture CG/NOMAP.BMP is missing",
        at0 + "HITMAP work[1], \"NOMAP\", 0, 0: error box"}},
      {Code().b(32).s("M09").b(22).bytes, 3,
       {at0 + "MUSIC \"M09\": music ", at0 + "MUSIC \"M09\": error box"}},
      {Code().b(0).w(1).w(1).b(24).s("GONE").bytes, 2,
       {"INIT.SNX:0x0005: GOTO \"GONE\": scenario SNX/GONE.SNX is missing",
        "INIT.SNX:0x0005: GOTO \"GONE\": error box"}},
      {Code().b(25).s("GONE").bytes, 2,
       {at0 + "CALL \"GONE\": scenario SNX/GONE.SNX is missing", at0 + "CALL \"GONE\": error box"}},
      {Code().b(0).w(300).w(1).bytes, 2, {at0 + "LET work[300], 1: error box"}},
  };
  for (const Warned& c : cases) {
    SCOPED_TRACE(c.expected[0]);
    GameRig g(c.init);
    if (!c.bad_bmp.empty()) g.files.Put(std::string(kDat) + "CG/BAD.BMP", c.bad_bmp);
    g.form().EnableWarnings(false);
    g.Start();
    g.Ticks(c.ticks);
    const std::vector<std::string>& got = g.form().warnings->list();
    std::string all;
    for (const std::string& w : got) all += w + "\n";
    ASSERT_EQ(got.size(), c.expected.size()) << all;
    for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].rfind(c.expected[i], 0), 0u) << all;
    // The state lists them too (up to the first quote, which JSON escapes).
    const std::string& first = c.expected.front();
    EXPECT_NE(g.game->StateJson().find("\"warnings\":[\"" + first.substr(0, first.find('"'))),
              std::string::npos);
  }
}

TEST(Warnings, ARunawayLoopIsToldOnceAndSoIsItsBox) {
  GameRig g(Code().b(8).w(1).w(1).b(16).w(0).bytes);  // ADD work[1], 1; JUMP 0
  g.form().EnableWarnings(false);
  g.Start();
  g.Ticks(5);
  const std::vector<std::string>& got = g.form().warnings->list();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_NE(got[0].find(": a loop without a wait: "), std::string::npos) << got[0];
  EXPECT_TRUE(got[0].rfind("INIT.SNX:0x0000: ADD work[1], 1", 0) == 0 ||
              got[0].rfind("INIT.SNX:0x0005: JUMP 0x0000", 0) == 0)
      << got[0];
  EXPECT_NE(got[1].find(": error box \"シナリオが応答しません。"), std::string::npos) << got[1];

  GameRig quiet(Code().b(40).s("NOPE").b(22).bytes);
  quiet.Start();
  quiet.Ticks(40);
  EXPECT_EQ(quiet.form().warnings, nullptr);
  EXPECT_EQ(quiet.game->StateJson().find("\"warnings\""), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
