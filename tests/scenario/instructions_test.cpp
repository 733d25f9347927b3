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

// Runs assembly text from offset 0 in one scenario turn; it ends with END.
void RunToEnd(ScenarioRig& rig, const std::string& source) {
  rig.Load(Assembled(source + "\n    END\n"));
  EXPECT_FALSE(rig.Step());
}

// A scenario snippet and what it leaves in one variable or flag.
struct SnippetCase {
  const char* what;
  const char* source;
  int16_t expected;
};

std::string NameOf(const ::testing::TestParamInfo<SnippetCase>& info) { return info.param.what; }
void PrintTo(const SnippetCase& c, std::ostream* os) { *os << c.source; }

class Arithmetic : public ::testing::TestWithParam<SnippetCase> {};

TEST_P(Arithmetic, Computes) {
  ScenarioRig rig;
  rig.scn.work[1] = 10;
  rig.scn.work[2] = -3;
  rig.scn.SetFlag(9, 1);
  RunToEnd(rig, GetParam().source);
  EXPECT_EQ(rig.scn.work[1], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, Arithmetic,
    ::testing::Values(SnippetCase{"LET", "LET work[1], 42", 42},
                      SnippetCase{"LET_all_ones", "LET work[1], 65535", -1},
                      SnippetCase{"LETW", "LETW work[1], work[2]", -3},
                      SnippetCase{"LETF", "LETF work[1], flag[9]", 1},
                      SnippetCase{"LETX", "LETX work[1], 6 * 7", 42},
                      SnippetCase{"ADD", "ADD work[1], 5", 15},
                      SnippetCase{"ADD_wraps", "LET work[1], 32767\n ADD work[1], 1", -32768},
                      SnippetCase{"ADDW", "ADDW work[1], work[2]", 7},
                      SnippetCase{"ADDF", "ADDF work[1], flag[9]", 11},
                      SnippetCase{"ADDX", "ADDX work[1], 100", 110},
                      SnippetCase{"SUB", "SUB work[1], 11", -1},
                      SnippetCase{"SUBW", "SUBW work[1], work[2]", 13},
                      SnippetCase{"SUBF", "SUBF work[1], flag[9]", 9},
                      SnippetCase{"SUBX", "SUBX work[1], work[2]", 13}),
    NameOf);

class FlagInstructions : public ::testing::TestWithParam<SnippetCase> {};

TEST_P(FlagInstructions, SetOrClear) {
  ScenarioRig rig;
  rig.scn.work[3] = 5;
  rig.scn.SetFlag(21, 1);
  RunToEnd(rig, GetParam().source);
  EXPECT_EQ(rig.scn.TestFlag(20), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, FlagInstructions,
    ::testing::Values(SnippetCase{"FLAG_set", "FLAG flag[20], 2", 1},
                      SnippetCase{"FLAG_clear", "SETF flag[20]\n FLAG flag[20], 0", 0},
                      SnippetCase{"FLAGW", "FLAGW flag[20], work[3]", 1},
                      SnippetCase{"FLAGF", "FLAGF flag[20], flag[21]", 1},
                      SnippetCase{"FLAGF_clear", "SETF flag[20]\n FLAGF flag[20], flag[22]", 0},
                      SnippetCase{"FLAGX", "FLAGX flag[20], 1 == 1", 1},
                      SnippetCase{"SETF", "SETF flag[20]", 1},
                      SnippetCase{"CLRF", "SETF flag[20]\n CLRF flag[20]", 0},
                      SnippetCase{"NOTF_sets", "NOTF flag[20]", 1},
                      SnippetCase{"NOTF_clears", "SETF flag[20]\n NOTF flag[20]", 0}),
    NameOf);

// Each program sets work[1] to 1 on the fall-through path and to 2 at the
// jump target.
class Jumps : public ::testing::TestWithParam<SnippetCase> {};

TEST_P(Jumps, TakenOrNot) {
  ScenarioRig rig;
  RunToEnd(rig, std::string(GetParam().source) +
                    "\n LET work[1], 1\n END\ntarget:\n LET work[1], 2");
  EXPECT_EQ(rig.scn.work[1], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, Jumps,
    ::testing::Values(SnippetCase{"JUMP", "JUMP target", 2},
                      SnippetCase{"JUMPZ_zero", "JUMPZ 0, target", 2},
                      SnippetCase{"JUMPZ_nonzero", "JUMPZ 5, target", 1},
                      SnippetCase{"JUMPZ_65536_is_zero", "JUMPZ 256 * 256, target", 2},
                      SnippetCase{"JUMPNF_clear", "JUMPNF flag[30], target", 2},
                      SnippetCase{"JUMPNF_set", "SETF flag[30]\n JUMPNF flag[30], target", 1},
                      SnippetCase{"JUMPF_set", "SETF flag[30]\n JUMPF flag[30], target", 2},
                      SnippetCase{"JUMPF_clear", "JUMPF flag[30], target", 1}),
    NameOf);

TEST(Instructions, UnlistedOpcodesAreOneByteNoOps) {
  ScenarioRig rig;
  Code c;
  for (uint8_t op : {35, 36, 39, 41, 42, 43, 47, 50, 72, 99, 109, 200, 253}) c.b(op);
  c.b(0).w(1).w(9);
  RunToEnd(rig, c);
  EXPECT_EQ(rig.scn.work[1], 9);
  EXPECT_TRUE(rig.host.calls.size() == 1 && rig.host.calls[0] == "Quit");
}

TEST(Instructions, OtherSubsystemsGetTheirDecodedOperands) {
  ScenarioRig rig;
  rig.scn.mcr[2] = Sstr("NM");
  rig.host.install_waits = false;
  Code c;
  c.b(32).s("M01")                 // MUSIC
      .b(33)                       // MUSICSTOP
      .b(34)                       // MUSICONCE
      .b(49)                       // CURSORBACK
      .b(51).b(102)                // STATUS, STATUS2
      .b(100).b(101)               // LAYOUT0/1
      .b(103).b(104)               // FADEWHITE/BLACK
      .b(105).b(106)               // SCALEON/OFF
      .b(108)                      // LOADSYSTEM
      .b(40).s("BG\x12")           // PICTURE, with a name code
      .b(46).b(7)                  // ANIME
      .b(48).w(9).s("MAP").b(6).b(10);  // HITMAP
  RunToEnd(rig, c);
  std::vector<std::string> expected = {
      "PlayMusic M01", "StopMusic",       "PlayMusicOnce",    "RestoreCursor",
      "ShowStatus",    "ShowStatus",      "SetStatusLayout 0", "SetStatusLayout 1",
      "SetWhiteFill 1", "SetWhiteFill 0", "EnableResoSpin 1", "EnableResoSpin 0",
      "LoadSlot 0",    "ChangePicture BGNM", "StartAnimation 7", "StartHitMap 9 MAP 6 10",
      "Quit"};
  EXPECT_EQ(rig.host.calls, expected);
}

TEST(Instructions, PanelsWithTheirPromptsAndSlotVariables) {
  ScenarioRig rig;
  rig.Load(Code().b(44).b(45).b(37).w(3).w(4).b(38).w(5).w(6).bytes);
  for (int i = 0; i < 4; ++i) {
    rig.Step();  // each opens a panel (IdleWait); the test closes it
    rig.scn.MainProc = WaitHandler::None;
  }
  std::vector<std::string> expected = {
      "OpenNamePanel " + Sjis("貴男の名前を入力して下さい。").str() + " 0 2",
      "OpenNamePanel " + Sjis("好きな人の名前を入力して下さい。").str() + " 1 3",
      "OpenSaveMenu 0 3 4", "OpenSaveMenu 1 5 6"};
  EXPECT_EQ(rig.host.calls, expected);
}

TEST(Messages, SpeakersAndOperandSources) {
  ScenarioRig rig;
  Code c;
  c.b(21).b(1).s("A");     // TEXT, inline
  c.b(29).b(1).s("B");     // TEXTA
  c.b(30).b(1).s("C");     // TEXTB
  c.b(53).b(1).s("D");     // TEXTN speaker 3
  c.b(71).b(3);            // TEXTN speaker 21, again
  uint16_t address_at = static_cast<uint16_t>(c.here() + 2);
  c.b(21).b(2).w(0);       // TEXT from an address
  c.b(21).b(0);            // nothing at all
  c.b(255);
  uint16_t text_at = c.here();
  c.s("FAR\x11");
  c.patch(address_at, text_at);
  rig.scn.mcr[1] = Sstr("pa");
  rig.Load(c.bytes);
  // Each message installs TypeText; the recording host ends each wait.
  for (int i = 0; i < 20 && rig.Step(); ++i) {
  }
  std::vector<std::string> starts;
  for (const std::string& call : rig.host.calls)
    if (call.rfind("StartMessage", 0) == 0) starts.push_back(call);
  std::vector<std::string> expected = {"StartMessage 0 A", "StartMessage 1 B", "StartMessage 2 C",
                                       "StartMessage 3 D", "StartMessage 21 (again)",
                                       "StartMessage 0 FARpa"};
  EXPECT_EQ(starts, expected);
  EXPECT_TRUE(rig.host.quit);  // the source-0 message did nothing and END ran
}

TEST(Choices, EmptyOptionsCountAndThosePastTheSeventhAreDropped) {
  ScenarioRig rig;
  rig.host.install_waits = false;
  Code c;
  c.b(23).w(2).b(0).b(0);  // an empty first option still counts
  c.b(23).w(7);
  for (char o = 'a'; o <= 'i'; ++o) c.s(std::string(1, o));
  c.b(0);
  c.b(0).w(1).w(5);
  RunToEnd(rig, c);
  ASSERT_GE(rig.host.calls.size(), 2u);
  EXPECT_EQ(rig.host.calls[0], "ReadChoices 2 []");
  EXPECT_EQ(rig.host.calls[1], "ReadChoices 7 [a] [b] [c] [d] [e] [f] [g]");
  EXPECT_EQ(rig.scn.work[1], 5);  // in step after the list
}

TEST(Choices, ResultVariableOutOfRangeIsReported) {
  ScenarioRig rig;
  rig.Load(Code().b(23).w(300).s("x").b(0).bytes);
  EXPECT_FALSE(rig.Step());
  EXPECT_NE(rig.dialogs.Boxes().at(0).text.find("300"), std::string::npos);
}

TEST(WaitProtocol, HandlerThatEndsTheWaitLetsInstructionsRunOnlyAtTheNextTick) {
  ScenarioRig rig;
  rig.Load(Code().b(21).b(1).s("x").b(0).w(1).w(1).b(22).bytes);
  rig.Step();  // TEXT installs TypeText (the host's handler)
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::TypeText);
  rig.Step();  // the handler runs once and ends the wait
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_EQ(rig.scn.work[1], 0);  // nothing ran in that tick
  rig.Step();
  EXPECT_EQ(rig.scn.work[1], 1);
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
}

TEST(WaitProtocol, ClickInTheSameTickDoesNotWait) {
  ScenarioRig rig;
  rig.Load(Code().b(22).b(0).w(1).w(1).b(107).b(5).bytes);
  rig.input.clk = 1;
  rig.Step();
  EXPECT_EQ(rig.scn.work[1], 1);  // went straight through the CLICK
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitTicks);
}

TEST(WaitProtocol, ClickWaitsForALeftClickSeenByALaterTick) {
  ScenarioRig rig;
  rig.Load(Code().b(22).b(0).w(1).w(1).b(22).bytes);
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
  rig.input.clk = 2;  // a right click does not count
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::WaitClick);
  rig.input.clk = 1;
  rig.Step();
  EXPECT_EQ(rig.scn.MainProc, WaitHandler::None);
  EXPECT_EQ(rig.scn.work[1], 0);
  rig.input.clk = 0;
  rig.Step();
  EXPECT_EQ(rig.scn.work[1], 1);
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
    while (rig.scn.MainProc == WaitHandler::WaitTicks && ticks < 300) {
      rig.Step();
      ++ticks;
    }
    EXPECT_EQ(ticks, c.expected_ticks);
    EXPECT_EQ(rig.scn.work[1], 0);
  }
}

