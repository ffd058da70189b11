// The input side of the grid: validation of an edited cell, focus, the
// mouse, the keys, the wheel and panning, the half-second timer, hints and
// the sizing veto.
#include <algorithm>

#include "grid/VsGrid.h"
#include "grid/VsHtml.h"
#include "grid/VsResources.h"
#include "grid/VsUtil.h"
#include "grid/ddintf.h"
#include "platform/controls/Forms.h"
#include "platform/controls/ShellApi.h"

namespace {

// Links open only as web and mail addresses; a file or any other text in a
// cell does nothing when clicked.
bool OpenableLink(const std::string& Anchor) {
    const std::string a = LowerCase(Trim(Anchor));
    for (const char* scheme : {"http://", "https://", "ftp://", "mailto:"})
        if (a.rfind(scheme, 0) == 0) return true;
    return false;
}

// The grid's own cursors by their numbers (pan 8000 to 8008, row select
// 8010, column select 8011, select all 8012), registered on first use.
TCursor GridCursor(int32_t Id) {
    RegisterGridCursors();
    return static_cast<TCursor>(Id);
}

}  // namespace

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
    const bool panAllowed = FWheelMessage != 0 && FIntelliPan != ipNone;
    if (Message.Msg == WM_TIMER && FPanning && panAllowed) {
        PanStep();
        if (static_cast<uint32_t>(Message.WParam) == VsGridConst::PanTimer) return;
    } else if (Message.Msg == WM_MBUTTONDOWN && panAllowed && !FPanning) {
        StartPanning(static_cast<int16_t>(LowWord(Message.LParam)), static_cast<int16_t>(HighWord(Message.LParam)));
        return;
    } else if (FPanning && (Message.Msg == WM_MBUTTONDOWN || Message.Msg == WM_LBUTTONDOWN ||
                            Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_KEYDOWN)) {
        StopPanning();
        if (Message.Msg == WM_MBUTTONDOWN) return;
    }
    if (Message.Msg == FWheelMessage && FWheelMessage != 0 && !FPanning) {
        const auto delta = static_cast<int16_t>(HighWord(static_cast<intptr_t>(Message.WParam)));
        const TShiftState shift = KeysToShiftState(static_cast<uintptr_t>(LowWord(static_cast<intptr_t>(Message.WParam))));
        if (shift & ssCtrl) {
            ZoomStep(delta < 0 ? FWheelScrollLines : -FWheelScrollLines);
        } else {
            const int32_t lastData = RowCount() - FFixedFooters - 1;
            // Without data rows there is nowhere to go.
            if (lastData >= FixedRows()) {
                int32_t newRow = std::max(FixedRows(), delta < 0 ? Row() + FWheelScrollLines : Row() - FWheelScrollLines);
                const int32_t col = std::clamp(Col(), std::min(FixedCols(), ColCount() - 1), ColCount() - 1);
                if (col != Col()) SetCol(col);
                SetRow(std::min(newRow, lastData));
            }
        }
        Message.Result = 0;
        return;
    }
    TStringGrid::WndProc(Message);
}

void TVsStringGrid::Dispatch(TMessage& Message) { TStringGrid::Dispatch(Message); }

void TVsStringGrid::CalcSizingState(int32_t X, int32_t Y, TGridState& State, int32_t& Index, int32_t& SizingPos,
                                    int32_t& SizingOfs) {
    TStringGrid::CalcSizingState(X, Y, State, Index, SizingPos, SizingOfs);
    if (State == gsNormal || !OnColumnSize) return;
    int32_t c = -1, r = -1;
    MouseToCell(X - 4, Y, c, r);
    if (r != 0) return;
    bool allow = true;
    OnColumnSize(this, c, allow);
    if (!allow) State = gsNormal;
}

void TVsStringGrid::WMSetFocus(TWMFocus& Message) {
    TStringGrid::WMSetFocus(Message);
    if (HasCheckBox(RealColIndex(Col()), Row()) || !FNavigation->AlwaysEdit()) return;
    TVsInplaceEdit* editor = GetInplaceEditor();
    if (!editor || static_cast<TWinControl*>(editor) != Message.FocusedWnd) ShowEditor();
}

void TVsStringGrid::WMSetCursor(TWMSetCursor& Message) {
    if (FSelectCursorKind == 0 || GridState() == gsColSizing || GridState() == gsRowSizing) {
        TStringGrid::WMSetCursor(Message);
        return;
    }
    SetCursorShape(GridCursor(FSelectCursorKind == 1 ? 8011 : FSelectCursorKind == 2 ? 8010 : 8012));
}

void TVsStringGrid::CMCursorChanged(TMessage& Message) {
    TStringGrid::CMCursorChanged(Message);
    if (!FKeepSelectCursor) FSelectCursorKind = 0;
    FKeepSelectCursor = false;
}

