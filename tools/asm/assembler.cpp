#include "asm/assembler.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <tuple>
#include <vector>

#include "asm/expression_parser.h"
#include "asm/lexer.h"
#include "asm/statement.h"
#include "asm/text_literal.h"
#include "core/sjis.h"
#include "scenario/disassembly.h"
#include "scenario/operand_ranges.h"

namespace velmor::assembly {

namespace {

using scenario::OpcodeInfo;
using scenario::Operand;

// Includes deeper than this are taken for a loop.
constexpr int kMaxIncludeDepth = 16;

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

// The opcode of each speaker of an instruction written with a speaker number
// (TEXTN), found once by decoding every opcode: the table says which they are.
struct SpeakerOpcode {
  std::string_view mnemonic;
  int speaker;
  uint8_t opcode;
};

const std::vector<SpeakerOpcode>& SpeakerOpcodes() {
  static const std::vector<SpeakerOpcode> all = [] {
    std::vector<SpeakerOpcode> v;
    std::array<uint8_t, 64> bytes{};  // zeros decode as the shortest operands of any layout
    for (int op = 0; op < 256; ++op) {
      bytes[0] = static_cast<uint8_t>(op);
      auto in = scenario::DecodeInstruction(bytes, 0);
      if (!in || !in->info->listed()) continue;
      for (const scenario::RawOperand& o : in->operands)
        if (o.kind == Operand::Speaker) v.push_back({in->info->mnemonic, o.value, static_cast<uint8_t>(op)});
    }
    return v;
  }();
  return all;
}

// A label used before the end: its word is filled in at the end.
struct Fixup {
  size_t at = 0;
  std::string name;
  std::string file;
  int line = 0;
};

class Assembler {
 public:
  explicit Assembler(const SourceLoader& loader) : loader_(loader) {}

  void Source(std::string_view text, const std::string& file, int depth) {
    std::string outer = std::move(file_);
    file_ = file;
    std::vector<LexError> lex_errors;
    std::vector<Statement> statements = Lex(text, lex_errors);
    auto lex_error = lex_errors.begin();
    for (const Statement& st : statements) {
      // Lexing errors go in line order with the others.
      for (; lex_error != lex_errors.end() && lex_error->line <= st.line; ++lex_error)
        Error(file_, lex_error->line, lex_error->message);
      if (errors_.size() >= kMaxErrors) break;
      if (!st.broken) Run(st, depth);
    }
    for (; lex_error != lex_errors.end(); ++lex_error)
      Error(file_, lex_error->line, lex_error->message);
    file_ = std::move(outer);
  }

  AssemblyResult Finish() {
    for (const Fixup& f : fixups_) {
      const Symbol* label = symbols_.Find(f.name);
      if (!label) {
        Error(f.file, f.line, "undefined label '" + f.name + "'");
      } else if (label->kind != Symbol::Kind::Label) {
        Error(f.file, f.line, "'" + f.name + "' is " + KindName(label->kind) + ", not a label");
      } else if (label->value > 0xFFFF) {
        Error(f.file, f.line,
              "label '" + f.name + "' is at " + std::to_string(label->value) +
                  ", past the last address a word can hold (65535)");
      } else {
        out_[f.at] = static_cast<uint8_t>(label->value);
        out_[f.at + 1] = static_cast<uint8_t>(label->value >> 8);
      }
    }
    AssemblyResult r;
    if (errors_.empty()) {
      r.bytes = std::move(out_);
      r.labels = std::move(labels_);
    } else {
      r.errors = std::move(errors_);
      if (r.errors.size() > kMaxErrors) r.errors.resize(kMaxErrors);
    }
    return r;
  }

 private:
  void Error(const std::string& file, int line, std::string message) {
    errors_.push_back(Diagnostic{file, line, std::move(message)});
  }

  // --- Statements ---

