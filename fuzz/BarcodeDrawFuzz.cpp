// Random setter sequences on a barcode control, with captions, add-ons and
// draws on a recording canvas at random positions, resolutions and map
// modes. Nothing may crash or overflow; every refusal is an EOverflow raised
// before the first bar; a draw leaves the canvas's brush and alignment as it
// found them and returns a size; a symbol drawn elsewhere is the same
// symbol, moved.
#include <fuzzer/FuzzedDataProvider.h>

#include <QApplication>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "engine/Barcode.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/runtime/SysUtils.h"

namespace {

constexpr int32_t Min32 = std::numeric_limits<int32_t>::min();
constexpr int32_t Max32 = std::numeric_limits<int32_t>::max();

// A few faces only: each new name costs a font lookup and stays cached.
const char* const FontNames[] = {"Arial", "Liberation Mono", "DejaVu Sans", "Default", "", "No Such Face"};

void Check(bool condition) {
    if (!condition) std::abort();
}

int32_t Position(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegralInRange<int32_t>(-2000, 2000);
        case 1: return Max32 - in.ConsumeIntegralInRange<int32_t>(0, 100000);
        case 2: return Min32 + in.ConsumeIntegralInRange<int32_t>(0, 100000);
        default: return in.ConsumeIntegral<int32_t>();
    }
}

int32_t Resolution(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return in.ConsumeIntegralInRange<int32_t>(1, 2400);
        case 1: return in.ConsumeIntegralInRange<int32_t>(-10, 0);
        case 2: return Max32 - in.ConsumeIntegralInRange<int32_t>(0, 1000);
        default: return in.ConsumeIntegral<int32_t>();
    }
}

int32_t Percent(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(10, 210) : in.ConsumeIntegral<int32_t>();
}

// Raw bytes as UTF-8, or as the engine's Windows-1252 (so that the Code 128
// switch and start characters can be typed).
std::string Text(FuzzedDataProvider& in) {
    const bool cp1252 = in.ConsumeBool();
    std::string s = in.ConsumeRandomLengthString(60);
    return cp1252 ? Cp1252ToUtf8(s) : s;
}

// Every setting a getter shows.
struct TSettings {
    std::string Caption, Addon, Fontname;
    btCodeTypes CodeType;
    btCodeSizes ModuleWidth;
    btCodeRotate Rotation;
    btCodeRatio Ratio;
    int32_t HeightPercent, Fontscaling;
    bool WidthReduce, HighDensity, HumanReadable, ZoomSize, AutoSize;
    explicit TSettings(const TBarcode& b)
        : Caption(b.Bar_Caption()), Addon(b.Bar_CodeAddon()), Fontname(b.Bar_Fontname()), CodeType(b.Bar_CodeType()),
          ModuleWidth(b.Bar_ModuleWidth()), Rotation(b.Bar_Rotation()), Ratio(b.Bar_Ratio()),
          HeightPercent(b.Bar_HeightPercent()), Fontscaling(b.Bar_Fontscaling()), WidthReduce(b.Bar_WidthReduce()),
          HighDensity(b.Bar_HighDensity()), HumanReadable(b.Bar_HumanReadable()), ZoomSize(b.Bar_ZoomSize()),
          AutoSize(b.AutoSize()) {}
    bool operator==(const TSettings&) const = default;
};

struct TDrawResult {
    bool Drawn = false;
    TSize Size;
    std::vector<TRecordedCall> Calls;
};

// One draw on a fresh canvas; a refusal draws nothing and leaves the size.
TDrawResult Draw(TBarcode& barcode, int32_t dpiX, int32_t dpiY, int mode, int32_t x, int32_t y, bool withSize) {
    TRecordingCanvas canvas(dpiX, dpiY);
    canvas.SetMapMode(mode);
    canvas.Brush()->SetColor(clRed);
    canvas.Brush()->SetStyle(bsCross);
    canvas.SetTextAlign(TA_RIGHT | TA_BOTTOM);
    TDrawResult result;
    const TSize untouched{-7, -7};
    result.Size = untouched;
    try {
        if (mode == MM_TEXT && (x & 1))
            barcode.DrawOnCanvas(canvas, x, y, withSize ? &result.Size : nullptr);
        else
            barcode.LoMetricPrint(canvas, x, y, withSize ? &result.Size : nullptr);
        result.Drawn = true;
    } catch (const EOverflow&) {
        // Refused before anything was drawn. (A size that does not convert
        // back from pixels to metric units is refused after the draw.)
        if (mode == MM_TEXT || mode == MM_ANISOTROPIC) Check(canvas.Calls().empty());
    }
    Check(canvas.Brush()->Color() == clRed);
    Check(canvas.Brush()->Style() == bsCross);
    Check(canvas.GetTextAlign() == (TA_RIGHT | TA_BOTTOM));
    if (result.Drawn) {
        // Converted back to metric units, a side drawn along a far finer
        // axis of an anisotropic device may round to 0.
        if (withSize && mode == MM_TEXT) Check(result.Size.cx > 0 && result.Size.cy > 0);
        if (withSize) Check(result.Size.cx >= 0 && result.Size.cy >= 0);
        else Check(result.Size == untouched);
    }
    result.Calls = canvas.Calls();
    return result;
}

