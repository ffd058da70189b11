#include "platform/controls/GridAxis.h"

#include <algorithm>

namespace {

// More lines that differ than this, and the sizes go dense: a line coming
// in between moves the list behind it.
constexpr int32_t kSparseMax = 1 << 16;

// Fenwick trees of running sums: node i (from 1) holds the values of the
// items (i - lowbit(i), i].
size_t LowBit(size_t i) { return i & (~i + 1); }

int64_t Prefix(const std::vector<int64_t>& tree, size_t items) {
    int64_t sum = 0;
    for (size_t i = items; i > 0; i -= LowBit(i)) sum += tree[i];
    return sum;
}

void Add(std::vector<int64_t>& tree, size_t item, int64_t delta) {
    for (size_t i = item + 1; i < tree.size(); i += LowBit(i)) tree[i] += delta;
}

// One more item at the end, without touching the nodes before.
void Append(std::vector<int64_t>& tree, int64_t value) {
    const size_t i = tree.size();
    tree.push_back(value + Prefix(tree, i - 1) - Prefix(tree, i - LowBit(i)));
}

// The nodes from the plain values in tree[1..].
void Build(std::vector<int64_t>& tree) {
    for (size_t i = 1; i < tree.size(); ++i) {
        const size_t parent = i + LowBit(i);
        if (parent < tree.size()) tree[parent] += tree[i];
    }
}

// Orders the list of lines against a line number, for lower_bound.
constexpr auto kBefore = [](const auto& line, int32_t i) { return line.Index < i; };

size_t Blocks(int32_t lines, int32_t block) { return (static_cast<size_t>(lines) + block - 1) / block; }

template <class T>
void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

}  // namespace

int32_t TGridAxis::SparseLimit() const { return std::min(kSparseMax, std::max(8, FCount / 4)); }

// ---------------------------------------------------------------- count and default

void TGridAxis::SetCount(int32_t count) {
    count = std::max(0, count);
    if (count == FCount) return;
    if (FDense && count > FCount) {
        // Growing by many lines can leave few that differ.
        FCount = count;
        if (FDiffering <= SparseLimit() / 4) {
            MakeSparse();
            return;
        }
        FSizes.resize(static_cast<size_t>(count), FDefault);
        if (FBlocksValid) AppendBlocks(Blocks(count, kBlock));
        return;
    }
    if (FDense) {
        const size_t cut = static_cast<size_t>(count);
        const size_t blockEnd = std::min(FSizes.size(), Blocks(count, kBlock) * kBlock);
        int64_t partial = 0;
        for (size_t i = cut; i < FSizes.size(); ++i) {
            if (FSizes[i] == FDefault) continue;
            --FDiffering;
            if (i < blockEnd) partial += static_cast<int64_t>(FSizes[i]) - FDefault;
        }
        if (FBlocksValid) {
            if (partial != 0) Add(FBlocks, cut / kBlock, -partial);
            FBlocks.resize(Blocks(count, kBlock) + 1);
        }
        FSizes.resize(cut);
        if (FSizes.capacity() / 4 > FSizes.size()) FSizes.shrink_to_fit();
        FCount = count;
        MaybeSparse();
        return;
    }
    FCount = count;
    while (!FLines.empty() && FLines.back().Index >= count) {
        if (FLines.back().Size != FDefault) --FDiffering;
        FLines.pop_back();
    }
    // The running sums of a list cut short stay right.
    if (FTreeValid) FTree.resize(FLines.size() + 1);
}

void TGridAxis::SetDefault(int32_t size) {
    FDefault = size;
    FDiffering = 0;
    FDense = false;
    Release(FLines);
    Release(FTree);
    FTreeValid = false;
    Release(FSizes);
    Release(FBlocks);
    FBlocksValid = false;
}

// ---------------------------------------------------------------- sizes

int32_t TGridAxis::Size(int32_t index) const {
    if (index < 0 || index >= FCount) return FDefault;
    if (FDense) return FSizes[static_cast<size_t>(index)];
    const auto it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    return it != FLines.end() && it->Index == index ? it->Size : FDefault;
}

