#include "graphics/bitmap.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <numeric>
#include <utility>

namespace velmor {

Bitmap::Bitmap(int32_t width, int32_t height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(NewPixels(static_cast<std::size_t>(width_) * height_, fill)) {}

namespace {

// The pixel buffers of large bitmaps let go, for the next ones of their
// size. Only buffers the allocator would map afresh are worth keeping.
class FreedPixels {
 public:
  static constexpr std::size_t kLarge = 32 * 1024;  // pixels: 128 KiB

  static FreedPixels& Get() {
    // Never destroyed: a bitmap let go at exit, after every other static,
    // still finds it.
    static FreedPixels* const freed = new FreedPixels;
    return *freed;
  }

  void Keep(std::size_t count) {
    std::vector<std::unique_ptr<std::vector<Color>>> dropped;
    std::lock_guard lock(mutex_);
    limit_ = count;
    while (kept_.size() > limit_) {
      dropped.push_back(std::move(kept_.back()));
      kept_.pop_back();
    }
  }
  bool keeping() const { return limit_.load(std::memory_order_relaxed) > 0; }

  // A kept buffer that holds n pixels without wasting half of itself.
  std::unique_ptr<std::vector<Color>> Take(std::size_t n) {
    std::lock_guard lock(mutex_);
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
      const std::size_t capacity = (*it)->capacity();
      if (capacity < n || capacity / 2 > n) continue;
      std::unique_ptr<std::vector<Color>> buffer = std::move(*it);
      kept_.erase(it);
      return buffer;
    }
    return nullptr;
  }

  // The last bitmap sharing `pixels` lets go of them.
  void Give(std::vector<Color>* pixels) {
    std::unique_ptr<std::vector<Color>> buffer(pixels);
    std::lock_guard lock(mutex_);
    if (kept_.size() >= limit_) return;
    kept_.push_back(std::move(buffer));
  }

 private:
  std::mutex mutex_;
  std::atomic<std::size_t> limit_{0};
  std::vector<std::unique_ptr<std::vector<Color>>> kept_;
};

// Pixels for a large bitmap that go back to the kept ones when let go.
template <typename Fill>
std::shared_ptr<std::vector<Color>> Recycled(std::size_t n, Fill&& fill) {
  FreedPixels& freed = FreedPixels::Get();
  std::unique_ptr<std::vector<Color>> buffer = freed.Take(n);
  if (!buffer) buffer = std::make_unique<std::vector<Color>>();
  fill(*buffer);
  return {buffer.release(), [](std::vector<Color>* p) { FreedPixels::Get().Give(p); }};
}

}  // namespace

void Bitmap::KeepFreedPixels(std::size_t buffers) { FreedPixels::Get().Keep(buffers); }

std::shared_ptr<std::vector<Color>> Bitmap::NewPixels(std::size_t n, Color fill) {
  if (n < FreedPixels::kLarge || !FreedPixels::Get().keeping())
    return std::make_shared<std::vector<Color>>(n, fill);
  return Recycled(n, [&](std::vector<Color>& v) { v.assign(n, fill); });
}

std::shared_ptr<std::vector<Color>> Bitmap::CopyPixels(const std::vector<Color>& from) {
  if (from.size() < FreedPixels::kLarge || !FreedPixels::Get().keeping())
    return std::make_shared<std::vector<Color>>(from);
  return Recycled(from.size(), [&](std::vector<Color>& v) { v.assign(from.begin(), from.end()); });
}

std::shared_ptr<std::vector<Color>> Bitmap::NoPixels() {
  static const auto none = std::make_shared<std::vector<Color>>();
  return none;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this == &other) return *this;
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  pixels_ = std::exchange(other.pixels_, NoPixels());
  palette = std::move(other.palette);
  other.palette.clear();
  return *this;
}

void Bitmap::Unshare() { pixels_ = CopyPixels(*pixels_); }

