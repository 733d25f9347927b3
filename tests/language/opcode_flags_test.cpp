// Each opcode row's flags against what the interpreter does when it runs the
// instruction: whether it hands the tick back, whether the code after it runs
// on, which file it goes to, calls or returns to, and what it asks the rest
// of the game to show or play. The checker and the disassembler go by these
// flags alone, so a wrong one here is a wrong report there.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "language/decoder.h"
#include "language/opcodes.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

using language::OpcodeRow;
using language::OpFlag;
using language::Operand;

// Where the scenario stood before one instruction.
struct Place {
  std::string file;
  int depth = 0;
  uint16_t at = 0;
  bool operator==(const Place&) const = default;
};

// Sees every instruction before it runs, and holds none.
class PlaceRecorder : public scenario::InstructionGate {
 public:
  explicit PlaceRecorder(const scenario::Scenario& s) : s_(s) {}
  bool HoldBefore() override {
    places.push_back({s_.CallFile[s_.CallDepth].str(), s_.CallDepth, s_.inx});
    return false;
  }
  std::vector<Place> places;

 private:
  const scenario::Scenario& s_;
};

// An instruction of `row` whose operands run: work[1], flag[1], texts naming
// "NEXT", addresses and a message's text at `target`.
Code Sample(const OpcodeRow& row, uint8_t message_source, uint16_t target) {
  Code c;
  c.b(row.code);
  for (Operand kind : row.layout) {
    switch (kind) {
      case Operand::Var:
      case Operand::Flag: c.w(1); break;
      case Operand::Word: c.w(2); break;
      case Operand::Addr: c.w(target); break;
      case Operand::Byte: c.b(1); break;
      case Operand::Expr: c.push(6).end(); break;
      case Operand::Str: c.s("NEXT"); break;
      case Operand::Message:
        c.b(message_source);
        if (message_source == 1) c.s("hi");
        if (message_source == 2) c.w(target);
        break;
      case Operand::Choices: c.s("a").b(0); break;
      case Operand::StatusVars:
        for (int i = 0; i < language::kStatusSlots; ++i) c.w(1);
        break;
      case Operand::Speaker: break;
    }
  }
  return c;
}

// What running the sample did.
struct Outcome {
  std::vector<Place> after;  // the instructions run after it, in order (a wait's end included)
  bool waited = false;       // it handed the tick back
  std::vector<std::string> host_calls;
};

constexpr uint16_t kAfterCall = 5;  // where MAIN goes on after its CALL "SUB"

// MAIN calls SUB, which runs the sample, then WAIT 1; at `target` WAIT 2 (a
// text as well). NEXT returns at once. A wait the sample starts is ended,
// and the next tick runs on from there.
Outcome RunSample(const OpcodeRow& row, uint8_t message_source, bool flags_set) {
  const auto length = static_cast<uint16_t>(Sample(row, message_source, 0).bytes.size());
  const auto target = static_cast<uint16_t>(length + 2);
  Code sub = Sample(row, message_source, target);
  sub.b(107).b(1).b(107).b(2).b(0);
  ScenarioRig rig;
  rig.PutScenario("MAIN", Code().b(25).s("SUB").b(107).b(9).bytes);
  rig.PutScenario("SUB", sub.bytes);
  rig.PutScenario("NEXT", {26});
  for (uint16_t f = 0; f < 16; ++f) rig.scn.SetFlag(f, flags_set ? 1 : 0);
  PlaceRecorder recorder(rig.scn);
  rig.scn.LoadScenario(ByteString("MAIN"));
  rig.scn.SetGate(&recorder);
  const Place sample{"SUB", 1, 0};
  Outcome run;
  if (rig.Step() && rig.scn.MainProc != scenario::WaitHandler::None) {
    run.waited = recorder.places.back() == sample;
    rig.scn.MainProc = scenario::WaitHandler::None;
    rig.Step();
  }
  auto at = std::ranges::find(recorder.places, sample);
  EXPECT_NE(at, recorder.places.end()) << "the sample never ran";
  if (at != recorder.places.end()) run.after.assign(at + 1, recorder.places.end());
  run.host_calls = rig.host.calls;
  return run;
}

bool Called(const Outcome& run, std::string_view call) {
  return std::ranges::any_of(run.host_calls,
                             [&](const std::string& c) { return c.starts_with(call); });
}

TEST(OpcodeFlags, AgreeWithWhatTheInterpreterDoes) {
  for (const OpcodeRow* row : language::ListedOpcodes()) {
    bool has_message = std::ranges::find(row->layout, Operand::Message) != row->layout.end();
    const std::vector<uint8_t> sources = has_message ? std::vector<uint8_t>{0, 1, 2, 3, 9}
                                                     : std::vector<uint8_t>{0};
    for (uint8_t source : sources) {
      SCOPED_TRACE(std::string(row->mnemonic) + " (opcode " + std::to_string(row->code) +
                   "), message source " + std::to_string(source));
      auto decoded = language::DecodeInstruction(Sample(*row, source, 0).bytes, 0);
      ASSERT_TRUE(decoded.has_value());
      bool runs_on = false;
      for (bool flags_set : {false, true}) {
        Outcome run = RunSample(*row, source, flags_set);
        const uint16_t next = static_cast<uint16_t>(decoded->length);
        runs_on = runs_on || std::ranges::find(run.after, Place{"SUB", 1, next}) != run.after.end();
        EXPECT_EQ(language::Waits(*decoded), run.waited);
        Place first = run.after.empty() ? Place{} : run.after.front();
        EXPECT_EQ(row->Has(OpFlag::GoesToFile), first == (Place{"NEXT", 1, 0}));
        EXPECT_EQ(row->Has(OpFlag::CallsFile), first == (Place{"NEXT", 2, 0}));
        EXPECT_EQ(row->Has(OpFlag::Returns), first == (Place{"MAIN", 0, kAfterCall}));
        EXPECT_EQ(row->Has(OpFlag::ShowsPicture), Called(run, "ChangePicture NEXT"));
        EXPECT_EQ(row->Has(OpFlag::StartsHitMap), Called(run, "StartHitMap 1 NEXT 1 1"));
        EXPECT_EQ(row->Has(OpFlag::StartsAnimation), Called(run, "StartAnimation 1"));
        EXPECT_EQ(row->Has(OpFlag::PlaysMusic), Called(run, "PlayMusic NEXT"));
      }
      EXPECT_EQ(row->Has(OpFlag::EndsPath), !runs_on);
    }
  }
}

// The bytes that are no instruction have no flags, and the code runs on
// past them.
TEST(OpcodeFlags, TheUnlistedOpcodesHaveNoneAndRunOn) {
  int unlisted = 0;
  for (int code = 0; code < 256; ++code) {
    const OpcodeRow& row = language::OpcodeAt(static_cast<uint8_t>(code));
    if (row.listed()) continue;
    ++unlisted;
    EXPECT_EQ(row.flags, OpFlag::None) << code;
    ScenarioRig rig;
    rig.Load({static_cast<uint8_t>(code), 107, 1});
    ASSERT_TRUE(rig.Step());
    EXPECT_EQ(rig.scn.inx, 3) << code;
  }
  EXPECT_EQ(unlisted, 256 - static_cast<int>(language::ListedOpcodes().size()));
}

}  // namespace
}  // namespace velmor::testing
