// The story pictures: full-screen backgrounds, framed pictures, the street
// (its hit map is a fixture) and the animation strip.
#include <algorithm>
#include <cmath>

#include "datagen/art/scenes.h"
#include "datagen/fixtures/canvas.h"
#include "datagen/fixtures/demo_layout.h"
#include "datagen/fixtures/quantize.h"

namespace velmor::datagen {

namespace {

constexpr Color kWhite = 0xFFFFFF;

Inside RotatedEllipse(Vec c, double rx, double ry, double angle) {
  const double ca = std::cos(angle), sa = std::sin(angle);
  return [=](double x, double y) {
    const double dx = x - c.x, dy = y - c.y;
    const double u = (dx * ca + dy * sa) / rx, v = (-dx * sa + dy * ca) / ry;
    return u * u + v * v <= 1;
  };
}

// Everything below the curve y = top(x).
template <typename F>
Inside Below(F top) {
  return [top](double x, double y) { return y >= top(x); };
}

// Scattered stars: single pixels of varying brightness, a few with a glint.
void Stars(Bitmap& img, Random& rng, int count, Box area, double bright) {
  for (int i = 0; i < count; ++i) {
    const int x = rng.Int(area.x0, area.x1 - 1), y = rng.Int(area.y0, area.y1 - 1);
    const double b = bright * rng.Uniform(0.25, 1.0);
    img.set(x, y, Mix(img.at(x, y), 0xFFFFF4, b));
    if (rng.Uniform() < 0.06) {
      for (int d = 1; d <= 2; ++d) {
        const double k = b * (d == 1 ? 0.55 : 0.25);
        for (auto [dx, dy] : {std::pair{d, 0}, {-d, 0}, {0, d}, {0, -d}})
          if (Contains(img, x + dx, y + dy)) img.set(x + dx, y + dy, Mix(img.at(x + dx, y + dy), 0xFFFFF4, k));
      }
    }
  }
}

// A moon disc with soft grey seas on it.
void FullMoon(Bitmap& img, Vec c, double r, Color light) {
  FillShape(img, BoxAround(c, r), Circle(c, r), [&](double x, double y) {
    const double n = Fractal((x - c.x) / r * 2.2 + 5, (y - c.y) / r * 2.2 + 5, 41, 3);
    const double sea = Smoothstep(0.5, 0.62, n);
    const double edge = Clamp01(std::hypot(x - c.x, y - c.y) / r);
    return Scale(Mix(light, Scale(light, 0.86), sea), 1.0 - 0.08 * edge * edge);
  });
}

void Bird(Bitmap& img, Vec c, double span, Color color) {
  Inside bird = Union({Capsule({c.x - span, c.y - span * 0.45}, {c.x - span * 0.4, c.y - span * 0.1}, 0.75),
                       Capsule({c.x - span * 0.4, c.y - span * 0.1}, c, 0.75),
                       Capsule(c, {c.x + span * 0.4, c.y - span * 0.1}, 0.75),
                       Capsule({c.x + span * 0.4, c.y - span * 0.1}, {c.x + span, c.y - span * 0.45}, 0.75)});
  FillShape(img, BoxAround(c, span + 2), bird, color);
}

}  // namespace

// A sun half sunk into a calm sea; islands on the left, streaks of cloud,
// the sun's path broken into ripples.
Bitmap SunsetSea() {
  Bitmap img(640, 480);
  const double horizon = 300;
  const Vec sun{404, 296};
  FillBox(img, {0, 0, 640, 300}, [](double, double y) {
    return Ramp({{0, 0x1B1A4A}, {0.35, 0x4E3A7C}, {0.68, 0xC8607A}, {0.88, 0xF39A5E}, {1, 0xFFD68E}},
                y / 300);
  });
  Glow(img, sun, 0, 280, 0xFFB878, 0.5);
  FillShape(img, {340, 240, 470, 300}, Circle(sun, 42), [&](double, double y) {
    return Mix(0xFFF6D2, 0xFFC878, Clamp01((y - (sun.y - 42)) / 60));
  });
  // Long thin clouds lit from below.
  Random rng(11);
  for (int i = 0; i < 9; ++i) {
    const Vec c{rng.Uniform(-40, 680), rng.Uniform(60, 250)};
    const double rx = rng.Uniform(60, 150), ry = rng.Uniform(3, 7);
    const double lit = Clamp01((c.y - 60) / 200);
    // A long streak with a thicker knot or two along it.
    const Inside cloud = Union({Ellipse(c, rx, ry), Ellipse({c.x - rx * 0.3, c.y - ry * 0.6}, rx * 0.35, ry * 1.3),
                                Ellipse({c.x + rx * 0.25, c.y - ry * 0.3}, rx * 0.45, ry * 1.1)});
    FillShape(img, BoxAround(c, rx), cloud, [&](double x, double y) {
      const double wisp = 0.85 + 0.3 * Noise(x / 18, y / 3, 6);
      return Scale(Mix(Mix(0x4A2E62, 0x8A4A70, lit), Mix(0xD07A7A, 0xFFC08A, lit),
                       Clamp01((y - c.y + ry * 1.8) / (2.8 * ry))), wisp);
    }, 4, 0.8);
  }
  for (auto [x, y, s] : {std::tuple{170.0, 120.0, 6.0}, {188.0, 132.0, 5.0}, {206.0, 114.0, 4.5}, {520.0, 150.0, 4.0}})
    Bird(img, {x, y}, s, 0x2A1E3A);
  // The sea, its ripples shrinking towards the horizon.
  FillBox(img, {0, 300, 640, 480}, [&](double x, double y) {
    const double d = y - horizon;
    const double depth = 220.0 / (d + 3.0);
    const double wx = (x - 320) / (d + 3.0) * 9.0, wz = depth * 1.6;
    const double ripple = Noise(wx * 0.8, wz * 2.5, 3) * 0.6 + Noise(wx * 2.1, wz * 6.0, 4) * 0.4;
    Color c = Ramp({{0, 0xD8826E}, {0.12, 0xA05C78}, {0.45, 0x4C3A6C}, {1, 0x1A1C42}}, d / 180);
    c = Scale(c, 0.9 + 0.22 * ripple);
    const double width = 26 + d * 0.9;
    const double column = 1 - Smoothstep(width * 0.25, width, std::fabs(x - sun.x));
    const double glitter = Smoothstep(0.5, 0.72, ripple) * column * (1 - d / 260);
    return Mix(c, 0xFFE2A8, Clamp01(glitter));
  });
  for (int x = 0; x < 640; ++x)
    img.set(x, 300, Mix(img.at(x, 300), 0xFFE0A0, 0.5 * std::exp(-std::pow((x - sun.x) / 140, 2))));
  // Islands on the horizon.
  auto island = [](double x) {
    return 300 - (34 * std::exp(-std::pow((x - 100) / 60, 2)) + 16 * std::exp(-std::pow((x - 190) / 36, 2)) +
                  3 * std::sin(x / 5.0) * std::exp(-std::pow((x - 120) / 90, 2)));
  };
  FillShape(img, {0, 250, 300, 301}, [&](double x, double y) { return y >= island(x) && y < 300; },
            0x2C2040);
  return img;
}

// A city at night under a crescent moon; its lights shiver in the river.
Bitmap NightCity() {
  Bitmap img(640, 480);
  const double quay = 432;
  FillBox(img, {0, 0, 640, 480}, [](double, double y) {
    return Ramp({{0, 0x060920}, {0.55, 0x141A4A}, {0.85, 0x36306C}, {1, 0x5C3E70}}, y / 380);
  });
  Random rng(2);
  Stars(img, rng, 260, {0, 0, 640, 300}, 0.9);
  const Vec moon{524, 84};
  Glow(img, moon, 20, 120, 0x8890C8, 0.3);
  FillShape(img, BoxAround(moon, 32), Minus(Circle(moon, 30), Circle({moon.x - 13, moon.y - 7}, 26)), 0xF6F0CE);

  // Far towers, hazy.
  for (double x = -10; x < 650;) {
    const double w = rng.Uniform(26, 60), top = rng.Uniform(210, 320);
    FillRect(img, static_cast<int>(x), static_cast<int>(top), static_cast<int>(x + w), static_cast<int>(quay),
             0x1E2452);
    if (rng.Uniform() < 0.3)
      FillRect(img, static_cast<int>(x + w / 2), static_cast<int>(top - 14), static_cast<int>(x + w / 2 + 1),
               static_cast<int>(top), 0x1E2452);
    x += w + rng.Uniform(-6, 4);
  }
  // The tall tower with its warning light.
  FillRect(img, 296, 150, 336, 432, 0x10122C);
  FillShape(img, {290, 100, 342, 152}, Polygon({{296, 150}, {316, 112}, {336, 150}}), 0x10122C);
  FillRect(img, 315, 84, 317, 114, 0x10122C);
  Glow(img, {316, 84}, 1, 14, 0xFF4040, 0.8);
  // Near buildings with windows.
  for (double x = -20; x < 660;) {
    const double w = rng.Uniform(40, 92), top = rng.Uniform(250, 380);
    if (x + w > 290 && x < 342) {  // leave the tower standing clear
      x = 342;
      continue;
    }
    const int x0 = static_cast<int>(x), x1 = static_cast<int>(x + w), y0 = static_cast<int>(top);
    FillRect(img, x0, y0, x1, static_cast<int>(quay), 0x0C0E22);
    FillRect(img, x0, y0, x1, y0 + 2, 0x1A1D3C);
    for (int wy = y0 + 10; wy + 7 < quay - 6; wy += 13)
      for (int wx = x0 + 6; wx + 5 < x1 - 4; wx += 10) {
        const double r = rng.Uniform();
        const Color lit = r < 0.22 ? 0xF4D07A : r < 0.30 ? 0xE8A860 : r < 0.36 ? 0xA8D0F0 : 0x181C3A;
        FillRect(img, wx, wy, wx + 5, wy + 7, lit);
      }
    x += w + rng.Uniform(2, 10);
  }
  for (int wy = 160; wy < 420; wy += 14)
    for (int wx = 302; wx < 330; wx += 9)
      if (rng.Uniform() < 0.4) FillRect(img, wx, wy, wx + 4, wy + 6, 0xF4D07A);
  FillRect(img, 0, static_cast<int>(quay) - 2, 640, static_cast<int>(quay), 0x2A2C4A);
  // The river mirrors what stands above it, broken by ripples.
  for (int y = static_cast<int>(quay); y < 480; ++y) {
    const double d = y - quay;
    for (int x = 0; x < 640; ++x) {
      const double wobble = 3.0 * std::sin(d * 0.9 + x * 0.045) + 2.0 * (Noise(x / 7.0, d / 1.6, 9) - 0.5);
      const int sx = std::clamp(static_cast<int>(x + wobble), 0, 639);
      const int sy = std::clamp(static_cast<int>(quay - 3 - d * 2.2), 0, 479);
      img.set(x, y, Mix(Scale(img.at(sx, sy), 0.55), 0x080A1E, Clamp01(d / 90)));
    }
  }
  Palettise(img, 256, 0.6);
  return img;
}

// Three white clouds of round puffs on a flat base.
void Clouds(Bitmap& img, Random& rng) {
  for (Vec c : {Vec{150, 90}, Vec{400, 60}, Vec{560, 130}}) {
    std::vector<Inside> puffs;
    double low = c.y, left = c.x, right = c.x;
    for (int i = 0; i < 7; ++i) {
      const double r = rng.Uniform(16, 30);
      const Vec p{c.x + rng.Uniform(-60, 60), c.y + rng.Uniform(-10, 8)};
      low = std::max(low, p.y + r * 0.5);
      left = std::min(left, p.x - r * 0.8);
      right = std::max(right, p.x + r * 0.8);
      puffs.push_back(Circle(p, r));
    }
    puffs.push_back(Ellipse({(left + right) / 2, low - 8}, (right - left) / 2, 10));
    const Inside cloud = Union(puffs);
    FillShape(img, {static_cast<int>(c.x) - 120, static_cast<int>(c.y) - 60, static_cast<int>(c.x) + 120,
                    static_cast<int>(low) + 4},
              [&](double x, double y) { return cloud(x, y) && y < low; },
              [&](double, double y) { return Mix(kWhite, 0xC4D4EA, Smoothstep(c.y - 10, low, y)); });
  }
}

// The tree: a shadow, a trunk with two limbs and a rounded crown.
void BigTree(Bitmap& img, Random& rng) {
  FillShape(img, {430, 380, 620, 430}, Ellipse({528, 408}, 80, 12), 0x3F7A34, 4, 0.7);
  FillShape(img, {490, 200, 570, 420},
            Union({Polygon({{510, 412}, {516, 260}, {530, 260}, {542, 412}}),
                   Capsule({522, 300}, {488, 246}, 5), Capsule({526, 290}, {566, 238}, 5)}),
            [](double x, double) { return Mix(0x6A4A32, 0x4A3222, Smoothstep(512, 540, x)); });
  std::vector<Inside> crown;
  std::vector<Vec> blobs;
  for (int i = 0; i < 11; ++i) {
    const double a = i * 2 * kPi / 11;
    blobs.push_back({526 + 62 * std::cos(a) * rng.Uniform(0.6, 1.0), 212 + 44 * std::sin(a) * rng.Uniform(0.6, 1.0)});
    crown.push_back(Circle(blobs.back(), rng.Uniform(30, 42)));
  }
  crown.push_back(Circle({526, 212}, 50));
  FillShape(img, {420, 120, 640, 300}, Union(crown), [](double x, double y) {
    const double light = Clamp01(0.5 - (x - 526) / 160 - (y - 212) / 120);
    const double leaf = Fractal(x / 6, y / 6, 21, 3);
    return Mix(0x2E6428, 0x7CBC50, Clamp01(light * 0.8 + (leaf - 0.5) * 0.7));
  });
}

// Green hills on a bright day, a path winding away and a big tree.
Bitmap Countryside() {
  Bitmap img(640, 480);
  FillBox(img, {0, 0, 640, 480}, [](double, double y) {
    return Ramp({{0, 0x4F94DC}, {0.6, 0x94C6F0}, {1, 0xDDEFFA}}, y / 280);
  });
  Glow(img, {90, 60}, 10, 200, 0xFFF8E0, 0.45);
  Random rng(7);
  Clouds(img, rng);
  // Far mountains and three layers of hills.
  auto mountains = [](double x) { return 236 - 46 * Fractal(x / 120, 0.5, 5, 4); };
  FillShape(img, {0, 180, 640, 480}, Below(mountains), [](double, double y) {
    return Mix(0x8AA8CC, 0xA8C4DC, Smoothstep(200, 260, y));
  });
  struct Hill {
    double base, a1, f1, p1, a2, f2;
    Color color;
  };
  const Hill hills[] = {{266, 12, 70, 1.0, 7, 31, 0x93C872},
                        {306, 20, 110, 2.3, 6, 41, 0x72B058},
                        {372, 26, 150, 0.6, 8, 53, 0x559A44}};
  for (const Hill& h : hills) {
    auto top = [h](double x) { return h.base + h.a1 * std::sin(x / h.f1 + h.p1) + h.a2 * std::sin(x / h.f2); };
    FillShape(img, {0, static_cast<int>(h.base - 40), 640, 480}, Below(top), [&](double x, double y) {
      const double t = Fractal(x / 14, y / 6, static_cast<uint32_t>(h.base), 3);
      const double rim = 1 - Smoothstep(0, 6, y - top(x));
      return AddLight(Scale(h.color, 0.9 + 0.16 * t), 0xFFFFE0, 0.12 * rim);
    });
  }
  // The path, narrowing as it winds towards the hills.
  auto path_centre = [](double y) { return 330 + (y - 300) * 0.35 + 36 * std::sin((y - 300) / 46); };
  auto path_half = [](double y) { return 2 + (y - 300) * 0.5; };
  FillShape(img, {0, 300, 640, 480},
            [&](double x, double y) { return y >= 300 && std::fabs(x - path_centre(y)) <= path_half(y); },
            [&](double x, double y) {
              const double e = std::fabs(x - path_centre(y)) / path_half(y);
              const Color c = Mix(0xE2CC98, 0xB89C6C, Smoothstep(0.6, 1.0, e));
              return Scale(c, 0.94 + 0.1 * Noise(x / 3, y / 2, 8));
            });
  BigTree(img, rng);
  // Flowers in the grass nearest to us.
  for (int i = 0; i < 160; ++i) {
    const Vec p{rng.Uniform(0, 640), rng.Uniform(410, 478)};
    if (std::fabs(p.x - path_centre(p.y)) < path_half(p.y) + 4) continue;
    const Color colors[] = {0xFFFFFF, 0xFFE060, 0xF4A0C0, 0xE8E0FF};
    FillShape(img, BoxAround(p, 3), Circle(p, rng.Uniform(1.0, 1.9)), colors[rng.Int(0, 3)]);
  }
  Palettise(img, 256, 0.5);
  return img;
}

// The clickable things of the street, by their region number.
RegionRect StreetRect(int region) { return kStreetRegions[region - 1]; }

// A window's or a door's frame: the wood, and a shadow under its top bar.
void Frame(Bitmap& img, const RegionRect& r, Color wood, int t) {
  FillRect(img, r.left, r.top, r.right, r.bottom, wood);
  FillRect(img, r.left + t - 1, r.top + t - 1, r.right - t + 1, r.top + t, Scale(wood, 0.7));
}

// A pane of glass lit from within, `top` to `bottom`.
void Glass(Bitmap& img, int x0, int y0, int x1, int y1, Color top, Color bottom) {
  FillBox(img, {x0, y0, x1, y1}, [&](double, double y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); });
}

