// The debugger through the headless script: breakpoints at offsets and
// labels, stepping into and over calls, running to the next wait, editing
// work variables and flags while the scenario runs, reloading from disk; and
// the refusals of bad commands. Scenarios are assembly texts assembled here,
// their sources put beside them for the labels.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "asm/assembler.h"
#include "core/sjis.h"
#include "support/game_data.h"

namespace velmor::testing {
namespace {

using scenario::WaitHandler;

// The labels of a source that must assemble.
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

// A game of INIT and SUB with their sources in the SNX folder.
struct DebugRig {
  explicit DebugRig(const std::string& init = kInit, const std::string& sub = kSub)
      : init_asm(Assemble(init, "INIT")), sub_asm(Assemble(sub, "SUB")), rig(init_asm.bytes) {
    rig.files.Put(std::string(kDat) + "SNX/INIT.s", ToBytes(init));
    rig.files.Put(std::string(kDat) + "SNX/SUB.SNX", sub_asm.bytes);
    rig.files.Put(std::string(kDat) + "SNX/SUB.s", ToBytes(sub));
    rig.game->debugger();
    rig.Start();
  }
  static std::vector<uint8_t> ToBytes(const std::string& s) { return {s.begin(), s.end()}; }
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
  const char* what;
  std::vector<std::string> script;
  const char* file;
  const char* label;  // where it stands: a label of that file's source
  app::PauseReason reason;
  std::vector<std::pair<int, int>> work;  // work variables as they must be
  int depth = 0;
  WaitHandler wait = WaitHandler::None;
};
void PrintTo(const Stop& s, std::ostream* os) { *os << s.what; }

class DebuggerStopTest : public ::testing::TestWithParam<Stop> {};

TEST_P(DebuggerStopTest, PausesThereWithTheScenarioAsItMustBe) {
  const Stop& s = GetParam();
  DebugRig g;
  for (const std::string& line : s.script) {
    std::string error;
    ASSERT_TRUE(g.Run(line, &error)) << line << ": " << error;
  }
  ASSERT_TRUE(g.debugger().paused());
  EXPECT_EQ(g.debugger().reason(), s.reason);
  EXPECT_EQ(g.debugger().CurrentFile(), s.file);
  const Assembled& a = std::string(s.file) == "INIT" ? g.init_asm : g.sub_asm;
  EXPECT_EQ(g.debugger().Where(), a.labels.at(s.label));
  EXPECT_EQ(g.scn().CallDepth, s.depth);
  EXPECT_EQ(g.scn().MainProc, s.wait);
  for (auto [n, v] : s.work) EXPECT_EQ(g.scn().work[n], v) << "work[" << n << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, DebuggerStopTest,
    ::testing::Values(
        Stop{"break_at_an_offset", {"break INIT:5", "tick"}, "INIT", "second",
             app::PauseReason::Breakpoint, {{1, 1}, {2, 0}}},
        Stop{"break_at_an_offset_in_hex_with_the_extension", {"break init.snx:0x5", "tick"},
             "INIT", "second", app::PauseReason::Breakpoint, {{1, 1}, {2, 0}}},
        Stop{"break_at_a_label", {"break INIT:after", "tick 10"}, "INIT", "after",
             app::PauseReason::Breakpoint, {{10, 10}, {3, 0}}},
        Stop{"break_in_a_called_file", {"break SUB:sub_return", "tick 10"}, "SUB", "sub_return",
             app::PauseReason::Breakpoint, {{2, 2}, {10, 10}}, 1},
        Stop{"held_while_paused", {"break INIT:second", "tick 50"}, "INIT", "second",
             app::PauseReason::Breakpoint, {{1, 1}, {2, 0}}},
        Stop{"step_one_instruction", {"break INIT:start", "tick", "step"}, "INIT", "second",
             app::PauseReason::Step, {{1, 1}, {2, 0}}},
        Stop{"step_into_a_call", {"break INIT:call_sub", "tick", "step"}, "SUB", "sub_start",
             app::PauseReason::Step, {{2, 2}, {10, 0}}, 1},
        Stop{"step_over_a_call", {"break INIT:call_sub", "tick", "stepover"}, "INIT", "after",
             app::PauseReason::Step, {{10, 10}, {3, 0}}},
        Stop{"step_over_stops_at_a_breakpoint_inside", {"break INIT:call_sub", "tick",
             "break SUB:sub_wait", "stepover"}, "SUB", "sub_wait", app::PauseReason::Breakpoint,
             {{10, 10}}, 1},
        Stop{"step_over_a_plain_instruction", {"break INIT:start", "tick", "stepover"}, "INIT",
             "second", app::PauseReason::Step, {{1, 1}}},
        Stop{"run_to_the_next_wait", {"break INIT:start", "tick", "runtowait"}, "SUB",
             "sub_return", app::PauseReason::Wait, {{10, 10}}, 1, WaitHandler::WaitTicks},
        Stop{"run_to_the_wait_after_that", {"break INIT:start", "tick", "runtowait", "runtowait"},
             "INIT", "waited", app::PauseReason::Wait, {{3, 3}}, 0, WaitHandler::WaitTicks},
        Stop{"a_step_in_a_wait_ends_after_it",
             {"break INIT:start", "tick", "runtowait", "step"}, "SUB", "sub_return",
             app::PauseReason::Step, {{10, 10}}, 1},
        Stop{"pause_then_step", {"pause", "tick 5", "step"}, "INIT", "second",
             app::PauseReason::Step, {{1, 1}, {2, 0}}}),
    [](const ::testing::TestParamInfo<Stop>& info) { return std::string(info.param.what); });

TEST(DebuggerTest, PausedAWaitStandsStillTheScreenIsPresentedAndTheTicksMayRest) {
  DebugRig g(R"(
    WAIT 10
    LET work[1], 1
    CLICK
)");
  g.Run("until WaitTicks 10");
  g.Run("tick 3");
  const int32_t left = g.scn().WaitCount;
  EXPECT_FALSE(g.rig.form().IdleFor().has_value()) << "the wait counts ticks";
  g.Run("pause");
  const int presented = g.rig.game->window().Presentations();
  g.Run("tick 20");
  EXPECT_TRUE(g.rig.form().IdleFor().has_value()) << "paused, the ticks may rest";
  EXPECT_EQ(g.scn().WaitCount, left);
  EXPECT_EQ(g.scn().MainProc, WaitHandler::WaitTicks);
  EXPECT_EQ(g.rig.game->window().Presentations(), presented + 20);
  g.Run("continue");
  g.Run("until WaitClick 20");
  EXPECT_EQ(g.scn().work[1], 1);
}

TEST(DebuggerTest, EditedValuesChangeWhatTheScenarioDoesPausedOrNot) {
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
    END
)");
  g.Run("tick 10");
  EXPECT_EQ(g.scn().work[6], 0);
  // Edited while paused, seen on continuing.
  g.Run("pause");
  g.Run("tick");
  ASSERT_TRUE(g.Run("set work 5 1"));
  g.Run("tick 3");
  EXPECT_EQ(g.scn().work[6], 0);
  g.Run("continue");
  g.Run("tick 3");
  EXPECT_EQ(g.scn().work[6], 1);
  ASSERT_TRUE(g.Run("set work 5 -2"));
  EXPECT_EQ(g.scn().work[5], -2);
  ASSERT_TRUE(g.Run("set work 5 65535"));
  EXPECT_EQ(g.scn().work[5], -1);
  ASSERT_TRUE(g.Run("set flag 7 1"));
  g.Run("tick 3");
  EXPECT_EQ(g.scn().work[8], 1);
  EXPECT_EQ(g.scn().MainProc, WaitHandler::WaitClick);
  ASSERT_TRUE(g.Run("set flag 7 0"));
  EXPECT_EQ(g.scn().TestFlag(7), 0);
}

TEST(DebuggerTest, ReloadRestartsTheNewFileKeepingVariablesFlagsAndNames) {
  const char* v1 = R"(
    ADD work[1], 1
    SETF flag[3]
mark:
    CLICK
    END
)";
  const char* v2 = R"(
    ADD work[2], 5
    LET work[9], 9
mark:
    CLICK
    END
)";
  DebugRig g(v1);
  g.Run("break INIT:mark");
  g.Run("tick");
  ASSERT_TRUE(g.debugger().paused());
  g.scn().mcr[0] = Sstr(Sjis("太郎"));
  // The modder changes the source and assembles it again.
  Assembled next = Assemble(v2, "INIT");
  g.rig.files.Put(std::string(kDat) + "SNX/INIT.SNX", next.bytes);
  g.rig.files.Put(std::string(kDat) + "SNX/INIT.s", DebugRig::ToBytes(v2));
  std::string error;
  ASSERT_TRUE(g.Run("reload", &error)) << error;
  EXPECT_EQ(g.debugger().Where(), 0);
  // The label's breakpoint follows the label.
  ASSERT_EQ(g.debugger().breakpoints().size(), 1u);
  EXPECT_EQ(g.debugger().breakpoints()[0].offset, next.labels.at("mark"));
  g.Run("continue");
  g.Run("tick");
  EXPECT_EQ(g.debugger().Where(), next.labels.at("mark"));
  EXPECT_EQ(g.scn().work[1], 1);
  EXPECT_EQ(g.scn().work[2], 5);
  EXPECT_EQ(g.scn().work[9], 9);
  EXPECT_EQ(g.scn().TestFlag(3), 1);
  EXPECT_EQ(g.scn().mcr[0].view(), Sjis("太郎").view());
}

