// Geometry and colour values shared by every room of the platform layer.
#pragma once

#include <algorithm>
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    // The same rectangle with its corners ordered (Left <= Right, Top <= Bottom).
    TRect Normalized() const {
        return {std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
    }
    bool operator==(const TRect&) const = default;
};

inline TPoint Point(int32_t x, int32_t y) { return {x, y}; }
inline TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
}
inline bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
// Right and bottom edges are outside, as on the platform.
inline bool PtInRect(const TRect& r, const TPoint& p) {
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline bool IntersectRect(TRect& dest, const TRect& a, const TRect& b) {
    dest = {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(dest)) {
        dest = {};
        return false;
    }
    return true;
}
inline bool UnionRect(TRect& dest, const TRect& a, const TRect& b) {
    if (IsRectEmpty(a)) dest = b;
    else if (IsRectEmpty(b)) dest = a;
    else dest = {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
    return !IsRectEmpty(dest);
}
inline void OffsetRect(TRect& r, int32_t dx, int32_t dy) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
}
inline void InflateRect(TRect& r, int32_t dx, int32_t dy) {
    r.Left -= dx;
    r.Right += dx;
    r.Top -= dy;
    r.Bottom += dy;
}

// Colours: 0x00BBGGRR; 0x80000000 + n is system colour n; clNone and
// clDefault are markers, not colours.
using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;

inline constexpr uint8_t GetRValue(uint32_t rgb) { return static_cast<uint8_t>(rgb & 0xFF); }
inline constexpr uint8_t GetGValue(uint32_t rgb) { return static_cast<uint8_t>((rgb >> 8) & 0xFF); }
inline constexpr uint8_t GetBValue(uint32_t rgb) { return static_cast<uint8_t>((rgb >> 16) & 0xFF); }
inline constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}

// A system colour resolved to its fixed value on this desktop; other colours
// pass unchanged (clNone and clDefault give black).
TColor ColorToRGB(TColor color);