// The dusk sky with its stars and the moon.
void StreetSky(Bitmap& img, Random& rng) {
  FillBox(img, {0, 0, 640, 420}, [](double, double y) {
    return Ramp({{0, 0x22244E}, {0.55, 0x5A4478}, {1, 0xC88078}}, y / 150);
  });
  Stars(img, rng, 40, {0, 0, 640, 60}, 0.7);
  {
    const RegionRect m = StreetRect(15);
    const Vec c{(m.left + m.right) / 2.0, (m.top + m.bottom) / 2.0};
    Glow(img, c, 24, 80, 0xE8D8B0, 0.25);
    FullMoon(img, c, 25.5, 0xF6F0D2);
  }
}

// The three shop fronts: brick, plaster and boards, with their cornices.
void ShopFronts(Bitmap& img) {
  // The bakery: brick.
  FillBox(img, {12, 96, 214, 420}, [](double x, double y) {
    const int row = static_cast<int>(y - 96) / 8;
    const double bx = std::fmod(x + (row % 2) * 10, 20.0), by = std::fmod(y - 96, 8.0);
    const bool mortar = bx < 1 || by < 1;
    const double n = Noise(std::floor((x + (row % 2) * 10) / 20), row, 13);
    return mortar ? Color{0x7A5048} : Scale(0x9C5A44, 0.88 + 0.2 * n);
  });
  FillRect(img, 8, 88, 218, 98, 0x5E3428);
  // The cafe: plaster.
  FillBox(img, {222, 56, 418, 420}, [](double x, double y) {
    return Scale(0xD8C8A8, 0.93 + 0.1 * Fractal(x / 9, y / 9, 14, 3));
  });
  FillRect(img, 218, 48, 422, 58, 0x9A8464);
  // The bookshop: teal boards.
  FillBox(img, {426, 110, 628, 420}, [](double x, double y) {
    const bool seam = std::fmod(y - 110, 10.0) < 1;
    return seam ? Color{0x2C4E52} : Scale(0x3F6A6E, 0.94 + 0.1 * Noise(x / 40, (y - 110) / 10, 15));
  });
  FillRect(img, 422, 102, 632, 112, 0x2A3E44);
  FillRect(img, 214, 96, 222, 420, 0x1A1626);
  FillRect(img, 418, 110, 426, 420, 0x1A1626);

}

