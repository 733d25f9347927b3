// Any bytes as a save of our own, followed by their CRC-32 as the game
// writes it, so that what lies inside a file that is whole is reached: the
// load screen lists it, the game loads it at a click wait and plays on
// (clicks, choice keys, the pointer over a hit map, going back and forward,
// saving and loading again). Never a crash or a hang, and a save that is
// refused leaves the game as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/own_saves.h"
#include "formats/snapshot_file.h"
#include "fuzz_game.h"
#include "own_save_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace velmor;
  if (size > (8u << 20)) return 0;
  std::vector<uint8_t> file(data, data + size);
  const uint32_t crc = formats::Crc32(file);
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<uint8_t>(crc >> shift));
  main::HeadlessGame& game = fuzzing::ReusedGame([&](platform::MemoryFiles& files) {
    velmor::testing::PutWaitsGame(files);
    files.Put("PROG/" + app::OwnSaveFileName(1), file);
  });
  if (game.Start()) return 0;
  std::string error;
  game.RunScript("until WaitClick 400\nkey f3\ntick 2\nkey escape\ntick 1\n", &error);
  // A load takes no tick: a refused one leaves the state as it was, to the tick.
  const std::string before = game.StateJson();
  game.RunScript("load 1\n", &error);
  const std::string told = game.Notices().empty() ? "" : game.Notices().back();
  if (told.starts_with("Cannot load") && game.StateJson() != before) {
    std::fprintf(stderr, "a save refused (%s) changed the game\n", told.c_str());
    __builtin_trap();
  }
  for (int t = 0; t < 40 && !game.ended(); ++t) {
    if (t % 6 == 5) game.RunScript("click left\n", &error);
    if (t % 10 == 3) game.RunScript("key 1\npointer 150 150\n", &error);
    if (t == 20) game.RunScript("back\ntick 1\nforward\nsave 2\nload 2\n", &error);
    game.Tick();
  }
  return 0;
}
