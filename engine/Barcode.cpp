#include "engine/Barcode.h"

#include "engine/BarMessages.h"
#include "platform/runtime/SysUtils.h"

TBarcode::TBarcode(TComponent* owner) : TCustomBarcode(owner) { FAutoSize = true; }

void TBarcode::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    Invalidate();
}

void TBarcode::Paint() {
    TCanvas* canvas = Canvas();
    if (!canvas) return;
    TSize size;
    DrawOnCanvas(*canvas, 0, 0, &size);
    if (FAutoSize && (size.cx != Width() || size.cy != Height())) SetBounds(Left(), Top(), size.cx, size.cy);
}

void TBarcode::LoMetricPrint(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size) {
    const int mode = canvas.GetMapMode();
    if (mode == MM_TEXT) {
        DrawOnCanvas(canvas, X, Y, Size);
        return;
    }
    long double unitsPerInch;
    if (mode == MM_LOMETRIC) unitsPerInch = 254;
    else if (mode == MM_HIMETRIC) unitsPerInch = 2540;
    else throw EOverflow(BarMessages::SWrongMapMode);

    // The same screen fallback as the drawing, so that a device without a
    // resolution does not divide by zero below.
    int32_t dpiX, dpiY;
    TLLBarcode::CanvasResolution(canvas, dpiX, dpiY);
    const long double sx = dpiX / unitsPerInch;
    const long double sy = dpiY / unitsPerInch;
    // The metric modes' y grows upwards: a point below the origin has a
    // negative y there. A position that leaves the device's coordinates is
    // refused before the map mode changes.
    const int32_t x = TLLBarcode::Fit32(Round(X * sx));
    const int32_t y = TLLBarcode::Fit32(-Round(Y * sy));

    const int oldMode = canvas.SetMapMode(MM_TEXT);
    DrawOnCanvas(canvas, x, y, Size);
    if (Size) {
        Size->cx = TLLBarcode::Fit32(Round(Size->cx / sx));
        Size->cy = TLLBarcode::Fit32(Round(Size->cy / sy));
    }
    canvas.SetMapMode(oldMode);
}
