#include "language/language.h"

#include <array>

namespace velmor::language {

namespace {

using namespace expr_code;

constexpr std::array<ExprOperator, 20> kOperators{{
    {kDrop, "drop", nullptr, 1, 0},
    {kEq, "==", "==", 2, 5},
    {kLt, "<", "<", 2, 6},
    {kGt, ">", ">", 2, 6},
    {kLe, "<=", "<=", 2, 6},
    {kGe, ">=", ">=", 2, 6},
    {kNe, "!=", "!=", 2, 5},
    {kAdd, "+", "+", 2, 8},
    {kSub, "-", "-", 2, 8},
    {kOr, "|", "|", 2, 1},
    {kXor, "^", "^", 2, 2},
    {kMul, "*", "*", 2, 9},
    {kDiv, "/", "/", 2, 9},
    {kMod, "%", "%", 2, 9},
    {kAnd, "&", "&", 2, 3},
    {kShl, "<<", "<<", 2, 7},
    {kShr, ">>", ">>", 2, 7},
    {kAbs, "abs", "abs", 1, 0},
    {kNeg, "neg", "-", 1, 0},
    {kNot, "~", "~", 1, 0},
}};

// Each operator sits at its code's place: ExprOperatorOf indexes by code.
constexpr bool OperatorsInCodeOrder() {
  for (std::size_t i = 0; i < kOperators.size(); ++i)
    if (kOperators[i].code != kDrop + i) return false;
  return true;
}
static_assert(OperatorsInCodeOrder());

constexpr std::array<TextEscape, 6> kEscapes{{
    {"n", text_code::kLineFeed, TextEscape::Arg::None, 1, true},
    {"p", text_code::kNewPage, TextEscape::Arg::None, 1, true},
    {"c", text_code::kColor, TextEscape::Arg::Byte, 1},
    {"s", text_code::kSize, TextEscape::Arg::Byte, 1},
    {"w", text_code::kPageWait, TextEscape::Arg::None, 1},
    {"name", text_code::kFirstName, TextEscape::Arg::Offset,
     text_code::kLastName - text_code::kFirstName + 1},
}};

}  // namespace

std::span<const ExprOperator> ExprOperators() { return kOperators; }

const ExprOperator* ExprOperatorOf(uint8_t code) {
  if (code < kDrop || code > kNot) return nullptr;
  return &kOperators[code - kDrop];
}

std::span<const TextEscape> TextEscapes() { return kEscapes; }

const TextEscape* EscapeOf(uint8_t b) {
  for (const TextEscape& e : kEscapes)
    if (b >= e.code && b < e.code + e.count) return &e;
  return nullptr;
}

}  // namespace velmor::language
