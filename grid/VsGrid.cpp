// The grid's core: construction and its defaults, the settings objects and
// properties, the dispatchers, cell operations, the current cell, headers,
// saved column widths, stretching and the owner form's resize chain.
#include "grid/VsGrid.h"

#include <algorithm>

#include "grid/VsUtil.h"
#include "platform/controls/FlatSB.h"
#include "platform/controls/Forms.h"
#include "platform/controls/WinApi.h"
#include "platform/runtime/IniFiles.h"

namespace {
// The cursor the mouse handling shows over links, shared by every grid.
TCursor gLinkCursor = crDefault;
}  // namespace

bool IsTextEditorType(TEditorType Type) {
    switch (Type) {
    case edNormal:
    case edInteger:
    case edDigits:
    case edFloat:
    case edCapitals:
    case edProperCase:
    case edPassword:
    case edLowerCase:
    case edUpperCase: return true;
    default: return false;
    }
}

// ---------------------------------------------------------------- TCellGraphic

TCellGraphic::~TCellGraphic() {
    switch (Kind) {
    case cgBitmap:
    case cgPicture:
    case cgFilePicture:
        if (Owned) delete First;
        break;
    case cgIcon:
        if (Owned) delete Second;
        break;
    case cgImageList: delete First; break;
    default: break;
    }
}

// ---------------------------------------------------------------- TBands

void TBands::Changed(bool Always) {
    if (FGrid && (Always || FActive)) FGrid->Invalidate();
}

void TBands::SetActive(bool Value) {
    FActive = Value;
    Changed(true);
}

void TBands::SetPrimaryColor(TColor Value) {
    FPrimaryColor = Value;
    Changed(false);
}

void TBands::SetPrimaryLength(int32_t Value) {
    FPrimaryLength = Value;
    FBandLength = FPrimaryLength + FSecondaryLength;
    Changed(false);
}

void TBands::SetSecondaryColor(TColor Value) {
    FSecondaryColor = Value;
    Changed(false);
}

void TBands::SetSecondaryLength(int32_t Value) {
    FSecondaryLength = Value;
    FBandLength = FPrimaryLength + FSecondaryLength;
    Changed(false);
}

void TBands::Assign(const TPersistent* Source) {
    const auto* b = dynamic_cast<const TBands*>(Source);
    if (!b) {
        TPersistent::Assign(Source);
        return;
    }
    FActive = b->FActive;
    FPrimaryColor = b->FPrimaryColor;
    FPrimaryLength = b->FPrimaryLength;
    FSecondaryColor = b->FSecondaryColor;
    FSecondaryLength = b->FSecondaryLength;
    FPrint = b->FPrint;
    FBandLength = FPrimaryLength + FSecondaryLength;
    Changed(true);
}

// ---------------------------------------------------------------- TBackGround

TBackGround::TBackGround(TVsStringGrid* Grid) : FGrid(Grid), FBitmap(std::make_unique<TBitmap>()) {}

TBackGround::~TBackGround() = default;

void TBackGround::Changed() {
    if (FGrid) FGrid->Invalidate();
}

void TBackGround::SetBitmap(const TBitmap* Value) {
    if (Value) FBitmap->Assign(Value);
    else FBitmap = std::make_unique<TBitmap>();
    Changed();
}

void TBackGround::SetLeft(int32_t Value) {
    FLeft = Value;
    Changed();
}

void TBackGround::SetTop(int32_t Value) {
    FTop = Value;
    Changed();
}

void TBackGround::SetDisplay(TBackGroundDisplay Value) {
    FDisplay = Value;
    Changed();
}

void TBackGround::Assign(const TPersistent* Source) {
    const auto* b = dynamic_cast<const TBackGround*>(Source);
    if (!b) {
        TPersistent::Assign(Source);
        return;
    }
    FBitmap->Assign(b->FBitmap.get());
    FLeft = b->FLeft;
    FTop = b->FTop;
    FDisplay = b->FDisplay;
    Changed();
}

// ---------------------------------------------------------------- the owner form's resize

// The handler the grid puts into its owner form's OnResize. Once the grid
// is gone (and could not take itself out of the chain, because a later
// handler was put in front of it), it only passes the call on.
class TVsStringGrid::TFormResizeHook {
public:
    std::shared_ptr<TVsStringGrid*> Token;
    TNotifyEvent Previous;
    void operator()(TObject* Sender) const {
        if (TVsStringGrid* grid = *Token) grid->FormResize(Sender);
        else if (Previous) Previous(Sender);
    }
};

void TVsStringGrid::InstallFormHook() {
    FOwnerForm = dynamic_cast<TForm*>(Owner());
    if (!FOwnerForm) return;
    FPrevFormResize = FOwnerForm->OnResize;
    FChainFormResize = static_cast<bool>(FPrevFormResize);
    FFormWidth = FOwnerForm->Width();
    FFormHeight = FOwnerForm->Height();
    FFormHookToken = std::make_shared<TVsStringGrid*>(this);
    FOwnerForm->OnResize = TFormResizeHook{FFormHookToken, FPrevFormResize};
}