void TGridAxis::SetSize(int32_t index, int32_t size) {
    if (index < 0 || index >= FCount) return;
    if (!FDense) {
        SetSparse(index, size);
        return;
    }
    SetDenseSize(index, size);
    if (size == FDefault) MaybeSparse();
}

void TGridAxis::SetSparse(int32_t index, int32_t size) {
    auto it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    if (it != FLines.end() && it->Index == index) {
        const int32_t old = it->Size;
        if (old == size) return;
        FDiffering += (size != FDefault ? 1 : 0) - (old != FDefault ? 1 : 0);
        it->Size = size;
        if (FTreeValid) Add(FTree, static_cast<size_t>(it - FLines.begin()), static_cast<int64_t>(size) - old);
        return;
    }
    if (size == FDefault) return;
    if (static_cast<int32_t>(FLines.size()) >= SparseLimit()) {
        Compact();
        if (FDiffering >= SparseLimit()) {
            MakeDense();
            SetDenseSize(index, size);
            return;
        }
        it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    }
    const bool atEnd = it == FLines.end();
    FLines.insert(it, TLine{index, size});
    ++FDiffering;
    if (atEnd && FTreeValid) Append(FTree, static_cast<int64_t>(size) - FDefault);
    else FTreeValid = false;
}

void TGridAxis::SetDenseSize(int32_t index, int32_t size) {
    int32_t& slot = FSizes[static_cast<size_t>(index)];
    const int32_t old = slot;
    if (old == size) return;
    FDiffering += (size != FDefault ? 1 : 0) - (old != FDefault ? 1 : 0);
    slot = size;
    if (FBlocksValid) Add(FBlocks, static_cast<size_t>(index / kBlock), static_cast<int64_t>(size) - old);
}

// ---------------------------------------------------------------- the two forms

void TGridAxis::MakeDense() {
    FSizes.assign(static_cast<size_t>(FCount), FDefault);
    for (const TLine& line : FLines) FSizes[static_cast<size_t>(line.Index)] = line.Size;
    Release(FLines);
    Release(FTree);
    FTreeValid = false;
    FBlocksValid = false;
    FDense = true;
}

void TGridAxis::MakeSparse() {
    FLines.clear();
    FLines.reserve(static_cast<size_t>(FDiffering));
    for (size_t i = 0; i < FSizes.size(); ++i)
        if (FSizes[i] != FDefault) FLines.push_back(TLine{static_cast<int32_t>(i), FSizes[i]});
    Release(FSizes);
    Release(FBlocks);
    FBlocksValid = false;
    FTreeValid = false;
    FDense = false;
}

void TGridAxis::MaybeSparse() {
    // Well below the limit, so that sizes going back and forth near it do
    // not change the form each time.
    if (FDense && FDiffering <= SparseLimit() / 4) MakeSparse();
}

void TGridAxis::Compact() {
    const size_t before = FLines.size();
    std::erase_if(FLines, [&](const TLine& line) { return line.Size == FDefault; });
    if (FLines.size() != before) FTreeValid = false;
}

void TGridAxis::BuildTree() const {
    FTree.assign(FLines.size() + 1, 0);
    for (size_t i = 0; i < FLines.size(); ++i) FTree[i + 1] = static_cast<int64_t>(FLines[i].Size) - FDefault;
    Build(FTree);
    FTreeValid = true;
}

void TGridAxis::BuildBlocks() const {
    FBlocks.assign(Blocks(FCount, kBlock) + 1, 0);
    for (size_t i = 0; i < FSizes.size(); ++i) FBlocks[i / kBlock + 1] += static_cast<int64_t>(FSizes[i]) - FDefault;
    Build(FBlocks);
    FBlocksValid = true;
}

void TGridAxis::AppendBlocks(size_t blocks) const {
    while (FBlocks.size() < blocks + 1) Append(FBlocks, 0);
}

// ---------------------------------------------------------------- places

