#include "platform/graphics/Metafile.h"

#include <QString>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/qt/FontCache.h"
#include "platform/graphics/GraphicsConst.h"

namespace {

enum class MetaKind { Fill, Text, Polyline, Polygon, Ellipse };

struct MetaRecord {
    MetaKind Kind = MetaKind::Fill;
    TRect Rect;
    std::vector<TPoint> Points;
    std::string Text;
    TDeviceFont Font;
    uint32_t Align = 0;
    bool Opaque = false;
    TColor Background = clWhite;
    bool HasPen = false;
    TDevicePen Pen;
    bool HasBrush = false;
    TDeviceBrush Brush;
};

[[noreturn]] void Invalid() { throw EInvalidGraphic(GraphicsConst::SInvalidMetafile); }

int32_t Round(double v) { return static_cast<int32_t>(std::lround(v)); }

// ---------------------------------------------------------------- byte output

struct Out {
    std::string s;
    void U8(uint32_t v) { s.push_back(char(v & 0xFF)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void I16(int32_t v) { U16(static_cast<uint32_t>(static_cast<uint16_t>(std::clamp(v, -32768, 32767)))); }
    void F32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        U32(v);
    }
    void Set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    void Pad4() {
        while (s.size() % 4) U8(0);
    }
};

struct In {
    const std::string& b;
    uint32_t U8(size_t o) const {
        if (o >= b.size()) Invalid();
        return uint8_t(b[o]);
    }
    uint32_t U16(size_t o) const { return U8(o) | (U8(o + 1) << 8); }
    uint32_t U32(size_t o) const { return U16(o) | (U16(o + 2) << 16); }
    int32_t I32(size_t o) const { return static_cast<int32_t>(U32(o)); }
    int32_t I16(size_t o) const { return static_cast<int16_t>(U16(o)); }
};

// Pixel advances of each UTF-16 unit of a text, for the records' Dx arrays.
std::vector<int32_t> Advances(const QString& text, const TDeviceFont& font) {
    const TResolvedFont& f = ResolveFont(font);
    std::vector<int32_t> dx;
    int32_t previous = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        int32_t at = Round(f.Metrics.horizontalAdvance(text.left(i)));
        dx.push_back(at - previous);
        previous = at;
    }
    return dx;
}

// Corners of a text's cell as TextOut places it, for record bounds.
TRect TextBounds(const MetaRecord& r) {
    TSize extent = MeasureText(r.Text, r.Font, 96);
    TTextMetric tm = MeasureFont(r.Font, 96);
    double x0 = 0, top = 0;
    if ((r.Align & TA_CENTER) == TA_CENTER) x0 = -extent.cx / 2;
    else if ((r.Align & TA_CENTER) == TA_RIGHT) x0 = -extent.cx;
    if ((r.Align & TA_BASELINE) == TA_BASELINE) top = -tm.Ascent;
    else if ((r.Align & TA_BASELINE) == TA_BOTTOM) top = -tm.Height;
    double a = r.Font.Escapement / 10.0 * M_PI / 180.0;
    double c = std::cos(a), s = std::sin(a);
    double xs[4] = {x0, x0 + extent.cx, x0 + extent.cx, x0};
    double ys[4] = {top, top, top + tm.Height, top + tm.Height};
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < 4; ++i) {
        int32_t x = r.Rect.Left + Round(xs[i] * c + ys[i] * s);
        int32_t y = r.Rect.Top + Round(-xs[i] * s + ys[i] * c);
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y)};
    }
    return box;
}

uint32_t LogWeight(const TDeviceFont& f) { return (f.Style & fsBold) ? 700 : 400; }
uint32_t LogQuality(const TDeviceFont& f) {
    switch (f.Quality) {
    case fqDraft: return 1;
    case fqProof: return 2;
    case fqNonAntialiased: return 3;
    case fqAntialiased: return 4;
    default: return 0;
    }
}
uint32_t BrushStyleCode(TBrushStyle s, uint32_t& hatch) {
    hatch = 0;
    switch (s) {
    case bsClear: return 1;  // BS_NULL
    case bsHorizontal: hatch = 0; return 2;
    case bsVertical: hatch = 1; return 2;
    case bsFDiagonal: hatch = 2; return 2;
    case bsBDiagonal: hatch = 3; return 2;
    case bsCross: hatch = 4; return 2;
    case bsDiagCross: hatch = 5; return 2;
    default: return 0;  // BS_SOLID
    }
}
TBrushStyle BrushStyleOf(uint32_t code, uint32_t hatch) {
    if (code == 1) return bsClear;
    if (code != 2) return bsSolid;
    static const TBrushStyle hatches[6] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    return hatch < 6 ? hatches[hatch] : bsSolid;
}
uint32_t PenStyleCode(TPenStyle s) {
    switch (s) {
    case psDash: return 1;
    case psDot: return 2;
    case psDashDot: return 3;
    case psDashDotDot: return 4;
    case psClear: return 5;
    case psInsideFrame: return 6;
    default: return 0;
    }
}
TPenStyle PenStyleOf(uint32_t code) {
    static const TPenStyle styles[7] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    return code < 7 ? styles[code] : psSolid;
}

// What the writers last selected, so that unchanged state is not repeated.
struct WriterState {
    bool HasBrush = false, HasPen = false, HasFont = false, HasAlign = false, HasMode = false, HasTextColor = false,
         HasBk = false;
    TDeviceBrush Brush;
    bool BrushNull = false;
    TDevicePen Pen;
    bool PenNull = false;
    TDeviceFont Font;
    uint32_t Align = 0;
    bool Opaque = false;
    TColor TextColor = 0, Bk = 0;
};

bool SameBrush(const TDeviceBrush& a, const TDeviceBrush& b) { return a.Color == b.Color && a.Style == b.Style; }
bool SamePen(const TDevicePen& a, const TDevicePen& b) {
    return a.Color == b.Color && a.Width == b.Width && a.Style == b.Style;
}
bool SameFontShape(const TDeviceFont& a, const TDeviceFont& b) {
    return a.Name == b.Name && a.Height == b.Height && a.Style == b.Style && a.Escapement == b.Escapement &&
           a.Quality == b.Quality;
}

// ---------------------------------------------------------------- EMF

