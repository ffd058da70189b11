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
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
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
    // The advance of one character on its own, unshaped (cached); the
    // caller holds AdvanceMutex().
    double CharAdvance(char32_t c) const;
    std::mutex& AdvanceMutex() const { return FAdvanceMutex; }

private:
    mutable std::deque<std::pair<int, QFont>> FByDpi;  // entries never move
    mutable std::mutex FAdvanceMutex;
    // Below U+10000, in pages of 256 made when first asked; < 0: not yet asked.
    mutable std::vector<std::unique_ptr<float[]>> FBmpAdvance;
    mutable std::unordered_map<char32_t, double> FAdvance;
};

// Never null; the entry lives until the program ends.
const TResolvedFont& ResolveFont(const TDeviceFont& font);

// A text shaped in a font, kept for the next draw of the same text.
struct TShapedText {
    double Width = 0;
    QList<QGlyphRun> Runs;  // glyph positions relative to the baseline origin
};
TShapedText ShapeText(const TResolvedFont& font, const std::string& text);
TShapedText ShapeQText(const TResolvedFont& font, const QString& text);
// How many UTF-16 units went through the font engine's layout so far, for
// the tests of what painting costs.
uint64_t ShapedUnits();

// Texts longer than this many bytes are never shaped whole: they are
// measured by the sum of their characters' advances, and drawn only in the
// part that can show.
constexpr size_t kLongText = 256;

// The width of a text in a font, as ShapeText gives it; printable ASCII
// without "f" (the letter that starts the ligatures of the usual fonts) is
// summed from the cached advances, and so is every long text.
double TextAdvance(const TResolvedFont& font, const std::string& text);

// A part of a text, in whole characters: bytes [Begin, End), starting
// Offset pixels (summed advances) after the text's start.
struct TTextPart {
    size_t Begin = 0;
    size_t End = 0;
    double Offset = 0;
    bool Utf8 = true;  // the text is valid UTF-8 as far as it was read
};
// The characters whose advances reach into [from, to] (pixels from the
// text's start), with a few more on either side so that shaping the part
// gives the glyphs the whole text would have there. The text is read only
// up to the part's end, and decoded as UTF-8 when that much of it is.
TTextPart VisiblePart(const TResolvedFont& font, std::string_view text, double from, double to);
// The number of bytes of the longest prefix of whole characters whose summed
// advances are at most width.
size_t FittingPrefix(const TResolvedFont& font, std::string_view text, double width);
// The summed advances of a text, walked only until they pass limit (then
// the sum so far, which is more than limit).
double AdvanceUpTo(const TResolvedFont& font, std::string_view text, double limit);

// The 72 dpi paint device fonts are measured on.
QPaintDevice* MeasuringDevice();

// The family Qt uses for a TFont name ("Default" is the desktop's default).
QString FontFamilyFor(const std::string& name);

// Text as Qt takes it: UTF-8 when the whole text is valid UTF-8, else each
// byte a Windows-1252 character, as the runtime reads text files.
QString ToQString(std::string_view s);
// A part of a text, decoded as the whole text is (utf8: IsValidUtf8 of it).
QString ToQString(std::string_view part, bool utf8);
