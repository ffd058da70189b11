#include <QImage>
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <type_traits>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/qt/GraphicsQt.h"

namespace {

constexpr int32_t kNoDeviceDpi = 96;
// A word longer than this (bytes) that an edit control breaks is measured
// only as far as it fits.
constexpr size_t kLongLine = 256;

int32_t RoundHalfEven(double v) { return static_cast<int32_t>(std::nearbyint(v)); }

bool IsMetric(int mode) { return mode == MM_LOMETRIC || mode == MM_HIMETRIC; }

// Byte length of the UTF-8 sequence that starts with c.
size_t Utf8Length(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

int32_t ScreenPixelsPerInch() { return kNoDeviceDpi; }

TCanvas::TCanvas() : TCanvas(std::unique_ptr<TCanvasDevice>()) {}

TCanvas::TCanvas(std::unique_ptr<TCanvasDevice> device)
    : FDevice(std::move(device)), FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()) {
    FBrush->OnChange = [this](TObject*) { BrushChanged(); };
    PushClip();
}

TCanvas::~TCanvas() = default;

void TCanvas::SetDevice(std::unique_ptr<TCanvasDevice> device) {
    FDevice = std::move(device);
    PushClip();
}

void TCanvas::Changing() {
    if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------- state

void TCanvas::BrushChanged() { FBrushDirty = true; }

// The platform selects the brush into the device context at the next draw,
// which sets the background mode and colour from it.
void TCanvas::RealizeBrush() {
    if (!FBrushDirty) return;
    FBrushDirty = false;
    if (FBrush->Style() == bsClear) {
        FBkMode = TRANSPARENT;
    } else {
        FBkMode = OPAQUE;
        FBkColor = FBrush->Color();
    }
}

int32_t TCanvas::GetDeviceCaps(int index) const {
    int32_t dpiX = FDevice ? FDevice->LogPixelsX() : kNoDeviceDpi;
    int32_t dpiY = FDevice ? FDevice->LogPixelsY() : kNoDeviceDpi;
    TSize size = FDevice ? FDevice->PixelSize() : TSize{};
    switch (index) {
    case LOGPIXELSX: return dpiX;
    case LOGPIXELSY: return dpiY;
    case HORZRES: return size.cx;
    case VERTRES: return size.cy;
    case HORZSIZE: return dpiX > 0 ? MulDiv(size.cx, 254, dpiX * 10) : 0;
    case VERTSIZE: return dpiY > 0 ? MulDiv(size.cy, 254, dpiY * 10) : 0;
    case BITSPIXEL: return FDevice ? FDevice->BitsPerPixel() : 32;
    case PLANES: return 1;
    case NUMCOLORS: {
        int32_t bits = FDevice ? FDevice->BitsPerPixel() : 32;
        return bits <= 8 ? (1 << bits) : -1;
    }
    case SIZEPALETTE: {
        int32_t bits = FDevice ? FDevice->BitsPerPixel() : 32;
        return bits <= 8 ? (1 << bits) : 0;
    }
    case RASTERCAPS: return 0;
    case PHYSICALWIDTH: return FDevice ? FDevice->PhysicalSize().cx : 0;
    case PHYSICALHEIGHT: return FDevice ? FDevice->PhysicalSize().cy : 0;
    case PHYSICALOFFSETX: return FDevice ? FDevice->PhysicalOffset().X : 0;
    case PHYSICALOFFSETY: return FDevice ? FDevice->PhysicalOffset().Y : 0;
    default: return 0;
    }
}

uint32_t TCanvas::SetTextAlign(uint32_t align) {
    uint32_t old = FTextAlign;
    FTextAlign = align;
    return old;
}

int TCanvas::SetBkMode(int mode) {
    RealizeBrush();
    int old = FBkMode;
    if (mode == TRANSPARENT || mode == OPAQUE) FBkMode = mode;
    return old;
}

int TCanvas::GetBkMode() {
    RealizeBrush();
    return FBkMode;
}

TColor TCanvas::SetBkColor(TColor color) {
    RealizeBrush();
    TColor old = FBkColor;
    FBkColor = color;
    return old;
}

TColor TCanvas::GetBkColor() {
    RealizeBrush();
    return FBkColor;
}

int TCanvas::SetMapMode(int mode) {
    int old = FMapMode;
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC) FMapMode = mode;
    return old;
}

TPoint TCanvas::SetViewportOrgEx(int32_t x, int32_t y) {
    TPoint old = FViewportOrg;
    FViewportOrg = {x, y};
    return old;
}

TPoint TCanvas::SetWindowOrgEx(int32_t x, int32_t y) {
    TPoint old = FWindowOrg;
    FWindowOrg = {x, y};
    return old;
}

// ---------------------------------------------------------------- mapping

// Only the two metric modes scale; every other mode draws as MM_TEXT.
double TCanvas::ScaleX() const {
    int32_t dpi = FDevice ? FDevice->LogPixelsX() : kNoDeviceDpi;
    if (FMapMode == MM_LOMETRIC) return dpi / 254.0;
    if (FMapMode == MM_HIMETRIC) return dpi / 2540.0;
    return 1.0;
}

double TCanvas::ScaleY() const {
    int32_t dpi = FDevice ? FDevice->LogPixelsY() : kNoDeviceDpi;
    if (FMapMode == MM_LOMETRIC) return dpi / 254.0;
    if (FMapMode == MM_HIMETRIC) return dpi / 2540.0;
    return 1.0;
}

TPoint TCanvas::LPtoDP(const TPoint& p) const {
    if (!IsMetric(FMapMode)) return {p.X - FWindowOrg.X + FViewportOrg.X, p.Y - FWindowOrg.Y + FViewportOrg.Y};
    return {RoundHalfEven((p.X - FWindowOrg.X) * ScaleX()) + FViewportOrg.X,
            -RoundHalfEven((p.Y - FWindowOrg.Y) * ScaleY()) + FViewportOrg.Y};
}

TPoint TCanvas::DPtoLP(const TPoint& p) const {
    if (!IsMetric(FMapMode)) return {p.X - FViewportOrg.X + FWindowOrg.X, p.Y - FViewportOrg.Y + FWindowOrg.Y};
    double sx = ScaleX(), sy = ScaleY();
    int32_t x = sx > 0 ? RoundHalfEven((p.X - FViewportOrg.X) / sx) : 0;
    int32_t y = sy > 0 ? RoundHalfEven(-(p.Y - FViewportOrg.Y) / sy) : 0;
    return {x + FWindowOrg.X, y + FWindowOrg.Y};
}

TRect TCanvas::LPtoDP(const TRect& r) const {
    TPoint a = LPtoDP(r.TopLeft());
    TPoint b = LPtoDP(r.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

TRect TCanvas::ToDevice(const TRect& r) const { return LPtoDP(r).Normalized(); }

TRect TCanvas::FromDevice(const TRect& r) const {
    TPoint a = DPtoLP(r.TopLeft());
    TPoint b = DPtoLP(r.BottomRight());
    return {a.X, a.Y, b.X, b.Y};
}

int32_t TCanvas::ToDeviceLength(int32_t logical, bool vertical) const {
    if (!IsMetric(FMapMode)) return logical;
    return RoundHalfEven(logical * (vertical ? ScaleY() : ScaleX()));
}

int32_t TCanvas::FromDeviceLength(int32_t pixels, bool vertical) const {
    if (!IsMetric(FMapMode)) return pixels;
    double s = vertical ? ScaleY() : ScaleX();
    return s > 0 ? RoundHalfEven(pixels / s) : 0;
}

// ---------------------------------------------------------------- clip

void TCanvas::PushClip() {
    if (FDevice) FDevice->SetClip(FHasClip ? &FClip : nullptr);
}

void TCanvas::IntersectClipRect(const TRect& rect) {
    TRect r = ToDevice(rect);
    if (FHasClip) {
        TRect both;
        IntersectRect(both, FClip, r);
        r = both;
    }
    FHasClip = true;
    FClip = r;
    PushClip();
}

void TCanvas::SelectClipRect(const TRect* rect) {
    FHasClip = rect != nullptr;
    FClip = rect ? ToDevice(*rect) : TRect{};
    PushClip();
}

TRect TCanvas::ClipRect() const {
    TRect device = FHasClip ? FClip : TRect{0, 0, FDevice ? FDevice->PixelSize().cx : 0, FDevice ? FDevice->PixelSize().cy : 0};
    return FromDevice(device);
}

int TCanvas::SaveDC() {
    State s;
    s.TextAlign = FTextAlign;
    RealizeBrush();
    s.BkMode = FBkMode;
    s.BkColor = FBkColor;
    s.MapMode = FMapMode;
    s.ViewportOrg = FViewportOrg;
    s.WindowOrg = FWindowOrg;
    s.HasClip = FHasClip;
    s.Clip = FClip;
    s.Font = std::make_unique<TFont>();
    s.Font->Assign(FFont.get());
    s.Pen = std::make_unique<TPen>();
    s.Pen->Assign(FPen.get());
    s.Brush = std::make_unique<TBrush>();
    s.Brush->Assign(FBrush.get());
    FSaved.push_back(std::move(s));
    return static_cast<int>(FSaved.size());
}

// saved > 0 is a level SaveDC returned; saved < 0 counts back from the last.
void TCanvas::RestoreDC(int saved) {
    int count = static_cast<int>(FSaved.size());
    int level = saved < 0 ? count + saved + 1 : saved;
    if (level < 1 || level > count) return;
    State s = std::move(FSaved[level - 1]);
    FSaved.resize(level - 1);
    FTextAlign = s.TextAlign;
    FMapMode = s.MapMode;
    FViewportOrg = s.ViewportOrg;
    FWindowOrg = s.WindowOrg;
    FHasClip = s.HasClip;
    FClip = s.Clip;
    FFont->Assign(s.Font.get());
    FPen->Assign(s.Pen.get());
    FBrush->Assign(s.Brush.get());
    // The brush came back with the rest of the saved state, not as a change.
    FBrushDirty = false;
    FBkMode = s.BkMode;
    FBkColor = s.BkColor;
    PushClip();
}

// ---------------------------------------------------------------- device objects

int32_t TCanvas::DeviceFontHeight() const {
    // Beyond this a font is taller than any surface; the clamp keeps the
    // text arithmetic (line heights times line counts) inside 32 bits.
    constexpr double kMaxFontPixels = 1 << 16;
    const int32_t h = FFont->Height();
    const double scaled = IsMetric(FMapMode) ? std::abs(double(h)) * ScaleY() : std::abs(double(h));
    int32_t d = RoundHalfEven(std::min(scaled, kMaxFontPixels));
    if (d == 0 && h != 0) d = 1;
    return h < 0 ? -d : d;
}

TDeviceFont TCanvas::DeviceFont() const {
    TDeviceFont f;
    f.Name = FFont->Name();
    f.Height = DeviceFontHeight();
    f.Style = FFont->Style();
    f.Escapement = FFont->Orientation();
    f.Color = ColorToRGB(FFont->Color());
    f.Quality = FFont->Quality();
    return f;
}

TDevicePen TCanvas::DevicePen() const {
    TDevicePen p;
    p.Color = ColorToRGB(FPen->Color());
    int32_t w = FPen->Width();
    p.Width = w <= 1 ? 1 : std::max(1, ToDeviceLength(w, false));
    p.Style = FPen->Style();
    p.Mode = FPen->Mode();
    return p;
}

TDeviceBrush TCanvas::DeviceBrush() const {
    TDeviceBrush b;
    b.Color = ColorToRGB(FBrush->Color());
    b.Style = FBrush->Style();
    return b;
}

bool TCanvas::PenVisible() const { return FPen->Style() != psClear && FPen->Mode() != pmNop; }
bool TCanvas::BrushVisible() const { return FBrush->Style() != bsClear && FBrush->Color() != clNone; }

// ---------------------------------------------------------------- shapes

void TCanvas::FillRect(const TRect& rect) {
    RealizeBrush();
    if (!FDevice || !BrushVisible()) return;
    TRect r = ToDevice(rect);
    if (IsRectEmpty(r)) return;
    Changing();
    FDevice->FillRect(r, DeviceBrush());
    Changed();
}

// A one-unit border in the brush.
void TCanvas::FrameRect(const TRect& rect) {
    RealizeBrush();
    if (!FDevice || !BrushVisible()) return;
    TRect r = ToDevice(rect);
    if (IsRectEmpty(r)) return;
    Changing();
    int32_t w = std::max(1, ToDeviceLength(1, false));
    int32_t h = std::max(1, ToDeviceLength(1, true));
    TDeviceBrush b = DeviceBrush();
    FDevice->FillRect({r.Left, r.Top, r.Right, std::min(r.Bottom, r.Top + h)}, b);
    if (r.Bottom - h > r.Top) FDevice->FillRect({r.Left, r.Bottom - h, r.Right, r.Bottom}, b);
    if (r.Bottom - r.Top > 2 * h) {
        FDevice->FillRect({r.Left, r.Top + h, std::min(r.Right, r.Left + w), r.Bottom - h}, b);
        if (r.Right - w > r.Left) FDevice->FillRect({r.Right - w, r.Top + h, r.Right, r.Bottom - h}, b);
    }
    Changed();
}

// Outline on the outermost pixels, interior in the brush; without a pen the
// filled area is one pixel smaller each way, as on the platform.
void TCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RealizeBrush();
    if (!FDevice) return;
    TRect r = ToDevice({x1, y1, x2, y2});
    if (IsRectEmpty(r)) return;
    Changing();
    bool pen = PenVisible();
    if (BrushVisible()) {
        TRect fill = pen ? r : TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1};
        if (!IsRectEmpty(fill)) FDevice->FillRect(fill, DeviceBrush());
    }
    if (pen) {
        TDevicePen p = DevicePen();
        int32_t inset = FPen->Style() == psInsideFrame ? p.Width / 2 : 0;
        std::vector<TPoint> pts{{r.Left + inset, r.Top + inset},
                                {r.Right - 1 - inset, r.Top + inset},
                                {r.Right - 1 - inset, r.Bottom - 1 - inset},
                                {r.Left + inset, r.Bottom - 1 - inset}};
        FDevice->Polygon(pts, &p, nullptr);
    }
    Changed();
}

void TCanvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3) {
    RealizeBrush();
    if (!FDevice) return;
    TRect r = ToDevice({x1, y1, x2, y2});
    if (IsRectEmpty(r)) return;
    double rx = std::min<double>(std::abs(ToDeviceLength(x3, false)) / 2.0, (r.Width() - 1) / 2.0);
    double ry = std::min<double>(std::abs(ToDeviceLength(y3, true)) / 2.0, (r.Height() - 1) / 2.0);
    double left = r.Left, top = r.Top, right = r.Right - 1, bottom = r.Bottom - 1;
    std::vector<TPoint> pts;
    const int steps = 8;
    auto arc = [&](double cx, double cy, double from) {
        for (int i = 0; i <= steps; ++i) {
            double a = (from + 90.0 * i / steps) * M_PI / 180.0;
            pts.push_back({static_cast<int32_t>(std::lround(cx + rx * std::cos(a))),
                           static_cast<int32_t>(std::lround(cy - ry * std::sin(a)))});
        }
    };
    arc(right - rx, top + ry, 0);
    arc(left + rx, top + ry, 90);
    arc(left + rx, bottom - ry, 180);
    arc(right - rx, bottom - ry, 270);
    Changing();
    TDevicePen p = DevicePen();
    TDeviceBrush b = DeviceBrush();
    FDevice->Polygon(pts, PenVisible() ? &p : nullptr, BrushVisible() ? &b : nullptr);
    Changed();
}

