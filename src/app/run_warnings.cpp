#include "app/run_warnings.h"

#include <cstdio>
#include <string>

#include "core/sjis.h"
#include "core/texts.h"
#include "language/disassembly.h"
#include "scenario/scenario.h"

namespace velmor::app {

void RunWarnings::Add(const std::string& cause, const std::string& text) {
  if (list_.size() > kMostWarnings || causes_.contains(cause)) return;
  std::string line;
  if (list_.size() < kMostWarnings) {
    causes_.insert(cause);
    line = Where() + ": " + text;
  } else {
    line = Fill(Tr("more than %s warnings: the rest are not told"), {std::to_string(kMostWarnings)});
    causes_.clear();  // none is looked up again
  }
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
