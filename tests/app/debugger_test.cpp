// The debugger through the headless script: breakpoints at offsets and
// labels, stepping, running to the next wait, editing variables and flags,
// reloading from disk, and the refusals of bad commands. Scenarios are
// assembled here, their sources put beside them for the labels.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "core/sjis.h"
#include "support/game_data.h"

namespace velmor::testing {
namespace {

using app::PauseReason;
using scenario::WaitHandler;

struct Assembled {
  std::vector<uint8_t> bytes;
  std::map<std::string, uint32_t, std::less<>> labels;
};

Assembled Assemble(const std::string& source, const std::string& name) {
  assembly::AssemblyResult r = assembly::Assemble(source, name + ".s");
  std::string errors;
  for (const assembly::Diagnostic& d : r.errors) errors += d.ToString() + "\n";
  EXPECT_TRUE(r.ok()) << errors;
  return {r.bytes, r.labels};
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// INIT calls SUB, which waits; then INIT waits a tick and stops at a click.
const char* kInit = R"(
start:
    LET work[1], 1
second:
    LET work[2], 2
call_sub:
    CALL "SUB"
after:
    LET work[3], 3
    WAIT 1
waited:
    LET work[4], 4
    CLICK
    END
)";
const char* kSub = R"(
sub_start:
    LET work[10], 10
sub_wait:
    WAIT 2
sub_return:
    RETURN
)";

// A game of INIT and SUB, their sources in the SNX folder, the debugger on.
struct DebugRig {
  explicit DebugRig(const std::string& init = kInit)
      : init_asm(Assemble(init, "INIT")), sub_asm(Assemble(kSub, "SUB")), rig(init_asm.bytes) {
    rig.files.Put(std::string(kDat) + "SNX/INIT.s", Bytes(init));
    rig.files.Put(std::string(kDat) + "SNX/SUB.SNX", sub_asm.bytes);
    rig.files.Put(std::string(kDat) + "SNX/SUB.s", Bytes(kSub));
    rig.game->debugger();
    rig.Start();
  }
  bool Run(const std::string& line, std::string* error = nullptr) {
    return rig.game->RunCommand(line, error);
  }
  app::Debugger& debugger() { return *rig.form().debugger; }
  scenario::Scenario& scn() { return rig.form().scn; }

