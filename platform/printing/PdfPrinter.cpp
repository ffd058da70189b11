// The PDF-file printer: a small PDF writer of our own. Qt's PDF engine embeds
// and subsets fonts for every document, far too slow for hundreds of label
// jobs; this one keeps the standard fonts where they match and embeds the
// glyphs a file uses otherwise (PdfFonts), writes rectangles as path
// operators, one content stream per page in device pixels under one page
// matrix.
#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QStandardPaths>
#include <QString>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/qt/FontCache.h"
#include "platform/graphics/qt/GraphicsQt.h"
#include "platform/printing/PdfFonts.h"
#include "platform/printing/PdfSyntax.h"
#include "platform/printing/Printers.h"

namespace {

// ---------------------------------------------------------------- numbers

void AppendColor(std::string& out, TColor c, bool stroke) {
    uint8_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (r == g && g == b) {
        AppendNum(out, r / 255.0);
        out += stroke ? " G\n" : " g\n";
        return;
    }
    AppendNum(out, r / 255.0);
    out.push_back(' ');
    AppendNum(out, g / 255.0);
    out.push_back(' ');
    AppendNum(out, b / 255.0);
    out += stroke ? " RG\n" : " rg\n";
}

// A text string of the document information: UTF-16BE in hexadecimal.
void AppendTextString(std::string& out, const std::string& utf8) {
    static const char* hex = "0123456789ABCDEF";
    out += "<FEFF";
    QString s = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (QChar ch : s) {
        uint16_t u = ch.unicode();
        for (int shift = 12; shift >= 0; shift -= 4) out.push_back(hex[(u >> shift) & 0xF]);
    }
    out.push_back('>');
}

// ---------------------------------------------------------------- document

struct TPdfImage {
    int32_t Width = 0;
    int32_t Height = 0;
    QByteArray Data;  // zlib stream of RGB samples
    bool Masked = false;
    TColor Key = clBlack;
};

struct TImageKey {
    qint64 CacheKey;
    TRect Source;
    bool Transparent;
    TColor Key;
    bool operator<(const TImageKey& o) const {
        return std::tie(CacheKey, Source.Left, Source.Top, Source.Right, Source.Bottom, Transparent, Key) <
               std::tie(o.CacheKey, o.Source.Left, o.Source.Top, o.Source.Right, o.Source.Bottom, o.Transparent,
                        o.Key);
    }
};

class TPdfPageDevice;

class TPdfDocument {
public:
    TPdfDocument(const TPageGeometry& geometry, std::string title)
        : FGeometry(geometry), FTitle(std::move(title)) {}
    const TPageGeometry& Geometry() const { return FGeometry; }

    TPdfFontSet& Fonts() { return FFonts; }
    // Resource numbers (Im1 ...) within the document.
    int32_t ImageIndex(const QImage& image, const TRect& source, bool transparent, TColor key);

