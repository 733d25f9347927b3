#include "graphics/picture_change.h"

#include <algorithm>

#include "text/status_display.h"

namespace velmor::graphics {

using scenario::WaitHandler;

bool PictureChange::IsFramed(const Sstr& name) {
  if (name.size() < 3) return false;
  auto upper = [](uint8_t c) { return static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 32 : c); };
  return upper(name[0]) == '_' && upper(name[1]) == 'C' && upper(name[2]) == 'G';
}

const std::vector<bool>& PictureChange::MeshRowsWithHoles(const Bitmap& mesh, const Rect& from) {
  if (holes_of_.empty() || mesh.empty() || holes_of_.pixels().data() != mesh.pixels().data() ||
      holes_within_ != from) {
    rows_with_holes_.assign(static_cast<std::size_t>(std::max(mesh.height(), 0)), false);
    for (int32_t y = from.top; y < from.bottom; ++y) {
      const Color* row = mesh.row(y);
      rows_with_holes_[static_cast<std::size_t>(y)] =
          !std::all_of(row + from.left, row + from.right,
                       [](Color c) { return (c & kColorMask) == kColorMask; });
    }
    holes_of_ = mesh;
    holes_within_ = from;
  }
  return rows_with_holes_;
}

void PictureChange::MeshPassOnto(int pass, Rop rop) {
  // Every raster operation a pass uses leaves a pixel as it is where the
  // mesh is white: only the mesh's rows with a hole in them are drawn (one
  // in four), and only they are published.
  const Rect& r = layers_.PictureRect;
  const Rect from = Intersect(r, layers_.CLS.bounds());
  const int32_t dx = MeshDX[pass], dy = MeshDY[pass];
  const Bitmap& mesh = layers_.CLS;
  const std::vector<bool>& holes = MeshRowsWithHoles(mesh, from);
  for (int32_t y = from.top; y < from.bottom; ++y) {
    if (!holes[static_cast<std::size_t>(y)]) continue;
    BitBlt(layers_.BMP, from.left + dx, y + dy, from.width(), 1, mesh, from.left, y, rop);
    passed_rows_.push_back(Rect{from.left + dx, y + dy, from.right + dx, y + dy + 1});
  }
}

void PictureChange::Advance(Rop rop) {
  passed_rows_.clear();
  MeshAcc = static_cast<uint8_t>(MeshAcc + (input_.sft == kSkipKey ? WipeStepFast : WipeStep));
  while (MeshAcc >= 16 && MeshPass < 16) {
    MeshPassOnto(MeshPass, rop);
    MeshAcc = static_cast<uint8_t>(MeshAcc - 16);
    ++MeshPass;
  }
}

void PictureChange::NotePassedRows() {
  // Each row once, as far as it lies in the picture's rectangle, which the
  // tick publishes. A pass also draws a few pixels right of and below it
  // (the mesh moved by its cell), which stay unpublished until the back
  // buffer is shown whole: one rectangle around them all. Noted row by row,
  // they filled the list of what was drawn, whose last rectangles then took
  // in every row that followed, and each tick compared nearly the whole
  // picture.
  const Rect& r = layers_.PictureRect;
  Rect beside;
  for (const Rect& row : passed_rows_) {
    layers_.BackDrawn(Intersect(row, r));
    if (row.top < r.top || row.top >= r.bottom) {
      beside = Union(beside, row);
    } else {
      beside = Union(beside, Intersect(row, Rect{row.left, row.top, r.left, row.bottom}));
      beside = Union(beside, Intersect(row, Rect{r.right, row.top, row.right, row.bottom}));
    }
  }
  layers_.BackDrawn(beside);
}

void PictureChange::ChangePicture(const ByteString& name) {
  input_.CGHoldEnable = 0;
  scn_.MainProc = WaitHandler::ChangePicture;
  MeshPass = 0;
  MeshAcc &= 15;
  // An empty name shows the current picture again with a full transition.
  if (!name.empty()) layers_.PictureName = Sstr(name);  // its first 16 bytes
  // A picture that cannot be loaded is not an error: the change goes on with
  // what TMP holds, and the name is forgotten so a repaint won't try it again.
  if (!layers_.loader().TryLoad(layers_.TMP, BMPDIR, ByteString(layers_.PictureName) + ".BMP"))
    layers_.PictureName.clear();
  layers_.loader().Load(layers_.CLS, BMPDIR, "MESH.BMP");
}

void PictureChange::ChangePicture() {
  // The old picture dissolves out: through black, or white with white fill.
  Advance(WhiteFill ? Rop::MERGEPAINT : Rop::SRCAND);
  NotePassedRows();
  layers_.Publish(layers_.PictureRect);
  if (MeshPass == 16) scn_.MainProc = WaitHandler::PrepareScreen;
}

void PictureChange::PrepareScreen() {
  scn_.MainProc = WaitHandler::DissolveIn;
  MeshPass = 0;
  MeshAcc &= 15;
  const Bitmap& picture = layers_.TMP;
  if (IsFramed(layers_.PictureName)) {
    layers_.loader().Load(layers_.CLS, BMPDIR, status_.StatusLayout ? "WK02.BMP" : "WK01.BMP");
    DrawBitmap(layers_.BMP, 0, 0, layers_.CLS);
    layers_.BackDrawn(layers_.CLS.bounds());
    layers_.loader().Load(layers_.CLS, BMPDIR, "MESH.BMP");
    status_.DrawStatus();
    layers_.PictureRect = Rect::FromSize(8, 8, picture.width(), picture.height());
  } else {
    layers_.PictureRect = Rect::FromSize(0, 0, picture.width(), picture.height());
  }
  FillRect(layers_.BMP, layers_.PictureRect, WhiteFill ? kWhite : kBlack);
  layers_.BackDrawn(layers_.PictureRect);
  layers_.ShowBackBuffer();
  layers_.IMG.palette = picture.palette;
}

void PictureChange::DissolveIn() {
  // The passes punch holes into the filled area, and the picture shows
  // through the holes only: white holes in black let it through with AND,
  // black holes in white with OR.
  Advance(WhiteFill ? Rop::SRCAND : Rop::MERGEPAINT);
  // Elsewhere the filled area already went through the picture (and
  // through it again is the same): only the rows the passes changed are.
  const Rect& r = layers_.PictureRect;
  const Bitmap& picture = layers_.TMP;
  for (Rect& row : passed_rows_) {
    const int32_t y = row.top;
    if (y < r.top || y >= r.top + picture.height()) continue;
    BitBlt(layers_.BMP, r.left, y, picture.width(), 1, picture, 0, y - r.top,
           WhiteFill ? Rop::SRCPAINT : Rop::SRCAND);
    row = Union(row, Rect::FromSize(r.left, y, picture.width(), 1));
  }
  NotePassedRows();
  layers_.Publish(r);
  if (MeshPass == 16) {
    input_.CGHoldEnable = 1;
    BitBlt(layers_.BMP, r.left, r.top, picture.width(), picture.height(), picture, 0, 0,
           Rop::SRCCOPY);
    layers_.BackDrawn(Rect::FromSize(r.left, r.top, picture.width(), picture.height()));
    scn_.MainProc = WaitHandler::None;
  }
}

}  // namespace velmor::graphics
