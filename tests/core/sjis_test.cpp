// Shift-JIS text through the built-in CP932 table, held against the C library's own converter
// (glibc's iconv, "CP932") over every one- and two-byte code and every Unicode character.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "core/byte_string.h"
#include "core/sjis.h"

namespace velmor::testing {
namespace {

// One complete character through iconv: false when it has no mapping.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  bool Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[16];
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size(), dst_left = sizeof buffer;
    char* dst = buffer;
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) || src_left != 0)
      return false;
    out.append(buffer, static_cast<size_t>(dst - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

// The conversions as the program made them through iconv, character by character: the
// reference the table must reproduce.
struct Reference {
  Iconv to_utf8{"UTF-8", "CP932"}, to_sjis{"CP932", "UTF-8"}, to_utf32{"UTF-32LE", "CP932"};

  std::string SjisToUtf8(std::string_view sjis) {
    std::string out;
    for (size_t i = 0; i < sjis.size();) {
      const auto b = static_cast<uint8_t>(sjis[i]);
      const size_t n = b < 0x80 ? 1 : IsLeadByte(b) ? 2 : 1;
      if (i + n > sjis.size()) return out + "\xEF\xBF\xBD";
      if (b < 0x80)
        out.push_back(sjis[i]);
      else if (!to_utf8.Convert(sjis.substr(i, n), out))
        out += "\xEF\xBF\xBD";
      i += n;
    }
    return out;
  }

  std::string Utf8ToSjis(std::string_view utf8, bool* lossy) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
      const auto b = static_cast<uint8_t>(utf8[i]);
      if (b < 0x80) {
        out.push_back(utf8[i++]);
        continue;
      }
      const size_t n = std::min<size_t>(b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4,
                                        utf8.size() - i);
      if (utf8.substr(i, n) == "\xC2\xA5") {
        out.push_back('\x5C');
      } else if (!to_sjis.Convert(utf8.substr(i, n), out)) {
        out.push_back('?');
        *lossy = true;
      }
      i += n;
    }
    return out;
  }

  char32_t CodePoint(std::string_view sjis) {
    if (sjis.size() == 1 && static_cast<uint8_t>(sjis[0]) < 0x80) return sjis[0];
    std::string utf32;
    if (!to_utf32.Convert(sjis, utf32) || utf32.size() != 4) return 0xFFFD;
    const auto* u = reinterpret_cast<const uint8_t*>(utf32.data());
    return u[0] | u[1] << 8 | u[2] << 16 | static_cast<char32_t>(u[3]) << 24;
  }
};

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    s = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
  } else if (c < 0x10000) {
    s = {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
         static_cast<char>(0x80 | (c & 0x3F))};
  } else {
    s = {static_cast<char>(0xF0 | c >> 18), static_cast<char>(0x80 | (c >> 12 & 0x3F)),
         static_cast<char>(0x80 | (c >> 6 & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
  }
  return s;
}

std::string Hex(std::string_view bytes) {
  std::ostringstream out;
  for (unsigned char b : bytes) out << std::hex << std::uppercase << (b < 0x10 ? "0" : "") << +b;
  return out.str();
}

// The differences found, a few of them shown, and how many in all.
struct Differences {
  std::vector<std::string> shown;
  int count = 0;
  void Add(const std::string& what) {
    if (++count <= 12) shown.push_back(what);
  }
  std::string Text() const {
    std::string text = std::to_string(count) + " differences";
    for (const std::string& s : shown) text += "\n  " + s;
    return text;
  }
};

class Cp932Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ref_.to_utf8.ok() && ref_.to_sjis.ok() && ref_.to_utf32.ok())
        << "the C library converts no CP932";
  }
  Reference ref_;
};

// Every single byte and every pair that starts with a lead byte (0x81-0x9F, 0xE0-0xFF) with
// any second byte: the NEC rows (13, 89-92), IBM's (115-119), the user-defined area, the
// half-width katakana, 0x5C and 0x7E, and every code that is no character.
TEST_F(Cp932Test, EveryCodeReadsAsTheSystemConverterReadsIt) {
  Differences diff;
  auto check = [&](const std::string& sjis) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(sjis.data());
    const char32_t code_point = SjisCharToCodePoint(bytes, static_cast<int>(sjis.size()));
    const std::string utf8 = SjisToUtf8(sjis), want_utf8 = ref_.SjisToUtf8(sjis);
    if (code_point != ref_.CodePoint(sjis) || utf8 != want_utf8)
      diff.Add(Hex(sjis) + ": " + Hex(utf8) + " (" + std::to_string(code_point) +
               "), iconv " + Hex(want_utf8));
  };
  int pairs = 0;
  for (int b = 0; b < 256; ++b) {
    check(std::string(1, static_cast<char>(b)));
    if (!IsLeadByte(static_cast<uint8_t>(b))) continue;
    for (int t = 0; t < 256; ++t, ++pairs)
      check({static_cast<char>(b), static_cast<char>(t)});
  }
  EXPECT_EQ(diff.count, 0) << diff.Text();
  EXPECT_EQ(pairs, 63 * 256);
}