    std::string& StartPage() {
        FPages.emplace_back();
        FPages.back().reserve(16384);
        return FPages.back();
    }
    // The whole file; the pages repeat copies times, collated.
    std::string Finish(int32_t copies) const;

private:
    TPageGeometry FGeometry;
    std::string FTitle;
    std::vector<std::string> FPages;
    TPdfFontSet FFonts;
    std::vector<TPdfImage> FImages;
    std::map<TImageKey, int32_t> FImageIndex;
};

int32_t TPdfDocument::ImageIndex(const QImage& image, const TRect& source, bool transparent, TColor key) {
    TImageKey k{image.cacheKey(), source, transparent, key};
    auto it = FImageIndex.find(k);
    if (it != FImageIndex.end()) return it->second;
    QImage part = image.copy(source.Left, source.Top, source.Width(), source.Height()).convertToFormat(QImage::Format_RGB888);
    TPdfImage img;
    img.Width = part.width();
    img.Height = part.height();
    QByteArray raw;
    raw.reserve(static_cast<qsizetype>(img.Width) * img.Height * 3);
    for (int y = 0; y < part.height(); ++y)
        raw.append(reinterpret_cast<const char*>(part.constScanLine(y)), static_cast<qsizetype>(img.Width) * 3);
    // qCompress puts the length in four bytes before the zlib stream.
    img.Data = qCompress(raw, 6).mid(4);
    img.Masked = transparent;
    img.Key = key;
    FImages.push_back(std::move(img));
    int32_t index = static_cast<int32_t>(FImages.size());
    FImageIndex.emplace(k, index);
    return index;
}

std::string TPdfDocument::Finish(int32_t copies) const {
    copies = std::max(1, copies);
    const size_t pageCount = FPages.size() * static_cast<size_t>(copies);
    // Objects: 1 catalog, 2 page tree, 3 resources, 4 information, then the
    // fonts, the images, the content streams and the pages.
    const int32_t firstFont = 5;
    const int32_t firstImage = firstFont + FFonts.ObjectCount();
    const int32_t firstContent = firstImage + static_cast<int32_t>(FImages.size());
    const int32_t firstPage = firstContent + static_cast<int32_t>(FPages.size());
    const int32_t objectCount = firstPage + static_cast<int32_t>(pageCount);

    size_t estimate = 2048 + static_cast<size_t>(FFonts.ResourceCount()) * 1500;
    for (const auto& p : FPages) estimate += p.size() + 200;
    for (const auto& i : FImages) estimate += static_cast<size_t>(i.Data.size()) + 300;
    std::string out;
    out.reserve(estimate);
    std::vector<size_t> offsets(static_cast<size_t>(objectCount), 0);
    auto begin = [&](int32_t n) {
        offsets[static_cast<size_t>(n)] = out.size();
        AppendInt(out, n);
        out += " 0 obj\n";
    };

    out += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    begin(1);
    out += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";

    begin(2);
    out += "<< /Type /Pages /Count ";
    AppendInt(out, static_cast<int64_t>(pageCount));
    out += " /Kids [";
    for (size_t i = 0; i < pageCount; ++i) {
        out.push_back(' ');
        AppendInt(out, firstPage + static_cast<int64_t>(i));
        out += " 0 R";
    }
    out += " ] >>\nendobj\n";

    begin(3);
    out += "<< /ProcSet [/PDF /Text /ImageC] /Font <<";
    FFonts.AppendResources(out, firstFont);
    out += " >> /XObject <<";
    for (size_t i = 0; i < FImages.size(); ++i) {
        out += " /Im";
        AppendInt(out, static_cast<int64_t>(i) + 1);
        out.push_back(' ');
        AppendInt(out, firstImage + static_cast<int64_t>(i));
        out += " 0 R";
    }
    out += " >> >>\nendobj\n";

    begin(4);
    out += "<< /Producer (Varsona) /Title ";
    AppendTextString(out, FTitle);
    out += " /CreationDate (D:";
    out += QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    out += ") >>\nendobj\n";

    FFonts.Write(out, firstFont, begin);

    for (size_t i = 0; i < FImages.size(); ++i) {
        const TPdfImage& img = FImages[i];
        begin(firstImage + static_cast<int32_t>(i));
        out += "<< /Type /XObject /Subtype /Image /Width ";
        AppendInt(out, img.Width);
        out += " /Height ";
        AppendInt(out, img.Height);
        out += " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode";
        if (img.Masked) {
            out += " /Mask [";
            for (int v : {GetRValue(img.Key), GetGValue(img.Key), GetBValue(img.Key)}) {
                out.push_back(' ');
                AppendInt(out, v);
                out.push_back(' ');
                AppendInt(out, v);
            }
            out += " ]";
        }
        out += " /Length ";
        AppendInt(out, img.Data.size());
        out += " >>\nstream\n";
        out.append(img.Data.constData(), static_cast<size_t>(img.Data.size()));
        out += "\nendstream\nendobj\n";
    }

    for (size_t i = 0; i < FPages.size(); ++i) {
        begin(firstContent + static_cast<int32_t>(i));
        out += "<< /Length ";
        AppendInt(out, static_cast<int64_t>(FPages[i].size()));
        out += " >>\nstream\n";
        out += FPages[i];
        out += "\nendstream\nendobj\n";
    }

    const double sx = 72.0 / FGeometry.DpiX, sy = 72.0 / FGeometry.DpiY;
    for (size_t i = 0; i < pageCount; ++i) {
        begin(firstPage + static_cast<int32_t>(i));
        out += "<< /Type /Page /Parent 2 0 R /Resources 3 0 R /MediaBox [0 0 ";
        AppendNum(out, FGeometry.Paper.cx * sx);
        out.push_back(' ');
        AppendNum(out, FGeometry.Paper.cy * sy);
        out += "] /Contents ";
        AppendInt(out, firstContent + static_cast<int64_t>(i % FPages.size()));
        out += " 0 R >>\nendobj\n";
    }

    size_t xref = out.size();
    out += "xref\n0 ";
    AppendInt(out, objectCount);
    out += "\n0000000000 65535 f \n";
    for (int32_t n = 1; n < objectCount; ++n) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%010zu 00000 n \n", offsets[static_cast<size_t>(n)]);
        out += buf;
    }
    out += "trailer\n<< /Size ";
    AppendInt(out, objectCount);
    out += " /Root 1 0 R /Info 4 0 R >>\nstartxref\n";
    AppendInt(out, static_cast<int64_t>(xref));
    out += "\n%%EOF\n";
    return out;
}