constexpr uint32_t EMR_HEADER = 1, EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_EOF = 14, EMR_SETMAPMODE = 17,
                   EMR_SETBKMODE = 18, EMR_SETTEXTALIGN = 22, EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25,
                   EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38, EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40,
                   EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTW = 84,
                   EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87;
constexpr uint32_t kStock = 0x80000000u, kNullBrush = kStock | 5, kNullPen = kStock | 8, kWhiteBrush = kStock | 0;
constexpr uint32_t kBrushHandle = 1, kPenHandle = 2, kFontHandle = 3;

class EmfWriter {
public:
    EmfWriter(int32_t w, int32_t h, int32_t inch, int32_t mmw, int32_t mmh) {
        // Header: the frame in 0.01 mm; the reference device a virtual metre
        // at the metafile's resolution, so that readers find its scale.
        o.U32(EMR_HEADER);
        o.U32(108);
        o.I32(0), o.I32(0), o.I32(std::max(0, w - 1)), o.I32(std::max(0, h - 1));
        o.I32(0), o.I32(0), o.I32(mmw), o.I32(mmh);
        o.U32(0x464D4520);
        o.U32(0x00010000);
        o.U32(0);  // bytes, set at the end
        o.U32(0);  // records, set at the end
        o.U16(4);  // handles: the reserved 0 and brush, pen, font
        o.U16(0);
        o.U32(0), o.U32(0);  // no description
        o.U32(0);            // no palette
        int32_t device = Round(inch * 1000 / 25.4);
        o.I32(device), o.I32(device);
        o.I32(1000), o.I32(1000);
        o.U32(0), o.U32(0), o.U32(0);
        o.I32(1000000), o.I32(1000000);
        records = 1;
        Record(EMR_SETMAPMODE, {1});
    }

    void Add(const MetaRecord& r) {
        switch (r.Kind) {
        case MetaKind::Fill: {
            SelectBrush(&r.Brush);
            SelectPen(nullptr);
            // Without a pen a rectangle fills one pixel less each way.
            Begin(EMR_RECTANGLE);
            o.I32(r.Rect.Left), o.I32(r.Rect.Top), o.I32(r.Rect.Right + 1), o.I32(r.Rect.Bottom + 1);
            End();
            break;
        }
        case MetaKind::Ellipse:
            SelectBrush(r.HasBrush ? &r.Brush : nullptr);
            SelectPen(r.HasPen ? &r.Pen : nullptr);
            Begin(EMR_ELLIPSE);
            o.I32(r.Rect.Left), o.I32(r.Rect.Top), o.I32(r.Rect.Right), o.I32(r.Rect.Bottom);
            End();
            break;
        case MetaKind::Polyline:
        case MetaKind::Polygon: {
            bool polygon = r.Kind == MetaKind::Polygon;
            SelectBrush(polygon && r.HasBrush ? &r.Brush : nullptr);
            SelectPen(r.HasPen ? &r.Pen : nullptr);
            Begin(polygon ? EMR_POLYGON : EMR_POLYLINE);
            TRect b = Bounds(r.Points);
            o.I32(b.Left), o.I32(b.Top), o.I32(b.Right), o.I32(b.Bottom);
            o.U32(static_cast<uint32_t>(r.Points.size()));
            for (const TPoint& p : r.Points) o.I32(p.X), o.I32(p.Y);
            End();
            break;
        }
        case MetaKind::Text: Text(r); break;
        }
    }

