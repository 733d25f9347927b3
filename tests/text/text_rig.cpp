#include "text/text_rig.h"

#include "platform/shared/png.h"

#include <algorithm>
#include <cstring>

namespace velmor::testing {

int32_t RecordingFont::DrawChar(Bitmap& dst, int32_t x, int32_t y, const uint8_t* ch,
                                int length, const platform::TextStyle& style) {
  drawn.push_back({x, y, std::string(reinterpret_cast<const char*>(ch), length), style});
  return inner_.DrawChar(dst, x, y, ch, length, style);
}

std::string RecordingFont::Text() const {
  std::string s;
  for (const DrawnChar& c : drawn) s += c.bytes;
  return s;
}

TextRig::TextRig() {
  form.DatPath = kDat;  // as start-up sets it
  layers.BMP = Bitmap(640, 480, kSceneColor);
  layers.IMG = Bitmap(640, 480, kSceneColor);
  layers.SP1 = Bitmap(24, 48, kFrameA);
  FillRect(layers.SP1, {0, 24, 24, 48}, kFrameB);
  win.SetUp(Bitmap(628, 100, kWhite));
}

void TextRig::Tick() {
  scn.RunStep();
  input.clk = 0;
}

int TextRig::TickUntilIdle(int limit) {
  int n = 0;
  while (n < limit && scn.MainProc != scenario::WaitHandler::None) {
    Tick();
    ++n;
  }
  return n;
}

void TextRig::Load(const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), scn.snx.begin());
  scn.inx = 0;
}

void TextRig::Type(std::string_view sjis, int speaker) {
  ByteString text(sjis);
  win.StartMessage(speaker, &text);
}

std::vector<DrawnChar> TextRig::TakeDrawn() {
  std::vector<DrawnChar> out;
  out.swap(font.drawn);
  return out;
}

std::string Repeat(std::string_view s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}


std::string SavePng(const Bitmap& b, const std::string& name) {
  std::string path = std::string(VELMOR_BUILD_DIR) + "/" + name;
  return platform::WritePng(b, path, nullptr) ? path : std::string();
}

bool SameRect(const Bitmap& a, const Bitmap& b, const Rect& r) {
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

bool AllOf(const Bitmap& b, const Rect& r, Color c) {
  return CountOf(b, r, c) == r.width() * r.height();
}

int CountOf(const Bitmap& b, const Rect& r, Color c) {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += b.at(x, y) == c;
  return n;
}

}  // namespace velmor::testing