// ---------------------------------------------------------------- page device

// Draws one page into its content stream. Coordinates stay device pixels:
// the page matrix maps them to points with y downwards from the printable
// area's corner. Without a document it only measures.
class TPdfPageDevice : public TCanvasDevice {
public:
    TPdfPageDevice(TPdfDocument* doc, const TPageGeometry& geometry) : FDoc(doc), FGeometry(geometry) {
        if (!FDoc) return;
        FOut = &FDoc->StartPage();
        const double sx = 72.0 / FGeometry.DpiX, sy = 72.0 / FGeometry.DpiY;
        std::string& o = *FOut;
        o += "q ";
        AppendNum(o, sx);
        o += " 0 0 ";
        AppendNum(o, -sy);
        o.push_back(' ');
        AppendNum(o, FGeometry.Printable.Left * sx);
        o.push_back(' ');
        AppendNum(o, (FGeometry.Paper.cy - FGeometry.Printable.Top) * sy);
        o += " cm\n";
    }

    // Ends the content stream.
    void Close() {
        if (!FOut) return;
        Flush();
        if (FClipped) *FOut += "Q\n";
        *FOut += "Q";
        FOut = nullptr;
    }

    int32_t LogPixelsX() const override { return FGeometry.DpiX; }
    int32_t LogPixelsY() const override { return FGeometry.DpiY; }
    TSize PixelSize() const override { return {FGeometry.Printable.Width(), FGeometry.Printable.Height()}; }
    int32_t BitsPerPixel() const override { return 24; }
    TSize PhysicalSize() const override { return FGeometry.Paper; }
    TPoint PhysicalOffset() const override { return FGeometry.Printable.TopLeft(); }

    void FillRect(const TRect& rect, const TDeviceBrush& brush) override;
    void Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) override;
    void Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) override;
    void Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) override;
    void TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align, bool opaque,
                 TColor background) override;
    TSize TextExtent(const std::string& text, const TDeviceFont& font) override;
    void DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent, TColor key) override;
    void SetClip(const TRect* rect) override;
    void SetPixel(int32_t x, int32_t y, TColor color) override {
        TDeviceBrush b;
        b.Color = color;
        FillRect({x, y, x + 1, y + 1}, b);
    }

private:
    struct TextFont {
        const TResolvedFont* Resolved = nullptr;
        const TPdfFace* Face = nullptr;
    };
    const TextFont& FontOf(const TDeviceFont& font);
    // Closes the pending run of rectangles.
    void Flush() {
        if (FPendingFill) {
            *FOut += "f\n";
            FPendingFill = false;
        }
    }
    void Fill(TColor c) {
        if (FHasFill && FFill == c) return;
        AppendColor(*FOut, c, false);
        FFill = c;
        FHasFill = true;
    }
    void Stroke(const TDevicePen& pen);
    void AppendPoint(double x, double y) {
        AppendNum(*FOut, x);
        FOut->push_back(' ');
        AppendNum(*FOut, y);
    }
    void PathFromPoints(const std::vector<TPoint>& points, double shift, bool close);
    void Hatch(const TRect& rect, const TDeviceBrush& brush);
    // Rotated text frame: origin, x axis and y axis (down) of the text.
    void Quad(double ox, double oy, double c, double s, double x0, double y0, double x1, double y1);

    TPdfDocument* FDoc;
    TPageGeometry FGeometry;
    std::string* FOut = nullptr;
    bool FPendingFill = false;
    bool FHasFill = false;
    TColor FFill = clBlack;
    bool FHasStroke = false;
    TColor FStroke = clBlack;
    int32_t FLineWidth = -1;
    int FDash = -1;
    bool FClipped = false;
    TRect FClip;
    TDeviceFont FLastFont;
    TextFont FLast;
};

