// The menus of a started game on the headless platform, their handlers wired as the main window
// wires them, with a slot folder, names to fall back on and a scenario for the slot reader.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <ostream>

#include "app/form.h"
#include "core/sjis.h"
#include "menus/slot_file.h"
#include "support/game_data.h"
#include "text/message_window.h"

namespace velmor::testing {

inline std::string S(std::string_view utf8) { return Sjis(utf8).str(); }
using Names = std::vector<std::string>;

// The live state a slot holds, read from or written into the game.
struct LiveState {
  int reso = 100, mouse = 1, speed = 96;
  std::string source = "WaveBtn";  // the checked source button
  std::array<std::string, 4> names;
  std::array<int16_t, 256> work{};
  std::array<uint16_t, 256> flag{};
  friend bool operator==(const LiveState&, const LiveState&) = default;
};
inline void PrintTo(const LiveState& s, std::ostream* os) {
  uint64_t work = 0, flag = 0;  // digests
  for (int i = 0; i < 256; ++i)
    work = work * 31 + uint16_t(s.work[i]), flag = flag * 31 + s.flag[i];
  *os << "{" << s.reso << " " << s.mouse << " " << s.speed << " " << s.source;
  for (const std::string& n : s.names) *os << " [" << n << "]";
  *os << " work " << s.work[1] << " #" << work << " flag " << s.flag[0] << " #" << flag << "}";
}

// Two live states in which every setting, name, variable and flag differs.
inline LiveState SampleLiveState() {
  LiveState s{75, 4, 32, "MidiBtn2", {S("太郎"), S("花子"), S("山田"), S("ｶﾜｲ")}, {}, {}};
  for (int i = 0; i < 256; ++i) s.work[i] = int16_t(1000 - 9 * i), s.flag[i] = i * 0x0101 ^ 0x5A5A;
  return s;
}
inline LiveState OtherLiveState() {
  LiveState s{130, 2, 112, "WaveBtn", {"a", "b", "c", "d"}, {}, {}};
  s.work.fill(-5), s.flag.fill(0x1111);
  return s;
}
// A live state as a save leaves it.
inline LiveState Saved(LiveState s) { s.work[0] = 0; return s; }

// A scenario file whose bytes are their offsets' low bytes plus one.
inline std::vector<uint8_t> MainScenario() {
  std::vector<uint8_t> bytes(300);
  std::iota(bytes.begin(), bytes.end(), uint8_t{1});
  return bytes;
}

struct MenusRig {
  static constexpr const char* kSources[] = {"WaveBtn", "MidiBtn", "MidiBtn2", "MuteBtn"};
  auto& SourceButton(std::string_view b) { return *static_cast<RadioButton*>(panels.Find(b)); }

  explicit MenusRig(Size screen = {1024, 768}) : game(MainScenario(), screen) {
    EXPECT_EQ(game.Start(), std::nullopt) << form.startup_failure;
    slot_folder = "SLOTS/";
    form.defmcr = {Sstr("taro"), Sstr("hanako"), Sstr("YAMA"), Sstr("KAWA")};
    files.Put(std::string(kDat) + "SNX/MAIN.SNX", MainScenario());
    scn.LoadScenario("MAIN");
    scn.inx = 42;
    auto record = [this](Handler& handler, std::function<std::string()> label) {
      handler = [this, inner = handler, label] { handlers.push_back(label()); if (inner) inner(); };
    };
    for (SpinEdit* s : {&panels.ResoSpin, &panels.MouseSpin, &panels.SpeedSpin})
      record(s->OnChange, [s] { return s->name + "Change " + std::to_string(s->value); });
    for (const char* b : kSources) record(SourceButton(b).OnClick, [] { return "MidiBtnClick"; });
  }

  GameRig game;
  FormInternals form{game.form()};
  scenario::Scenario& scn = form.scn;
  platform::MemoryFiles& files = game.files;
  platform::HeadlessWindow& window = game.game->window();
  main::ScriptedAnswers& dialogs = game.game->dialogs();
  InputState& input = form.input;
  menus::Panels& panels = form.panels;
  uint16_t& spd = form.msgwin.msg.spd;
  std::string& slot_folder = form.SlotPath;
  menus::SavePanelLogic& saves = form.saves;
  // The settings controls' handlers that ran ("ResoSpinChange 120"), recorded before each runs.
  std::vector<std::string> handlers;

  std::string SlotPath(int n) const { return slot_folder + menus::SlotFileName(n).str(); }
  void PutSlot(int n, const std::vector<uint8_t>& bytes, platform::FileTime time = {}) {
    files.Put(SlotPath(n), bytes, time);
  }
  const std::vector<uint8_t>* Slot(int n) const { return files.Get(SlotPath(n)); }
  const std::vector<main::RecordedBox>& Boxes() const { return dialogs.Boxes(); }
  // The only box shown, in UTF-8; "" unless exactly one was shown.
  std::string OnlyBox() const { return Boxes().size() == 1 ? SjisToUtf8(Boxes()[0].text) : ""; }
  LiveState Live() {
    LiveState s{panels.ResoSpin.value, panels.MouseSpin.value, panels.SpeedSpin.value, "", {},
                scn.work, scn.flag};
    for (const char* b : kSources) s.source += SourceButton(b).checked ? b : "";
    for (int i = 0; i < 4; ++i) s.names[i] = scn.mcr[i].str();
    return s;
  }
  // Sets the controls (without their handlers), the names and the variables.
  void SetLive(const LiveState& s) {
    panels.ResoSpin.value = s.reso, panels.MouseSpin.value = s.mouse;
    panels.SpeedSpin.value = s.speed, spd = text::MessageWindow::SpeedFromSetting(s.speed);
    for (const char* b : kSources) SourceButton(b).checked = s.source == b;
    for (int i = 0; i < 4; ++i) scn.mcr[i] = Sstr(s.names[i]);
    scn.work = s.work, scn.flag = s.flag;
  }
};

// A slot written by hand, independently of the game's writer: "Brannic", NUL, the four setting
// bytes, the names (entries 2, 0, 3, 1 at 16, 28, 40, 52), the word blocks at 64 and 576.
struct SlotBytes {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(menus::kSlotSize, 0);

  SlotBytes& Text(std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return *this;
  }
  SlotBytes& Header(uint8_t reso, uint8_t mouse, uint8_t speed, uint8_t source) {
    bytes[8] = reso, bytes[9] = mouse, bytes[10] = speed, bytes[11] = source;
    return Text(0, "Brannic");
  }
  SlotBytes& Names(std::string_view n0, std::string_view n1, std::string_view n2,
                   std::string_view n3) {
    return Text(16, n2).Text(28, n0).Text(40, n3).Text(52, n1);
  }
  SlotBytes& Work(int n, int16_t v) {
    bytes[64 + 2 * n] = uint8_t(v & 0xFF), bytes[65 + 2 * n] = uint8_t(uint16_t(v) >> 8);
    return *this;
  }
  SlotBytes& Flag(int n) {
    bytes[576 + 2 * (n / 16) + (n % 16) / 8] |= uint8_t(1u << (n % 8));
    return *this;
  }
};

}  // namespace velmor::testing
