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

struct Same {
  const char* infix;
  const char* postfix;
};
void PrintTo(const Same& s, std::ostream* os) { *os << s.infix << " vs " << s.postfix; }

class InfixTest : public ::testing::TestWithParam<Same> {};

TEST_P(InfixTest, CompilesLikeThePostfix) {
  EXPECT_EQ(Codes(GetParam().infix), Codes(GetParam().postfix)) << GetParam().infix;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, InfixTest,
    ::testing::Values(
        Same{"7", "{ 7 }"},
        Same{"0xFFFF", "{ 65535 }"},
        Same{"-5", "{ 5 neg }"},
        Same{"- -1", "{ 1 neg neg }"},
        Same{"!work[1]", "{ work[1] 0 == }"},
        Same{"~flag[2]", "{ flag[2] ~ }"},
        Same{"abs(-1) % 3", "{ 1 neg abs 3 % }"},
        Same{"1 - 2 - 3", "{ 1 2 - 3 - }"},
        Same{"1 - (2 - 3)", "{ 1 2 3 - - }"},
        Same{"1 + 2 * 3", "{ 1 2 3 * + }"},
        Same{"(1 + 2) * 3", "{ 1 2 + 3 * }"},
        Same{"8 / 4 / 2", "{ 8 4 / 2 / }"},
        Same{"1 << 2 + 3", "{ 1 2 3 + << }"},
        Same{"1 < 2 == 3 > 4", "{ 1 2 < 3 4 > == }"},
        Same{"1 <= 2 != 3 >= 4", "{ 1 2 <= 3 4 >= != }"},
        Same{"1 & 2 == 3", "{ 1 2 3 == & }"},
        Same{"1 | 2 ^ 3 & 4", "{ 1 2 3 4 & ^ | }"},
        Same{"1 >> 2 < 3 << 4", "{ 1 2 >> 3 4 << < }"},
        Same{"-work[1] * ~2", "{ work[1] neg 2 ~ * }"},
        Same{"{ #24 #255 drop - }", "{ #24 #255 drop - }"}));

TEST(InfixTest, RawPostfixWritesAnyCodesAndDefinedNamesStandForWhatTheyName) {
  EXPECT_EQ(Codes("{ }"), (Bytes{0}));
  EXPECT_EQ(Codes("{ #1 #20 #24 #255 }"), (Bytes{1, 20, 24, 255, 0}));
  EXPECT_EQ(Codes("{ 1 work[2] flag[3] }"), (Bytes{21, 1, 0, 22, 2, 0, 23, 3, 0, 0}));
  // Defined names stand for what they name.
  EXPECT_EQ(Asm("define N = -3\ndefine HP = work[9]\ndefine MET = flag[4]\nLETX HP, N + HP * MET"),
            Asm("LETX work[9], { 3 neg work[9] flag[4] * + }"));
}

// --- Evaluation by the engine ---

// What C++ computes, in 32 bits that wrap, for an operator of the language.
int32_t Apply(const std::string& op, int32_t a, int32_t b) {
  auto u = [](int32_t v) { return static_cast<uint32_t>(v); };
  auto s = [](uint32_t v) { return static_cast<int32_t>(v); };
  if (op == "==") return a == b;
  if (op == "!=") return a != b;
  if (op == "<") return a < b;
  if (op == ">") return a > b;
  if (op == "<=") return a <= b;
  if (op == ">=") return a >= b;
  if (op == "+") return s(u(a) + u(b));
  if (op == "-") return s(u(a) - u(b));
  if (op == "*") return s(u(a) * u(b));
  if (op == "/") return a / b;
  if (op == "%") return a % b;
  if (op == "&") return a & b;
  if (op == "|") return a | b;
  if (op == "^") return a ^ b;
  if (op == "<<") return s(u(a) << (u(b) % 32));
  if (op == ">>") return s(u(a) >> (u(b) % 32));
  ADD_FAILURE() << op;
  return 0;
}

struct Expression {
  std::string text;  // fully parenthesised
  int32_t value = 0;
};

class RandomExpressions {
 public:
  RandomExpressions(uint32_t seed, velmor::testing::ScenarioRig& rig) : rng_(seed), rig_(rig) {
    for (int i = 0; i < 8; ++i) {
      rig_.scn.work[i] = static_cast<int16_t>(rng_());
      rig_.scn.SetFlag(static_cast<uint16_t>(i), rng_() % 2);
    }
  }

