// The spin edit: an edit for whole numbers with up and down buttons.
#pragma once

#include <cstdint>

#include "platform/controls/StdCtrls.h"

class QToolButton;

// Value reads the text (MinValue when it is no number) and writes it back
// limited to MinValue..MaxValue; MinValue = MaxValue means no limits.
// OnChange is the edit's: every change of the text.
class TSpinEdit : public TEdit {
public:
    explicit TSpinEdit(TComponent* owner);
    ~TSpinEdit() override;

    int32_t Value() const;
    void SetValue(int32_t value);
    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t value);
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t value);
    int32_t Increment() const { return FIncrement; }
    void SetIncrement(int32_t increment) { FIncrement = increment; }
    // False: the text cannot be typed, only stepped.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool enabled);

    // The buttons: Value + Increment and Value - Increment.
    void UpClick();
    void DownClick();
    int32_t CheckValue(int32_t value) const;

protected:
    void KeyDown(Word& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void DoExit() override;

private:
    int32_t FMinValue = 0;
    int32_t FMaxValue = 0;
    int32_t FIncrement = 1;
    bool FEditorEnabled = true;
    QToolButton* FUp;
    QToolButton* FDown;
};
