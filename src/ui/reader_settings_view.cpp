#include "ui/reader_settings_view.h"

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
    {"Enter, Space", "a left click"},
    {"Escape", "a right click (picture, settings panel)"},
    {"Up, Down", "move a choice's highlight"},
    {"1 to 7", "pick that choice"},
    {"Wheel down", "go on at a click or page wait"},
    {"Wheel up, Page Up", "the backlog: the wheel, arrows and Page keys"},
    {"", "go through it; a right click or Escape closes it"},
    {"Left, Backspace", "go back a page (Right: forward again)"},
    {"F2, F3", "save, load (30 slots with pictures)"},
    {"F6, F7", "quick save, quick load"},
    {"Tab", "skip read text on or off"},
    {"A", "auto mode on or off"},
    {"Ctrl (held)", "fast-forward"},
    {"Alt+Enter, F11", "full screen or a window"},
    {"F12", "screenshot"},
    {"F1", "this window"},
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

}  // namespace

ReaderSettingsView::Result ReaderSettingsView::Draw(session::ReaderSettingsWindow& window) {
  Result result;
  // A window that opens is measured in its first frame and shown whole in
  // the next, which should come at once.
  wants_next_frame_ = window.open && !was_open_;
  was_open_ = window.open;
  if (!window.open) return result;
  for (const KeyHelp& k : kKeys) {
    ui_.Need(UiFont::Engine, k.key);
    ui_.Need(UiFont::Engine, k.does);
  }
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
  app::ReaderSettings& s = window.settings;
  ImGui::TextUnformatted("Reader settings (the game's own: its settings panel)");
  ImGui::Separator();
  ImGui::PushItemWidth(kWidth - 2 * kPadding - kLabelWidth);
  result.changed |= ImGui::SliderInt("Music volume", &s.music_volume,
                                     app::ReaderSettings::kMinVolume,
                                     app::ReaderSettings::kMaxVolume, "%d %%",
                                     ImGuiSliderFlags_AlwaysClamp);
  result.finished |= ImGui::IsItemDeactivatedAfterEdit();
  if (ImGui::Checkbox("Smooth scaling", &s.smooth_scaling)) result.changed = result.finished = true;
  if (ImGui::Checkbox("Wheel goes back a page (not the backlog)", &s.wheel_goes_back))
    result.changed = result.finished = true;
  result.changed |= ImGui::SliderInt("Auto mode delay", &s.auto_delay_ms,
                                     app::ReaderSettings::kMinAutoDelayMs,
                                     app::ReaderSettings::kMaxAutoDelayMs, "%d ms",
                                     ImGuiSliderFlags_AlwaysClamp);
  result.finished |= ImGui::IsItemDeactivatedAfterEdit();
  ImGui::PopItemWidth();
  ImGui::TextUnformatted("(auto mode waits this long, and 60 ms a character)");
  ImGui::Separator();
  ImGui::TextUnformatted("Keys");
  for (const KeyHelp& k : kKeys) {
    ImGui::TextUnformatted(k.key);
    ImGui::SameLine(kKeyColumn);
    ImGui::TextUnformatted(k.does);
  }
  ImGui::Separator();
  // Saves of our own, also on F2 and F3.
  if (ImGui::Button("Save...", ImVec2(88, 22))) result.open_saves = true;
  ImGui::SameLine();
  if (ImGui::Button("Load...", ImVec2(88, 22))) result.open_saves = false;
  if (result.open_saves) {
    window.open = false;
    result.finished = true;
  }
  ImGui::SameLine();
  if (ImGui::Button("OK", ImVec2(88, 22))) {
    window.open = false;
    result.finished = true;
  }
  ImGui::End();
  ImGui::PopFont();
  PopPanelLook();
  return result;
}

}  // namespace velmor::ui