    std::string Finish() {
        Record(EMR_SELECTOBJECT, {kWhiteBrush});
        Record(EMR_SELECTOBJECT, {kNullPen});
        Begin(EMR_EOF);
        o.U32(0), o.U32(16), o.U32(20);
        End();
        o.Set32(48, static_cast<uint32_t>(o.s.size()));
        o.Set32(52, records);
        return o.s;
    }

private:
    static TRect Bounds(const std::vector<TPoint>& pts) {
        TRect b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (const TPoint& p : pts) b = {std::min(b.Left, p.X), std::min(b.Top, p.Y), std::max(b.Right, p.X), std::max(b.Bottom, p.Y)};
        return b;
    }
    void Begin(uint32_t type) {
        at = o.s.size();
        o.U32(type);
        o.U32(0);
    }
    void End() {
        o.Pad4();
        o.Set32(at + 4, static_cast<uint32_t>(o.s.size() - at));
        ++records;
    }
    void Record(uint32_t type, std::initializer_list<uint32_t> values) {
        Begin(type);
        for (uint32_t v : values) o.U32(v);
        End();
    }
    void SelectBrush(const TDeviceBrush* brush) {
        if (!brush || brush->Style == bsClear) {
            if (s.HasBrush && s.BrushNull) return;
            Record(EMR_SELECTOBJECT, {kNullBrush});
            if (s.HasBrush && !s.BrushNull) Record(EMR_DELETEOBJECT, {kBrushHandle});
            s.HasBrush = true, s.BrushNull = true;
            return;
        }
        if (s.HasBrush && !s.BrushNull && SameBrush(s.Brush, *brush)) return;
        if (s.HasBrush && !s.BrushNull) {
            Record(EMR_SELECTOBJECT, {kNullBrush});
            Record(EMR_DELETEOBJECT, {kBrushHandle});
        }
        uint32_t hatch;
        uint32_t style = BrushStyleCode(brush->Style, hatch);
        Record(EMR_CREATEBRUSHINDIRECT, {kBrushHandle, style, static_cast<uint32_t>(brush->Color), hatch});
        Record(EMR_SELECTOBJECT, {kBrushHandle});
        s.HasBrush = true, s.BrushNull = false, s.Brush = *brush;
    }
    void SelectPen(const TDevicePen* pen) {
        if (!pen || pen->Style == psClear) {
            if (s.HasPen && s.PenNull) return;
            Record(EMR_SELECTOBJECT, {kNullPen});
            if (s.HasPen && !s.PenNull) Record(EMR_DELETEOBJECT, {kPenHandle});
            s.HasPen = true, s.PenNull = true;
            return;
        }
        if (s.HasPen && !s.PenNull && SamePen(s.Pen, *pen)) return;
        if (s.HasPen && !s.PenNull) {
            Record(EMR_SELECTOBJECT, {kNullPen});
            Record(EMR_DELETEOBJECT, {kPenHandle});
        }
        Record(EMR_CREATEPEN, {kPenHandle, PenStyleCode(pen->Style), static_cast<uint32_t>(pen->Width), 0,
                               static_cast<uint32_t>(pen->Color)});
        Record(EMR_SELECTOBJECT, {kPenHandle});
        s.HasPen = true, s.PenNull = false, s.Pen = *pen;
    }
    void Text(const MetaRecord& r) {
        if (!s.HasFont || !SameFontShape(s.Font, r.Font)) {
            if (s.HasFont) {
                Record(EMR_SELECTOBJECT, {kStock | 13});  // SYSTEM_FONT
                Record(EMR_DELETEOBJECT, {kFontHandle});
            }
            Begin(EMR_EXTCREATEFONTINDIRECTW);
            o.U32(kFontHandle);
            o.I32(r.Font.Height);
            o.I32(0);
            o.I32(r.Font.Escapement);
            o.I32(r.Font.Escapement);
            o.U32(LogWeight(r.Font));
            o.U8((r.Font.Style & fsItalic) ? 1 : 0);
            o.U8((r.Font.Style & fsUnderline) ? 1 : 0);
            o.U8((r.Font.Style & fsStrikeOut) ? 1 : 0);
            o.U8(1);  // DEFAULT_CHARSET
            o.U8(0), o.U8(0);
            o.U8(LogQuality(r.Font));
            o.U8(0);
            QString face = ToQString(r.Font.Name).left(31);
            for (int i = 0; i < 32; ++i) o.U16(i < face.size() ? face.at(i).unicode() : 0);
            End();
            Record(EMR_SELECTOBJECT, {kFontHandle});
            s.HasFont = true, s.Font = r.Font;
        }
        if (!s.HasAlign || s.Align != r.Align) Record(EMR_SETTEXTALIGN, {r.Align}), s.HasAlign = true, s.Align = r.Align;
        if (!s.HasMode || s.Opaque != r.Opaque)
            Record(EMR_SETBKMODE, {r.Opaque ? 2u : 1u}), s.HasMode = true, s.Opaque = r.Opaque;
        if (!s.HasTextColor || s.TextColor != r.Font.Color)
            Record(EMR_SETTEXTCOLOR, {static_cast<uint32_t>(r.Font.Color)}), s.HasTextColor = true,
                s.TextColor = r.Font.Color;
        if (r.Opaque && (!s.HasBk || s.Bk != r.Background))
            Record(EMR_SETBKCOLOR, {static_cast<uint32_t>(r.Background)}), s.HasBk = true, s.Bk = r.Background;

        QString text = ToQString(r.Text);
        std::vector<int32_t> dx = Advances(text, r.Font);
        uint32_t n = static_cast<uint32_t>(text.size());
        uint32_t offString = 76;
        uint32_t offDx = offString + ((n * 2 + 3) / 4) * 4;
        TRect b = TextBounds(r);
        Begin(EMR_EXTTEXTOUTW);
        o.I32(b.Left), o.I32(b.Top), o.I32(b.Right), o.I32(b.Bottom);
        o.U32(1);  // GM_COMPATIBLE
        float scale = 2540.0f / 96.0f;
        o.F32(scale), o.F32(scale);
        o.I32(r.Rect.Left), o.I32(r.Rect.Top);
        o.U32(n);
        o.U32(offString);
        o.U32(0);
        o.I32(0), o.I32(0), o.I32(-1), o.I32(-1);
        o.U32(offDx);
        for (QChar c : text) o.U16(c.unicode());
        o.Pad4();
        for (int32_t d : dx) o.I32(d);
        End();
    }

    Out o;
    size_t at = 0;
    uint32_t records = 0;
    WriterState s;
};

// ---------------------------------------------------------------- WMF

constexpr uint32_t META_SETBKCOLOR = 0x0201, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
                   META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
                   META_SETTEXTALIGN = 0x012E, META_SELECTOBJECT = 0x012D, META_DELETEOBJECT = 0x01F0,
                   META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB,
                   META_CREATEBRUSHINDIRECT = 0x02FC, META_RECTANGLE = 0x041B, META_ELLIPSE = 0x0418,
                   META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_EXTTEXTOUT = 0x0A32;

class WmfWriter {
public:
    WmfWriter(int32_t w, int32_t h, int32_t inch) {
        // Placeable header: the bounding box in logical units (pixels) and
        // how many of them make an inch.
        o.U32(0x9AC6CDD7);
        o.U16(0);
        o.I16(0), o.I16(0), o.I16(w), o.I16(h);
        o.U16(static_cast<uint32_t>(inch));
        o.U32(0);
        uint16_t sum = 0;
        for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(uint8_t(o.s[i]) | (uint8_t(o.s[i + 1]) << 8));
        o.U16(sum);
        header = o.s.size();
        o.U16(1);  // in memory
        o.U16(9);
        o.U16(0x0300);
        o.U32(0);  // size in words, set at the end
        o.U16(0);  // objects, set at the end
        o.U32(0);  // largest record, set at the end
        o.U16(0);
        Record(META_SETMAPMODE, {8});  // MM_ANISOTROPIC: the window below maps onto the placeable box
        Record(META_SETWINDOWORG, {0, 0});
        Record(META_SETWINDOWEXT, {Word(h), Word(w)});
    }

    void Add(const MetaRecord& r) {
        switch (r.Kind) {
        case MetaKind::Fill:
            SelectBrush(&r.Brush);
            SelectPen(nullptr);
            Record(META_RECTANGLE, {Word(r.Rect.Bottom + 1), Word(r.Rect.Right + 1), Word(r.Rect.Top), Word(r.Rect.Left)});
            break;
        case MetaKind::Ellipse:
            SelectBrush(r.HasBrush ? &r.Brush : nullptr);
            SelectPen(r.HasPen ? &r.Pen : nullptr);
            Record(META_ELLIPSE, {Word(r.Rect.Bottom), Word(r.Rect.Right), Word(r.Rect.Top), Word(r.Rect.Left)});
            break;
        case MetaKind::Polyline:
        case MetaKind::Polygon: {
            bool polygon = r.Kind == MetaKind::Polygon;
            SelectBrush(polygon && r.HasBrush ? &r.Brush : nullptr);
            SelectPen(r.HasPen ? &r.Pen : nullptr);
            std::vector<uint32_t> v{static_cast<uint32_t>(r.Points.size())};
            for (const TPoint& p : r.Points) v.push_back(Word(p.X)), v.push_back(Word(p.Y));
            Record(polygon ? META_POLYGON : META_POLYLINE, v);
            break;
        }
        case MetaKind::Text: Text(r); break;
        }
    }

