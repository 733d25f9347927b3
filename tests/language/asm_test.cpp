// The assembler and disassembler: every instruction (and the language document), operand
// forms, texts and escapes, expressions against C++, the layout of labels and data,
// byte-exact round trips of any file, and each mistake in a source reported at its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>

#include "language/assembler.h"
#include "language/decoder.h"
#include "language/disassembler.h"
#include "language/disassembly.h"
#include "language/language.h"
#include "language/opcodes.h"
#include "support/recording_host.h"

namespace velmor::language {
namespace {

using Bytes = std::vector<uint8_t>;
using velmor::testing::ScenarioRig;

std::string AllErrors(const AssemblyResult& r) {
  std::string s;
  for (const Diagnostic& d : r.errors) s += d.ToString() + "\n";
  return s;
}

// The bytes of a source that must assemble; a failure names the errors.
Bytes Asm(std::string_view source) {
  AssemblyResult r = Assemble(source, "test.s");
  EXPECT_TRUE(r.ok()) << "source:\n" << source << "\nerrors:\n" << AllErrors(r);
  return r.bytes;
}

// Disassembles and assembles again; the bytes must come back unchanged.
::testing::AssertionResult RoundTrips(const Bytes& bytes) {
  std::string text = Disassemble(bytes);
  AssemblyResult r = Assemble(text, "disassembly.s");
  if (r.ok() && r.bytes == bytes) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << AllErrors(r) << "the bytes differ from offset "
         << std::ranges::mismatch(bytes, r.bytes).in1 - bytes.begin() << " (" << bytes.size()
         << " bytes in, " << r.bytes.size() << " out) in:\n" << text.substr(0, 4000);
}

// The bytes a text literal stands for, read as db reads it: without the
// checks of a text operand, so that any bytes at all can be printed and read.
Bytes TextBytes(std::string_view literal) { return Asm("db " + std::string(literal)); }

// The codes of an expression operand, the end code included, and printed.
Bytes Codes(std::string_view expression) {
  Bytes b = Asm("LETX work[0], " + std::string(expression));
  return b.size() >= 3 ? Bytes(b.begin() + 3, b.end()) : b;
}
std::string Printed(const Bytes& codes) {
  Bytes instruction{3, 0, 0};
  instruction.insert(instruction.end(), codes.begin(), codes.end());
  auto in = DecodeInstruction(instruction, 0);
  return in ? FormatExpression(in->operands[1].expr) : "(no instruction)";
}

// An operand as written, and the bytes the file format gives it.
struct Sample { std::string text; Bytes bytes; };
Sample SampleOf(Operand kind, uint8_t opcode) {
  switch (kind) {
    case Operand::Var: return {"work[255]", {0xFF, 0x00}};
    case Operand::Flag: return {"flag[4095]", {0xFF, 0x0F}};
    case Operand::Word: return {"-2", {0xFE, 0xFF}};
    case Operand::Addr: return {"0x0000", {0x00, 0x00}};
    case Operand::Byte: return {"200", {200}};
    case Operand::Expr: return {"work[1] + 2 * 3", {22, 1, 0, 21, 2, 0, 21, 3, 0, 12, 8, 0}};
    case Operand::Str: return {"\"BG01\"", {'B', 'G', '0', '1', 0}};
    case Operand::Message: return {"\"hi\\n\"", {1, 'h', 'i', 0x01, 0}};
    case Operand::Choices: return {"\"Yes\", \"No\"", {'Y', 'e', 's', 0, 'N', 'o', 0, 0}};
    case Operand::StatusVars:
      return {"work[20], work[21], work[22], work[23], work[24], work[25], work[26], work[27], "
              "work[28], work[29], work[30]",
              {20, 0, 21, 0, 22, 0, 23, 0, 24, 0, 25, 0, 26, 0, 27, 0, 28, 0, 29, 0, 30, 0}};
    case Operand::Speaker: return {std::to_string(opcode - 50), {}};
  }
  return {};
}

// Every listed instruction, a sample for each operand, assembles to its bytes and back, as
// does the trace's line; the interpreter runs as many bytes as the decoder reads (addresses
// point just past it: a jump taken or not ends in the same place, a WAIT after it).
TEST(InstructionTableTest, EveryListedInstructionAssemblesRoundTripsAndRunsItsLength) {
  for (const OpcodeRow* row : ListedOpcodes()) {
    // TEXTN's speakers past the name table are refused: they round-trip as bytes.
    if (row->code >= kFirstTextN && row->code <= kLastTextN && SpeakerOf(row->code) >= kNameCount)
      continue;
    SCOPED_TRACE(std::string(row->mnemonic) + " (opcode " + std::to_string(row->code) + ")");
    std::string text = row->mnemonic;
    Bytes want{row->code};
    std::vector<size_t> addresses;
    for (Operand kind : row->layout) {
      Sample s = SampleOf(kind, row->code);
      text += (text == row->mnemonic ? " " : ", ") + s.text;
      if (kind == Operand::Addr) addresses.push_back(want.size());
      want.insert(want.end(), s.bytes.begin(), s.bytes.end());
    }
    EXPECT_EQ(Asm(text), want) << text;
    EXPECT_TRUE(RoundTrips(want));
    auto in = DecodeInstruction(want, 0);
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->length, want.size());
    EXPECT_EQ(Asm(FormatInstruction(*in)), want);
    if (std::set<std::string>{"GOTO", "CALL", "RETURN", "END"}.contains(row->mnemonic)) continue;
    Bytes run = want;
    for (size_t at : addresses) run[at] = static_cast<uint8_t>(want.size());
    run.insert(run.end(), {107, 1});  // WAIT 1
    ScenarioRig rig;
    rig.host.install_waits = false;
    rig.Load(run);
    ASSERT_TRUE(rig.Step());
    bool waits = row->code == 22 || row->code == 107;  // CLICK and WAIT stop the run themselves
    EXPECT_EQ(rig.scn.inx, waits ? want.size() : want.size() + 2);
  }
}

TEST(EncodingTest, AssemblesToTheseBytesAndBack) {
  const std::pair<const char*, Bytes> cases[] = {
      {"TEXT @5", {21, 2, 5, 0}}, {"TEXTB @there\nthere:", {30, 2, 4, 0}}, {"TEXT again", {21, 3}},
      {"letx WORK[1], Abs(Flag[2])\nText Again", {3, 1, 0, 23, 2, 0, 18, 0, 21, 3}},
      {"TEXT source 0", {21, 0}}, {"TEXTN 18, again", {68, 3}}, {"TEXTN 3, source 7", {53, 7}},
      {"CHOICE work[1], \"\"", {23, 1, 0, 0, 0}},
      {"CHOICE work[1], \"a\" \"b\", \"c\"", {23, 1, 0, 'a', 'b', 0, 'c', 0, 0}},
      {"CHOICE work[2],\n  \"a\",\n  \"b\"", {23, 2, 0, 'a', 0, 'b', 0, 0}},
      {"TEXTA \"a\"\n      \"b\"", {29, 1, 'a', 'b', 0}}, {"NOP 36\nnop 0xFD", {36, 253}},
      {"db 1, -1, \"A\\x00\"", {1, 255, 'A', 0}},
      {"dw 0x1234, -1, here\nhere:", {0x34, 0x12, 0xFF, 0xFF, 6, 0}},
      {"LET work[1], -32768", {0, 1, 0, 0x00, 0x80}},
      {"define LOVE = work[7]\ndefine SEEN = flag[9]\ndefine TEN = 10\n"
       "LETF LOVE, SEEN\nWAIT TEN\nLET work[TEN], TEN", {2, 7, 0, 9, 0, 107, 10, 0, 10, 0, 10, 0}},
      {"define N = -3\ndefine HP = work[9]\ndefine MET = flag[4]\nLETX HP, N + HP * MET",
       {3, 9, 0, 21, 3, 0, 19, 22, 9, 0, 23, 4, 0, 12, 8, 0}},
      {"LETX work[1], { 1 work[2] flag[3] #1 #255 }",
       {3, 1, 0, 21, 1, 0, 22, 2, 0, 23, 3, 0, 1, 255, 0}},
      {"a: b: JUMP b ; a comment with \"quotes\"", {16, 0, 0}}, {"JUMP end\nend:", {16, 3, 0}},
      {"選択:\n  JUMP 選択", {16, 0, 0}},
  };
  for (const auto& [source, bytes] : cases) {
    SCOPED_TRACE(source);
    EXPECT_EQ(Asm(source), bytes);
    EXPECT_TRUE(RoundTrips(bytes));
  }
}

// Each line must appear in the disassembly, none of the missing ones may.
TEST(LayoutTest, PrintsTheseLines) {
  // A picture name of 256 bytes, and a message pointing at a 300-byte string.
  std::string long_texts = "\x28" + std::string(256, 'b');
  long_texts += std::string("\0\x15\x02\x07\x01\xFF", 6) + std::string(300, 'a') + '\0';
  struct Layout { const char* what; Bytes bytes; std::vector<const char*> lines, missing; };
  const Layout cases[] = {
      {"an empty file", {}, {}, {"db", "L0"}},
      {"a jump into the middle of itself", {16, 1, 0}, {"    JUMP 0x0001\n"}, {"L0001"}},
      {"a jump to the end of the file", {16, 3, 0}, {"    JUMP L0003\n", "L0003:\n"}, {}},
      {"bytes after END are data", {255, 1, 2}, {"    END\n", "    db 0x01, 0x02\n"}, {}},
      {"an instruction running past the end", {16, 1}, {"    db 0x10, 0x01\n"}, {"JUMP"}},
      {"an unterminated string", {24, 'A', 'B'}, {"    db 0x18, 0x41, 0x42\n"}, {"GOTO"}},
      {"a message's text is a string", {21, 2, 5, 0, 255, 'h', 'i', 0},
       {"    TEXT @L0005\n", "L0005:\n    string \"hi\"\n"}, {}},
      {"a message pointing at itself", {21, 2, 0, 0, 255}, {"L0000:\n", "    TEXT @L0000\n"}, {}},
      {"a label inside data splits the db line", {28, 0, 0, 6, 0, 255, 1, 2},
       {"    JUMPF flag[0], L0006\n", "    END\n", "L0006:\n    db 0x01, 0x02\n"},
       {"db 0x01, 0x02, 0x"}},
      // 0: JUMPNF to 8; 5: END; 8: JUMP 6; at 6 a LET would overlap the
      // JUMP at 8, so the JUMP keeps its bytes and 6..7 stay data.
      {"overlapping decodings keep the first", {27, 0, 0, 8, 0, 255, 0, 0, 16, 6, 0},
       {"    JUMPNF flag[0], L0008\n", "L0006:\n    db 0x00, 0x00\n", "L0008:\n    JUMP L0006\n"},
       {"LET"}},
      {"an unlisted opcode", {36, 255}, {"    NOP 36\n", "    END\n"}, {}},
      {"texts go on after line feeds and new pages",
       {21, 1, 'a', 1, 'b', 2, 'c', 1, 0, 23, 0, 0, 'x', 1, 'y', 0, 'z', 0, 0},
       {"    TEXT \"a\\n\"\n        \"b\\p\"\n        \"c\\n\"\n",
        "    CHOICE work[0], \"x\\n\"\n        \"y\", \"z\"\n"}, {}},
      {"the speaker of TEXTN", {60, 3}, {"    TEXTN 10, again\n"}, {}},
      // What the assembler refuses is written as bytes, with a comment.
      {"a work variable out of range", {0, 0x2C, 0x01, 5, 0, 255},
       {"    ; LET work[300], 5: work[300] is out of range",
        "    db 0x00, 0x2C, 0x01, 0x05, 0x00\n", "    END\n"}, {"    LET"}},
      {"a text whose character lost its second byte", {32, 'A', 0x81, 0, 'B', 0},
       {"    ; MUSIC \"A\\x81\\x00B\": a double-byte character at byte 1"}, {"    MUSIC"}},
      {"a conditional jump goes both ways", {17, 21, 1, 0, 0, 9, 0, 255, 255, 255},
       {"    JUMPZ 1, L0009\n", "    END\n    db 0xFF\n", "L0009:\n    END\n"}, {}},
      {"texts longer than the engine keeps are bytes", Bytes(long_texts.begin(), long_texts.end()),
       {"L0107:\n    ; a string: the text is 300 bytes; the engine keeps at most 255\n    db 0x61",
        ": the text is 256 bytes"}, {"    PICTURE"}},
  };
  for (const Layout& l : cases) {
    SCOPED_TRACE(l.what);
    std::string text = Disassemble(l.bytes);
    for (const char* line : l.lines) EXPECT_NE(text.find(line), text.npos) << line << text;
    for (const char* line : l.missing) EXPECT_EQ(text.find(line), text.npos) << line << text;
    EXPECT_TRUE(RoundTrips(l.bytes));
  }
}

TEST(DisassemblyOptionsTest, HeadingOffsetsAndTheTrace) {
  Bytes bytes{34, 21, 1, 'a', 1, 'b', 0, 16, 0, 0};
  std::string text = Disassemble(bytes, {.source_name = "A.SNX", .offsets = true});
  EXPECT_TRUE(text.starts_with("; A.SNX: 10 bytes\n")) << text;
  EXPECT_NE(text.find("    MUSICONCE"), std::string::npos);
  EXPECT_NE(text.find("; 0x0001\n        \"b\"\n"), text.npos) << text;  // on the first line
  EXPECT_NE(text.find("; 0x0007\n"), std::string::npos) << text;
  AssemblyResult r = Assemble(text, "x.s");
  EXPECT_EQ(r.bytes, bytes) << AllErrors(r);
  // The trace shows the text of a message kept elsewhere.
  Bytes image(65536, 0);
  std::ranges::copy(Bytes{21, 2, 0x10, 0, 255}, image.begin());
  std::ranges::copy(std::string_view("hello"), image.begin() + 0x10);
  EXPECT_EQ(DisassembleForTrace(image, 0), "TEXT @0x0010  ; \"hello\"");
  EXPECT_EQ(DisassembleForTrace(image, 4), "END");
  image[65535] = 16;  // a JUMP whose address would lie past the end
  EXPECT_NE(DisassembleForTrace(image, 65535).find("past the end"), std::string::npos);
}

// Any bytes, bytes of few values (long strings, deep expressions, many jumps to the same
// places), the inputs fuzzing found troublesome and random code.
TEST(RandomFilesTest, AnyBytesFuzzInputsAndRandomCodeRoundTrip) {
  std::mt19937 rng(20240611);
  auto random = [&](size_t n, const Bytes& alphabet) {
    Bytes b(n);
    for (uint8_t& x : b) x = alphabet.empty() ? rng() & 0xFF : alphabet[rng() % alphabet.size()];
    return b;
  };
  for (size_t n : {0, 1, 2, 3, 4, 5, 7, 16, 255, 256, 65535, 65536, 65536})
    ASSERT_TRUE(RoundTrips(random(n, {}))) << n << " bytes";
  for (int i = 0; i < 400; ++i) ASSERT_TRUE(RoundTrips(random(rng() % 4096, {})));
  for (const Bytes& alphabet : std::vector<Bytes>{
           {0, 16, 17, 21}, {0, 1, 3, 0x82}, {22, 0, 1, 2}, {23, 29, 0, 2}, {0, 255}, {3, 4, 0}})
    for (int i = 0; i < 60; ++i) ASSERT_TRUE(RoundTrips(random(rng() % 2048, alphabet)));
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VELMOR_TEST_DATA_DIR "/asm/fuzz")) {
    std::ifstream in(entry.path(), std::ios::binary);
    EXPECT_TRUE(RoundTrips(Bytes(std::istreambuf_iterator<char>(in), {}))) << entry.path();
    ++kept;
  }
  EXPECT_GT(kept, 0);
  // Listed instructions with random words, texts inline or at an address, a random byte
  // now and then, every address (jumps, texts) anywhere in the file, into instructions too.
  auto listed = ListedOpcodes();
  for (int round = 1; round <= 300; ++round) {
    Bytes b;
    std::vector<size_t> addresses;
    for (int i = round % 80; i >= 0; --i) {
      if (rng() % 16 == 0) {
        b.push_back(static_cast<uint8_t>(rng()));  // anything at all
        continue;
      }
      const OpcodeRow* row = listed[rng() % listed.size()];
      b.push_back(row->code);
      for (Operand kind : row->layout) {
        Bytes operand = SampleOf(kind, row->code).bytes;
        if (kind == Operand::Var || kind == Operand::Flag || kind == Operand::Word ||
            kind == Operand::Addr)
          operand = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
        if (kind == Operand::Message && rng() % 2) operand = {2, 0, 0};  // the text at an address
        b.insert(b.end(), operand.begin(), operand.end());
        if (kind == Operand::Addr || (kind == Operand::Message && operand[0] == 2))
          addresses.push_back(b.size() - 2);
      }
    }
    for (size_t at : addresses) {
      auto target = static_cast<uint16_t>(rng() % (b.size() + 2));
      b[at] = static_cast<uint8_t>(target);
      b[at + 1] = static_cast<uint8_t>(target >> 8);
    }
    ASSERT_TRUE(RoundTrips(b)) << "round " << round;
  }
}

