// The scenario engine: the 64 KiB scenario image with its program counter,
// flags, work variables and file call stack; the instruction loop with the
// MainProc wait protocol; and the postfix expression evaluator.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/input_state.h"
#include "language/language.h"
#include "scenario/host.h"
#include "scenario/operands.h"

namespace velmor::platform {
class Files;
class Dialogs;
class Window;
class Clock;
}  // namespace velmor::platform

namespace velmor::scenario {

// The sizes of the state below, as the language gives them.
using language::kFlagCount;
using language::kNameCount;
using language::kWorkCount;

constexpr std::size_t kImageSize = language::kMaxScenarioSize;
constexpr int kCallLevels = 8;  // levels 0..7 for scenario calls
// The slot reader borrows one level above the current one for its bracket, so
// that loading works even from the deepest call.
constexpr int kStackLevels = kCallLevels + 1;
// Mended: the original ran instructions until a wait, so a scenario that
// never waited froze the window. The work one tick's instructions may do
// without waiting, in units of one
// plain instruction (about 10 ns): a scenario that runs out of it has the
// rest of the tick taken away, so the window stays responsive. What costs
// more is charged more: loading a file, an instruction that draws, plays or
// opens something, and every byte a string, choice list or expression reads
// (one unit a byte), so no operand can hold a tick past the budget.
constexpr uint32_t kInstructionsPerTickLimit = 1'000'000;
constexpr uint32_t kFileLoadWork = 1'000;  // plus one unit per 16 bytes
constexpr uint32_t kHostCallWork = 5'000;
// The work in one tick after which a watcher hears of a runaway loop.
constexpr uint32_t kRunawayWork = 100'000;

// Asked before each instruction while it watches the scenario (a debugger):
// true holds the scenario before the instruction at inx, which then runs at
// the next RunInstructions.
class InstructionGate {
 public:
  virtual ~InstructionGate() = default;
  virtual bool HoldBefore() = 0;
};

// The platform services the engine uses directly.
struct ScenarioServices {
  platform::Files& files;
  platform::Dialogs& dialogs;
  platform::Window& window;  // the corner text of the expression errors
  platform::Clock& clock;
};

class Scenario {
 public:
  Scenario(ScenarioHost& host, ScenarioServices services, const InputState& input,
           const std::string& dat_path);

  // --- The image and script state ---
  std::array<uint8_t, kImageSize> snx{};
  uint16_t inx = 0;
  std::array<uint16_t, kFlagCount / 16> flag{};
  std::array<int16_t, kWorkCount> work{};
  uint8_t CallDepth = 0;
  std::array<uint16_t, kStackLevels> ReturnInx{};
  std::array<Sstr, kStackLevels> CallFile{};
  std::array<uint16_t, language::kStatusSlots> StatusVars{};
  std::array<Sstr, kNameCount> mcr{};  // the name table
  // The work variable that receives the answer of a choice or a hit map.
  int32_t ResultVar = 0;

  // --- The wait protocol ---
  WaitHandler MainProc = WaitHandler::None;
  int32_t WaitCount = 0;
  // What each handler runs; the game binds the handlers of its subsystems.
  WaitTable waits;

  // --- Operand readers ---
  uint8_t FetchByte() { return snx[inx++]; }
  uint16_t FetchWord() {
    uint16_t lo = FetchByte();
    return static_cast<uint16_t>(lo | (FetchByte() << 8));
  }
  ByteString ReadString();
  // The same, telling how many bytes of the image it read (the 0 included).
  ByteString ReadString(uint32_t& read);

  // --- Files and the call stack ---
  void LoadScenario(const ByteString& name);
  void CallScenario(const ByteString& name);
  void ReturnScenario();
  // The first half of a call without a file: keeps inx and opens a level.
  // The slot loader reads its header through the image this way, bracketed
  // by ReturnScenario; it may use the level above the deepest call.
  void EnterCall(bool for_slot_reader = false);

  // --- Flags and work variables (numbers out of range end the program) ---
  // Written below the class: every instruction that names a variable or a
  // flag goes through them, so they are inlined into its handler.
  void SetFlag(uint16_t n, uint16_t v);
  int TestFlag(uint16_t n);
  int16_t& Work(uint32_t n);

  // Ends the program: the game shuts down, then QuitSignal unwinds to the
  // front end, which ends the process with exit code 0.
  [[noreturn]] void Quit();

  // --- Running ---
  // The scenario's turn in a tick: the installed wait handler once, or
  // instructions until one of them installs a handler.
  void RunStep();
  void RunInstructions();
  int16_t Evaluate();

