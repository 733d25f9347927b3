// The game's panels shown translated (the catalogue the build compiled from
// po/game/en.po) keep the game's layout: every English caption is drawn
// inside its control, no label runs into another control, and the save
// list's rows fit the list, measured in the faces the views draw with.
// With VELMOR_PANEL_SHOTS set to a folder, the panels are also written there
// as pictures (F12), to be looked at.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/catalogues.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "imgui.h"
#include "imgui_internal.h"
#include "menus/panel_layout.h"
#include "sdl_rig.h"

namespace velmor::main {
namespace {

using menus::WindowRect;
using testing::SdlRig;

float Width(SdlRig& rig, ui::UiFont face, const std::string& utf8) {
  ImFont* f = rig.ui->Font(face);
  return f->CalcTextSizeA(f->FontSize, FLT_MAX, 0, utf8.data(), utf8.data() + utf8.size()).x;
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// With VELMOR_PANEL_SHOTS set, the picture with the panels and boxes (F12),
// as `name`.png in that folder.
void ShotOf(SdlRig& rig, const std::string& name) {
  const char* folder = std::getenv("VELMOR_PANEL_SHOTS");
  if (folder == nullptr) return;
  const std::filesystem::path pictures = std::filesystem::path(folder) / "pictures";
  setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
  rig.Press(SDLK_F12, 3);
  const std::string notice = rig.session->notice().text();
  const std::filesystem::path saved = pictures / "velmor" / notice.substr(notice.find(": ") + 2);
  std::filesystem::rename(saved, std::filesystem::path(folder) / (name + ".png"));
}

class TranslatedPanels : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(std::filesystem::path(VELMOR_BUILD_DIR) / "locale" / "game-en.mo",
                     std::ios::binary);
    ASSERT_TRUE(in);
    platform::MemoryFiles locale;
    locale.Put("locale/game-en.mo", std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                         std::istreambuf_iterator<char>()));
    ASSERT_TRUE(app::LoadCatalogues(locale, {"locale"}, Language::English).empty());
    ASSERT_GT(CurrentTexts().game_english.size(), 40u);
    CurrentTexts().game_translated = true;
    rig.Start();
  }

  // Every caption of `panel`'s controls where it is drawn, checked against
  // the control that holds it and the panel's other controls.
  void CheckPanel(Panel& panel) {
    std::vector<Control*> mine;
    for (Control* c : rig.panels().All())
      if (c->shown() && c != &panel && IsIn(*c, panel)) mine.push_back(c);
    for (Control* c : mine) {
      const std::string text = TrGame(SjisToUtf8(c->caption));
      if (text.empty()) continue;
      const Rect r = WindowRect(*c);
      SCOPED_TRACE(c->name + ": \"" + text + "\"");
      switch (c->kind) {
        case ControlKind::Button:
          EXPECT_LE(Width(rig, ui::UiFont::Panel, text) + 6, r.width());
          break;
        case ControlKind::Radio:
          EXPECT_LE(17 + Width(rig, ui::UiFont::Panel, text), r.width());
          break;
        case ControlKind::GroupBox:
          EXPECT_LE(10 + Width(rig, ui::UiFont::Panel, text), r.width() - 6);
          break;
        case ControlKind::Label: CheckLabel(static_cast<Label&>(*c), text, panel, mine); break;
        default: break;
      }
    }
  }

  void CheckLabel(const Label& label, const std::string& text, const Panel& panel,
                  const std::vector<Control*>& others) {
    const Rect r = WindowRect(label), whole = WindowRect(panel);
    ui::UiFont face = ui::UiFont::Panel;
    if (label.style == LabelStyle::Prompt) face = ui::UiFont::Prompt;
    if (label.style == LabelStyle::Help) face = ui::UiFont::Label;
    if (label.style == LabelStyle::UpDown || label.style == LabelStyle::Copyright) return;
    const int w = static_cast<int>(std::ceil(Width(rig, face, text)));
    if (label.style == LabelStyle::Prompt) {  // centred in the panel
      EXPECT_LE(w + 8, whole.width());
      return;
    }
    const Rect drawn{r.left, r.top, r.left + w, r.top + r.height()};
    EXPECT_LE(drawn.right, whole.right - 4);
    for (const Control* o : others) {
      if (o == &label || o->kind == ControlKind::Label || o == label.parent) continue;
      EXPECT_FALSE(Overlap(drawn, WindowRect(*o))) << "runs into " << o->name;
    }
  }

  static bool IsIn(const Control& c, const Control& panel) {
    for (const Control* p = c.parent; p != nullptr; p = p->parent)
      if (p == &panel) return true;
    return false;
  }

