#include "platform/printing/PdfFonts.h"

#include <QFontInfo>
#include <QHash>
#include <QPainterPath>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/graphics/qt/FontCache.h"
#include "platform/printing/PdfSyntax.h"
#include "platform/runtime/SysUtils.h"

namespace {

// ---------------------------------------------------------------- standard fonts

enum TStandardFamily { sfHelvetica, sfTimes, sfCourier };

// Resolved families with the advance widths of a standard font that also
// look like it (lower case). Courier New and its metric twins are taller
// and darker than Courier: they are embedded.
constexpr std::pair<const char*, TStandardFamily> kMetricCompatible[] = {
    {"liberation sans", sfHelvetica}, {"arimo", sfHelvetica},       {"nimbus sans", sfHelvetica},
    {"nimbus sans l", sfHelvetica},   {"arial", sfHelvetica},       {"helvetica", sfHelvetica},
    {"liberation serif", sfTimes},    {"tinos", sfTimes},           {"nimbus roman", sfTimes},
    {"nimbus roman no9 l", sfTimes},  {"times new roman", sfTimes}, {"times", sfTimes},
    {"nimbus mono ps", sfCourier},    {"nimbus mono l", sfCourier}, {"courier", sfCourier},
};

// Regular, bold, italic, bold italic.
constexpr const char* kStandardNames[3][4] = {
    {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"},
    {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"},
    {"Courier", "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique"},
};

std::string StandardFontFor(const QFont& font, TFontStyles shape) {
    // A family that two foundries offer comes as "Nimbus Sans [URW ]".
    std::string family = QFontInfo(font).family().toLower().toStdString();
    family = family.substr(0, family.find(" ["));
    for (const auto& [name, standard] : kMetricCompatible)
        if (family == name) return kStandardNames[standard][(shape & fsBold ? 1 : 0) + (shape & fsItalic ? 2 : 0)];
    return {};
}

// The Unicode character of each Windows-1252 byte.
const std::array<QChar, 256>& Cp1252Chars() {
    static const std::array<QChar, 256> chars = [] {
        std::array<QChar, 256> a{};
        for (int b = 0; b < 256; ++b) {
            char c = static_cast<char>(b);
            std::string u = Cp1252ToUtf8(std::string_view(&c, 1));
            QString q = QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
            a[static_cast<size_t>(b)] = q.isEmpty() ? QChar(b) : q.at(0);
        }
        return a;
    }();
    return chars;
}

// WinAnsiEncoding has no glyph for controls and five bytes of the 0x80 row.
bool WinAnsiByte(unsigned char b) {
    return b >= 0x20 && b != 0x7F && b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D;
}

// The Windows-1252 bytes of text when every character has one the standard
// fonts show.
bool WinAnsiText(const std::string& utf8, std::string& bytes) {
    bytes = Utf8ToCp1252(utf8);
    // Characters without a byte became '?'.
    if (std::count(bytes.begin(), bytes.end(), '?') != std::count(utf8.begin(), utf8.end(), '?')) return false;
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return WinAnsiByte(static_cast<unsigned char>(c)); });
}

// ---------------------------------------------------------------- embedded faces

constexpr double kGlyphUnits = 1000.0;  // glyph space units per em

}  // namespace

struct TEmbeddedGlyph {
    double Advance = 0;  // glyph space units
    std::string Proc;    // the glyph procedure
    int32_t Box[4] = {0, 0, 0, 0};
};

// A font face whose glyphs files embed, shared by every file.
struct TEmbeddedFace {
    QRawFont Outline;  // kGlyphUnits pixels per em
    std::string Name;
    bool Italic = false;
    bool FixedPitch = false;
    double ItalicAngle = 0;
    double Ascent = 0, Descent = 0, CapHeight = 0;
    std::unordered_map<uint32_t, TEmbeddedGlyph> Glyphs;  // filled on first use
};

namespace {

std::mutex& FaceMutex() {
    static std::mutex m;
    return m;
}

// A PDF name of letters, digits and hyphens.
std::string NameOf(const QRawFont& raw) {
    std::string name;
    for (QChar c : raw.familyName() + QLatin1Char('-') + raw.styleName())
        if (c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('-')))
            name.push_back(static_cast<char>(c.unicode()));
    if (name.empty() || name == "-") name = "Font";
    return name;
}

