// Any bytes as the first scenario file: the game must neither crash nor hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/game_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::vector<uint8_t> init(data, data + size);
  velmor::testing::GameRig g(init);
  g.files.Put(std::string(velmor::testing::kDat) + "SNX/SUB.SNX", init);
  g.form().scn.SetInstructionLimit(20000);
  if (g.Start()) return 0;
  std::string error;
  // Clicks and the panels' buttons now and then, so waits end.
  for (int i = 0; i < 120 && !g.game->ended(); ++i) {
    if (i % 7 == 0) g.game->RunScript("click left\n", &error);
    if (i % 13 == 0) g.game->RunScript("control NameCancelButton click\ncontrol SaveCancelButton click\n", &error);
    g.game->Tick();
  }
  return 0;
}
