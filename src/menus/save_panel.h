// Save and load: the slot files and the save/load panel that lists them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/byte_string.h"
#include "core/errors.h"
#include "core/input_state.h"
#include "menus/message_boxes.h"
#include "menus/panels.h"
#include "menus/slot_file.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/window.h"
#include "scenario/scenario.h"

namespace velmor::graphics {
class Cursors;
}

namespace velmor::menus {

struct SaveServices {
  platform::Files& files;
  platform::Dialogs& dialogs;
  platform::Window& window;
  ErrorReport& errors;  // failures of the controls' handlers while a slot is read
};

// A slot file as read from its folder.
struct SlotRead {
  std::optional<SlotImage> image;  // the whole file when it could be read
  std::string problem;  // why an existing file could not be read (the system's text)
};

class SavePanelLogic {
 public:
  // `slot_folder`: where DATA00..DATAFF live, as the system names it,
  // ending in "/".
  // `spd`: the typing speed of the message window, which a load sets.
  SavePanelLogic(Panels& panels, scenario::Scenario& scn, InputState& input, uint16_t& spd,
                 graphics::Cursors& cursors, SaveServices services,
                 const std::string& slot_folder)
      : p_(panels),
        scn_(scn),
        input_(input),
        spd_(spd),
        cursors_(cursors),
        services_(services),
        slot_folder_(slot_folder) {}

  uint8_t SaveMode = 0;  // 1: the panel saves; 0: it loads
  std::array<uint8_t, 7> SlotUsed{};  // [1..6]; a file that cannot be read counts as used
  // [1..6]: why a listed slot's file could not be read; empty when it could.
  std::array<std::string, 7> SlotProblem{};
  uint16_t SlotMonthVar = 0;
  uint16_t SlotDayVar = 0;

  // Reads slot n into the live state, then closes the panel. A missing slot
  // file changes nothing; one that exists but cannot be read whole changes
  // nothing and is reported. A picture or sound that a restored setting
  // needs and cannot be loaded is reported once the whole slot has been
  // read and the panel closed.
  void LoadSlot(int n);
  // Writes the live state into slot n (work variable 0 as 0, live and
  // stored), creating the slot folder first when it is missing. A file that
  // cannot be written leaves the old one and raises GameError naming the
  // file and the reason (the scratch slot DATAFF only keeps a copy in
  // memory then: the listing does not need the file).
  void SaveSlot(int n);
  void OpenSavePanel();
  void CloseSavePanel();
  void SaveButtonClick();
  void SaveCancelButtonClick();
  // Ops 37 and 38.
  void OpenSaveMenu(int save_mode, uint16_t month_var, uint16_t day_var);

  std::string SlotPath(int n) const;
  // The caption of a used slot, from the live state just loaded.
  std::string SlotCaption(int n);

  static std::string WideNumber(int n);
  static std::string PadName(const Sstr& name);
  // The last-write time as the list shows it, "yy/MM/dd HH:mm:ss".
  static std::string FileDateText(const std::optional<platform::FileTime>& time);

 private:
  SlotPreferences LivePreferences() const;
  // The whole slot file; the live slot comes from the copy kept when it was
  // written.
  SlotRead SlotBytes(int n);
  // LoadSlot without the closing steps; false when there was nothing to read
  // (an unreadable file is reported).
  bool ReadSlot(int n);
  void ReadImage(const SlotImage& image);
  // Slots 1 to 6 into the list, then the live state back.
  void ListSlots();
  void ShowSavePanel();
  // The text of the box for a slot file that cannot be read.
  std::string UnreadableText(int n, const std::string& problem) const;
  void ReadHeader();
  void ApplyPreferences();
  void ApplySource(uint8_t code);
  void ReadNames();
  // Whether the string reader, started at `at`, finds its end in the image.
  bool StringEnds(uint16_t at) const;

  Panels& p_;
  scenario::Scenario& scn_;
  InputState& input_;
  uint16_t& spd_;
  graphics::Cursors& cursors_;
  SaveServices services_;
  const std::string& slot_folder_;
  // The bytes last written to the live slot: the listing restores the live
  // state from these even when the file could not be written.
  std::optional<SlotImage> live_copy_;
};

}  // namespace velmor::menus
