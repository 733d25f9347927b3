#include "ui/box_view.h"

#include <string>

#include "core/sjis.h"
#include "core/texts.h"
#include "imgui.h"
#include "ui/bevel.h"
#include "ui/classic_colors.h"

namespace velmor::ui {

using menus::BoxIcon;
using menus::BoxLook;

namespace {

constexpr float kIconSize = 32;
constexpr float kButtonWidth = 75;
constexpr float kButtonHeight = 23;
constexpr float kButtonGap = 6;

void Line(ImDrawList* dl, float x0, float y0, float x1, float y1, ImU32 c) {
  dl->AddRectFilled(ImVec2(x0, y0), ImVec2(x1, y1), c);
}

void DrawIcon(ImDrawList* dl, ImVec2 at, BoxIcon icon, ImFont* glyph_font) {
  const ImVec2 c(at.x + kIconSize / 2, at.y + kIconSize / 2);
  if (icon == BoxIcon::Stop) {
    // A red disc with a white cross.
    dl->AddCircleFilled(c, 15, kBlack, 24);
    dl->AddCircleFilled(c, 14, kRed, 24);
    const float t = 2.5f;
    dl->AddLine(ImVec2(c.x - 6, c.y - 6), ImVec2(c.x + 6, c.y + 6), kHighlight, t);
    dl->AddLine(ImVec2(c.x - 6, c.y + 6), ImVec2(c.x + 6, c.y - 6), kHighlight, t);
    return;
  }
  // A white speech balloon with a blue letter: "i" for information, "?" for
  // a question.
  dl->AddCircleFilled(c, 15, kBlack, 24);
  dl->AddCircleFilled(c, 14, kHighlight, 24);
  dl->AddTriangleFilled(ImVec2(c.x - 9, c.y + 9), ImVec2(c.x - 2, c.y + 13),
                        ImVec2(c.x - 12, c.y + 16), kHighlight);
  if (icon == BoxIcon::Information) {
    Line(dl, c.x - 2, c.y - 10, c.x + 2, c.y - 6, kBlue);
    Line(dl, c.x - 2, c.y - 3, c.x + 2, c.y + 9, kBlue);
    Line(dl, c.x - 4, c.y + 8, c.x + 4, c.y + 10, kBlue);
    return;
  }
  const float size = glyph_font->FontSize * 1.2f;
  const ImVec2 w = glyph_font->CalcTextSizeA(size, 100, 0, "?");
  dl->AddText(glyph_font, size, ImVec2(c.x - w.x / 2, c.y - w.y / 2), kBlue, "?");
}

// A push button of the box; true when clicked.
bool BoxButton(const char* label, bool focused, ImFont* font) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 p = ImGui::GetCursorScreenPos();
  const bool clicked = ImGui::InvisibleButton(label, ImVec2(kButtonWidth, kButtonHeight));
  const bool held = ImGui::IsItemActive() && ImGui::IsItemHovered();
  const int left = static_cast<int>(p.x), top = static_cast<int>(p.y);
  const Rect r{left, top, left + static_cast<int>(kButtonWidth), top + static_cast<int>(kButtonHeight)};
  PushButtonFace(dl, r, focused, held);
  const ImVec2 size = font->CalcTextSizeA(font->FontSize, 1000, 0, label);
  float tx = p.x + static_cast<float>(static_cast<int>((kButtonWidth - size.x) / 2));
  float ty = p.y + static_cast<float>(static_cast<int>((kButtonHeight - size.y) / 2));
  if (held) tx += 1, ty += 1;
  dl->AddText(font, font->FontSize, ImVec2(tx, ty), kBlack, label);
  if (focused) PushButtonFocus(dl, r);
  return clicked;
}

}  // namespace

void BoxView::Draw(const std::vector<MessageBoxModel*>& boxes) {
  wants_next_frame_ = false;
  for (std::size_t i = 0; i < boxes.size(); ++i)
    DrawBox(*boxes[i], static_cast<int>(i), i + 1 == boxes.size());
}

void BoxView::DrawBox(MessageBoxModel& box, int index, bool top) {
  const BoxLook look = box.look();
  const std::string text = TrGame(SjisToUtf8(box.text()));
  ui_.Need(UiFont::Box, text);
  const std::string title_shown = TrGame(look.title_utf8);
  ui_.Need(UiFont::Box, title_shown);
  ImFont* font = ui_.Font(UiFont::Box);

  const ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x / 2, io.DisplaySize.y / 2), ImGuiCond_Always,
                          ImVec2(0.5f, 0.5f));
  if (top) ImGui::SetNextWindowFocus();
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoResize |
                           ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                           ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoScrollbar;
  if (!top) flags |= ImGuiWindowFlags_NoInputs;
  const std::string title = title_shown + "###box" + std::to_string(index);
  bool open = true;
  ImGui::PushFont(font);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(12, 12));
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(4, 3));
  ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(kButtonGap, 14));
  ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0xFF, 0xFF, 0xFF, 0xFF));
  ImGui::Begin(title.c_str(), top ? &open : nullptr, flags);
  ImGui::PopStyleColor();
  if (ImGui::IsWindowAppearing()) wants_next_frame_ = true;

  ImDrawList* dl = ImGui::GetWindowDrawList();
  const ImVec2 icon_at = ImGui::GetCursorScreenPos();
  ImGui::Dummy(ImVec2(kIconSize, kIconSize));
  DrawIcon(dl, icon_at, look.icon, ui_.Font(UiFont::Prompt));
  ImGui::SameLine(0, 14);
  const ImVec2 text_size = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, text.c_str());
  if (text_size.y < kIconSize)
    ImGui::SetCursorPosY(ImGui::GetCursorPosY() + static_cast<float>(static_cast<int>((kIconSize - text_size.y) / 2)));
  ImGui::TextUnformatted(text.c_str());
  // Room on the right, and the buttons centred under everything.
  ImGui::SameLine(0, 0);
  ImGui::Dummy(ImVec2(12, 1));

  const int n = box.ButtonCount();
  const float row = n * kButtonWidth + (n - 1) * kButtonGap;
  const float content = ImGui::GetWindowContentRegionMax().x - ImGui::GetWindowContentRegionMin().x;
  const float width = std::max(row + 48, content);
  ImGui::SetCursorPosX(ImGui::GetWindowContentRegionMin().x + (width - row) / 2);
  for (int i = 0; i < n; ++i) {
    if (i > 0) ImGui::SameLine(0, kButtonGap);
    ImGui::PushID(i);
    if (BoxButton(TrGame(box.ButtonLabel(i)).c_str(), i == box.Focused(), font) && top) box.Press(i);
    ImGui::PopID();
  }
  // Keeps the box wide enough for its buttons with a margin.
  ImGui::Dummy(ImVec2(width, 0));
  ImGui::End();
  ImGui::PopStyleVar(3);
  ImGui::PopFont();
  if (!open) box.Close();
}

}  // namespace velmor::ui