// A literal and the bytes it stands for; FormatText prints the bytes as a
// literal that assembles to them again, the literal itself where `exact`.
TEST(EscapeTest, AssemblesToTheseBytesAndPrintsBackToThem) {
  struct Escape { const char* literal; Bytes bytes; bool exact = false; };
  const Escape cases[] = {
      {R"("a\nb")", {'a', 0x01, 'b'}},                // line feed
      {R"("\p")", {0x02}},                            // new page
      {R"("\c{5}x\c{0}")", {0x03, 5, 'x', 0x03, 0}},  // colour, 0 included
      {R"("\c{0x0F}")", {0x03, 15}},
      {R"("\s{24}big")", {0x04, 24, 'b', 'i', 'g'}},  // character size
      {R"("\s{255}")", {0x04, 255}},
      {R"("\w")", {0x05}},                            // wait for a click
      {R"("\name{0}\name{15}")", {0x10, 0x1F}},       // name-table entries
      {R"("\names")", {0x01, 'a', 'm', 'e', 's'}},    // \n, then "ames"
      {R"("\"\\")", {'"', 0x5C}},
      {"\"\\\"\xC2\xA5\"", {'"', 0x5C}, true},        // the yen sign is 0x5C
      {"\"\xC2\xA5" "100\"", {0x5C, '1', '0', '0'}},
      {"\"\xE3\x81\x82\\n\\name{0}\\c{2}\\w\"", {0x82, 0xA0, 0x01, 0x10, 0x03, 2, 0x05}, true},
      {"\"\xEF\xBD\xB1\"", {0xB1}},                   // half-width ｱ
      {R"("\x81\x00")", {0x81, 0x00}},                // a pair with a 0 second byte
      {R"("\x09\x7F\x06\x0E")", {0x09, 0x7F, 0x06, 0x0E}},
      {R"("\x80\xA0\xFD\x40")", {0x80, 0xA0, 0xFD, 0x40}},
      {R"("\x03")", {0x03}, true},                    // a colour code without its number
      {R"("\x82")", {0x82}, true},                    // a lone lead byte
      // NEC-selected IBM extensions (0xED40..) share their characters with
      // the IBM extensions (0xFA40..); only one of each pair converts back.
      {R"("\xED\x40")", {0xED, 0x40}, true}, {R"("a" "b")", {'a', 'b'}},
      // A line feed before "ame" must not read as \name (found by fuzzing).
      {R"("\n\x61me{0}")", {0x01, 'a', 'm', 'e', '{', '0', '}'}},
  };
  for (const Escape& e : cases) {
    EXPECT_EQ(TextBytes(e.literal), e.bytes) << e.literal;
    std::string printed = FormatText(std::string(e.bytes.begin(), e.bytes.end()));
    EXPECT_EQ(TextBytes(printed), e.bytes) << printed;
    EXPECT_TRUE(!e.exact || printed == e.literal) << printed;
  }
}

