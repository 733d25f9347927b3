// What --warn reports on a running game: missing files, error boxes with the
// instruction that raised them, runaway loops; each cause once. Without it
// nothing is collected and the state has no warnings.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/bytecode.h"
#include "support/game_data.h"
#include "support/pictures.h"

namespace velmor::testing {
namespace {

struct Warned {
  const char* what;
  std::vector<uint8_t> init;
  int ticks;
  std::vector<std::string> expected;  // each the start of one warning, in order
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {};  // put under the data folder
};
void PrintTo(const Warned& w, std::ostream* os) { *os << w.what; }

class WarningsTest : public ::testing::TestWithParam<Warned> {};

TEST_P(WarningsTest, EachCauseOnceWithItsInstruction) {
  GameRig g(GetParam().init);
  for (const auto& [path, bytes] : GetParam().files) g.files.Put(std::string(kDat) + path, bytes);
  g.form().EnableWarnings(false);
  g.Start();
  g.Ticks(GetParam().ticks);
  const std::vector<std::string>& got = g.form().warnings->list();
  std::string all;
  for (const std::string& w : got) all += w + "\n";
  ASSERT_EQ(got.size(), GetParam().expected.size()) << all;
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_EQ(got[i].rfind(GetParam().expected[i], 0), 0u) << all;
  // The state lists them too (up to the first quote, which JSON escapes).
  const std::string& first = GetParam().expected.front();
  EXPECT_NE(g.game->StateJson().find("\"warnings\":[\"" + first.substr(0, first.find('"'))),
            std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, WarningsTest,
    ::testing::Values(
        // A picture change goes on without its picture: no box, one warning,
        // however often it is asked for.
        Warned{"a missing picture",
               Code().b(40).s("NOPE").b(107).b(1).b(16).w(0).bytes,  // PICTURE, WAIT 1, JUMP 0
               200,
               {"INIT.SNX:0x0000: PICTURE \"NOPE\": picture CG/NOPE.BMP is missing"}},
        Warned{"a picture that is no BMP",
               Code().b(40).s("BAD").b(22).bytes,
               3,
               {"INIT.SNX:0x0000: PICTURE \"BAD\": picture CG/BAD.BMP is refused: not a BMP file"},
               {{"CG/BAD.BMP", {'B', 'A', 'D'}}}},
        Warned{"a missing hit map: the file, then its box",
               Code().b(48).w(1).s("NOMAP").b(0).b(0).b(22).bytes,
               3,
               {"INIT.SNX:0x0000: HITMAP work[1], \"NOMAP\", 0, 0: picture CG/NOMAP.BMP is missing",
                "INIT.SNX:0x0000: HITMAP work[1], \"NOMAP\", 0, 0: error box"}},
        Warned{"missing music: the file, then its box",
               Code().b(32).s("M09").b(22).bytes,
               3,
               {"INIT.SNX:0x0000: MUSIC \"M09\": music ", "INIT.SNX:0x0000: MUSIC \"M09\": error box"}},
        Warned{"a missing scenario",
               Code().b(0).w(1).w(1).b(24).s("GONE").bytes,
               2,
               {"INIT.SNX:0x0005: GOTO \"GONE\": scenario SNX/GONE.SNX is missing",
                "INIT.SNX:0x0005: GOTO \"GONE\": error box"}},
        Warned{"a missing called scenario",
               Code().b(25).s("GONE").bytes,
               2,
               {"INIT.SNX:0x0000: CALL \"GONE\": scenario SNX/GONE.SNX is missing",
                "INIT.SNX:0x0000: CALL \"GONE\": error box"}},
        Warned{"a work variable out of range",
               Code().b(0).w(300).w(1).bytes,
               2,
               {"INIT.SNX:0x0000: LET work[300], 1: error box"}}),
    [](const ::testing::TestParamInfo<Warned>& info) {
      std::string name;
      for (const char* c = info.param.what; *c; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
      return name;
    });

TEST(WarningsTest, ARunawayLoopIsToldOnceAndSoIsItsBox) {
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
}

TEST(WarningsTest, WithoutWarnNothingIsCollected) {
  GameRig g(Code().b(40).s("NOPE").b(22).bytes);
  g.Start();
  g.Ticks(40);
  EXPECT_EQ(g.form().warnings, nullptr);
  EXPECT_EQ(g.game->StateJson().find("\"warnings\""), std::string::npos);
}

}  // namespace
}  // namespace velmor::testing
