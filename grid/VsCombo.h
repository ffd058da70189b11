// The combo box of the grid library with its own flat frame and button,
// and the arrow windows that mark where a moved column or row lands.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"

// A combo box that, while Flat, draws its own thin frame and drop-down
// button: hot (a raised or etched button edge, and with FocusBorder a sunken
// frame) while the mouse is over it or it has the focus, flat while the
// list is down. A disabled flat combo takes its parent's colour; enabled
// again it gets back the colour it had.
class TVsCustomCombo : public TCustomComboBox {
public:
    explicit TVsCustomCombo(TComponent* AOwner);
    ~TVsCustomCombo() override;

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool Etched() const { return FEtched; }
    void SetEtched(bool Value);
    bool FocusBorder() const { return FFocusBorder; }
    void SetFocusBorder(bool Value);
    // 14 to 32 pixels; other values are ignored.
    int32_t ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int32_t Value);
    TColor SavedColor() const { return FSavedColor; }
    bool SavedParentColor() const { return FSavedParentColor; }
    bool MouseInControl() const { return FMouseInControl; }
    // The look is hot: the mouse is over the combo or it has the focus.
    bool Hot() const;

protected:
    void WMPaint(TMessage& Message) override;
    void CMEnter(TMessage& Message) override;
    void CMExit(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;
    void DropDown() override;
    void CloseUp() override;
    // The frame and the button's edge.
    void DrawFlatBorder();
    void DrawBorders();
    void DrawButtonEdge();

private:
    bool FFlat = true;
    bool FEtched = false;
    bool FFocusBorder = false;
    int32_t FButtonWidth = 0;
    TColor FSavedColor;
    bool FSavedParentColor = false;
    bool FMouseInControl = false;
};

class TVsComboBox : public TVsCustomCombo {
public:
    explicit TVsComboBox(TComponent* AOwner) : TVsCustomCombo(AOwner) {}
    ~TVsComboBox() override;
};

enum TArrowDirection { adUp, adDown, adRight, adLeft };

// A small lime-green popup window in the shape of an arrow. Its position is
// on the screen (it stands outside its parent's area); its size is that of
// its shape, which the window's region cuts out. It starts hidden.
class TArrowWindow : public TPanel {
public:
    TArrowWindow(TComponent* AOwner, TArrowDirection Direction);
    ~TArrowWindow() override;

    TArrowDirection Direction() const { return FDirection; }
    // The outline of a direction's arrow in window pixels.
    static std::vector<TPoint> ArrowPolygon(TArrowDirection Direction);

private:
    TArrowDirection FDirection;
};
