#include "scenario/disassembly.h"

#include "core/sjis.h"

namespace velmor::scenario {

std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of) {
  std::string line = in.info->listed() ? in.info->mnemonic : "NOP";
  if (!in.info->listed()) return line + " " + std::to_string(in.info->code);
  bool first = true;
  for (const RawOperand& o : in.operands) {
    line += first ? " " : ", ";
    first = false;
    switch (o.kind) {
      case Operand::Addr:
        line += label_of ? label_of(o.value) : std::to_string(o.value);
        break;
      case Operand::Str:
        line += "\"" + SjisToUtf8(o.texts.at(0)) + "\"";
        break;
      default:
        line += std::to_string(o.value);
        break;
    }
  }
  return line;
}

std::string DisassembleForTrace(std::span<const uint8_t> image, uint16_t at) {
  auto in = DecodeInstruction(image, at);
  if (!in) return "?";
  return FormatInstruction(*in);
}

}  // namespace velmor::scenario
