#include "platform/graphics/qt/QtCanvasDevice.h"

#include <QImage>
#include <QPaintDevice>
#include <QPolygon>
#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/graphics/qt/FontCache.h"

namespace {

Qt::BrushStyle ToQtBrushStyle(TBrushStyle style) {
    switch (style) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsClear: return Qt::NoBrush;
    default: return Qt::SolidPattern;
    }
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

// What the platform answers for a pixel outside the surface.
constexpr TColor kInvalidColor = -1;

}  // namespace

TQtCanvasDevice::TQtCanvasDevice(QPainter* painter, int32_t dpiX, int32_t dpiY, TSize size)
    : FPainter(painter), FDpiX(dpiX), FDpiY(dpiY), FSize(size) {}

TQtCanvasDevice::~TQtCanvasDevice() = default;

void TQtCanvasDevice::SetPainter(QPainter* painter) {
    FPainter = painter;
    PainterChanged();
}

void TQtCanvasDevice::SetResolution(int32_t dpiX, int32_t dpiY) {
    FDpiX = dpiX;
    FDpiY = dpiY;
}

void TQtCanvasDevice::SetPhysical(TSize paper, TPoint offset) {
    FHasPhysical = true;
    FPaper = paper;
    FOffset = offset;
}

void TQtCanvasDevice::PainterChanged() {
    FPrepared = nullptr;
    FClipApplied = false;
    FPainterFont = nullptr;
}

// Sets what every drawing call relies on, once per painter: crisp shapes on
// exact pixels, antialiased text.
QPainter* TQtCanvasDevice::Prepare() {
    QPainter* p = ActivePainter();
    if (!p || !p->isActive()) return nullptr;
    if (p != FPrepared) {
        FPrepared = p;
        FClipApplied = false;
        FPainterFont = nullptr;
        p->setRenderHint(QPainter::Antialiasing, false);
        p->setRenderHint(QPainter::TextAntialiasing, true);
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (!FClipApplied) {
        FClipApplied = true;
        if (FHasClip) p->setClipRect(ToQRect(FClip), Qt::ReplaceClip);
        else p->setClipping(false);
    }
    return p;
}

QImage* TQtCanvasDevice::TargetImage() {
    QPainter* p = ActivePainter();
    if (!p || !p->isActive() || !p->device() || p->device()->devType() != QInternal::Image) return nullptr;
    return static_cast<QImage*>(p->device());
}

const TResolvedFont& TQtCanvasDevice::Font(const TDeviceFont& font) {
    if (!FLastResolved || !(font == FLastFont)) {
        FLastResolved = &ResolveFont(font);
        FLastFont = font;
    }
    return *FLastResolved;
}

void TQtCanvasDevice::SetClip(const TRect* rect) {
    bool has = rect != nullptr;
    if (has == FHasClip && (!has || *rect == FClip)) return;
    FHasClip = has;
    if (rect) FClip = *rect;
    FClipApplied = false;
}

void TQtCanvasDevice::SetPenMode(QPainter* p, TPenMode mode) {
    QPainter::CompositionMode m = QPainter::CompositionMode_SourceOver;
    switch (mode) {
    case pmXor: m = QPainter::RasterOp_SourceXorDestination; break;
    case pmNot: m = QPainter::RasterOp_NotDestination; break;
    case pmNotXor: m = QPainter::RasterOp_NotSourceXorDestination; break;
    case pmMerge: m = QPainter::RasterOp_SourceOrDestination; break;
    case pmMask: m = QPainter::RasterOp_SourceAndDestination; break;
    case pmNotCopy: m = QPainter::RasterOp_NotSource; break;
    case pmNotMerge: m = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case pmNotMask: m = QPainter::RasterOp_NotSourceOrNotDestination; break;
    default: break;
    }
    p->setCompositionMode(m);
}

QPen TQtCanvasDevice::MakePen(const TDevicePen& pen) const {
    TColor c = pen.Mode == pmBlack ? clBlack : pen.Mode == pmWhite ? clWhite : pen.Color;
    QPen q(ToQColor(c));
    q.setWidth(pen.Width <= 1 ? 1 : pen.Width);
    // The platform's lines leave out their last point.
    q.setCapStyle(pen.Width <= 1 ? Qt::FlatCap : Qt::RoundCap);
    q.setJoinStyle(pen.Width <= 1 ? Qt::MiterJoin : Qt::RoundJoin);
    switch (pen.Style) {
    case psDash: q.setStyle(Qt::DashLine); break;
    case psDot:
        if (pen.Width <= 1) q.setDashPattern({1.0, 1.0});
        else q.setStyle(Qt::DotLine);
        break;
    case psDashDot: q.setStyle(Qt::DashDotLine); break;
    case psDashDotDot: q.setStyle(Qt::DashDotDotLine); break;
    case psClear: q.setStyle(Qt::NoPen); break;
    default: break;
    }
    return q;
}

// Solid fills on a 32-bit image write the pixels QPainter's fillRect would
// write, without its per-row cost: tall thin bars are the engine's bulk.
bool TQtCanvasDevice::DirectFill(QPainter* p, const TRect& rect, TColor color) {
    QImage* image = TargetImage();
    if (!image || !image->isDetached()) return false;
    QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (p->compositionMode() != QPainter::CompositionMode_SourceOver || !p->transform().isIdentity() ||
        p->opacity() != 1.0)
        return false;
    TRect r;
    if (!IntersectRect(r, rect, {0, 0, image->width(), image->height()})) return true;
    if (FHasClip && !IntersectRect(r, r, FClip)) return true;
    const uint32_t value = 0xFF000000u | (uint32_t(GetRValue(color)) << 16) | (uint32_t(GetGValue(color)) << 8) |
                           uint32_t(GetBValue(color));
    const qsizetype stride = image->bytesPerLine();
    uchar* bits = image->bits();
    const int32_t n = r.Right - r.Left;
#if defined(__SSE2__)
    const __m128i wide = _mm_set1_epi32(static_cast<int>(value));
#endif
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bits + y * stride) + r.Left;
        int32_t x = 0;
#if defined(__SSE2__)
        for (; x + 4 <= n; x += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), wide);
