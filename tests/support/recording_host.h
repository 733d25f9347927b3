// A scenario engine on in-memory platform services, with a host that records
// every call the engine makes to the other subsystems.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "main/headless/scripted_answers.h"
#include "core/byte_string.h"
#include "core/errors.h"
#include "core/input_state.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"
#include "scenario/scenario.h"
#include "session/box_stack.h"

namespace velmor::testing {

class RecordingHost : public scenario::ScenarioHost {
 public:
  // Each call as one line, e.g. "StartMessage 1 ABC", "PlayMusic M01".
  std::vector<std::string> calls;
  // The wait handler calls may install: set by tests to drive the protocol.
  scenario::Scenario* scenario = nullptr;
  bool quit = false;
  // Whether the operations that need time install their wait handler, as
  // the real subsystems do.
  bool install_waits = true;

  void StartMessage(int speaker, const ByteString* text) override {
    Record("StartMessage", speaker, text ? text->str() : "(again)");
    Install(scenario::WaitHandler::TypeText);
  }
  void ReadChoices(uint16_t result_var, const scenario::ChoiceList& choices) override {
    std::string line = "ReadChoices " + std::to_string(result_var);
    for (int i = 0; i < choices.count; ++i) line += " [" + choices.options[i].str() + "]";
    calls.push_back(line);
    Install(scenario::WaitHandler::ChoiceProc);
  }
  void ShowStatus() override { Record("ShowStatus"); }
  void SetStatusLayout(int layout) override { Record("SetStatusLayout", layout); }
  void ChangePicture(const ByteString& name) override {
    Record("ChangePicture", name);
    Install(scenario::WaitHandler::ChangePicture);
  }
  void StartAnimation(uint8_t number) override {
    Record("StartAnimation", number);
    Install(scenario::WaitHandler::AnimationStep);
  }
  void StartHitMap(uint16_t var, const ByteString& name, uint8_t hover, uint8_t down) override {
    Record("StartHitMap", var, name, hover, down);
    Install(scenario::WaitHandler::HitMapPress);
  }
  void RestoreCursor() override { Record("RestoreCursor"); }
  void SetWhiteFill(int white) override { Record("SetWhiteFill", white); }
  void EnableResoSpin(bool enabled) override { Record("EnableResoSpin", enabled ? 1 : 0); }
  void PlayMusic(const ByteString& name) override { Record("PlayMusic", name); }
  void StopMusic() override { Record("StopMusic"); }
  void PlayMusicOnce() override { Record("PlayMusicOnce"); }
  void OpenNamePanel(const ByteString& prompt, int given, int family) override {
    Record("OpenNamePanel", prompt, given, family);
    Install(scenario::WaitHandler::IdleWait);
  }
  void OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) override {
    Record("OpenSaveMenu", save_mode, month_var, day_var);
    Install(scenario::WaitHandler::IdleWait);
  }
  void LoadSlot(int slot) override { Record("LoadSlot", slot); }
  void Quit() override { quit = true; Record("Quit"); }
  // What a handler of another subsystem does here: it records the call and
  // ends the wait.
  void RunWaitHandler(scenario::WaitHandler h) {
    Record("RunWaitHandler", std::string(scenario::WaitHandlerName(h)));
    if (scenario) scenario->MainProc = scenario::WaitHandler::None;
  }

 private:
  void Install(scenario::WaitHandler h) {
    if (install_waits && scenario) scenario->MainProc = h;
  }
  static std::string Text(int n) { return std::to_string(n); }
  static std::string Text(const std::string& s) { return s; }
  static std::string Text(const ByteString& s) { return s.str(); }
  template <class... Parts>
  void Record(const char* what, const Parts&... parts) {
    std::string line = what;
    ((line += " " + Text(parts)), ...);
    calls.push_back(line);
  }
};

// Message boxes answered at once from a queue (OK when none is queued), and
// recorded: the headless front end's way with boxes, for a rig without one.
struct AnsweringDialogs : session::BoxStack, main::ScriptedAnswers {
  AnsweringDialogs() { AnswerBoxesOf(*this); }
};

// A scenario engine with its own files, dialogs, window and clock; the wait
// handlers of other subsystems are the host's RunWaitHandler.
struct ScenarioRig {
  ScenarioRig() : scn(host, scenario::ScenarioServices{files, dialogs, window, clock}, input, dat_path) {
    host.scenario = &scn;
    for (std::size_t i = 1; i < scenario::kWaitHandlerCount; ++i) {
      auto h = static_cast<scenario::WaitHandler>(i);
      if (!scn.waits.Bound(h)) scn.waits.Bind(h, [this, h] { host.RunWaitHandler(h); });
    }
  }

  platform::MemoryFiles files;
  AnsweringDialogs dialogs;
  platform::HeadlessWindow window{{640, 480}};
  platform::VirtualClock clock;
  InputState input;
  std::string dat_path{"DATA/"};
  RecordingHost host;
  scenario::Scenario scn;

  // Puts a scenario file DATA\SNX\<name>.SNX.
  void PutScenario(std::string_view name, const std::vector<uint8_t>& bytes) {
    files.Put(dat_path + "SNX\\" + std::string(name) + ".SNX", bytes);
  }
  // Loads the bytes into the image at offset 0 and sets inx to 0 (no file).
  void Load(const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), scn.snx.begin());
    scn.inx = 0;
  }
  // One scenario turn; false when the program ended (QuitSignal).
  bool Step() {
    try {
      scn.RunStep();
      return true;
    } catch (const QuitSignal&) {
      return false;
    }
  }
  // Evaluates an expression given as bytes (the end code included).
  int16_t Eval(const std::vector<uint8_t>& bytes) {
    Load(bytes);
    return scn.Evaluate();
  }
};

}  // namespace velmor::testing
