// The device behind a TCanvas: it receives drawing in device pixels with the
// state already resolved (colours as RGB, fonts with device heights). One
// device draws with a QPainter (bitmaps, controls, printers), one records the
// calls for tests, one writes metafile records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Graphics.h"

// The pixels of an image a device draws or reads back; opaque outside the
// graphics room's Qt side (qt/GraphicsQt.h).
class TDeviceImage;

struct TDeviceFont {
    std::string Name;        // family; "Default" is the desktop's default family
    int32_t Height = 0;      // device pixels: > 0 cell height, < 0 em height
    TFontStyles Style = 0;
    int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    TColor Color = clBlack;  // RGB
    TFontQuality Quality = fqDefault;
    bool operator==(const TDeviceFont&) const = default;
};

struct TDevicePen {
    TColor Color = clBlack;  // RGB
    int32_t Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TDeviceBrush {
    TColor Color = clWhite;  // RGB
    TBrushStyle Style = bsSolid;
};

struct TTextMetric {
    int32_t Height = 0;   // cell height: ascent + descent
    int32_t Ascent = 0;
    int32_t Descent = 0;
    int32_t InternalLeading = 0;
    int32_t ExternalLeading = 0;
    int32_t AveCharWidth = 0;
};

class TCanvasDevice {
public:
    virtual ~TCanvasDevice() = default;

    virtual int32_t LogPixelsX() const = 0;
    virtual int32_t LogPixelsY() const = 0;
    // Size of the drawing surface in pixels (HORZRES, VERTRES).
    virtual TSize PixelSize() const = 0;
    virtual int32_t BitsPerPixel() const { return 32; }
    // Printers: the paper's size and the printable area's distance from the
    // paper corner, in pixels. Other devices: their own size and 0.
    virtual TSize PhysicalSize() const { return PixelSize(); }
    virtual TPoint PhysicalOffset() const { return {}; }

    // Everything below is in device pixels. rect is normalised.
    virtual void FillRect(const TRect& rect, const TDeviceBrush& brush) = 0;
    virtual void Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) = 0;
    // pen or brush may be null (no outline, no fill).
    virtual void Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) = 0;
    virtual void Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) = 0;
    // Text with its anchor at (x, y) as align (TA_ flags) says, rotated by
    // font.Escapement around the anchor; opaque fills the text cell with
    // background first.
    virtual void TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align,
                         bool opaque, TColor background) = 0;
    // Unrotated extent of text: width, and the cell height of the font.
    virtual TSize TextExtent(const std::string& text, const TDeviceFont& font);
    virtual TTextMetric TextMetrics(const TDeviceFont& font);
    // Draws source (a part of image) stretched into dest; transparent drops
    // the pixels of colour key.
    virtual void DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent,
                           TColor key) = 0;
    // nullptr: no clipping.
    virtual void SetClip(const TRect* rect) = 0;
    virtual TColor GetPixel(int32_t x, int32_t y) { return clWhite; }
    virtual void SetPixel(int32_t x, int32_t y, TColor color) {}
    // A copy of a part of the surface, for CopyRect; null image when the
    // device cannot read back.
    virtual bool ReadPixels(const TRect& rect, TDeviceImage& out) { return false; }
};

// Text measurement shared by the devices: Qt font metrics at a resolution.
TSize MeasureText(const std::string& text, const TDeviceFont& font, int32_t dpi);
TTextMetric MeasureFont(const TDeviceFont& font, int32_t dpi);
// The byte length of the longest prefix of whole characters of text whose
// summed advances are at most width pixels; the text is walked only that far.
size_t FitText(std::string_view text, const TDeviceFont& font, int32_t width);
// The byte offset of the longest suffix of whole characters of text whose
// summed advances are at most width pixels, walked from the end.
size_t FitTextFromEnd(std::string_view text, const TDeviceFont& font, int32_t width);
// The summed advances of text in pixels, walked only until they pass limit:
// the exact sum when it is at most limit, else some value above it.
double TextAdvanceUpTo(std::string_view text, const TDeviceFont& font, double limit);