namespace {

// Clips a copy of a w x h block from (sx, sy) in a bitmap of size s to (dx, dy)
// in a bitmap of size d. Returns false when nothing remains.
bool ClipCopy(int32_t& dx, int32_t& dy, int32_t& w, int32_t& h, int32_t& sx, int32_t& sy,
              Size d, Size s) {
  // Mended: worked out in 64 bits, so that places and lengths anywhere in
  // 32 bits (a damaged save's) clip without overflowing.
  auto clip_axis = [](int32_t& dpos, int32_t& spos, int32_t& len, int32_t dlimit,
                      int32_t slimit) {
    const int64_t cut = std::max<int64_t>({0, -int64_t{dpos}, -int64_t{spos}});
    const int64_t d = dpos + cut, s = spos + cut;
    const int64_t kept = std::min<int64_t>({len - cut, dlimit - d, slimit - s});
    if (kept <= 0) return false;
    dpos = static_cast<int32_t>(d);
    spos = static_cast<int32_t>(s);
    len = static_cast<int32_t>(kept);
    return true;
  };
  return clip_axis(dx, sx, w, d.width, s.width) && clip_axis(dy, sy, h, d.height, s.height);
}

template <typename Op>
void CombineRows(Bitmap& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, const Bitmap& src,
                 int32_t sx, int32_t sy, bool bottom_up, Op op) {
  for (int32_t i = 0; i < h; ++i) {
    int32_t r = bottom_up ? h - 1 - i : i;
    Color* d = dst.row(dy + r) + dx;
    const Color* s = src.row(sy + r) + sx;
    for (int32_t x = 0; x < w; ++x) d[x] = op(d[x], s[x]);
  }
}

}  // namespace

void BitBlt(Bitmap& dst, int32_t dx, int32_t dy, int32_t w, int32_t h, const Bitmap& src,
            int32_t sx, int32_t sy, Rop rop) {
  if (!ClipCopy(dx, dy, w, h, sx, sy, {dst.width(), dst.height()}, {src.width(), src.height()}))
    return;
  // Overlapping copies within one bitmap: walk the rows away from the overlap.
  bool bottom_up = (&dst == &src) && dy > sy;
  switch (rop) {
    case Rop::SRCCOPY:
      for (int32_t i = 0; i < h; ++i) {
        int32_t r = bottom_up ? h - 1 - i : i;
        if (&dst == &src)
          std::memmove(dst.row(dy + r) + dx, src.row(sy + r) + sx, sizeof(Color) * w);
        else
          CopyPixels(dst.row(dy + r) + dx, src.row(sy + r) + sx, static_cast<std::size_t>(w));
      }
      break;
    case Rop::SRCAND:
      CombineRows(dst, dx, dy, w, h, src, sx, sy, bottom_up, [](Color d, Color s) { return d & s; });
      break;
    case Rop::SRCPAINT:
      CombineRows(dst, dx, dy, w, h, src, sx, sy, bottom_up, [](Color d, Color s) { return d | s; });
      break;
    case Rop::MERGEPAINT:
      CombineRows(dst, dx, dy, w, h, src, sx, sy, bottom_up,
                  [](Color d, Color s) { return (d | ~s) & kColorMask; });
      break;
    case Rop::NOTSRCCOPY:
      CombineRows(dst, dx, dy, w, h, src, sx, sy, bottom_up,
                  [](Color, Color s) { return ~s & kColorMask; });
      break;
  }
}

void FillRect(Bitmap& dst, const Rect& r, Color color) {
  int32_t left = std::max(r.left, 0);
  int32_t top = std::max(r.top, 0);
  int32_t right = std::min(r.right, dst.width());
  int32_t bottom = std::min(r.bottom, dst.height());
  if (left >= right || top >= bottom) return;
  for (int32_t y = top; y < bottom; ++y) std::fill(dst.row(y) + left, dst.row(y) + right, color);
}

std::optional<Color> GetPixel(const Bitmap& bmp, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= bmp.width() || y >= bmp.height()) return std::nullopt;
  return bmp.at(x, y);
}

