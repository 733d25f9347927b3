// The postfix expression evaluator.
#include <gtest/gtest.h>

#include <optional>

#include "core/sjis.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

struct ExprCase {
  const char* what;
  Code code;
  int16_t expected;
};

Code E() { return Code(); }

class ExpressionTable : public ::testing::TestWithParam<ExprCase> {};

TEST_P(ExpressionTable, Evaluates) {
  ScenarioRig rig;
  rig.scn.work[4] = -5;
  rig.scn.work[5] = -7;
  rig.scn.SetFlag(12, 1);
  EXPECT_EQ(rig.Eval(GetParam().code.bytes), GetParam().expected);
  EXPECT_EQ(rig.scn.inx, GetParam().code.bytes.size());
  EXPECT_TRUE(rig.window.CornerTexts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ExpressionTable,
    ::testing::Values(
        ExprCase{"sub", E().push(5).push(3).b(9).end(), 2},
        ExprCase{"lt_false", E().push(5).push(3).b(3).end(), 0},
        ExprCase{"lt_true", E().push(3).push(5).b(3).end(), 1},
        ExprCase{"eq", E().push(3).push(3).b(2).end(), 1},
        ExprCase{"gt", E().push(4).push(3).b(4).end(), 1},
        ExprCase{"le", E().push(3).push(3).b(5).end(), 1},
        ExprCase{"ge", E().push(2).push(3).b(6).end(), 0},
        ExprCase{"ne", E().push(2).push(3).b(7).end(), 1},
        ExprCase{"signed_compare", E().pushw(4).push(0).b(3).end(), 1},
        ExprCase{"word_is_unsigned", E().push(0xFFFF).push(0).b(4).end(), 1},
        ExprCase{"all_ones", E().push(0xFFFF).end(), -1},
        ExprCase{"or", E().push(0x0F0).push(0x00F).b(10).end(), 0x0FF},
        ExprCase{"xor", E().push(0x0FF).push(0x00F).b(11).end(), 0x0F0},
        ExprCase{"and", E().push(0x0FF).push(0x00F).b(15).end(), 0x00F},
        ExprCase{"mul", E().push(300).push(7).b(12).end(), 2100},
        ExprCase{"mul_wraps_to_zero", E().push(256).push(256).b(12).end(), 0},
        ExprCase{"div_truncates", E().pushw(5).push(2).b(13).end(), -3},
        ExprCase{"mod", E().push(7).push(2).b(14).end(), 1},
        ExprCase{"mod_sign_of_a", E().pushw(5).push(2).b(14).end(), -1},
        ExprCase{"shl", E().push(1).push(4).b(16).end(), 16},
        ExprCase{"shl_count_mod_32", E().push(1).push(36).b(16).end(), 16},
        ExprCase{"shr_is_logical", E().pushw(4).push(28).b(17).end(), 15},
        ExprCase{"abs", E().pushw(4).b(18).end(), 5},
        ExprCase{"neg", E().pushw(4).b(19).end(), 5},
        ExprCase{"not", E().push(0).b(20).end(), -1},
        ExprCase{"flag", E().pushf(12).pushf(13).b(8).end(), 1},
        ExprCase{"drop", E().push(9).push(1).b(1).end(), 9},
        ExprCase{"result_is_low_16_bits", E().push(0xFFFF).push(2).b(8).end(), 1}),
    [](const auto& info) { return std::string(info.param.what); });

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

TEST(Expression, DivisionFaultsAreReportedAndEnd) {
  for (uint8_t op : {13, 14}) {
    ScenarioRig rig;
    EXPECT_THROW(rig.Eval(E().push(1).push(0).b(op).end().bytes), QuitSignal);
    EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_TRUE(rig.host.quit);
  }
  // -2147483648 div -1: built as (0x8000 << 16) div (0 - 1).
  ScenarioRig rig;
  Code c = E().push(0x8000).push(16).b(16).push(0).push(1).b(9).b(13).end();
  EXPECT_THROW(rig.Eval(c.bytes), QuitSignal);
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
