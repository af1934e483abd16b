// Colour values: an RGB colour is 0x00BBGGRR; a system colour is 0xFF000000
// plus the platform's system colour index and is resolved when drawn.
#pragma once

#include <cstdint>

namespace census {

using TColor = std::uint32_t;

constexpr TColor kSystemColorFlag = 0xFF000000u;
constexpr TColor SystemColor(int index) { return kSystemColorFlag | static_cast<TColor>(index); }
constexpr bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == kSystemColorFlag; }
constexpr TColor MakeRgb(int r, int g, int b) {
    return static_cast<TColor>(r & 0xFF) | (static_cast<TColor>(g & 0xFF) << 8) |
           (static_cast<TColor>(b & 0xFF) << 16);
}
constexpr int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

constexpr TColor clNone = 0x1FFFFFFFu;
constexpr TColor clDefault = 0x20000000u;

// The platform's system colour indices (COLOR_*), spelled out so that this
// header needs no windows.h.
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);

constexpr TColor clBlack = MakeRgb(0, 0, 0);
constexpr TColor clMaroon = MakeRgb(128, 0, 0);
constexpr TColor clGreen = MakeRgb(0, 128, 0);
constexpr TColor clOlive = MakeRgb(128, 128, 0);
constexpr TColor clNavy = MakeRgb(0, 0, 128);
constexpr TColor clPurple = MakeRgb(128, 0, 128);
constexpr TColor clTeal = MakeRgb(0, 128, 128);
constexpr TColor clGray = MakeRgb(128, 128, 128);
constexpr TColor clSilver = MakeRgb(192, 192, 192);
constexpr TColor clRed = MakeRgb(255, 0, 0);
constexpr TColor clLime = MakeRgb(0, 255, 0);
constexpr TColor clYellow = MakeRgb(255, 255, 0);
constexpr TColor clBlue = MakeRgb(0, 0, 255);
constexpr TColor clFuchsia = MakeRgb(255, 0, 255);
constexpr TColor clAqua = MakeRgb(0, 255, 255);
constexpr TColor clWhite = MakeRgb(255, 255, 255);

// Resolves a system colour through the platform (GetSysColor); an RGB colour
// is returned as it is. clNone and clDefault resolve to black.
TColor ColorToRgb(TColor color);

}  // namespace census
