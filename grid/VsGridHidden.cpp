// Hidden rows, the row filter, nodes, the row selection flags and the
// queries on cell graphics. Hidden rows leave the cell store as whole row
// units and come back the same way, many in one pass.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

// ---------------------------------------------------------------- moving rows as units

namespace {
// The flags of Positions (ascending) leave Flags; the rest close up.
void CompactFlags(std::vector<int32_t>& Flags, const std::vector<int32_t>& Positions) {
    size_t next = 0, write = 0;
    for (size_t read = 0; read < Flags.size(); ++read) {
        if (next < Positions.size() && Positions[next] == static_cast<int32_t>(read)) {
            ++next;
        } else {
            Flags[write++] = Flags[read];
        }
    }
    Flags.resize(write);
}
}  // namespace

std::vector<TGridRowPtr> TVsStringGrid::TakeDisplayRows(const std::vector<int32_t>& Rows, std::vector<int32_t>& Heights,
                                                        bool KeepFlags) {
    if (Rows.empty()) return {};
    const int32_t count = RowCount();
    TGridAxis& heights = RowHeightAxis();
    const bool uniform = heights.Uniform();
    // The heights leave with their rows; the last lines keep the default
    // until the count drops them.
    Heights = heights.TakeLines(Rows);
    std::vector<TGridRowPtr> rows = Model().ExtractRows(Rows);
    if (KeepFlags && !FRowSelectFlags.empty()) {
        const std::vector<int32_t> flagged(
            Rows.begin(), std::lower_bound(Rows.begin(), Rows.end(), static_cast<int32_t>(FRowSelectFlags.size())));
        std::vector<int32_t> flags(FRowSelectFlags.begin(), FRowSelectFlags.end());
        CompactFlags(flags, flagged);
        FRowSelectFlags.assign(flags.begin(), flags.end());
    }
    SetRowCount(count - static_cast<int32_t>(Rows.size()));
    if (!uniform) RowHeightsChanged();
    return rows;
}

void TVsStringGrid::PutDisplayRows(const std::vector<int32_t>& Positions, std::vector<TGridRowPtr> Rows,
                                   const std::vector<int32_t>& Heights) {
    if (Positions.empty()) return;
    const int32_t count = RowCount();
    TGridAxis& heights = RowHeightAxis();
    const bool uniform =
        heights.Uniform() && std::all_of(Heights.begin(), Heights.end(), [&](int32_t h) { return h == DefaultRowHeight(); });
    Model().InsertRowsAt(Positions, std::move(Rows));
    if (MouseActions()->DisjunctRowSelect() && !FRowSelectFlags.empty()) {
        std::vector<uint8_t> flags;
        size_t next = 0, read = 0;
        while (read < FRowSelectFlags.size()) {
            if (next < Positions.size() && Positions[next] == static_cast<int32_t>(flags.size())) {
                flags.push_back(0);
                ++next;
            } else {
                flags.push_back(FRowSelectFlags[read++]);
            }
        }
        FRowSelectFlags = std::move(flags);
    }
    SetRowCount(std::max(count + static_cast<int32_t>(Positions.size()), Positions.back() + 1));
    if (!uniform) {
        // The new lines came in at the end; the heights go to their places.
        heights.PutLines(Positions, Heights);
        RowHeightsChanged();
    }
}

void TVsStringGrid::HideDisplayRows(const std::vector<int32_t>& DisplayRows, const std::vector<int32_t>& RealRows,
                                    bool KeepFlags) {
    // Rows beyond the grid are no rows; they cannot be hidden.
    std::vector<int32_t> display;
    std::vector<int32_t> real;
    for (size_t i = 0; i < DisplayRows.size(); ++i)
        if (DisplayRows[i] >= 0 && DisplayRows[i] < RowCount()) {
            display.push_back(DisplayRows[i]);
            real.push_back(RealRows[i]);
        }
    if (display.empty()) return;
    MoveRowsKeepingCurrent([&] {
        std::vector<int32_t> heights;
        std::vector<TGridRowPtr> rows = TakeDisplayRows(display, heights, KeepFlags);
        std::vector<TGridItem> items;
        items.reserve(display.size());
        for (size_t i = 0; i < display.size(); ++i) items.emplace_back(real[i], std::move(rows[i]), heights[i]);
        FHiddenRows.Insert(std::move(items));
    });
}