void TVsStringGrid::CMHintShow(THintInfo& Info, intptr_t& Result) {
    TStringGrid::CMHintShow(Info, Result);
    Info.HintColor = FHintColor;
    int32_t c = -1, r = -1;
    MouseToCell(Info.CursorPos.X, Info.CursorPos.Y, c, r);
    if (c >= 0 && r >= 0) {
        std::string hint = Info.HintStr;
        if (OnGridHint) OnGridHint(this, r, c, hint);
        FHintCell = TPoint{c, r};
        const TRect cell = CellRect(c, r);
        TPoint at{cell.Left, cell.Bottom + 6};
        std::string comment;
        if (GetCellGraphicKind(RealColIndex(c), r) == cgComment && GetGraphicText(RealColIndex(c), r, comment)) {
            hint = comment.size() >= 2 ? comment.substr(0, comment.size() - 2) : std::string();
            at = TPoint{cell.Right, cell.Top};
        }
        if (FHintShowCells && c >= FixedCols() && r >= FixedRows() && !CellIsFixed(RealColIndex(c), r)) {
            at = TPoint{cell.Left, cell.Top};
            hint = Cells(RealColIndex(c), r);
        }
        Info.HintStr = hint;
        Info.CursorRect = cell;
        Info.HintPos = ClientToScreen(at);
    }
    Result = 0;
}

std::string TVsStringGrid::AnchorAt(int32_t ACol, int32_t ARow, int32_t X, int32_t Y) {
    const std::string text = Cells(RealColIndex(ACol), ARow);
    const int32_t kind = TextKind(text);
    if (kind == tkPlain) return FURLShow && IsURL(text) ? text : std::string();
    if (kind != tkHTML || !Canvas()) return {};
    TRect r = CellRect(ACol, ARow);
    r.Left += 2;
    r.Top += 2;
    Canvas()->Font()->Assign(Font());
    std::string anchor, plain;
    int32_t w = 0, h = 0;
    if (!HTMLDrawText(*Canvas(), text, r, FGridImages, X, Y, true, false, false, true, FBlinkPhase, 1.0, FURLColor,
                      anchor, plain, w, h))
        return {};
    return anchor;
}

void TVsStringGrid::RadioClick(int32_t ACol, int32_t ARow, int32_t X, int32_t Y) {
    const int32_t real = RealColIndex(ACol);
    TCellGraphic* g = GetCellGraphic(real, ARow);
    auto* items = g ? dynamic_cast<TStrings*>(g->First) : nullptr;
    if (!items || !Canvas()) return;
    Canvas()->Font()->Assign(Font());
    GetCellColor(real, ARow, 0, Canvas()->Brush(), Canvas()->Font());
    SetCol(ACol);
    SetRow(ARow);
    const int32_t at = g->State ? X : Y;
    int32_t start = 0;
    for (int32_t i = 0; i < items->Count(); ++i) {
        const int32_t span = g->State ? Canvas()->TextWidth(items->Get(i)) + 12 : 12;
        if (at >= start && at < start + span) {
            g->Integer = i;
            SetCells(real, ARow, items->Get(i));
            RepaintCell(ACol, ARow);
            return;
        }
        start += span;
    }
}

void TVsStringGrid::ReleaseUpdateLock() {
    if (!FUpdatesLocked) return;
    FUpdatesLocked = false;
    UnlockWindowUpdate();
}

void TVsStringGrid::StartPanning(int32_t X, int32_t Y) {
    FPanSavedCursor = Cursor();
    SetCursorShape(GridCursor(8000));
    FPanning = true;
    SetTimer(VsGridConst::PanTimer, VsGridConst::PanInterval);
    FPanOrigin = TPoint{X, Y};
    SetMouseCapture(true);
    SetShowHint(false);
    ShowPanMark();
}

TRect TVsStringGrid::PanMarkRect() const {
    return TRect{FPanOrigin.X - 16, FPanOrigin.Y - 16, FPanOrigin.X + 16, FPanOrigin.Y + 16};
}

void TVsStringGrid::ShowPanMark() {
    FPanMarkShown = true;
    InvalidateRect(PanMarkRect());
}

void TVsStringGrid::ErasePanMark() {
    FPanMarkShown = false;
    InvalidateRect(PanMarkRect());
}

void TVsStringGrid::StopPanning() {
    SetMouseCapture(false);
    KillTimer(VsGridConst::PanTimer);
    SetCursorShape(FPanSavedCursor);
    SetShowHint(true);
    FPanning = false;
    ErasePanMark();
}

