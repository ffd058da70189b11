#include "platform/controls/GridModel.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

// ---------------------------------------------------------------- TGridRow

namespace {

// A packed row's block: the head (the bytes moved by writes in the middle),
// the texts' bytes from the front, and the cells' end offsets (into the
// bytes) from the back, cell 0 last; between them room for appends. The
// offsets take 1, 2 or 4 bytes as the block is under 256 bytes, under 64 KB
// or larger. Its size and cell count are in the row, so that a read goes to
// the block only for the offsets and the text.
constexpr size_t kHead = sizeof(uint32_t);

using TLoose = std::vector<std::string>;

size_t Width(size_t cap) { return cap <= 0xFF ? 1 : cap <= 0xFFFF ? 2 : 4; }

struct TBlock {
    char* P;
    uint32_t N;
    uint32_t C;

    uint32_t Count() const { return N; }
    size_t Cap() const { return C; }
    size_t W() const { return Width(Cap()); }
    char* Bytes() const { return P + kHead; }
    char* Slot(size_t i) const { return P + Cap() - (i + 1) * W(); }
    // The offset in a slot of a given width.
    static size_t Get(const char* slot, size_t w) {
        if (w == 1) return static_cast<unsigned char>(*slot);
        if (w == 2) {
            uint16_t v;
            std::memcpy(&v, slot, 2);
            return v;
        }
        uint32_t v;
        std::memcpy(&v, slot, 4);
        return v;
    }
    static void Put(char* slot, size_t w, size_t end) {
        if (w == 1) {
            *slot = static_cast<char>(end);
        } else if (w == 2) {
            const auto v = static_cast<uint16_t>(end);
            std::memcpy(slot, &v, 2);
        } else {
            const auto v = static_cast<uint32_t>(end);
            std::memcpy(slot, &v, 4);
        }
    }
    size_t End(size_t i) const { return Get(Slot(i), W()); }
    void SetEnd(size_t i, size_t end) const { Put(Slot(i), W(), end); }
    size_t Start(size_t i) const { return i == 0 ? 0 : End(i - 1); }
    size_t Used() const { return Count() == 0 ? 0 : End(Count() - 1); }
    size_t Free() const { return Cap() - kHead - Used() - Count() * W(); }
    std::string_view Text(size_t i) const {
        const size_t cap = Cap(), w = Width(cap);
        const char* slot = P + cap - (i + 1) * w;
        const size_t s = i == 0 ? 0 : Get(slot + w, w);
        return {Bytes() + s, Get(slot, w) - s};
    }
};

TBlock Block(void* p, uint32_t count, uint32_t cap) { return {static_cast<char*>(p), count, cap}; }

uint32_t WorkOf(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void SetWorkOf(void* p, uint32_t v) { std::memcpy(p, &v, 4); }

// The least size of a block that has outgrown cap: a new block is exact (a
// row of one text stays small), one that grows takes room for more.
size_t Grown(size_t cap) { return cap == 0 ? 0 : std::max<size_t>(64, cap + cap / 2); }

// Copies n bytes; short texts (most cells) without a call, by loads of fixed
// sizes that overlap and stay inside both ranges.
inline void CopyText(char* d, const char* s, size_t n) {
    if (n > 16) {
        std::memcpy(d, s, n);
    } else if (n >= 8) {
        uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else if (n > 0) {
        d[0] = s[0];
        d[n / 2] = s[n / 2];
        d[n - 1] = s[n - 1];
    }
}

}  // namespace

TGridRow::~TGridRow() { Release(); }

void TGridRow::Release() {
    if (IsLoose()) delete static_cast<TLoose*>(FData);
    else ::operator delete(FData);
    FData = nullptr;
    FCount = 0;
    FCap = 0;
}

int32_t TGridRow::Count() const {
    if (IsLoose()) return static_cast<int32_t>(static_cast<const TLoose*>(FData)->size());
    return static_cast<int32_t>(FCount);
}

std::string_view TGridRow::Text(int32_t col) const {
    if (!FData || col < 0) return {};
    const auto c = static_cast<size_t>(col);
    if (IsLoose()) {
        const TLoose& v = *static_cast<const TLoose*>(FData);
        return c < v.size() ? std::string_view(v[c]) : std::string_view();
    }
    const TBlock b = Block(FData, FCount, FCap);
    return c < b.Count() ? b.Text(c) : std::string_view();
}

TObject* TGridRow::Object(int32_t col) const {
    if (!FObjects || col < 0 || static_cast<size_t>(col) >= FObjects->size()) return nullptr;
    return (*FObjects)[static_cast<size_t>(col)];
}

bool TGridRow::Used(int32_t i) const { return !Text(i).empty() || Object(i); }

void TGridRow::ResizeObjects(int32_t count) {
    if (!FObjects) return;
    if (count <= 0) FObjects.reset();
    else FObjects->resize(static_cast<size_t>(count), nullptr);
}

// Builds a new block of count cells whose texts text(i) gives (read from
// the old block, which goes only when the new one is whole), at least
// minCap bytes large.
template <class F>
void TGridRow::Pack(int32_t count, size_t minCap, F text) {
    if (count <= 0) {
        Release();
        return;
    }
    const auto n = static_cast<size_t>(count);
    size_t total = 0;
    for (size_t i = 0; i < n; ++i) total += text(i).size();
    // The offsets' width follows the block's size.
    size_t cap = std::max(kHead + total + n, minCap);
    if (Width(cap) > 1) cap = std::max(kHead + total + n * 2, minCap);
    if (Width(cap) > 2) cap = std::max(kHead + total + n * 4, minCap);
    if (cap > UINT32_MAX) throw std::length_error("grid row over 4 GB");
    char* p = static_cast<char*>(::operator new(cap));
    const TBlock b{p, static_cast<uint32_t>(n), static_cast<uint32_t>(cap)};
    // The count of bytes moved goes on with the new block.
    SetWorkOf(p, FData && !IsLoose() ? WorkOf(FData) : 0);
    const size_t w = Width(cap);
    char* slot = p + cap;
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
        const std::string_view t = text(i);
        CopyText(b.Bytes() + at, t.data(), t.size());
        at += t.size();
        slot -= w;
        TBlock::Put(slot, w, at);
    }
    Release();
    FData = p;
    FCount = b.N;
    FCap = b.C;
}

TGridRow::TGridRow(const TGridRow& other) {
    Pack(other.Count(), 0, [&](size_t i) { return other.Text(static_cast<int32_t>(i)); });
    if (other.FObjects) FObjects = std::make_unique<std::vector<TObject*>>(*other.FObjects);
}

void TGridRow::MakeLoose() {
    auto* loose = new TLoose(static_cast<size_t>(Count()));
    for (size_t i = 0; i < loose->size(); ++i) (*loose)[i] = Text(static_cast<int32_t>(i));
    Release();
    FData = loose;
}

void TGridRow::Grow(int32_t count) {
    const int32_t n = Count();
    if (count <= n) return;
    const TBlock b = Block(FData, FCount, FCap);
    if (IsLoose()) {
        static_cast<TLoose*>(FData)->resize(static_cast<size_t>(count));
    } else if (FData && b.Free() >= static_cast<size_t>(count - n) * b.W()) {
        const size_t used = b.Used();
        FCount = static_cast<uint32_t>(count);
        for (auto i = static_cast<size_t>(n); i < static_cast<size_t>(count); ++i) b.SetEnd(i, used);
    } else {
        Pack(count, Grown(FData ? b.Cap() : 0), [&](size_t i) { return Text(static_cast<int32_t>(i)); });
    }
    ResizeObjects(count);
}

void TGridRow::Trim() {
    int32_t n = Count();
    while (n > 0 && !Used(n - 1)) {
        if (IsLoose()) static_cast<TLoose*>(FData)->pop_back();
        else --FCount;
        --n;
    }
    if (n == 0) Release();
    ResizeObjects(n);
}

// A text at or beyond Count, after the texts: in the block's room when it
// fits, else in a larger block (Grown).
void TGridRow::Append(int32_t col, std::string_view text) {
    const auto n = static_cast<size_t>(Count());
    const auto c = static_cast<size_t>(col);
    const TBlock b = Block(FData, FCount, FCap);
    if (FData && b.Free() >= text.size() + (c + 1 - n) * b.W()) {
        const size_t used = b.Used();
        std::memcpy(b.Bytes() + used, text.data(), text.size());
        FCount = static_cast<uint32_t>(c + 1);
        for (size_t i = n; i < c; ++i) b.SetEnd(i, used);
        b.SetEnd(c, used + text.size());
    } else {
        Pack(col + 1, Grown(FData ? b.Cap() : 0), [&](size_t i) { return i == c ? text : Text(static_cast<int32_t>(i)); });
    }
    ResizeObjects(col + 1);
}

// A text of another length inside the block: the texts after it move. The
// bytes so moved are counted; past a budget of some times the block's size
// the row turns loose, so that filling a long row out of order stays linear.
void TGridRow::Patch(int32_t col, std::string_view text) {
    const TBlock b = Block(FData, FCount, FCap);
    const auto c = static_cast<size_t>(col);
    const size_t n = b.Count(), used = b.Used(), start = b.Start(c), end = b.End(c);
    const size_t cost = used - end + (n - c) * b.W() + text.size();
    const uint64_t work = static_cast<uint64_t>(WorkOf(FData)) + cost;
    SetWorkOf(FData, static_cast<uint32_t>(std::min<uint64_t>(work, UINT32_MAX)));
    if (work > 4096 + 16 * static_cast<uint64_t>(b.Cap())) {
        MakeLoose();
        (*static_cast<TLoose*>(FData))[c].assign(text);
        return;
    }
    if (text.size() > end - start && text.size() - (end - start) > b.Free()) {
        const size_t cap = b.Cap();
        Pack(static_cast<int32_t>(n), Grown(cap),
             [&](size_t i) { return i == c ? text : Text(static_cast<int32_t>(i)); });
        return;
    }
    const size_t newEnd = start + text.size();
    std::memmove(b.Bytes() + newEnd, b.Bytes() + end, used - end);
    std::memcpy(b.Bytes() + start, text.data(), text.size());
    for (size_t i = c; i < n; ++i) b.SetEnd(i, b.End(i) + newEnd - end);
}

void TGridRow::SetText(int32_t col, std::string_view text) {
    if (col < 0) return;
    if (col >= Count() && text.empty()) return;
    // A text read from this row would move under the write.
    std::string own;
    if (FData && !text.empty()) {
        const char* p = text.data();
        // (A loose row's strings move only when the row grows.)
        const bool inside = IsLoose() ? col >= Count()
                                   : p >= static_cast<const char*>(FData) &&
                                         p < static_cast<const char*>(FData) + Block(FData, FCount, FCap).Cap();
        if (inside) {
            own.assign(text);
            text = own;
        }
    }
    if (IsLoose()) {
        Grow(col + 1);
        (*static_cast<TLoose*>(FData))[static_cast<size_t>(col)].assign(text);
    } else if (col >= Count()) {
        Append(col, text);
        return;
    } else {
        const std::string_view old = Text(col);
        if (old.size() == text.size()) {
            if (!text.empty()) std::memcpy(const_cast<char*>(old.data()), text.data(), text.size());
            return;
        }
        if (text.empty() && col == Count() - 1 && !Object(col)) --FCount;
        else Patch(col, text);
    }
    if (text.empty()) Trim();
}

void TGridRow::SetObject(int32_t col, TObject* object) {
    if (col < 0) return;
    if (col >= Count()) {
        if (!object) return;
        Grow(col + 1);
    }
    if (!FObjects) {
        if (!object) return;
        FObjects = std::make_unique<std::vector<TObject*>>(static_cast<size_t>(Count()), nullptr);
    }
    (*FObjects)[static_cast<size_t>(col)] = object;
    if (!object) Trim();
}

void TGridRow::MoveCell(int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from == to) return;
    if (from >= Count() && to >= Count()) return;
    const int32_t m = std::max(Count(), std::max(from, to) + 1);
    // The cell that column i takes its content from.
    auto source = [&](int32_t i) {
        if (i == to) return from;
        if (from < to) return i >= from && i < to ? i + 1 : i;
        return i > to && i <= from ? i - 1 : i;
    };
    auto shift = [&](auto& v) {
        v.resize(static_cast<size_t>(m));
        if (from < to) std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
        else std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
    };
    if (IsLoose()) shift(*static_cast<TLoose*>(FData));
    else Pack(m, 0, [&](size_t i) { return Text(source(static_cast<int32_t>(i))); });
    if (FObjects) shift(*FObjects);
    Trim();
}

