#include "platform/graphics/qt/FontCache.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTextLayout>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/runtime/SysUtils.h"

namespace {

// Character height for a font of height 0 (the platform's default font).
constexpr double kDefaultEmPixels = 12.0;
// Fonts are measured at a size large enough that rounding inside the font
// engine does not show in the ratios.
constexpr double kReferencePixels = 1000.0;


struct ShapeKey {
    const TResolvedFont* Font;
    std::string Text;
    bool operator==(const ShapeKey&) const = default;
};
struct ShapeKeyHash {
    size_t operator()(const ShapeKey& k) const {
        return std::hash<std::string>()(k.Text) ^ (std::hash<const void*>()(k.Font) * 0x9e3779b97f4a7c15ULL);
    }
};
// Enough for the texts of a screen of grid cells; cleared when full.
constexpr size_t kShapeCacheLimit = 4096;

struct FontKey {
    std::string Name;
    int32_t Height;
    TFontStyles Style;
    TFontQuality Quality;
    bool operator==(const FontKey&) const = default;
};

struct FontKeyHash {
    size_t operator()(const FontKey& k) const {
        size_t h = std::hash<std::string>()(k.Name);
        h ^= std::hash<int64_t>()((int64_t(k.Height) << 16) | (int64_t(k.Style) << 8) | int64_t(k.Quality)) +
             0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h;
    }
};

struct FamilyKey {
    std::string Name;
    TFontStyles Style;
    bool operator==(const FamilyKey&) const = default;
};
struct FamilyKeyHash {
    size_t operator()(const FamilyKey& k) const { return std::hash<std::string>()(k.Name) * 31 + k.Style; }
};

// Ascent, descent and leading per pixel of character height.
struct FamilyRatios {
    double Ascent = 0.905;
    double Descent = 0.212;
    double Leading = 0.033;
    double AveChar = 0.44;
};

QFont BaseFont(const std::string& name, TFontStyles style, TFontQuality quality) {
    QFont font(FontFamilyFor(name));
    font.setBold(style & fsBold);
    font.setItalic(style & fsItalic);
    font.setUnderline(style & fsUnderline);
    font.setStrikeOut(style & fsStrikeOut);
    font.setKerning(false);
    // Unhinted outlines keep widths proportional to the size, as the
    // platform's scalable fonts are.
    font.setHintingPreference(QFont::PreferNoHinting);
    QFont::StyleStrategy strategy = QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferMatch);
    if (quality == fqNonAntialiased || quality == fqDraft) strategy = QFont::StyleStrategy(strategy | QFont::NoAntialias);
    else strategy = QFont::StyleStrategy(strategy | QFont::PreferAntialias);
    font.setStyleStrategy(strategy);
    return font;
}

FamilyRatios MeasureFamily(const std::string& name, TFontStyles style) {
    QFont font = BaseFont(name, style, fqDefault);
    font.setPointSizeF(kReferencePixels);
    QFontMetricsF fm(font, MeasuringDevice());
    FamilyRatios r;
    if (fm.ascent() > 0) {
        r.Ascent = fm.ascent() / kReferencePixels;
        r.Descent = fm.descent() / kReferencePixels;
        r.Leading = std::max(0.0, fm.leading()) / kReferencePixels;
        r.AveChar = fm.averageCharWidth() / kReferencePixels;
    }
    return r;
}

std::mutex& CacheMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

// A paint device of 72 dpi, so that a point size is a pixel size.
QPaintDevice* MeasuringDevice() {
    static QImage image = [] {
        QImage img(1, 1, QImage::Format_RGB32);
        img.setDotsPerMeterX(2835);
        img.setDotsPerMeterY(2835);
        return img;
    }();
    return &image;
}

