// Hidden rows, the row filter, nodes, the row selection flags and the
// queries on cell graphics. Hidden rows leave the cell store as whole row
// units and come back the same way, many in one pass.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

// ---------------------------------------------------------------- THiddenRows

int32_t THiddenRows::CountBelow(int32_t RealRow) const {
    auto it = std::lower_bound(FItems.begin(), FItems.end(), RealRow,
                               [](const TGridItem& item, int32_t row) { return item.Idx() < row; });
    return static_cast<int32_t>(it - FItems.begin());
}

bool THiddenRows::Contains(int32_t RealRow) const {
    const int32_t i = CountBelow(RealRow);
    return i < Count() && FItems[static_cast<size_t>(i)].Idx() == RealRow;
}

int32_t THiddenRows::RealIndex(int32_t DisplayRow) const {
    // Item k stands before the real row of DisplayRow when Idx - k, the
    // display place it would have, is at most DisplayRow; Idx - k never
    // falls from one item to the next.
    int32_t lo = 0, hi = Count();
    while (lo < hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (FItems[static_cast<size_t>(mid)].Idx() - mid <= DisplayRow) lo = mid + 1;
        else hi = mid;
    }
    return DisplayRow + lo;
}

void THiddenRows::Insert(std::vector<TGridItem> Items) {
    if (Items.empty()) return;
    if (FItems.empty() || FItems.back().Idx() < Items.front().Idx()) {
        FItems.insert(FItems.end(), std::make_move_iterator(Items.begin()), std::make_move_iterator(Items.end()));
        return;
    }
    std::vector<TGridItem> merged;
    merged.reserve(FItems.size() + Items.size());
    size_t a = 0, b = 0;
    while (a < FItems.size() || b < Items.size()) {
        if (b == Items.size() || (a < FItems.size() && FItems[a].Idx() < Items[b].Idx()))
            merged.push_back(std::move(FItems[a++]));
        else
            merged.push_back(std::move(Items[b++]));
    }
    FItems = std::move(merged);
}

std::vector<TGridItem> THiddenRows::Take(int32_t FromReal, int32_t ToReal) {
    const auto first = FItems.begin() + CountBelow(FromReal);
    const auto last = FItems.begin() + CountBelow(ToReal + 1);
    std::vector<TGridItem> out(std::make_move_iterator(first), std::make_move_iterator(last));
    FItems.erase(first, last);
    return out;
}

std::vector<TGridItem> THiddenRows::TakeAll() {
    std::vector<TGridItem> out = std::move(FItems);
    FItems.clear();
    return out;
}

// ---------------------------------------------------------------- hiding

void TVsStringGrid::HideRowsDeleting(int32_t, int32_t) {}
void TVsStringGrid::HideRowsRemoving(int32_t, int32_t) {}
void TVsStringGrid::HideRowList(const std::vector<int32_t>&) {}
void TVsStringGrid::UnhideRows(int32_t, int32_t) {}
void TVsStringGrid::UnhideAllRows() {}
void TVsStringGrid::HideDisplayRows(const std::vector<int32_t>&, const std::vector<int32_t>&, bool) {}
void TVsStringGrid::RestoreItems(std::vector<TGridItem>) {}
void TVsStringGrid::RestoreCurrent(int32_t, int32_t) {}
void TVsStringGrid::RowsChangedByHiding() {}

// ---------------------------------------------------------------- filter

bool TVsStringGrid::RowMatchesFilter(int32_t Row) {
    for (int32_t i = 0; i < FFilter->Count(); ++i) {
        const TFilterData* d = FFilter->Items(i);
        if (!MatchFilter(d->Condition(), Cells(d->Column(), Row))) return false;
    }
    return true;
}

void TVsStringGrid::ApplyFilter() {}

void TVsStringGrid::SetFilterActive(bool Value) { FFilterActive = Value; }

// ---------------------------------------------------------------- nodes

bool TVsStringGrid::IsNodeRow(int32_t DisplayRow) { return GetCellGraphicKind(0, DisplayRow) == cgNode; }
void TVsStringGrid::ContractNode(int32_t) {}
void TVsStringGrid::ExpandNode(int32_t) {}
int32_t TVsStringGrid::NodeCount() { return 0; }

// ---------------------------------------------------------------- row flags

bool TVsStringGrid::IsRowSelected(int32_t) { return false; }
void TVsStringGrid::SetRowSelected(int32_t, bool) {}
void TVsStringGrid::ClearRowSelection() {}
void TVsStringGrid::SelectRowsOfSelection() {}

// ---------------------------------------------------------------- cell graphics

TCellGraphic* TVsStringGrid::GetCellGraphic(int32_t ACol, int32_t ARow) const {
    if (!FEnableGraphics) return nullptr;
    return dynamic_cast<TCellGraphic*>(Objects(ACol, ARow));
}

uint8_t TVsStringGrid::GetCellGraphicKind(int32_t ACol, int32_t ARow) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g ? g->Kind : cgNone;
}

bool TVsStringGrid::HasCheckBox(int32_t ACol, int32_t ARow) const {
    const uint8_t k = GetCellGraphicKind(ACol, ARow);
    return k == cgCheckBox || k == cgDataCheckBox;
}
bool TVsStringGrid::HasCheckOrRadio(int32_t ACol, int32_t ARow) const {
    const uint8_t k = GetCellGraphicKind(ACol, ARow);
    return k == cgCheckBox || k == cgDataCheckBox || k == cgRadio;
}
bool TVsStringGrid::HasRadioGroup(int32_t ACol, int32_t ARow) const { return GetCellGraphicKind(ACol, ARow) == cgRadio; }
bool TVsStringGrid::HasButton(int32_t ACol, int32_t ARow) const { return GetCellGraphicKind(ACol, ARow) == cgButton; }
bool TVsStringGrid::GetCheckBoxState(int32_t, int32_t, bool&) const { return false; }
bool TVsStringGrid::ToggleCheckBox(int32_t, int32_t, bool) { return false; }
bool TVsStringGrid::GetRadioIndex(int32_t, int32_t, int32_t&) const { return false; }
void TVsStringGrid::SetGraphicState(int32_t, int32_t, bool) {}
bool TVsStringGrid::GetButtonRect(int32_t, int32_t, TRect&) const { return false; }
bool TVsStringGrid::GetGraphicText(int32_t, int32_t, std::string&) const { return false; }
TIntList* TVsStringGrid::GetImageIndexList(int32_t, int32_t) const { return nullptr; }
int64_t TVsStringGrid::GetGraphicValue(int32_t, int32_t) const { return -1; }
void TVsStringGrid::GetCellGraphicSize(int32_t, int32_t, int32_t& Width, int32_t& Height) {
    Width = 0;
    Height = 0;
}
