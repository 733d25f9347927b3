#include "menus_rig.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "core/sjis.h"
#include "text/message_window.h"

namespace velmor::testing {

namespace {

// A scenario file whose bytes are their offsets' low bytes plus one.
std::vector<uint8_t> MainScenario() {
  std::vector<uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  return bytes;
}

}  // namespace

MenusRig::MenusRig(Size screen) : game(MainScenario(), screen) {
  EXPECT_EQ(game.Start(), std::nullopt) << form.startup_failure;
  slot_folder = "SLOTS/";
  form.defmcr = {Sstr("taro"), Sstr("hanako"), Sstr("YAMA"), Sstr("KAWA")};
  PutScenario("MAIN", MainScenario());
  scn.LoadScenario("MAIN");
  scn.inx = 42;

  Record(panels.ResoSpin.OnChange,
         [this] { return "ResoSpinChange " + std::to_string(panels.ResoSpin.value); });
  Record(panels.MouseSpin.OnChange,
         [this] { return "MouseSpinChange " + std::to_string(panels.MouseSpin.value); });
  Record(panels.SpeedSpin.OnChange,
         [this] { return "SpeedSpinChange " + std::to_string(panels.SpeedSpin.value); });
  for (RadioButton* b : {&panels.WaveBtn, &panels.MidiBtn, &panels.MidiBtn2, &panels.MuteBtn})
    Record(b->OnClick, [] { return std::string("MidiBtnClick"); });
}

void MenusRig::Record(Handler& handler, std::function<std::string()> label) {
  handler = [this, inner = handler, label = std::move(label)] {
    handlers.push_back(label());
    if (inner) inner();
  };
}

void MenusRig::PutScenario(const std::string& name, const std::vector<uint8_t>& bytes) {
  files.Put(std::string(kDat) + "SNX/" + name + ".SNX", bytes);
}

std::string MenusRig::CursorPath(const std::string& file) {
  return std::string(kDat) + "CURSOR/" + file;
}

void MenusRig::PutSlot(int n, const std::vector<uint8_t>& bytes, platform::FileTime time) {
  files.Put(SlotPath(n), bytes, time);
}

LiveState MenusRig::Live() const {
  LiveState s;
  s.reso = panels.ResoSpin.value;
  s.mouse = panels.MouseSpin.value;
  s.speed = panels.SpeedSpin.value;
  s.source.clear();
  for (const RadioButton* b : {&panels.WaveBtn, &panels.MidiBtn, &panels.MidiBtn2, &panels.MuteBtn})
    if (b->checked) s.source += b->name;
  for (int i = 0; i < 4; ++i) s.names[i] = scn.mcr[i].str();
  s.work = scn.work;
  s.flag = scn.flag;
  return s;
}

void MenusRig::SetLive(const LiveState& s) {
  panels.ResoSpin.value = s.reso;
  panels.MouseSpin.value = s.mouse;
  panels.SpeedSpin.value = s.speed;
  for (RadioButton* b : {&panels.WaveBtn, &panels.MidiBtn, &panels.MidiBtn2, &panels.MuteBtn})
    b->checked = b->name == s.source;
  for (int i = 0; i < 4; ++i) scn.mcr[i] = Sstr(s.names[i]);
  scn.work = s.work;
  scn.flag = s.flag;
  spd = text::MessageWindow::SpeedFromSetting(s.speed);
}

void PrintTo(const LiveState& s, std::ostream* os) {
  *os << "{reso " << s.reso << ", mouse " << s.mouse << ", speed " << s.speed << ", "
      << s.source << ", names";
  for (const std::string& n : s.names) *os << " [" << n << "]";
  uint64_t work_sum = 0, flag_sum = 0;
  for (int16_t w : s.work) work_sum = work_sum * 31 + static_cast<uint16_t>(w);
  for (uint16_t f : s.flag) flag_sum = flag_sum * 31 + f;
  *os << ", work[0..2] " << s.work[0] << " " << s.work[1] << " " << s.work[2] << ", work digest "
      << work_sum << ", flag[0] " << s.flag[0] << ", flag digest " << flag_sum << "}";
}

LiveState SampleLiveState() {
  LiveState s;
  s.reso = 75;
  s.mouse = 4;
  s.speed = 32;
  s.source = "MidiBtn2";
  s.names = {Sjis("太郎").str(), Sjis("花子").str(), Sjis("山田").str(), Sjis("ｶﾜｲ").str()};
  for (int i = 0; i < 256; ++i) s.work[i] = static_cast<int16_t>(1000 - 9 * i);
  for (int i = 0; i < 256; ++i) s.flag[i] = static_cast<uint16_t>(i * 0x0101 ^ 0x5A5A);
  return s;
}

LiveState OtherLiveState() {
  LiveState s;
  s.reso = 130;
  s.mouse = 2;
  s.speed = 112;
  s.source = "WaveBtn";
  s.names = {"a", "b", "c", "d"};
  s.work.fill(-5);
  s.flag.fill(0x1111);
  return s;
}

RadioButton& MenusRig::SourceButton(const std::string& name) {
  return *static_cast<RadioButton*>(panels.Find(name));
}

SlotBytes& SlotBytes::Text(std::size_t at, std::string_view text) {
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return *this;
}

SlotBytes& SlotBytes::Byte(std::size_t at, uint8_t b) {
  bytes[at] = b;
  return *this;
}

SlotBytes& SlotBytes::Work(int n, int16_t v) {
  auto u = static_cast<uint16_t>(v);
  bytes[64 + 2 * n] = static_cast<uint8_t>(u & 0xFF);
  bytes[65 + 2 * n] = static_cast<uint8_t>(u >> 8);
  return *this;
}

SlotBytes& SlotBytes::Flag(int n) {
  int word = n / 16, bit = n % 16;
  bytes[576 + 2 * word + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
  return *this;
}

SlotBytes& SlotBytes::Header(uint8_t reso, uint8_t mouse, uint8_t speed, uint8_t source) {
  Text(0, "Brannic");
  Byte(7, 0);
  Byte(8, reso);
  Byte(9, mouse);
  Byte(10, speed);
  return Byte(11, source);
}

SlotBytes& SlotBytes::Names(std::string_view n0, std::string_view n1, std::string_view n2,
                            std::string_view n3) {
  Text(16, n2.substr(0, 12));
  Text(28, n0.substr(0, 12));
  Text(40, n3.substr(0, 12));
  return Text(52, n1.substr(0, 12));
}

}  // namespace velmor::testing