TEST(Random, RangesAndTheGenerator) {
  ScenarioRig rig;
  rig.Load(Code().b(31).w(1).w(1).b(31).w(0).w(2).b(31).w(1000).w(3).b(255).bytes);
  rig.scn.work[1] = rig.scn.work[2] = 99;
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(rig.scn.work[1], 0);
  EXPECT_EQ(rig.scn.work[2], 0);
  // The clock reads 12:00:00.000: seed 43,200,000, then one step of the
  // generator, then the high half of seed x range.
  uint32_t seed = 43200000u * 134775813u + 1u;
  EXPECT_EQ(rig.scn.work[3], static_cast<int16_t>((uint64_t{seed} * 1000) >> 32));
}

TEST(Random, TwoDrawsInTheSameMillisecondAgree) {
  ScenarioRig rig;
  rig.Load(Code().b(31).w(30000).w(1).b(31).w(30000).w(2).b(255).bytes);
  rig.Step();
  EXPECT_EQ(rig.scn.work[1], rig.scn.work[2]);
  rig.clock.Advance(1);
  rig.Load(Code().b(31).w(30000).w(2).b(255).bytes);
  rig.Step();
  EXPECT_NE(rig.scn.work[1], rig.scn.work[2]);
}

TEST(Instructions, EndQuitsWithoutAQuestion) {
  ScenarioRig rig;
  rig.Load({255});
  EXPECT_FALSE(rig.Step());
  EXPECT_TRUE(rig.host.quit);
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
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

// Work that costs more than an instruction is charged more, so a runaway
// tick ends after about the same time whatever it loops over.
TEST(Runaway, FileLoadsAndCallsElsewhereUseUpTheTickSooner) {
  struct Case {
    const char* what;
    std::vector<uint8_t> loop;
    uint32_t most_rounds;  // loop rounds one tick may run
  };
  for (const Case& c : {
           Case{"GOTO INIT", Code().b(24).s("INIT").bytes, 1000},
           Case{"STATUS; JUMP 0", Code().b(51).b(16).w(0).bytes, 200},
       }) {
    ScenarioRig rig;
    rig.PutScenario("INIT", c.loop);
    rig.scn.LoadScenario("INIT");
    int reads_before = rig.files.Reads();
    EXPECT_TRUE(rig.Step()) << c.what;
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u) << c.what << ": the player is told";
    uint32_t rounds = static_cast<uint32_t>(rig.host.calls.size()) +
                      static_cast<uint32_t>(rig.files.Reads() - reads_before);
    EXPECT_LE(rounds, c.most_rounds) << c.what;
    EXPECT_GE(rounds, c.most_rounds / 2) << c.what;
  }
}

