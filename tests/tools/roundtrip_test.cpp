// Assembling and disassembling: every instruction of the opcode table (and
// the language documentation that lists them), the operand forms, texts and
// their escapes, the layout of labels and data, and byte-exact round trips of
// arbitrary files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>

#include "asm_helpers.h"
#include "scenario/disassembly.h"
#include "scenario/language.h"
#include "scenario/opcodes.h"
#include "support/recording_host.h"

namespace velmor::assembly::testing {
namespace {

using scenario::Operand;

// An operand as written, and the bytes the file format gives it.
struct Sample {
  std::string text;
  Bytes bytes;
};

Sample SampleOf(Operand kind, uint8_t opcode) {
  switch (kind) {
    case Operand::Var: return {"work[255]", {0xFF, 0x00}};
    case Operand::Flag: return {"flag[4095]", {0xFF, 0x0F}};
    case Operand::Word: return {"-2", {0xFE, 0xFF}};
    case Operand::Addr: return {"0x0000", {0x00, 0x00}};
    case Operand::Byte: return {"200", {200}};
    case Operand::Expr:
      return {"work[1] + 2 * 3", {22, 1, 0, 21, 2, 0, 21, 3, 0, 12, 8, 0}};
    case Operand::Str: return {"\"BG01\"", {'B', 'G', '0', '1', 0}};
    case Operand::Message: return {"\"hi\\n\"", {1, 'h', 'i', 0x01, 0}};
    case Operand::Choices: return {"\"Yes\", \"No\"", {'Y', 'e', 's', 0, 'N', 'o', 0, 0}};
    case Operand::StatusVars: {
      Sample s;
      for (int i = 0; i < 11; ++i) {
        s.text += (i ? ", work[" : "work[") + std::to_string(i + 20) + "]";
        s.bytes.insert(s.bytes.end(), {static_cast<uint8_t>(i + 20), 0});
      }
      return s;
    }
    case Operand::Speaker: return {std::to_string(opcode - 50), {}};
  }
  return {};
}

// TEXTN's opcodes for the speakers past the name table exist, but the
// assembler refuses them: they round-trip as bytes.
bool HasNamelessSpeaker(uint8_t opcode) { return opcode - 50 >= scenario::kNameCount && opcode <= 71; }

// Every listed instruction with a sample of each operand: it assembles to the
// bytes the format gives it and back, and the trace prints a line that
// assembles to them too. The interpreter reads as many bytes as the decoder:
// with its addresses pointing just past it (a jump taken or not ends in the
// same place), it runs on to a WAIT after it.
TEST(InstructionTableTest, EveryListedInstructionAssemblesRoundTripsAndRunsItsLength) {
  const std::set<std::string> leaves_the_file = {"GOTO", "CALL", "RETURN", "END"};
  for (const scenario::OpcodeInfo* info : scenario::ListedOpcodes()) {
    if (HasNamelessSpeaker(info->code)) continue;
    SCOPED_TRACE(std::string(info->mnemonic) + " (opcode " + std::to_string(info->code) + ")");
    std::string text = info->mnemonic;
    Bytes want{info->code};
    std::vector<size_t> addresses;
    for (Operand kind : info->layout) {
      Sample s = SampleOf(kind, info->code);
      text += (text == info->mnemonic ? " " : ", ") + s.text;
      if (kind == Operand::Addr) addresses.push_back(want.size());
      want.insert(want.end(), s.bytes.begin(), s.bytes.end());
    }
    EXPECT_EQ(Asm(text), want) << text;
    EXPECT_TRUE(RoundTrips(want));
    auto in = scenario::DecodeInstruction(want, 0);
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->length, want.size());
    EXPECT_EQ(Asm(scenario::FormatInstruction(*in)), want);

    if (leaves_the_file.contains(info->mnemonic)) continue;
    Bytes run = want;
    for (size_t at : addresses) run[at] = static_cast<uint8_t>(want.size());
    run.insert(run.end(), {107, 1});  // WAIT 1
    velmor::testing::ScenarioRig rig;
    rig.host.install_waits = false;
    rig.Load(run);
    ASSERT_TRUE(rig.Step());
    bool waits = info->code == 22 || info->code == 107;  // CLICK and WAIT stop the run themselves
    EXPECT_EQ(rig.scn.inx, waits ? want.size() : want.size() + 2);
  }
}

struct Encoding {
  const char* source;
  Bytes bytes;
};

TEST(EncodingTest, AssemblesToTheseBytesAndBack) {
  const Encoding cases[] = {
      {"TEXT @5", {21, 2, 5, 0}}, {"TEXTB @there\nthere:", {30, 2, 4, 0}}, {"TEXT again", {21, 3}},
      {"letx WORK[1], Abs(Flag[2])\nText Again", {3, 1, 0, 23, 2, 0, 18, 0, 21, 3}}, {"TEXT source 0", {21, 0}},
      {"TEXTN 18, again", {68, 3}}, {"TEXTN 3, source 7", {53, 7}}, {"CHOICE work[1], \"\"", {23, 1, 0, 0, 0}},
      {"CHOICE work[1], \"a\" \"b\", \"c\"", {23, 1, 0, 'a', 'b', 0, 'c', 0, 0}},
      {"CHOICE work[2],\n  \"a\",\n  \"b\"", {23, 2, 0, 'a', 0, 'b', 0, 0}},
      {"TEXTA \"a\"\n      \"b\"", {29, 1, 'a', 'b', 0}}, {"NOP 36\nnop 0xFD", {36, 253}},
      {"db 1, -1, \"A\\x00\"", {1, 255, 'A', 0}},
      {"dw 0x1234, -1, here\nhere:", {0x34, 0x12, 0xFF, 0xFF, 6, 0}},
      {"LET work[1], -32768", {0, 1, 0, 0x00, 0x80}},
      {"define LOVE = work[7]\ndefine SEEN = flag[9]\ndefine TEN = 10\n"
       "LETF LOVE, SEEN\nWAIT TEN\nLET work[TEN], TEN",
       {2, 7, 0, 9, 0, 107, 10, 0, 10, 0, 10, 0}},
      {"a: b: JUMP b ; a comment with \"quotes\"", {16, 0, 0}}, {"JUMP end\nend:", {16, 3, 0}},
      {"選択:\n  JUMP 選択", {16, 0, 0}},
  };
  for (const Encoding& e : cases) {
    SCOPED_TRACE(e.source);
    EXPECT_EQ(Asm(e.source), e.bytes);
    EXPECT_TRUE(RoundTrips(e.bytes));
  }
}

// A picture name of 256 bytes, and a message pointing at a 300-byte string.
Bytes LongTexts() {
  Bytes bytes{40};
  bytes.insert(bytes.end(), 256, 'b');
  bytes.insert(bytes.end(), {0, 21, 2, 0x07, 0x01, 255});
  bytes.insert(bytes.end(), 300, 'a');
  bytes.push_back(0);
  return bytes;
}

// Each line must appear in the disassembly, none of the missing ones may.
TEST(LayoutTest, PrintsTheseLines) {
  struct Layout {
    const char* what;
    Bytes bytes;
    std::vector<const char*> lines;
    std::vector<const char*> missing;
  };
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
       {"    JUMPF flag[0], L0006\n", "    END\n", "L0006:\n    db 0x01, 0x02\n"}, {"db 0x01, 0x02, 0x"}},
      // 0: JUMPNF to 8; 5: END; 8: JUMP 6; at 6 a LET would overlap the
      // JUMP at 8, so the JUMP keeps its bytes and 6..7 stay data.
      {"overlapping decodings keep the first", {27, 0, 0, 8, 0, 255, 0, 0, 16, 6, 0},
       {"    JUMPNF flag[0], L0008\n", "L0006:\n    db 0x00, 0x00\n", "L0008:\n    JUMP L0006\n"},
       {"LET"}},
      {"an unlisted opcode", {36, 255}, {"    NOP 36\n", "    END\n"}, {}},
      {"texts go on after line feeds and new pages",
       {21, 1, 'a', 1, 'b', 2, 'c', 1, 0, 23, 0, 0, 'x', 1, 'y', 0, 'z', 0, 0},
       {"    TEXT \"a\\n\"\n        \"b\\p\"\n        \"c\\n\"\n",
        "    CHOICE work[0], \"x\\n\"\n        \"y\", \"z\"\n"},
       {}},
      {"the speaker of TEXTN", {60, 3}, {"    TEXTN 10, again\n"}, {}},
      // What the assembler refuses is written as bytes, with a comment (each
      // fault the assembler names is in its own table).
      {"a work variable out of range", {0, 0x2C, 0x01, 5, 0, 255},
       {"    ; LET work[300], 5: work[300] is out of range",
        "    db 0x00, 0x2C, 0x01, 0x05, 0x00\n", "    END\n"},
       {"    LET"}},
      {"a text whose character lost its second byte", {32, 'A', 0x81, 0, 'B', 0},
       {"    ; MUSIC \"A\\x81\\x00B\": a double-byte character at byte 1"},
       {"    MUSIC"}},
      {"a conditional jump goes both ways", {17, 21, 1, 0, 0, 9, 0, 255, 255, 255},
       {"    JUMPZ 1, L0009\n", "    END\n    db 0xFF\n", "L0009:\n    END\n"}, {}},
      {"texts longer than the engine keeps are bytes", LongTexts(),
       {"L0107:\n    ; a string: the text is 300 bytes; the engine keeps at most 255\n    db 0x61",
        ": the text is 256 bytes"},
       {"    PICTURE"}},
  };
  for (const Layout& l : cases) {
    SCOPED_TRACE(l.what);
    std::string text = Disassemble(l.bytes);
    for (const char* line : l.lines) EXPECT_NE(text.find(line), std::string::npos) << line << " in:\n" << text;
    for (const char* line : l.missing) EXPECT_EQ(text.find(line), std::string::npos) << line << " in:\n" << text;
    EXPECT_TRUE(RoundTrips(l.bytes));
  }
}