    std::string Finish() {
        Release(brushSlot);
        Release(penSlot);
        Release(fontSlot);
        Record(0, {});
        uint32_t words = static_cast<uint32_t>((o.s.size() - header) / 2);
        o.s[header + 6] = char(words & 0xFF);
        o.s[header + 7] = char((words >> 8) & 0xFF);
        o.s[header + 8] = char((words >> 16) & 0xFF);
        o.s[header + 9] = char((words >> 24) & 0xFF);
        o.s[header + 10] = char(objectSlots.size() & 0xFF);
        o.s[header + 11] = char((objectSlots.size() >> 8) & 0xFF);
        for (int i = 0; i < 4; ++i) o.s[header + 12 + i] = char((maxRecord >> (8 * i)) & 0xFF);
        return o.s;
    }

private:
    static uint32_t Word(int32_t v) { return static_cast<uint16_t>(std::clamp(v, -32768, 32767)); }
    void Record(uint32_t function, const std::vector<uint32_t>& words) {
        uint32_t size = 3 + static_cast<uint32_t>(words.size());
        o.U32(size);
        o.U16(function);
        for (uint32_t w : words) o.U16(w);
        maxRecord = std::max(maxRecord, size);
    }
    void RecordBytes(uint32_t function, const std::string& bytes) {
        std::vector<uint32_t> words;
        for (size_t i = 0; i < bytes.size(); i += 2)
            words.push_back(uint8_t(bytes[i]) | (i + 1 < bytes.size() ? uint8_t(bytes[i + 1]) << 8 : 0));
        Record(function, words);
    }
    // Objects take the lowest free slot of the table, as the format has it.
    int Create() {
        for (size_t i = 0; i < objectSlots.size(); ++i)
            if (!objectSlots[i]) {
                objectSlots[i] = true;
                return static_cast<int>(i);
            }
        objectSlots.push_back(true);
        return static_cast<int>(objectSlots.size() - 1);
    }
    void Release(int& slot) {
        if (slot < 0) return;
        Record(META_DELETEOBJECT, {static_cast<uint32_t>(slot)});
        objectSlots[slot] = false;
        slot = -1;
    }
    void SelectBrush(const TDeviceBrush* brush) {
        TDeviceBrush want = brush ? *brush : TDeviceBrush{clBlack, bsClear};
        if (brushSlot >= 0 && SameBrush(current.Brush, want)) return;
        int old = brushSlot;
        brushSlot = Create();
        uint32_t hatch;
        uint32_t style = BrushStyleCode(want.Style, hatch);
        uint32_t color = static_cast<uint32_t>(want.Color);
        Record(META_CREATEBRUSHINDIRECT, {style, color & 0xFFFF, color >> 16, hatch});
        Record(META_SELECTOBJECT, {static_cast<uint32_t>(brushSlot)});
        Release(old);
        current.Brush = want;
    }
    void SelectPen(const TDevicePen* pen) {
        TDevicePen want = pen ? *pen : TDevicePen{clBlack, 0, psClear, pmCopy};
        if (penSlot >= 0 && SamePen(current.Pen, want)) return;
        int old = penSlot;
        penSlot = Create();
        uint32_t color = static_cast<uint32_t>(want.Color);
        Record(META_CREATEPENINDIRECT,
               {PenStyleCode(want.Style), Word(want.Width), 0, color & 0xFFFF, color >> 16});
        Record(META_SELECTOBJECT, {static_cast<uint32_t>(penSlot)});
        Release(old);
        current.Pen = want;
    }
    void Text(const MetaRecord& r) {
        if (fontSlot < 0 || !SameFontShape(current.Font, r.Font)) {
            int old = fontSlot;
            fontSlot = Create();
            Out f;
            f.I16(r.Font.Height), f.I16(0), f.I16(r.Font.Escapement), f.I16(r.Font.Escapement);
            f.I16(static_cast<int32_t>(LogWeight(r.Font)));
            f.U8((r.Font.Style & fsItalic) ? 1 : 0);
            f.U8((r.Font.Style & fsUnderline) ? 1 : 0);
            f.U8((r.Font.Style & fsStrikeOut) ? 1 : 0);
            f.U8(1);
            f.U8(0), f.U8(0);
            f.U8(LogQuality(r.Font));
            f.U8(0);
            std::string face = Utf8ToCp1252(r.Font.Name).substr(0, 31);
            face.resize(32, '\0');
            f.s += face;
            RecordBytes(META_CREATEFONTINDIRECT, f.s);
            Record(META_SELECTOBJECT, {static_cast<uint32_t>(fontSlot)});
            Release(old);
            current.Font = r.Font;
        }
        if (!s.HasAlign || s.Align != r.Align) Record(META_SETTEXTALIGN, {r.Align}), s.HasAlign = true, s.Align = r.Align;
        if (!s.HasMode || s.Opaque != r.Opaque)
            Record(META_SETBKMODE, {r.Opaque ? 2u : 1u}), s.HasMode = true, s.Opaque = r.Opaque;
        uint32_t tc = static_cast<uint32_t>(r.Font.Color);
        if (!s.HasTextColor || s.TextColor != r.Font.Color)
            Record(META_SETTEXTCOLOR, {tc & 0xFFFF, tc >> 16}), s.HasTextColor = true, s.TextColor = r.Font.Color;
        uint32_t bk = static_cast<uint32_t>(r.Background);
        if (r.Opaque && (!s.HasBk || s.Bk != r.Background))
            Record(META_SETBKCOLOR, {bk & 0xFFFF, bk >> 16}), s.HasBk = true, s.Bk = r.Background;

        std::string bytes = Utf8ToCp1252(r.Text);
        QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
        std::vector<int32_t> dx = Advances(ToQString(r.Text), r.Font);
        Out t;
        t.I16(r.Rect.Top), t.I16(r.Rect.Left);
        t.I16(static_cast<int32_t>(bytes.size()));
        t.U16(0);
        t.s += bytes;
        if (t.s.size() % 2) t.U8(0);
        for (size_t i = 0; i < bytes.size(); ++i) t.I16(i < dx.size() ? dx[i] : 0);
        RecordBytes(META_EXTTEXTOUT, t.s);
    }