  Assembled init_asm, sub_asm;
  GameRig rig;
};

// Where a script of debugger commands leaves the scenario.
struct Stop {
  std::vector<std::string> script;
  const char* file;
  const char* label;  // a label of that file's source
  PauseReason reason;
  std::vector<std::pair<int, int>> work;  // work variables as they must be
  int depth = 0;
  WaitHandler wait = WaitHandler::None;
};

TEST(Debugger, PausesWhereTheCommandsSayWithTheScenarioAsItMustBe) {
  const PauseReason kBreak = PauseReason::Breakpoint, kStep = PauseReason::Step,
                    kWait = PauseReason::Wait;
  const Stop stops[] = {
      {{"break INIT:5", "tick"}, "INIT", "second", kBreak, {{1, 1}, {2, 0}}},
      {{"break init.snx:0x5", "tick 50"}, "INIT", "second", kBreak, {{1, 1}, {2, 0}}},
      {{"break INIT:after", "tick 10"}, "INIT", "after", kBreak, {{10, 10}, {3, 0}}},
      {{"break SUB:sub_return", "tick 10"}, "SUB", "sub_return", kBreak, {{2, 2}, {10, 10}}, 1},
      {{"break INIT:start", "tick", "step"}, "INIT", "second", kStep, {{1, 1}, {2, 0}}},
      {{"break INIT:call_sub", "tick", "step"}, "SUB", "sub_start", kStep, {{2, 2}, {10, 0}}, 1},
      {{"break INIT:call_sub", "tick", "stepover"}, "INIT", "after", kStep, {{10, 10}, {3, 0}}},
      {{"break INIT:call_sub", "tick", "break SUB:sub_wait", "stepover"}, "SUB", "sub_wait",
       kBreak, {{10, 10}}, 1},
      {{"break INIT:start", "tick", "stepover"}, "INIT", "second", kStep, {{1, 1}}},
      {{"break INIT:start", "tick", "runtowait"}, "SUB", "sub_return", kWait, {{10, 10}}, 1,
       WaitHandler::WaitTicks},
      {{"break INIT:start", "tick", "runtowait", "runtowait"}, "INIT", "waited", kWait, {{3, 3}},
       0, WaitHandler::WaitTicks},
      // A step in a wait ends after it.
      {{"break INIT:start", "tick", "runtowait", "step"}, "SUB", "sub_return", kStep, {{10, 10}},
       1},
      {{"pause", "tick 5", "step"}, "INIT", "second", kStep, {{1, 1}, {2, 0}}},
  };
  for (const Stop& s : stops) {
    std::string trace;
    for (const std::string& line : s.script) trace += line + "\n";
    SCOPED_TRACE(trace);
    DebugRig g;
    g.rig.Run(trace);
    ASSERT_TRUE(g.debugger().paused());
    EXPECT_EQ(g.debugger().reason(), s.reason);
    EXPECT_EQ(g.debugger().CurrentFile(), s.file);
    const Assembled& a = std::string(s.file) == "INIT" ? g.init_asm : g.sub_asm;
    EXPECT_EQ(g.debugger().Where(), a.labels.at(s.label));
    EXPECT_EQ(g.scn().CallDepth, s.depth);
    EXPECT_EQ(g.scn().MainProc, s.wait);
    for (auto [n, v] : s.work) EXPECT_EQ(g.scn().work[n], v) << "work[" << n << "]";
  }
}

TEST(Debugger, PausedAWaitStandsStillTheScreenIsPresentedAndTheTicksMayRest) {
  DebugRig g("\n    WAIT 10\n    LET work[1], 1\n    CLICK\n");
  g.rig.Run("until WaitTicks 10\ntick 3\n");
  const int32_t left = g.scn().WaitCount;
  EXPECT_FALSE(g.rig.form().IdleFor().has_value()) << "the wait counts ticks";
  g.Run("pause");
  const int presented = g.rig.game->window().Presentations();
  g.Run("tick 20");
  EXPECT_TRUE(g.rig.form().IdleFor().has_value()) << "paused, the ticks may rest";
  EXPECT_EQ(g.scn().WaitCount, left);
  EXPECT_EQ(g.rig.game->window().Presentations(), presented + 20);
  g.rig.Run("continue\nuntil WaitClick 20\n");
  EXPECT_EQ(g.scn().work[1], 1);
}

TEST(Debugger, EditedValuesChangeWhatTheScenarioDoesPausedOrNot) {
  DebugRig g(R"(
loop:
    WAIT 1
    JUMPF flag[7], flagged
    JUMPZ work[5], loop
    LET work[6], 1
    JUMP loop
flagged:
    LET work[8], 1
    CLICK
)");
  g.Run("tick 10");
  EXPECT_EQ(g.scn().work[6], 0);
  // Edited while paused, seen on continuing.
  g.rig.Run("pause\ntick\nset work 5 1\ntick 3\n");
  EXPECT_EQ(g.scn().work[6], 0);
  g.rig.Run("continue\ntick 3\n");
  EXPECT_EQ(g.scn().work[6], 1);
  g.rig.Run("set work 5 65535\n");
  EXPECT_EQ(g.scn().work[5], -1);
  g.rig.Run("set flag 7 1\ntick 3\n");
  EXPECT_EQ(g.scn().work[8], 1);
  g.rig.Run("set flag 7 0\n");
  EXPECT_EQ(g.scn().TestFlag(7), 0);
}

TEST(Debugger, ReloadRestartsTheNewFileKeepingVariablesFlagsAndNames) {
  DebugRig g("\n    ADD work[1], 1\n    SETF flag[3]\nmark:\n    CLICK\n");
  g.rig.Run("break INIT:mark\ntick\n");
  ASSERT_TRUE(g.debugger().paused());
  g.scn().mcr[0] = Sstr(Sjis("太郎"));
  // The modder changes the source and assembles it again.
  const char* v2 = "\n    ADD work[2], 5\n    LET work[9], 9\nmark:\n    CLICK\n";
  Assembled next = Assemble(v2, "INIT");
  g.rig.files.Put(std::string(kDat) + "SNX/INIT.SNX", next.bytes);
  g.rig.files.Put(std::string(kDat) + "SNX/INIT.s", Bytes(v2));
  std::string error;
  ASSERT_TRUE(g.Run("reload", &error)) << error;
  EXPECT_EQ(g.debugger().Where(), 0);
  // The label's breakpoint follows the label.
  ASSERT_EQ(g.debugger().breakpoints().size(), 1u);
  EXPECT_EQ(g.debugger().breakpoints()[0].offset, next.labels.at("mark"));
  g.rig.Run("continue\ntick\n");
  EXPECT_EQ(g.debugger().Where(), next.labels.at("mark"));
  EXPECT_EQ(g.scn().work[1], 1);
  EXPECT_EQ(g.scn().work[2], 5);
  EXPECT_EQ(g.scn().work[9], 9);
  EXPECT_EQ(g.scn().TestFlag(3), 1);
  EXPECT_EQ(g.scn().mcr[0].view(), Sjis("太郎").view());
}

TEST(Debugger, ReloadInACalledFileKeepsItsLevelAndReturns) {
  DebugRig g;
  g.rig.Run("break SUB:sub_wait\ntick 5\nreload\n");
  EXPECT_EQ(g.scn().CallDepth, 1);
  g.rig.Run("continue\ntick\n");  // LET work[10] again, up to the breakpoint
  EXPECT_EQ(g.debugger().Where(), g.sub_asm.labels.at("sub_wait"));
  g.rig.Run("continue\nuntil WaitClick 100\n");
  EXPECT_EQ(g.scn().CallDepth, 0);
  EXPECT_EQ(g.scn().work[4], 4);
  // A reload that cannot read the file leaves the game as it was.
  g.rig.files.Remove(std::string(kDat) + "SNX/INIT.SNX");
  const uint32_t where = g.debugger().Where();
  std::string error;
  EXPECT_FALSE(g.Run("reload", &error));
  EXPECT_NE(error.find("cannot reload INIT.SNX"), std::string::npos) << error;
  EXPECT_EQ(g.debugger().Where(), where);
  EXPECT_FALSE(g.rig.game->ended());
}

TEST(Debugger, ReloadDuringAPictureChangeGivesThePictureHoldBack) {
  DebugRig g("\n    PICTURE \"KURO\"\n    CLICK\n");
  g.rig.Run("runtowait\n");
  ASSERT_EQ(g.scn().MainProc, WaitHandler::ChangePicture);
  EXPECT_EQ(g.rig.form().input.CGHoldEnable, 0);
  g.rig.Run("reload\n");
  EXPECT_EQ(g.scn().MainProc, WaitHandler::None);
  EXPECT_EQ(g.rig.form().input.CGHoldEnable, 1);
}

// A command the debugger cannot carry out is refused with the reason; the
// game goes on.
TEST(Debugger, ABadCommandIsRefusedSayingWhy) {
  struct Refusal {
    std::string line;
    std::string reason;  // a piece of the message
  };
  for (const Refusal& r : {
           Refusal{"break INIT", "FILE:OFFSET or FILE:LABEL"},
           Refusal{"break NOPE:0", "no scenario NOPE.SNX"},
           Refusal{"break INIT:0x9999", "past the end of INIT.SNX"},
           Refusal{"break INIT:nowhere", "no label nowhere in INIT.s"},
           Refusal{"break SUB:nothing", "assemble it again"},  // a stale source
           Refusal{"break INIT:0 INIT:5", "break FILE:OFFSET|FILE:LABEL"},
           Refusal{"set work 256 1", "0 to 255"},
           Refusal{"set work 1 70000", "-32768 to 65535"},
           Refusal{"set flag 5 2", "values 0 or 1"},
           Refusal{"set flag 4096 1", "0 to 4095"},
           Refusal{"set name 1 1", "set work N VALUE"},
           Refusal{"step x", "step [MAX]"},
       }) {
    SCOPED_TRACE(r.line);
    DebugRig g;
    g.rig.files.Put(std::string(kDat) + "SNX/SUB.s", Bytes("nothing:\n    END\n"));
    std::string error;
    EXPECT_FALSE(g.Run(r.line, &error));
    EXPECT_NE(error.find(r.reason), std::string::npos) << error;
    EXPECT_TRUE(g.debugger().breakpoints().empty());
    EXPECT_FALSE(g.rig.game->ended());
  }
}

TEST(Debugger, LabelsComeFromTheSourceBesideTheScenarioOrInTheDataFolder) {
  DebugRig g;
  g.rig.files.Remove(std::string(kDat) + "SNX/INIT.s");
  std::string error;
  EXPECT_FALSE(g.Run("break INIT:second", &error));
  EXPECT_NE(error.find("no source INIT.s"), std::string::npos) << error;
  EXPECT_TRUE(g.Run("break INIT:5", &error)) << error;
  DebugRig above;
  above.rig.files.Remove(std::string(kDat) + "SNX/INIT.s");
  above.rig.files.Put(std::string(kDat) + "INIT.s", Bytes(kInit));
  EXPECT_TRUE(above.Run("break INIT:second", &error)) << error;
}

// What a front end shows of a paused game: the state and the call stack.
TEST(Debugger, TheViewsOfAPausedGame) {
  DebugRig g;
  g.rig.Run("break INIT:second\ntick\n");
  const std::string json = g.rig.game->StateJson();
  EXPECT_NE(json.find("\"debugger\":{\"paused\":true,\"reason\":\"breakpoint\",\"where\":{\"file\":"
                      "\"INIT\",\"offset\":5},\"breakpoints\":[{\"file\":\"INIT\",\"offset\":5,"
                      "\"label\":\"second\"}]}"),
            std::string::npos)
      << json;
  g.rig.Run("break SUB:sub_wait\ncontinue\ntick 3\n");
  std::vector<app::CallLevel> stack = g.debugger().CallStack();
  ASSERT_EQ(stack.size(), 2u);
  EXPECT_EQ(stack[0].file, "INIT");
  EXPECT_EQ(stack[0].offset, g.init_asm.labels.at("after"));
  EXPECT_EQ(stack[1].file, "SUB");
  EXPECT_EQ(stack[1].offset, g.sub_asm.labels.at("sub_wait"));

  GameRig plain(g.init_asm.bytes);
  plain.Start();
  plain.Ticks(3);
  EXPECT_EQ(plain.game->StateJson().find("\"debugger\""), std::string::npos);
  EXPECT_EQ(plain.form().debugger, nullptr);
}

TEST(Debugger, TheListingFindsTheInstructionPastDataTheSweepFromTheStartMisreads) {
  // The 0 byte reads as a LET that swallows the instruction at "past".
  DebugRig g("\n    JUMP past\n    db 0\npast:\n    LET work[1], 1\n    CLICK\n");
  g.rig.Run("break INIT:past\ntick\n");
  std::vector<app::CodeLine> lines = g.debugger().CodeAround(5, 2);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "JUMP past");
  EXPECT_EQ(lines[1].offset, 4);
  EXPECT_EQ(lines[1].text, "LET work[1], 1");
  EXPECT_EQ(lines[2].text, "CLICK");
}

}  // namespace
}  // namespace velmor::testing