void TVsStringGrid::PanStep() {
    const TPoint p = ScreenToClient(GetCursorPos());
    int32_t h = p.X < FPanOrigin.X - 5 ? -1 : p.X > FPanOrigin.X + 5 ? 1 : 0;
    int32_t v = p.Y > FPanOrigin.Y + 5 ? 1 : p.Y < FPanOrigin.Y - 5 ? -1 : 0;
    if (FIntelliPan == ipVertical) h = 0;
    if (FIntelliPan == ipHorizontal) v = 0;
    static constexpr int32_t kCursors[3][3] = {{8006, 8004, 8005}, {8002, 8000, 8003}, {8008, 8001, 8007}};
    const int32_t lastRow = RowCount() - FFixedFooters - 1, lastCol = ColCount() - FFixedRightCols - 1;
    // Without data rows or columns there is nothing to pan over.
    if (lastRow >= FixedRows() && lastCol >= FixedCols()) {
        int32_t row = std::clamp(Row(), FixedRows(), lastRow), col = std::clamp(Col(), FixedCols(), lastCol);
        if (col != Col()) SetCol(col);
        if (row != Row()) SetRow(row);
        // The view scrolls under the mark when the cell leaves it.
        if ((h < 0 && col > FixedCols()) || (h > 0 && col < lastCol)) {
            col += h;
            if (col < LeftCol() || col >= LeftCol() + VisibleColCount()) ErasePanMark();
            SetCol(col);
        }
        if ((v < 0 && row > FixedRows()) || (v > 0 && row < lastRow)) {
            row += v;
            if (row < TopRow() || row >= TopRow() + VisibleRowCount()) ErasePanMark();
            SetRow(row);
        }
    }
    SetCursorShape(GridCursor(kCursors[v + 1][h + 1]));
    ShowPanMark();
}

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
    FPress.Start(TPoint{x, y}, TGridCoord{sc, sr}, sc >= 0 ? ColWidths(sc) : 0, sr >= 0 ? RowHeights(sr) : 0);
    FSizingCol = sc;
    FSizingRow = sr;
    FSizingColWidth = FPress.SizingWidth;
    FSizingRowHeight = FPress.SizingHeight;
    FSearchText.clear();
    const TShiftState shift = KeysToShiftState(Message.Keys);
    // Window updates locked for a move from the fixed cells come off on
    // every way out of the press unless the move goes on to the release.
    bool unlockAtEnd = false;
    struct TUnlock {
        TVsStringGrid& Grid;
        bool& Armed;
        ~TUnlock() {
            if (Armed) Grid.ReleaseUpdateLock();
        }
    } unlock{*this, unlockAtEnd};
    if (FEnhRowColMove && (c < FixedCols() || r < FixedRows()) && !FUpdatesLocked) {
        LockWindowUpdate();
        FUpdatesLocked = true;
        unlockAtEnd = true;
    }
    if (FMouseActions->CaretPositioning()) FCaretPositionRequest = true;
    const bool inside = c >= 0 && r >= 0 && c < ColCount() && r < RowCount();
    if (!inside) {
        TStringGrid::WMLButtonDown(Message);
        return;
    }
    if (PressOnCellGraphics(c, r, x, y) || PressOnButtonOrLink(c, r, x, y, shift)) return;
    PressOnFixedCells(c, r, x, y);
    const bool normal = c >= FixedCols() && r >= FixedRows();
    const bool editable = normal && CellIsEditable(RealColIndex(c), r);
    if (editable) {
        if (ToggleCheckBox(RealColIndex(c), r, false)) {
            bool state = false;
            GetCheckBoxState(RealColIndex(c), r, state);
            if (OnCheckBoxClick) OnCheckBoxClick(this, c, r, state);
        }
        if (FMouseActions->DirectEdit()) HideEditor();
    }
    TStringGrid::WMLButtonDown(Message);
    if (!(c == 0 || r == 0)) unlockAtEnd = false;
    if (OnClickCell) OnClickCell(this, r, c);
    const TRect cell = CellRect(c, r);
    if (editable && FMouseActions->DirectEdit() && x > cell.Left + 3 && x < cell.Right - 3 &&
        !HasCheckOrRadio(RealColIndex(c), r))
        ShowEditor();
}

