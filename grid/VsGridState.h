// What the string grid holds: its published values that only store, with
// their plain accessors, and its events (TVsGridPublished, a public base of
// the grid); and the rest of its state (TVsGridState, a protected base).
// The grid's own code and its friends use the fields as its members.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "grid/VsGridRowItems.h"
#include "grid/VsGridSettings.h"
#include "grid/VsGridTypes.h"

class TForm;
class TVsStringGrid;
class TBands;
class TBackGround;
class TVsRichEdit;
class TArrowWindow;
class TSortIndexList;
class TGridCombo;
class TGridSpin;
class TGridDatePicker;
class TGridCheckBox;
class TGridEditBtn;
class TGridUnitEditBtn;
class TGridButton;
class TGridDropTarget;
class THintWindow;
class TImageList;

// ---------------------------------------------------------------- TVsGridPublished

class TVsGridPublished {
public:
    bool AutoNumAlign() const { return FAutoNumAlign; }
    void SetAutoNumAlign(bool Value) { FAutoNumAlign = Value; }
    TVAlignment VAlignment() const { return FVAlignment; }
    bool EnhTextSize() const { return FEnhTextSize; }
    void SetEnhTextSize(bool Value) { FEnhTextSize = Value; }
    bool EnhRowColMove() const { return FEnhRowColMove; }
    void SetEnhRowColMove(bool Value) { FEnhRowColMove = Value; }
    bool SortFixedCols() const { return FSortFixedCols; }
    void SetSortFixedCols(bool Value) { FSortFixedCols = Value; }
    bool SortNormalCellsOnly() const { return FSortNormalCellsOnly; }
    void SetSortNormalCellsOnly(bool Value) { FSortNormalCellsOnly = Value; }
    bool SizeWithForm() const { return FSizeWithForm; }
    void SetSizeWithForm(bool Value) { FSizeWithForm = Value; }
    bool Multilinecells() const { return FMultilinecells; }
    void SetMultilinecells(bool Value) { FMultilinecells = Value; }
    TSortDirection SortDirection() const { return FSortDirection; }
    void SetSortDirection(TSortDirection Value) { FSortDirection = Value; }
    bool SortFull() const { return FSortFull; }
    void SetSortFull(bool Value) { FSortFull = Value; }
    bool SortAutoFormat() const { return FSortAutoFormat; }
    void SetSortAutoFormat(bool Value) { FSortAutoFormat = Value; }
    bool SortShow() const { return FSortShow; }
    bool SortIndexShow() const { return FSortIndexShow; }
    bool EnableGraphics() const { return FEnableGraphics; }
    void SetEnableGraphics(bool Value) { FEnableGraphics = Value; }
    int32_t SortColumn() const { return FSortColumn; }
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    TColor SelectionColor() const { return FSelectionColor; }
    TColor SelectionTextColor() const { return FSelectionTextColor; }
    bool SelectionRectangle() const { return FSelectionRectangle; }
    bool SelectionRTFKeep() const { return FSelectionRTFKeep; }
    void SetSelectionRTFKeep(bool Value) { FSelectionRTFKeep = Value; }
    bool HintShowCells() const { return FHintShowCells; }
    void SetHintShowCells(bool Value) { FHintShowCells = Value; }
    bool OleDropSource() const { return FOleDropSource; }
    void SetOleDropSource(bool Value) { FOleDropSource = Value; }
    TImageList* GridImages() const { return FGridImages; }
    TIntelliPan IntelliPan() const { return FIntelliPan; }
    void SetIntelliPan(TIntelliPan Value) { FIntelliPan = Value; }
    TColor URLColor() const { return FURLColor; }
    bool URLShow() const { return FURLShow; }
    bool URLFull() const { return FURLFull; }
    bool URLEdit() const { return FURLEdit; }
    void SetURLEdit(bool Value) { FURLEdit = Value; }
    TScrollType ScrollType() const { return FScrollType; }
    TColor ScrollColor() const { return FScrollColor; }
    int32_t ScrollWidth() const { return FScrollWidth; }
    bool ScrollProportional() const { return FScrollProportional; }
    TScrollHintType ScrollHints() const { return FScrollHints; }
    void SetScrollHints(TScrollHintType Value) { FScrollHints = Value; }
    bool OemConvert() const { return FOemConvert; }
    void SetOemConvert(bool Value) { FOemConvert = Value; }
    int32_t FixedFooters() const { return FFixedFooters; }
    int32_t FixedRightCols() const { return FFixedRightCols; }
    bool FixedAsButtons() const { return FFixedAsButtons; }
    void SetFixedAsButtons(bool Value) { FFixedAsButtons = Value; }
    const std::string& FloatFormat() const { return FFloatFormat; }
    void SetFloatFormat(const std::string& Value) { FFloatFormat = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetLookup(bool Value) { FLookup = Value; }
    bool LookupCaseSensitive() const { return FLookupCaseSensitive; }
    void SetLookupCaseSensitive(bool Value) { FLookupCaseSensitive = Value; }
    bool LookupHistory() const { return FLookupHistory; }
    void SetLookupHistory(bool Value) { FLookupHistory = Value; }
    bool ShowSelection() const { return FShowSelection; }
    bool HideFocusRect() const { return FHideFocusRect; }
    void SetHideFocusRect(bool Value) { FHideFocusRect = Value; }
    bool Hovering() const { return FHovering; }
    void SetHovering(bool Value) { FHovering = Value; }
    bool FilterActive() const { return FFilterActive; }

    // ---- events; each is called only when assigned

    TGridColorEvent OnGetCellColor;
    TGridColorEvent OnGetCellPrintColor;
    TGridBorderEvent OnGetCellPrintBorder;
    TGridBorderEvent OnGetCellBorder;
    TGridAlignEvent OnGetAlignment;
    TGridFormatEvent OnGetFormat;
    TGridHintEvent OnGridHint;
    TRowChangingEvent OnRowChanging;
    TColChangingEvent OnColChanging;
    TCellChangingEvent OnCellChanging;
    TGridPrintPageEvent OnPrintPage;
    TGridPrintStartEvent OnPrintStart;
    TDoFitToPageEvent OnFitToPage;
    TGridPrintNewPageEvent OnPrintNewPage;
    TGridPrintColumnWidthEvent OnPrintSetColumnWidth;
    TGridPrintRowHeightEvent OnPrintSetRowHeight;
    TCanAddRowEvent OnCanAddRow;
    TAutoAddRowEvent OnAutoAddRow;
    TCanInsertRowEvent OnCanInsertRow;
    TAutoInsertRowEvent OnAutoInsertRow;
    TAutoInsertColEvent OnAutoInsertCol;
    TCanDeleteRowEvent OnCanDeleteRow;
    TAutoDeleteRowEvent OnAutoDeleteRow;
    TClickSortEvent OnClickSort;
    TCanSortEvent OnCanSort;
    TNodeClickEvent OnExpandNode;
    TNodeClickEvent OnContractNode;
    TCustomCompareEvent OnCustomCompare;
    TRawCompareEvent OnRawCompare;
    TClickCellEvent OnClickCell;
    TClickCellEvent OnRightClickCell;
    TDblClickCellEvent OnDblClickCell;
    TCanEditCellEvent OnCanEditCell;
    TIsFixedCellEvent OnIsFixedCell;
    TIsPasswordCellEvent OnIsPasswordCell;
    TAnchorClickEvent OnAnchorClick;
    TAnchorEvent OnAnchorEnter;
    TAnchorEvent OnAnchorExit;
    TClipboardEvent OnClipboardPaste;
    TClipboardEvent OnClipboardCopy;
    TClipboardEvent OnClipboardCut;
    TCellValidateEvent OnCellValidate;
    TGridProgressEvent OnFileProgress;
    TGetEditorTypeEvent OnGetEditorType;
    TEllipsClickEvent OnEllipsClick;
    TButtonClickEvent OnButtonClick;
    TCheckBoxClickEvent OnCheckBoxClick;
    TCheckBoxClickEvent OnCheckBoxMouseUp;
    TRadioClickEvent OnRadioClick;
    TRadioClickEvent OnRadioMouseUp;
    TComboChangeEvent OnComboChange;
    TSpinClickEvent OnSpinClick;
    TFloatSpinClickEvent OnFloatSpinClick;
    TDateTimeSpinClickEvent OnTimeSpinClick;
    TDateTimeSpinClickEvent OnDateSpinClick;
    TOleDragDropEvent OnOleDrop;
    TOleDragDropEvent OnOleDrag;
    TScrollHintEvent OnScrollHint;
    TColumnSizeEvent OnColumnSize;
    TEndColumnSizeEvent OnEndColumnSize;
    TEndRowSizeEvent OnEndRowSize;

protected:
    bool FAutoNumAlign = false;
    bool FAutoSize = false;
    TVAlignment FVAlignment = vtaTop;
    bool FEnhTextSize = false;
    bool FEnhRowColMove = false;
    bool FSortFixedCols = false;
    bool FSortNormalCellsOnly = false;
    bool FSizeWithForm = false;
    bool FMultilinecells = false;
    TSortDirection FSortDirection = sdAscending;
    bool FSortFull = true;
    bool FSortAutoFormat = true;
    bool FSortShow = false;
    bool FSortIndexShow = false;
    bool FEnableGraphics = false;
    int32_t FSortColumn = 0;
    TColor FHintColor = clYellow;
    TColor FSelectionColor = clHighlight;
    TColor FSelectionTextColor = clHighlightText;
    bool FSelectionRectangle = false;
    bool FSelectionRTFKeep = false;
    bool FHintShowCells = false;
    bool FOleDropTarget = false;
    bool FOleDropSource = false;
    TImageList* FGridImages = nullptr;
    TIntelliPan FIntelliPan = ipVertical;
    TColor FURLColor = clBlue;
    bool FURLShow = false;
    bool FURLFull = false;
    bool FURLEdit = false;
    TScrollType FScrollType = ssNormal;
    TColor FScrollColor = clNone;
    int32_t FScrollWidth = 16;
    bool FScrollProportional = false;
    TScrollHintType FScrollHints = shNone;
    bool FOemConvert = false;
    int32_t FFixedFooters = 0;
    int32_t FFixedRightCols = 0;
    bool FFixedAsButtons = false;
    std::string FFloatFormat = "%.2f";
    bool FWordWrap = false;
    bool FLookup = false;
    bool FLookupCaseSensitive = false;
    bool FLookupHistory = false;
    bool FShowSelection = true;
    bool FHideFocusRect = false;
    bool FHovering = false;
    bool FFilterActive = false;
};

// ---------------------------------------------------------------- TGridPress

// The left-button press that the press, the movement and the release share:
// what was pressed and where, and what the release does (raise a fixed cell
// drawn pressed, click a pressed button cell, set or clear the row flag,
// drop a moved column or row where the arrows marked it).
class TGridPress {
public:
    // A new press at At; Sizing is the cell left of (or above) a border the
    // press may be on, with its width and height at the press.
    void Start(TPoint At, TGridCoord Sizing, int32_t Width, int32_t Height) {
        Point = At;
        SizingCell = Sizing;
        SizingWidth = Width;
        SizingHeight = Height;
        ButtonCell = TGridCoord{-1, -1};
        CtrlFlaggedRow = -1;
    }
    // The mouse is elsewhere than at the press.
    bool LeftPressPoint(int32_t X, int32_t Y) const { return X != Point.X || Y != Point.Y; }
    void PressFixed(const TRect& Cell) {
        FixedPressed = true;
        FixedRect = Cell;
    }
    // The fixed cell drawn pressed, now to be drawn raised; False for none.
    bool TakeFixed(TRect& Cell) {
        if (!FixedPressed) return false;
        FixedPressed = false;
        Cell = FixedRect;
        return true;
    }
    void PressButton(TGridCoord Cell) { ButtonCell = Cell; }
    // The button cell the release clicks ((-1, -1) none), once.
    TGridCoord TakeButton() {
        const TGridCoord b = ButtonCell;
        ButtonCell = TGridCoord{-1, -1};
        return b;
    }
    // A Ctrl press on a flagged row: its release clears the flag.
    void ClearFlagOnRelease(int32_t Row) { CtrlFlaggedRow = Row; }
    // The flag the release gives Row.
    bool FlagOnRelease(int32_t Row) const { return CtrlFlaggedRow != Row; }
    // A press on a fixed cell over a data column or row (Index) that may
    // start moving it; Offset: the press inside the cell.
    void StartMove(int32_t Index, TPoint Offset) {
        MoveIndex = Index;
        if (Index < 0) return;
        MoveOffset = Offset;
        ArrowCell = TGridCoord{-1, -1};
    }

