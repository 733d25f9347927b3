// What --warn reports while the game runs: every file the scenario asked for
// that was missing or refused, every error box with the instruction that
// raised it, and loops that run long without a wait. Each cause is told
// once, at the scenario's instruction when it happened; past the first
// thousand, once that the rest are not told.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace velmor::scenario {
class Scenario;
}

namespace velmor::app {

class RunWarnings {
 public:
  // A scenario that names a new missing file every tick would grow the list
  // for ever: past this many, one line says the rest are not told.
  static constexpr std::size_t kMostWarnings = 1000;

  explicit RunWarnings(const scenario::Scenario& scn) : scn_(scn) {}

  // A warning about `cause` (told once for each cause): `text` (UTF-8) with
  // the place it happened in front.
  void Add(const std::string& cause, const std::string& text);

  // Each warning as told: "INIT.SNX:0x0012: PICTURE "BG09": picture ...".
  const std::vector<std::string>& list() const { return list_; }
  // Also write each one on standard error as it comes.
  bool print = false;

 private:
  // The scenario file, the offset and the instruction being run (or last
  // run), or "start-up" before the first one.
  std::string Where() const;

  const scenario::Scenario& scn_;
  std::set<std::string> causes_;
  std::vector<std::string> list_;
};

}  // namespace velmor::app
