// Qt fonts behind TDeviceFont, resolved once and cached: the platform's
// devices share this; nothing outside platform/ includes it.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>
#include <QString>
#include <array>
#include <string>
#include <utility>
#include <deque>
#include <vector>

#include "platform/graphics/CanvasDevice.h"

struct TResolvedFont {
    // Sized so that one point is one pixel (72 dpi); FontFor() gives the
    // same pixel size for a paint device of another resolution.
    QFont Font;
    QFontMetricsF Metrics{QFont()};
    double EmPixels = 0;  // character height in pixels
    TTextMetric Metric;   // cell height exactly as asked for positive heights
    // The advances of the printable ASCII characters, for measuring without
    // shaping (kerning is off, so they add up to the shaped width).
    std::array<double, 95> AsciiAdvance{};
    // The font for a paint device whose font resolution is dpi.
    const QFont& FontFor(int dpi) const;

private:
    mutable std::deque<std::pair<int, QFont>> FByDpi;  // entries never move
};

// Never null; the entry lives until the program ends.
const TResolvedFont& ResolveFont(const TDeviceFont& font);

// A text shaped in a font, kept for the next draw of the same text.
struct TShapedText {
    double Width = 0;
    QList<QGlyphRun> Runs;  // glyph positions relative to the baseline origin
};
TShapedText ShapeText(const TResolvedFont& font, const std::string& text);
// The width of a text in a font, as ShapeText gives it; printable ASCII
// without "f" (the letter that starts the ligatures of the usual fonts) is
// summed from the cached advances.
double TextAdvance(const TResolvedFont& font, const std::string& text);

// The 72 dpi paint device fonts are measured on.
QPaintDevice* MeasuringDevice();

// The family Qt uses for a TFont name ("Default" is the desktop's default).
QString FontFamilyFor(const std::string& name);

inline QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
