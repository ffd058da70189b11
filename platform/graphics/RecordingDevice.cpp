#include "platform/graphics/RecordingDevice.h"

#include <QImage>

#include "platform/graphics/qt/GraphicsQt.h"

TRecordingDevice::TRecordingDevice(int32_t dpiX, int32_t dpiY, TSize size, TCanvasDevice* inner)
    : FDpiX(dpiX), FDpiY(dpiY), FSize(size), FInner(inner) {}

std::vector<TRecordedCall> TRecordingDevice::Calls(TRecordedKind kind) const {
    std::vector<TRecordedCall> out;
    for (const TRecordedCall& c : FCalls)
        if (c.Kind == kind) out.push_back(c);
    return out;
}

void TRecordingDevice::SetPhysical(TSize paper, TPoint offset) {
    FHasPhysical = true;
    FPaper = paper;
    FOffset = offset;
}

void TRecordingDevice::FillRect(const TRect& rect, const TDeviceBrush& brush) {
    TRecordedCall c;
    c.Kind = TRecordedKind::FillRect;
    c.Rect = rect;
    c.HasBrush = true;
    c.Brush = brush;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->FillRect(rect, brush);
}

void TRecordingDevice::Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) {
    TRecordedCall c;
    c.Kind = TRecordedKind::Polyline;
    c.Points = points;
    c.HasPen = true;
    c.Pen = pen;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->Polyline(points, pen);
}

void TRecordingDevice::Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) {
    TRecordedCall c;
    c.Kind = TRecordedKind::Polygon;
    c.Points = points;
    if (pen) c.HasPen = true, c.Pen = *pen;
    if (brush) c.HasBrush = true, c.Brush = *brush;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->Polygon(points, pen, brush);
}

void TRecordingDevice::Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) {
    TRecordedCall c;
    c.Kind = TRecordedKind::Ellipse;
    c.Rect = rect;
    if (pen) c.HasPen = true, c.Pen = *pen;
    if (brush) c.HasBrush = true, c.Brush = *brush;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->Ellipse(rect, pen, brush);
}

void TRecordingDevice::TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align,
                               bool opaque, TColor background) {
    TRecordedCall c;
    c.Kind = TRecordedKind::TextOut;
    c.Text = text;
    c.Anchor = {x, y};
    c.Align = align;
    c.Font = font;
    c.Opaque = opaque;
    c.Background = background;
    c.Extent = TextExtent(text, font);
    FCalls.push_back(std::move(c));
    if (FInner) FInner->TextOut(x, y, text, font, align, opaque, background);
}

TSize TRecordingDevice::TextExtent(const std::string& text, const TDeviceFont& font) {
    return FInner ? FInner->TextExtent(text, font) : MeasureText(text, font, FDpiY);
}

TTextMetric TRecordingDevice::TextMetrics(const TDeviceFont& font) {
    return FInner ? FInner->TextMetrics(font) : MeasureFont(font, FDpiY);
}

void TRecordingDevice::DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent,
                                 TColor key) {
    TRecordedCall c;
    c.Kind = TRecordedKind::DrawImage;
    c.Rect = dest;
    c.Source = source;
    c.Transparent = transparent;
    c.Key = key;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->DrawImage(dest, image, source, transparent, key);
}

void TRecordingDevice::SetClip(const TRect* rect) {
    TRecordedCall c;
    c.Kind = TRecordedKind::SetClip;
    c.HasClip = rect != nullptr;
    if (rect) c.Rect = *rect;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->SetClip(rect);
}

TColor TRecordingDevice::GetPixel(int32_t x, int32_t y) { return FInner ? FInner->GetPixel(x, y) : clWhite; }

void TRecordingDevice::SetPixel(int32_t x, int32_t y, TColor color) {
    TRecordedCall c;
    c.Kind = TRecordedKind::SetPixel;
    c.Points = {{x, y}};
    c.Color = color;
    FCalls.push_back(std::move(c));
    if (FInner) FInner->SetPixel(x, y, color);
}

bool TRecordingDevice::ReadPixels(const TRect& rect, TDeviceImage& out) {
    return FInner ? FInner->ReadPixels(rect, out) : false;
}

TRecordingCanvas::TRecordingCanvas(int32_t dpiX, int32_t dpiY, TSize size, bool withBitmap) {
    TCanvasDevice* inner = nullptr;
    if (withBitmap) {
        FBitmap = std::make_unique<TBitmap>(size.cx, size.cy);
        FBitmap->SetResolution(dpiX, dpiY);
        inner = FBitmap->Canvas()->Device();
    }
    auto device = std::make_unique<TRecordingDevice>(dpiX, dpiY, size, inner);
    FRecorder = device.get();
    SetDevice(std::move(device));
    FRecorder->Clear();
}

// The device refers to the bitmap's: it goes first.
TRecordingCanvas::~TRecordingCanvas() { SetDevice(nullptr); }
