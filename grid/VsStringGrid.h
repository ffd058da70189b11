// The class TVsStringGrid itself (see VsGrid.h, which callers include), its
// bands and background objects and its drop target.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/VsGridState.h"
#include "grid/ddintf.h"
#include "platform/controls/Grids.h"

class TVsInplaceEdit;
class TIntList;
class TCellEditorKind;

// ---------------------------------------------------------------- bands and background

// Alternating row colours of the normal cells (GetCellColor applies them).
class TBands : public TPersistent {
public:
    explicit TBands(TVsStringGrid* Grid) : FGrid(Grid) {}

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TColor PrimaryColor() const { return FPrimaryColor; }
    void SetPrimaryColor(TColor Value);
    int32_t PrimaryLength() const { return FPrimaryLength; }
    void SetPrimaryLength(int32_t Value);
    TColor SecondaryColor() const { return FSecondaryColor; }
    void SetSecondaryColor(TColor Value);
    int32_t SecondaryLength() const { return FSecondaryLength; }
    void SetSecondaryLength(int32_t Value);
    // Read by the print colour rule only.
    bool Print() const { return FPrint; }
    void SetPrint(bool Value) { FPrint = Value; }
    // PrimaryLength + SecondaryLength.
    int32_t BandLength() const { return FBandLength; }

    void Assign(const TPersistent* Source) override;

private:
    void Changed(bool Always);
    TVsStringGrid* FGrid;
    bool FActive = false;
    TColor FPrimaryColor = clInfoBk;
    int32_t FPrimaryLength = 1;
    TColor FSecondaryColor = clWindow;
    int32_t FSecondaryLength = 1;
    bool FPrint = false;
    int32_t FBandLength = 2;
};

// A bitmap under the cells: tiled over the data area, or placed once at
// (Left, Top). An empty bitmap means none.
class TBackGround : public TPersistent {
public:
    explicit TBackGround(TVsStringGrid* Grid);
    ~TBackGround() override;

    TBitmap* Bitmap() const { return FBitmap.get(); }
    // Copies the bitmap in (nullptr empties it).
    void SetBitmap(const TBitmap* Value);
    int32_t Left() const { return FLeft; }
    void SetLeft(int32_t Value);
    int32_t Top() const { return FTop; }
    void SetTop(int32_t Value);
    TBackGroundDisplay Display() const { return FDisplay; }
    void SetDisplay(TBackGroundDisplay Value);

    void Assign(const TPersistent* Source) override;

private:
    void Changed();
    TVsStringGrid* FGrid;
    std::unique_ptr<TBitmap> FBitmap;
    int32_t FLeft = 0;
    int32_t FTop = 0;
    TBackGroundDisplay FDisplay = bdTile;
};

// ---------------------------------------------------------------- TVsStringGrid

