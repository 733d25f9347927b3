// Any bytes as the first scenario file: the game must neither crash nor hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::vector<uint8_t> init(data, data + size);
  velmor::main::HeadlessGame& game =
      velmor::fuzzing::ReusedGame([&](velmor::platform::MemoryFiles& files) {
        files.Put(std::string(velmor::testing::kDat) + "SNX/INIT.SNX", init);
        files.Put(std::string(velmor::testing::kDat) + "SNX/SUB.SNX", init);
      }, 1000);
  if (game.Start()) return 0;
  std::string error;
  // Clicks and the panels' buttons now and then, so waits end.
  for (int i = 0; i < 20 && !game.ended(); ++i) {
    if (i % 7 == 0) game.RunScript("click left\n", &error);
    if (i % 13 == 0)
      game.RunScript("control NameCancelButton click\ncontrol SaveCancelButton click\n", &error);
    game.Tick();
  }
  return 0;
}