void TCanvas::Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    RealizeBrush();
    if (!FDevice) return;
    TRect r = ToDevice({x1, y1, x2, y2});
    if (IsRectEmpty(r)) return;
    Changing();
    TDevicePen p = DevicePen();
    TDeviceBrush b = DeviceBrush();
    FDevice->Ellipse(r, PenVisible() ? &p : nullptr, BrushVisible() ? &b : nullptr);
    Changed();
}

void TCanvas::MoveTo(int32_t x, int32_t y) { FPenPos = {x, y}; }

void TCanvas::LineTo(int32_t x, int32_t y) {
    RealizeBrush();
    TPoint from = FPenPos;
    FPenPos = {x, y};
    if (!FDevice || !PenVisible()) return;
    Changing();
    FDevice->Polyline({LPtoDP(from), LPtoDP(FPenPos)}, DevicePen());
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    RealizeBrush();
    if (!FDevice || points.size() < 2) return;
    std::vector<TPoint> pts;
    pts.reserve(points.size());
    for (const TPoint& p : points) pts.push_back(LPtoDP(p));
    Changing();
    TDevicePen p = DevicePen();
    TDeviceBrush b = DeviceBrush();
    FDevice->Polygon(pts, PenVisible() ? &p : nullptr, BrushVisible() ? &b : nullptr);
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    RealizeBrush();
    if (!FDevice || points.size() < 2 || !PenVisible()) return;
    std::vector<TPoint> pts;
    pts.reserve(points.size());
    for (const TPoint& p : points) pts.push_back(LPtoDP(p));
    Changing();
    FDevice->Polyline(pts, DevicePen());
    Changed();
}

