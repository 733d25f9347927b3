#include "language/lexer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace velmor::language {

namespace {

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr std::array<std::string_view, 6> kTwoCharSymbols{"<=", ">=", "==", "!=", "<<", ">>"};
constexpr std::string_view kOneCharSymbols = ",:[](){}@#=+-*/%&|^~!<>";

constexpr uint64_t kNumberCap = uint64_t{1} << 32;

// Tokens of one line, or an error.
class LineLexer {
 public:
  LineLexer(std::string_view text, int line) : s_(text), line_(line) {}

  std::optional<std::string> Run(std::vector<Token>& out) {
    while (pos_ < s_.size()) {
      unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (c == ';') {
        break;
      } else if (c == '"') {
        auto err = String(out);
        if (err) return err;
      } else if (c >= '0' && c <= '9') {
        auto err = Number(out);
        if (err) return err;
      } else if (IsNameStart(c)) {
        size_t start = pos_;
        while (pos_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        Push(out, TokenKind::Identifier, std::string(s_.substr(start, pos_ - start)));
      } else {
        std::string_view two = s_.substr(pos_, 2);
        bool is_two = false;
        for (std::string_view t : kTwoCharSymbols) is_two = is_two || two == t;
        if (is_two) {
          Push(out, TokenKind::Symbol, std::string(two));
          pos_ += 2;
        } else if (kOneCharSymbols.find(static_cast<char>(c)) != std::string_view::npos) {
          Push(out, TokenKind::Symbol, std::string(1, static_cast<char>(c)));
          ++pos_;
        } else {
          char buf[48];
          if (c >= 0x20 && c < 0x7F)
            std::snprintf(buf, sizeof buf, "unexpected character '%c'", c);
          else
            std::snprintf(buf, sizeof buf, "unexpected byte 0x%02X", c);
          return std::string(buf);
        }
      }
    }
    return std::nullopt;
  }

 private:
  void Push(std::vector<Token>& out, TokenKind kind, std::string text, uint64_t value = 0) {
    out.push_back(Token{kind, std::move(text), value, line_});
  }

  std::optional<std::string> String(std::vector<Token>& out) {
    size_t start = ++pos_;
    while (pos_ < s_.size() && s_[pos_] != '"') pos_ += s_[pos_] == '\\' ? 2 : 1;
    if (pos_ >= s_.size()) return "unterminated string (a string ends on the line it starts)";
    Push(out, TokenKind::String, std::string(s_.substr(start, pos_ - start)));
    ++pos_;
    return std::nullopt;
  }

  std::optional<std::string> Number(std::vector<Token>& out) {
    size_t start = pos_;
    uint64_t value = 0;
    int base = 10;
    if (s_.substr(pos_, 2) == "0x" || s_.substr(pos_, 2) == "0X") {
      base = 16;
      pos_ += 2;
    }
    size_t digits = pos_;
    while (pos_ < s_.size()) {
      int d = HexDigit(static_cast<unsigned char>(s_[pos_]));
      if (d < 0 || d >= base) break;
      value = std::min(value * base + d, kNumberCap);
      ++pos_;
    }
    bool bad = pos_ == digits;
    while (pos_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[pos_]))) {
      bad = true;
      ++pos_;
    }
    std::string text(s_.substr(start, pos_ - start));
    if (bad) return "bad number '" + text + "'";
    Push(out, TokenKind::Number, std::move(text), value);
    return std::nullopt;
  }

  std::string_view s_;
  int line_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<Statement> Lex(std::string_view source, std::vector<LexError>& errors) {
  if (source.substr(0, 3) == "\xEF\xBB\xBF") source.remove_prefix(3);  // a byte-order mark
  std::vector<Statement> statements;
  bool continues = false;  // the previous line ended with a comma
  int line = 0;
  for (size_t pos = 0; pos <= source.size();) {
    ++line;
    size_t end = std::min(source.find('\n', pos), source.size());
    std::string_view text = source.substr(pos, end - pos);
    pos = end + 1;

    std::vector<Token> tokens;
    if (auto err = LineLexer(text, line).Run(tokens)) {
      errors.push_back({line, *err});
      // The statement is left out, with the lines that continue it.
      if (!continues) statements.push_back(Statement{{}, line, true});
      statements.back().broken = true;
      continues = false;
      continue;
    }
    if (tokens.empty()) continue;
    bool joins = continues || (tokens.front().kind == TokenKind::String && !statements.empty());
    if (joins) {
      auto& into = statements.back().tokens;
      into.insert(into.end(), tokens.begin(), tokens.end());
    } else {
      statements.push_back(Statement{std::move(tokens), line, false});
    }
    const Token& last = statements.back().tokens.back();
    continues = last.kind == TokenKind::Symbol && last.text == ",";
  }
  return statements;
}

std::string Describe(const Token& t) {
  return t.kind == TokenKind::String ? "a string" : "'" + t.text + "'";
}

}  // namespace velmor::language