void TVsStringGrid::RestoreItems(std::vector<TGridItem> Items) {
    if (Items.empty()) return;
    MoveRowsKeepingCurrent([&] {
        // Each row goes back to the display place its real index has among
        // the rows that stay hidden.
        std::vector<int32_t> positions;
        std::vector<TGridRowPtr> rows;
        std::vector<int32_t> heights;
        positions.reserve(Items.size());
        rows.reserve(Items.size());
        heights.reserve(Items.size());
        for (TGridItem& item : Items) {
            positions.push_back(FHiddenRows.DisplayIndex(item.Idx()));
            rows.push_back(item.TakeRow());
            heights.push_back(item.Height());
        }
        PutDisplayRows(positions, std::move(rows), heights);
    });
}

void TVsStringGrid::MoveRowsKeepingCurrent(const std::function<void()>& Move) {
    RowsMoving();
    const int32_t keptRow = Row();
    const int32_t keptTop = TopRow();
    BeginPaintLock();
    struct Unlock {
        TVsStringGrid* G;
        ~Unlock() { G->EndPaintLock(); }
    } unlock{this};
    Move();
    RowsChangedByHiding();
    RestoreCurrent(keptRow, keptTop);
}

void TVsStringGrid::RowsMoving() {
    // The editors write their text back before any row moves.
    if (FEditorControlShowing) HideCurrentEditor();
    HideEditor();
}

void TVsStringGrid::RestoreCurrent(int32_t KeptRow, int32_t KeptTop) {
    if (KeptRow >= RowCount()) {
        KeptRow = FixedRows();
        KeptTop = FixedRows();
    }
    if (KeptRow != Row() && KeptRow >= FixedRows()) MoveCurrent(Col(), KeptRow, true, false);
    SetTopRow(KeptTop);
}

void TVsStringGrid::RowsChangedByHiding() {
    FNodeCountValid = false;
    Invalidate();
}

// ---------------------------------------------------------------- hiding


void TVsStringGrid::HideRowsDeleting(int32_t FromReal, int32_t ToReal) { HideRange(FromReal, ToReal, true); }

void TVsStringGrid::HideRowsRemoving(int32_t FromReal, int32_t ToReal) { HideRange(FromReal, ToReal, false); }

void TVsStringGrid::HideRange(int32_t FromReal, int32_t ToReal, bool Deleting) {
    if (IsHiddenRow(FromReal)) return;
    std::vector<int32_t> display, real;
    FHiddenRows.VisibleRange(RowCount() + HiddenRowCount(), FromReal, ToReal, display, real);
    if (display.empty()) return;
    // The rows in view of a real range stand together in the grid. They
    // leave through the grid's own row operations, so that a descendant
    // sees them go; the hidden items keep copies of their cells.
    RowsMoving();
    const int32_t at = display.front();
    const int32_t count = static_cast<int32_t>(display.size());
    std::vector<TGridItem> items;
    items.reserve(display.size());
    for (int32_t i = 0; i < count; ++i) {
        const TGridRow* row = Model().Row(at + i);
        items.emplace_back(real[static_cast<size_t>(i)], row ? std::make_unique<TGridRow>(*row) : nullptr,
                           RowHeights(at + i));
    }
    FHiddenRows.Insert(std::move(items));
    if (Deleting) DeleteRows(at, count);
    else RemoveRows(at, count);
    RowsChangedByHiding();
}