// A dotted frame that inverts what is under it, so drawing it twice removes it.
void TCanvas::DrawFocusRect(const TRect& rect) {
    if (!FDevice) return;
    TRect r = ToDevice(rect);
    if (IsRectEmpty(r)) return;
    Changing();
    TDevicePen p;
    p.Color = clWhite;
    p.Style = psDot;
    p.Mode = pmXor;
    // Four lines that never share a pixel: a shared corner would be inverted twice.
    FDevice->Polyline({{r.Left, r.Top}, {r.Right, r.Top}}, p);
    if (r.Bottom - 1 > r.Top) FDevice->Polyline({{r.Left, r.Bottom - 1}, {r.Right, r.Bottom - 1}}, p);
    if (r.Bottom - 1 > r.Top + 1) {
        FDevice->Polyline({{r.Left, r.Top + 1}, {r.Left, r.Bottom - 1}}, p);
        if (r.Right - 1 > r.Left) FDevice->Polyline({{r.Right - 1, r.Top + 1}, {r.Right - 1, r.Bottom - 1}}, p);
    }
    Changed();
}

// surface: fill the area of colour; otherwise fill up to the border colour.
void TCanvas::FloodFill(int32_t x, int32_t y, TColor color, bool surface) {
    RealizeBrush();
    if (!FDevice || !BrushVisible()) return;
    TSize size = FDevice->PixelSize();
    TDeviceImage image;
    if (!FDevice->ReadPixels({0, 0, size.cx, size.cy}, image) || image.isNull()) return;
    image = image.convertToFormat(QImage::Format_RGB32);
    TPoint start = LPtoDP(TPoint{x, y});
    if (start.X < 0 || start.Y < 0 || start.X >= image.width() || start.Y >= image.height()) return;
    TColor rgb = ColorToRGB(color);
    QRgb key = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)) & 0xFFFFFF;
    auto at = [&](int px, int py) { return reinterpret_cast<QRgb*>(image.scanLine(py))[px] & 0xFFFFFF; };
    auto inside = [&](int px, int py) { return surface ? at(px, py) == key : at(px, py) != key; };
    if (!inside(start.X, start.Y)) return;
    std::vector<uint8_t> done(static_cast<size_t>(image.width()) * image.height());
    std::deque<TPoint> todo{start};
    std::vector<TRect> runs;
    while (!todo.empty()) {
        TPoint p = todo.front();
        todo.pop_front();
        size_t idx = static_cast<size_t>(p.Y) * image.width() + p.X;
        if (done[idx] || !inside(p.X, p.Y)) continue;
        int l = p.X, r = p.X;
        while (l > 0 && !done[idx - (p.X - l) - 1] && inside(l - 1, p.Y)) --l;
        while (r + 1 < image.width() && !done[idx + (r - p.X) + 1] && inside(r + 1, p.Y)) ++r;
        for (int i = l; i <= r; ++i) {
            done[static_cast<size_t>(p.Y) * image.width() + i] = 1;
            if (p.Y > 0) todo.push_back({i, p.Y - 1});
            if (p.Y + 1 < image.height()) todo.push_back({i, p.Y + 1});
        }
        runs.push_back({l, p.Y, r + 1, p.Y + 1});
    }
    Changing();
    TDeviceBrush b = DeviceBrush();
    for (const TRect& run : runs) FDevice->FillRect(run, b);
    Changed();
}

