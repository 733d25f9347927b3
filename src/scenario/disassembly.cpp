#include "scenario/disassembly.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/sjis.h"

namespace velmor::scenario {

namespace {

// Whether the text after escape `e` would read as part of a longer escape
// name (\n followed by "ame" reads as \name).
bool ExtendsEscape(const TextEscape& e, std::string_view rest) {
  std::string_view name = e.name;
  for (const TextEscape& f : TextEscapes()) {
    std::string_view longer = f.name;
    if (longer.size() > name.size() && longer.substr(0, name.size()) == name &&
        rest.substr(0, longer.size() - name.size()) == longer.substr(name.size()))
      return true;
  }
  return false;
}

std::string Hex2(uint8_t b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", b);
  return buf;
}

// One character of text (one byte, or a lead byte and its partner) as UTF-8
// when it converts and converts back to exactly the same bytes.
std::optional<std::string> CharAsUtf8(std::string_view unit) {
  std::string utf8 = SjisToUtf8(unit);
  if (utf8.empty() || utf8 == "\xEF\xBF\xBD") return std::nullopt;
  // A multi-byte character must not turn into ASCII, which has meanings of
  // its own inside a literal.
  for (char c : utf8)
    if (static_cast<uint8_t>(c) < 0x80) return std::nullopt;
  bool lossy = false;
  if (Utf8ToSjis(utf8, &lossy) != unit || lossy) return std::nullopt;
  return utf8;
}

std::string PostfixToken(const ExprCode& c) {
  switch (c.code) {
    case expr_code::kPushWord: return std::to_string(c.word);
    case expr_code::kPushWork: return "work[" + std::to_string(c.word) + "]";
    case expr_code::kPushFlag: return "flag[" + std::to_string(c.word) + "]";
    default: break;
  }
  if (const ExprOperator* op = ExprOperatorOf(c.code)) return op->postfix;
  return "#" + std::to_string(c.code);
}

// --- Infix printing ---

// Deeper trees print in postfix, so the assembler's nesting limit is never met.
constexpr int kMaxInfixDepth = 64;
constexpr int kPrimary = 10;  // leaves and unary operators bind tightest

struct Node {
  ExprCode code;
  const ExprOperator* op = nullptr;  // null for a push
  int a = -1, b = -1;                // operands
};

class InfixPrinter {
 public:
  // False when the codes are not one well-formed infix expression.
  bool Build(std::span<const ExprCode> codes) {
    std::vector<std::pair<int, int>> stack;  // node, depth
    for (const ExprCode& c : codes) {
      if (c.code == expr_code::kEnd) break;
      Node n{c};
      int depth = 1;
      if (!expr_code::TakesWord(c.code)) {
        n.op = ExprOperatorOf(c.code);
        if (!n.op || !n.op->infix) return false;  // drop, undefined codes
        if (stack.size() < static_cast<size_t>(n.op->arity)) return false;
        if (n.op->arity == 2) {
          n.b = stack.back().first;
          depth = stack.back().second;
          stack.pop_back();
        }
        n.a = stack.back().first;
        depth = 1 + std::max(depth, stack.back().second);
        stack.pop_back();
        if (depth > kMaxInfixDepth) return false;
      }
      nodes_.push_back(n);
      stack.emplace_back(static_cast<int>(nodes_.size()) - 1, depth);
    }
    if (stack.size() != 1) return false;
    root_ = stack.back().first;
    return true;
  }

  std::string Print() const { return Render(root_); }

 private:
  int Precedence(int i) const {
    const Node& n = nodes_[i];
    return n.op && n.op->arity == 2 ? n.op->precedence : kPrimary;
  }

  std::string Render(int i) const {
    const Node& n = nodes_[i];
    if (!n.op) return PostfixToken(n.code);
    std::string a = Render(n.a);
    if (n.op->arity == 1) {
      if (n.code.code == expr_code::kAbs) return "abs(" + a + ")";
      // "--x" would read as two minus signs anyway; the parentheses are for
      // the reader.
      bool paren = Precedence(n.a) < kPrimary || (a[0] == '-' && n.op->infix[0] == '-');
      return n.op->infix + (paren ? "(" + a + ")" : a);
    }
    int p = n.op->precedence;
    if (Precedence(n.a) < p) a = "(" + a + ")";
    std::string b = Render(n.b);
    if (Precedence(n.b) <= p) b = "(" + b + ")";  // operators group left to right
    return a + " " + n.op->infix + " " + b;
  }