int64_t TGridAxis::Offset(int32_t index) const {
    index = std::clamp(index, 0, FCount);
    int64_t sum = static_cast<int64_t>(index) * FDefault;
    if (FDiffering == 0) return sum;
    if (FDense) {
        if (!FBlocksValid) BuildBlocks();
        const size_t block = static_cast<size_t>(index / kBlock);
        sum += Prefix(FBlocks, block);
        // The lines of the last block, one by one.
        int64_t lines = 0;
        for (size_t i = block * kBlock; i < static_cast<size_t>(index); ++i) lines += FSizes[i];
        return sum + lines - static_cast<int64_t>(static_cast<size_t>(index) - block * kBlock) * FDefault;
    }
    if (!FTreeValid) BuildTree();
    const auto it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    return sum + Prefix(FTree, static_cast<size_t>(it - FLines.begin()));
}

// ---------------------------------------------------------------- lines moving

bool TGridAxis::DeleteLines(int32_t index, int32_t count) {
    index = std::max(0, index);
    if (count <= 0 || index >= FCount || FDiffering == 0) return false;
    const int32_t gone = std::min(count, FCount - index);
    bool changed = false;
    if (FDense) {
        const auto first = FSizes.begin() + index;
        changed = std::any_of(first, FSizes.end(), [&](int32_t s) { return s != FDefault; });
        FDiffering -= static_cast<int32_t>(std::count_if(first, first + gone, [&](int32_t s) { return s != FDefault; }));
        std::fill(std::move(first + gone, FSizes.end(), first), FSizes.end(), FDefault);
        FBlocksValid = false;
        MaybeSparse();
        return changed;
    }
    auto it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    auto write = it;
    for (; it != FLines.end(); ++it) {
        changed = changed || it->Size != FDefault;
        if (it->Index < index + gone) {
            if (it->Size != FDefault) --FDiffering;
            continue;
        }
        *write = TLine{it->Index - gone, it->Size};
        ++write;
    }
    // Lines only renumbered keep their running sums.
    if (write != FLines.end()) FTreeValid = false;
    FLines.erase(write, FLines.end());
    return changed;
}

bool TGridAxis::InsertLines(int32_t index, int32_t count) {
    index = std::max(0, index);
    if (count <= 0 || index >= FCount || FDiffering == 0) return false;
    const int32_t shift = std::min(count, FCount - index);
    bool changed = false;
    if (FDense) {
        const auto first = FSizes.begin() + index;
        changed = std::any_of(first, FSizes.end(), [&](int32_t s) { return s != FDefault; });
        FDiffering -=
            static_cast<int32_t>(std::count_if(FSizes.end() - shift, FSizes.end(), [&](int32_t s) { return s != FDefault; }));
        std::move_backward(first, FSizes.end() - shift, FSizes.end());
        std::fill(first, first + shift, FDefault);
        FBlocksValid = false;
        MaybeSparse();
        return changed;
    }
    auto it = std::lower_bound(FLines.begin(), FLines.end(), index, kBefore);
    for (auto at = it; at != FLines.end(); ++at) {
        changed = changed || at->Size != FDefault;
        at->Index += shift;
    }
    // Lines pushed past the end go; the running sums of the rest stay.
    while (!FLines.empty() && FLines.back().Index >= FCount) {
        if (FLines.back().Size != FDefault) --FDiffering;
        FLines.pop_back();
    }
    if (FTreeValid) FTree.resize(FLines.size() + 1);
    return changed;
}

bool TGridAxis::MoveLine(int32_t from, int32_t to) {
    if (from == to || from < 0 || to < 0 || from >= FCount || to >= FCount || FDiffering == 0) return false;
    const int32_t low = std::min(from, to), high = std::max(from, to);
    if (FDense) {
        const auto first = FSizes.begin() + low, last = FSizes.begin() + high + 1;
        if (std::all_of(first, last, [&](int32_t s) { return s == FDefault; })) return false;
        if (from < to) std::rotate(first, first + 1, last);
        else std::rotate(first, last - 1, last);
        if (FBlocksValid) {
            // Only the blocks the range touches change their sums.
            for (size_t b = static_cast<size_t>(low / kBlock); b <= static_cast<size_t>(high / kBlock); ++b) {
                int64_t sum = 0;
                const size_t end = std::min(FSizes.size(), (b + 1) * kBlock);
                for (size_t i = b * kBlock; i < end; ++i) sum += static_cast<int64_t>(FSizes[i]) - FDefault;
                Add(FBlocks, b, sum - (Prefix(FBlocks, b + 1) - Prefix(FBlocks, b)));
            }
        }
        return true;
    }
    const auto first = std::lower_bound(FLines.begin(), FLines.end(), low, kBefore);
    const auto last = std::lower_bound(first, FLines.end(), high + 1, kBefore);
    if (std::all_of(first, last, [&](const TLine& line) { return line.Size == FDefault; })) return false;
    const bool carried = from < to ? first->Index == from : (last - 1)->Index == from;
    for (auto it = first; it != last; ++it) it->Index += from < to ? -1 : 1;
    if (carried) {
        if (from < to) {
            std::rotate(first, first + 1, last);
            (last - 1)->Index = to;
        } else {
            std::rotate(first, last - 1, last);
            first->Index = to;
        }
        // A size came in between others: the sums are made again.
        if (last - first > 1) FTreeValid = false;
    }
    return true;
}

