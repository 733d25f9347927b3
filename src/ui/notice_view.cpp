#include "ui/notice_view.h"

#include <cfloat>
#include <cstdint>

#include "imgui.h"

namespace velmor::ui {

namespace {

constexpr float kMargin = 8;   // from the window's edges
constexpr float kPadding = 6;  // around the text
constexpr ImU32 kBackground = IM_COL32(0x20, 0x20, 0x20, 0xD8);
constexpr ImU32 kText = IM_COL32(0xFF, 0xFF, 0xFF, 0xFF);

}  // namespace

void NoticeView::Draw(const session::Notice& notice) {
  if (!notice.Shown()) return;
  const std::string& text_ = notice.text();
  ui_.Need(UiFont::Engine, text_);
  ImFont* font = ui_.Font(UiFont::Engine);
  const ImVec2 size = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0, text_.c_str());
  const ImVec2 display = ImGui::GetIO().DisplaySize;
  const float right = display.x - kMargin;
  const float top =
      corner_ == Corner::TopRight ? kMargin : display.y - kMargin - size.y - 2 * kPadding;
  const ImVec2 p(right - size.x - 2 * kPadding, top);
  const ImVec2 q(right, top + size.y + 2 * kPadding);
  ImDrawList* dl = ImGui::GetForegroundDrawList();
  // Its own clip rectangle: the window redraws only the notice's box.
  dl->PushClipRect(p, q);
  dl->AddRectFilled(p, q, kBackground, 3);
  dl->AddText(font, font->FontSize, ImVec2(p.x + kPadding, p.y + kPadding), kText, text_.c_str());
  dl->PopClipRect();
}

}  // namespace velmor::ui
