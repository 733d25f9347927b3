// Instructions as lines of the scenario assembly language (see
// docs/scenario-language.md). The trace and the disassembler print with these
// functions; the assembler reads back what they print with the same operator
// and escape tables, so a printed line always assembles to the bytes it came
// from.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "language/decoder.h"
#include "language/language.h"

namespace velmor::language {

// Names an address operand (a label); without one, addresses print as numbers.
using LabelNamer = std::function<std::string(uint16_t address)>;

// One decoded instruction as a line of assembly (UTF-8), without indentation.
std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of = {});

struct FormatStyle {
  // Texts go on over several lines, a new line after each line feed or new
  // page code (the lines after the first are indented by kContinuationIndent).
  bool break_texts = false;
  // Byte 0x5C as the escape "\\" rather than the yen sign (for readers who
  // write a backslash; both assemble to the same byte).
  bool backslash = false;
};
inline constexpr const char* kContinuationIndent = "        ";
std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of,
                              const FormatStyle& style);

// The instruction at `at` of the scenario image, for the --trace output.
std::string DisassembleForTrace(std::span<const uint8_t> image, uint16_t at);

// --- The pieces of a line, shared with the assembler ---

// (expression_format.cpp)

// An expression operand (its codes, with or without the final 0) in infix
// when the codes are exactly the compiled form of an infix expression, else
// in the { ... } postfix notation, which can write any sequence of codes.
std::string FormatExpression(std::span<const ExprCode> codes);
// The { ... } postfix notation, always.
std::string FormatPostfix(std::span<const ExprCode> codes);

// (text_format.cpp)
// Raw string bytes (without the final 0) as a double-quoted literal: text in
// UTF-8, control and name codes as escapes, and every byte or pair that would
// not come back unchanged from Shift-JIS -> UTF-8 -> Shift-JIS as \xHH.
std::string FormatText(std::string_view raw, const FormatStyle& style = {});

// An address operand without a label: 0x followed by four hex digits.
std::string FormatAddress(uint16_t address);
// A place in a scenario file as every tool and message writes it:
// "INIT.SNX:0x0026" (`file` without its extension, in UTF-8).
std::string FormatPlace(std::string_view file, uint32_t offset);

}  // namespace velmor::language
