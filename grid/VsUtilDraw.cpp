// The routines of VsUtil that draw or measure; they need the graphics room.
#include "grid/VsUtil.h"

#include "platform/graphics/Graphics.h"

void DrawTransparentBitmap(TCanvas& Canvas, TBitmap& Bitmap, TColor Color, const TRect& Rect) {
    int32_t w = Bitmap.Width(), h = Bitmap.Height();
    if (w <= 0 || h <= 0) return;
    TColor key = Bitmap.Canvas()->Pixel(0, 0);
    TBitmap work(w, h);
    work.Canvas()->Brush()->SetColor(Color);
    TRect whole = Bounds(0, 0, w, h);
    work.Canvas()->BrushCopy(whole, Bitmap, whole, key);
    Canvas.CopyRect(Bounds(Rect.Left, Rect.Top, w, h), *work.Canvas(), whole);
}

int32_t ScreenFontHeight(const TFont* Font) {
    TCanvas screen;
    if (Font) screen.SetFont(Font);
    return screen.TextHeight("Wg");
}
