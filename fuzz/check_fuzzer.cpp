// Any bytes as the first scenario of a game: the checker walks them without
// failing, and every finding it makes about the file lies inside it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "check/checker.h"
#include "check/report.h"
#include "platform/headless/memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmor;
  if (size > 65536) return 0;
  // A folder with the scenario alone: every other file is missing, which
  // the checker finds at once (decoding the pictures of a whole game on each
  // run would leave little time for the scenarios).
  platform::MemoryFiles files;
  files.Put("GAME/SNX/INIT.SNX", std::vector<uint8_t>(data, data + size));
  std::vector<check::Finding> findings = check::CheckGame(files, "GAME/", {"INIT"});
  for (const check::Finding& f : findings)
    if (f.file == "INIT.SNX" && f.offset && *f.offset >= std::max<size_t>(size, 1)) std::abort();
  (void)check::FindingsText(findings);
  (void)check::FindingsJson(findings);
  return 0;
}
