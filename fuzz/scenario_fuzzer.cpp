// Any bytes as the first scenario file: the game must neither crash nor hang.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/game_data.h"

namespace {

// The start-up files, made once.
const velmor::platform::MemoryFiles& GameFiles() {
  static const velmor::platform::MemoryFiles files = [] {
    velmor::platform::MemoryFiles f;
    velmor::testing::PutGameData(f, {255});
    return f;
  }();
  return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::vector<uint8_t> init(data, data + size);
  velmor::platform::MemoryFiles files = GameFiles();
  files.Put(std::string(velmor::testing::kDat) + "SNX/INIT.SNX", init);
  files.Put(std::string(velmor::testing::kDat) + "SNX/SUB.SNX", init);
  velmor::app::HeadlessOptions options;
  options.screen = {640, 480};
  options.start.program_folder = "PROG/";
  options.start.data_folder = velmor::testing::kDat;
  velmor::app::HeadlessGame game(files, options);
  game.form().scn.SetInstructionLimit(20000);
  if (game.Start()) return 0;
  std::string error;
  // Clicks and the panels' buttons now and then, so waits end.
  for (int i = 0; i < 60 && !game.ended(); ++i) {
    if (i % 7 == 0) game.RunScript("click left\n", &error);
    if (i % 13 == 0)
      game.RunScript("control NameCancelButton click\ncontrol SaveCancelButton click\n", &error);
    game.Tick();
  }
  return 0;
}