const TPdfPageDevice::TextFont& TPdfPageDevice::FontOf(const TDeviceFont& font) {
    if (!FLast.Resolved || !(font == FLastFont)) {
        FLast.Resolved = &ResolveFont(font);
        FLast.Face = &PdfFaceFor(font.Name, font.Style);
        FLastFont = font;
    }
    return FLast;
}

TSize TPdfPageDevice::TextExtent(const std::string& text, const TDeviceFont& font) {
    const TextFont& f = FontOf(font);
    double w = text.empty() ? 0.0 : PreparePdfText(text, *f.Face, *f.Resolved).Width;
    return {static_cast<int32_t>(std::lround(w)), f.Resolved->Metric.Height};
}

void TPdfPageDevice::FillRect(const TRect& rect, const TDeviceBrush& brush) {
    if (!FOut || brush.Style == bsClear || rect.Width() <= 0 || rect.Height() <= 0) return;
    if (brush.Style != bsSolid) {
        Hatch(rect, brush);
        return;
    }
    if (!FHasFill || FFill != brush.Color) {
        Flush();
        Fill(brush.Color);
    }
    std::string& o = *FOut;
    AppendInt(o, rect.Left);
    o.push_back(' ');
    AppendInt(o, rect.Top);
    o.push_back(' ');
    AppendInt(o, rect.Width());
    o.push_back(' ');
    AppendInt(o, rect.Height());
    o += " re\n";
    FPendingFill = true;
}

// Hatch lines 8 pixels apart, as the platform's hatched brushes, clipped to
// the rectangle.
void TPdfPageDevice::Hatch(const TRect& rect, const TDeviceBrush& brush) {
    Flush();
    std::string& o = *FOut;
    o += "q ";
    AppendInt(o, rect.Left);
    o.push_back(' ');
    AppendInt(o, rect.Top);
    o.push_back(' ');
    AppendInt(o, rect.Width());
    o.push_back(' ');
    AppendInt(o, rect.Height());
    o += " re W n 1 w [] 0 d\n";
    AppendColor(o, brush.Color, true);
    const int32_t step = 8;
    const bool horz = brush.Style == bsHorizontal || brush.Style == bsCross;
    const bool vert = brush.Style == bsVertical || brush.Style == bsCross;
    const bool fdiag = brush.Style == bsFDiagonal || brush.Style == bsDiagCross;
    const bool bdiag = brush.Style == bsBDiagonal || brush.Style == bsDiagCross;
    auto line = [&](double x1, double y1, double x2, double y2) {
        AppendPoint(x1, y1);
        o += " m ";
        AppendPoint(x2, y2);
        o += " l\n";
    };
    const int32_t l = rect.Left - rect.Left % step, t = rect.Top - rect.Top % step;
    if (horz)
        for (int32_t y = t; y < rect.Bottom; y += step) line(rect.Left, y + 0.5, rect.Right, y + 0.5);
    if (vert)
        for (int32_t x = l; x < rect.Right; x += step) line(x + 0.5, rect.Top, x + 0.5, rect.Bottom);
    const int32_t span = rect.Width() + rect.Height();
    if (fdiag)
        for (int32_t d = -span - step; d < span + step; d += step)
            line(l + d, t, l + d + span, t + span);
    if (bdiag)
        for (int32_t d = -span - step; d < span + step; d += step)
            line(l + d, t + span, l + d + span, t);
    o += "S Q\n";
    FHasStroke = false;
    FLineWidth = -1;
    FDash = -1;
}

