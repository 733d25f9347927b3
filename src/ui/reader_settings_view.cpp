#include "ui/reader_settings_view.h"

#include "core/texts.h"
#include "imgui.h"
#include "ui/classic_colors.h"

namespace velmor::ui {

namespace {

constexpr float kWidth = 600;
constexpr float kPadding = 12;
constexpr float kKeyColumn = 170;   // where a key's description starts
constexpr float kLabelWidth = 140;  // beside the sliders

// The keys a reader has, beside the mouse.
struct KeyHelp {
  const char* key;
  const char* does;
};
constexpr KeyHelp kKeys[] = {
    {TrMark("Enter, Space"), TrMark("a left click")},
    {TrMark("Escape"), TrMark("a right click (picture, settings panel)")},
    {TrMark("Up, Down"), TrMark("move a choice's highlight")},
    {TrMark("1 to 7"), TrMark("pick that choice")},
    {TrMark("Wheel down"), TrMark("go on at a click or page wait")},
    {TrMark("Wheel up, Page Up"), TrMark("the backlog: the wheel, arrows and Page keys")},
    {"", TrMark("go through it; a right click or Escape closes it")},
    {TrMark("Left, Backspace"), TrMark("go back a page (Right: forward again)")},
    {TrMark("F2, F3"), TrMark("save, load (30 slots with pictures)")},
    {TrMark("F6, F7"), TrMark("quick save, quick load")},
    {TrMark("Tab"), TrMark("skip read text on or off")},
    {TrMark("A"), TrMark("auto mode on or off")},
    {TrMark("Ctrl (held)"), TrMark("fast-forward")},
    {TrMark("Alt+Enter, F11"), TrMark("full screen or a window")},
    {TrMark("F12"), TrMark("screenshot")},
    {TrMark("F1"), TrMark("this window")},
};

// The panels' colours for ImGui's own widgets, pushed for one window.
void PushPanelLook() {
  auto c = [](ImU32 u) { return ImGui::ColorConvertU32ToFloat4(u); };
  ImGui::PushStyleColor(ImGuiCol_WindowBg, c(kTooltip));
  ImGui::PushStyleColor(ImGuiCol_Border, c(kBlack));
  ImGui::PushStyleColor(ImGuiCol_Text, c(kBlack));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, c(kWhite));
  ImGui::PushStyleColor(ImGuiCol_FrameBgHovered, c(kWhite));
  ImGui::PushStyleColor(ImGuiCol_FrameBgActive, c(kLight));
  ImGui::PushStyleColor(ImGuiCol_SliderGrab, c(kFace));
  ImGui::PushStyleColor(ImGuiCol_SliderGrabActive, c(kShadow));
  ImGui::PushStyleColor(ImGuiCol_CheckMark, c(kBlack));
  ImGui::PushStyleColor(ImGuiCol_Button, c(kFace));
  ImGui::PushStyleColor(ImGuiCol_ButtonHovered, c(kFace));
  ImGui::PushStyleColor(ImGuiCol_ButtonActive, c(kShadow));
  ImGui::PushStyleColor(ImGuiCol_Separator, c(kShadow));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0);
  ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 0);
  ImGui::PushStyleVar(ImGuiStyleVar_GrabRounding, 0);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 1);
  ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 1);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(kPadding, kPadding));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8, 5));
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4, 3));
}

void PopPanelLook() {
  ImGui::PopStyleVar(8);
  ImGui::PopStyleColor(13);
}

// Every text the window shows, for the face's glyphs.
void NeedTexts(UiLayer& ui) {
  for (const KeyHelp& k : kKeys) {
    ui.Need(UiFont::Engine, Tr(k.key));
    ui.Need(UiFont::Engine, Tr(k.does));
  }
  for (const char* text :
       {TrMark("Reader settings (the game's own: its settings panel)"), TrMark("Music volume"),
        TrMark("Smooth scaling"), TrMark("Auto mode delay"),
        TrMark("(auto mode waits this long, and 60 ms a character)"), TrMark("Language"),
        TrMark("System"), TrMark("Show the game's panels translated"),
        TrMark("(labels and boxes in English; nothing stored changes)"), TrMark("Keys"),
        TrMark("OK")})
    ui.Need(UiFont::Engine, Tr(text));
  ui.Need(UiFont::Engine, "English 日本語");
}

