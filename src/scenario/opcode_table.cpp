// The interpreter's side of the language's opcode rows: a handler for every
// row, bound at compile time, with the operands decoded in the order the
// row's layout gives.
#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "language/opcodes.h"
#include "scenario/expression.h"
#include "scenario/plain_instructions.h"
#include "scenario/scenario.h"

namespace velmor::scenario {
namespace {

using language::OpcodeAt;
using language::OpcodeRow;

// The layout of an opcode's row, as a constant that can be indexed at
// compile time.
template <uint8_t Code>
constexpr std::span<const Operand> kLayout = OpcodeAt(Code).layout;

// The values a handler takes, in order.
template <typename F>
struct HandlerParameters;
template <typename... P>
struct HandlerParameters<void (Scenario::*)(P...)> {
  using type = std::tuple<std::remove_cvref_t<P>...>;
};

// An operand of the instruction of opcode Code; TEXTN's speaker comes with
// the opcode, not from the bytes.
template <uint8_t Code, Operand K>
typename OperandValue<K>::type DecodeFor(Scenario& s, uint16_t& pc) {
  if constexpr (K == Operand::Speaker)
    return language::SpeakerOf(Code);
  else
    return s.Decode<K>(pc);
}

// Decodes the operands of opcode Code in the order of its layout (a braced
// list is evaluated left to right) and calls the handler with them.
template <auto Handler, uint8_t Code, std::size_t... I>
uint16_t Invoke(Scenario& s, uint16_t pc, std::index_sequence<I...>) {
  using Operands = std::tuple<typename OperandValue<kLayout<Code>[I]>::type...>;
  static_assert(std::is_same_v<typename HandlerParameters<decltype(Handler)>::type, Operands>,
                "a handler's parameters do not match the operand layout of its row");
  Operands args{DecodeFor<Code, kLayout<Code>[I]>(s, pc)...};
  s.inx = pc;
  std::apply([&s](auto&... a) { (s.*Handler)(a...); }, args);
  return s.inx;
}

template <auto Handler, uint8_t Code>
uint16_t Run(Scenario& s, uint16_t pc) {
  return Invoke<Handler, Code>(s, pc, std::make_index_sequence<kLayout<Code>.size()>{});
}

using Dispatch = std::array<ExecFn, 256>;

// A mnemonic as a template argument.
template <std::size_t N>
struct Mnemonic {
  char text[N];
  constexpr Mnemonic(const char (&s)[N]) { std::copy_n(s, N, text); }
  constexpr std::string_view view() const { return {text, N - 1}; }
};

// The opcodes of a mnemonic's rows (TEXTN has 19).
struct Codes {
  std::array<uint8_t, 256> code{};
  std::size_t count = 0;
};
constexpr Codes CodesOf(std::string_view mnemonic) {
  Codes c;
  for (const OpcodeRow& row : language::kOpcodeTable)
    if (row.listed() && std::string_view(row.mnemonic) == mnemonic) c.code[c.count++] = row.code;
  if (c.count == 0) throw "a handler for a mnemonic the language does not have";
  return c;
}

constexpr void Put(Dispatch& t, uint8_t code, ExecFn run) {
  // Evaluated at compile time: a second handler for one opcode stops the build.
  if (t[code] != nullptr) throw "two handlers for one opcode";
  t[code] = run;
}

// Handler runs the instructions of mnemonic M.
template <Mnemonic M, auto Handler>
struct On {
  static constexpr Codes kCodes = CodesOf(M.view());
  static constexpr void Place(Dispatch& t) {
    [&t]<std::size_t... I>(std::index_sequence<I...>) {
      (Put(t, kCodes.code[I], &Run<Handler, kCodes.code[I]>), ...);
    }(std::make_index_sequence<kCodes.count>{});
  }
};

uint16_t NoOperation(Scenario& s, uint16_t pc) {
  s.inx = pc;
  return pc;
}

template <typename... Handlers>
constexpr Dispatch Bind() {
  Dispatch t{};
  (Handlers::Place(t), ...);
  for (const OpcodeRow& row : language::kOpcodeTable) {
    // Evaluated at compile time: an instruction without a handler stops the build.
    if (row.listed() && t[row.code] == nullptr) throw "an instruction without a handler";
    if (!row.listed()) t[row.code] = &NoOperation;
  }
  return t;
}

// The handler of every instruction; the opcodes and layouts are the
// language's.
constexpr Dispatch kDispatch = Bind<
    On<"LET", &Scenario::Let>, On<"LETW", &Scenario::LetW>, On<"LETF", &Scenario::LetF>,
    On<"LETX", &Scenario::LetX>, On<"FLAG", &Scenario::Flag>, On<"FLAGW", &Scenario::FlagW>,
    On<"FLAGF", &Scenario::FlagF>, On<"FLAGX", &Scenario::FlagX>, On<"ADD", &Scenario::Add>,
    On<"ADDW", &Scenario::AddW>, On<"ADDF", &Scenario::AddF>, On<"ADDX", &Scenario::AddX>,
    On<"SUB", &Scenario::Sub>, On<"SUBW", &Scenario::SubW>, On<"SUBF", &Scenario::SubF>,
    On<"SUBX", &Scenario::SubX>, On<"JUMP", &Scenario::Jump>, On<"JUMPZ", &Scenario::JumpZ>,
    On<"SETF", &Scenario::SetF>, On<"CLRF", &Scenario::ClrF>, On<"NOTF", &Scenario::NotF>,
    On<"TEXT", &Scenario::Text>, On<"CLICK", &Scenario::Click>, On<"CHOICE", &Scenario::Choice>,
    On<"GOTO", &Scenario::Goto>, On<"CALL", &Scenario::Call>, On<"RETURN", &Scenario::Return>,
    On<"JUMPNF", &Scenario::JumpNF>, On<"JUMPF", &Scenario::JumpF>, On<"TEXTA", &Scenario::TextA>,
    On<"TEXTB", &Scenario::TextB>, On<"TEXTN", &Scenario::TextN>,
    On<"RANDOM", &Scenario::Random>, On<"MUSIC", &Scenario::Music>,
    On<"MUSICSTOP", &Scenario::MusicStop>, On<"MUSICONCE", &Scenario::MusicOnce>,
    On<"LOADMENU", &Scenario::LoadMenu>, On<"SAVEMENU", &Scenario::SaveMenu>,
    On<"PICTURE", &Scenario::Picture>, On<"NAMEHERO", &Scenario::NameHero>,
    On<"NAMEPARTNER", &Scenario::NamePartner>, On<"ANIME", &Scenario::Anime>,
    On<"HITMAP", &Scenario::HitMap>, On<"CURSORBACK", &Scenario::CursorBack>,
    On<"STATUS", &Scenario::Status>, On<"STATUSSET", &Scenario::StatusSet>,
    On<"LAYOUT0", &Scenario::Layout0>, On<"LAYOUT1", &Scenario::Layout1>,
    On<"STATUS2", &Scenario::Status>, On<"FADEWHITE", &Scenario::FadeWhite>,
    On<"FADEBLACK", &Scenario::FadeBlack>, On<"SCALEON", &Scenario::ScaleOn>,
    On<"SCALEOFF", &Scenario::ScaleOff>, On<"WAIT", &Scenario::Wait>,
    On<"LOADSYSTEM", &Scenario::LoadSystem>, On<"SKIPW", &Scenario::SkipW>,
    On<"END", &Scenario::End>>();

}  // namespace

void Scenario::RunInstructions() {
  running_ = true;
  // The program counter and the count of instructions run are kept in
  // locals (in the object, each instruction would wait for the store of the
  // one before it); inx is set by each instruction. Each instruction costs
  // one unit of work; what else it is charged (a long operand, a call out
  // to the game, a file) goes into work_ as it happens.
  uint32_t ran = 0;
  work_ = 0;
  struct Count {  // the instructions join work_ however the tick ends
    Scenario& s;
    const uint32_t& ran;
    ~Count() { s.work_ += ran; }
  } count{*this, ran};
  // The budget and the watcher's runaway mark are one threshold in the loop;
  // reaching it says which of the two it was.
  uint32_t runaway_at = OnRunaway ? kRunawayWork : UINT32_MAX;
  uint32_t stop_at = std::min(instruction_limit_, runaway_at);
  for (uint16_t pc = inx;; ++ran) {
    current_at_ = pc;
    current_level_ = CallDepth;
    if (ran + work_ >= stop_at) [[unlikely]] {
      if (ran + work_ >= instruction_limit_) {
        ReportNotResponding();
        return;
      }
      runaway_at = UINT32_MAX;
      stop_at = instruction_limit_;
      OnRunaway();
      pc = current_at_ = inx;  // as the loop always did, it goes on where inx is
    }
    if (watched_) [[unlikely]] {
      if (gate_ != nullptr && gate_->HoldBefore()) return;
      if (trace_) TraceInstruction(pc);
      pc = current_at_ = inx;
    }
    pc = kDispatch[snx[pc]](*this, static_cast<uint16_t>(pc + 1));
    if (MainProc != WaitHandler::None) return;
  }
}

}  // namespace velmor::scenario