namespace {

std::atomic<uint64_t> gShapedUnits{0};

TShapedText Shape(const TResolvedFont& font, const QString& text) {
    TShapedText shaped;
    if (text.isEmpty()) return shaped;
    gShapedUnits += static_cast<uint64_t>(text.size());
    QTextLayout layout(text, font.Font, MeasuringDevice());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid()) return shaped;
    shaped.Width = line.horizontalAdvance();
    double ascent = line.ascent();
    for (QGlyphRun run : layout.glyphRuns()) {
        // Characters without a glyph (control characters) give runs without
        // glyphs, which Qt cannot draw with underline or strike-out.
        if (run.glyphIndexes().isEmpty() || run.positions().size() != run.glyphIndexes().size()) continue;
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions) p.ry() -= ascent;
        run.setPositions(positions);
        shaped.Runs.push_back(run);
    }
    return shaped;
}

std::mutex& ShapeMutex() {
    static std::mutex m;
    return m;
}
std::unordered_map<ShapeKey, TShapedText, ShapeKeyHash>& ShapeCache() {
    static std::unordered_map<ShapeKey, TShapedText, ShapeKeyHash> cache;
    return cache;
}

size_t StrictUtf8(std::string_view s, size_t i, uint32_t& cp);

// IsValidUtf8, with runs of ASCII taken eight bytes at a time.
bool ValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        while (i + 8 <= s.size()) {
            uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if (word & 0x8080808080808080ULL) break;
            i += 8;
        }
        if (i >= s.size()) break;
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        uint32_t cp;
        const size_t len = StrictUtf8(s, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// One character of a text, decoded as ToQString decodes the whole text.
inline size_t NextChar(std::string_view s, size_t i, bool utf8, char32_t& cp) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (!utf8) {
        cp = Cp1252CodePoint(c);
        return 1;
    }
    size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    len = std::min(len, s.size() - i);
    cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    return len;
}

// The advance of the character at i and its byte length; the font's lock
// is taken on the first character outside the ASCII table.
inline double AdvanceAt(const TResolvedFont& font, std::string_view s, size_t i, bool utf8,
                        std::unique_lock<std::mutex>& lock, size_t& len) {
    const auto c = static_cast<unsigned char>(s[i]);
    len = 1;
    if (c >= 32 && c <= 126) return font.AsciiAdvance[c - 32];
    char32_t cp;
    len = NextChar(s, i, utf8, cp);
    if (!lock.owns_lock()) lock.lock();
    return font.CharAdvance(cp);
}

// The summed advances of a text; at stops (ascending pixel offsets), the
// byte position of the first character that starts at or after the stop is
// noted, and the walk ends at the last stop.
template <typename Stop>
double WalkAdvances(const TResolvedFont& font, std::string_view s, bool utf8, Stop&& stop) {
    double x = 0;
    std::unique_lock<std::mutex> lock(font.AdvanceMutex(), std::defer_lock);
    for (size_t i = 0; i < s.size();) {
        size_t len;
        const double a = AdvanceAt(font, s, i, utf8, lock, len);
        if (stop(i, x, a)) return x;
        x += a;
        i += len;
    }
    stop(s.size(), x, 0.0);
    return x;
}

// One UTF-8 sequence at i by the runtime's rules (no overlong forms, no
// surrogates); 0 when the bytes there are not one.
size_t StrictUtf8(std::string_view s, size_t i, uint32_t& cp) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len;
    uint32_t min;
    if ((c & 0xE0) == 0xC0) len = 2, cp = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0) len = 3, cp = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0) len = 4, cp = c & 0x07, min = 0x10000;
    else return 0;
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// WalkAdvances reading the text as UTF-8 as far as the walk goes; when that
// part is not UTF-8, again (after reset) with each byte a Windows-1252
// character. Only the part walked is examined. Returns whether it was UTF-8.
template <typename Reset, typename Stop>
bool WalkRead(const TResolvedFont& font, std::string_view s, Reset&& reset, Stop&& stop) {
    size_t end = 0;
    reset();
    WalkAdvances(font, s, true, [&](size_t i, double x, double a) {
        end = i;
        return stop(i, x, a);
    });
    // The character the walk stopped at was read too.
    char32_t cp;
    if (end < s.size()) end += NextChar(s, end, true, cp);
    if (ValidUtf8(s.substr(0, end))) return true;
    reset();
    WalkAdvances(font, s, false, stop);
    return false;
}

