// Texts: escapes, Shift-JIS, and raw bytes that have no faithful UTF-8 form.
#include <gtest/gtest.h>

#include <random>

#include "asm_helpers.h"
#include "scenario/disassembly.h"

namespace velmor::assembly::testing {
namespace {

// The bytes a text literal stands for, read as db reads it: without the
// checks of a text operand (which errors_test covers), so that any bytes at
// all, however long, can be printed and read back.
Bytes TextBytes(std::string_view literal) { return Asm("db " + std::string(literal)); }

struct Escape {
  const char* literal;
  Bytes bytes;
};
void PrintTo(const Escape& e, std::ostream* os) { *os << e.literal; }

class EscapeTest : public ::testing::TestWithParam<Escape> {};

TEST_P(EscapeTest, AssemblesToTheseBytesAndPrintsBackToThem) {
  EXPECT_EQ(TextBytes(GetParam().literal), GetParam().bytes) << GetParam().literal;
  std::string printed = scenario::FormatText(std::string(GetParam().bytes.begin(), GetParam().bytes.end()));
  EXPECT_EQ(TextBytes(printed), GetParam().bytes) << printed;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeTest,
    ::testing::Values(
        Escape{R"("a\nb")", {'a', 0x01, 'b'}},                   // line feed
        Escape{R"("\p")", {0x02}},                               // new page
        Escape{R"("\c{5}x\c{0}")", {0x03, 5, 'x', 0x03, 0}},     // colour, 0 included
        Escape{R"("\c{0x0F}")", {0x03, 15}},
        Escape{R"("\s{24}big")", {0x04, 24, 'b', 'i', 'g'}},     // character size
        Escape{R"("\s{255}")", {0x04, 255}},
        Escape{R"("\w")", {0x05}},                               // wait for a click
        Escape{R"("\name{0}\name{15}")", {0x10, 0x1F}},          // name-table entries
        Escape{R"("\names")", {0x01, 'a', 'm', 'e', 's'}},       // \n, then "ames"
        Escape{R"("\"\\")", {'"', 0x5C}},
        Escape{"\"\xC2\xA5" "100\"", {0x5C, '1', '0', '0'}},     // the yen sign is 0x5C
        Escape{"\"\xE3\x81\x82\"", {0x82, 0xA0}},                // あ
        Escape{"\"\xEF\xBD\xB1\"", {0xB1}},                      // half-width ｱ
        Escape{R"("\x81\x00")", {0x81, 0x00}},                   // a pair with a 0 second byte
        Escape{R"("\x09\x7F\x06\x0E")", {0x09, 0x7F, 0x06, 0x0E}},
        Escape{R"("\x80\xA0\xFD\x40")", {0x80, 0xA0, 0xFD, 0x40}},
        Escape{R"("a" "b")", {'a', 'b'}},
        // A line feed before "ame" must not read as \name (found by fuzzing).
        Escape{R"("\n\x61me{0}")", {0x01, 'a', 'm', 'e', '{', '0', '}'}}));

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

TEST(TextFormatTest, EveryByteAndEveryPairComesBackUnchanged) {
  // Single bytes that are no lead byte, then each lead byte with each
  // possible second byte: duplicates of the code page, unmapped pairs and
  // pairs with control bytes included.
  std::string singles;
  for (int b = 1; b < 256; ++b)
    if (!IsLeadByte(static_cast<uint8_t>(b)) && b != 3 && b != 4) singles.push_back(static_cast<char>(b));
  std::vector<std::string> texts{singles};
  for (int lead = 0x81; lead <= 0xFF; ++lead) {
    if (!IsLeadByte(static_cast<uint8_t>(lead))) continue;
    std::string t;
    for (int trail = 0; trail < 256; ++trail) {
      t.push_back(static_cast<char>(lead));
      t.push_back(static_cast<char>(trail));
    }
    texts.push_back(t);
  }
  for (const std::string& t : texts) {
    std::string printed = scenario::FormatText(t);
    Bytes want(t.begin(), t.end());
    ASSERT_EQ(TextBytes(printed), want) << printed;
  }
}

TEST(TextFormatTest, RandomTextsOfTrickyPiecesComeBackUnchanged) {
  // Bytes and pieces of text that mean something to the escapes, the quotes
  // or the pairing: every code, every tail of every escape name, braces.
  std::vector<std::string> pieces{"\x5C", "\"", "{", "}", "{1}", "0", "x", "9", "\x81", "\xE0", "\xA5", "\x80"};
  for (char b : {'\x06', '\x0F'}) pieces.push_back(std::string(1, b));
  for (const scenario::TextEscape& e : scenario::TextEscapes()) {
    pieces.push_back(std::string(1, static_cast<char>(e.code)));
    pieces.push_back(std::string(1, static_cast<char>(e.code + e.count - 1)));
    std::string name = e.name;
    for (size_t k = 0; k < name.size(); ++k) pieces.push_back(name.substr(k));
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 30000; ++i) {
    std::string text;
    for (int n = static_cast<int>(rng() % 10); n > 0; --n) text += pieces[rng() % pieces.size()];
    // The second byte of a pair may be anything, 0 included; a lone 0 would
    // end the text, and a pair needs its second byte.
    std::string valid;
    for (size_t k = 0; k < text.size(); ++k) {
      auto b = static_cast<uint8_t>(text[k]);
      valid.push_back(static_cast<char>(b));
      if (b == 3 || b == 4 || IsLeadByte(b)) valid.push_back(k + 1 < text.size() && rng() % 4 ? text[++k] : '\0');
    }
    std::string printed = scenario::FormatText(valid);
    ASSERT_EQ(TextBytes(printed), Bytes(valid.begin(), valid.end())) << printed;
  }
}

}  // namespace
}  // namespace velmor::assembly::testing
