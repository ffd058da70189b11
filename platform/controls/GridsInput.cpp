// The grid's mouse, keys and focus: sizing and moving lines, selecting by
// dragging (the view following with the scroll timer), navigation keys, the
// editor opened by keys, and focus in and out.
#include <algorithm>

#include "platform/controls/Grids.h"
#include "platform/controls/qt/ControlsQt.h"

namespace {
// The timer that scrolls the view while the mouse drags beyond it.
constexpr uint32_t kScrollTimer = 1;
constexpr uint32_t kScrollInterval = 60;
// A sizing border: this close to a line between two cells.
constexpr int32_t kSizingMargin = 3;
}  // namespace

// ---------------------------------------------------------------- mouse

void TCustomGrid::CalcSizingState(int32_t x, int32_t y, TGridState& state, int32_t& index, int32_t& sizingPos,
                                  int32_t& sizingOfs) {
    state = gsNormal;
    index = -1;
    // The border after a line in view (its middle), within the margin.
    auto border = [&](bool rows, int32_t pixel, int32_t& line, int32_t& pos) {
        const int32_t count = rows ? FRowCount : FColCount;
        const int32_t gap = rows ? HorzLineWidth() : VertLineWidth();
        const int32_t extent = rows ? ClientHeight() : ClientWidth();
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        const int32_t first = rows ? FTopLeft.Y : FTopLeft.X;
        for (int32_t i = fixed > 0 ? 0 : first; i < count; i = i + 1 == fixed ? std::max(fixed, first) : i + 1) {
            const int32_t start = LineStart(rows, i);
            if (start >= extent) break;
            const int32_t edge = start + (rows ? FRowHeights.Size(i) : FColWidths.Size(i)) + gap / 2;
            if (pixel >= edge - kSizingMargin && pixel <= edge + kSizingMargin) {
                line = i;
                pos = edge;
                return true;
            }
        }
        return false;
    };
    int32_t line = -1;
    int32_t pos = 0;
    if ((FOptions & goColSizing) && y >= 0 && y < FixedHeight() && border(false, x, line, pos)) {
        state = gsColSizing;
        index = line;
        sizingPos = pos;
        sizingOfs = pos - x;
        return;
    }
    if ((FOptions & goRowSizing) && x >= 0 && x < FixedWidth() && border(true, y, line, pos)) {
        state = gsRowSizing;
        index = line;
        sizingPos = pos;
        sizingOfs = pos - y;
    }
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    HideEdit();
    if (CanFocus() || !ControlHooks().ParentWindow(this)) {
        if (!IsActiveControl()) SetFocus();
    }
    if (button == mbLeft && (shift & ssDouble)) {
        // The double click itself ran (DblClick) before this press.
        TCustomControl::MouseDown(button, shift, x, y);
        return;
    }
    if (button == mbLeft) {
        CalcSizingState(x, y, FGridState, FSizingIndex, FSizingPos, FSizingOfs);
        if (FGridState != gsNormal) {
            InvalidateGrid();
            return;
        }
        const TGridCoord hit = MouseCoord(x, y);
        if (hit.X >= FFixedCols && hit.Y >= FFixedRows) {
            if (FOptions & goEditing) {
                if (hit == FCurrent) {
                    ShowEditor();
                } else {
                    MoveCurrent(hit.X, hit.Y, true, true);
                    UpdateEdit();
                }
                Click();
            } else {
                FGridState = gsSelecting;
                SetTimer(kScrollTimer, kScrollInterval);
                if (shift & ssShift) MoveAnchor(hit);
                else MoveCurrent(hit.X, hit.Y, true, true);
            }
        } else if ((FOptions & goColMoving) && hit.X >= FFixedCols && hit.Y >= 0 && hit.Y < FFixedRows) {
            FMoveIndex = hit.X;
            FMovePos = hit.X;
            FGridState = gsColMoving;
            SetTimer(kScrollTimer, kScrollInterval);
        } else if ((FOptions & goRowMoving) && hit.Y >= FFixedRows && hit.X >= 0 && hit.X < FFixedCols) {
            FMoveIndex = hit.Y;
            FMovePos = hit.Y;
            FGridState = gsRowMoving;
            SetTimer(kScrollTimer, kScrollInterval);
        }
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    switch (FGridState) {
    case gsSelecting: {
        const TGridCoord hit = MouseCoord(x, y);
        if (hit.X >= FFixedCols && hit.Y >= FFixedRows && !(hit == FCurrent)) MoveCurrent(hit.X, hit.Y, false, false);
        break;
    }
    case gsColSizing:
    case gsRowSizing: {
        const bool rows = FGridState == gsRowSizing;
        // A line keeps at least a pixel.
        const int32_t least = LineStart(rows, FSizingIndex) + 1;
        const int32_t pos = std::max(least, (rows ? y : x) + FSizingOfs);
        if (pos != FSizingPos) {
            FSizingPos = pos;
            InvalidateGrid();
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        const bool rows = FGridState == gsRowMoving;
        const int32_t cell = CellAt(rows, rows ? y : x);
        const int32_t fixed = rows ? FFixedRows : FFixedCols;
        if (cell >= fixed && cell != FMovePos) {
            FMovePos = cell;
            InvalidateGrid();
        }
        break;
    }
    default: break;
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::EndMoving() {
    KillTimer(kScrollTimer);
    const TGridState state = FGridState;
    const int32_t from = FMoveIndex;
    const int32_t to = FMovePos;
    FMoveIndex = -1;
    FMovePos = -1;
    InvalidateGrid();
    if (from < 0 || to < 0 || from == to) return;
    if (state == gsColMoving) MoveColumn(from, to);
    else MoveRow(from, to);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    struct Normal {
        TCustomGrid* G;
        ~Normal() { G->FGridState = gsNormal; }
    };
    {
        Normal normal{this};
        switch (FGridState) {
        case gsSelecting:
            MouseMove(shift, x, y);
            KillTimer(kScrollTimer);
            UpdateEdit();
            Click();
            break;
        case gsColSizing:
        case gsRowSizing: {
            // The new size is set while the state still tells what is sized.
            const bool rows = FGridState == gsRowSizing;
            const int32_t size = std::max(0, FSizingPos - LineStart(rows, FSizingIndex) -
                                                 (rows ? HorzLineWidth() : VertLineWidth()) / 2);
            InvalidateGrid();
            if (rows) SetRowHeights(FSizingIndex, size);
            else SetColWidths(FSizingIndex, size);
            break;
        }
        case gsColMoving:
        case gsRowMoving: EndMoving(); break;
        default: UpdateEdit(); break;
        }
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

bool TCustomGrid::DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    if (TCustomControl::DoMouseWheel(shift, delta, pos)) return true;
    const int32_t notches = std::max(1, std::abs(delta) / 120);
    for (int32_t i = 0; i < notches; ++i) {
        if (delta < 0 && FCurrent.Y < FRowCount - 1) SetRow(FCurrent.Y + 1);
        else if (delta > 0 && FCurrent.Y > FFixedRows) SetRow(FCurrent.Y - 1);
    }
    return true;
}

void TCustomGrid::WMTimer(TWMTimer& message) {
    if (message.TimerID != kScrollTimer) return;
    if (FGridState != gsSelecting && FGridState != gsColMoving && FGridState != gsRowMoving) return;
    // The mouse beyond the view's edge scrolls it a line at a time.
    const TPoint p = ScreenToClient(GetCursorPos());
    const int32_t cw = ClientWidth();
    const int32_t ch = ClientHeight();
    int32_t left = FTopLeft.X;
    int32_t top = FTopLeft.Y;
    const bool cols = FGridState != gsRowMoving;
    const bool rows = FGridState != gsColMoving;
    if (cols && p.X < FixedWidth()) --left;
    if (cols && p.X >= cw) ++left;
    if (rows && p.Y < FixedHeight()) --top;
    if (rows && p.Y >= ch) ++top;
    if (left == FTopLeft.X && top == FTopLeft.Y) return;
    MoveTopLeft(left, top);
    if (FGridState == gsSelecting) {
        // The selection reaches the edge line wholly in view.
        auto edge = [&](bool rows, int32_t pixel, int32_t extent) {
            if (pixel < (rows ? FixedHeight() : FixedWidth())) return rows ? FTopLeft.Y : FTopLeft.X;
            if (pixel >= extent) return LastVisible(rows, true);
            const int32_t cell = CellAt(rows, pixel);
            return cell < 0 ? LastVisible(rows, false) : cell;
        };
        const int32_t col = std::clamp(edge(false, p.X, cw), FFixedCols, FColCount - 1);
        const int32_t row = std::clamp(edge(true, p.Y, ch), FFixedRows, FRowCount - 1);
        MoveCurrent(col, row, false, false);
    } else if (FGridState == gsColMoving) {
        FMovePos = std::clamp(p.X < FixedWidth() ? FTopLeft.X : LastVisible(false, false), FFixedCols, FColCount - 1);
    } else {
        FMovePos = std::clamp(p.Y < FixedHeight() ? FTopLeft.Y : LastVisible(true, false), FFixedRows, FRowCount - 1);
    }
    InvalidateGrid();
}

void TCustomGrid::WMSetCursor(TWMSetCursor& message) {
    TGridState state = FGridState;
    if (state == gsNormal) {
        const TPoint p = ScreenToClient(GetCursorPos());
        int32_t index = 0, pos = 0, ofs = 0;
        CalcSizingState(p.X, p.Y, state, index, pos, ofs);
    }
    if (state == gsColSizing) SetCursorShape(crHSplit);
    else if (state == gsRowSizing) SetCursorShape(crVSplit);
    else TCustomControl::WMSetCursor(message);
}

void TCustomGrid::WMSize(TWMSize& message) {
    UpdateScrollRange();
    UpdateEdit();
    TCustomControl::WMSize(message);
}

// ---------------------------------------------------------------- keys and focus

bool TCustomGrid::WantsKey(Word key, TShiftState shift) const {
    if (IsGridMoveKey(key)) return true;
    switch (key) {
    case VK_TAB: return (FOptions & goTabs) && !(FOptions & goRowSelect);
    case VK_RETURN: return (FOptions & goEditing) != 0;
    case VK_ESCAPE: return FEditorMode && FInplaceEdit && FInplaceEdit->Visible();
    default: return false;
    }
}

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == 0) return;
    if (!CanGridAcceptKey(key, shift)) {
        key = 0;
        return;
    }
    const bool ctrl = (shift & ssCtrl) != 0;
    TGridCoord cur = FCurrent;
    TGridCoord topLeft = FTopLeft;
    const int32_t page = std::max(1, VisibleRowCount());
    const int32_t lastCol = FColCount - 1;
    const int32_t lastRow = FRowCount - 1;
    bool handled = true;
    switch (key) {
    case VK_UP:
        if (ctrl) --topLeft.Y;
        else --cur.Y;
        break;
    case VK_DOWN:
        if (ctrl) ++topLeft.Y;
        else ++cur.Y;
        break;
    case VK_LEFT:
        if (ctrl) --topLeft.X;
        else if (FOptions & goRowSelect) --topLeft.X;
        else --cur.X;
        break;
    case VK_RIGHT:
        if (ctrl) ++topLeft.X;
        else if (FOptions & goRowSelect) ++topLeft.X;
        else ++cur.X;
        break;
    case VK_NEXT:
        if (ctrl) {
            cur.Y = LastVisible(true, true);
        } else {
            cur.Y += page;
            topLeft.Y += page;
        }
        break;
    case VK_PRIOR:
        if (ctrl) {
            cur.Y = FTopLeft.Y;
        } else {
            cur.Y -= page;
            topLeft.Y -= page;
        }
        break;
    case VK_HOME:
        if (ctrl || (FOptions & goRowSelect)) cur.Y = FFixedRows;
        if (!(FOptions & goRowSelect)) cur.X = FFixedCols;
        break;
    case VK_END:
        if (ctrl || (FOptions & goRowSelect)) cur.Y = lastRow;
        if (!(FOptions & goRowSelect)) cur.X = lastCol;
        break;
    case VK_TAB:
        if ((shift & ssAlt) || !(FOptions & goTabs)) {
            handled = false;
            break;
        }
        if (shift & ssShift) {
            if (--cur.X < FFixedCols) {
                cur.X = lastCol;
                if (--cur.Y < FFixedRows) cur.Y = lastRow;
            }
        } else if (++cur.X > lastCol) {
            cur.X = FFixedCols;
            if (++cur.Y > lastRow) cur.Y = FFixedRows;
        }
        break;
    case VK_F2:
        SetEditorMode(true);
        return;
    default: handled = false; break;
    }
    if (!handled) return;
    cur.X = std::clamp(cur.X, FFixedCols, lastCol);
    cur.Y = std::clamp(cur.Y, FFixedRows, lastRow);
    if (!(topLeft == FTopLeft)) {
        MoveTopLeft(topLeft.X, topLeft.Y);
        // Scrolling by Ctrl keeps the current cell in view.
        if (ctrl && key != VK_HOME && key != VK_END) {
            cur.Y = std::clamp(cur.Y, FTopLeft.Y, std::max(FTopLeft.Y, LastVisible(true, true)));
            cur.X = std::clamp(cur.X, FTopLeft.X, std::max(FTopLeft.X, LastVisible(false, true)));
        }
    }
    if (!(cur == FCurrent)) FocusCell(cur.X, cur.Y, !(shift & ssShift));
}

void TCustomGrid::WMChar(TWMChar& message) {
    // A typed character opens the editor and goes into it.
    const char32_t ch = message.CharCode;
    if ((FOptions & goEditing) && (ch == 8 || ch >= 32) && ch != 0x7F) {
        message.CharCode = 0;
        ShowEditorChar(ch);
        return;
    }
    TCustomControl::WMChar(message);
}

void TCustomGrid::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    if (!(FOptions & goAlwaysShowEditor) && key == U'\r') {
        if (FEditorMode) HideEditor();
        else ShowEditor();
        key = 0;
    }
}

void TCustomGrid::DoExit() {
    TCustomControl::DoExit();
    if (!(FOptions & goAlwaysShowEditor)) HideEditor();
}

void TCustomGrid::WMSetFocus(TWMFocus& message) {
    TCustomControl::WMSetFocus(message);
    if (!FInplaceEdit || message.FocusedWnd != FInplaceEdit) {
        SelectionMoved(TGridRect{-1, -1, -1, -1});
        InvalidateCell(FCurrent.X, FCurrent.Y);
        UpdateEdit();
    }
}

void TCustomGrid::WMKillFocus(TWMFocus& message) {
    TCustomControl::WMKillFocus(message);
    SelectionMoved(TGridRect{-1, -1, -1, -1});
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (FInplaceEdit && message.FocusedWnd != FInplaceEdit) FInplaceEdit->Hide();
}

