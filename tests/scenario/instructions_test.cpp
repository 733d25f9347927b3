// The instructions and the wait protocol.
#include <gtest/gtest.h>

#include "core/sjis.h"
#include "scenario/opcodes.h"
#include "support/assembly.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// Runs `code` followed by END from offset 0 in one scenario turn.
void RunToEnd(ScenarioRig& rig, Code code) {
  code.b(255);
  rig.Load(code.bytes);
  EXPECT_FALSE(rig.Step());
}

struct SnippetCase {
  const char* source;
  int16_t expected;
};

// What each snippet leaves in work[1]; work[1] is 10, work[2] -3, work[3] 5,
// flag[9] and flag[21] are set before.
TEST(Families, ArithmeticAndFlags) {
  const SnippetCase cases[] = {
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
  };
  for (const SnippetCase& c : cases) {
    SCOPED_TRACE(c.source);
    ScenarioRig rig;
    rig.scn.work[1] = 10;
    rig.scn.work[2] = -3;
    rig.scn.work[3] = 5;
    rig.scn.SetFlag(9, 1);
    rig.scn.SetFlag(21, 1);
    rig.Load(Assembled(std::string(c.source) + "\n    END\n"));
    EXPECT_FALSE(rig.Step());
    EXPECT_EQ(rig.scn.work[1], c.expected);
  }
}

// Each program sets work[1] to 1 on the fall-through path and to 2 at the
// jump target.
TEST(Jumps, TakenOrNot) {
  const SnippetCase cases[] = {
      {"JUMP target", 2}, {"JUMPZ 0, target", 2}, {"JUMPZ 5, target", 1},
      {"JUMPZ 256 * 256, target", 2},  // 65536 is 0 in 16 bits
      {"JUMPNF flag[30], target", 2}, {"SETF flag[30]\n JUMPNF flag[30], target", 1},
      {"SETF flag[30]\n JUMPF flag[30], target", 2}, {"JUMPF flag[30], target", 1},
  };
  for (const SnippetCase& c : cases) {
    SCOPED_TRACE(c.source);
    ScenarioRig rig;
    rig.Load(Assembled(std::string(c.source) + "\n LET work[1], 1\n END\ntarget:\n LET work[1], 2\n END\n"));
    EXPECT_FALSE(rig.Step());
    EXPECT_EQ(rig.scn.work[1], c.expected);
  }
}

TEST(Instructions, UnlistedOpcodesAreOneByteNoOpsAndEndQuitsWithoutAQuestion) {
  ScenarioRig rig;
  Code c;
  for (uint8_t op : {35, 36, 39, 41, 42, 43, 47, 50, 72, 99, 109, 200, 253}) c.b(op);
  c.b(0).w(1).w(9);
  RunToEnd(rig, c);
  EXPECT_EQ(rig.scn.work[1], 9);
  EXPECT_EQ(rig.host.calls, std::vector<std::string>{"Quit"});
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
  c.s("FAR\x11");
  rig.Load(c.bytes);
  EXPECT_FALSE(rig.Step());
  std::vector<std::string> expected = {
      "PlayMusic M01", "StopMusic", "PlayMusicOnce", "RestoreCursor", "ShowStatus", "ShowStatus",
      "SetStatusLayout 0", "SetStatusLayout 1", "SetWhiteFill 1", "SetWhiteFill 0", "EnableResoSpin 1",
      "EnableResoSpin 0", "LoadSlot 0", "ChangePicture BGNM", "StartAnimation 7", "StartHitMap 9 MAP 6 10",
      "OpenNamePanel " + Sjis("貴男の名前を入力して下さい。").str() + " 0 2",
      "OpenNamePanel " + Sjis("好きな人の名前を入力して下さい。").str() + " 1 3",
      "OpenSaveMenu 0 3 4", "OpenSaveMenu 1 5 6", "StartMessage 0 A", "StartMessage 1 B",
      "StartMessage 2 C", "StartMessage 3 D", "StartMessage 21 (again)", "StartMessage 0 FARpa",
      "ReadChoices 2 []", "ReadChoices 7 [a] [b] [c] [d] [e] [f] [g]", "Quit"};
  EXPECT_EQ(rig.host.calls, expected);
  EXPECT_EQ(rig.scn.work[1], 5);
}

