#include "platform/graphics/qt/FontCache.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QTextLayout>
#include <cmath>
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

TShapedText ShapeText(const TResolvedFont& font, const std::string& text) {
    static std::unordered_map<ShapeKey, TShapedText, ShapeKeyHash> cache;
    static std::mutex mutex;
    ShapeKey key{&font, text};
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = cache.find(key);
        if (it != cache.end()) return it->second;
    }
    TShapedText shaped;
    if (!text.empty()) {
        QTextLayout layout(ToQString(text), font.Font, MeasuringDevice());
        QTextOption option;
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        layout.endLayout();
        if (line.isValid()) {
            shaped.Width = line.horizontalAdvance();
            double ascent = line.ascent();
            for (QGlyphRun run : layout.glyphRuns()) {
                QList<QPointF> positions = run.positions();
                for (QPointF& p : positions) p.ry() -= ascent;
                run.setPositions(positions);
                shaped.Runs.push_back(run);
            }
        }
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (cache.size() >= kShapeCacheLimit) cache.clear();
    cache.emplace(std::move(key), shaped);
    return shaped;
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
