// Helpers shared by the graphics tests: pixel inspection of bitmaps.
#pragma once

#include <QImage>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/qt/GraphicsQt.h"

// Bounding box of the pixels that differ from background; empty when none.
inline TRect InkBox(TBitmap& bitmap, TColor background = clWhite) {
    QImage img = BitmapImage(bitmap).convertToFormat(QImage::Format_RGB32);
    QRgb bg = qRgb(GetRValue(background), GetGValue(background), GetBValue(background)) & 0xFFFFFF;
    int l = img.width(), t = img.height(), r = -1, b = -1;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] & 0xFFFFFF) != bg) {
                l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            }
    }
    if (r < 0) return {};
    return {l, t, r + 1, b + 1};
}

// Number of pixels of exactly this colour.
inline int CountColor(TBitmap& bitmap, TColor color) {
    QImage img = BitmapImage(bitmap).convertToFormat(QImage::Format_RGB32);
    QRgb c = qRgb(GetRValue(color), GetGValue(color), GetBValue(color)) & 0xFFFFFF;
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) n += (row[x] & 0xFFFFFF) == c;
    }
    return n;
}

// A white bitmap of the given size and resolution.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, int dpi = 96) {
    auto b = std::make_unique<TBitmap>(w, h);
    b->SetResolution(dpi, dpi);
    return b;
}

#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"
