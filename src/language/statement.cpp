#include "language/statement.h"

#include <algorithm>
#include <cctype>

namespace velmor::language {

void Fail(int line, std::string message) { throw StatementError{line, std::move(message), {}}; }
void FailUnknown(int line, std::string message, const std::string& name) {
  throw StatementError{line, std::move(message), name};
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

const Token& Cursor::Next(const char* expected) {
  if (AtEnd()) Fail(line(), std::string("unexpected end of line: expected ") + expected);
  return t_[i_++];
}

void Cursor::Expect(std::string_view symbol, const std::string& context) {
  if (IsSymbol(symbol)) {
    ++i_;
    return;
  }
  Fail(line(), "expected '" + std::string(symbol) + "' " + context + ", found " + Found());
}

int Cursor::line() const {
  if (t_.empty()) return 0;
  return t_[std::min(i_, t_.size() - 1)].line;
}

const char* KindName(Symbol::Kind k) {
  switch (k) {
    case Symbol::Kind::Label: return "a label";
    case Symbol::Kind::Number: return "a number";
    case Symbol::Kind::Work: return "a work variable";
    case Symbol::Kind::Flag: return "a flag";
  }
  return "?";
}

bool IsReserved(std::string_view name) {
  std::string n = Lower(name);
  return n == "work" || n == "flag" || n == "abs";
}

void Symbols::Declare(const Token& name, Symbol s) {
  if (IsReserved(name.text)) Fail(name.line, "'" + name.text + "' is a reserved word");
  auto [it, fresh] = symbols_.emplace(name.text, s);
  if (!fresh)
    Fail(name.line, "'" + name.text + "' is already defined at " + it->second.file + ":" +
                        std::to_string(it->second.line));
}

const Symbol* Symbols::Find(std::string_view name) const {
  auto it = symbols_.find(name);
  return it == symbols_.end() ? nullptr : &it->second;
}

bool Symbols::IsNumberName(const Token& t) const {
  const Symbol* s = Find(t);
  return s && s->kind == Symbol::Kind::Number;
}

bool Symbols::IsAlias(const Cursor& c, Symbol::Kind kind) const {
  const Token* t = c.Peek();
  if (!t || t->kind != TokenKind::Identifier) return false;
  const Symbol* s = Find(*t);
  return s && s->kind == kind;
}

int64_t Symbols::Constant(Cursor& c, int64_t lo, int64_t hi, const char* what) const {
  int line = c.line();
  bool negative = c.IsSymbol("-");
  if (negative) c.Next();
  const Token& t = c.Next("a number");
  int64_t v = 0;
  if (t.kind == TokenKind::Number) {
    v = static_cast<int64_t>(t.value);
  } else if (t.kind == TokenKind::Identifier) {
    const Symbol* s = Find(t);
    if (!s)
      FailUnknown(t.line, "unknown name '" + t.text + "' (names are defined before they are used)",
                  t.text);
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

uint16_t Symbols::Indexed(Cursor& c, const char* keyword, Symbol::Kind alias) const {
  if (c.IsKeyword(keyword)) {
    c.Next();
    c.Expect("[", std::string("after ") + keyword);
    auto n = Constant(c, 0, 65535, "a number in brackets");
    c.Expect("]", std::string("after the number of ") + keyword + "[N]");
    return static_cast<uint16_t>(n);
  }
  if (IsAlias(c, alias)) return static_cast<uint16_t>(Find(c.Next())->value);
  const Token* t = c.Peek();
  const std::string unknown =
      t && t->kind == TokenKind::Identifier && !Find(*t) ? t->text : std::string();
  FailUnknown(c.line(),
              std::string("expected ") +
                  (alias == Symbol::Kind::Work ? "a work variable" : "a flag") + " such as " +
                  keyword + "[3], found " + c.Found(),
              unknown);
}

}  // namespace velmor::language
