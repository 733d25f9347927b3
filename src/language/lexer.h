// The tokens of the scenario assembly language, grouped into statements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::language {

enum class TokenKind : uint8_t {
  Identifier,  // names, mnemonics, directives, keywords (letters, digits, _, any non-ASCII)
  Number,      // 123, 0x7B
  String,      // "..." (text holds what lies between the quotes, escapes unread)
  Symbol,      // punctuation and operators: , : [ ] ( ) { } @ # = and the C operators
};

struct Token {
  TokenKind kind{};
  std::string text;
  uint64_t value = 0;  // Number: the value, held at 2^32 when larger
  int line = 0;
};

// One statement: the tokens of a line, with the lines it continues onto (a
// line ending with a comma goes on, and a line starting with a string
// belongs to the statement before it).
struct Statement {
  std::vector<Token> tokens;
  int line = 0;  // where it starts
  bool broken = false;  // a line of it did not lex: skipped (its error is reported)
};

struct LexError {
  int line = 0;
  std::string message;
};

// Splits a source text into statements. A statement with a line that does not
// lex is marked broken (the error is in `errors`) so that one mistake does
// not bring a cascade.
std::vector<Statement> Lex(std::string_view source, std::vector<LexError>& errors);

// A token as an error message quotes it.
std::string Describe(const Token& t);

}  // namespace velmor::language
