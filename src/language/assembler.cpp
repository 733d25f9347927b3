// The statements of a source: labels, directives and instructions, included
// files, and the labels filled in at the end.
#include "language/assembler.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "language/assembly_output.h"
#include "language/instruction_encoder.h"
#include "language/lexer.h"
#include "language/statement.h"
#include "language/text_literal.h"

namespace velmor::language {

namespace {

// Includes deeper than this are taken for a loop.
constexpr int kMaxIncludeDepth = 16;

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
      ++out_.statement;
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
    for (const Fixup& f : out_.fixups) {
      out_.statement = f.statement;
      FillIn(f);
    }
    AssemblyResult r;
    if (errors_.empty()) {
      r.bytes = std::move(out_.bytes);
      r.labels = std::move(labels_);
      r.lines = std::move(lines_);
      r.work_names = std::move(work_names_);
      r.flag_names = std::move(flag_names_);
      return r;
    }
    TellLaterDefines();
    // A label is only known to be missing at the end: its error goes back
    // among the others, in the order of the statements.
    std::stable_sort(errors_.begin(), errors_.end(), [](const Pending& a, const Pending& b) {
      return a.statement < b.statement;
    });
    for (Pending& e : errors_) r.errors.push_back(std::move(e.diagnostic));
    if (r.errors.size() > kMaxErrors) r.errors.resize(kMaxErrors);
    return r;
  }

 private:
  struct Pending {
    Diagnostic diagnostic;
    size_t statement = 0;
    std::string unknown_name;
  };

  void Error(const std::string& file, int line, std::string message,
             std::string unknown_name = {}) {
    errors_.push_back(Pending{Diagnostic{file, line, std::move(message)}, out_.statement,
                              std::move(unknown_name)});
  }

  // A name used before its define: the error says where the define is.
  void TellLaterDefines() {
    for (Pending& e : errors_) {
      const Symbol* s = e.unknown_name.empty() ? nullptr : symbols_.Find(e.unknown_name);
      if (!s) continue;
      e.diagnostic.message += "; '" + e.unknown_name + "' is defined later, at " + s->file + ":" +
                              std::to_string(s->line) + ": define it before its first use";
    }
  }

  // A label's word, now that every label is known.
  void FillIn(const Fixup& f) {
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
      out_.bytes[f.at] = static_cast<uint8_t>(label->value);
      out_.bytes[f.at + 1] = static_cast<uint8_t>(label->value >> 8);
    }
  }

  // --- Statements ---

  void Run(const Statement& st, int depth) {
    AssemblyOutput::Mark start = out_.Here();
    try {
      Cursor c(st.tokens);
      while (c.IsKind(TokenKind::Identifier) && c.IsSymbol(":", 1)) {
        DefineLabel(c.Next());
        c.Next();
      }
      if (!c.AtEnd()) Directive(c, depth);
    } catch (const StatementError& e) {
      Error(file_, e.line, e.message, e.unknown_name);
      out_.Rewind(start);
      return;
    }
    if (out_.bytes.size() > start.bytes) lines_.try_emplace(static_cast<uint32_t>(start.bytes), SourceLine{file_, st.line});
    if (!too_big_ && out_.bytes.size() > kMaxScenarioSize) {
      too_big_ = true;
      Error(file_, st.line,
            "the scenario grows to " + std::to_string(out_.bytes.size()) +
                " bytes here, past the " + std::to_string(kMaxScenarioSize) +
                " a scenario file can hold");
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
    const OpcodeRow* row = FindOpcode(head.text);
    if (!row) {
      std::string hint = c.AtEnd() ? " (a label needs a colon after its name)" : "";
      Fail(head.line, "unknown instruction '" + head.text + "'" + hint);
    }
    EncodeInstruction(*row, c, symbols_, file_, out_);
  }

  void DefineLabel(const Token& name) {
    auto at = static_cast<int64_t>(out_.bytes.size());
    symbols_.Declare(name, Symbol{Symbol::Kind::Label, at, file_, name.line});
    labels_[name.text] = static_cast<uint32_t>(at);
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

  // --- Directives ---

  void Db(Cursor& c) {
    List(c, [&] {
      if (c.IsKind(TokenKind::String)) {
        std::string bytes = TextBytes(c);  // the bytes as they are: no 0 added, no checks
        out_.bytes.insert(out_.bytes.end(), bytes.begin(), bytes.end());
      } else {
        out_.PutByte(static_cast<uint8_t>(symbols_.Constant(c, -128, 255, "a byte")));
      }
    });
  }

  void Dw(Cursor& c) {
    List(c, [&] {
      if (c.IsKind(TokenKind::Identifier) && !symbols_.IsNumberName(*c.Peek())) {
        out_.PutAddress(c, symbols_, file_);
      } else {
        out_.PutWord(static_cast<uint16_t>(symbols_.Constant(c, -32768, 65535, "a word")));
      }
    });
  }

  void StringData(Cursor& c) {
    out_.PutText(c);
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
      s.value = symbols_.Var(c);
    } else if (symbols_.IsFlag(c)) {
      s.kind = Symbol::Kind::Flag;
      s.value = symbols_.FlagNumber(c);
    } else {
      s.value = symbols_.Constant(c, -65535, 65535, "a defined number");
    }
    EndOfStatement(c);
    symbols_.Declare(name, s);
    if (s.kind == Symbol::Kind::Work || s.kind == Symbol::Kind::Flag) {
      std::string& names =
          (s.kind == Symbol::Kind::Work ? work_names_ : flag_names_)[static_cast<uint16_t>(s.value)];
      names += (names.empty() ? "" : ", ") + name.text;
    }
  }

  // The file is read through the loader, by its path joined to the folder
  // of the file that includes it.
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
    auto code = static_cast<uint8_t>(symbols_.Constant(c, 0, 255, "an opcode"));
    const OpcodeRow& row = OpcodeAt(code);
    if (row.listed())
      Fail(line, "opcode " + std::to_string(code) + " is " + row.mnemonic +
                     "; NOP is for the opcodes that are no instruction");
    out_.PutByte(code);
    EndOfStatement(c);
  }

  const SourceLoader& loader_;
  AssemblyOutput out_;
  Symbols symbols_;
  std::map<std::string, uint32_t, std::less<>> labels_;
  std::map<uint32_t, SourceLine> lines_;
  std::map<uint16_t, std::string> work_names_, flag_names_;
  std::vector<Pending> errors_;
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

}  // namespace velmor::language
