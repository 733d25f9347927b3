#include "language/opcodes.h"

#include <algorithm>
#include <cctype>

namespace velmor::language {

const OpcodeRow* FindOpcode(std::string_view mnemonic) {
  auto same = [mnemonic](const char* m) {
    std::string_view s(m);
    return s.size() == mnemonic.size() &&
           std::equal(s.begin(), s.end(), mnemonic.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) ==
                    std::toupper(static_cast<unsigned char>(b));
           });
  };
  for (const OpcodeRow& row : kOpcodeTable)
    if (row.listed() && same(row.mnemonic)) return &row;
  return nullptr;
}

std::vector<const OpcodeRow*> ListedOpcodes() {
  std::vector<const OpcodeRow*> out;
  for (const OpcodeRow& row : kOpcodeTable)
    if (row.listed()) out.push_back(&row);
  return out;
}

}  // namespace velmor::language