void TVsStringGrid::HideRowList(const std::vector<int32_t>& RealRows) {
    std::vector<int32_t> display, real;
    const int32_t realCount = RowCount() + HiddenRowCount();
    int32_t previous = -1;
    for (int32_t r : RealRows) {
        if (r <= previous || r < 0 || r >= realCount) continue;
        previous = r;
        if (IsHiddenRow(r)) continue;
        display.push_back(DisplayRowIndex(r));
        real.push_back(r);
    }
    HideDisplayRows(display, real, MouseActions()->DisjunctRowSelect());
}

void TVsStringGrid::UnhideRows(int32_t FromReal, int32_t ToReal) {
    if (!IsHiddenRow(FromReal)) return;
    std::vector<TGridItem> items = FHiddenRows.Take(FromReal, ToReal);
    // Each run of rows that come back together goes in through InsertRows,
    // at the place its first real index has among the rows still hidden.
    MoveRowsKeepingCurrent([&] {
        for (size_t first = 0; first < items.size();) {
            size_t last = first + 1;
            while (last < items.size() && items[last].Idx() == items[last - 1].Idx() + 1) ++last;
            const int32_t at = FHiddenRows.DisplayIndex(items[first].Idx());
            const int32_t count = static_cast<int32_t>(last - first);
            InsertRows(at, count);
            std::vector<TGridRowPtr> rows;
            rows.reserve(last - first);
            for (size_t i = first; i < last; ++i) rows.push_back(items[i].TakeRow());
            Model().TakeRows(at, count);
            Model().PutRows(at, std::move(rows));
            for (size_t i = first; i < last; ++i) {
                const int32_t r = at + static_cast<int32_t>(i - first);
                if (items[i].Height() != RowHeights(r)) SetRowHeights(r, items[i].Height());
            }
            first = last;
        }
    });
}

void TVsStringGrid::UnhideAllRows() { RestoreItems(FHiddenRows.TakeAll()); }

// ---------------------------------------------------------------- filter

bool TVsStringGrid::RowMatchesFilter(int32_t Row) {
    for (int32_t i = 0; i < FFilter->Count(); ++i) {
        const TFilterData* d = FFilter->Items(i);
        if (!MatchFilter(d->Condition(), CellText(d->Column(), Row))) return false;
    }
    return true;
}

void TVsStringGrid::ApplyFilter() {
    std::vector<int32_t> display, real;
    const int32_t end = RowCount() - FFixedFooters;
    for (int32_t r = FixedRows(); r < end; ++r)
        if (!RowMatchesFilter(r)) {
            display.push_back(r);
            real.push_back(RealRowIndex(r));
        }
    HideDisplayRows(display, real, false);
}

void TVsStringGrid::SetFilterActive(bool Value) {
    if (Value == FFilterActive) return;
    FFilterActive = Value;
    if (Value) {
        FFilterSavedFixedRows = FixedRows();
        FFilterAddedRow = false;
        const int32_t normal = RowCount() - FFixedFooters - FixedRows();
        const int32_t hiddenBefore = HiddenRowCount();
        ApplyFilter();
        if (normal - (HiddenRowCount() - hiddenBefore) > 0) return;
        // No row matches: one empty normal row stays, above the footers. A
        // grid that had to keep a row of its own has it already.
        if (RowCount() - FFixedFooters <= FFilterSavedFixedRows) {
            RowsMoving();
            std::vector<TGridRowPtr> empty(1);
            PutDisplayRows({std::max(0, RowCount() - FFixedFooters)}, std::move(empty), {DefaultRowHeight()});
        }
        FFilterAddedRow = true;
        if (FixedRows() != FFilterSavedFixedRows) SetFixedRows(FFilterSavedFixedRows);
        return;
    }
    // The empty row goes again, unless something was typed into it. It
    // goes after the hidden rows came back, at the place its real index
    // tells, so that the grid never runs out of rows on the way.
    const int32_t fixed = FixedRows();
    int32_t added = -1;
    if (FFilterAddedRow && RowCount() == fixed + FFixedFooters + 1) {
        const int32_t at = RowCount() - FFixedFooters - 1;
        const TGridRow* row = Model().Row(at);
        if (!row || row->Empty()) added = RealRowIndex(at);
    }
    FFilterAddedRow = false;
    FFilterSavedFixedRows = fixed;
    UnhideAllRows();
    if (added >= 0 && added < RowCount()) {
        RowsMoving();
        std::vector<int32_t> heights;
        TakeDisplayRows({added}, heights, MouseActions()->DisjunctRowSelect());
    }
    // Rows down to the fixed ones may have lowered the fixed count.
    if (FixedRows() != fixed && fixed < RowCount()) SetFixedRows(fixed);
}

