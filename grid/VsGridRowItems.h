// The row pieces of the string grid that need no window: the filter
// conditions, the rows taken out of the grid (TGridItem) and the map of
// hidden rows between real and display indexes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/GridModel.h"
#include "platform/runtime/Classes.h"

class TVsStringGrid;

// One filter condition: the text of Column must match Condition (the
// condition language of MatchFilter).
class TFilterData : public TObject {
public:
    int16_t Column() const { return FColumn; }
    void SetColumn(int16_t Value) { FColumn = Value; }
    const std::string& Condition() const { return FCondition; }
    void SetCondition(const std::string& Value) { FCondition = Value; }

private:
    int16_t FColumn = 0;
    std::string FCondition;
};

// The grid's filter conditions, tested in order when FilterActive is set.
class TFilter : public TPersistent {
public:
    explicit TFilter(TVsStringGrid* Grid) : FGrid(Grid) {}
    ~TFilter() override;

    TVsStringGrid* Grid() const { return FGrid; }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // Raises EListError for an index outside the list.
    TFilterData* Items(int32_t Index) const;
    TFilterData* operator[](int32_t Index) const { return Items(Index); }
    TFilterData* Add();
    // A condition in one call.
    TFilterData* Add(int16_t Column, const std::string& Condition);
    void Delete(int32_t Index);
    void Clear();

    void Assign(const TPersistent* Source) override;

private:
    TVsStringGrid* FGrid;
    std::vector<std::unique_ptr<TFilterData>> FItems;
};

// A row taken out of the grid: its real index, its cells as the store's
// row unit (null when it held nothing) and its height.
class TGridItem {
public:
    TGridItem(int32_t Idx, TGridRowPtr Row, int32_t Height)
        : FIdx(Idx), FRow(std::move(Row)), FHeight(Height) {}

    int32_t Idx() const { return FIdx; }
    void SetIdx(int32_t Value) { FIdx = Value; }
    const TGridRow* Row() const { return FRow.get(); }
    TGridRowPtr TakeRow() { return std::move(FRow); }
    int32_t Height() const { return FHeight; }
    // The texts of the row, one entry per cell it holds.
    void GetItems(TStrings& Items) const;
    // The row's cells become the texts of the list.
    void SetItems(const TStrings* Items);
    std::string_view Text(int32_t Col) const;

private:
    int32_t FIdx;
    TGridRowPtr FRow;
    int32_t FHeight;
};

// The hidden rows, kept in the order of their real indexes, so that the
// real and display indexes convert in a few steps.
class THiddenRows {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TGridItem& Items(int32_t Index) const { return FItems[static_cast<size_t>(Index)]; }
    // Items with Idx below RealRow.
    int32_t CountBelow(int32_t RealRow) const;
    bool Contains(int32_t RealRow) const;
    // The display index that the real row has or would have.
    int32_t DisplayIndex(int32_t RealRow) const { return RealRow - CountBelow(RealRow); }
    // The real index of a display row.
    int32_t RealIndex(int32_t DisplayRow) const;

    // Adds items in the order of their Idx (none of them present yet).
    void Insert(std::vector<TGridItem> Items);
    // The rows of FromReal..ToReal (clipped to 0..RealCount - 1) that are
    // not hidden, with their display indexes; they stand together in view.
    void VisibleRange(int32_t RealCount, int32_t FromReal, int32_t ToReal, std::vector<int32_t>& Display,
                      std::vector<int32_t>& Real) const;
    // Takes out the items with FromReal <= Idx <= ToReal.
    std::vector<TGridItem> Take(int32_t FromReal, int32_t ToReal);
    std::vector<TGridItem> TakeAll();
    void Clear() { FItems.clear(); }

private:
    std::vector<TGridItem> FItems;
};