// The italic angle of the font's 'post' table, 0 without one.
double ItalicAngleOf(const QRawFont& raw) {
    const QByteArray post = raw.fontTable("post");
    if (post.size() < 8) return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(post.constData()) + 4;
    const int32_t fixed =
        static_cast<int32_t>((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]);
    return fixed / 65536.0;
}

// The face behind a run's raw font; raw fonts of one face at other sizes
// find the same entry.
TEmbeddedFace* EmbeddedFaceFor(const QRawFont& raw) {
    static QHash<QRawFont, TEmbeddedFace*> byRaw;
    static std::map<std::string, std::unique_ptr<TEmbeddedFace>> faces;
    std::lock_guard<std::mutex> lock(FaceMutex());
    if (auto it = byRaw.constFind(raw); it != byRaw.constEnd()) return it.value();
    const std::string key = raw.familyName().toStdString() + '\n' + raw.styleName().toStdString() + '\n' +
                            std::to_string(raw.weight()) + '\n' + std::to_string(int(raw.style()));
    auto& face = faces[key];
    if (!face) {
        face = std::make_unique<TEmbeddedFace>();
        face->Outline = raw;
        face->Outline.setPixelSize(kGlyphUnits);
        face->Name = NameOf(raw);
        face->Italic = raw.style() != QFont::StyleNormal;
        face->ItalicAngle = ItalicAngleOf(raw);
        face->Ascent = face->Outline.ascent();
        face->Descent = -face->Outline.descent();
        face->CapHeight = face->Outline.capHeight();
        const QList<quint32> i = face->Outline.glyphIndexesForString(QStringLiteral("iM"));
        if (i.size() == 2) {
            const QList<QPointF> a = face->Outline.advancesForGlyphIndexes(i, QRawFont::UseDesignMetrics);
            face->FixedPitch = std::fabs(a[0].x() - a[1].x()) < 0.5;
        }
    }
    byRaw.insert(raw, face.get());
    return face.get();
}

void AppendCoord(std::string& out, double v) { AppendNum(out, std::round(v * 10) / 10); }

// The glyph procedure from the outline: advance and box (d1, so that the
// text's colour fills it), then the outline, y up, filled non-zero.
const TEmbeddedGlyph& GlyphOf(TEmbeddedFace& face, uint32_t id) {
    std::lock_guard<std::mutex> lock(FaceMutex());
    auto [it, added] = face.Glyphs.try_emplace(id);
    TEmbeddedGlyph& g = it->second;
    if (!added) return g;
    QPointF advance;
    quint32 index = id;
    face.Outline.advancesForGlyphIndexes(&index, &advance, 1, QRawFont::UseDesignMetrics);
    g.Advance = advance.x();
    const QPainterPath path = face.Outline.pathForGlyph(id);
    if (!path.isEmpty()) {
        const QRectF r = path.controlPointRect();
        g.Box[0] = static_cast<int32_t>(std::floor(r.left())) - 1;
        g.Box[1] = static_cast<int32_t>(std::floor(-r.bottom())) - 1;
        g.Box[2] = static_cast<int32_t>(std::ceil(r.right())) + 1;
        g.Box[3] = static_cast<int32_t>(std::ceil(-r.top())) + 1;
    }
    std::string& o = g.Proc;
    AppendCoord(o, g.Advance);
    o += " 0";
    for (int32_t v : g.Box) {
        o.push_back(' ');
        AppendInt(o, v);
    }
    o += " d1\n";
    if (path.isEmpty()) return g;
    auto point = [&](const QPainterPath::Element& e) {
        AppendCoord(o, e.x);
        o.push_back(' ');
        AppendCoord(o, -e.y);
        o.push_back(' ');
    };
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        if (e.isMoveTo()) {
            point(e);
            o += "m\n";
        } else if (e.isLineTo()) {
            point(e);
            o += "l\n";
        } else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            point(e);
            point(path.elementAt(i + 1));
            point(path.elementAt(i + 2));
            o += "c\n";
            i += 2;
        }
    }
    o += "f";
    return g;
}

