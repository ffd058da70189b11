// Sorting the grid's rows: by one column, by the sort index list, or group
// by group under node rows, with the cell comparison of each column's sort
// style.
//
// A sort orders a list of row numbers and moves the rows (as units, with
// their heights and flags) once at the end. The comparison keys of a column
// (its style, numbers, dates, upper-cased or collation texts) are made once
// per sort, the first time the column is compared, so OnGetFormat is asked
// once per column and sort rather than on every comparison. Since no row
// moves before the order is known, a compare or format event that raises
// leaves the rows as they were.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

namespace {

int32_t Sign(double d) { return d > 0 ? 1 : d < 0 ? -1 : 0; }

int32_t Sign(int c) { return c > 0 ? 1 : c < 0 ? -1 : 0; }

// The style a column in styleAuto takes from a text.
TSortStyle AutoStyle(std::string_view S) {
    if (NumberClass(S) != ncOther) return styleNumber;
    const size_t slash = S.find('/');
    if (slash != std::string::npos && slash >= 1 && slash + 1 < S.size() && S[slash - 1] >= '0' &&
        S[slash - 1] <= '9' && S[slash + 1] >= '0' && S[slash + 1] <= '9')
        return styleDate;
    return styleText;
}

// A numeric cell's value: prefix and suffix dropped, for the grouped style
// the thousand separators too; False when it is no number.
bool NumberKey(std::string S, const std::string& Prefix, const std::string& Suffix, bool Grouped, double& Value) {
    if (!Prefix.empty())
        if (size_t p = S.find(Prefix); p != std::string::npos) S.erase(p, Prefix.size());
    if (!Suffix.empty())
        if (size_t p = S.find(Suffix); p != std::string::npos) S.erase(p, Suffix.size());
    const TFormatSettings& fs = FormatSettings();
    if (Grouped) S.erase(std::remove(S.begin(), S.end(), fs.ThousandSeparator), S.end());
    if (fs.DecimalSeparator != '.')
        if (size_t p = S.find(fs.DecimalSeparator); p != std::string::npos) S[p] = '.';
    if (S.empty()) {
        Value = 0;
        return true;
    }
    long double v;
    if (!TryStrToFloat(S, v, '.')) return false;
    Value = static_cast<double>(v);
    return true;
}

// Day, month and year as ParseDateDMY reads them; False without two
// separators or with a piece that is no number.
bool DatePieces(const std::string& Text, int32_t& First, int32_t& Second, int32_t& Year, bool& TwoSeparators) {
    auto separator = [](const std::string& s) {
        for (char c : {'-', '/', '.'})
            if (size_t p = s.find(c); p != std::string::npos) return p;
        return std::string::npos;
    };
    TwoSeparators = false;
    const size_t p1 = separator(Text);
    if (p1 == std::string::npos) return false;
    const std::string rest = Text.substr(p1 + 1);
    const size_t p2 = separator(rest);
    if (p2 == std::string::npos) return false;
    TwoSeparators = true;
    if (!TryStrToInt(Text.substr(0, p1), First) || !TryStrToInt(rest.substr(0, p2), Second) ||
        !TryStrToInt(rest.substr(p2 + 1), Year))
        return false;
    Year += Year <= 25 ? 2000 : 1900;
    return true;
}

// The date of a D/M/Y or M/D/Y text; 0 without two separators; Valid False
// when it names no date.
TDateTime ParseDate(const std::string& Text, bool DayFirst, bool& Valid) {
    int32_t a = 0, b = 0, y = 0;
    bool two;
    Valid = DatePieces(Text, a, b, y, two);
    if (!two) {
        Valid = true;
        return 0;
    }
    TDateTime d = 0;
    if (Valid) Valid = TryEncodeDate(y, DayFirst ? b : a, DayFirst ? a : b, d);
    return d;
}

// A date cell's value; a text that is no date counts as 0.
double DateKey(TSortStyle Style, const std::string& S) {
    if (Style == styleDate) {
        TDateTime v;
        return TryStrToDateTime(S, v) ? v : 0;
    }
    bool valid;
    const TDateTime d = ParseDate(S, Style == styleDateDMY, valid);
    return valid ? d : 0;
}

// The collation key of a text in the process's locale (case folded for
// the case-insensitive style).
std::wstring CollationKey(std::string_view S, bool NoCase) {
    std::wstring wide;
    wide.reserve(S.size());
    for (size_t i = 0; i < S.size();) {
        auto c = static_cast<unsigned char>(S[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else if (c >= 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xC0) {
            len = 2;
            cp = c & 0x1F;
        }
        if (len > 1 && i + len <= S.size()) {
            for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(S[i + k]) & 0x3F);
        } else {
            len = 1;
            cp = c;
        }
        wchar_t w = static_cast<wchar_t>(cp);
        wide.push_back(NoCase ? static_cast<wchar_t>(std::towlower(static_cast<wint_t>(w))) : w);
        i += len;
    }
    const size_t n = std::wcsxfrm(nullptr, wide.c_str(), 0);
    std::wstring key(n, L'\0');
    std::wcsxfrm(key.data(), wide.c_str(), n + 1);
    return key;
}

// ---------------------------------------------------------------- the keys of one sort

// The keys of the rows Lo .. Lo + N - 1, made per column when first needed.
class TSortKeys {
public:
    TSortKeys(TVsStringGrid& Grid, int32_t Lo, int32_t N) : FGrid(Grid), FLo(Lo), FN(N) {}

    // CompareCells on the keys.
    int32_t Compare(int32_t Col, int32_t A, int32_t B) {
        TColumn& k = Column(Col);
        TSortStyle style = k.Style;
        if (k.Auto) style = static_cast<TSortStyle>(k.RowStyle[Index(A)]);
        const size_t a = Index(A), b = Index(B);
        switch (style) {
        case styleText:
        case styleTextCase: return Sign(Text(k, A).compare(Text(k, B)));
        case styleTextNoCase:
        case styleHTML: return Sign(k.Texts[a].compare(k.Texts[b]));
        case styleNumber:
        case styleNumberGrouped:
            if (!k.NumberOk[a] || !k.NumberOk[b]) return 0;
            return Sign(k.Numbers[a] - k.Numbers[b]);
        case styleDate:
        case styleDateDMY:
        case styleDateMDY: return Sign(k.Dates[a] - k.Dates[b]);
        case styleAnsiText:
        case styleAnsiTextNoCase: return Sign(k.Collation[a].compare(k.Collation[b]));
        case styleCustom: {
            int32_t res = 0;
            if (FGrid.OnCustomCompare) FGrid.OnCustomCompare(&FGrid, std::string(Text(k, A)), std::string(Text(k, B)), res);
            return res;
        }
        case styleRaw: {
            int32_t res = 0;
            if (FGrid.OnRawCompare) FGrid.OnRawCompare(&FGrid, k.Real, A, B, res);
            return res;
        }
        case styleGraphic:
            return k.Graphics[a] > k.Graphics[b] ? 1 : k.Graphics[a] == k.Graphics[b] ? 0 : -1;
        default: return 1;
        }
    }

private:
    struct TColumn {
        bool Built = false;
        int32_t Real = 0;
        TSortStyle Style = styleText;
        bool Auto = false;
        std::vector<uint8_t> RowStyle;
        std::vector<double> Numbers;
        std::vector<uint8_t> NumberOk;
        std::vector<double> Dates;
        std::vector<std::string> Texts;
        std::vector<std::wstring> Collation;
        std::vector<int64_t> Graphics;
    };

    size_t Index(int32_t Row) const { return static_cast<size_t>(Row - FLo); }
    std::string_view Text(const TColumn& k, int32_t Row) const { return FGrid.CellText(k.Real, Row); }

    TColumn& Column(int32_t Col) {
        if (Col >= static_cast<int32_t>(FColumns.size())) FColumns.resize(static_cast<size_t>(Col) + 1);
        TColumn& k = FColumns[static_cast<size_t>(Col)];
        if (!k.Built) Build(Col, k);
        return k;
    }

    void Build(int32_t Col, TColumn& k) {
        k.Real = FGrid.RealColIndex(Col);
        TSortStyle style = FGrid.SortAutoFormat() ? styleAuto : styleText;
        std::string prefix, suffix;
        FGrid.GetFormat(k.Real, style, prefix, suffix);
        k.Style = style;
        const size_t n = static_cast<size_t>(FN);
        // The styles the rows need keys of.
        bool need[15] = {};
        if (style == styleAuto) {
            k.Auto = true;
            k.RowStyle.resize(n);
            for (size_t i = 0; i < n; ++i) {
                k.RowStyle[i] = static_cast<uint8_t>(AutoStyle(Text(k, FLo + static_cast<int32_t>(i))));
                need[k.RowStyle[i]] = true;
            }
        } else if (style >= 0 && style < 15) {
            need[style] = true;
        }
        auto each = [&](auto&& Make) {
            for (size_t i = 0; i < n; ++i) Make(i, Text(k, FLo + static_cast<int32_t>(i)));
        };
        if (need[styleNumber] || need[styleNumberGrouped]) {
            const bool grouped = need[styleNumberGrouped];
            k.Numbers.resize(n);
            k.NumberOk.resize(n);
            each([&](size_t i, std::string_view s) { k.NumberOk[i] = NumberKey(std::string(s), prefix, suffix, grouped, k.Numbers[i]); });
        }
        for (TSortStyle d : {styleDate, styleDateDMY, styleDateMDY})
            if (need[d]) {
                k.Dates.resize(n);
                each([&](size_t i, std::string_view s) { k.Dates[i] = DateKey(d, std::string(s)); });
            }
        if (need[styleTextNoCase]) {
            k.Texts.resize(n);
            each([&](size_t i, std::string_view s) { k.Texts[i] = UpperCaseASCII(s); });
        }
        if (need[styleHTML]) {
            k.Texts.resize(n);
            each([&](size_t i, std::string_view s) { k.Texts[i] = StripHTMLTags(s); });
        }
        if (need[styleAnsiText] || need[styleAnsiTextNoCase]) {
            k.Collation.resize(n);
            const bool noCase = need[styleAnsiTextNoCase];
            each([&](size_t i, std::string_view s) { k.Collation[i] = CollationKey(s, noCase); });
        }
        if (need[styleGraphic]) {
            k.Graphics.resize(n);
            for (size_t i = 0; i < n; ++i) k.Graphics[i] = FGrid.GetGraphicValue(k.Real, FLo + static_cast<int32_t>(i));
        }
        k.Built = true;
    }

    TVsStringGrid& FGrid;
    int32_t FLo;
    int32_t FN;
    std::vector<TColumn> FColumns;
};

// ---------------------------------------------------------------- ordering

// Orders P so that no element stands after one it compares after
// (After(a, b): a sorts after b). Quicksort with a median-of-three pivot,
// scans held inside the range whatever the comparison answers, the smaller
// part first and the larger one looped, heapsort past a depth of twice the
// logarithm; short ranges by insertion.
template <class TAfter>
void OrderRows(std::vector<int32_t>& P, const TAfter& After) {
    using Index = ptrdiff_t;
    if (P.size() < 2) return;
    auto at = [&](Index i) -> int32_t& { return P[static_cast<size_t>(i)]; };
    auto heapSort = [&](Index lo, Index hi) {
        const Index n = hi - lo + 1;
        auto sift = [&](Index root, Index end) {
            for (;;) {
                Index child = 2 * root + 1;
                if (child >= end) return;
                if (child + 1 < end && After(at(lo + child + 1), at(lo + child))) ++child;
                if (!After(at(lo + child), at(lo + root))) return;
                std::swap(at(lo + root), at(lo + child));
                root = child;
            }
        };
        for (Index i = n / 2 - 1; i >= 0; --i) sift(i, n);
        for (Index end = n - 1; end > 0; --end) {
            std::swap(at(lo), at(lo + end));
            sift(0, end);
        }
    };
    auto insertion = [&](Index lo, Index hi) {
        for (Index i = lo + 1; i <= hi; ++i) {
            const int32_t x = at(i);
            Index j = i;
            for (; j > lo && After(at(j - 1), x); --j) at(j) = at(j - 1);
            at(j) = x;
        }
    };
    struct TRange {
        Index Lo, Hi;
        int Depth;
    };
    int depth = 2;
    for (size_t n = P.size(); n > 1; n >>= 1) depth += 2;
    std::vector<TRange> pending{{0, static_cast<Index>(P.size()) - 1, depth}};
    while (!pending.empty()) {
        TRange r = pending.back();
        pending.pop_back();
        while (r.Hi > r.Lo) {
            if (r.Hi - r.Lo < 16) {
                insertion(r.Lo, r.Hi);
                break;
            }
            if (r.Depth-- == 0) {
                heapSort(r.Lo, r.Hi);
                break;
            }
            int32_t a = at(r.Lo), b = at(r.Lo + (r.Hi - r.Lo) / 2), c = at(r.Hi);
            if (After(a, b)) std::swap(a, b);
            if (After(b, c)) std::swap(b, c);
            if (After(a, b)) std::swap(a, b);
            const int32_t pivot = b;
            Index i = r.Lo, j = r.Hi;
            do {
                while (i < r.Hi && After(pivot, at(i))) ++i;
                while (j > r.Lo && After(at(j), pivot)) --j;
                if (i <= j) {
                    std::swap(at(i), at(j));
                    ++i;
                    --j;
                }
            } while (i <= j);
            // Left r.Lo..j and right i..r.Hi, each smaller than the range:
            // the smaller one is sorted next, the larger one waits.
            TRange left{r.Lo, j, r.Depth}, right{i, r.Hi, r.Depth};
            if (left.Hi - left.Lo > right.Hi - right.Lo) std::swap(left, right);
            if (right.Hi > right.Lo) pending.push_back(right);
            r = left;
        }
    }
}

// The rows Lo..Hi in the order of Compare(a, b) (1: a sorts after b);
// nothing moves.
template <class TCompare>
std::vector<int32_t> RowOrder(int32_t Lo, int32_t Hi, const TCompare& Compare) {
    if (Hi <= Lo) return {};
    std::vector<int32_t> order(static_cast<size_t>(Hi - Lo + 1));
    for (size_t i = 0; i < order.size(); ++i) order[i] = Lo + static_cast<int32_t>(i);
    OrderRows(order, [&](int32_t a, int32_t b) { return Compare(a, b) == 1; });
    return order;
}

// The order of rows Lo..Hi by column Col and the following ones (SortFull),
// in the grid's sort direction.
std::vector<int32_t> ColumnOrder(TVsStringGrid& Grid, int32_t Col, int32_t Lo, int32_t Hi) {
    if (Hi <= Lo) return {};
    TSortKeys keys(Grid, Lo, Hi - Lo + 1);
    const int32_t dir = Grid.SortDirection() == sdDescending ? -1 : 1;
    const int32_t lastCol = Grid.ColCount() + Grid.HiddenColCount() - 2;
    const bool full = Grid.SortFull();
    return RowOrder(Lo, Hi, [&](int32_t a, int32_t b) {
        for (int32_t c = Col;; ++c) {
            const int32_t r = keys.Compare(c, a, b);
            if (r != 0 || !full || c > lastCol) return r * dir;
        }
    });
}

// Moves the rows from Lo on into Order (rows Lo.. as RowOrder gave them).
void MoveRowsToOrder(TVsStringGrid& Grid, int32_t Lo, const std::vector<int32_t>& order, int32_t& SortRow) {
    if (order.empty()) return;
    const size_t n = order.size();
    // The heights and the selection flags travel with their rows.
    std::vector<int32_t> heights(n);
    bool heightsDiffer = false;
    for (size_t i = 0; i < n; ++i) {
        heights[i] = Grid.RowHeights(order[i]);
        heightsDiffer = heightsDiffer || heights[i] != Grid.RowHeights(Lo + static_cast<int32_t>(i));
    }
    std::vector<uint8_t> flags;
    const bool disjunct = Grid.MouseActions()->DisjunctRowSelect();
    if (disjunct) {
        flags.resize(n);
        for (size_t i = 0; i < n; ++i) flags[i] = Grid.IsRowSelected(order[i]) ? 1 : 0;
    }
    std::vector<TGridRowPtr> rows = Grid.Model().TakeRows(Lo, static_cast<int32_t>(n));
    std::vector<TGridRowPtr> sorted(n);
    for (size_t i = 0; i < n; ++i) {
        sorted[i] = std::move(rows[static_cast<size_t>(order[i] - Lo)]);
        if (order[i] == SortRow) SortRow = Lo + static_cast<int32_t>(i);
    }
    Grid.Model().PutRows(Lo, std::move(sorted));
    if (heightsDiffer)
        for (size_t i = 0; i < n; ++i) Grid.SetRowHeights(Lo + static_cast<int32_t>(i), heights[i]);
    if (disjunct)
        for (size_t i = 0; i < n; ++i) Grid.SetRowSelected(Lo + static_cast<int32_t>(i), flags[i] != 0);
    Grid.Invalidate();
}

}  // namespace

// ---------------------------------------------------------------- comparisons

int32_t TVsStringGrid::CompareCells(int32_t Col, int32_t Row1, int32_t Row2) {
    const int32_t real = RealColIndex(Col);
    TSortStyle style = FSortAutoFormat ? styleAuto : styleText;
    std::string prefix, suffix;
    GetFormat(real, style, prefix, suffix);
    const std::string_view t1 = CellText(real, Row1);
    const std::string_view t2 = CellText(real, Row2);
    if (style == styleAuto) style = AutoStyle(t1);
    switch (style) {
    case styleText:
    case styleTextCase: return Sign(t1.compare(t2));
    case styleTextNoCase: return Sign(UpperCaseASCII(t1).compare(UpperCaseASCII(t2)));
    case styleHTML: return Sign(StripHTMLTags(t1).compare(StripHTMLTags(t2)));
    case styleAnsiText:
    case styleAnsiTextNoCase: {
        const bool noCase = style == styleAnsiTextNoCase;
        return Sign(CollationKey(t1, noCase).compare(CollationKey(t2, noCase)));
    }
    case styleNumber:
    case styleNumberGrouped: {
        double a, b;
        const bool grouped = style == styleNumberGrouped;
        if (!NumberKey(std::string(t1), prefix, suffix, grouped, a) || !NumberKey(std::string(t2), prefix, suffix, grouped, b))
            return 0;
        return Sign(a - b);
    }
    case styleDate:
    case styleDateDMY:
    case styleDateMDY: return Sign(DateKey(style, std::string(t1)) - DateKey(style, std::string(t2)));
    case styleCustom: {
        int32_t res = 0;
        if (OnCustomCompare) OnCustomCompare(this, std::string(t1), std::string(t2), res);
        return res;
    }
    case styleRaw: {
        int32_t res = 0;
        if (OnRawCompare) OnRawCompare(this, real, Row1, Row2, res);
        return res;
    }
    case styleGraphic: {
        const int64_t a = GetGraphicValue(real, Row1), b = GetGraphicValue(real, Row2);
        return a > b ? 1 : a == b ? 0 : -1;
    }
    default: return 1;
    }
}

int32_t TVsStringGrid::CompareRows(int32_t Col, int32_t Row1, int32_t Row2) {
    for (;; ++Col) {
        const int32_t r = CompareCells(Col, Row1, Row2);
        if (r != 0 || !FSortFull || Col > ColCount() + FHiddenColCount - 2) return r;
    }
}

int32_t TVsStringGrid::CompareRowsIndexed(int32_t Depth, int32_t Row1, int32_t Row2) {
    for (; Depth < FSortIndexes->Count(); ++Depth) {
        const int32_t e = FSortIndexes->Items(Depth);
        const int32_t r = CompareCells(TSortIndexList::ColumnOf(e), Row1, Row2);
        if (r != 0 || !FSortFull) return TSortIndexList::IsDescending(e) ? -r : r;
    }
    return 0;
}

TDateTime TVsStringGrid::ParseDateDMY(const std::string& Text) {
    bool valid;
    const TDateTime d = ParseDate(Text, true, valid);
    if (!valid) throw EConvertError(SysConst::SDateEncodeError);
    return d;
}

TDateTime TVsStringGrid::ParseDateMDY(const std::string& Text) {
    bool valid;
    const TDateTime d = ParseDate(Text, false, valid);
    if (!valid) throw EConvertError(SysConst::SDateEncodeError);
    return d;
}

// ---------------------------------------------------------------- sorting

void TVsStringGrid::QuickSortRows(int32_t Col, int32_t Lo, int32_t Hi) {
    MoveRowsToOrder(*this, Lo, ColumnOrder(*this, Col, Lo, Hi), FSortRow);
}

void TVsStringGrid::QuickSortRowsIndexed(int32_t Lo, int32_t Hi) {
    if (Hi <= Lo) return;
    TSortKeys keys(*this, Lo, Hi - Lo + 1);
    const std::vector<int32_t> order = RowOrder(Lo, Hi, [&](int32_t a, int32_t b) {
        for (int32_t d = 0; d < FSortIndexes->Count(); ++d) {
            const int32_t e = FSortIndexes->Items(d);
            const int32_t r = keys.Compare(TSortIndexList::ColumnOf(e), a, b);
            if (r != 0 || !FSortFull) return TSortIndexList::IsDescending(e) ? -r : r;
        }
        return 0;
    });
    MoveRowsToOrder(*this, Lo, order, FSortRow);
}

void TVsStringGrid::SwapRows(int32_t A, int32_t B) {
    if (A == B) return;
    Model().SwapRows(A, B);
    const int32_t ha = RowHeights(A), hb = RowHeights(B);
    if (ha != hb) {
        SetRowHeights(A, hb);
        SetRowHeights(B, ha);
    }
    if (FMouseActions->DisjunctRowSelect()) {
        const bool fa = IsRowSelected(A), fb = IsRowSelected(B);
        SetRowSelected(A, fb);
        SetRowSelected(B, fa);
    }
    if (FSortRow == A)
        FSortRow = B;
    else if (FSortRow == B)
        FSortRow = A;
    InvalidateRow(A);
    InvalidateRow(B);
}

void TVsStringGrid::RunSort(bool KeepColumn0, bool Validate, const std::function<void()>& Body) {
    RowsMoving();
    std::vector<std::string> column0;
    const bool keep = KeepColumn0 && FSortNormalCellsOnly && FixedCols() > 0;
    if (keep) {
        column0.reserve(static_cast<size_t>(RowCount()));
        for (int32_t r = 0; r < RowCount(); ++r) column0.push_back(Cells(0, r));
    }
    BeginPaintLock();
    // Whatever way the sort ends: column 0 back, the lock released.
    struct TFrame {
        TVsStringGrid& Grid;
        std::vector<std::string>& Column0;
        ~TFrame() {
            for (size_t r = 0; r < Column0.size(); ++r) Grid.SetCells(0, static_cast<int32_t>(r), Column0[r]);
            Grid.FSortRow = -1;
            Grid.EndPaintLock();
        }
    } frame{*this, column0};
    FSortRow = Row();
    Body();
    if (FSortRow != Row() && FSortRow >= FixedRows() && FSortRow < RowCount()) {
        const bool armed = FCellValidationArmed;
        if (!Validate) FCellValidationArmed = false;
        struct TArm {
            bool& Flag;
            bool Value;
            ~TArm() { Flag = Value; }
        } rearm{FCellValidationArmed, armed};
        SetRow(FSortRow);
    }
}

void TVsStringGrid::SortByColumn() {
    RunSort(true, false, [&] { QuickSortRows(FSortColumn, FixedRows(), RowCount() - FFixedFooters - 1); });
}

void TVsStringGrid::SortNodeGroups() {
    RunSort(true, true, [&] {
        const int32_t last = RowCount() - FFixedFooters - 1;
        int32_t r = FixedRows();
        if (r > last || !IsNodeRow(r)) return;
        // Every group is ordered before any row moves: an event that
        // raises in a later group leaves the earlier ones as they were.
        std::vector<std::pair<int32_t, std::vector<int32_t>>> orders;
        const int32_t nodes = NodeCount();
        for (int32_t k = 0; k < nodes && r <= last; ++k) {
            if (!IsNodeRow(r)) break;
            int32_t next = r + 1;
            while (next <= last && !IsNodeRow(next)) ++next;
            if (next - 1 - r >= 2) orders.emplace_back(r + 1, ColumnOrder(*this, FSortColumn, r + 1, next - 1));
            r = next;
        }
        for (const auto& [lo, order] : orders) MoveRowsToOrder(*this, lo, order, FSortRow);
    });
}

void TVsStringGrid::SortByIndex() {
    RunSort(false, false, [&] { QuickSortRowsIndexed(FixedRows(), RowCount() - FFixedFooters - 1); });
}
