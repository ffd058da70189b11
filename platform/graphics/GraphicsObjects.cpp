#include "platform/graphics/Graphics.h"

void TGraphicsObject::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- font

TFont::TFont() = default;

void TFont::Assign(const TPersistent* source) {
    auto* font = dynamic_cast<const TFont*>(source);
    if (!font) {
        TPersistent::Assign(source);
        return;
    }
    if (font == this) return;
    FName = font->FName;
    // A font from a device of another resolution keeps its size in points.
    if (font->FPixelsPerInch != FPixelsPerInch && font->FHeight < 0 && FPixelsPerInch > 0)
        FHeight = -MulDiv(font->Size(), FPixelsPerInch, 72);
    else
        FHeight = font->FHeight;
    FStyle = font->FStyle;
    FColor = font->FColor;
    FOrientation = font->FOrientation;
    FPitch = font->FPitch;
    FCharset = font->FCharset;
    FQuality = font->FQuality;
    Changed();
}

void TFont::SetName(const std::string& name) {
    if (name.empty() || name == FName) return;
    FName = name;
    Changed();
}

void TFont::SetHeight(int32_t height) {
    if (height == FHeight) return;
    FHeight = height;
    Changed();
}

int32_t TFont::Size() const {
    if (FPixelsPerInch <= 0) return -FHeight;
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int32_t points) {
    int32_t ppi = FPixelsPerInch > 0 ? FPixelsPerInch : 96;
    SetHeight(-MulDiv(points, ppi, 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TFont::SetOrientation(int32_t tenths) {
    if (tenths == FOrientation) return;
    FOrientation = tenths;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == FPitch) return;
    FPitch = pitch;
    Changed();
}

void TFont::SetQuality(TFontQuality quality) {
    if (quality == FQuality) return;
    FQuality = quality;
    Changed();
}

bool TFont::operator==(const TFont& other) const {
    return FName == other.FName && FHeight == other.FHeight && FPixelsPerInch == other.FPixelsPerInch &&
           FStyle == other.FStyle && FColor == other.FColor && FOrientation == other.FOrientation &&
           FPitch == other.FPitch && FCharset == other.FCharset && FQuality == other.FQuality;
}

// ---------------------------------------------------------------- pen

void TPen::Assign(const TPersistent* source) {
    auto* pen = dynamic_cast<const TPen*>(source);
    if (!pen) {
        TPersistent::Assign(source);
        return;
    }
    if (pen == this) return;
    FColor = pen->FColor;
    FWidth = pen->FWidth;
    FStyle = pen->FStyle;
    FMode = pen->FMode;
    Changed();
}

void TPen::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    Changed();
}

void TPen::SetWidth(int32_t width) {
    if (width < 0) width = 0;
    if (width == FWidth) return;
    FWidth = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TPen::SetMode(TPenMode mode) {
    if (mode == FMode) return;
    FMode = mode;
    Changed();
}

// ---------------------------------------------------------------- brush

void TBrush::Assign(const TPersistent* source) {
    auto* brush = dynamic_cast<const TBrush*>(source);
    if (!brush) {
        TPersistent::Assign(source);
        return;
    }
    if (brush == this) return;
    FColor = brush->FColor;
    FStyle = brush->FStyle;
    FBitmap = brush->FBitmap;
    Changed();
}

// clNone is the absence of a colour: such a brush paints nothing.
void TBrush::SetColor(TColor color) {
    TBrushStyle style = FStyle;
    if (color == clNone) style = bsClear;
    else if (style == bsClear) style = bsSolid;
    if (color == FColor && style == FStyle) return;
    FColor = color;
    FStyle = style;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
    if (style == FStyle) return;
    FStyle = style;
    Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
    if (bitmap == FBitmap) return;
    FBitmap = bitmap;
    Changed();
}
