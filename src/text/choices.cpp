#include "text/choices.h"

#include "core/sjis.h"
#include "text/backlog.h"

namespace velmor::text {

using scenario::WaitHandler;

ByteString ChoiceMarker() { return Sjis(" ≫ "); }

void Choices::ReadChoices(uint16_t result_var, const scenario::ChoiceList& list) {
  scn_.ResultVar = result_var;
  // The instruction always reads a first option, so a list is never empty.
  int count = list.count < 1 ? 1 : list.count;
  if (count > scenario::ChoiceList::kMaxOptions) count = scenario::ChoiceList::kMaxOptions;
  const ByteString marker = ChoiceMarker();
  for (int i = 0; i < count; ++i)
    ChoiceText[i] = marker + (i < list.count ? list.options[i] : ByteString());
  ChoiceText[count].clear();
  ChoiceProc();
}

void Choices::ChoiceProc() {
  if (scn_.MainProc != WaitHandler::ChoiceProc) {
    ShowChoices();
    return;
  }
  const BoxRec& msg = window_.msg;
  ChoiceLast = ChoiceHot;
  ChoiceHot = RowAt(input_.msy);
  if (ChoiceHot != ChoiceLast) {
    Invert(ChoiceLast);  // back to plain
    Invert(ChoiceHot);
    layers_.Publish(msg.BoxRect);
  }
  if (input_.clk == 1 && IsRow(ChoiceHot)) {
    scn_.MainProc = WaitHandler::None;
    window_.ClearWindow();  // the options and highlight go
    scn_.Work(static_cast<uint32_t>(scn_.ResultVar)) = static_cast<int16_t>(ChoiceHot + 1);
    if (log) log->ChoiceTaken(OptionText(ChoiceHot), layers_.font);
    layers_.Publish(msg.BoxRect);
  }
}

void Choices::ShowChoices() {
  const BoxRec& msg = window_.msg;
  scn_.MainProc = WaitHandler::ChoiceProc;
  window_.ClearWindow();
  int k = 0;
  for (; k < static_cast<int>(ChoiceText.size()) && !ChoiceText[k].empty(); ++k) {
    const ByteString& text = ChoiceText[k];
    // Characters stand at their byte offset times the half-width unit.
    for (std::size_t c = 0; c < text.size();) {
      int length = IsLeadByte(text[c]) ? 2 : 1;
      if (c + length > text.size()) break;  // a lead byte cut off at the end
      const Point at{msg.wpx + static_cast<int32_t>(c) * msg.fdx, msg.wpy + k * msg.fdy};
      const int32_t width = font_.DrawChar(layers_.BMP, at.x, at.y, text.data() + c, length, layers_.font);
      layers_.BackDrawn(Rect::FromSize(at.x, at.y, width, layers_.font.CharHeight()));
      c += length;
    }
  }
  ChoiceCount = k;
  ChoiceHot = -1;
  layers_.Publish(msg.BoxRect);
}

ByteString Choices::OptionText(int row) const {
  return ByteString(ChoiceText[row].view().substr(ChoiceMarker().size()));
}

Rect Choices::HighlightRect(int row) const {
  if (row < 0 || row >= static_cast<int>(ChoiceText.size())) return {};
  const BoxRec& msg = window_.msg;
  int32_t length = static_cast<int32_t>(ChoiceText[row].size());
  return {msg.wpx, msg.wpy + row * msg.fdy, msg.wpx + (length + 1) * msg.fdx,
          msg.wpy + (row + 1) * msg.fdy};
}

int Choices::RowAt(int32_t msy) const {
  const BoxRec& msg = window_.msg;
  int row = (msy - msg.wpy + msg.fdy) / msg.fdy - 1;
  return IsRow(row) ? row : -1;
}

Point Choices::RowPoint(int row) const {
  const BoxRec& msg = window_.msg;
  // The middle of the marker " ≫ ", half way down the row.
  return {msg.wpx + 2 * msg.fdx, msg.wpy + row * msg.fdy + msg.fdy / 2};
}

// Inverting a row's pixels in place; a second inversion restores them exactly.
void Choices::Invert(int row) {
  if (!IsRow(row)) return;
  CopyRect(layers_.BMP, HighlightRect(row), layers_.BMP, Rop::NOTSRCCOPY);
  layers_.BackDrawn(HighlightRect(row));
}

}  // namespace velmor::text
