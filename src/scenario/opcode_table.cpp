// The opcode table and the compile-time decoding that feeds each handler its
// operands in the order the layout gives.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <tuple>

#include "scenario/opcodes.h"
#include "scenario/scenario.h"

namespace velmor::scenario {
namespace {

using enum Operand;

// Decodes the operands of Kinds in order (a braced list is evaluated left to
// right) and calls the handler with them.
template <auto Handler, Operand... Kinds>
void Invoke(Scenario& s) {
  std::tuple<typename OperandValue<Kinds>::type...> args{s.Decode<Kinds>()...};
  std::apply([&s](auto&... a) { (s.*Handler)(a...); }, args);
}

template <Operand... Kinds>
struct Layout {
  static constexpr std::array<Operand, sizeof...(Kinds)> kinds{Kinds...};
};

template <auto Handler, Operand... Kinds>
constexpr OpcodeInfo Op(uint8_t code, const char* mnemonic) {
  return OpcodeInfo{code, mnemonic, std::span<const Operand>(Layout<Kinds...>::kinds),
                    &Invoke<Handler, Kinds...>};
}

void NoOperation(Scenario&) {}

// One row an instruction, its opcode written once.
constexpr OpcodeInfo kRows[] = {
    Op<&Scenario::Let, Var, Word>(0, "LET"),
    Op<&Scenario::LetW, Var, Var>(1, "LETW"),
    Op<&Scenario::LetF, Var, Flag>(2, "LETF"),
    Op<&Scenario::LetX, Var, Expr>(3, "LETX"),
    Op<&Scenario::Flag, Flag, Word>(4, "FLAG"),
    Op<&Scenario::FlagW, Flag, Var>(5, "FLAGW"),
    Op<&Scenario::FlagF, Flag, Flag>(6, "FLAGF"),
    Op<&Scenario::FlagX, Flag, Expr>(7, "FLAGX"),
    Op<&Scenario::Add, Var, Word>(8, "ADD"),
    Op<&Scenario::AddW, Var, Var>(9, "ADDW"),
    Op<&Scenario::AddF, Var, Flag>(10, "ADDF"),
    Op<&Scenario::AddX, Var, Expr>(11, "ADDX"),
    Op<&Scenario::Sub, Var, Word>(12, "SUB"),
    Op<&Scenario::SubW, Var, Var>(13, "SUBW"),
    Op<&Scenario::SubF, Var, Flag>(14, "SUBF"),
    Op<&Scenario::SubX, Var, Expr>(15, "SUBX"),
    Op<&Scenario::Jump, Addr>(16, "JUMP"),
    Op<&Scenario::JumpZ, Expr, Addr>(17, "JUMPZ"),
    Op<&Scenario::SetF, Flag>(18, "SETF"),
    Op<&Scenario::ClrF, Flag>(19, "CLRF"),
    Op<&Scenario::NotF, Flag>(20, "NOTF"),
    Op<&Scenario::Text, Message>(21, "TEXT"),
    Op<&Scenario::Click>(22, "CLICK"),
    Op<&Scenario::Choice, Var, Choices>(23, "CHOICE"),
    Op<&Scenario::Goto, Str>(24, "GOTO"),
    Op<&Scenario::Call, Str>(25, "CALL"),
    Op<&Scenario::Return>(26, "RETURN"),
    Op<&Scenario::JumpNF, Flag, Addr>(27, "JUMPNF"),
    Op<&Scenario::JumpF, Flag, Addr>(28, "JUMPF"),
    Op<&Scenario::TextA, Message>(29, "TEXTA"),
    Op<&Scenario::TextB, Message>(30, "TEXTB"),
    Op<&Scenario::Random, Word, Var>(31, "RANDOM"),
    Op<&Scenario::Music, Str>(32, "MUSIC"),
    Op<&Scenario::MusicStop>(33, "MUSICSTOP"),
    Op<&Scenario::MusicOnce>(34, "MUSICONCE"),
    Op<&Scenario::LoadMenu, Var, Var>(37, "LOADMENU"),
    Op<&Scenario::SaveMenu, Var, Var>(38, "SAVEMENU"),
    Op<&Scenario::Picture, Str>(40, "PICTURE"),
    Op<&Scenario::NameHero>(44, "NAMEHERO"),
    Op<&Scenario::NamePartner>(45, "NAMEPARTNER"),
    Op<&Scenario::Anime, Byte>(46, "ANIME"),
    Op<&Scenario::HitMap, Var, Str, Byte, Byte>(48, "HITMAP"),
    Op<&Scenario::CursorBack>(49, "CURSORBACK"),
    Op<&Scenario::Status>(51, "STATUS"),
    Op<&Scenario::StatusSet, StatusVars>(52, "STATUSSET"),
    Op<&Scenario::Layout0>(100, "LAYOUT0"),
    Op<&Scenario::Layout1>(101, "LAYOUT1"),
    Op<&Scenario::Status>(102, "STATUS2"),
    Op<&Scenario::FadeWhite>(103, "FADEWHITE"),
    Op<&Scenario::FadeBlack>(104, "FADEBLACK"),
    Op<&Scenario::ScaleOn>(105, "SCALEON"),
    Op<&Scenario::ScaleOff>(106, "SCALEOFF"),
    Op<&Scenario::Wait, Byte>(107, "WAIT"),
    Op<&Scenario::LoadSystem>(108, "LOADSYSTEM"),
    Op<&Scenario::SkipW, Word>(254, "SKIPW"),
    Op<&Scenario::End>(255, "END"),
};

// TEXTN: one instruction for the speakers 3..21, opcodes 53..71.
constexpr uint8_t kFirstTextN = 53, kLastTextN = 71;

constexpr std::array<OpcodeInfo, 256> BuildTable() {
  std::array<OpcodeInfo, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = OpcodeInfo{static_cast<uint8_t>(i), nullptr, {}, &NoOperation};
  auto place = [&t](const OpcodeInfo& row) {
    // Evaluated at compile time: a second row for one opcode stops the build.
    if (t[row.code].listed()) throw "two rows for one opcode";
    t[row.code] = row;
  };
  for (const OpcodeInfo& row : kRows) place(row);
  for (int op = kFirstTextN; op <= kLastTextN; ++op)
    place(Op<&Scenario::TextN, Speaker, Message>(static_cast<uint8_t>(op), "TEXTN"));
  return t;
}

constexpr std::array<OpcodeInfo, 256> kTable = BuildTable();

}  // namespace

const OpcodeInfo& OpcodeAt(uint8_t code) { return kTable[code]; }

const OpcodeInfo* FindOpcode(std::string_view mnemonic) {
  auto same = [mnemonic](const char* m) {
    std::string_view s(m);
    return s.size() == mnemonic.size() &&
           std::equal(s.begin(), s.end(), mnemonic.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) ==
                    std::toupper(static_cast<unsigned char>(b));
           });
  };
  for (const OpcodeInfo& e : kTable)
    if (e.listed() && same(e.mnemonic)) return &e;
  return nullptr;
}

