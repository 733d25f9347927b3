// A scenario engine on in-memory platform services, with a host that records
// every call the engine makes to the other subsystems.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/errors.h"
#include "core/input_state.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "scenario/scenario.h"

namespace velmor::testing {

class RecordingHost : public scenario::ScenarioHost {
 public:
  // Each call as one line, e.g. "StartMessage 1 ABC", "PlayMusic M01".
  std::vector<std::string> calls;
  // The wait handler calls may install: set by tests to drive the protocol.
  scenario::Scenario* scenario = nullptr;
  bool quit = false;

  void StartMessage(int speaker, const ByteString* text) override;
  void ReadChoices(uint16_t result_var, const scenario::ChoiceList& choices) override;
  void ShowStatus() override { calls.push_back("ShowStatus"); }
  void SetStatusLayout(int layout) override { Record("SetStatusLayout", layout); }
  void ChangePicture(const ByteString& name) override {
    Record("ChangePicture", name);
    Install(scenario::WaitHandler::ChangePicture);
  }
  void StartAnimation(uint8_t number) override {
    Record("StartAnimation", number);
    Install(scenario::WaitHandler::AnimationStep);
  }
  void StartHitMap(uint16_t var, const ByteString& name, uint8_t hover, uint8_t down) override;
  void RestoreCursor() override { calls.push_back("RestoreCursor"); }
  void SetWhiteFill(int white) override { Record("SetWhiteFill", white); }
  void EnableResoSpin(bool enabled) override { Record("EnableResoSpin", enabled ? 1 : 0); }
  void PlayMusic(const ByteString& name) override { Record("PlayMusic", name); }
  void StopMusic() override { calls.push_back("StopMusic"); }
  void PlayMusicOnce() override { calls.push_back("PlayMusicOnce"); }
  void OpenNamePanel(const ByteString& prompt, int given, int family) override;
  void OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) override;
  void LoadSlot(int slot) override { Record("LoadSlot", slot); }
  // What a handler of another subsystem does here (bound by ScenarioRig).
  void RunWaitHandler(scenario::WaitHandler h);
  void Quit() override {
    quit = true;
    calls.push_back("Quit");
  }

  // Whether the operations that need time install their wait handler, as
  // the real subsystems do.
  bool install_waits = true;
  // What RunWaitHandler does with a handler of another subsystem: by default
  // it records the call and ends the wait.
  bool end_waits = true;

 private:
  void Install(scenario::WaitHandler h) {
    if (install_waits && scenario) scenario->MainProc = h;
  }
  void Record(const char* what, int n) { calls.push_back(std::string(what) + " " + std::to_string(n)); }
  void Record(const char* what, const ByteString& s) { calls.push_back(std::string(what) + " " + s.str()); }
};

// A scenario engine with its own files, dialogs, window and clock.
struct ScenarioRig {
  ScenarioRig();

  platform::MemoryFiles files;
  platform::HeadlessDialogs dialogs;
  platform::HeadlessWindow window{{640, 480}};
  platform::VirtualClock clock;
  InputState input;
  std::string dat_path{"DATA/"};
  RecordingHost host;
  scenario::Scenario scn;

  // Puts a scenario file DATA\SNX\<name>.SNX.
  void PutScenario(std::string_view name, const std::vector<uint8_t>& bytes);
  // Loads the bytes into the image at offset 0 and sets inx to 0 (no file).
  void Load(const std::vector<uint8_t>& bytes);
  // One scenario turn; false when the program ended (QuitSignal).
  bool Step();
  // Evaluates an expression given as bytes (the end code included).
  int16_t Eval(const std::vector<uint8_t>& bytes);
};

}  // namespace velmor::testing
