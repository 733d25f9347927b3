// The expression's binary operators, and the shapes nearly every expression
// a story holds has: one value, or two values and a binary operator. They
// are written here so that an instruction's operand reader computes them in
// place; any other codes go to Scenario::EvaluateAny (expression.cpp).
#pragma once

#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>

#include "language/language.h"
#include "scenario/scenario.h"

namespace velmor::scenario {

namespace expression {
inline uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }
inline int32_t S(uint32_t v) { return static_cast<int32_t>(v); }
}  // namespace expression

inline int32_t Scenario::Combine(uint8_t code, int32_t a, int32_t b) {
  using namespace language::expr_code;
  using expression::S;
  using expression::U;
  switch (code) {
    case kEq: return a == b;
    case kLt: return a < b;
    case kGt: return a > b;
    case kLe: return a <= b;
    case kGe: return a >= b;
    case kNe: return a != b;
    case kAdd: return S(U(a) + U(b));
    case kSub: return S(U(a) - U(b));
    case kOr: return a | b;
    case kXor: return a ^ b;
    case kMul: return S(U(a) * U(b));
    case kDiv:
    case kMod:
      if (b == 0 || (a == INT_MIN && b == -1)) [[unlikely]]
        FailDivision(b == 0);
      return code == kDiv ? a / b : a % b;
    case kAnd: return a & b;
    case kShl: return S(U(a) << (U(b) % 32));
    case kShr: return S(U(a) >> (U(b) % 32));
    default: return 0;
  }
}

inline int32_t Scenario::PushedValue(uint8_t code, uint16_t word) {
  using namespace language::expr_code;
  switch (code) {
    case kPushWord: return word;
    case kPushWork: return Work(word);
    default: return TestFlag(word);
  }
}

inline Scenario::Evaluated Scenario::EvaluateAt(const uint16_t pc) {
  using namespace language::expr_code;
  // The same result, faults and charge as the value stack would give. The
  // two shapes fit in the expression's first 8 bytes, read at once where
  // they lie inside the image; an expression that runs round the image's
  // end to its start is left to the value stack, which reads it the same.
  if constexpr (std::endian::native != std::endian::little) {
    return EvaluateAny(pc);
  } else {
    if (pc > kImageSize - 8) [[unlikely]]
      return EvaluateAny(pc);
    uint64_t bytes;
    std::memcpy(&bytes, snx.data() + pc, sizeof bytes);
    const auto code = [bytes](int at) { return static_cast<uint8_t>(bytes >> (8 * at)); };
    const auto word = [bytes](int at) { return static_cast<uint16_t>(bytes >> (8 * at)); };
    const auto low16 = [](int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); };
    if (!TakesWord(code(0))) return EvaluateAny(pc);
    if (code(3) == kEnd) {  // one code and its word, the end: 4 units
      const int32_t v = PushedValue(code(0), word(1));
      work_ += 4;
      return {low16(v), static_cast<uint16_t>(pc + 4)};
    }
    const uint8_t op = code(6);
    if (TakesWord(code(3)) && op >= kEq && op <= kShr && code(7) == kEnd) {  // 3 codes, 2 words: 8
      const int32_t a = PushedValue(code(0), word(1));
      const int32_t b = PushedValue(code(3), word(4));
      const int32_t r = Combine(op, a, b);
      work_ += 8;
      return {low16(r), static_cast<uint16_t>(pc + 8)};
    }
    return EvaluateAny(pc);
  }
}

}  // namespace velmor::scenario
