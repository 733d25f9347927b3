// Pointer shapes, 32 x 32. Shapes 0..5 point with their top-left pixel; 6..9
// centre on (16, 16); 10 points down at (16, 24). Every shape gets a black
// outline one pixel wide so it reads on any picture.
#include <cmath>
#include <stdexcept>
#include <string>

#include "datagen/canvas.h"
#include "datagen/pictures.h"
#include "datagen/quantize.h"

namespace velmor::datagen {

namespace {

constexpr int kSize = 32;

class PointerCanvas {
 public:
  // Makes pixels at least half covered by the shape opaque, in its colours.
  void Fill(const Inside& inside, const Paint& paint) {
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        int hits = 0;
        for (int j = 0; j < 4; ++j)
          for (int i = 0; i < 4; ++i)
            if (inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4)) ++hits;
        if (hits >= 8) {
          solid_[y * kSize + x] = true;
          color_.set(x, y, paint(x + 0.5, y + 0.5) & 0xFFFFFF);
        }
      }
    }
  }
  void Fill(const Inside& inside, Color c) {
    Fill(inside, [c](double, double) { return c; });
  }

  // Outlines the shape and makes sure the hot spot is part of it: a point
  // that only touches the outline's corner gets an outline pixel of its own.
  Pointer Finish(int hot_x, int hot_y) {
    std::vector<bool> outline(kSize * kSize, false);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        if (solid_[y * kSize + x]) continue;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && solid_[ny * kSize + nx]) outline[y * kSize + x] = true;
          }
      }
    const int hot = hot_y * kSize + hot_x;
    if (!solid_[hot] && !outline[hot]) {
      bool touches = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = hot_x + dx, ny = hot_y + dy;
          if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize)
            touches = touches || outline[ny * kSize + nx] || solid_[ny * kSize + nx];
        }
      if (!touches) throw std::logic_error("pointer shape drawn away from its hot spot");
      outline[hot] = true;
    }
    Pointer p{Bitmap(kSize, kSize, 0), Bitmap(kSize, kSize, 0xFFFFFF)};
    for (int i = 0; i < kSize * kSize; ++i) {
      if (solid_[i] || outline[i]) {
        const int x = i % kSize, y = i / kSize;
        p.sprite.set(x, y, solid_[i] ? color_.at(x, y) : 0);
        p.mask.set(x, y, 0);
      }
    }
    Palettise(p.sprite, 256);
    p.mask.palette = {0, 0xFFFFFF};
    return p;
  }

 private:
  Bitmap color_{kSize, kSize, 0};
  std::vector<bool> solid_ = std::vector<bool>(kSize * kSize, false);
};

// Shapes drawn pointing up along -v with their point at (0, 0) of a (u, v)
// frame, turned so the point faces up and left and sits at `tip`.
struct Diagonal {
  Vec tip;
  Vec Local(double x, double y) const {
    const double dx = x - tip.x, dy = y - tip.y;
    return {(dx - dy) / std::sqrt(2.0), (dx + dy) / std::sqrt(2.0)};
  }
  Inside Map(Inside local) const {
    return [this, local](double x, double y) {
      const Vec l = Local(x, y);
      return local(l.x, l.y);
    };
  }
};

constexpr Vec kTip{1.2, 1.2};
constexpr Vec kCentre{16.5, 16.5};  // the middle of pixel (16, 16)

Pointer Arrow() {
  PointerCanvas c;
  c.Fill(Polygon({{1, 1}, {1, 23}, {6, 18}, {10, 27}, {13.5, 25.6}, {9.6, 17}, {16.5, 17}}),
         [](double x, double y) { return Mix(0xFFFFFF, 0xC8CEE0, Clamp01((x + y) / 36)); });
  return c.Finish(0, 0);
}

Pointer Hand() {
  static const Diagonal d{kTip};
  PointerCanvas c;
  const Paint glove = [](double x, double y) { return Mix(0xFFFAF0, 0xE4D8C8, Clamp01((x + y - 12) / 30)); };
  c.Fill(d.Map(Union({Capsule({0, 2.4}, {0, 11}, 2.4), RoundRect(-2.6, 9, 9.6, 20.5, 3),
                      Capsule({-2.6, 15}, {-5.6, 11.2}, 2.0)})),
         glove);
  c.Fill(d.Map(Union({Capsule({3.4, 10.6}, {3.4, 13.6}, 0.55), Capsule({6.6, 10.6}, {6.6, 13.6}, 0.55)})), 0x6A6050);
  c.Fill(d.Map(RoundRect(-3.2, 20.5, 10.2, 24.5, 1)), 0x7CA8E8);
  return c.Finish(0, 0);
}

Pointer Pen() {
  static const Diagonal d{kTip};
  PointerCanvas c;
  c.Fill(d.Map(Polygon({{0, 0.2}, {3.3, 7.2}, {-3.3, 7.2}})), 0xE8C058);
  c.Fill(d.Map(Capsule({0, 3.0}, {0, 6.5}, 0.45)), 0x4A3A20);
  c.Fill(d.Map(RoundRect(-3.5, 7, 3.5, 10, 0.5)), 0x34343C);
  c.Fill(d.Map(RoundRect(-3.6, 10, 3.6, 27, 2)), [](double x, double y) {
    const Vec l = d.Local(x, y);
    return l.x < -1.0 && l.x > -2.6 ? Color{0x8AA8F0} : Color{0x2E4FA8};
  });
  c.Fill(d.Map(RoundRect(-3.6, 14, 3.6, 15.6, 0)), 0xE8C058);
  return c.Finish(0, 0);
}

