#include "grid/VsObj.h"

#include <cstdint>

int32_t TIntList::Items(int32_t Index) const {
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(TList::Items(Index))));
}

void TIntList::SetItems(int32_t Index, int32_t Value) {
    TList::SetItems(Index, reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(Value))));
    Changed();
}

void TIntList::Add(int32_t Value) {
    TList::Add(reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(Value))));
    Changed();
}

void TIntList::Changed() {
    if (OnChange) OnChange(this, FColumn, FRow);
}

void TSortIndexList::AddIndex(int32_t Column, bool Ascending) {
    uint32_t entry = static_cast<uint32_t>(Column);
    if (!Ascending) entry |= DescendingBit;
    Add(static_cast<int32_t>(entry));
}

int32_t TSortIndexList::FindIndex(int32_t Column) const {
    for (int32_t i = 0; i < Count(); ++i)
        if (ColumnOf(Items(i)) == ColumnOf(Column)) return i;
    return -1;
}

void TSortIndexList::ToggleIndex(int32_t Column) {
    int32_t i = FindIndex(Column);
    if (i < 0) return;
    SetItems(i, static_cast<int32_t>(static_cast<uint32_t>(Items(i)) ^ DescendingBit));
}
