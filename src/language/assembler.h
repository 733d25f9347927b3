// The scenario assembler: assembly text (docs/scenario-language.md) to the
// bytes of a scenario file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/language.h"
#include "language/opcodes.h"

namespace velmor::language {

struct Diagnostic {
  std::string file;
  int line = 0;
  std::string message;

  // "file:line: message"
  std::string ToString() const;
};

// Where a statement of a source stands.
struct SourceLine {
  std::string file;
  int line = 0;
};

struct AssemblyResult {
  std::vector<uint8_t> bytes;          // empty when there are errors
  std::vector<Diagnostic> errors;      // in source order, at most kMaxErrors
  // Where each label stands (included files' labels too); empty when there
  // are errors.
  std::map<std::string, uint32_t, std::less<>> labels;
  // The statement that wrote the bytes from each offset on (instructions and
  // data; included files' too); empty when there are errors.
  std::map<uint32_t, SourceLine> lines;
  // The names `define` gives work variables and flags, by number (several
  // names of one, in source order, joined by ", "); empty when there are
  // errors.
  std::map<uint16_t, std::string> work_names, flag_names;
  bool ok() const { return errors.empty(); }
};

inline constexpr size_t kMaxErrors = 50;

// Reads an included file by the path written (relative to the including
// file's folder, already joined); nothing when it cannot be read. The
// assembler itself reads no files.
using SourceLoader = std::function<std::optional<std::string>(const std::string& path)>;

// Assembles a source text; `file_name` is what error messages call it and
// where includes are looked up from. Without a loader, include is an error.
AssemblyResult Assemble(std::string_view source, const std::string& file_name,
                        const SourceLoader& loader = {});

// How an instruction is written, from its operand layout: "JUMPZ expression, label".
std::string InstructionSyntax(const OpcodeRow& row);

}  // namespace velmor::language