// ---------------------------------------------------------------- text

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& text) {
    RealizeBrush();
    bool updateCP = (FTextAlign & TA_UPDATECP) != 0;
    TPoint anchor = updateCP ? FPenPos : TPoint{x, y};
    if (FDevice) {
        Changing();
        TPoint d = LPtoDP(anchor);
        FDevice->TextOut(d.X, d.Y, text, DeviceFont(), FTextAlign & ~TA_UPDATECP, FBkMode == OPAQUE,
                         ColorToRGB(FBkColor));
        Changed();
    }
    if (updateCP) FPenPos.X += TextWidth(text);
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text) {
    RealizeBrush();
    if (!FDevice) return;
    Changing();
    TRect r = ToDevice(rect);
    TRect clip = r;
    if (FHasClip) IntersectRect(clip, FClip, r);
    FDevice->SetClip(&clip);
    if (BrushVisible()) FDevice->FillRect(r, DeviceBrush());
    TPoint d = LPtoDP(TPoint{x, y});
    FDevice->TextOut(d.X, d.Y, text, DeviceFont(), FTextAlign & ~TA_UPDATECP, false, ColorToRGB(FBkColor));
    PushClip();
    Changed();
}

TSize TCanvas::TextExtent(const std::string& text) {
    TDeviceFont font = DeviceFont();
    TSize s = FDevice ? FDevice->TextExtent(text, font) : MeasureText(text, font, kNoDeviceDpi);
    return {FromDeviceLength(s.cx, false), FromDeviceLength(s.cy, true)};
}

