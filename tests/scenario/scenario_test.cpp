// The scenario engine: the image (operand readers, string operands, flags,
// files, the call stack), the expression evaluator, the instructions and the
// wait protocol.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

#include "core/sjis.h"
#include "support/assembly.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;
using Texts = std::vector<std::string>;

Code E() { return Code(); }

// --- The image ---

TEST(OperandReaders, FetchByteAndWordAdvanceAndWrap) {
  ScenarioRig rig;
  rig.Load({0x34, 0x12, 0x7F});
  EXPECT_EQ(rig.scn.FetchWord(), 0x1234);
  EXPECT_EQ(rig.scn.FetchByte(), 0x7F);
  EXPECT_EQ(rig.scn.inx, 3);
  rig.scn.snx[0xFFFF] = 0xCD;  // the program counter wraps at the end of the image
  rig.scn.inx = 0xFFFF;
  EXPECT_EQ(rig.scn.FetchWord(), 0x34CD);
  EXPECT_EQ(rig.scn.inx, 1);
}

TEST(OperandReaders, ReadString) {
  struct Case {
    const char* what;
    std::vector<uint8_t> operand;
    std::string expected;
    uint16_t consumed;
  };
  const Case cases[] = {
      {"name code between letters", {0x41, 0x10, 0x42, 0x00}, "A\x83\x4A\x83\x69\x83\x6E" "B", 4},
      {"last name code", {0x1F, 0x00}, "XYZ", 2},
      {"lead byte takes a 0 as its trail", {0x82, 0x00, 0x00}, std::string("\x82\0", 2), 3},
      {"colour code takes its parameter", {0x03, 0x00, 0x41, 0x00}, std::string("\x03\0A", 3), 4},
      {"size code keeps its parameter", {0x04, 0x18, 0x00}, "\x04\x18", 3},
      {"control codes pass through", {0x01, 0x02, 0x05, 0x00}, "\x01\x02\x05", 4},
      {"empty", {0x00}, "", 1},
      {"long string is cut at 255 but fully read", E().s(std::string(300, 'a')).bytes,
       std::string(255, 'a'), 301},
      // 20 x 16 bytes of names: the 16th copy is cut after 15 bytes.
      {"names overflowing are cut", E().s(std::string(20, 0x11)).bytes, std::string(255, 'n'), 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScenarioRig rig;
    rig.scn.mcr[0] = Sstr("\x83\x4A\x83\x69\x83\x6E");  // a 6-byte name
    rig.scn.mcr[1] = Sstr(std::string(16, 'n'));
    rig.scn.mcr[15] = Sstr("XYZ");
    rig.Load(c.operand);
    EXPECT_EQ(rig.scn.ReadString().str(), c.expected);
    EXPECT_EQ(rig.scn.inx, c.consumed);
  }
}

TEST(Flags, NumberingAtTheEdges) {
  ScenarioRig rig;
  const auto* bytes = reinterpret_cast<const uint8_t*>(rig.scn.flag.data());
  rig.scn.SetFlag(0, 1);
  rig.scn.SetFlag(15, 7);  // any non-zero value sets
  rig.scn.SetFlag(4095, 1);
  EXPECT_EQ(std::tuple(+bytes[0], +bytes[1], +bytes[511]), std::tuple(0x01, 0x80, 0x80));
  EXPECT_EQ(std::tuple(rig.scn.TestFlag(4095), rig.scn.TestFlag(4094)), std::tuple(1, 0));
  rig.scn.SetFlag(15, 0);
  EXPECT_EQ(std::tuple(rig.scn.TestFlag(15), rig.scn.TestFlag(0)), std::tuple(0, 1));
}

// Numbers out of range, a missing file, one larger than the image, a
// RETURN at the top level: each ends the program with one error box that
// says what went wrong, the image and the call stack as they were.
TEST(ImageFaults, EndTheProgramWithAnErrorBox) {
  const std::pair<std::function<void(ScenarioRig&)>, std::string> cases[] = {
      {[](ScenarioRig& r) { r.scn.SetFlag(4096, 1); }, Sjis("範囲外のフラグ指定").str()},
      {[](ScenarioRig& r) { (void)r.scn.TestFlag(4096); }, Sjis("範囲外のフラグ指定").str()},
      {[](ScenarioRig& r) { (void)r.scn.Work(256); }, "256"},
      {[](ScenarioRig& r) { r.scn.LoadScenario("HUGE"); }, "65537"},
      {[](ScenarioRig& r) { r.scn.LoadScenario("NOPE"); }, "DATA/SNX/NOPE.SNX"},
      {[](ScenarioRig& r) { r.scn.ReturnScenario(); }, "FULL"},
  };
  for (const auto& [act, text] : cases) {
    SCOPED_TRACE(text);
    ScenarioRig rig;
    rig.PutScenario("HUGE", std::vector<uint8_t>(65537, 1));
    rig.PutScenario("FULL", std::vector<uint8_t>(65536, 2));
    EXPECT_NO_THROW(rig.scn.LoadScenario("FULL"));
    EXPECT_NO_THROW(rig.scn.Work(255) = 1);
    EXPECT_THROW(act(rig), QuitSignal);
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    const auto& box = rig.dialogs.Boxes()[0];
    EXPECT_NE(box.text.find(text), std::string::npos);
    EXPECT_EQ(std::tuple(box.kind, rig.host.quit, +rig.scn.snx[65535], +rig.scn.CallDepth),
              std::tuple(platform::MessageKind::Error, true, 2, 0));
  }
}

// A file is found whatever the letter case of its name, kept as written;
// bytes past its end keep what the file before left there.
TEST(ScenarioFiles, LoadingKeepsTheOldBytesPastTheNewFile) {
  ScenarioRig rig;
  rig.PutScenario("BIG", std::vector<uint8_t>(1000, 0xAA));
  rig.files.Put("data/snx/small.snx", std::vector<uint8_t>(100, 0x55));
  rig.scn.LoadScenario("BIG");
  rig.scn.inx = 77;
  rig.scn.LoadScenario("SMALL");
  const auto& s = rig.scn;
  EXPECT_EQ(std::tuple(s.inx, s.snx[99], s.snx[100], s.snx[999], s.snx[1000], s.CallFile[0].str()),
            std::tuple(0, 0x55, 0xAA, 0xAA, 0x00, "SMALL"));
}

// The caller is read from its file again and goes on just past the call.
TEST(CallStack, CallAndReturnRestoreTheCallerAndItsOffset) {
  ScenarioRig rig;
  // MAIN: CALL "SUB"; LET work[1], 7; END.  SUB: LET work[2], 9; RETURN.
  rig.PutScenario("MAIN", Code().b(25).s("SUB").b(0).w(1).w(7).b(255).bytes);
  rig.PutScenario("SUB", Code().b(0).w(2).w(9).b(26).bytes);
  rig.scn.LoadScenario("MAIN");
  EXPECT_FALSE(rig.Step());  // runs to END
  const auto& s = rig.scn;
  EXPECT_EQ(std::tuple(s.work[1], s.work[2], +s.CallDepth, s.CallFile[0].str(), s.ReturnInx[0]),
            std::tuple(7, 9, 0, "MAIN", 5));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

// Seven nested calls are the deepest a scenario may go; the slot reader may
// bracket even the deepest.
TEST(CallStack, SeventhNestedCallIsTheDeepest) {
  ScenarioRig rig;
  rig.PutScenario("S", {255});
  rig.scn.LoadScenario("S");
  for (int level = 1; level <= 7; ++level) rig.scn.CallScenario("S");
  EXPECT_EQ(rig.scn.CallDepth, 7);
  rig.scn.inx = 3;
  rig.scn.EnterCall(true);
  EXPECT_EQ(rig.scn.CallDepth, 8);
  rig.scn.ReturnScenario();
  EXPECT_EQ(std::tuple(+rig.scn.CallDepth, rig.scn.inx), std::tuple(7, uint16_t{3}));
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  EXPECT_THROW(rig.scn.CallScenario("S"), QuitSignal);
  EXPECT_EQ(std::tuple(rig.dialogs.Boxes().size(), +rig.scn.CallDepth), std::tuple(size_t{1}, 7));
}

// --- Expressions ---

// What each expression gives, with work[4] -5, work[5] -7 and flag[12] set.
// A faulty one writes one text in the corner and goes on: leftover values
// (the top is the result), an undefined code (it drops one value), a stack
// emptied or overflowed (never read or written out of bounds).
TEST(ExpressionTable, Evaluates) {
  const Texts invalid{Sjis("不正な計算式です。").str()};
  Code overflow;
  for (int i = 0; i < 300; ++i) overflow.push(static_cast<uint16_t>(i));
  for (int i = 0; i < 299; ++i) overflow.b(1);
  struct Case {
    const char* what;
    Code code;
    std::optional<int16_t> expected;  // none: whatever is left on top
    Texts corner = {};
  };
  const Case cases[] = {
      {"sub", E().push(5).push(3).b(9).end(), 2}, {"lt_true", E().push(3).push(5).b(3).end(), 1},
      {"le", E().push(3).push(3).b(5).end(), 1}, {"ge", E().push(2).push(3).b(6).end(), 0},
      {"signed_compare", E().pushw(4).push(0).b(3).end(), 1},
      {"word_is_unsigned", E().push(0xFFFF).push(0).b(4).end(), 1},
      {"or", E().push(0x0F0).push(0x00F).b(10).end(), 0x0FF},
      {"and", E().push(0x0FF).push(0x00F).b(15).end(), 0x00F},
      {"mul_wraps_to_zero", E().push(256).push(256).b(12).end(), 0},
      {"div_truncates", E().pushw(5).push(2).b(13).end(), -3},
      {"mod_sign_of_a", E().pushw(5).push(2).b(14).end(), -1},
      {"shl_count_mod_32", E().push(1).push(36).b(16).end(), 16},
      {"shr_is_logical", E().pushw(4).push(28).b(17).end(), 15},
      {"abs", E().pushw(4).b(18).end(), 5}, {"not", E().push(0).b(20).end(), -1},
      {"flag", E().pushf(12).pushf(13).b(8).end(), 1}, {"drop", E().push(9).push(1).b(1).end(), 9},
      {"result_is_low_16_bits", E().push(0xFFFF).push(2).b(8).end(), 1},
      {"leftover", E().push(1).push(2).end(), 2, invalid},
      {"undefined code", E().push(4).push(9).b(30).push(2).b(8).end(), 6,
       {Sjis("シナリオプログラムでのバグです。").str()}},
      {"empty stack", E().b(8).end(), 0, invalid},
      {"overflow", overflow.end(), std::nullopt, invalid},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScenarioRig rig;
    rig.scn.work[4] = -5;
    rig.scn.work[5] = -7;
    rig.scn.SetFlag(12, 1);
    const int16_t result = rig.Eval(c.code.bytes);
    EXPECT_EQ(result, c.expected.value_or(result));
    EXPECT_EQ(rig.scn.inx, c.code.bytes.size());
    EXPECT_EQ(rig.window.CornerTexts(), c.corner);
  }
}

// One value, or two values and a binary operator, are computed without the
// value stack: each shape against the same value carried through the stack
// (" + 0" added), of every kind of value and every binary operator, with the
// charge of the bytes read and the program counter after it.
TEST(Expression, TheShortShapesAgreeWithTheValueStack) {
  const std::pair<uint8_t, uint16_t> values[] = {
      {21, 0}, {21, 7}, {21, 0x8000}, {21, 0xFFFF}, {22, 4}, {22, 5}, {22, 6}, {23, 12}, {23, 13}};
  auto eval = [](const Code& c, int32_t* charged) {
    ScenarioRig rig;
    rig.scn.work[4] = -5;
    rig.scn.work[5] = 31;
    rig.scn.work[6] = -32768;
    rig.scn.SetFlag(12, 1);
    const int16_t v = rig.Eval(c.bytes);
    EXPECT_EQ(rig.scn.inx, c.bytes.size());
    EXPECT_TRUE(rig.window.CornerTexts().empty());
    *charged = static_cast<int32_t>(rig.scn.WorkThisTick());
    return v;
  };
  int32_t short_charge = 0, stack_charge = 0;
  for (auto [kind, word] : values) {
    SCOPED_TRACE(::testing::Message() << "value " << int{kind} << " " << word);
    const int16_t alone = eval(E().b(kind).w(word).end(), &short_charge);
    EXPECT_EQ(alone, eval(E().b(kind).w(word).push(0).b(8).end(), &stack_charge));
    EXPECT_EQ(std::pair(short_charge, stack_charge), std::pair(4, 8));
    for (auto [kind2, word2] : values)
      for (uint8_t op = 2; op <= 17; ++op) {
        const bool by_zero = kind2 == 21 ? word2 == 0 : kind2 == 23 && word2 != 12;
        if ((op == 13 || op == 14) && by_zero) continue;  // DivisionFaults... below
        SCOPED_TRACE(::testing::Message() << "op " << int{op} << " with " << int{kind2} << " "
                                          << word2);
        const Code two = E().b(kind).w(word).b(kind2).w(word2).b(op).end();
        const int16_t r = eval(two, &short_charge);
        EXPECT_EQ(r, eval(E().b(kind).w(word).b(kind2).w(word2).b(op).push(0).b(8).end(),
                          &stack_charge));
        EXPECT_EQ(std::pair(short_charge, stack_charge), std::pair(8, 12));
      }
  }
}

// The short shapes are read in one piece where they lie inside the image;
// one that runs round its end to its start is read byte by byte: the same
// value, charge and program counter (wrapped) wherever it starts.
TEST(Expression, ShapesRunningRoundTheImagesEndGiveTheSame) {
  const Code shapes[] = {E().push(0x1234).end(),           E().b(22).w(4).end(),
                         E().b(23).w(12).end(),            E().b(22).w(4).push(3).b(12).end(),
                         E().b(23).w(12).b(22).w(5).b(9).end(), E().push(7).push(9).b(3).end()};
  for (const Code& shape : shapes) {
    const std::vector<uint8_t>& bytes = shape.bytes;
    auto eval_at = [&bytes](uint16_t at, uint32_t* charged) {
      ScenarioRig rig;
      rig.scn.work[4] = -5;
      rig.scn.work[5] = 31;
      rig.scn.SetFlag(12, 1);
      for (std::size_t i = 0; i < bytes.size(); ++i)
        rig.scn.snx[static_cast<uint16_t>(at + i)] = bytes[i];
      rig.scn.inx = at;
      const int16_t v = rig.scn.Evaluate();
      EXPECT_EQ(rig.scn.inx, static_cast<uint16_t>(at + bytes.size()));
      *charged = rig.scn.WorkThisTick();
      return v;
    };
    uint32_t at_start = 0, charged = 0;
    const int16_t expected = eval_at(0, &at_start);
    for (uint16_t at : {65520, 65528, 65529, 65531, 65532, 65535}) {
      SCOPED_TRACE(::testing::Message() << bytes.size() << " bytes at " << at);
      EXPECT_EQ(eval_at(at, &charged), expected);
      EXPECT_EQ(charged, at_start);
    }
  }
}

TEST(Expression, EndlessExpressionStopsInsteadOfLooping) {
  ScenarioRig rig;
  // drop, drop, drop... never an end code
  EXPECT_EQ(rig.Eval(std::vector<uint8_t>(scenario::kImageSize, 1)), 0);
  EXPECT_EQ(rig.window.CornerTexts().size(), 1u);
}

// A fault every tick for as long as the game runs: the headless window keeps
// only the newest corner texts.
TEST(Expression, AFaultEveryTickKeepsOnlyTheNewestCornerTexts) {
  ScenarioRig rig;
  const std::vector<uint8_t> fault = E().push(4).push(9).b(30).push(2).b(8).end().bytes;
  rig.scn.MainProc = WaitHandler::WaitClick;  // each step only waits
  for (int tick = 0; tick < 500; ++tick) {
    rig.scn.RunStep();  // a new tick: the same text is drawn again
    rig.Eval(fault);
  }
  const auto& kept = rig.window.CornerTexts();
  EXPECT_EQ(kept.size(), platform::HeadlessWindow::kCornerTextsKept);
  EXPECT_EQ(kept.back(), Sjis("シナリオプログラムでのバグです。").str());
}

// Division by 0, and -2147483648 div -1 (built as (0x8000 << 16) div (0 - 1)).
TEST(Expression, DivisionFaultsAreReportedAndEnd) {
  for (const Code& c : {E().push(1).push(0).b(13).end(), E().push(1).push(0).b(14).end(),
                        E().push(0x8000).push(16).b(16).push(0).push(1).b(9).b(13).end()}) {
    ScenarioRig rig;
    EXPECT_THROW(rig.Eval(c.bytes), QuitSignal);
    EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_TRUE(rig.host.quit);
  }
}

TEST(Expression, ALoopOfFaultyExpressionsWritesEachTextOnceATick) {
  ScenarioRig rig;
  // L: FLAGX flag[1], {} (nothing to pop); JUMPZ {1 #30}, L -- never waits.
  rig.Load(Code().b(7).w(1).end().b(17).push(1).b(30).end().w(0).bytes);
  rig.scn.SetInstructionLimit(10000);
  rig.Step();
  EXPECT_EQ(rig.window.CornerTexts().size(), 2u);
  rig.Step();
  EXPECT_EQ(rig.window.CornerTexts().size(), 4u);
}

// --- Instructions ---

// What each snippet leaves in work[1]: 10 before (work[2] is -3, work[3] 5,
// flag[9] and flag[21] are set), 2 when it jumps to `target`.
TEST(Families, ArithmeticFlagsAndJumps) {
  const std::pair<const char*, int16_t> cases[] = {
      {"LET work[1], 42", 42}, {"LET work[1], 65535", -1}, {"LETW work[1], work[2]", -3},
      {"LETF work[1], flag[9]", 1}, {"LETX work[1], 6 * 7", 42}, {"ADD work[1], 5", 15},
      {"LET work[1], 32767\n ADD work[1], 1", -32768}, {"ADDW work[1], work[2]", 7},
      {"ADDF work[1], flag[9]", 11}, {"ADDX work[1], 100", 110}, {"SUB work[1], 11", -1},
      {"SUBW work[1], work[2]", 13}, {"SUBF work[1], flag[9]", 9}, {"SUBX work[1], work[2]", 13},
      {"FLAG flag[20], 2\n LETF work[1], flag[20]", 1},
      {"SETF flag[20]\n FLAG flag[20], 0\n LETF work[1], flag[20]", 0},
      {"FLAGW flag[20], work[3]\n LETF work[1], flag[20]", 1},
      {"FLAGF flag[20], flag[21]\n LETF work[1], flag[20]", 1},
      {"SETF flag[20]\n FLAGF flag[20], flag[22]\n LETF work[1], flag[20]", 0},
      {"FLAGX flag[20], 1 == 1\n LETF work[1], flag[20]", 1},
      {"SETF flag[20]\n CLRF flag[20]\n LETF work[1], flag[20]", 0},
      {"NOTF flag[20]\n LETF work[1], flag[20]", 1},
      {"SETF flag[20]\n NOTF flag[20]\n LETF work[1], flag[20]", 0},
      {"JUMP target", 2}, {"JUMPZ 0, target", 2}, {"JUMPZ 5, target", 10},
      {"JUMPZ 256 * 256, target", 2},  // 65536 is 0 in 16 bits
      {"JUMPNF flag[20], target", 2}, {"JUMPNF flag[9], target", 10},
      {"JUMPF flag[9], target", 2}, {"JUMPF flag[20], target", 10},
  };
  for (const auto& [source, expected] : cases) {
    SCOPED_TRACE(source);
    ScenarioRig rig;
    rig.scn.work[1] = 10;
    rig.scn.work[2] = -3;
    rig.scn.work[3] = 5;
    rig.scn.SetFlag(9, 1);
    rig.scn.SetFlag(21, 1);
    rig.Load(Assembled(std::string(source) + "\n END\ntarget:\n LET work[1], 2\n END\n"));
    EXPECT_FALSE(rig.Step());
    EXPECT_EQ(rig.scn.work[1], expected);
  }
}

TEST(Instructions, UnlistedOpcodesAreOneByteNoOpsAndEndQuitsWithoutAQuestion) {
  ScenarioRig rig;
  Code c;
  for (uint8_t op : {35, 36, 39, 41, 42, 43, 47, 50, 72, 99, 109, 200, 253}) c.b(op);
  rig.Load(c.b(0).w(1).w(9).b(255).bytes);
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(rig.scn.work[1], 9);
  EXPECT_EQ(rig.host.calls, Texts{"Quit"});
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

// What the instructions hand to the host, in order, their operands decoded:
// name codes expanded, a message's text fetched from its address, the
// speaker from the opcode, at most seven options (an empty first one
// counts), the panels' prompts.
TEST(Instructions, HandTheirDecodedOperandsToTheHost) {
  ScenarioRig rig;
  rig.scn.mcr[1] = Sstr("pa");
  rig.scn.mcr[2] = Sstr("NM");
  rig.host.install_waits = false;
  Code c;
  c.b(32).s("M01").b(33).b(34).b(49)      // MUSIC, MUSICSTOP, MUSICONCE, CURSORBACK
      .b(51).b(102).b(100).b(101)         // STATUS, STATUS2, LAYOUT0/1
      .b(103).b(104).b(105).b(106).b(108)  // FADEWHITE/BLACK, SCALEON/OFF, LOADSYSTEM
      .b(40).s("BG\x12")                  // PICTURE, with a name code
      .b(46).b(7)                         // ANIME
      .b(48).w(9).s("MAP").b(6).b(10)     // HITMAP
      .b(44).b(45).b(37).w(3).w(4).b(38).w(5).w(6);  // the name and save panels
  c.b(21).b(1).s("A").b(29).b(1).s("B").b(30).b(1).s("C");  // TEXT, TEXTA, TEXTB inline
  c.b(53).b(1).s("D").b(71).b(3);  // TEXTN speaker 3; speaker 21, again
  auto address_at = static_cast<uint16_t>(c.here() + 2);
  c.b(21).b(2).w(0).b(21).b(0);  // TEXT from an address; TEXT with nothing at all
  c.b(23).w(2).b(0).b(0).b(23).w(7);  // CHOICE with an empty option; CHOICE with nine
  for (char o = 'a'; o <= 'i'; ++o) c.s(std::string(1, o));
  c.b(0).b(0).w(1).w(5).b(255);  // LET work[1], 5 just after the list; END
  c.patch(address_at, c.here());
  rig.Load(c.s("FAR\x11").bytes);
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(rig.host.calls,
            (Texts{"PlayMusic M01", "StopMusic", "PlayMusicOnce", "RestoreCursor", "ShowStatus",
                   "ShowStatus", "SetStatusLayout 0", "SetStatusLayout 1", "SetWhiteFill 1",
                   "SetWhiteFill 0", "EnableResoSpin 1", "EnableResoSpin 0", "LoadSlot 0",
                   "ChangePicture BGNM", "StartAnimation 7", "StartHitMap 9 MAP 6 10",
                   "OpenNamePanel " + Sjis("貴男の名前を入力して下さい。").str() + " 0 2",
                   "OpenNamePanel " + Sjis("好きな人の名前を入力して下さい。").str() + " 1 3",
                   "OpenSaveMenu 0 3 4", "OpenSaveMenu 1 5 6", "StartMessage 0 A",
                   "StartMessage 1 B", "StartMessage 2 C", "StartMessage 3 D",
                   "StartMessage 21 (again)", "StartMessage 0 FARpa", "ReadChoices 2 []",
                   "ReadChoices 7 [a] [b] [c] [d] [e] [f] [g]", "Quit"}));
  EXPECT_EQ(rig.scn.work[1], 5);
}

// CLICK waits for a left click seen by a later tick (a right click does not
// count); the tick that ends the wait runs nothing more, the next one goes on,
// and a left click down when CLICK runs goes straight through.
TEST(WaitProtocol, ClickWaitsForALeftClick) {
  ScenarioRig rig;
  rig.Load(Code().b(22).b(0).w(1).w(1).b(22).b(107).b(5).bytes);  // CLICK; LET; CLICK; WAIT
  using enum WaitHandler;
  const std::tuple<int, WaitHandler, int> ticks[] = {
      {0, WaitClick, 0}, {2, WaitClick, 0}, {1, None, 0}, {1, WaitTicks, 1}};
  for (const auto& [clk, wait, work] : ticks) {
    rig.input.clk = clk;
    rig.Step();
    EXPECT_EQ(std::tuple(rig.scn.MainProc, +rig.scn.work[1]), std::tuple(wait, work)) << clk;
  }
}

// WAIT n with the shift state `sft` (2: Ctrl); the ticks it lasts.
TEST(WaitProtocol, TimedWaitLastsItsTicksOrAnEighthWithCtrl) {
  const std::tuple<uint8_t, int32_t, int> cases[] = {{10, 0, 10}, {10, 2, 2}, {1, 0, 1}, {0, 0, 1},
                                                     {16, 2, 2},  {17, 2, 3}, {10, 3, 10}};
  for (const auto& [wait, sft, expected] : cases) {
    SCOPED_TRACE(std::to_string(wait) + " sft " + std::to_string(sft));
    ScenarioRig rig;
    rig.input.sft = sft;
    rig.Load(Code().b(107).b(wait).b(0).w(1).w(1).b(22).bytes);  // WAIT; LET work[1], 1; CLICK
    rig.Step();
    int ticks = 0;
    for (; rig.scn.MainProc == WaitHandler::WaitTicks && ticks < 300; ++ticks) rig.Step();
    EXPECT_EQ(ticks, expected);
    EXPECT_EQ(rig.scn.work[1], 0);
  }
}

// RANDOM: ranges 0 and 1 give 0; each draw seeds from the time of day in
// milliseconds, so two draws in the same millisecond agree.
TEST(Random, RangesAndTheClock) {
  ScenarioRig rig;
  rig.scn.work[1] = rig.scn.work[2] = 99;
  rig.Load(E().b(31).w(1).w(1).b(31).w(0).w(2).b(31).w(30000).w(3).b(31).w(30000).w(4)
               .b(255).bytes);
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(std::tuple(rig.scn.work[1], rig.scn.work[2]), std::tuple(0, 0));
  EXPECT_EQ(rig.scn.work[3], rig.scn.work[4]);
  rig.clock.Advance(1);
  rig.Load(Code().b(31).w(30000).w(4).b(255).bytes);
  rig.Step();
  EXPECT_NE(rig.scn.work[3], rig.scn.work[4]);
}

TEST(Instructions, GotoContinuesAtTheStartOfTheOtherFileOnTheSameLevel) {
  ScenarioRig rig;
  rig.PutScenario("NEXT", Code().b(0).w(1).w(4).b(255).bytes);
  rig.PutScenario("FIRST", Code().b(24).s("NEXT").bytes);
  rig.scn.LoadScenario("FIRST");
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(std::tuple(rig.scn.work[1], +rig.scn.CallDepth, rig.scn.CallFile[0].str()),
            std::tuple(4, 0, "NEXT"));
}

// --trace prints each instruction at its place, written as everything else writes a place.
TEST(Instructions, TheTraceNamesEachPlaceAsTheOtherReportsDo) {
  ScenarioRig rig;
  rig.PutScenario("NEXT", Code().b(0).w(1).w(4).b(22).bytes);
  rig.PutScenario("FIRST", Code().b(24).s("NEXT").bytes);
  rig.scn.LoadScenario("FIRST");
  rig.scn.SetTrace(true);
  ::testing::internal::CaptureStdout();
  rig.Step();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "FIRST.SNX:0x0000: GOTO \"NEXT\"\nNEXT.SNX:0x0000: LET work[1], 4\n"
            "NEXT.SNX:0x0005: CLICK\n");
}

// A runaway loop ends the tick and tells the player once. File loads and
// calls out to the game are charged more than an instruction, so the tick
// ends after about the same time whatever the loop does.
TEST(Runaway, EndlessLoopsEndTheTickAndTellThePlayerOnce) {
  // The loop, and the most rounds of it one tick may run (0: not counted).
  const std::pair<Code, uint32_t> cases[] = {{E().b(8).w(1).w(1).b(16).w(0), 0},  // ADD; JUMP 0
                                             {E().b(24).s("INIT"), 1000},          // GOTO INIT
                                             {E().b(51).b(16).w(0), 200}};  // STATUS; JUMP 0
  for (const auto& [loop, most_rounds] : cases) {
    SCOPED_TRACE(most_rounds);
    ScenarioRig rig;
    rig.PutScenario("INIT", loop.bytes);
    rig.scn.LoadScenario("INIT");
    const int reads_before = rig.files.Reads();
    EXPECT_TRUE(rig.Step());
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
    const size_t rounds = rig.host.calls.size() + (rig.files.Reads() - reads_before);
    EXPECT_LE(rounds, most_rounds);
    EXPECT_GE(rounds, most_rounds / 2);
    EXPECT_TRUE(rig.Step());  // the next tick runs on, without a second box
    EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  }
}

// A damaged file whose operand never ends ends the program with a message
// naming the file, instead of reading round the image for ever.
TEST(Runaway, AnOperandWithoutAnEndIsAMessageNotAHang) {
  std::vector<uint8_t> no_zero(scenario::kImageSize, 'A');
  no_zero[0] = 24;  // GOTO and a name that never ends
  std::vector<uint8_t> text_at(scenario::kImageSize, 0x82);  // lead bytes take every byte with them
  text_at[0] = 21;                                            // TEXT from an address
  text_at[1] = 2;
  for (const auto& image : {no_zero, text_at}) {
    ScenarioRig rig;
    rig.PutScenario("BROKEN", image);
    rig.scn.LoadScenario("BROKEN");
    EXPECT_FALSE(rig.Step());
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    const std::string text = SjisToUtf8(rig.dialogs.Boxes()[0].text);
    EXPECT_NE(text.find("終わりのない文字列"), std::string::npos) << text;
    EXPECT_NE(text.find("BROKEN.SNX"), std::string::npos) << text;
  }
}

// A choice list whose one text reads exactly the whole image comes back to
// where it began; it is as unended as a text without any 0 byte.
TEST(Runaway, AChoiceTextRoundTheWholeImageIsAMessageNotAHang) {
  std::vector<uint8_t> image(scenario::kImageSize, 'A');
  image[0] = 23;  // CHOICE work[1]; the variable's high byte is the text's end
  image[1] = 1;
  image[2] = 0;
  ScenarioRig rig;
  rig.PutScenario("ROUND", image);
  rig.scn.LoadScenario("ROUND");
  EXPECT_FALSE(rig.Step());
  ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
  const std::string text = SjisToUtf8(rig.dialogs.Boxes()[0].text);
  EXPECT_NE(text.find("終わりのない文字列"), std::string::npos) << text;
  EXPECT_NE(text.find("ROUND.SNX"), std::string::npos) << text;
}

// Long operands are charged by the bytes they read: a loop of long
// expressions or long names runs only as many rounds as the tick's budget
// pays for, however few instructions that is.
TEST(Runaway, LongOperandsAreChargedByTheBytesTheyRead) {
  Code long_expr;  // LETX work[1], 1 drop 1 drop ... 1; ADD work[2], 1; JUMP 0
  long_expr.b(3).w(1);
  for (int i = 0; i < 10000; ++i) long_expr.push(1).b(1);
  long_expr.push(1).end();
  Code long_name;  // MUSIC "AAAA..."; ADD work[2], 1; JUMP 0
  long_name.b(32).s(std::string(40000, 'A'));
  for (Code* c : {&long_expr, &long_name}) {
    const size_t operand_bytes = c->bytes.size();
    c->b(8).w(2).w(1).b(16).w(0);
    ScenarioRig rig;
    rig.Load(c->bytes);
    EXPECT_TRUE(rig.Step());
    const auto rounds = static_cast<size_t>(rig.scn.work[2]);
    EXPECT_GE(rounds, 1u);
    EXPECT_LE(rounds, scenario::kInstructionsPerTickLimit / operand_bytes + 2) << operand_bytes;
  }
}

}  // namespace
}  // namespace velmor::testing