void TGridRow::InsertCells(int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= Count()) return;
    if (IsLoose()) {
        TLoose& v = *static_cast<TLoose*>(FData);
        v.insert(v.begin() + index, static_cast<size_t>(count), std::string());
    } else {
        Pack(Count() + count, 0, [&](size_t i) {
            const auto k = static_cast<int32_t>(i);
            return k < index ? Text(k) : k < index + count ? std::string_view() : Text(k - count);
        });
    }
    if (FObjects) FObjects->insert(FObjects->begin() + index, static_cast<size_t>(count), nullptr);
}

void TGridRow::DeleteCells(int32_t index, int32_t count) {
    if (index < 0 || count <= 0 || index >= Count()) return;
    const int32_t last = std::min(Count(), index + count), gone = last - index;
    if (IsLoose()) {
        TLoose& v = *static_cast<TLoose*>(FData);
        v.erase(v.begin() + index, v.begin() + last);
    } else {
        Pack(Count() - gone, 0, [&](size_t i) {
            const auto k = static_cast<int32_t>(i);
            return Text(k < index ? k : k + gone);
        });
    }
    if (FObjects) FObjects->erase(FObjects->begin() + index, FObjects->begin() + last);
    Trim();
}

void TGridRow::Truncate(int32_t count) {
    DeleteCells(std::max(0, count), Count());
}

