#include "support/recording_host.h"

#include <algorithm>

#include "core/errors.h"

namespace velmor::testing {

void RecordingHost::StartMessage(int speaker, const ByteString* text) {
  calls.push_back("StartMessage " + std::to_string(speaker) + (text ? " " + text->str() : " (again)"));
  Install(scenario::WaitHandler::TypeText);
}

void RecordingHost::ReadChoices(uint16_t result_var, const scenario::ChoiceList& choices) {
  std::string line = "ReadChoices " + std::to_string(result_var);
  for (int i = 0; i < choices.count; ++i) line += " [" + choices.options[i].str() + "]";
  calls.push_back(line);
  Install(scenario::WaitHandler::ChoiceProc);
}

void RecordingHost::StartHitMap(uint16_t var, const ByteString& name, uint8_t hover,
                                uint8_t down) {
  calls.push_back("StartHitMap " + std::to_string(var) + " " + name.str() + " " +
                  std::to_string(hover) + " " + std::to_string(down));
  Install(scenario::WaitHandler::HitMapPress);
}

void RecordingHost::OpenNamePanel(const ByteString& prompt, int given, int family) {
  calls.push_back("OpenNamePanel " + prompt.str() + " " + std::to_string(given) + " " +
                  std::to_string(family));
  Install(scenario::WaitHandler::IdleWait);
}

void RecordingHost::OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var) {
  calls.push_back("OpenSaveMenu " + std::to_string(save_mode) + " " + std::to_string(month_var) +
                  " " + std::to_string(day_var));
  Install(scenario::WaitHandler::IdleWait);
}

void RecordingHost::RunWaitHandler(scenario::WaitHandler h) {
  calls.push_back(std::string("RunWaitHandler ") + scenario::WaitHandlerName(h));
  if (end_waits && scenario) scenario->MainProc = scenario::WaitHandler::None;
}

ScenarioRig::ScenarioRig()
    : scn(host, scenario::ScenarioServices{files, dialogs, window, clock}, input, dat_path) {
  host.scenario = &scn;
  for (std::size_t i = 1; i < scenario::kWaitHandlerCount; ++i) {
    auto h = static_cast<scenario::WaitHandler>(i);
    if (!scn.waits.Bound(h)) scn.waits.Bind(h, [this, h] { host.RunWaitHandler(h); });
  }
}

void ScenarioRig::PutScenario(std::string_view name, const std::vector<uint8_t>& bytes) {
  files.Put(dat_path + "SNX\\" + std::string(name) + ".SNX", bytes);
}

void ScenarioRig::Load(const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), scn.snx.begin());
  scn.inx = 0;
}

bool ScenarioRig::Step() {
  try {
    scn.RunStep();
    return true;
  } catch (const QuitSignal&) {
    return false;
  }
}

int16_t ScenarioRig::Eval(const std::vector<uint8_t>& bytes) {
  Load(bytes);
  return scn.Evaluate();
}

}  // namespace velmor::testing
