// High level of the barcode engine: the graphic control that owns one symbol
// object and publishes its settings as the Bar_ properties with their range
// checks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/BarLL.h"
#include "platform/controls/Controls.h"

class TCustomBarcode : public TGraphicControl {
public:
    explicit TCustomBarcode(TComponent* owner);
    ~TCustomBarcode() override;

    // Draws the symbol with its top left corner at (X, Y) in device pixels;
    // Size, when given, receives the drawn width and height.
    void DrawOnCanvas(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size);

    // Text properties take and return UTF-8; the symbol holds Windows-1252.
    // Every setter repaints, also when the value is unchanged.
    std::string Bar_Caption() const;
    void SetBar_Caption(const std::string& value);
    std::string Bar_CodeAddon() const;
    void SetBar_CodeAddon(const std::string& value);
    btCodeTypes Bar_CodeType() const { return FBarcode->Params->CodeType; }
    void SetBar_CodeType(btCodeTypes value);
    btCodeSizes Bar_ModuleWidth() const { return FBarcode->Params->ModuleSize; }
    void SetBar_ModuleWidth(btCodeSizes value);
    btCodeRotate Bar_Rotation() const { return FBarcode->Params->Rotation; }
    void SetBar_Rotation(btCodeRotate value);
    btCodeRatio Bar_Ratio() const { return FBarcode->Params->Ratio; }
    void SetBar_Ratio(btCodeRatio value);
    int32_t Bar_HeightPercent() const { return FBarcode->Params->HeightPercent; }
    void SetBar_HeightPercent(int32_t value);
    std::string Bar_Fontname() const { return FBarcode->Params->FontName; }
    void SetBar_Fontname(const std::string& value);
    int32_t Bar_Fontscaling() const { return FBarcode->Params->FontScaling; }
    void SetBar_Fontscaling(int32_t value);
    bool Bar_WidthReduce() const { return FBarcode->Params->WidthReduce; }
    void SetBar_WidthReduce(bool value);
    bool Bar_HighDensity() const { return FBarcode->Params->HighDensity; }
    void SetBar_HighDensity(bool value);
    bool Bar_HumanReadable() const { return FBarcode->Params->HumanReadable; }
    void SetBar_HumanReadable(bool value);
    bool Bar_ZoomSize() const { return FBarcode->Params->ZoomSize; }
    void SetBar_ZoomSize(bool value);

    // Defaults the properties declare for storing a form: a value equal to
    // one of these is not written.
    static constexpr btCodeTypes DefaultCodeType = EAN_8;
    static constexpr btCodeSizes DefaultModuleWidth = SC0;
    static constexpr btCodeRotate DefaultRotation = rotate_000;
    static constexpr btCodeRatio DefaultRatio = Ratio_3;
    static constexpr int32_t DefaultHeightPercent = 100;
    static constexpr int32_t DefaultFontscaling = 100;
    static constexpr bool DefaultHumanReadable = true;

    // The symbol object behind the properties.
    TLLBarcode& LLBarcode() const { return *FBarcode; }

protected:
    // Draws at (0, 0) and takes the symbol's size.
    void Paint() override;

private:
    std::unique_ptr<TLLBarcode> FBarcode;
};
