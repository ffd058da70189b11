#include "grid/VsSpin.h"

#include <algorithm>

#include "grid/VsResources.h"
#include "platform/controls/WinApi.h"

// ---------------------------------------------------------------- TVsTimerSpeedButton

TVsTimerSpeedButton::TVsTimerSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner) {}

TVsTimerSpeedButton::~TVsTimerSpeedButton() {
    // The timer is an owned component: it goes with the button.
    FRepeatTimer = nullptr;
}

void TVsTimerSpeedButton::SetButtonFlags(uint8_t Flags) {
    if (Flags == FButtonFlags) return;
    FButtonFlags = Flags;
    Invalidate();
}

void TVsTimerSpeedButton::SetArrowKind(int32_t Kind) {
    Kind = std::clamp(Kind, 0, 3);
    if (Kind == FArrowKind) return;
    FArrowKind = Kind;
    Invalidate();
}

void TVsTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TSpeedButton::MouseDown(Button, Shift, X, Y);
    if (FButtonFlags & tbAllowTimer) {
        if (!FRepeatTimer) {
            FRepeatTimer = new TTimer(this);
            FRepeatTimer->SetEnabled(false);
            FRepeatTimer->OnTimer = [this](TObject* Sender) { TimerExpired(Sender); };
        }
        FRepeatTimer->SetInterval(InitRepeatPause);
        FRepeatTimer->SetEnabled(true);
    }
    if (Parent()) Parent()->Invalidate();
}

void TVsTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TSpeedButton::MouseUp(Button, Shift, X, Y);
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
    if (Parent()) Parent()->Invalidate();
}

void TVsTimerSpeedButton::TimerExpired(TObject*) {
    FRepeatTimer->SetInterval(RepeatPause);
    if (State() == bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TVsTimerSpeedButton::Paint() {
    if (FArrowKind <= 1) {
        uint32_t state = FArrowKind == 0 ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT;
        if (State() == bsDown) state |= DFCS_PUSHED;
        if (Flat()) state |= DFCS_FLAT;
        if (!Enabled()) state |= DFCS_INACTIVE;
        DrawFrameControl(*Canvas(), ClientRect(), DFC_SCROLL, state);
    } else {
        TSpeedButton::Paint();
    }
    if (FButtonFlags & tbFocusRect) {
        TRect r = ClientRect();
        Canvas()->DrawFocusRect(Rect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
    }
}

// ---------------------------------------------------------------- TVsSpinButton

TVsSpinButton::TVsSpinButton(TComponent* AOwner) : TWindowControl(AOwner) {
    SetColor(clBtnFace);
    FUpButton = CreateButton();
    FDownButton = CreateButton();
    SetUpGlyph(nullptr);
    SetDownGlyph(nullptr);
    FUpButton->SetArrowKind(2);
    FDownButton->SetArrowKind(3);
    FFocusedButton = FUpButton;
    SetBounds(0, 0, 15, 25);
}

TVsSpinButton::~TVsSpinButton() {
    DetachWidget();
    FFocusedButton = nullptr;
}

TVsTimerSpeedButton* TVsSpinButton::CreateButton() {
    auto* b = new TVsTimerSpeedButton(this);
    b->SetParent(this);
    b->SetVisible(true);
    b->SetEnabled(true);
    b->SetButtonFlags(tbAllowTimer);
    b->OnClick = [this](TObject* Sender) { BtnClick(Sender); };
    b->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
        BtnMouseDown(Sender, Button, Shift, X, Y);
    };
    return b;
}

void TVsSpinButton::BtnClick(TObject* Sender) {
    if (Sender == FUpButton) {
        if (OnUpClick) OnUpClick(this);
    } else if (Sender == FDownButton) {
        if (OnDownClick) OnDownClick(this);
    }
}

void TVsSpinButton::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int32_t, int32_t) {
    if (Button != mbLeft) return;
    SetFocusBtn(static_cast<TVsTimerSpeedButton*>(Sender));
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused())
        FFocusControl->SetFocus();
    else if (TabStop() && !Focused() && CanFocus())
        SetFocus();
}