    Out o;
    size_t header = 0;
    uint32_t maxRecord = 0;
    std::vector<bool> objectSlots;
    int brushSlot = -1, penSlot = -1, fontSlot = -1;
    struct {
        TDeviceBrush Brush;
        TDevicePen Pen;
        TDeviceFont Font;
    } current;
    WriterState s;
};

// ---------------------------------------------------------------- readers

// Objects of the files, as far as the records we read use them.
struct MetaObject {
    enum { None, Brush, Pen, Font } Kind = None;
    TDeviceBrush BrushValue;
    TDevicePen PenValue;
    TDeviceFont FontValue;
};

struct ReaderState {
    TDeviceBrush Brush{clWhite, bsSolid};
    bool NullPen = false;
    TDevicePen Pen;
    TDeviceFont Font;
    uint32_t Align = 0;
    bool Opaque = true;
    TColor TextColor = clBlack, Bk = clWhite;

    void Select(const MetaObject& obj) {
        if (obj.Kind == MetaObject::Brush) Brush = obj.BrushValue;
        else if (obj.Kind == MetaObject::Pen) Pen = obj.PenValue, NullPen = obj.PenValue.Style == psClear;
        else if (obj.Kind == MetaObject::Font) Font = obj.FontValue;
    }
    void Fill(std::vector<MetaRecord>& out, TRect rect, bool penless) {
        if (penless) rect.Right -= 1, rect.Bottom -= 1;
        if (Brush.Style == bsClear || IsRectEmpty(rect)) return;
        MetaRecord r;
        r.Kind = MetaKind::Fill;
        r.Rect = rect;
        r.HasBrush = true;
        r.Brush = Brush;
        out.push_back(r);
    }
    void Shape(std::vector<MetaRecord>& out, MetaKind kind, TRect rect, std::vector<TPoint> points) {
        MetaRecord r;
        r.Kind = kind;
        r.Rect = rect;
        r.Points = std::move(points);
        r.HasPen = !NullPen;
        r.Pen = Pen;
        r.HasBrush = kind != MetaKind::Polyline && Brush.Style != bsClear;
        r.Brush = Brush;
        out.push_back(r);
    }
    void Text(std::vector<MetaRecord>& out, TPoint at, std::string text) {
        MetaRecord r;
        r.Kind = MetaKind::Text;
        r.Rect = {at.X, at.Y, at.X, at.Y};
        r.Text = std::move(text);
        r.Font = Font;
        r.Font.Color = TextColor;
        r.Align = Align;
        r.Opaque = Opaque;
        r.Background = Bk;
        out.push_back(r);
    }
};

TFontStyles StylesOf(uint32_t weight, uint32_t italic, uint32_t underline, uint32_t strike) {
    return static_cast<TFontStyles>((weight >= 600 ? fsBold : 0) | (italic ? fsItalic : 0) |
                                    (underline ? fsUnderline : 0) | (strike ? fsStrikeOut : 0));
}

TFontQuality QualityOf(uint32_t q) {
    switch (q) {
    case 1: return fqDraft;
    case 2: return fqProof;
    case 3: return fqNonAntialiased;
    case 4: case 5: case 6: return fqAntialiased;
    default: return fqDefault;
    }
}

struct Decoded {
    std::vector<MetaRecord> Records;
    int32_t Width = 0, Height = 0, Inch = 96, MMWidth = 0, MMHeight = 0;
};

