// Expressions: infix compiled to the engine's postfix codes, evaluated by the
// engine against what C++ computes, and printed back.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "asm_helpers.h"
#include "scenario/disassembly.h"
#include "support/recording_host.h"

namespace velmor::assembly::testing {
namespace {

// The codes of an expression operand, the end code included.
Bytes Codes(std::string_view expression) {
  Bytes b = Asm("LETX work[0], " + std::string(expression));
  if (b.size() >= 3) b.erase(b.begin(), b.begin() + 3);
  return b;
}

std::string Printed(const Bytes& codes) {
  Bytes instruction{3, 0, 0};
  instruction.insert(instruction.end(), codes.begin(), codes.end());
  auto in = scenario::DecodeInstruction(instruction, 0);
  EXPECT_TRUE(in.has_value());
  return in ? scenario::FormatExpression(in->operands[1].expr) : "";
}

// Infix and the postfix it must compile to: precedence and associativity.
TEST(InfixTest, CompilesLikeThePostfix) {
  const std::pair<const char*, const char*> cases[] = {
      {"0xFFFF", "{ 65535 }"}, {"- -1", "{ 1 neg neg }"}, {"!work[1]", "{ work[1] 0 == }"},
      {"abs(-1) % 3", "{ 1 neg abs 3 % }"}, {"1 - 2 - 3", "{ 1 2 - 3 - }"}, {"1 - (2 - 3)", "{ 1 2 3 - - }"},
      {"1 + 2 * 3", "{ 1 2 3 * + }"}, {"8 / 4 / 2", "{ 8 4 / 2 / }"}, {"1 << 2 + 3", "{ 1 2 3 + << }"},
      {"1 < 2 == 3 > 4", "{ 1 2 < 3 4 > == }"}, {"1 <= 2 != 3 >= 4", "{ 1 2 <= 3 4 >= != }"},
      {"1 & 2 == 3", "{ 1 2 3 == & }"}, {"1 | 2 ^ 3 & 4", "{ 1 2 3 4 & ^ | }"},
      {"1 >> 2 < 3 << 4", "{ 1 2 >> 3 4 << < }"}, {"-work[1] * ~2", "{ work[1] neg 2 ~ * }"},
  };
  for (const auto& [infix, postfix] : cases) EXPECT_EQ(Codes(infix), Codes(postfix)) << infix;
}

TEST(InfixTest, RawPostfixWritesAnyCodesAndDefinedNamesStandForWhatTheyName) {
  EXPECT_EQ(Codes("{ 1 work[2] flag[3] #1 #255 }"), (Bytes{21, 1, 0, 22, 2, 0, 23, 3, 0, 1, 255, 0}));
  EXPECT_EQ(Asm("define N = -3\ndefine HP = work[9]\ndefine MET = flag[4]\nLETX HP, N + HP * MET"),
            Asm("LETX work[9], { 3 neg work[9] flag[4] * + }"));
}

// --- Evaluation by the engine ---

// Random expressions, fully parenthesised, with what C++ computes for them
// in 32 bits that wrap; work[0..7] and flag[0..7] hold random values.
class RandomExpressions {
 public:
  RandomExpressions(uint32_t seed, velmor::testing::ScenarioRig& rig) : rng_(seed), rig_(rig) {
    for (uint16_t i = 0; i < 8; ++i) {
      rig_.scn.work[i] = static_cast<int16_t>(rng_());
      rig_.scn.SetFlag(i, rng_() % 2);
    }
  }

