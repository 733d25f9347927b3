// The name fields' 8-byte Shift-JIS limit.
#include "menus/sjis_edit_limit.h"

#include <gtest/gtest.h>

#include "core/sjis.h"

namespace velmor::menus {
namespace {

struct EditCase {
  const char* name;
  const char* before;  // UTF-8
  const char* after;   // what the edit made of it
  const char* kept;    // what the field keeps
  std::size_t cursor;  // caret after the edit, bytes of `kept`
  bool cut;
};

class EditLimit : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditLimit, KeepsWhatFits) {
  const EditCase& c = GetParam();
  LimitedEdit r = LimitSjisEdit(c.before, c.after, 8);
  EXPECT_EQ(r.utf8, c.kept);
  EXPECT_EQ(r.cursor, c.cursor);
  EXPECT_EQ(r.cut, c.cut);
  EXPECT_LE(Utf8ToSjis(r.utf8).size(), 8u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EditLimit,
    ::testing::Values(
        EditCase{"first_letter", "", "a", "a", 1, false},
        EditCase{"fourth_kana_fits", "あいう", "あいうえ", "あいうえ", 12, false},
        EditCase{"fifth_kana_refused", "あいうえ", "あいうえお", "あいうえ", 12, true},
        EditCase{"half_width_fills_the_last_byte", "あいうa", "あいうab", "あいうab", 11, false},
        EditCase{"full_width_does_not_fit_one_byte", "あいうa", "あいうaか", "あいうa", 10, true},
        EditCase{"committed_kanji_cut_to_four", "", "山田太郎花子", "山田太郎", 12, true},
        EditCase{"insertion_in_the_middle_cut", "abcd", "ab漢字漢字cd", "ab漢字cd", 8, true},
        EditCase{"half_width_katakana_count_one", "", "ｱｲｳｴｵｶｷｸｹ", "ｱｲｳｴｵｶｷｸ", 24, true},
        EditCase{"selection_replaced_by_too_much", "あいうえ", "あかきくけえ", "あかきえ", 9, true},
        EditCase{"deletion_always_fits", "あいうえ", "あうえ", "あうえ", 3, false},
        EditCase{"backslash_is_one_byte", "1234567", "1234567\\", "1234567\\", 8, false},
        EditCase{"same_character_typed_again", "ああああ", "あああああ", "ああああ", 12, true}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST(EditLimit, OtherLimitsAndATextAlreadyTooLong) {
  // A text already too long is not something the field makes, but the result
  // still fits.
  LimitedEdit r = LimitSjisEdit("", "", 8);
  EXPECT_EQ(r.utf8, "");
  r = LimitSjisEdit("", "山田太郎花子", 10);
  EXPECT_EQ(r.utf8, "山田太郎花") << "a larger limit keeps more";
  r = LimitSjisEdit("あいうえおか", "あいうえおかき", 8);
  EXPECT_LE(Utf8ToSjis(r.utf8).size(), 8u);
  EXPECT_EQ(r.utf8, "あいうえ");
  EXPECT_LE(r.cursor, r.utf8.size());
}

TEST(CharFilter, TakesOnlyWhatShiftJisHolds) {
  for (char32_t c : {U'A', U' ', U'あ', U'ア', U'ｱ', U'漢', U'　', U'Ａ'})
    EXPECT_TRUE(AcceptsChar(c)) << std::hex << static_cast<uint32_t>(c);
  for (char32_t c : {U'\t', U'\n', char32_t{0x7F}, char32_t{0x85}, U'é', char32_t{0x1F600},
                     char32_t{0xD800}, U'한'})
    EXPECT_FALSE(AcceptsChar(c)) << std::hex << static_cast<uint32_t>(c);
}

}  // namespace
}  // namespace velmor::menus