// Printed and read back, texts come back unchanged: every byte but lead bytes; each lead byte
// with every second byte (duplicates of the code page, unmapped pairs, control bytes); random
// texts of pieces that mean something to the escapes, the quotes or the pairing.
TEST(TextFormatTest, EveryByteEveryPairAndTrickyPiecesComeBackUnchanged) {
  std::vector<std::string> texts(1);
  for (int b = 1; b < 256; ++b)
    if (!IsLeadByte(static_cast<uint8_t>(b)) && b != 3 && b != 4) texts[0] += static_cast<char>(b);
  for (int lead = 0x81; lead <= 0xFF; ++lead) {
    if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
    texts.emplace_back();
    for (int trail = 0; trail < 256; ++trail)
      texts.back() += {static_cast<char>(lead), static_cast<char>(trail)};
  }
  std::vector<std::string> pieces{"\x5C", "\"", "{", "}", "{1}", "0", "x", "9", "\x81", "\xE0",
                                  "\xA5", "\x80", "\x06", "\x0F"};
  for (const TextEscape& e : TextEscapes()) {
    pieces.push_back(std::string(1, static_cast<char>(e.code)));
    pieces.push_back(std::string(1, static_cast<char>(e.code + e.count - 1)));
    for (size_t k = 0; k < std::string_view(e.name).size(); ++k) pieces.push_back(e.name + k);
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 30000; ++i) {
    std::string text, valid;
    for (int n = static_cast<int>(rng() % 10); n > 0; --n) text += pieces[rng() % pieces.size()];
    // A pair takes a second byte, anything (0 included); a lone 0 would end the text.
    for (size_t k = 0; k < text.size(); ++k) {
      auto b = static_cast<uint8_t>(text[k]);
      valid += text[k];
      if (b == 3 || b == 4 || IsLeadByte(b))
        valid += k + 1 < text.size() && rng() % 4 ? text[++k] : '\0';
    }
    texts.push_back(valid);
  }
  // Either way of writing byte 0x5C (the yen sign, or the escape a backslash is written with).
  for (const std::string& t : texts) {
    for (bool backslash : {false, true}) {
      std::string printed = FormatText(t, {.break_texts = false, .backslash = backslash});
      ASSERT_EQ(TextBytes(printed), Bytes(t.begin(), t.end())) << printed;
    }
  }
  EXPECT_EQ(FormatText("a\x5C\x01", {.break_texts = false, .backslash = true}), "\"a\\\\\\n\"");
  EXPECT_EQ(FormatText("a\x5C"), "\"a\xC2\xA5\"");
}

