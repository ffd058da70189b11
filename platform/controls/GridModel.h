// The cell store and the line sizes of a grid, without widgets.
//
// A row is a unit that owns its texts and objects: moving, swapping,
// inserting, deleting and taking rows out move one pointer per row and never
// a text. A row that holds nothing is no unit at all (an empty slot), so a
// grid of 100,001 empty rows costs one pointer a row, and a row whose last
// text is cleared is given up.
//
// A row keeps its texts packed in one block: the cell count, the texts' bytes
// and their end offsets (1, 2 or 4 bytes as the block is under 256 bytes,
// under 64 KB or larger), so that a table costs little more than its text. A
// row that takes many writes in the middle turns loose (one string a cell) to
// keep each write cheap.
//
// The sizes of one axis (column widths or row heights) are in GridAxis.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TObject;

// ---------------------------------------------------------------- rows

class TGridRow {
public:
    TGridRow() = default;
    ~TGridRow();
    // A copy is packed, whatever the original is.
    TGridRow(const TGridRow& other);
    TGridRow& operator=(const TGridRow&) = delete;

    // Cells held; every cell at or beyond it is empty.
    int32_t Count() const;
    // True when no cell holds a text or an object.
    bool Empty() const { return Count() == 0; }
    // True while the texts are in one block (false once the row turned loose).
    bool Packed() const { return !IsLoose(); }

    // Valid until the row is next changed.
    std::string_view Text(int32_t col) const;
    TObject* Object(int32_t col) const;
    void SetText(int32_t col, std::string_view text);
    void SetObject(int32_t col, TObject* object);

    // Column operations on this row (cells beyond Count are empty).
    void MoveCell(int32_t from, int32_t to);
    void InsertCells(int32_t index, int32_t count);
    void DeleteCells(int32_t index, int32_t count);
    // Drops the cells at and beyond count.
    void Truncate(int32_t count);
    // Puts texts into the cells from column first on (texts is left
    // empty); with clearRest the texts beyond them are emptied (objects
    // stay). The row is packed afterwards.
    void AssignTexts(int32_t first, std::vector<std::string>& texts, bool clearRest);

private:
    template <class F>
    void Pack(int32_t count, size_t minCap, F text);
    void Grow(int32_t count);
    void Trim();
    void Release();
    void MakeLoose();
    void Append(int32_t col, std::string_view text);
    void Patch(int32_t col, std::string_view text);
    bool Used(int32_t i) const;
    void ResizeObjects(int32_t count);
    bool IsLoose() const { return FData && FCap == 0; }
    // The block (packed) or a std::vector<std::string> (loose, FCap 0); null
    // when the row holds no cells.
    void* FData = nullptr;
    // Null until the first object is set; then as long as Count.
    std::unique_ptr<std::vector<TObject*>> FObjects;
    // A packed row's cell count and block size.
    uint32_t FCount = 0;
    uint32_t FCap = 0;
};

using TGridRowPtr = std::unique_ptr<TGridRow>;

// ---------------------------------------------------------------- the store

// Rows by index; the store knows nothing of the grid's counts: a read
// outside what was written gives "" and null, and the grid decides which
// indexes exist.
class TGridModel {
public:
    TGridModel();
    ~TGridModel();
    TGridModel(TGridModel&& other) noexcept;
    TGridModel& operator=(TGridModel&& other) noexcept;
    TGridModel(const TGridModel&) = delete;
    TGridModel& operator=(const TGridModel&) = delete;

    // Row slots held (written rows and the grid's rows).
    int32_t RowSlots() const { return static_cast<int32_t>(FRows.size()); }
    // Rows that hold something (units that exist).
    int32_t UnitCount() const;

    // Valid until the row is next changed.
    std::string_view Cell(int32_t col, int32_t row) const;
    TObject* Object(int32_t col, int32_t row) const;
    // Negative indexes are ignored; an empty text without an object gives
    // the cell up (and the row, when it was the last thing in it).
    void SetCell(int32_t col, int32_t row, std::string_view text);
    void SetObject(int32_t col, int32_t row, TObject* object);
    // The unit of a row, or null when the row holds nothing.
    const TGridRow* Row(int32_t row) const {
        return row < 0 || row >= RowSlots() ? nullptr : FRows[static_cast<size_t>(row)];
    }
    // A line of texts in one step (TGridRow::AssignTexts): the fill path of
    // imports, which builds the row's block at once.
    void SetRowTexts(int32_t row, int32_t first, std::vector<std::string>& texts, bool clearRest);

    // Gives the store exactly rows slots: rows at and beyond are dropped,
    // new ones are empty.
    void SetRowSlots(int32_t rows);
    // Drops every cell at or beyond column cols.
    void TruncateCols(int32_t cols);
    void Clear();

    // Row operations (indexes below RowSlots; the store grows to reach them).
    void MoveRow(int32_t from, int32_t to);
    void SwapRows(int32_t a, int32_t b);
    void InsertRows(int32_t index, int32_t count);
    void DeleteRows(int32_t index, int32_t count);
    // Takes count rows out at index and hands them over (empty rows as
    // null), or puts rows in at index.
    std::vector<TGridRowPtr> TakeRows(int32_t index, int32_t count);
    void PutRows(int32_t index, std::vector<TGridRowPtr> rows);
    // In one pass: takes out the rows at the given indexes (ascending, each
    // once), or puts rows back so that they stand at the given indexes
    // (ascending, counted in the result).
    std::vector<TGridRowPtr> ExtractRows(const std::vector<int32_t>& rows);
    void InsertRowsAt(const std::vector<int32_t>& positions, std::vector<TGridRowPtr> rows);

    // Column operations over every row.
    void MoveCol(int32_t from, int32_t to);
    void InsertCols(int32_t index, int32_t count);
    void DeleteCols(int32_t index, int32_t count);

private:
    void Reach(int32_t row);
    void Prune(int32_t row);
    void Free(size_t first, size_t last);
    // Owned; null for an empty row. Plain pointers, so that moving rows is
    // moving memory.
    std::vector<TGridRow*> FRows;
};

// ---------------------------------------------------------------- line sizes

#include "platform/controls/GridAxis.h"  // IWYU pragma: export
