#include "grid/VsEdit.h"

#include <algorithm>

// ---------------------------------------------------------------- TVsEditButton

TVsEditButton::TVsEditButton(TComponent* AOwner) : TWindowControl(AOwner) {
    SetColor(clBtnFace);
    FSpeedButton = new TSpeedButton(this);
    FSpeedButton->SetParent(this);
    FSpeedButton->SetVisible(true);
    FSpeedButton->SetEnabled(true);
    FSpeedButton->SetCaption("");
    // The holder answers the release of the button, not its click.
    FSpeedButton->OnClick = [](TObject*) {};
    FSpeedButton->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
        BtnMouseUp(Sender, Button, Shift, X, Y);
    };
    SetBounds(0, 0, 20, 25);
}

TVsEditButton::~TVsEditButton() { DetachWidget(); }

void TVsEditButton::AdjustSize(int32_t& W, int32_t& H) {
    if (!FSpeedButton) return;
    W = std::max(W, 15);
    FSpeedButton->SetBounds(0, 0, W, H);
}

void TVsEditButton::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
    AdjustSize(AWidth, AHeight);
    TWindowControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TVsEditButton::Resize() {
    int32_t w = Width(), h = Height();
    AdjustSize(w, h);
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
    TWindowControl::Resize();
}

void TVsEditButton::BtnMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int32_t X, int32_t Y) {
    if (Button != mbLeft) return;
    // Released over the button: a release elsewhere takes the press back.
    const bool over = X >= 0 && Y >= 0 && X < FSpeedButton->Width() && Y < FSpeedButton->Height();
    if (Sender == FSpeedButton && over && OnClick) OnClick(this);
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused())
        FFocusControl->SetFocus();
    else if (TabStop() && !Focused() && CanFocus())
        SetFocus();
}

void TVsEditButton::Notification(TComponent* AComponent, TOperation Operation) {
    TWindowControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}
