// What an assembly has written so far: the bytes, and the places where a
// label used before its definition is filled in at the end. The directives
// and the instruction encoder write through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "language/statement.h"

namespace velmor::language {

// A label used before the end: its word is filled in at the end.
struct Fixup {
  size_t at = 0;
  std::string name;
  std::string file;
  int line = 0;
  size_t statement = 0;  // which statement used it, in source order
};

class AssemblyOutput {
 public:
  std::vector<uint8_t> bytes;
  std::vector<Fixup> fixups;
  // The statement being written, counted in source order (includes where
  // they stand).
  size_t statement = 0;

  // How much is written; a statement that fails is taken back to it.
  struct Mark {
    size_t bytes = 0, fixups = 0;
  };
  Mark Here() const { return {bytes.size(), fixups.size()}; }
  void Rewind(Mark m) {
    bytes.resize(m.bytes);
    fixups.resize(m.fixups);
  }

  void PutByte(uint8_t b) { bytes.push_back(b); }
  void PutWord(uint16_t w) {
    bytes.push_back(static_cast<uint8_t>(w));
    bytes.push_back(static_cast<uint8_t>(w >> 8));
  }
  // A text operand and its 0 byte, refused as the engine would not read it;
  // false when the text is empty.
  bool PutText(Cursor& c);
  // A label (filled in at the end; `file` names where it was used) or a
  // number.
  void PutAddress(Cursor& c, const Symbols& symbols, const std::string& file);
};

}  // namespace velmor::language
