// Message catalogues read from bytes: both byte orders, the header's charset,
// plural forms, and every way a damaged file can point past its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/mo_catalogue.h"

namespace velmor::formats {
namespace {

using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::pair<std::string, std::string>>;

void Put32(Bytes& b, size_t at, uint32_t v, bool big_endian) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<size_t>(i)] =
        static_cast<uint8_t>(v >> (big_endian ? 8 * (3 - i) : 8 * i));
}

// A catalogue laid out as msgfmt lays it out: the header, the two tables,
// then the texts, each ending in a 0 byte.
Bytes MoFile(const Texts& texts, bool big_endian = false) {
  const uint32_t n = static_cast<uint32_t>(texts.size());
  const uint32_t sources = 28, translations = 28 + 8 * n;
  Bytes b(28 + 16 * size_t{n}, 0);
  Put32(b, 0, 0x950412de, big_endian);
  Put32(b, 8, n, big_endian);
  Put32(b, 12, sources, big_endian);
  Put32(b, 16, translations, big_endian);
  for (int column = 0; column < 2; ++column)
    for (uint32_t i = 0; i < n; ++i) {
      const std::string& s = column == 0 ? texts[i].first : texts[i].second;
      const uint32_t table = column == 0 ? sources : translations;
      Put32(b, table + 8 * i, static_cast<uint32_t>(s.size()), big_endian);
      Put32(b, table + 8 * i + 4, static_cast<uint32_t>(b.size()), big_endian);
      b.insert(b.end(), s.begin(), s.end());
      b.push_back(0);
    }
  return b;
}

const Texts kSample = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"Quit", "終了"},
    {"Music volume", "音楽の音量"},
    {std::string("one file\0%s files", 17), std::string("%s 個のファイル\0", 21)},
};

std::string Translation(const Catalogue& c, std::string_view source) {
  const std::string* found = c.Find(source);
  return found ? *found : "(none)";
}

TEST(MoCatalogue, ReadsTextsInEitherByteOrder) {
  for (bool big_endian : {false, true}) {
    SCOPED_TRACE(big_endian ? "big-endian" : "little-endian");
    FormatResult<Catalogue> c = ReadMoCatalogue(MoFile(kSample, big_endian));
    ASSERT_TRUE(c.ok()) << c.fault().Text();
    EXPECT_EQ(c->size(), 3u);  // the header is not a text
    EXPECT_EQ(Translation(*c, "Quit"), "終了");
    EXPECT_EQ(Translation(*c, "Music volume"), "音楽の音量");
    EXPECT_EQ(Translation(*c, "one file"), "%s 個のファイル");  // the singular's form
    EXPECT_EQ(Translation(*c, "Play the demo"), "(none)");
    EXPECT_EQ(Translation(*c, ""), "(none)");
  }
}

TEST(MoCatalogue, AnEmptyCatalogueAndEmptyTranslations) {
  FormatResult<Catalogue> none = ReadMoCatalogue(MoFile({}));
  ASSERT_TRUE(none.ok());
  EXPECT_TRUE(none->empty());
  // msgfmt leaves untranslated texts out; one written anyway counts as none.
  FormatResult<Catalogue> c = ReadMoCatalogue(MoFile({{"Quit", ""}}));
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(Translation(*c, "Quit"), "(none)");
}

TEST(MoCatalogue, RefusesWhatIsNoCatalogue) {
  struct Case {
    const char* why;
    Bytes bytes;
    const char* fault;
  };
  Bytes wrong_magic = MoFile(kSample);
  wrong_magic[0] ^= 0xff;
  Bytes revision = MoFile(kSample);
  Put32(revision, 4, 2u << 16, false);
  const Bytes good = MoFile(kSample);
  Bytes latin1 = MoFile({{"", "Content-Type: text/plain; charset=ISO-8859-1\n"}, {"a", "b"}});
  std::vector<Case> cases = {
      {"empty", {}, "shorter than its header"},
      {"truncated header", Bytes(good.begin(), good.begin() + 20),
       "shorter than its header"},
      {"wrong magic", wrong_magic, "wrong magic number"},
      {"unknown revision", revision, "unknown revision 2"},
      {"another charset", latin1, "in ISO-8859-1, not UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FormatResult<Catalogue> read = ReadMoCatalogue(c.bytes);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.fault().what.find(c.fault), std::string::npos) << read.fault().what;
  }
}

TEST(MoCatalogue, RefusesOffsetsAndLengthsPastTheEnd) {
  const Bytes good = MoFile(kSample);
  struct Case {
    const char* why;
    size_t at;       // the field changed
    uint32_t value;  // its new value
    const char* fault;
  };
  const size_t first_source = 28, first_translation = 28 + 8 * kSample.size();
  const Case cases[] = {
      {"a count past the end", 8, 0x20000000, "tables of 536870912 texts run past its end"},
      {"a count whose tables overflow", 8, 0xffffffff, "run past its end"},
      {"the sources' table past the end", 12, 0xfffffff0, "run past its end"},
      {"the translations' table past the end", 16, static_cast<uint32_t>(good.size()),
       "run past its end"},
      {"a source's offset past the end", first_source + 4, 0xffffff00, "text 0 lies outside"},
      {"a source's length past the end", first_source + 8 * 1, 0xffffffff, "text 1 lies outside"},
      {"a translation's offset just past the end", first_translation + 8 * 2 + 4,
       static_cast<uint32_t>(good.size() + 1), "text 2 lies outside"},
      {"a translation running one byte past the end", first_translation + 8 * 3,
       static_cast<uint32_t>(good.size()), "text 3 lies outside"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Bytes bad = good;
    Put32(bad, c.at, c.value, false);
    FormatResult<Catalogue> read = ReadMoCatalogue(bad);
    ASSERT_FALSE(read.ok());
    EXPECT_NE(read.fault().what.find(c.fault), std::string::npos) << read.fault().what;
  }
  // Cut anywhere before its last text's closing 0 byte, a catalogue is
  // refused, never read past its end.
  for (size_t size = 28; size + 1 < good.size(); ++size) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_FALSE(ReadMoCatalogue(cut).ok()) << size;
  }
}

}  // namespace
}  // namespace velmor::formats
