// The input side of the grid: validation of an edited cell, focus, the
// mouse, the keys, the wheel and panning, the half-second timer, hints and
// the sizing veto.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

// ---------------------------------------------------------------- validation

void TVsStringGrid::RememberEditCell(int32_t ACol, int32_t ARow) {
    FEditCellCol = ACol;
    FEditCellRow = ARow;
    FEditCellText = Cells(RealColIndex(ACol), ARow);
}

void TVsStringGrid::CellValueChanged(int32_t, int32_t) {}

bool TVsStringGrid::ValidateCell() {
    bool valid = true;
    const int32_t realCol = RealColIndex(FEditCellCol);
    const int32_t editRow = FEditCellRow;
    if (realCol >= 0 && editRow >= 0 && Cells(realCol, editRow) != FEditCellText) {
        CellValueChanged(realCol, editRow);
        std::string value = Cells(realCol, editRow);
        valid = true;
        if (OnCellValidate) OnCellValidate(this, realCol, editRow, value, valid);
        if (valid) {
            if (value != Cells(realCol, editRow)) SetCells(realCol, editRow, value);
        } else {
            const bool changed = value != Cells(realCol, editRow);
            SetCells(realCol, editRow, changed ? value : FEditCellText);
            if (FEditCellCol < ColCount() && editRow < RowCount()) {
                MoveCurrent(FEditCellCol, editRow, true, true);
                ShowEditor();
            }
            if (!changed && RealColIndex(Col()) != realCol) InvalidateEditor();
        }
    }
    RememberEditCell(Col(), Row());
    return valid;
}

// ---------------------------------------------------------------- focus and click

void TVsStringGrid::DoEnter() {
    if (FReturningFromEditor) return;
    try {
        TStringGrid::DoEnter();
        FCellValidationArmed = true;
        SelectCell(Col(), Row());
    } catch (...) {
        RememberEditCell(Col(), Row());
        throw;
    }
    RememberEditCell(Col(), Row());
}

void TVsStringGrid::DoExit() {
    if (FReturningFromEditor) return;
    if (FCellValidationArmed) ValidateCell();
    TStringGrid::DoExit();
}

void TVsStringGrid::Click() {
    try {
        TStringGrid::Click();
    } catch (...) {
        if (FCellValidationArmed) ValidateCell();
        RememberEditCell(Col(), Row());
        throw;
    }
    if (FCellValidationArmed) ValidateCell();
    RememberEditCell(Col(), Row());
}

// ---------------------------------------------------------------- messages

void TVsStringGrid::WndProc(TMessage& Message) {
    // The combo editor tells of its choice and of typing.
    if (Message.Msg == WM_COMMAND && OnComboChange) {
        const uint16_t code = static_cast<uint16_t>(HighWord(static_cast<intptr_t>(Message.WParam)));
        if (code == CBN_SELCHANGE) {
            const int32_t index = FCellCombo->ItemIndex();
            const std::string item =
                index >= 0 && index < FCellCombo->Items()->Count() ? FCellCombo->Items()->Get(index) : std::string();
            OnComboChange(this, Col(), Row(), index, item);
        } else if (code == CBN_EDITCHANGE) {
            OnComboChange(this, Col(), Row(), -1, FCellCombo->Text());
        }
    }
    TStringGrid::WndProc(Message);
}

void TVsStringGrid::Dispatch(TMessage& Message) { TStringGrid::Dispatch(Message); }

void TVsStringGrid::CalcSizingState(int32_t X, int32_t Y, TGridState& State, int32_t& Index, int32_t& SizingPos,
                                    int32_t& SizingOfs) {
    TStringGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
}

void TVsStringGrid::WMSetFocus(TWMFocus& Message) { TStringGrid::WMSetFocus(Message); }

void TVsStringGrid::WMSetCursor(TWMSetCursor& Message) { TStringGrid::WMSetCursor(Message); }

void TVsStringGrid::CMCursorChanged(TMessage& Message) { TStringGrid::CMCursorChanged(Message); }

void TVsStringGrid::CMHintShow(THintInfo& Info, intptr_t& Result) { TStringGrid::CMHintShow(Info, Result); }

