#include "platform/controls/HintWindow.h"

#include <algorithm>

#include "platform/controls/WinApi.h"

namespace {
constexpr uint32_t kHintFormat = DT_LEFT | DT_NOPREFIX | DT_WORDBREAK;
}  // namespace

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
    SetColor(clInfoBk);
    SetTabStop(false);
    SetVisible(false);
    SetPopupStyle(this);
}

THintWindow::~THintWindow() { DetachWidget(); }

TRect THintWindow::CalcHintRect(int32_t maxWidth, const std::string& hint) {
    TBitmap measure(1, 1);
    TCanvas* canvas = measure.Canvas();
    canvas->SetFont(Font());
    TRect r = Rect(0, 0, std::max(1, maxWidth), 0);
    canvas->DrawText(hint, r, kHintFormat | DT_CALCRECT);
    // Two pixels of margin and a pixel of frame on every side.
    return Rect(0, 0, r.Width() + 6, r.Height() + 4);
}

void THintWindow::ActivateHint(const TRect& rect, const std::string& hint) {
    SetCaption(hint);
    SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
    SetVisible(true);
    BringToFront();
    Invalidate();
}

void THintWindow::ReleaseHandle() { SetVisible(false); }

void THintWindow::Paint() {
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Pen()->SetColor(clBlack);
    canvas->Rectangle(r);
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    TRect text = Rect(r.Left + 3, r.Top + 2, r.Right - 3, r.Bottom - 2);
    canvas->DrawText(Caption(), text, kHintFormat);
}
