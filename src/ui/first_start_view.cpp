#include "ui/first_start_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <type_traits>
#include <variant>

#include "imgui.h"
#include "ui/bevel.h"
#include "ui/classic_colors.h"
#include "ui/views.h"

namespace velmor::ui {

namespace {

using session::FirstStart;

constexpr float kButtonHeight = 26;
constexpr ImU32 kGood = IM_COL32(0x00, 0x70, 0x00, 0xFF);
constexpr ImU32 kPoor = IM_COL32(0x90, 0x00, 0x00, 0xFF);

// A push button's width for its caption.
float ButtonWidth(const char* label) { return std::max(ImGui::CalcTextSize(label).x + 24, 75.0f); }

}  // namespace

FirstStartView::FirstStartView(UiLayer& ui, const FirstStartTexts& texts,
                               std::string remembered_in, std::string home)
    : ui_(ui), texts_(texts), remembered_in_(std::move(remembered_in)), home_(std::move(home)) {
  MapKeys(ImGui::GetIO());
}

void FirstStartView::Deliver(const InputEvent& event) {
  ImGuiIO& io = ImGui::GetIO();
  wants_frame_ = true;
  std::visit(
      [&](const auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, KeyEvent>) {
          io.KeyShift = e.held.shift;
          io.KeyCtrl = e.held.ctrl;
          io.KeyAlt = e.held.alt;
          io.KeysDown[static_cast<int>(e.key)] = e.down;
        } else if constexpr (std::is_same_v<E, ButtonEvent>) {
          io.MousePos = ToImVec(e.at);
          const int i = ButtonIndex(e.button);
          if (i < 0) return;
          held_[static_cast<std::size_t>(i)] = e.down;
          if (e.down) pressed_[static_cast<std::size_t>(i)] = true;
        } else if constexpr (std::is_same_v<E, WheelEvent>) {
          io.MousePos = ToImVec(e.at);
          io.MouseWheel += e.y > 0 ? 1.0f : e.y < 0 ? -1.0f : 0.0f;
        } else if constexpr (std::is_same_v<E, PointerMotion>) {
          io.MousePos = ToImVec(e.at);
        } else if constexpr (std::is_same_v<E, TypedText>) {
          io.AddInputCharactersUTF8(e.utf8.c_str());
        } else if constexpr (std::is_same_v<E, WindowEvent>) {
          if (e == WindowEvent::FocusGained || e == WindowEvent::FocusLost)
            io.AddFocusEvent(e == WindowEvent::FocusGained);
        }
      },
      event);
}

void FirstStartView::Draw(FirstStart& first, Size display, double seconds) {
  ImGuiIO& io = ImGui::GetIO();
  // A click shorter than a frame still counts as one.
  for (std::size_t i = 0; i < held_.size(); ++i) {
    io.MouseDown[i] = held_[i] || pressed_[i];
    pressed_[i] = false;
  }
  ui_.BeginFrame(display, seconds);
  drawn_.clear();
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
  // The browser keeps one size while its folders change, so that nothing
  // moves under the pointer; the offer fits its words.
  const float width = std::min(io.DisplaySize.x - 16, 620.0f);
  const bool browsing = first.step() == session::FirstStartStep::Browse;
  ImGui::SetNextWindowSize(ImVec2(width, browsing ? std::min(io.DisplaySize.y - 16, 470.0f) : 0),
                           ImGuiCond_Always);
  ImGui::PushFont(ui_.Font(UiFont::Box));
  ui_.Need(UiFont::Box, texts_.title);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(14, 12));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8, 8));
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4, 3));
  ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 1.0f);
  ImGui::PushStyleColor(ImGuiCol_Text, kWhite);  // the title on the navy bar
  ImGui::Begin(texts_.title, nullptr,
               ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                   ImGuiWindowFlags_NoSavedSettings);
  ImGui::PopStyleColor();
  if (first.step() == session::FirstStartStep::Offer)
    DrawOffer(first);
  else
    DrawBrowser(first);
  ImGui::End();
  ImGui::PopStyleVar(4);
  ImGui::PopFont();
  ui_.EndFrame();
  // What a click in this frame changed is drawn in the next ones (a window
  // that fits new contents takes its size in the frames after).
  if (first.step() != drawn_step_ || first.folder() != drawn_folder_) settle_frames_ = 2;
  drawn_step_ = first.step();
  drawn_folder_ = first.folder();
  if (settle_frames_ > 0) --settle_frames_;
  wants_frame_ = settle_frames_ > 0 || ui_.ItemHeld() || ui_.TextActive() || ui_.AtlasOutdated();
}

bool FirstStartView::Button(const char* label, float height, bool enabled) {
  // A push button of the era, as the message boxes draw theirs.
  const ImVec2 text = ImGui::CalcTextSize(label);
  const ImVec2 size(ButtonWidth(label), std::max(height, text.y + 8));
  const ImVec2 p = ImGui::GetCursorScreenPos();
  if (!enabled) ImGui::BeginDisabled();
  const bool pressed = ImGui::InvisibleButton(label, size);
  if (!enabled) ImGui::EndDisabled();
  const bool held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  const Rect r{static_cast<int>(p.x), static_cast<int>(p.y), static_cast<int>(p.x + size.x),
               static_cast<int>(p.y + size.y)};
  ImDrawList* dl = ImGui::GetWindowDrawList();
  PushButtonFace(dl, r, false, held);
  const float shift = held ? 1.0f : 0.0f;
  const ImVec2 at(std::floor(p.x + (size.x - text.x) / 2) + shift,
                  std::floor(p.y + (size.y - text.y) / 2) + shift);
  if (!enabled) dl->AddText(ImVec2(at.x + 1, at.y + 1), kHighlight, label);
  dl->AddText(at, enabled ? kBlack : kShadow, label);
  Remember(label);
  return pressed && enabled;
}