class TVsStringGrid : public TStringGrid,
                      public TVsGridPublished,
                      protected TVsGridState,
                      private TGridSettingsOwner {
public:
    explicit TVsStringGrid(TComponent* AOwner);
    ~TVsStringGrid() override;

    // After the form's properties were set (as a form resource streams them
    // in): headers applied, the cursor remembered.
    virtual void Loaded();

    // ================================================================ core (VsGrid.cpp)

    static int32_t GetVersionNumber() { return VsGridConst::VersionNumber; }
    static std::string GetVersionText() { return VsGridConst::SVersionText; }
    // A file's version from its version resource (major high, minor low
    // word), -1 without one.
    static int32_t GetDllVersion(const std::string& FileName);

    // ---- the owned settings objects
    TPrintsettings* PrintSettings() const { return FPrintSettings.get(); }
    void SetPrintSettings(const TPrintsettings* Value);
    THTMLSettings* HTMLSettings() const { return FHTMLSettings.get(); }
    void SetHTMLSettings(const THTMLSettings* Value);
    TNavigation* Navigation() const { return FNavigation.get(); }
    void SetNavigation(const TNavigation* Value);
    TColumnSize* ColumnSize() const { return FColumnSize.get(); }
    void SetColumnSize(const TColumnSize* Value);
    TCellNode* CellNode() const { return FCellNode.get(); }
    void SetCellNode(const TCellNode* Value);
    TBands* Bands() const { return FBands.get(); }
    void SetBands(const TBands* Value);
    TSizeWhileTyping* SizeWhileTyping() const { return FSizeWhileTyping.get(); }
    void SetSizeWhileTyping(const TSizeWhileTyping* Value);
    TMouseActions* MouseActions() const { return FMouseActions.get(); }
    void SetMouseActions(const TMouseActions* Value);
    TBackGround* BackGround() const { return FBackGround.get(); }
    void SetBackGround(const TBackGround* Value);
    TFilter* Filter() const { return FFilter.get(); }
    void SetFilter(const TFilter* Value);

    // ---- published properties
    // True sizes every column, fixed ones included, to its text + 14.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    void SetVAlignment(TVAlignment Value);
    void SetSortShow(bool Value);
    void SetSortIndexShow(bool Value);
    void SetSortColumn(int32_t Value);
    void SetSelectionColor(TColor Value);
    void SetSelectionTextColor(TColor Value);
    void SetSelectionRectangle(bool Value);
    // True registers the grid's drop target; False revokes it.
    bool OleDropTarget() const { return FOleDropTarget; }
    void SetOleDropTarget(bool Value);
    // One value for every grid of the process.
    bool OleDropRTF() const;
    void SetOleDropRTF(bool Value);
    void SetGridImages(TImageList* Value);
    void SetURLColor(TColor Value);
    void SetURLShow(bool Value);
    void SetURLFull(bool Value);
    void SetScrollType(TScrollType Value);
    void SetScrollColor(TColor Value);
    void SetScrollWidth(int32_t Value);
    void SetScrollProportional(bool Value);
    void SetFixedFooters(int32_t Value);
    void SetFixedRightCols(int32_t Value);
    // The width of column 0; setting it sets every fixed column.
    int32_t FixedColWidth() const { return ColWidths(0); }
    void SetFixedColWidth(int32_t Value);
    // The height of row 0; setting it sets every fixed row.
    int32_t FixedRowHeight() const { return RowHeights(0); }
    void SetFixedRowHeight(int32_t Value);
    TFont* FixedFont() const { return FFixedFont.get(); }
    void SetFixedFont(const TFont* Value);
    void SetWordWrap(bool Value);
    TStringList* ColumnHeaders() const { return FColumnHeaders.get(); }
    void SetColumnHeaders(const TStrings* Value);
    TStringList* RowHeaders() const { return FRowHeaders.get(); }
    void SetRowHeaders(const TStrings* Value);
    TStringList* LookupItems() const { return FLookupItems.get(); }
    // nullptr changes nothing.
    void SetLookupItems(const TStrings* Value);
    bool Lookup() const { return FLookup; }
    void SetShowSelection(bool Value);
    TBitmap* SortUpGlyph() const { return FSortUpGlyph.get(); }
    void SetSortUpGlyph(const TBitmap* Value);
    TBitmap* SortDownGlyph() const { return FSortDownGlyph.get(); }
    void SetSortDownGlyph(const TBitmap* Value);
    void SetFilterActive(bool Value);

    // ---- other settings
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t Value) { FPasswordChar = Value; }
    // The texts of a cell whose check box is bound to its text.
    const std::string& CheckTrueText() const { return FCheckTrueText; }
    void SetCheckTrueText(const std::string& Value) { FCheckTrueText = Value; }
    const std::string& CheckFalseText() const { return FCheckFalseText; }
    void SetCheckFalseText(const std::string& Value) { FCheckFalseText = Value; }
    // The item a list-only combo shows for a text not among its items; -1:
    // the first item.
    int32_t ComboDefaultIndex() const { return FComboDefaultIndex; }
    void SetComboDefaultIndex(int32_t Value) { FComboDefaultIndex = Value; }

    // ---- column visibility (no operation hides a column; the mappings hold
    // for any flags)
    static constexpr int32_t MaxVisibilityColumns = VsGridConst::MaxVisibilityColumns;
    bool ColumnVisible(int32_t Index) const;
    int32_t HiddenColCount() const { return FHiddenColCount; }
    int32_t RealColIndex(int32_t VisibleIndex) const;
    int32_t DisplayColIndex(int32_t RealIndex) const;

    // ---- cell operations
    // "" reads as 0; raises EVsGridError SNoInteger for other text.
    int32_t GetCellInteger(int32_t ACol, int32_t ARow) const;
    // The text with "." as its decimal point; the same error.
    double GetCellFloat(int32_t ACol, int32_t ARow) const;
    // The platform's date conversion (its error passes on).
    TDateTime GetCellDate(int32_t ACol, int32_t ARow) const;
    void SetCellInteger(int32_t ACol, int32_t ARow, int32_t Value);
    // The current cell gets the text it had when it was selected.
    void RestoreEditText();
    // Brings the cell into view (negative indexes and cells outside the
    // grid do nothing).
    void ScrollCellInView(int32_t ACol, int32_t ARow);
    void RelocateColumn(int32_t From, int32_t To);
    void RelocateRow(int32_t From, int32_t To);
    // Selects the cell (ColCount, RowCount), so that none shows selected,
    // and keeps the selection it had in SavedSelection.
    void SelectionToBottom();
    TGridRect SavedSelection() const { return FSavedSelection; }
    // The text editor (null before the first edit).
    TVsInplaceEdit* GetInplaceEditor() const;
    void RepaintCell(int32_t ACol, int32_t ARow);
    // From the left of column 0 across the control's width.
    void InvalidateRow(int32_t ARow);
    // The union of the rectangles of (Left, Top) and (Right, Bottom); the
    // whole grid when one is out of view.
    void InvalidateCellPair(const TRect& Cells);

    // ---- headers
    void ApplyColumnHeaders();
    void ClearColumnHeaders();
    void ApplyRowHeaders();
    void ClearRowHeaders();

    // ---- saved column widths ("col<i>" keys of ColumnSize.Section)
    void SaveColumnWidths();
    void LoadColumnWidths();
    // The INI file the widths go to: ColumnSize.Key itself for clInifile
    // (a bare name in the settings folder), or a file named after the
    // registry key in the settings folder for clRegistry; "" when Key or
    // Section is empty.
    std::string ColumnWidthsFile() const;
    // Widens the last column to the client width (ColumnSize.Stretch).
    void StretchLastColumn();

    // ---- virtual dispatchers; each calls its event only when assigned
    virtual void GetCellColor(int32_t ACol, int32_t ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont);
    virtual void GetCellPrintColor(int32_t ACol, int32_t ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont);
    virtual void GetCellBorder(int32_t ACol, int32_t ARow, TPen* APen, TCellBorders& Borders);
    virtual void GetCellPrintBorder(int32_t ACol, int32_t ARow, TPen* APen, TCellBorders& Borders);
    virtual void GetAlignment(int32_t ACol, int32_t ARow, TAlignment& AAlignment);
    virtual void GetFormat(int32_t ACol, TSortStyle& AStyle, std::string& APrefix, std::string& ASuffix);
    virtual void GetEditorType(int32_t ACol, int32_t ARow, TEditorType& AEditor);
    virtual void IsFixedCell(int32_t ACol, int32_t ARow, bool& IsFixed);
    virtual void CanEditCell(int32_t ACol, int32_t ARow, bool& CanEdit);
    virtual void IsPasswordCell(int32_t ACol, int32_t ARow, bool& IsPassword);
    // A footer row, a fixed right column or IsFixedCell (ACol real).
    bool CellIsFixed(int32_t ACol, int32_t ARow);
    // goEditing and CanEditCell (ACol real).
    bool CellIsEditable(int32_t ACol, int32_t ARow);

    // ================================================================ editors (VsGridEditors.cpp)

    TGridCombo* CellCombo() const { return FCellCombo; }
    TGridSpin* CellSpin() const { return FCellSpin; }
    // Null when the common controls lack the date picker.
    TGridDatePicker* CellDatePicker() const { return FCellDatePicker; }
    TGridCheckBox* CellCheckBox() const { return FCellCheckBox; }
    TGridEditBtn* CellEditBtn() const { return FCellEditBtn; }
    TGridUnitEditBtn* CellUnitEditBtn() const { return FCellUnitEditBtn; }
    TGridButton* CellButton() const { return FCellButton; }
    TGridButton* MoveIndicator() const { return FMoveIndicator; }
    // The control of an editor type, or null for the text editor's types.
    TWinControl* EditorControl(TEditorType Type) const;
    // Its editing cycle (one table from the type), or null.
    TCellEditorKind* EditorKind(TEditorType Type) const;

    TEditorType ActiveEditorType() const { return FActiveEditorType; }
    bool EditorControlShowing() const { return FEditorControlShowing; }
    const std::string& EditStartText() const { return FEditStartText; }
    const std::string& SearchText() const { return FSearchText; }
    bool ReturningFromEditor() const { return FReturningFromEditor; }
    // Set by a click that should put the text editor's caret under the
    // mouse (MouseActions.CaretPositioning).
    bool CaretPositionRequest() const { return FCaretPositionRequest; }
    void SetCaretPositionRequest(bool Value) { FCaretPositionRequest = Value; }

    // Places, fills and shows the editor control of ActiveEditorType over
    // the cell (ACol display).
    void ShowCellEditor(int32_t ACol, int32_t ARow);
    // Writes the control's value into the cell and hides it.
    void HideCellEditor(int32_t ACol, int32_t ARow);
    void HideCurrentEditor();
    // S: the current cell's text in, what OnEllipsClick leaves out (also
    // written into the cell).
    virtual void EllipsClick(std::string& S);
    // The move after Enter or a cursor walk; Force moves without
    // Navigation.AdvanceOnEnter.
    void AdvanceCell(int32_t ACol, int32_t ARow, bool Forward, bool ShowEditor, bool Force);
    // The proper case of a name: capitals after blanks and punctuation,
    // after "Mc" and in Roman numerals II and III.
    static std::string ProperCase(const std::string& S);

    // ================================================================ scroll bars (VsGridScroll.cpp)

    bool FlatScrollBarsActive() const { return FFlatScrollBarsActive; }
    // Type, colour and width, the bars shown for the counts, their thumbs.
    void UpdateScrollBars();
    void UpdateVScrollBar();
    void UpdateHScrollBar();
    // The flat bars of the grid shown exactly when the counts need them,
    // with their thumbs (after a change of the counts or the size).
    void ShowFlatBarsForCounts();
    // The hint window of scroll and cell hints.
    THintWindow* HintWindow() const { return FHintWindow; }
    bool ScrollHintShowing() const { return FScrollHintShowing; }
    // A point (client pixels) on a border that sizes a column or a row.
    bool IsOnSizingBorder(int32_t X, int32_t Y) const;

    // ================================================================ hidden rows, filter, flags (VsGridHidden.cpp)

    const THiddenRows& HiddenRows() const { return FHiddenRows; }
    bool IsHiddenRow(int32_t RealRow) const { return FHiddenRows.Contains(RealRow); }
    int32_t HiddenRowCount() const { return FHiddenRows.Count(); }
    int32_t DisplayRowIndex(int32_t RealRow) const { return FHiddenRows.DisplayIndex(RealRow); }
    int32_t RealRowIndex(int32_t DisplayRow) const { return FHiddenRows.RealIndex(DisplayRow); }
    // Take the rows FromReal..ToReal (those in view, within the grid) out of
    // the grid; nothing when FromReal is hidden already. The deleting form
    // keeps the row flags in step as DeleteRows does.
    void HideRowsDeleting(int32_t FromReal, int32_t ToReal);
    void HideRowsRemoving(int32_t FromReal, int32_t ToReal);
    // Any set of rows in one pass (real indexes, ascending).
    void HideRowList(const std::vector<int32_t>& RealRows);
    // Brings the hidden rows of FromReal..ToReal back at their places;
    // nothing unless FromReal is hidden.
    void UnhideRows(int32_t FromReal, int32_t ToReal);
    void UnhideAllRows();

    bool RowMatchesFilter(int32_t Row);
    // Hides the normal rows that do not match the filter.
    void ApplyFilter();

    bool IsNodeRow(int32_t DisplayRow);
    void ContractNode(int32_t RealRow);
    void ExpandNode(int32_t RealRow);
    // The rows holding a node in column 0.
    int32_t NodeCount();

    bool IsRowSelected(int32_t Row);
    void SetRowSelected(int32_t Row, bool Selected);
    void ClearRowSelection();
    void SelectRowsOfSelection();
    int32_t RowSelectFlagCount() const { return static_cast<int32_t>(FRowSelectFlags.size()); }

    TCellGraphic* GetCellGraphic(int32_t ACol, int32_t ARow) const;
    uint8_t GetCellGraphicKind(int32_t ACol, int32_t ARow) const;
    bool HasCheckBox(int32_t ACol, int32_t ARow) const;
    bool HasCheckOrRadio(int32_t ACol, int32_t ARow) const;
    bool HasRadioGroup(int32_t ACol, int32_t ARow) const;
    bool HasButton(int32_t ACol, int32_t ARow) const;
    bool GetCheckBoxState(int32_t ACol, int32_t ARow, bool& State) const;
    bool ToggleCheckBox(int32_t ACol, int32_t ARow, bool AskEvent);
    bool GetRadioIndex(int32_t ACol, int32_t ARow, int32_t& Index) const;
    void SetGraphicState(int32_t ACol, int32_t ARow, bool State);
    bool GetButtonRect(int32_t ACol, int32_t ARow, TRect& Rect) const;
    bool GetGraphicText(int32_t ACol, int32_t ARow, std::string& Text) const;
    TIntList* GetImageIndexList(int32_t ACol, int32_t ARow) const;
    int64_t GetGraphicValue(int32_t ACol, int32_t ARow) const;
    void GetCellGraphicSize(int32_t ACol, int32_t ARow, int32_t& Width, int32_t& Height);

    // ================================================================ painting (VsGridPaint.cpp)

    TVsRichEdit* RichEditor() const { return FRichEditor; }
    virtual void GetDisplayText(int32_t ACol, int32_t ARow, std::string& Text);
    TAlignment GetCellAlignment(int32_t ACol, int32_t ARow);
    void MeasureCellText(int32_t ACol, int32_t ARow, int32_t& Width, int32_t& Height);
    void LoadRichText(int32_t ACol, int32_t ARow, TVsRichEdit* Editor);
    void StrippedCellText(int32_t ACol, int32_t ARow, std::string& Text);
    // While above 0 nothing paints; at 0 the grid repaints once.
    int32_t PaintLock() const { return FPaintLock; }
    void BeginPaintLock();
    void EndPaintLock();
    bool BlinkPhase() const { return FBlinkPhase; }
    int32_t ZoomOffset() const { return FZoomOffset; }
    // One cell, or the lines of the grid-wide pass, painted on another
    // canvas (the grid's own while it paints).
    void DrawCellOn(TCanvas& Canvas, int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState);
    void PaintLinesOn(TCanvas& Canvas);
    // What the mouse handling draws over the cells: a fixed cell pressed as
    // a button, the origin mark of panning.
    void PaintMarksOn(TCanvas& Canvas);
    // Where rotated text (kind 6) of the extent W x H starts in a cell.
    static TPoint RotatedTextStart(const TRect& Cell, int32_t Angle, TAlignment Alignment, TVAlignment VAlign,
                                   int32_t W, int32_t H);

    // ================================================================ input (VsGridInput.cpp)

    virtual bool ValidateCell();
    virtual void CellValueChanged(int32_t ACol, int32_t ARow);
    virtual void RememberEditCell(int32_t ACol, int32_t ARow);
    int32_t EditCellCol() const { return FEditCellCol; }
    int32_t EditCellRow() const { return FEditCellRow; }
    const std::string& EditCellText() const { return FEditCellText; }
    void ZoomStep(int32_t Delta);
    // The first data row whose search column starts with Text (upper
    // case), or -1.
    int32_t LookupRow(const std::string& Text);
    std::string SelectionDragText();
    bool IsInSelection(int32_t ACol, int32_t ARow) const;
    void InvalidateRange(const TGridRect& Range);
    uint32_t WheelMessage() const { return FWheelMessage; }
    // The cursor over links, shared by every grid (set by Loaded).
    static TCursor LinkCursor();
    int32_t WheelScrollLines() const { return FWheelScrollLines; }
    // Middle-button panning is going on.
    bool Panning() const { return FPanning; }

    // ================================================================ rows and columns (VsGridRows.cpp)

    virtual void RemoveRows(int32_t Index, int32_t Count);
    virtual void DeleteRows(int32_t Index, int32_t Count);
    virtual void InsertRows(int32_t Index, int32_t Count);
    virtual void RemoveCols(int32_t Index, int32_t Count);
    virtual void InsertCols(int32_t Index, int32_t Count);
    virtual void ClearRange(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom);
    void ClearRows(int32_t Index, int32_t Count);
    void ClearCols(int32_t Index, int32_t Count);
    void ClearAll();

    // ================================================================ sizing to contents (VsGridSizing.cpp)

    void AutoSizeColumns(bool IncludeFixed, int32_t Margin);
    void AutoSizeColumn(int32_t Index, bool OnlyGrow);
    void SizeColumnToText(int32_t Index) { AutoSizeColumn(Index, false); }
    void AutoSizeRow(int32_t Index);
    void SetRowLines(int32_t Index, int32_t Lines, int32_t Extra);
    int32_t MaxCellLines(int32_t Row);

    // ================================================================ clipboard (VsGridClipboard.cpp)

    void CopySelectionToClipboard();
    void CutSelectionToClipboard();
    void PasteSelectionFromClipboard();
    void CopyRangeToClipboard(const TGridRect& Range);
    void CopyRTFToClipboard(int32_t ACol, int32_t ARow);
    int32_t PasteFromClipboardAt(int32_t ACol, int32_t ARow);
    int32_t PasteTextBlock(int32_t ACol, int32_t ARow, const std::string& Text);
    virtual void AfterPaste(TPoint CopyOrigin, const TGridRect& Pasted, bool WasCopy);
    TPoint CopyOrigin() const { return FCopyOrigin; }
    bool LastActionWasCopy() const { return FLastActionWasCopy; }
    bool ClipboardQuoteLines() const { return FClipboardQuoteLines; }
    void SetClipboardQuoteLines(bool Value) { FClipboardQuoteLines = Value; }

    // ================================================================ sorting (VsGridSort.cpp)

    TSortIndexList* SortIndexes() const { return FSortIndexes.get(); }
    void SortByColumn();
    void SortNodeGroups();
    void SortByIndex();
    int32_t CompareCells(int32_t Col, int32_t Row1, int32_t Row2);
    int32_t CompareRows(int32_t Col, int32_t Row1, int32_t Row2);
    int32_t CompareRowsIndexed(int32_t Depth, int32_t Row1, int32_t Row2);
    void QuickSortRows(int32_t Col, int32_t Lo, int32_t Hi);
    void QuickSortRowsIndexed(int32_t Lo, int32_t Hi);
    void SwapRows(int32_t A, int32_t B);
    static TDateTime ParseDateDMY(const std::string& Text);
    static TDateTime ParseDateMDY(const std::string& Text);
    // The current row while a sort runs.
    int32_t SortRow() const { return FSortRow; }

    // ================================================================ import (VsGridImport.cpp)

    void ImportCsvFile(const std::string& FileName) { ImportCsv(FileName, false); }
    void ImportCsv(const std::string& FileName, bool Append);
    void ImportSpreadsheetFile(const std::string& FileName) { ImportSpreadsheet(FileName, ""); }
    void ImportSpreadsheet(const std::string& FileName, const std::string& SheetName);
    // '\0': detected per file.
    char CsvSeparator() const { return FCsvSeparator; }
    void SetCsvSeparator(char Value) { FCsvSeparator = Value; }
    bool CsvTildeBreaks() const { return FCsvTildeBreaks; }
    void SetCsvTildeBreaks(bool Value) { FCsvTildeBreaks = Value; }
    bool ImportFixedCells() const { return FImportFixedCells; }
    void SetImportFixedCells(bool Value) { FImportFixedCells = Value; }
    // An import runs (messages are processed meanwhile): a second import or
    // a drop does nothing.
    bool Importing() const { return FImporting; }

