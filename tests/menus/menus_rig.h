// The menus of a whole game on the headless platform: the panels and their
// handlers as the main window wires them, the slot folder, names to fall
// back on, and a scenario file for the slot reader's call bracket.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/form.h"
#include "menus/slot_file.h"
#include "support/game_data.h"

namespace velmor::testing {

// The live state a slot holds, read from or written into the game.
struct LiveState {
  int reso = 100;
  int mouse = 1;
  int speed = 96;
  std::string source = "WaveBtn";  // the checked source button
  std::array<std::string, 4> names;
  std::array<int16_t, 256> work{};
  std::array<uint16_t, 256> flag{};
  friend bool operator==(const LiveState&, const LiveState&) = default;
};
// Settings, names and a digest of the variables, for failure messages.
void PrintTo(const LiveState& s, std::ostream* os);

// Two distinct live states: every setting, name, variable and flag differs.
LiveState SampleLiveState();
LiveState OtherLiveState();

struct MenusRig {
  explicit MenusRig(Size screen = {1024, 768});

  GameRig game;
  app::TForm1& form = game.form();
  scenario::Scenario& scn = form.scn;
  platform::MemoryFiles& files = game.files;
  platform::HeadlessWindow& window = game.game->window();
  platform::HeadlessDialogs& dialogs = game.game->dialogs();
  InputState& input = form.input;
  menus::Panels& panels = form.panels;
  graphics::Cursors& cursors = form.cursors;
  uint16_t& spd = form.msgwin.msg.spd;
  std::string& slot_folder = form.SlotPath;
  menus::SavePanelLogic& saves = form.saves;
  menus::NamePanelLogic& names = form.names;
  menus::ConfigPanelLogic& config = form.config;

  // The settings controls' handlers that ran, in order ("ResoSpinChange
  // 120", "MidiBtnClick"), each recorded before the game's own runs.
  std::vector<std::string> handlers;

  // Puts a scenario file SNX/<name>.SNX into the data folder.
  void PutScenario(const std::string& name, const std::vector<uint8_t>& bytes);
  // A cursor picture's path in the data folder ("CSR05.BMP").
  static std::string CursorPath(const std::string& file);
  std::string SlotPath(int n) const { return slot_folder + menus::SlotFileName(n).str(); }
  void PutSlot(int n, const std::vector<uint8_t>& bytes, platform::FileTime time = {});
  const std::vector<uint8_t>* Slot(int n) const { return files.Get(SlotPath(n)); }
  const std::vector<platform::RecordedBox>& Boxes() const { return dialogs.Boxes(); }

  LiveState Live() const;
  // Sets the controls without running their handlers, the names and the
  // variables.
  void SetLive(const LiveState& s);
  RadioButton& SourceButton(const std::string& name);

 private:
  void Record(Handler& handler, std::function<std::string()> label);
};

// A slot file written by hand from the layout, independently of the game's
// writer: the header fields at their offsets, then the two word blocks.
struct SlotBytes {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(menus::kSlotSize, 0);

  SlotBytes& Text(std::size_t at, std::string_view text);
  SlotBytes& Byte(std::size_t at, uint8_t b);
  SlotBytes& Work(int n, int16_t v);
  SlotBytes& Flag(int n);
  // "Brannic", NUL and the four setting bytes.
  SlotBytes& Header(uint8_t reso, uint8_t mouse, uint8_t speed, uint8_t source);
  // Entries 0..3 at their fields (2, 0, 3, 1 at offsets 16, 28, 40, 52).
  SlotBytes& Names(std::string_view n0, std::string_view n1, std::string_view n2,
                   std::string_view n3);
};

}  // namespace velmor::testing
