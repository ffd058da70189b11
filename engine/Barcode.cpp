#include "engine/Barcode.h"

#include "engine/BarMessages.h"
#include "platform/controls/Forms.h"
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

    int32_t dpiX = canvas.GetDeviceCaps(LOGPIXELSX);
    int32_t dpiY = canvas.GetDeviceCaps(LOGPIXELSY);
    // The same screen fallback as the drawing, so that a device without a
    // resolution does not divide by zero below.
    if (dpiX == 0 || dpiY == 0) dpiX = dpiY = Screen ? Screen->PixelsPerInch() : 96;
    const long double sx = dpiX / unitsPerInch;
    const long double sy = dpiY / unitsPerInch;

    const int oldMode = canvas.SetMapMode(MM_TEXT);
    // The metric modes' y grows upwards: a point below the origin has a
    // negative y there.
    DrawOnCanvas(canvas, static_cast<int32_t>(Round(X * sx)), -static_cast<int32_t>(Round(Y * sy)), Size);
    if (Size) {
        Size->cx = static_cast<int32_t>(Round(Size->cx / sx));
        Size->cy = static_cast<int32_t>(Round(Size->cy / sy));
    }
    canvas.SetMapMode(oldMode);
}