Rect StretchedArea(const Rect& src, Size picture, const Rect& rect) {
  if (src.empty() || picture.width <= 0 || picture.height <= 0 || rect.empty()) return {};
  // Destination pixel d of D samples source pixel (2d + 1) * s / (2D)
  // (rounded down): the first to sample pixel a or a later one is
  // (2aD - s) / (2s), rounded up.
  auto first = [](int64_t a, int64_t dst_len, int64_t src_len) {
    const int64_t num = 2 * a * dst_len - src_len, den = 2 * src_len;
    return static_cast<int32_t>(num >= 0 ? (num + den - 1) / den : -(-num / den));
  };
  const Rect r{rect.left + first(src.left, rect.width(), picture.width),
               rect.top + first(src.top, rect.height(), picture.height),
               rect.left + first(src.right, rect.width(), picture.width),
               rect.top + first(src.bottom, rect.height(), picture.height)};
  return Intersect(r, rect);
}

namespace {

// Columns `from` to `to` of a stretched row (counted from the stretch's
// left edge) into d, from source row s; `columns` has the source column of
// every column of the stretch, `q` is unused here.
void StretchRowByTable(Color* d, const Color* s, const int32_t* columns, int32_t from, int32_t to,
                       int32_t /*q*/) {
  for (int32_t x = from; x < to; ++x) d[x - from] = s[columns[x]];
}

// The same, for widths in the ratio P : q (P stretched pixels from q source
// pixels, in lowest terms): the source columns repeat every P columns, q
// source pixels further on, so whole groups of P are made from the first
// group's P columns, kept in registers, instead of a table read for every
// pixel.
template <int P>
void StretchRowInGroups(Color* d, const Color* s, const int32_t* columns, int32_t from, int32_t to,
                        int32_t q) {
  std::array<int32_t, P> first;
  std::copy_n(columns, P, first.begin());
  int32_t x = from;
  for (; x < to && x % P != 0; ++x) d[x - from] = s[columns[x]];
  for (; x + P <= to; x += P) {
    const Color* group = s + static_cast<std::ptrdiff_t>(x / P) * q;
    Color* out = d + (x - from);
    for (int i = 0; i < P; ++i) out[i] = group[first[i]];
  }
  for (; x < to; ++x) d[x - from] = s[columns[x]];
}

// The same for a ratio P : Q known here: the first group's columns are
// constants, and the compiler makes each group of a few loads and
// shuffles (a 150 % row five times as fast as by the table).
template <int P, int Q>
void StretchRowInFixedGroups(Color* d, const Color* s, const int32_t* columns, int32_t from,
                             int32_t to, int32_t /*q*/) {
  constexpr auto first = [] {
    std::array<int32_t, P> f{};
    for (int i = 0; i < P; ++i) f[i] = ((2 * i + 1) * Q) / (2 * P);
    return f;
  }();
  int32_t x = from;
  for (; x < to && x % P != 0; ++x) d[x - from] = s[columns[x]];
  const Color* group = s + static_cast<std::ptrdiff_t>(x / P) * Q;
  Color* out = d + (x - from);
  for (; x + P <= to; x += P, group += Q, out += P)
    for (int i = 0; i < P; ++i) out[i] = group[first[i]];
  for (; x < to; ++x) d[x - from] = s[columns[x]];
}

using RowFunction = void (*)(Color*, const Color*, const int32_t*, int32_t, int32_t, int32_t);
struct StretchRow {
  RowFunction make;
  int32_t q;
};

// How the rows of a stretch of src_width source pixels to dst_width are
// made. The ratios a player meets most have code of their own: the
// settings' 110 %, 120 %, 125 %, 130 %, 140 % and 150 % (the largest), and
// a 4 : 3 picture fitted to common screens (160 % on 1366 x 768, 200 %,
// 225 % on 1920 x 1080, 300 % on 2560 x 1440). Other ratios with small
// terms go by groups, the rest by the table: groups of 21 to 29 (the
// settings' 105 %, 115 %, 135 %, 145 %) made by code of their own were no
// faster than the table.
StretchRow RowStretcher(int32_t dst_width, int32_t src_width) {
  const int32_t g = std::gcd(dst_width, src_width);
  const int32_t p = dst_width / g, q = src_width / g;
  struct Fixed { int32_t p, q; RowFunction make; };
  static constexpr Fixed kFixed[] = {
      {6, 5, StretchRowInFixedGroups<6, 5>}, {5, 4, StretchRowInFixedGroups<5, 4>},
      {7, 5, StretchRowInFixedGroups<7, 5>}, {3, 2, StretchRowInFixedGroups<3, 2>},
      {8, 5, StretchRowInFixedGroups<8, 5>}, {2, 1, StretchRowInFixedGroups<2, 1>},
      {9, 4, StretchRowInFixedGroups<9, 4>}, {3, 1, StretchRowInFixedGroups<3, 1>},
      {11, 10, StretchRowInFixedGroups<11, 10>}, {13, 10, StretchRowInFixedGroups<13, 10>}};
  for (const Fixed& f : kFixed)
    if (f.p == p && f.q == q) return {f.make, q};
  switch (p) {
    case 2: return {StretchRowInGroups<2>, q};
    case 3: return {StretchRowInGroups<3>, q};
    case 4: return {StretchRowInGroups<4>, q};
    case 5: return {StretchRowInGroups<5>, q};
    case 6: return {StretchRowInGroups<6>, q};
    case 7: return {StretchRowInGroups<7>, q};
    case 8: return {StretchRowInGroups<8>, q};
    default: return {StretchRowByTable, q};
  }
}

}  // namespace

