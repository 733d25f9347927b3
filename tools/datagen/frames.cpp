// Screen furniture: the black screen, the dissolve mesh, the message window,
// the status frames, the pointer backdrop, the click mark and the wallpaper.
#include <cmath>

#include "datagen/canvas.h"
#include "datagen/pictures.h"
#include "datagen/quantize.h"

namespace velmor::datagen {

namespace {

constexpr Color kWhite = 0xFFFFFF;

// The heart outline: (x^2 + y^2 - 1)^3 <= x^2 y^3 with y pointing up.
bool InHeart(double x, double y) {
  const double a = x * x + y * y - 1;
  return a * a * a - x * x * y * y * y <= 0;
}

// A heart `size` pixels across centred on c.
Inside Heart(Vec c, double size) {
  const double s = size / 2.3;
  return [c, s](double x, double y) { return InHeart((x - c.x) / s, -(y - c.y) / s + 0.1); };
}

// Small status icons, about 11 pixels across, centred on c.
void HeartIcon(Bitmap& img, Vec c, Color color) {
  FillShape(img, BoxAround(c, 8), Heart(c, 11.5), color);
}

void StarIcon(Bitmap& img, Vec c, Color color) {
  FillShape(img, BoxAround(c, 8), Polygon(StarPoints(c, 6.2, 2.6, 5, -kPi / 2)), color);
}

void NoteIcon(Bitmap& img, Vec c, Color color) {
  Inside note = Union({Ellipse({c.x - 2.2, c.y + 3.2}, 2.6, 2.0),
                       Capsule({c.x + 0.2, c.y + 3}, {c.x + 0.2, c.y - 5.2}, 0.7),
                       Capsule({c.x + 0.2, c.y - 5.2}, {c.x + 3.6, c.y - 2.6}, 0.8)});
  FillShape(img, BoxAround(c, 8), note, color);
}

void FlowerIcon(Bitmap& img, Vec c, Color color) {
  std::vector<Inside> petals;
  for (int i = 0; i < 5; ++i) {
    const double a = -kPi / 2 + i * 2 * kPi / 5;
    petals.push_back(Circle({c.x + 3.1 * std::cos(a), c.y + 3.1 * std::sin(a)}, 2.3));
  }
  FillShape(img, BoxAround(c, 8), Union(std::move(petals)), color);
  FillShape(img, BoxAround(c, 3), Circle(c, 1.6), kWhite);
}

// A thin rule across the status strip with a small diamond in its middle.
void Rule(Bitmap& img, int y, Color line, Color jewel) {
  for (int x = 520; x < 624; ++x) {
    const double fade = Smoothstep(518, 540, x) * Smoothstep(626, 604, x);
    img.set(x, y, Mix(kWhite, line, fade));
  }
  const Vec c{572, y + 0.5};
  FillShape(img, BoxAround(c, 5), Polygon({{c.x, c.y - 3.5}, {c.x + 3.5, c.y}, {c.x, c.y + 3.5}, {c.x - 3.5, c.y}}),
            jewel);
}

}  // namespace

Bitmap BlackScreen() {
  Bitmap img(640, 480, 0);
  img.palette = {0};
  return img;
}

Bitmap MeshPattern() {
  Bitmap img(648, 488, kWhite);
  for (int y = 0; y < img.height(); y += 4)
    for (int x = 0; x < img.width(); x += 4) img.set(x, y, 0);
  img.palette = {0, kWhite};
  return img;
}

Bitmap PointerBackdrop() {
  Bitmap img(16, 16, 0xC8C8D8);
  FillRect(img, 1, 1, 15, 15, 0x1C1C26);
  img.palette = {0x1C1C26, 0xC8C8D8};
  return img;
}

Bitmap ClickMark() {
  Bitmap img(24, 48, kWhite);
  for (int f = 0; f < 2; ++f) {
    const Vec c{12, 12.5 + 24 * f};
    const double size = f == 0 ? 20 : 15;
    const Color edge = f == 0 ? 0xA82A52 : 0xC25478;
    const Color top = f == 0 ? 0xF2688E : 0xF7A0B8;
    const Color bottom = f == 0 ? 0xD03866 : 0xE07898;
    const Box box{0, 24 * f, 24, 24 * f + 24};
    FillShape(img, box, Heart(c, size + 2), edge);
    FillShape(img, box, Heart(c, size), [&](double, double y) {
      return Mix(top, bottom, Clamp01((y - (c.y - size / 2)) / size));
    });
    FillShape(img, box, Ellipse({c.x - size * 0.22, c.y - size * 0.14}, size * 0.11, size * 0.07),
              kWhite, 4, 0.8);
  }
  return img;
}

Bitmap MessageFrame() {
  // A four-pixel rounded border: a dusky indigo edge, a lavender band lit
  // from above, a pale inner line; plain white inside for the text cells.
  Bitmap img(628, 100, 0);
  const Box all{0, 0, 628, 100};
  FillShape(img, all, RoundRect(0, 0, 628, 100, 6), 0x4A4E7A);
  FillShape(img, all, RoundRect(1, 1, 627, 99, 5),
            [](double, double y) { return Mix(0xC4C8EC, 0x9096C8, y / 100); });
  FillShape(img, all, RoundRect(3, 3, 625, 97, 3), 0xE4E6F8);
  FillRect(img, 4, 4, 624, 96, kWhite);
  return img;
}

Bitmap StatusFrame(int layout) {
  Bitmap img(640, 480);
  // The frame: deep indigo with a faint diagonal weave.
  FillBox(img, {0, 0, 640, 480}, [](double x, double y) {
    Color c = Mix(0x272C52, 0x181B34, y / 480);
    const int d = static_cast<int>(x + y) % 6, e = static_cast<int>(x - y + 960) % 6;
    if (d == 0 || e == 0) c = AddLight(c, 0xFFFFFF, 0.025);
    return c;
  });
  for (int x = 0; x < 640; ++x) {
    img.set(x, 0, 0x434A7E);
    img.set(x, 479, 0x0E1020);
  }
  for (int y = 0; y < 480; ++y) {
    img.set(0, y, 0x434A7E);
    img.set(639, y, 0x0E1020);
  }
  // The picture opening with a thin gold line round it.
  const Color gold = 0xC9AE6A;
  for (int x = 6; x < 506; ++x) {
    img.set(x, 6, gold);
    img.set(x, 473, gold);
  }
  for (int y = 6; y < 474; ++y) {
    img.set(6, y, gold);
    img.set(505, y, gold);
  }
  FillRect(img, 8, 8, 504, 472, 0);

  // The status panel: white card with a lavender edge.
  const Box panel{506, 4, 640, 476};
  FillShape(img, panel, RoundRect(508, 6, 636, 474, 6), 0xB9B3E0);
  FillShape(img, panel, RoundRect(510, 8, 634, 472, 4), kWhite);

  const Color rule = 0xD3CFEC, jewel = 0xB9B3E0;
  for (int i = 0; i < 3; ++i)
    FillShape(img, BoxAround({556.0 + 16 * i, 16}, 3), Circle({556.5 + 16 * i, 16.5}, 1.6), jewel);

  const Color rose = 0xE07090, gold_icon = 0xE0B040, blue = 0x7088D0, green = 0x70B070;
  auto icon_y = [](int gauge_top) { return gauge_top + 8.0; };
  if (layout == 0) {
    Rule(img, 144, rule, jewel);
    Rule(img, 282, rule, jewel);
    HeartIcon(img, {624, icon_y(76)}, rose);
    StarIcon(img, {624, icon_y(111)}, gold_icon);
    HeartIcon(img, {624, icon_y(213)}, rose);
    StarIcon(img, {624, icon_y(248)}, gold_icon);
  } else {
    Rule(img, 211, rule, jewel);
    Rule(img, 293, rule, jewel);
    HeartIcon(img, {624, icon_y(76)}, rose);
    StarIcon(img, {624, icon_y(111)}, gold_icon);
    NoteIcon(img, {624, icon_y(147)}, blue);
    FlowerIcon(img, {624, icon_y(183)}, green);
    HeartIcon(img, {624, icon_y(270)}, rose);
  }
  Rule(img, 372, rule, jewel);

  // A crescent moon with a few stars below the money line.
  const Vec moon{566, 424};
  FillShape(img, BoxAround(moon, 22), Minus(Circle(moon, 20), Circle({moon.x + 9, moon.y - 6}, 17)),
            [&](double, double y) { return Mix(0xD8D2F2, 0xA8A0D8, (y - moon.y + 20) / 40); });
  const Vec stars[] = {{596, 402}, {608, 430}, {590, 448}, {540, 396}};
  const double sizes[] = {5.0, 3.6, 3.0, 2.8};
  for (int i = 0; i < 4; ++i)
    FillShape(img, BoxAround(stars[i], 6), Polygon(StarPoints(stars[i], sizes[i], sizes[i] * 0.42, 5, -kPi / 2)),
              0xC9AE6A);
  return img;
}

Bitmap Wallpaper() {
  // Quiet slate with a soft diamond lattice and a dot in each diamond; every
  // term repeats every 32 pixels, so the 64-pixel tile is seamless.
  Bitmap img(64, 64);
  const Color base = 0x3A4260, line = 0x4A5478, dot = 0x566290;
  FillBox(img, {0, 0, 64, 64}, [&](double x, double y) {
    auto lattice = [](double v) {
      const double m = std::fmod(v, 32.0);
      return std::min(m, 32.0 - m) / std::sqrt(2.0);
    };
    const double d = std::min(lattice(x + y), lattice(x - y + 64));
    Color c = Mix(line, base, Smoothstep(0.3, 1.3, d));
    // Diamond centres sit at (16, 0) and (0, 16) modulo 32.
    auto wrap = [](double v) { return std::fmod(v + 64, 32.0); };
    auto from = [&](double ox, double oy) {
      const double cx = wrap(x - ox), cy = wrap(y - oy);
      return std::hypot(std::min(cx, 32 - cx), std::min(cy, 32 - cy));
    };
    const double r = std::min(from(16, 0), from(0, 16));
    c = Mix(dot, c, Smoothstep(1.6, 2.6, r));
    const double tex = Fractal(x / 8, y / 8, 17, 3, 8);
    return Scale(c, 0.97 + 0.06 * tex);
  });
  Palettise(img, 256);
  return img;
}

}  // namespace velmor::datagen
