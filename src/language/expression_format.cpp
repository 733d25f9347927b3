// Expression operands printed: infix where the codes are exactly the
// compiled form of an infix expression, the postfix notation otherwise.
#include <algorithm>
#include <vector>

#include "language/disassembly.h"

namespace velmor::language {

namespace {

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

}  // namespace velmor::language
