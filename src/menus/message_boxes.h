// The game's message boxes: every fixed text with its kind and buttons.
#pragma once

#include <string>

#include "platform/dialogs.h"

namespace velmor::menus {

struct BoxText {
  const char* utf8;  // the text as written here; shown as Shift-JIS
  platform::MessageKind kind;
  platform::Buttons buttons;
};

// Please start the program properly (no data folder setting).
inline constexpr BoxText kStartProperly{"正しく起動してください。", platform::MessageKind::Error,
                                        platform::Buttons::Ok};
// No file is selected.
inline constexpr BoxText kNoFileSelected{"ファイルが選択されていないよ。",
                                         platform::MessageKind::Information, platform::Buttons::Ok};
// Overwrite it?
inline constexpr BoxText kOverwrite{"重ね書きするよ？", platform::MessageKind::Confirmation,
                                    platform::Buttons::OkCancel};
// Nobody is here (an empty slot to load).
inline constexpr BoxText kNobodyHere{"誰もいないよ。", platform::MessageKind::Confirmation,
                                     platform::Buttons::Ok};
// Really quit?
inline constexpr BoxText kReallyQuit{"本当に終了するよ？", platform::MessageKind::Confirmation,
                                     platform::Buttons::OkCancel};

// Shows one of the texts above.
platform::Answer ShowMessageBox(platform::Dialogs& dialogs, const BoxText& box);

}  // namespace velmor::menus
