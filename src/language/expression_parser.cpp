#include "language/expression_parser.h"

#include "language/language.h"

namespace velmor::language {

namespace {

namespace code = expr_code;

// Deeper nesting of parentheses and unary operators is refused rather than
// risking the stack; printed expressions stay far below it.
constexpr int kMaxNesting = 200;

class ExpressionParser {
 public:
  ExpressionParser(Cursor& c, const Symbols& symbols) : c_(c), symbols_(symbols) {}

  std::vector<uint8_t> Parse() {
    if (c_.IsSymbol("{"))
      Postfix();
    else
      Infix(0, 0);
    e_.push_back(code::kEnd);
    return std::move(e_);
  }

 private:
  void Push(uint8_t push_code, uint16_t w) {
    e_.push_back(push_code);
    e_.push_back(static_cast<uint8_t>(w));
    e_.push_back(static_cast<uint8_t>(w >> 8));
  }

  const ExprOperator* InfixOperator(int arity) const {
    const Token* t = c_.Peek();
    if (!t || t->kind != TokenKind::Symbol) return nullptr;
    for (const ExprOperator& op : ExprOperators())
      if (op.infix && op.arity == arity && t->text == op.infix) return &op;
    return nullptr;
  }

  // Binary operators of at least `min_precedence`, grouping left to right.
  void Infix(int min_precedence, int depth) {
    Unary(depth);
    while (const ExprOperator* op = InfixOperator(2)) {
      if (op->precedence < min_precedence) return;
      c_.Next();
      if (c_.AtEnd()) Fail(c_.line(), std::string("expected a value after '") + op->infix + "'");
      Infix(op->precedence + 1, depth + 1);
      e_.push_back(op->code);
    }
  }

  void Unary(int depth) {
    if (depth > kMaxNesting) Fail(c_.line(), "expression nested too deeply");
    if (const ExprOperator* op = InfixOperator(1)) {  // - ~
      c_.Next();
      Unary(depth + 1);
      e_.push_back(op->code);
    } else if (c_.IsSymbol("!")) {  // !x is x == 0
      c_.Next();
      Unary(depth + 1);
      Push(code::kPushWord, 0);
      e_.push_back(code::kEq);
    } else if (c_.IsKeyword("abs")) {
      c_.Next();
      c_.Expect("(", "after abs");
      Infix(0, depth + 1);
      c_.Expect(")", "to close abs(");
      e_.push_back(code::kAbs);
    } else if (c_.IsSymbol("(")) {
      c_.Next();
      Infix(0, depth + 1);
      c_.Expect(")", "to close '('");
    } else {
      Value();
    }
  }

  // A number, work[N], flag[N] or a defined name, pushed.
  void Value() {
    if (symbols_.IsWork(c_)) return Push(code::kPushWork, symbols_.Var(c_));
    if (symbols_.IsFlag(c_)) return Push(code::kPushFlag, symbols_.FlagNumber(c_));
    const Token* t = c_.Peek();
    if (!t) Fail(c_.line(), "expected a value, found the end of the line");
    if (t->kind != TokenKind::Number && t->kind != TokenKind::Identifier)
      Fail(t->line, "expected a value (a number, work[N], flag[N] or a name), found " + Describe(*t));
    auto v = symbols_.Constant(c_, -65535, 65535, "a number in an expression");
    Push(code::kPushWord, static_cast<uint16_t>(v < 0 ? -v : v));
    if (v < 0) e_.push_back(code::kNeg);  // a defined negative number
  }

  // { a b + ... }: the codes as they are, the final 0 implied.
  void Postfix() {
    c_.Next();  // {
    while (!c_.IsSymbol("}")) {
      if (c_.AtEnd()) Fail(c_.line(), "expected '}' to close the postfix expression");
      const Token& t = *c_.Peek();
      if (t.kind == TokenKind::Symbol && t.text == "#") {
        RawCode();
      } else if (const ExprOperator* named = PostfixOperator(t)) {
        c_.Next();
        e_.push_back(named->code);
      } else {
        if (t.kind == TokenKind::Symbol)
          Fail(t.line, "unexpected " + Describe(t) + " in a postfix expression");
        Value();
      }
    }
    c_.Next();  // }
  }

  static const ExprOperator* PostfixOperator(const Token& t) {
    if (t.kind != TokenKind::Symbol && t.kind != TokenKind::Identifier) return nullptr;
    for (const ExprOperator& op : ExprOperators())
      if (Lower(t.text) == op.postfix) return &op;
    return nullptr;
  }

  // # N: any code but the pushes, as it is.
  void RawCode() {
    c_.Next();
    int line = c_.line();
    auto raw = symbols_.Constant(c_, 1, 255, "a raw expression code");
    if (code::TakesWord(static_cast<uint8_t>(raw)))
      Fail(line, "code " + std::to_string(raw) +
                     " takes a word: write the number, work[N] or flag[N] instead");
    e_.push_back(static_cast<uint8_t>(raw));
  }

  Cursor& c_;
  const Symbols& symbols_;
  std::vector<uint8_t> e_;
};

}  // namespace

std::vector<uint8_t> ParseExpression(Cursor& c, const Symbols& symbols) {
  return ExpressionParser(c, symbols).Parse();
}

}  // namespace velmor::language