// CLICK waits for a left click seen by a later tick (a right click does not
// count); the tick that ends the wait runs nothing more, the next one goes on,
// and a left click down when CLICK runs goes straight through.
TEST(WaitProtocol, ClickWaitsForALeftClick) {
  ScenarioRig rig;
  rig.Load(Code().b(22).b(0).w(1).w(1).b(22).b(107).b(5).bytes);
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
  rig.input.clk = 2;
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
  rig.input.clk = 1;
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_EQ(rig.scn.work[1], 0);
  rig.Step();
  EXPECT_EQ(rig.scn.work[1], 1);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitTicks);
}

TEST(WaitProtocol, TimedWaitLastsItsTicksOrAnEighthWithCtrl) {
  struct Case {
    uint8_t ticks;
    int32_t sft;
    int expected_ticks;
  };
  for (Case c : {Case{10, 0, 10}, Case{10, 2, 2}, Case{1, 0, 1}, Case{0, 0, 1}, Case{16, 2, 2},
                 Case{17, 2, 3}, Case{10, 3, 10}}) {
    SCOPED_TRACE(std::to_string(c.ticks) + " sft " + std::to_string(c.sft));
    ScenarioRig rig;
    rig.input.sft = c.sft;
    rig.Load(Code().b(107).b(c.ticks).b(0).w(1).w(1).b(22).bytes);
    rig.Step();  // WAIT installs WaitTicks
    int ticks = 0;
    for (; rig.scn.MainProc == WaitHandler::WaitTicks && ticks < 300; ++ticks) rig.Step();
    EXPECT_EQ(ticks, c.expected_ticks);
    EXPECT_EQ(rig.scn.work[1], 0);
  }
}

// RANDOM: ranges 0 and 1 give 0; each draw seeds from the time of day in
// milliseconds, so two draws in the same millisecond agree.
TEST(Random, RangesAndTheClock) {
  ScenarioRig rig;
  rig.Load(Code().b(31).w(1).w(1).b(31).w(0).w(2).b(31).w(30000).w(3).b(31).w(30000).w(4).b(255).bytes);
  rig.scn.work[1] = rig.scn.work[2] = 99;
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(rig.scn.work[1], 0);
  EXPECT_EQ(rig.scn.work[2], 0);
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
  EXPECT_EQ(rig.scn.work[1], 4);
  EXPECT_EQ(rig.scn.CallDepth, 0);
  EXPECT_EQ(rig.scn.CallFile[0].str(), "NEXT");
}

TEST(Runaway, EndlessLoopEndsTheTickAndTellsThePlayerOnce) {
  ScenarioRig rig;
  rig.Load(Code().b(8).w(1).w(1).b(16).w(0).bytes);  // ADD; JUMP 0
  EXPECT_TRUE(rig.Step());
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_TRUE(rig.Step());  // the next tick runs on, without a second box
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
}

// File loads and calls out to the game are charged more than an instruction,
// so a runaway tick ends after about the same time whatever it loops over.
TEST(Runaway, FileLoadsAndCallsElsewhereUseUpTheTickSooner) {
  struct Case {
    const char* what;
    std::vector<uint8_t> loop;
    uint32_t most_rounds;  // loop rounds one tick may run
  };
  for (const Case& c : {Case{"GOTO INIT", Code().b(24).s("INIT").bytes, 1000},
                        Case{"STATUS; JUMP 0", Code().b(51).b(16).w(0).bytes, 200}}) {
    SCOPED_TRACE(c.what);
    ScenarioRig rig;
    rig.PutScenario("INIT", c.loop);
    rig.scn.LoadScenario("INIT");
    const int reads_before = rig.files.Reads();
    EXPECT_TRUE(rig.Step());
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    const auto rounds = static_cast<uint32_t>(rig.host.calls.size() + (rig.files.Reads() - reads_before));
    EXPECT_LE(rounds, c.most_rounds);
    EXPECT_GE(rounds, c.most_rounds / 2);
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

}  // namespace
}  // namespace velmor::testing