#endif
        for (; x < n; ++x) row[x] = value;
    }
    return true;
}

void TQtCanvasDevice::FillRect(const TRect& rect, const TDeviceBrush& brush) {
    QPainter* p = Prepare();
    if (!p || brush.Style == bsClear) return;
    if (brush.Style == bsSolid && DirectFill(p, rect, brush.Color)) return;
    if (brush.Style == bsSolid) p->fillRect(ToQRect(rect), ToQColor(brush.Color));
    else p->fillRect(ToQRect(rect), QBrush(ToQColor(brush.Color), ToQtBrushStyle(brush.Style)));
}

void TQtCanvasDevice::Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) {
    QPainter* p = Prepare();
    if (!p || points.size() < 2 || pen.Style == psClear || pen.Mode == pmNop) return;
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
    SetPenMode(p, pen.Mode);
    p->setPen(MakePen(pen));
    p->drawPolyline(poly);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TQtCanvasDevice::Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) {
    QPainter* p = Prepare();
    if (!p || points.size() < 2 || (!pen && !brush)) return;
    QPolygon poly;
    poly.reserve(static_cast<qsizetype>(points.size()));
    for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
    if (brush) {
        p->setPen(Qt::NoPen);
        p->setBrush(QBrush(ToQColor(brush->Color), ToQtBrushStyle(brush->Style)));
        p->drawPolygon(poly, Qt::OddEvenFill);
    }
    if (pen && pen->Mode != pmNop) {
        SetPenMode(p, pen->Mode);
        p->setPen(MakePen(*pen));
        p->setBrush(Qt::NoBrush);
        p->drawPolygon(poly, Qt::OddEvenFill);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void TQtCanvasDevice::Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) {
    QPainter* p = Prepare();
    if (!p || (!pen && !brush)) return;
    // Aliased outlines sit on the pixel centres of the outermost pixels.
    QRectF r(rect.Left + 0.5, rect.Top + 0.5, rect.Width() - 1, rect.Height() - 1);
    p->setPen(pen ? MakePen(*pen) : QPen(Qt::NoPen));
    p->setBrush(brush ? QBrush(ToQColor(brush->Color), ToQtBrushStyle(brush->Style)) : QBrush(Qt::NoBrush));
    if (pen) SetPenMode(p, pen->Mode);
    p->drawEllipse(r);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

TSize TQtCanvasDevice::TextExtent(const std::string& text, const TDeviceFont& font) {
    const TResolvedFont& f = Font(font);
    double width = TextAdvance(f, text);
    return {static_cast<int32_t>(std::lround(width)), f.Metric.Height};
}

TTextMetric TQtCanvasDevice::TextMetrics(const TDeviceFont& font) { return Font(font).Metric; }

// The part of the surface drawing can reach, in the painter's coordinates.
QRectF TQtCanvasDevice::VisibleArea(QPainter* p) const {
    QRectF area(0, 0, p->device() ? p->device()->width() : FSize.cx, p->device() ? p->device()->height() : FSize.cy);
    if (!p->transform().isIdentity()) area = p->transform().inverted().mapRect(area);
    if (FHasClip) area = area.intersected(QRectF(ToQRect(FClip)));
    return area;
}

void TQtCanvasDevice::TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align,
                              bool opaque, TColor background) {
    QPainter* p = Prepare();
    if (!p || text.empty()) return;
    const TResolvedFont& f = Font(font);
    const bool rotated = font.Escapement % 3600 != 0;
    const bool left = (align & TA_CENTER) == TA_LEFT;
    // A long text is shaped only where it can show: its advances place the
    // part, and the part alone goes to the font engine.
    const bool whole = text.size() <= kLongText;
    TShapedText shaped;
    double fullWidth = 0;
    if (whole) {
        shaped = ShapeText(f, text);
        fullWidth = shaped.Width;
    } else if (!left || opaque) {
        fullWidth = TextAdvance(f, text);
    }
    int32_t width = static_cast<int32_t>(std::clamp(std::round(fullWidth), 0.0, 1e9));
    int32_t ascent = f.Metric.Ascent;
    int32_t x0 = 0;
    if ((align & TA_CENTER) == TA_CENTER) x0 = -(width / 2);
    else if ((align & TA_CENTER) == TA_RIGHT) x0 = -width;
    int32_t baseline = ascent;
    if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
    else if ((align & TA_BASELINE) == TA_BOTTOM) baseline = -f.Metric.Descent;

    double partOffset = 0;
    if (!whole) {
        const QRectF area = VisibleArea(p);
        double from, to;
        if (rotated) {
            // Whatever the angle, a visible glyph lies no further from the
            // anchor than the farthest corner of the area.
            double reach = 0;
            for (QPointF c : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
                reach = std::max(reach, std::hypot(c.x() - x, c.y() - y));
            reach += f.Metric.Height;
            from = -reach - x0;
            to = reach - x0;
        } else {
            const double origin = double(x) + x0;
            from = area.left() - origin - f.Metric.Height;
            to = area.right() - origin + f.Metric.Height;
        }
        if (to >= from && !area.isEmpty()) {
            const TTextPart part = VisiblePart(f, text, from, to);
            partOffset = part.Offset;
            shaped = ShapeQText(f, ToQString(std::string_view(text).substr(part.Begin, part.End - part.Begin), part.Utf8));
        }
    }

    if (rotated) {
        QTransform t;
        t.translate(x, y);
        t.rotate(-font.Escapement / 10.0);
        p->setTransform(t);
        p->setRenderHint(QPainter::Antialiasing, true);
        x = 0;
        y = 0;
    }
    if (opaque) p->fillRect(QRect(x + x0, y + baseline - ascent, width, f.Metric.Height), ToQColor(background));
    p->setPen(ToQColor(font.Color));
    // Shaped once per text and font: drawing reuses the glyphs.
    QPointF origin(x + x0 + partOffset, y + baseline);
    for (const QGlyphRun& run : shaped.Runs) p->drawGlyphRun(origin, run);
    if (rotated) {
        p->resetTransform();
        p->setRenderHint(QPainter::Antialiasing, false);
    }
}

void TQtCanvasDevice::DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent,
                                TColor key) {
    QPainter* p = Prepare();
    if (!p || image.isNull() || IsRectEmpty(dest) || IsRectEmpty(source)) return;
    if (!transparent) {
        p->drawImage(ToQRect(dest), image, ToQRect(source));
        return;
    }
    QImage part = image.copy(ToQRect(source)).convertToFormat(QImage::Format_ARGB32);
    QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key)) & 0xFFFFFF;
    for (int yy = 0; yy < part.height(); ++yy) {
        auto* row = reinterpret_cast<QRgb*>(part.scanLine(yy));
        for (int xx = 0; xx < part.width(); ++xx)
            if ((row[xx] & 0xFFFFFF) == k) row[xx] = 0;
    }
    p->drawImage(ToQRect(dest), part, part.rect());
}

TColor TQtCanvasDevice::GetPixel(int32_t x, int32_t y) {
    QImage* image = TargetImage();
    if (!image || !image->valid(x, y)) return kInvalidColor;
    return FromQRgb(image->pixel(x, y));
}

void TQtCanvasDevice::SetPixel(int32_t x, int32_t y, TColor color) {
    QPainter* p = Prepare();
    if (!p) return;
    p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

bool TQtCanvasDevice::ReadPixels(const TRect& rect, TDeviceImage& out) {
    QImage* image = TargetImage();
    if (!image) return false;
    out = image->copy(ToQRect(rect));
    return !out.isNull();
}