  void Shot(const char* name) { ShotOf(rig, name); }

  ScopedTexts restore;
  SdlRig rig;
  menus::Panels& p = rig.panels();
};

TEST_F(TranslatedPanels, TheSettingsPanelsCaptionsFit) {
  rig.Show(p.ConfigPanel, {312, 304}, nullptr, 3);  // in the picture's middle
  CheckPanel(p.ConfigPanel);
  Shot("settings-panel");
}

TEST_F(TranslatedPanels, TheNamePanelsCaptionsFit) {
  for (const char* prompt : {"貴男の名前を入力して下さい。", "好きな人の名前を入力して下さい。"}) {
    p.NameLabel.caption = Sjis(prompt).str();
    rig.Show(p.NamePanel, {312, 304}, nullptr, 3);
    CheckPanel(p.NamePanel);
  }
  Shot("name-panel");
}

// The rows as wide as they get: two names of 8 bytes, full-width digits;
// and the rows of an empty, an unreadable and a stranger's slot.
TEST_F(TranslatedPanels, TheSavePanelsCaptionsAndRowsFit) {
  testing::FormInternals g = rig.in();
  g.scn.mcr[0] = Sstr(Sjis("ＡＢＣＤ").view());
  g.scn.mcr[1] = Sstr("ABCDEFGH");
  g.scn.work[5] = 12, g.scn.work[6] = 28;
  g.saves.SaveSlot(1);
  g.saves.OpenSaveMenu(1, 5, 6);
  rig.Show(p.SavePanel, {215, 424}, &p.SaveButton, 3);
  CheckPanel(p.SavePanel);
  const Rect list = WindowRect(p.SaveList);
  std::vector<std::string> rows;
  for (const std::string& row : p.SaveList.rows) rows.push_back(SjisToUtf8(row));
  ASSERT_GE(rows.size(), 2u);
  EXPECT_NE(rows[0].find("ＡＢＣＤ & ABCDEFGH"), std::string::npos) << "in English: " << rows[0];
  for (const char* fixed : {"－－月－－日　　　　～開かずの間～", "－－月－－日　　　　～よその部屋～",
                            "－－月－－日　　　　～空き部屋～"})
    rows.push_back(TrGame(fixed));
  for (const std::string& row : rows) {
    SCOPED_TRACE(row);
    EXPECT_EQ(row.find("月"), std::string::npos);
    EXPECT_LE(2 + Width(rig, ui::UiFont::List, row), list.width() - 4);
  }
  Shot("save-panel");
}

// The game's boxes, in English, stay inside the smallest window (the game at
// 100 %): the widest of them, and the longest of those it makes from pieces.
TEST(TranslatedBoxes, TheWidestFitTheGamesWindow) {
  ScopedTexts restore;
  SdlRig rig(testing::Ticking(), {640, 480});
  rig.Start();
  platform::MemoryFiles locale;
  std::ifstream in(std::filesystem::path(VELMOR_BUILD_DIR) / "locale" / "game-en.mo", std::ios::binary);
  locale.Put("locale/game-en.mo", std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                                       std::istreambuf_iterator<char>()));
  ASSERT_TRUE(app::LoadCatalogues(locale, {"locale"}, Language::English).empty());
  CurrentTexts().game_translated = true;
  const std::string texts[] = {
      GameSentence("シナリオが応答しません。待ち命令のないループが続いています。\n"
                   "ゲームは続けられますが、終了するときは右クリック二回で設定パネルを開いてください。",
                   {}),
      GameSentence("%s に書き込めなかったよ。\n%s", {"DATA03", "\"SAVES/DATA03\": Permission denied"}),
      Sjis("重ね書きするよ？").str()};
  for (const std::string& text : texts) {
    SCOPED_TRACE(SjisToUtf8(text));
    EXPECT_EQ(SjisToUtf8(text).find("ん"), std::string::npos) << "in English";
    rig.boxes.ShowMessageBox(text, platform::MessageKind::Confirmation, platform::Buttons::OkCancel);
    ASSERT_EQ(rig.boxes.size(), 1u);
    rig.Passes(3);  // measured in one frame, shown in the next
    const ImGuiWindow* w = ImGui::FindWindowByName("###box0");
    ASSERT_NE(w, nullptr);
    EXPECT_GE(w->Pos.x, 0.0f);
    EXPECT_LE(w->Pos.x + w->Size.x, 640.0f);
    ShotOf(rig, "box-" + std::to_string(&text - texts));
    rig.boxes.Top()->Press(1);
    rig.boxes.Settle();
    rig.Passes(2);
  }
}

}  // namespace
}  // namespace velmor::main
