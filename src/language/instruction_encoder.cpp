#include "language/instruction_encoder.h"

#include <algorithm>

#include "language/assembler.h"
#include "language/decoder.h"
#include "language/expression_parser.h"
#include "language/operand_ranges.h"

namespace velmor::language {

namespace {

const char* Placeholder(Operand kind) {
  switch (kind) {
    case Operand::Var: return "work[N]";
    case Operand::Flag: return "flag[N]";
    case Operand::Word: return "number";
    case Operand::Addr: return "label";
    case Operand::Byte: return "byte";
    case Operand::Expr: return "expression";
    case Operand::Str: return "\"text\"";
    case Operand::Message: return "message";
    case Operand::Choices: return "\"option\", ...";
    case Operand::StatusVars: return "work[N] x11";
    case Operand::Speaker: return "speaker";
  }
  return "?";
}

class InstructionEncoder {
 public:
  InstructionEncoder(const OpcodeRow& row, Cursor& c, const Symbols& symbols,
                     const std::string& file, AssemblyOutput& out)
      : row_(row), c_(c), symbols_(symbols), file_(file), out_(out), start_(out.bytes.size()) {}

  void Run() {
    const int line = c_.line();
    out_.PutByte(row_.code);
    bool first = true;
    for (Operand kind : row_.layout) {
      if (c_.AtEnd()) Fail(c_.line(), "too few operands" + Usage());
      if (!first) c_.Expect(",", "between operands");
      first = false;
      Encode(kind);
    }
    if (!c_.AtEnd()) {
      if (row_.layout.empty()) Fail(c_.line(), std::string(row_.mnemonic) + " takes no operands");
      Fail(c_.line(), "unexpected " + c_.Found() + " after the operands" + Usage());
    }
    // What is written must read back as the same one instruction.
    auto decoded = DecodeInstruction(out_.bytes, static_cast<uint32_t>(start_));
    if (!decoded || decoded->length != out_.bytes.size() - start_)
      Fail(c_.line(), "this instruction would not read back as written");
    // Nor may it hold what the engine refuses.
    std::vector<std::string> faults = OperandFaults(*decoded);
    if (!faults.empty()) Fail(line, faults.front());
  }

 private:
  std::string Usage() const { return "; write: " + InstructionSyntax(row_); }

  void Encode(Operand kind) {
    switch (kind) {
      case Operand::Var: return out_.PutWord(symbols_.Var(c_));
      case Operand::Flag: return out_.PutWord(symbols_.FlagNumber(c_));
      case Operand::Word:
        return out_.PutWord(static_cast<uint16_t>(symbols_.Constant(c_, -32768, 65535, "a word")));
      case Operand::Addr: return out_.PutAddress(c_, symbols_, file_);
      case Operand::Byte:
        return out_.PutByte(static_cast<uint8_t>(symbols_.Constant(c_, 0, 255, "a byte")));
      case Operand::Expr: return Expression();
      case Operand::Str: out_.PutText(c_); return;
      case Operand::Message: return Message();
      case Operand::Choices: return Choices();
      case Operand::StatusVars: return StatusVars();
      case Operand::Speaker: return Speaker();
    }
  }

  void Expression() {
    std::vector<uint8_t> codes = ParseExpression(c_, symbols_);
    out_.bytes.insert(out_.bytes.end(), codes.begin(), codes.end());
  }

  void Message() {
    int line = c_.line();
    if (c_.IsKind(TokenKind::String)) {
      out_.PutByte(1);
      out_.PutText(c_);
    } else if (c_.IsSymbol("@")) {
      c_.Next();
      out_.PutByte(2);
      out_.PutAddress(c_, symbols_, file_);
    } else if (c_.IsKeyword("again")) {
      c_.Next();
      out_.PutByte(3);
    } else if (c_.IsKeyword("source")) {
      c_.Next();
      auto source = symbols_.Constant(c_, 0, 255, "a message source");
      if (source == 1 || source == 2)
        Fail(line, "a message of source 1 or 2 has a text: write \"text\" or @label");
      out_.PutByte(static_cast<uint8_t>(source));
    } else {
      Fail(line, "expected a message (\"text\", @label, again or source N), found " + c_.Found());
    }
  }

  void Choices() {
    out_.PutText(c_);
    while (c_.IsSymbol(",") && c_.IsKind(TokenKind::String, 1)) {
      c_.Next();
      int line = c_.line();
      if (!out_.PutText(c_))
        Fail(line, "only the first option may be empty: an empty one later would end the list");
    }
    out_.PutByte(0);
  }

  void StatusVars() {
    for (int i = 0; i < kStatusSlots; ++i) {
      if (i > 0) {
        if (!c_.IsSymbol(","))
          Fail(c_.line(), std::string(row_.mnemonic) + " takes " + std::to_string(kStatusSlots) +
                              " work variables, found " + std::to_string(i));
        c_.Next();
      }
      out_.PutWord(symbols_.Var(c_));
    }
  }

  // The speaker chooses the opcode among the rows of the mnemonic.
  void Speaker() {
    int line = c_.line();
    auto speaker = symbols_.Constant(c_, 0, 255, "a speaker");
    int lo = 255, hi = 0;
    for (const OpcodeRow& row : kOpcodeTable) {
      if (!row.listed() || std::string_view(row.mnemonic) != row_.mnemonic) continue;
      const auto& layout = row.layout;
      if (std::find(layout.begin(), layout.end(), Operand::Speaker) == layout.end()) continue;
      int s = SpeakerOf(row.code);
      if (s == speaker) {
        out_.bytes[start_] = row.code;
        return;
      }
      lo = std::min(lo, s);
      hi = std::max(hi, s);
    }
    Fail(line, "the speaker of " + std::string(row_.mnemonic) + " is " + std::to_string(lo) +
                   ".." + std::to_string(hi) + ", not " + std::to_string(speaker));
  }

  const OpcodeRow& row_;
  Cursor& c_;
  const Symbols& symbols_;
  const std::string& file_;
  AssemblyOutput& out_;
  const size_t start_;
};

}  // namespace

void EncodeInstruction(const OpcodeRow& row, Cursor& c, const Symbols& symbols,
                       const std::string& file, AssemblyOutput& out) {
  InstructionEncoder(row, c, symbols, file, out).Run();
}

std::string InstructionSyntax(const OpcodeRow& row) {
  std::string s = row.listed() ? row.mnemonic : "NOP";
  bool first = true;
  for (Operand kind : row.layout) {
    s += first ? " " : ", ";
    first = false;
    s += Placeholder(kind);
  }
  return s;
}

}  // namespace velmor::language