// Every instruction is listed with its layout, and every example assembles.
TEST(LanguageDocTest, ListsEveryInstructionAndItsExamplesAssemble) {
  std::ifstream in(VELMOR_DOCS_DIR "/scenario-language.md");
  std::string doc{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(doc.empty()) << VELMOR_DOCS_DIR "/scenario-language.md";
  for (const OpcodeRow* row : ListedOpcodes())
    EXPECT_NE(doc.find("`" + InstructionSyntax(*row) + "`"), std::string::npos) << row->mnemonic;
  int blocks = 0;  // each asm block is read whole (none holds a backquote)
  std::regex example("\n *```asm\n([^`]*)\n *```"), fence("```asm");
  for (std::sregex_iterator it(doc.begin(), doc.end(), example), end; it != end; ++it, ++blocks) {
    AssemblyResult r = Assemble((*it)[1].str(), "example.s");
    EXPECT_TRUE(r.ok()) << "the example at line "
                        << std::count(doc.begin(), doc.begin() + it->position(), '\n') + 3
                        << " of the doc:\n" << (*it)[1] << "\n" << AllErrors(r);
  }
  EXPECT_EQ(blocks, std::distance(std::sregex_iterator(doc.begin(), doc.end(), fence), {}));
  EXPECT_GE(blocks, 5);
}

// Infix and the postfix it must compile to: precedence and associativity.
TEST(InfixTest, CompilesLikeThePostfix) {
  const std::pair<const char*, const char*> cases[] = {
      {"0xFFFF", "{ 65535 }"}, {"- -1", "{ 1 neg neg }"}, {"!work[1]", "{ work[1] 0 == }"},
      {"abs(-1) % 3", "{ 1 neg abs 3 % }"}, {"1 - 2 - 3", "{ 1 2 - 3 - }"},
      {"1 - (2 - 3)", "{ 1 2 3 - - }"}, {"1 + 2 * 3", "{ 1 2 3 * + }"},
      {"8 / 4 / 2", "{ 8 4 / 2 / }"}, {"1 << 2 + 3", "{ 1 2 3 + << }"},
      {"1 < 2 == 3 > 4", "{ 1 2 < 3 4 > == }"}, {"1 <= 2 != 3 >= 4", "{ 1 2 <= 3 4 >= != }"},
      {"1 & 2 == 3", "{ 1 2 3 == & }"}, {"1 | 2 ^ 3 & 4", "{ 1 2 3 4 & ^ | }"},
      {"1 >> 2 < 3 << 4", "{ 1 2 >> 3 4 << < }"}, {"-work[1] * ~2", "{ work[1] neg 2 ~ * }"},
  };
  for (const auto& [infix, postfix] : cases) EXPECT_EQ(Codes(infix), Codes(postfix)) << infix;
}

// A random expression, fully parenthesised, and what C++ computes for it in
// 32 bits that wrap, with the rig's work[0..7] and flag[0..7].
std::pair<std::string, int32_t> RandomExpression(std::mt19937& rng, ScenarioRig& rig, int depth) {
  auto i = static_cast<uint16_t>(rng() % 8);
  auto n = static_cast<uint16_t>(rng() % 2 ? rng() : rng() % 10);
  if (depth == 0 || rng() % 4 == 0) {
    switch (rng() % 3) {
      case 0: return {std::to_string(n), n};
      case 1: return {"work[" + std::to_string(i) + "]", rig.scn.work[i]};
      default: return {"flag[" + std::to_string(i) + "]", rig.scn.TestFlag(i)};
    }
  }
  auto [a, x] = RandomExpression(rng, rig, depth - 1);
  auto s = [](uint32_t v) { return static_cast<int32_t>(v); };
  auto u = static_cast<uint32_t>(x);
  if (rng() % 8 == 0) {
    switch (rng() % 4) {
      case 0: return {"-(" + a + ")", s(0u - u)};
      case 1: return {"~(" + a + ")", ~x};
      case 2: return {"abs(" + a + ")", x < 0 ? s(0u - u) : x};
      default: return {"!(" + a + ")", x == 0};
    }
  }
  auto [b, y] = RandomExpression(rng, rig, depth - 1);
  auto v = static_cast<uint32_t>(y);
  static const char* kOps[] = {"==", "!=", "<", ">", "<=", ">=", "+", "-",
                               "*",  "/",  "%", "&", "|",  "^",  "<<", ">>"};
  size_t op = rng() % std::size(kOps);
  // Division by 0 ends the program; INT_MIN / -1 does not fit.
  if ((op == 9 || op == 10) && (y == 0 || (x == INT_MIN && y == -1))) op = 6;
  const int32_t r[] = {x == y, x != y, x < y, x > y, x <= y, x >= y, s(u + v), s(u - v), s(u * v),
                       op == 9 ? x / y : 0, op == 10 ? x % y : 0, x & y, x | y, x ^ y,
                       s(u << (v % 32)), s(u >> (v % 32))};
  return {"(" + a + ") " + kOps[op] + " (" + b + ")", r[op]};
}

// The engine evaluates them as C++ does; printed back with as few parentheses
// as the precedence allows, they compile to the same codes.
TEST(EvaluationTest, RandomExpressionsGiveWhatCppComputes) {
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    ScenarioRig rig;
    for (uint16_t i = 0; i < 8; ++i) {
      rig.scn.work[i] = static_cast<int16_t>(rng());
      rig.scn.SetFlag(i, rng() % 2);
    }
    for (int i = 0; i < 40; ++i) {
      auto [text, value] = RandomExpression(rng, rig, 1 + i % 6);
      Bytes codes = Codes(text);
      ASSERT_EQ(rig.Eval(codes), static_cast<int16_t>(value)) << text;
      std::string printed = Printed(codes);
      EXPECT_NE(printed.front(), '{') << printed;
      ASSERT_EQ(Codes(printed), codes) << text << "\nprinted: " << printed;
    }
  }
}

