#include "datagen/canvas.h"

#include <algorithm>

namespace velmor::datagen {

namespace {

uint32_t Channel(double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

Box Clip(const Bitmap& img, Box b) {
  return {std::max(b.x0, 0), std::max(b.y0, 0), std::min(b.x1, img.width()),
          std::min(b.y1, img.height())};
}

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
               static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

int Wrap(int v, int period) { return period > 0 ? ((v % period) + period) % period : v; }

}  // namespace

Color Mix(Color a, Color b, double t) {
  auto ch = [t](uint32_t x, uint32_t y) { return Channel(x + (static_cast<double>(y) - x) * t); };
  return MakeRgb(ch(RedOf(a), RedOf(b)), ch(GreenOf(a), GreenOf(b)),
                        ch(BlueOf(a), BlueOf(b)));
}

Color Scale(Color c, double k) {
  return MakeRgb(Channel(RedOf(c) * k), Channel(GreenOf(c) * k),
                        Channel(BlueOf(c) * k));
}

Color AddLight(Color c, Color light, double amount) {
  return MakeRgb(Channel(RedOf(c) + RedOf(light) * amount),
                        Channel(GreenOf(c) + GreenOf(light) * amount),
                        Channel(BlueOf(c) + BlueOf(light) * amount));
}

Color Ramp(const std::vector<Stop>& stops, double t) {
  if (t <= stops.front().at) return stops.front().color;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    if (t <= stops[i].at) {
      const Stop& a = stops[i - 1];
      const Stop& b = stops[i];
      return Mix(a.color, b.color, (t - a.at) / std::max(b.at - a.at, 1e-9));
    }
  }
  return stops.back().color;
}

Color Ramp(std::initializer_list<Stop> stops, double t) { return Ramp(std::vector<Stop>(stops), t); }

void FillRect(Bitmap& img, int x0, int y0, int x1, int y1, Color c) {
  Box b = Clip(img, {x0, y0, x1, y1});
  for (int y = b.y0; y < b.y1; ++y)
    for (int x = b.x0; x < b.x1; ++x) img.set(x, y, c);
}

void FillBox(Bitmap& img, Box box, const Paint& paint) {
  Box b = Clip(img, box);
  for (int y = b.y0; y < b.y1; ++y)
    for (int x = b.x0; x < b.x1; ++x) img.set(x, y, paint(x + 0.5, y + 0.5));
}

void FillShape(Bitmap& img, Box box, const Inside& inside, const Paint& paint, int n,
               double opacity) {
  Box b = Clip(img, box);
  const double step = 1.0 / n;
  for (int y = b.y0; y < b.y1; ++y) {
    for (int x = b.x0; x < b.x1; ++x) {
      int hits = 0;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          if (inside(x + (i + 0.5) * step, y + (j + 0.5) * step)) ++hits;
      if (hits == 0) continue;
      const double cover = opacity * hits / (n * n);
      Color c = paint(x + 0.5, y + 0.5);
      img.set(x, y, cover >= 1.0 ? c : Mix(img.at(x, y), c, cover));
    }
  }
}

void Glow(Bitmap& img, Vec centre, double r0, double r1, Color light, double strength) {
  Box b = Clip(img, BoxAround(centre, r1));
  for (int y = b.y0; y < b.y1; ++y) {
    for (int x = b.x0; x < b.x1; ++x) {
      const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
      if (d >= r1) continue;
      double k = d <= r0 ? 1.0 : 1.0 - (d - r0) / (r1 - r0);
      k = k * k * strength;
      img.set(x, y, Mix(img.at(x, y), light, std::min(k, 1.0)));
    }
  }
}

Inside Circle(Vec c, double r) {
  return [c, r2 = r * r](double x, double y) {
    return (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y) <= r2;
  };
}

Inside Ellipse(Vec c, double rx, double ry) {
  return [c, rx, ry](double x, double y) {
    const double u = (x - c.x) / rx, v = (y - c.y) / ry;
    return u * u + v * v <= 1.0;
  };
}

Inside Polygon(std::vector<Vec> p) {
  return [p = std::move(p)](double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
      if ((p[i].y > y) != (p[j].y > y) &&
          x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
        in = !in;
    }
    return in;
  };
}

Inside Capsule(Vec a, Vec b, double r) {
  return [a, b, r](double x, double y) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double px = a.x + t * dx - x, py = a.y + t * dy - y;
    return px * px + py * py <= r * r;
  };
}

Inside RoundRect(double x0, double y0, double x1, double y1, double r) {
  return [=](double x, double y) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
  };
}

Inside Union(std::vector<Inside> parts) {
  return [parts = std::move(parts)](double x, double y) {
    for (const Inside& p : parts)
      if (p(x, y)) return true;
    return false;
  };
}

Inside Minus(Inside a, Inside b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) && !b(x, y); };
}

std::vector<Vec> StarPoints(Vec c, double outer, double inner, int points, double angle) {
  std::vector<Vec> p;
  for (int i = 0; i < 2 * points; ++i) {
    const double r = i % 2 == 0 ? outer : inner;
    const double a = angle + i * kPi / points;
    p.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
  }
  return p;
}

Box BoxAround(Vec c, double r) {
  return {static_cast<int>(std::floor(c.x - r)) - 1, static_cast<int>(std::floor(c.y - r)) - 1,
          static_cast<int>(std::ceil(c.x + r)) + 2, static_cast<int>(std::ceil(c.y + r)) + 2};
}

uint64_t Random::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Uniform(double lo, double hi) {
  return lo + (hi - lo) * static_cast<double>(Next() >> 11) / 9007199254740992.0;
}

int Random::Int(int lo, int hi) {
  return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

double Noise(double x, double y, uint32_t seed, int period) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  const double tx = Smoothstep(0, 1, x - fx), ty = Smoothstep(0, 1, y - fy);
  auto v = [&](int dx, int dy) {
    return (Hash(Wrap(ix + dx, period), Wrap(iy + dy, period), seed) & 0xFFFF) / 65535.0;
  };
  const double top = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
  const double bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
  return top + (bottom - top) * ty;
}

double Fractal(double x, double y, uint32_t seed, int octaves, int period) {
  double sum = 0, weight = 0, amp = 1, freq = 1;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise(x * freq, y * freq, seed + i * 7919u, period > 0 ? period * static_cast<int>(freq) : 0);
    weight += amp;
    amp *= 0.5;
    freq *= 2;
  }
  return sum / weight;
}

double Smoothstep(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

double Clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

}  // namespace velmor::datagen