void TPdfPageDevice::Stroke(const TDevicePen& pen) {
    std::string& o = *FOut;
    TColor c = pen.Mode == pmBlack ? clBlack : pen.Mode == pmWhite ? clWhite : pen.Color;
    if (!FHasStroke || FStroke != c) {
        AppendColor(o, c, true);
        FStroke = c;
        FHasStroke = true;
    }
    int32_t width = std::max(1, pen.Width);
    if (FLineWidth != width) {
        // Wide pens have round ends and joins, as the platform's do.
        if (FLineWidth < 0 || (FLineWidth > 1) != (width > 1)) o += width > 1 ? "1 J 1 j " : "0 J 0 j ";
        AppendInt(o, width);
        o += " w\n";
        FLineWidth = width;
    }
    // Dash patterns grow with the pen's width.
    int dash = pen.Style * 10000 + width;
    if (FDash != dash) {
        FDash = dash;
        auto pattern = [&](std::initializer_list<int> lengths) {
            o.push_back('[');
            for (int n : lengths) {
                AppendInt(o, n * width);
                o.push_back(' ');
            }
            o += "] 0 d\n";
        };
        switch (pen.Style) {
        case psDash: pattern({18, 6}); break;
        case psDot: width > 1 ? pattern({0, 2}) : pattern({1, 1}); break;
        case psDashDot: pattern({9, 6, 3, 6}); break;
        case psDashDotDot: pattern({9, 3, 3, 3, 3, 3}); break;
        default: o += "[] 0 d\n"; break;
        }
    }
}

void TPdfPageDevice::PathFromPoints(const std::vector<TPoint>& points, double shift, bool close) {
    std::string& o = *FOut;
    for (size_t i = 0; i < points.size(); ++i) {
        AppendPoint(points[i].X + shift, points[i].Y + shift);
        o += i == 0 ? " m\n" : " l\n";
    }
    if (close) o += "h\n";
}

void TPdfPageDevice::Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) {
    if (!FOut || points.size() < 2 || pen.Style == psClear || pen.Mode == pmNop) return;
    Flush();
    Stroke(pen);
    // Thin lines run through the pixel centres.
    PathFromPoints(points, pen.Width % 2 == 1 || pen.Width <= 1 ? 0.5 : 0.0, false);
    *FOut += "S\n";
}

void TPdfPageDevice::Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) {
    if (!FOut || points.size() < 2) return;
    bool fill = brush && brush->Style != bsClear;
    bool stroke = pen && pen->Style != psClear && pen->Mode != pmNop;
    if (!fill && !stroke) return;
    Flush();
    if (fill) Fill(brush->Color);
    if (stroke) Stroke(*pen);
    PathFromPoints(points, 0.5, true);
    *FOut += fill && stroke ? "B*\n" : fill ? "f*\n" : "S\n";
}

void TPdfPageDevice::Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) {
    if (!FOut) return;
    bool fill = brush && brush->Style != bsClear;
    bool stroke = pen && pen->Style != psClear && pen->Mode != pmNop;
    if (!fill && !stroke) return;
    Flush();
    if (fill) Fill(brush->Color);
    if (stroke) Stroke(*pen);
    const double cx = (rect.Left + rect.Right) / 2.0, cy = (rect.Top + rect.Bottom) / 2.0;
    const double rx = std::max(0.0, (rect.Width() - 1) / 2.0), ry = std::max(0.0, (rect.Height() - 1) / 2.0);
    const double k = 0.5522847498;
    std::string& o = *FOut;
    auto curve = [&](double x1, double y1, double x2, double y2, double x3, double y3) {
        AppendPoint(x1, y1);
        o.push_back(' ');
        AppendPoint(x2, y2);
        o.push_back(' ');
        AppendPoint(x3, y3);
        o += " c\n";
    };
    AppendPoint(cx + rx, cy);
    o += " m\n";
    curve(cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry);
    curve(cx - k * rx, cy + ry, cx - rx, cy + k * ry, cx - rx, cy);
    curve(cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry);
    curve(cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy);
    o += fill && stroke ? "b\n" : fill ? "f\n" : "s\n";
}

void TPdfPageDevice::Quad(double ox, double oy, double c, double s, double x0, double y0, double x1, double y1) {
    // A point (u, v) of the text frame (v down) is (ox + u c + v s, oy - u s + v c).
    auto at = [&](double u, double v, const char* op) {
        AppendPoint(ox + u * c + v * s, oy - u * s + v * c);
        *FOut += op;
    };
    at(x0, y0, " m\n");
    at(x1, y0, " l\n");
    at(x1, y1, " l\n");
    at(x0, y1, " l\nh f\n");
}