protected:
    // ---- core (VsGrid.cpp)
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    TInplaceEdit* CreateEditor() override;
    bool SelectCell(int32_t ACol, int32_t ARow) override;
    void SizeChanged(int32_t OldColCount, int32_t OldRowCount) override;
    void CellChanged(int32_t ACol, int32_t ARow) override;
    void WMSize(TWMSize& Message) override;
    void WMPaint(TMessage& Message) override;
    void TopLeftChanged() override;
    // The owner form's OnResize (kept and called after the grid's own).
    void FormResize(TObject* Sender);

    // ---- editors (VsGridEditors.cpp)
    bool CanEditShow() override;
    void KeyPress(char32_t& Key) override;
    TWinControl* EditingControl() override;

    // ---- scroll bars (VsGridScroll.cpp)
    void WMHScroll(TWMScroll& Message) override;
    void WMVScroll(TWMScroll& Message) override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;

    // ---- painting (VsGridPaint.cpp)
    void Paint() override;
    void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) override;

    // ---- input (VsGridInput.cpp)
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void CalcSizingState(int32_t X, int32_t Y, TGridState& State, int32_t& Index, int32_t& SizingPos,
                         int32_t& SizingOfs) override;
    void DoEnter() override;
    void DoExit() override;
    void WMSetFocus(TWMFocus& Message) override;
    void WMSetCursor(TWMSetCursor& Message) override;
    void CMCursorChanged(TMessage& Message) override;
    void CMHintShow(THintInfo& Info, intptr_t& Result) override;
    void WMLButtonDown(TWMMouse& Message) override;
    void WMLButtonUp(TWMMouse& Message) override;
    void WMLButtonDblClk(TWMMouse& Message) override;
    void WMRButtonDown(TWMMouse& Message) override;
    void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
    void WMKeyDown(TWMKey& Message) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void WMTimer(TWMTimer& Message) override;
    void ColumnMoved(int32_t FromIndex, int32_t ToIndex) override;
    void RowMoved(int32_t FromIndex, int32_t ToIndex) override;
    std::string GetEditText(int32_t ACol, int32_t ARow) override;
    void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;

