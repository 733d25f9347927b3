// The scenario image: operand readers, string operands, flags, scenario files
// and the call stack.
#include <gtest/gtest.h>

#include <functional>

#include "core/sjis.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

TEST(OperandReaders, FetchByteAndWordAdvanceAndWrap) {
  ScenarioRig rig;
  rig.Load({0x34, 0x12, 0x7F});
  EXPECT_EQ(rig.scn.FetchWord(), 0x1234);
  EXPECT_EQ(rig.scn.FetchByte(), 0x7F);
  EXPECT_EQ(rig.scn.inx, 3);

  // The program counter wraps at the end of the image.
  rig.scn.snx[0xFFFF] = 0xCD;
  rig.scn.snx[0x0000] = 0xAB;
  rig.scn.inx = 0xFFFF;
  EXPECT_EQ(rig.scn.FetchWord(), 0xABCD);
  EXPECT_EQ(rig.scn.inx, 1);
}

// n bytes of `b`, then the string's end.
std::vector<uint8_t> Bytes(std::size_t n, uint8_t b) {
  std::vector<uint8_t> v(n, b);
  v.push_back(0);
  return v;
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
      {"long string is cut at 255 but fully read", Bytes(300, 'a'), std::string(255, 'a'), 301},
      // 20 x 16 bytes of names: the 16th copy is cut after 15 bytes.
      {"names overflowing are cut", Bytes(20, 0x11), std::string(255, 'n'), 21},
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
  auto byte = [&](int i) { return reinterpret_cast<const uint8_t*>(rig.scn.flag.data())[i]; };
  rig.scn.SetFlag(0, 1);
  EXPECT_EQ(byte(0), 0x01);
  rig.scn.SetFlag(15, 7);  // any non-zero value sets
  EXPECT_EQ(byte(1), 0x80);
  rig.scn.SetFlag(4095, 1);
  EXPECT_EQ(byte(511), 0x80);
  EXPECT_EQ(rig.scn.TestFlag(4095), 1);
  EXPECT_EQ(rig.scn.TestFlag(4094), 0);
  rig.scn.SetFlag(15, 0);
  EXPECT_EQ(rig.scn.TestFlag(15), 0);
  EXPECT_EQ(rig.scn.TestFlag(0), 1);
}

// Numbers out of range, a missing file, one larger than the image, a
// RETURN at the top level: each ends the program with one error box that
// says what went wrong.
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
    EXPECT_NE(rig.dialogs.Boxes()[0].text.find(text), std::string::npos);
    EXPECT_EQ(rig.dialogs.Boxes()[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(rig.host.quit);
    EXPECT_EQ(rig.scn.snx[65535], 2);  // the image stays as it was
    EXPECT_EQ(rig.scn.CallDepth, 0);
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
  EXPECT_EQ(rig.scn.inx, 0);
  EXPECT_EQ(rig.scn.snx[99], 0x55);
  EXPECT_EQ(rig.scn.snx[100], 0xAA);
  EXPECT_EQ(rig.scn.snx[999], 0xAA);
  EXPECT_EQ(rig.scn.snx[1000], 0x00);
  EXPECT_EQ(rig.scn.CallFile[0].str(), "SMALL");
}

// The caller is read from its file again and goes on just past the call.
TEST(CallStack, CallAndReturnRestoreTheCallerAndItsOffset) {
  ScenarioRig rig;
  // MAIN: CALL "SUB"; LET work[1], 7; END.  SUB: LET work[2], 9; RETURN.
  rig.PutScenario("MAIN", Code().b(25).s("SUB").b(0).w(1).w(7).b(255).bytes);
  rig.PutScenario("SUB", Code().b(0).w(2).w(9).b(26).bytes);
  rig.scn.LoadScenario("MAIN");
  EXPECT_FALSE(rig.Step());  // runs to END
  EXPECT_EQ(rig.scn.work[1], 7);
  EXPECT_EQ(rig.scn.work[2], 9);
  EXPECT_EQ(rig.scn.CallDepth, 0);
  EXPECT_EQ(rig.scn.CallFile[0].str(), "MAIN");
  EXPECT_EQ(rig.scn.ReturnInx[0], 5);
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
}

// Seven nested calls are the deepest a scenario may go; the slot reader may
// bracket even the deepest.
TEST(CallStack, SeventhNestedCallIsTheDeepest) {
  ScenarioRig rig;
  rig.PutScenario("S", {255});
  rig.scn.LoadScenario("S");
  for (int level = 1; level <= 7; ++level) {
    rig.scn.CallScenario("S");
    EXPECT_EQ(rig.scn.CallDepth, level);
  }
  rig.scn.inx = 3;
  rig.scn.EnterCall(true);
  EXPECT_EQ(rig.scn.CallDepth, 8);
  rig.scn.ReturnScenario();
  EXPECT_EQ(rig.scn.CallDepth, 7);
  EXPECT_EQ(rig.scn.inx, 3);
  EXPECT_TRUE(rig.dialogs.Boxes().empty());
  EXPECT_THROW(rig.scn.CallScenario("S"), QuitSignal);
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.scn.CallDepth, 7);
}

}  // namespace
}  // namespace velmor::testing
