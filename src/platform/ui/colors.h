#pragma once
// Colours as the old runtime keeps them: a Long with red in the low byte,
// green in the middle and blue in the high byte (RGB(r, g, b) = r + g * 256 +
// b * 65536). Values &H80000000 + n name the system colour n and follow the
// desktop's palette. Sizes are in twips, 15 to a pixel.
#include <QColor>

#include <cstdint>

namespace ui {

using VbColor = std::int32_t;

constexpr VbColor RGB(int red, int green, int blue)
{
    return VbColor((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

constexpr VbColor vbBlack = 0x000000;
constexpr VbColor vbRed = 0x0000FF;
constexpr VbColor vbGreen = 0x00FF00;
constexpr VbColor vbYellow = 0x00FFFF;
constexpr VbColor vbBlue = 0xFF0000;
constexpr VbColor vbMagenta = 0xFF00FF;
constexpr VbColor vbCyan = 0xFFFF00;
constexpr VbColor vbWhite = 0xFFFFFF;

// System colours.
constexpr VbColor vbScrollBars = VbColor(0x80000000u);
constexpr VbColor vbDesktop = VbColor(0x80000001u);
constexpr VbColor vbActiveTitleBar = VbColor(0x80000002u);
constexpr VbColor vbInactiveTitleBar = VbColor(0x80000003u);
constexpr VbColor vbMenuBar = VbColor(0x80000004u);
constexpr VbColor vbWindowBackground = VbColor(0x80000005u);
constexpr VbColor vbWindowFrame = VbColor(0x80000006u);
constexpr VbColor vbMenuText = VbColor(0x80000007u);
constexpr VbColor vbWindowText = VbColor(0x80000008u);
constexpr VbColor vbTitleBarText = VbColor(0x80000009u);
constexpr VbColor vbActiveBorder = VbColor(0x8000000Au);
constexpr VbColor vbInactiveBorder = VbColor(0x8000000Bu);
constexpr VbColor vbApplicationWorkspace = VbColor(0x8000000Cu);
constexpr VbColor vbHighlight = VbColor(0x8000000Du);
constexpr VbColor vbHighlightText = VbColor(0x8000000Eu);
constexpr VbColor vbButtonFace = VbColor(0x8000000Fu);
constexpr VbColor vbButtonShadow = VbColor(0x80000010u);
constexpr VbColor vbGrayText = VbColor(0x80000011u);
constexpr VbColor vbButtonText = VbColor(0x80000012u);
constexpr VbColor vbInactiveCaptionText = VbColor(0x80000013u);
constexpr VbColor vb3DHighlight = VbColor(0x80000014u);
constexpr VbColor vb3DDKShadow = VbColor(0x80000015u);
constexpr VbColor vb3DLight = VbColor(0x80000016u);
constexpr VbColor vbInfoText = VbColor(0x80000017u);
constexpr VbColor vbInfoBackground = VbColor(0x80000018u);

constexpr bool isSystemColor(long long value)
{
    return (std::uint32_t(value) & 0xFFFFFF00u) == 0x80000000u;
}

// A colour value as a QColor. System colours are taken from the
// application's palette; other values use their low three bytes.
QColor toQColor(long long value);
// The runtime's value of a colour (alpha ignored).
VbColor fromQColor(const QColor& color);

constexpr int TwipsPerPixel = 15;
// Rounded to the nearest pixel.
constexpr int twipsToPixels(long long twips)
{
    return int(twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel
                          : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel));
}
constexpr long long pixelsToTwips(int pixels)
{
    return (long long)pixels * TwipsPerPixel;
}

}  // namespace ui
