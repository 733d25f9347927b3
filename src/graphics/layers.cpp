#include "graphics/layers.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/errors.h"
#include "core/game_path.h"
#include "core/sjis.h"
#include "core/texts.h"
#include "formats/bmp.h"
#include "platform/files.h"
#include "platform/window.h"

namespace velmor::graphics {

const Bitmap* DecodedPictures::Find(const std::vector<uint8_t>& bytes) {
  auto it = pictures_.find(bytes);
  if (it == pictures_.end()) return nullptr;
  it->second.used = ++clock_;
  return &it->second.picture;
}

void DecodedPictures::Keep(const std::vector<uint8_t>& bytes, const Bitmap& picture) {
  const std::size_t size = BytesOf(bytes, picture);
  if (most_pictures_ == 0 || size > most_bytes_ || pictures_.contains(bytes)) return;
  while (pictures_.size() >= most_pictures_ || size > most_bytes_ - bytes_) DropOldest();
  pictures_.emplace(bytes, Kept{picture, ++clock_});
  bytes_ += size;
}

std::size_t DecodedPictures::BytesOf(const std::vector<uint8_t>& bytes, const Bitmap& picture) {
  return bytes.size() + picture.pixels().size() * sizeof(Color);
}

void DecodedPictures::DropOldest() {
  auto oldest = std::min_element(pictures_.begin(), pictures_.end(), [](const auto& a, const auto& b) {
    return a.second.used < b.second.used;
  });
  bytes_ -= BytesOf(oldest->first, oldest->second.picture);
  pictures_.erase(oldest);
}

void BitmapLoader::Load(Bitmap& into, std::string_view folder, const ByteString& file) {
  std::string path = GamePath(dat_path_, std::string(folder) + file.str());
  std::string error;
  // Mended: a scenario's picture name with ".." or a path of its own read
  // any file of the machine; names stay inside the data folder.
  if (LeavesFolder(file.view())) {
    error = Fill(Tr("\"%s\": the name leaves the data folder"), {SjisToUtf8(file.str())});
    if (OnFailure) Tell(folder, file, Tr("picture %s is refused: the name leaves the data folder"));
    throw GameError(GameSentence(GameText("データフォルダの外のファイルは使えません。\n%s"), {file.str()}),
                    error);
  }
  std::shared_ptr<const std::vector<uint8_t>> bytes = files_.ReadShared(path, &error);
  if (!bytes) {
    if (OnFailure)
      Tell(folder, file,
           files_.Exists(path) ? Tr("picture %s cannot be read: %s") : Tr("picture %s is missing"),
           error);
    throw GameError(Utf8ToSjis(error), error);
  }
  if (cache_ != nullptr) {
    if (const Bitmap* kept = cache_->Find(*bytes)) {
      into = *kept;
      return;
    }
  }
  auto bmp = formats::DecodeBmp(*bytes).Named(path);
  if (bmp && cache_ != nullptr) cache_->Keep(*bytes, *bmp);
  if (!bmp) {
    if (OnFailure) Tell(folder, file, Tr("picture %s is refused: %s"), bmp.fault().what);
    const std::string text = bmp.fault().Text();
    throw GameError(Utf8ToSjis(text), text);
  }
  into = std::move(*bmp);
}

void BitmapLoader::Tell(std::string_view folder, const ByteString& file, const char* sentence,
                        std::string_view why) {
  OnFailure(Fill(sentence, {GamePath("", std::string(folder) + file.str()), why}));
}

bool BitmapLoader::TryLoad(Bitmap& into, std::string_view folder, const ByteString& file) {
  // A name that leaves the data folder is refused aloud, even where a
  // picture that is not there is no error.
  if (LeavesFolder(file.view())) Load(into, folder, file);
  try {
    Load(into, folder, file);
    return true;
  } catch (const GameError&) {
    return false;
  }
}

void Layers::ShowBackBuffer() {
  CopyDiffering(Intersect(IMG.bounds(), BMP.bounds()));
  stale_.Clear();
}

void Layers::Publish(const Rect& r) {
  const Rect area = Intersect(r, Intersect(IMG.bounds(), BMP.bounds()));
  if (area.empty()) return;
  for (const Rect& drawn : stale_.rects()) CopyDiffering(Intersect(drawn, area));
  stale_.Remove(area);
  if (check_publish) CheckPublished(area);
}

void Layers::CopyDiffering(const Rect& area) {
  if (area.empty()) return;
  // Row by row, only what differs is copied and noted.
  const std::size_t row_bytes = sizeof(Color) * static_cast<std::size_t>(area.width());
  rows_compared_ += static_cast<uint64_t>(area.height());
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const Color* from = std::as_const(BMP).row(y);
    const Color* shown = std::as_const(IMG).row(y);
    if (std::memcmp(shown + area.left, from + area.left, row_bytes) == 0) continue;
    int32_t left = area.left, right = area.right;
    while (shown[left] == from[left]) ++left;
    while (shown[right - 1] == from[right - 1]) --right;
    CopyPixels(IMG.row(y) + left, from + left, static_cast<std::size_t>(right - left));
    image_changed_.Add({left, y, right, y + 1});
  }
}

