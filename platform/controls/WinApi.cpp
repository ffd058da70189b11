#include "platform/controls/WinApi.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- beep

namespace {
std::atomic<int32_t> gBeeps{0};
}  // namespace

void MessageBeep(uint32_t) {
    ++gBeeps;
    if (qApp) QApplication::beep();
}

int32_t BeepCount() { return gBeeps.load(); }
void ResetBeepCount() { gBeeps = 0; }

// ---------------------------------------------------------------- posted keys

void PostKeyDown(TWinControl* control, Word key, TShiftState shift) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    int qtKey = QtKeyFromVirtualKey(key);
    if (!w || qtKey == 0) return;
    QString text;
    if (key == VK_TAB) text = QStringLiteral("\t");
    else if (key == VK_RETURN) text = QStringLiteral("\r");
    else if (key == VK_ESCAPE) text = QString(QChar(0x1B));
    if (key == VK_TAB && (shift & ssShift)) qtKey = Qt::Key_Backtab;
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, qtKey, QtModifiers(shift), text));
}

// ---------------------------------------------------------------- metrics

int32_t GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        QScreen* s = qApp ? QGuiApplication::primaryScreen() : nullptr;
        if (!s) return 0;
        return index == SM_CXSCREEN ? s->geometry().width() : s->geometry().height();
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        // The width Qt's own scroll bars have here.
        return qApp ? QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    default: return 0;
    }
}

// ---------------------------------------------------------------- system parameters

bool SystemParametersInfo(uint32_t action, uint32_t, void* value, uint32_t) {
    if (action == SPI_GETWHEELSCROLLLINES && value) {
        *static_cast<uint32_t*>(value) = qApp ? static_cast<uint32_t>(QApplication::wheelScrollLines()) : 3;
        return true;
    }
    return false;
}

int32_t GetFileVersionNumber(const std::string& fileName) {
    return SameText(fileName, "comctl32.dll") ? CommonControlsVersion : -1;
}

// ---------------------------------------------------------------- edges

namespace {

// Restores the canvas's brush when it goes.
class TBrushKeeper {
public:
    explicit TBrushKeeper(TCanvas& canvas) : FCanvas(canvas), FColor(canvas.Brush()->Color()), FStyle(canvas.Brush()->Style()) {}
    ~TBrushKeeper() {
        FCanvas.Brush()->SetColor(FColor);
        FCanvas.Brush()->SetStyle(FStyle);
    }

private:
    TCanvas& FCanvas;
    TColor FColor;
    TBrushStyle FStyle;
};

void Fill(TCanvas& canvas, const TRect& r, TColor color) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    canvas.Brush()->SetColor(color);
    canvas.FillRect(r);
}

// One pixel on the sides of r that flags name; r shrinks by them.
void Border(TCanvas& canvas, TRect& r, uint32_t flags, TColor topLeft, TColor bottomRight) {
    if (flags & BF_TOP) Fill(canvas, Rect(r.Left, r.Top, r.Right, r.Top + 1), topLeft);
    if (flags & BF_LEFT) Fill(canvas, Rect(r.Left, r.Top, r.Left + 1, r.Bottom), topLeft);
    if (flags & BF_BOTTOM) Fill(canvas, Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
    if (flags & BF_RIGHT) Fill(canvas, Rect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
    if (flags & BF_TOP) ++r.Top;
    if (flags & BF_LEFT) ++r.Left;
    if (flags & BF_BOTTOM) --r.Bottom;
    if (flags & BF_RIGHT) --r.Right;
}

}  // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, uint32_t edge, uint32_t flags) {
    TBrushKeeper keep(canvas);
    canvas.Brush()->SetStyle(bsSolid);
    TRect r = rect;
    const uint32_t outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    const uint32_t inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer) {
        TColor tl, br;
        if (flags & BF_MONO) tl = br = clWindowFrame;
        else if (flags & BF_FLAT) tl = br = clBtnShadow;
        else if (outer & BDR_RAISEDOUTER) {
            tl = (flags & BF_SOFT) ? clBtnHighlight : cl3DLight;
            br = cl3DDkShadow;
        } else {
            tl = clBtnShadow;
            br = clBtnHighlight;
        }
        Border(canvas, r, flags, tl, br);
    }
    if (inner) {
        TColor tl, br;
        if (flags & BF_MONO) tl = br = clWindow;
        else if (flags & BF_FLAT) tl = br = clBtnFace;
        else if (inner & BDR_RAISEDINNER) {
            tl = (flags & BF_SOFT) ? cl3DLight : clBtnHighlight;
            br = clBtnShadow;
        } else {
            tl = cl3DDkShadow;
            br = cl3DLight;
        }
        Border(canvas, r, flags, tl, br);
    }
    if (flags & BF_MIDDLE) Fill(canvas, r, (flags & BF_MONO) ? clWindow : clBtnFace);
    if (flags & BF_ADJUST) rect = r;
    return true;
}

