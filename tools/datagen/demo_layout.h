// Facts about the generated demo data that the engine's tests and the demo
// scenarios rely on: where the clickable regions of the street hit map are.
#pragma once

#include <array>
#include <cstdint>

namespace velmor::datagen {

// The hit map's table colours, by region number (0x00RRGGBB).
inline constexpr std::array<uint32_t, 16> kRegionColors = {
    0x000000, 0x0000FF, 0xFF0000, 0xFF00FF, 0x00FF00, 0x00FFFF, 0x808000, 0xC0C0C0,
    0x808080, 0x000080, 0x800000, 0x800080, 0x008000, 0x008080, 0xFFFF00, 0xFFFFFF};

struct RegionRect {
  int region;  // 1..15; everything outside these rectangles is region 0
  int left, top, right, bottom;  // right and bottom exclusive
  const char* what;              // what BG04.BMP shows there
};

// CG/MAP01.BMP (640 x 480) paints each of these rectangles flat in
// kRegionColors[region]; CG/BG04.BMP, the street at dusk, draws the named
// thing filling the same rectangle. At least 8 pixels separate any two.
//
//   region  rectangle (l, t)-(r, b)   thing
//    1      ( 44, 300)-(100, 418)     bakery door
//    2      (116, 300)-(200, 386)     bakery shop window
//    3      ( 36, 140)-( 96, 208)     bakery upstairs window, left
//    4      (130, 140)-(190, 208)     bakery upstairs window, right
//    5      ( 30, 236)-(196, 276)     bakery signboard
//    6      (292, 300)-(348, 418)     cafe door
//    7      (242, 100)-(302, 172)     cafe upstairs window, left
//    8      (338, 100)-(398, 172)     cafe upstairs window, right
//    9      (236, 222)-(404, 262)     cafe awning
//   10      (546, 300)-(600, 418)     bookshop door
//   11      (444, 300)-(528, 386)     bookshop shop window
//   12      (494, 150)-(560, 214)     bookshop round attic window
//   13      (410, 356)-(436, 430)     red post box
//   14      (220, 430)-(270, 470)     cat on the pavement
//   15      (552,  22)-(604,  74)     moon
inline constexpr std::array<RegionRect, 15> kStreetRegions = {{
    {1, 44, 300, 100, 418, "bakery door"},
    {2, 116, 300, 200, 386, "bakery shop window"},
    {3, 36, 140, 96, 208, "bakery upstairs window, left"},
    {4, 130, 140, 190, 208, "bakery upstairs window, right"},
    {5, 30, 236, 196, 276, "bakery signboard"},
    {6, 292, 300, 348, 418, "cafe door"},
    {7, 242, 100, 302, 172, "cafe upstairs window, left"},
    {8, 338, 100, 398, 172, "cafe upstairs window, right"},
    {9, 236, 222, 404, 262, "cafe awning"},
    {10, 546, 300, 600, 418, "bookshop door"},
    {11, 444, 300, 528, 386, "bookshop shop window"},
    {12, 494, 150, 560, 214, "bookshop round attic window"},
    {13, 410, 356, 436, 430, "red post box"},
    {14, 220, 430, 270, 470, "cat on the pavement"},
    {15, 552, 22, 604, 74, "moon"},
}};

}  // namespace velmor::datagen
