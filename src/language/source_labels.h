// A source's labels as the game's debugger uses them, so that a breakpoint
// can be set at "FILE:LABEL". The debugger is handed AssembleLabels by the
// front end; the source and what it includes are read by the caller (the
// game reads them through its file service).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "language/assembler.h"

namespace velmor::language {

// What an assembly source says about its labels.
struct SourceLabels {
  std::map<std::string, uint32_t, std::less<>> labels;  // each label's offset
  std::vector<uint8_t> bytes;  // what the source assembles to
  std::map<uint32_t, SourceLine> lines;  // where each statement that wrote bytes starts
  std::map<uint16_t, std::string> work_names, flag_names;  // what its defines call them
  std::string error;           // the first error ("INIT.s:12: ..."); empty when it assembled
};

// Reads a file the source includes, by its path; nothing when it cannot.
using IncludeReader = SourceLoader;
// Assembles a source for its labels.
using LabelAssembler = std::function<SourceLabels(std::string_view source, const std::string& path,
                                                  const IncludeReader& read)>;

// Assembles a source and gives its labels and bytes, or its first error.
SourceLabels AssembleLabels(std::string_view source, const std::string& path,
                            const IncludeReader& read);

}  // namespace velmor::language