void TGridRow::AssignTexts(int32_t first, std::vector<std::string>& texts, bool clearRest) {
    if (first < 0) return;
    const auto k = static_cast<int32_t>(texts.size());
    auto text = [&](int32_t i) -> std::string_view {
        if (i < first) return Text(i);
        if (i < first + k) return texts[static_cast<size_t>(i - first)];
        return clearRest ? std::string_view() : Text(i);
    };
    // Objects keep their cells when the rest is cleared.
    int32_t m = std::max(first + k, clearRest && !FObjects ? 0 : Count());
    while (m > 0 && text(m - 1).empty() && !Object(m - 1)) --m;
    Pack(m, 0, [&](size_t i) { return text(static_cast<int32_t>(i)); });
    if (FData && !IsLoose()) SetWorkOf(FData, 0);
    ResizeObjects(m);
    texts.clear();
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

std::string_view TGridModel::Cell(int32_t col, int32_t row) const {
    const TGridRow* r = Row(row);
    return r ? r->Text(col) : std::string_view();
}

TObject* TGridModel::Object(int32_t col, int32_t row) const {
    const TGridRow* r = Row(row);
    return r ? r->Object(col) : nullptr;
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

void TGridModel::SetCell(int32_t col, int32_t row, std::string_view text) {
    if (col < 0 || row < 0) return;
    if (text.empty() && !Row(row)) return;
    Reach(row);
    TGridRow*& r = FRows[static_cast<size_t>(row)];
    if (!r) r = new TGridRow();
    r->SetText(col, text);
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
