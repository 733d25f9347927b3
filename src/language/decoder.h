// Decoding instructions without running them: the trace, the disassembler,
// the checker and the debugger's listing read a file's bytes with it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "language/language.h"
#include "language/opcodes.h"

namespace velmor::language {

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
  std::array<uint16_t, kStatusSlots> words{};  // StatusVars
};

struct RawInstruction {
  uint32_t offset = 0;
  uint32_t length = 0;
  const OpcodeRow* row = nullptr;  // the listed row, or the unlisted one
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

// Whether the instruction hands the tick back when it runs: its row always
// waits, or its message has something to type.
bool Waits(const RawInstruction& in);

}  // namespace velmor::language
