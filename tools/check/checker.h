// The checker: every scenario of a game's data folder walked without running
// it, with what the engine would stumble over reported at the instruction
// that asks for it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmor::platform {
class Files;
}

namespace velmor::check {

enum class Severity { Error, Warning, Information };

struct Finding {
  Severity severity = Severity::Error;
  std::string file;                // "INIT.SNX"; empty: the data folder as a whole
  std::optional<uint32_t> offset;  // where in the file
  std::string source;              // "mygame/SNX/INIT.s:12" when the source lies beside it
  std::string instruction;         // the instruction there as assembly (UTF-8), or empty
  std::string message;
};

// Checks the game in `data_folder` (the system's path, ending in "/"): the
// scenarios reachable from INIT through GOTO and CALL, then those of
// `other_scenarios` (Shift-JIS names without ".SNX": the rest of the SNX
// folder) not reached that way. Findings come file by file in the order the
// files were met, by offset within a file.
std::vector<Finding> CheckGame(platform::Files& files, const std::string& data_folder,
                               const std::vector<std::string>& other_scenarios);

}  // namespace velmor::check
