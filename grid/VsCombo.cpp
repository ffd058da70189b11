#include "grid/VsCombo.h"

#include <algorithm>

#include "platform/controls/WinApi.h"

// ---------------------------------------------------------------- TArrowWindow

std::vector<TPoint> TArrowWindow::ArrowPolygon(TArrowDirection Direction) {
    switch (Direction) {
    case adUp: return {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
    case adDown: return {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case adRight: return {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    case adLeft: return {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
    }
    return {};
}

TArrowWindow::TArrowWindow(TComponent* AOwner, TArrowDirection Direction) : TPanel(AOwner), FDirection(Direction) {
    SetColor(clLime);
    SetCaption("");
    SetBevelOuter(bvNone);
    SetBorderStyle(bsSingle);
    SetPopupStyle(this);
    // Hidden until a move shows it.
    SetVisible(false);
    const std::vector<TPoint> outline = ArrowPolygon(Direction);
    int32_t w = 0, h = 0;
    for (const TPoint& p : outline) {
        w = std::max(w, p.X);
        h = std::max(h, p.Y);
    }
    SetBounds(0, 0, w, h);
    const TRegion shape = TRegion::Polygon(outline, WINDING);
    SetWindowRgn(this, &shape, true);
}

TArrowWindow::~TArrowWindow() { DetachWidget(); }

// ---------------------------------------------------------------- TVsCustomCombo

TVsCustomCombo::TVsCustomCombo(TComponent* AOwner) : TCustomComboBox(AOwner) {
    FButtonWidth = GetSystemMetrics(SM_CXVSCROLL) + 2;
    FSavedColor = Color();
    FSavedParentColor = ParentColor();
}

TVsCustomCombo::~TVsCustomCombo() { DetachWidget(); }

TVsComboBox::~TVsComboBox() { DetachWidget(); }

void TVsCustomCombo::SetFlat(bool Value) {
    if (Value == FFlat) return;
    FFlat = Value;
    SetCtl3D(!Value);
    Invalidate();
}

void TVsCustomCombo::SetEtched(bool Value) {
    if (Value == FEtched) return;
    FEtched = Value;
    Invalidate();
}

void TVsCustomCombo::SetFocusBorder(bool Value) {
    FFocusBorder = Value;
    Invalidate();
}

void TVsCustomCombo::SetButtonWidth(int32_t Value) {
    if (Value < 14 || Value > 32) return;
    FButtonWidth = Value;
    Invalidate();
}

bool TVsCustomCombo::Hot() const { return FMouseInControl || Focused(); }

namespace {
// Fills r with color except the hole.
void FillAround(TCanvas& c, const TRect& r, const TRect& hole, TColor color) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(color);
    const TRect parts[] = {Rect(r.Left, r.Top, r.Right, std::min(r.Bottom, hole.Top)),
                           Rect(r.Left, std::max(r.Top, hole.Bottom), r.Right, r.Bottom),
                           Rect(r.Left, std::max(r.Top, hole.Top), std::min(r.Right, hole.Left), std::min(r.Bottom, hole.Bottom)),
                           Rect(std::max(r.Left, hole.Right), std::max(r.Top, hole.Top), r.Right, std::min(r.Bottom, hole.Bottom))};
    for (const TRect& p : parts)
        if (!IsRectEmpty(p)) c.FillRect(p);
}
}  // namespace

void TVsCustomCombo::WMPaint(TMessage& Message) {
    if (!FFlat) {
        TCustomComboBox::WMPaint(Message);
        return;
    }
    // The native look first, then our button and frame over its own.
    DefaultPaint();
    TCanvas* c = Canvas();
    const int32_t cw = ClientWidth(), ch = ClientHeight();
    if (Style() != csSimple) {
        TRect button = Rect(cw - FButtonWidth + 1, 1, cw - 1, ch - 1);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(Rect(cw - FButtonWidth - 4, 0, cw, ch));
        DrawFrameControl(*c, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
    }
    DrawFlatBorder();
}

void TVsCustomCombo::DrawFlatBorder() {
    if (!FFlat || !Canvas()) return;
    DrawBorders();
    if (Style() != csSimple) DrawButtonEdge();
}

void TVsCustomCombo::DrawBorders() {
    TCanvas* c = Canvas();
    const bool focusedLook = Hot() && FFocusBorder;
    const TColor a = focusedLook ? clBtnFace : (Parent() ? ColorToRGB(Parent()->Color()) : ColorToRGB(clBtnFace));
    const TColor b = clWindow;
    TRect r = Rect(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsSolid);
    auto frame = [&](TColor color) {
        c->Brush()->SetColor(color);
        c->FrameRect(r);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    };
    if (focusedLook) {
        DrawEdge(*c, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        frame(a);
        frame(b);
    } else {
        frame(a);
        frame(a);
        frame(b);
    }
}

void TVsCustomCombo::DrawButtonEdge() {
    TCanvas* c = Canvas();
    const int32_t cw = ClientWidth(), ch = ClientHeight();
    // The arrow itself stays as drawn.
    const TRect arrow = Rect(cw - FButtonWidth + 4, 4, cw - 4, ch - 4);
    TRect r = Rect(cw - FButtonWidth - 2 + 2, 2, Width() - 2, Height() - 2);
    if (Hot()) {
        TRect edge = r;
        DrawEdge(*c, edge, FEtched ? EDGE_ETCHED : EDGE_RAISED, BF_RECT | (DroppedDown() ? BF_FLAT : 0));
    } else {
        r = Rect(r.Left, r.Top + 1, r.Right - 1, r.Bottom - 1);
        FillAround(*c, r, arrow, clBtnFace);
    }
}

void TVsCustomCombo::CMEnter(TMessage& Message) {
    TCustomComboBox::CMEnter(Message);
    Invalidate();
}

void TVsCustomCombo::CMExit(TMessage& Message) {
    TCustomComboBox::CMExit(Message);
    Invalidate();
}

void TVsCustomCombo::CMMouseEnter(TMessage& Message) {
    TCustomComboBox::CMMouseEnter(Message);
    if (!FMouseInControl && Enabled()) {
        FMouseInControl = true;
        Invalidate();
    }
}

void TVsCustomCombo::CMMouseLeave(TMessage& Message) {
    TCustomComboBox::CMMouseLeave(Message);
    if (FMouseInControl && Enabled()) {
        FMouseInControl = false;
        Invalidate();
    }
}

void TVsCustomCombo::CMEnabledChanged(TMessage& Message) {
    TCustomComboBox::CMEnabledChanged(Message);
    if (!FFlat) return;
    if (Enabled()) {
        SetColor(FSavedColor);
        SetParentColor(FSavedParentColor);
    } else {
        FSavedParentColor = ParentColor();
        FSavedColor = Color();
        SetParentColor(true);
    }
}

void TVsCustomCombo::DropDown() {
    TCustomComboBox::DropDown();
    InvalidateRect(Rect(ClientWidth() - FButtonWidth, 0, ClientWidth(), ClientHeight()));
}

void TVsCustomCombo::CloseUp() {
    TCustomComboBox::CloseUp();
    InvalidateRect(Rect(ClientWidth() - FButtonWidth, 0, ClientWidth(), ClientHeight()));
}
