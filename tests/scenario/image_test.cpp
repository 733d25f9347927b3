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

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct StringCase {
  const char* what;
  std::vector<uint8_t> operand;
  std::string expected;
  uint16_t consumed;
};

class ReadStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(ReadStringTest, ReadsTheOperand) {
  ScenarioRig rig;
  rig.scn.mcr[0] = Sstr("\x83\x4A\x83\x69\x83\x6E");  // a 6-byte name
  rig.scn.mcr[1] = Sstr("0123456789ABCDEF");
  rig.scn.mcr[15] = Sstr("XYZ");
  rig.Load(GetParam().operand);
  ByteString s = rig.scn.ReadString();
  EXPECT_EQ(s.str(), GetParam().expected);
  EXPECT_EQ(rig.scn.inx, GetParam().consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Operands, ReadStringTest,
    ::testing::Values(
        StringCase{"name code between letters", {0x41, 0x10, 0x42, 0x00},
                   "A\x83\x4A\x83\x69\x83\x6E" "B", 4},
        StringCase{"last name code", {0x1F, 0x00}, "XYZ", 2},
        StringCase{"lead byte takes a 0 as its trail", {0x82, 0x00, 0x00}, std::string("\x82\0", 2), 3},
        StringCase{"colour code takes its parameter", {0x03, 0x00, 0x41, 0x00}, std::string("\x03\0A", 3), 4},
        StringCase{"size code keeps its parameter", {0x04, 0x18, 0x00}, "\x04\x18", 3},
        StringCase{"control codes pass through", {0x01, 0x02, 0x05, 0x00}, "\x01\x02\x05", 4},
        StringCase{"empty", {0x00}, "", 1},
        StringCase{"long string is cut at 255 but fully read", Bytes(300, 'a'), std::string(255, 'a'), 301},
        // 20 x 16 bytes of names: the 16th copy is cut after 15 bytes.
        StringCase{"names overflowing are cut", Bytes(20, 0x11),
                   Repeat("0123456789ABCDEF", 15) + "0123456789ABCDE", 21}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

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

// Numbers out of range end the program with an error box: the flags' range
// message, or the variable's number.
TEST(Flags, NumbersOutOfRangeEndTheProgram) {
  const std::pair<std::function<void(scenario::Scenario&)>, std::string> cases[] = {
      {[](scenario::Scenario& s) { s.SetFlag(4096, 1); }, Sjis("範囲外のフラグ指定").str()},
      {[](scenario::Scenario& s) { (void)s.TestFlag(4096); }, Sjis("範囲外のフラグ指定").str()},
      {[](scenario::Scenario& s) { (void)s.Work(256); }, "256"}};
  for (const auto& [act, text] : cases) {
    ScenarioRig rig;
    EXPECT_NO_THROW(rig.scn.Work(255) = 1);
    EXPECT_THROW(act(rig.scn), QuitSignal);
    ASSERT_EQ(rig.dialogs.Boxes().size(), 1u);
    EXPECT_NE(rig.dialogs.Boxes()[0].text.find(text), std::string::npos);
    EXPECT_EQ(rig.dialogs.Boxes()[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(rig.host.quit);
  }
}

TEST(ScenarioFiles, LoadingKeepsTheOldBytesPastTheNewFile) {
  ScenarioRig rig;
  rig.PutScenario("BIG", std::vector<uint8_t>(1000, 0xAA));
  rig.PutScenario("SMALL", std::vector<uint8_t>(100, 0x55));
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

TEST(ScenarioFiles, NameIsFoundRegardlessOfCaseInMemoryAndKeptAsWritten) {
  ScenarioRig rig;
  rig.files.Put("data/snx/intro.snx", std::vector<uint8_t>{0xFF});
  rig.scn.LoadScenario("INTRO");
  EXPECT_EQ(rig.scn.snx[0], 0xFF);
  EXPECT_EQ(rig.scn.CallFile[0].str(), "INTRO");
}

// A missing file or one larger than the image is reported by its name or
// size, and the image stays as it was.
TEST(ScenarioFiles, MissingOrTooLargeFilesAreRefused) {
  ScenarioRig rig;
  rig.PutScenario("HUGE", std::vector<uint8_t>(65537, 1));
  rig.PutScenario("FULL", std::vector<uint8_t>(65536, 2));
  EXPECT_NO_THROW(rig.scn.LoadScenario("FULL"));
  EXPECT_EQ(rig.scn.snx[65535], 2);
  EXPECT_THROW(rig.scn.LoadScenario("HUGE"), QuitSignal);
  EXPECT_THROW(rig.scn.LoadScenario("NOPE"), QuitSignal);
  ASSERT_EQ(rig.dialogs.Boxes().size(), 2u);
  EXPECT_NE(rig.dialogs.Boxes()[0].text.find("65537"), std::string::npos);
  EXPECT_NE(rig.dialogs.Boxes()[1].text.find("DATA/SNX/NOPE.SNX"), std::string::npos);
  EXPECT_EQ(rig.scn.snx[0], 2);
}

TEST(CallStack, CallAndReturnRestoreTheCallerAndItsOffset) {
  ScenarioRig rig;
  // MAIN: CALL "SUB"; LET work[1], 7; END.  SUB: LET work[2], 9; RETURN.
  Code main;
  main.b(25).s("SUB").b(0).w(1).w(7).b(255);
  Code sub;
  sub.b(0).w(2).w(9).b(26);
  rig.PutScenario("MAIN", main.bytes);
  rig.PutScenario("SUB", sub.bytes);
  rig.scn.LoadScenario("MAIN");
  rig.scn.work[3] = 0;
  EXPECT_FALSE(rig.Step());  // runs to END
  EXPECT_EQ(rig.scn.work[1], 7);
  EXPECT_EQ(rig.scn.work[2], 9);
  EXPECT_EQ(rig.scn.CallDepth, 0);
  EXPECT_EQ(rig.scn.CallFile[0].str(), "MAIN");
  EXPECT_EQ(rig.scn.ReturnInx[0], 5);  // just past the call's operand
}

TEST(CallStack, ReturnReloadsTheCallerFromDisk) {
  ScenarioRig rig;
  rig.PutScenario("A", Code().b(25).s("B").b(255).bytes);
  rig.PutScenario("B", std::vector<uint8_t>(50, 254));  // SKIPW pairs...
  rig.scn.LoadScenario("A");
  rig.scn.CallScenario("B");
  EXPECT_EQ(rig.scn.CallDepth, 1);
  EXPECT_EQ(rig.scn.snx[0], 254);
  rig.scn.ReturnScenario();
  EXPECT_EQ(rig.scn.snx[0], 25);
  EXPECT_EQ(rig.scn.CallDepth, 0);
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

TEST(CallStack, ReturnAtTheTopLevelIsReportedAndEnds) {
  ScenarioRig rig;
  rig.PutScenario("TOP", {26});
  rig.scn.LoadScenario("TOP");
  EXPECT_FALSE(rig.Step());
  EXPECT_EQ(rig.dialogs.Boxes().size(), 1u);
  EXPECT_EQ(rig.scn.CallDepth, 0);
}

}  // namespace
}  // namespace velmor::testing
