#include "text/message_window.h"

#include <cstdlib>

#include "core/sjis.h"
#include "language/language.h"
#include "text/backlog.h"

namespace velmor::text {

using scenario::WaitHandler;

int32_t HalfWidthUnit(int32_t h) { return std::abs(h - 1) / 2; }
int32_t LinePitch(int32_t h) { return std::abs(h) + LineGap; }

bool WrapForChar(BoxRec& msg, int32_t advance) {
  if (msg.csx + advance < msg.wdx) return false;
  msg.csx = 0;
  msg.csy += msg.fdy;
  return msg.csy + msg.fdy > msg.wdy;
}

MessageWindow::MessageWindow(graphics::Layers& layers, platform::Font& font,
                             scenario::Scenario& scn, InputState& input, SpinEdit& SpeedSpin)
    : layers_(layers), font_(font), scn_(scn), input_(input), SpeedSpin_(SpeedSpin) {}

void MessageWindow::SetUp(const Bitmap& frame) {
  msg.box = frame;
  msg.BoxRect = Rect::FromSize(msg.bpx, msg.bpy, frame.width(), frame.height());
  int32_t h = layers_.font.height;
  msg.fdx = HalfWidthUnit(h);
  msg.fdy = LinePitch(h);
}

ByteString MessageWindow::SpeakerLabel(int speaker) const {
  int index = speaker == 2 ? 0 : speaker;
  Sstr name;
  if (index >= 0 && index < language::kNameCount) name = scn_.mcr[index];
  return Sjis("【 ") + name + Sjis(" 】");
}

void MessageWindow::StartMessage(int speaker, const ByteString* text) {
  if (text) MsgText = *text;
  MsgPos = 1;
  scn_.MainProc = WaitHandler::TypeText;
  PageWait = false;
  msg.csx = 0;
  msg.csy = msg.fdy;  // the first row under the speaker row
  const ByteString label = speaker == 0 ? ByteString() : SpeakerLabel(speaker);
  if (log) log->BeginPage(label, layers_.font, msg.csy);
  if (speaker == 0) return;  // the window keeps its picture, label and text
  ClearWindow();
  const int32_t width = font_.DrawText(layers_.BMP, msg.wpx, msg.wpy, label.view(), layers_.font);
  layers_.BackDrawn(Rect::FromSize(msg.wpx, msg.wpy, width, layers_.font.CharHeight()));
  layers_.Publish(msg.BoxRect);
}

void MessageWindow::ClearWindow() {
  DrawBitmap(layers_.BMP, msg.bpx, msg.bpy, msg.box);
  layers_.BackDrawn(Rect::FromSize(msg.bpx, msg.bpy, msg.box.width(), msg.box.height()));
}

std::optional<uint8_t> MessageWindow::NextTextByte() {
  if (MsgPos > MsgText.size()) {
    // Nothing left: the message is over (an empty text ends here).
    scn_.MainProc = WaitHandler::None;
    msg.pri = 0;
    stop_tick_ = true;
    return std::nullopt;
  }
  uint8_t b = MsgText[MsgPos - 1];
  ++MsgPos;
  if (MsgPos > MsgText.size()) {
    // The last byte: the message ends once this byte has been dealt with.
    scn_.MainProc = WaitHandler::None;
    msg.pri = 0;
    stop_tick_ = true;
  }
  return b;
}

void MessageWindow::TypeText() {
  stop_tick_ = false;
  if (PageWait) {
    // A wait that has begun ends only with a left click, skip key or not.
    if (input_.clk == 1) {
      FillRect(layers_.BMP, kBlinkIconRect, kWhite);
      layers_.BackDrawn(kBlinkIconRect);
      input_.clk = 0;
      msg.pri = 0;
      PageWait = false;
    } else {
      BlinkStep();
    }
  } else {
    if (msg.spd == 0 || input_.sft == kSkipKey)
      msg.pri = 65535;
    else
      msg.pri = static_cast<uint16_t>(msg.pri + msg.spd);
    while (!stop_tick_ && msg.pri >= kCharCost) {
      msg.pri = static_cast<uint16_t>(msg.pri - kCharCost);
      std::optional<uint8_t> b = NextTextByte();
      if (!b) break;
      TypeOne(*b);
    }
  }
  layers_.Publish(msg.BoxRect);
}

void MessageWindow::BlinkStep() {
  BlinkCount = static_cast<uint8_t>((BlinkCount + 1) % 20);
  const Rect& r = kBlinkIconRect;
  if (BlinkCount != 0 && BlinkCount != 10) return;
  const Rect& frame = BlinkCount == 0 ? kBlinkFrameA : kBlinkFrameB;
  BitBlt(layers_.BMP, r.left, r.top, r.width(), r.height(), layers_.SP1, frame.left, frame.top,
         Rop::SRCCOPY);
  layers_.BackDrawn(r);
}

void MessageWindow::TypeOne(uint8_t b) {
  using namespace language::text_code;  // bytes with a meaning of their own
  switch (b) {
    case kLineFeed:  // no page check: rows may run on below the window
      msg.csx = 0;
      msg.csy += msg.fdy;
      if (log) log->Typed(&b, 1);
      break;
    case kNewPage:
      msg.csx = 0;
      msg.csy = msg.fdy;
      ClearWindow();
      if (log) log->BeginPage(ByteString(), layers_.font, msg.csy);
      break;
    case kColor:
      // Indexes past the table leave the colour as it is.
      if (std::optional<uint8_t> c = NextTextByte()) {
        if (*c < ColorTable.size()) layers_.font.color = ColorTable[*c];
        const uint8_t code[2] = {b, *c};
        if (log) log->Typed(code, 2);
      }
      break;
    case kSize:
      if (std::optional<uint8_t> n = NextTextByte()) {
        SetTextSize(*n);
        const uint8_t code[2] = {b, *n};
        if (log) log->Typed(code, 2);
      }
      break;
    case kPageWait:
      if (input_.sft != kSkipKey) PageWait = true;
      stop_tick_ = true;
      break;
    default:
      TypeChar(b);
      break;
  }
}

void MessageWindow::SetTextSize(uint8_t n) {
  if (n == 0) return;  // no height to speak of: the size stays as it is
  int32_t height = -static_cast<int32_t>(n);
  layers_.font.height = height;
  msg.fdx = HalfWidthUnit(height);
  msg.fdy = LinePitch(height);
}

void MessageWindow::TypeChar(uint8_t b) {
  uint8_t ch[2] = {b, 0};
  int length = 1;
  int32_t advance = msg.fdx + 1;
  if (IsLeadByte(b)) {
    std::optional<uint8_t> trail = NextTextByte();
    if (!trail) return;  // a lead byte cut off at the end of the text: nothing to draw
    ch[1] = *trail;
    length = 2;
    advance = 2 * msg.fdx + 1;
  }
  if (WrapForChar(msg, advance)) {
    // Page overflow: the new page starts on the top row and shows for a
    // tick before typing goes on, without waiting for a click.
    msg.csy = 0;
    ClearWindow();
    stop_tick_ = true;
    if (log) log->BeginPage(ByteString(), layers_.font, msg.csy);
  }
  const Point at{msg.wpx + msg.csx, msg.wpy + msg.csy};
  const int32_t width = font_.DrawChar(layers_.BMP, at.x, at.y, ch, length, layers_.font);
  layers_.BackDrawn(Rect::FromSize(at.x, at.y, width, layers_.font.CharHeight()));
  if (log) log->Typed(ch, static_cast<std::size_t>(length));
  msg.csx += advance;
}

void MessageWindow::SpeedSpinChange() { msg.spd = SpeedFromSetting(SpeedSpin_.value); }

}  // namespace velmor::text
