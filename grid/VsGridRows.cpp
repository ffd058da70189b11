// Row and column operations of the grid: removing, deleting and inserting
// rows and columns, clearing ranges with their cell graphics, and sizing
// the grid with its owner form.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

void TVsStringGrid::RemoveRows(int32_t Index, int32_t Count) {
    for (int32_t i = 0; i < Count && Index < RowCount(); ++i) DeleteRow(Index);
}

void TVsStringGrid::DeleteRows(int32_t Index, int32_t Count) {
    for (int32_t i = 0; i < Count && Index < RowCount(); ++i) DeleteRow(Index);
}

void TVsStringGrid::InsertRows(int32_t Index, int32_t Count) {
    if (Count <= 0) return;
    SetRowCount(RowCount() + Count);
    for (int32_t i = 0; i < Count; ++i) MoveRow(RowCount() - 1, Index);
}

void TVsStringGrid::RemoveCols(int32_t Index, int32_t Count) {
    for (int32_t i = 0; i < Count && Index < ColCount(); ++i) DeleteColumn(Index);
}

void TVsStringGrid::InsertCols(int32_t Index, int32_t Count) {
    if (Count <= 0) return;
    SetColCount(ColCount() + Count);
    for (int32_t i = 0; i < Count; ++i) MoveColumn(ColCount() - 1, Index);
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
