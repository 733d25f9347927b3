#include "asm/assembler.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <map>
#include <tuple>
#include <vector>

#include "asm/lexer.h"
#include "core/sjis.h"
#include "scenario/disassembly.h"

namespace velmor::assembly {

namespace {

using scenario::ExprOperator;
using scenario::OpcodeInfo;
using scenario::Operand;
using scenario::TextEscape;

// Deeper nesting of parentheses and unary operators is refused rather than
// risking the stack; printed expressions stay far below it.
constexpr int kMaxNesting = 200;
// Includes deeper than this are taken for a loop.
constexpr int kMaxIncludeDepth = 16;

// A mistake in one statement: the statement is dropped and reported.
struct StatementError {
  int line;
  std::string message;
};

[[noreturn]] void Fail(int line, std::string message) {
  throw StatementError{line, std::move(message)};
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsReserved(std::string_view name) {
  std::string n = Lower(name);
  return n == "work" || n == "flag" || n == "abs";
}

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

// The code of an expression operator by its postfix name ("neg", "==").
uint8_t OperatorCode(std::string_view postfix) {
  for (const ExprOperator& op : scenario::ExprOperators())
    if (postfix == op.postfix) return op.code;
  return 0;
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

// The text escapes, the longest name first (\name{N} before \n).
const std::vector<const TextEscape*>& EscapesByLength() {
  static const std::vector<const TextEscape*> all = [] {
    std::vector<const TextEscape*> v;
    for (const TextEscape& e : scenario::TextEscapes()) v.push_back(&e);
    std::stable_sort(v.begin(), v.end(), [](const TextEscape* a, const TextEscape* b) {
      return std::string_view(a->name).size() > std::string_view(b->name).size();
    });
    return v;
  }();
  return all;
}

// Reads the tokens of one statement.
class Cursor {
 public:
  explicit Cursor(const std::vector<Token>& tokens) : t_(tokens) {}

  bool AtEnd() const { return i_ >= t_.size(); }
  const Token* Peek(size_t ahead = 0) const {
    return i_ + ahead < t_.size() ? &t_[i_ + ahead] : nullptr;
  }
  bool IsSymbol(std::string_view s, size_t ahead = 0) const {
    const Token* t = Peek(ahead);
    return t && t->kind == TokenKind::Symbol && t->text == s;
  }
  bool IsKind(TokenKind k, size_t ahead = 0) const {
    const Token* t = Peek(ahead);
    return t && t->kind == k;
  }
  // An identifier, compared without regard to case.
  bool IsKeyword(std::string_view word, size_t ahead = 0) const {
    const Token* t = Peek(ahead);
    return t && t->kind == TokenKind::Identifier && Lower(t->text) == word;
  }
  const Token& Next(const char* expected = "more") {
    if (AtEnd()) Fail(line(), std::string("unexpected end of line: expected ") + expected);
    return t_[i_++];
  }
  void Expect(std::string_view symbol, const std::string& context) {
    if (IsSymbol(symbol)) {
      ++i_;
      return;
    }
    Fail(line(), "expected '" + std::string(symbol) + "' " + context + ", found " + Found());
  }
  // The current token as an error message names it.
  std::string Found() const { return AtEnd() ? "the end of the line" : Describe(t_[i_]); }
  // The line of the current token (of the last one at the end).
  int line() const {
    if (t_.empty()) return 0;
    return t_[std::min(i_, t_.size() - 1)].line;
  }

 private:
  const std::vector<Token>& t_;
  size_t i_ = 0;
};

struct Symbol {
  enum class Kind { Label, Number, Work, Flag } kind{};
  int64_t value = 0;
  std::string file;
  int line = 0;
};

const char* KindName(Symbol::Kind k) {
  switch (k) {
    case Symbol::Kind::Label: return "a label";
    case Symbol::Kind::Number: return "a number";
    case Symbol::Kind::Work: return "a work variable";
    case Symbol::Kind::Flag: return "a flag";
  }
  return "?";
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
      auto it = symbols_.find(f.name);
      if (it == symbols_.end()) {
        Error(f.file, f.line, "undefined label '" + f.name + "'");
      } else if (it->second.kind != Symbol::Kind::Label) {
        Error(f.file, f.line, "'" + f.name + "' is " + KindName(it->second.kind) + ", not a label");
      } else if (it->second.value > 0xFFFF) {
        Error(f.file, f.line,
              "label '" + f.name + "' is at " + std::to_string(it->second.value) +
                  ", past the last address a word can hold (65535)");
      } else {
        out_[f.at] = static_cast<uint8_t>(it->second.value);
        out_[f.at + 1] = static_cast<uint8_t>(it->second.value >> 8);
      }
    }
    AssemblyResult r;
    if (errors_.empty()) {
      r.bytes = std::move(out_);
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
    Declare(name, Symbol{Symbol::Kind::Label, static_cast<int64_t>(out_.size()), file_, name.line});
  }

  void Declare(const Token& name, Symbol s) {
    if (IsReserved(name.text)) Fail(name.line, "'" + name.text + "' is a reserved word");
    auto [it, fresh] = symbols_.emplace(name.text, s);
    if (!fresh)
      Fail(name.line, "'" + name.text + "' is already defined at " + it->second.file + ":" +
                          std::to_string(it->second.line));
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
        std::string bytes = Text(c);  // the bytes as they are: no 0 added, no checks
        out_.insert(out_.end(), bytes.begin(), bytes.end());
      } else {
        out_.push_back(static_cast<uint8_t>(Constant(c, -128, 255, "a byte")));
      }
    });
  }