  void Run(const Statement& st, int depth) {
    size_t start = out_.size();
    size_t fixups = fixups_.size();
    try {
      Cursor c(st.tokens);
      while (c.IsKind(TokenKind::Identifier) && c.IsSymbol(":", 1)) {
        DefineLabel(c.Next());
        c.Next();
      }
      if (!c.AtEnd()) Directive(c, depth);
    } catch (const StatementError& e) {
      Error(file_, e.line, e.message);
      out_.resize(start);
      fixups_.resize(fixups);
      return;
    }
    if (!too_big_ && out_.size() > kMaxScenarioSize) {
      too_big_ = true;
      Error(file_, st.line,
            "the scenario grows to " + std::to_string(out_.size()) + " bytes here, past the " +
                std::to_string(kMaxScenarioSize) + " a scenario file can hold");
    }
  }

  void Directive(Cursor& c, int depth) {
    const Token& head = c.Next();
    if (head.kind != TokenKind::Identifier)
      Fail(head.line, "expected an instruction, a directive or a label, found " + Describe(head));
    std::string word = Lower(head.text);
    if (word == "db") return Db(c);
    if (word == "dw") return Dw(c);
    if (word == "string") return StringData(c);
    if (word == "define") return Define(c);
    if (word == "include") return Include(c, depth);
    if (word == "nop") return Nop(c);
    const OpcodeInfo* info = scenario::FindOpcode(head.text);
    if (!info) {
      std::string hint = c.AtEnd() ? " (a label needs a colon after its name)" : "";
      Fail(head.line, "unknown instruction '" + head.text + "'" + hint);
    }
    Instruction(*info, c);
  }

  void DefineLabel(const Token& name) {
    symbols_.Declare(name, Symbol{Symbol::Kind::Label, static_cast<int64_t>(out_.size()), file_, name.line});
    labels_[name.text] = static_cast<uint32_t>(out_.size());
  }

  void EndOfStatement(Cursor& c) {
    if (!c.AtEnd()) Fail(c.line(), "unexpected " + c.Found() + " at the end of the statement");
  }

  // Items separated by commas, up to the end of the statement.
  template <typename Item>
  void List(Cursor& c, Item item) {
    for (;;) {
      item();
      if (!c.IsSymbol(",")) break;
      c.Next();
    }
    EndOfStatement(c);
  }

  void Db(Cursor& c) {
    List(c, [&] {
      if (c.IsKind(TokenKind::String)) {
        std::string bytes = TextBytes(c);  // the bytes as they are: no 0 added, no checks
        out_.insert(out_.end(), bytes.begin(), bytes.end());
      } else {
        out_.push_back(static_cast<uint8_t>(Constant(c, -128, 255, "a byte")));
      }
    });
  }

  void Dw(Cursor& c) {
    List(c, [&] {
      if (c.IsKind(TokenKind::Identifier) && !symbols_.IsNumberName(*c.Peek())) {
        Address(c);
      } else {
        PutWord(static_cast<uint16_t>(Constant(c, -32768, 65535, "a word")));
      }
    });
  }

  void StringData(Cursor& c) {
    PutText(c);
    EndOfStatement(c);
  }

  void Define(Cursor& c) {
    const Token& name = c.Next("a name");
    if (name.kind != TokenKind::Identifier)
      Fail(name.line, "expected a name after define, found " + Describe(name));
    c.Expect("=", "after the name being defined");
    Symbol s{Symbol::Kind::Number, 0, file_, name.line};
    if (symbols_.IsWork(c)) {
      s.kind = Symbol::Kind::Work;
      s.value = Var(c);
    } else if (symbols_.IsFlag(c)) {
      s.kind = Symbol::Kind::Flag;
      s.value = FlagNumber(c);
    } else {
      s.value = Constant(c, -65535, 65535, "a defined number");
    }
    EndOfStatement(c);
    symbols_.Declare(name, s);
  }

