// Assembling and disassembling: every instruction of the opcode table, the
// operand forms, the layout of labels and data, and byte-exact round trips of
// arbitrary files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "asm_helpers.h"
#include "scenario/disassembly.h"
#include "scenario/language.h"
#include "scenario/opcodes.h"

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

TEST(InstructionTableTest, EveryListedInstructionAssemblesAndRoundTrips) {
  for (const scenario::OpcodeInfo* info : scenario::ListedOpcodes()) {
    if (HasNamelessSpeaker(info->code)) continue;
    SCOPED_TRACE(std::string(info->mnemonic) + " (opcode " + std::to_string(info->code) + ")");
    std::string text = info->mnemonic;
    Bytes want{info->code};
    bool first = true;
    for (Operand kind : info->layout) {
      Sample s = SampleOf(kind, info->code);
      text += (first ? " " : ", ") + s.text;
      first = false;
      want.insert(want.end(), s.bytes.begin(), s.bytes.end());
    }
    EXPECT_EQ(Asm(text), want) << text;
    EXPECT_TRUE(RoundTrips(want));

    // The trace prints the same line, and it assembles to the same bytes.
    auto in = scenario::DecodeInstruction(want, 0);
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->length, want.size());
    EXPECT_EQ(Asm(scenario::FormatInstruction(*in)), want);
  }
}

struct Encoding {
  const char* source;
  Bytes bytes;
};
void PrintTo(const Encoding& e, std::ostream* os) { *os << e.source; }

class EncodingTest : public ::testing::TestWithParam<Encoding> {};

