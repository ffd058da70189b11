// The combo box of the grid library with its own flat frame and button,
// and the arrow windows that mark where a moved column or row lands.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/controls/ExtCtrls.h"

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
