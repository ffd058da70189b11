#include "grid/VsEdit.h"

#include <algorithm>

#include "grid/VsUtil.h"
#include "platform/controls/Menus.h"
#include "platform/controls/WinApi.h"

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

// ---------------------------------------------------------------- TVsEditBtn

namespace {
// The frame of an edit lies inside its client pixels here, where the
// platform measured from inside it: children move in by its edge.
int32_t FrameEdge(const TCustomEdit& edit) {
    if (edit.BorderStyle() == bsNone) return 0;
    return edit.Ctl3D() ? GetSystemMetrics(SM_CXEDGE) : GetSystemMetrics(SM_CXBORDER);
}
}  // namespace

void PlaceEditButton(const TCustomEdit& Edit, TControl& Button, int32_t DBorder, int32_t DNone) {
    const int32_t bw = Button.Width();
    const int32_t edge = FrameEdge(Edit);
    if (Edit.Ctl3D()) {
        const int32_t d = Edit.BorderStyle() == bsNone ? DNone : DBorder;
        Button.SetBounds(Edit.Width() - bw - d + edge, edge, bw, Edit.Height() - d);
    } else {
        Button.SetBounds(Edit.Width() - bw + edge, 1 + edge, bw, Edit.Height() - 3);
    }
}

TVsEditBtn::TVsEditBtn(TComponent* AOwner) : TCustomEdit(AOwner) {
    FButton = new TVsEditButton(this);
    FButton->SetBounds(0, 0, 15, 17);
    FButton->SetVisible(true);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    // Bound here, it reaches the override of a descendant.
    FButton->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
    SetText("0");
    LayOut();
}

TVsEditBtn::~TVsEditBtn() {
    DetachWidget();
    FButton = nullptr;
}

void TVsEditBtn::SetRightAlign(bool Value) {
    if (Value == FRightAlign) return;
    FRightAlign = Value;
    SetAlignment(Value ? taRightJustify : taLeftJustify);
    RecreateWnd();
}

void TVsEditBtn::ButtonClick(TObject* Sender) {
    if (OnClickBtn) OnClickBtn(Sender);
}

void TVsEditBtn::CutToClipboard() {
    if (FEditorEnabled && !ReadOnly()) TCustomEdit::CutToClipboard();
}

void TVsEditBtn::PasteFromClipboard() {
    if (FEditorEnabled && !ReadOnly()) TCustomEdit::PasteFromClipboard();
}

void TVsEditBtn::CMEnter(TMessage& Message) {
    if (AutoSelect() && !(GetShiftState() & ssLeft)) SelectAll();
    TCustomEdit::CMEnter(Message);
}

int32_t TVsEditBtn::GetMinHeight() const {
    const int32_t s = ScreenFontHeight(nullptr);
    const int32_t f = ScreenFontHeight(Font());
    return f + std::min(s, f) / 4;
}

void TVsEditBtn::SetEditRect() {
    const int32_t e = BorderStyle() == bsNone ? 2 : 1;
    SetEditRect(Rect(e, e, ClientWidth() - FButton->Width() - FUnitSpace - 3, ClientHeight() + 1));
}

void TVsEditBtn::LayOut() {
    if (!FButton) return;
    PlaceEditButton(*this, *FButton, 5, 2);
    SetEditRect();
}

void TVsEditBtn::WMSize(TWMSize& Message) {
    TCustomEdit::WMSize(Message);
    const int32_t least = GetMinHeight();
    if (least > Height()) {
        SetHeight(least);
        return;
    }
    LayOut();
}

void TVsEditBtn::CreateWnd() {
    TCustomEdit::CreateWnd();
    SetEditRect();
}

// ---------------------------------------------------------------- TVsUnitEditBtn

// Draws the unit between the text and the button.
class TVsUnitEditBtn::TUnitText : public TGraphicControl {
public:
    explicit TUnitText(TVsUnitEditBtn* Edit) : TGraphicControl(Edit), FEdit(Edit) {}

protected:
    void Paint() override {
        TCanvas* c = Canvas();
        c->SetFont(FEdit->Font());
        c->Brush()->SetStyle(bsClear);
        TRect r = ClientRect();
        c->DrawText(FEdit->UnitID(), r, DT_EDITCONTROL);
    }

private:
    TVsUnitEditBtn* FEdit;
};

TVsUnitEditBtn::TVsUnitEditBtn(TComponent* AOwner) : TVsEditBtn(AOwner), FUnits(std::make_unique<TStringList>()) {
    SetUnitSpaceValue(20);
    FUnitText = new TUnitText(this);
    FUnitText->SetParent(this);
    SetRightAlign(true);
    LayOut();
}

TVsUnitEditBtn::~TVsUnitEditBtn() {
    DetachWidget();
    FUnitText = nullptr;
    FMenu = nullptr;
}

void TVsUnitEditBtn::SetUnits(const TStrings* Value) {
    if (Value) FUnits->Assign(Value);
}

void TVsUnitEditBtn::SetUnitID(const std::string& Value) {
    FUnitID = Value;
    if (FUnitText) FUnitText->Invalidate();
}

void TVsUnitEditBtn::SetUnitSpace(int32_t Value) {
    SetUnitSpaceValue(Value);
    LayOut();
    Invalidate();
}

TRect TVsUnitEditBtn::UnitRect() const {
    const int32_t edge = FrameEdge(*this);
    const int32_t right = Width() - edge - EditButton()->Width() - 3;
    return Rect(right - UnitSpace(), 2 + edge, right, Height() - edge);
}

void TVsUnitEditBtn::LayOut() {
    TVsEditBtn::LayOut();
    if (FUnitText) FUnitText->SetBoundsRect(UnitRect());
}

void TVsUnitEditBtn::ButtonClick(TObject*) {
    const TPoint p = ClientToScreen(Point(0, 0));
    delete FMenu;
    FMenu = new TPopupMenu(this);
    FMenu->SetAlignment(paLeft);
    for (int32_t i = 0; i < FUnits->Count(); ++i) {
        const int32_t id = i + 1;
        TMenuItem* item = NewItem(FMenu, FUnits->Strings(i), scNone, [this, id](TObject*) { ApplyUnitCommand(id); });
        item->SetTag(id);
        FMenu->Items()->Add(item);
    }
    FMenu->Popup(p.X + ClientWidth() - 15, p.Y + ClientHeight());
}

void TVsUnitEditBtn::ApplyUnitCommand(int32_t ItemID) {
    if (ItemID >= 1 && ItemID <= FUnits->Count()) SetUnitID(FUnits->Strings(ItemID - 1));
}