void TPdfPageDevice::TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align,
                             bool opaque, TColor background) {
    if (!FOut || text.empty()) return;
    Flush();
    const TextFont& f = FontOf(font);
    const TPdfText shown = PreparePdfText(text, *f.Face, *f.Resolved);
    const double em = f.Resolved->EmPixels;
    const TTextMetric& m = f.Resolved->Metric;
    const int32_t width = static_cast<int32_t>(std::lround(shown.Width));
    int32_t x0 = 0;
    if ((align & TA_CENTER) == TA_CENTER) x0 = -(width / 2);
    else if ((align & TA_CENTER) == TA_RIGHT) x0 = -width;
    int32_t baseline = m.Ascent;
    if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
    else if ((align & TA_BASELINE) == TA_BOTTOM) baseline = -m.Descent;

    // Escapement turns the text counter-clockwise on the page.
    double c = 1, s = 0;
    int32_t tenths = ((font.Escapement % 3600) + 3600) % 3600;
    if (tenths == 900) c = 0, s = 1;
    else if (tenths == 1800) c = -1, s = 0;
    else if (tenths == 2700) c = 0, s = -1;
    else if (tenths != 0) {
        double a = tenths * M_PI / 1800.0;
        c = std::cos(a);
        s = std::sin(a);
    }
    if (opaque) {
        Fill(background);
        Quad(x, y, c, s, x0, baseline - m.Ascent, x0 + width, baseline - m.Ascent + m.Height);
    }
    Fill(font.Color);
    const double ox = x + x0 * c + baseline * s, oy = y - x0 * s + baseline * c;
    std::string& o = *FOut;
    o += "BT ";
    AppendNum(o, c);
    o.push_back(' ');
    AppendNum(o, -s);
    o.push_back(' ');
    AppendNum(o, -s);
    o.push_back(' ');
    AppendNum(o, -c);
    o.push_back(' ');
    AppendPoint(ox, oy);
    o += " Tm ";
    FDoc->Fonts().Show(o, shown, em);
    o += " ET\n";
    if (font.Style & (fsUnderline | fsStrikeOut)) {
        const double thick = std::max(1.0, em * f.Face->UnderlineWidth);
        if (font.Style & fsUnderline) {
            double top = baseline + std::max(1.0, em * f.Face->UnderlinePos) - thick / 2;
            Quad(x, y, c, s, x0, top, x0 + width, top + thick);
        }
        if (font.Style & fsStrikeOut) {
            double top = baseline - m.Ascent * 0.3 - thick / 2;
            Quad(x, y, c, s, x0, top, x0 + width, top + thick);
        }
    }
}

void TPdfPageDevice::DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent,
                               TColor key) {
    if (!FOut || image.isNull() || dest.Width() == 0 || dest.Height() == 0 || source.Width() <= 0 ||
        source.Height() <= 0)
        return;
    TRect src;
    if (!IntersectRect(src, source, {0, 0, image.width(), image.height()})) return;
    Flush();
    int32_t index = FDoc->ImageIndex(image, src, transparent, key);
    std::string& o = *FOut;
    o += "q ";
    AppendInt(o, dest.Width());
    o += " 0 0 ";
    AppendInt(o, -dest.Height());
    o.push_back(' ');
    AppendInt(o, dest.Left);
    o.push_back(' ');
    AppendInt(o, dest.Top + dest.Height());
    o += " cm /Im";
    AppendInt(o, index);
    o += " Do Q\n";
}

void TPdfPageDevice::SetClip(const TRect* rect) {
    if (!FOut) return;
    if (!rect && !FClipped) return;
    if (rect && FClipped && *rect == FClip) return;
    Flush();
    std::string& o = *FOut;
    if (FClipped) {
        // Restoring drops the colours and the line state set under the clip.
        o += "Q\n";
        FClipped = false;
        FHasFill = FHasStroke = false;
        FLineWidth = -1;
        FDash = -1;
    }
    if (rect) {
        o += "q ";
        AppendInt(o, rect->Left);
        o.push_back(' ');
        AppendInt(o, rect->Top);
        o.push_back(' ');
        AppendInt(o, std::max(0, rect->Width()));
        o.push_back(' ');
        AppendInt(o, std::max(0, rect->Height()));
        o += " re W n\n";
        FClipped = true;
        FClip = *rect;
    }
}

