#include "grid/VsSpin.h"

#include <algorithm>

#include "grid/VsEdit.h"
#include "grid/VsResources.h"
#include "grid/VsUtil.h"
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

namespace {
// A given glyph, or the resource's one picture for none.
void SetButtonGlyph(TVsTimerSpeedButton* button, const TBitmap* value, const char* resource) {
    if (value) {
        button->SetGlyph(value);
        return;
    }
    TBitmap glyph;
    LoadBitmapResource(glyph, resource);
    button->SetGlyph(&glyph);
    button->SetNumGlyphs(1);
    button->Invalidate();
}
}  // namespace

void TVsSpinButton::SetUpGlyph(const TBitmap* Value) { SetButtonGlyph(FUpButton, Value, "VsSpinUp"); }

void TVsSpinButton::SetDownGlyph(const TBitmap* Value) { SetButtonGlyph(FDownButton, Value, "VsSpinDown"); }

TNumGlyphs TVsSpinButton::UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
void TVsSpinButton::SetUpNumGlyphs(TNumGlyphs Value) { FUpButton->SetNumGlyphs(Value); }
TNumGlyphs TVsSpinButton::DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
void TVsSpinButton::SetDownNumGlyphs(TNumGlyphs Value) { FDownButton->SetNumGlyphs(Value); }

void TVsSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
    TWindowControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

// ---------------------------------------------------------------- TVsSpinEdit

TVsSpinEdit::TVsSpinEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    FButton = new TVsSpinButton(this);
    FButton->SetBounds(0, 0, 15, 17);
    FButton->SetVisible(true);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    // Bound here, they reach the overrides of a descendant.
    FButton->OnUpClick = [this](TObject* Sender) { UpClick(Sender); };
    FButton->OnDownClick = [this](TObject* Sender) { DownClick(Sender); };
    SetText("0");
    LayOut();
}

TVsSpinEdit::~TVsSpinEdit() {
    DetachWidget();
    FButton = nullptr;
}