  Expression Make(int depth) {
    if (depth == 0 || rng_() % 4 == 0) return Leaf();
    switch (rng_() % 8) {
      case 0: {
        Expression a = Make(depth - 1);
        switch (rng_() % 4) {
          case 0: return {"-(" + a.text + ")", static_cast<int32_t>(0u - static_cast<uint32_t>(a.value))};
          case 1: return {"~(" + a.text + ")", ~a.value};
          case 2:
            return {"abs(" + a.text + ")",
                    a.value < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(a.value)) : a.value};
          default: return {"!(" + a.text + ")", a.value == 0};
        }
      }
      default: {
        static const char* kOps[] = {"==", "!=", "<", ">",  "<=", ">=", "+", "-",
                                     "*",  "/",  "%", "&",  "|",  "^",  "<<", ">>"};
        std::string op = kOps[rng_() % std::size(kOps)];
        Expression a = Make(depth - 1);
        Expression b = Make(depth - 1);
        // Division by 0 ends the program; INT_MIN / -1 does not fit.
        if ((op == "/" || op == "%") && (b.value == 0 || (a.value == INT_MIN && b.value == -1)))
          op = "+";
        return {"(" + a.text + ") " + op + " (" + b.text + ")", Apply(op, a.value, b.value)};
      }
    }
  }

 private:
  Expression Leaf() {
    int i = static_cast<int>(rng_() % 8);
    switch (rng_() % 3) {
      case 0: {
        uint16_t n = static_cast<uint16_t>(rng_() % 2 ? rng_() : rng_() % 10);
        return {std::to_string(n), n};
      }
      case 1: return {"work[" + std::to_string(i) + "]", rig_.scn.work[i]};
      default: return {"flag[" + std::to_string(i) + "]", rig_.scn.TestFlag(static_cast<uint16_t>(i))};
    }
  }

  std::mt19937 rng_;
  velmor::testing::ScenarioRig& rig_;
};

TEST(EvaluationTest, RandomExpressionsGiveWhatCppComputes) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    velmor::testing::ScenarioRig rig;
    RandomExpressions gen(seed, rig);
    for (int i = 0; i < 40; ++i) {
      Expression e = gen.Make(1 + i % 6);
      Bytes codes = Codes(e.text);
      int16_t want = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(e.value)));
      ASSERT_EQ(rig.Eval(codes), want) << e.text;

      // Printed back with as few parentheses as the precedence allows, it
      // still compiles to the same codes.
      std::string printed = Printed(codes);
      EXPECT_NE(printed.front(), '{') << printed;
      ASSERT_EQ(Codes(printed), codes) << e.text << "\nprinted: " << printed;
    }
  }
}

// --- Printing ---

struct Print {
  const char* what;
  Bytes codes;
  const char* printed;
};
void PrintTo(const Print& p, std::ostream* os) { *os << p.what; }

class PrintTest : public ::testing::TestWithParam<Print> {};

TEST_P(PrintTest, PrintsThisAndCompilesBack) {
  EXPECT_EQ(Printed(GetParam().codes), GetParam().printed);
  EXPECT_EQ(Codes(GetParam().printed), GetParam().codes);
}

INSTANTIATE_TEST_SUITE_P(
    Expressions, PrintTest,
    ::testing::Values(
        Print{"infix", {22, 1, 0, 21, 2, 0, 21, 3, 0, 12, 8, 0}, "work[1] + 2 * 3"},
        Print{"parentheses on the right", {21, 1, 0, 21, 2, 0, 21, 3, 0, 9, 9, 0}, "1 - (2 - 3)"},
        Print{"negation of negation", {21, 1, 0, 19, 19, 0}, "-(-1)"},
        Print{"negation of a sum", {21, 1, 0, 21, 2, 0, 8, 19, 0}, "-(1 + 2)"},
        Print{"abs", {23, 2, 0, 18, 20, 0}, "~abs(flag[2])"},
        Print{"nothing", {0}, "{ }"},
        Print{"drop", {21, 1, 0, 21, 2, 0, 1, 0}, "{ 1 2 drop }"},
        Print{"two values left", {21, 1, 0, 21, 2, 0, 0}, "{ 1 2 }"},
        Print{"too few values", {21, 1, 0, 8, 0}, "{ 1 + }"},
        Print{"undefined codes", {24, 255, 0}, "{ #24 #255 }"}));

TEST(PrintTest, VeryDeepExpressionsPrintInPostfix) {
  Bytes codes{21, 5, 0};
  for (int i = 0; i < 100; ++i) codes.insert(codes.end(), {21, 1, 0, 8});
  codes.push_back(0);
  std::string printed = Printed(codes);
  EXPECT_EQ(printed.front(), '{');
  EXPECT_EQ(Codes(printed), codes);
}

TEST(PrintTest, NestingPastTheLimitIsAnErrorNotACrash) {
  std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  AssemblyResult r = Assemble("LETX work[0], " + deep, "deep.s");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.errors[0].message.find("nested too deeply"), std::string::npos);
  r = Assemble("LETX work[0], " + std::string(5000, '-') + "1", "deep.s");
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.errors[0].message.find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace velmor::assembly::testing