// A damaged file whose operand never ends ends the program with a message
// naming the file and the place, instead of reading round the image for
// ever.
TEST(Runaway, AnOperandWithoutAnEndIsAMessageNotAHang) {
  struct Case {
    const char* what;
    std::vector<uint8_t> image;
  };
  std::vector<uint8_t> no_zero(scenario::kImageSize, 'A');
  no_zero[0] = 24;  // GOTO and a name that never ends
  // CHOICE, then "A" "A" "A" ... all round the image (its own first bytes
  // read as part of a text on the way).
  std::vector<uint8_t> endless_choices{23, 'A', 'A'};
  while (endless_choices.size() < scenario::kImageSize) {
    endless_choices.push_back('A');
    endless_choices.push_back(0);
  }
  endless_choices.resize(scenario::kImageSize);
  // TEXT from an address, where lead bytes take every byte with them.
  std::vector<uint8_t> text_at{21, 2, 0x82, 0x82};
  text_at.resize(scenario::kImageSize, 0x82);
  for (const Case& c : {Case{"string", no_zero}, Case{"choices", endless_choices},
                        Case{"message at an address", text_at}}) {
    ScenarioRig rig;
    rig.PutScenario("BROKEN", c.image);
    rig.scn.LoadScenario("BROKEN");
    EXPECT_FALSE(rig.Step()) << c.what;
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u) << c.what;
    const std::string text = SjisToUtf8(rig.dialogs.Boxes()[0].text);
    EXPECT_NE(text.find("終わりのない文字列"), std::string::npos) << text;
    EXPECT_NE(text.find("BROKEN.SNX"), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace velmor::testing
