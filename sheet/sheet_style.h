#pragma once
// The sheet's fixed measures and colours: fixed, so that the same package
// always gives the same sheet.

#include "core/image.h"

namespace pelkora::sheet {

inline constexpr int kMargin = 16;
inline constexpr int kGap = 16;
inline constexpr int kSheetWidth = 1024;
inline constexpr int kHeaderHeight = 44;
inline constexpr int kLabelHeight = 38;
inline constexpr int kLabelLineHeight = 16;
inline constexpr int kMinTileWidth = 150;
inline constexpr int kZoomBox = 220;      // small pictures grow by whole pixels up to this
inline constexpr int kLargestSide = 480;  // larger pictures shrink to this
inline constexpr int kCellWidth = 20;
inline constexpr int kCellHeight = 28;

inline constexpr Pixel kWhite = opaque(0xFFFFFF);
inline constexpr Pixel kBlack = opaque(0x000000);
inline constexpr Pixel kSheetColour = opaque(0xE4E4E4);
inline constexpr Pixel kFrameColour = opaque(0x808080);
inline constexpr Pixel kFaultColour = opaque(0xC02020);
inline constexpr Pixel kTimeColour = opaque(0x404040);
inline constexpr Pixel kLineRuleColour = opaque(0xECECEC);

}  // namespace pelkora::sheet