size_t TCanvas::TextFit(std::string_view text, int32_t width, const std::string& suffix) {
    TDeviceFont font = DeviceFont();
    auto measure = [&](std::string_view s) { return TextWidth(std::string(s) + suffix); };
    auto next = [&](size_t i) { return std::min(text.size(), i + Utf8Length(static_cast<unsigned char>(text[i]))); };
    auto previous = [&](size_t i) {
        while (i > 0 && (static_cast<unsigned char>(text[--i]) & 0xC0) == 0x80) {}
        return i;
    };
    // Cut by the summed advances, then settle on the exact measure: only the
    // part that fits is ever shaped.
    const int32_t room = ToDeviceLength(std::max(0, width - (suffix.empty() ? 0 : TextWidth(suffix))), false);
    size_t n = FitText(text, font, room);
    while (n > 0 && measure(text.substr(0, n)) > width) n = previous(n);
    while (n < text.size() && measure(text.substr(0, next(n))) <= width) n = next(n);
    if (n == 0 && measure(std::string_view()) > width) return 0;
    return n;
}

int32_t TCanvas::TextWidthUpTo(std::string_view text, int32_t limit) {
    if (text.size() <= kLongLine) return TextWidth(std::string(text));
    const double device = TextAdvanceUpTo(text, DeviceFont(), ToDeviceLength(std::max(0, limit), false) + 1.0);
    return FromDeviceLength(static_cast<int32_t>(std::lround(std::min(device, 1e9))), false);
}

int32_t TCanvas::LineWidth(const std::string& line, const TDeviceFont& font, bool expandTabs, int32_t tabWidth) {
    auto measure = [&](const std::string& s) {
        return FDevice ? FDevice->TextExtent(s, font).cx : MeasureText(s, font, kNoDeviceDpi).cx;
    };
    if (!expandTabs || line.find('\t') == std::string::npos) return line.empty() ? 0 : measure(line);
    int32_t x = 0;
    size_t start = 0;
    while (true) {
        size_t tab = line.find('\t', start);
        std::string part = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (!part.empty()) x += measure(part);
        if (tab == std::string::npos) break;
        x = (x / tabWidth + 1) * tabWidth;
        start = tab + 1;
    }
    return x;
}

void TCanvas::DrawTextLine(int32_t x, int32_t y, const std::string& line, const TDeviceFont& font, bool expandTabs,
                           int32_t tabWidth, int32_t underlineAt) {
    bool opaque = FBkMode == OPAQUE;
    TColor bk = ColorToRGB(FBkColor);
    if (!expandTabs || line.find('\t') == std::string::npos) {
        if (!line.empty()) FDevice->TextOut(x, y, line, font, TA_LEFT | TA_TOP, opaque, bk);
    } else {
        int32_t cx = 0;
        size_t start = 0;
        while (true) {
            size_t tab = line.find('\t', start);
            std::string part = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
            if (!part.empty()) {
                FDevice->TextOut(x + cx, y, part, font, TA_LEFT | TA_TOP, opaque, bk);
                cx += FDevice->TextExtent(part, font).cx;
            }
            if (tab == std::string::npos) break;
            cx = (cx / tabWidth + 1) * tabWidth;
            start = tab + 1;
        }
    }
    if (underlineAt >= 0 && static_cast<size_t>(underlineAt) < line.size()) {
        int32_t from = LineWidth(line.substr(0, underlineAt), font, expandTabs, tabWidth);
        size_t len = Utf8Length(static_cast<unsigned char>(line[underlineAt]));
        int32_t to = LineWidth(line.substr(0, underlineAt + len), font, expandTabs, tabWidth);
        TTextMetric tm = FDevice->TextMetrics(font);
        TDeviceBrush b;
        b.Color = font.Color;
        FDevice->FillRect({x + from, y + tm.Ascent + 1, x + to, y + tm.Ascent + 2}, b);
    }
}

int32_t TCanvas::DrawText(const std::string& text, TRect& rect, uint32_t format) {
    return DrawTextOf(text, &text, rect, format);
}

int32_t TCanvas::DrawText(std::string_view text, TRect& rect, uint32_t format) {
    return DrawTextOf(text, nullptr, rect, format);
}

int32_t TCanvas::DrawText(const char* text, TRect& rect, uint32_t format) {
    return DrawTextOf(text, nullptr, rect, format);
}

