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