// The sliders and switches; whether one changed, and whether an edit ended.
void DrawPictureAndText(app::ReaderSettings& s, ReaderSettingsView::Result& result) {
  ImGui::TextUnformatted(Tr("Picture size:"));
  ImGui::SameLine(kKeyColumn);
  int size = s.picture_size == app::PictureSize::FitScreen ? 1 : 0;
  bool picked = ImGui::RadioButton(Tr("The game's (settings panel)"), &size, 0);
  ImGui::SameLine();
  picked |= ImGui::RadioButton(Tr("Fit the screen"), &size, 1);
  if (picked) {
    s.picture_size = size == 1 ? app::PictureSize::FitScreen : app::PictureSize::Game;
    result.changed = result.finished = true;
  }
  ImGui::TextUnformatted(Tr("16-dot text:"));
  ImGui::SameLine(kKeyColumn);
  int face = s.text_face == app::TextFace::Outline ? 1 : 0;
  picked = ImGui::RadioButton(Tr("Bitmap face"), &face, 0);
  ImGui::SameLine();
  picked |= ImGui::RadioButton(Tr("Outline face"), &face, 1);
  if (picked) {
    s.text_face = face == 1 ? app::TextFace::Outline : app::TextFace::Bitmap;
    result.changed = result.finished = true;
  }
  if (ImGui::Checkbox(Tr("Held Ctrl also passes click and page waits"), &s.ctrl_passes_waits))
    result.changed = result.finished = true;
}

void DrawSettings(app::ReaderSettings& s, ReaderSettingsView::Result& result) {
  ImGui::PushItemWidth(kWidth - 2 * kPadding - kLabelWidth);
  result.changed |= ImGui::SliderInt(Tr("Music volume"), &s.music_volume,
                                     app::ReaderSettings::kMinVolume,
                                     app::ReaderSettings::kMaxVolume, "%d %%",
                                     ImGuiSliderFlags_AlwaysClamp);
  result.finished |= ImGui::IsItemDeactivatedAfterEdit();
  if (ImGui::Checkbox(Tr("Smooth scaling"), &s.smooth_scaling)) result.changed = result.finished = true;
  if (ImGui::Checkbox(Tr("Wheel goes back a page (not the backlog)"), &s.wheel_goes_back))
    result.changed = result.finished = true;
  DrawPictureAndText(s, result);
  result.changed |= ImGui::SliderInt(Tr("Auto mode delay"), &s.auto_delay_ms,
                                     app::ReaderSettings::kMinAutoDelayMs,
                                     app::ReaderSettings::kMaxAutoDelayMs, "%d ms",
                                     ImGuiSliderFlags_AlwaysClamp);
  result.finished |= ImGui::IsItemDeactivatedAfterEdit();
  ImGui::PopItemWidth();
  ImGui::TextUnformatted(Tr("(auto mode waits this long, and 60 ms a character)"));
  ImGui::Separator();
  // The languages are named in their own words, so a reader who cannot read
  // the one shown still finds theirs.
  ImGui::TextUnformatted(Tr("Language"));
  const std::pair<LanguageChoice, const char*> choices[] = {
      {LanguageChoice::System, Tr("System")},
      {LanguageChoice::English, "English"},
      {LanguageChoice::Japanese, "日本語"}};
  for (const auto& [choice, name] : choices) {
    ImGui::SameLine();
    if (ImGui::RadioButton(name, s.language == choice) && s.language != choice) {
      s.language = choice;
      result.changed = result.finished = true;
    }
  }
  if (ImGui::Checkbox(Tr("Show the game's panels translated"), &s.translate_game))
    result.changed = result.finished = true;
  ImGui::TextUnformatted(Tr("(labels and boxes in English; nothing stored changes)"));
}

}  // namespace

ReaderSettingsView::Result ReaderSettingsView::Draw(session::ReaderSettingsWindow& window) {
  Result result;
  // A window that opens is measured in its first frame and shown whole in
  // the next, which should come at once.
  wants_next_frame_ = window.open && !was_open_;
  was_open_ = window.open;
  if (!window.open) return result;
  NeedTexts(ui_);
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  ImGui::SetNextWindowPos(ImVec2(display.x / 2, display.y / 2), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
  ImGui::SetNextWindowSize(ImVec2(kWidth, 0));
  PushPanelLook();
  ImGui::PushFont(ui_.Font(UiFont::Engine));
  ImGui::Begin("Reader settings", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_AlwaysAutoResize);
  if (ImGui::IsWindowAppearing()) wants_next_frame_ = true;
  ImGui::TextUnformatted(Tr("Reader settings (the game's own: its settings panel)"));
  ImGui::Separator();
  DrawSettings(window.settings, result);
  ImGui::Separator();
  ImGui::TextUnformatted(Tr("Keys"));
  for (const KeyHelp& k : kKeys) {
    ImGui::TextUnformatted(Tr(k.key));
    ImGui::SameLine(kKeyColumn);
    ImGui::TextUnformatted(Tr(k.does));
  }
  ImGui::Separator();
  // Saves of our own, also on F2 and F3.
  if (ImGui::Button(Tr("Save..."), ImVec2(88, 22))) result.open_saves = true;
  ImGui::SameLine();
  if (ImGui::Button(Tr("Load..."), ImVec2(88, 22))) result.open_saves = false;
  if (result.open_saves) {
    window.open = false;
    result.finished = true;
  }
  ImGui::SameLine();
  if (ImGui::Button(Tr("OK"), ImVec2(88, 22))) {
    window.open = false;
    result.finished = true;
  }
  ImGui::End();
  ImGui::PopFont();
  PopPanelLook();
  return result;
}

}  // namespace velmor::ui
