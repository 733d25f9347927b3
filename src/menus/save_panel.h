// Save and load: the slot files and the save/load panel that lists them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/byte_string.h"
#include "core/errors.h"
#include "core/input_state.h"
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
};

class SavePanelLogic {
 public:
  // `slot_folder`: where DATA00..DATAFF live, ending in a separator.
  // `spd`: the typing speed of the message window, which a load sets.
  SavePanelLogic(Panels& panels, scenario::Scenario& scn, InputState& input, uint16_t& spd,
                 graphics::Cursors& cursors, SaveServices services,
                 const ByteString& slot_folder)
      : p_(panels),
        scn_(scn),
        input_(input),
        spd_(spd),
        cursors_(cursors),
        services_(services),
        slot_folder_(slot_folder) {}

  uint8_t SaveMode = 0;  // 1: the panel saves; 0: it loads
  std::array<uint8_t, 7> SlotUsed{};  // [1..6]
  uint16_t SlotMonthVar = 0;
  uint16_t SlotDayVar = 0;

  // Reads slot n into the live state, then closes the panel. A missing or
  // short slot file changes nothing. A picture or sound that a restored
  // setting needs and cannot be loaded is reported (GameError) only after
  // the whole slot has been read and the panel closed.
  void LoadSlot(int n);
  // Writes the live state into slot n (work variable 0 as 0, live and
  // stored). A file that cannot be written leaves the old one; nothing is
  // said.
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
  // The whole slot file, or nothing when it is missing or too short. The
  // live slot comes from the copy kept when it was written.
  std::optional<SlotImage> SlotBytes(int n);
  // LoadSlot without the closing steps; false when there was nothing to read.
  bool ReadSlot(int n);
  void ReadHeader();
  void ApplyPreferences();
  void ApplySource(uint8_t code);
  void ReadNames();
  // Whether the string reader, started at `at`, finds its end in the image.
  bool StringEnds(uint16_t at) const;
  // Runs a control's handler; its failure is kept for the end of the load.
  template <class F>
  void Deferring(F&& handler);
  void ReportDeferred();

  Panels& p_;
  scenario::Scenario& scn_;
  InputState& input_;
  uint16_t& spd_;
  graphics::Cursors& cursors_;
  SaveServices services_;
  const ByteString& slot_folder_;
  // The bytes last written to the live slot: the listing restores the live
  // state from these even when the file could not be written.
  std::optional<SlotImage> live_copy_;
  std::optional<GameError> deferred_;
};

}  // namespace velmor::menus