TEST(DebuggerTest, ReloadInACalledFileKeepsItsLevelAndReturns) {
  DebugRig g;
  g.Run("break SUB:sub_wait");
  g.Run("tick 5");
  ASSERT_EQ(g.debugger().CurrentFile(), "SUB");
  ASSERT_TRUE(g.Run("reload"));
  EXPECT_EQ(g.scn().CallDepth, 1);
  g.Run("continue");
  g.Run("tick");  // LET work[10] again, up to the breakpoint
  EXPECT_EQ(g.debugger().Where(), g.sub_asm.labels.at("sub_wait"));
  g.Run("continue");
  g.Run("until WaitClick 100");
  EXPECT_EQ(g.scn().CallDepth, 0);
  EXPECT_EQ(g.scn().work[4], 4);
}

TEST(DebuggerTest, AFailedReloadKeepsTheGameAsItWas) {
  DebugRig g;
  g.Run("break INIT:second");
  g.Run("tick");
  g.rig.files.Remove(std::string(kDat) + "SNX/INIT.SNX");
  std::string error;
  EXPECT_FALSE(g.Run("reload", &error));
  EXPECT_NE(error.find("cannot reload INIT.SNX"), std::string::npos) << error;
  EXPECT_EQ(g.debugger().Where(), g.init_asm.labels.at("second"));
  EXPECT_FALSE(g.rig.game->ended());
}

