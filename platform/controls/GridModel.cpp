#include "platform/controls/GridModel.h"

#include <algorithm>
#include <cstring>

namespace {
const std::string kEmpty;
}

// ---------------------------------------------------------------- TGridRow

const std::string& TGridRow::Text(int32_t col) const {
    if (col < 0 || col >= Count()) return kEmpty;
    return FTexts[static_cast<size_t>(col)];
}

TObject* TGridRow::Object(int32_t col) const {
    if (col < 0 || static_cast<size_t>(col) >= FObjects.size()) return nullptr;
    return FObjects[static_cast<size_t>(col)];
}

void TGridRow::Grow(int32_t count) {
    if (count <= Count()) return;
    // Rows fill from the left: room for a few more at once.
    if (FTexts.capacity() < static_cast<size_t>(count)) FTexts.reserve(std::max<size_t>(static_cast<size_t>(count), 2 * FTexts.capacity() + 8));
    FTexts.resize(static_cast<size_t>(count));
    if (!FObjects.empty()) FObjects.resize(static_cast<size_t>(count), nullptr);
}

void TGridRow::Trim() {
    while (!FTexts.empty() && !Used(FTexts.size() - 1)) {
        FTexts.pop_back();
        if (!FObjects.empty()) FObjects.pop_back();
    }
    if (FTexts.empty()) FObjects.clear();
}

void TGridRow::SetText(int32_t col, std::string text) {
    if (col < 0) return;
    if (col >= Count()) {
        if (text.empty()) return;
        Grow(col + 1);
    }
    const auto i = static_cast<size_t>(col);
    const bool was = Used(i);
    FTexts[i] = std::move(text);
    FUsed += static_cast<int32_t>(Used(i)) - static_cast<int32_t>(was);
    if (!Used(i)) Trim();
}

void TGridRow::SetObject(int32_t col, TObject* object) {
    if (col < 0) return;
    if (col >= Count()) {
        if (!object) return;
        Grow(col + 1);
    }
    if (FObjects.empty()) {
        if (!object) return;
        FObjects.assign(FTexts.size(), nullptr);
    }
    const auto i = static_cast<size_t>(col);
    const bool was = Used(i);
    FObjects[i] = object;
    FUsed += static_cast<int32_t>(Used(i)) - static_cast<int32_t>(was);
    if (!Used(i)) Trim();
}

void TGridRow::MoveCell(int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from == to) return;
    if (from >= Count() && to >= Count()) return;
    Grow(std::max(from, to) + 1);
    auto shift = [&](auto& v) {
        if (v.empty()) return;
        if (from < to) std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
        else std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
    };
    shift(FTexts);
    shift(FObjects);
    Trim();
}

void TGridRow::InsertCells(int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= Count()) return;
    FTexts.insert(FTexts.begin() + index, static_cast<size_t>(count), std::string());
    if (!FObjects.empty()) FObjects.insert(FObjects.begin() + index, static_cast<size_t>(count), nullptr);
}

void TGridRow::DeleteCells(int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= Count()) return;
    const int32_t last = std::min(Count(), index + count);
    for (int32_t i = index; i < last; ++i)
        if (Used(static_cast<size_t>(i))) --FUsed;
    FTexts.erase(FTexts.begin() + index, FTexts.begin() + last);
    if (!FObjects.empty()) FObjects.erase(FObjects.begin() + index, FObjects.begin() + last);
    Trim();
}

void TGridRow::Truncate(int32_t count) {
    DeleteCells(std::max(0, count), Count());
}

void TGridRow::AssignTexts(int32_t first, std::vector<std::string>& texts, bool clearRest) {
    if (first < 0) return;
    if (FTexts.empty() && first == 0) {
        // A new unit takes the texts' own storage.
        FTexts.swap(texts);
        texts.clear();
        if (FTexts.capacity() > FTexts.size() + FTexts.size() / 2 + 4) FTexts.shrink_to_fit();
        FUsed = static_cast<int32_t>(
            std::count_if(FTexts.begin(), FTexts.end(), [](const std::string& t) { return !t.empty(); }));
        Trim();
        return;
    }
    const auto n = static_cast<int32_t>(texts.size());
    if (first + n > Count()) Grow(first + n);
    for (int32_t i = 0; i < n; ++i) {
        const auto k = static_cast<size_t>(first + i);
        const bool was = Used(k);
        FTexts[k] = std::move(texts[static_cast<size_t>(i)]);
        FUsed += static_cast<int32_t>(Used(k)) - static_cast<int32_t>(was);
    }
    texts.clear();
    if (clearRest)
        for (auto k = static_cast<size_t>(first + n); k < FTexts.size(); ++k) {
            if (FTexts[k].empty()) continue;
            FTexts[k].clear();
            if (!Used(k)) --FUsed;
        }
    Trim();
}

