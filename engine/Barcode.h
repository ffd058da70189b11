// The barcode control that forms place and create at run time: the Bar_
// properties, AutoSize and printing in metric map modes.
#pragma once

#include <cstdint>

#include "engine/BarHL.h"

class TBarcode : public TCustomBarcode {
public:
    explicit TBarcode(TComponent* owner);

    bool AutoSize() const { return FAutoSize; }
    // Repaints only when the value changes.
    void SetAutoSize(bool value);

    // Prints at (X, Y) in the canvas's map units (MM_TEXT, MM_LOMETRIC or
    // MM_HIMETRIC); Size, when given, receives the size in the same units.
    // Another map mode raises EOverflow and draws nothing.
    void LoMetricPrint(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size);

    static constexpr bool DefaultAutoSize = true;

protected:
    // Draws at (0, 0); takes the symbol's size only under AutoSize.
    void Paint() override;

private:
    bool FAutoSize = true;
};