  std::pair<std::string, int32_t> Make(int depth) {
    auto i = static_cast<uint16_t>(rng_() % 8);
    if (depth == 0 || rng_() % 4 == 0) {
      switch (rng_() % 3) {
        case 0: {
          auto n = static_cast<uint16_t>(rng_() % 2 ? rng_() : rng_() % 10);
          return {std::to_string(n), n};
        }
        case 1: return {"work[" + std::to_string(i) + "]", rig_.scn.work[i]};
        default: return {"flag[" + std::to_string(i) + "]", rig_.scn.TestFlag(i)};
      }
    }
    auto [a, x] = Make(depth - 1);
    auto s = [](uint32_t v) { return static_cast<int32_t>(v); };
    uint32_t u = static_cast<uint32_t>(x);
    if (rng_() % 8 == 0) {
      switch (rng_() % 4) {
        case 0: return {"-(" + a + ")", s(0u - u)};
        case 1: return {"~(" + a + ")", ~x};
        case 2: return {"abs(" + a + ")", x < 0 ? s(0u - u) : x};
        default: return {"!(" + a + ")", x == 0};
      }
    }
    auto [b, y] = Make(depth - 1);
    uint32_t v = static_cast<uint32_t>(y);
    static const char* kOps[] = {"==", "!=", "<", ">", "<=", ">=", "+", "-",
                                 "*", "/", "%", "&", "|", "^", "<<", ">>"};
    size_t op = rng_() % std::size(kOps);
    // Division by 0 ends the program; INT_MIN / -1 does not fit.
    if ((op == 9 || op == 10) && (y == 0 || (x == INT_MIN && y == -1))) op = 6;
    const int32_t r[] = {x == y, x != y, x < y, x > y, x <= y, x >= y, s(u + v), s(u - v), s(u * v),
                         op == 9 ? x / y : 0, op == 10 ? x % y : 0, x & y, x | y, x ^ y,
                         s(u << (v % 32)), s(u >> (v % 32))};
    return {"(" + a + ") " + kOps[op] + " (" + b + ")", r[op]};
  }

 private:
  std::mt19937 rng_;
  velmor::testing::ScenarioRig& rig_;
};

TEST(EvaluationTest, RandomExpressionsGiveWhatCppComputes) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    velmor::testing::ScenarioRig rig;
    RandomExpressions gen(seed, rig);
    for (int i = 0; i < 40; ++i) {
      auto [text, value] = gen.Make(1 + i % 6);
      Bytes codes = Codes(text);
      ASSERT_EQ(rig.Eval(codes), static_cast<int16_t>(value)) << text;

      // Printed back with as few parentheses as the precedence allows, it
      // still compiles to the same codes.
      std::string printed = Printed(codes);
      EXPECT_NE(printed.front(), '{') << printed;
      ASSERT_EQ(Codes(printed), codes) << text << "\nprinted: " << printed;
    }
  }
}

// --- Printing ---

// The codes of an expression printed: with as few parentheses as the
// precedence allows, in postfix when no infix form says the same.
TEST(PrintTest, PrintsThisAndCompilesBack) {
  const std::pair<Bytes, const char*> cases[] = {
      {{21, 1, 0, 21, 2, 0, 21, 3, 0, 9, 9, 0}, "1 - (2 - 3)"}, {{21, 1, 0, 19, 19, 0}, "-(-1)"},
      {{21, 1, 0, 21, 2, 0, 8, 19, 0}, "-(1 + 2)"}, {{23, 2, 0, 18, 20, 0}, "~abs(flag[2])"}, {{0}, "{ }"},
      {{21, 1, 0, 21, 2, 0, 1, 0}, "{ 1 2 drop }"}, {{21, 1, 0, 21, 2, 0, 0}, "{ 1 2 }"},
      {{21, 1, 0, 8, 0}, "{ 1 + }"}, {{24, 255, 0}, "{ #24 #255 }"},
  };
  for (const auto& [codes, printed] : cases) {
    EXPECT_EQ(Printed(codes), printed);
    EXPECT_EQ(Codes(printed), codes);
  }
}

TEST(PrintTest, VeryDeepExpressionsPrintInPostfix) {
  Bytes codes{21, 5, 0};
  for (int i = 0; i < 100; ++i) codes.insert(codes.end(), {21, 1, 0, 8});
  codes.push_back(0);
  std::string printed = Printed(codes);
  EXPECT_EQ(printed.front(), '{');
  EXPECT_EQ(Codes(printed), codes);
}

}  // namespace
}  // namespace velmor::assembly::testing