    TPoint Point{-1, -1};
    TGridCoord SizingCell{-1, -1};
    int32_t SizingWidth = 0;
    int32_t SizingHeight = 0;
    int32_t MoveIndex = -1;
    TPoint MoveOffset;
    bool FixedPressed = false;
    TRect FixedRect;
    TGridCoord ButtonCell{-1, -1};
    int32_t CtrlFlaggedRow = -1;
    // A mouse row selection (DisjunctRowSelect) is going on.
    bool RowSelecting = false;
    // The cell the arrow windows marked last while moving.
    TGridCoord ArrowCell{-1, -1};
};

// ---------------------------------------------------------------- TVsGridState

class TVsGridState {
protected:

    // ---- owned objects, in the order of their creation
    std::unique_ptr<TPrintsettings> FPrintSettings;
    std::unique_ptr<THTMLSettings> FHTMLSettings;
    std::unique_ptr<TNavigation> FNavigation;
    std::unique_ptr<TColumnSize> FColumnSize;
    std::unique_ptr<TCellNode> FCellNode;
    std::unique_ptr<TBands> FBands;
    std::unique_ptr<TSizeWhileTyping> FSizeWhileTyping;
    std::unique_ptr<TMouseActions> FMouseActions;
    std::unique_ptr<TStringList> FColumnHeaders;
    std::unique_ptr<TFont> FFixedFont;
    std::unique_ptr<TStringList> FRowHeaders;
    // Rows are exchanged as units in the store (Model().SwapRows); the
    // buffer stays for descendants that exchange texts themselves.
    std::unique_ptr<TStringList> FSwapRowBuffer;
    std::unique_ptr<TStringList> FLookupItems;
    std::vector<uint8_t> FRowSelectFlags;
    std::unique_ptr<TSortIndexList> FSortIndexes;
    std::unique_ptr<TBitmap> FSortUpGlyph;
    std::unique_ptr<TBitmap> FSortDownGlyph;
    std::unique_ptr<TBackGround> FBackGround;
    THintWindow* FHintWindow = nullptr;
    THiddenRows FHiddenRows;
    std::unique_ptr<TFilter> FFilter;
    TVsRichEdit* FRichEditor = nullptr;
    std::array<TArrowWindow*, 4> FArrows{};
    TGridCombo* FCellCombo = nullptr;
    TGridSpin* FCellSpin = nullptr;
    TGridDatePicker* FCellDatePicker = nullptr;
    TGridCheckBox* FCellCheckBox = nullptr;
    TGridEditBtn* FCellEditBtn = nullptr;
    TGridUnitEditBtn* FCellUnitEditBtn = nullptr;
    TGridButton* FCellButton = nullptr;
    TGridButton* FMoveIndicator = nullptr;