// ---------------------------------------------------------------- file names

constexpr size_t kMaxBaseBytes = 200;

std::string SafeBase(const std::string& title) {
    std::string base;
    base.reserve(title.size());
    for (unsigned char c : title) base.push_back(c < 0x20 || c == 0x7F || c == '/' ? '_' : static_cast<char>(c));
    base = Trim(base);
    if (base.size() >= 4 && SameText(base.substr(base.size() - 4), ".pdf")) base = Trim(base.substr(0, base.size() - 4));
    size_t dots = 0;
    while (dots < base.size() && base[dots] == '.') ++dots;
    base.erase(0, dots);
    if (base.size() > kMaxBaseBytes) {
        size_t cut = kMaxBaseBytes;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
        base.resize(cut);
    }
    if (base.empty()) base = PrinterConst::SUntitled;
    return base;
}

std::string Candidate(const std::string& folder, const std::string& base, int32_t n) {
    std::string name = IncludeTrailingPathDelimiter(folder) + base;
    if (n > 1) name += " (" + IntToStr(n) + ")";
    return name + ".pdf";
}

std::string SystemError(int error) { return std::strerror(error); }

// Writes all of bytes to fd; false on failure.
bool WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Creates a new file under the first free name and writes bytes into it.
// The next number to try is remembered per folder and name, so that a run
// of jobs does not test every earlier name again; it starts over when the
// file before it has gone.
std::string WriteNewFile(const std::string& folder, const std::string& base, const std::string& bytes) {
    static std::unordered_map<std::string, int32_t> next;
    std::string key = IncludeTrailingPathDelimiter(folder) + base;
    int32_t n = 1;
    if (auto it = next.find(key); it != next.end() && it->second > 1) {
        n = it->second;
        if (!FileExists(Candidate(folder, base, n - 1))) n = 1;
    }
    for (;; ++n) {
        std::string path = Candidate(folder, base, n);
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw EPrinter(FmtMsg(PrinterConst::SCannotWriteFile, path, SystemError(errno)));
        }
        bool ok = WriteAll(fd, bytes);
        int error = errno;
        if (::close(fd) != 0 && ok) {
            ok = false;
            error = errno;
        }
        if (!ok) {
            ::unlink(path.c_str());
            throw EPrinter(FmtMsg(PrinterConst::SCannotWriteFile, path, SystemError(error)));
        }
        next[key] = n + 1;
        return path;
    }
}

}  // namespace

std::string UserDocumentsFolder() {
    QString xdg = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!xdg.isEmpty() && QDir(xdg).exists()) return IncludeTrailingPathDelimiter(xdg.toStdString());
    std::string home = QDir::homePath().toStdString();
    if (DirectoryExists(IncludeTrailingPathDelimiter(home) + "Documents"))
        return IncludeTrailingPathDelimiter(home) + "Documents/";
    return IncludeTrailingPathDelimiter(home);
}

std::string UniquePdfFileName(const std::string& folder, const std::string& base) {
    std::string safe = SafeBase(base);
    for (int32_t n = 1;; ++n) {
        std::string path = Candidate(folder, safe, n);
        if (!FileExists(path)) return path;
    }
}

// ---------------------------------------------------------------- the printer

struct TPdfFilePrinter::Impl {
    TPageSetup Setup;
    std::string OutputFile;
    bool OutputFresh = false;  // the next job replaces OutputFile
    std::string Folder;
    std::string LastFile;
    TPrintJobInfo Job;
    std::unique_ptr<TPdfDocument> Doc;
    std::unique_ptr<TPdfPageDevice> Page;
    std::unique_ptr<TPdfPageDevice> Info;
    TPageGeometry InfoGeometry;
};

TPdfFilePrinter::TPdfFilePrinter() : FImpl(std::make_unique<Impl>()) {}
TPdfFilePrinter::~TPdfFilePrinter() = default;

