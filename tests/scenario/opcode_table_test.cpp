// The opcode table: the decoder (trace, tools) and the interpreter agree on
// every instruction's length.
#include <gtest/gtest.h>

#include <set>

#include "scenario/disassembly.h"
#include "scenario/opcodes.h"
#include "support/bytecode.h"
#include "support/recording_host.h"

namespace velmor::testing {
namespace {

using scenario::Operand;

// A sample of each operand kind; addresses point just past the instruction so
// that a taken and a not-taken jump end in the same place.
Code SampleInstruction(const scenario::OpcodeInfo& info, uint16_t* address_at) {
  Code c;
  c.b(info.code);
  for (Operand kind : info.layout) {
    switch (kind) {
      case Operand::Var: c.w(3); break;
      case Operand::Flag: c.w(40); break;
      case Operand::Word: c.w(2); break;
      case Operand::Addr:
        *address_at = c.here();
        c.w(0);
        break;
      case Operand::Byte: c.b(1); break;
      case Operand::Expr: c.push(7).push(1).b(8).end(); break;
      case Operand::Str: c.s("ab"); break;
      case Operand::Message: c.b(1).s("t\x82\xA0"); break;
      case Operand::Choices: c.s("a").s("b").b(0); break;
      case Operand::StatusVars:
        for (int i = 0; i < 11; ++i) c.w(static_cast<uint16_t>(i));
        break;
      case Operand::Speaker: break;
    }
  }
  return c;
}

TEST(OpcodeTable, DecoderAndInterpreterReadTheSameBytes) {
  const std::set<std::string> leaves_the_file = {"GOTO", "CALL", "RETURN", "END"};
  for (const scenario::OpcodeInfo* info : scenario::ListedOpcodes()) {
    if (leaves_the_file.count(info->mnemonic)) continue;
    SCOPED_TRACE(std::string(info->mnemonic) + " " + std::to_string(info->code));
    uint16_t address_at = 0;
    Code c = SampleInstruction(*info, &address_at);
    uint16_t length = c.here();
    if (address_at) c.patch(address_at, length);
    c.b(107).b(1);  // WAIT 1 ends the run

    auto decoded = scenario::DecodeInstruction(c.bytes, 0);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->length, length);
    EXPECT_EQ(decoded->info, info);

    ScenarioRig rig;
    rig.host.install_waits = false;
    rig.Load(c.bytes);
    ASSERT_TRUE(rig.Step());
    // CLICK and WAIT stop the run themselves; the others run on to the WAIT.
    bool waits = info->code == 22 || info->code == 107;
    EXPECT_EQ(rig.scn.inx, waits ? length : length + 2);
  }
}

TEST(OpcodeTable, DecodingPastTheEndFails) {
  Code c;
  c.b(0).w(1);  // LET without its value
  EXPECT_FALSE(scenario::DecodeInstruction(c.bytes, 0).has_value());
  c.w(2);
  EXPECT_TRUE(scenario::DecodeInstruction(c.bytes, 0).has_value());
  Code s;
  s.b(24).b('A');  // GOTO with an unterminated name
  EXPECT_FALSE(scenario::DecodeInstruction(s.bytes, 0).has_value());
}

}  // namespace
}  // namespace velmor::testing