public:
    // Runs the inherited click, then validates the remembered cell.
    void Click() override;

private:
    friend class TBands;
    friend class TBackGround;
    friend class TVsInplaceEdit;
    template <class>
    friend class TGridEditorControl;
    friend class TGridCombo;
    friend class TGridSpin;
    friend class TGridDatePicker;
    friend class TGridCheckBox;
    friend class TGridEditBtn;
    friend class TGridUnitEditBtn;
    friend class TGridButton;
    friend class TGridDropTarget;
    class TFormResizeHook;
    class TCellPainter;
    friend struct TVsStringGridProbe;
    // The widest text plus graphic of each column From..To (display
    // indexes), zoom applied, in one pass over the rows.
    std::vector<int32_t> MeasureColumns(int32_t From, int32_t To);
    // The canvas painting and measuring draw on.
    TCanvas& PaintCanvas() const { return FPaintCanvas ? *FPaintCanvas : *Canvas(); }

    // TGridSettingsOwner
    void SettingsRepaint() override;
    void SettingsStretchLastColumn() override;

    // ---- core helpers (VsGrid.cpp)
    void HeadersChanged(bool Columns);
    void InstallFormHook();
    void RemoveFormHook();
    // Leaving an editor control by a closing key, common to the controls:
    // the current cell takes Text and is validated (False: refused, the
    // control stays); then the control goes, the key is forwarded to the
    // grid's key handling when ToGrid, the grid takes the focus and, after
    // Enter, the current cell advances.
    bool WriteAndValidate(const std::string& Text);
    void LeaveEditorControl(Word Key, TShiftState Shift, bool ToGrid, bool SetReturning);
    // Leaving by a closing key: with Validate, Enter, Up and Down write
    // Value and validate (a refusal runs Restore and keeps the control);
    // Escape runs Restore; Up and Down go on to the grid (with ForwardSides
    // also Tab, Left and Right).
    void CloseEditorControl(Word& Key, TShiftState Shift, bool Validate, bool SetReturning,
                            const std::function<std::string()>& Value, const std::function<void()>& Restore,
                            bool ForwardSides = false);
    // The colour an editor takes over its cell (bands and OnGetCellColor).
    TColor EditorColor();
    // AdvanceCell's row added above the footers, or column left of the
    // fixed right columns, at At, told by OnAutoAddRow or OnAutoInsertCol.
    void AdvanceAddRow(int32_t At);
    void AdvanceInsertCol(int32_t At);

    // ---- scroll bars (VsGridScroll.cpp)
    void ApplyScrollType();
    void ApplyScrollColor();
    void ApplyScrollWidth();
    // Shows or hides a bar the grid has, while the flat bars are active.
    void FlatShowScrollBar(int Bar, bool Show);
    void ProportionalThumb(int Bar);
    // The thumb-tracking hint: Prefix and the line it stands for.
    void ScrollHint(uint16_t Code, const char* Prefix, int32_t Line);
    // A request of either bar: hints, the proportional mapping, the fixed
    // background, the platform's scrolling, the thumb.
    void ScrollBarMessage(TWMScroll& Message, int Bar);
    // A column width or row height changed (sizing all lines together).
    void LinesSized(bool Rows);

    // ---- hidden rows (VsGridHidden.cpp)
    // Rows as units out of the grid and back, many in one pass, with their
    // heights (and flags, when kept in step): display indexes, ascending.
    std::vector<TGridRowPtr> TakeDisplayRows(const std::vector<int32_t>& Rows, std::vector<int32_t>& Heights,
                                             bool KeepFlags);
    void PutDisplayRows(const std::vector<int32_t>& Positions, std::vector<TGridRowPtr> Rows,
                        const std::vector<int32_t>& Heights);
    // The editors give their text back before rows move.
    void RowsMoving();
    // Rows leave or come in Move, with the editors closed, painting held,
    // and the current cell and the top row kept on their indexes.
    void MoveRowsKeepingCurrent(const std::function<void()>& Move);
    // Takes the display rows (ascending) out of the grid with their heights
    // as hidden items of the given real indexes.
    void HideDisplayRows(const std::vector<int32_t>& DisplayRows, const std::vector<int32_t>& RealRows,
                         bool KeepFlags);
    // Puts items back at their display places.
    void RestoreItems(std::vector<TGridItem> Items);
    // The range forms of hiding, through DeleteRows or RemoveRows.
    void HideRange(int32_t FromReal, int32_t ToReal, bool Deleting);
    // Keeps the current cell and the top row on their indexes after rows
    // left or came (FixedRows when the index is gone).
    void RestoreCurrent(int32_t KeptRow, int32_t KeptTop);
    void RowsChangedByHiding();

    // ---- sorting (VsGridSort.cpp)
    // The frame of every sort: editors closed, painting held, column 0
    // kept (KeepColumn0 with SortNormalCellsOnly), the current row put on
    // its data afterwards (Validate: with validation armed), all restored
    // also when Body raises.
    void RunSort(bool KeepColumn0, bool Validate, const std::function<void()>& Body);

    // ---- input (VsGridInput.cpp)
    // The link under (X, Y) in the cell: a plain URL text with URLShow, or
    // the anchor the HTML renderer finds there; "" for none.
    std::string AnchorAt(int32_t ACol, int32_t ARow, int32_t X, int32_t Y);
    // A press at (X, Y) on a radio group cell selects the item there.
    void RadioClick(int32_t ACol, int32_t ARow, int32_t X, int32_t Y);
    // Ends the window update lock of a move from the fixed cells, if held.
    void ReleaseUpdateLock();
    // The parts of a left-button press at (X, Y) on the cell (C, R); each
    // answers True when the press ends there: on fixed, node and radio
    // cells and an OLE drag; on a button graphic or a link (after the row
    // selection starts); the selection from fixed cells and a move start.
    bool PressOnCellGraphics(int32_t C, int32_t R, int32_t X, int32_t Y);
    bool PressOnButtonOrLink(int32_t C, int32_t R, int32_t X, int32_t Y, TShiftState Shift);
    void PressOnFixedCells(int32_t C, int32_t R, int32_t X, int32_t Y);
    void OpenAnchor(const std::string& Anchor);
    // The indicator and arrows of a column or row moved with the mouse.
    void TrackMove(int32_t X, int32_t Y, int32_t C, int32_t R);
    void StartPanning(int32_t X, int32_t Y);
    void StopPanning();
    TRect PanMarkRect() const;
    void ShowPanMark();
    void ErasePanMark();
    void PanStep();
};

// ---------------------------------------------------------------- TGridDropTarget

// The grid's drop target: text is pasted as a block from the cell under
// the drop point, rich text fills that cell, one CSV or XLS file is
// imported.
class TGridDropTarget : public TDropTarget {
public:
    explicit TGridDropTarget(TVsStringGrid* Grid) : FGrid(Grid) {}
    TVsStringGrid* Grid() const { return FGrid; }

protected:
    void DropText(TPoint Point, const std::string& Text) override;
    void DropRTF(TPoint Point, const std::string& Text) override;
    void DropFiles(TPoint Point, TStrings* Files) override;

private:
    TVsStringGrid* FGrid;
};