TEST(DisassemblyOptionsTest, HeadingAndOffsets) {
  Bytes bytes{34, 21, 1, 'a', 1, 'b', 0, 16, 0, 0};
  std::string text = Disassemble(bytes, {.source_name = "A.SNX", .offsets = true});
  EXPECT_EQ(text.rfind("; A.SNX: 10 bytes\n", 0), 0u) << text;
  EXPECT_NE(text.find("    MUSICONCE"), std::string::npos);
  EXPECT_NE(text.find("; 0x0001\n        \"b\"\n"), std::string::npos) << text;  // on the first line
  EXPECT_NE(text.find("; 0x0007\n"), std::string::npos) << text;
  AssemblyResult r = Assemble(text, "x.s");
  EXPECT_EQ(r.bytes, bytes) << AllErrors(r);
}

TEST(TraceTest, ShowsTheTextOfAMessageKeptElsewhere) {
  Bytes image(65536, 0);
  Bytes code{21, 2, 0x10, 0, 255};
  std::copy(code.begin(), code.end(), image.begin());
  std::string text = "hello";
  std::copy(text.begin(), text.end(), image.begin() + 0x10);
  EXPECT_EQ(scenario::DisassembleForTrace(image, 0), "TEXT @0x0010  ; \"hello\"");
  EXPECT_EQ(scenario::DisassembleForTrace(image, 4), "END");
  image[65535] = 16;  // a JUMP whose address would lie past the end
  EXPECT_NE(scenario::DisassembleForTrace(image, 65535).find("past the end"), std::string::npos);
}