void TVsStringGrid::RemoveFormHook() {
    if (!FOwnerForm || !FFormHookToken) return;
    const auto* hook = FOwnerForm->OnResize.target<TFormResizeHook>();
    if (hook && hook->Token == FFormHookToken) FOwnerForm->OnResize = FPrevFormResize;
    *FFormHookToken = nullptr;
    FFormHookToken.reset();
    FOwnerForm = nullptr;
}

void TVsStringGrid::FormResize(TObject* Sender) {
    if (auto* form = dynamic_cast<TForm*>(Sender); form && FSizeWithForm) {
        const int32_t w = form->Width() + Width() - FFormWidth;
        const int32_t h = form->Height() + Height() - FFormHeight;
        if (w > 0 && h > 0) {
            SetBounds(Left(), Top(), w, h);
            FFormWidth = form->Width();
            FFormHeight = form->Height();
        }
    }
    if (FChainFormResize && FPrevFormResize) {
        try {
            FPrevFormResize(Sender);
        } catch (...) {
        }
    }
    StretchLastColumn();
}

// ---------------------------------------------------------------- construction

TVsStringGrid::TVsStringGrid(TComponent* AOwner) : TStringGrid(AOwner) {
    FPrintSettings = std::make_unique<TPrintsettings>();
    FHTMLSettings = std::make_unique<THTMLSettings>();
    FNavigation = std::make_unique<TNavigation>();
    FColumnSize = std::make_unique<TColumnSize>(static_cast<TGridSettingsOwner*>(this));
    FCellNode = std::make_unique<TCellNode>(static_cast<TGridSettingsOwner*>(this));
    FBands = std::make_unique<TBands>(this);
    FSizeWhileTyping = std::make_unique<TSizeWhileTyping>();
    FMouseActions = std::make_unique<TMouseActions>();
    FColumnHeaders = std::make_unique<TStringList>();
    FColumnHeaders->OnChange = [this](TObject*) { HeadersChanged(true); };
    FFixedFont = std::make_unique<TFont>();
    FFixedFont->OnChange = [this](TObject*) { Invalidate(); };
    FRowHeaders = std::make_unique<TStringList>();
    FRowHeaders->OnChange = [this](TObject*) { HeadersChanged(false); };
    FSwapRowBuffer = std::make_unique<TStringList>();
    FLookupItems = std::make_unique<TStringList>();
    FSortIndexes = std::make_unique<TSortIndexList>();
    FSortUpGlyph = std::make_unique<TBitmap>();
    FSortDownGlyph = std::make_unique<TBitmap>();
    FBackGround = std::make_unique<TBackGround>(this);
    FHintWindow = new THintWindow(this);
    FFilter = std::make_unique<TFilter>(this);

    // The arrow windows that mark where a moved column or row lands.
    for (int i = 0; i < 4; ++i) {
        FArrows[static_cast<size_t>(i)] = new TArrowWindow(this, static_cast<TArrowDirection>(i));
        FArrows[static_cast<size_t>(i)]->SetParent(this);
    }

    InstallFormHook();

    FColumnVisible.fill(true);
    FHiddenColCount = 0;
    SetDefaultRowHeight(21);
    FScrollWidth = GetSystemMetrics(SM_CXVSCROLL);

    // The wheel's lines per notch, as the system is set.
    uint32_t lines = 3;
    if (SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines)) FWheelScrollLines = static_cast<int32_t>(lines);
    FWheelMessage = WM_MOUSEWHEEL;

    FRichEditor = new TVsRichEdit(this);

    // The editor controls, each hidden and disabled until a cell needs it.
    auto prepare = [this](TWinControl* c) {
        c->SetParent(this);
        c->SetVisible(false);
        c->SetEnabled(false);
    };
    FCellCombo = new TGridCombo(this);
    prepare(FCellCombo);
    FCellSpin = new TGridSpin(this);
    prepare(FCellSpin);
    if (GetDllVersion("comctl32.dll") >= VsGridConst::DatePickerVersion) {
        FCellDatePicker = new TGridDatePicker(this);
        prepare(FCellDatePicker);
    }
    FCellCheckBox = new TGridCheckBox(this);
    prepare(FCellCheckBox);
    FCellEditBtn = new TGridEditBtn(this);
    prepare(FCellEditBtn);
    FCellUnitEditBtn = new TGridUnitEditBtn(this);
    prepare(FCellUnitEditBtn);
    FCellButton = new TGridButton(this);
    prepare(FCellButton);
    FMoveIndicator = new TGridButton(this);
    prepare(FMoveIndicator);
    FEditorControlShowing = false;
    FActiveEditorType = edNormal;
}