// A small rose arrow with an upright heart riding at its tail.
Pointer HeartPointer() {
  PointerCanvas c;
  c.Fill(Polygon({{1, 1}, {1, 17}, {5, 13.2}, {8.2, 20}, {10.8, 18.8}, {7.6, 12.4}, {12.8, 12.4}}),
         [](double x, double y) { return Mix(0xFFD6E2, 0xF28AA8, Clamp01((x + y) / 26)); });
  const Vec h{22.5, 21.5};
  const double s = 6.2;
  c.Fill([h, s](double x, double y) {
           const double u = (x - h.x) / s, v = -(y - h.y) / s + 0.1;
           const double a = u * u + v * v - 1;
           return a * a * a - u * u * v * v * v <= 0;
         },
         [h](double x, double y) {
           return std::hypot(x - (h.x - 3), y - (h.y - 2.5)) < 1.8 ? Color{0xFFD0DC}
                                                                  : Mix(0xFF5A7E, 0xD42850, Clamp01((y - h.y + 6) / 12));
         });
  return c.Finish(0, 0);
}

Pointer ShootingStar() {
  PointerCanvas c;
  const Vec centre{kTip.x + 10 / std::sqrt(2.0), kTip.y + 10 / std::sqrt(2.0)};
  const double k = 1 / std::sqrt(2.0);
  const Color trails[] = {0x7FD8FF, 0xFFD23C, 0xFF8FC0};
  const double lengths[] = {24.5, 29.0, 24.5};
  for (int i = 0; i < 3; ++i) {
    const double off = (i - 1) * 4.2;
    const Vec a{centre.x + 3 + off * k, centre.y + 3 - off * k};
    const Vec b{kTip.x + lengths[i] * k * 1.05 + off * k, kTip.y + lengths[i] * k * 1.05 - off * k};
    c.Fill(Capsule(a, b, 1.25), trails[i]);
  }
  c.Fill(Polygon(StarPoints(centre, 10, 4.3, 5, -3 * kPi / 4)),
         [&](double x, double y) { return Mix(0xFFF6B0, 0xFFC020, Clamp01(std::hypot(x - centre.x, y - centre.y) / 9)); });
  return c.Finish(0, 0);
}

Pointer Crosshair() {
  const Vec o = kCentre;
  PointerCanvas c;
  c.Fill(Minus(Circle(o, 10), Circle(o, 7.5)), 0xFFFFFF);
  for (auto [dx, dy] : {std::pair{0.0, -1.0}, {0.0, 1.0}, {-1.0, 0.0}, {1.0, 0.0}})
    c.Fill(Capsule({o.x + dx * 5, o.y + dy * 5}, {o.x + dx * 12, o.y + dy * 12}, 1.2), 0xFFFFFF);
  c.Fill(Circle(o, 1.6), 0xFF3030);
  return c.Finish(16, 16);
}

Pointer Magnifier() {
  const Vec o = kCentre;
  PointerCanvas c;
  c.Fill(Capsule({23.3, 23.3}, {28.6, 28.6}, 2.4), 0x8A5A30);
  c.Fill(Minus(Circle(o, 9.5), Circle(o, 7)),
         [&](double x, double y) { return Mix(0xE8ECF4, 0x8890A8, Clamp01((x + y - 2 * o.x + 10) / 20)); });
  c.Fill(Minus(Minus(Circle(o, 5.6), Circle({o.x + 1.4, o.y + 1.4}, 5.6)),
               [&](double x, double y) { return x > o.x + 1 || y > o.y + 1; }),
         0xFFFFFF);
  c.Fill(Circle(o, 1.3), 0xFF3030);
  return c.Finish(16, 16);
}

// Viewfinder corners round the centre, wide for hovering, drawn in when
// pressed.
Pointer Corners(double reach, Color color, bool pressed) {
  const Vec o = kCentre;
  PointerCanvas c;
  for (double sx : {-1.0, 1.0})
    for (double sy : {-1.0, 1.0}) {
      const Vec corner{o.x + sx * reach, o.y + sy * reach};
      const double arm = pressed ? 3 : 5;
      c.Fill(Union({Capsule(corner, {corner.x - sx * arm, corner.y}, 1.0),
                    Capsule(corner, {corner.x, corner.y - sy * arm}, 1.0)}),
             color);
    }
  if (pressed)
    c.Fill(Circle(o, 2.6), color);
  else
    c.Fill(Polygon({{o.x, o.y - 2.6}, {o.x + 2.6, o.y}, {o.x, o.y + 2.6}, {o.x - 2.6, o.y}}), color);
  return c.Finish(16, 16);
}

Pointer DownArrow() {
  PointerCanvas c;
  const Paint paint = [](double, double y) { return Mix(0xFFE070, 0xFF8A20, Clamp01((y - 3) / 21)); };
  c.Fill(Union({RoundRect(12.5, 3, 20.5, 14, 1), Polygon({{5.5, 13}, {27.5, 13}, {16.5, 24.5}})}), paint);
  return c.Finish(16, 24);
}

}  // namespace

Pointer PointerShape(int n) {
  switch (n) {
    case 0:
    case 1: return Arrow();
    case 2: return Hand();
    case 3: return Pen();
    case 4: return HeartPointer();
    case 5: return ShootingStar();
    case 6: return Crosshair();
    case 7: return Magnifier();
    case 8: return Corners(9, 0x50E0F0, false);
    case 9: return Corners(7, 0xFFA030, true);
    case 10: return DownArrow();
  }
  throw std::out_of_range("no pointer shape " + std::to_string(n));
}

}  // namespace velmor::datagen