int32_t TVsSpinEdit::CheckValue(int32_t Value) const {
    if (FMinValue == FMaxValue) return Value;
    return std::clamp(Value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

double TVsSpinEdit::CheckFloatValue(double Value) const {
    if (FMinFloatValue == FMaxFloatValue) return Value;
    return std::clamp(Value, std::min(FMinFloatValue, FMaxFloatValue), std::max(FMinFloatValue, FMaxFloatValue));
}

TDateTime TVsSpinEdit::CheckDateValue(TDateTime Value) const {
    if (FMinDateValue == FMaxDateValue) return Value;
    return std::clamp(Value, std::min(FMinDateValue, FMaxDateValue), std::max(FMinDateValue, FMaxDateValue));
}

int32_t TVsSpinEdit::Value() const {
    int32_t v;
    return TryStrToInt(Trim(Text()), v) ? v : FMinValue;
}

void TVsSpinEdit::SetValue(int32_t Value) {
    SetText(IntToStr(CheckValue(Value)));
    if (!FEditorEnabled) SelectAll();
}

double TVsSpinEdit::FloatValue() const {
    long double v;
    // Text that is no number reads as the integer bound.
    return TryStrToFloat(Text(), v) ? static_cast<double>(v) : FMinValue;
}

void TVsSpinEdit::SetFloatValue(double Value) {
    Value = CheckFloatValue(Value);
    SetText(FPrecision != 0 ? FloatToStrF(Value, ffFixed, 15, FPrecision) : FloatToStr(Value));
}

TDateTime TVsSpinEdit::DateValue() const {
    const std::string text = Trim(Text());
    if (text.empty() || text == "0") return Now();
    TDateTime d;
    return TryStrToDate(text, d) ? d : FMinDateValue;
}

void TVsSpinEdit::SetDateValue(TDateTime Value) {
    FStoredDate = Value;
    SetTextKeepCaret(DateToStr(CheckDateValue(Value)));
}

TDateTime TVsSpinEdit::TimeValue() const {
    TDateTime t;
    return TryStrToTime(Text(), t) ? t : 0;
}

void TVsSpinEdit::SetTimeValue(TDateTime Value) {
    FStoredTime = Value;
    SetTextKeepCaret(TimeToStr(Value));
}

void TVsSpinEdit::SetTextKeepCaret(const std::string& Text) {
    const int32_t caret = SelStart();
    SetText(Text);
    SetSelStart(std::min<int32_t>(caret, static_cast<int32_t>(Text.size())));
}

void TVsSpinEdit::SetSpinType(TVsSpinType Value) {
    FSpinType = Value;
    switch (Value) {
    case sptNormal: SetValue(this->Value()); break;
    case sptFloat: SetFloatValue(FloatValue()); break;
    case sptDate: SetDateValue(DateValue()); break;
    case sptTime: SetTimeValue(TimeValue()); break;
    }
}

void TVsSpinEdit::SetPrecision(int32_t Value) {
    FPrecision = std::clamp(Value, 0, 18);
    if (FSpinType == sptFloat) SetFloatValue(FloatValue());
}

void TVsSpinEdit::Loaded() {
    if (FSpinType == sptDate) SetText(DateToStr(FStoredDate));
    else if (FSpinType == sptTime) SetText(TimeToStr(FStoredTime));
    SetSpinType(FSpinType);
}

void TVsSpinEdit::SetDirection(TSpinDirection Value) {
    if (Value == FButton->Direction()) return;
    FButton->SetDirection(Value);
    LayOut();
}

void TVsSpinEdit::SetSpinFlat(bool Value) {
    FButton->UpButton()->SetFlat(Value);
    FButton->DownButton()->SetFlat(Value);
}

void TVsSpinEdit::SetSpinTransparent(bool Value) {
    FButton->UpButton()->SetTransparent(Value);
    FButton->DownButton()->SetTransparent(Value);
    LayOut();
}

void TVsSpinEdit::UpClick(TObject*) { Step(+1); }

void TVsSpinEdit::DownClick(TObject*) { Step(-1); }

namespace {
// The part of a text the caret stands in: 0 before the first separator, 1
// before the second, 2 after it.
int PartAt(const std::string& text, int32_t caret, char separator) {
    const size_t first = text.find(separator);
    if (first == std::string::npos || caret <= static_cast<int32_t>(first)) return 0;
    const size_t second = text.find(separator, first + 1);
    if (second == std::string::npos || caret <= static_cast<int32_t>(second)) return 1;
    return 2;
}
}  // namespace

void TVsSpinEdit::Step(int Sign) {
    if (ReadOnly()) {
        MessageBeep(0);
        return;
    }
    switch (FSpinType) {
    case sptNormal: SetValue(Value() + Sign * FIncrement); break;
    case sptFloat: SetFloatValue(FloatValue() + Sign * FIncrementFloat); break;
    case sptDate: {
        // By the caret's part, whatever the short date format: days before
        // the first separator, months before the second, years after it.
        const int part = PartAt(Text(), SelStart(), FormatSettings().DateSeparator);
        const TDateTime date = DateValue();
        switch (part) {
        case 0: SetDateValue(date + Sign); break;
        case 1: SetDateValue(IncMonth(date, Sign)); break;
        default: SetDateValue(StepDate(Sign, 0, 0, date, 0)); break;
        }
        break;
    }
    case sptTime: {
        static constexpr double kUnits[3] = {1.0 / 24, 1.0 / 1440, 1.0 / 86400};
        const int part = PartAt(Text(), SelStart(), FormatSettings().TimeSeparator);
        SetTimeValue(TimeValue() + Sign * kUnits[part]);
        break;
    }
    }
}

bool TVsSpinEdit::IsValidChar(char32_t Key) {
    const TFormatSettings& f = FormatSettings();
    const auto is = [Key](char c) { return Key == static_cast<unsigned char>(c); };
    bool valid = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') || is(f.DecimalSeparator) ||
                 is(f.TimeSeparator) || is(f.DateSeparator) || (Key < 32 && Key != '\r');
    const std::string text = Text();
    if (valid && is(f.TimeSeparator) && !is(f.DecimalSeparator) && !is(f.DateSeparator))
        valid = FSpinType == sptTime && text.find(f.TimeSeparator) == std::string::npos;
    if (valid && is(f.DateSeparator) && !is(f.DecimalSeparator) && !is(f.TimeSeparator)) valid = FSpinType == sptDate;
    if (valid && FSpinType == sptFloat && Key >= 32) {
        const size_t sep = text.find(f.DecimalSeparator);
        if (is(f.DecimalSeparator) && sep != std::string::npos) valid = false;
        // At most Precision decimals behind the separator; Backspace and the
        // other control characters still work there.
        if (valid && FPrecision > 0 && sep != std::string::npos && SelLength() == 0 &&
            SelStart() > static_cast<int32_t>(sep) &&
            static_cast<int64_t>(text.size()) >= static_cast<int64_t>(sep) + 1 + FPrecision)
            valid = false;
    }
    if (!FEditorEnabled && (Key == '\b' || (Key >= 32 && Key <= 255))) valid = false;
    return valid;
}

bool TVsSpinEdit::WantsKey(Word Key, TShiftState Shift) const {
    return Key == VK_UP || Key == VK_DOWN || (Key == VK_RETURN && FReturnIsTab) ||
           TCustomMaskEdit::WantsKey(Key, Shift);
}

void TVsSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
    if (Key == VK_UP) {
        UpClick(this);
        Key = 0;
    } else if (Key == VK_DOWN) {
        DownClick(this);
        Key = 0;
    } else if (Key == VK_DELETE && !FEditorEnabled) {
        Key = 0;
    } else if (Key == VK_RETURN && FReturnIsTab) {
        Key = 0;
        PostKeyDown(this, VK_TAB, Shift & ssShift);
    }
    TCustomMaskEdit::KeyDown(Key, Shift);
}

void TVsSpinEdit::KeyPress(char32_t& Key) {
    if (Key == '\r' && FReturnIsTab) {
        // Taken as Tab with its key.
        Key = 0;
    } else if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0) TCustomMaskEdit::KeyPress(Key);
}