// The summed advances of a long text in one walk: read as UTF-8 until a
// byte is not, then again as Windows-1252.
double LongAdvance(const TResolvedFont& font, std::string_view s) {
    std::unique_lock<std::mutex> lock(font.AdvanceMutex(), std::defer_lock);
    for (bool utf8 : {true, false}) {
        double sum[4] = {0, 0, 0, 0};
        size_t i = 0;
        bool valid = true;
        while (i < s.size()) {
            // Runs of printable ASCII, four sums at a time.
            while (i + 4 <= s.size()) {
                const auto a = static_cast<unsigned char>(s[i]), b = static_cast<unsigned char>(s[i + 1]),
                           c = static_cast<unsigned char>(s[i + 2]), d = static_cast<unsigned char>(s[i + 3]);
                if (a < 32 || a > 126 || b < 32 || b > 126 || c < 32 || c > 126 || d < 32 || d > 126) break;
                sum[0] += font.AsciiAdvance[a - 32];
                sum[1] += font.AsciiAdvance[b - 32];
                sum[2] += font.AsciiAdvance[c - 32];
                sum[3] += font.AsciiAdvance[d - 32];
                i += 4;
            }
            if (i >= s.size()) break;
            const auto c = static_cast<unsigned char>(s[i]);
            if (c >= 32 && c <= 126) {
                sum[0] += font.AsciiAdvance[c - 32];
                ++i;
                continue;
            }
            char32_t cp;
            size_t len = 1;
            if (utf8 && c >= 0x80) {
                uint32_t u = 0;
                len = StrictUtf8(s, i, u);
                if (len == 0) {
                    valid = false;
                    break;
                }
                cp = u;
            } else {
                NextChar(s, i, false, cp);
            }
            if (!lock.owns_lock()) lock.lock();
            sum[1] += font.CharAdvance(cp);
            i += len;
        }
        if (valid) return (sum[0] + sum[1]) + (sum[2] + sum[3]);
    }
    return 0;
}

// Characters shaped on either side of a visible part, for the context of
// ligatures and marks and for glyphs that reach beyond their advance.
constexpr size_t kPartMargin = 8;

}  // namespace

uint64_t ShapedUnits() { return gShapedUnits; }

TShapedText ShapeQText(const TResolvedFont& font, const QString& text) { return Shape(font, text); }

TShapedText ShapeText(const TResolvedFont& font, const std::string& text) {
    // Long texts are shaped only in part (VisiblePart) and never kept whole.
    if (text.size() > kLongText) return Shape(font, ToQString(text));
    ShapeKey key{&font, text};
    {
        std::lock_guard<std::mutex> lock(ShapeMutex());
        auto it = ShapeCache().find(key);
        if (it != ShapeCache().end()) return it->second;
    }
    TShapedText shaped = Shape(font, ToQString(text));
    std::lock_guard<std::mutex> lock(ShapeMutex());
    auto& cache = ShapeCache();
    if (cache.size() >= kShapeCacheLimit) cache.clear();
    cache.emplace(std::move(key), shaped);
    return shaped;
}

QString ToQString(std::string_view s) { return ToQString(s, ValidUtf8(s)); }

QString ToQString(std::string_view part, bool utf8) {
    if (utf8) return QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size()));
    QString out;
    out.resize(static_cast<qsizetype>(part.size()));
    QChar* d = out.data();
    for (size_t i = 0; i < part.size(); ++i)
        d[i] = QChar(static_cast<char16_t>(Cp1252CodePoint(static_cast<uint8_t>(part[i]))));
    return out;
}