// What each glyph of a run shows. A run that is the whole text left to
// right follows it character by character, a ligature taking the
// characters up to the next glyph's; otherwise the font's character map
// answers.
std::vector<std::u16string> GlyphTexts(const QGlyphRun& run, const QString& text, bool whole) {
    const QList<quint32> glyphs = run.glyphIndexes();
    // The text's code points: where each starts, and its glyph in this font.
    std::vector<qsizetype> starts;
    for (qsizetype k = 0; k < text.size(); ++k) {
        starts.push_back(k);
        if (text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate()) ++k;
    }
    const qsizetype chars = static_cast<qsizetype>(starts.size());
    starts.push_back(text.size());
    std::vector<quint32> expected(starts.size(), 0);
    int count = static_cast<int>(expected.size());
    if (!run.rawFont().glyphIndexesForChars(text.constData(), static_cast<int>(text.size()), expected.data(), &count) ||
        count != chars)
        std::fill(expected.begin(), expected.end(), 0);
    auto part = [&](qsizetype from, qsizetype to) {
        return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()) + starts[static_cast<size_t>(from)],
                              static_cast<size_t>(starts[static_cast<size_t>(to)] - starts[static_cast<size_t>(from)]));
    };
    auto glyphOf = [&](qsizetype j) { return expected[static_cast<size_t>(j)]; };

    std::vector<std::u16string> texts(static_cast<size_t>(glyphs.size()));
    bool aligned = whole;
    for (qsizetype i = 0, j = 0; aligned && i < glyphs.size(); ++i) {
        if (j >= chars) {
            aligned = false;
            break;
        }
        qsizetype next = j + 1;
        if (glyphs[i] != glyphOf(j)) {
            if (i + 1 < glyphs.size()) {
                while (next < chars && glyphOf(next) != glyphs[i + 1]) ++next;
                if (next == chars) aligned = false;
            } else {
                next = chars;
            }
        }
        texts[static_cast<size_t>(i)] = part(j, next);
        j = next;
    }
    if (aligned) return texts;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        texts[static_cast<size_t>(i)].clear();
        for (qsizetype j = 0; j < chars && glyphs[i] != 0; ++j)
            if (glyphOf(j) == glyphs[i]) {
                texts[static_cast<size_t>(i)] = part(j, j + 1);
                break;
            }
    }
    return texts;
}

void AppendUtf16Hex(std::string& out, const std::u16string& s) {
    for (char16_t u : s) {
        AppendHexByte(out, static_cast<uint8_t>(u >> 8));
        AppendHexByte(out, static_cast<uint8_t>(u & 0xFF));
    }
}

// Six capital letters naming a subset, as readers expect before "+".
std::string SubsetTag(const std::string& name, const std::vector<uint32_t>& glyphs) {
    uint64_t h = 1469598103934665603ULL;
    auto mix = [&h](uint64_t v) { h = (h ^ v) * 1099511628211ULL; };
    for (char c : name) mix(static_cast<unsigned char>(c));
    for (uint32_t g : glyphs) mix(g);
    std::string tag(6, 'A');
    for (char& c : tag) {
        c = static_cast<char>('A' + h % 26);
        h /= 26;
    }
    return tag;
}

