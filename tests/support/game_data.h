// A small game data folder in memory: every file start-up needs, a scenario
// of the test's own, cursors and sounds.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "main/headless/headless_game.h"
#include "platform/headless/memory_files.h"
#include "support/form_internals.h"

namespace velmor::testing {

// The data folder's prefix in the in-memory files.
inline constexpr const char* kDat = "GAME/";

// Puts the start-up files under kDat: KURO, MESH, _CGBK, CHU, WK00, WK01,
// WK02, WALL00, cursors 0..10, QV00.WAV, QV00.MID, and INIT.SNX = `init`.
void PutGameData(platform::MemoryFiles& files, const std::vector<uint8_t>& init);
// A scenario counting clicks: LET work[1] 1; CLICK; LET work[1] 2; CLICK;
// ... up to 5, then END.
std::vector<uint8_t> ClickCounter();
// A short WAVE (`ms` long) and a MIDI file for sound tests.
std::vector<uint8_t> TinyWave(int ms = 100);
std::vector<uint8_t> TinyMidi();

// A whole game on the headless platform over in-memory files.
struct GameRig {
  // F12 writes into `pictures` (by default a folder of the build's own,
  // never the player's). `text_font`, when given, draws the game's text.
  explicit GameRig(const std::vector<uint8_t>& init, Size screen = {1024, 768},
                   const std::string& pictures = "", platform::Font* text_font = nullptr);
  ~GameRig();
  GameRig(const GameRig&) = delete;
  GameRig& operator=(const GameRig&) = delete;

  platform::MemoryFiles files;
  std::unique_ptr<main::HeadlessGame> game;
  app::TForm1& form() { return game->form(); }
  // The game's parts, to set up and look at.
  FormInternals in() { return FormInternals(game->form()); }

  // Start-up; the exit code when the game ends at once.
  std::optional<int> Start() { return game->Start(); }
  void Run(const std::string& script) {
    std::string error;
    ASSERT_TRUE(game->RunScript(script, &error)) << error;
  }
  void Ticks(int n) { for (int i = 0; i < n; ++i) game->Tick(); }
  // The checks every rig runs (what the window and the back buffer were
  // told against the whole picture, a tick) are off: for benchmarks, which
  // measure the game, not the checks.
  void Unchecked() {
    game->window().CheckReportedChanges(false);
    in().layers.check_publish = false;
  }
};

}  // namespace velmor::testing