double TResolvedFont::CharAdvance(char32_t c) const {
    float* page = nullptr;
    if (c < 0x10000) {
        if (FBmpAdvance.empty()) FBmpAdvance.resize(256);
        auto& p = FBmpAdvance[c >> 8];
        if (!p) {
            p = std::make_unique<float[]>(256);
            std::fill(p.get(), p.get() + 256, -1.0f);
        }
        page = p.get();
        if (page[c & 0xFF] >= 0) return page[c & 0xFF];
    } else {
        auto it = FAdvance.find(c);
        if (it != FAdvance.end()) return it->second;
    }
    double a = 0;
    if (c >= 0x10000) {
        const char32_t one[1] = {c};
        a = Metrics.horizontalAdvance(QString::fromUcs4(one, 1));
    } else {
        a = Metrics.horizontalAdvance(QChar(static_cast<char16_t>(c)));
    }
    if (!std::isfinite(a) || a < 0) a = 0;
    // Control characters show nothing and take no room when shaped.
    if (c < 32 || c == 127) a = 0;
    if (page) page[c & 0xFF] = static_cast<float>(a);
    else if (FAdvance.size() < 65536) FAdvance.emplace(c, a);
    return a;
}

TTextPart VisiblePart(const TResolvedFont& font, std::string_view text, double from, double to) {
    TTextPart part;
    // The starts of the last kPartMargin characters seen, to step back from
    // the first visible one.
    size_t starts[kPartMargin] = {};
    double offsets[kPartMargin] = {};
    size_t seen = 0, after = 0;
    bool begun = false;
    part.Utf8 = WalkRead(font, text, [&] {
        part = TTextPart{};
        part.End = text.size();
        seen = after = 0;
        begun = false;
    }, [&](size_t i, double x, double a) {
        if (!begun) {
            starts[seen % kPartMargin] = i;
            offsets[seen % kPartMargin] = x;
            ++seen;
            if (x + a >= from || i == text.size()) {
                begun = true;
                const size_t back = std::min(seen, kPartMargin);
                part.Begin = starts[(seen - back) % kPartMargin];
                part.Offset = offsets[(seen - back) % kPartMargin];
            }
        }
        if (begun && x > to && ++after > kPartMargin) {
            part.End = i;
            return true;
        }
        return false;
    });
    return part;
}

size_t FitText(std::string_view text, const TDeviceFont& font, int32_t width) {
    return FittingPrefix(ResolveFont(font), text, width + 0.5);
}

size_t FittingPrefix(const TResolvedFont& font, std::string_view text, double width) {
    size_t end = 0;
    WalkRead(font, text, [&] { end = 0; }, [&](size_t i, double x, double a) {
        end = i;
        return i == text.size() || x + a > width;
    });
    return end;
}

double AdvanceUpTo(const TResolvedFont& font, std::string_view text, double limit) {
    double sum = 0;
    WalkRead(font, text, [&] { sum = 0; }, [&](size_t i, double x, double a) {
        sum = x;
        return i == text.size() || x > limit;
    });
    return sum;
}

double TextAdvanceUpTo(std::string_view text, const TDeviceFont& font, double limit) {
    return AdvanceUpTo(ResolveFont(font), text, limit);
}