// The ToUnicode map of a Type 3 font: code n + 1 shows texts[n].
std::string ToUnicodeCMap(const std::vector<std::u16string>& texts) {
    std::string cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n";
    std::vector<size_t> mapped;
    for (size_t i = 0; i < texts.size(); ++i)
        if (!texts[i].empty()) mapped.push_back(i);
    for (size_t from = 0; from < mapped.size(); from += 100) {
        const size_t to = std::min(mapped.size(), from + 100);
        AppendInt(cmap, static_cast<int64_t>(to - from));
        cmap += " beginbfchar\n";
        for (size_t k = from; k < to; ++k) {
            cmap.push_back('<');
            AppendHexByte(cmap, static_cast<uint8_t>(mapped[k] + 1));
            cmap += "> <";
            AppendUtf16Hex(cmap, texts[mapped[k]]);
            cmap += ">\n";
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
    return cmap;
}

}  // namespace

// ---------------------------------------------------------------- faces of TFont names

const TPdfFace& PdfFaceFor(const std::string& name, TFontStyles style) {
    static std::map<std::pair<std::string, int>, std::unique_ptr<TPdfFace>> faces;
    static std::mutex mutex;
    const TFontStyles shape = style & (fsBold | fsItalic);
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = faces[{name, shape}];
    if (slot) return *slot;
    TDeviceFont probe;
    probe.Name = name;
    probe.Height = -1000;
    probe.Style = shape;
    const TResolvedFont& resolved = ResolveFont(probe);
    auto face = std::make_unique<TPdfFace>();
    face->StandardFont = StandardFontFor(resolved.Font, shape);
    const auto& chars = Cp1252Chars();
    for (int b = 32; b < 256; ++b)
        face->Widths[static_cast<size_t>(b)] = resolved.Metrics.horizontalAdvance(chars[static_cast<size_t>(b)]);
    const double em = resolved.EmPixels > 0 ? resolved.EmPixels : 1000.0;
    face->UnderlinePos = std::max(0.0, resolved.Metrics.underlinePos()) / em;
    face->UnderlineWidth = std::max(0.02, resolved.Metrics.lineWidth() / em);
    slot = std::move(face);
    return *slot;
}

TPdfText PreparePdfText(const std::string& utf8, const TPdfFace& face, const TResolvedFont& font) {
    TPdfText t;
    t.Face = &face;
    if (!face.StandardFont.empty() && WinAnsiText(utf8, t.Bytes)) {
        t.Standard = true;
        double units = 0;
        for (unsigned char c : t.Bytes) units += face.Widths[c];
        t.Width = units * font.EmPixels / 1000.0;
        return t;
    }
    t.Bytes = utf8;
    t.Shaped = std::make_shared<const TShapedText>(ShapeText(font, utf8));
    t.Width = t.Shaped->Width;
    return t;
}

// ---------------------------------------------------------------- the fonts of a file

// Up to 255 codes of a face, from 1. A glyph that shows two texts (Latin A
// and Greek Alpha may share one) has a code for each, and one procedure.
struct TPdfFontSet::TType3 {
    TEmbeddedFace* Face = nullptr;
    int32_t Resource = 0;
    std::vector<uint32_t> Glyphs;  // by code - 1
    std::vector<std::u16string> Texts;
    std::vector<uint32_t> Procedures;  // each glyph once, in order of use
};

struct TPdfFontSet::TCodes {
    struct Key {
        const TEmbeddedFace* Face;
        uint32_t Glyph;
        std::u16string Text;
        bool operator==(const Key&) const = default;
    };
    struct Hash {
        size_t operator()(const Key& k) const {
            return std::hash<const void*>()(k.Face) ^ (size_t(k.Glyph) * 0x9e3779b97f4a7c15ULL) ^
                   (std::hash<std::u16string>()(k.Text) << 1);
        }
    };
    std::unordered_map<Key, std::pair<int32_t, uint8_t>, Hash> Codes;
    std::unordered_map<const TEmbeddedFace*, size_t> Open;  // the face's font with room left
};

constexpr size_t kCodesPerFont = 255;

TPdfFontSet::TPdfFontSet() : FCodes(std::make_unique<TCodes>()) {}
TPdfFontSet::~TPdfFontSet() = default;

int32_t TPdfFontSet::StandardResource(const TPdfFace* face) {
    for (const auto& [f, r] : FStandard)
        if (f == face) return r;
    FResources.push_back({face, 0});
    const int32_t r = ResourceCount();
    FStandard.emplace_back(face, r);
    return r;
}

std::pair<int32_t, uint8_t> TPdfFontSet::Code(TEmbeddedFace* face, uint32_t glyph, const std::u16string& text) {
    TCodes::Key key{face, glyph, text};
    if (auto it = FCodes->Codes.find(key); it != FCodes->Codes.end()) return it->second;
    // A glyph with a second text goes where its procedure is, if there is room.
    for (size_t k = 0; k < FType3.size(); ++k) {
        TType3& font = *FType3[k];
        if (font.Face != face || font.Glyphs.size() >= kCodesPerFont ||
            std::find(font.Procedures.begin(), font.Procedures.end(), glyph) == font.Procedures.end())
            continue;
        font.Glyphs.push_back(glyph);
        font.Texts.push_back(text);
        const std::pair<int32_t, uint8_t> code{font.Resource, static_cast<uint8_t>(font.Glyphs.size())};
        FCodes->Codes.emplace(std::move(key), code);
        return code;
    }
    auto open = FCodes->Open.find(face);
    if (open == FCodes->Open.end() || FType3[open->second]->Glyphs.size() >= kCodesPerFont) {
        auto font = std::make_unique<TType3>();
        font->Face = face;
        FResources.push_back({nullptr, FType3.size()});
        font->Resource = ResourceCount();
        FCodes->Open[face] = FType3.size();
        FType3.push_back(std::move(font));
        open = FCodes->Open.find(face);
    }
    TType3& font = *FType3[open->second];
    font.Procedures.push_back(glyph);
    font.Glyphs.push_back(glyph);
    font.Texts.push_back(text);
    const std::pair<int32_t, uint8_t> code{font.Resource, static_cast<uint8_t>(font.Glyphs.size())};
    FCodes->Codes.emplace(std::move(key), code);
    return code;
}

void TPdfFontSet::Show(std::string& out, const TPdfText& text, double em) {
    auto font = [&](int32_t resource) {
        out += "/F";
        AppendInt(out, resource);
        out.push_back(' ');
        AppendNum(out, em);
        out += " Tf ";
    };
    if (text.Standard) {
        font(StandardResource(text.Face));
        AppendLiteral(out, text.Bytes);
        out += " Tj";
        return;
    }
    if (em <= 0 || !text.Shaped) return;
    // Glyphs go where the layout put them: a TJ array per stretch of one
    // font on one base line, its numbers taking up what the advances miss.
    double lineX = 0, lineY = 0;  // the text line matrix, from Td
    double penX = 0, penY = 0;
    int32_t current = 0;
    bool inArray = false, inString = false;
    auto closeString = [&] {
        if (inString) out.push_back('>');
        inString = false;
    };
    auto closeArray = [&] {
        closeString();
        if (inArray) out += "] TJ\n";
        inArray = false;
    };
    const QString chars = ToQString(text.Bytes);
    for (const QGlyphRun& run : text.Shaped->Runs) {
        TEmbeddedFace* face = EmbeddedFaceFor(run.rawFont());
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        const std::vector<std::u16string> texts = GlyphTexts(run, chars, text.Shaped->Runs.size() == 1);
        for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
            const auto [resource, code] = Code(face, glyphs[i], texts[static_cast<size_t>(i)]);
            const TEmbeddedGlyph& glyph = GlyphOf(*face, glyphs[i]);
            const double x = positions[i].x(), y = -positions[i].y();
            if (resource != current) {
                closeArray();
                font(resource);
                current = resource;
            }
            if (std::fabs(y - penY) > 0.01 || (!inArray && std::fabs(x - penX) > 0.01)) {
                closeArray();
                AppendNum(out, x - lineX);
                out.push_back(' ');
                AppendNum(out, y - lineY);
                out += " Td ";
                lineX = penX = x;
                lineY = penY = y;
            }
            if (!inArray) {
                out.push_back('[');
                inArray = true;
            }
            // Differences below half a unit of the em are the layout's
            // rounding; they add up until they are worth a number.
            const double adjust = (penX - x) * kGlyphUnits / em;
            if (std::fabs(adjust) >= 0.5) {
                closeString();
                AppendNum(out, adjust);
                penX = x;
            }
            if (!inString) {
                out.push_back('<');
                inString = true;
            }
            AppendHexByte(out, code);
            penX += glyph.Advance * em / kGlyphUnits;
        }
    }
    closeArray();
}