    // ---- core state
    char32_t FPasswordChar = U'*';
    std::string FCheckTrueText = "Y";
    std::string FCheckFalseText = "N";
    std::array<bool, VsGridConst::MaxVisibilityColumns> FColumnVisible{};
    int32_t FHiddenColCount = 0;
    TGridRect FSavedSelection{-1, -1, -1, -1};
    // DT_TOP, DT_VCENTER or DT_BOTTOM, from VAlignment.
    uint32_t FVAlignFlag = DT_TOP;
    // DT_RTLREADING once Loaded found a right-to-left reading order.
    uint32_t FReadingFlag = 0;
    TCursor FSavedCursor = crDefault;
    bool FLoaded = false;
    // The owner form's resize chain.
    TForm* FOwnerForm = nullptr;
    TNotifyEvent FPrevFormResize;
    bool FChainFormResize = false;
    std::shared_ptr<TVsStringGrid*> FFormHookToken;
    int32_t FFormWidth = 0;
    int32_t FFormHeight = 0;
    bool FStretchEnabled = true;
    bool FApplyingHeaders = false;
    uint32_t FWheelMessage = 0;
    int32_t FWheelScrollLines = 3;

    // ---- editors
    int32_t FComboDefaultIndex = -1;
    TEditorType FActiveEditorType = edNormal;
    bool FEditorControlShowing = false;
    std::string FEditStartText;
    // The cell's text when its editor control showed (Escape gives it back).
    std::string FShownText;
    std::string FSearchText;
    bool FReturningFromEditor = false;
    bool FCaretPositionRequest = false;
    // The control was left by Escape and writes nothing.
    bool FEditorCancelled = false;
    // SelectCell changes goEditing: no editor shows meanwhile.
    bool FSelecting = false;

