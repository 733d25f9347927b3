// A game on the headless platform for the fuzz targets: the start-up files
// are made once and copied for each input.
#pragma once

#include <memory>
#include <vector>

#include "support/game_data.h"

namespace velmor::fuzzing {

inline const platform::MemoryFiles& GameFiles() {
  static const platform::MemoryFiles files = [] {
    platform::MemoryFiles f;
    testing::PutGameData(f, {255});
    return f;
  }();
  return files;
}

// A small screen, and no more than `instructions` a tick.
inline std::unique_ptr<main::HeadlessGame> MakeGame(platform::MemoryFiles& files,
                                                   uint32_t instructions = 20000) {
  main::HeadlessOptions options;
  options.screen = {160, 120};
  options.start.program_folder = "PROG/";
  options.start.data_folder = testing::kDat;
  auto game = std::make_unique<main::HeadlessGame>(files, options);
  testing::FormInternals(game->form()).scn.SetInstructionLimit(instructions);
  return game;
}

// One game for every input, made at the first: `put` lays the input's files
// over the start-up files, put back as they were, and the game is reset in
// place (a new game per input runs some hundred times slower).
template <typename Put>
main::HeadlessGame& ReusedGame(Put&& put, uint32_t instructions = 20000) {
  static platform::MemoryFiles files;
  static std::unique_ptr<main::HeadlessGame> game;
  static graphics::DecodedPictures pictures;  // the start-up pictures, decoded once
  files = GameFiles();
  put(files);
  if (!game) {
    // The screen-sized pictures every input makes again (the layers, their
    // copies on first write) take the memory the input before let go.
    Bitmap::KeepFreedPixels(16);
    game = MakeGame(files, instructions);
  } else {
    game->Reset();
    testing::FormInternals(game->form()).scn.SetInstructionLimit(instructions);
  }
  testing::FormInternals(game->form()).loader.UseCache(&pictures);
  return *game;
}

}  // namespace velmor::fuzzing
