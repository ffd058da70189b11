// Drawing of the module row on a canvas: bars as one rectangle per dark run,
// rotated in steps of 90 degrees, with the human-readable text.
//
// A draw first lays out every bar and text in 64 bits and places each in the
// canvas's 32-bit coordinates, refusing what does not fit; only then does it
// draw, so that a refused symbol leaves nothing half drawn.
#include <utility>
#include <vector>

#include "engine/BarLL.h"
#include "platform/graphics/Graphics.h"
#include "platform/runtime/SysUtils.h"

namespace {

bool IsEanWide(btCodeTypes t) { return t == EAN_13 || t == UPC_A; }

bool IsEanFamily(btCodeTypes t) { return t == EAN_8 || t == EAN_13 || t == UPC_A || t == UPC_E; }

// Runs starting here are data characters, which stop above the guard bars.
bool InDataArea(btCodeTypes t, int32_t s) {
    switch (t) {
        case EAN_13:
        case UPC_A: return (s >= 4 && s <= 45) || (s >= 51 && s <= 92);
        case EAN_8: return (s >= 4 && s <= 31) || (s >= 37 && s <= 64);
        case UPC_E: return s >= 4 && s <= 45;
        default: return false;
    }
}

int32_t Escapement(btCodeRotate r) {
    switch (r) {
        case rotate_090: return 900;
        case rotate_180: return 1800;
        case rotate_270: return 2700;
        default: return 0;
    }
}

// The brush and text alignment a draw changes, put back when it ends, also
// when it ends in an error.
class TCanvasStateGuard {
public:
    explicit TCanvasStateGuard(TCanvas& canvas)
        : FCanvas(canvas), FColor(canvas.Brush()->Color()), FStyle(canvas.Brush()->Style()),
          FAlign(canvas.GetTextAlign()) {}
    ~TCanvasStateGuard() {
        FCanvas.Brush()->SetColor(FColor);
        FCanvas.Brush()->SetStyle(FStyle);
        FCanvas.SetTextAlign(FAlign);
    }
    TCanvasStateGuard(const TCanvasStateGuard&) = delete;
    TCanvasStateGuard& operator=(const TCanvasStateGuard&) = delete;

private:
    TCanvas& FCanvas;
    TColor FColor;
    TBrushStyle FStyle;
    uint32_t FAlign;
};

struct TTextPiece {
    std::string Text;
    int64_t CentreX;
    int64_t TopY;
};

// Every bar and text of one draw, in unrotated coordinates.
struct TLayout {
    TSymbolBox Box;
    std::vector<TRect64> Bars;
    std::vector<TTextPiece> Texts;
};

// The size the caller receives, after rotation.
TSize DrawnSize(const TSymbolBox& box, btCodeRotate rotation) {
    TSize size{TLLBarcode::Fit32(box.W), TLLBarcode::Fit32(box.H2)};
    if (rotation == rotate_090 || rotation == rotate_270) std::swap(size.cx, size.cy);
    return size;
}

// Places every bar and text once, so that a layout that does not fit is
// refused before the first bar is drawn.
void CheckLayout(const TLLBarcode& symbol, const TLayout& layout, btCodeRotate rotation) {
    const TSymbolBox& box = layout.Box;
    // The box's corners, turned or not, are positions a caller goes on from.
    TLLBarcode::Fit32(box.X + box.W);
    TLLBarcode::Fit32(box.Y + box.H2);
    TLLBarcode::Fit32(box.X + box.H2);
    TLLBarcode::Fit32(box.Y + box.W);
    DrawnSize(box, rotation);
    for (const TRect64& bar : layout.Bars) symbol.PlaceBar(box, bar);
    for (const TTextPiece& text : layout.Texts) symbol.PlaceText(box, text.CentreX, text.TopY);
}

}  // namespace

void TLLBarcode::CanvasResolution(const TCanvas& canvas, int32_t& dpiX, int32_t& dpiY) {
    dpiX = canvas.GetDeviceCaps(LOGPIXELSX);
    dpiY = canvas.GetDeviceCaps(LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0) dpiX = dpiY = ScreenPixelsPerInch();
}

TRect TLLBarcode::PlaceBar(const TSymbolBox& box, const TRect64& rect) const {
    const int64_t X = box.X, Y = box.Y, W = box.W, H2 = box.H2;
    const int64_t dl = rect.Left - X;
    const int64_t dr = rect.Right - X;
    const int64_t dt = rect.Top - Y;
    const int64_t db = rect.Bottom - Y;
    TRect64 r = rect;
    switch (Params->Rotation) {
        case rotate_090: r = {X + dt, Y + W - dl, X + db, Y + W - dr}; break;
        case rotate_180: r = {X + W - dr, Y + H2 - dt, X + W - dl, Y + H2 - db}; break;
        case rotate_270: r = {X + H2 - dt, Y + dl, X + H2 - db, Y + dr}; break;
        default: break;
    }
    return Rect(Fit32(r.Left), Fit32(r.Top), Fit32(r.Right), Fit32(r.Bottom));
}

