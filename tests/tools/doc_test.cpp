// The language documentation against the opcode table and the assembler.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "asm_helpers.h"
#include "scenario/opcodes.h"

namespace velmor::assembly::testing {
namespace {

std::string ReadDoc() {
  std::ifstream in(VELMOR_DOCS_DIR "/scenario-language.md");
  EXPECT_TRUE(in.good()) << VELMOR_DOCS_DIR "/scenario-language.md";
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(LanguageDocTest, ListsEveryInstructionWithItsLayout) {
  std::string doc = ReadDoc();
  for (const scenario::OpcodeInfo* info : scenario::ListedOpcodes()) {
    std::string syntax = "`" + InstructionSyntax(*info) + "`";
    EXPECT_NE(doc.find(syntax), std::string::npos) << "the doc has no " << syntax;
  }
}

TEST(LanguageDocTest, ExamplesAssemble) {
  std::istringstream doc(ReadDoc());
  std::string line, block;
  int blocks = 0, first_line = 0, n = 0;
  bool in_block = false;
  while (std::getline(doc, line)) {
    ++n;
    std::string trimmed = line.substr(std::min(line.find_first_not_of(' '), line.size()));
    if (!in_block && trimmed == "```asm") {
      in_block = true;
      block.clear();
      first_line = n + 1;
    } else if (in_block && trimmed == "```") {
      in_block = false;
      ++blocks;
      AssemblyResult r = Assemble(block, "example.s");
      EXPECT_TRUE(r.ok()) << "the example at line " << first_line << " of the doc:\n"
                          << block << AllErrors(r);
    } else if (in_block) {
      block += line + "\n";
    }
  }
  EXPECT_FALSE(in_block);
  EXPECT_GE(blocks, 5);
}

}  // namespace
}  // namespace velmor::assembly::testing
