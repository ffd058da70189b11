// The grid's scroll bars: the flat scroll bar look, proportional thumbs,
// the thumb-tracking hints, sizing all columns or rows together, and the
// sizing border test.
#include <algorithm>
#include <cstdlib>

#include "grid/VsGrid.h"
#include "platform/controls/FlatSB.h"

namespace {
bool HasBar(TScrollStyle Bars, int Bar) {
    return Bars == ssBoth || (Bar == SB_VERT ? Bars == ssVertical : Bars == ssHorizontal);
}
}  // namespace

// ---------------------------------------------------------------- the look

void TVsStringGrid::ApplyScrollType() {
    if (!FFlatScrollBarsActive) return;
    const intptr_t mode = FScrollType == ssFlat ? FSB_FLAT_MODE : FScrollType == ssEncarta ? FSB_ENCARTA_MODE
                                                                                           : FSB_REGULAR_MODE;
    FlatSB_SetScrollProp(this, WSB_PROP_VSTYLE, mode, true);
    FlatSB_SetScrollProp(this, WSB_PROP_HSTYLE, mode, true);
}

void TVsStringGrid::ApplyScrollColor() {
    if (!FFlatScrollBarsActive || FScrollColor == clNone) return;
    FlatSB_SetScrollProp(this, WSB_PROP_VBKGCOLOR, static_cast<intptr_t>(FScrollColor), true);
    FlatSB_SetScrollProp(this, WSB_PROP_HBKGCOLOR, static_cast<intptr_t>(FScrollColor), true);
}

void TVsStringGrid::ApplyScrollWidth() {
    if (!FFlatScrollBarsActive) return;
    FlatSB_SetScrollProp(this, WSB_PROP_CXVSCROLL, FScrollWidth, true);
    FlatSB_SetScrollProp(this, WSB_PROP_CYHSCROLL, FScrollWidth, true);
}

void TVsStringGrid::SetScrollType(TScrollType Value) {
    FScrollType = Value;
    ApplyScrollType();
}

void TVsStringGrid::SetScrollColor(TColor Value) {
    FScrollColor = Value;
    ApplyScrollColor();
}

void TVsStringGrid::SetScrollWidth(int32_t Value) {
    FScrollWidth = Value;
    ApplyScrollWidth();
}

void TVsStringGrid::SetScrollProportional(bool Value) {
    FScrollProportional = Value;
    if (Value) {
        FFlatScrollBarsActive = InitializeFlatSB(this);
        UpdateScrollBars();
    } else if (FFlatScrollBarsActive) {
        FFlatScrollBarsActive = false;
        UninitializeFlatSB(this);
        TScrollInfo page;
        page.Mask = SIF_PAGE;
        page.Page = 0;
        SetScrollInfo(SB_HORZ, page, true);
        SetScrollInfo(SB_VERT, page, true);
    }
}

// ---------------------------------------------------------------- thumbs

void TVsStringGrid::FlatShowScrollBar(int Bar, bool Show) {
    if (FFlatScrollBarsActive && HasBar(ScrollBars(), Bar)) FlatSB_ShowScrollBar(this, Bar, Show);
}

void TVsStringGrid::ProportionalThumb(int Bar) {
    if (!HasBar(ScrollBars(), Bar) || !FFlatScrollBarsActive) return;
    TScrollInfo info;
    info.Mask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    FlatSB_GetScrollInfo(this, Bar, info);
    if (info.Pos < 0 || info.Pos > 127) info.Pos = 0;
    info.Min = 0;
    info.Max = 127;
    const int32_t visible = Bar == SB_VERT ? VisibleRowCount() : VisibleColCount();
    const int32_t count = std::max(1, Bar == SB_VERT ? RowCount() : ColCount());
    info.Page = static_cast<int32_t>(Round(static_cast<long double>(visible) * 128 / count));
    FlatSB_SetScrollInfo(this, Bar, info, true);
}

void TVsStringGrid::UpdateVScrollBar() { ProportionalThumb(SB_VERT); }

void TVsStringGrid::UpdateHScrollBar() { ProportionalThumb(SB_HORZ); }

void TVsStringGrid::UpdateScrollBars() {
    ApplyScrollType();
    ApplyScrollColor();
    ApplyScrollWidth();
    if (VisibleRowCount() + FixedRows() < RowCount()) {
        FlatShowScrollBar(SB_VERT, true);
        UpdateVScrollBar();
    }
    if (VisibleColCount() + FixedCols() < ColCount()) {
        FlatShowScrollBar(SB_HORZ, true);
        UpdateHScrollBar();
    }
}

void TVsStringGrid::ShowFlatBarsForCounts() {
    if (!FFlatScrollBarsActive) return;
    FlatShowScrollBar(SB_VERT, VisibleRowCount() + FixedRows() < RowCount());
    UpdateVScrollBar();
    FlatShowScrollBar(SB_HORZ, VisibleColCount() + FixedCols() < ColCount());
    UpdateHScrollBar();
}

// ---------------------------------------------------------------- scrolling

void TVsStringGrid::ScrollHint(uint16_t Code, const char* Prefix, int32_t Line) {
    if (Code == SB_ENDSCROLL) {
        FHintWindow->ReleaseHandle();
        FScrollHintShowing = false;
        return;
    }
    if (Code != SB_THUMBTRACK) return;
    std::string text = Prefix + IntToStr(Line);
    if (OnScrollHint) OnScrollHint(this, Line, text);
    TRect r = FHintWindow->CalcHintRect(100, text);
    const TPoint mouse = GetCursorPos();
    r = Rect(r.Left + mouse.X + 10, r.Top + mouse.Y, r.Right + mouse.X + 10, r.Bottom + mouse.Y);
    FHintWindow->SetColor(FHintColor);
    FHintWindow->ActivateHint(r, text);
    FScrollHintShowing = true;
}

