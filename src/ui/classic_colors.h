// The colours of the era's interface, shared by the panels and the boxes.
#pragma once

#include "imgui.h"

namespace velmor::ui {

constexpr ImU32 kTooltip = IM_COL32(0xFF, 0xFF, 0xE1, 0xFF);
constexpr ImU32 kFace = IM_COL32(0xC0, 0xC0, 0xC0, 0xFF);
constexpr ImU32 kHighlight = IM_COL32(0xFF, 0xFF, 0xFF, 0xFF);
constexpr ImU32 kLight = IM_COL32(0xDF, 0xDF, 0xDF, 0xFF);
constexpr ImU32 kShadow = IM_COL32(0x80, 0x80, 0x80, 0xFF);
constexpr ImU32 kDark = IM_COL32(0x00, 0x00, 0x00, 0xFF);
constexpr ImU32 kWhite = kHighlight;
constexpr ImU32 kBlack = kDark;
constexpr ImU32 kNavy = IM_COL32(0x00, 0x00, 0x80, 0xFF);
constexpr ImU32 kRed = IM_COL32(0xFF, 0x00, 0x00, 0xFF);
constexpr ImU32 kBlue = IM_COL32(0x00, 0x00, 0xFF, 0xFF);

}  // namespace velmor::ui