  // The wait handlers of the engine itself.
  void WaitClick();
  void WaitTicks();
  void IdleWait() {}

  // One line per executed instruction on standard output.
  void SetTrace(bool on) {
    trace_ = on;
    watched_ = trace_ || gate_ != nullptr;
  }
  // Told of a scenario file that could not be loaded ("scenario SNX/X.SNX
  // is missing", UTF-8), before its error box; none by default.
  std::function<void(const std::string& text)> OnFileFailure;
  // Called (once a tick at most) when a tick's instructions have done
  // kRunawayWork without waiting; none by default.
  std::function<void()> OnRunaway;
  // The offset of the instruction being run, or of the last one run, and
  // the call level of its file (a failed call has raised CallDepth already).
  uint16_t InstructionAt() const { return current_at_; }
  uint8_t InstructionLevel() const { return current_level_; }
  // Whether any instruction has run yet.
  bool Running() const { return running_; }
  // The gate each instruction passes first; none by default (the loop then
  // asks nothing).
  void SetGate(InstructionGate* gate) {
    gate_ = gate;
    watched_ = trace_ || gate_ != nullptr;
  }
  // How much work one tick may do without waiting (fuzzing lowers it).
  void SetInstructionLimit(uint32_t limit) { instruction_limit_ = limit; }
  // The work the instructions of the last tick did, their own units
  // included. While the tick runs it is what they were charged besides
  // their units: the loop counts those in a local and adds them at the end.
  uint32_t WorkThisTick() const { return work_; }

  // Shows an error box with a Shift-JIS text, then ends the program.
  [[noreturn]] void Fail(const std::string& sjis_message);
  // The scenario file that could not be loaded last, with the reason, in
  // the system's own text; empty when none failed.
  const std::string& FailedFile() const { return failed_file_; }

  // --- Instruction handlers (operands decoded by the opcode table) ---
  void Let(uint16_t a, uint16_t w);
  void LetW(uint16_t a, uint16_t w);
  void LetF(uint16_t a, uint16_t w);
  void LetX(uint16_t a, uint16_t e);
  void Flag(uint16_t a, uint16_t w);
  void FlagW(uint16_t a, uint16_t w);
  void FlagF(uint16_t a, uint16_t w);
  void FlagX(uint16_t a, uint16_t e);
  void Add(uint16_t a, uint16_t w);
  void AddW(uint16_t a, uint16_t w);
  void AddF(uint16_t a, uint16_t w);
  void AddX(uint16_t a, uint16_t e);
  void Sub(uint16_t a, uint16_t w);
  void SubW(uint16_t a, uint16_t w);
  void SubF(uint16_t a, uint16_t w);
  void SubX(uint16_t a, uint16_t e);
  void Jump(uint16_t address);
  void JumpZ(uint16_t e, uint16_t address);
  void SetF(uint16_t f);
  void ClrF(uint16_t f);
  void NotF(uint16_t f);
  void Text(const MessageOperand& m);
  void TextA(const MessageOperand& m);
  void TextB(const MessageOperand& m);
  void TextN(uint8_t speaker, const MessageOperand& m);  // ops 53..71
  void Click();
  void Choice(uint16_t var, const ChoiceList& choices);
  void Goto(const ByteString& name);
  void Call(const ByteString& name);
  void Return();
  void JumpNF(uint16_t f, uint16_t address);
  void JumpF(uint16_t f, uint16_t address);
  void Random(uint16_t range, uint16_t var);
  void Music(const ByteString& name);
  void MusicStop();
  void MusicOnce();
  void LoadMenu(uint16_t month_var, uint16_t day_var);
  void SaveMenu(uint16_t month_var, uint16_t day_var);
  void Picture(const ByteString& name);
  void NameHero();
  void NamePartner();
  void Anime(uint8_t number);
  void HitMap(uint16_t var, const ByteString& name, uint8_t hover, uint8_t down);
  void CursorBack();
  void Status();
  void StatusSet(const std::array<uint16_t, language::kStatusSlots>& vars);
  void Layout0();
  void Layout1();
  void FadeWhite();
  void FadeBlack();
  void ScaleOn();
  void ScaleOff();
  void Wait(uint8_t ticks);
  void LoadSystem();
  void SkipW(uint16_t w);
  void End();
  void Nop() {}

  // --- Operand decoding for the opcode table: the operand at pc, pc moved
  // past it. The table keeps the program counter in a local while it reads
  // an instruction and sets inx once the operands are read, before the
  // handler runs. (TEXTN's speaker comes with the opcode, not the bytes.)
  template <Operand K>
  typename OperandValue<K>::type Decode(uint16_t& pc);

