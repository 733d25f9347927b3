#include "language/operand_ranges.h"

#include "language/language.h"

namespace velmor::language {

namespace {

std::optional<std::string> WorkFault(uint16_t n) {
  if (n < kWorkCount) return std::nullopt;
  return "work[" + std::to_string(n) + "] is out of range (the work variables are 0.." +
         std::to_string(kWorkCount - 1) + ")";
}

std::optional<std::string> FlagFault(uint16_t n) {
  if (n < kFlagCount) return std::nullopt;
  return "flag[" + std::to_string(n) + "] is out of range (the flags are 0.." +
         std::to_string(kFlagCount - 1) + ")";
}

void ExpressionFaults(const std::vector<ExprCode>& codes, std::vector<std::string>& out) {
  for (const ExprCode& c : codes) {
    std::optional<std::string> f;
    if (c.code == expr_code::kPushWork) f = WorkFault(c.word);
    if (c.code == expr_code::kPushFlag) f = FlagFault(c.word);
    if (f) out.push_back("in the expression, " + *f);
  }
}

void OperandFault(const RawOperand& o, std::vector<std::string>& out) {
  auto add = [&out](std::optional<std::string> f) {
    if (f) out.push_back(std::move(*f));
  };
  switch (o.kind) {
    case Operand::Var: return add(WorkFault(o.value));
    case Operand::Flag: return add(FlagFault(o.value));
    case Operand::Expr: return ExpressionFaults(o.expr, out);
    case Operand::Speaker:
      if (o.value >= kNameCount)
        out.push_back("speaker " + std::to_string(o.value) +
                      " has no name (the name table holds 0.." + std::to_string(kNameCount - 1) +
                      ")");
      return;
    case Operand::StatusVars:
      for (size_t i = 0; i < o.words.size(); ++i)
        if (auto f = WorkFault(o.words[i]))
          out.push_back("status slot " + std::to_string(i) + ": " + *f);
      return;
    case Operand::Str:
    case Operand::Message:
    case Operand::Choices:
      for (const std::string& t : o.texts) add(TextFault(t));
      return;
    case Operand::Word:
    case Operand::Addr:
    case Operand::Byte:
      return;
  }
}

}  // namespace

std::vector<std::string> OperandFaults(const RawInstruction& in) {
  std::vector<std::string> out;
  for (const RawOperand& o : in.operands) OperandFault(o, out);
  return out;
}

std::optional<std::string> TextFault(std::string_view raw) {
  if (raw.size() > kMaxStringBytes)
    return "the text is " + std::to_string(raw.size()) + " bytes; the engine keeps at most " +
           std::to_string(kMaxStringBytes);
  for (size_t i = 0; i + 1 < raw.size(); ++i) {
    auto b = static_cast<uint8_t>(raw[i]);
    if (!TakesNextByte(b)) continue;
    ++i;
    if (raw[i] != 0 || b == text_code::kColor) continue;  // colour 0 is black
    if (b == text_code::kSize)
      return "a size code at byte " + std::to_string(i - 1) +
             " has 0 for its size (sizes are 1..255; a 0 there is most often the end of the "
             "text, taken as the number, and the text runs on)";
    return "a double-byte character at byte " + std::to_string(i - 1) +
           " has 0 for its second byte: the 0 that ends a text was taken along, and the text "
           "runs on";
  }
  return std::nullopt;
}

}  // namespace velmor::language
