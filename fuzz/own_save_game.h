// The waits the own_save fuzz target's seeds are saved at (fuzz_save_seeds),
// in the game it loads them into (support/waits_game.h).
#pragma once

#include <string>
#include <vector>

#include "support/waits_game.h"

namespace velmor::fuzzing {

// Where a seed is saved: the script from the start to the wait.
struct SaveStop {
  std::string name;
  std::string script;
};

inline const std::vector<SaveStop>& SaveStops() {
  using testing::ScriptTo;
  static const std::vector<SaveStop> stops = {
      {"picture_change", ScriptTo("ChangePicture")},
      {"click_wait", ScriptTo("WaitClick")},
      {"choice", ScriptTo("ChoiceProc")},
      {"timed_wait", ScriptTo("WaitTicks")},
      {"hit_map", ScriptTo("HitMapPress")},
      {"animation", ScriptTo("AnimationStep")},
      {"dissolve", ScriptTo("DissolveIn")},
      {"second_layout", ScriptTo("AnimationStep") + "until WaitClick 400\n"},
  };
  return stops;
}

}  // namespace velmor::fuzzing
