#include "language/assembly_output.h"

#include "language/text_literal.h"

namespace velmor::language {

bool AssemblyOutput::PutText(Cursor& c) {
  int line = c.line();
  std::string text = TextBytes(c);
  CheckText(text, line);
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
  return !text.empty();
}

void AssemblyOutput::PutAddress(Cursor& c, const Symbols& symbols, const std::string& file) {
  const Token* t = c.Peek();
  if (t && t->kind == TokenKind::Identifier && !symbols.Find(*t) && IsReserved(t->text))
    Fail(t->line, "expected a label or an address, found " + Describe(*t));
  if (t && t->kind == TokenKind::Identifier && !symbols.IsNumberName(*t)) {
    fixups.push_back(Fixup{bytes.size(), t->text, file, t->line, statement});
    c.Next();
    return PutWord(0);
  }
  PutWord(static_cast<uint16_t>(symbols.Constant(c, 0, 65535, "an address")));
}

}  // namespace velmor::language