TVsStringGrid::~TVsStringGrid() {
    DetachWidget();
    RemoveFormHook();
    if (FColumnSize->Save()) GuardedCall(this, [this] { SaveColumnWidths(); });
    if (FDropTargetRegistered) RevokeDropTarget(this);
    if (FlatSBInitialized(this)) UninitializeFlatSB(this);
    // The cell graphics go with the cells, those of hidden rows too.
    if (FEnableGraphics) {
        auto freeRow = [](TGridRow* row) {
            if (!row) return;
            for (int32_t c = 0; c < row->Count(); ++c)
                if (auto* g = dynamic_cast<TCellGraphic*>(row->Object(c))) {
                    row->SetObject(c, nullptr);
                    delete g;
                }
        };
        for (int32_t r = 0; r < Model().RowSlots(); ++r) freeRow(const_cast<TGridRow*>(Model().Row(r)));
        for (TGridItem& item : FHiddenRows.TakeAll()) {
            TGridRowPtr row = item.TakeRow();
            freeRow(row.get());
        }
    }
}

void TVsStringGrid::Loaded() {
    FLoaded = true;
    FSavedCursor = Cursor();
    ApplyColumnHeaders();
    ApplyRowHeaders();
    gLinkCursor = crHandPoint;
    if (BiDiMode() != bdLeftToRight) FReadingFlag = DT_RTLREADING;
}

TCursor TVsStringGrid::LinkCursor() { return gLinkCursor; }

int32_t TVsStringGrid::GetDllVersion(const std::string& FileName) { return GetFileVersionNumber(FileName); }

void TVsStringGrid::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent == FGridImages) FGridImages = nullptr;
    TStringGrid::Notification(AComponent, Operation);
}

void TVsStringGrid::CreateWnd() {
    if (!Parent()) return;
    TStringGrid::CreateWnd();
    FRichEditor->SetParent(this);
    FRichEditor->SetVisible(false);
    FRichEditor->SetBounds(0, 0, 0, FRichEditor->Height());
    FRichEditor->OnRequestSize = [this](TObject*, const TRect& r) { FRichRequestRect = r; };
    if (FColumnSize->Save()) LoadColumnWidths();
    SetTimer(VsGridConst::HoverTimer, VsGridConst::HoverInterval);
}

void TVsStringGrid::DestroyWnd() {
    KillTimer(VsGridConst::HoverTimer);
    TStringGrid::DestroyWnd();
}

TInplaceEdit* TVsStringGrid::CreateEditor() { return new TVsInplaceEdit(this); }

TVsInplaceEdit* TVsStringGrid::GetInplaceEditor() const { return dynamic_cast<TVsInplaceEdit*>(InplaceEditor()); }

// ---------------------------------------------------------------- settings objects

void TVsStringGrid::SettingsRepaint() { Invalidate(); }

void TVsStringGrid::SettingsStretchLastColumn() { StretchLastColumn(); }

void TVsStringGrid::SetPrintSettings(const TPrintsettings* Value) {
    if (!Value || Value == FPrintSettings.get()) return;
    TPrintsettings& p = *FPrintSettings;
    p.SetTime(Value->Time());
    p.SetDate(Value->Date());
    p.SetPageNr(Value->PageNr());
    p.SetTitle(Value->Title());
    p.SetDateFormat(Value->DateFormat());
    p.SetPageNumSep(Value->PageNumSep());
    p.SetPagePrefix(Value->PagePrefix());
    p.SetPageSuffix(Value->PageSuffix());
    p.SetTitleText(Value->TitleText());
    p.SetTitleLines(Value->TitleLines());
    p.SetFont(Value->Font());
    p.SetHeaderFont(Value->HeaderFont());
    p.SetFooterFont(Value->FooterFont());
    p.SetBorders(Value->Borders());
    p.SetBorderStyle(Value->BorderStyle());
    p.SetCentered(Value->Centered());
    p.SetRepeatFixedRows(Value->RepeatFixedRows());
    p.SetRepeatFixedCols(Value->RepeatFixedCols());
    p.SetFooterSize(Value->FooterSize());
    p.SetHeaderSize(Value->HeaderSize());
    p.SetLeftSize(Value->LeftSize());
    p.SetRightSize(Value->RightSize());
    p.SetColumnSpacing(Value->ColumnSpacing());
    p.SetRowSpacing(Value->RowSpacing());
    p.SetTitleSpacing(Value->TitleSpacing());
    p.SetOrientation(Value->Orientation());
    p.SetFixedWidth(Value->FixedWidth());
    p.SetFixedHeight(Value->FixedHeight());
    p.SetUseFixedWidth(Value->UseFixedWidth());
    p.SetUseFixedHeight(Value->UseFixedHeight());
    p.SetFitToPage(Value->FitToPage());
    p.SetJobName(Value->JobName());
    p.SetNoAutoSize(Value->NoAutoSize());
    p.SetPrintGraphics(Value->PrintGraphics());
}