void UpstairsWindows(Bitmap& img) {
  // Upstairs windows with cross bars; the bakery's are lit.
  for (int region : {3, 4, 7, 8}) {
    const RegionRect r = StreetRect(region);
    const bool cafe = region >= 7;
    Frame(img, r, cafe ? 0xF0EAD8 : 0xE6D8BC, 5);
    const bool lit = region != 7;
    Glass(img, r.left + 5, r.top + 5, r.right - 5, r.bottom - (cafe ? 14 : 5), lit ? 0xF8E0A0 : 0x46507E,
          lit ? 0xE8A860 : 0x7A6A90);
    const int mx = (r.left + r.right) / 2;
    FillRect(img, mx - 1, r.top + 5, mx + 2, r.bottom - 5, cafe ? 0xF0EAD8 : 0xE6D8BC);
    const int my = (r.top + r.bottom - (cafe ? 9 : 0)) / 2;
    FillRect(img, r.left + 5, my - 1, r.right - 5, my + 2, cafe ? 0xF0EAD8 : 0xE6D8BC);
    if (cafe) {  // a flower box along the bottom
      FillRect(img, r.left + 2, r.bottom - 12, r.right - 2, r.bottom - 2, 0x7A4A2E);
      for (int i = 0; i < 7; ++i) {
        const Vec p{r.left + 8.0 + i * 7.5, r.bottom - 13.0};
        FillShape(img, BoxAround(p, 4), Circle(p, 3.2), i % 2 ? 0xE83A50 : 0xF4E060);
      }
    }
    if (lit) Glow(img, {mx + 0.5, (r.top + r.bottom) / 2.0}, 10, 60, 0xF8D890, 0.08);
  }
}

