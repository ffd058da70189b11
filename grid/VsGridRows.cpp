// Row and column operations of the grid: removing, deleting and inserting
// rows and columns, clearing ranges with their cell graphics, and sizing
// the grid with its owner form.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

#include <algorithm>

namespace {

// Holds the grid's painting for a scope, released on every way out.
class TPaintLockScope {
public:
    explicit TPaintLockScope(TVsStringGrid& Grid) : FGrid(Grid) { FGrid.BeginPaintLock(); }
    ~TPaintLockScope() { FGrid.EndPaintLock(); }
    TPaintLockScope(const TPaintLockScope&) = delete;
    TPaintLockScope& operator=(const TPaintLockScope&) = delete;

private:
    TVsStringGrid& FGrid;
};

// Keeps the last column's width across a change of the column count.
class TLastWidthScope {
public:
    explicit TLastWidthScope(TVsStringGrid& Grid)
        : FGrid(Grid), FCol(Grid.ColCount() - 1), FWidth(Grid.ColWidths(Grid.ColCount() - 1)) {}
    ~TLastWidthScope() {
        if (FCol < FGrid.ColCount()) FGrid.SetColWidths(FCol, FWidth);
    }

private:
    TVsStringGrid& FGrid;
    int32_t FCol;
    int32_t FWidth;
};

}  // namespace

void TVsStringGrid::RemoveRows(int32_t Index, int32_t Count) {
    if (Count <= 0) return;
    TLastWidthScope width(*this);
    const int32_t keptRow = Row(), keptTop = TopRow();
    TPaintLockScope lock(*this);
    RowsMoving();
    Model().DeleteRows(Index, Count);
    if (RowHeightAxis().DeleteLines(Index, Count)) {
        // One notice for all the heights that moved.
        RowHeightsChanged();
        Invalidate();
    }
    SetRowCount(std::max(1, RowCount() - Count));
    if (keptRow < RowCount()) {
        SetRow(keptRow);
        SetTopRow(keptTop);
    } else if (FixedRows() < RowCount()) {
        SetRow(FixedRows());
        SetTopRow(FixedRows());
    }
}

void TVsStringGrid::DeleteRows(int32_t Index, int32_t Count) {
    if (Count <= 0) return;
    TLastWidthScope width(*this);
    TPaintLockScope lock(*this);
    const int32_t keptTop = TopRow(), keptRow = Row();
    RowsMoving();
    // The rows below move up with their heights, as the platform's
    // DeleteRow moves them, in one block.
    Count = std::min(Count, RowCount() - Index);
    if (Index < 0 || Count <= 0) return;
    Model().DeleteRows(Index, Count);
    if (RowHeightAxis().DeleteLines(Index, Count)) {
        RowHeightsChanged();
        Invalidate();
    }
    if (FMouseActions->DisjunctRowSelect() && Index < static_cast<int32_t>(FRowSelectFlags.size()))
        FRowSelectFlags.erase(FRowSelectFlags.begin() + Index,
                              FRowSelectFlags.begin() + std::min<size_t>(FRowSelectFlags.size(),
                                                                         static_cast<size_t>(Index + Count)));
    SetRowCount(RowCount() - Count);
    const int32_t lastData = RowCount() - FFixedFooters - 1;
    if (keptRow <= lastData) {
        SetRow(keptRow);
        SetTopRow(keptTop);
    } else if (lastData >= FixedRows()) {
        // Onto the last data row, never into a footer; without data rows
        // the current row stays where it is.
        SetRow(lastData);
    }
}

void TVsStringGrid::InsertRows(int32_t Index, int32_t Count) {
    if (Count <= 0 || Index < 0) return;
    TLastWidthScope width(*this);
    RowsMoving();
    const int32_t old = RowCount();
    SetRowCount(old + Count);
    // New rows come in empty: their object references are null, and the
    // objects of the rows below move down with them.
    Model().InsertRows(Index, Count);
    if (Model().RowSlots() > RowCount()) Model().SetRowSlots(RowCount());
    if (RowHeightAxis().InsertLines(Index, Count)) {
        RowHeightsChanged();
        Invalidate();
    }
    if (FMouseActions->DisjunctRowSelect() && Index < static_cast<int32_t>(FRowSelectFlags.size()))
        FRowSelectFlags.insert(FRowSelectFlags.begin() + Index, static_cast<size_t>(Count), 0);
    Invalidate();
}

void TVsStringGrid::RemoveCols(int32_t Index, int32_t Count) {
    if (Count <= 0) return;
    ClearCols(Index, Count);
    Model().DeleteCols(Index, Count);
    if (ColWidthAxis().DeleteLines(Index, Count)) {
        ColWidthsChanged();
        Invalidate();
    }
    SetColCount(std::max(1, ColCount() - Count));
    Invalidate();
}

void TVsStringGrid::InsertCols(int32_t Index, int32_t Count) {
    if (Count <= 0 || Index < 0) return;
    SetColCount(ColCount() + Count);
    Model().InsertCols(Index, Count);
    Model().TruncateCols(ColCount());
    if (ColWidthAxis().InsertLines(Index, Count)) {
        ColWidthsChanged();
        Invalidate();
    }
    Invalidate();
}

void TVsStringGrid::ClearRange(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
    if (Bottom < Top || Right < Left) return;
    for (int32_t r = Top; r <= Bottom; ++r)
        for (int32_t c = Left; c <= Right; ++c) {
            if (!Cells(c, r).empty()) SetCells(c, r, "");
            if (FEnableGraphics)
                if (auto* g = dynamic_cast<TCellGraphic*>(Objects(c, r))) {
                    SetObjects(c, r, nullptr);
                    delete g;
                }
        }
}

void TVsStringGrid::ClearRows(int32_t Index, int32_t Count) {
    if (RowCount() > 0 && ColCount() > 0 && Count > 0)
        ClearRange(0, Index, ColCount() + FHiddenColCount - 1, Index + Count - 1);
}

void TVsStringGrid::ClearCols(int32_t Index, int32_t Count) {
    if (RowCount() > 0 && ColCount() > 0 && Count > 0) ClearRange(Index, 0, Index + Count - 1, RowCount() - 1);
}

void TVsStringGrid::ClearAll() {
    if (RowCount() > 0 && ColCount() > 0) ClearRange(0, 0, ColCount() + FHiddenColCount - 1, RowCount() - 1);
}
