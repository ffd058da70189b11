#include "grid/VsCombo.h"

#include <algorithm>

#include "platform/controls/WinApi.h"

// ---------------------------------------------------------------- TArrowWindow

std::vector<TPoint> TArrowWindow::ArrowPolygon(TArrowDirection Direction) {
    switch (Direction) {
    case adUp: return {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
    case adDown: return {{3, 0}, {7, 0}, {7, 4}, {9, 4}, {5, 8}, {1, 4}, {3, 4}};
    case adRight: return {{0, 3}, {0, 7}, {4, 7}, {4, 10}, {8, 5}, {4, 0}, {4, 3}};
    case adLeft: return {{0, 5}, {4, 10}, {4, 7}, {8, 7}, {8, 3}, {4, 3}, {4, 0}};
    }
    return {};
}

TArrowWindow::TArrowWindow(TComponent* AOwner, TArrowDirection Direction) : TPanel(AOwner), FDirection(Direction) {
    SetColor(clLime);
    SetCaption("");
    SetBevelOuter(bvNone);
    SetBorderStyle(bsSingle);
    SetPopupStyle(this);
    // Hidden until a move shows it.
    SetVisible(false);
    const std::vector<TPoint> outline = ArrowPolygon(Direction);
    int32_t w = 0, h = 0;
    for (const TPoint& p : outline) {
        w = std::max(w, p.X);
        h = std::max(h, p.Y);
    }
    SetBounds(0, 0, w, h);
    const TRegion shape = TRegion::Polygon(outline, WINDING);
    SetWindowRgn(this, &shape, true);
}

TArrowWindow::~TArrowWindow() { DetachWidget(); }