void TVsSpinButton::SetFocusBtn(TVsTimerSpeedButton* Btn) {
    if (!TabStop() || !CanFocus() || Btn == FFocusedButton) return;
    FFocusedButton->SetButtonFlags(FFocusedButton->ButtonFlags() & ~tbFocusRect);
    FFocusedButton = Btn;
    if (Focused()) {
        FFocusedButton->SetButtonFlags(FFocusedButton->ButtonFlags() | tbFocusRect);
        Invalidate();
    }
}

void TVsSpinButton::WMSetFocus(TWMFocus& Message) {
    TWindowControl::WMSetFocus(Message);
    FFocusedButton->SetButtonFlags(FFocusedButton->ButtonFlags() | tbFocusRect);
    FFocusedButton->Invalidate();
}

void TVsSpinButton::WMKillFocus(TWMFocus& Message) {
    TWindowControl::WMKillFocus(Message);
    FFocusedButton->SetButtonFlags(FFocusedButton->ButtonFlags() & ~tbFocusRect);
    FFocusedButton->Invalidate();
}

bool TVsSpinButton::WantsKey(Word Key, TShiftState) const {
    return Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP || Key == VK_DOWN;
}

void TVsSpinButton::KeyDown(Word& Key, TShiftState Shift) {
    switch (Key) {
    case VK_SPACE: FFocusedButton->Click(); break;
    case VK_UP:
        SetFocusBtn(FUpButton);
        FUpButton->Click();
        break;
    case VK_DOWN:
        SetFocusBtn(FDownButton);
        FDownButton->Click();
        break;
    default: break;
    }
    TWindowControl::KeyDown(Key, Shift);
}

void TVsSpinButton::AdjustSize(int32_t& W, int32_t& H) {
    if (!FUpButton || !FDownButton) return;
    if (FDirection == spVertical) {
        W = std::max(W, 15);
        const int32_t upHeight = H / 2;
        FUpButton->SetBounds(0, 0, W, upHeight);
        FDownButton->SetBounds(0, upHeight - 1, W, H - upHeight + 1);
    } else {
        W = std::max(W, 20);
        FDownButton->SetBounds(0, 0, W / 2, H);
        FUpButton->SetBounds(W / 2 + 1, 0, W / 2, H);
    }
}

void TVsSpinButton::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
    AdjustSize(AWidth, AHeight);
    TWindowControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TVsSpinButton::Resize() {
    int32_t w = Width(), h = Height();
    AdjustSize(w, h);
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
    TWindowControl::Resize();
}

void TVsSpinButton::SetDirection(TSpinDirection Value) {
    if (Value == FDirection) return;
    FDirection = Value;
    if (Value == spHorizontal) {
        FUpButton->SetArrowKind(1);
        FDownButton->SetArrowKind(0);
        SetWidth(20);
    } else {
        FUpButton->SetArrowKind(2);
        FDownButton->SetArrowKind(3);
        SetWidth(15);
    }
    // The buttons are placed anew for the direction even when the width stays.
    int32_t w = Width(), h = Height();
    AdjustSize(w, h);
    Invalidate();
}

TBitmap* TVsSpinButton::UpGlyph() const { return FUpButton->Glyph(); }
TBitmap* TVsSpinButton::DownGlyph() const { return FDownButton->Glyph(); }

void TVsSpinButton::SetUpGlyph(const TBitmap* Value) {
    if (Value) {
        FUpButton->SetGlyph(Value);
        return;
    }
    TBitmap glyph;
    LoadBitmapResource(glyph, "VsSpinUp");
    FUpButton->SetGlyph(&glyph);
    FUpButton->SetNumGlyphs(1);
    FUpButton->Invalidate();
}

void TVsSpinButton::SetDownGlyph(const TBitmap* Value) {
    if (Value) {
        FDownButton->SetGlyph(Value);
        return;
    }
    TBitmap glyph;
    LoadBitmapResource(glyph, "VsSpinDown");
    FDownButton->SetGlyph(&glyph);
    FDownButton->SetNumGlyphs(1);
    FDownButton->Invalidate();
}

TNumGlyphs TVsSpinButton::UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
void TVsSpinButton::SetUpNumGlyphs(TNumGlyphs Value) { FUpButton->SetNumGlyphs(Value); }
TNumGlyphs TVsSpinButton::DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
void TVsSpinButton::SetDownNumGlyphs(TNumGlyphs Value) { FDownButton->SetNumGlyphs(Value); }

void TVsSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
    TWindowControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}
