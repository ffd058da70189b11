// The spin edit of the grid library: a pair of up and down buttons that
// repeat while held, and the edit that steps an integer, a float, a date or
// a time with them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls/Buttons.h"
#include "platform/controls/Controls.h"
#include "platform/controls/WinControl.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/runtime/SysUtils.h"

enum TSpinDirection { spVertical, spHorizontal };
enum TVsSpinType { sptNormal, sptFloat, sptDate, sptTime };

// ButtonFlags of TVsTimerSpeedButton.
inline constexpr uint8_t tbFocusRect = 0x01;   // the button shows the focus
inline constexpr uint8_t tbAllowTimer = 0x02;  // it repeats its click while held

// A speed button that, with tbAllowTimer, clicks again 400 ms after the
// press and then every 100 ms while it is held down with the mouse.
// ArrowKind 0 and 1 draw a left and a right arrow of the system's scroll
// buttons; 2 and 3 draw the glyph (up and down).
class TVsTimerSpeedButton : public TSpeedButton {
public:
    static constexpr uint32_t InitRepeatPause = 400;
    static constexpr uint32_t RepeatPause = 100;

    explicit TVsTimerSpeedButton(TComponent* AOwner);
    ~TVsTimerSpeedButton() override;

    uint8_t ButtonFlags() const { return FButtonFlags; }
    void SetButtonFlags(uint8_t Flags);
    int32_t ArrowKind() const { return FArrowKind; }
    void SetArrowKind(int32_t Kind);
    // Created at the first press that may repeat; owned by the button.
    TTimer* RepeatTimer() const { return FRepeatTimer; }

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void Paint() override;

private:
    void TimerExpired(TObject* Sender);
    uint8_t FButtonFlags = 0;
    int32_t FArrowKind = 2;
    TTimer* FRepeatTimer = nullptr;
};

// The pair of repeating buttons, one above the other (or, horizontal, the
// down button left of the up button). A click of one fires OnUpClick or
// OnDownClick with the pair as Sender; a press moves the focus to
// FocusControl (else to the pair). The keys Up, Down and Space click as
// the buttons do.
class TVsSpinButton : public TWindowControl {
public:
    explicit TVsSpinButton(TComponent* AOwner);
    ~TVsSpinButton() override;

    TVsTimerSpeedButton* UpButton() const { return FUpButton; }
    TVsTimerSpeedButton* DownButton() const { return FDownButton; }
    TVsTimerSpeedButton* FocusedButton() const { return FFocusedButton; }

    TSpinDirection Direction() const { return FDirection; }
    void SetDirection(TSpinDirection Value);
    TBitmap* UpGlyph() const;
    // nullptr loads the resource "VsSpinUp" (one picture) again.
    void SetUpGlyph(const TBitmap* Value);
    TBitmap* DownGlyph() const;
    // nullptr loads the resource "VsSpinDown" again.
    void SetDownGlyph(const TBitmap* Value);
    TNumGlyphs UpNumGlyphs() const;
    void SetUpNumGlyphs(TNumGlyphs Value);
    TNumGlyphs DownNumGlyphs() const;
    void SetDownNumGlyphs(TNumGlyphs Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value) { FFocusControl = Value; }

    // The width is held to at least 15 (vertical) or 20 (horizontal) and
    // the buttons share the rest.
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    bool WantsKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void Resize() override;
    void WMSetFocus(TWMFocus& Message) override;
    void WMKillFocus(TWMFocus& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The size held to the least width, and the buttons placed in it.
    void AdjustSize(int32_t& W, int32_t& H);
    void SetFocusBtn(TVsTimerSpeedButton* Btn);
    void BtnClick(TObject* Sender);
    void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    TVsTimerSpeedButton* CreateButton();

    TVsTimerSpeedButton* FUpButton = nullptr;
    TVsTimerSpeedButton* FDownButton = nullptr;
    TVsTimerSpeedButton* FFocusedButton = nullptr;
    TWinControl* FFocusControl = nullptr;
    TSpinDirection FDirection = spVertical;
};

// A masked edit with the button pair inside its right edge that steps its
// value: an integer, a float, a date (the part under the caret: day, month
// or year) or a time (hour, minute or second). Equal bounds mean no bounds;
// leaving the edit brings the value within them. Typed characters other
// than digits, signs and separators are refused with a beep.
class TVsSpinEdit : public TCustomMaskEdit {
public:
    explicit TVsSpinEdit(TComponent* AOwner);
    ~TVsSpinEdit() override;