// ---------------------------------------------------------------- TGridModel

TGridModel::TGridModel() = default;

TGridModel::~TGridModel() { Clear(); }

TGridModel::TGridModel(TGridModel&& other) noexcept : FRows(std::move(other.FRows)) { other.FRows.clear(); }

TGridModel& TGridModel::operator=(TGridModel&& other) noexcept {
    if (this != &other) {
        Clear();
        FRows = std::move(other.FRows);
        other.FRows.clear();
    }
    return *this;
}

void TGridModel::Free(size_t first, size_t last) {
    for (size_t i = first; i < last; ++i) {
        delete FRows[i];
        FRows[i] = nullptr;
    }
}

int32_t TGridModel::UnitCount() const {
    return static_cast<int32_t>(std::count_if(FRows.begin(), FRows.end(), [](const TGridRow* r) { return r != nullptr; }));
}

const std::string& TGridModel::Cell(int32_t col, int32_t row) const {
    const TGridRow* r = Row(row);
    return r ? r->Text(col) : kEmpty;
}

TObject* TGridModel::Object(int32_t col, int32_t row) const {
    const TGridRow* r = Row(row);
    return r ? r->Object(col) : nullptr;
}

const TGridRow* TGridModel::Row(int32_t row) const {
    if (row < 0 || row >= RowSlots()) return nullptr;
    return FRows[static_cast<size_t>(row)];
}

void TGridModel::Reach(int32_t row) {
    if (row >= RowSlots()) FRows.resize(static_cast<size_t>(row) + 1, nullptr);
}

void TGridModel::Prune(int32_t row) {
    TGridRow*& r = FRows[static_cast<size_t>(row)];
    if (r && r->Empty()) {
        delete r;
        r = nullptr;
    }
}

void TGridModel::SetCell(int32_t col, int32_t row, std::string text) {
    if (col < 0 || row < 0) return;
    if (text.empty() && !Row(row)) return;
    Reach(row);
    TGridRow*& r = FRows[static_cast<size_t>(row)];
    if (!r) r = new TGridRow();
    r->SetText(col, std::move(text));
    Prune(row);
}

void TGridModel::SetRowTexts(int32_t row, int32_t first, std::vector<std::string>& texts, bool clearRest) {
    if (row < 0 || first < 0) return;
    if (!Row(row) && std::all_of(texts.begin(), texts.end(), [](const std::string& t) { return t.empty(); })) {
        texts.clear();
        return;
    }
    Reach(row);
    TGridRow*& r = FRows[static_cast<size_t>(row)];
    if (!r) r = new TGridRow();
    r->AssignTexts(first, texts, clearRest);
    Prune(row);
}

void TGridModel::SetObject(int32_t col, int32_t row, TObject* object) {
    if (col < 0 || row < 0) return;
    if (!object && !Row(row)) return;
    Reach(row);
    TGridRow*& r = FRows[static_cast<size_t>(row)];
    if (!r) r = new TGridRow();
    r->SetObject(col, object);
    Prune(row);
}

void TGridModel::SetRowSlots(int32_t rows) {
    const auto n = static_cast<size_t>(std::max(0, rows));
    if (n < FRows.size()) Free(n, FRows.size());
    FRows.resize(n, nullptr);
}

void TGridModel::TruncateCols(int32_t cols) {
    for (int32_t i = 0; i < RowSlots(); ++i) {
        if (!FRows[static_cast<size_t>(i)]) continue;
        FRows[static_cast<size_t>(i)]->Truncate(cols);
        Prune(i);
    }
}

void TGridModel::Clear() {
    Free(0, FRows.size());
    FRows.clear();
}

void TGridModel::MoveRow(int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from == to) return;
    Reach(std::max(from, to));
    TGridRow** b = FRows.data();
    TGridRow* moved = b[from];
    if (from < to) std::memmove(b + from, b + from + 1, static_cast<size_t>(to - from) * sizeof(TGridRow*));
    else std::memmove(b + to + 1, b + to, static_cast<size_t>(from - to) * sizeof(TGridRow*));
    b[to] = moved;
}