  std::vector<Node> nodes_;
  int root_ = -1;
};

std::string FormatOperand(const RawOperand& o, const LabelNamer& label_of, const FormatStyle& style) {
  auto address = [&](uint16_t a) { return label_of ? label_of(a) : FormatAddress(a); };
  auto work = [](uint16_t n) { return "work[" + std::to_string(n) + "]"; };
  switch (o.kind) {
    case Operand::Var: return work(o.value);
    case Operand::Flag: return "flag[" + std::to_string(o.value) + "]";
    case Operand::Word:
    case Operand::Byte:
    case Operand::Speaker: return std::to_string(o.value);
    case Operand::Addr: return address(o.value);
    case Operand::Expr: return FormatExpression(o.expr);
    case Operand::Str: return FormatText(o.texts.at(0), style);
    case Operand::Message:
      switch (o.value) {
        case 1: return FormatText(o.texts.at(0), style);
        case 2: return "@" + address(o.address);
        case 3: return "again";
        default: return "source " + std::to_string(o.value);
      }
    case Operand::Choices: {
      std::string s;
      for (const std::string& t : o.texts) s += (s.empty() ? "" : ", ") + FormatText(t, style);
      return s;
    }
    case Operand::StatusVars: {
      std::string s;
      for (uint16_t w : o.words) s += (s.empty() ? "" : ", ") + work(w);
      return s;
    }
  }
  return "?";
}

}  // namespace

std::string FormatPostfix(std::span<const ExprCode> codes) {
  std::string s = "{";
  for (const ExprCode& c : codes) {
    if (c.code == expr_code::kEnd) break;
    s += " " + PostfixToken(c);
  }
  return s + " }";
}

std::string FormatExpression(std::span<const ExprCode> codes) {
  InfixPrinter p;
  return p.Build(codes) ? p.Print() : FormatPostfix(codes);
}

std::string FormatText(std::string_view raw, const FormatStyle& style) {
  std::string out = "\"";
  size_t i = 0;
  auto byte = [&raw](size_t k) { return static_cast<uint8_t>(raw[k]); };
  bool next_as_hex = false;
  while (i < raw.size()) {
    uint8_t b = byte(i);
    if (next_as_hex) {
      next_as_hex = false;
      out += Hex2(b);
      ++i;
      continue;
    }
    const TextEscape* e = EscapeOf(b);
    // A code that takes a number but ends the bytes stays a plain byte.
    if (e && (e->arg != TextEscape::Arg::Byte || i + 1 < raw.size())) {
      out += '\\';
      out += e->name;
      if (e->arg == TextEscape::Arg::Offset) {
        out += "{" + std::to_string(b - e->code) + "}";
      } else if (e->arg == TextEscape::Arg::Byte) {
        out += "{" + std::to_string(byte(i + 1)) + "}";
        ++i;
      } else {
        next_as_hex = ExtendsEscape(*e, raw.substr(i + 1));
        if (style.break_texts && e->ends_line && i + 1 < raw.size())
          out += std::string("\"\n") + kContinuationIndent + "\"";
      }
      ++i;
      continue;
    }
    if (b == '"') {
      out += "\\\"";
    } else if (b == 0x5C) {
      out += "\xC2\xA5";  // the yen sign in this code page
    } else if (b < 0x20 || b == 0x7F) {
      out += Hex2(b);
    } else if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      size_t n = IsLeadByte(b) && i + 1 < raw.size() ? 2 : 1;
      if (auto utf8 = CharAsUtf8(raw.substr(i, n))) {
        out += *utf8;
      } else {
        for (size_t k = 0; k < n; ++k) out += Hex2(byte(i + k));
      }
      i += n;
      continue;
    }
    ++i;
  }
  return out + "\"";
}

std::string FormatAddress(uint16_t address) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%04X", address);
  return buf;
}

std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of) {
  return FormatInstruction(in, label_of, FormatStyle{});
}

std::string FormatInstruction(const RawInstruction& in, const LabelNamer& label_of,
                              const FormatStyle& style) {
  if (!in.info->listed()) return "NOP " + std::to_string(in.info->code);
  std::string line = in.info->mnemonic;
  bool first = true;
  for (const RawOperand& o : in.operands) {
    line += first ? " " : ", ";
    first = false;
    line += FormatOperand(o, label_of, style);
  }
  return line;
}

std::string DisassembleForTrace(std::span<const uint8_t> image, uint16_t at) {
  auto in = DecodeInstruction(image, at);
  if (!in) return "(an instruction that runs past the end of the image)";
  std::string line = FormatInstruction(*in);
  // A message kept elsewhere in the image: show the text as well.
  for (const RawOperand& o : in->operands) {
    if (o.kind != Operand::Message || o.value != 2) continue;
    uint32_t next = 0;
    if (auto text = DecodeRawString(image, o.address, &next)) line += "  ; " + FormatText(*text);
  }
  return line;
}

}  // namespace velmor::scenario