    TVsSpinButton* SpinButton() const { return FButton; }

    TVsSpinType SpinType() const { return FSpinType; }
    // Writes the current value of the new kind back, which formats the text.
    void SetSpinType(TVsSpinType Value);
    // The text as an integer; MinValue when it is none.
    int32_t Value() const;
    void SetValue(int32_t Value);
    // The text as a float; MinValue (the integer bound) when it is none.
    double FloatValue() const;
    void SetFloatValue(double Value);
    // The text as a date; now for "0" or no text, MinDateValue for a text
    // that is no date.
    TDateTime DateValue() const;
    void SetDateValue(TDateTime Value);
    // The text as a time of day; 0 when it is none.
    TDateTime TimeValue() const;
    void SetTimeValue(TDateTime Value);

    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t Value) { FMinValue = Value; }
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t Value) { FMaxValue = Value; }
    double MinFloatValue() const { return FMinFloatValue; }
    void SetMinFloatValue(double Value) { FMinFloatValue = Value; }
    double MaxFloatValue() const { return FMaxFloatValue; }
    void SetMaxFloatValue(double Value) { FMaxFloatValue = Value; }
    TDateTime MinDateValue() const { return FMinDateValue; }
    void SetMinDateValue(TDateTime Value) { FMinDateValue = Value; }
    TDateTime MaxDateValue() const { return FMaxDateValue; }
    void SetMaxDateValue(TDateTime Value) { FMaxDateValue = Value; }
    int32_t Increment() const { return FIncrement; }
    void SetIncrement(int32_t Value) { FIncrement = Value; }
    double IncrementFloat() const { return FIncrementFloat; }
    void SetIncrementFloat(double Value) { FIncrementFloat = Value; }
    // Decimals of a float; 0: the general format.
    int32_t Precision() const { return FPrecision; }
    void SetPrecision(int32_t Value);
    TSpinDirection Direction() const { return FButton->Direction(); }
    void SetDirection(TSpinDirection Value);
    // False: the keyboard, cut and paste cannot change the text; the
    // buttons and the Up and Down keys still step it.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    // Enter moves on as Tab does.
    bool ReturnIsTab() const { return FReturnIsTab; }
    void SetReturnIsTab(bool Value) { FReturnIsTab = Value; }
    bool SpinFlat() const { return FButton->UpButton()->Flat(); }
    void SetSpinFlat(bool Value);
    bool SpinTransparent() const { return FButton->UpButton()->Transparent(); }
    void SetSpinTransparent(bool Value);
    TDateTime StoredDate() const { return FStoredDate; }
    TDateTime StoredTime() const { return FStoredTime; }

    // The values held to their bounds.
    int32_t CheckValue(int32_t Value) const;
    double CheckFloatValue(double Value) const;
    TDateTime CheckDateValue(TDateTime Value) const;
    // The least height for the font.
    int32_t GetMinHeight() const;
    // Shows the stored date or time again and applies the spin type (after
    // the properties were set in a row, as a form does when it loads).
    virtual void Loaded();

    // Whether a typed character may go into the text.
    virtual bool IsValidChar(char32_t Key);
    // One step up or down (a beep when the edit is read-only).
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);

    using TCustomEdit::SetEditRect;
    // The text's rectangle: left of the buttons.
    void SetEditRect();

    void CutToClipboard() override;
    void PasteFromClipboard() override;
    void ClearSelection() override;

protected:
    bool WantsKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void WMSize(TWMSize& Message) override;
    void CreateWnd() override;

private:
    void Step(int Sign);
    // Places the button pair and the text's rectangle for the size.
    void LayOut();
    // Sets the text with the caret where it was.
    void SetTextKeepCaret(const std::string& Text);

    TVsSpinButton* FButton = nullptr;
    TVsSpinType FSpinType = sptNormal;
    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
    double FMinFloatValue = 0;
    double FMaxFloatValue = 0;
    TDateTime FMinDateValue = 0;
    TDateTime FMaxDateValue = 0;
    int32_t FIncrement = 1;
    double FIncrementFloat = 0;
    int32_t FPrecision = 0;
    bool FEditorEnabled = true;
    bool FReturnIsTab = false;
    TDateTime FStoredDate = 0;
    TDateTime FStoredTime = 0;
};