TEST(DebuggerTest, ReloadDuringAPictureChangeGivesThePictureHoldBack) {
  DebugRig g(R"(
    PICTURE "KURO"
    CLICK
)");
  g.Run("runtowait");
  ASSERT_EQ(g.scn().MainProc, WaitHandler::ChangePicture);
  EXPECT_EQ(g.rig.form().input.CGHoldEnable, 0);
  ASSERT_TRUE(g.Run("reload"));
  EXPECT_EQ(g.scn().MainProc, WaitHandler::None);
  EXPECT_EQ(g.rig.form().input.CGHoldEnable, 1);
}

// A command the debugger cannot carry out: refused with the reason, the
// game goes on.
struct Refusal {
  const char* what;
  std::string line;
  std::string reason;  // a piece of the message
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.what; }

class DebuggerRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(DebuggerRefusalTest, SaysWhy) {
  DebugRig g;
  // A source that no longer matches its scenario file.
  g.rig.files.Put(std::string(kDat) + "SNX/SUB.s", DebugRig::ToBytes("nothing:\n    END\n"));
  std::string error;
  EXPECT_FALSE(g.Run(GetParam().line, &error));
  EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
  EXPECT_TRUE(g.debugger().breakpoints().empty());
  EXPECT_FALSE(g.rig.game->ended());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, DebuggerRefusalTest,
    ::testing::Values(
        Refusal{"no_place", "break INIT", "FILE:OFFSET or FILE:LABEL"},
        Refusal{"no_file", "break NOPE:0", "no scenario NOPE.SNX"},
        Refusal{"past_the_end", "break INIT:0x9999", "past the end of INIT.SNX"},
        Refusal{"no_such_label", "break INIT:nowhere", "no label nowhere in INIT.s"},
        Refusal{"a_stale_source", "break SUB:nothing", "assemble it again"},
        Refusal{"two_places", "break INIT:0 INIT:5", "break FILE:OFFSET|FILE:LABEL"},
        Refusal{"work_out_of_range", "set work 256 1", "0 to 255"},
        Refusal{"value_out_of_range", "set work 1 70000", "-32768 to 65535"},
        Refusal{"flag_not_0_or_1", "set flag 5 2", "values 0 or 1"},
        Refusal{"flag_out_of_range", "set flag 4096 1", "0 to 4095"},
        Refusal{"set_what", "set name 1 1", "set work N VALUE"},
        Refusal{"step_count", "step x", "step [MAX]"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.what); });