size_t FitTextFromEnd(std::string_view text, const TDeviceFont& font, int32_t width) {
    const TResolvedFont& f = ResolveFont(font);
    // Read as UTF-8 back from the end; when the part read is not UTF-8, each
    // byte is a character.
    for (bool utf8 : {true, false}) {
        std::unique_lock<std::mutex> lock(f.AdvanceMutex(), std::defer_lock);
        double x = 0;
        size_t start = text.size();
        while (start > 0) {
            size_t i = start - 1;
            if (utf8)
                while (i > 0 && start - i < 4 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
            size_t len;
            const double a = AdvanceAt(f, text, i, utf8, lock, len);
            if (x + a > width + 0.5) break;
            x += a;
            start = i;
        }
        if (!utf8 || ValidUtf8(text.substr(start))) return start;
    }
    return text.size();
}

QString FontFamilyFor(const std::string& name) {
    if (name.empty() || SameText(name, "Default")) {
        if (QGuiApplication::instance()) return QGuiApplication::font().family();
        return QStringLiteral("Sans Serif");
    }
    return ToQString(name);
}

const QFont& TResolvedFont::FontFor(int dpi) const {
    if (dpi == 72 || dpi <= 0) return Font;
    for (auto& [d, f] : FByDpi)
        if (d == dpi) return f;
    QFont f = Font;
    f.setPointSizeF(EmPixels * 72.0 / dpi);
    FByDpi.emplace_back(dpi, f);
    return FByDpi.back().second;
}

const TResolvedFont& ResolveFont(const TDeviceFont& font) {
    static std::unordered_map<FontKey, std::unique_ptr<TResolvedFont>, FontKeyHash> cache;
    static std::unordered_map<FamilyKey, FamilyRatios, FamilyKeyHash> families;
    FontKey key{font.Name, font.Height, font.Style, font.Quality};
    std::lock_guard<std::mutex> lock(CacheMutex());
    auto it = cache.find(key);
    if (it != cache.end()) return *it->second;

    TFontStyles shape = font.Style & (fsBold | fsItalic);
    auto fam = families.find({font.Name, shape});
    if (fam == families.end()) fam = families.emplace(FamilyKey{font.Name, shape}, MeasureFamily(font.Name, shape)).first;
    const FamilyRatios& r = fam->second;

    auto entry = std::make_unique<TResolvedFont>();
    TTextMetric& m = entry->Metric;
    double cellRatio = r.Ascent + r.Descent;
    if (font.Height > 0) {
        entry->EmPixels = font.Height / cellRatio;
        m.Height = font.Height;
    } else {
        entry->EmPixels = font.Height < 0 ? -font.Height : kDefaultEmPixels;
        m.Height = static_cast<int32_t>(std::lround(entry->EmPixels * cellRatio));
    }
    m.Ascent = static_cast<int32_t>(std::lround(m.Height * r.Ascent / cellRatio));
    m.Descent = m.Height - m.Ascent;
    m.InternalLeading = std::max(0, m.Height - static_cast<int32_t>(std::lround(entry->EmPixels)));
    m.ExternalLeading = static_cast<int32_t>(std::lround(entry->EmPixels * r.Leading));
    m.AveCharWidth = std::max(1, static_cast<int32_t>(std::lround(entry->EmPixels * r.AveChar)));

    entry->Font = BaseFont(font.Name, font.Style, font.Quality);
    entry->Font.setPointSizeF(std::max(entry->EmPixels, 0.01));
    entry->Metrics = QFontMetricsF(entry->Font, MeasuringDevice());
    for (int c = 0; c < 95; ++c) entry->AsciiAdvance[static_cast<size_t>(c)] = entry->Metrics.horizontalAdvance(QChar(32 + c));
    auto* result = entry.get();
    cache.emplace(std::move(key), std::move(entry));
    return *result;
}

double TextAdvance(const TResolvedFont& font, const std::string& text) {
    if (text.empty()) return 0.0;
    if (text.size() > kLongText) return LongAdvance(font, text);
    double width = 0.0;
    for (unsigned char c : text) {
        if (c < 32 || c > 126 || c == 'f') return ShapeText(font, text).Width;
        width += font.AsciiAdvance[c - 32];
    }
    return width;
}

TSize MeasureText(const std::string& text, const TDeviceFont& font, int32_t dpi) {
    const TResolvedFont& f = ResolveFont(font);
    double width = TextAdvance(f, text);
    return {static_cast<int32_t>(std::lround(width)), f.Metric.Height};
}

TTextMetric MeasureFont(const TDeviceFont& font, int32_t dpi) { return ResolveFont(font).Metric; }

TSize TCanvasDevice::TextExtent(const std::string& text, const TDeviceFont& font) {
    return MeasureText(text, font, LogPixelsY());
}

TTextMetric TCanvasDevice::TextMetrics(const TDeviceFont& font) { return MeasureFont(font, LogPixelsY()); }

std::vector<std::string> InstalledFontFamilies() {
    std::vector<std::string> names;
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isPrivateFamily(family)) continue;
        // A family that several foundries make is listed once per foundry,
        // as "Family [Foundry]"; the family name alone selects it.
        QString name = family;
        const qsizetype bracket = name.indexOf(QLatin1String(" ["));
        if (bracket > 0 && name.endsWith(QLatin1Char(']'))) name.truncate(bracket);
        names.push_back(name.toStdString());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = CompareText(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
