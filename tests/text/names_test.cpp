#include <gtest/gtest.h>

#include "core/sjis.h"
#include "text/names.h"

namespace velmor::testing {
namespace {

// True when every character of s is full width.
bool AllFullWidth(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += 2)
    if (!IsLeadByte(static_cast<uint8_t>(s[i])) || i + 1 >= s.size()) return false;
  return true;
}

TEST(NamesTest, CastNamesAreReadableShiftJis) {
  auto names = text::InitialNames();
  for (int i : {0, 1, 2, 3, 4, 5, 6, 12, 13, 14}) {
    std::string_view s = names[i].view();
    EXPECT_FALSE(s.empty()) << i;
    EXPECT_TRUE(AllFullWidth(s)) << i;
    EXPECT_EQ(SjisToUtf8(s).find("\xEF\xBF\xBD"), std::string::npos) << i;  // no U+FFFD
  }
}

TEST(NamesTest, DefaultsAreTheFirstFourEntries) {
  auto names = text::InitialNames();
  auto defaults = text::DefaultNames();
  const std::size_t sizes[] = {6, 6, 4, 4};  // given names 3 characters, family names 2
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(defaults[i], names[i]) << i;
    EXPECT_EQ(defaults[i].size(), sizes[i]) << i;
    EXPECT_TRUE(AllFullWidth(defaults[i].view())) << i;
  }
}

}  // namespace
}  // namespace velmor::testing
