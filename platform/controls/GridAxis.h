// The sizes of the lines of one grid axis (column widths or row heights).
//
// Only the lines whose size differs from the default are kept, as a list of
// (line, size) sorted by line with running sums of the differences, so that
// a table of ten million rows of which a few differ costs a few bytes. When
// many lines differ (a quarter of them, or more than a list handles well)
// the sizes go dense: one size per line and running sums per block of
// lines. Either way the place of a line costs a few steps wherever it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TGridAxis {
public:
    explicit TGridAxis(int32_t defaultSize) : FDefault(defaultSize) {}

    int32_t Count() const { return FCount; }
    // New lines take the default; lines beyond the count are dropped.
    void SetCount(int32_t count);
    int32_t Default() const { return FDefault; }
    // Gives every line the new default.
    void SetDefault(int32_t size);

    // The size of a line; the default outside the count.
    int32_t Size(int32_t index) const;
    // Lines outside the count are ignored.
    void SetSize(int32_t index, int32_t size);
    // True while every line has the default.
    bool Uniform() const { return FDiffering == 0; }
    // The lines whose size differs from the default.
    int32_t Differing() const { return FDiffering; }
    // True while one size is held per line.
    bool Dense() const { return FDense; }

    // The sum of the sizes of lines 0 .. index - 1 (index clamped to 0..Count).
    int64_t Offset(int32_t index) const;
    // The sum of the sizes of lines first .. last - 1.
    int64_t Extent(int32_t first, int32_t last) const { return Offset(last) - Offset(first); }

    // The count stays in these; they return whether a size changed.
    // Every line from index on takes the size of the line count places
    // further, the default past the end: lines index .. index + count - 1 go.
    bool DeleteLines(int32_t index, int32_t count);
    // Every line from index + count on takes the size of the line count
    // places before; lines index .. index + count - 1 take the default.
    bool InsertLines(int32_t index, int32_t count);
    // The line from goes to to with its size; the lines between close up.
    bool MoveLine(int32_t from, int32_t to);
    // The lines given (ascending, within the count) go, the rest close up;
    // their sizes, in the same order.
    std::vector<int32_t> TakeLines(const std::vector<int32_t>& lines);
    // Lines of the sizes given come in at the places given (ascending, the
    // places they have afterwards); the others keep their order.
    void PutLines(const std::vector<int32_t>& lines, const std::vector<int32_t>& sizes);

private:
    struct TLine {
        int32_t Index;
        int32_t Size;
    };
    static constexpr int32_t kBlock = 32;

    int32_t SparseLimit() const;
    void MakeDense();
    void MakeSparse();
    void MaybeSparse();
    void Compact();
    void SetSparse(int32_t index, int32_t size);
    void SetDenseSize(int32_t index, int32_t size);
    void BuildTree() const;
    void BuildBlocks() const;
    void AppendBlocks(size_t blocks) const;

    int32_t FCount = 0;
    int32_t FDefault;
    // Lines of FLines or FSizes that differ from the default.
    int32_t FDiffering = 0;
    bool FDense = false;
    // Sparse: the lines that differ, by line; a line set back to the
    // default may stay in it until the list is next rewritten.
    std::vector<TLine> FLines;
    // Running sums of the differences from the default over FLines (a
    // Fenwick tree), rebuilt when first needed after a line came in between.
    mutable std::vector<int64_t> FTree;
    mutable bool FTreeValid = false;
    // Dense: one size per line, and running sums of the differences per
    // block of kBlock lines (a Fenwick tree over the blocks).
    std::vector<int32_t> FSizes;
    mutable std::vector<int64_t> FBlocks;
    mutable bool FBlocksValid = false;
};
