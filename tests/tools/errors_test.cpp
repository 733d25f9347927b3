// Mistakes in a source: each gives "file:line: message" and no bytes.
#include <gtest/gtest.h>

#include <map>

#include "asm_helpers.h"

namespace velmor::assembly::testing {
namespace {

// Each mistake: its source, the line reported and a part of the message.
TEST(ErrorTest, ReportsTheLine) {
  struct Mistake {
    std::string source;
    int line;
    const char* message;
  };
  const Mistake cases[] = {
      // Statements.
      {"END\nFOO work[1]", 2, "unknown instruction 'FOO'"}, {"\n\nstart", 3, "a label needs a colon"},
      {"JUMP", 1, "too few operands; write: JUMP label"},
      {"LET work[1]", 1, "too few operands; write: LET work[N], number"}, {"END 5", 1, "END takes no operands"},
      {"LET work[1], 2, 3", 1, "unexpected ',' after the operands"},
      {"LET work[1] 2", 1, "expected ',' between operands, found '2'"},
      {"LET 5, 2", 1, "expected a work variable such as work[3], found '5'"},
      {"LETF work[1], work[2]", 1, "expected a flag such as flag[3]"},
      {"WAIT 256", 1, "a byte is 0..255, not 256"},
      {"LET work[1], 65536", 1, "a word is -32768..65535, not 65536"},
      {"LET work[1], 99999999999", 1, "a number that large"}, {"WAIT 12ab", 1, "bad number '12ab'"},
      {"LET work[1], 2 $", 1, "unexpected character '$'"},
      {"JUMP x\nJUMP nowhere\nx:", 2, "undefined label 'nowhere'"},
      {"a:\na: END", 2, "'a' is already defined at test.s:1"}, {"work: END", 1, "'work' is a reserved word"},
      {"define X = work[1]\nJUMP X", 2, "'X' is a work variable, not a label"},
      {"LET work[1], UNKNOWN", 1, "unknown name 'UNKNOWN'"}, {"NOP 16", 1, "opcode 16 is JUMP"},
      {"TEXTN 2, again", 1, "the speaker of TEXTN is 3..21, not 2"},
      {"STATUSSET work[1], work[2]", 1, "STATUSSET takes 11 work variables, found 2"},
      {"include \"x.s\"", 1, "include is not available"}, {"db", 1, "expected a number"},
      // Texts.
      {"TEXT \"abc", 1, "unterminated string"}, {"TEXT \"\\q\"", 1, "unknown escape '\\q'"},
      {"TEXT \"\\c\"", 1, "\\c takes a number in braces"}, {"TEXT \"\\name{16}\"", 1, "\\name{N} takes 0..15"},
      {"TEXT \"\\x4\"", 1, "\\x takes two hex digits"},
      {"TEXT \"\xF0\x9F\x98\x80\"", 1, "has no Shift-JIS form"},  // an emoji
      {"TEXT \"\xFF\"", 1, "not valid UTF-8"}, {"TEXT \"a\\x00b\"", 1, "a 0 byte would end the text early"},
      {"TEXT \"a\\x81\"", 1, "ends with byte 0x81"},
      {"CHOICE work[1], \"a\", \"\"", 1, "only the first option may be empty"},
      {"TEXT source 1", 1, "source 1 or 2 has a text"}, {"TEXT work[1]", 1, "expected a message"},
      {"CHOICE work[1],\n  \"a\",\n  \"b\" 5", 3, "unexpected '5'"},
      {"TEXTA \"a\"\n  \"b\\q\"", 2, "unknown escape"},
      // What the engine would refuse, with the range that holds.
      {"LET work[256], 1", 1, "work[256] is out of range (the work variables are 0..255)"},
      {"SETF flag[4096]", 1, "flag[4096] is out of range (the flags are 0..4095)"},
      {"LETX work[1], work[2] + work[300]", 1, "in the expression, work[300] is out of range"},
      {"define BIG = work[999]\nRANDOM 6, BIG", 2, "work[999] is out of range"},
      {"TEXTN 19, \"a\"", 1, "speaker 19 has no name (the name table holds 0..18)"},
      {"STATUSSET work[1], work[2], work[3], work[4], work[5],\n"
       "    work[6], work[7], work[8], work[9], work[10], work[256]",
       1, "status slot 10: work[256] is out of range"},
      {"TEXT \"" + std::string(256, 'a') + "\"", 1, "the text is 256 bytes; the engine keeps at most 255"},
      // 128 full-width characters are 256 bytes in Shift-JIS.
      {[] {
         std::string s = "END\nPICTURE \"";
         for (int i = 0; i < 128; ++i) s += "\xE3\x81\x82";  // あ
         return s + "\"";
       }(),
       2, "the text is 256 bytes"},
      {"TEXTA \"" + std::string(200, 'a') + "\"\n  \"" + std::string(56, 'b') + "\"", 1, "the text is 256 bytes"},
      {"CHOICE work[1], \"a\", \"" + std::string(300, 'b') + "\"", 1, "the text is 300 bytes"},
      {"string \"" + std::string(256, 'c') + "\"", 1, "the text is 256 bytes"},
      {"TEXT \"a\\x81\\x00b\"", 1, "a double-byte character at byte 1 has 0 for its second byte"},
      {"TEXT \"\\s{0}ab\"", 1, "a size code at byte 0 has 0 for its size"},
      // Expressions.
      {"LETX work[0], 1 +", 1, "expected a value after '+'"},
      {"LETX work[0], (1", 1, "expected ')' to close '('"},
      {"LETX work[0], abs 1", 1, "expected '(' after abs"},
      {"LETX work[0], { 1 #22 }", 1, "code 22 takes a word"},
      {"LETX work[0], { 1 #0 }", 1, "a raw expression code is 1..255, not 0"},
      {"LETX work[0], { 1 2", 1, "expected '}'"},
      {"JUMPZ work[1] = 2, x\nx:", 1, "expected ',' between operands, found '='"},
      {"LETX work[0], " + std::string(5000, '(') + "1" + std::string(5000, ')'), 1, "nested too deeply"},
      {"LETX work[0], " + std::string(5000, '-') + "1", 1, "nested too deeply"},
  };
  for (const Mistake& m : cases) {
    SCOPED_TRACE(m.source.substr(0, 80));
    AssemblyResult r = Assemble(m.source, "test.s");
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.bytes.empty());
    const Diagnostic& d = r.errors.front();
    EXPECT_EQ(d.file, "test.s");
    EXPECT_EQ(d.line, m.line) << d.ToString();
    EXPECT_NE(d.message.find(m.message), std::string::npos) << d.ToString();
    EXPECT_EQ(d.ToString().rfind("test.s:" + std::to_string(m.line) + ": ", 0), 0u);
  }
  // The largest of each range assembles (the largest work variable, flag
  // and speaker are in the encoding tables).
  EXPECT_EQ(Asm("TEXT \"" + std::string(255, 'a') + "\"").size(), 2u + 255u + 1u);
  EXPECT_EQ(Asm("TEXT \"\\c{0}a\\x81\\x40\"").size(), 8u);  // colour 0 is black
}

// Every mistake is reported, in order, up to a limit.
TEST(ErrorTest, EveryMistakeIsReportedInOrder) {
  AssemblyResult r = Assemble("END\nBAD\nLET work[1], 2\nWAIT 999\nJUMP missing\n", "many.s");
  ASSERT_EQ(r.errors.size(), 3u) << AllErrors(r);
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_EQ(r.errors[1].line, 4);
  EXPECT_EQ(r.errors[2].line, 5);
  std::string source;
  for (int i = 0; i < 500; ++i) source += "BAD\n";
  EXPECT_EQ(Assemble(source, "x.s").errors.size(), kMaxErrors);
}

TEST(ErrorTest, TheFileMayNotOutgrowTheImage) {
  std::string big(40000, 'a');
  AssemblyResult r = Assemble("db \"" + big + "\"\ndb \"" + big + "\"\n", "big.s");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_NE(r.errors[0].message.find("65536"), std::string::npos);

  // A label at the very end of a full file is no address.
  r = Assemble("dw end\ndb \"" + std::string(65534, 'a') + "\"\nend:", "full.s");
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors[0].line, 1);
  EXPECT_NE(r.errors[0].message.find("past the last address"), std::string::npos);
  EXPECT_EQ(Asm("db \"" + std::string(65536, 'a') + "\"").size(), 65536u);
}

