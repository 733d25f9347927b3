// The game's message boxes: every fixed text with its kind and buttons.
#pragma once

#include <string>
#include <vector>

#include "core/errors.h"
#include "core/texts.h"
#include "platform/dialogs.h"

namespace velmor::menus {

struct BoxText {
  const char* utf8;  // the text as written here; shown as Shift-JIS
  platform::MessageKind kind;
  platform::Buttons buttons;
};

// Please start the program properly (no data folder setting).
inline constexpr BoxText kStartProperly{GameText("正しく起動してください。"), platform::MessageKind::Error,
                                        platform::Buttons::Ok};
// No file is selected.
inline constexpr BoxText kNoFileSelected{GameText("ファイルが選択されていないよ。"),
                                         platform::MessageKind::Information, platform::Buttons::Ok};
// Overwrite it?
inline constexpr BoxText kOverwrite{GameText("重ね書きするよ？"), platform::MessageKind::Confirmation,
                                    platform::Buttons::OkCancel};
// Nobody is here (an empty slot to load).
inline constexpr BoxText kNobodyHere{GameText("誰もいないよ。"), platform::MessageKind::Confirmation,
                                     platform::Buttons::Ok};
// Really quit?
inline constexpr BoxText kReallyQuit{GameText("本当に終了するよ？"), platform::MessageKind::Confirmation,
                                     platform::Buttons::OkCancel};

// Shows one of the texts above; `then` runs with the answer.
void ShowMessageBox(platform::Dialogs& dialogs, const BoxText& box,
                    platform::OnAnswer then = nullptr);

// The failures that abandon an event (a file that cannot be loaded, a
// media error), shown in an error box. While the game reads a slot, the
// failures of its parts are held while something runs Holding, and shown
// once, together, when the outermost Holding ends: one box for the slot,
// opened when the live state is whole again.
class ErrorReport {
 public:
  explicit ErrorReport(platform::Dialogs& dialogs) : dialogs_(dialogs) {}

  // Shows the text (Shift-JIS) now, or keeps it for the end of the hold.
  void Show(const std::string& sjis_text);
  // Runs `body` with failures held; a GameError it raises ends it and is
  // shown with the others. QuitSignal passes through (nothing is shown).
  template <class F>
  void Holding(F&& body);
  // Runs `body`; a GameError it raises is shown (or held).
  template <class F>
  void Catching(F&& body) {
    try {
      body();
    } catch (const GameError& e) {
      Show(e.message());
    }
  }
  bool holding() const { return holds_ > 0; }

 private:
  void ShowHeld();

  platform::Dialogs& dialogs_;
  int holds_ = 0;
  std::vector<std::string> held_;
};

template <class F>
void ErrorReport::Holding(F&& body) {
  ++holds_;
  try {
    body();
  } catch (const GameError& e) {
    Show(e.message());
  } catch (...) {
    --holds_;
    if (holds_ == 0) held_.clear();
    throw;
  }
  if (--holds_ == 0) ShowHeld();
}

}  // namespace velmor::menus