// --- Arbitrary files ---

TEST(RandomFilesTest, AnyBytesRoundTrip) {
  std::mt19937 rng(20240611);
  std::vector<size_t> sizes{0, 1, 2, 3, 4, 5, 7, 16, 255, 256, 65535, 65536, 65536};
  for (int i = 0; i < 400; ++i) sizes.push_back(rng() % 4096);
  for (size_t n : sizes) {
    Bytes b(n);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    ASSERT_TRUE(RoundTrips(b)) << n << " bytes";
  }
  // Few distinct values make long strings, deep expressions and many jumps
  // into the same places.
  for (const Bytes& alphabet : std::vector<Bytes>{
           {0, 16, 17, 21}, {0, 1, 3, 0x82}, {22, 0, 1, 2}, {23, 29, 0, 2}, {0, 255}, {3, 4, 0}}) {
    for (int i = 0; i < 60; ++i) {
      Bytes b(rng() % 2048);
      for (uint8_t& x : b) x = alphabet[rng() % alphabet.size()];
      ASSERT_TRUE(RoundTrips(b));
    }
  }
}

// Random code: listed instructions, their operands' words random, texts
// inline or at an address, a random byte now and then, and every address
// (jumps, texts) pointing anywhere in the file, into instructions too.
TEST(RandomFilesTest, RandomCodeRoundTrips) {
  std::mt19937 rng(1);
  auto listed = scenario::ListedOpcodes();
  for (int round = 1; round <= 300; ++round) {
    Bytes b;
    std::vector<size_t> addresses;
    for (int i = round % 80; i >= 0; --i) {
      if (rng() % 16 == 0) {
        b.push_back(static_cast<uint8_t>(rng()));  // anything at all
        continue;
      }
      const scenario::OpcodeInfo* info = listed[rng() % listed.size()];
      b.push_back(info->code);
      for (Operand kind : info->layout) {
        Bytes operand = SampleOf(kind, info->code).bytes;
        if (kind == Operand::Var || kind == Operand::Flag || kind == Operand::Word || kind == Operand::Addr)
          operand = {static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
        if (kind == Operand::Message && rng() % 2) operand = {2, 0, 0};  // the text at an address
        b.insert(b.end(), operand.begin(), operand.end());
        if (kind == Operand::Addr || (kind == Operand::Message && operand[0] == 2)) addresses.push_back(b.size() - 2);
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

// Inputs the fuzzer found troublesome once, kept as files.
TEST(RandomFilesTest, KeptFuzzInputsRoundTrip) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VELMOR_TEST_DATA_DIR "/asm/fuzz")) {
    std::ifstream in(entry.path(), std::ios::binary);
    EXPECT_TRUE(RoundTrips(Bytes(std::istreambuf_iterator<char>(in), {}))) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

// --- Texts ---

// The bytes a text literal stands for, read as db reads it: without the
// checks of a text operand (which errors_test covers), so that any bytes at
// all, however long, can be printed and read back.
Bytes TextBytes(std::string_view literal) { return Asm("db " + std::string(literal)); }

// A literal, the bytes it stands for, and back: FormatText prints the bytes
// as a literal that assembles to them again.
TEST(EscapeTest, AssemblesToTheseBytesAndPrintsBackToThem) {
  const std::pair<const char*, Bytes> cases[] = {
      {R"("a\nb")", {'a', 0x01, 'b'}},                   // line feed
      {R"("\p")", {0x02}},                               // new page
      {R"("\c{5}x\c{0}")", {0x03, 5, 'x', 0x03, 0}},     // colour, 0 included
      {R"("\c{0x0F}")", {0x03, 15}},
      {R"("\s{24}big")", {0x04, 24, 'b', 'i', 'g'}},     // character size
      {R"("\s{255}")", {0x04, 255}},
      {R"("\w")", {0x05}},                               // wait for a click
      {R"("\name{0}\name{15}")", {0x10, 0x1F}},          // name-table entries
      {R"("\names")", {0x01, 'a', 'm', 'e', 's'}},       // \n, then "ames"
      {R"("\"\\")", {'"', 0x5C}},
      {"\"\xC2\xA5" "100\"", {0x5C, '1', '0', '0'}},     // the yen sign is 0x5C
      {"\"\xE3\x81\x82\"", {0x82, 0xA0}},                // あ
      {"\"\xEF\xBD\xB1\"", {0xB1}},                      // half-width ｱ
      {R"("\x81\x00")", {0x81, 0x00}},                   // a pair with a 0 second byte
      {R"("\x09\x7F\x06\x0E")", {0x09, 0x7F, 0x06, 0x0E}},
      {R"("\x80\xA0\xFD\x40")", {0x80, 0xA0, 0xFD, 0x40}},
      {R"("a" "b")", {'a', 'b'}},
      // A line feed before "ame" must not read as \name (found by fuzzing).
      {R"("\n\x61me{0}")", {0x01, 'a', 'm', 'e', '{', '0', '}'}},
  };
  for (const auto& [literal, bytes] : cases) {
    EXPECT_EQ(TextBytes(literal), bytes) << literal;
    std::string printed = scenario::FormatText(std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(TextBytes(printed), bytes) << printed;
  }
}

TEST(TextFormatTest, PrintsReadableText) {
  auto print = [](Bytes b) { return scenario::FormatText(std::string(b.begin(), b.end())); };
  EXPECT_EQ(print({0x82, 0xA0, 0x01, 0x10, 0x03, 2, 0x05}), "\"\xE3\x81\x82\\n\\name{0}\\c{2}\\w\"");
  EXPECT_EQ(print({'"', 0x5C}), "\"\\\"\xC2\xA5\"");
  EXPECT_EQ(print({0x03}), "\"\\x03\"");  // a colour code without its number
  EXPECT_EQ(print({0x82}), "\"\\x82\"");  // a lone lead byte
  // NEC-selected IBM extensions (0xED40..) share their characters with the
  // IBM extensions (0xFA40..); only one of each pair converts back.
  EXPECT_EQ(print({0xED, 0x40}), "\"\\xED\\x40\"");
}

// Printed and read back, texts come back unchanged: every single byte that is
// no lead byte; each lead byte with every second byte (duplicates of the code
// page, unmapped pairs, control bytes); random texts of pieces that mean
// something to the escapes, the quotes or the pairing.
TEST(TextFormatTest, EveryByteEveryPairAndTrickyPiecesComeBackUnchanged) {
  std::vector<std::string> texts(1);
  for (int b = 1; b < 256; ++b)
    if (!IsLeadByte(static_cast<uint8_t>(b)) && b != 3 && b != 4) texts[0].push_back(static_cast<char>(b));
  for (int lead = 0x81; lead <= 0xFF; ++lead) {
    if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
    texts.emplace_back();
    for (int trail = 0; trail < 256; ++trail) texts.back() += {static_cast<char>(lead), static_cast<char>(trail)};
  }
  std::vector<std::string> pieces{"\x5C", "\"", "{", "}", "{1}", "0", "x", "9", "\x81", "\xE0", "\xA5", "\x80",
                                  "\x06", "\x0F"};
  for (const scenario::TextEscape& e : scenario::TextEscapes()) {
    pieces.push_back(std::string(1, static_cast<char>(e.code)));
    pieces.push_back(std::string(1, static_cast<char>(e.code + e.count - 1)));
    for (size_t k = 0; k < std::string_view(e.name).size(); ++k) pieces.push_back(e.name + k);
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    for (int n = static_cast<int>(rng() % 10); n > 0; --n) text += pieces[rng() % pieces.size()];
    // A pair takes a second byte, anything (0 included); a lone 0 would end the text.
    std::string valid;
    for (size_t k = 0; k < text.size(); ++k) {
      auto b = static_cast<uint8_t>(text[k]);
      valid.push_back(static_cast<char>(b));
      if (b == 3 || b == 4 || IsLeadByte(b)) valid.push_back(k + 1 < text.size() && rng() % 4 ? text[++k] : '\0');
    }
    texts.push_back(valid);
  }
  for (const std::string& t : texts) {
    std::string printed = scenario::FormatText(t);
    ASSERT_EQ(TextBytes(printed), Bytes(t.begin(), t.end())) << printed;
  }
}

// --- The language documentation ---

// Every instruction is listed with its layout, and every example assembles.
TEST(LanguageDocTest, ListsEveryInstructionAndItsExamplesAssemble) {
  std::ifstream in(VELMOR_DOCS_DIR "/scenario-language.md");
  std::string doc{std::istreambuf_iterator<char>(in), {}};
  ASSERT_FALSE(doc.empty()) << VELMOR_DOCS_DIR "/scenario-language.md";
  for (const scenario::OpcodeInfo* info : scenario::ListedOpcodes())
    EXPECT_NE(doc.find("`" + InstructionSyntax(*info) + "`"), std::string::npos) << info->mnemonic;
  int blocks = 0;
  std::regex example("\n *```asm\n([^`]*)\n *```");
  for (std::sregex_iterator it(doc.begin(), doc.end(), example), end; it != end; ++it, ++blocks) {
    AssemblyResult r = Assemble((*it)[1].str(), "example.s");
    EXPECT_TRUE(r.ok()) << "the example at line " << std::count(doc.begin(), doc.begin() + it->position(), '\n') + 3
                        << " of the doc:\n" << (*it)[1] << "\n" << AllErrors(r);
  }
  int fences = 0;  // each asm block is read whole (none holds a backquote)
  for (size_t at = doc.find("```asm"); at != std::string::npos; at = doc.find("```asm", at + 1)) ++fences;
  EXPECT_EQ(blocks, fences);
  EXPECT_GE(blocks, 5);
}

}  // namespace
}  // namespace velmor::assembly::testing
