// What a message box shows and how it answers.
#include "menus/message_box_model.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmor::menus {
namespace {

TEST(MessageBoxLook, TitleAndIconFollowTheKind) {
  struct Case {
    MessageKind kind;
    const char* title;
    BoxIcon icon;
  };
  for (const Case& c : {Case{MessageKind::Error, "ｴﾗｰ", BoxIcon::Stop},
                        Case{MessageKind::Information, "情報", BoxIcon::Information},
                        Case{MessageKind::Confirmation, "確認", BoxIcon::Question},
                        Case{MessageKind::Failure, "Velmor", BoxIcon::Stop}}) {
    BoxLook look = LookOf(c.kind);
    EXPECT_STREQ(look.title_utf8, c.title);
    EXPECT_EQ(look.icon, c.icon);
  }
}

// The keys by the names the input script gives them.
struct KeyCase {
  const char* name;
  Buttons buttons;
  std::vector<std::string> keys;
  Answer answer;
};

class MessageBoxKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MessageBoxKeys, AnswerAsTheBoxDoes) {
  const KeyCase& c = GetParam();
  MessageBoxModel box("text", MessageKind::Confirmation, c.buttons);
  for (const std::string& name : c.keys) {
    ASSERT_FALSE(box.answer().has_value()) << "answered before the last key";
    std::optional<ControlKey> key = ControlKeyNamed(name);
    ASSERT_TRUE(key.has_value()) << name;
    box.Key(*key);
  }
  ASSERT_TRUE(box.answer().has_value());
  EXPECT_EQ(*box.answer(), c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MessageBoxKeys,
    ::testing::Values(
        KeyCase{"enter_is_ok", Buttons::OkCancel, {"enter"}, Answer::Ok},
        KeyCase{"space_presses_ok", Buttons::OkCancel, {"space"}, Answer::Ok},
        KeyCase{"escape_is_cancel", Buttons::OkCancel, {"escape"}, Answer::Cancel},
        KeyCase{"tab_then_enter_is_cancel", Buttons::OkCancel, {"tab", "enter"},
                Answer::Cancel},
        KeyCase{"tab_twice_is_back_on_ok", Buttons::OkCancel,
                {"tab", "tab", "enter"}, Answer::Ok},
        KeyCase{"shift_tab_wraps_to_cancel", Buttons::OkCancel, {"shift+tab", "space"},
                Answer::Cancel},
        KeyCase{"right_then_left", Buttons::OkCancel,
                {"right", "left", "enter"}, Answer::Ok},
        KeyCase{"escape_on_focused_ok_still_cancels", Buttons::OkCancel,
                {"tab", "tab", "escape"}, Answer::Cancel},
        // With OK alone, Escape closes the box with OK, as the platform's
        // boxes do: there is no other answer to give.
        KeyCase{"escape_with_ok_only_is_ok", Buttons::Ok, {"escape"}, Answer::Ok},
        KeyCase{"tab_with_ok_only_stays", Buttons::Ok, {"tab", "enter"}, Answer::Ok},
        KeyCase{"up_and_down_leave_the_focus", Buttons::OkCancel,
                {"tab", "up", "down", "enter"}, Answer::Cancel}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

// The buttons read OK and Cancel; the window's close button answers Cancel, or OK when it is the only
// button; a click answers the button clicked.
TEST(MessageBoxClose, AnswersCancelOrTheOnlyButtonOrTheOneClicked) {
  MessageBoxModel two("t", MessageKind::Confirmation, Buttons::OkCancel);
  two.Close();
  EXPECT_EQ(two.answer(), Answer::Cancel);
  MessageBoxModel one("t", MessageKind::Error, Buttons::Ok);
  one.Close();
  EXPECT_EQ(one.answer(), Answer::Ok);
  MessageBoxModel clicked("t", MessageKind::Confirmation, Buttons::OkCancel);
  EXPECT_STREQ(clicked.ButtonLabel(0), "OK");
  EXPECT_STREQ(clicked.ButtonLabel(1), "ｷｬﾝｾﾙ");
  EXPECT_FALSE(clicked.answer().has_value());
  clicked.Press(1);
  EXPECT_EQ(clicked.answer(), Answer::Cancel);
}

}  // namespace
}  // namespace velmor::menus
