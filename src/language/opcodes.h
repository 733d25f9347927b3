// The instructions of the scenario language, one row each: opcode, mnemonic,
// operand layout and what the instruction does to the flow of the scenario
// (its flags). The interpreter binds a handler to every row at compile time;
// the decoder, the trace, the assembler, the disassembler and the checker
// read the same rows, so the layouts and flags are written down once, here.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velmor::language {

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
  Speaker,     // no bytes: the speaker number of TEXTN, from its opcode
};

// What an instruction does besides reading its operands, as far as a tool
// that does not run it needs to know.
enum class OpFlag : uint16_t {
  None = 0,
  // Hands the tick back: the scenario goes on at a later tick.
  Waits = 1 << 0,
  // Hands the tick back when its message has a source other than 0 (a text
  // to type, or the previous one typed again).
  WaitsWithText = 1 << 1,
  // Nothing after it runs on its path.
  EndsPath = 1 << 2,
  // Its text names a scenario file that replaces the current one.
  GoesToFile = 1 << 3,
  // Its text names a scenario file called one level deeper.
  CallsFile = 1 << 4,
  // Goes back to the file that called the current one.
  Returns = 1 << 5,
  // Its text names a picture to change to.
  ShowsPicture = 1 << 6,
  // Its text names a hit-map picture, its two bytes the pointer shapes.
  StartsHitMap = 1 << 7,
  // Its byte names an animation strip.
  StartsAnimation = 1 << 8,
  // Its text names music.
  PlaysMusic = 1 << 9,
};

constexpr OpFlag operator|(OpFlag a, OpFlag b) {
  return static_cast<OpFlag>(static_cast<uint16_t>(a) | static_cast<uint16_t>(b));
}

struct OpcodeRow {
  uint8_t code = 0;
  const char* mnemonic = nullptr;  // null: not an instruction (a one-byte no-op)
  std::span<const Operand> layout;
  OpFlag flags = OpFlag::None;

  constexpr bool listed() const { return mnemonic != nullptr; }
  constexpr bool Has(OpFlag f) const {
    return (static_cast<uint16_t>(flags) & static_cast<uint16_t>(f)) != 0;
  }
};

// TEXTN: one instruction for the speakers 3..21, opcodes 53..71.
inline constexpr uint8_t kFirstTextN = 53, kLastTextN = 71;
// The speaker an opcode of TEXTN writes for.
constexpr uint8_t SpeakerOf(uint8_t opcode) { return static_cast<uint8_t>(opcode - 50); }

namespace rows {

using enum Operand;
using enum OpFlag;

template <Operand... Kinds>
struct Layout {
  static constexpr std::array<Operand, sizeof...(Kinds)> kinds{Kinds...};
};

template <Operand... Kinds>
constexpr OpcodeRow Row(uint8_t code, const char* mnemonic, OpFlag flags = None) {
  return OpcodeRow{code, mnemonic, std::span<const Operand>(Layout<Kinds...>::kinds), flags};
}

// One row an instruction, its opcode written once (TEXTN's are made below).
inline constexpr OpcodeRow kRows[] = {
    Row<Var, Word>(0, "LET"),
    Row<Var, Var>(1, "LETW"),
    Row<Var, Flag>(2, "LETF"),
    Row<Var, Expr>(3, "LETX"),
    Row<Flag, Word>(4, "FLAG"),
    Row<Flag, Var>(5, "FLAGW"),
    Row<Flag, Flag>(6, "FLAGF"),
    Row<Flag, Expr>(7, "FLAGX"),
    Row<Var, Word>(8, "ADD"),
    Row<Var, Var>(9, "ADDW"),
    Row<Var, Flag>(10, "ADDF"),
    Row<Var, Expr>(11, "ADDX"),
    Row<Var, Word>(12, "SUB"),
    Row<Var, Var>(13, "SUBW"),
    Row<Var, Flag>(14, "SUBF"),
    Row<Var, Expr>(15, "SUBX"),
    Row<Addr>(16, "JUMP", EndsPath),
    Row<Expr, Addr>(17, "JUMPZ"),
    Row<Flag>(18, "SETF"),
    Row<Flag>(19, "CLRF"),
    Row<Flag>(20, "NOTF"),
    Row<Message>(21, "TEXT", WaitsWithText),
    Row<>(22, "CLICK", Waits),
    Row<Var, Choices>(23, "CHOICE", Waits),
    Row<Str>(24, "GOTO", EndsPath | GoesToFile),
    Row<Str>(25, "CALL", CallsFile),
    Row<>(26, "RETURN", EndsPath | Returns),
    Row<Flag, Addr>(27, "JUMPNF"),
    Row<Flag, Addr>(28, "JUMPF"),
    Row<Message>(29, "TEXTA", WaitsWithText),
    Row<Message>(30, "TEXTB", WaitsWithText),
    Row<Word, Var>(31, "RANDOM"),
    Row<Str>(32, "MUSIC", PlaysMusic),
    Row<>(33, "MUSICSTOP"),
    Row<>(34, "MUSICONCE"),
    Row<Var, Var>(37, "LOADMENU", Waits),
    Row<Var, Var>(38, "SAVEMENU", Waits),
    Row<Str>(40, "PICTURE", Waits | ShowsPicture),
    Row<>(44, "NAMEHERO", Waits),
    Row<>(45, "NAMEPARTNER", Waits),
    Row<Byte>(46, "ANIME", Waits | StartsAnimation),
    Row<Var, Str, Byte, Byte>(48, "HITMAP", Waits | StartsHitMap),
    Row<>(49, "CURSORBACK"),
    Row<>(51, "STATUS"),
    Row<StatusVars>(52, "STATUSSET"),
    Row<>(100, "LAYOUT0"),
    Row<>(101, "LAYOUT1"),
    Row<>(102, "STATUS2"),
    Row<>(103, "FADEWHITE"),
    Row<>(104, "FADEBLACK"),
    Row<>(105, "SCALEON"),
    Row<>(106, "SCALEOFF"),
    Row<Byte>(107, "WAIT", Waits),
    Row<>(108, "LOADSYSTEM"),
    Row<Word>(254, "SKIPW"),
    Row<>(255, "END", EndsPath),
};

constexpr std::array<OpcodeRow, 256> BuildTable() {
  std::array<OpcodeRow, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = OpcodeRow{static_cast<uint8_t>(i), nullptr, {}, None};
  auto place = [&t](const OpcodeRow& row) {
    // Evaluated at compile time: a second row for one opcode stops the build.
    if (t[row.code].listed()) throw "two rows for one opcode";
    t[row.code] = row;
  };
  for (const OpcodeRow& row : kRows) place(row);
  for (int op = kFirstTextN; op <= kLastTextN; ++op)
    place(Row<Speaker, Message>(static_cast<uint8_t>(op), "TEXTN", WaitsWithText));
  return t;
}

}  // namespace rows

// The row of every opcode 0..255 (unlisted ones included), for lookups at
// compile time.
inline constexpr std::array<OpcodeRow, 256> kOpcodeTable = rows::BuildTable();

constexpr const OpcodeRow& OpcodeAt(uint8_t code) { return kOpcodeTable[code]; }
// The row of a mnemonic, compared without regard to case; for TEXTN the row
// of opcode 53. Null when there is none.
const OpcodeRow* FindOpcode(std::string_view mnemonic);
// The rows of the 57 instructions in opcode order, TEXTN once for each of
// its 19 opcodes.
std::vector<const OpcodeRow*> ListedOpcodes();

}  // namespace velmor::language