void TVsStringGrid::SetHTMLSettings(const THTMLSettings* Value) {
    if (!Value) return;
    THTMLSettings& h = *FHTMLSettings;
    h.SetBorderSize(Value->BorderSize());
    h.SetCellSpacing(Value->CellSpacing());
    h.SetSaveColor(Value->SaveColor());
    h.SetSaveFonts(Value->SaveFonts());
    h.SetFooterFile(Value->FooterFile());
    h.SetHeaderFile(Value->HeaderFile());
    h.SetTableStyle(Value->TableStyle());
    h.SetPrefixTag(Value->PrefixTag());
    h.SetSuffixTag(Value->SuffixTag());
    h.SetWidth(Value->Width());
}

void TVsStringGrid::SetNavigation(const TNavigation* Value) {
    if (!Value) return;
    TNavigation& n = *FNavigation;
    n.SetAllowInsertRow(Value->AllowInsertRow());
    n.SetAllowDeleteRow(Value->AllowDeleteRow());
    n.SetAdvanceOnEnter(Value->AdvanceOnEnter());
    n.SetAdvanceInsert(Value->AdvanceInsert());
    n.SetAutoGotoWhenSorted(Value->AutoGotoWhenSorted());
    n.SetAutoGotoIncremental(Value->AutoGotoIncremental());
    n.SetAutoComboDropSize(Value->AutoComboDropSize());
    n.SetAdvanceDirection(Value->AdvanceDirection());
    n.SetAllowClipboardShortCuts(Value->AllowClipboardShortCuts());
    n.SetAllowSmartClipboard(Value->AllowSmartClipboard());
    n.SetAllowRTFClipboard(Value->AllowRTFClipboard());
    n.SetAdvanceAuto(Value->AdvanceAuto());
    n.SetInsertPosition(Value->InsertPosition());
    n.SetCursorWalkEditor(Value->CursorWalkEditor());
    n.SetMoveRowOnSort(Value->MoveRowOnSort());
    n.SetImproveMaskSel(Value->ImproveMaskSel());
    n.SetAlwaysEdit(Value->AlwaysEdit());
    n.SetCopyHTMLTagsToClipboard(Value->CopyHTMLTagsToClipboard());
}

void TVsStringGrid::SetColumnSize(const TColumnSize* Value) {
    if (!Value) return;
    FColumnSize->SetSave(Value->Save());
    FColumnSize->SetKey(Value->Key());
    FColumnSize->SetSection(Value->Section());
    FColumnSize->SetLocation(Value->Location());
    FColumnSize->SetStretch(Value->Stretch());
}

void TVsStringGrid::SetCellNode(const TCellNode* Value) {
    if (!Value) return;
    FCellNode->SetColor(Value->Color());
    FCellNode->SetNodeColor(Value->NodeColor());
    FCellNode->SetExpandGlyph(Value->ExpandGlyph());
    FCellNode->SetContractGlyph(Value->ContractGlyph());
    FCellNode->SetNodeType(Value->NodeType());
}

void TVsStringGrid::SetBands(const TBands* Value) {
    if (Value) FBands->Assign(Value);
}

void TVsStringGrid::SetSizeWhileTyping(const TSizeWhileTyping* Value) {
    if (!Value) return;
    FSizeWhileTyping->SetHeight(Value->Height());
    FSizeWhileTyping->SetWidth(Value->Width());
}

void TVsStringGrid::SetMouseActions(const TMouseActions* Value) {
    if (!Value) return;
    TMouseActions& m = *FMouseActions;
    m.SetColSelect(Value->ColSelect());
    m.SetRowSelect(Value->RowSelect());
    m.SetAllSelect(Value->AllSelect());
    m.SetDirectEdit(Value->DirectEdit());
    m.SetDirectComboDrop(Value->DirectComboDrop());
    m.SetDisjunctRowSelect(Value->DisjunctRowSelect());
    m.SetAllColumnSize(Value->AllColumnSize());
    m.SetAllRowSize(Value->AllRowSize());
    m.SetCaretPositioning(Value->CaretPositioning());
}

void TVsStringGrid::SetBackGround(const TBackGround* Value) {
    if (Value) FBackGround->Assign(Value);
}

void TVsStringGrid::SetFilter(const TFilter* Value) {
    if (Value) FFilter->Assign(Value);
}

// ---------------------------------------------------------------- properties

void TVsStringGrid::SetAutoSize(bool Value) {
    FAutoSize = Value;
    if (Value) AutoSizeColumns(true, 10);
}

void TVsStringGrid::SetVAlignment(TVAlignment Value) {
    FVAlignment = Value;
    FVAlignFlag = Value == vtaTop ? DT_TOP : Value == vtaBottom ? DT_BOTTOM : DT_VCENTER;
    Invalidate();
}