std::vector<const OpcodeInfo*> ListedOpcodes() {
  std::vector<const OpcodeInfo*> out;
  for (const OpcodeInfo& e : kTable)
    if (e.listed()) out.push_back(&e);
  return out;
}

bool EndsPath(const OpcodeInfo& info) {
  for (const char* m : {"JUMP", "END", "RETURN", "GOTO"})
    if (&info == FindOpcode(m)) return true;
  return false;
}

void Scenario::RunInstructions() {
  running_ = true;
  uint32_t runaway_at = OnRunaway ? kRunawayWork : UINT32_MAX;
  for (work_ = 0;; ++work_) {
    current_at_ = inx;
    current_level_ = CallDepth;
    if (work_ >= instruction_limit_) [[unlikely]] {
      ReportNotResponding();
      return;
    }
    if (work_ >= runaway_at) [[unlikely]] {
      runaway_at = UINT32_MAX;
      OnRunaway();
    }
    if (gate_ != nullptr) [[unlikely]]
      if (gate_->HoldBefore()) return;
    if (trace_) [[unlikely]]
      TraceInstruction(inx);
    current_op_ = FetchByte();
    kTable[current_op_].exec(*this);
    if (MainProc != WaitHandler::None) return;
  }
}

}  // namespace velmor::scenario
