#include "ui/debugger_view.h"

#include <algorithm>
#include <cstdio>

#include "core/texts.h"
#include "imgui.h"
#include "language/disassembly.h"
#include "ui/classic_colors.h"

namespace velmor::ui {

namespace {

constexpr float kWidth = 460;
constexpr int kLinesBefore = 8;
constexpr int kLinesAfter = 16;
constexpr float kNameWidth = 200;  // the work variables' names, before their fields

// A caption in the player's language with a fixed identity (`id`), so that
// what ImGui keeps of the control stays when the language changes.
std::string Caption(const char* english, const char* id) {
  return std::string(Tr(english)) + "###" + id;
}

std::string Hex(uint32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", n);
  return buf;
}

}  // namespace

const char* DebuggerView::Label(const std::string& caption) {
  label_ = caption;
  ui_.Need(UiFont::Box, label_.substr(0, label_.find("###")));
  return label_.c_str();
}

void DebuggerView::Text(const std::string& utf8) {
  ui_.Need(UiFont::Box, utf8);
  ImGui::TextUnformatted(utf8.c_str());
}

void DebuggerView::Draw(app::Debugger& d, std::string& note,
                        std::vector<std::function<void()>>& actions,
                        const std::optional<Rect>& place, std::optional<Rect>& moved) {
  note_ = &note;
  const ImGuiIO& io = ImGui::GetIO();
  // Where the player left it last time (kept inside the window), else at
  // the right edge.
  if (place) {
    const float w = static_cast<float>(place->width()), h = static_cast<float>(place->height());
    const float x = std::clamp(static_cast<float>(place->left), 0.0f, std::max(io.DisplaySize.x - 40, 0.0f));
    const float y = std::clamp(static_cast<float>(place->top), 0.0f, std::max(io.DisplaySize.y - 40, 0.0f));
    ImGui::SetNextWindowPos(ImVec2(x, y), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(w, h), ImGuiCond_FirstUseEver);
  } else {
    ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x - kWidth - 8, 8), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowSize(ImVec2(kWidth, io.DisplaySize.y - 16), ImGuiCond_FirstUseEver);
  }
  ImGui::PushFont(ui_.Font(UiFont::Box));
  // The spacing of the message boxes, and framed buttons and fields.
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(8, 8));
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(6, 3));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(6, 4));
  ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 1.0f);
  ImGui::PushStyleColor(ImGuiCol_Text, kWhite);  // the title on the navy bar
  ImGui::Begin(Label(Caption(TrMark("Scenario debugger"), "debugger")), nullptr,
               ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings);
  ImGui::PopStyleColor();
  shown_ = true;
  const ImVec2 at = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
  area_ = Rect::FromSize(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y),
                         static_cast<int32_t>(size.x), static_cast<int32_t>(size.y));
  // Moved or sized by the player, and let go: to be kept.
  if (last_area_ && area_ != *last_area_) dragged_ = true;
  last_area_ = area_;
  if (dragged_ && !ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
    dragged_ = false;
    if (!place || *place != area_) moved = area_;
  }

  DrawButtons(d, actions);
  Text(d.StatusLine());
  if (!note.empty()) {
    ImGui::PushStyleColor(ImGuiCol_Text, kRed);
    Text(note);
    ImGui::PopStyleColor();
  }
  DrawCode(d);
  const ImGuiTreeNodeFlags open = ImGuiTreeNodeFlags_DefaultOpen;
  if (ImGui::CollapsingHeader(Label(Caption(TrMark("Work variables"), "work")), open)) DrawWork(d);
  if (ImGui::CollapsingHeader(Label(Caption(TrMark("Flags"), "flags")), open)) DrawFlags(d);
  if (ImGui::CollapsingHeader(Label(Caption(TrMark("State"), "state")), open)) DrawState(d);
  editing_ = ImGui::GetIO().WantTextInput;
  ImGui::End();
  ImGui::PopStyleVar(4);
  ImGui::PopFont();
}

