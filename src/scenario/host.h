// What the scenario engine asks of the rest of the game: the operations
// behind the instructions that draw, play, show panels or wait, implemented by
// the text, graphics, sound and menu subsystems.
#pragma once

#include <array>
#include <cstdint>

#include "core/byte_string.h"
#include "scenario/wait_handler.h"

namespace velmor::scenario {

// The options of a choice instruction, at most seven.
struct ChoiceList {
  static constexpr int kMaxOptions = 7;
  std::array<ByteString, kMaxOptions> options;
  int count = 0;
};

class ScenarioHost {
 public:
  virtual ~ScenarioHost() = default;

  // Text and messages.
  // A message instruction with a text (`text` set) or retyping the previous
  // one (`text` null); speaker 0..21.
  virtual void StartMessage(int speaker, const ByteString* text) = 0;
  virtual void ReadChoices(uint16_t result_var, const ChoiceList& choices) = 0;
  // Draws the status strip into the back buffer and shows all of it.
  virtual void ShowStatus() = 0;
  virtual void SetStatusLayout(int layout) = 0;

  // Graphics.
  virtual void ChangePicture(const ByteString& name) = 0;
  virtual void StartAnimation(uint8_t number) = 0;
  virtual void StartHitMap(uint16_t result_var, const ByteString& name, uint8_t hover_cursor,
                           uint8_t down_cursor) = 0;
  virtual void RestoreCursor() = 0;
  virtual void SetWhiteFill(int white) = 0;
  virtual void EnableResoSpin(bool enabled) = 0;

  // Sound.
  virtual void PlayMusic(const ByteString& name) = 0;
  virtual void StopMusic() = 0;
  virtual void PlayMusicOnce() = 0;

  // Menus.
  virtual void OpenNamePanel(const ByteString& prompt, int given_index, int family_index) = 0;
  virtual void OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) = 0;
  virtual void LoadSlot(int slot) = 0;

  // Shuts the game down for the end of the program (releases its bitmaps).
  // The scenario then throws QuitSignal, which ends the process.
  virtual void Quit() = 0;
};

}  // namespace velmor::scenario
