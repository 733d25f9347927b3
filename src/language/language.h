// The scenario language's own facts, in one place: the codes inside texts,
// the expression codes and operators, the text escapes of the assembly
// language, and the ranges of the numbered things a scenario names. The
// interpreter, the message window, the trace, the disassembler, the
// assembler and the checker all read them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/byte_string.h"

namespace velmor::language {

// --- What a scenario can name ---
// The largest scenario file: the engine's whole image.
constexpr std::size_t kMaxScenarioSize = 65536;
constexpr int kWorkCount = 256;   // work[0..255]
constexpr int kFlagCount = 4096;  // flag[0..4095]
constexpr int kNameCount = 19;    // the name table
constexpr int kSpeakerCount = 22;  // speakers 0..21 (TEXTN writes 3..21)
constexpr int kStatusSlots = 11;  // the work variables the status strip shows
// The longest string the engine keeps (the game's short strings).
constexpr std::size_t kMaxStringBytes = 255;

// --- Codes inside a text (every other byte is a character) ---
namespace text_code {
constexpr uint8_t kEnd = 0x00;
constexpr uint8_t kLineFeed = 0x01;
constexpr uint8_t kNewPage = 0x02;
constexpr uint8_t kColor = 0x03;  // followed by the colour index
constexpr uint8_t kSize = 0x04;   // followed by the character height
constexpr uint8_t kPageWait = 0x05;
constexpr uint8_t kFirstName = 0x10;  // 0x10..0x1F: name 0..15 of the name table
constexpr uint8_t kLastName = 0x1F;
}  // namespace text_code

// Whether a text byte takes the byte after it along, whatever that is: a
// colour or size code with its number, a Shift-JIS lead byte with its
// partner. Every reader of texts steps this way.
constexpr bool TakesNextByte(uint8_t b) {
  return b == text_code::kColor || b == text_code::kSize || IsLeadByte(b);
}

// --- Expression codes (a postfix program ended by kEnd) ---
namespace expr_code {
constexpr uint8_t kEnd = 0, kDrop = 1, kEq = 2, kLt = 3, kGt = 4, kLe = 5, kGe = 6, kNe = 7,
                  kAdd = 8, kSub = 9, kOr = 10, kXor = 11, kMul = 12, kDiv = 13, kMod = 14,
                  kAnd = 15, kShl = 16, kShr = 17, kAbs = 18, kNeg = 19, kNot = 20;
// Pushes, each followed by a word.
constexpr uint8_t kPushWord = 21, kPushWork = 22, kPushFlag = 23;
constexpr bool TakesWord(uint8_t code) { return code >= kPushWord && code <= kPushFlag; }
}  // namespace expr_code

// An expression operator as the assembly language writes it.
struct ExprOperator {
  uint8_t code = 0;
  const char* postfix = nullptr;  // its name in the { ... } postfix notation
  const char* infix = nullptr;    // its infix symbol ("abs" is written abs(x)); null: none
  int arity = 0;                  // values popped
  int precedence = 0;             // infix binding strength of binary operators, 1 (|) .. 9 (*)
};

// The operators of codes 1..20 (drop, the binary operators, abs, negate, complement).
std::span<const ExprOperator> ExprOperators();
// The operator of an expression code, or null (0, the pushes 21..23, undefined codes).
const ExprOperator* ExprOperatorOf(uint8_t code);

// A text escape of the assembly language: a backslash, the name, and for
// some a number in braces.
struct TextEscape {
  const char* name = nullptr;  // "n" for \n, "c" for \c{N}
  uint8_t code = 0;            // the byte written (the first of the range for \name{N})
  enum class Arg : uint8_t {
    None,    // just the code
    Byte,    // the code, then the number as a second byte
    Offset,  // the code plus the number (0..count-1), one byte
  } arg = Arg::None;
  uint8_t count = 1;  // Offset: how many codes the escape covers
  bool ends_line = false;  // where a text written over several lines breaks
};
std::span<const TextEscape> TextEscapes();
// The escape that writes byte b, or null.
const TextEscape* EscapeOf(uint8_t b);

}  // namespace velmor::language