bool TVsStringGrid::PressOnCellGraphics(int32_t c, int32_t r, int32_t x, int32_t y) {
    const TGridOptions lines = goFixedVertLine | goFixedHorzLine;
    if ((r < FixedRows() || c < FixedCols() || CellIsFixed(RealColIndex(c), r)) && FFixedAsButtons &&
        (Options() & lines) == lines && Ctl3D()) {
        FPress.PressFixed(CellRect(c, r));
        InvalidateRect(FPress.FixedRect);
    }
    if (CellIsFixed(RealColIndex(c), r)) {
        if (OnClickCell) OnClickCell(this, r, c);
        return true;
    }
    if (r >= FixedRows() && c == 0 && IsNodeRow(r)) {
        SetRow(r);
        TCellGraphic* g = GetCellGraphic(0, r);
        const int32_t real = RealRowIndex(r);
        if (g && g->State) {
            ExpandNode(real);
            if (OnExpandNode) OnExpandNode(this, r, real);
        } else {
            ContractNode(real);
            if (OnContractNode) OnContractNode(this, r, real);
        }
        return true;
    }
    if (r >= FixedRows() && c >= FixedCols() && HasRadioGroup(RealColIndex(c), r)) {
        const TRect cell = CellRect(c, r);
        RadioClick(c, r, x - cell.Left, y - cell.Top);
        return true;
    }
    if (c == 0 && NodeCount() > 0) return true;
    const TRect cell = CellRect(c, r);
    const bool onEdge = std::abs(x - cell.Left) <= 1 || std::abs(x - cell.Right) <= 1 ||
                        std::abs(y - cell.Top) <= 1 || std::abs(y - cell.Bottom) <= 1;
    if (!onEdge || !IsInSelection(c, r) || !FOleDropSource) return false;
    bool allow = true;
    if (OnOleDrag) OnOleDrag(this, c, r, Cells(RealColIndex(c), r), allow);
    if (allow) {
        DWORD effect = 0;
        StartTextDrag(SelectionDragText(), "", DROPEFFECT_COPY | DROPEFFECT_MOVE, effect, this);
    }
    return true;
}

bool TVsStringGrid::PressOnButtonOrLink(int32_t c, int32_t r, int32_t x, int32_t y, TShiftState shift) {
    if (HasButton(RealColIndex(c), r)) {
        TRect button;
        if (GetButtonRect(RealColIndex(c), r, button) && x >= button.Left && x < button.Right && y >= button.Top &&
            y < button.Bottom) {
            SetGraphicState(RealColIndex(c), r, true);
            FPress.PressButton(TGridCoord{c, r});
            return true;
        }
    }
    if (FMouseActions->DisjunctRowSelect() && r >= FixedRows()) {
        if (!(shift & ssCtrl)) {
            FPress.RowSelecting = true;
            ClearRowSelection();
        } else if (IsRowSelected(r)) {
            FPress.ClearFlagOnRelease(r);
        }
    }
    const std::string anchor = AnchorAt(c, r, x, y);
    if (anchor.empty()) return false;
    bool autoHandle = true;
    if (OnAnchorClick) OnAnchorClick(this, r, c, anchor, autoHandle);
    if (autoHandle) OpenAnchor(anchor);
    return true;
}

void TVsStringGrid::OpenAnchor(const std::string& Anchor) {
    if (UpperCase(Anchor).find("CELL://") == std::string::npos) {
        if (OpenableLink(Anchor)) ShellExecute(nullptr, "open", Anchor, "", "", SW_SHOWNORMAL);
        return;
    }
    TPoint p;
    // A reference outside the normal cells goes nowhere.
    if (ParseCellRef(Anchor.substr(std::min<size_t>(7, Anchor.size())), p) && p.X >= FixedCols() &&
        p.X < ColCount() && p.Y >= FixedRows() && p.Y < RowCount()) {
        SetRow(p.Y);
        SetCol(p.X);
        ScrollCellInView(p.X, p.Y);
    }
}

void TVsStringGrid::PressOnFixedCells(int32_t c, int32_t r, int32_t x, int32_t y) {
    if ((Options() & goRangeSelect) != 0) {
        if (c < FixedCols() && r < FixedRows() && FMouseActions->AllSelect() && FSelectCursorKind == 3) {
            SelectionToBottom();
            SetSelection(TGridRect{FixedCols(), FixedRows(), ColCount() - 1, RowCount() - 1});
            DoExit();
        } else if (c < FixedCols() && r >= FixedRows() && FMouseActions->RowSelect() && FSelectCursorKind == 2) {
            SelectionToBottom();
            SetSelection(TGridRect{FixedCols(), r, ColCount() - 1, r});
            DoExit();
        } else if (r < FixedRows() && c >= FixedCols() && FMouseActions->ColSelect() && FSelectCursorKind == 1) {
            SelectionToBottom();
            SetSelection(TGridRect{c, FixedRows(), c, RowCount() - 1});
            DoExit();
        }
    }
    const int32_t index = r < FixedRows() && c >= FixedCols() ? c : c < FixedCols() && r >= FixedRows() ? r : -1;
    const TRect moved = CellRect(c, r);
    FPress.StartMove(index, TPoint{x - moved.Left, y - moved.Top});
}