void StretchBlt(Bitmap& dst, const Rect& r, const Bitmap& src) {
  if (dst.empty()) return;
  StretchBlt(PixelView{dst.row(0), dst.width(), dst.width(), dst.height()}, r, src, dst.bounds());
}

void StretchBlt(const PixelView& dst, const Rect& r, const Bitmap& src, const Rect& clip) {
  if (r.empty() || src.empty()) return;
  int32_t left = std::max({r.left, clip.left, 0});
  int32_t top = std::max({r.top, clip.top, 0});
  int32_t right = std::min({r.right, clip.right, dst.width});
  int32_t bottom = std::min({r.bottom, clip.bottom, dst.height});
  if (left >= right || top >= bottom) return;
  const auto row_pixels = static_cast<std::size_t>(right - left);
  if (r.width() == src.width() && r.height() == src.height()) {  // at its own size
    for (int32_t y = top; y < bottom; ++y)
      CopyPixels(dst.row(y) + left, src.row(y - r.top) + (left - r.left), row_pixels);
    return;
  }
  // Each destination column and row samples the source at its centre.
  auto source_of = [](int64_t d, int64_t dst_len, int64_t src_len) {
    return static_cast<int32_t>(((2 * d + 1) * src_len) / (2 * dst_len));
  };
  // The source column of every column of r, kept for the next stretch of
  // the same widths (a dissolve's frame is a hundred bands of rows).
  thread_local std::vector<int32_t> all_columns;
  thread_local std::pair<int32_t, int32_t> widths{-1, -1};
  if (widths != std::pair(r.width(), src.width())) {
    widths = {r.width(), src.width()};
    all_columns.resize(static_cast<std::size_t>(r.width()));
    for (int32_t x = 0; x < r.width(); ++x) all_columns[x] = source_of(x, r.width(), src.width());
  }
  const StretchRow stretch_row = RowStretcher(r.width(), src.width());
  int32_t previous_sy = -1;
  for (int32_t y = top; y < bottom; ++y) {
    int32_t sy = source_of(y - r.top, r.height(), src.height());
    Color* d = dst.row(y) + left;
    if (sy == previous_sy) {  // a repeated row: copy the row just made
      CopyPixels(d, dst.row(y - 1) + left, row_pixels);
      continue;
    }
    stretch_row.make(d, src.row(sy), all_columns.data(), left - r.left, right - r.left,
                     stretch_row.q);
    previous_sy = sy;
  }
}

