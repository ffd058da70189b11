// The canvas device that draws with a QPainter: bitmaps, controls while they
// paint, and printers use it. Internal to the platform layer.
//
// A control keeps one device on its canvas and binds the painter of each
// paint event: device->SetPainter(&painter) before the paint handler runs,
// SetPainter(nullptr) after it. A printer binds the painter of its job and
// gives its paper size and printable offset with SetPhysical. Transforms the
// painter carries (a scrolled view) apply to everything drawn.
#pragma once

#include <QColor>
#include <QPainter>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/qt/GraphicsQt.h"

struct TResolvedFont;

inline QColor ToQColor(TColor rgb) { return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)); }
inline TColor FromQRgb(QRgb c) { return RGB(qRed(c), qGreen(c), qBlue(c)); }

class TQtCanvasDevice : public TCanvasDevice {
public:
    // painter is not owned and may be null (then nothing is drawn until one
    // is bound); size is the surface in pixels.
    TQtCanvasDevice(QPainter* painter, int32_t dpiX, int32_t dpiY, TSize size);
    ~TQtCanvasDevice() override;

    // Binds another painter (a control binds one for each paint event and
    // unbinds it with nullptr afterwards). State set on the previous painter
    // is forgotten; the clip is applied again.
    void SetPainter(QPainter* painter);
    QPainter* BoundPainter() const { return FPainter; }
    void SetResolution(int32_t dpiX, int32_t dpiY);
    void SetPixelSize(TSize size) { FSize = size; }
    void SetPhysical(TSize paper, TPoint offset);
    void SetBitsPerPixel(int32_t bits) { FBits = bits; }

    int32_t LogPixelsX() const override { return FDpiX; }
    int32_t LogPixelsY() const override { return FDpiY; }
    TSize PixelSize() const override { return FSize; }
    int32_t BitsPerPixel() const override { return FBits; }
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

protected:
    // The painter to draw with, or null; a bitmap begins its painter here.
    virtual QPainter* ActivePainter() { return FPainter; }
    // The image the painter draws on, when it is one (for reading pixels).
    virtual QImage* TargetImage();
    // Call when ActivePainter() has begun a new painter.
    void PainterChanged();

private:
    QPainter* Prepare();
    QRectF VisibleArea(QPainter* p) const;
    const TResolvedFont& Font(const TDeviceFont& font);
    void SetPenMode(QPainter* p, TPenMode mode);
    bool DirectFill(QPainter* p, const TRect& rect, TColor color);
    QPen MakePen(const TDevicePen& pen) const;

    QPainter* FPainter = nullptr;
    int32_t FDpiX;
    int32_t FDpiY;
    TSize FSize;
    int32_t FBits = 32;
    bool FHasPhysical = false;
    TSize FPaper;
    TPoint FOffset;
    bool FHasClip = false;
    TRect FClip;
    // What is known to be set on the current painter.
    QPainter* FPrepared = nullptr;
    bool FClipApplied = false;
    const QFont* FPainterFont = nullptr;
    // The last font asked for, resolved.
    TDeviceFont FLastFont;
    const TResolvedFont* FLastResolved = nullptr;
};