  void Include(Cursor& c, int depth) {
    const Token& t = c.Next("a file name in quotes");
    if (t.kind != TokenKind::String) Fail(t.line, "expected a file name in quotes after include");
    EndOfStatement(c);
    if (depth >= kMaxIncludeDepth) Fail(t.line, "includes nested too deeply (does a file include itself?)");
    if (!loader_) Fail(t.line, "include is not available here");
    std::string path = (std::filesystem::path(file_).parent_path() / t.text).generic_string();
    auto text = loader_(path);
    if (!text) Fail(t.line, "cannot read '" + path + "'");
    Source(*text, path, depth + 1);
  }

  void Nop(Cursor& c) {
    int line = c.line();
    if (c.AtEnd()) Fail(line, "NOP takes the opcode to write: NOP byte");
    auto code = static_cast<uint8_t>(Constant(c, 0, 255, "an opcode"));
    const OpcodeInfo& info = scenario::OpcodeAt(code);
    if (info.listed())
      Fail(line, "opcode " + std::to_string(code) + " is " + info.mnemonic +
                     "; NOP is for the opcodes that are no instruction");
    out_.push_back(code);
    EndOfStatement(c);
  }

  // --- Instructions: the operands in the order of the table's layout ---

  void Instruction(const OpcodeInfo& info, Cursor& c) {
    const int line = c.line();
    size_t start = out_.size();
    out_.push_back(info.code);
    auto usage = [&info] { return "; write: " + InstructionSyntax(info); };
    bool first = true;
    for (Operand kind : info.layout) {
      if (c.AtEnd()) Fail(c.line(), "too few operands" + usage());
      if (!first) c.Expect(",", "between operands");
      first = false;
      EncodeOperand(kind, info, start, c);
    }
    if (!c.AtEnd()) {
      if (info.layout.empty())
        Fail(c.line(), std::string(info.mnemonic) + " takes no operands");
      Fail(c.line(), "unexpected " + c.Found() + " after the operands" + usage());
    }
    // What is written must read back as the same one instruction.
    auto decoded = scenario::DecodeInstruction(out_, static_cast<uint32_t>(start));
    if (!decoded || decoded->length != out_.size() - start)
      Fail(c.line(), "this instruction would not read back as written");
    // Nor may it hold what the engine refuses.
    std::vector<std::string> faults = scenario::OperandFaults(*decoded);
    if (!faults.empty()) Fail(line, faults.front());
  }

  void EncodeOperand(Operand kind, const OpcodeInfo& info, size_t start, Cursor& c) {
    switch (kind) {
      case Operand::Var: return PutWord(Var(c));
      case Operand::Flag: return PutWord(FlagNumber(c));
      case Operand::Word: return PutWord(static_cast<uint16_t>(Constant(c, -32768, 65535, "a word")));
      case Operand::Addr: return Address(c);
      case Operand::Byte: return out_.push_back(static_cast<uint8_t>(Constant(c, 0, 255, "a byte")));
      case Operand::Expr: return Expression(c);
      case Operand::Str: PutText(c); return;
      case Operand::Message: return Message(c);
      case Operand::Choices: return Choices(c);
      case Operand::StatusVars: return StatusVars(info, c);
      case Operand::Speaker: return Speaker(info, start, c);
    }
  }

  void Message(Cursor& c) {
    int line = c.line();
    if (c.IsKind(TokenKind::String)) {
      out_.push_back(1);
      PutText(c);
    } else if (c.IsSymbol("@")) {
      c.Next();
      out_.push_back(2);
      Address(c);
    } else if (c.IsKeyword("again")) {
      c.Next();
      out_.push_back(3);
    } else if (c.IsKeyword("source")) {
      c.Next();
      auto source = Constant(c, 0, 255, "a message source");
      if (source == 1 || source == 2)
        Fail(line, "a message of source 1 or 2 has a text: write \"text\" or @label");
      out_.push_back(static_cast<uint8_t>(source));
    } else {
      Fail(line, "expected a message (\"text\", @label, again or source N), found " + c.Found());
    }
  }

  void Choices(Cursor& c) {
    PutText(c);
    while (c.IsSymbol(",") && c.IsKind(TokenKind::String, 1)) {
      c.Next();
      int line = c.line();
      if (!PutText(c))
        Fail(line, "only the first option may be empty: an empty one later would end the list");
    }
    out_.push_back(0);
  }