int32_t TPdfFontSet::ObjectsOf(const TResource& r) const {
    return r.Standard ? 1 : 4 + static_cast<int32_t>(FType3[r.Type3]->Procedures.size());
}

int32_t TPdfFontSet::ObjectCount() const {
    int32_t n = 0;
    for (const TResource& r : FResources) n += ObjectsOf(r);
    return n;
}

void TPdfFontSet::AppendResources(std::string& out, int32_t first) const {
    int32_t n = first;
    for (size_t i = 0; i < FResources.size(); ++i) {
        out += " /F";
        AppendInt(out, static_cast<int64_t>(i) + 1);
        out.push_back(' ');
        AppendInt(out, n);
        out += " 0 R";
        n += ObjectsOf(FResources[i]);
    }
}

void TPdfFontSet::Write(std::string& out, int32_t first, const std::function<void(int32_t)>& begin) const {
    int32_t n = first;
    for (const TResource& r : FResources) {
        if (r.Standard) {
            begin(n);
            out += "<< /Type /Font /Subtype /Type1 /BaseFont /";
            out += r.Standard->StandardFont;
            out += " /Encoding /WinAnsiEncoding /FirstChar 32 /LastChar 255 /Widths [";
            for (int b = 32; b < 256; ++b) {
                out.push_back(b % 16 == 0 ? '\n' : ' ');
                AppendNum(out, r.Standard->Widths[static_cast<size_t>(b)]);
            }
            out += " ] >>\nendobj\n";
        } else {
            WriteType3(out, *FType3[r.Type3], n, begin);
        }
        n += ObjectsOf(r);
    }
}

