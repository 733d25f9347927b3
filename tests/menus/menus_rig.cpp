#include "menus_rig.h"

#include <gtest/gtest.h>

#include "text/message_window.h"

namespace velmor::testing {

namespace {

// A scenario file whose bytes are their offsets' low bytes plus one.
std::vector<uint8_t> MainScenario() {
  std::vector<uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  return bytes;
}

constexpr const char* kSources[] = {"WaveBtn", "MidiBtn", "MidiBtn2", "MuteBtn"};

}  // namespace

MenusRig::MenusRig(Size screen) : game(MainScenario(), screen) {
  EXPECT_EQ(game.Start(), std::nullopt) << form.startup_failure;
  slot_folder = "SLOTS/";
  form.defmcr = {Sstr("taro"), Sstr("hanako"), Sstr("YAMA"), Sstr("KAWA")};
  PutScenario("MAIN", MainScenario());
  scn.LoadScenario("MAIN");
  scn.inx = 42;
  auto record = [this](Handler& handler, std::function<std::string()> label) {
    handler = [this, inner = handler, label = std::move(label)] {
      handlers.push_back(label());
      if (inner) inner();
    };
  };
  for (SpinEdit* s : {&panels.ResoSpin, &panels.MouseSpin, &panels.SpeedSpin})
    record(s->OnChange, [s] { return s->name + "Change " + std::to_string(s->value); });
  for (const char* b : kSources) record(SourceButton(b).OnClick, [] { return "MidiBtnClick"; });
}

LiveState MenusRig::Live() {
  LiveState s{panels.ResoSpin.value, panels.MouseSpin.value, panels.SpeedSpin.value, ""};
  for (const char* b : kSources)
    if (SourceButton(b).checked) s.source += b;
  for (int i = 0; i < 4; ++i) s.names[i] = scn.mcr[i].str();
  s.work = scn.work;
  s.flag = scn.flag;
  return s;
}

void MenusRig::SetLive(const LiveState& s) {
  panels.ResoSpin.value = s.reso;
  panels.MouseSpin.value = s.mouse;
  panels.SpeedSpin.value = s.speed;
  for (const char* b : kSources) SourceButton(b).checked = s.source == b;
  for (int i = 0; i < 4; ++i) scn.mcr[i] = Sstr(s.names[i]);
  scn.work = s.work;
  scn.flag = s.flag;
  spd = text::MessageWindow::SpeedFromSetting(s.speed);
}

void PrintTo(const LiveState& s, std::ostream* os) {
  uint64_t work = 0, flag = 0;  // digests
  for (int i = 0; i < 256; ++i) {
    work = work * 31 + static_cast<uint16_t>(s.work[i]);
    flag = flag * 31 + s.flag[i];
  }
  *os << "{" << s.reso << " " << s.mouse << " " << s.speed << " " << s.source << " [" << s.names[0]
      << "][" << s.names[1] << "][" << s.names[2] << "][" << s.names[3] << "] work " << s.work[0] << " "
      << s.work[1] << " " << s.work[2] << " #" << work << " flag " << s.flag[0] << " #" << flag << "}";
}

LiveState SampleLiveState() {
  LiveState s{75, 4, 32, "MidiBtn2", {S("太郎"), S("花子"), S("山田"), S("ｶﾜｲ")}};
  for (int i = 0; i < 256; ++i) {
    s.work[i] = static_cast<int16_t>(1000 - 9 * i);
    s.flag[i] = static_cast<uint16_t>(i * 0x0101 ^ 0x5A5A);
  }
  return s;
}

LiveState OtherLiveState() {
  LiveState s{130, 2, 112, "WaveBtn", {"a", "b", "c", "d"}};
  s.work.fill(-5);
  s.flag.fill(0x1111);
  return s;
}

}  // namespace velmor::testing