void TGridModel::SwapRows(int32_t a, int32_t b) {
    if (a < 0 || b < 0 || a == b) return;
    Reach(std::max(a, b));
    std::swap(FRows[static_cast<size_t>(a)], FRows[static_cast<size_t>(b)]);
}

void TGridModel::InsertRows(int32_t index, int32_t count) {
    if (index < 0 || count <= 0) return;
    if (index > RowSlots()) FRows.resize(static_cast<size_t>(index), nullptr);
    FRows.insert(FRows.begin() + index, static_cast<size_t>(count), nullptr);
}

void TGridModel::DeleteRows(int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= RowSlots()) return;
    const int32_t last = std::min(RowSlots(), index + count);
    Free(static_cast<size_t>(index), static_cast<size_t>(last));
    FRows.erase(FRows.begin() + index, FRows.begin() + last);
}

std::vector<TGridRowPtr> TGridModel::TakeRows(int32_t index, int32_t count) {
    std::vector<TGridRowPtr> out;
    if (index < 0 || count <= 0) return out;
    out.resize(static_cast<size_t>(count));
    const int32_t last = std::min(RowSlots(), index + count);
    for (int32_t i = index; i < last; ++i) {
        out[static_cast<size_t>(i - index)].reset(FRows[static_cast<size_t>(i)]);
        FRows[static_cast<size_t>(i)] = nullptr;
    }
    if (index < last) FRows.erase(FRows.begin() + index, FRows.begin() + last);
    return out;
}

void TGridModel::PutRows(int32_t index, std::vector<TGridRowPtr> rows) {
    if (index < 0 || rows.empty()) return;
    if (index > RowSlots()) FRows.resize(static_cast<size_t>(index), nullptr);
    FRows.insert(FRows.begin() + index, rows.size(), nullptr);
    for (size_t i = 0; i < rows.size(); ++i) FRows[static_cast<size_t>(index) + i] = rows[i].release();
}

std::vector<TGridRowPtr> TGridModel::ExtractRows(const std::vector<int32_t>& rows) {
    std::vector<TGridRowPtr> out;
    out.reserve(rows.size());
    const size_t size = FRows.size();
    size_t next = 0;
    // The rows before the first one taken stay where they are; each stretch
    // between two taken rows moves down in one block.
    size_t write = next < rows.size() ? std::min(static_cast<size_t>(std::max(0, rows[0])), size) : size;
    size_t read = write;
    while (read < size) {
        if (next < rows.size() && rows[next] == static_cast<int32_t>(read)) {
            out.emplace_back(FRows[read++]);
            ++next;
            continue;
        }
        size_t end = next < rows.size() ? std::min(static_cast<size_t>(rows[next]), size) : size;
        if (end <= read) end = size;
        if (write != read) std::memmove(FRows.data() + write, FRows.data() + read, (end - read) * sizeof(TGridRow*));
        write += end - read;
        read = end;
    }
    FRows.resize(write);
    // Indexes beyond the store were empty rows.
    for (; next < rows.size(); ++next) out.emplace_back();
    return out;
}

void TGridModel::InsertRowsAt(const std::vector<int32_t>& positions, std::vector<TGridRowPtr> rows) {
    const size_t n = std::min(positions.size(), rows.size());
    if (n == 0) return;
    const size_t total = std::max(FRows.size() + n, static_cast<size_t>(std::max(0, positions[n - 1])) + 1);
    std::vector<TGridRow*> merged(total, nullptr);
    size_t next = 0;
    size_t read = 0;
    for (size_t i = 0; i < total; ++i) {
        if (next < n && positions[next] == static_cast<int32_t>(i)) merged[i] = rows[next++].release();
        else if (read < FRows.size()) merged[i] = FRows[read++];
    }
    FRows = std::move(merged);
}

void TGridModel::MoveCol(int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from == to) return;
    for (TGridRow* r : FRows)
        if (r) r->MoveCell(from, to);
}

void TGridModel::InsertCols(int32_t index, int32_t count) {
    for (TGridRow* r : FRows)
        if (r) r->InsertCells(index, count);
}

void TGridModel::DeleteCols(int32_t index, int32_t count) {
    for (int32_t i = 0; i < RowSlots(); ++i) {
        if (!FRows[static_cast<size_t>(i)]) continue;
        FRows[static_cast<size_t>(i)]->DeleteCells(index, count);
        Prune(i);
    }
}