 private:
  MessageOperand ReadMessageOperand();
  ChoiceList ReadChoiceList();
  void StartMessageFrom(int speaker, const MessageOperand& m);
  void TraceInstruction(uint16_t at);
  void ReportNotResponding();
  // Writes an expression error at the window's corner; each text once a tick
  // is enough (a loop could otherwise write it a million times). The texts
  // are constants that outlive the tick.
  void CornerText(const std::string& sjis);

  // The program's end for a flag or work variable number out of range.
  [[noreturn]] void FailFlagNumber();
  [[noreturn]] void FailWorkNumber(uint32_t n);
  // A binary operator of an expression on its two values (code kEq..kShr);
  // a division it cannot do ends the program (scenario/expression.h).
  int32_t Combine(uint8_t code, int32_t a, int32_t b);
  [[noreturn]] void FailDivision(bool by_zero);
  // The value a push code (kPushWord, kPushWork, kPushFlag) puts on the
  // stack for its word.
  int32_t PushedValue(uint8_t code, uint16_t word);
  // An expression's value and where the codes after it begin.
  struct Evaluated {
    int16_t value;
    uint16_t next;
  };
  // The expression at pc; inx stays where it is (scenario/expression.h).
  Evaluated EvaluateAt(uint16_t pc);
  // The same for any codes: the value stack, undefined codes and leftovers.
  Evaluated EvaluateAny(uint16_t pc);

  // The rest of the game, for an instruction: what it does there is charged.
  ScenarioHost& Host() {
    work_ += kHostCallWork;
    return host_;
  }
  // A string or choice list that does not end within the whole image: the
  // file is damaged, and the program ends with a message naming it.
  [[noreturn]] void FailUnended(uint16_t at);

  ScenarioHost& host_;
  ScenarioServices services_;
  const InputState& input_;
  const std::string& dat_path_;
  uint16_t current_at_ = 0;     // where it begins
  uint8_t current_level_ = 0;   // the call level it runs at
  bool running_ = false;
  bool trace_ = false;
  InstructionGate* gate_ = nullptr;
  bool watched_ = false;  // a gate or the trace: the loop asks them
  uint32_t instruction_limit_ = kInstructionsPerTickLimit;
  bool told_not_responding_ = false;
  uint32_t work_ = 0;  // work of this tick's instructions
  std::string failed_file_;
  std::vector<std::string> corner_texts_this_tick_;
};

inline void Scenario::SetFlag(uint16_t n, uint16_t v) {
  if (n >= kFlagCount) [[unlikely]]
    FailFlagNumber();
  const uint16_t bit = static_cast<uint16_t>(1u << (n % 16));
  if (v != 0)
    flag[n / 16] |= bit;
  else
    flag[n / 16] &= static_cast<uint16_t>(~bit);
}

inline int Scenario::TestFlag(uint16_t n) {
  if (n >= kFlagCount) [[unlikely]]
    FailFlagNumber();
  return (flag[n / 16] >> (n % 16)) & 1;
}

inline int16_t& Scenario::Work(uint32_t n) {
  // Mended: the original read and wrote past its 256 work variables.
  if (n >= kWorkCount) [[unlikely]]
    FailWorkNumber(n);
  return work[n];
}

template <Operand K>
typename OperandValue<K>::type Scenario::Decode(uint16_t& pc) {
  using enum Operand;
  static_assert(K != Speaker, "the speaker comes with the opcode");
  const auto word = [this, &pc] {
    const uint16_t lo = snx[pc++];
    return static_cast<uint16_t>(lo | (snx[pc++] << 8));
  };
  if constexpr (K == Byte) {
    return snx[pc++];
  } else if constexpr (K == Expr) {
    inx = pc;  // where a fault in the expression leaves the program counter
    const Evaluated e = EvaluateAt(pc);
    pc = e.next;
    return static_cast<uint16_t>(e.value);
  } else if constexpr (K == Str || K == Message || K == Choices) {
    inx = pc;
    typename OperandValue<K>::type value;
    if constexpr (K == Str)
      value = ReadString();
    else if constexpr (K == Message)
      value = ReadMessageOperand();
    else
      value = ReadChoiceList();
    pc = inx;
    return value;
  } else if constexpr (K == StatusVars) {
    typename OperandValue<StatusVars>::type vars;
    for (uint16_t& v : vars) v = word();
    return vars;
  } else {  // Var, Flag, Word, Addr
    return word();
  }
}

}  // namespace velmor::scenario
