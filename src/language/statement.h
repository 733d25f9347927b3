// What the parts of the assembler share while reading one statement: the
// cursor over its tokens, the names defined so far and the numbers, work
// variables and flags written with them. A mistake throws StatementError:
// the statement is dropped and reported.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "language/lexer.h"

namespace velmor::language {

struct StatementError {
  int line;
  std::string message;
  std::string unknown_name;  // a name not defined (yet) that the statement used
};

[[noreturn]] void Fail(int line, std::string message);
// The statement uses `name`, which is not defined at this point.
[[noreturn]] void FailUnknown(int line, std::string message, const std::string& name);

std::string Lower(std::string_view s);

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
  const Token& Next(const char* expected = "more");
  void Expect(std::string_view symbol, const std::string& context);
  // The current token as an error message names it.
  std::string Found() const { return AtEnd() ? "the end of the line" : Describe(t_[i_]); }
  // The line of the current token (of the last one at the end).
  int line() const;

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

const char* KindName(Symbol::Kind k);

// "work", "flag" and "abs" name no symbol.
bool IsReserved(std::string_view name);

// The names defined so far, and the operands written with them.
class Symbols {
 public:
  // Defines a name; a reserved word or a name defined before fails.
  void Declare(const Token& name, Symbol s);
  const Symbol* Find(std::string_view name) const;
  const Symbol* Find(const Token& t) const { return Find(t.text); }

  bool IsNumberName(const Token& t) const;
  bool IsWork(const Cursor& c) const { return c.IsKeyword("work") || IsAlias(c, Symbol::Kind::Work); }
  bool IsFlag(const Cursor& c) const { return c.IsKeyword("flag") || IsAlias(c, Symbol::Kind::Flag); }

  // A number: a literal or a defined name, with an optional minus sign,
  // from lo to hi (`what` names it in the error).
  int64_t Constant(Cursor& c, int64_t lo, int64_t hi, const char* what) const;
  // work[N] or a name defined as one.
  uint16_t Var(Cursor& c) const { return Indexed(c, "work", Symbol::Kind::Work); }
  // flag[N] or a name defined as one.
  uint16_t FlagNumber(Cursor& c) const { return Indexed(c, "flag", Symbol::Kind::Flag); }

 private:
  bool IsAlias(const Cursor& c, Symbol::Kind kind) const;
  uint16_t Indexed(Cursor& c, const char* keyword, Symbol::Kind alias) const;

  std::map<std::string, Symbol, std::less<>> symbols_;
};

}  // namespace velmor::language