void TVsStringGrid::WMLButtonDown(TWMMouse& Message) {
    // The sizing cell: the one left of (or above) a border the press may be
    // on, with its size at the start of a drag.
    const int32_t x = Message.XPos, y = Message.YPos;
    int32_t c = -1, r = -1;
    MouseToCell(x, y, c, r);
    int32_t sc = -1, sr = -1;
    if (r == 0) MouseToCell(x - 4, y, sc, sr);
    else if (c == 0) MouseToCell(x, y - 4, sc, sr);
    else MouseToCell(x - 4, y - 4, sc, sr);
    FPress.Point = TPoint{x, y};
    FPress.SizingCell = TGridCoord{sc, sr};
    FPress.SizingWidth = sc >= 0 ? ColWidths(sc) : 0;
    FPress.SizingHeight = sr >= 0 ? RowHeights(sr) : 0;
    FSizingCol = sc;
    FSizingRow = sr;
    FSizingColWidth = FPress.SizingWidth;
    FSizingRowHeight = FPress.SizingHeight;
    TStringGrid::WMLButtonDown(Message);
}

void TVsStringGrid::WMLButtonUp(TWMMouse& Message) { TStringGrid::WMLButtonUp(Message); }

void TVsStringGrid::WMLButtonDblClk(TWMMouse& Message) { TStringGrid::WMLButtonDblClk(Message); }

void TVsStringGrid::WMRButtonDown(TWMMouse& Message) { TStringGrid::WMRButtonDown(Message); }

void TVsStringGrid::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    if (GridState() == gsColSizing) FColSizing = true;
    if (GridState() == gsRowSizing) FRowSizing = true;
    TStringGrid::MouseMove(Shift, X, Y);
}

void TVsStringGrid::WMKeyDown(TWMKey& Message) { TStringGrid::WMKeyDown(Message); }

void TVsStringGrid::KeyUp(Word& Key, TShiftState Shift) { TStringGrid::KeyUp(Key, Shift); }

void TVsStringGrid::WMTimer(TWMTimer& Message) {
    if (Message.TimerID == VsGridConst::HoverTimer) {
        FBlinkPhase = !FBlinkPhase;
        return;
    }
    TStringGrid::WMTimer(Message);
}

void TVsStringGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex) { TStringGrid::ColumnMoved(FromIndex, ToIndex); }

void TVsStringGrid::RowMoved(int32_t FromIndex, int32_t ToIndex) { TStringGrid::RowMoved(FromIndex, ToIndex); }

std::string TVsStringGrid::GetEditText(int32_t ACol, int32_t ARow) {
    const int32_t realCol = RealColIndex(ACol);
    if (TVsInplaceEdit* editor = GetInplaceEditor())
        editor->SetRightAligned(GetCellAlignment(realCol, ARow) == taRightJustify);
    return TStringGrid::GetEditText(realCol, ARow);
}

void TVsStringGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
    TStringGrid::SetEditText(RealColIndex(ACol), ARow, Value);
}

// ---------------------------------------------------------------- other operations

void TVsStringGrid::ZoomStep(int32_t) {}

int32_t TVsStringGrid::LookupRow(const std::string& Text) {
    if (RowCount() < 2) return -1;
    const int32_t col = FSortShow ? FSortColumn : 1;
    for (int32_t r = FixedRows(); r < RowCount(); ++r) {
        const std::string& cell = Cells(col, r);
        if (cell.size() >= Text.size() && UpperCaseASCII(cell.substr(0, Text.size())) == Text) return r;
    }
    return -1;
}

std::string TVsStringGrid::SelectionDragText() { return {}; }

bool TVsStringGrid::IsInSelection(int32_t ACol, int32_t ARow) const {
    const TGridRect s = Selection();
    return ACol >= s.Left && ACol <= s.Right && ARow >= s.Top && ARow <= s.Bottom;
}

void TVsStringGrid::InvalidateRange(const TGridRect& Range) {
    InvalidateCellPair(TRect{Range.Left, Range.Top, Range.Right, Range.Bottom});
}
