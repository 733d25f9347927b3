// The debugger through the headless script: breakpoints at offsets and labels, stepping, running to
// the next wait, editing variables and flags, reloading from disk, and the refusals of bad
// commands. Scenarios are assembled here, their sources put beside them for the labels.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "language/assembler.h"
#include "core/sjis.h"
#include "support/game_data.h"

namespace velmor::testing {
namespace {

using ::testing::HasSubstr;
using app::PauseReason;
using scenario::WaitHandler;

using Labels = std::map<std::string, uint32_t, std::less<>>;

// Assembles `source` and puts it, with the source beside it, as SNX/NAME.
Labels Put(GameRig& g, const std::string& name, const std::string& source) {
  language::AssemblyResult r = language::Assemble(source, name + ".s");
  for (const language::Diagnostic& d : r.errors) ADD_FAILURE() << d.ToString();
  g.files.Put(std::string(kDat) + "SNX/" + name + ".SNX", r.bytes);
  g.files.Put(std::string(kDat) + "SNX/" + name + ".s", source);
  return r.labels;
}

// INIT calls SUB, which waits; then INIT waits a tick and stops at a click.
const char* kInit =
    "start: LET work[1], 1\nsecond: LET work[2], 2\ncall_sub: CALL \"SUB\"\n"
    "after: LET work[3], 3\nWAIT 1\nwaited: LET work[4], 4\nCLICK\nEND\n";
const char* kSub = "sub_start: LET work[10], 10\nsub_wait: WAIT 2\nsub_return: RETURN\n";

// A game of INIT and SUB, their sources in the SNX folder, the debugger on.
struct DebugRig : GameRig {
  explicit DebugRig(const std::string& init = kInit) : GameRig(std::vector<uint8_t>{}) {
    init_labels = Put(*this, "INIT", init);
    sub_labels = Put(*this, "SUB", kSub);
    game->debugger();
    Start();
  }
  bool Command(const std::string& line, std::string* error = nullptr) {
    return game->RunCommand(line, error);
  }
  app::Debugger& debugger() { return *in().debugger; }
  scenario::Scenario& scn() { return in().scn; }

