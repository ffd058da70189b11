// The speed button: a button without focus that draws itself, with a glyph
// and a caption, flat or raised, alone or in a group of buttons of which
// one stays down.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/Controls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
// Pictures side by side in a glyph: up, disabled, down, held down (1 to 4).
using TNumGlyphs = int32_t;

// A left press shows the button down and captures the mouse until the
// release; releasing over the button clicks it (OnClick), releasing
// elsewhere does not. A button with a
// GroupIndex stays down after its click and puts the other buttons of its
// group (same parent, same index) up; with AllowAllUp a click puts it up
// again. The glyph's bottom-left pixel colour is transparent; one picture
// serves every state (greyed when disabled).
class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies the bitmap (nullptr empties the glyph).
    void SetGlyph(const TBitmap* glyph);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TNumGlyphs count);
    bool Flat() const { return FFlat; }
    void SetFlat(bool flat);
    // A flat button lets its parent show through where it draws nothing.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    int32_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int32_t index);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool allow);
    // Only a button with a GroupIndex stays down.
    bool Down() const { return FDown; }
    void SetDown(bool down);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout layout);
    // -1: glyph and caption centred together.
    int32_t Margin() const { return FMargin; }
    void SetMargin(int32_t margin);
    int32_t Spacing() const { return FSpacing; }
    void SetSpacing(int32_t spacing);

    // How the button shows now.
    TButtonState State() const { return FState; }
    // The mouse is over the (enabled) button.
    bool MouseInControl() const { return FMouseInControl; }

protected:
    bool ClicksOnMouseUp() const override { return false; }
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void Paint() override;
    void SetTextValue(const std::string& text) override;
    void CMMouseEnter(TMessage& message) override;
    void CMMouseLeave(TMessage& message) override;
    void CMEnabledChanged(TMessage& message) override;
    // Draws the glyph and the caption inside rect in the given state.
    void DrawGlyphAndCaption(const TRect& rect, TButtonState state);

private:
    void UpdateExclusive();
    std::unique_ptr<TBitmap> FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    bool FFlat = false;
    bool FTransparent = true;
    int32_t FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
    TButtonLayout FLayout = blGlyphLeft;
    int32_t FMargin = -1;
    int32_t FSpacing = 4;
    TButtonState FState = bsUp;
    bool FMouseInControl = false;
    bool FDragging = false;
};
