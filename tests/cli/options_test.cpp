// The command line every program reads: GNU forms of options and values,
// operands anywhere, and the one-line usage errors.
#include "cli/options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

namespace velmor::cli {

// A failed comparison shows the options and operands, not their bytes.
void PrintTo(const ParsedArgs& p, std::ostream* os) {
  for (const GivenOption& o : p.options) *os << "--" << o.name << "[" << o.value << "] ";
  for (const std::string& operand : p.operands) *os << "'" << operand << "' ";
}

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// A table like velmor's: "screen" is a prefix of "screenshot", "s" of both
// and of "slots".
const std::vector<KnownOption> kSpecs = {
    {"help", 'h'},
    {"data", 0, true, "--data needs a folder"},
    {"slots", 0, true, "--slots needs a folder"},
    {"screen", 0, true},
    {"screenshot", 0, true},
    {"output", 'o', true, "-o needs a file name"},
    {"offsets"}};

struct Row {
  std::vector<std::string> args;
  ParsedArgs expected;  // when it parses
  std::string error;    // when it does not
};

TEST(ParseArgs, GnuFormsAndUsageErrors) {
  const Row rows[] = {
      // Both forms of a value, the short forms, an unambiguous prefix.
      {{"--data=/g"}, {{{"data", "/g"}}, {}}, ""},
      {{"--data", "/g"}, {{{"data", "/g"}}, {}}, ""},
      {{"--da=/g"}, {{{"data", "/g"}}, {}}, ""},
      {{"--data=a=b"}, {{{"data", "a=b"}}, {}}, ""},
      {{"-o", "x.s"}, {{{"output", "x.s"}}, {}}, ""},
      {{"-ox.s"}, {{{"output", "x.s"}}, {}}, ""},
      {{"--output=x.s", "-h"}, {{{"output", "x.s"}, {"help", ""}}, {}}, ""},
      // An exact name wins over a longer one it begins.
      {{"--screen", "8x8"}, {{{"screen", "8x8"}}, {}}, ""},
      {{"--screens=a.png"}, {{{"screenshot", "a.png"}}, {}}, ""},
      // A value may look like an option; repeated options stay in order.
      {{"--data", "-x", "--data", "--y"}, {{{"data", "-x"}, {"data", "--y"}}, {}}, ""},
      // Operands anywhere, "-" is one, "--" ends the options.
      {{"in.s", "-o", "out", "more"}, {{{"output", "out"}}, {"in.s", "more"}}, ""},
      {{"-", "--offsets"}, {{{"offsets", ""}}, {"-"}}, ""},
      {{"--offsets", "--", "--data", "-h"}, {{{"offsets", ""}}, {"--data", "-h"}}, ""},
      {{}, {}, ""},
      // Usage errors.
      {{"--bogus"}, {}, "unrecognized option '--bogus'"},
      {{"--bogus=1"}, {}, "unrecognized option '--bogus'"},
      {{"--s=1"}, {}, "option '--s' is ambiguous; possibilities: '--slots', '--screen', '--screenshot'"},
      {{"--help=yes"}, {}, "option '--help' takes no value"},
      {{"-x"}, {}, "invalid option -- 'x'"},
      {{"--data"}, {}, "--data needs a folder"},
      {{"--data="}, {}, "--data needs a folder"},
      {{"--slots", ""}, {}, "--slots needs a folder"},
      {{"in.s", "-o"}, {}, "-o needs a file name"},
      {{"--screen"}, {}, "option '--screen' needs a value"},
  };
  for (const Row& row : rows) {
    std::string error;
    std::optional<ParsedArgs> got = ParseArgs(kSpecs, row.args, &error);
    std::string shown;
    for (const std::string& a : row.args) shown += a + " ";
    if (row.error.empty()) {
      ASSERT_TRUE(got.has_value()) << shown << ": " << error;
      EXPECT_EQ(*got, row.expected) << shown;
    } else {
      EXPECT_FALSE(got.has_value()) << shown;
      EXPECT_EQ(error, row.error) << shown;
    }
  }
}

// The parser keeps no state between command lines: a short option cluster
// cut short by an error does not leak into the next parse.
TEST(ParseArgs, EachParseStartsAfresh) {
  std::string error;
  EXPECT_FALSE(ParseArgs(kSpecs, {"-hx", "a"}, &error).has_value());
  EXPECT_EQ(error, "invalid option -- 'x'");
  auto again = ParseArgs(kSpecs, {"b", "-h"}, &error);
  ASSERT_TRUE(again.has_value()) << error;
  EXPECT_EQ(*again, (ParsedArgs{{{"help", ""}}, {"b"}}));
}

TEST(UsageText, OneLineAndAHint) {
  EXPECT_EQ(UsageErrorText("velmor", "--renderer needs auto, software or accelerated"),
            "velmor: --renderer needs auto, software or accelerated\n"
            "Try 'velmor --help' for more information.\n");
  const std::string version = VersionText("snxdis");
  EXPECT_THAT(version, StartsWith("snxdis " + std::string(ProjectVersion()) + "\n"));
  EXPECT_THAT(version, HasSubstr("License MIT"));
}

}  // namespace
}  // namespace velmor::cli