Decoded DecodeEmf(const std::string& b) {
    In in{b};
    Decoded d;
    if (in.U32(0) != EMR_HEADER || in.U32(40) != 0x464D4520) Invalid();
    TRect bounds{in.I32(8), in.I32(12), in.I32(16), in.I32(20)};
    d.MMWidth = in.I32(32) - in.I32(24);
    d.MMHeight = in.I32(36) - in.I32(28);
    int32_t deviceX = in.I32(72), mmX = in.I32(80);
    d.Inch = (deviceX > 0 && mmX > 0) ? Round(deviceX * 25.4 / mmX) : 96;
    d.Width = bounds.Right - bounds.Left + 1;
    d.Height = bounds.Bottom - bounds.Top + 1;
    if (d.Width <= 0 || d.Height <= 0) d.Width = d.Height = 0;
    std::map<uint32_t, MetaObject> objects;
    ReaderState st;
    size_t pos = 0;
    for (int guard = 0; pos + 8 <= b.size() && guard < 10000000; ++guard) {
        uint32_t type = in.U32(pos), size = in.U32(pos + 4);
        if (size < 8 || size % 4 || size > b.size() - pos) Invalid();
        size_t p = pos + 8;
        switch (type) {
        case EMR_EOF: return d;
        case EMR_SETBKMODE: st.Opaque = in.U32(p) == 2; break;
        case EMR_SETTEXTALIGN: st.Align = in.U32(p); break;
        case EMR_SETTEXTCOLOR: st.TextColor = static_cast<TColor>(in.U32(p) & 0xFFFFFF); break;
        case EMR_SETBKCOLOR: st.Bk = static_cast<TColor>(in.U32(p) & 0xFFFFFF); break;
        case EMR_CREATEBRUSHINDIRECT: {
            MetaObject o;
            o.Kind = MetaObject::Brush;
            o.BrushValue = {static_cast<TColor>(in.U32(p + 8) & 0xFFFFFF), BrushStyleOf(in.U32(p + 4), in.U32(p + 12))};
            objects[in.U32(p)] = o;
            break;
        }
        case EMR_CREATEPEN: {
            MetaObject o;
            o.Kind = MetaObject::Pen;
            o.PenValue.Style = PenStyleOf(in.U32(p + 4));
            o.PenValue.Width = std::max(1, in.I32(p + 8));
            o.PenValue.Color = static_cast<TColor>(in.U32(p + 16) & 0xFFFFFF);
            objects[in.U32(p)] = o;
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            MetaObject o;
            o.Kind = MetaObject::Font;
            size_t f = p + 4;
            o.FontValue.Height = in.I32(f);
            o.FontValue.Escapement = in.I32(f + 8);
            o.FontValue.Style = StylesOf(in.U32(f + 16), in.U8(f + 20), in.U8(f + 21), in.U8(f + 22));
            o.FontValue.Quality = QualityOf(in.U8(f + 26));
            QString face;
            for (int i = 0; i < 32; ++i) {
                uint32_t c = in.U16(f + 28 + 2 * i);
                if (!c) break;
                face.append(QChar(static_cast<char16_t>(c)));
            }
            o.FontValue.Name = face.toStdString();
            objects[in.U32(p)] = o;
            break;
        }
        case EMR_SELECTOBJECT: {
            uint32_t h = in.U32(p);
            if (h == kNullPen) st.NullPen = true;
            else if (h == kNullBrush) st.Brush.Style = bsClear;
            else if (h == kWhiteBrush) st.Brush = {clWhite, bsSolid};
            else if (objects.count(h)) st.Select(objects[h]);
            break;
        }
        case EMR_DELETEOBJECT: objects.erase(in.U32(p)); break;
        case EMR_RECTANGLE: {
            TRect r{in.I32(p), in.I32(p + 4), in.I32(p + 8), in.I32(p + 12)};
            if (st.NullPen) st.Fill(d.Records, r, true);
            else st.Shape(d.Records, MetaKind::Polygon, {}, {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}});
            break;
        }
        case EMR_ELLIPSE:
            st.Shape(d.Records, MetaKind::Ellipse, {in.I32(p), in.I32(p + 4), in.I32(p + 8), in.I32(p + 12)}, {});
            break;
        case EMR_POLYGON:
        case EMR_POLYLINE:
        case EMR_POLYGON16:
        case EMR_POLYLINE16: {
            bool small = type == EMR_POLYGON16 || type == EMR_POLYLINE16;
            uint32_t n = in.U32(p + 16);
            if (n > (size - 28) / (small ? 4 : 8)) Invalid();
            std::vector<TPoint> pts;
            for (uint32_t i = 0; i < n; ++i) {
                size_t q = p + 20 + i * (small ? 4 : 8);
                pts.push_back(small ? TPoint{in.I16(q), in.I16(q + 2)} : TPoint{in.I32(q), in.I32(q + 4)});
            }
            bool polygon = type == EMR_POLYGON || type == EMR_POLYGON16;
            st.Shape(d.Records, polygon ? MetaKind::Polygon : MetaKind::Polyline, {}, std::move(pts));
            break;
        }
        case EMR_EXTTEXTOUTW: {
            size_t t = p + 28;
            TPoint at{in.I32(t), in.I32(t + 4)};
            uint32_t n = in.U32(t + 8), off = in.U32(t + 12);
            if (off > size || n > (size - off) / 2) Invalid();
            QString text;
            for (uint32_t i = 0; i < n; ++i) text.append(QChar(static_cast<char16_t>(in.U16(pos + off + 2 * i))));
            st.Text(d.Records, at, text.toStdString());
            break;
        }
        default: break;
        }
        pos += size;
    }
    return d;
}