void TVsSpinEdit::CutToClipboard() {
    if (FEditorEnabled && !ReadOnly()) TCustomMaskEdit::CutToClipboard();
}

void TVsSpinEdit::PasteFromClipboard() {
    if (FEditorEnabled && !ReadOnly()) TCustomMaskEdit::PasteFromClipboard();
}

void TVsSpinEdit::ClearSelection() {
    if (FEditorEnabled) TCustomMaskEdit::ClearSelection();
}

void TVsSpinEdit::CMEnter(TMessage& Message) {
    if (AutoSelect() && (!(GetShiftState() & ssLeft) || !FEditorEnabled)) SelectAll();
    TCustomMaskEdit::CMEnter(Message);
}

void TVsSpinEdit::CMExit(TMessage& Message) {
    TCustomMaskEdit::CMExit(Message);
    switch (FSpinType) {
    case sptNormal:
        if (CheckValue(Value()) != Value()) SetValue(Value());
        break;
    case sptFloat:
        if (CheckFloatValue(FloatValue()) != FloatValue()) SetFloatValue(FloatValue());
        break;
    case sptDate:
        if (CheckDateValue(DateValue()) != DateValue()) SetDateValue(DateValue());
        break;
    case sptTime:
        if (CheckDateValue(TimeValue()) != TimeValue()) SetTimeValue(TimeValue());
        break;
    }
}

int32_t TVsSpinEdit::GetMinHeight() const {
    const int32_t s = ScreenFontHeight(nullptr);
    const int32_t f = ScreenFontHeight(Font());
    const int32_t i = std::min(s, f) / 4;
    if (BorderStyle() == bsSingle) return f + GetSystemMetrics(SM_CYBORDER) * 4 + i + 2;
    return f + i + 2;
}

void TVsSpinEdit::SetEditRect() {
    const int32_t e = BorderStyle() == bsNone ? 1 : 0;
    SetEditRect(Rect(e, e, ClientWidth() - FButton->Width() - 2 - e, ClientHeight() + 1));
}

void TVsSpinEdit::LayOut() {
    if (!FButton) return;
    PlaceEditButton(*this, *FButton, 5, 1);
    SetEditRect();
}

void TVsSpinEdit::WMSize(TWMSize& Message) {
    TCustomMaskEdit::WMSize(Message);
    const int32_t least = GetMinHeight();
    if (Height() < least) {
        SetHeight(least);
        return;
    }
    LayOut();
}

void TVsSpinEdit::CreateWnd() {
    TCustomMaskEdit::CreateWnd();
    SetEditRect();
}