void TVsStringGrid::WMLButtonUp(TWMMouse& Message) {
    FPress.RowSelecting = false;
    for (TArrowWindow* arrow : FArrows) arrow->SetVisible(false);
    // Drawn raised again: the cell's own painting.
    if (TRect fixed; FPress.TakeFixed(fixed)) InvalidateRect(fixed);
    if (FMoveIndicator->Visible()) {
        Screen->SetCursor(crDefault);
        FMoveIndicator->SetEnabled(false);
        FMoveIndicator->SetVisible(false);
    }
    if (const TGridCoord b = FPress.TakeButton(); b.X >= 0) {
        SetGraphicState(RealColIndex(b.X), b.Y, false);
        if (OnButtonClick) OnButtonClick(this, b.X, b.Y);
    }
    const int32_t x = Message.XPos, y = Message.YPos;
    int32_t c = -1, r = -1;
    MouseToCell(x, y, c, r);
    if (FMouseActions->DisjunctRowSelect() && r >= FixedRows() && r < RowCount())
        SetRowSelected(r, FPress.FlagOnRelease(r));
    {
        // The lock of a move from the fixed cells ends here, whatever happens.
        struct TUnlock {
            TVsStringGrid& Grid;
            ~TUnlock() {
                Grid.ReleaseUpdateLock();
            }
        } unlock{*this};
        // The platform sets the size at the release; the sizing flags are
        // read by the size change and end with it.
        TStringGrid::WMLButtonUp(Message);
    }
    const bool moved = FMoved, sized = FColSizing || FRowSizing;
    FMoved = false;
    FColSizing = FRowSizing = false;
    if (moved || sized || c < 0 || r < 0 || c >= ColCount() || r >= RowCount()) return;
    if (c < FixedCols() && !FSortFixedCols) return;
    const int32_t real = RealColIndex(c);
    bool state = false;
    if (GetCheckBoxState(real, r, state) && OnCheckBoxMouseUp) OnCheckBoxMouseUp(this, real, r, state);
    int32_t radio = 0;
    if (GetRadioIndex(real, r, radio) && OnRadioMouseUp) OnRadioMouseUp(this, real, r, radio);
    if (FDblClickSized) {
        FDblClickSized = false;
        return;
    }
    if (r == 0 && (Options() & goColSizing) != 0) {
        const TRect cell = CellRect(c, r);
        if (x - cell.Left < 4 || cell.Right - x < 4) return;
    }
    bool doSort = true;
    if (r == 0 && FixedRows() > 0 && FSortShow && RowCount() > 2 && OnCanSort) OnCanSort(this, real, doSort);
    int32_t pc = -1, pr = -1;
    MouseToCell(FPress.Point.X, FPress.Point.Y, pc, pr);
    if (!(r == 0 && pr == 0 && FixedRows() > 0 && FSortShow && RowCount() >= 3 && doSort)) return;
    if (!FSortIndexShow) {
        if (real == FSortColumn) {
            FSortDirection = FSortDirection == sdAscending ? sdDescending : sdAscending;
        } else {
            FSortDirection = sdAscending;
            SetSortColumn(real);
        }
        if (NodeCount() > 0) SortNodeGroups();
        else SortByColumn();
    } else {
        const TShiftState shift = KeysToShiftState(Message.Keys);
        const int32_t at = FSortIndexes->FindIndex(real);
        if (shift & ssShift) {
            if (at < 0) FSortIndexes->AddIndex(real, true);
            else FSortIndexes->ToggleIndex(real);
        } else if (FSortIndexes->Count() == 1 && at == 0) {
            FSortIndexes->ToggleIndex(real);
        } else {
            FSortIndexes->Clear();
            FSortIndexes->AddIndex(real, true);
        }
        SortByIndex();
    }
    if (OnClickSort) OnClickSort(this, FSortColumn);
}

void TVsStringGrid::WMLButtonDblClk(TWMMouse& Message) {
    const int32_t x = Message.XPos, y = Message.YPos;
    int32_t c = -1, r = -1;
    MouseToCell(x, y, c, r);
    if (r == 0 && c >= 0 && (Options() & goColSizing) != 0) {
        const TRect cell = CellRect(c, r);
        if (x - cell.Left < 4 && c - 1 >= FixedCols()) {
            FDblClickSized = true;
            SizeColumnToText(c - 1);
            return;
        }
        if (cell.Right - x < 4 && c >= FixedCols()) {
            FDblClickSized = true;
            SizeColumnToText(c);
            return;
        }
    }
    TStringGrid::WMLButtonDblClk(Message);
    if (OnDblClickCell) OnDblClickCell(this, r, c);
}