Decoded DecodeWmf(const std::string& b) {
    In in{b};
    Decoded d;
    if (in.U32(0) != 0x9AC6CDD7) Invalid();
    TRect box{in.I16(6), in.I16(8), in.I16(10), in.I16(12)};
    d.Inch = in.U16(14) ? static_cast<int32_t>(in.U16(14)) : 96;
    d.Width = box.Right - box.Left;
    d.Height = box.Bottom - box.Top;
    if (d.Width <= 0 || d.Height <= 0) Invalid();
    d.MMWidth = Round(d.Width * 2540.0 / d.Inch);
    d.MMHeight = Round(d.Height * 2540.0 / d.Inch);
    size_t pos = 22;
    uint32_t headerWords = in.U16(pos + 2);
    if (headerWords != 9) Invalid();
    pos += 18;
    std::vector<MetaObject> table;
    auto create = [&](const MetaObject& o) {
        for (auto& slot : table)
            if (slot.Kind == MetaObject::None) {
                slot = o;
                return;
            }
        table.push_back(o);
    };
    ReaderState st;
    TPoint org{box.Left, box.Top};
    TSize ext{d.Width, d.Height};
    auto X = [&](int32_t x) { return ext.cx ? Round((x - org.X) * double(d.Width) / ext.cx) : x; };
    auto Y = [&](int32_t y) { return ext.cy ? Round((y - org.Y) * double(d.Height) / ext.cy) : y; };
    for (int guard = 0; pos + 6 <= b.size() && guard < 10000000; ++guard) {
        uint32_t words = in.U32(pos), function = in.U16(pos + 4);
        if (words < 3 || words > (b.size() - pos) / 2) Invalid();
        size_t p = pos + 6;
        switch (function) {
        case 0: return d;
        case META_SETWINDOWORG: org = {in.I16(p + 2), in.I16(p)}; break;
        case META_SETWINDOWEXT: ext = {in.I16(p + 2), in.I16(p)}; break;
        case META_SETBKMODE: st.Opaque = in.U16(p) == 2; break;
        case META_SETTEXTALIGN: st.Align = in.U16(p); break;
        case META_SETTEXTCOLOR: st.TextColor = static_cast<TColor>(in.U32(p) & 0xFFFFFF); break;
        case META_SETBKCOLOR: st.Bk = static_cast<TColor>(in.U32(p) & 0xFFFFFF); break;
        case META_CREATEBRUSHINDIRECT: {
            MetaObject o;
            o.Kind = MetaObject::Brush;
            o.BrushValue = {static_cast<TColor>(in.U32(p + 2) & 0xFFFFFF), BrushStyleOf(in.U16(p), in.U16(p + 6))};
            create(o);
            break;
        }
        case META_CREATEPENINDIRECT: {
            MetaObject o;
            o.Kind = MetaObject::Pen;
            o.PenValue.Style = PenStyleOf(in.U16(p));
            o.PenValue.Width = std::max(1, in.I16(p + 2));
            o.PenValue.Color = static_cast<TColor>(in.U32(p + 6) & 0xFFFFFF);
            create(o);
            break;
        }
        case META_CREATEFONTINDIRECT: {
            MetaObject o;
            o.Kind = MetaObject::Font;
            o.FontValue.Height = in.I16(p);
            o.FontValue.Escapement = in.I16(p + 4);
            o.FontValue.Style = StylesOf(in.U16(p + 8), in.U8(p + 10), in.U8(p + 11), in.U8(p + 12));
            o.FontValue.Quality = QualityOf(in.U8(p + 16));
            std::string face;
            for (size_t i = 0; i < 32 && p + 18 + i < pos + words * 2; ++i) {
                char c = static_cast<char>(in.U8(p + 18 + i));
                if (!c) break;
                face.push_back(c);
            }
            o.FontValue.Name = DecodeFileText(face);
            create(o);
            break;
        }
        case META_SELECTOBJECT: {
            uint32_t i = in.U16(p);
            if (i < table.size()) st.Select(table[i]);
            break;
        }
        case META_DELETEOBJECT: {
            uint32_t i = in.U16(p);
            if (i < table.size()) table[i] = MetaObject();
            break;
        }
        case META_RECTANGLE: {
            TRect r{X(in.I16(p + 6)), Y(in.I16(p + 4)), X(in.I16(p + 2)), Y(in.I16(p))};
            if (st.NullPen) st.Fill(d.Records, r.Normalized(), true);
            else st.Shape(d.Records, MetaKind::Polygon, {}, {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1}, {r.Left, r.Bottom - 1}});
            break;
        }
        case META_ELLIPSE:
            st.Shape(d.Records, MetaKind::Ellipse, TRect{X(in.I16(p + 6)), Y(in.I16(p + 4)), X(in.I16(p + 2)), Y(in.I16(p))}.Normalized(), {});
            break;
        case META_POLYGON:
        case META_POLYLINE: {
            uint32_t n = in.U16(p);
            if (n * 2 + 1 > words - 3) Invalid();
            std::vector<TPoint> pts;
            for (uint32_t i = 0; i < n; ++i) pts.push_back({X(in.I16(p + 2 + 4 * i)), Y(in.I16(p + 4 + 4 * i))});
            st.Shape(d.Records, function == META_POLYGON ? MetaKind::Polygon : MetaKind::Polyline, {}, std::move(pts));
            break;
        }
        case META_EXTTEXTOUT: {
            int32_t y = in.I16(p), x = in.I16(p + 2);
            uint32_t n = in.U16(p + 4), options = in.U16(p + 6);
            size_t s = p + 8 + ((options & 0x0006) ? 8 : 0);
            if (s + n > pos + words * 2) Invalid();
            st.Text(d.Records, {X(x), Y(y)}, Cp1252ToUtf8(b.substr(s, n)));
            break;
        }
        default: break;
        }
        pos += words * 2;
    }
    return d;
}

}  // namespace

// ---------------------------------------------------------------- metafile

struct TMetafile::Impl {
    std::vector<MetaRecord> Records;
};

// The device behind a metafile canvas: every call becomes a record.
class TMetafileDevice : public TCanvasDevice {
public:
    TMetafileDevice(int32_t dpi, TSize size) : FDpi(dpi), FSize(size) {}
    int32_t LogPixelsX() const override { return FDpi; }
    int32_t LogPixelsY() const override { return FDpi; }
    TSize PixelSize() const override { return FSize; }
    void FillRect(const TRect& rect, const TDeviceBrush& brush) override {
        MetaRecord r;
        r.Kind = MetaKind::Fill;
        r.Rect = rect;
        r.HasBrush = true;
        r.Brush = brush;
        Records.push_back(r);
    }
    void Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) override {
        MetaRecord r;
        r.Kind = MetaKind::Polyline;
        r.Points = points;
        r.HasPen = true;
        r.Pen = pen;
        Records.push_back(r);
    }
    void Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) override {
        MetaRecord r;
        r.Kind = MetaKind::Polygon;
        r.Points = points;
        if (pen) r.HasPen = true, r.Pen = *pen;
        if (brush) r.HasBrush = true, r.Brush = *brush;
        Records.push_back(r);
    }
    void Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) override {
        MetaRecord r;
        r.Kind = MetaKind::Ellipse;
        r.Rect = rect;
        if (pen) r.HasPen = true, r.Pen = *pen;
        if (brush) r.HasBrush = true, r.Brush = *brush;
        Records.push_back(r);
    }
    void TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align, bool opaque,
                 TColor background) override {
        if (text.empty()) return;
        MetaRecord r;
        r.Kind = MetaKind::Text;
        r.Rect = {x, y, x, y};
        r.Text = text;
        r.Font = font;
        r.Align = align;
        r.Opaque = opaque;
        r.Background = background;
        Records.push_back(r);
    }
    // Pictures and clipping are not recorded.
    void DrawImage(const TRect&, const TDeviceImage&, const TRect&, bool, TColor) override {}
    void SetClip(const TRect*) override {}

    std::vector<MetaRecord> Records;

private:
    int32_t FDpi;
    TSize FSize;
};

TMetafile::TMetafile() : FImpl(std::make_unique<Impl>()) {}
TMetafile::~TMetafile() = default;

bool TMetafile::Empty() const { return FImpl->Records.empty() && (FWidth == 0 || FHeight == 0); }
int32_t TMetafile::RecordCount() const { return static_cast<int32_t>(FImpl->Records.size()); }

void TMetafile::SetWidth(int32_t width) {
    FWidth = std::max(0, width);
    Changed();
}
void TMetafile::SetHeight(int32_t height) {
    FHeight = std::max(0, height);
    Changed();
}
int32_t TMetafile::MMWidth() const { return FMMWidth ? FMMWidth : Round(FWidth * 2540.0 / std::max(1, FInch)); }
int32_t TMetafile::MMHeight() const { return FMMHeight ? FMMHeight : Round(FHeight * 2540.0 / std::max(1, FInch)); }
void TMetafile::SetMMWidth(int32_t width) { FMMWidth = std::max(0, width); }
void TMetafile::SetMMHeight(int32_t height) { FMMHeight = std::max(0, height); }
void TMetafile::SetInch(int32_t dpi) { FInch = dpi > 0 ? dpi : 96; }