// A long text drawn on one line goes on only in the part that can show on
// the surface, with a few characters more on either side for the shaping.
// A right-aligned one that does not fit shows its end; a centred one too
// wide to be measured whole starts at the left edge.
bool TCanvas::ShownPart(std::string_view text, const TRect& box, uint32_t& format, std::string& part) {
    if (text.size() <= kLongLine || !FDevice || (format & DT_CALCRECT) || !(format & DT_NOPREFIX) ||
        !(format & DT_SINGLELINE))
        return false;
    const TSize size = FDevice->PixelSize();
    TRect area{0, 0, size.cx, size.cy};
    if (FHasClip) IntersectRect(area, area, FClip);
    if (IsRectEmpty(area)) return false;
    const TDeviceFont font = DeviceFont();
    const int32_t margin = FDevice->TextMetrics(font).Height;
    auto next = [&](size_t i) { return std::min(text.size(), i + Utf8Length(static_cast<unsigned char>(text[i]))); };
    auto previous = [&](size_t i) {
        while (i > 0 && (static_cast<unsigned char>(text[--i]) & 0xC0) == 0x80) {}
        return i;
    };
    if ((format & DT_RIGHT) && !(format & (DT_CENTER | DT_END_ELLIPSIS))) {
        size_t start = FitTextFromEnd(text, font, std::max(0, box.Right - area.Left + margin));
        if (start == 0) return false;
        for (int k = 0; k < 8 && start > 0; ++k) start = previous(start);
        part.assign(text.substr(start));
        return true;
    }
    int32_t reach = area.Right - box.Left + margin;
    if (format & DT_END_ELLIPSIS) reach = std::max(reach, box.Width() + margin);
    if (format & DT_CENTER) {
        // Whole when its width is known for little: about the surface's.
        const int32_t wide = 2 * (area.Right - area.Left) + box.Width() + 2 * margin;
        if (FitText(text, font, std::max(0, wide)) == text.size()) return false;
        format &= ~DT_CENTER;
    }
    size_t end = FitText(text, font, std::max(0, reach));
    if (end == text.size()) return false;
    for (int k = 0; k < 8 && end < text.size(); ++k) end = next(end);
    part.assign(text.substr(0, end));
    return true;
}