// ---------------------------------------------------------------- nodes

bool TVsStringGrid::IsNodeRow(int32_t DisplayRow) { return GetCellGraphicKind(0, DisplayRow) == cgNode; }

namespace {
// The first node row below B, or Count.
int32_t NextNodeRow(TVsStringGrid& Grid, int32_t B) {
    for (int32_t r = B + 1; r < Grid.RowCount(); ++r)
        if (Grid.IsNodeRow(r)) return r;
    return Grid.RowCount();
}
}  // namespace

void TVsStringGrid::ContractNode(int32_t RealRow) {
    const int32_t b = DisplayRowIndex(RealRow);
    if (!IsNodeRow(b)) return;
    TCellGraphic* node = GetCellGraphic(0, b);
    node->State = true;
    int32_t end = node->Integer > 0 ? b + node->Integer : NextNodeRow(*this, b);
    // Footer rows stay.
    end = std::min(end, RowCount() - FFixedFooters);
    if (end <= b + 1) {
        RepaintCell(0, b);
        return;
    }
    HideRowsDeleting(RealRowIndex(b) + 1, RealRowIndex(end) - 1);
    RepaintCell(0, DisplayRowIndex(RealRow));
}

void TVsStringGrid::ExpandNode(int32_t RealRow) {
    const int32_t b = DisplayRowIndex(RealRow);
    if (!IsNodeRow(b)) return;
    TCellGraphic* node = GetCellGraphic(0, b);
    node->State = false;
    const int32_t end = node->Integer > 0 ? b + 1 : NextNodeRow(*this, b);
    const int32_t realEnd = end >= RowCount() ? RowCount() + HiddenRowCount() : RealRowIndex(end);
    UnhideRows(RealRowIndex(b) + 1, realEnd - 1);
    RepaintCell(0, DisplayRowIndex(RealRow));
}

int32_t TVsStringGrid::NodeCount() {
    if (!FEnableGraphics) return 0;
    if (!FNodeCountValid) {
        FNodeCount = 0;
        for (int32_t r = 0; r < RowCount(); ++r)
            if (dynamic_cast<TCellGraphic*>(Objects(0, r)) && IsNodeRow(r)) ++FNodeCount;
        FNodeCountValid = true;
    }
    return FNodeCount;
}

// ---------------------------------------------------------------- row flags

namespace {
void CheckRow(const TVsStringGrid& Grid, int32_t Row) {
    if (Row < 0 || Row >= Grid.RowCount()) throw EVsGridError(VsGridConst::SInvalidRow);
}
}  // namespace

bool TVsStringGrid::IsRowSelected(int32_t Row) {
    CheckRow(*this, Row);
    if (static_cast<int32_t>(FRowSelectFlags.size()) <= Row) FRowSelectFlags.resize(static_cast<size_t>(Row) + 1, 0);
    return FRowSelectFlags[static_cast<size_t>(Row)] == 1;
}

void TVsStringGrid::SetRowSelected(int32_t Row, bool Selected) {
    CheckRow(*this, Row);
    if (static_cast<int32_t>(FRowSelectFlags.size()) <= Row) FRowSelectFlags.resize(static_cast<size_t>(Row) + 1, 0);
    uint8_t& flag = FRowSelectFlags[static_cast<size_t>(Row)];
    const uint8_t wanted = Selected ? 1 : 0;
    if (flag == wanted) return;
    flag = wanted;
    InvalidateRow(Row);
}

