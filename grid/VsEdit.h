// The edit-with-button controls of the grid library: the holder of one
// speed button, and the edits with such a button inside their right edge.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls/Buttons.h"
#include "platform/controls/Controls.h"
#include "platform/controls/WinControl.h"

// A small window holding one speed button that always covers it. Releasing
// the left button over the speed button fires OnClick with the holder as
// Sender, then moves the focus to FocusControl (else to the holder itself).
class TVsEditButton : public TWindowControl {
public:
    explicit TVsEditButton(TComponent* AOwner);
    ~TVsEditButton() override;

    TSpeedButton* SpeedButton() const { return FSpeedButton; }
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value) { FFocusControl = Value; }
    TBitmap* Glyph() const { return FSpeedButton->Glyph(); }
    void SetGlyph(const TBitmap* Value) { FSpeedButton->SetGlyph(Value); }
    std::string ButtonCaption() const { return FSpeedButton->Caption(); }
    void SetButtonCaption(const std::string& Value) { FSpeedButton->SetCaption(Value); }
    TNumGlyphs NumGlyphs() const { return FSpeedButton->NumGlyphs(); }
    void SetNumGlyphs(TNumGlyphs Value) { FSpeedButton->SetNumGlyphs(Value); }

    // The width is held to at least 15; the speed button takes the whole.
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;

    TNotifyEvent OnClick;

protected:
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AdjustSize(int32_t& W, int32_t& H);
    void BtnMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    TSpeedButton* FSpeedButton = nullptr;
    TWinControl* FFocusControl = nullptr;
};