int32_t TCanvas::DrawTextOf(std::string_view whole, const std::string* owned, TRect& rect, uint32_t format) {
    std::string kept;
    if (ShownPart(whole, ToDevice(rect), format, kept)) owned = &kept;
    const std::string_view source = owned ? std::string_view(*owned) : whole;
    RealizeBrush();
    TDeviceFont font = DeviceFont();
    TTextMetric tm = FDevice ? FDevice->TextMetrics(font) : MeasureFont(font, kNoDeviceDpi);
    int32_t lineHeight = tm.Height + ((format & DT_EXTERNALLEADING) ? tm.ExternalLeading : 0);
    int32_t tabWidth = std::max(1, 8 * tm.AveCharWidth);
    bool expandTabs = (format & DT_EXPANDTABS) != 0;
    bool single = (format & DT_SINGLELINE) != 0;
    TRect box = ToDevice(rect);
    int32_t width = box.Width();

    // Prefix characters: "&&" is one ampersand, "&x" underlines x.
    std::string stripped;
    int32_t prefixAt = -1;
    if (!(format & DT_NOPREFIX)) {
        std::string& text = stripped;
        text.reserve(source.size());
        for (size_t i = 0; i < source.size(); ++i) {
            if (source[i] == '&') {
                if (i + 1 >= source.size()) break;
                ++i;
                if (source[i] != '&') prefixAt = static_cast<int32_t>(text.size());
            }
            text.push_back(source[i]);
        }
    }

    const std::string_view text = (format & DT_NOPREFIX) ? source : std::string_view(stripped);
    // The text as a string, when it is one already.
    const std::string* textString = (format & DT_NOPREFIX) ? owned : &stripped;

    // A line is the text itself (not copied, however long) or a text of its own.
    struct Line {
        const std::string* Ref = nullptr;
        std::string Own;
        int32_t Underline = -1;
        const std::string& Text() const { return Ref ? *Ref : Own; }
        void Set(std::string s) {
            Own = std::move(s);
            Ref = nullptr;
        }
    };
    std::vector<Line> lines;
    auto measure = [&](const auto& s) {
        if constexpr (std::is_same_v<std::decay_t<decltype(s)>, std::string>) return LineWidth(s, font, expandTabs, tabWidth);
        else return LineWidth(std::string(s), font, expandTabs, tabWidth);
    };
    // An edit control shows the whole lines that fit: lines past them are
    // never laid out.
    const bool clipLines = (format & DT_EDITCONTROL) && !single && !(format & DT_CALCRECT);
    const size_t lineLimit = clipLines ? static_cast<size_t>(std::max<int32_t>(1, box.Height() / std::max(1, lineHeight)))
                                       : std::numeric_limits<size_t>::max();

    // Paragraphs, with the byte offset of each so the prefix mark follows its character.
    std::vector<std::pair<size_t, std::string_view>> paragraphs;
    std::string joined;
    size_t nextCR = text.find('\r'), nextLF = text.find('\n');
    if (nextCR == std::string::npos && nextLF == std::string::npos && (single || !(format & DT_WORDBREAK))) {
        Line l;
        l.Ref = textString ? textString : &kept.assign(text);
        if (prefixAt >= 0 && prefixAt < static_cast<int32_t>(text.size())) l.Underline = prefixAt;
        lines.push_back(std::move(l));
    } else if (single) {
        std::string& s = joined;
        for (char c : text)
            if (c != '\r' && c != '\n') s.push_back(c);
            else if (prefixAt >= 0 && static_cast<int32_t>(s.size()) < prefixAt) --prefixAt;
        paragraphs.emplace_back(0, s);
    } else {
        // Wrapped lines past the limit are never laid out: neither are the
        // paragraphs they would come from.
        const bool wraps = (format & DT_WORDBREAK) != 0;
        for (size_t start = 0; start <= text.size() && (!wraps || paragraphs.size() <= lineLimit);) {
            if (nextCR != std::string::npos && nextCR < start) nextCR = text.find('\r', start);
            if (nextLF != std::string::npos && nextLF < start) nextLF = text.find('\n', start);
            const size_t i = std::min({nextCR, nextLF, text.size()});
            paragraphs.emplace_back(start, text.substr(start, i - start));
            if (i == text.size()) break;
            start = i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
            if (start == text.size()) {
                paragraphs.emplace_back(start, std::string_view());
                break;
            }
        }
    }

    for (auto& [offset, para] : paragraphs) {
        // clang 14 cannot capture a structured binding: a copy of it.
        auto addLine = [&, base = offset](size_t from, std::string_view s) {
            Line l;
            l.Own = s;
            int64_t at = prefixAt - static_cast<int64_t>(base + from);
            if (prefixAt >= 0 && at >= 0 && at < static_cast<int64_t>(s.size())) l.Underline = static_cast<int32_t>(at);
            lines.push_back(std::move(l));
        };
        if (single || !(format & DT_WORDBREAK)) {
            addLine(0, para);
            continue;
        }
        if (lines.size() > lineLimit) break;
        // Greedy word wrap: words keep their following blanks; a line never
        // ends in blanks that wrapped.
        size_t pos = 0;
        if (para.empty()) addLine(0, para);
        while (pos < para.size()) {
            size_t lineStart = pos;
            size_t end = pos;  // end of the accepted part
            while (end < para.size()) {
                size_t wordEnd = end;
                while (wordEnd < para.size() && para[wordEnd] == ' ') ++wordEnd;
                // A long run first on its line is looked at only as far as
                // it could fit, and a little more.
                size_t scanTo = para.size();
                if (end == lineStart && (format & DT_EDITCONTROL) && para.size() - lineStart > kLongLine) {
                    const size_t fit = FitText(para.substr(lineStart), font, width);
                    scanTo = std::min(para.size(), std::max(wordEnd + kLongLine + 1, lineStart + fit + 1));
                }
                while (wordEnd < scanTo && para[wordEnd] != ' ') ++wordEnd;
                if (end == lineStart && (format & DT_EDITCONTROL) && wordEnd - lineStart > kLongLine) {
                    // A long word first on its line: only what fits is measured.
                    const std::string_view word(para.data() + lineStart, wordEnd - lineStart);
                    size_t n = FitText(word, font, width);
                    if (n < word.find_last_not_of(' ') + 1) {
                        auto next = [&](size_t i) {
                            return std::min(word.size(), i + Utf8Length(static_cast<unsigned char>(word[i])));
                        };
                        while (n > 0 && measure(std::string(word.substr(0, n))) > width)
                            while (n > 0 && (static_cast<unsigned char>(word[--n]) & 0xC0) == 0x80) {}
                        while (n < word.size() && measure(std::string(word.substr(0, next(n)))) <= width) n = next(n);
                        if (n == 0) n = next(0);
                        end = lineStart + n;
                        break;
                    }
                }
                std::string candidate(para.substr(lineStart, wordEnd - lineStart));
                size_t trimmed = candidate.find_last_not_of(' ');
                candidate = trimmed == std::string::npos ? std::string() : candidate.substr(0, trimmed + 1);
                if (measure(candidate) <= width || end == lineStart) {
                    if (end == lineStart && measure(candidate) > width && (format & DT_EDITCONTROL)) {
                        // One word wider than the box: break it between characters.
                        size_t cut = lineStart;
                        while (cut < wordEnd) {
                            size_t next = cut + Utf8Length(static_cast<unsigned char>(para[cut]));
                            if (cut > lineStart && measure(para.substr(lineStart, next - lineStart)) > width) break;
                            cut = next;
                        }
                        end = cut;
                        break;
                    }
                    end = wordEnd;
                    if (measure(candidate) > width) break;
                } else {
                    break;
                }
            }
            std::string s(para.substr(lineStart, end - lineStart));
            size_t last = s.find_last_not_of(' ');
            s = last == std::string::npos ? std::string() : s.substr(0, last + 1);
            addLine(lineStart, s);
            if (lines.size() > lineLimit) break;
            pos = end;
            while (pos < para.size() && para[pos] == ' ') ++pos;
        }
    }

    if (format & DT_END_ELLIPSIS) {
        for (Line& l : lines) {
            if (measure(l.Text()) <= width) continue;
            // Cut by the summed advances, then settle on the exact measure.
            const std::string& t = l.Text();
            auto next = [&](size_t i) { return std::min(t.size(), i + Utf8Length(static_cast<unsigned char>(t[i]))); };
            size_t n = FitText(t, font, std::max(0, width - measure("...")));
            while (n > 0 && measure(t.substr(0, n) + "...") > width)
                while (n > 0 && (static_cast<unsigned char>(t[--n]) & 0xC0) == 0x80) {}
            while (n < t.size() && measure(t.substr(0, next(n)) + "...") <= width) n = next(n);
            std::string s = t.substr(0, n);
            l.Set(s + "...");
            if (l.Underline >= static_cast<int32_t>(s.size())) l.Underline = -1;
        }
    }

    if (format & DT_RTLREADING) {
        // An embedding of right-to-left order around each line; the marks
        // take no room.
        for (Line& l : lines) {
            l.Set("\xE2\x80\xAB" + l.Text() + "\xE2\x80\xAC");
            if (l.Underline >= 0) l.Underline += 3;
        }
    }

    const int64_t total64 = int64_t(lineHeight) * static_cast<int64_t>(lines.size());
    const int32_t total = static_cast<int32_t>(std::min<int64_t>(total64, std::numeric_limits<int32_t>::max() / 2));

    int32_t y = box.Top;
    if (single && (format & DT_VCENTER)) y = box.Top + (box.Height() - lineHeight) / 2;
    else if (single && (format & DT_BOTTOM)) y = box.Bottom - lineHeight;
    int32_t result = (single && (format & (DT_VCENTER | DT_BOTTOM))) ? y - box.Top + total : total;

    if (format & DT_CALCRECT) {
        int32_t maxWidth = 0;
        for (const Line& l : lines) maxWidth = std::max(maxWidth, measure(l.Text()));
        // The left and top edges stay; the box shrinks or grows to the text.
        int32_t w = FromDeviceLength(maxWidth, false);
        int32_t h = FromDeviceLength(total, true);
        rect.Right = rect.Left + w;
        rect.Bottom = IsMetric(FMapMode) ? rect.Top - h : rect.Top + h;
        return h;
    }
    if (!FDevice) return FromDeviceLength(result, true);

    Changing();
    if (clipLines && lines.size() > 1) {
        // A last line that would be cut by the bottom edge is not shown.
        if (lineLimit < lines.size()) lines.resize(lineLimit);
    }
    if (!(format & DT_NOCLIP)) {
        TRect clip = box;
        if (FHasClip) IntersectRect(clip, FClip, box);
        FDevice->SetClip(&clip);
    }
    // Lines wholly above or below the surface are not drawn.
    int32_t shownTop = 0, shownBottom = FDevice->PixelSize().cy;
    if (FHasClip) {
        shownTop = std::max(shownTop, FClip.Top);
        shownBottom = std::min(shownBottom, FClip.Bottom);
    }
    for (const Line& l : lines) {
        if (lines.size() == 1 || (y + lineHeight > shownTop && y < shownBottom)) {
            int32_t x = box.Left;
            if (format & DT_CENTER) x = box.Left + (width - measure(l.Text())) / 2;
            else if (format & DT_RIGHT) x = box.Right - measure(l.Text());
            DrawTextLine(x, y, l.Text(), font, expandTabs, tabWidth, l.Underline);
        }
        if (y > std::numeric_limits<int32_t>::max() - lineHeight) break;
        y += lineHeight;
    }
    if (!(format & DT_NOCLIP)) PushClip();
    Changed();
    return FromDeviceLength(result, true);
}