void TVsStringGrid::ClearRowSelection() {
    for (size_t r = 0; r < FRowSelectFlags.size(); ++r)
        if (FRowSelectFlags[r]) {
            FRowSelectFlags[r] = 0;
            InvalidateRow(static_cast<int32_t>(r));
        }
}

void TVsStringGrid::SelectRowsOfSelection() {
    const TGridRect s = Selection();
    if (s.Top < 0 || s.Bottom < s.Top) return;
    for (int32_t r = s.Top; r <= std::min(s.Bottom, RowCount() - 1); ++r)
        if (!IsRowSelected(r)) SetRowSelected(r, true);
}

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

bool TVsStringGrid::GetCheckBoxState(int32_t ACol, int32_t ARow, bool& State) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return false;
    if (g->Kind == cgCheckBox) {
        State = g->State;
        return true;
    }
    if (g->Kind == cgDataCheckBox) {
        State = CellText(ACol, ARow) == FCheckTrueText;
        return true;
    }
    return false;
}

bool TVsStringGrid::ToggleCheckBox(int32_t ACol, int32_t ARow, bool AskEvent) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || (g->Kind != cgCheckBox && g->Kind != cgDataCheckBox)) return false;
    if (AskEvent) {
        bool canEdit = true;
        CanEditCell(ACol, ARow, canEdit);
        if (!canEdit) return false;
    }
    if (g->Kind == cgCheckBox) g->State = !g->State;
    else SetCells(ACol, ARow, Cells(ACol, ARow) == FCheckTrueText ? FCheckFalseText : FCheckTrueText);
    RepaintCell(DisplayColIndex(ACol), ARow);
    return true;
}

bool TVsStringGrid::GetRadioIndex(int32_t ACol, int32_t ARow, int32_t& Index) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || g->Kind != cgRadio) return false;
    Index = g->Integer;
    return true;
}

void TVsStringGrid::SetGraphicState(int32_t ACol, int32_t ARow, bool State) {
    TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return;
    g->State = State;
    RepaintCell(DisplayColIndex(ACol), ARow);
}

bool TVsStringGrid::GetButtonRect(int32_t ACol, int32_t ARow, TRect& Rect) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || g->Kind != cgButton) return false;
    const int32_t x = static_cast<int16_t>(g->Packed & 0xFFFF);
    const int32_t y = static_cast<int16_t>((g->Packed >> 16) & 0xFFFF);
    const int32_t w = g->Integer & 0xFFFF;
    const int32_t h = (g->Integer >> 16) & 0xFFFF;
    Rect = TRect{x, y, x + w, y + h};
    return true;
}

bool TVsStringGrid::GetGraphicText(int32_t ACol, int32_t ARow, std::string& Text) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g || g->Kind != cgComment) return false;
    const auto* list = dynamic_cast<const TStrings*>(g->First);
    Text = list ? list->Text() : std::string();
    const std::string& br = list ? list->LineBreak() : std::string();
    if (!br.empty() && Text.size() >= br.size() && Text.compare(Text.size() - br.size(), br.size(), br) == 0)
        Text.resize(Text.size() - br.size());
    return true;
}

TIntList* TVsStringGrid::GetImageIndexList(int32_t ACol, int32_t ARow) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    return g && g->Kind == cgImageList ? dynamic_cast<TIntList*>(g->First) : nullptr;
}

int64_t TVsStringGrid::GetGraphicValue(int32_t ACol, int32_t ARow) const {
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return -1;
    switch (g->Kind) {
    case cgBitmap: return static_cast<int64_t>(reinterpret_cast<intptr_t>(g->First));
    case cgIcon: return static_cast<int64_t>(reinterpret_cast<intptr_t>(g->Second));
    case cgImageList: return g->Integer;
    default: return -1;
    }
}