TEST_P(EncodingTest, AssemblesToTheseBytesAndBack) {
  EXPECT_EQ(Asm(GetParam().source), GetParam().bytes);
  EXPECT_TRUE(RoundTrips(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Operands, EncodingTest,
    ::testing::Values(
        Encoding{"TEXT \"a\"", {21, 1, 'a', 0}},
        Encoding{"TEXT @5", {21, 2, 5, 0}},
        Encoding{"TEXTB @there\nthere:", {30, 2, 4, 0}},
        Encoding{"TEXT again", {21, 3}},
        Encoding{"letx WORK[1], Abs(Flag[2])\nText Again", {3, 1, 0, 23, 2, 0, 18, 0, 21, 3}},
        Encoding{"TEXT source 0", {21, 0}},
        Encoding{"TEXT source 0xFF", {21, 255}},
        Encoding{"TEXTN 18, again", {68, 3}},
        Encoding{"TEXTN 3, source 7", {53, 7}},
        Encoding{"CHOICE work[1], \"\"", {23, 1, 0, 0, 0}},
        Encoding{"CHOICE work[1], \"a\" \"b\", \"c\"", {23, 1, 0, 'a', 'b', 0, 'c', 0, 0}},
        Encoding{"CHOICE work[2],\n  \"a\",\n  \"b\"", {23, 2, 0, 'a', 0, 'b', 0, 0}},
        Encoding{"TEXTA \"a\"\n      \"b\"", {29, 1, 'a', 'b', 0}},
        Encoding{"NOP 36\nnop 0xFD", {36, 253}},
        Encoding{"db 1, -1, \"A\\x00\"", {1, 255, 'A', 0}},
        Encoding{"dw 0x1234, -1, here\nhere:", {0x34, 0x12, 0xFF, 0xFF, 6, 0}},
        Encoding{"string \"ab\"", {'a', 'b', 0}},
        Encoding{"LET work[1], -32768", {0, 1, 0, 0x00, 0x80}},
        Encoding{"define LOVE = work[7]\ndefine SEEN = flag[9]\ndefine TEN = 10\n"
                 "LETF LOVE, SEEN\nWAIT TEN\nLET work[TEN], TEN",
                 {2, 7, 0, 9, 0, 107, 10, 0, 10, 0, 10, 0}},
        Encoding{"top: JUMP top", {16, 0, 0}},
        Encoding{"a: b: JUMP b ; a comment with \"quotes\"", {16, 0, 0}},
        Encoding{"JUMP end\nend:", {16, 3, 0}},
        Encoding{"JUMPF flag[1], 0xFFFF", {28, 1, 0, 0xFF, 0xFF}},
        Encoding{"HITMAP work[3], \"MAP\", 1, 2", {48, 3, 0, 'M', 'A', 'P', 0, 1, 2}},
        Encoding{"選択:\n  JUMP 選択", {16, 0, 0}}));

// --- The layout of a disassembly ---

struct Layout {
  const char* what;
  Bytes bytes;
  std::vector<const char*> lines;    // each must appear in the disassembly
  std::vector<const char*> missing;  // none of these may
};

void PrintTo(const Layout& l, std::ostream* os) { *os << l.what; }

class LayoutTest : public ::testing::TestWithParam<Layout> {};

TEST_P(LayoutTest, PrintsTheseLines) {
  std::string text = Disassemble(GetParam().bytes);
  for (const char* line : GetParam().lines)
    EXPECT_NE(text.find(line), std::string::npos) << "no '" << line << "' in:\n" << text;
  for (const char* line : GetParam().missing)
    EXPECT_EQ(text.find(line), std::string::npos) << "'" << line << "' in:\n" << text;
  EXPECT_TRUE(RoundTrips(GetParam().bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Disassembly, LayoutTest,
    ::testing::Values(
        Layout{"an empty file", {}, {}, {"db", "L0"}},
        Layout{"one byte", {0x10}, {"    db 0x10\n"}, {}},
        Layout{"a jump into the middle of itself", {16, 1, 0}, {"    JUMP 0x0001\n"}, {"L0001"}},
        Layout{"a jump to the end of the file", {16, 3, 0}, {"    JUMP L0003\n", "L0003:\n"}, {}},
        Layout{"a jump past the end", {16, 9, 0}, {"    JUMP 0x0009\n"}, {"L0009"}},
        Layout{"bytes after END are data", {255, 1, 2}, {"    END\n", "    db 0x01, 0x02\n"}, {}},
        Layout{"an instruction running past the end", {16, 1}, {"    db 0x10, 0x01\n"}, {"JUMP"}},
        Layout{"an unterminated string", {24, 'A', 'B'}, {"    db 0x18, 0x41, 0x42\n"}, {"GOTO"}},
        Layout{"a message's text is a string",
               {21, 2, 5, 0, 255, 'h', 'i', 0},
               {"    TEXT @L0005\n", "L0005:\n    string \"hi\"\n"},
               {}},
        Layout{"a message pointing into code", {21, 2, 1, 0, 255}, {"    TEXT @0x0001\n"}, {"string"}},
        Layout{"a message pointing at itself", {21, 2, 0, 0, 255}, {"L0000:\n", "    TEXT @L0000\n"}, {}},
        Layout{"a label inside data splits the db line",
               {28, 0, 0, 6, 0, 255, 1, 2},
               {"    JUMPF flag[0], L0006\n", "    END\n", "L0006:\n    db 0x01, 0x02\n"},
               {"db 0x01, 0x02, 0x"}},
        // 0: JUMPNF to 8; 5: END; 8: JUMP 6; at 6 a LET would overlap the
        // JUMP at 8, so the JUMP keeps its bytes and 6..7 stay data.
        Layout{"overlapping decodings keep the first",
               {27, 0, 0, 8, 0, 255, 0, 0, 16, 6, 0},
               {"    JUMPNF flag[0], L0008\n", "L0006:\n    db 0x00, 0x00\n", "L0008:\n    JUMP L0006\n"},
               {"LET"}},
        Layout{"an unlisted opcode", {36, 255}, {"    NOP 36\n", "    END\n"}, {}},
        Layout{"texts go on after line feeds and new pages",
               {21, 1, 'a', 1, 'b', 2, 'c', 1, 0, 23, 0, 0, 'x', 1, 'y', 0, 'z', 0, 0},
               {"    TEXT \"a\\n\"\n        \"b\\p\"\n        \"c\\n\"\n",
                "    CHOICE work[0], \"x\\n\"\n        \"y\", \"z\"\n"},
               {}},
        Layout{"the speaker of TEXTN", {60, 3}, {"    TEXTN 10, again\n"}, {}},
        // What the assembler refuses is written as bytes, with a comment (each
        // fault the assembler names is in its own table).
        Layout{"a work variable out of range",
               {0, 0x2C, 0x01, 5, 0, 255},
               {"    ; LET work[300], 5: work[300] is out of range",
                "    db 0x00, 0x2C, 0x01, 0x05, 0x00\n", "    END\n"},
               {"    LET"}},
        Layout{"a text whose character lost its second byte",
               {32, 'A', 0x81, 0, 'B', 0},
               {"    ; MUSIC \"A\\x81\\x00B\": a double-byte character at byte 1"},
               {"    MUSIC"}},
        Layout{"a conditional jump goes both ways",
               {17, 21, 1, 0, 0, 9, 0, 255, 255, 255},
               {"    JUMPZ 1, L0009\n", "    END\n    db 0xFF\n", "L0009:\n    END\n"},
               {}}),
    [](const ::testing::TestParamInfo<Layout>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(DisassemblyRefusalsTest, TextsLongerThanTheEngineKeepsAreBytes) {
  // A 256-byte picture name, and a message pointing at a 300-byte string.
  Bytes bytes{40};
  bytes.insert(bytes.end(), 256, 'b');
  bytes.insert(bytes.end(), {0, 21, 2, 0x07, 0x01, 255});
  bytes.insert(bytes.end(), 300, 'a');
  bytes.push_back(0);
  std::string text = Disassemble(bytes);
  EXPECT_NE(text.find("L0107:\n    ; a string: the text is 300 bytes; the engine keeps at most 255\n"
                      "    db 0x61"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find(": the text is 256 bytes"), std::string::npos) << text;
  EXPECT_EQ(text.find("    PICTURE"), std::string::npos) << text;
  EXPECT_TRUE(RoundTrips(bytes));
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

// Random code: listed instructions with random operands, jumps and text
// addresses anywhere in the file (into instructions too).
class CodeGenerator {
 public:
  explicit CodeGenerator(uint32_t seed) : rng_(seed) {}

  Bytes Make(int instructions) {
    Bytes b;
    std::vector<size_t> addresses;
    auto listed = scenario::ListedOpcodes();
    for (int i = 0; i < instructions; ++i) {
      if (rng_() % 16 == 0) {
        b.push_back(static_cast<uint8_t>(rng_()));  // anything at all
        continue;
      }
      const scenario::OpcodeInfo* info = listed[rng_() % listed.size()];
      b.push_back(info->code);
      for (Operand kind : info->layout) Operand_(kind, b, addresses);
    }
    for (size_t at : addresses) {
      uint16_t target = static_cast<uint16_t>(rng_() % (b.size() + 2));
      b[at] = static_cast<uint8_t>(target);
      b[at + 1] = static_cast<uint8_t>(target >> 8);
    }
    return b;
  }

 private:
  void Word(Bytes& b) {
    b.push_back(static_cast<uint8_t>(rng_()));
    b.push_back(static_cast<uint8_t>(rng_()));
  }

  void Text(Bytes& b, bool nonempty) {
    int n = static_cast<int>(rng_() % 10) + (nonempty ? 1 : 0);
    for (int i = 0; i < n; ++i) {
      switch (rng_() % 6) {
        case 0: b.push_back(static_cast<uint8_t>(0x20 + rng_() % 0x5F)); break;
        case 1: b.push_back(static_cast<uint8_t>(1 + rng_() % 5)); break;  // 3, 4 take the next byte
        case 2: b.push_back(static_cast<uint8_t>(0x10 + rng_() % 16)); break;
        case 3:  // a pair: a lead byte and anything
          b.push_back(static_cast<uint8_t>(rng_() % 2 ? 0x81 + rng_() % 31 : 0xE0 + rng_() % 32));
          b.push_back(static_cast<uint8_t>(rng_()));
          break;
        case 4: b.push_back(static_cast<uint8_t>(0x80 + rng_() % 0x80)); break;
        default: b.push_back(static_cast<uint8_t>(1 + rng_() % 255)); break;
      }
    }
    b.push_back(0);
  }

  void Expression(Bytes& b) {
    int n = static_cast<int>(rng_() % 8);
    for (int i = 0; i < n; ++i) {
      uint8_t code = static_cast<uint8_t>(rng_() % 4 ? 21 + rng_() % 3 : 1 + rng_() % 30);
      if (code == 0) continue;
      b.push_back(code);
      if (code >= 21 && code <= 23) Word(b);
    }
    b.push_back(0);
  }

  void Operand_(Operand kind, Bytes& b, std::vector<size_t>& addresses) {
    switch (kind) {
      case Operand::Var:
      case Operand::Flag:
      case Operand::Word: return Word(b);
      case Operand::Addr:
        addresses.push_back(b.size());
        return Word(b);
      case Operand::Byte: return b.push_back(static_cast<uint8_t>(rng_()));
      case Operand::Expr: return Expression(b);
      case Operand::Str: return Text(b, false);
      case Operand::Message: {
        uint8_t source = static_cast<uint8_t>(rng_() % 5 ? 1 + rng_() % 3 : rng_());
        b.push_back(source);
        if (source == 1) Text(b, false);
        if (source == 2) {
          addresses.push_back(b.size());
          Word(b);
        }
        return;
      }
      case Operand::Choices: {
        int n = 1 + static_cast<int>(rng_() % 3);
        for (int i = 0; i < n; ++i) Text(b, i > 0);
        return b.push_back(0);
      }
      case Operand::StatusVars:
        for (int i = 0; i < 11; ++i) Word(b);
        return;
      case Operand::Speaker: return;
    }
  }

  std::mt19937 rng_;
};

TEST(RandomFilesTest, RandomCodeRoundTrips) {
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    CodeGenerator gen(seed);
    Bytes b = gen.Make(1 + static_cast<int>(seed % 80));
    ASSERT_TRUE(RoundTrips(b)) << "seed " << seed;
  }
}

// Inputs the fuzzer found troublesome once, kept as files.
TEST(RandomFilesTest, KeptFuzzInputsRoundTrip) {
  std::filesystem::path dir = std::filesystem::path(VELMOR_TEST_DATA_DIR) / "asm" / "fuzz";
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(RoundTrips(b)) << entry.path();
    ++count;
  }
  EXPECT_GT(count, 0);
}

// The debugger sets breakpoints at labels: each one's offset, those of an
// included file among them; none when the source has errors.
TEST(LabelTableTest, NamesEveryLabelWithItsOffset) {
  SourceLoader loader = [](const std::string& path) -> std::optional<std::string> {
    if (path.ends_with("part.s")) return "inner:\n    CLICK\n";
    return std::nullopt;
  };
  AssemblyResult r = Assemble(
      "first:\n    LET work[1], 1\ninclude \"part.s\"\nlast:\n    END\n", "main.s", loader);
  ASSERT_TRUE(r.ok()) << AllErrors(r);
  EXPECT_EQ(r.labels, (decltype(r.labels){{"first", 0}, {"inner", 5}, {"last", 6}}));

  AssemblyResult broken = Assemble("first:\n    JUMP nowhere\n", "broken.s");
  EXPECT_FALSE(broken.ok());
  EXPECT_TRUE(broken.labels.empty());
}

}  // namespace
}  // namespace velmor::assembly::testing
