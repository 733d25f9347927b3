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
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "scenario/scenario.h"

namespace velmor {
namespace {

class BenchHost : public scenario::ScenarioHost {
 public:
  void StartMessage(int, const ByteString*) override {}
  void ReadChoices(uint16_t, const scenario::ChoiceList&) override {}
  void ShowStatus() override {}
  void SetStatusLayout(int) override {}
  void ChangePicture(const ByteString&) override {}
  void StartAnimation(uint8_t) override {}
  void StartHitMap(uint16_t, const ByteString&, uint8_t, uint8_t) override {}
  void RestoreCursor() override {}
  void SetWhiteFill(int) override {}
  void EnableResoSpin(bool) override {}
  void PlayMusic(const ByteString&) override {}
  void StopMusic() override {}
  void PlayMusicOnce() override {}
  void OpenNamePanel(const ByteString&, int, int) override {}
  void OpenSaveMenu(int, uint16_t, uint16_t) override {}
  void LoadSlot(int) override {}
  void RunWaitHandler(scenario::WaitHandler) override {}
  void Quit() override {}
};

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A 32 x 32 24-bit BMP file, the size of a pointer picture.
std::vector<uint8_t> PointerBmp() {
  std::vector<uint8_t> out{'B', 'M'};
  PutLe(out, 54 + 32 * 32 * 3, 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  for (uint32_t v : {40u, 32u, 32u}) PutLe(out, v, 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  for (int i = 0; i < 6; ++i) PutLe(out, 0, 4);
  out.resize(54 + 32 * 32 * 3, 0x80);
  return out;
}

struct SlotBench {
  SlotBench() {
    for (int n = 1; n <= 7; ++n) {
      std::string name = "DATA\\CURSOR\\CSR0" + std::to_string(n);
      files.Put(name + ".BMP", PointerBmp());
      files.Put(name + "M.BMP", PointerBmp());
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

  platform::MemoryFiles files;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessWindow window{{1024, 768}};
  platform::VirtualClock clock;
  InputState input;
  ByteString dat_path{"DATA\\"};
  ByteString slot_folder{"SLOTS\\"};
  BenchHost host;
  scenario::Scenario scn{host, scenario::ScenarioServices{files, dialogs, window, clock}, input,
                         dat_path};
  menus::Panels panels;
  graphics::BitmapLoader loader{files, dat_path};
  graphics::Layers layers{loader, window};
  graphics::Cursors cursors{layers, panels.MouseSpin};
  uint16_t spd = 96;
  menus::SavePanelLogic saves{panels, scn, input, spd, cursors,
                              menus::SaveServices{files, dialogs, window}, slot_folder};
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