void TVsStringGrid::WMRButtonDown(TWMMouse& Message) {
    TStringGrid::WMRButtonDown(Message);
    int32_t c = -1, r = -1;
    MouseToCell(Message.XPos, Message.YPos, c, r);
    if (OnRightClickCell) OnRightClickCell(this, r, c);
    if (FURLShow && FURLEdit && c >= 0 && r >= 0 && c < ColCount() && r < RowCount() &&
        IsURL(Cells(RealColIndex(c), r))) {
        SetCol(c);
        SetRow(r);
        ShowEditor();
    }
}

void TVsStringGrid::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    if (GridState() == gsColSizing) FColSizing = true;
    if (GridState() == gsRowSizing) FRowSizing = true;
    int32_t c = -1, r = -1;
    MouseToCell(X, Y, c, r);
    const bool moving = GridState() == gsColMoving || GridState() == gsRowMoving;
    if (FEnhRowColMove && moving && FPress.MoveIndex >= 0 && FPress.LeftPressPoint(X, Y)) TrackMove(X, Y, c, r);
    bool handled = false;
    FSelectCursorKind = 0;
    if (c >= 0 && r >= 0 && !IsOnSizingBorder(X, Y)) {
        if (c < FixedCols() && r < FixedRows() && FMouseActions->AllSelect()) FSelectCursorKind = 3;
        else if (r < FixedRows() && c >= FixedCols() && FMouseActions->ColSelect()) FSelectCursorKind = 1;
        else if (c < FixedCols() && r >= FixedRows() && FMouseActions->RowSelect()) FSelectCursorKind = 2;
        if (FSelectCursorKind != 0) {
            FKeepSelectCursor = true;
            handled = true;
        }
    }
    if (c >= 0 && r >= 0 && c < ColCount() && r < RowCount()) {
        const std::string anchor = AnchorAt(c, r, X, Y);
        if (!anchor.empty()) {
            SetCursorShape(LinkCursor());
            handled = true;
        }
        if (TextKind(Cells(RealColIndex(c), r)) == tkHTML || !FLastAnchor.empty()) {
            if (!anchor.empty() && anchor != FLastAnchor) {
                FLastAnchor = anchor;
                if (OnAnchorEnter) OnAnchorEnter(this, r, c, anchor);
            } else if (anchor.empty() && !FLastAnchor.empty()) {
                FLastAnchor.clear();
                if (OnAnchorExit) OnAnchorExit(this, r, c, "");
            }
        }
    }
    if (!handled && Cursor() != FSavedCursor) {
        FKeepSelectCursor = true;
        SetCursor(FSavedCursor);
    }
    if (FHintCell.X >= 0 && (FHintCell.X != c || FHintCell.Y != r)) {
        Application->CancelHint();
        FHintCell = TPoint{-1, -1};
    }
    TStringGrid::MouseMove(Shift, X, Y);
    if (FSelectionRectangle && (Shift & ssLeft)) {
        const TGridRect s = Selection();
        if (s != FLastSelection) {
            InvalidateRange(s);
            FLastSelection = s;
        }
    }
}

void TVsStringGrid::TrackMove(int32_t X, int32_t Y, int32_t c, int32_t r) {
    ReleaseUpdateLock();
    const bool cols = GridState() == gsColMoving;
    const int32_t index = FPress.MoveIndex;
    // The title of what moves follows the mouse.
    FMoveIndicator->SetCaption(cols ? Cells(RealColIndex(index), 0) : Cells(0, index));
    FMoveIndicator->SetBounds(X - FPress.MoveOffset.X, Y - FPress.MoveOffset.Y, cols ? ColWidths(index) : ColWidths(0),
                              cols ? RowHeights(0) : RowHeights(index));
    // The arrows mark where it would land.
    const TGridCoord marked = FPress.ArrowCell;
    const auto arrow = [&](TArrowDirection d) { return FArrows[static_cast<size_t>(d)]; };
    if (cols) {
        const bool shown = marked.X >= FixedCols() && marked.X >= LeftCol() && marked.X < ColCount() &&
                           marked.X <= LeftCol() + VisibleColCount();
        if (shown) {
            const TRect at = CellRect(marked.X, 0);
            arrow(adUp)->SetBounds(at.Left - 5, at.Bottom, arrow(adUp)->Width(), arrow(adUp)->Height());
            arrow(adDown)->SetBounds(at.Left - 5, at.Top - 8, arrow(adDown)->Width(), arrow(adDown)->Height());
        }
        arrow(adUp)->SetVisible(shown);
        arrow(adDown)->SetVisible(shown);
    } else {
        const bool shown = marked.Y >= FixedRows() && marked.Y >= TopRow() && marked.Y < RowCount() &&
                           marked.Y <= TopRow() + VisibleRowCount();
        if (shown) {
            const TRect at = CellRect(0, marked.Y);
            arrow(adRight)->SetBounds(at.Left - 10, at.Top - 5, arrow(adRight)->Width(), arrow(adRight)->Height());
            arrow(adLeft)->SetBounds(at.Right, at.Top - 5, arrow(adLeft)->Width(), arrow(adLeft)->Height());
        }
        arrow(adRight)->SetVisible(shown);
        arrow(adLeft)->SetVisible(shown);
    }
    FPress.ArrowCell = TGridCoord{c, r};
    // Past the fixed part or the right (bottom) edge the view follows,
    // a line per movement.
    if (cols && VisibleColCount() < ColCount() - FixedCols()) {
        int32_t fixedWidth = 0;
        for (int32_t i = 0; i < FixedCols(); ++i) fixedWidth += ColWidths(i);
        if (X < fixedWidth && LeftCol() > FixedCols()) {
            SetLeftCol(LeftCol() - 1);
            Repaint();
        } else if (X > Width() && LeftCol() + VisibleColCount() < ColCount()) {
            SetLeftCol(LeftCol() + 1);
            Repaint();
        }
    } else if (!cols && VisibleRowCount() < RowCount() - FixedRows()) {
        int32_t fixedHeight = 0;
        for (int32_t i = 0; i < FixedRows(); ++i) fixedHeight += RowHeights(i);
        if (Y < fixedHeight && TopRow() > FixedRows()) {
            SetTopRow(TopRow() - 1);
            Repaint();
        } else if (Y > Height() && TopRow() + VisibleRowCount() < RowCount()) {
            SetTopRow(TopRow() + 1);
            Repaint();
        }
    }
    FMoveIndicator->SetEnabled(true);
    FMoveIndicator->SetVisible(true);
    Screen->SetCursor(crDrag);
}

