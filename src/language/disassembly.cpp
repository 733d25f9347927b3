#include "language/disassembly.h"

#include <cstdio>

namespace velmor::language {

namespace {

std::string FormatOperand(const RawOperand& o, const LabelNamer& label_of, const FormatStyle& style) {
  auto address = [&](uint16_t a) { return label_of ? label_of(a) : FormatAddress(a); };
  auto work = [](uint16_t n) { return "work[" + std::to_string(n) + "]"; };
  switch (o.kind) {
    case Operand::Var: return work(o.value);
    case Operand::Flag: return "flag[" + std::to_string(o.value) + "]";
    case Operand::Word:
    case Operand::Byte:
    case Operand::Speaker: return std::to_string(o.value);
    case Operand::Addr: return address(o.value);
    case Operand::Expr: return FormatExpression(o.expr);
    case Operand::Str: return FormatText(o.texts.at(0), style);
    case Operand::Message:
      switch (o.value) {
        case 1: return FormatText(o.texts.at(0), style);
        case 2: return "@" + address(o.address);
        case 3: return "again";
        default: return "source " + std::to_string(o.value);
      }
    case Operand::Choices: {
      std::string s;
      for (const std::string& t : o.texts) s += (s.empty() ? "" : ", ") + FormatText(t, style);
      return s;
    }
    case Operand::StatusVars: {
      std::string s;
      for (uint16_t w : o.words) s += (s.empty() ? "" : ", ") + work(w);
      return s;
    }
  }
  return "?";
}

}  // namespace

std::string FormatAddress(uint16_t address) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", address);
  return buf;
}

std::string FormatPlace(std::string_view file, uint32_t offset) {
  char buf[16];
  std::snprintf(buf, sizeof buf, ".SNX:0x%04X", offset);
  return std::string(file) + buf;
}

std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of) {
  return FormatInstruction(in, label_of, FormatStyle{});
}

std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of,
                              const FormatStyle& style) {
  if (!in.row->listed()) return "NOP " + std::to_string(in.row->code);
  std::string line = in.row->mnemonic;
  bool first = true;
  for (const RawOperand& o : in.operands) {
    line += first ? " " : ", ";
    first = false;
    line += FormatOperand(o, label_of, style);
  }
  return line;
}

std::string DisassembleForTrace(std::span<const uint8_t> image, uint16_t at) {
  auto in = DecodeInstruction(image, at);
  if (!in) return "(an instruction that runs past the end of the image)";
  std::string line = FormatInstruction(*in);
  // A message kept elsewhere in the image: show the text as well.
  for (const RawOperand& o : in->operands) {
    if (o.kind != Operand::Message || o.value != 2) continue;
    uint32_t next = 0;
    if (auto text = DecodeRawString(image, o.address, &next)) line += "  ; " + FormatText(*text);
  }
  return line;
}

}  // namespace velmor::language