  Labels init_labels, sub_labels;
};

TEST(Debugger, PausesWhereTheCommandsSayWithTheScenarioAsItMustBe) {
  // Where a script of debugger commands leaves the scenario: the file and a label of its source,
  // the work variables as they must be.
  struct Stop { const char *script, *file, *label; PauseReason reason;
                std::vector<std::pair<int, int>> work; int depth = 0;
                WaitHandler wait = WaitHandler::None; };
  const PauseReason kBreak = PauseReason::Breakpoint, kStep = PauseReason::Step,
                    kWait = PauseReason::Wait;
  const WaitHandler kTicks = WaitHandler::WaitTicks;
  const Stop stops[] = {
      {"break INIT:5\ntick", "INIT", "second", kBreak, {{1, 1}, {2, 0}}},
      {"break init.snx:0x5\ntick 50", "INIT", "second", kBreak, {{1, 1}, {2, 0}}},
      {"break INIT:after\ntick 10", "INIT", "after", kBreak, {{10, 10}, {3, 0}}},
      {"break SUB:sub_return\ntick 10", "SUB", "sub_return", kBreak, {{2, 2}, {10, 10}}, 1},
      {"break INIT:start\ntick\nstep", "INIT", "second", kStep, {{1, 1}, {2, 0}}},
      {"break INIT:call_sub\ntick\nstep", "SUB", "sub_start", kStep, {{2, 2}, {10, 0}}, 1},
      {"break INIT:call_sub\ntick\nstepover", "INIT", "after", kStep, {{10, 10}, {3, 0}}},
      {"break INIT:call_sub\ntick\nbreak SUB:sub_wait\nstepover", "SUB", "sub_wait",
       kBreak, {{10, 10}}, 1},
      {"break INIT:start\ntick\nstepover", "INIT", "second", kStep, {{1, 1}}},
      {"break INIT:start\ntick\nruntowait", "SUB", "sub_return", kWait, {{10, 10}}, 1, kTicks},
      {"break INIT:start\ntick\nruntowait\nruntowait", "INIT", "waited", kWait, {{3, 3}}, 0,
       kTicks},
      // A step in a wait ends after it.
      {"break INIT:start\ntick\nruntowait\nstep", "SUB", "sub_return", kStep, {{10, 10}}, 1},
      {"pause\ntick 5\nstep", "INIT", "second", kStep, {{1, 1}, {2, 0}}}};
  for (const Stop& s : stops) {
    SCOPED_TRACE(s.script);
    DebugRig g;
    g.Run(std::string(s.script) + "\n");
    ASSERT_TRUE(g.debugger().paused());
    const Labels& labels = std::string(s.file) == "INIT" ? g.init_labels : g.sub_labels;
    EXPECT_EQ(std::tuple(g.debugger().reason(), g.debugger().CurrentFile(), g.debugger().Where(),
                         g.scn().CallDepth, g.scn().MainProc),
              std::tuple(s.reason, s.file, labels.at(s.label), s.depth, s.wait));
    for (auto [n, v] : s.work) EXPECT_EQ(g.scn().work[n], v) << "work[" << n << "]";
  }
}

TEST(Debugger, PausedAWaitStandsStillTheScreenIsPresentedAndTheTicksMayRest) {
  DebugRig g("WAIT 10\nLET work[1], 1\nCLICK\n");
  g.Run("until WaitTicks 10\ntick 3\n");
  const int32_t left = g.scn().WaitCount;
  EXPECT_FALSE(g.form().IdleFor().has_value()) << "the wait counts ticks";
  g.Command("pause");
  const int presented = g.game->window().Presentations();
  g.Command("tick 20");
  EXPECT_TRUE(g.form().IdleFor().has_value()) << "paused, the ticks may rest";
  EXPECT_EQ(g.scn().WaitCount, left);
  EXPECT_EQ(g.game->window().Presentations(), presented + 20);
  g.Run("continue\nuntil WaitClick 20\n");
  EXPECT_EQ(g.scn().work[1], 1);
}

TEST(Debugger, EditedValuesChangeWhatTheScenarioDoesPausedOrNot) {
  DebugRig g("loop: WAIT 1\nJUMPF flag[7], flagged\nJUMPZ work[5], loop\nLET work[6], 1\n"
             "JUMP loop\nflagged: LET work[8], 1\nCLICK\n");
  g.Command("tick 10");
  EXPECT_EQ(g.scn().work[6], 0);
  // Edited while paused, seen on continuing.
  g.Run("pause\ntick\nset work 5 1\ntick 3\n");
  EXPECT_EQ(g.scn().work[6], 0);
  g.Run("continue\ntick 3\n");
  EXPECT_EQ(g.scn().work[6], 1);
  g.Run("set work 5 65535\n");
  EXPECT_EQ(g.scn().work[5], -1);
  g.Run("set flag 7 1\ntick 3\n");
  EXPECT_EQ(g.scn().work[8], 1);
  g.Run("set flag 7 0\n");
  EXPECT_EQ(g.scn().TestFlag(7), 0);
}

TEST(Debugger, ReloadRestartsTheNewFileKeepingVariablesFlagsAndNames) {
  DebugRig g("ADD work[1], 1\nSETF flag[3]\nmark: CLICK\n");
  g.Run("break INIT:mark\ntick\n");
  ASSERT_TRUE(g.debugger().paused());
  g.scn().mcr[0] = Sstr(Sjis("太郎"));
  // The modder changes the source and assembles it again.
  const Labels next = Put(g, "INIT", "ADD work[2], 5\nLET work[9], 9\nmark: CLICK\n");
  std::string error;
  ASSERT_TRUE(g.Command("reload", &error)) << error;
  EXPECT_EQ(g.debugger().Where(), 0);
  // The label's breakpoint follows the label.
  ASSERT_EQ(g.debugger().breakpoints().size(), 1u);
  EXPECT_EQ(g.debugger().breakpoints()[0].offset, next.at("mark"));
  g.Run("continue\ntick\n");
  EXPECT_EQ(g.debugger().Where(), next.at("mark"));
  scenario::Scenario& s = g.scn();
  EXPECT_EQ(std::tuple(s.work[1], s.work[2], s.work[9], s.TestFlag(3)), std::tuple(1, 5, 9, 1));
  EXPECT_EQ(s.mcr[0].view(), Sjis("太郎").view());
}

TEST(Debugger, ReloadInACalledFileKeepsItsLevelAndReturns) {
  DebugRig g;
  g.Run("break SUB:sub_wait\ntick 5\nreload\n");
  EXPECT_EQ(g.scn().CallDepth, 1);
  g.Run("continue\ntick\n");  // LET work[10] again, up to the breakpoint
  EXPECT_EQ(g.debugger().Where(), g.sub_labels.at("sub_wait"));
  g.Run("continue\nuntil WaitClick 100\n");
  EXPECT_EQ(std::tuple(g.scn().CallDepth, g.scn().work[4]), std::tuple(0, 4));
  // A reload that cannot read the file leaves the game as it was.
  g.files.Remove(std::string(kDat) + "SNX/INIT.SNX");
  const uint32_t where = g.debugger().Where();
  std::string error;
  EXPECT_FALSE(g.Command("reload", &error));
  EXPECT_THAT(error, HasSubstr("cannot reload INIT.SNX"));
  EXPECT_EQ(g.debugger().Where(), where);
  EXPECT_FALSE(g.game->ended());
}

TEST(Debugger, ReloadDuringAPictureChangeGivesThePictureHoldBack) {
  DebugRig g("PICTURE \"KURO\"\nCLICK\n");
  g.Run("runtowait\n");
  ASSERT_EQ(g.scn().MainProc, WaitHandler::ChangePicture);
  EXPECT_EQ(g.in().input.CGHoldEnable, 0);
  g.Run("reload\n");
  EXPECT_EQ(g.scn().MainProc, WaitHandler::None);
  EXPECT_EQ(g.in().input.CGHoldEnable, 1);
}

// A command the debugger cannot carry out is refused with the reason (a piece of the message); the
// game goes on.
TEST(Debugger, ABadCommandIsRefusedSayingWhy) {
  for (const auto& [line, reason] : std::initializer_list<std::pair<const char*, const char*>>{
           {"break INIT", "FILE:OFFSET or FILE:LABEL"}, {"break NOPE:0", "no scenario NOPE.SNX"},
           {"break INIT:0x9999", "past the end of INIT.SNX"},
           {"break INIT:3", "INIT.SNX:0x0003 lies inside an instruction, where the scenario never "
                            "stops; the nearest instructions start at 0x0000 and 0x0005"},
           {"break INIT.SNX:0x0003", "start at 0x0000 and 0x0005"},
           {"break INIT:nowhere", "no label nowhere in INIT.s"},
           {"break SUB:nothing", "assemble it again"},  // a stale source
           {"break INIT:0 INIT:5", "break FILE:OFFSET|FILE:LABEL"},
           {"set work 256 1", "0 to 255"}, {"set work 1 70000", "-32768 to 65535"},
           {"set flag 5 2", "values 0 or 1"}, {"set flag 4096 1", "0 to 4095"},
           {"set name 1 1", "set work N VALUE"}, {"step x", "step [MAX]"}}) {
    SCOPED_TRACE(line);
    DebugRig g;
    g.files.Put(std::string(kDat) + "SNX/SUB.s", std::string("nothing: END\n"));
    std::string error;
    EXPECT_FALSE(g.Command(line, &error));
    EXPECT_THAT(error, HasSubstr(reason));
    EXPECT_TRUE(g.debugger().breakpoints().empty());
    EXPECT_FALSE(g.game->ended());
  }
}

TEST(Debugger, LabelsComeFromTheSourceBesideTheScenarioOrInTheDataFolder) {
  DebugRig g;
  g.files.Remove(std::string(kDat) + "SNX/INIT.s");
  std::string error;
  EXPECT_FALSE(g.Command("break INIT:second", &error));
  EXPECT_THAT(error, HasSubstr("no source INIT.s"));
  EXPECT_TRUE(g.Command("break INIT:5", &error)) << error;
  // Without the source the starts are those of the listing.
  EXPECT_FALSE(g.Command("break INIT:6", &error));
  EXPECT_THAT(error, HasSubstr("start at 0x0005 and 0x000A"));
  DebugRig above;
  above.files.Remove(std::string(kDat) + "SNX/INIT.s");
  above.files.Put(std::string(kDat) + "INIT.s", std::string(kInit));
  EXPECT_TRUE(above.Command("break INIT:second", &error)) << error;
}

// What a front end shows of a paused game: the state and the call stack.
TEST(Debugger, TheViewsOfAPausedGame) {
  DebugRig g;
  g.Run("break INIT:second\ntick\n");
  EXPECT_THAT(g.game->StateJson(),
              HasSubstr("\"debugger\":{\"paused\":true,\"reason\":\"breakpoint\",\"where\":{"
                        "\"file\":\"INIT\",\"offset\":5},\"breakpoints\":[{\"file\":\"INIT\","
                        "\"offset\":5,\"label\":\"second\"}]}"));
  g.Run("break SUB:sub_wait\ncontinue\ntick 3\n");
  std::vector<std::pair<std::string, uint32_t>> stack;
  for (const app::CallLevel& l : g.debugger().CallStack()) stack.emplace_back(l.file, l.offset);
  EXPECT_EQ(stack, (std::vector<std::pair<std::string, uint32_t>>{
                       {"INIT", g.init_labels.at("after")}, {"SUB", g.sub_labels.at("sub_wait")}}));
  GameRig plain(*g.files.Get(std::string(kDat) + "SNX/INIT.SNX"));
  plain.Start();
  plain.Ticks(3);
  EXPECT_EQ(plain.game->StateJson().find("\"debugger\""), std::string::npos);
  EXPECT_EQ(plain.in().debugger, nullptr);
}

// The state line says what a step waits for; work variables and flags go by the names the source's
// defines give them; the message and the listing are written as a source writes them (a backslash
// as the escape, codes as theirs).
TEST(Debugger, TheStateSaysWhatAStepWaitsForAndUsesTheSourcesNames) {
  DebugRig g("define visits = work[5]\ndefine seen = flag[9]\ndefine met = work[5]\n"
             "start: TEXT \"a\\\\b\\c{3}c\"\nCLICK\nEND\n");
  g.Run("break INIT:start\ntick\n");
  app::Debugger& d = g.debugger();
  EXPECT_EQ(std::tuple(d.StatusLine(), d.WorkName(5), d.WorkName(4), d.FlagName(9), d.FlagName(5)),
            std::tuple("Paused at INIT.SNX:0x0000 (breakpoint)", "visits, met", "", "seen", ""));
  g.Run("step 1\n");
  EXPECT_EQ(std::pair(d.StatusLine(), d.State().message),
            std::pair(std::string("Stepping: waits for the text to be typed (TypeText)"),
                      std::string("\"a\\\\b\\c{3}c\"")));
  EXPECT_EQ(d.CodeAround(1, 1).at(0).text, "TEXT \"a\\\\b\\c{3}c\"");
  g.Run("continue\ntick 50\n");
  EXPECT_EQ(d.StatusLine(), "Running");
}

TEST(Debugger, TheListingFindsTheInstructionPastDataTheSweepFromTheStartMisreads) {
  // The 0 byte reads as a LET that swallows the instruction at "past".
  DebugRig g("JUMP past\ndb 0\npast: LET work[1], 1\nCLICK\n");
  g.Run("break INIT:past\ntick\n");
  std::vector<std::pair<uint32_t, std::string>> lines;
  for (const app::CodeLine& l : g.debugger().CodeAround(5, 2)) lines.emplace_back(l.offset, l.text);
  EXPECT_EQ(lines, (std::vector<std::pair<uint32_t, std::string>>{
                       {0, "JUMP past"}, {4, "LET work[1], 1"}, {9, "CLICK"}}));
}

}  // namespace
}  // namespace velmor::testing