// Codes printed with as few parentheses as the precedence allows, in postfix when no infix
// form says the same (or one would be too deep).
TEST(PrintTest, PrintsThisAndCompilesBack) {
  Bytes deep{21, 5, 0};
  std::string deep_printed = "{ 5";
  for (int i = 0; i < 100; ++i) deep.insert(deep.end(), {21, 1, 0, 8}), deep_printed += " 1 +";
  deep.push_back(0);
  const std::pair<Bytes, std::string> cases[] = {
      {{21, 1, 0, 21, 2, 0, 21, 3, 0, 9, 9, 0}, "1 - (2 - 3)"}, {{21, 1, 0, 19, 19, 0}, "-(-1)"},
      {{21, 1, 0, 21, 2, 0, 8, 19, 0}, "-(1 + 2)"}, {{23, 2, 0, 18, 20, 0}, "~abs(flag[2])"},
      {{0}, "{ }"}, {{21, 1, 0, 21, 2, 0, 1, 0}, "{ 1 2 drop }"},
      {{21, 1, 0, 21, 2, 0, 0}, "{ 1 2 }"}, {{21, 1, 0, 8, 0}, "{ 1 + }"},
      {{24, 255, 0}, "{ #24 #255 }"}, {deep, deep_printed + " }"},
  };
  for (const auto& [codes, printed] : cases) {
    EXPECT_EQ(Printed(codes), printed);
    EXPECT_EQ(Codes(printed), codes);
  }
}