bool DrawFrameControl(TCanvas& canvas, const TRect& rect, uint32_t type, uint32_t state) {
    const uint32_t kind = state & 0x1F;
    const bool scroll = type == DFC_SCROLL && (kind <= DFCS_SCROLLRIGHT || kind == DFCS_SCROLLCOMBOBOX);
    const bool push = type == DFC_BUTTON && kind == DFCS_BUTTONPUSH;
    if (!scroll && !push) return false;
    TBrushKeeper keep(canvas);
    canvas.Brush()->SetStyle(bsSolid);
    TRect r = rect;
    if (state & DFCS_FLAT) DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
    else if (state & (DFCS_PUSHED | DFCS_CHECKED)) DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else DrawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    Fill(canvas, r, clBtnFace);
    if (!scroll) return true;

    // The arrow: a triangle of a rows, its base 2a - 1 pixels wide.
    const int32_t w = r.Right - r.Left, h = r.Bottom - r.Top;
    const int32_t a = std::max(1, (std::min(w, h) + 1) / 3);
    const int32_t shift = (state & DFCS_PUSHED) ? 1 : 0;
    const int32_t cx = r.Left + (w - 1) / 2 + shift, cy = r.Top + (h - 1) / 2 + shift;
    const TColor color = (state & DFCS_INACTIVE) ? clGrayText : clBtnText;
    const uint32_t dir = kind == DFCS_SCROLLCOMBOBOX ? DFCS_SCROLLDOWN : kind;
    const int32_t o = a / 2;  // from the tip row to the centre
    for (int32_t i = 0; i < a; ++i) {
        switch (dir) {
        case DFCS_SCROLLUP: Fill(canvas, Rect(cx - i, cy - o + i, cx + i + 1, cy - o + i + 1), color); break;
        case DFCS_SCROLLDOWN: Fill(canvas, Rect(cx - i, cy + o - i, cx + i + 1, cy + o - i + 1), color); break;
        case DFCS_SCROLLLEFT: Fill(canvas, Rect(cx - o + i, cy - i, cx - o + i + 1, cy + i + 1), color); break;
        default: Fill(canvas, Rect(cx + o - i, cy - i, cx + o - i + 1, cy + i + 1), color); break;
        }
    }
    return true;
}

// ---------------------------------------------------------------- regions

TRegion TRegion::FromRect(const TRect& rect) {
    TRegion region;
    TRect r = rect.Normalized();
    if (r.Right > r.Left && r.Bottom > r.Top) region.FRects.push_back(r);
    return region;
}