// Whole texts: ASCII between the characters, a lone lead byte at the end, a pair that is no
// character, a trail byte 0x5C inside its character.
TEST_F(Cp932Test, TextsReadAsTheSystemConverterReadsThem) {
  for (const std::string sjis :
       {"\x83\x5C\x5C" "100", "\x87\x40\xED\x40\xFA\x40\xF0\x40\x81", "A\x85\x40" "B\xA0\x80\xFD\x41",
        "\xB1\xB2\xDF!", "\x82\xA0\x82", "", "\xFF\xFF\xFF"})
    EXPECT_EQ(Hex(SjisToUtf8(sjis)), Hex(ref_.SjisToUtf8(sjis))) << Hex(sjis);
}

// Every Unicode character, written as CP932: the same bytes as through iconv, "?" for the
// same ones. Where CP932 holds a character more than once, the table writes the code Windows
// writes (the JIS X 0208 one, then NEC's row 13, then IBM's extension, NEC's copy of IBM's
// last); glibc's converter chooses the same for all 396 of them, so there is no difference to
// allow for (Python's codec, the table's source, would choose NEC's copies for 373).
TEST_F(Cp932Test, EveryCharacterIsWrittenAsTheSystemConverterWritesIt) {
  Differences diff;
  int characters = 0, written = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string utf8 = Utf8(c);
    bool lossy = false, want_lossy = false;
    const std::string sjis = Utf8ToSjis(utf8, &lossy), want = ref_.Utf8ToSjis(utf8, &want_lossy);
    if (sjis != want || lossy != want_lossy)
      diff.Add("U+" + Hex(utf8) + ": " + Hex(sjis) + ", iconv " + Hex(want));
    ++characters;
    written += !lossy;
  }
  EXPECT_EQ(diff.count, 0) << diff.Text();
  EXPECT_EQ(characters, 0x110000 - 0x800);
  EXPECT_GT(written, 9000) << "the extensions and the user-defined area are all written";
}

// Broken UTF-8 is read as before: each sequence its first byte promises (cut at the end) is
// one character or one "?" (the bytes it swallowed included).
TEST_F(Cp932Test, BrokenUtf8GivesWhatItGaveBefore) {
  const std::vector<int> edges{0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
  Differences diff;
  auto check = [&](const std::string& utf8) {
    bool lossy = false, want_lossy = false;
    const std::string sjis = Utf8ToSjis(utf8, &lossy), want = ref_.Utf8ToSjis(utf8, &want_lossy);
    if (sjis != want || lossy != want_lossy)
      diff.Add(Hex(utf8) + ": " + Hex(sjis) + ", iconv " + Hex(want));
  };
  for (int lead = 0x80; lead < 0x100; ++lead) {
    const char l = static_cast<char>(lead);
    check(std::string(1, l));
    check(std::string(1, l) + "A");
    check({'x', l, static_cast<char>(0x80)});
    for (int second = 0; second < 0x100; ++second) check({l, static_cast<char>(second), 'Z'});
    for (int second : edges) {
      for (int third : edges) {
        const char s = static_cast<char>(second), t = static_cast<char>(third);
        check({l, s, t});
        check({l, s, t, 'Z'});
        for (int fourth : edges) check({l, s, t, static_cast<char>(fourth)});
      }
    }
  }
  EXPECT_EQ(diff.count, 0) << diff.Text();
}

// What the table holds, without the system converter: characters the code page has twice or
// three times are written as Windows writes them and read back as themselves; the one-way
// characters; the user-defined area; what the code page lacks.
TEST(Cp932, DuplicatesOneWayCharactersAndTheUserArea) {
  struct Row {
    const char* utf8;
    std::string sjis;
    bool lossy;
  };
  for (const Row& row : std::vector<Row>{
           {"￢", "\x81\xCA", false},  // also NEC 0xEEF9 and IBM 0xFA54
           {"∵", "\x81\xE6", false},  // also 0x879A and 0xFA5B
           {"≒", "\x81\xE0", false},  // also NEC row 13, 0x8790
           {"Ⅰ", "\x87\x54", false},  // also IBM 0xFA4A
           {"№", "\x87\x82", false},  // also IBM 0xFA59
           {"ⅰ", "\xFA\x40", false},  // also NEC's copy 0xEEEF
           {"纊", "\xFA\x5C", false},  // also NEC's copy 0xED40
           {"＇", "\xFA\x56", false},  // also NEC's copy 0xEEFB
           {"¥", "\x5C", false},
           {"‾", "\x7E", false},
           {"—", "\x81\x5C", false},  // the dash 0x815C reads as U+2015
           {"¬〜−", "\x81\xCA\x81\x60\x81\x7C", false},  // read as ￢～－
           {"\xEE\x80\x80", "\xF0\x40", false},  // U+E000, the user-defined area's first
           {"\xEE\x9D\x97", "\xF9\xFC", false},  // U+E757, its last
           {"ｱﾞ", "\xB1\xDE", false},
           {"©😀", "??", true}}) {
    bool lossy = false;
    EXPECT_EQ(Hex(Utf8ToSjis(row.utf8, &lossy)), Hex(row.sjis)) << row.utf8;
    EXPECT_EQ(lossy, row.lossy) << row.utf8;
  }
  EXPECT_EQ(SjisToUtf8("\xFA\x54\xEE\xF9\x81\xCA\xFA\x5C\xED\x40\x81\x5C"), "￢￢￢纊纊―");
  EXPECT_EQ(SjisToUtf8("\x5C\x7E\xF0\x40"), "\\~\xEE\x80\x80");
}

}  // namespace
}  // namespace velmor::testing