// A source with a mistake, a part of the message it gives, and its line.
struct Mistake { std::string source; const char* message; int line = 1; };

// Each mistake gives "file:line: message" and no bytes.
void ExpectReported(const std::vector<Mistake>& cases) {
  for (const Mistake& m : cases) {
    AssemblyResult r = Assemble(m.source, "test.s");
    std::string first = r.errors.empty() ? "no error" : r.errors[0].ToString();
    EXPECT_TRUE(r.bytes.empty() && first.starts_with("test.s:" + std::to_string(m.line) + ": ") &&
                first.find(m.message) != first.npos) << m.source.substr(0, 80) << "\n" << first;
  }
}

// A string literal of n letters.
std::string Quoted(size_t n) { return "\"" + std::string(n, 'a') + "\""; }

TEST(ErrorTest, ReportsTheLine) {
  ExpectReported({
      {"END\nFOO work[1]", "unknown instruction 'FOO'", 2},
      {"\n\nstart", "a label needs a colon", 3}, {"JUMP", "too few operands; write: JUMP label"},
      {"LET work[1]", "too few operands; write: LET work[N], number"},
      {"END 5", "END takes no operands"},
      {"LET work[1], 2, 3", "unexpected ',' after the operands"},
      {"LET work[1] 2", "expected ',' between operands, found '2'"},
      {"LET 5, 2", "expected a work variable such as work[3], found '5'"},
      {"LETF work[1], work[2]", "expected a flag such as flag[3]"},
      {"WAIT 256", "a byte is 0..255, not 256"},
      {"LET work[1], 65536", "a word is -32768..65535, not 65536"},
      {"LET work[1], 99999999999", "a number that large"}, {"WAIT 12ab", "bad number '12ab'"},
      {"LET work[1], 2 $", "unexpected character '$'"},
      {"JUMP x\nJUMP nowhere\nx:", "undefined label 'nowhere'", 2},
      {"a:\na: END", "'a' is already defined at test.s:1", 2},
      {"work: END", "'work' is a reserved word"},
      {"define X = work[1]\nJUMP X", "'X' is a work variable, not a label", 2},
      {"LET work[1], UNKNOWN", "unknown name 'UNKNOWN'"}, {"NOP 16", "opcode 16 is JUMP"},
      {"TEXTN 2, again", "the speaker of TEXTN is 3..21, not 2"},
      {"STATUSSET work[1], work[2]", "STATUSSET takes 11 work variables, found 2"},
      {"include \"x.s\"", "include is not available"}, {"db", "expected a number"},
      // The file may not outgrow the image; a label at the end of a full one is no address.
      {"db " + Quoted(40000) + "\ndb " + Quoted(40000), "65536", 2},
      {"dw end\ndb " + Quoted(65534) + "\nend:", "past the last address"},
      {"TEXT \"abc", "unterminated string"}, {"TEXT \"\\q\"", "unknown escape '\\q'"},
      {"TEXT \"\\c\"", "\\c takes a number in braces"},
      {"TEXT \"\\name{16}\"", "\\name{N} takes 0..15"},
      {"TEXT \"\\x4\"", "\\x takes two hex digits"},
      {"TEXT \"\xF0\x9F\x98\x80\"", "has no Shift-JIS form"},  // an emoji
      {"TEXT \"\xFF\"", "not valid UTF-8"},
      {"TEXT \"a\\x00b\"", "a 0 byte would end the text early"},
      {"TEXT \"a\\x81\"", "ends with byte 0x81"},
      {"CHOICE work[1], \"a\", \"\"", "only the first option may be empty"},
      {"TEXT source 1", "source 1 or 2 has a text"}, {"TEXT work[1]", "expected a message"},
      {"CHOICE work[1],\n  \"a\",\n  \"b\" 5", "unexpected '5'", 3},
      {"TEXTA \"a\"\n  \"b\\q\"", "unknown escape", 2},
      {"LETX work[0], 1 +", "expected a value after '+'"},
      {"LETX work[0], (1", "expected ')' to close '('"},
      {"LETX work[0], abs 1", "expected '(' after abs"},
      {"LETX work[0], { 1 #22 }", "code 22 takes a word"},
      {"LETX work[0], { 1 #0 }", "a raw expression code is 1..255, not 0"},
      {"LETX work[0], { 1 2", "expected '}'"},
      {"JUMPZ work[1] = 2, x\nx:", "expected ',' between operands, found '='"},
      {"LETX work[0], " + std::string(5000, '(') + "1" + std::string(5000, ')'),
       "nested too deeply"},
      {"LETX work[0], " + std::string(5000, '-') + "1", "nested too deeply"},
  });
}