    // ---- scroll bars, hints and sizing by the mouse
    bool FFlatScrollBarsActive = false;
    bool FScrollHintShowing = false;
    // The column and row sized by the mouse (-1 none), their size at the
    // start of the drag, and whether a column or row is being sized (set by
    // the mouse handling).
    int32_t FSizingCol = -1;
    int32_t FSizingRow = -1;
    int32_t FSizingColWidth = 0;
    int32_t FSizingRowHeight = 0;
    bool FColSizing = false;
    bool FRowSizing = false;
    // Set while AllColumnSize or AllRowSize scale the other lines.
    bool FScalingAll = false;

    // ---- hidden rows and filter
    int32_t FFilterSavedFixedRows = 0;
    // Activating the filter added an empty row (above the footers).
    bool FFilterAddedRow = false;
    int32_t FNodeCount = 0;
    bool FNodeCountValid = true;

    // ---- painting
    bool FBlinkPhase = false;
    int32_t FZoomOffset = 0;
    int32_t FPaintLock = 0;
    // The text width of the cell being painted, for placing its graphic.
    int32_t FPaintTextWidth = 0;
    // The rectangle the rich editor last asked for.
    TRect FRichRequestRect;
    // A column width changed since the last paint.
    bool FWidthsChanged = false;
    TCanvas* FPaintCanvas = nullptr;