void TMetafile::Clear() {
    FImpl->Records.clear();
    FWidth = FHeight = FMMWidth = FMMHeight = 0;
    Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
    TCanvasDevice* device = canvas.Device();
    if (!device || FWidth <= 0 || FHeight <= 0) return;
    TRect dest = canvas.LPtoDP(rect).Normalized();
    double sx = double(dest.Width()) / FWidth, sy = double(dest.Height()) / FHeight;
    auto X = [&](int32_t x) { return dest.Left + Round(x * sx); };
    auto Y = [&](int32_t y) { return dest.Top + Round(y * sy); };
    auto map = [&](std::vector<TPoint> pts) {
        for (TPoint& p : pts) p = {X(p.X), Y(p.Y)};
        return pts;
    };
    for (const MetaRecord& r : FImpl->Records) {
        TDevicePen pen = r.Pen;
        pen.Width = std::max(1, Round(pen.Width * sx));
        switch (r.Kind) {
        case MetaKind::Fill: device->FillRect({X(r.Rect.Left), Y(r.Rect.Top), X(r.Rect.Right), Y(r.Rect.Bottom)}, r.Brush); break;
        case MetaKind::Ellipse:
            device->Ellipse({X(r.Rect.Left), Y(r.Rect.Top), X(r.Rect.Right), Y(r.Rect.Bottom)}, r.HasPen ? &pen : nullptr,
                            r.HasBrush ? &r.Brush : nullptr);
            break;
        case MetaKind::Polyline:
            if (r.HasPen) device->Polyline(map(r.Points), pen);
            break;
        case MetaKind::Polygon:
            device->Polygon(map(r.Points), r.HasPen ? &pen : nullptr, r.HasBrush ? &r.Brush : nullptr);
            break;
        case MetaKind::Text: {
            TDeviceFont font = r.Font;
            int32_t h = Round(std::abs(font.Height) * sy);
            font.Height = font.Height < 0 ? -std::max(1, h) : std::max(1, h);
            device->TextOut(X(r.Rect.Left), Y(r.Rect.Top), r.Text, font, r.Align, r.Opaque, r.Background);
            break;
        }
        }
    }
}

void TMetafile::SaveToStream(TStream& stream) {
    if (FWidth <= 0 || FHeight <= 0) throw EInvalidGraphic(GraphicsConst::SInvalidMetafile);
    std::string bytes;
    if (FEnhanced) {
        EmfWriter w(FWidth, FHeight, FInch, MMWidth(), MMHeight());
        for (const MetaRecord& r : FImpl->Records) w.Add(r);
        bytes = w.Finish();
    } else {
        WmfWriter w(FWidth, FHeight, FInch);
        for (const MetaRecord& r : FImpl->Records) w.Add(r);
        bytes = w.Finish();
    }
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TMetafile::SaveToFile(const std::string& path) {
    std::string ext = LowerCase(ExtractFileExt(path));
    if (ext == ".wmf") FEnhanced = false;
    else if (ext == ".emf") FEnhanced = true;
    TGraphic::SaveToFile(path);
}

void TMetafile::LoadFromStream(TStream& stream) {
    std::string bytes;
    char chunk[65536];
    int64_t n;
    while ((n = stream.Read(chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
    Decoded d;
    if (bytes.size() >= 4 && In{bytes}.U32(0) == 0x9AC6CDD7) {
        d = DecodeWmf(bytes);
        FEnhanced = false;
    } else if (bytes.size() >= 88 && In{bytes}.U32(0) == EMR_HEADER) {
        d = DecodeEmf(bytes);
        FEnhanced = true;
    } else {
        Invalid();
    }
    FImpl->Records = std::move(d.Records);
    FWidth = d.Width;
    FHeight = d.Height;
    FInch = d.Inch > 0 ? d.Inch : 96;
    FMMWidth = d.MMWidth;
    FMMHeight = d.MMHeight;
    Changed();
}

void TMetafile::Assign(const TPersistent* source) {
    if (auto* m = dynamic_cast<const TMetafile*>(source)) {
        if (m == this) return;
        FImpl->Records = m->FImpl->Records;
        FWidth = m->FWidth, FHeight = m->FHeight, FMMWidth = m->FMMWidth, FMMHeight = m->FMMHeight;
        FInch = m->FInch, FEnhanced = m->FEnhanced;
        Changed();
        return;
    }
    if (!source) {
        Clear();
        return;
    }
    TGraphic::Assign(source);
}

// ---------------------------------------------------------------- canvas

namespace {
TMetafileDevice* DeviceOf(TCanvas& canvas) { return static_cast<TMetafileDevice*>(canvas.Device()); }
}  // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile& metafile, int32_t dpi) : FMetafile(metafile) {
    if (dpi > 0) metafile.SetInch(dpi);
    TSize size{metafile.Width() > 0 ? metafile.Width() : 32767, metafile.Height() > 0 ? metafile.Height() : 32767};
    SetDevice(std::make_unique<TMetafileDevice>(metafile.Inch(), size));
    Font()->SetPixelsPerInch(metafile.Inch());
}

TMetafileCanvas::~TMetafileCanvas() {
    TMetafileDevice* device = DeviceOf(*this);
    if (FMetafile.Width() <= 0 || FMetafile.Height() <= 0) {
        // No size given: the extent of what was drawn, from the origin.
        int32_t right = 0, bottom = 0;
        for (const MetaRecord& r : device->Records) {
            TRect b = r.Kind == MetaKind::Text ? TextBounds(r) : r.Rect;
            for (const TPoint& p : r.Points) b = {std::min(b.Left, p.X), std::min(b.Top, p.Y), std::max(b.Right, p.X + 1), std::max(b.Bottom, p.Y + 1)};
            right = std::max(right, b.Right);
            bottom = std::max(bottom, b.Bottom);
        }
        if (FMetafile.Width() <= 0) FMetafile.FWidth = right;
        if (FMetafile.Height() <= 0) FMetafile.FHeight = bottom;
    }
    FMetafile.FImpl->Records = std::move(device->Records);
    FMetafile.Changed();
}