void TVsStringGrid::ScrollBarMessage(TWMScroll& Message, int Bar) {
    const bool vertical = Bar == SB_VERT;
    const int32_t count = vertical ? RowCount() : ColCount();
    const int32_t visible = vertical ? VisibleRowCount() : VisibleColCount();
    const int32_t fixed = vertical ? FixedRows() : FixedCols();
    if (FScrollHints == shBoth || FScrollHints == (vertical ? shVertical : shHorizontal))
        ScrollHint(Message.ScrollCode, vertical ? "Row : " : "Col : ", MulDiv(Message.Pos, count - visible - fixed, 127) + fixed);
    // A proportional thumb stops before 127: its last place stands for the
    // last line. (Both bars map back, so that the thumb reaches the end.)
    if (FFlatScrollBarsActive && Message.ScrollCode == SB_THUMBPOSITION) {
        const int32_t t = static_cast<int32_t>(Round(static_cast<long double>(visible) * 128 / std::max(1, count)));
        Message.Pos = static_cast<int32_t>(Round(static_cast<long double>(Message.Pos) * 127 / std::max(1, 128 - t)));
    }
    // A fixed background moves with the cells under it.
    const TBitmap* back = FBackGround->Bitmap();
    const bool fixedBack = !back->Empty() && FBackGround->Display() == bdFixed;
    auto corners = [&] {
        TRect cells{};
        MouseToCell(FBackGround->Left(), FBackGround->Top(), cells.Left, cells.Top);
        MouseToCell(FBackGround->Left() + back->Width(), FBackGround->Top() + back->Height(), cells.Right, cells.Bottom);
        return cells;
    };
    const TRect before = fixedBack ? corners() : TRect{};
    if (vertical) TStringGrid::WMVScroll(Message);
    else TStringGrid::WMHScroll(Message);
    if (fixedBack) {
        const TRect after = corners();
        if (Message.ScrollCode != SB_THUMBTRACK && !(before == after)) {
            InvalidateCellPair(before);
            InvalidateCellPair(after);
        }
    }
    ProportionalThumb(Bar);
    if (HasCheckBox(RealColIndex(Col()), Row())) HideEditor();
}

void TVsStringGrid::WMHScroll(TWMScroll& Message) { ScrollBarMessage(Message, SB_HORZ); }

void TVsStringGrid::WMVScroll(TWMScroll& Message) { ScrollBarMessage(Message, SB_VERT); }

// ---------------------------------------------------------------- sizing all lines

// After a line changed its size: while the mouse sizes one line with
// AllColumnSize or AllRowSize, every other normal line scales with it; the
// end of the sizing is told once.
void TVsStringGrid::LinesSized(bool Rows) {
    bool& flag = Rows ? FRowSizing : FColSizing;
    const int32_t sized = Rows ? FSizingRow : FSizingCol;
    const int32_t start = Rows ? FSizingRowHeight : FSizingColWidth;
    const bool all = Rows ? FMouseActions->AllRowSize() : FMouseActions->AllColumnSize();
    const bool sizing = flag;
    if (sizing && all && start > 0 && sized >= 0) {
        const int32_t now = Rows ? RowHeights(sized) : ColWidths(sized);
        // The other lines' changes come back here: not as sizing.
        flag = false;
        const int32_t first = Rows ? FixedRows() : FixedCols();
        const int32_t count = Rows ? RowCount() : ColCount();
        for (int32_t i = first; i < count; ++i) {
            if (i == sized) continue;
            const int32_t old = Rows ? RowHeights(i) : ColWidths(i);
            const int32_t size = static_cast<int32_t>(Round(static_cast<long double>(old) * now / start));
            if (Rows) SetRowHeights(i, size);
            else SetColWidths(i, size);
        }
    }
    if (sizing) {
        if (Rows && OnEndRowSize) OnEndRowSize(this, sized);
        if (!Rows && OnEndColumnSize) OnEndColumnSize(this, sized);
        FSizingCol = -1;
        FSizingRow = -1;
    }
    flag = false;
    if (HasCheckBox(RealColIndex(Col()), Row())) HideEditor();
}

void TVsStringGrid::ColWidthsChanged() {
    if (FStretchEnabled) StretchLastColumn();
    TStringGrid::ColWidthsChanged();
    FWidthsChanged = true;
    LinesSized(false);
}

void TVsStringGrid::RowHeightsChanged() {
    TStringGrid::RowHeightsChanged();
    LinesSized(true);
}

bool TVsStringGrid::IsOnSizingBorder(int32_t X, int32_t Y) const {
    int32_t col = -1, row = -1;
    MouseToCell(X, Y, col, row);
    const TRect r = CellRect(col, row);
    bool result = false;
    if (row <= FixedRows() && (Options() & goColSizing)) result = std::abs(X - r.Left) < 4 || std::abs(X - r.Right) < 4;
    if (col <= FixedCols() && (Options() & goRowSizing)) result = std::abs(Y - r.Top) <= 3 || std::abs(Y - r.Bottom) <= 3;
    return result;
}