    // ---- input
    int32_t FEditCellCol = -1;
    int32_t FEditCellRow = -1;
    std::string FEditCellText;
    bool FCellValidationArmed = false;
    int32_t FSelectCursorKind = 0;
    bool FKeepSelectCursor = false;
    bool FPanning = false;
    TPoint FPanOrigin;
    TCursor FPanSavedCursor = crDefault;
    bool FPanMarkShown = false;
    std::string FLastAnchor;
    TPoint FHintCell{-1, -1};
    // The press of the mouse handling.
    TGridPress FPress;
    bool FMoved = false;
    bool FSized = false;
    bool FDblClickSized = false;
    bool FUpdatesLocked = false;
    TGridRect FLastSelection{-1, -1, -1, -1};

    // ---- clipboard
    TPoint FCopyOrigin{0, 0};
    bool FLastActionWasCopy = false;
    bool FClipboardQuoteLines = false;
    // The cells the last block paste reached (empty when none).
    TGridRect FPastedRange{0, 0, -1, -1};

    // ---- sorting
    int32_t FSortRow = -1;

    // ---- import and drop
    char FCsvSeparator = '\0';
    bool FCsvTildeBreaks = false;
    bool FImportFixedCells = true;
    bool FImporting = false;
    std::shared_ptr<TGridDropTarget> FDropTarget;
    bool FDropTargetRegistered = false;
};