void TVsStringGrid::WMKeyDown(TWMKey& Message) {
    const TGridRect before = Selection();
    TStringGrid::WMKeyDown(Message);
    const TGridRect after = Selection();
    if (FSelectionRectangle && after != before) InvalidateRange(after);
    const Word key = Message.CharCode;
    const TShiftState shift = Message.Shift;
    const bool ctrl = shift & ssCtrl, shiftKey = shift & ssShift, alt = shift & ssAlt;
    if (key == VK_SPACE && HasCheckBox(RealColIndex(Col()), Row())) {
        if (CellIsEditable(RealColIndex(Col()), Row()) && ToggleCheckBox(RealColIndex(Col()), Row(), false)) {
            bool state = false;
            GetCheckBoxState(RealColIndex(Col()), Row(), state);
            if (OnCheckBoxClick) OnCheckBoxClick(this, Col(), Row(), state);
        }
        return;
    }
    const bool shortcuts = FNavigation->AllowClipboardShortCuts();
    auto ask = [&](const TClipboardEvent& Event) {
        bool allow = true;
        if (Event) Event(this, allow);
        return allow;
    };
    if (shortcuts && ctrl && key == 'X') {
        if (ask(OnClipboardCut)) CutSelectionToClipboard();
    } else if (shortcuts && ctrl && key == 'V') {
        if (ask(OnClipboardPaste)) PasteSelectionFromClipboard();
    } else if (shortcuts && ctrl && (key == VK_INSERT || key == 'C')) {
        if (ask(OnClipboardCopy)) CopySelectionToClipboard();
    } else if (shortcuts && shiftKey && key == VK_INSERT) {
        if (ask(OnClipboardPaste)) PasteSelectionFromClipboard();
    } else if (shortcuts && shiftKey && key == VK_DELETE) {
        if (ask(OnClipboardCut)) CutSelectionToClipboard();
    } else if (key == VK_INSERT && FNavigation->AllowInsertRow() && !ctrl && !shiftKey && !alt) {
        bool allow = true;
        if (OnCanInsertRow) OnCanInsertRow(this, Row(), allow);
        if (!allow) return;
        if (FNavigation->InsertPosition() == pInsertAfter) {
            InsertRows(Row() + 1, 1);
            if (OnAutoInsertRow) OnAutoInsertRow(this, Row() + 1);
            SetRow(Row() + 1);
        } else {
            InsertRows(Row(), 1);
            if (OnAutoInsertRow) OnAutoInsertRow(this, Row());
        }
    } else if (key == VK_DELETE && FNavigation->AllowDeleteRow() && !alt &&
               RowCount() - FFixedFooters - FixedRows() > 0) {
        bool allow = true;
        if (OnCanDeleteRow) OnCanDeleteRow(this, Row(), allow);
        if (!allow) return;
        if (RowCount() - FFixedFooters - FixedRows() == 1)
            ClearRows(Row(), 1);
        else
            DeleteRows(Row(), 1);
        if (OnAutoDeleteRow) OnAutoDeleteRow(this, Row());
    }
}