TEST(DebuggerTest, LabelsComeFromTheSourceBesideTheScenarioOrInTheDataFolder) {
  DebugRig g;
  g.rig.files.Remove(std::string(kDat) + "SNX/INIT.s");
  std::string error;
  EXPECT_FALSE(g.Run("break INIT:second", &error));
  EXPECT_NE(error.find("no source INIT.s"), std::string::npos) << error;
  EXPECT_TRUE(g.Run("break INIT:5", &error)) << error;

  DebugRig above;
  above.rig.files.Remove(std::string(kDat) + "SNX/INIT.s");
  above.rig.files.Put(std::string(kDat) + "INIT.s", DebugRig::ToBytes(kInit));
  EXPECT_TRUE(above.Run("break INIT:second", &error)) << error;
}

TEST(DebuggerTest, TheStateShowsTheDebuggerOnlyWhenItIsOn) {
  DebugRig g;
  g.Run("break INIT:second");
  g.Run("tick");
  const std::string json = g.rig.game->StateJson();
  EXPECT_NE(json.find("\"debugger\":{\"paused\":true,\"reason\":\"breakpoint\",\"where\":{\"file\":"
                      "\"INIT\",\"offset\":5},\"breakpoints\":[{\"file\":\"INIT\",\"offset\":5,"
                      "\"label\":\"second\"}]}"),
            std::string::npos)
      << json;

  GameRig plain(Assemble(kInit, "INIT").bytes);
  plain.Start();
  plain.Ticks(3);
  EXPECT_EQ(plain.game->StateJson().find("\"debugger\""), std::string::npos);
  EXPECT_EQ(plain.form().debugger, nullptr);
}

TEST(DebuggerTest, BreakpointsToggleInTheCurrentFile) {
  DebugRig g;
  g.Run("pause");
  g.Run("tick");
  app::Debugger& d = g.debugger();
  d.ToggleBreakpoint(10);
  EXPECT_TRUE(d.HasBreakpoint(10));
  ASSERT_EQ(d.breakpoints().size(), 1u);
  EXPECT_EQ(d.breakpoints()[0].label, "call_sub");
  d.ToggleBreakpoint(10);
  EXPECT_FALSE(d.HasBreakpoint(10));
}

TEST(DebuggerTest, TheCallStackNamesEachLevelAndWhereItGoesOn) {
  DebugRig g;
  g.Run("break SUB:sub_wait");
  g.Run("tick 3");
  std::vector<app::CallLevel> stack = g.debugger().CallStack();
  ASSERT_EQ(stack.size(), 2u);
  EXPECT_EQ(stack[0].file, "INIT");
  EXPECT_EQ(stack[0].offset, g.init_asm.labels.at("after"));
  EXPECT_EQ(stack[1].file, "SUB");
  EXPECT_EQ(stack[1].offset, g.sub_asm.labels.at("sub_wait"));
}

TEST(DebuggerTest, TheListingShowsTheLinesAroundInxWithTheirLabels) {
  DebugRig g;
  g.Run("break INIT:second");
  g.Run("tick");
  std::vector<app::CodeLine> lines = g.debugger().CodeAround(1, 3);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].label, "start");
  EXPECT_EQ(lines[0].text, "LET work[1], 1");
  EXPECT_EQ(lines[1].offset, g.debugger().Where());
  EXPECT_EQ(lines[1].label, "second");
  EXPECT_EQ(lines[2].text, "CALL \"SUB\"");
  EXPECT_EQ(lines[3].label, "after");
}

TEST(DebuggerTest, TheListingFindsInxPastDataTheSweepFromTheStartMisreads) {
  // The 0 byte reads as a LET that swallows the instruction at "past".
  DebugRig g(R"(
    JUMP past
    db 0
past:
    LET work[1], 1
    CLICK
)");
  g.Run("break INIT:past");
  g.Run("tick");
  std::vector<app::CodeLine> lines = g.debugger().CodeAround(5, 2);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].text, "JUMP past");
  EXPECT_EQ(lines[1].offset, 4);
  EXPECT_EQ(lines[1].text, "LET work[1], 1");
  EXPECT_EQ(lines[2].text, "CLICK");
}

}  // namespace
}  // namespace velmor::testing