// The font, its glyph procedures' names, its descriptor, its ToUnicode map,
// then the procedures, as objects first, first + 1, ...
void TPdfFontSet::WriteType3(std::string& out, const TType3& font, int32_t first,
                             const std::function<void(int32_t)>& begin) const {
    const TEmbeddedFace& face = *font.Face;
    const int32_t fontObject = first, procs = first + 1, descriptor = first + 2, toUnicode = first + 3,
                  firstGlyph = first + 4;
    const int32_t count = static_cast<int32_t>(font.Glyphs.size());
    std::vector<const TEmbeddedGlyph*> procedures;
    int32_t box[4] = {0, 0, 0, 0};
    for (uint32_t id : font.Procedures) {
        procedures.push_back(&GlyphOf(*font.Face, id));
        const int32_t* b = procedures.back()->Box;
        box[0] = std::min(box[0], b[0]), box[1] = std::min(box[1], b[1]);
        box[2] = std::max(box[2], b[2]), box[3] = std::max(box[3], b[3]);
    }
    const std::string name = SubsetTag(face.Name, font.Procedures) + "+" + face.Name;
    auto appendBox = [&] {
        out += "[";
        for (int32_t i = 0; i < 4; ++i) {
            if (i) out.push_back(' ');
            AppendInt(out, box[i]);
        }
        out += "]";
    };
    auto ref = [&](int32_t object) {
        AppendInt(out, object);
        out += " 0 R";
    };

    begin(fontObject);
    out += "<< /Type /Font /Subtype /Type3 /BaseFont /";
    out += name;
    out += " /FontBBox ";
    appendBox();
    out += " /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs ";
    ref(procs);
    out += "\n/Encoding << /Type /Encoding /Differences [1";
    for (size_t i = 0; i < font.Glyphs.size(); ++i) {
        out += i % 16 == 15 ? "\n/g" : " /g";
        AppendInt(out, font.Glyphs[i]);
    }
    out += "] >>\n/FirstChar 1 /LastChar ";
    AppendInt(out, count);
    out += " /Widths [";
    for (size_t i = 0; i < font.Glyphs.size(); ++i) {
        out.push_back(i % 16 == 15 ? '\n' : ' ');
        AppendCoord(out, GlyphOf(*font.Face, font.Glyphs[i]).Advance);
    }
    out += " ]\n/FontDescriptor ";
    ref(descriptor);
    out += " /ToUnicode ";
    ref(toUnicode);
    out += " /Resources << >> >>\nendobj\n";

    begin(procs);
    out += "<<";
    for (size_t i = 0; i < font.Procedures.size(); ++i) {
        out += i % 8 == 7 ? "\n/g" : " /g";
        AppendInt(out, font.Procedures[i]);
        out.push_back(' ');
        ref(firstGlyph + static_cast<int32_t>(i));
    }
    out += " >>\nendobj\n";

    begin(descriptor);
    out += "<< /Type /FontDescriptor /FontName /";
    out += name;
    // Symbolic: the glyphs are named by the file, not by a standard set.
    out += " /Flags ";
    AppendInt(out, 4 + (face.FixedPitch ? 1 : 0) + (face.Italic ? 64 : 0));
    out += " /FontBBox ";
    appendBox();
    out += " /ItalicAngle ";
    AppendNum(out, face.ItalicAngle);
    out += " /Ascent ";
    AppendCoord(out, face.Ascent);
    out += " /Descent ";
    AppendCoord(out, face.Descent);
    out += " /CapHeight ";
    AppendCoord(out, face.CapHeight);
    out += " /StemV 80 >>\nendobj\n";

    const std::string cmap = ToUnicodeCMap(font.Texts);
    auto stream = [&](int32_t object, const std::string& data) {
        begin(object);
        out += "<< /Length ";
        AppendInt(out, static_cast<int64_t>(data.size()));
        out += " >>\nstream\n";
        out += data;
        out += "\nendstream\nendobj\n";
    };
    stream(toUnicode, cmap);
    for (size_t i = 0; i < procedures.size(); ++i)
        stream(firstGlyph + static_cast<int32_t>(i), procedures[i]->Proc);
}
