#include "engine/BarHL.h"

#include "engine/BarMessages.h"
#include "platform/runtime/SysUtils.h"

TCustomBarcode::TCustomBarcode(TComponent* owner)
    : TGraphicControl(owner), FBarcode(std::make_unique<TLLBarcode>()) {
    SetBounds(Left(), Top(), 69, 66);
}

TCustomBarcode::~TCustomBarcode() = default;

void TCustomBarcode::DrawOnCanvas(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size) {
    FBarcode->DrawBarcode(canvas, X, Y, Size);
}

void TCustomBarcode::Paint() {
    TCanvas* canvas = Canvas();
    if (!canvas) return;
    TSize size;
    DrawOnCanvas(*canvas, 0, 0, &size);
    if (size.cx != Width() || size.cy != Height()) SetBounds(Left(), Top(), size.cx, size.cy);
}

std::string TCustomBarcode::Bar_Caption() const { return Cp1252ToUtf8(FBarcode->Params->Caption.View()); }

void TCustomBarcode::SetBar_Caption(const std::string& value) {
    // The limit counts Windows-1252 characters, the engine's own.
    const std::string text = Utf8ToCp1252(value);
    if (text.size() > TCaptionBuffer::Capacity) throw EOverflow(BarMessages::SCaptionTooLong);
    FBarcode->Params->Caption.Assign(text);
    Invalidate();
}

std::string TCustomBarcode::Bar_CodeAddon() const { return FBarcode->Params->Addon.Str(); }

void TCustomBarcode::SetBar_CodeAddon(const std::string& value) {
    std::string digits;
    for (char c : value)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.size() >= 5) digits.resize(5);
    else if (digits.size() < 2) digits.clear();
    else digits.resize(2);
    FBarcode->Params->Addon.Assign(digits);
    Invalidate();
}

void TCustomBarcode::SetBar_CodeType(btCodeTypes value) {
    FBarcode->Params->CodeType = value;
    Invalidate();
}

void TCustomBarcode::SetBar_ModuleWidth(btCodeSizes value) {
    if (value > SC9) throw EOverflow(BarMessages::SModuleWidthRange);
    FBarcode->Params->ModuleSize = value;
    Invalidate();
}

void TCustomBarcode::SetBar_Rotation(btCodeRotate value) {
    if (value > rotate_270) throw EOverflow(BarMessages::SRotationRange);
    FBarcode->Params->Rotation = value;
    Invalidate();
}

void TCustomBarcode::SetBar_Ratio(btCodeRatio value) {
    if (value > Ratio_2) throw EOverflow(BarMessages::SRatioRange);
    FBarcode->Params->Ratio = value;
    Invalidate();
}

void TCustomBarcode::SetBar_HeightPercent(int32_t value) {
    if (value < 20 || value > 200) throw EOverflow(BarMessages::SHeightPercentRange);
    FBarcode->Params->HeightPercent = value;
    Invalidate();
}

void TCustomBarcode::SetBar_Fontname(const std::string& value) {
    FBarcode->Params->FontName = value;
    Invalidate();
}

void TCustomBarcode::SetBar_Fontscaling(int32_t value) {
    if (value < 20 || value > 200) throw EOverflow(BarMessages::SFontscalingRange);
    FBarcode->Params->FontScaling = value;
    Invalidate();
}

void TCustomBarcode::SetBar_WidthReduce(bool value) {
    FBarcode->Params->WidthReduce = value;
    Invalidate();
}

void TCustomBarcode::SetBar_HighDensity(bool value) {
    FBarcode->Params->HighDensity = value;
    Invalidate();
}

void TCustomBarcode::SetBar_HumanReadable(bool value) {
    FBarcode->Params->HumanReadable = value;
    Invalidate();
}

void TCustomBarcode::SetBar_ZoomSize(bool value) {
    FBarcode->Params->ZoomSize = value;
    Invalidate();
}
