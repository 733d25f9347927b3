// Drawing on bitmaps for the generated pictures: flat and gradient
// fills, anti-aliased shapes given as inside-tests, soft glows, a
// deterministic random source and value noise.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "graphics/bitmap.h"

namespace velmor::datagen {

// A colour from its components, each cut to eight bits, and back.
constexpr Color MakeRgb(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr uint32_t RedOf(Color c) { return (c >> 16) & 0xFF; }
constexpr uint32_t GreenOf(Color c) { return (c >> 8) & 0xFF; }
constexpr uint32_t BlueOf(Color c) { return c & 0xFF; }

// Whether (x, y) is a pixel of the bitmap.
inline bool Contains(const Bitmap& b, int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < b.width() && y < b.height();
}

constexpr double kPi = 3.14159265358979323846;

struct Vec {
  double x = 0;
  double y = 0;
};

// Colour arithmetic.
Color Mix(Color a, Color b, double t);  // a at t = 0, b at t = 1
Color Scale(Color c, double k);       // brighter above 1, darker below
Color AddLight(Color c, Color light, double amount);

// A colour ramp: stops at positions 0..1 in increasing order.
struct Stop {
  double at;
  Color color;
};
Color Ramp(std::initializer_list<Stop> stops, double t);
Color Ramp(const std::vector<Stop>& stops, double t);

// Where a shape is: true for points (in pixel units, pixel centres at +0.5)
// inside it.
using Inside = std::function<bool(double x, double y)>;
// What colour a point gets.
using Paint = std::function<Color(double x, double y)>;

// The area to consider when drawing a shape (x0, y0 inclusive; x1, y1
// exclusive); it is clipped to the picture.
struct Box {
  int x0, y0, x1, y1;
};

void FillRect(Bitmap& img, int x0, int y0, int x1, int y1, Color c);
// Paints every pixel of the box with paint(centre).
void FillBox(Bitmap& img, Box box, const Paint& paint);
// Covers the shape with paint, anti-aliased by sampling each pixel n x n
// times; `opacity` scales the coverage.
void FillShape(Bitmap& img, Box box, const Inside& inside, const Paint& paint, int n = 4,
               double opacity = 1.0);
inline void FillShape(Bitmap& img, Box box, const Inside& inside, Color c, int n = 4,
                      double opacity = 1.0) {
  FillShape(img, box, inside, [c](double, double) { return c; }, n, opacity);
}
// Lightens towards `light` around a centre: full at r0, fading to nothing at r1.
void Glow(Bitmap& img, Vec centre, double r0, double r1, Color light, double strength);

// Inside-tests.
Inside Circle(Vec c, double r);
Inside Ellipse(Vec c, double rx, double ry);
Inside Polygon(std::vector<Vec> points);  // even-odd rule
Inside Capsule(Vec a, Vec b, double r);   // a thick line with round ends
Inside RoundRect(double x0, double y0, double x1, double y1, double r);
Inside Union(std::vector<Inside> parts);
Inside Minus(Inside a, Inside b);
// A star's outline: `points` spikes, the first pointing in direction `angle`.
std::vector<Vec> StarPoints(Vec c, double outer, double inner, int points, double angle);
Box BoxAround(Vec c, double r);

// A deterministic random source (splitmix64).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform(double lo = 0.0, double hi = 1.0);
  int Int(int lo, int hi);  // lo..hi inclusive

 private:
  uint64_t state_;
};

// Smooth value noise in 0..1, repeating every `period` units when period > 0.
double Noise(double x, double y, uint32_t seed, int period = 0);
// Several octaves of Noise, each twice as fine and half as strong.
double Fractal(double x, double y, uint32_t seed, int octaves, int period = 0);

double Smoothstep(double e0, double e1, double x);
double Clamp01(double x);

}  // namespace velmor::datagen