void Layers::CheckPublished(const Rect& area) const {
  for (int32_t y = area.top; y < area.bottom; ++y)
    for (int32_t x = area.left; x < area.right; ++x)
      if (IMG.at(x, y) != BMP.at(x, y))
        throw std::logic_error("the back buffer was drawn into at (" + std::to_string(x) + ", " +
                               std::to_string(y) + ") without saying so: not published");
}

Rect Layers::CompositePointer(Point at) {
  const Rect r = Rect::FromSize(at.x, at.y, SP0.width(), SP0.height());
  if (PointerStillShown(r))
    pointer_.kept = true;
  else
    DrawPointer(r);
  return r;
}

bool Layers::PointerStillShown(const Rect& r) const {
  const Rect on = Intersect(r, IMG.bounds());
  return !pointer_.shown.empty() && r == pointer_.at && on == pointer_.shown &&
         SP0 == pointer_.sprite && MS0 == pointer_.mask && !stale_.Touches(on) &&
         !image_changed_.Touches(on);
}

void Layers::DrawPointer(const Rect& r) {
  ForgetShownPointer();
  const Rect on = Intersect(r, IMG.bounds());
  pointer_.over_back = !stale_.Touches(on);
  BitBlt(IMG, r.left, r.top, r.width(), r.height(), MS0, 0, 0, Rop::SRCAND);
  BitBlt(IMG, r.left, r.top, r.width(), r.height(), SP0, 0, 0, Rop::SRCPAINT);
  ImageDrawn(r);
  pointer_.at = r;
  pointer_.drawn = on;
  pointer_.sprite = SP0;
  pointer_.mask = MS0;
}

void Layers::TakePointerOff(const Rect& r) {
  const Rect on = std::exchange(pointer_.drawn, Rect{});
  if (on.empty() || !pointer_.over_back || !(on == Intersect(on, BMP.bounds()))) {
    Publish(r);
    return;
  }
  // Under the pointer the screen image was the back buffer, and nothing
  // was drawn there since: it is put back without comparing, and the
  // window goes on showing the pointer until a presentation goes without it.
  for (int32_t y = on.top; y < on.bottom; ++y)
    CopyPixels(IMG.row(y) + on.left, std::as_const(BMP).row(y) + on.left,
               static_cast<std::size_t>(on.width()));
  stale_.Remove(on);
  pointer_.shown = on;
  if (check_publish) CheckPublished(on);
}

void Layers::ForgetShownPointer() {
  image_changed_.Add(pointer_.shown);
  pointer_.shown = Rect{};
}

void Layers::Present(const Rect& display) {
  Rect kept;
  if (std::exchange(pointer_.kept, false)) {
    // A window that takes the whole picture again would lose the pointer:
    // it is drawn for this presentation after all.
    if (window_.KeepsShown(IMG, display))
      kept = pointer_.shown;
    else
      DrawPointer(pointer_.at);
  }
  if (kept.empty()) ForgetShownPointer();
  window_.StretchOnWindow(IMG, display, image_changed_, kept);
  image_changed_.Clear();
}

void Layers::DrawWallpaper() {
  // Mended: a missing or damaged wallpaper failed every repaint, and each
  // failure brought its box back (answering it repaints). It is told once;
  // from then on the window around the picture stays as it is.
  if (wallpaper_failed_) return;
  try {
    loader_.Load(CLS, BMPDIR, "WALL00.BMP");
  } catch (const GameError&) {
    wallpaper_failed_ = true;
    throw;  // the scratch bitmap was not touched
  }
  Size screen = window_.ScreenSize();
  if (CLS.width() > 0 && CLS.height() > 0) {
    for (int32_t y = 0; y < screen.height; y += CLS.height())
      for (int32_t x = 0; x < screen.width; x += CLS.width()) window_.DrawOnWindow(CLS, {x, y});
  }
  loader_.Load(CLS, BMPDIR, "MESH.BMP");
}

}  // namespace velmor::graphics