// The same symbol at two positions in device pixels: every call moved by the
// difference.
void CheckMoved(const TDrawResult& a, const TDrawResult& b, int64_t dx, int64_t dy) {
    Check(a.Size == b.Size);
    Check(a.Calls.size() == b.Calls.size());
    for (std::size_t i = 0; i < a.Calls.size(); ++i) {
        const TRecordedCall& p = a.Calls[i];
        const TRecordedCall& q = b.Calls[i];
        Check(p.Kind == q.Kind);
        if (p.Kind == TRecordedKind::FillRect) {
            Check(q.Rect.Left - int64_t{p.Rect.Left} == dx && q.Rect.Right - int64_t{p.Rect.Right} == dx);
            Check(q.Rect.Top - int64_t{p.Rect.Top} == dy && q.Rect.Bottom - int64_t{p.Rect.Bottom} == dy);
        } else if (p.Kind == TRecordedKind::TextOut) {
            Check(p.Text == q.Text);
            Check(q.Anchor.X - int64_t{p.Anchor.X} == dx && q.Anchor.Y - int64_t{p.Anchor.Y} == dy);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    TBarcode barcode(nullptr);
    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        const TSettings before(barcode);
        try {
            switch (in.ConsumeIntegralInRange<int>(0, 15)) {
                case 0: barcode.SetBar_Caption(Text(in)); break;
                case 1: barcode.SetBar_CodeAddon(Text(in)); break;
                case 2: barcode.SetBar_CodeType(static_cast<btCodeTypes>(in.ConsumeIntegralInRange<int>(0, 15))); break;
                case 3: barcode.SetBar_ModuleWidth(static_cast<btCodeSizes>(in.ConsumeIntegral<uint8_t>())); break;
                case 4: barcode.SetBar_Rotation(static_cast<btCodeRotate>(in.ConsumeIntegral<uint8_t>())); break;
                case 5: barcode.SetBar_Ratio(static_cast<btCodeRatio>(in.ConsumeIntegral<uint8_t>())); break;
                case 6: barcode.SetBar_HeightPercent(Percent(in)); break;
                case 7: barcode.SetBar_Fontname(in.PickValueInArray(FontNames)); break;
                case 8: barcode.SetBar_Fontscaling(Percent(in)); break;
                case 9: barcode.SetBar_WidthReduce(in.ConsumeBool()); break;
                case 10: barcode.SetBar_HighDensity(in.ConsumeBool()); break;
                case 11: barcode.SetBar_HumanReadable(in.ConsumeBool()); break;
                case 12: barcode.SetBar_ZoomSize(in.ConsumeBool()); break;
                case 13: barcode.SetAutoSize(in.ConsumeBool()); break;
                default: {
                    const int32_t dpiX = Resolution(in);
                    const int32_t dpiY = in.ConsumeBool() ? dpiX : Resolution(in);
                    const int modes[] = {MM_TEXT, MM_TEXT, MM_LOMETRIC, MM_HIMETRIC, MM_ANISOTROPIC};
                    const int mode = in.PickValueInArray(modes);
                    const int32_t x = Position(in);
                    const int32_t y = Position(in);
                    const bool withSize = in.ConsumeBool();
                    const TDrawResult here = Draw(barcode, dpiX, dpiY, mode, x, y, withSize);
                    // A draw changes no setting (Codabar keeps its caption in
                    // upper case).
                    if (barcode.Bar_CodeType() != Codabar) Check(TSettings(barcode) == before);
                    if (here.Drawn && mode == MM_TEXT) {
                        const int32_t x2 = Position(in) | 1;  // through DrawOnCanvas
                        const int32_t y2 = Position(in);
                        const TDrawResult there = Draw(barcode, dpiX, dpiY, mode, x2, y2, withSize);
                        if (there.Drawn) CheckMoved(here, there, int64_t{x2} - x, int64_t{y2} - y);
                    }
                    break;
                }
            }
        } catch (const EOverflow&) {
            // A setter's range check: the old value stays.
            Check(TSettings(barcode) == before);
        }
    }
    return 0;
}
