// The save/load panel's costs: listing the six slots (a save of the live
// slot, eight slot reads, each reloading the scenario file and the cursor
// pictures), and one save and one load on their own.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "graphics/cursors.h"
#include "graphics/layers.h"
#include "menus/panels.h"
#include "menus/save_panel.h"
#include "support/pictures.h"
#include "support/recording_host.h"

namespace velmor {
namespace {

struct SlotBench {
  SlotBench() {
    for (int n = 1; n <= 7; ++n) {
      std::string name = "DATA\\CURSOR\\CSR0" + std::to_string(n);
      files.Put(name + ".BMP", testing::BmpBytes(Bitmap(32, 32, 0x808080)));
      files.Put(name + "M.BMP", testing::BmpBytes(Bitmap(32, 32, 0x808080)));
    }
    files.Put("DATA\\SNX\\MAIN.SNX", std::vector<uint8_t>(20000, 7));
    scn.LoadScenario("MAIN");
    panels.MouseSpin.OnChange = [this] { cursors.MouseSpinChange(); };
    // Six used slots with different settings.
    for (int slot = 1; slot <= 6; ++slot) {
      panels.MouseSpin.SetValue(slot);
      panels.SpeedSpin.SetValue(16 * slot);
      scn.work[5] = static_cast<int16_t>(slot);
      saves.SaveSlot(slot);
    }
    panels.MouseSpin.SetValue(7);
  }

  testing::ScenarioRig rig;
  platform::MemoryFiles& files = rig.files;
  scenario::Scenario& scn = rig.scn;
  InputState& input = rig.input;
  std::string slot_folder{"SLOTS/"};
  menus::Panels panels;
  graphics::BitmapLoader loader{files, rig.dat_path};
  graphics::Layers layers{loader, rig.window};
  graphics::Cursors cursors{layers, panels.MouseSpin};
  uint16_t spd = 96;
  menus::ErrorReport errors{rig.dialogs};
  menus::SavePanelLogic saves{panels, scn, input, spd, cursors,
                              menus::SaveServices{files, rig.dialogs, rig.window, errors},
                              slot_folder};
};

void BM_OpenSavePanel(benchmark::State& state) {
  SlotBench b;
  for (auto _ : state) {
    b.saves.OpenSaveMenu(0, 5, 6);
    benchmark::DoNotOptimize(b.panels.SaveList.rows.data());
  }
}
BENCHMARK(BM_OpenSavePanel)->Unit(benchmark::kMicrosecond);

void BM_SaveSlot(benchmark::State& state) {
  SlotBench b;
  for (auto _ : state) b.saves.SaveSlot(3);
}
BENCHMARK(BM_SaveSlot)->Unit(benchmark::kMicrosecond);

void BM_LoadSlot(benchmark::State& state) {
  SlotBench b;
  for (auto _ : state) {
    b.saves.LoadSlot(3);
    benchmark::DoNotOptimize(b.scn.work[5]);
  }
}
BENCHMARK(BM_LoadSlot)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmor
