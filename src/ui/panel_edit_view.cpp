// A name field of a panel: ImGui edits it, and its edits, its caret and the
// keyboard focus it takes are forwarded into the field's model; the input
// method's composition is drawn over it.
#include <algorithm>
#include <cstring>

#include "core/sjis.h"
#include "imgui.h"
#include "imgui_internal.h"
#include "menus/panel_layout.h"
#include "menus/sjis_edit_limit.h"
#include "ui/bevel.h"
#include "ui/classic_colors.h"
#include "ui/panel_view.h"

namespace velmor::ui {

using menus::CompositionScroll;
using menus::WindowRect;

namespace {

ImVec2 V(float x, float y) { return ImVec2(x, y); }

// How long a name field's frame flashes after characters were dropped.
constexpr double kFlashSeconds = 0.3;

// The UTF-8 offset in the field's text of a byte offset into its Shift-JIS.
int Utf8Offset(const std::string& sjis, std::size_t at) {
  return static_cast<int>(SjisToUtf8(std::string_view(sjis).substr(0, at)).size());
}

}  // namespace

void PanelView::SyncEditText(const Edit& edit, EditState& st) {
  if (edit.text != st.shown_sjis) {
    // The game or the input method changed the text. A field being edited
    // takes it through its callback, with the model's caret.
    std::string utf8 = SjisToUtf8(edit.text);
    std::size_t n = std::min(utf8.size(), sizeof st.buf - 1);
    std::memcpy(st.buf, utf8.data(), n);
    st.buf[n] = '\0';
    st.shown_sjis = edit.text;
    if (st.active) {
      st.reload = std::string(st.buf);
      st.reload_cursor = std::min(Utf8Offset(edit.text, edit.caret), static_cast<int>(n));
    }
  }
  st.before_utf8 = st.buf;
}

void PanelView::StoreEditText(Edit& edit, EditState& st) {
  // ImGui's own edits (deleting, pasting) and its caret go back into the
  // model, where the input method's text is inserted.
  const std::string sjis = Utf8ToSjis(st.buf);
  if (sjis != edit.text) {
    edit.SetText(sjis);
    st.shown_sjis = edit.text;
  }
  if (!st.active || !st.caret_seen) return;
  st.caret_seen = false;
  const std::string_view buf(st.buf);
  auto sjis_at = [&buf](int utf8_at) {
    return menus::SjisLength(buf.substr(0, static_cast<std::size_t>(std::clamp(utf8_at, 0, static_cast<int>(buf.size())))));
  };
  // ImGui keeps both ends of the selection; the caret is one of them. Equal
  // ends mean no selection, wherever they stand.
  int anchor = st.cursor;
  if (st.select_start != st.select_end)
    anchor = st.cursor == st.select_start ? st.select_end : st.select_start;
  edit.Select(sjis_at(anchor), sjis_at(st.cursor));
}

void PanelView::RequestEditFocus(const Edit& edit, EditState& st, bool wanted) {
  // The focus is asked for once, and again if it did not take; never in a
  // loop (a frame drawn at once for each request).
  const int frame = ImGui::GetFrameCount();
  if (!wanted || st.active) st.focus_requests = 0;
  if (wanted && edit.usable() && !st.active && st.focus_requests < 3 &&
      st.requested_frame != frame - 1) {
    ImGui::SetKeyboardFocusHere();
    st.requested_frame = frame;
    ++st.focus_requests;
    wants_next_frame_ = true;
  }
}

void PanelView::DrawEdit(Panel& panel, Edit& edit, ImDrawList* dl, bool interactive) {
  const Rect r = WindowRect(edit);
  const Rect inner = Inset(r, 2);
  EditState& st = edits_[&edit];
  if (st.edit == nullptr) {  // only new signs flash
    st.seen_dropped = edit.dropped;
    st.seen_wanted = edit.wanted;
  }
  st.edit = &edit;
  // Characters dropped, or the field found empty by OK, since the last
  // frame: the frame flashes red a moment.
  const double now = ImGui::GetTime();
  if (edit.dropped != st.seen_dropped || edit.wanted != st.seen_wanted) {
    st.seen_dropped = edit.dropped;
    st.seen_wanted = edit.wanted;
    st.flash_until = now + kFlashSeconds;
  }
  const bool flash = now < st.flash_until;
  flashing_ = flashing_ || flash;
  Fill(dl, r, kWhite);
  if (flash) {
    Frame(dl, r, kRed, kRed);
    Frame(dl, Inset(r, 1), kRed, kRed);
  } else {
    Sunken(dl, r);
  }

  ImGui::PushID(&edit);
  SyncEditText(edit, st);
  RequestEditFocus(edit, st, IsFocused(panel, edit) && interactive);
  ImFont* f = ui_.Font(UiFont::Edit);
  ui_.Need(UiFont::Edit, st.buf);
  const float pad_y = std::max(0.0f, static_cast<float>(static_cast<int>((inner.height() - f->FontSize) / 2)));
  ImGui::PushFont(f);
  ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, V(2, pad_y));
  ImGui::PushStyleColor(ImGuiCol_FrameBg, kWhite);
  ImGui::PushStyleColor(ImGuiCol_Text, kBlack);
  ImGui::SetCursorScreenPos(V(static_cast<float>(inner.left), static_cast<float>(inner.top)));
  ImGui::SetNextItemWidth(static_cast<float>(inner.width()));
  if (!edit.usable()) ImGui::BeginDisabled();
  // Enter is the session's to press (menus::PressFieldKey), as for every
  // front end: ImGui only ends the edit on it.
  const ImGuiInputTextFlags flags = ImGuiInputTextFlags_CallbackCharFilter |
                                    ImGuiInputTextFlags_CallbackEdit |
                                    ImGuiInputTextFlags_CallbackAlways;
  ImGui::InputText("##text", st.buf, sizeof st.buf, flags, EditCallback, &st);
  if (!edit.usable()) ImGui::EndDisabled();
  const bool was_active = st.active;
  st.active = ImGui::IsItemActive();
  if (ImGui::IsItemActivated()) panel.SetFocus(&edit);
  ImGui::PopStyleColor(2);
  ImGui::PopStyleVar();
  ImGui::PopFont();
  ImGui::PopID();

  if (was_active || st.active) StoreEditText(edit, st);
  if (st.active && !IsFocused(panel, edit)) {
    ImGui::ClearActiveID();  // the focus went elsewhere (Tab, a handler)
    st.active = false;
  }
  if (!edit.composition.empty() && IsFocused(panel, edit)) DrawComposition(edit, dl);
}

void PanelView::DrawComposition(const Edit& edit, ImDrawList* dl) {
  // The text being composed stands at the caret in place of the selection,
  // underlined, with the rest of the field's text moved aside; the field
  // scrolls so that the composition's caret stays in sight. The input
  // method's own window lists the candidates next to the field.
  const Rect inner = Inset(WindowRect(edit), 2);
  ImFont* f = ui_.Font(UiFont::Edit);
  const std::string& composition = edit.composition;
  ui_.Need(UiFont::Edit, composition);
  const std::size_t lo = std::min({edit.anchor, edit.caret, edit.text.size()});
  const std::size_t hi = std::min(std::max(edit.anchor, edit.caret), edit.text.size());
  const std::string head = SjisToUtf8(std::string_view(edit.text).substr(0, lo));
  const std::string tail = SjisToUtf8(std::string_view(edit.text).substr(hi));
  std::string before;  // the composition up to its caret
  int n = 0;
  for (std::size_t i = 0; i < composition.size() && n < edit.composition_caret;) {
    auto b = static_cast<unsigned char>(composition[i]);
    std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    before.append(composition, i, len);
    i += len;
    ++n;
  }
  const int head_w = static_cast<int>(TextWidth(UiFont::Edit, head));
  const int comp_w = static_cast<int>(TextWidth(UiFont::Edit, composition));
  const int caret_w = static_cast<int>(TextWidth(UiFont::Edit, before));
  const Rect view{inner.left + 2, inner.top, inner.right - 2, inner.bottom};
  const int scroll = CompositionScroll(head_w, comp_w, caret_w, view.width());

  const float y = static_cast<float>(inner.top) +
                  std::max(0.0f, static_cast<float>(static_cast<int>((inner.height() - f->FontSize) / 2)));
  Fill(dl, inner, kWhite);
  dl->PushClipRect(V(static_cast<float>(view.left), static_cast<float>(view.top)),
                   V(static_cast<float>(view.right), static_cast<float>(view.bottom)), true);
  const int x0 = view.left - scroll;
  Text(dl, UiFont::Edit, static_cast<float>(x0), y, kBlack, head);
  const int cx = x0 + head_w;
  Text(dl, UiFont::Edit, static_cast<float>(cx), y, kBlack, composition);
  HLine(dl, cx, cx + comp_w, static_cast<int>(y + f->FontSize), kBlack);
  VLine(dl, cx + caret_w, static_cast<int>(y), static_cast<int>(y + f->FontSize), kBlack);
  Text(dl, UiFont::Edit, static_cast<float>(cx + comp_w), y, kBlack, tail);
  dl->PopClipRect();
}

// The name fields' rules: only characters Shift-JIS can hold, and no more
// than the field's byte limit of them. The callback also hands ImGui the
// text the model took in, and takes ImGui's caret for the model.
int PanelView::EditCallback(ImGuiInputTextCallbackData* data) {
  auto* st = static_cast<EditState*>(data->UserData);
  if (data->EventFlag == ImGuiInputTextFlags_CallbackCharFilter)
    return menus::AcceptsChar(data->EventChar) ? 0 : 1;
  if (st->reload) {
    data->DeleteChars(0, data->BufTextLen);
    data->InsertChars(0, st->reload->data(), st->reload->data() + st->reload->size());
    data->CursorPos = data->SelectionStart = data->SelectionEnd =
        std::clamp(st->reload_cursor, 0, data->BufTextLen);
    st->before_utf8 = *st->reload;
    st->reload.reset();
  } else if (data->EventFlag == ImGuiInputTextFlags_CallbackEdit) {
    menus::LimitedEdit kept = menus::LimitSjisEdit(st->before_utf8, std::string_view(data->Buf, static_cast<std::size_t>(data->BufTextLen)),
                                     st->edit->max_bytes);
    if (kept.cut) {
      data->DeleteChars(0, data->BufTextLen);
      data->InsertChars(0, kept.utf8.data(), kept.utf8.data() + kept.utf8.size());
      data->CursorPos = data->SelectionStart = data->SelectionEnd = static_cast<int>(kept.cursor);
      ++st->edit->dropped;
    }
    st->before_utf8 = kept.utf8;
  }
  st->cursor = data->CursorPos;
  st->select_start = data->SelectionStart;
  st->select_end = data->SelectionEnd;
  st->caret_seen = true;
  return 0;
}

}  // namespace velmor::ui