void DebuggerView::DrawButtons(app::Debugger& d, std::vector<std::function<void()>>& actions) {
  // One width for both captions, so that the buttons beside it stay put.
  const ImGuiStyle& style = ImGui::GetStyle();
  ui_.Need(UiFont::Box, std::string(Tr("Continue")) + Tr("Pause"));
  const float width =
      std::max(ImGui::CalcTextSize(Tr("Continue")).x, ImGui::CalcTextSize(Tr("Pause")).x) +
      2 * style.FramePadding.x;
  if (ImGui::Button(Label(Caption(d.paused() ? "Continue" : "Pause", "run")), ImVec2(width, 0))) {
    d.paused() ? d.Continue() : d.Pause();
  }
  ImGui::SameLine();
  if (ImGui::Button(Label(Caption(TrMark("Step"), "step")))) d.Step();
  ImGui::SameLine();
  if (ImGui::Button(Label(Caption(TrMark("Step over"), "over")))) d.StepOver();
  ImGui::SameLine();
  if (ImGui::Button(Label(Caption(TrMark("Run to wait"), "towait")))) d.RunToWait();
  ImGui::SameLine();
  if (ImGui::Button(Label(Caption(TrMark("Reload (F5)"), "reload"))))
    actions.push_back([&d, note = note_] {
      std::string why;
      *note = d.Reload(&why) ? "" : why;
    });
}

void DebuggerView::DrawCode(app::Debugger& d) {
  ImGui::BeginChild("code", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * 14), true);
  for (const app::CodeLine& line : d.CodeAround(kLinesBefore, kLinesAfter)) {
    const bool here = line.offset == d.Where();
    const std::string mark = d.HasBreakpoint(line.offset) ? "● " : "  ";
    std::string text = mark + Hex(line.offset) + "  ";
    if (!line.label.empty()) text += line.label + ": ";
    text += line.text;
    ui_.Need(UiFont::Box, text);
    ImGui::PushID(line.offset);
    if (ImGui::Selectable(text.c_str(), here)) d.ToggleBreakpoint(line.offset);
    if (here && d.paused()) ImGui::SetScrollHereY(0.5f);
    ImGui::PopID();
  }
  ImGui::EndChild();
}

void DebuggerView::DrawWork(app::Debugger& d) {
  ImGui::BeginChild("work", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * 8), true);
  ImGuiListClipper clipper;
  clipper.Begin(scenario::kWorkCount);
  while (clipper.Step()) {
    for (int n = clipper.DisplayStart; n < clipper.DisplayEnd; ++n) {
      ImGui::PushID(n);
      char name[24];
      std::snprintf(name, sizeof name, "work[%d]", n);
      const std::string named = d.WorkName(n);
      Text(named.empty() ? std::string(name) : std::string(name) + " " + named);
      ImGui::SameLine(kNameWidth);
      int value = d.WorkValue(n);
      ImGui::SetNextItemWidth(100);
      std::string why;
      if (ImGui::InputInt("##value", &value, 0, 0, ImGuiInputTextFlags_EnterReturnsTrue))
        *note_ = d.SetWork(n, value, &why) ? "" : why;
      ImGui::PopID();
    }
  }
  ImGui::EndChild();
}

void DebuggerView::DrawFlags(app::Debugger& d) {
  ImGui::SetNextItemWidth(100);
  ImGui::InputInt("##flag", &flag_to_set_, 0, 0);
  ImGui::SameLine();
  std::string why;
  if (ImGui::Button(Label(Caption(TrMark("Set flag"), "setflag"))))
    *note_ = d.SetFlag(flag_to_set_, 1, &why) ? "" : why;
  ImGui::BeginChild("flags", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * 4), true);
  for (int n : d.SetFlags()) {
    char name[24];
    std::snprintf(name, sizeof name, "flag[%d]", n);
    const std::string named = d.FlagName(n);
    const std::string caption = named.empty() ? std::string(name) : std::string(name) + " " + named;
    ui_.Need(UiFont::Box, caption);
    bool set = true;
    if (ImGui::Checkbox(caption.c_str(), &set)) d.SetFlag(n, 0, nullptr);
  }
  ImGui::EndChild();
}

void DebuggerView::DrawState(app::Debugger& d) {
  for (const app::CallLevel& level : d.CallStack())
    Text(Fill(Tr("call %s.SNX  %s"), {level.file, Hex(level.offset)}));
  const app::DebugState s = d.State();
  Text("MainProc " + s.main_proc);
  Text(Fill(Tr("message  %s"), {s.message}));
  Text("  MsgPos " + std::to_string(s.msg_pos) +
       (s.page_wait ? std::string("  ") + Tr("page wait") : ""));
  Text(Fill(Tr("music    %s"), {s.music}) + (s.music_loop ? std::string("  ") + Tr("(repeats)") : ""));
  Text("  " + (s.media_file.empty() ? std::string(Tr("no file")) : s.media_file) + ", " +
       s.media_mode);
}

}  // namespace velmor::ui
