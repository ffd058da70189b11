// Drawing of the module row on a canvas: bars as one rectangle per dark run,
// rotated in steps of 90 degrees, with the human-readable text.
#include <utility>

#include "engine/BarLL.h"
#include "platform/controls/Forms.h"
#include "platform/graphics/Graphics.h"
#include "platform/runtime/SysUtils.h"

namespace {

// Device resolution of the canvas; a zero one is replaced by the screen's.
void CanvasResolution(const TCanvas& canvas, int32_t& dpiX, int32_t& dpiY) {
    dpiX = canvas.GetDeviceCaps(LOGPIXELSX);
    dpiY = canvas.GetDeviceCaps(LOGPIXELSY);
    if (dpiX == 0 || dpiY == 0) {
        dpiX = dpiY = Screen ? Screen->PixelsPerInch() : 96;
    }
}

int32_t RoundI(long double v) { return static_cast<int32_t>(Round(v)); }

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

struct TBrushState {
    TColor Color;
    TBrushStyle Style;
    explicit TBrushState(const TCanvas& canvas)
        : Color(canvas.Brush()->Color()), Style(canvas.Brush()->Style()) {}
    void Restore(TCanvas& canvas) const {
        canvas.Brush()->SetColor(Color);
        canvas.Brush()->SetStyle(Style);
    }
};

}  // namespace

void TLLBarcode::DrawBar(TCanvas& canvas, const TRect& rect, int32_t X, int32_t Y, int32_t W, int32_t H2) {
    const int32_t dl = rect.Left - X;
    const int32_t dr = rect.Right - X;
    const int32_t dt = rect.Top - Y;
    const int32_t db = rect.Bottom - Y;
    TRect r = rect;
    switch (Params->Rotation) {
        case rotate_090: r = Rect(X + dt, Y + W - dl, X + db, Y + W - dr); break;
        case rotate_180: r = Rect(X + W - dr, Y + H2 - dt, X + W - dl, Y + H2 - db); break;
        case rotate_270: r = Rect(X + H2 - dt, Y + dl, X + H2 - db, Y + dr); break;
        default: break;
    }
    canvas.FillRect(r);
}

void TLLBarcode::DrawBarText(TCanvas& canvas, int32_t X, int32_t Y, const std::string& text, int32_t basis,
                             int32_t W, int32_t H2, int32_t centreX, int32_t topY) {
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
    const int32_t dx = centreX - X;
    const int32_t dy = topY - Y;
    TPoint anchor{centreX, topY};
    switch (Params->Rotation) {
        case rotate_090: anchor = {X + dy, Y + W - dx}; break;
        case rotate_180: anchor = {X + W - dx, Y + H2 - dy}; break;
        case rotate_270: anchor = {X + H2 - dy, Y + dx}; break;
        default: break;
    }
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
    const TBrushState brush(canvas);
    const uint32_t oldAlign = canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.Brush()->SetColor(clBlack);

    MakeModules();

    const TBarMetrics m = ComputeMetrics(dpiX, dpiY);
    ComputePositions(m, X);
    auto x = [&](int32_t i) { return ModuleX[static_cast<std::size_t>(i)]; };
    const int32_t H = m.H;
    const int32_t cut = m.Cut;

    canvas.Font()->SetName(Params->FontName);
    canvas.Font()->SetHeight(m.FontHeight);
    const int32_t T = canvas.TextHeight("Ay");

    const int32_t last = ModuleCount > 0 ? x(ModuleCount) : X + m.Margin;
    int32_t W = last + m.Margin + m.Px - X + 1;
    int32_t H2;
    if (Params->HumanReadable)
        H2 = IsEanFamily(type) ? T + RoundI(H * 0.9336L - cut) + 1 : T + H - cut + 1;
    else
        H2 = H - cut + 1;

    const int32_t dataBottom = Y + RoundI(H * 0.917L) - cut;
    const int32_t barBottom = Y + H - cut;
    for (int32_t s = 1; s <= ModuleCount;) {
        int32_t e = s;
        while (e < ModuleCount && Modules[static_cast<std::size_t>(e + 1)] == Modules[static_cast<std::size_t>(s)]) ++e;
        if (Modules[static_cast<std::size_t>(s)] != 0) {
            const int32_t n = e - s + 1;
            const int32_t left = x(s);
            int32_t right = Params->ZoomSize ? left + RoundI(m.MM * n * m.DotsX) : left + n * m.Px;
            if (Params->WidthReduce && right - left > 1) --right;
            const int32_t top = IsEanWide(type) && s >= 101 ? Y + T + m.Px : Y;
            const int32_t bottom = InDataArea(type, s) ? dataBottom : barBottom;
            DrawBar(canvas, Rect(left, top, right, bottom), X, Y, W, H2);
        }
        s = e + 1;
    }

    canvas.Brush()->SetColor(clWhite);
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetBkColor(clWhite);
    canvas.SetBkMode(TRANSPARENT);

    if (Params->HumanReadable) {
        const std::string_view text = TextBuffer.View();
        auto piece = [&](std::size_t from, std::size_t count) {  // 1-based
            return from - 1 < text.size() ? std::string(text.substr(from - 1, count)) : std::string();
        };
        auto draw = [&](const std::string& s, int32_t cx, int32_t ty) { DrawBarText(canvas, X, Y, s, H, W, H2, cx, ty); };
        const int32_t mid = ModuleCount / 2;
        switch (type) {
            case EAN_8:
                draw(piece(1, 4), x(18), dataBottom);
                draw(piece(5, 4), x(50), dataBottom);
                break;
            case EAN_13:
                draw(piece(1, 1), X + m.Margin / 2, dataBottom);
                draw(piece(2, 6), x(25), dataBottom);
                draw(piece(8, 6), x(72), dataBottom);
                break;
            case UPC_A:
                draw(piece(1, 1), X + m.Margin / 2, dataBottom);
                draw(piece(2, 5), x(25), dataBottom);
                draw(piece(7, 5), x(72), dataBottom);
                draw(piece(12, 1), x(95) + m.Px + m.Margin / 2, dataBottom);
                break;
            case UPC_E:
                draw(piece(1, 6), x(mid), dataBottom);
                break;
            case CODE39:
            case Codabar:
                draw(text.size() >= 2 ? std::string(text.substr(1, text.size() - 2)) : std::string(), x(mid),
                     barBottom);
                break;
            case CODE25iP:
                draw(FormatCode25PText(text), x(mid), barBottom);
                break;
            case CODE128_A:
            case CODE128_B:
            case CODE128_C: {
                const char start = static_cast<char>(type == CODE128_A   ? Code128Char::StartA
                                                     : type == CODE128_B ? Code128Char::StartB
                                                                         : Code128Char::StartC);
                draw(TranslateCode128(std::string(1, start) + Params->Caption.Str(), 1), x(mid), barBottom);
                break;
            }
            default:  // CODE25i, MSI_Plessey
                draw(std::string(text), x(mid), barBottom);
                break;
        }
        if (IsEanWide(type)) {
            if (Params->Addon.Length() == 2) draw(Params->Addon.Str(), x(115), Y);
            else if (Params->Addon.Length() == 5) draw(Params->Addon.Str(), x(128), Y);
        }
    }

    brush.Restore(canvas);
    canvas.SetTextAlign(oldAlign);
    if (Params->Rotation == rotate_090 || Params->Rotation == rotate_270) std::swap(W, H2);
    if (Size) *Size = {W, H2};
}