// ---------------------------------------------------------------- pictures and pixels

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(*this, {x, y, x + graphic->Width(), y + graphic->Height()});
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return;
    graphic->Draw(*this, rect);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    if (!FDevice || !source.FDevice) return;
    TRect from = source.ToDevice(sourceRect);
    TDeviceImage part;
    if (IsRectEmpty(from) || !source.FDevice->ReadPixels(from, part) || part.isNull()) return;
    TRect to = ToDevice(dest);
    if (IsRectEmpty(to)) return;
    Changing();
    FDevice->DrawImage(to, part, {0, 0, part.width(), part.height()}, false, clBlack);
    Changed();
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap& bitmap, const TRect& sourceRect, TColor color) {
    RealizeBrush();
    if (!FDevice || bitmap.Empty()) return;
    TRect from = sourceRect.Normalized();
    QImage part = BitmapImage(bitmap).copy(from.Left, from.Top, from.Width(), from.Height()).convertToFormat(QImage::Format_RGB32);
    TColor key = ColorToRGB(color);
    TColor fill = ColorToRGB(FBrush->Color());
    QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    QRgb f = qRgb(GetRValue(fill), GetGValue(fill), GetBValue(fill));
    for (int yy = 0; yy < part.height(); ++yy) {
        auto* row = reinterpret_cast<QRgb*>(part.scanLine(yy));
        for (int xx = 0; xx < part.width(); ++xx)
            if ((row[xx] & 0xFFFFFF) == (k & 0xFFFFFF)) row[xx] = f;
    }
    TRect to = ToDevice(dest);
    if (IsRectEmpty(to)) return;
    Changing();
    FDevice->DrawImage(to, part, {0, 0, part.width(), part.height()}, false, clBlack);
    Changed();
}

void TCanvas::MaskedStretchDraw(const TRect& rect, TBitmap& bitmap, TBitmap& mask) {
    MaskedStretchDraw(std::vector<TRect>{rect}, bitmap, mask);
}

void TCanvas::MaskedStretchDraw(const std::vector<TRect>& rects, TBitmap& bitmap, TBitmap& mask) {
    if (!FDevice || bitmap.Empty()) return;
    std::vector<TRect> to;
    for (const TRect& rect : rects)
        if (TRect d = ToDevice(rect); !IsRectEmpty(d)) to.push_back(d);
    if (to.empty()) return;
    // The kept pixels become fully transparent; the device draws the rest over the target.
    QImage part = BitmapImage(bitmap).convertToFormat(QImage::Format_ARGB32);
    QImage bits = BitmapImage(mask);
    if (bits.format() != QImage::Format_Mono) bits = bits.convertToFormat(QImage::Format_Mono);
    const int w = std::min(part.width(), bits.width()), h = std::min(part.height(), bits.height());
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(part.scanLine(y));
        const uchar* m = bits.constScanLine(y);
        // A mask byte at a time: most are 0 and cost one test.
        for (int x = 0; x < w; x += 8) {
            const uchar byte = m[x >> 3];
            if (byte == 0) continue;
            for (int k = 0; k < 8 && x + k < w; ++k)
                if ((byte >> (7 - k)) & 1) row[x + k] = 0;
        }
    }
    Changing();
    for (const TRect& d : to) FDevice->DrawImage(d, part, {0, 0, part.width(), part.height()}, false, clBlack);
    Changed();
}

TColor TCanvas::Pixel(int32_t x, int32_t y) {
    if (!FDevice) return clWhite;
    TPoint d = LPtoDP(TPoint{x, y});
    return FDevice->GetPixel(d.X, d.Y);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor color) {
    if (!FDevice) return;
    TPoint d = LPtoDP(TPoint{x, y});
    Changing();
    FDevice->SetPixel(d.X, d.Y, ColorToRGB(color));
    Changed();
}