void TVsStringGrid::SetSortShow(bool Value) {
    if (Value == FSortShow) return;
    FSortShow = Value;
    InvalidateRow(0);
}

void TVsStringGrid::SetSortIndexShow(bool Value) {
    if (Value == FSortIndexShow) return;
    FSortIndexShow = Value;
    InvalidateRow(0);
}

void TVsStringGrid::SetSortColumn(int32_t Value) {
    if (Value == FSortColumn) return;
    FSortColumn = Value;
    InvalidateRow(0);
}

void TVsStringGrid::SetSelectionColor(TColor Value) {
    FSelectionColor = Value;
    Invalidate();
}

void TVsStringGrid::SetSelectionTextColor(TColor Value) {
    FSelectionTextColor = Value;
    Invalidate();
}

void TVsStringGrid::SetSelectionRectangle(bool Value) {
    FSelectionRectangle = Value;
    Invalidate();
}

void TVsStringGrid::SetShowSelection(bool Value) {
    if (Value == FShowSelection) return;
    FShowSelection = Value;
    Invalidate();
}

void TVsStringGrid::SetOleDropTarget(bool Value) {
    FOleDropTarget = Value;
    if (Value) {
        if (FDropTargetRegistered) return;
        FDropTarget = std::make_shared<TGridDropTarget>(this);
        FDropTargetRegistered = RegisterDropTarget(this, FDropTarget) == S_OK;
    } else if (FDropTargetRegistered) {
        RevokeDropTarget(this);
        FDropTargetRegistered = false;
        FDropTarget.reset();
    }
}

bool TVsStringGrid::OleDropRTF() const { return AcceptRTF(); }

void TVsStringGrid::SetOleDropRTF(bool Value) { SetAcceptRTF(Value); }

void TVsStringGrid::SetGridImages(TImageList* Value) {
    if (Value != FGridImages) FGridImages = Value;
}

void TVsStringGrid::SetURLColor(TColor Value) {
    FURLColor = Value;
    if (FURLShow) Invalidate();
}

void TVsStringGrid::SetURLShow(bool Value) {
    FURLShow = Value;
    Invalidate();
}

void TVsStringGrid::SetURLFull(bool Value) {
    FURLFull = Value;
    if (FURLShow) Invalidate();
}

void TVsStringGrid::SetFixedFooters(int32_t Value) {
    FFixedFooters = std::max(0, Value);
    Invalidate();
}

void TVsStringGrid::SetFixedRightCols(int32_t Value) {
    FFixedRightCols = std::max(0, Value);
    Invalidate();
}

void TVsStringGrid::SetFixedColWidth(int32_t Value) {
    for (int32_t i = 0; i < FixedCols(); ++i) SetColWidths(i, Value);
}

void TVsStringGrid::SetFixedRowHeight(int32_t Value) {
    for (int32_t i = 0; i < FixedRows(); ++i) SetRowHeights(i, Value);
}

void TVsStringGrid::SetFixedFont(const TFont* Value) {
    if (Value) FFixedFont->Assign(Value);
    Invalidate();
}

void TVsStringGrid::SetWordWrap(bool Value) {
    FWordWrap = Value;
    if (TVsInplaceEdit* editor = GetInplaceEditor()) editor->SetWordWrap(Value);
    Invalidate();
}

void TVsStringGrid::SetColumnHeaders(const TStrings* Value) {
    if (Value) FColumnHeaders->Assign(Value);
    if (FixedRows() > 0) ClearColumnHeaders();
    ApplyColumnHeaders();
}

void TVsStringGrid::SetRowHeaders(const TStrings* Value) {
    if (Value) FRowHeaders->Assign(Value);
    ApplyRowHeaders();
}

void TVsStringGrid::SetLookupItems(const TStrings* Value) {
    if (Value) FLookupItems->Assign(Value);
}

void TVsStringGrid::SetSortUpGlyph(const TBitmap* Value) {
    if (Value) FSortUpGlyph->Assign(Value);
    else FSortUpGlyph = std::make_unique<TBitmap>();
    Invalidate();
}

void TVsStringGrid::SetSortDownGlyph(const TBitmap* Value) {
    if (Value) FSortDownGlyph->Assign(Value);
    else FSortDownGlyph = std::make_unique<TBitmap>();
    Invalidate();
}

// ---------------------------------------------------------------- column visibility

bool TVsStringGrid::ColumnVisible(int32_t Index) const {
    return Index < 0 || Index >= MaxVisibilityColumns || FColumnVisible[static_cast<size_t>(Index)];
}

int32_t TVsStringGrid::RealColIndex(int32_t VisibleIndex) const {
    if (VisibleIndex >= 256 || FHiddenColCount == 0) return VisibleIndex;
    int32_t seen = 0;
    for (int32_t i = 0; i < 256; ++i) {
        if (!FColumnVisible[static_cast<size_t>(i)]) continue;
        if (seen == VisibleIndex) return i;
        ++seen;
    }
    return 0;
}