// --- Includes ---

SourceLoader Files(std::map<std::string, std::string> files) {
  return [files](const std::string& path) -> std::optional<std::string> {
    return files.contains(path) ? std::optional(files.at(path)) : std::nullopt;
  };
}

// Names and labels come from an included file. The label table (where the
// debugger sets breakpoints) holds every label's offset, the included file's
// too, and nothing when the source has errors.
TEST(IncludeTest, NamesAndLabelsComeFromAnIncludedFile) {
  auto loader = Files({{"game/names.s", "define LOVE = work[3]\nhello: string \"hi\""}});
  AssemblyResult r = Assemble("first: CLICK\ninclude \"names.s\"\nLETW LOVE, LOVE\nTEXT @hello\nlast:",
                              "game/main.s", loader);
  ASSERT_TRUE(r.ok()) << AllErrors(r);
  EXPECT_EQ(r.bytes, (Bytes{22, 'h', 'i', 0, 1, 3, 0, 3, 0, 21, 2, 1, 0}));
  EXPECT_EQ(r.labels, (decltype(r.labels){{"first", 0}, {"hello", 1}, {"last", 13}}));
  EXPECT_TRUE(Assemble("first:\n    JUMP nowhere\n", "broken.s").labels.empty());
}

TEST(IncludeTest, ErrorsNameTheIncludedFile) {
  auto loader = Files({{"a/b.s", "END\nOOPS"}, {"a/loop.s", "include \"loop.s\""}});
  AssemblyResult r = Assemble("include \"b.s\"", "a/main.s", loader);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors[0].ToString(), "a/b.s:2: unknown instruction 'OOPS' (a label needs a colon after its name)");

  r = Assemble("include \"missing.s\"", "a/main.s", loader);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.errors[0].ToString(), "a/main.s:1: cannot read 'a/missing.s'");

  r = Assemble("include \"loop.s\"", "a/main.s", loader);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.errors[0].message.find("nested too deeply"), std::string::npos);
}

}  // namespace
}  // namespace velmor::assembly::testing