// What the engine would refuse, with the range that holds.
TEST(ErrorTest, RefusesWhatTheEngineWouldRefuse) {
  std::string wide;  // 128 full-width characters (あ) are 256 bytes in Shift-JIS
  for (int i = 0; i < 128; ++i) wide += "\xE3\x81\x82";
  ExpectReported({
      {"LET work[256], 1", "work[256] is out of range (the work variables are 0..255)"},
      {"SETF flag[4096]", "flag[4096] is out of range (the flags are 0..4095)"},
      {"LETX work[1], work[2] + work[300]", "in the expression, work[300] is out of range"},
      {"define BIG = work[999]\nRANDOM 6, BIG", "work[999] is out of range", 2},
      {"TEXTN 19, \"a\"", "speaker 19 has no name (the name table holds 0..18)"},
      {"STATUSSET work[1], work[2], work[3], work[4], work[5],\n"
       "    work[6], work[7], work[8], work[9], work[10], work[256]",
       "status slot 10: work[256] is out of range"},
      {"TEXT " + Quoted(256), "the text is 256 bytes; the engine keeps at most 255"},
      {"END\nPICTURE \"" + wide + "\"", "the text is 256 bytes", 2},
      {"TEXTA " + Quoted(200) + "\n  " + Quoted(56), "the text is 256 bytes"},
      {"CHOICE work[1], \"a\", " + Quoted(300), "the text is 300 bytes"},
      {"string " + Quoted(256), "the text is 256 bytes"},
      {"TEXT \"a\\x81\\x00b\"", "a double-byte character at byte 1 has 0 for its second byte"},
      {"TEXT \"\\s{0}ab\"", "a size code at byte 0 has 0 for its size"},
  });
  // The largest of each range assembles (the largest work variable, flag
  // and speaker are in the encoding tables).
  EXPECT_EQ(Asm("TEXT " + Quoted(255)).size(), 2u + 255u + 1u);
  EXPECT_EQ(Asm("TEXT \"\\c{0}a\\x81\\x40\"").size(), 8u);  // colour 0 is black
  EXPECT_EQ(Asm("db " + Quoted(65536)).size(), 65536u);
}