  void StatusVars(const OpcodeInfo& info, Cursor& c) {
    constexpr size_t kCount = std::tuple_size_v<scenario::OperandValue<Operand::StatusVars>::type>;
    for (size_t i = 0; i < kCount; ++i) {
      if (i > 0) {
        if (!c.IsSymbol(","))
          Fail(c.line(), std::string(info.mnemonic) + " takes " + std::to_string(kCount) +
                             " work variables, found " + std::to_string(i));
        c.Next();
      }
      PutWord(Var(c));
    }
  }

  void Speaker(const OpcodeInfo& info, size_t start, Cursor& c) {
    int line = c.line();
    auto speaker = Constant(c, 0, 255, "a speaker");
    int lo = 255, hi = 0;
    for (const SpeakerOpcode& s : SpeakerOpcodes()) {
      if (s.mnemonic != info.mnemonic) continue;
      if (s.speaker == speaker) {
        out_[start] = s.opcode;
        return;
      }
      lo = std::min(lo, s.speaker);
      hi = std::max(hi, s.speaker);
    }
    Fail(line, "the speaker of " + std::string(info.mnemonic) + " is " + std::to_string(lo) + ".." +
                   std::to_string(hi) + ", not " + std::to_string(speaker));
  }

  // --- Operand pieces ---

  void PutWord(uint16_t w) {
    out_.push_back(static_cast<uint8_t>(w));
    out_.push_back(static_cast<uint8_t>(w >> 8));
  }

  int64_t Constant(Cursor& c, int64_t lo, int64_t hi, const char* what) const {
    return symbols_.Constant(c, lo, hi, what);
  }
  uint16_t Var(Cursor& c) const { return symbols_.Var(c); }
  uint16_t FlagNumber(Cursor& c) const { return symbols_.FlagNumber(c); }

  // A label (filled in at the end) or a number.
  void Address(Cursor& c) {
    const Token* t = c.Peek();
    if (t && t->kind == TokenKind::Identifier && !symbols_.Find(*t) && IsReserved(t->text))
      Fail(t->line, "expected a label or an address, found " + Describe(*t));
    if (t && t->kind == TokenKind::Identifier && !symbols_.IsNumberName(*t)) {
      fixups_.push_back(Fixup{out_.size(), t->text, file_, t->line});
      c.Next();
      return PutWord(0);
    }
    PutWord(static_cast<uint16_t>(Constant(c, 0, 65535, "an address")));
  }

  // --- Texts and expressions ---

  // A text operand and its 0 byte; false when the text is empty.
  bool PutText(Cursor& c) {
    int line = c.line();
    std::string bytes = TextBytes(c);
    CheckText(bytes, line);
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    out_.push_back(0);
    return !bytes.empty();
  }

  void Expression(Cursor& c) {
    std::vector<uint8_t> codes = ParseExpression(c, symbols_);
    out_.insert(out_.end(), codes.begin(), codes.end());
  }

  const SourceLoader& loader_;
  std::vector<uint8_t> out_;
  Symbols symbols_;
  std::vector<Fixup> fixups_;
  std::map<std::string, uint32_t, std::less<>> labels_;
  std::vector<Diagnostic> errors_;
  std::string file_;
  bool too_big_ = false;
};

}  // namespace

std::string Diagnostic::ToString() const { return file + ":" + std::to_string(line) + ": " + message; }

AssemblyResult Assemble(std::string_view source, const std::string& file_name,
                        const SourceLoader& loader) {
  Assembler a(loader);
  a.Source(source, file_name, 0);
  return a.Finish();
}

std::string InstructionSyntax(const OpcodeInfo& info) {
  std::string s = info.listed() ? info.mnemonic : "NOP";
  bool first = true;
  for (Operand kind : info.layout) {
    s += first ? " " : ", ";
    first = false;
    s += Placeholder(kind);
  }
  return s;
}

}  // namespace velmor::assembly
