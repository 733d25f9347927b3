// The opcode table and the compile-time decoding that feeds each handler its
// operands in the order the layout gives.
#include <algorithm>
#include <cctype>
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

constexpr std::array<OpcodeInfo, 256> BuildTable() {
  std::array<OpcodeInfo, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = OpcodeInfo{static_cast<uint8_t>(i), nullptr, {}, &NoOperation};

  t[0] = Op<&Scenario::Let, Var, Word>(0, "LET");
  t[1] = Op<&Scenario::LetW, Var, Var>(1, "LETW");
  t[2] = Op<&Scenario::LetF, Var, Flag>(2, "LETF");
  t[3] = Op<&Scenario::LetX, Var, Expr>(3, "LETX");
  t[4] = Op<&Scenario::Flag, Flag, Word>(4, "FLAG");
  t[5] = Op<&Scenario::FlagW, Flag, Var>(5, "FLAGW");
  t[6] = Op<&Scenario::FlagF, Flag, Flag>(6, "FLAGF");
  t[7] = Op<&Scenario::FlagX, Flag, Expr>(7, "FLAGX");
  t[8] = Op<&Scenario::Add, Var, Word>(8, "ADD");
  t[9] = Op<&Scenario::AddW, Var, Var>(9, "ADDW");
  t[10] = Op<&Scenario::AddF, Var, Flag>(10, "ADDF");
  t[11] = Op<&Scenario::AddX, Var, Expr>(11, "ADDX");
  t[12] = Op<&Scenario::Sub, Var, Word>(12, "SUB");
  t[13] = Op<&Scenario::SubW, Var, Var>(13, "SUBW");
  t[14] = Op<&Scenario::SubF, Var, Flag>(14, "SUBF");
  t[15] = Op<&Scenario::SubX, Var, Expr>(15, "SUBX");
  t[16] = Op<&Scenario::Jump, Addr>(16, "JUMP");
  t[17] = Op<&Scenario::JumpZ, Expr, Addr>(17, "JUMPZ");
  t[18] = Op<&Scenario::SetF, Flag>(18, "SETF");
  t[19] = Op<&Scenario::ClrF, Flag>(19, "CLRF");
  t[20] = Op<&Scenario::NotF, Flag>(20, "NOTF");
  t[21] = Op<&Scenario::Text, Message>(21, "TEXT");
  t[22] = Op<&Scenario::Click>(22, "CLICK");
  t[23] = Op<&Scenario::Choice, Var, Choices>(23, "CHOICE");
  t[24] = Op<&Scenario::Goto, Str>(24, "GOTO");
  t[25] = Op<&Scenario::Call, Str>(25, "CALL");
  t[26] = Op<&Scenario::Return>(26, "RETURN");
  t[27] = Op<&Scenario::JumpNF, Flag, Addr>(27, "JUMPNF");
  t[28] = Op<&Scenario::JumpF, Flag, Addr>(28, "JUMPF");
  t[29] = Op<&Scenario::TextA, Message>(29, "TEXTA");
  t[30] = Op<&Scenario::TextB, Message>(30, "TEXTB");
  t[31] = Op<&Scenario::Random, Word, Var>(31, "RANDOM");
  t[32] = Op<&Scenario::Music, Str>(32, "MUSIC");
  t[33] = Op<&Scenario::MusicStop>(33, "MUSICSTOP");
  t[34] = Op<&Scenario::MusicOnce>(34, "MUSICONCE");
  t[37] = Op<&Scenario::LoadMenu, Var, Var>(37, "LOADMENU");
  t[38] = Op<&Scenario::SaveMenu, Var, Var>(38, "SAVEMENU");
  t[40] = Op<&Scenario::Picture, Str>(40, "PICTURE");
  t[44] = Op<&Scenario::NameHero>(44, "NAMEHERO");
  t[45] = Op<&Scenario::NamePartner>(45, "NAMEPARTNER");
  t[46] = Op<&Scenario::Anime, Byte>(46, "ANIME");
  t[48] = Op<&Scenario::HitMap, Var, Str, Byte, Byte>(48, "HITMAP");
  t[49] = Op<&Scenario::CursorBack>(49, "CURSORBACK");
  t[51] = Op<&Scenario::Status>(51, "STATUS");
  t[52] = Op<&Scenario::StatusSet, StatusVars>(52, "STATUSSET");
  for (int op = 53; op <= 71; ++op)
    t[op] = Op<&Scenario::TextN, Speaker, Message>(static_cast<uint8_t>(op), "TEXTN");
  t[100] = Op<&Scenario::Layout0>(100, "LAYOUT0");
  t[101] = Op<&Scenario::Layout1>(101, "LAYOUT1");
  t[102] = Op<&Scenario::Status>(102, "STATUS2");
  t[103] = Op<&Scenario::FadeWhite>(103, "FADEWHITE");
  t[104] = Op<&Scenario::FadeBlack>(104, "FADEBLACK");
  t[105] = Op<&Scenario::ScaleOn>(105, "SCALEON");
  t[106] = Op<&Scenario::ScaleOff>(106, "SCALEOFF");
  t[107] = Op<&Scenario::Wait, Byte>(107, "WAIT");
  t[108] = Op<&Scenario::LoadSystem>(108, "LOADSYSTEM");
  t[254] = Op<&Scenario::SkipW, Word>(254, "SKIPW");
  t[255] = Op<&Scenario::End>(255, "END");
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

void Scenario::RunInstructions() {
  for (work_ = 0;; ++work_) {
    if (work_ >= instruction_limit_) [[unlikely]] {
      ReportNotResponding();
      return;
    }
    if (trace_) [[unlikely]]
      TraceInstruction(inx);
    current_op_ = FetchByte();
    kTable[current_op_].exec(*this);
    if (MainProc != WaitHandler::None) return;
  }
}

}  // namespace velmor::scenario
