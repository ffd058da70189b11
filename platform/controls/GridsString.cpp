// The grid's editor, and the draw and string grids: the events, and the
// cells in a GridModel with their row and column lists.
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "platform/controls/Grids.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* owner) : TCustomMaskEdit(owner, true) {
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetCtl3D(false);
    SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() {
    DetachWidget();
    if (FGrid && FGrid->FInplaceEdit == this) FGrid->FInplaceEdit = nullptr;
}

void TInplaceEdit::InternalMove(const TRect& loc, bool focus) {
    if (IsRectEmpty(loc)) {
        Hide();
        return;
    }
    SetBounds(loc.Left, loc.Top, loc.Width(), loc.Height());
    SetVisible(true);
    BringToFront();
    BoundsChanged();
    if (focus && FGrid && FGrid->Focused()) SetFocus();
}

void TInplaceEdit::Move(const TRect& loc) { InternalMove(loc, true); }

void TInplaceEdit::UpdateLoc(const TRect& loc) { InternalMove(loc, false); }

void TInplaceEdit::Hide() {
    if (!Visible()) return;
    // The grid takes the focus before the editor goes, so that it is no
    // exit of the grid.
    if (Focused() && FGrid && FGrid->CanFocus()) FGrid->SetFocus();
    SetVisible(false);
}

void TInplaceEdit::BoundsChanged() { SetEditRect(Rect(2, 2, Width() - 2, Height())); }

void TInplaceEdit::UpdateContents() {
    if (!FGrid) return;
    SetText("");
    SetEditMask(FGrid->GetEditMask(FGrid->Col(), FGrid->Row()));
    SetText(FGrid->GetEditText(FGrid->Col(), FGrid->Row()));
    SetMaxLength(FGrid->GetEditLimit());
}

void TInplaceEdit::Change() {
    TCustomMaskEdit::Change();
    // The user's change goes to the cell; text set by code does not.
    if (FGrid && !TextSetByCode()) FGrid->UpdateText();
}

bool TInplaceEdit::WantsKey(Word key, TShiftState shift) const {
    if (IsGridMoveKey(key)) return true;
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE: return true;
    case VK_TAB: return FGrid && (FGrid->Options() & goTabs);
    default: return false;
    }
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift) {
    if (!FGrid) {
        TCustomMaskEdit::KeyDown(key, shift);
        return;
    }
    TCustomGrid* grid = FGrid;
    const bool ctrl = (shift & ssCtrl) != 0;
    // With goAlwaysShowEditor, the caret at an end of the text walks on.
    const bool forward = (grid->Options() & goAlwaysShowEditor) != 0;
    const bool none = SelLength() == 0;
    const bool leftSide = none && SelStart() == 0;
    const bool rightSide = none && SelStart() == GetTextLen();
    bool toGrid = false;
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE: toGrid = true; break;
    case VK_INSERT:
        if ((shift & (ssShift | ssCtrl | ssAlt)) == 0) toGrid = true;
        else if (shift == ssShift && !grid->CanEditModify()) key = 0;
        break;
    case VK_LEFT:
    case VK_HOME: toGrid = forward && (ctrl || leftSide); break;
    case VK_RIGHT:
    case VK_END: toGrid = forward && (ctrl || rightSide); break;
    case VK_TAB: toGrid = !(shift & ssAlt); break;
    case VK_F2:
        if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
        if (key == VK_F2) {
            Deselect();
            key = 0;
        }
        return;
    case VK_DELETE:
        if (ctrl) toGrid = true;
        else if (!grid->CanEditModify()) key = 0;
        break;
    default: break;
    }
    if (toGrid) {
        grid->KeyDown(key, shift);
        key = 0;
        return;
    }
    if (key == 0) return;
    if (grid->OnKeyDown) grid->OnKeyDown(grid, key, shift);
    if (key != 0) TCustomMaskEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char32_t& key) {
    if (!FGrid) {
        TCustomMaskEdit::KeyPress(key);
        return;
    }
    QPointer<QWidget> alive(NativeWidget(this));
    FGrid->KeyPress(key);
    if (!alive || Detached()) {
        key = 0;
        return;
    }
    if (key >= 32 && !FGrid->CanEditAcceptKey(key)) {
        key = 0;
        QApplication::beep();
    }
    switch (key) {
    case U'\t':
    case 27: key = 0; break;
    case U'\r':
        if (SelStart() == 0 && SelLength() == GetTextLen()) Deselect();
        else SelectAll();
        key = 0;
        break;
    default:
        if ((key == 8 || key == 0x16 || key == 0x18 || key >= 32) && !FGrid->CanEditModify()) key = 0;
        break;
    }
    if (key != 0) TCustomMaskEdit::KeyPress(key);
}