TRegion TRegion::Polygon(const std::vector<TPoint>& points, TPolyFillMode mode) {
    TRegion region;
    if (points.size() < 3) return region;
    int32_t top = points[0].Y, bottom = points[0].Y;
    for (const TPoint& p : points) {
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    struct Crossing {
        double X;
        int Dir;
    };
    std::vector<TRect> previous;  // the spans of the row above, still growing
    for (int32_t y = top; y < bottom; ++y) {
        const double yc = y + 0.5;
        std::vector<Crossing> crossings;
        for (size_t i = 0; i < points.size(); ++i) {
            const TPoint& a = points[i];
            const TPoint& b = points[(i + 1) % points.size()];
            if (a.Y == b.Y) continue;
            if (yc < std::min(a.Y, b.Y) || yc >= std::max(a.Y, b.Y)) continue;
            double x = a.X + (yc - a.Y) * (b.X - a.X) / static_cast<double>(b.Y - a.Y);
            crossings.push_back({x, b.Y > a.Y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& l, const Crossing& r) { return l.X < r.X; });
        std::vector<TRect> row;
        auto span = [&](double from, double to) {
            // Pixels whose centres lie in [from, to).
            auto l = static_cast<int32_t>(std::ceil(from - 0.5));
            auto r = static_cast<int32_t>(std::ceil(to - 0.5));
            if (r <= l) return;
            if (!row.empty() && row.back().Right >= l) row.back().Right = std::max(row.back().Right, r);
            else row.push_back(Rect(l, y, r, y + 1));
        };
        int winding = 0;
        for (size_t i = 0; i < crossings.size(); ++i) {
            const bool inside = mode == ALTERNATE ? (i % 2 == 0) : (winding += crossings[i].Dir) != 0;
            if (inside && i + 1 < crossings.size()) span(crossings[i].X, crossings[i + 1].X);
        }
        // A row with the same spans as the one above lengthens its rectangles.
        bool same = row.size() == previous.size();
        for (size_t i = 0; same && i < row.size(); ++i)
            same = row[i].Left == previous[i].Left && row[i].Right == previous[i].Right;
        if (same && !row.empty()) {
            for (size_t i = 0; i < row.size(); ++i) region.FRects[region.FRects.size() - row.size() + i].Bottom = y + 1;
        } else {
            for (const TRect& r : row) region.FRects.push_back(r);
            previous = row;
        }
        if (row.empty()) previous.clear();
    }
    return region;
}

bool TRegion::Contains(int32_t x, int32_t y) const {
    return std::any_of(FRects.begin(), FRects.end(),
                       [&](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; });
}

TRect TRegion::BoundsRect() const {
    if (FRects.empty()) return TRect{};
    TRect b = FRects[0];
    for (const TRect& r : FRects) {
        b.Left = std::min(b.Left, r.Left);
        b.Top = std::min(b.Top, r.Top);
        b.Right = std::max(b.Right, r.Right);
        b.Bottom = std::max(b.Bottom, r.Bottom);
    }
    return b;
}

bool TRegion::operator==(const TRegion& other) const {
    if (FRects.size() != other.FRects.size()) return false;
    for (size_t i = 0; i < FRects.size(); ++i)
        if (FRects[i] != other.FRects[i]) return false;
    return true;
}

namespace {

const char* const kRegionName = "varsonaWindowRegion";
const char* const kPopupName = "varsonaPopupStyle";

// The region a window was given, kept with its widget.
class TRegionHolder : public QObject {
public:
    TRegionHolder(QWidget* widget, TRegion region) : QObject(widget), Region(std::move(region)) {
        setObjectName(kRegionName);
    }
    TRegion Region;
};

TRegionHolder* HolderOf(const TWinControl* control) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    return w ? w->findChild<TRegionHolder*>(kRegionName, Qt::FindDirectChildrenOnly) : nullptr;
}

constexpr Qt::WindowFlags kPopupFlags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;

// Puts the popup flags back when the widget's parent changes (which
// makes it a child widget again).
class TPopupKeeper : public QObject {
public:
    explicit TPopupKeeper(QWidget* widget) : QObject(widget) { setObjectName(kPopupName); }

    static void Apply(QWidget* w) {
        const QRect g = w->geometry();
        const bool shown = !w->isHidden();
        w->setWindowFlags(kPopupFlags);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setFocusPolicy(Qt::NoFocus);
        w->setGeometry(g);
        if (shown && w->parentWidget()) w->show();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ParentChange && !FApplying) {
            auto* w = static_cast<QWidget*>(watched);
            if ((w->windowFlags() & Qt::WindowType_Mask) != Qt::ToolTip) {
                FApplying = true;
                Apply(w);
                FApplying = false;
            }
        }
        return false;
    }

private:
    bool FApplying = false;
};

}  // namespace

void SetWindowRgn(TWinControl* control, const TRegion* region, bool redraw) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    if (!w) return;
    delete HolderOf(control);
    if (region) {
        new TRegionHolder(w, *region);
        QRegion mask;
        for (const TRect& r : region->Rects()) mask += QRect(r.Left, r.Top, r.Width(), r.Height());
        w->setMask(mask);
    } else {
        w->clearMask();
    }
    if (redraw) w->update();
}

bool GetWindowRgn(const TWinControl* control, TRegion& region) {
    TRegionHolder* h = HolderOf(control);
    region = h ? h->Region : TRegion();
    return h != nullptr;
}

void SetPopupStyle(TWinControl* control) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    if (!w || w->findChild<TPopupKeeper*>(kPopupName, Qt::FindDirectChildrenOnly)) return;
    auto* keeper = new TPopupKeeper(w);
    w->installEventFilter(keeper);
    TPopupKeeper::Apply(w);
}

bool IsPopupStyle(const TWinControl* control) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    return w && w->findChild<TPopupKeeper*>(kPopupName, Qt::FindDirectChildrenOnly);
}
