// The debugger for people changing a game: breakpoints at a scenario file's
// offset or at a label of its assembly source, pause and continue, one
// instruction at a time, over a CALL, on to the next wait; work variables
// and flags edited in place; and reloading the scenario from disk.
//
// It is off unless asked for (--debug, --break or a script's debugger
// command). While it is on, the scenario passes its gate before every
// instruction. While it is paused the tick runs neither instructions nor
// wait handlers, but everything else (the pointer, the presentation, the
// music loop) goes on.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/source_labels.h"
#include "scenario/scenario.h"

namespace velmor::app {

class TForm1;

struct Breakpoint {
  std::string file;  // the scenario's name (Shift-JIS, letters in upper case), without ".SNX"
  uint16_t offset = 0;
  std::string label;  // the label it was set at (UTF-8); empty for an offset
};

// Why the debugger holds the scenario.
enum class PauseReason { None, Pause, Breakpoint, Step, Wait };
const char* PauseReasonName(PauseReason r);

// One level of the call stack, from the top level (0) down to the current one.
struct CallLevel {
  std::string file;         // UTF-8, without ".SNX"
  uint16_t offset = 0;      // where that level goes on: its return offset, or inx for the current
};

// One instruction of the listing.
struct CodeLine {
  uint16_t offset = 0;
  uint32_t length = 0;
  std::string label;  // the label standing there, if the source is known
  std::string text;   // as the disassembler prints it (UTF-8)
};

// What the debugger window shows beside the code, in UTF-8.
struct DebugState {
  std::string main_proc;  // the wait handler's name, or "none"
  std::string message;    // the message being typed or shown, as a source writes it ("a\\b\n")
  int msg_pos = 0;
  bool page_wait = false;
  std::string music;  // the music asked for
  bool music_loop = false;
  std::string media_file;
  std::string media_mode;  // "not ready", "stopped", "playing"
};

class Debugger : public scenario::InstructionGate {
 public:
  explicit Debugger(TForm1& form);
  ~Debugger() override;
  Debugger(const Debugger&) = delete;
  Debugger& operator=(const Debugger&) = delete;

  // What gives the labels of a scenario's source: the front ends hand over
  // the language's AssembleLabels. Without it only offsets can be used.
  void SetLabelAssembler(language::LabelAssembler assemble) { assemble_ = std::move(assemble); }

  // --- Breakpoints ---
  // "FILE:OFFSET" (decimal or 0x hex) or "FILE:LABEL"; FILE may end in
  // ".SNX" and is matched regardless of letter case. False with the reason.
  bool AddBreakpoint(std::string_view where, std::string* error);
  // Sets or clears the breakpoint at an offset of the current file.
  void ToggleBreakpoint(uint16_t offset);
  bool HasBreakpoint(uint16_t offset) const;  // in the current file
  const std::vector<Breakpoint>& breakpoints() const { return breakpoints_; }

  // --- Running ---
  bool paused() const { return paused_; }
  PauseReason reason() const { return reason_; }
  void Pause();
  void Continue();
  // One instruction; a wait it starts runs out before the next one.
  void Step();
  // As Step, but a CALL runs until its file returns to this level.
  void StepOver();
  // Until an instruction starts a wait.
  void RunToWait();
  // Every scenario file from disk again: the current one restarts at its
  // start at the same call level; work variables, flags and names stay. A
  // wait in progress is dropped. False with the reason (the file cannot be
  // read, or a panel holds the game).
  bool Reload(std::string* error);

  // --- Editing ---
  bool SetWork(int64_t n, int64_t value, std::string* error);
  bool SetFlag(int64_t n, int64_t value, std::string* error);

  // --- Reading ---
  std::string CurrentFile() const;  // UTF-8, without ".SNX"
  int16_t WorkValue(int n) const { return scn_.work[static_cast<size_t>(n) % scenario::kWorkCount]; }
  std::vector<int> SetFlags() const;  // the numbers of the flags that are set
  uint16_t Where() const;
  std::vector<CallLevel> CallStack() const;
  DebugState State() const;
  // The label standing at an offset of the current file, if its source is there.
  std::string LabelAt(uint16_t offset);
  // What the current file's source calls a work variable or a flag with its
  // defines ("visits"); empty without a source or a name.
  std::string WorkName(int n);
  std::string FlagName(int n);
  // "Paused at INIT.SNX:0x0012 (breakpoint)"; while a step runs through a
  // wait, what it waits for ("Stepping: waits for a click (WaitClick)");
  // else "Running".
  std::string StatusLine() const;
  // The current file's instructions around inx: up to `before` lines before
  // it, the one at inx, and up to `after` - 1 after it.
  std::vector<CodeLine> CodeAround(int before, int after);

  // The tick's turn for the scenario, in place of Scenario::RunStep.
  void RunStep();

  bool HoldBefore() override;

 private:
  void Resume(PauseReason mode);
  bool Stop(PauseReason reason);
  bool AtBreakpoint() const;
  std::string SnxPath(const std::string& sjis_file) const;
  // The labels of a scenario file's source (cached); null with the reason.
  const language::SourceLabels* LabelsOf(const std::string& sjis_file, std::string* error);
  language::SourceLabels ReadLabels(const std::string& sjis_file);
  // The current file decoded from its start, as far as it decodes (cached).
  const std::vector<CodeLine>& Listing();
  // Why a breakpoint at `at` could never stop: it lies inside an instruction
  // of the file (whose `bytes` are given); nothing when it is a start.
  std::optional<std::string> InsideInstruction(const std::string& sjis_file,
                                               const std::vector<uint8_t>& bytes, uint16_t at);
  std::vector<CodeLine> Decode(uint32_t from, uint32_t size, int count);
  std::optional<uint16_t> ResolveLabel(const std::string& sjis_file, const std::string& label,
                                       std::string* error);

  TForm1& form_;
  scenario::Scenario& scn_;
  language::LabelAssembler assemble_;
  std::vector<Breakpoint> breakpoints_;
  std::map<std::string, language::SourceLabels> labels_;  // by scenario file
  std::map<std::string, std::pair<uint32_t, std::vector<CodeLine>>> listings_;  // size and lines, by file

  bool paused_ = false;
  PauseReason reason_ = PauseReason::None;
  PauseReason mode_ = PauseReason::None;  // Step, Wait (run to a wait) or None (run)
  bool skip_once_ = false;  // the instruction paused at runs without stopping again
  bool stepped_ = false;    // an instruction has run since the resume
  uint8_t depth_ = 0;       // the call level a step over returns to
};

// The scenario name of a breakpoint or a CALL: Shift-JIS, ASCII letters in
// upper case, without ".SNX".
std::string ScenarioKey(std::string_view sjis_name);

}  // namespace velmor::app