TPoint TLLBarcode::PlaceText(const TSymbolBox& box, int64_t centreX, int64_t topY) const {
    const int64_t X = box.X, Y = box.Y, W = box.W, H2 = box.H2;
    const int64_t dx = centreX - X;
    const int64_t dy = topY - Y;
    int64_t x = centreX, y = topY;
    switch (Params->Rotation) {
        case rotate_090: x = X + dy, y = Y + W - dx; break;
        case rotate_180: x = X + W - dx, y = Y + H2 - dy; break;
        case rotate_270: x = X + H2 - dy, y = Y + dx; break;
        default: break;
    }
    return {Fit32(x), Fit32(y)};
}

void TLLBarcode::DrawBar(TCanvas& canvas, const TSymbolBox& box, const TRect64& rect) {
    canvas.FillRect(PlaceBar(box, rect));
}

void TLLBarcode::DrawBarText(TCanvas& canvas, const TSymbolBox& box, const std::string& text, int32_t basis,
                             int64_t centreX, int64_t topY) {
    const TPoint anchor = PlaceText(box, centreX, topY);
    TFont saved;
    saved.Assign(canvas.Font());
    TFont* font = canvas.Font();
    font->SetName(Params->FontName);
    font->SetHeight(TextFontHeight(basis));
    font->SetOrientation(Escapement(Params->Rotation));
    font->SetStyle(0);
    font->SetPitch(fpDefault);
    font->SetCharset(0);
    font->SetQuality(fqDefault);
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    // The engine's text is Windows-1252; the canvas takes UTF-8.
    canvas.TextOut(anchor.X, anchor.Y, Cp1252ToUtf8(text));
    canvas.Font()->Assign(&saved);
}

void TLLBarcode::DrawBarcode(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size) {
    const btCodeTypes type = Params->CodeType;
    if (type == Postnet || type == Postnet_FIM) {
        DrawPostnet(canvas, X, Y, Size);
        return;
    }
    int32_t dpiX, dpiY;
    CanvasResolution(canvas, dpiX, dpiY);
    const TCanvasStateGuard state(canvas);
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.Brush()->SetColor(clBlack);

    MakeModules();

    const TBarMetrics m = ComputeMetrics(dpiX, dpiY);
    ComputePositions(m, X);
    auto x = [&](int32_t i) { return ModuleX[static_cast<std::size_t>(i)]; };
    const int64_t H = m.H;
    const int64_t cut = m.Cut;

    canvas.Font()->SetName(Params->FontName);
    canvas.Font()->SetHeight(m.FontHeight);
    const int64_t T = canvas.TextHeight("Ay");

    TLayout layout;
    TSymbolBox& box = layout.Box;
    box.X = X;
    box.Y = Y;
    const int64_t last = ModuleCount > 0 ? x(ModuleCount) : int64_t{X} + m.Margin;
    box.W = last + m.Margin + m.Px - X + 1;
    if (Params->HumanReadable)
        box.H2 = IsEanFamily(type) ? T + Round(H * 0.9336L - cut) + 1 : T + H - cut + 1;
    else
        box.H2 = H - cut + 1;

    const int64_t dataBottom = Y + Round(H * 0.917L) - cut;
    const int64_t barBottom = Y + H - cut;
    for (int32_t s = 1; s <= ModuleCount;) {
        int32_t e = s;
        while (e < ModuleCount && Modules[static_cast<std::size_t>(e + 1)] == Modules[static_cast<std::size_t>(s)]) ++e;
        if (Modules[static_cast<std::size_t>(s)] != 0) {
            const int64_t n = e - s + 1;
            const int64_t left = x(s);
            int64_t right = Params->ZoomSize ? left + Round(m.MM * n * m.DotsX) : left + n * m.Px;
            if (Params->WidthReduce && right - left > 1) --right;
            const int64_t top = IsEanWide(type) && s >= 101 ? Y + T + m.Px : Y;
            const int64_t bottom = InDataArea(type, s) ? dataBottom : barBottom;
            layout.Bars.push_back({left, top, right, bottom});
        }
        s = e + 1;
    }

    if (Params->HumanReadable) {
        const std::string_view text = TextBuffer.View();
        auto piece = [&](std::size_t from, std::size_t count) {  // 1-based
            return from - 1 < text.size() ? std::string(text.substr(from - 1, count)) : std::string();
        };
        auto add = [&](std::string s, int64_t cx, int64_t ty) { layout.Texts.push_back({std::move(s), cx, ty}); };
        const int32_t mid = ModuleCount / 2;
        const int64_t halfMargin = m.Margin / 2;
        switch (type) {
            case EAN_8:
                add(piece(1, 4), x(18), dataBottom);
                add(piece(5, 4), x(50), dataBottom);
                break;
            case EAN_13:
                add(piece(1, 1), X + halfMargin, dataBottom);
                add(piece(2, 6), x(25), dataBottom);
                add(piece(8, 6), x(72), dataBottom);
                break;
            case UPC_A:
                add(piece(1, 1), X + halfMargin, dataBottom);
                add(piece(2, 5), x(25), dataBottom);
                add(piece(7, 5), x(72), dataBottom);
                add(piece(12, 1), x(95) + m.Px + halfMargin, dataBottom);
                break;
            case UPC_E:
                add(piece(1, 6), x(mid), dataBottom);
                break;
            case CODE39:
            case Codabar:
                add(text.size() >= 2 ? std::string(text.substr(1, text.size() - 2)) : std::string(), x(mid),
                    barBottom);
                break;
            case CODE25iP:
                add(FormatCode25PText(text), x(mid), barBottom);
                break;
            case CODE128_A:
            case CODE128_B:
            case CODE128_C: {
                const char start = static_cast<char>(type == CODE128_A   ? Code128Char::StartA
                                                     : type == CODE128_B ? Code128Char::StartB
                                                                         : Code128Char::StartC);
                add(TranslateCode128(std::string(1, start) + Params->Caption.Str(), 1), x(mid), barBottom);
                break;
            }
            default:  // CODE25i, MSI_Plessey
                add(std::string(text), x(mid), barBottom);
                break;
        }
        if (IsEanWide(type)) {
            if (Params->Addon.Length() == 2) add(Params->Addon.Str(), x(115), Y);
            else if (Params->Addon.Length() == 5) add(Params->Addon.Str(), x(128), Y);
        }
    }

    CheckLayout(*this, layout, Params->Rotation);
    for (const TRect64& bar : layout.Bars) DrawBar(canvas, box, bar);

    canvas.Brush()->SetColor(clWhite);
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetBkColor(clWhite);
    canvas.SetBkMode(TRANSPARENT);
    for (const TTextPiece& t : layout.Texts) DrawBarText(canvas, box, t.Text, m.H, t.CentreX, t.TopY);

    if (Size) *Size = DrawnSize(box, Params->Rotation);
}