int32_t TVsStringGrid::DisplayColIndex(int32_t RealIndex) const {
    if (FHiddenColCount == 0) return RealIndex;
    int32_t hidden = 0;
    const int32_t bound = std::clamp(RealIndex, 0, MaxVisibilityColumns);
    for (int32_t i = 0; i < bound; ++i)
        if (!FColumnVisible[static_cast<size_t>(i)]) ++hidden;
    return RealIndex - hidden;
}

// ---------------------------------------------------------------- cell operations

int32_t TVsStringGrid::GetCellInteger(int32_t ACol, int32_t ARow) const {
    const std::string s = Cells(ACol, ARow);
    if (s.empty()) return 0;
    int32_t v = 0;
    if (!TryStrToInt(s, v)) throw EVsGridError(VsGridConst::SNoInteger);
    return v;
}

double TVsStringGrid::GetCellFloat(int32_t ACol, int32_t ARow) const {
    const std::string s = NormalizeFloatText(Cells(ACol, ARow));
    if (s.empty()) return 0;
    long double v = 0;
    if (!TryStrToFloat(s, v, '.')) throw EVsGridError(VsGridConst::SNoInteger);
    return static_cast<double>(v);
}

TDateTime TVsStringGrid::GetCellDate(int32_t ACol, int32_t ARow) const { return StrToDate(Cells(ACol, ARow)); }

void TVsStringGrid::SetCellInteger(int32_t ACol, int32_t ARow, int32_t Value) {
    SetCells(ACol, ARow, IntToStr(Value));
}

void TVsStringGrid::RestoreEditText() {
    SetCells(RealColIndex(Col()), Row(), FEditStartText);
    // The editor of the cell shows the restored text too.
    CellChanged(Col(), Row());
}

void TVsStringGrid::ScrollCellInView(int32_t ACol, int32_t ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    int32_t left = LeftCol();
    int32_t top = TopRow();
    const int32_t cols = VisibleColCount();
    const int32_t rows = VisibleRowCount();
    if (ACol >= FixedCols() && (ACol < left || ACol > left + cols)) {
        SetCol(ACol);
        left = std::max(FixedCols(), ACol - cols / 2);
    }
    if (ARow >= FixedRows() && (ARow < top || ARow > top + rows)) {
        SetRow(ARow);
        top = std::max(FixedRows(), ARow - rows / 2);
    }
    SetLeftCol(left);
    SetTopRow(top);
}

void TVsStringGrid::RelocateColumn(int32_t From, int32_t To) { MoveColumn(From, To); }

void TVsStringGrid::RelocateRow(int32_t From, int32_t To) { MoveRow(From, To); }

void TVsStringGrid::SelectionToBottom() {
    FSavedSelection = Selection();
    SetSelection(TGridRect{ColCount(), RowCount(), ColCount(), RowCount()});
}

void TVsStringGrid::RepaintCell(int32_t ACol, int32_t ARow) { InvalidateCell(ACol, ARow); }

void TVsStringGrid::InvalidateRow(int32_t ARow) {
    const TRect r = BoxRect(0, ARow, ColCount() - 1, ARow);
    if (IsRectEmpty(r)) return;
    InvalidateRect(Rect(r.Left, r.Top, ClientWidth(), r.Bottom + GridLineWidth()));
}

void TVsStringGrid::InvalidateCellPair(const TRect& Cells) {
    const TRect a = CellRect(Cells.Left, Cells.Top);
    const TRect b = CellRect(Cells.Right, Cells.Bottom);
    if (IsRectEmpty(a) || IsRectEmpty(b)) {
        Invalidate();
        return;
    }
    InvalidateRect(Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right) + GridLineWidth(),
                        std::max(a.Bottom, b.Bottom) + GridLineWidth()));
}

// ---------------------------------------------------------------- headers

void TVsStringGrid::HeadersChanged(bool Columns) {
    if (Columns) ApplyColumnHeaders();
    else ApplyRowHeaders();
}

void TVsStringGrid::ApplyColumnHeaders() {
    if (FixedRows() <= 0) return;
    const int32_t n = std::min(FColumnHeaders->Count(), ColCount());
    for (int32_t i = 0; i < n; ++i) SetCells(i, 0, DecodeLineBreaks(FColumnHeaders->Get(i)));
}

void TVsStringGrid::ClearColumnHeaders() {
    for (int32_t i = 0; i < ColCount(); ++i) SetCells(i, 0, "");
}

void TVsStringGrid::ApplyRowHeaders() {
    if (FixedCols() <= 0) return;
    const int32_t n = std::min(FRowHeaders->Count(), RowCount());
    for (int32_t i = 0; i < n; ++i) SetCells(0, i, DecodeLineBreaks(FRowHeaders->Get(i)));
}

