// What the interpreter's handlers receive for each kind of operand the
// language's rows name (see language/opcodes.h).
#pragma once

#include <array>
#include <cstdint>

#include "core/byte_string.h"
#include "language/language.h"
#include "language/opcodes.h"
#include "scenario/host.h"

namespace velmor::scenario {

class Scenario;

// The kinds of operand, as the language lists them.
using language::Operand;

// A message instruction's operand after decoding.
struct MessageOperand {
  uint8_t source = 0;  // 0: nothing; 1, 2: a text; 3..255: retype the previous text
  ByteString text;     // the text read (source 1 or 2)
};

template <Operand K>
struct OperandValue {
  using type = uint16_t;  // Var, Flag, Word, Addr, and the value of an Expr
};
template <>
struct OperandValue<Operand::Byte> {
  using type = uint8_t;
};
template <>
struct OperandValue<Operand::Speaker> {
  using type = uint8_t;
};
template <>
struct OperandValue<Operand::Str> {
  using type = ByteString;
};
template <>
struct OperandValue<Operand::Message> {
  using type = MessageOperand;
};
template <>
struct OperandValue<Operand::Choices> {
  using type = ChoiceList;
};
template <>
struct OperandValue<Operand::StatusVars> {
  using type = std::array<uint16_t, language::kStatusSlots>;
};

// Runs one instruction whose operands begin at pc (its opcode read): decodes
// the operands, sets inx past them, calls the handler and returns inx, where
// the next instruction begins.
using ExecFn = uint16_t (*)(Scenario&, uint16_t pc);

}  // namespace velmor::scenario