std::string TPdfFilePrinter::Name() const { return PrinterConst::SPdfPrinterName; }
const TPageSetup& TPdfFilePrinter::PageSetup() const { return FImpl->Setup; }

void TPdfFilePrinter::SetPageSetup(const TPageSetup& setup) {
    if (FImpl->Doc) throw EPrinter(PrinterConst::SPrinting);
    CheckPageSetup(setup);
    FImpl->Setup = setup;
}

const std::string& TPdfFilePrinter::OutputFile() const { return FImpl->OutputFile; }

void TPdfFilePrinter::SetOutputFile(const std::string& path) {
    FImpl->OutputFile = path.empty() ? path : ExpandFileName(path);
    FImpl->OutputFresh = !path.empty();
}

const std::string& TPdfFilePrinter::OutputFolder() const { return FImpl->Folder; }
void TPdfFilePrinter::SetOutputFolder(const std::string& folder) { FImpl->Folder = folder; }

std::string TPdfFilePrinter::EffectiveFolder() const {
    return FImpl->Folder.empty() ? UserDocumentsFolder() : IncludeTrailingPathDelimiter(FImpl->Folder);
}

const std::string& TPdfFilePrinter::LastFile() const { return FImpl->LastFile; }

TPageGeometry TPdfFilePrinter::Geometry(TPrinterOrientation orientation) const {
    return PageGeometryFor(FImpl->Setup, orientation);
}

TCanvasDevice* TPdfFilePrinter::InfoDevice(TPrinterOrientation orientation) {
    TPageGeometry g = Geometry(orientation);
    if (!FImpl->Info || FImpl->InfoGeometry.DpiX != g.DpiX || FImpl->InfoGeometry.DpiY != g.DpiY ||
        !(FImpl->InfoGeometry.Paper == g.Paper) || !(FImpl->InfoGeometry.Printable == g.Printable)) {
        FImpl->Info = std::make_unique<TPdfPageDevice>(nullptr, g);
        FImpl->InfoGeometry = g;
    }
    return FImpl->Info.get();
}

TCanvasDevice* TPdfFilePrinter::BeginDoc(const TPrintJobInfo& job) {
    if (FImpl->Doc) throw EPrinter(PrinterConst::SPrinting);
    FImpl->Job = job;
    FImpl->Doc = std::make_unique<TPdfDocument>(Geometry(job.Orientation), job.Title);
    FImpl->Page = std::make_unique<TPdfPageDevice>(FImpl->Doc.get(), FImpl->Doc->Geometry());
    return FImpl->Page.get();
}

TCanvasDevice* TPdfFilePrinter::NewPage() {
    if (!FImpl->Doc) throw EPrinter(PrinterConst::SNotPrinting);
    FImpl->Page->Close();
    FImpl->Page = std::make_unique<TPdfPageDevice>(FImpl->Doc.get(), FImpl->Doc->Geometry());
    return FImpl->Page.get();
}

void TPdfFilePrinter::EndDoc() {
    if (!FImpl->Doc) throw EPrinter(PrinterConst::SNotPrinting);
    FImpl->Page->Close();
    std::string bytes = FImpl->Doc->Finish(FImpl->Job.Copies);
    FImpl->Page.reset();
    FImpl->Doc.reset();

    std::string path;
    if (!FImpl->OutputFile.empty() && FImpl->OutputFresh) {
        // The file the user chose: replaced whole, or left as it was.
        path = FImpl->OutputFile;
        if (!WriteFileAtomically(path, bytes))
            throw EPrinter(FmtMsg(PrinterConst::SCannotWriteFile, path, SystemError(errno ? errno : EIO)));
        FImpl->OutputFresh = false;
    } else if (!FImpl->OutputFile.empty()) {
        std::string file = ExtractFileName(FImpl->OutputFile);
        std::string stem = file.substr(0, file.size() - ExtractFileExt(file).size());
        path = WriteNewFile(ExtractFilePath(FImpl->OutputFile), SafeBase(stem), bytes);
    } else {
        path = WriteNewFile(EffectiveFolder(), SafeBase(FImpl->Job.Title), bytes);
    }
    FImpl->LastFile = path;
    if (OnFileWritten) OnFileWritten(path);
}

void TPdfFilePrinter::Abort() {
    FImpl->Page.reset();
    FImpl->Doc.reset();
}