void TLLBarcode::DrawPostnet(TCanvas& canvas, int32_t X, int32_t Y, TSize* Size) {
    int32_t dpiX, dpiY;
    CanvasResolution(canvas, dpiX, dpiY);
    MakeModules();
    const TPostnetMetrics m = ComputePostnetMetrics(dpiX, dpiY);

    const TBrushState brush(canvas);
    const uint32_t oldAlign = canvas.SetTextAlign(TA_CENTER | TA_TOP);
    canvas.Brush()->SetColor(clBlack);
    canvas.Font()->SetHeight(m.FontHeight);

    for (int32_t i = 1; i <= ModuleCount; ++i)
        ModuleX[static_cast<std::size_t>(i)] = RoundI((i - 1) * m.Pitch) + X;
    auto x = [&](int32_t i) { return ModuleX[static_cast<std::size_t>(i)]; };
    int32_t W = x(ModuleCount) + m.BarWidth - X + 1;
    const int32_t T = canvas.TextHeight("Ay");
    int32_t H2 = Params->HumanReadable ? T + m.Tall + 1 : m.Tall + 1;

    const int32_t bottom = Y + m.Tall;
    if (Params->CodeType == Postnet) {
        for (int32_t i = 1; i <= ModuleCount; ++i) {
            const int32_t top = Modules[static_cast<std::size_t>(i)] ? Y : Y + m.Tall - m.Short;
            DrawBar(canvas, Rect(x(i), top, x(i) + m.BarWidth, bottom), X, Y, W, H2);
        }
    } else {
        const int32_t pitch = RoundI(m.Pitch);
        for (int32_t i = 1; i <= ModuleCount; ++i) {
            if (!Modules[static_cast<std::size_t>(i)]) continue;
            const int32_t left = (i - 1) * pitch + X;
            DrawBar(canvas, Rect(left, Y, left + m.BarWidth, bottom), X, Y, W, H2);
        }
    }

    if (Params->HumanReadable) {
        canvas.Brush()->SetColor(clWhite);
        canvas.Brush()->SetStyle(bsClear);
        DrawBarText(canvas, X, Y, TextBuffer.Str(), m.TextBasis, W, H2, (x(1) + x(ModuleCount)) / 2, Y + m.Tall);
    }

    brush.Restore(canvas);
    canvas.SetTextAlign(oldAlign);
    if (Params->Rotation == rotate_090 || Params->Rotation == rotate_270) std::swap(W, H2);
    if (Size) *Size = {W, H2};
}