void TLLBarcode::DrawPostnet(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size) {
    int32_t dpiX, dpiY;
    CanvasResolution(canvas, dpiX, dpiY);
    MakeModules();
    const TPostnetMetrics m = ComputePostnetMetrics(dpiX, dpiY);

    const TCanvasStateGuard state(canvas);
    canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.Brush()->SetColor(clBlack);
    canvas.Font()->SetHeight(m.FontHeight);

    for (int32_t i = 1; i <= ModuleCount; ++i) ModuleX[static_cast<std::size_t>(i)] = Round((i - 1) * m.Pitch) + X;
    auto x = [&](int32_t i) { return ModuleX[static_cast<std::size_t>(i)]; };
    const int64_t T = canvas.TextHeight("Ay");

    TLayout layout;
    TSymbolBox& box = layout.Box;
    box.X = X;
    box.Y = Y;
    box.W = x(ModuleCount) + m.BarWidth - X + 1;
    box.H2 = Params->HumanReadable ? T + m.Tall + 1 : int64_t{m.Tall} + 1;

    const int64_t bottom = int64_t{Y} + m.Tall;
    if (Params->CodeType == Postnet) {
        for (int32_t i = 1; i <= ModuleCount; ++i) {
            const int64_t top = Modules[static_cast<std::size_t>(i)] ? int64_t{Y} : bottom - m.Short;
            layout.Bars.push_back({x(i), top, x(i) + m.BarWidth, bottom});
        }
    } else {
        const int64_t pitch = Round(m.Pitch);
        for (int32_t i = 1; i <= ModuleCount; ++i) {
            if (!Modules[static_cast<std::size_t>(i)]) continue;
            const int64_t left = (i - 1) * pitch + X;
            layout.Bars.push_back({left, Y, left + m.BarWidth, bottom});
        }
    }
    // Halfway from the first bar, so that the text moves with the symbol
    // also where positions are negative.
    if (Params->HumanReadable)
        layout.Texts.push_back({TextBuffer.Str(), x(1) + (x(ModuleCount) - x(1)) / 2, bottom});

    CheckLayout(*this, layout, Params->Rotation);
    for (const TRect64& bar : layout.Bars) DrawBar(canvas, box, bar);
    if (!layout.Texts.empty()) {
        canvas.Brush()->SetColor(clWhite);
        canvas.Brush()->SetStyle(bsClear);
        const TTextPiece& t = layout.Texts.front();
        DrawBarText(canvas, box, t.Text, m.TextBasis, t.CentreX, t.TopY);
    }

    if (Size) *Size = DrawnSize(box, Params->Rotation);
}