namespace {

// Where destination pixel d of dst_len samples a source of src_len, in
// 1/256 source pixels from the first pixel's centre, kept on the picture.
int64_t SmoothSource(int64_t d, int64_t dst_len, int64_t src_len) {
  const int64_t at = ((2 * d + 1) * src_len * 256) / (2 * dst_len) - 128;
  return std::clamp<int64_t>(at, 0, (src_len - 1) * 256);
}

Color Blend(Color a, Color b, uint32_t w) {  // w of 256 parts b
  auto channel = [&](int shift) {
    const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    return ((ca * (256 - w) + cb * w + 128) >> 8) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

}  // namespace

void StretchBltSmooth(const PixelView& dst, const Rect& r, const Bitmap& src, const Rect& clip) {
  if (r.empty() || src.empty()) return;
  const int32_t left = std::max({r.left, clip.left, 0});
  const int32_t top = std::max({r.top, clip.top, 0});
  const int32_t right = std::min({r.right, clip.right, dst.width});
  const int32_t bottom = std::min({r.bottom, clip.bottom, dst.height});
  if (left >= right || top >= bottom) return;
  const int32_t last_x = src.width() - 1, last_y = src.height() - 1;
  thread_local std::vector<int64_t> columns;
  columns.resize(static_cast<std::size_t>(right - left));
  for (int32_t x = left; x < right; ++x)
    columns[x - left] = SmoothSource(x - r.left, r.width(), src.width());
  for (int32_t y = top; y < bottom; ++y) {
    const int64_t sy = SmoothSource(y - r.top, r.height(), src.height());
    const int32_t y0 = static_cast<int32_t>(sy >> 8);
    const Color* upper = src.row(y0);
    const Color* lower = src.row(std::min(y0 + 1, last_y));
    const auto wy = static_cast<uint32_t>(sy & 0xFF);
    Color* d = dst.row(y) + left;
    for (int32_t x = 0; x < right - left; ++x) {
      const int32_t x0 = static_cast<int32_t>(columns[x] >> 8);
      const int32_t x1 = std::min(x0 + 1, last_x);
      const auto wx = static_cast<uint32_t>(columns[x] & 0xFF);
      d[x] = Blend(Blend(upper[x0], upper[x1], wx), Blend(lower[x0], lower[x1], wx), wy);
    }
  }
}

int32_t SharpFactor(Size picture_size, const Rect& rect) {
  if (picture_size.width <= 0 || picture_size.height <= 0) return 1;
  return std::max(1, std::min(rect.width() / picture_size.width,
                              rect.height() / picture_size.height));
}

void EnlargeWhole(const Bitmap& src, int32_t k, Bitmap& enlarged, const Rect& changed) {
  k = std::max(k, 1);
  Rect area = Intersect(changed, src.bounds());
  if (enlarged.width() != src.width() * k || enlarged.height() != src.height() * k) {
    enlarged = Bitmap(src.width() * k, src.height() * k);
    area = src.bounds();
  }
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const Color* from = src.row(y);
    Color* to = enlarged.row(y * k);
    for (int32_t x = area.left; x < area.right; ++x)
      std::fill_n(to + static_cast<std::ptrdiff_t>(x) * k, k, from[x]);
    for (int32_t i = 1; i < k; ++i)
      std::copy_n(to + static_cast<std::ptrdiff_t>(area.left) * k, area.width() * k,
                  enlarged.row(y * k + i) + static_cast<std::ptrdiff_t>(area.left) * k);
  }
}

uint64_t PictureDigest(const Bitmap& bmp) {
  uint64_t h = 0xcbf29ce484222325ull;  // the FNV-1a offset basis
  auto mix = [&h](uint32_t v) {
    for (int i = 0; i < 4; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 0x100000001b3ull;  // the FNV prime
    }
  };
  mix(static_cast<uint32_t>(bmp.width()));
  mix(static_cast<uint32_t>(bmp.height()));
  for (Color c : bmp.pixels()) mix(c);
  return h;
}

}  // namespace velmor
