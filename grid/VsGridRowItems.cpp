// The grid's filter conditions, hidden row items and the hidden-row map.
#include "grid/VsGridRowItems.h"

#include <algorithm>
#include <iterator>

#include "platform/runtime/SysUtils.h"

// ---------------------------------------------------------------- TFilter

TFilter::~TFilter() = default;

TFilterData* TFilter::Items(int32_t Index) const {
    if (Index < 0 || Index >= Count()) throw EListError(FmtMsg(SysConst::SListIndexError, Index));
    return FItems[static_cast<size_t>(Index)].get();
}

TFilterData* TFilter::Add() {
    FItems.push_back(std::make_unique<TFilterData>());
    return FItems.back().get();
}

TFilterData* TFilter::Add(int16_t Column, const std::string& Condition) {
    TFilterData* d = Add();
    d->SetColumn(Column);
    d->SetCondition(Condition);
    return d;
}

void TFilter::Delete(int32_t Index) {
    Items(Index);
    FItems.erase(FItems.begin() + Index);
}

void TFilter::Clear() { FItems.clear(); }

void TFilter::Assign(const TPersistent* Source) {
    const auto* f = dynamic_cast<const TFilter*>(Source);
    if (!f) {
        TPersistent::Assign(Source);
        return;
    }
    if (f == this) return;
    FItems.clear();
    for (const auto& d : f->FItems) Add(d->Column(), d->Condition());
}

// ---------------------------------------------------------------- TGridItem

void TGridItem::GetItems(TStrings& Items) const {
    Items.Clear();
    if (!FRow) return;
    for (int32_t i = 0; i < FRow->Count(); ++i) Items.AddObject(std::string(FRow->Text(i)), FRow->Object(i));
}

void TGridItem::SetItems(const TStrings* Items) {
    auto row = std::make_unique<TGridRow>();
    if (Items)
        for (int32_t i = 0; i < Items->Count(); ++i) {
            row->SetText(i, Items->Get(i));
            row->SetObject(i, Items->GetObject(i));
        }
    FRow = row->Empty() ? nullptr : std::move(row);
}

std::string_view TGridItem::Text(int32_t Col) const {
    return FRow ? FRow->Text(Col) : std::string_view();
}

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

void THiddenRows::VisibleRange(int32_t RealCount, int32_t FromReal, int32_t ToReal, std::vector<int32_t>& Display,
                               std::vector<int32_t>& Real) const {
    FromReal = std::max(0, FromReal);
    ToReal = std::min(ToReal, RealCount - 1);
    int32_t k = CountBelow(FromReal);
    for (int32_t r = FromReal; r <= ToReal; ++r) {
        if (k < Count() && Items(k).Idx() == r) {
            ++k;
            continue;
        }
        Display.push_back(r - k);
        Real.push_back(r);
    }
}