std::vector<int32_t> TGridAxis::TakeLines(const std::vector<int32_t>& lines) {
    std::vector<int32_t> taken(lines.size(), FDefault);
    if (lines.empty() || FDiffering == 0) return taken;
    size_t next = 0;
    if (FDense) {
        size_t write = 0;
        for (size_t read = 0; read < FSizes.size(); ++read) {
            if (next < lines.size() && lines[next] == static_cast<int32_t>(read)) {
                taken[next++] = FSizes[read];
                if (FSizes[read] != FDefault) --FDiffering;
            } else {
                FSizes[write++] = FSizes[read];
            }
        }
        std::fill(FSizes.begin() + static_cast<ptrdiff_t>(write), FSizes.end(), FDefault);
        FBlocksValid = false;
        MaybeSparse();
        return taken;
    }
    size_t write = 0;
    for (size_t read = 0; read < FLines.size(); ++read) {
        const TLine line = FLines[read];
        while (next < lines.size() && lines[next] < line.Index) ++next;
        if (next < lines.size() && lines[next] == line.Index) {
            taken[next] = line.Size;
            if (line.Size != FDefault) --FDiffering;
            continue;
        }
        FLines[write++] = TLine{line.Index - static_cast<int32_t>(next), line.Size};
    }
    if (write != FLines.size()) FTreeValid = false;
    FLines.resize(write);
    return taken;
}

void TGridAxis::PutLines(const std::vector<int32_t>& lines, const std::vector<int32_t>& sizes) {
    const size_t n = std::min(lines.size(), sizes.size());
    if (n == 0) return;
    if (FDense) {
        std::vector<int32_t> merged;
        merged.reserve(FSizes.size());
        size_t next = 0, read = 0;
        while (merged.size() < FSizes.size()) {
            if (next < n && lines[next] == static_cast<int32_t>(merged.size())) merged.push_back(sizes[next++]);
            else merged.push_back(FSizes[read++]);
        }
        FSizes = std::move(merged);
        FDiffering = static_cast<int32_t>(std::count_if(FSizes.begin(), FSizes.end(), [&](int32_t s) { return s != FDefault; }));
        FBlocksValid = false;
        MaybeSparse();
        return;
    }
    std::vector<TLine> merged;
    merged.reserve(FLines.size() + n);
    size_t next = 0;
    auto putUpTo = [&](int64_t place) {
        // The new lines before place.
        for (; next < n && lines[next] < place; ++next)
            if (sizes[next] != FDefault && lines[next] >= 0 && lines[next] < FCount) merged.push_back(TLine{lines[next], sizes[next]});
    };
    size_t passed = 0;
    for (const TLine& line : FLines) {
        if (line.Size == FDefault) continue;
        // An old line goes to the first place not taken by a new one.
        while (passed < n && lines[passed] <= line.Index + static_cast<int32_t>(passed)) ++passed;
        const int64_t place = static_cast<int64_t>(line.Index) + static_cast<int64_t>(passed);
        putUpTo(place);
        if (place >= FCount) break;
        merged.push_back(TLine{static_cast<int32_t>(place), line.Size});
    }
    putUpTo(FCount);
    FLines = std::move(merged);
    FDiffering = static_cast<int32_t>(FLines.size());
    FTreeValid = false;
    if (FDiffering > SparseLimit()) MakeDense();
}
