// Any bytes as slot files: loaded, listed and restored, never a crash.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_game.h"
#include "support/bytecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> slot(data, data + size);
  velmor::testing::Code init;
  init.b(108).b(37).w(20).w(21).b(22);  // LOADSYSTEM, LOADMENU, CLICK
  velmor::main::HeadlessGame& game =
      velmor::fuzzing::ReusedGame([&](velmor::platform::MemoryFiles& files) {
        files.Put(std::string(velmor::testing::kDat) + "SNX/INIT.SNX", init.bytes);
        files.Put("PROG/DATA00", slot);
        files.Put("PROG/DATA01", slot);
        files.Put("PROG/DATA02", std::vector<uint8_t>(slot.rbegin(), slot.rend()));
      });
  if (game.Start()) return 0;
  std::string error;
  game.RunScript("tick 2\ncontrol SaveList select 0\ncontrol SaveButton click\ntick 2\n", &error);
  return 0;
}
