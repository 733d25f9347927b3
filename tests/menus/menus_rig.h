// The menus on a scenario engine with in-memory files: the panels with their
// handlers wired as the main window wires them, the cursor files, and a
// scenario file for the slot reader's call bracket.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/controls.h"
#include "graphics/cursors.h"
#include "graphics/layers.h"
#include "menus/config_panel.h"
#include "menus/name_panel.h"
#include "menus/panels.h"
#include "menus/save_panel.h"
#include "menus/slot_file.h"
#include "platform/headless/headless_platform.h"
#include "support/recording_host.h"

namespace velmor::testing {

// Files whose last-write times can be made unreadable.
class TimeFailingFiles : public platform::Files {
 public:
  explicit TimeFailingFiles(platform::Files& inner) : inner_(inner) {}
  bool times_fail = false;

  std::optional<std::vector<uint8_t>> ReadFile(std::string_view path, std::string* error) override {
    return inner_.ReadFile(path, error);
  }
  bool WriteFile(std::string_view path, std::span<const uint8_t> bytes,
                 std::string* error) override {
    return inner_.WriteFile(path, bytes, error);
  }
  std::optional<platform::FileTime> LastWriteTime(std::string_view path) override {
    if (times_fail) return std::nullopt;
    return inner_.LastWriteTime(path);
  }
  bool IsWritableFolder(std::string_view folder) override {
    return inner_.IsWritableFolder(folder);
  }
  bool Exists(std::string_view path) override { return inner_.Exists(path); }
  void RemoveUnfinishedWrites(std::string_view folder) override {
    inner_.RemoveUnfinishedWrites(folder);
  }
  bool CreateFolders(std::string_view folder, std::string* error) override {
    return inner_.CreateFolders(folder, error);
  }

 private:
  platform::Files& inner_;
};

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

  ScenarioRig rig;
  scenario::Scenario& scn = rig.scn;
  platform::MemoryFiles& files = rig.files;
  TimeFailingFiles slot_files{rig.files};
  platform::HeadlessWindow window;
  InputState& input = rig.input;
  menus::Panels panels;
  graphics::BitmapLoader loader{rig.files, rig.dat_path};
  graphics::Layers layers{loader, window};
  graphics::Cursors cursors{layers, panels.MouseSpin};
  uint16_t spd = 96;
  std::string slot_folder{"SLOTS/"};
  menus::ErrorReport errors{rig.dialogs};
  std::array<Sstr, 4> defmcr{Sstr("taro"), Sstr("hanako"), Sstr("YAMA"), Sstr("KAWA")};

  menus::SavePanelLogic saves{panels, scn, input, spd, cursors,
                              menus::SaveServices{slot_files, rig.dialogs, window, errors},
                              slot_folder};
  menus::NamePanelLogic names{panels, scn, input, window, defmcr};
  menus::ConfigPanelLogic config{panels, input, window};

  // The handlers that ran, in order ("ResoSpinChange 120", "MidiBtnClick").
  std::vector<std::string> handlers;

  std::string SlotPath(int n) const { return slot_folder + menus::SlotFileName(n).str(); }
  void PutSlot(int n, const std::vector<uint8_t>& bytes, platform::FileTime time = {});
  const std::vector<uint8_t>* Slot(int n) const { return files.Get(SlotPath(n)); }
  const std::vector<platform::RecordedBox>& Boxes() const { return rig.dialogs.Boxes(); }

  LiveState Live() const;
  // Sets the controls without running their handlers, the names and the
  // variables.
  void SetLive(const LiveState& s);
  RadioButton& SourceButton(const std::string& name);
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