bool FirstStartView::Selectable(const std::string& label) {
  const bool pressed = ImGui::Selectable(label.c_str(), false);
  Remember(label);
  return pressed;
}

void FirstStartView::Remember(const std::string& label) {
  const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
  drawn_[label] = Rect{static_cast<int>(a.x), static_cast<int>(a.y), static_cast<int>(b.x),
                       static_cast<int>(b.y)};
}

std::optional<Rect> FirstStartView::Where(const std::string& label) const {
  auto it = drawn_.find(label);
  if (it == drawn_.end()) return std::nullopt;
  return it->second;
}

void FirstStartView::Text(const std::string& utf8) {
  ui_.Need(UiFont::Box, utf8);
  ImGui::TextWrapped("%s", utf8.c_str());
}

void FirstStartView::DrawOffer(FirstStart& first) {
  if (first.failure().empty()) {
    Text(texts_.welcome);
  } else {
    Text(texts_.failed);
    ImGui::PushStyleColor(ImGuiCol_Text, kPoor);
    Text(first.failure());
    ImGui::PopStyleColor();
  }
  ImGui::Spacing();
  ui_.Need(UiFont::Box, texts_.choose);
  if (Button(texts_.choose, kButtonHeight)) first.Browse();
  ImGui::SameLine();
  ui_.Need(UiFont::Box, texts_.demo);
  if (Button(texts_.demo, kButtonHeight, first.demo_available())) first.PlayDemo();
  ImGui::SameLine();
  ui_.Need(UiFont::Box, texts_.quit);
  if (Button(texts_.quit, kButtonHeight)) first.Quit();
  if (!first.demo_available()) Text(texts_.no_demo);
}

void FirstStartView::DrawBrowser(FirstStart& first) {
  Text(texts_.browse_help);
  DrawPathRow(first);
  DrawFolderList(first);
  DrawCheck(first);
  ui_.Need(UiFont::Box, texts_.use);
  if (Button(texts_.use, kButtonHeight, first.check() == app::GameFolderCheck::Holds))
    first.UseThisFolder();
  ImGui::SameLine();
  ui_.Need(UiFont::Box, texts_.back);
  if (Button(texts_.back, kButtonHeight)) first.Back();
  if (!remembered_in_.empty()) {
    char line[4608];
    std::snprintf(line, sizeof line, texts_.remembered, remembered_in_.c_str());
    Text(line);
  }
}

void FirstStartView::DrawPathRow(FirstStart& first) {
  if (shown_folder_ != first.folder()) {
    shown_folder_ = first.folder();
    std::snprintf(typed_.data(), typed_.size(), "%s", shown_folder_.c_str());
  }
  ui_.Need(UiFont::Box, typed_.data());
  for (const char* label : {texts_.up, texts_.home, texts_.go}) ui_.Need(UiFont::Box, label);
  if (Button(texts_.up, 0)) first.Up();
  ImGui::SameLine();
  if (Button(texts_.home, 0)) first.GoTo("~", home_);
  ImGui::SameLine();
  const float go_width = ButtonWidth(texts_.go);
  ImGui::SetNextItemWidth(ImGui::GetContentRegionAvail().x - go_width - ImGui::GetStyle().ItemSpacing.x);
  const bool entered = ImGui::InputText("##path", typed_.data(), typed_.size(),
                                        ImGuiInputTextFlags_EnterReturnsTrue);
  ImGui::SameLine();
  if (Button(texts_.go, 0) || entered) first.GoTo(typed_.data(), home_);
}

void FirstStartView::DrawFolderList(FirstStart& first) {
  const float rows = 12;
  ImGui::BeginChild("folders", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * rows), true);
  if (!first.listing().error.empty()) Text(first.listing().error);
  std::string open;
  for (const std::string& name : first.listing().folders) {
    const std::string label = name + "/";
    ui_.Need(UiFont::Box, label);
    // One click opens a folder: the list is for going down, the button below
    // for taking the folder looked at.
    if (Selectable(label)) open = name;
  }
  ImGui::EndChild();
  if (!open.empty()) first.Open(open);
}

void FirstStartView::DrawCheck(const FirstStart& first) {
  switch (first.check()) {
    case app::GameFolderCheck::Holds:
      ImGui::PushStyleColor(ImGuiCol_Text, kGood);
      Text(texts_.holds_game);
      break;
    case app::GameFolderCheck::NoGame:
      ImGui::PushStyleColor(ImGuiCol_Text, kPoor);
      Text(texts_.no_game);
      break;
    case app::GameFolderCheck::Missing:
      ImGui::PushStyleColor(ImGuiCol_Text, kPoor);
      Text(texts_.missing);
      break;
  }
  ImGui::PopStyleColor();
}

}  // namespace velmor::ui