void TVsStringGrid::KeyUp(Word& Key, TShiftState Shift) {
    const Word key = Key;
    if (key == VK_PRIOR || key == VK_NEXT || key == VK_END || key == VK_HOME || key == VK_LEFT || key == VK_RIGHT ||
        key == VK_UP || key == VK_DOWN || key == VK_INSERT || key == VK_DELETE)
        FSearchText.clear();
    TStringGrid::KeyUp(Key, Shift);
    if ((key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) && FNavigation->AlwaysEdit())
        ShowEditor();
}

void TVsStringGrid::WMTimer(TWMTimer& Message) {
    if (Message.TimerID == VsGridConst::HoverTimer) {
        if (FHovering) {
            const TPoint p = ScreenToClient(GetCursorPos());
            int32_t c = -1, r = -1;
            MouseToCell(p.X, p.Y, c, r);
            if (c >= FixedCols() && r >= FixedRows() && c < ColCount() && r < RowCount() &&
                (c != Col() || r != Row())) {
                SetRow(r);
                SetCol(c);
            }
        }
        FBlinkPhase = !FBlinkPhase;
        // Blinking text repaints with the new phase: only what is in view.
        auto refresh = [&](int32_t c0, int32_t c1, int32_t r0, int32_t r1) {
            for (int32_t r = r0; r < r1 && r < RowCount(); ++r)
                for (int32_t c = c0; c < c1 && c < ColCount(); ++c)
                    if (CellText(RealColIndex(c), r).find("<BLI") != std::string_view::npos) InvalidateCell(c, r);
        };
        const int32_t visibleCols = LeftCol() + VisibleColCount() + 1, visibleRows = TopRow() + VisibleRowCount() + 1;
        refresh(LeftCol(), visibleCols, TopRow(), visibleRows);
        refresh(LeftCol(), visibleCols, 0, FixedRows());
        refresh(0, FixedCols(), TopRow(), visibleRows);
        return;
    }
    TStringGrid::WMTimer(Message);
}

void TVsStringGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex) {
    TStringGrid::ColumnMoved(FromIndex, ToIndex);
    if (FEnhRowColMove) {
        if (ColWidthAxis().MoveLine(FromIndex, ToIndex)) ColWidthsChanged();
        FMoved = true;
    }
    if (FromIndex == FSortColumn) FSortColumn = ToIndex;
}

void TVsStringGrid::RowMoved(int32_t FromIndex, int32_t ToIndex) {
    TStringGrid::RowMoved(FromIndex, ToIndex);
    if (FEnhRowColMove) {
        if (RowHeightAxis().MoveLine(FromIndex, ToIndex)) RowHeightsChanged();
        FMoved = true;
    }
}

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

void TVsStringGrid::ZoomStep(int32_t Delta) {
    if (FZoomOffset + Delta < -10 || FZoomOffset + Delta > 10) return;
    FZoomOffset += Delta;
    for (int32_t c = 0; c < ColCount(); ++c)
        if (ColWidths(c) + Delta > 0) SetColWidths(c, ColWidths(c) + Delta);
    for (int32_t r = 0; r < RowCount(); ++r)
        if (RowHeights(r) + Delta > 0) SetRowHeights(r, RowHeights(r) + Delta);
}

int32_t TVsStringGrid::LookupRow(const std::string& Text) {
    if (RowCount() < 2) return -1;
    const int32_t col = FSortShow ? FSortColumn : 1;
    for (int32_t r = FixedRows(); r < RowCount(); ++r) {
        const std::string_view cell = CellText(col, r);
        if (cell.size() >= Text.size() && UpperCaseASCII(cell.substr(0, Text.size())) == Text) return r;
    }
    return -1;
}

std::string TVsStringGrid::SelectionDragText() {
    const TGridRect s = Selection();
    std::string text;
    for (int32_t r = s.Top; r <= s.Bottom; ++r) {
        for (int32_t c = s.Left; c <= s.Right; ++c) {
            std::string cell = Cells(RealColIndex(c), r);
            if (TextKind(cell) == tkRichText && FRichEditor) {
                LoadRichText(RealColIndex(c), r, FRichEditor);
                cell = FRichEditor->PlainText();
            }
            if (FMultilinecells && FClipboardQuoteLines && cell.find('\r') != std::string::npos) CSVQuote(cell);
            text += cell;
            if (c < s.Right) text += '\t';
        }
        if (r < s.Bottom) text += "\r\n";
    }
    return text;
}

bool TVsStringGrid::IsInSelection(int32_t ACol, int32_t ARow) const {
    const TGridRect s = Selection();
    return ACol >= s.Left && ACol <= s.Right && ARow >= s.Top && ARow <= s.Bottom;
}

void TVsStringGrid::InvalidateRange(const TGridRect& Range) {
    InvalidateCellPair(TRect{Range.Left, Range.Top, Range.Right, Range.Bottom});
}
