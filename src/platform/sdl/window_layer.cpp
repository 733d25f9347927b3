#include "platform/sdl/window_layer.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace velmor::platform::sdl {

namespace {

bool Covers(const Rect& outer, const Rect& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

Rect Clip(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  return r.empty() ? Rect{} : r;
}

}  // namespace

void WindowLayer::Resize(Size size) {
  size_ = size;
  items_.clear();
}

void WindowLayer::Draw(const Bitmap& bmp, Point at) {
  const Rect rect = Clip(Rect::FromSize(at.x, at.y, bmp.width(), bmp.height()), bounds());
  if (rect.empty()) return;
  // What the new picture hides entirely is forgotten.
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [&](const Item& i) { return Covers(Rect::FromSize(at.x, at.y, bmp.width(), bmp.height()), i.rect); }),
               items_.end());
  // The same picture drawn again (the next wallpaper tile) is kept once.
  std::shared_ptr<const Bitmap> picture;
  for (auto it = items_.rbegin(); it != items_.rend() && !picture; ++it)
    if (*it->picture == bmp) picture = it->picture;
  if (!picture) picture = std::make_shared<const Bitmap>(bmp);
  items_.push_back({Rect::FromSize(at.x, at.y, bmp.width(), bmp.height()), std::move(picture)});
}

void WindowLayer::Compose(const PixelView& dst, Point origin, const Rect& region) const {
  const Rect area = Clip(region, bounds());
  for (int32_t y = area.top; y < area.bottom; ++y)
    std::fill_n(dst.row(y - origin.y) + (area.left - origin.x), area.width(), kBlack);
  for (const Item& item : items_) {
    const Rect part = Clip(item.rect, area);
    if (part.empty()) continue;
    for (int32_t y = part.top; y < part.bottom; ++y)
      std::memcpy(dst.row(y - origin.y) + (part.left - origin.x),
                  item.picture->row(y - item.rect.top) + (part.left - item.rect.left),
                  sizeof(Color) * static_cast<std::size_t>(part.width()));
  }
}

std::size_t WindowLayer::pictures() const {
  std::set<const Bitmap*> distinct;
  for (const Item& i : items_) distinct.insert(i.picture.get());
  return distinct.size();
}

}  // namespace velmor::platform::sdl