void BakerySign(Bitmap& img) {
  // The bakery's signboard with a loaf painted on it.
  {
    const RegionRect r = StreetRect(5);
    FillShape(img, {r.left, r.top, r.right, r.bottom}, RoundRect(r.left, r.top, r.right, r.bottom, 6), 0xC8A050);
    FillShape(img, {r.left, r.top, r.right, r.bottom},
              RoundRect(r.left + 3, r.top + 3, r.right - 3, r.bottom - 3, 4), 0x6A3C22);
    const Vec c{(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0 + 1};
    FillShape(img, BoxAround(c, 30), Ellipse(c, 26, 11), [&](double, double y) {
      return Mix(0xF0C070, 0xB8783A, Clamp01((y - c.y + 11) / 22));
    });
    for (int i = -1; i <= 1; ++i)
      FillShape(img, BoxAround({c.x + i * 11, c.y}, 8),
                Capsule({c.x + i * 11 - 4, c.y + 5}, {c.x + i * 11 + 4, c.y - 5}, 1.1), 0x8A5228);
    for (double sx : {r.left + 22.0, r.right - 22.0})
      FillShape(img, BoxAround({sx, c.y}, 8), Polygon(StarPoints({sx, c.y}, 6, 2.4, 4, -kPi / 2)), 0xE8C870);
  }
}

void CafeAwning(Bitmap& img) {
  // The cafe's striped awning with a scalloped edge.
  {
    const RegionRect r = StreetRect(9);
    const double hem = r.bottom - 8;
    FillShape(img, {r.left, r.top, r.right, r.bottom}, [&](double x, double y) {
      if (y < hem) return true;
      const double s = std::fmod(x - r.left, 14.0) - 7;
      return (s * s + (y - hem) * (y - hem) * 1.0) <= 49.0;
    }, [&](double x, double y) {
      const bool red = static_cast<int>((x - r.left) / 14) % 2 == 0;
      const Color c = red ? 0xC8323C : 0xF4EEE2;
      return Scale(c, 0.78 + 0.22 * Clamp01((y - r.top) / (hem - r.top)));
    });
    FillRect(img, r.left, r.top, r.right, r.top + 3, 0x7A2028);
  }
}

void Doors(Bitmap& img) {
  // Doors.
  {
    const RegionRect r = StreetRect(1);  // bakery: panelled wood, a lit pane
    Frame(img, r, 0x4A2A18, 4);
    FillRect(img, r.left + 4, r.top + 4, r.right - 4, r.bottom, 0x7A4426);
    Glass(img, r.left + 10, r.top + 10, r.right - 10, r.top + 46, 0xF8E0A0, 0xE8A860);
    for (int py : {r.top + 54, r.top + 86})
      FillRect(img, r.left + 10, py, r.right - 10, py + 26, 0x62361E);
    FillShape(img, BoxAround({r.right - 12.0, r.top + 62.0}, 4), Circle({r.right - 12.0, r.top + 62.0}, 3), 0xE8C060);
  }
  {
    const RegionRect r = StreetRect(6);  // cafe: glass door in a teal frame
    Frame(img, r, 0x2F6E6A, 5);
    Glass(img, r.left + 6, r.top + 6, r.right - 6, r.bottom - 10, 0xF8E2A8, 0xE0A060);
    FillRect(img, r.left + 6, r.bottom - 10, r.right - 6, r.bottom, 0x2F6E6A);
    FillRect(img, r.left + 14, r.top + 40, r.right - 14, r.top + 56, 0x2A2A2A);  // the hanging card
    FillRect(img, r.left + 16, r.top + 42, r.right - 16, r.top + 54, 0xF4F0E4);
    FillRect(img, r.left + 20, r.top + 47, r.right - 20, r.top + 49, 0xC8323C);
    FillRect(img, r.left + 10, r.top + 64, r.left + 14, r.top + 90, 0xD8D0B0);  // handle
  }
  {
    const RegionRect r = StreetRect(10);  // bookshop: dark blue door, arched pane
    FillRect(img, r.left, r.top, r.right, r.bottom, 0x1E2A50);
    FillRect(img, r.left + 4, r.top + 4, r.right - 4, r.bottom, 0x2E3E70);
    const double cx = (r.left + r.right) / 2.0;
    FillShape(img, {r.left, r.top, r.right, r.bottom},
              [&](double x, double y) {
                return y < r.top + 50 && y > r.top + 10 &&
                       (y > r.top + 26 ? std::fabs(x - cx) < 16 : std::hypot(x - cx, y - (r.top + 26)) < 16);
              },
              [&](double, double y) { return Mix(0xF8E0A0, 0xE8A860, (y - r.top) / 50); });
    FillRect(img, static_cast<int>(cx) - 1, r.top + 10, static_cast<int>(cx) + 1, r.top + 50, 0x2E3E70);
    FillRect(img, r.left + 10, r.top + 60, r.right - 10, r.bottom - 10, 0x26345E);
    FillShape(img, BoxAround({r.left + 10.0, r.top + 72.0}, 4), Circle({r.left + 10.0, r.top + 72.0}, 3), 0xE8C060);
  }
}

void ShopWindows(Bitmap& img, Random& rng) {
  // Shop windows: loaves on shelves, and stacks of books.
  {
    const RegionRect r = StreetRect(2);
    Frame(img, r, 0x4A2A18, 5);
    Glass(img, r.left + 5, r.top + 5, r.right - 5, r.bottom - 5, 0xFAE6B0, 0xE8A860);
    for (int shelf = 0; shelf < 2; ++shelf) {
      const int sy = r.top + 36 + shelf * 34;
      FillRect(img, r.left + 5, sy, r.right - 5, sy + 3, 0x6A3C22);
      for (int i = 0; i < 4; ++i) {
        const Vec c{r.left + 19.0 + i * 17, sy - 6.0};
        FillShape(img, BoxAround(c, 9), Ellipse(c, 7.5, 5.5), [&](double, double y) {
          return Mix(0xE8B060, 0xA8642E, Clamp01((y - c.y + 5) / 10));
        });
      }
    }
  }
  {
    const RegionRect r = StreetRect(11);
    Frame(img, r, 0xE6DCC4, 5);
    Glass(img, r.left + 5, r.top + 5, r.right - 5, r.bottom - 5, 0xF6E2B0, 0xD8A060);
    const Color spines[] = {0xB83A3A, 0x3A6AB8, 0x3A8A5A, 0xD8B040, 0x7A4A9A, 0xE07030};
    for (int shelf = 0; shelf < 2; ++shelf) {
      const int base = r.top + 38 + shelf * 36;
      FillRect(img, r.left + 5, base, r.right - 5, base + 3, 0x6A4A30);
      int x = r.left + 8;
      while (x < r.right - 12) {
        const int w = rng.Int(4, 7), h = rng.Int(18, 28);
        FillRect(img, x, base - h, x + w, base, spines[rng.Int(0, 5)]);
        FillRect(img, x, base - h + 4, x + w, base - h + 5, 0xF0E0B0);
        x += w + 1;
      }
    }
  }
}

void AtticWindow(Bitmap& img) {
  // The round attic window.
  {
    const RegionRect r = StreetRect(12);
    const Vec c{(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0};
    const double rad = (r.right - r.left) / 2.0;
    FillShape(img, {r.left, r.top, r.right, r.bottom}, Circle(c, rad), 0xE6DCC4);
    FillShape(img, {r.left, r.top, r.right, r.bottom}, Circle(c, rad - 6),
              [&](double, double y) { return Mix(0xF8E0A0, 0xE0A060, (y - r.top) / (r.bottom - r.top)); });
    FillRect(img, static_cast<int>(c.x) - 1, r.top + 6, static_cast<int>(c.x) + 2, r.bottom - 6, 0xE6DCC4);
    FillRect(img, r.left + 6, static_cast<int>(c.y) - 1, r.right - 6, static_cast<int>(c.y) + 2, 0xE6DCC4);
  }
}

// The pavement, the kerb, the light of the shops on it, and a street lamp
// in the alley between the bakery and the cafe.
void Pavement(Bitmap& img) {
  // The pavement and the kerb.
  FillBox(img, {0, 418, 640, 480}, [](double x, double y) {
    if (y >= 466) return y < 470 ? Color{0x8A8694} : Color{0x34323E};
    const bool joint = std::fmod(x + (static_cast<int>(y - 418) / 16) * 17, 34.0) < 1 || std::fmod(y - 418, 16.0) < 1;
    return joint ? Color{0x4E4A58} : Scale(0x6E6A78, 0.92 + 0.12 * Noise(x / 20, y / 10, 16));
  });
  for (int region : {1, 2, 6, 10, 11}) {
    const RegionRect r = StreetRect(region);
    Glow(img, {(r.left + r.right) / 2.0, 424}, 4, 46, 0xF0C880, 0.25);
  }
  // A street lamp in the alley between the bakery and the cafe.
  FillRect(img, 216, 180, 220, 428, 0x26222E);
  FillRect(img, 212, 424, 224, 430, 0x26222E);
  FillShape(img, {204, 160, 234, 190}, Polygon({{209, 170}, {227, 170}, {223, 182}, {213, 182}}), 0x26222E);
  FillRect(img, 212, 172, 224, 180, 0xFFF0B8);
  Glow(img, {218, 178}, 4, 70, 0xFFE8A8, 0.35);
}

void PostBox(Bitmap& img) {
  // The post box: a red pillar with a domed cap.
  {
    const RegionRect r = StreetRect(13);
    const double cx = (r.left + r.right) / 2.0;
    FillShape(img, {r.left, r.top, r.right, r.bottom},
              Union({RoundRect(r.left + 1, r.top + 6, r.right - 1, r.bottom - 4, 2),
                     Ellipse({cx, r.top + 9.0}, (r.right - r.left) / 2.0, 9)}),
              [&](double x, double) { return Mix(0xE03A38, 0x9A1820, Smoothstep(r.left, r.right, x)); });
    FillRect(img, r.left, r.top + 14, r.right, r.top + 17, 0x7A1018);
    FillRect(img, r.left + 6, r.top + 24, r.right - 6, r.top + 27, 0x1A1014);
    FillRect(img, r.left, r.bottom - 4, r.right, r.bottom, 0x1A1014);
  }
}

void Cat(Bitmap& img) {
  // A black cat sitting on the pavement, looking left.
  {
    const RegionRect r = StreetRect(14);
    const Color fur = 0x16121C;
    Inside cat = Union({Ellipse({r.left + 28.0, r.top + 26.0}, 12, 14), Circle({r.left + 16.0, r.top + 12.0}, 8),
                        Polygon({{r.left + 9.0, r.top + 9.0}, {r.left + 10.0, r.top + 0.5}, {r.left + 15.0, r.top + 5.0}}),
                        Polygon({{r.left + 17.0, r.top + 5.0}, {r.left + 22.0, r.top + 0.5}, {r.left + 23.0, r.top + 9.0}}),
                        Capsule({r.left + 38.0, r.top + 36.0}, {r.left + 46.0, r.top + 32.0}, 2.2),
                        Capsule({r.left + 46.0, r.top + 32.0}, {r.left + 47.0, r.top + 20.0}, 2.2)});
    FillShape(img, {r.left, r.top, r.right, r.bottom}, [&](double x, double y) { return cat(x, y) && y < r.bottom - 0.5; },
              fur);
    for (double ex : {r.left + 12.5, r.left + 18.5})
      FillShape(img, BoxAround({ex, r.top + 11.0}, 2), Ellipse({ex, r.top + 11.0}, 1.5, 1.0), 0xE8D848);
  }
}

// A street of three shops at dusk. Every clickable thing fills exactly its
// rectangle of kStreetRegions.
Bitmap Street() {
  Bitmap img(640, 480);
  Random rng(5);
  StreetSky(img, rng);
  ShopFronts(img);
  UpstairsWindows(img);
  BakerySign(img);
  CafeAwning(img);
  Doors(img);
  ShopWindows(img, rng);
  AtticWindow(img);
  Pavement(img);
  PostBox(img);
  Cat(img);
  return img;
}

// A cherry tree in full bloom against a pale spring sky, petals drifting.
Bitmap CherryTree() {
  Bitmap img(496, 464);
  FillBox(img, {0, 0, 496, 464}, [](double, double y) {
    return Ramp({{0, 0x9CC8EC}, {0.55, 0xD2E4F4}, {1, 0xF8E6EE}}, y / 464);
  });
  FillShape(img, {0, 330, 496, 464}, Below([](double x) { return 384 - 22 * std::sin(x / 90 + 0.8); }),
            [](double, double y) { return Mix(0xB8D4C0, 0x9CC290, Smoothstep(360, 440, y)); });
  FillShape(img, {0, 400, 496, 464}, Below([](double x) { return 428 + 8 * std::sin(x / 60); }),
            [](double x, double y) { return Scale(0x8CBC78, 0.94 + 0.1 * Noise(x / 5, y / 3, 31)); });

  struct Limb {
    Vec a, b;
    double r;
  };
  std::vector<Limb> limbs;
  std::vector<Vec> tips;
  Random rng(3);
  auto grow = [&](auto&& self, Vec p, double angle, double length, double width, int depth) -> void {
    const Vec q{p.x + length * std::cos(angle), p.y + length * std::sin(angle)};
    limbs.push_back({p, q, width});
    if (depth == 0) {
      tips.push_back(q);
      return;
    }
    const int children = depth > 3 ? 2 : rng.Int(2, 3);
    for (int i = 0; i < children; ++i) {
      const double spread = (i - (children - 1) / 2.0) * rng.Uniform(0.45, 0.7);
      // One draw after the other, in the order the pictures were first made
      // with (arguments alone would leave it to the compiler).
      const double shorter = rng.Uniform(0.68, 0.82);
      const double bend = rng.Uniform(-0.15, 0.15);
      self(self, q, angle + spread + bend, length * shorter, width * 0.68, depth - 1);
    }
  };
  grow(grow, {170, 470}, -1.42, 108, 13, 6);
  for (const Limb& l : limbs)
    FillShape(img, BoxAround({(l.a.x + l.b.x) / 2, (l.a.y + l.b.y) / 2},
                             std::hypot(l.b.x - l.a.x, l.b.y - l.a.y) / 2 + l.r + 2),
              Capsule(l.a, l.b, l.r), [&](double x, double) {
                return Mix(0x5A3A38, 0x3A2428, Clamp01((x - l.a.x) / (l.r * 2) + 0.5));
              });
  const Color pinks[] = {0xF6C0D0, 0xF9D6E0, 0xEC9AB4, 0xFCE4EC};
  for (const Vec& t : tips) {
    for (int i = 0; i < 7; ++i) {
      const Vec c{t.x + rng.Uniform(-16, 16), t.y + rng.Uniform(-14, 12)};
      const double r = rng.Uniform(6, 13);
      FillShape(img, BoxAround(c, r), Circle(c, r), pinks[rng.Int(0, 3)], 4, 0.85);
    }
    for (int i = 0; i < 4; ++i) {
      const Vec c{t.x + rng.Uniform(-18, 18), t.y + rng.Uniform(-16, 14)};
      std::vector<Inside> petals;
      for (int k = 0; k < 5; ++k) {
        const double a = k * 2 * kPi / 5 + rng.Uniform(0, 1);
        petals.push_back(Circle({c.x + 2.6 * std::cos(a), c.y + 2.6 * std::sin(a)}, 2.2));
      }
      FillShape(img, BoxAround(c, 6), Union(petals), 0xFFF0F4);
      FillShape(img, BoxAround(c, 2), Circle(c, 1.1), 0xD8607A);
    }
  }
  for (int i = 0; i < 70; ++i) {
    const Vec c{rng.Uniform(0, 496), rng.Uniform(0, 464)};
    const double a = rng.Uniform(0, kPi);
    FillShape(img, BoxAround(c, 5), RotatedEllipse(c, 3.6, 1.8, a), pinks[rng.Int(0, 3)], 4, 0.9);
  }
  return img;
}

// A lighthouse on a cliff just after sunset, its beam sweeping the sea.
Bitmap Lighthouse() {
  Bitmap img(496, 464);
  const double horizon = 300;
  FillBox(img, {0, 0, 496, 464}, [&](double, double y) {
    return Ramp({{0, 0x18244A}, {0.45, 0x464878}, {0.85, 0xD88C7C}, {1, 0xF4BC84}}, y / horizon);
  });
  Random rng(8);
  Stars(img, rng, 70, {0, 0, 496, 140}, 0.8);
  FillBox(img, {0, 300, 496, 464}, [&](double x, double y) {
    const double d = y - horizon;
    const double ripple = Noise(x / (10 + d * 0.4), d / (1.5 + d * 0.06), 12);
    Color c = Ramp({{0, 0x8A6A80}, {0.25, 0x3E4674}, {1, 0x161E3C}}, d / 164);
    return Mix(c, 0xF0B490, Smoothstep(0.62, 0.8, ripple) * 0.5 * (1 - d / 200));
  });
  // The beam: a pale wedge from the lamp, fading with distance.
  const Vec lamp{112, 88};
  const double beam_angle = 0.10, beam_half = 0.075;
  FillBox(img, {112, 0, 496, 464}, [&](double x, double y) {
    const double dx = x - lamp.x, dy = y - lamp.y;
    const double a = std::atan2(dy, dx) - beam_angle;
    const double k = (1 - Smoothstep(beam_half * 0.5, beam_half, std::fabs(a))) * std::exp(-std::hypot(dx, dy) / 420);
    return Mix(img.at(static_cast<int>(x), static_cast<int>(y)), 0xFFF2C4, 0.45 * k);
  });
  // The cliff.
  const std::vector<Vec> cliff = {{0, 226},   {50, 222},  {120, 228}, {170, 236}, {204, 256},
                                  {222, 296}, {238, 340}, {252, 400}, {264, 464}, {0, 464}};
  FillShape(img, {0, 200, 280, 464}, Polygon(cliff), [](double x, double y) {
    return Scale(0x1E1A2C, 0.9 + 0.25 * Fractal(x / 12, y / 12, 19, 3));
  });
  for (std::size_t i = 0; i + 5 < cliff.size(); ++i) {  // moonlit rim
    const Vec a = cliff[i], b = cliff[i + 1];
    FillShape(img, BoxAround({(a.x + b.x) / 2, (a.y + b.y) / 2}, std::hypot(b.x - a.x, b.y - a.y) / 2 + 3),
              Capsule(a, b, 1.1), 0x4A4060);
  }
  // Surf at the foot of the cliff.
  for (int i = 0; i < 200; ++i) {
    const double y = rng.Uniform(306, 464);
    const double edge = 222 + (y - 296) * 0.27;
    const Vec p{edge + rng.Uniform(0, 26) * rng.Uniform(0, 1), y};
    FillShape(img, BoxAround(p, 3), Ellipse(p, rng.Uniform(1.5, 4), 0.9), 0xD8D8E8, 4, 0.7);
  }
  // The keeper's cottage.
  FillRect(img, 134, 206, 172, 232, 0xD8D0C8);
  FillShape(img, {128, 184, 178, 208}, Polygon({{130, 207}, {153, 188}, {176, 207}}), 0x5A2830);
  FillRect(img, 146, 214, 156, 224, 0xF8D888);
  // The tower: red and white bands, gallery, lamp room and cap.
  FillShape(img, {88, 96, 136, 232}, Polygon({{94, 230}, {100, 110}, {124, 110}, {130, 230}}),
            [](double x, double y) {
              const bool red = static_cast<int>((230 - y) / 24) % 2 == 1;
              const Color c = red ? 0xC83C3C : 0xEEE8E0;
              return Scale(c, 1.05 - 0.35 * Smoothstep(104, 128, x));
            });
  FillRect(img, 108, 210, 116, 230, 0x2A2030);
  FillRect(img, 96, 100, 128, 110, 0x2A2A38);
  for (int x = 97; x < 128; x += 4) FillRect(img, x, 94, x + 1, 100, 0x2A2A38);
  FillRect(img, 96, 94, 128, 95, 0x2A2A38);
  Glow(img, lamp, 6, 60, 0xFFF0B8, 0.6);
  FillRect(img, 102, 78, 122, 94, 0xFFF4C0);
  FillRect(img, 111, 78, 113, 94, 0x3A3440);
  FillShape(img, {96, 56, 128, 80}, Polygon({{98, 79}, {112, 62}, {126, 79}}), 0x6A2430);
  Palettise(img, 256, 0.5);
  return img;
}

// A cat on the windowsill watching the full moon.
Bitmap WindowCat() {
  Bitmap img(496, 464);
  FillBox(img, {0, 0, 496, 464}, [](double x, double y) {
    const bool stripe = std::fmod(x, 24.0) < 12;
    return Scale(stripe ? Color{0x2C2440} : Color{0x282038}, 0.85 + 0.3 * (1 - y / 464));
  });
  const int wx0 = 96, wy0 = 44, wx1 = 400, wy1 = 330;
  FillBox(img, {wx0, wy0, wx1, wy1},
          [&](double, double y) { return Mix(0x0A1230, 0x2A4278, (y - wy0) / (wy1 - wy0)); });
  Random rng(4);
  Stars(img, rng, 90, {wx0, wy0, wx1, wy1}, 0.9);
  const Vec moon{300, 124};
  Glow(img, moon, 40, 150, 0x8CA0D8, 0.35);
  FullMoon(img, moon, 42, 0xF8F2D8);
  // Window frame and bars.
  const Color wood = 0x6E6478;
  FillRect(img, wx0 - 10, wy0 - 10, wx1 + 10, wy0, wood);
  FillRect(img, wx0 - 10, wy0, wx0, wy1, wood);
  FillRect(img, wx1, wy0, wx1 + 10, wy1, wood);
  FillRect(img, 245, wy0, 251, wy1, wood);
  FillRect(img, wx0, 184, wx1, 190, wood);
  // The sill, lit by the moon.
  FillRect(img, 70, 330, 426, 340, 0x9A90A8);
  FillRect(img, 70, 340, 426, 352, 0x5A5068);
  Glow(img, {300, 334}, 20, 140, 0xA8B4E0, 0.2);
  // The cat, seen from behind, rim-lit on the moon side.
  auto cat_at = [](double ox, double oy) {
    return Union({Ellipse({200 + ox, 292 + oy}, 34, 40), Circle({200 + ox, 238 + oy}, 22),
                  Polygon({{180 + ox, 228 + oy}, {183 + ox, 198 + oy}, {199 + ox, 220 + oy}}),
                  Polygon({{201 + ox, 220 + oy}, {217 + ox, 198 + oy}, {220 + ox, 228 + oy}}),
                  Capsule({226 + ox, 324 + oy}, {258 + ox, 328 + oy}, 5),
                  Capsule({258 + ox, 328 + oy}, {270 + ox, 312 + oy}, 5)});
  };
  const Box cat_box{150, 190, 290, 331};
  auto on_sill = [](const Inside& in) {
    return [in](double x, double y) { return y < 330 && in(x, y); };
  };
  FillShape(img, cat_box, on_sill(cat_at(1.5, -1.5)), 0x7880B0);
  FillShape(img, cat_box, on_sill(cat_at(0, 0)), 0x120E1A);
  // A pot plant at the other end of the sill.
  FillShape(img, {330, 300, 364, 331}, Polygon({{334, 306}, {360, 306}, {356, 330}, {338, 330}}), 0x8A4A3A);
  for (int i = 0; i < 6; ++i) {
    const double a = -kPi / 2 + (i - 2.5) * 0.38;
    const Vec c{347 + 13 * std::cos(a), 300 + 13 * std::sin(a)};
    FillShape(img, BoxAround(c, 10), RotatedEllipse(c, 9, 3.4, a), i % 2 ? 0x2E5A3A : 0x3E7248);
  }
  // Curtains gathered towards the middle of each side.
  for (int side = 0; side < 2; ++side) {
    auto edge = [side](double y) {
      const double pull = 34 * std::sin(kPi * Clamp01(y / 420));
      return side == 0 ? 116 - pull : 380 + pull;
    };
    FillShape(img, {side == 0 ? 30 : 330, 24, side == 0 ? 170 : 470, 420},
              [&](double x, double y) {
                if (y < 28 || y > 410) return false;
                return side == 0 ? (x >= 38 && x < edge(y)) : (x >= edge(y) && x < 458);
              },
              [&](double x, double) {
                const double fold = 0.5 + 0.5 * std::sin(x * 0.3);
                const double near = side == 0 ? Smoothstep(40, 120, x) : 1 - Smoothstep(376, 456, x);
                return Mix(0x4A2240, 0x8E4A70, Clamp01(fold * 0.6 + near * 0.4));
              });
  }
  FillRect(img, 28, 24, 468, 30, 0x8A7040);
  for (double fx : {28.0, 468.0}) FillShape(img, BoxAround({fx, 27}, 7), Circle({fx, 27}, 6), 0xA8884C);
  Palettise(img, 256, 0.4);
  return img;
}

// A faceted gold star turning a fifth of a turn over six frames (so the
// strip loops seamlessly), breathing slightly, with sparkles around it.
// The black cat of the street turning round once on the cafe's awning, in
// six frames of the street itself: the engine shows the frames at (120, 92)
// of the picture, so each is that part of BG04 with the cat drawn on it.
Bitmap CatOnTheAwning() {
  constexpr int kLeft = 120, kTop = 92, kWidth = 256, kHeight = 192;
  const Bitmap street = Street();
  Bitmap img(kWidth, kHeight * 6);
  for (int f = 0; f < 6; ++f) {
    const int top = kHeight * f;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) img.set(x, top + y, street.at(kLeft + x, kTop + y));
    // On the awning's top edge (y 222 of the street), seen turning: its
    // width follows the turn, and it faces the player in the first frame.
    const double turn = std::cos(2 * kPi * f / 6);
    const double squash = std::max(std::abs(turn), 0.25);
    const double cx = 300 - kLeft, base = 222.0 - kTop + top;
    const Color fur = 0x16121C;
    Inside body = Union({Ellipse({cx, base - 15.0}, 12, 15), Circle({cx, base - 34.0}, 9),
                         Polygon({{cx - 9.0, base - 37.0}, {cx - 8.0, base - 47.0}, {cx - 2.0, base - 41.0}}),
                         Polygon({{cx + 2.0, base - 41.0}, {cx + 8.0, base - 47.0}, {cx + 9.0, base - 37.0}}),
                         Capsule({cx + 10.0, base - 3.0}, {cx + 19.0, base - 12.0}, 2.2)});
    const double side = turn < 0 ? -1.0 : 1.0;  // seen from behind, the tail is on the other side
    FillShape(img, {static_cast<int>(cx) - 26, static_cast<int>(base) - 50, static_cast<int>(cx) + 26,
                    static_cast<int>(base)},
              [&](double x, double y) { return body(cx + side * (x - cx) / squash, y); }, fur);
    if (turn > 0.3)  // the eyes, while it looks this way
      for (double ex : {cx - 4.0 * squash, cx + 4.0 * squash})
        FillShape(img, BoxAround({ex, base - 35.0}, 2), Ellipse({ex, base - 35.0}, 1.5 * squash, 1.0),
                  0xE8D848);
  }
  Palettise(img, 256, 0.3);
  return img;
}

}  // namespace velmor::datagen