  void Dw(Cursor& c) {
    List(c, [&] {
      if (c.IsKind(TokenKind::Identifier) && !IsNumberName(*c.Peek())) {
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
    if (IsWork(c)) {
      s.kind = Symbol::Kind::Work;
      s.value = Var(c);
    } else if (IsFlag(c)) {
      s.kind = Symbol::Kind::Flag;
      s.value = FlagNumber(c);
    } else {
      s.value = Constant(c, -65535, 65535, "a defined number");
    }
    EndOfStatement(c);
    Declare(name, s);
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

  const Symbol* Find(const Token& t) const {
    auto it = symbols_.find(t.text);
    return it == symbols_.end() ? nullptr : &it->second;
  }
  bool IsNumberName(const Token& t) const {
    const Symbol* s = Find(t);
    return s && s->kind == Symbol::Kind::Number;
  }
  bool IsAlias(const Cursor& c, Symbol::Kind kind) const {
    const Token* t = c.Peek();
    if (!t || t->kind != TokenKind::Identifier) return false;
    const Symbol* s = Find(*t);
    return s && s->kind == kind;
  }
  bool IsWork(const Cursor& c) const { return c.IsKeyword("work") || IsAlias(c, Symbol::Kind::Work); }
  bool IsFlag(const Cursor& c) const { return c.IsKeyword("flag") || IsAlias(c, Symbol::Kind::Flag); }

  // A number: a literal or a defined name, with an optional minus sign.
  int64_t Constant(Cursor& c, int64_t lo, int64_t hi, const char* what) {
    int line = c.line();
    bool negative = c.IsSymbol("-");
    if (negative) c.Next();
    const Token& t = c.Next("a number");
    int64_t v = 0;
    if (t.kind == TokenKind::Number) {
      v = static_cast<int64_t>(t.value);
    } else if (t.kind == TokenKind::Identifier) {
      const Symbol* s = Find(t);
      if (!s) Fail(t.line, "unknown name '" + t.text + "' (names are defined before they are used)");
      if (s->kind != Symbol::Kind::Number)
        Fail(t.line, "'" + t.text + "' is " + KindName(s->kind) + ", not a number");
      v = s->value;
    } else {
      Fail(t.line, "expected " + std::string(what) + ", found " + Describe(t));
    }
    if (negative) v = -v;
    if (v < lo || v > hi)
      Fail(line, std::string(what) + " is " + std::to_string(lo) + ".." + std::to_string(hi) +
                     ", not " + (t.kind == TokenKind::Number && t.value > 0xFFFFFFFFu
                                     ? std::string("a number that large")
                                     : std::to_string(v)));
    return v;
  }

  // work[N] or a name defined as one.
  uint16_t Var(Cursor& c) { return Indexed(c, "work", Symbol::Kind::Work); }
  uint16_t FlagNumber(Cursor& c) { return Indexed(c, "flag", Symbol::Kind::Flag); }

  uint16_t Indexed(Cursor& c, const char* keyword, Symbol::Kind alias) {
    if (c.IsKeyword(keyword)) {
      c.Next();
      c.Expect("[", std::string("after ") + keyword);
      auto n = Constant(c, 0, 65535, "a number in brackets");
      c.Expect("]", std::string("after the number of ") + keyword + "[N]");
      return static_cast<uint16_t>(n);
    }
    if (IsAlias(c, alias)) return static_cast<uint16_t>(Find(c.Next())->value);
    Fail(c.line(), std::string("expected ") + (alias == Symbol::Kind::Work ? "a work variable" : "a flag") +
                       " such as " + keyword + "[3], found " + c.Found());
  }

  // A label (filled in at the end) or a number.
  void Address(Cursor& c) {
    const Token* t = c.Peek();
    if (t && t->kind == TokenKind::Identifier && !Find(*t) && IsReserved(t->text))
      Fail(t->line, "expected a label or an address, found " + Describe(*t));
    if (t && t->kind == TokenKind::Identifier && !IsNumberName(*t)) {
      fixups_.push_back(Fixup{out_.size(), t->text, file_, t->line});
      c.Next();
      return PutWord(0);
    }
    PutWord(static_cast<uint16_t>(Constant(c, 0, 65535, "an address")));
  }

  // --- Texts ---

  // One or more string literals in a row, as Shift-JIS bytes.
  std::string Text(Cursor& c) {
    if (!c.IsKind(TokenKind::String))
      Fail(c.line(), "expected a string in double quotes, found " + c.Found());
    std::string bytes;
    while (c.IsKind(TokenKind::String)) bytes += Unescape(c.Next());
    return bytes;
  }

  // A text operand and its 0 byte; false when the text is empty.
  bool PutText(Cursor& c) {
    int line = c.line();
    std::string bytes = Text(c);
    CheckText(bytes, line);
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    out_.push_back(0);
    return !bytes.empty();
  }

  // The engine reads a lead byte or a code 3/4 together with the byte after
  // it, whatever it is, and stops at the first other 0 byte.
  static void CheckText(std::string_view bytes, int line) {
    for (size_t i = 0; i < bytes.size(); ++i) {
      auto b = static_cast<uint8_t>(bytes[i]);
      if (b == 0) Fail(line, "a 0 byte would end the text early");
      if (b == 3 || b == 4 || IsLeadByte(b)) {
        if (++i == bytes.size()) {
          char buf[128];
          std::snprintf(buf, sizeof buf,
                        "the text ends with byte 0x%02X, which would take the ending 0 byte "
                        "as its second byte",
                        b);
          Fail(line, buf);
        }
      }
    }
  }

  static std::string Unescape(const Token& t) {
    std::string_view s = t.text;
    std::string out;
    size_t i = 0;
    while (i < s.size()) {
      auto ch = static_cast<unsigned char>(s[i]);
      if (ch == '\\') {
        i = Escape(s, i + 1, out, t.line);
        continue;
      }
      size_t n = ch < 0x80 ? 1 : ch >= 0xF8 ? 0 : ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : ch >= 0xC2 ? 2 : 0;
      bool valid = n > 0 && i + n <= s.size();
      for (size_t k = 1; valid && k < n; ++k) valid = (static_cast<uint8_t>(s[i + k]) & 0xC0) == 0x80;
      if (!valid) Fail(t.line, "the string is not valid UTF-8");
      if (n == 1) {
        out.push_back(static_cast<char>(ch));
      } else {
        bool lossy = false;
        std::string sjis = Utf8ToSjis(s.substr(i, n), &lossy);
        if (lossy)
          Fail(t.line, "'" + std::string(s.substr(i, n)) +
                           "' has no Shift-JIS form (write the bytes as \\xHH)");
        out += sjis;
      }
      i += n;
    }
    return out;
  }

  // The escape after a backslash at s[i]; returns where the text goes on.
  static size_t Escape(std::string_view s, size_t i, std::string& out, int line) {
    if (i >= s.size()) Fail(line, "a backslash at the end of a string");
    char c = s[i];
    if (c == '"' || c == '\\') {
      out.push_back(c == '"' ? '"' : '\x5C');
      return i + 1;
    }
    if (c == 'x') {
      int hi = i + 1 < s.size() ? HexValue(s[i + 1]) : -1;
      int lo = i + 2 < s.size() ? HexValue(s[i + 2]) : -1;
      if (hi < 0 || lo < 0) Fail(line, "\\x takes two hex digits, as in \\x81");
      out.push_back(static_cast<char>(hi * 16 + lo));
      return i + 3;
    }
    std::string needs_number;
    for (const TextEscape* e : EscapesByLength()) {
      std::string_view name = e->name;
      if (s.substr(i, name.size()) != name) continue;
      size_t after = i + name.size();
      if (e->arg == TextEscape::Arg::None) {
        out.push_back(static_cast<char>(e->code));
        return after;
      }
      if (after >= s.size() || s[after] != '{') {
        if (needs_number.empty())
          needs_number = "\\" + std::string(name) + " takes a number in braces, as in \\" +
                         std::string(name) + "{1}";
        continue;
      }
      size_t close = s.find('}', after);
      if (close == std::string_view::npos) Fail(line, "missing '}' after \\" + std::string(name) + "{");
      std::string_view digits = s.substr(after + 1, close - after - 1);
      int limit = e->arg == TextEscape::Arg::Byte ? 255 : e->count - 1;
      int v = EscapeNumber(digits);
      if (v < 0 || v > limit)
        Fail(line, "\\" + std::string(name) + "{N} takes 0.." + std::to_string(limit) + ", not '" +
                       std::string(digits) + "'");
      if (e->arg == TextEscape::Arg::Byte) {
        out.push_back(static_cast<char>(e->code));
        out.push_back(static_cast<char>(v));
      } else {
        out.push_back(static_cast<char>(e->code + v));
      }
      return close + 1;
    }
    if (!needs_number.empty()) Fail(line, needs_number);
    Fail(line, "unknown escape '\\" + std::string(1, c) +
                   "' (the escapes are \\n \\p \\w \\c{N} \\s{N} \\name{N} \\xHH \\\" \\\\)");
  }

  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // A decimal or 0x hex number of at most a few digits; -1 when it is not one.
  static int EscapeNumber(std::string_view d) {
    int base = 10;
    if (d.size() > 2 && (d.substr(0, 2) == "0x" || d.substr(0, 2) == "0X")) {
      base = 16;
      d.remove_prefix(2);
    }
    if (d.empty() || d.size() > 5) return -1;
    int v = 0;
    for (char c : d) {
      int h = HexValue(c);
      if (h < 0 || h >= base) return -1;
      v = v * base + h;
    }
    return v;
  }

  // --- Expressions ---

  void Expression(Cursor& c) {
    std::vector<uint8_t> codes;
    if (c.IsSymbol("{")) {
      Postfix(c, codes);
    } else {
      Infix(c, codes, 0, 0);
    }
    codes.push_back(scenario::kExprEnd);
    out_.insert(out_.end(), codes.begin(), codes.end());
  }

  static void Push(std::vector<uint8_t>& e, uint8_t code, uint16_t w) {
    e.push_back(code);
    e.push_back(static_cast<uint8_t>(w));
    e.push_back(static_cast<uint8_t>(w >> 8));
  }

  static const ExprOperator* InfixOperator(const Cursor& c, int arity) {
    const Token* t = c.Peek();
    if (!t || t->kind != TokenKind::Symbol) return nullptr;
    for (const ExprOperator& op : scenario::ExprOperators())
      if (op.infix && op.arity == arity && t->text == op.infix) return &op;
    return nullptr;
  }

  // Binary operators of at least `min_precedence`, grouping left to right.
  void Infix(Cursor& c, std::vector<uint8_t>& e, int min_precedence, int depth) {
    Unary(c, e, depth);
    while (const ExprOperator* op = InfixOperator(c, 2)) {
      if (op->precedence < min_precedence) return;
      c.Next();
      if (c.AtEnd()) Fail(c.line(), std::string("expected a value after '") + op->infix + "'");
      Infix(c, e, op->precedence + 1, depth + 1);
      e.push_back(op->code);
    }
  }

  void Unary(Cursor& c, std::vector<uint8_t>& e, int depth) {
    if (depth > kMaxNesting) Fail(c.line(), "expression nested too deeply");
    if (const ExprOperator* op = InfixOperator(c, 1)) {  // - ~
      c.Next();
      Unary(c, e, depth + 1);
      e.push_back(op->code);
      return;
    }
    if (c.IsSymbol("!")) {  // !x is x == 0
      c.Next();
      Unary(c, e, depth + 1);
      Push(e, scenario::kExprPushWord, 0);
      e.push_back(OperatorCode("=="));
      return;
    }
    if (c.IsKeyword("abs")) {
      c.Next();
      c.Expect("(", "after abs");
      Infix(c, e, 0, depth + 1);
      c.Expect(")", "to close abs(");
      e.push_back(OperatorCode("abs"));
      return;
    }
    if (c.IsSymbol("(")) {
      c.Next();
      Infix(c, e, 0, depth + 1);
      c.Expect(")", "to close '('");
      return;
    }
    Value(c, e);
  }

  // A number, work[N], flag[N] or a defined name, pushed.
  void Value(Cursor& c, std::vector<uint8_t>& e) {
    if (IsWork(c)) return Push(e, scenario::kExprPushWork, Var(c));
    if (IsFlag(c)) return Push(e, scenario::kExprPushFlag, FlagNumber(c));
    const Token* t = c.Peek();
    if (!t) Fail(c.line(), "expected a value, found the end of the line");
    if (t->kind != TokenKind::Number && t->kind != TokenKind::Identifier)
      Fail(t->line, "expected a value (a number, work[N], flag[N] or a name), found " + Describe(*t));
    auto v = Constant(c, -65535, 65535, "a number in an expression");
    Push(e, scenario::kExprPushWord, static_cast<uint16_t>(v < 0 ? -v : v));
    if (v < 0) e.push_back(OperatorCode("neg"));  // a defined negative number
  }

  // { a b + ... }: the codes as they are, the final 0 implied.
  void Postfix(Cursor& c, std::vector<uint8_t>& e) {
    c.Next();  // {
    while (!c.IsSymbol("}")) {
      if (c.AtEnd()) Fail(c.line(), "expected '}' to close the postfix expression");
      const Token& t = *c.Peek();
      if (t.kind == TokenKind::Symbol && t.text == "#") {
        c.Next();
        int line = c.line();
        auto code = Constant(c, 1, 255, "a raw expression code");
        if (code >= scenario::kExprPushWord && code <= scenario::kExprPushFlag)
          Fail(line, "code " + std::to_string(code) +
                         " takes a word: write the number, work[N] or flag[N] instead");
        e.push_back(static_cast<uint8_t>(code));
        continue;
      }
      const ExprOperator* named = nullptr;
      if (t.kind == TokenKind::Symbol || t.kind == TokenKind::Identifier)
        for (const ExprOperator& op : scenario::ExprOperators())
          if (Lower(t.text) == op.postfix) named = &op;
      if (named) {
        c.Next();
        e.push_back(named->code);
        continue;
      }
      if (t.kind == TokenKind::Symbol) Fail(t.line, "unexpected " + Describe(t) + " in a postfix expression");
      Value(c, e);
    }
    c.Next();  // }
  }

  const SourceLoader& loader_;
  std::vector<uint8_t> out_;
  std::map<std::string, Symbol> symbols_;
  std::vector<Fixup> fixups_;
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
