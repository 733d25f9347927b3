#include "datagen/quantize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "datagen/canvas.h"

namespace velmor::datagen {

namespace {


struct Entry {
  std::array<int, 3> c;
  uint32_t count;
};

int Luma(Color c) {
  return 299 * static_cast<int>(RedOf(c)) + 587 * static_cast<int>(GreenOf(c)) +
         114 * static_cast<int>(BlueOf(c));
}

std::array<int, 3> Split(Color c) {
  return {static_cast<int>(RedOf(c)), static_cast<int>(GreenOf(c)),
          static_cast<int>(BlueOf(c))};
}

// Median cut: keeps splitting the box with the widest spread (weighted by
// how many pixels it holds) at its median along that spread.
std::vector<Color> MedianCut(std::vector<Entry> entries, int colors) {
  struct Span {
    std::size_t begin, end;
  };
  auto spread = [&](const Span& s, int* axis) {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    uint64_t count = 0;
    for (std::size_t i = s.begin; i < s.end; ++i) {
      for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], entries[i].c[k]);
        hi[k] = std::max(hi[k], entries[i].c[k]);
      }
      count += entries[i].count;
    }
    int best = 0;
    for (int k = 1; k < 3; ++k)
      if (hi[k] - lo[k] > hi[best] - lo[best]) best = k;
    *axis = best;
    return (hi[best] - lo[best]) * std::sqrt(static_cast<double>(count));
  };
  std::vector<Span> spans{{0, entries.size()}};
  while (static_cast<int>(spans.size()) < colors) {
    int pick = -1, axis = 0;
    double widest = 0;
    for (std::size_t i = 0; i < spans.size(); ++i) {
      if (spans[i].end - spans[i].begin < 2) continue;
      int a;
      const double w = spread(spans[i], &a);
      if (w > widest) {
        widest = w;
        pick = static_cast<int>(i);
        axis = a;
      }
    }
    if (pick < 0) break;
    Span s = spans[pick];
    std::sort(entries.begin() + s.begin, entries.begin() + s.end,
              [axis](const Entry& a, const Entry& b) { return a.c[axis] < b.c[axis]; });
    uint64_t total = 0, half = 0;
    for (std::size_t i = s.begin; i < s.end; ++i) total += entries[i].count;
    std::size_t cut = s.begin + 1;
    for (std::size_t i = s.begin; i < s.end - 1; ++i) {
      half += entries[i].count;
      cut = i + 1;
      if (half * 2 >= total) break;
    }
    spans[pick] = {s.begin, cut};
    spans.push_back({cut, s.end});
  }
  std::vector<Color> palette;
  for (const Span& s : spans) {
    double sum[3] = {0, 0, 0}, n = 0;
    for (std::size_t i = s.begin; i < s.end; ++i) {
      for (int k = 0; k < 3; ++k) sum[k] += static_cast<double>(entries[i].c[k]) * entries[i].count;
      n += entries[i].count;
    }
    palette.push_back(MakeRgb(static_cast<uint32_t>(std::lround(sum[0] / n)),
                                     static_cast<uint32_t>(std::lround(sum[1] / n)),
                                     static_cast<uint32_t>(std::lround(sum[2] / n))));
  }
  return palette;
}

}  // namespace

void Palettise(Bitmap& img, int colors, double dither) {
  std::unordered_map<Color, uint32_t> histogram;
  for (Color c : img.pixels()) ++histogram[c & 0xFFFFFF];

  std::vector<Color> palette;
  const bool exact = static_cast<int>(histogram.size()) <= colors;
  if (exact) {
    for (const auto& [c, n] : histogram) palette.push_back(c);
  } else {
    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto& [c, n] : histogram) entries.push_back({Split(c), n});
    // A fixed order keeps the output independent of the hash table's.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.c < b.c; });
    palette = MedianCut(std::move(entries), colors);
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
  }
  std::stable_sort(palette.begin(), palette.end(), [](Color a, Color b) {
    return Luma(a) != Luma(b) ? Luma(a) < Luma(b) : a < b;
  });
  img.palette = palette;
  if (exact) return;

  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  std::unordered_map<Color, Color> nearest;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      std::array<int, 3> c = Split(img.at(x, y));
      if (dither > 0) {
        const int offset = static_cast<int>(std::lround((kBayer[y & 3][x & 3] - 7.5) * dither));
        for (int& v : c) v = std::clamp(v + offset, 0, 255);
      }
      const Color key = MakeRgb(c[0], c[1], c[2]);
      auto it = nearest.find(key);
      if (it == nearest.end()) {
        Color best = palette.front();
        long best_d = -1;
        for (Color p : palette) {
          const std::array<int, 3> q = Split(p);
          const long d = 3L * (q[0] - c[0]) * (q[0] - c[0]) + 4L * (q[1] - c[1]) * (q[1] - c[1]) +
                         2L * (q[2] - c[2]) * (q[2] - c[2]);
          if (best_d < 0 || d < best_d) {
            best_d = d;
            best = p;
          }
        }
        it = nearest.emplace(key, best).first;
      }
      img.set(x, y, it->second);
    }
  }
}

}  // namespace velmor::datagen
