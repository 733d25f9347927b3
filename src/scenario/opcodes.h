// The one opcode table: every instruction's opcode, mnemonic, operand layout
// and handler. The interpreter decodes and dispatches with it, the trace
// prints with it, and the assembler and disassembler encode and decode with
// it, so the operand layouts are written down once, here.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_string.h"
#include "scenario/host.h"

namespace velmor::scenario {

class Scenario;

enum class Operand : uint8_t {
  Var,         // word: a work-variable number
  Flag,        // word: a flag number
  Word,        // word: a plain number
  Addr,        // word: an absolute offset in the file
  Byte,        // one byte
  Expr,        // a postfix expression ended by code 0
  Str,         // a string ended by a 0 byte
  Message,     // a source byte; 1: a string follows, 2: an address follows
  Choices,     // one or more strings, then an extra 0 byte
  StatusVars,  // eleven words: work-variable numbers
  Speaker,     // no bytes: the speaker number of ops 53..71 (opcode - 50)
};

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
  using type = std::array<uint16_t, 11>;
};

using ExecFn = void (*)(Scenario&);

struct OpcodeInfo {
  uint8_t code = 0;
  const char* mnemonic = nullptr;  // null: not an instruction (a one-byte no-op)
  std::span<const Operand> layout;
  ExecFn exec = nullptr;

  constexpr bool listed() const { return mnemonic != nullptr; }
};

// The entry of every opcode 0..255 (unlisted ones included).
const OpcodeInfo& OpcodeAt(uint8_t code);
// The entry of a mnemonic, compared without regard to case; for TEXTN the
// entry of opcode 53. Null when there is none.
const OpcodeInfo* FindOpcode(std::string_view mnemonic);
// The entries of the 57 instructions in opcode order, TEXTN once for each
// of its 19 opcodes.
std::vector<const OpcodeInfo*> ListedOpcodes();
// Whether nothing after the instruction runs on its path: JUMP, END, RETURN
// and GOTO.
bool EndsPath(const OpcodeInfo& info);

// ---------------------------------------------------------------------------
// Decoding without running: the trace and the disassembler.

// One expression code with its word operand (codes 21 to 23).
struct ExprCode {
  uint8_t code = 0;
  uint16_t word = 0;
};

struct RawOperand {
  Operand kind{};
  uint16_t value = 0;              // words, bytes, the speaker, a message's source byte
  uint16_t address = 0;            // a message of source 2: the text's address
  std::vector<ExprCode> expr;      // Expr, ending with code 0
  std::vector<std::string> texts;  // Str and a message of source 1: one; Choices: each option
  std::array<uint16_t, 11> words{};  // StatusVars
};

struct RawInstruction {
  uint32_t offset = 0;
  uint32_t length = 0;
  const OpcodeInfo* info = nullptr;  // the listed entry, or the unlisted one
  std::vector<RawOperand> operands;
};

// Decodes the instruction at `offset` of `bytes` without wrapping: nothing
// when it runs past the end. Strings keep their raw bytes (name codes and
// control codes unexpanded, without the final 0).
std::optional<RawInstruction> DecodeInstruction(std::span<const uint8_t> bytes, uint32_t offset);

// The raw bytes of a string operand at `offset` up to its 0 byte, pairing a
// lead byte or code 3/4 with the next byte as the reader does; nothing when
// the 0 byte lies past the end. `*next` is set just past the 0 byte.
std::optional<std::string> DecodeRawString(std::span<const uint8_t> bytes, uint32_t offset,
                                           uint32_t* next);

}  // namespace velmor::scenario