void TVsStringGrid::ClearRowHeaders() {
    for (int32_t i = 0; i < RowCount(); ++i) SetCells(0, i, "");
}

// ---------------------------------------------------------------- saved column widths

std::string TVsStringGrid::ColumnWidthsFile() const {
    const std::string& key = FColumnSize->Key();
    if (key.empty() || FColumnSize->Section().empty()) return {};
    if (FColumnSize->Location() == clInifile)
        return key.find('/') != std::string::npos ? key : SettingsFolder() + key;
    // A registry key names a file of its own: its path parts joined by "_".
    std::string name;
    for (char c : key) name += (c == '\\' || c == '/' || c == ':') ? '_' : c;
    return SettingsFolder() + name + ".ini";
}

void TVsStringGrid::SaveColumnWidths() {
    const std::string file = ColumnWidthsFile();
    if (file.empty()) return;
    TIniFile ini(file);
    for (int32_t i = 0; i < ColCount(); ++i) ini.WriteInteger(FColumnSize->Section(), "col" + IntToStr(i), ColWidths(i));
}

void TVsStringGrid::LoadColumnWidths() {
    const std::string file = ColumnWidthsFile();
    if (file.empty()) return;
    TIniFile ini(file);
    for (int32_t i = 0; i < ColCount(); ++i) {
        const int32_t w = ini.ReadInteger(FColumnSize->Section(), "col" + IntToStr(i), -1);
        if (w != -1) SetColWidths(i, w);
    }
}

// ---------------------------------------------------------------- stretching

void TVsStringGrid::StretchLastColumn() {
    if (ColCount() == 0 || !FColumnSize->Stretch()) return;
    const bool enabled = FStretchEnabled;
    FStretchEnabled = false;
    struct Restore {
        bool& Flag;
        bool Value;
        ~Restore() { Flag = Value; }
    } restore{FStretchEnabled, enabled};
    const int32_t client = ClientWidth();
    if (ColCount() == 1) {
        SetColWidths(0, client);
        return;
    }
    int64_t sum = 0;
    for (int32_t i = 0; i <= ColCount() - 2; ++i) sum += ColWidths(i) + GridLineWidth();
    if (sum < client) SetColWidths(ColCount() - 1, static_cast<int32_t>(client - sum - 1));
}

// ---------------------------------------------------------------- dispatchers

