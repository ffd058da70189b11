// A canvas device that records every call in device pixels, for tests of any
// area; it can pass each call on to another device (a bitmap's) so that one
// test checks both the calls and the pixels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Graphics.h"

enum class TRecordedKind { FillRect, Polyline, Polygon, Ellipse, TextOut, DrawImage, SetClip, SetPixel };

struct TRecordedCall {
    TRecordedKind Kind = TRecordedKind::FillRect;
    TRect Rect;                  // FillRect, Ellipse, DrawImage (dest), SetClip
    std::vector<TPoint> Points;  // Polyline, Polygon; SetPixel: the pixel
    std::string Text;            // TextOut
    TPoint Anchor;               // TextOut
    uint32_t Align = 0;          // TextOut: TA_ flags
    TDeviceFont Font;            // TextOut
    bool HasBrush = false;
    TDeviceBrush Brush;
    bool HasPen = false;
    TDevicePen Pen;
    bool Opaque = false;         // TextOut: background mode OPAQUE
    TColor Background = clWhite; // TextOut: background colour
    TRect Source;                // DrawImage
    bool Transparent = false;    // DrawImage
    TColor Key = clBlack;        // DrawImage
    bool HasClip = false;        // SetClip: false removes the clip
    TColor Color = clBlack;      // SetPixel
    // Extent of the text in its font (TextOut), measured when recorded.
    TSize Extent;
};

class TRecordingDevice : public TCanvasDevice {
public:
    // inner is not owned and may be null.
    TRecordingDevice(int32_t dpiX, int32_t dpiY, TSize size, TCanvasDevice* inner = nullptr);

    const std::vector<TRecordedCall>& Calls() const { return FCalls; }
    void Clear() { FCalls.clear(); }
    // The calls of one kind, in order.
    std::vector<TRecordedCall> Calls(TRecordedKind kind) const;
    void SetInner(TCanvasDevice* inner) { FInner = inner; }
    void SetResolution(int32_t dpiX, int32_t dpiY) { FDpiX = dpiX, FDpiY = dpiY; }
    void SetPhysical(TSize paper, TPoint offset);

    int32_t LogPixelsX() const override { return FDpiX; }
    int32_t LogPixelsY() const override { return FDpiY; }
    TSize PixelSize() const override { return FSize; }
    int32_t BitsPerPixel() const override { return FInner ? FInner->BitsPerPixel() : 32; }
    TSize PhysicalSize() const override { return FHasPhysical ? FPaper : FSize; }
    TPoint PhysicalOffset() const override { return FOffset; }

    void FillRect(const TRect& rect, const TDeviceBrush& brush) override;
    void Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) override;
    void Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) override;
    void Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) override;
    void TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align, bool opaque,
                 TColor background) override;
    TSize TextExtent(const std::string& text, const TDeviceFont& font) override;
    TTextMetric TextMetrics(const TDeviceFont& font) override;
    void DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent, TColor key) override;
    void SetClip(const TRect* rect) override;
    TColor GetPixel(int32_t x, int32_t y) override;
    void SetPixel(int32_t x, int32_t y, TColor color) override;
    bool ReadPixels(const TRect& rect, TDeviceImage& out) override;

private:
    int32_t FDpiX;
    int32_t FDpiY;
    TSize FSize;
    TCanvasDevice* FInner;
    bool FHasPhysical = false;
    TSize FPaper;
    TPoint FOffset;
    std::vector<TRecordedCall> FCalls;
};

// A canvas on a recording device at a resolution (0 allowed), optionally
// backed by a bitmap of the given size whose pixels receive every call too.
class TRecordingCanvas : public TCanvas {
public:
    TRecordingCanvas(int32_t dpiX = 96, int32_t dpiY = 96, TSize size = {1000, 1000}, bool withBitmap = false);
    ~TRecordingCanvas() override;
    TRecordingDevice& Recorder() const { return *FRecorder; }
    const std::vector<TRecordedCall>& Calls() const { return FRecorder->Calls(); }
    std::vector<TRecordedCall> Calls(TRecordedKind kind) const { return FRecorder->Calls(kind); }
    // The backing bitmap, or null.
    TBitmap* Bitmap() const { return FBitmap.get(); }

private:
    std::unique_ptr<TBitmap> FBitmap;
    TRecordingDevice* FRecorder;
};
