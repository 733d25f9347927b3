// The postfix expression evaluator.
#include <gtest/gtest.h>

#include <optional>

#include "core/sjis.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

Code E() { return Code(); }

// work[4] is -5, work[5] -7, flag[12] set.
TEST(ExpressionTable, Evaluates) {
  struct Case {
    const char* what;
    Code code;
    int16_t expected;
  };
  const Case cases[] = {
      {"sub", E().push(5).push(3).b(9).end(), 2}, {"lt_true", E().push(3).push(5).b(3).end(), 1},
      {"le", E().push(3).push(3).b(5).end(), 1}, {"ge", E().push(2).push(3).b(6).end(), 0},
      {"signed_compare", E().pushw(4).push(0).b(3).end(), 1},
      {"word_is_unsigned", E().push(0xFFFF).push(0).b(4).end(), 1},
      {"or", E().push(0x0F0).push(0x00F).b(10).end(), 0x0FF},
      {"and", E().push(0x0FF).push(0x00F).b(15).end(), 0x00F},
      {"mul_wraps_to_zero", E().push(256).push(256).b(12).end(), 0},
      {"div_truncates", E().pushw(5).push(2).b(13).end(), -3},
      {"mod_sign_of_a", E().pushw(5).push(2).b(14).end(), -1},
      {"shl_count_mod_32", E().push(1).push(36).b(16).end(), 16},
      {"shr_is_logical", E().pushw(4).push(28).b(17).end(), 15}, {"abs", E().pushw(4).b(18).end(), 5},
      {"not", E().push(0).b(20).end(), -1}, {"flag", E().pushf(12).pushf(13).b(8).end(), 1},
      {"drop", E().push(9).push(1).b(1).end(), 9},
      {"result_is_low_16_bits", E().push(0xFFFF).push(2).b(8).end(), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScenarioRig rig;
    rig.scn.work[4] = -5;
    rig.scn.work[5] = -7;
    rig.scn.SetFlag(12, 1);
    EXPECT_EQ(rig.Eval(c.code.bytes), c.expected);
    EXPECT_EQ(rig.scn.inx, c.code.bytes.size());
    EXPECT_TRUE(rig.window.CornerTexts().empty());
  }
}

// A faulty expression writes one text in the corner and goes on: leftover
// values (the top is the result), an undefined code (it drops one value), a
// stack emptied or overflowed (never read or written out of bounds).
TEST(Expression, FaultsWriteOneTextAndGoOn) {
  const std::string invalid = Sjis("不正な計算式です。").str();
  Code overflow;
  for (int i = 0; i < 300; ++i) overflow.push(static_cast<uint16_t>(i));
  for (int i = 0; i < 299; ++i) overflow.b(1);
  overflow.end();
  struct Case {
    const char* what;
    Code code;
    std::optional<int16_t> result;  // none: whatever is left on top
    std::string text;
  };
  const Case cases[] = {
      {"leftover", E().push(1).push(2).end(), 2, invalid},
      {"undefined code", E().push(4).push(9).b(30).push(2).b(8).end(), 6,
       Sjis("シナリオプログラムでのバグです。").str()},
      {"empty stack", E().b(8).end(), 0, invalid},
      {"overflow", overflow, std::nullopt, invalid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScenarioRig rig;
    const int16_t result = rig.Eval(c.code.bytes);
    if (c.result) {
      EXPECT_EQ(result, *c.result);
    }
    ASSERT_EQ(rig.window.CornerTexts().size(), 1u);
    EXPECT_EQ(rig.window.CornerTexts()[0], c.text);
    EXPECT_EQ(rig.scn.inx, c.code.bytes.size());
  }
}

TEST(Expression, EndlessExpressionStopsInsteadOfLooping) {
  ScenarioRig rig;
  rig.scn.snx.fill(1);  // drop, drop, drop... never an end code
  rig.scn.inx = 0;
  EXPECT_EQ(rig.scn.Evaluate(), 0);
  EXPECT_EQ(rig.window.CornerTexts().size(), 1u);
}

// Division by 0, and -2147483648 div -1 (built as (0x8000 << 16) div (0 - 1)).
TEST(Expression, DivisionFaultsAreReportedAndEnd) {
  for (const Code& c : {E().push(1).push(0).b(13).end(), E().push(1).push(0).b(14).end(),
                        E().push(0x8000).push(16).b(16).push(0).push(1).b(9).b(13).end()}) {
    ScenarioRig rig;
    EXPECT_THROW(rig.Eval(c.bytes), QuitSignal);
    EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_TRUE(rig.host.quit);
  }
}

TEST(Expression, ALoopOfFaultyExpressionsWritesEachTextOnceATick) {
  ScenarioRig rig;
  // L: FLAGX flag[1], {} (nothing to pop); JUMPZ {1 #30}, L -- never waits.
  Code c;
  c.b(7).w(1).end();
  c.b(17).push(1).b(30).end().w(0);
  rig.Load(c.bytes);
  rig.scn.SetInstructionLimit(10000);
  rig.Step();
  EXPECT_EQ(rig.window.CornerTexts().size(), 2u);
  rig.Step();
  EXPECT_EQ(rig.window.CornerTexts().size(), 4u);
}

}  // namespace
}  // namespace velmor::testing