// Every mistake is reported, in order, up to a limit.
TEST(ErrorTest, EveryMistakeInOrderUpToALimit) {
  // An undefined label is known only at the end; it is reported in its place all the same.
  AssemblyResult r =
      Assemble("END\nJUMP missing\nBAD\nLET work[1], 2\nWAIT 999\nJUMP gone\n", "many.s");
  std::vector<int> lines;
  for (const Diagnostic& d : r.errors) lines.push_back(d.line);
  EXPECT_EQ(lines, (std::vector<int>{2, 3, 5, 6}));
  std::string bad;
  for (int i = 0; i < 500; ++i) bad += "BAD\n";
  EXPECT_EQ(Assemble(bad, "x.s").errors.size(), kMaxErrors);
}

// A name used before its define says where the define is; one never defined does not.
TEST(ErrorTest, ANameUsedBeforeItsDefineSaysWhereItIs) {
  for (auto [source, error] : {
           std::pair{"WAIT PAUSE\ndefine PAUSE = 5",
                     "t.s:1: unknown name 'PAUSE' (names are defined before they are used); 'PAUSE' "
                     "is defined later, at t.s:2: define it before its first use"},
           std::pair{"END\nLET visits, 1\nEND\ndefine visits = work[3]",
                     "t.s:2: expected a work variable such as work[3], found 'visits'; 'visits' is "
                     "defined later, at t.s:4"},
           std::pair{"SETF seen\ndefine seen = flag[9]",
                     "t.s:1: expected a flag such as flag[3], found 'seen'; 'seen' is defined "
                     "later, at t.s:2"}}) {
    std::string all = AllErrors(Assemble(source, "t.s"));
    EXPECT_TRUE(all.starts_with(error)) << all;
  }
  EXPECT_EQ(AllErrors(Assemble("WAIT PAUSE", "t.s")).find("later"), std::string::npos);
}

// Names and labels come from an included file, and errors name it. The label table (the
// debugger's breakpoints) holds every offset, the included file's too; none after errors.
TEST(IncludeTest, NamesLabelsAndErrorsComeFromTheIncludedFile) {
  const std::map<std::string, std::string> files{
      {"a/names.s", "define LOVE = work[3]\nhello: string \"hi\""},
      {"a/b.s", "END\nOOPS"}, {"a/loop.s", "include \"loop.s\""}};
  auto loader = [&](const std::string& path) -> std::optional<std::string> {
    return files.contains(path) ? std::optional(files.at(path)) : std::nullopt;
  };
  AssemblyResult r = Assemble(
      "first: CLICK\ninclude \"names.s\"\nLETW LOVE, LOVE\nTEXT @hello\nlast:", "a/main.s", loader);
  ASSERT_TRUE(r.ok()) << AllErrors(r);
  EXPECT_EQ(r.bytes, (Bytes{22, 'h', 'i', 0, 1, 3, 0, 3, 0, 21, 2, 1, 0}));
  EXPECT_EQ(r.labels, (decltype(r.labels){{"first", 0}, {"hello", 1}, {"last", 13}}));
  // The line of each statement that wrote bytes, in the file it stands in.
  std::vector<std::string> lines;
  for (const auto& [at, place] : r.lines)
    lines.push_back(std::to_string(at) + " " + place.file + ":" + std::to_string(place.line));
  EXPECT_EQ(lines, (std::vector<std::string>{"0 a/main.s:1", "1 a/names.s:2", "4 a/main.s:3",
                                             "9 a/main.s:4"}));
  EXPECT_TRUE(Assemble("first:\n    JUMP nowhere\n", "broken.s").labels.empty());
  for (auto [source, error] : {
           std::pair{"b.s", "a/b.s:2: unknown instruction 'OOPS' (a label needs a colon after it"},
           std::pair{"missing.s", "a/main.s:1: cannot read 'a/missing.s'"},
           std::pair{"loop.s", "a/loop.s:1: includes nested too deeply"}}) {
    r = Assemble("include \"" + std::string(source) + "\"", "a/main.s", loader);
    EXPECT_TRUE(AllErrors(r).starts_with(error)) << AllErrors(r);
  }
}

}  // namespace
}  // namespace velmor::language