void TInplaceEdit::KeyUp(Word& key, TShiftState shift) {
    if (FGrid) FGrid->KeyUp(key, shift);
    else TCustomMaskEdit::KeyUp(key, shift);
}

void TInplaceEdit::DblClick() {
    if (FGrid) FGrid->DblClick();
    else TCustomMaskEdit::DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    if (!FGrid) return TCustomMaskEdit::DoMouseWheel(shift, delta, pos);
    return FGrid->DoMouseWheel(shift, delta, FGrid->ScreenToClient(ClientToScreen(pos)));
}

// ---------------------------------------------------------------- TDrawGrid

TDrawGrid::TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

TDrawGrid::~TDrawGrid() { DetachWidget(); }

void TDrawGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) {
    if (OnDrawCell) OnDrawCell(this, col, row, rect, state);
}

bool TDrawGrid::SelectCell(int32_t col, int32_t row) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, col, row, can);
    return can;
}

std::string TDrawGrid::GetEditMask(int32_t col, int32_t row) {
    std::string value;
    if (OnGetEditMask) OnGetEditMask(this, col, row, value);
    return value;
}

std::string TDrawGrid::GetEditText(int32_t col, int32_t row) {
    std::string value;
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TDrawGrid::SetEditText(int32_t col, int32_t row, const std::string& value) {
    if (OnSetEditText) OnSetEditText(this, col, row, value);
}

void TDrawGrid::ColumnMoved(int32_t fromIndex, int32_t toIndex) {
    if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TDrawGrid::RowMoved(int32_t fromIndex, int32_t toIndex) {
    if (OnRowMoved) OnRowMoved(this, fromIndex, toIndex);
}

void TDrawGrid::TopLeftChanged() {
    TCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ---------------------------------------------------------------- TStringGrid

// One row or column of the grid as a string list.
class TStringGrid::TLineStrings : public TStrings {
public:
    TLineStrings(TStringGrid* grid, bool row, int32_t index) : FGrid(grid), FRow(row), FIndex(index) {}
    int32_t Count() const override { return FRow ? FGrid->ColCount() : FGrid->RowCount(); }
    std::string Get(int32_t i) const override {
        Check(i);
        return FRow ? FGrid->Cells(i, FIndex) : FGrid->Cells(FIndex, i);
    }
    void Put(int32_t i, const std::string& s) override {
        Check(i);
        if (FRow) FGrid->SetCells(i, FIndex, s);
        else FGrid->SetCells(FIndex, i, s);
    }
    TObject* GetObject(int32_t i) const override {
        Check(i);
        return FRow ? FGrid->Objects(i, FIndex) : FGrid->Objects(FIndex, i);
    }
    void PutObject(int32_t i, TObject* object) override {
        Check(i);
        if (FRow) FGrid->SetObjects(i, FIndex, object);
        else FGrid->SetObjects(FIndex, i, object);
    }
    // A line has as many entries as the grid: nothing can be inserted or
    // deleted; Add fills the first empty entry.
    void Insert(int32_t, const std::string&) override { throw EInvalidGridOperation(GridConst::SIndexOutOfRange); }
    void Delete(int32_t) override { throw EInvalidGridOperation(GridConst::SIndexOutOfRange); }
    int32_t Add(const std::string& s) override {
        for (int32_t i = 0; i < Count(); ++i)
            if (Get(i).empty()) {
                Put(i, s.empty() ? std::string(" ") : s);
                return i;
            }
        return -1;
    }
    int32_t AddObject(const std::string& s, TObject* object) override {
        const int32_t i = Add(s);
        if (i >= 0) PutObject(i, object);
        return i;
    }
    void Clear() override {
        for (int32_t i = 0; i < Count(); ++i) {
            Put(i, "");
            PutObject(i, nullptr);
        }
    }
    void Assign(const TPersistent* source) override {
        const auto* list = dynamic_cast<const TStrings*>(source);
        if (!list) {
            TStrings::Assign(source);
            return;
        }
        if (list == this) return;
        // Entries beyond the list keep what they hold.
        const int32_t n = std::min(Count(), list->Count());
        for (int32_t i = 0; i < n; ++i) {
            Put(i, list->Get(i));
            PutObject(i, list->GetObject(i));
        }
    }

private:
    void Check(int32_t i) const {
        if (i < 0 || i >= Count()) Error(SysConst::SListIndexError, i);
    }
    TStringGrid* FGrid;
    bool FRow;
    int32_t FIndex;
};

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) { FModel.SetRowSlots(RowCount()); }

TStringGrid::~TStringGrid() { DetachWidget(); }

std::string_view TStringGrid::CellText(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return {};
    return FModel.Cell(col, row);
}

TObject* TStringGrid::Objects(int32_t col, int32_t row) const {
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
    return FModel.Object(col, row);
}

void TStringGrid::SetCells(int32_t col, int32_t row, const std::string& text) {
    if (col < 0 || row < 0) return;
    if (FModel.Cell(col, row) == text) return;
    FModel.SetCell(col, row, text);
    CellChanged(col, row);
}

void TStringGrid::SetObjects(int32_t col, int32_t row, TObject* object) {
    if (col < 0 || row < 0) return;
    if (FModel.Object(col, row) == object) return;
    FModel.SetObject(col, row, object);
    CellChanged(col, row);
}

void TStringGrid::CellChanged(int32_t col, int32_t row) {
    InvalidateCell(col, row);
    if (FEditUpdate == 0 && col == InplaceCol() && row == InplaceRow()) InvalidateEditor();
}

TStrings* TStringGrid::Rows(int32_t row) {
    auto& slot = FRowLists[row];
    if (!slot) slot = std::make_unique<TLineStrings>(this, true, row);
    return slot.get();
}

TStrings* TStringGrid::Cols(int32_t col) {
    auto& slot = FColLists[col];
    if (!slot) slot = std::make_unique<TLineStrings>(this, false, col);
    return slot.get();
}

void TStringGrid::SetRows(int32_t row, const TStrings* list) { Rows(row)->Assign(list); }

void TStringGrid::SetCols(int32_t col, const TStrings* list) { Cols(col)->Assign(list); }

void TStringGrid::DrawCell(int32_t col, int32_t row, const TRect& rect, TGridDrawState state) {
    if (DefaultDrawing()) {
        TCanvas* canvas = Canvas();
        canvas->TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(col, row));
    }
    TDrawGrid::DrawCell(col, row, rect, state);
}

std::string TStringGrid::GetEditText(int32_t col, int32_t row) {
    std::string value = Cells(col, row);
    if (OnGetEditText) OnGetEditText(this, col, row, value);
    return value;
}

void TStringGrid::SetEditText(int32_t col, int32_t row, const std::string& value) {
    {
        ++FEditUpdate;
        struct Done {
            int32_t& N;
            ~Done() { --N; }
        } done{FEditUpdate};
        if (value != CellText(col, row)) SetCells(col, row, value);
    }
    TDrawGrid::SetEditText(col, row, value);
}

void TStringGrid::ColumnMoved(int32_t fromIndex, int32_t toIndex) {
    FModel.MoveCol(fromIndex, toIndex);
    TDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int32_t fromIndex, int32_t toIndex) {
    FModel.MoveRow(fromIndex, toIndex);
    TDrawGrid::RowMoved(fromIndex, toIndex);
}

void TStringGrid::SizeChanged(int32_t oldColCount, int32_t oldRowCount) {
    // What lies beyond a lowered count is gone; cells written beyond the
    // old count stay for a larger one.
    if (RowCount() < oldRowCount) FModel.SetRowSlots(RowCount());
    else if (FModel.RowSlots() < RowCount()) FModel.SetRowSlots(RowCount());
    if (ColCount() < oldColCount) FModel.TruncateCols(ColCount());
    TDrawGrid::SizeChanged(oldColCount, oldRowCount);
}
