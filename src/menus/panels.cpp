#include "menus/panels.h"

#include <algorithm>

#include "core/sjis.h"
#include "core/texts.h"

namespace velmor::menus {

const char* const kCopyrightNotice = "(C) 2026 The Velmor developers";

namespace {

void Place(Control& c, const Control* parent, int x, int y, int w, int h, std::string_view caption_utf8,
           int tab = -1) {
  c.parent = parent;
  c.bounds = Rect::FromSize(x, y, w, h);
  c.caption = Sjis(caption_utf8).str();
  c.tab_order = tab;
}

}  // namespace

Panels::Panels() {
  // Settings panel. Tab order: ExitButton, SpeedSpin, ResoSpin, MouseSpin,
  // SoundGroupBox, EndButton.
  const Control* cp = &ConfigPanel;
  Place(ResoLabel, cp, 184, 16, 104, 13, GameText("解 像 度 (％)"));
  Place(ResoSpin, cp, 296, 12, 48, 25, "", 2);
  Place(UpDownLabel2, cp, 344, 12, 33, 25, "Large Small");
  Place(MouseLabel, cp, 184, 48, 104, 13, GameText("マウスカーソル"));
  Place(MouseSpin, cp, 296, 44, 48, 25, "", 3);
  Place(UpDownLabel3, cp, 346, 44, 9, 25, "+ -");
  Place(SpeedLabel, cp, 184, 80, 104, 13, GameText("文章の表示速度"));
  Place(SpeedSpin, cp, 296, 76, 48, 25, "", 1);
  Place(UpDownLabel1, cp, 344, 76, 33, 25, "Fast Slow");
  Place(SoundGroupBox, cp, 24, 8, 145, 97, GameText("音源設定"), 4);
  Place(WaveBtn, &SoundGroupBox, 16, 24, 121, 17, GameText("  ＷＡＶＥ  "));
  Place(MidiBtn, &SoundGroupBox, 16, 40, 121, 17, GameText("ＭＩＤＩ(SC55)"));
  Place(MidiBtn2, &SoundGroupBox, 16, 56, 121, 17, GameText("ＭＩＤＩ(SC88)"));
  Place(MuteBtn, &SoundGroupBox, 16, 72, 121, 17, GameText("  音源なし  "));
  Place(EndButton, cp, 24, 108, 89, 22, GameText("ゲーム終了"), 5);
  Place(ExitButton, cp, 288, 108, 88, 22, GameText("ＯＫ"), 0);
  Place(BrannicLabel1, cp, 146, 131, 248, 11, kCopyrightNotice);
  for (RadioButton* b : {&WaveBtn, &MidiBtn, &MidiBtn2, &MuteBtn})
    b->group = {&WaveBtn, &MidiBtn, &MidiBtn2, &MuteBtn};
  WaveBtn.checked = true;

  // Name panel. Tab order: FirstNameEdit, SecondNameEdit, NameEntryButton,
  // DefNameButton, NameCancelButton.
  const Control* np = &NamePanel;
  Place(NameLabel, np, 0, 8, 0, 19, "");
  Place(NameHelpLabel, np, 88, 28, 126, 12, GameText("苗字             名前"));
  Place(SecondNameEdit, np, 88, 40, 104, 26, "", 1);
  Place(FirstNameEdit, np, 192, 40, 105, 26, "", 0);
  Place(DefNameButton, np, 48, 72, 88, 22, GameText("標準設定"), 3);
  Place(NameEntryButton, np, 152, 72, 88, 22, GameText("ＯＫ"), 2);
  Place(NameCancelButton, np, 256, 72, 88, 22, GameText("ｷｬﾝｾﾙ"), 4);
  Place(BrannicLabel2, np, 144, 96, 248, 11, kCopyrightNotice);

  // Save and load panel.
  const Control* sp = &SavePanel;
  Place(SaveList, sp, 8, 8, 473, 94, "", 0);
  Place(SaveButton, sp, 488, 8, 88, 22, "", 1);
  Place(SaveCancelButton, sp, 488, 40, 88, 22, "", 2);
  Place(BrannicLabel3, sp, 336, 104, 248, 11, kCopyrightNotice);
}

std::vector<Control*> Panels::All() {
  return {&ConfigPanel,   &ResoLabel,      &ResoSpin,        &UpDownLabel2,  &MouseLabel,
          &MouseSpin,     &UpDownLabel3,   &SpeedLabel,      &SpeedSpin,     &UpDownLabel1,
          &SoundGroupBox, &WaveBtn,        &MidiBtn,         &MidiBtn2,      &MuteBtn,
          &EndButton,     &ExitButton,     &BrannicLabel1,   &NamePanel,     &NameLabel,
          &NameHelpLabel, &SecondNameEdit, &FirstNameEdit,   &DefNameButton, &NameEntryButton,
          &NameCancelButton, &BrannicLabel2, &SavePanel,     &SaveList,      &SaveButton,
          &SaveCancelButton, &BrannicLabel3};
}

Control* Panels::Find(std::string_view name) {
  for (Control* c : All())
    if (c->name == name) return c;
  return nullptr;
}

std::vector<Control*> Panels::TabOrder(const Panel& panel) {
  std::vector<Control*> order;
  for (Control* c : All())
    if (c->parent == &panel && c->tab_order >= 0) order.push_back(c);
  std::sort(order.begin(), order.end(),
            [](const Control* a, const Control* b) { return a->tab_order < b->tab_order; });
  return order;
}

}  // namespace velmor::menus