namespace {
// A picture of W x H fitted into a cell of A x B with margin M.
void FitPicture(uint8_t Mode, int32_t A, int32_t B, int32_t M, int32_t W, int32_t H, bool NoRoom, int32_t& Width,
                int32_t& Height) {
    auto scaled = [&] {
        const int32_t aw = A - M, ah = B - M;
        int32_t w = W, h = H;
        if (W > 0 && H > 0) {
            // The height that fits the width, else the width that fits the height.
            const double byWidth = static_cast<double>(aw) / W;
            const double byHeight = static_cast<double>(ah) / H;
            const double f = H * byWidth <= ah ? byWidth : byHeight;
            w = static_cast<int32_t>(Round(W * f));
            h = static_cast<int32_t>(Round(H * f));
        }
        Width = w <= 0 ? A : w;
        Height = h <= 0 ? B : h;
    };
    const bool larger = W > A || H > B;
    switch (Mode) {
    case 0:
        Width = NoRoom ? 0 : W;
        Height = H;
        break;
    case 1:
        Width = A - M;
        Height = B - M;
        break;
    case 2: scaled(); break;
    case 3:
        Width = larger ? A - M : W;
        Height = larger ? B - M : H;
        break;
    case 4:
        if (larger) scaled();
        else {
            Width = W;
            Height = H;
        }
        break;
    default:
        Width = 0;
        Height = 0;
        break;
    }
}
}  // namespace

void TVsStringGrid::GetCellGraphicSize(int32_t ACol, int32_t ARow, int32_t& Width, int32_t& Height) {
    Width = 0;
    Height = 0;
    const TCellGraphic* g = GetCellGraphic(ACol, ARow);
    if (!g) return;
    const bool beside = g->HorzPosition == 3 || g->HorzPosition == 4 || CellText(ACol, ARow).empty();
    switch (g->Kind) {
    case cgBitmap:
    case cgIcon: {
        const auto* graphic = dynamic_cast<const TGraphic*>(g->Kind == cgBitmap ? g->First : g->Second);
        if (!graphic) return;
        Width = beside ? graphic->Width() : 0;
        Height = graphic->Height();
        break;
    }
    case cgImageIndex:
        if (!FGridImages) return;
        Width = beside ? FGridImages->Width() : 0;
        Height = FGridImages->Height();
        break;
    case cgCheckBox:
    case cgDataCheckBox:
        Width = 15;
        Height = 15;
        break;
    case cgRadio: {
        TBitmap measure(1, 1);
        TCanvas* canvas = measure.Canvas();
        canvas->SetFont(Font());
        const auto* items = dynamic_cast<const TStrings*>(g->First);
        const int32_t n = items ? items->Count() : g->Mode;
        const int32_t lineHeight = canvas->TextHeight("gh");
        if (g->State) {
            for (int32_t i = 0; i < n; ++i) Width += (items ? canvas->TextWidth(items->Get(i)) : 0) + 12;
            Height = lineHeight;
        } else {
            Width = 12;
            for (int32_t i = 0; i < n; ++i) Width = std::max(Width, (items ? canvas->TextWidth(items->Get(i)) : 0) + 12);
            Height = lineHeight * n;
        }
        break;
    }
    case cgImageList: {
        const auto* list = dynamic_cast<const TIntList*>(g->First);
        if (!FGridImages || !list) return;
        const int32_t n = list->Count();
        Width = g->State ? n * FGridImages->Width() : FGridImages->Width();
        Height = g->State ? FGridImages->Height() : n * FGridImages->Height();
        break;
    }
    case cgPicture:
    case cgFilePicture: {
        int32_t w = 0, h = 0;
        if (const auto* picture = dynamic_cast<const TPicture*>(g->First)) {
            w = picture->Width();
            h = picture->Height();
        } else if (const auto* file = dynamic_cast<const TFilePicture*>(g->First)) {
            w = file->Width();
            h = file->Height();
        }
        const int32_t displayCol = DisplayColIndex(ACol);
        FitPicture(g->FitMode, ColWidths(displayCol), RowHeights(ARow), g->Integer, w, h, !beside, Width, Height);
        break;
    }
    case cgButton:
        Width = g->Integer & 0xFFFF;
        Height = (g->Integer >> 16) & 0xFFFF;
        break;
    default: break;
    }
}
