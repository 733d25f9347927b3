#include "app/run_warnings.h"

#include <cstdio>

#include "core/sjis.h"
#include "core/texts.h"
#include "language/disassembly.h"
#include "scenario/scenario.h"

namespace velmor::app {

void RunWarnings::Add(const std::string& cause, const std::string& text) {
  if (!causes_.insert(cause).second) return;
  std::string line = Where() + ": " + text;
  if (print) std::fprintf(stderr, "%s\n", Fill(Tr("velmor: warning: %s"), {line}).c_str());
  list_.push_back(std::move(line));
}

std::string RunWarnings::Where() const {
  if (!scn_.Running()) return "start-up";
  const Sstr& file = scn_.CallFile[scn_.InstructionLevel()];
  const uint16_t at = scn_.InstructionAt();
  return language::FormatPlace(SjisToUtf8(file.view()), at) + ": " +
         language::DisassembleForTrace(std::span<const uint8_t>(scn_.snx), at);
}

}  // namespace velmor::app
