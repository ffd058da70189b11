// The mini-HTML of grid cells laid out in measuring mode on a bitmap's
// canvas, in rectangles of random sizes: nothing may crash, overflow, hang
// or read a device; the sizes come out non-negative and a text has at least
// one line's height; the canvas's font and brush come back as they went in.
#include <fuzzer/FuzzedDataProvider.h>

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "grid/VsHtml.h"
#include "platform/graphics/Graphics.h"

namespace {

// A few faces only: each new name costs a font lookup and stays cached.
const char* const FontNames[] = {"Arial", "Liberation Sans", "DejaVu Sans", "Default"};

void Check(bool condition) {
    if (!condition) std::abort();
}

// Names in FONT face= would each cost a lookup of their own: the fuzzer's
// names are turned into the attribute "fxce", and the base font varies
// instead.
void NoNewFaces(std::string& s) {
    for (size_t i = 0; i + 4 <= s.size(); ++i)
        if ((s[i] | 0x20) == 'f' && (s[i + 1] | 0x20) == 'a' && (s[i + 2] | 0x20) == 'c' && (s[i + 3] | 0x20) == 'e')
            s[i + 1] = 'x';
}

QGuiApplication* App() {
    static int argc = 1;
    static char name[] = "html_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QGuiApplication(argc, argv);
    }();
    return app;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    App();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TBitmap bitmap(64, 64);
    TCanvas& canvas = *bitmap.Canvas();
    FuzzedDataProvider in(data, size);
    canvas.Font()->SetName(FontNames[in.ConsumeIntegralInRange<size_t>(0, std::size(FontNames) - 1)]);
    canvas.Font()->SetSize(in.ConsumeIntegralInRange<int32_t>(1, 40));
    canvas.Font()->SetStyle(static_cast<TFontStyles>(in.ConsumeIntegralInRange<int>(0, 15)));
    const int32_t width = in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, 400) : 1 << 24;
    const int32_t height = in.ConsumeIntegralInRange<int32_t>(0, 400);
    const bool stretch = in.ConsumeBool();
    const double scale = in.ConsumeFloatingPointInRange<double>(0.0, 4.0);
    std::string text = in.ConsumeRemainingBytesAsString();
    NoNewFaces(text);

    TFont before;
    before.Assign(canvas.Font());
    const TColor brush = canvas.Brush()->Color();
    std::string anchor, plain;
    int32_t w = -1, h = -1;
    HTMLDrawText(canvas, text, {0, 0, width, height}, nullptr, 0, 0, false, true, stretch, true, true, scale, clBlue,
                 anchor, plain, w, h);
    Check(w >= 0 && h > 0);
    Check(anchor.empty());
    Check(canvas.Font()->Name() == before.Name() && canvas.Font()->Height() == before.Height() &&
          canvas.Font()->Style() == before.Style() && canvas.Font()->Orientation() == before.Orientation());
    Check(canvas.Brush()->Color() == brush);
    return 0;
}