void TVsStringGrid::GetCellColor(int32_t ACol, int32_t ARow, TGridDrawState AState, TBrush* ABrush, TFont* AFont) {
    const int32_t band = FBands->BandLength();
    if (FBands->Active() && band >= 1 && ACol >= FixedCols() && ACol < ColCount() - FFixedRightCols &&
        ARow >= FixedRows() && ARow < RowCount() - FFixedFooters && ABrush) {
        const bool primary = (ARow - FixedRows()) % band < FBands->PrimaryLength();
        ABrush->SetColor(primary ? FBands->PrimaryColor() : FBands->SecondaryColor());
    }
    if (OnGetCellColor) OnGetCellColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TVsStringGrid::GetCellPrintColor(int32_t ACol, int32_t ARow, TGridDrawState AState, TBrush* ABrush,
                                      TFont* AFont) {
    const int32_t band = FBands->BandLength();
    if (FBands->Active() && FBands->Print() && band >= 1 && ACol >= FixedCols() &&
        ACol < ColCount() - FFixedRightCols && ARow >= FixedRows() && ARow < RowCount() - FFixedFooters && ABrush) {
        const bool primary = (ARow - FixedRows()) % band < FBands->PrimaryLength();
        ABrush->SetColor(primary ? FBands->PrimaryColor() : FBands->SecondaryColor());
    }
    if (OnGetCellPrintColor) OnGetCellPrintColor(this, ARow, ACol, AState, ABrush, AFont);
}

void TVsStringGrid::GetCellBorder(int32_t ACol, int32_t ARow, TPen* APen, TCellBorders& Borders) {
    if (OnGetCellBorder) OnGetCellBorder(this, ARow, ACol, APen, Borders);
}

void TVsStringGrid::GetCellPrintBorder(int32_t ACol, int32_t ARow, TPen* APen, TCellBorders& Borders) {
    if (OnGetCellPrintBorder) OnGetCellPrintBorder(this, ARow, ACol, APen, Borders);
}

void TVsStringGrid::GetAlignment(int32_t ACol, int32_t ARow, TAlignment& AAlignment) {
    if (OnGetAlignment) OnGetAlignment(this, ARow, ACol, AAlignment);
}

void TVsStringGrid::GetFormat(int32_t ACol, TSortStyle& AStyle, std::string& APrefix, std::string& ASuffix) {
    if (OnGetFormat) OnGetFormat(this, ACol, AStyle, APrefix, ASuffix);
}

void TVsStringGrid::GetEditorType(int32_t ACol, int32_t ARow, TEditorType& AEditor) {
    if (OnGetEditorType) OnGetEditorType(this, ACol, ARow, AEditor);
}

void TVsStringGrid::IsFixedCell(int32_t ACol, int32_t ARow, bool& IsFixed) {
    if (OnIsFixedCell) OnIsFixedCell(this, ARow, ACol, IsFixed);
}

void TVsStringGrid::CanEditCell(int32_t ACol, int32_t ARow, bool& CanEdit) {
    if (OnCanEditCell) OnCanEditCell(this, ARow, ACol, CanEdit);
}

void TVsStringGrid::IsPasswordCell(int32_t ACol, int32_t ARow, bool& IsPassword) {
    if (OnIsPasswordCell) OnIsPasswordCell(this, ARow, ACol, IsPassword);
}

bool TVsStringGrid::CellIsFixed(int32_t ACol, int32_t ARow) {
    if (ARow >= RowCount() - FFixedFooters) return true;
    if (ACol >= FHiddenColCount + ColCount() - FFixedRightCols) return true;
    bool fixed = false;
    IsFixedCell(ACol, ARow, fixed);
    return fixed;
}

bool TVsStringGrid::CellIsEditable(int32_t ACol, int32_t ARow) {
    bool can = (Options() & goEditing) != 0;
    CanEditCell(ACol, ARow, can);
    return can;
}

// ---------------------------------------------------------------- current cell

bool TVsStringGrid::SelectCell(int32_t ACol, int32_t ARow) {
    bool allow = true;
    if (ARow != Row() && OnRowChanging) OnRowChanging(this, Row(), ARow, allow);
    if (ACol != Col() && OnColChanging) OnColChanging(this, Col(), ACol, allow);
    if ((ACol != Col() || ARow != Row()) && OnCellChanging) OnCellChanging(this, Row(), Col(), ARow, ACol, allow);
    if (!allow) return false;
    const int32_t realCol = RealColIndex(ACol);
    FEditStartText = Cells(realCol, ARow);
    // Editing is switched per cell: a check box or radio cell keeps it.
    if (!HasCheckOrRadio(realCol, ARow)) {
        bool canEdit = (Options() & goEditing) != 0;
        CanEditCell(realCol, ARow, canEdit);
        const TGridOptions wanted = canEdit ? (Options() | goEditing) : (Options() & ~goEditing);
        if (wanted != Options()) {
            // No editor opens on the cell being left while the option changes.
            const bool selecting = FSelecting;
            FSelecting = true;
            struct Restore {
                bool& Flag;
                bool Value;
                ~Restore() { Flag = Value; }
            } restore{FSelecting, selecting};
            SetOptions(wanted);
        }
    }
    // Footer rows and fixed right columns never become current (the rows
    // in the grid are counted: hidden rows are not among them).
    if (ARow >= RowCount() - FFixedFooters) return false;
    if (realCol >= FHiddenColCount + ColCount() - FFixedRightCols) return false;
    bool fixed = false;
    IsFixedCell(realCol, ARow, fixed);
    if (fixed) return false;
    return TStringGrid::SelectCell(ACol, ARow);
}

void TVsStringGrid::SizeChanged(int32_t OldColCount, int32_t OldRowCount) {
    TStringGrid::SizeChanged(OldColCount, OldRowCount);
    FNodeCountValid = false;
    if (RowCount() < static_cast<int32_t>(FRowSelectFlags.size()))
        FRowSelectFlags.resize(static_cast<size_t>(RowCount()));
    if (!Parent()) return;
    StretchLastColumn();
    ShowFlatBarsForCounts();
}

void TVsStringGrid::CellChanged(int32_t ACol, int32_t ARow) {
    if (ACol == 0) FNodeCountValid = false;
    TStringGrid::CellChanged(ACol, ARow);
}

void TVsStringGrid::WMSize(TWMSize& Message) {
    TStringGrid::WMSize(Message);
    StretchLastColumn();
    UpdateScrollBars();
    ShowFlatBarsForCounts();
}

void TVsStringGrid::WMPaint(TMessage& Message) {
    // A paint lock keeps everything as it is on the screen.
    if (FPaintLock > 0) {
        Message.Result = 0;
        return;
    }
    TStringGrid::WMPaint(Message);
}

void TVsStringGrid::BeginPaintLock() { ++FPaintLock; }

void TVsStringGrid::EndPaintLock() {
    if (FPaintLock <= 0) return;
    if (--FPaintLock == 0) Invalidate();
}

void TVsStringGrid::TopLeftChanged() {
    TStringGrid::TopLeftChanged();
    if (FEditorControlShowing && FActiveEditorType != edNormal) HideCurrentEditor();
    UpdateScrollBars();
}
