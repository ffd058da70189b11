// The option groups of TVsStringGrid, published as its sub-properties
// CellNode, SizeWhileTyping, MouseActions, ColumnSize, Navigation,
// HTMLSettings and PrintSettings. The grid creates them before any property
// streams in and frees them with itself. Most setters only store; the two
// that act on the grid (CellNode.NodeType, ColumnSize.Stretch) report to the
// grid through TGridSettingsOwner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"
#include "platform/printing/PageSetup.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/Types.h"

// What the settings objects need of the grid that owns them. The grid
// implements it; a settings object without an owner only stores. Both calls
// may come while the form streams in, before the grid has a window.
class TGridSettingsOwner {
public:
    virtual ~TGridSettingsOwner() = default;
    // The look of node cells changed: repaint the whole grid.
    virtual void SettingsRepaint() = 0;
    // ColumnSize.Stretch was set: stretch the last column to the client
    // width now (the grid checks Stretch itself and does nothing when off).
    virtual void SettingsStretchLastColumn() = 0;
};

// ---------------------------------------------------------------- TCellNode

enum TNodeType { cnFlat, cn3D, cnGlyph };

class TCellNode : public TPersistent {
public:
    explicit TCellNode(TGridSettingsOwner* Owner);
    ~TCellNode() override;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TNodeType NodeType() const { return FNodeType; }
    // Repaints the grid when the value changes.
    void SetNodeType(TNodeType Value);
    TColor NodeColor() const { return FNodeColor; }
    void SetNodeColor(TColor Value) { FNodeColor = Value; }
    // Owned bitmaps; the setters copy into them.
    TBitmap* ExpandGlyph() const { return FExpandGlyph.get(); }
    void SetExpandGlyph(const TBitmap* Value);
    TBitmap* ContractGlyph() const { return FContractGlyph.get(); }
    void SetContractGlyph(const TBitmap* Value);

private:
    TGridSettingsOwner* FOwner;
    TColor FColor = clSilver;
    TNodeType FNodeType = cnFlat;
    TColor FNodeColor = clBlack;
    std::unique_ptr<TBitmap> FExpandGlyph;
    std::unique_ptr<TBitmap> FContractGlyph;
};

// ---------------------------------------------------------------- TSizeWhileTyping

class TSizeWhileTyping : public TPersistent {
public:
    // Rows grow with the text typed in word-wrapped or multi-line cells.
    bool Height() const { return FHeight; }
    void SetHeight(bool Value) { FHeight = Value; }
    // The current column is sized to its text after each key.
    bool Width() const { return FWidth; }
    void SetWidth(bool Value) { FWidth = Value; }

private:
    bool FHeight = false;
    bool FWidth = false;
};

// ---------------------------------------------------------------- TMouseActions

class TMouseActions : public TPersistent {
public:
    bool ColSelect() const { return FColSelect; }
    void SetColSelect(bool Value) { FColSelect = Value; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool Value) { FRowSelect = Value; }
    bool AllSelect() const { return FAllSelect; }
    void SetAllSelect(bool Value) { FAllSelect = Value; }
    bool DirectEdit() const { return FDirectEdit; }
    void SetDirectEdit(bool Value) { FDirectEdit = Value; }
    // The combo cell editor opens its list as soon as it shows.
    bool DirectComboDrop() const { return FDirectComboDrop; }
    void SetDirectComboDrop(bool Value) { FDirectComboDrop = Value; }
    // Row selection flags follow their rows when rows move.
    bool DisjunctRowSelect() const { return FDisjunctRowSelect; }
    void SetDisjunctRowSelect(bool Value) { FDisjunctRowSelect = Value; }
    // Sizing one column or row sizes all of them.
    bool AllColumnSize() const { return FAllColumnSize; }
    void SetAllColumnSize(bool Value) { FAllColumnSize = Value; }
    bool AllRowSize() const { return FAllRowSize; }
    void SetAllRowSize(bool Value) { FAllRowSize = Value; }
    bool CaretPositioning() const { return FCaretPositioning; }
    void SetCaretPositioning(bool Value) { FCaretPositioning = Value; }

private:
    bool FColSelect = false;
    bool FRowSelect = false;
    bool FAllSelect = false;
    bool FDirectEdit = false;
    bool FDirectComboDrop = false;
    bool FDisjunctRowSelect = false;
    bool FAllColumnSize = false;
    bool FAllRowSize = false;
    bool FCaretPositioning = false;
};

// ---------------------------------------------------------------- TColumnSize

enum TColumnSizeLocation { clRegistry, clInifile };

class TColumnSize : public TPersistent {
public:
    explicit TColumnSize(TGridSettingsOwner* Owner) : FOwner(Owner) {}

    // Widths are loaded when the grid's window is created and saved when the
    // grid is destroyed.
    bool Save() const { return FSave; }
    void SetSave(bool Value) { FSave = Value; }
    // INI file name or registry key, and the section.
    const std::string& Key() const { return FKey; }
    void SetKey(const std::string& Value) { FKey = Value; }
    const std::string& Section() const { return FSection; }
    void SetSection(const std::string& Value) { FSection = Value; }
    bool Stretch() const { return FStretch; }
    // Stores, then has the grid stretch its last column at once.
    void SetStretch(bool Value);
    TColumnSizeLocation Location() const { return FLocation; }
    void SetLocation(TColumnSizeLocation Value) { FLocation = Value; }

private:
    TGridSettingsOwner* FOwner;
    bool FSave = false;
    std::string FKey;
    std::string FSection;
    bool FStretch = false;
    TColumnSizeLocation FLocation = clRegistry;
};

// ---------------------------------------------------------------- TNavigation

enum TAdvanceDirection { adLeftRight, adTopBottom };
enum TInsertPosition { pInsertBefore, pInsertAfter };

class TNavigation : public TPersistent {
public:
    bool AllowInsertRow() const { return FAllowInsertRow; }
    void SetAllowInsertRow(bool Value) { FAllowInsertRow = Value; }
    bool AllowDeleteRow() const { return FAllowDeleteRow; }
    void SetAllowDeleteRow(bool Value) { FAllowDeleteRow = Value; }
    bool AdvanceOnEnter() const { return FAdvanceOnEnter; }
    void SetAdvanceOnEnter(bool Value) { FAdvanceOnEnter = Value; }
    bool AdvanceInsert() const { return FAdvanceInsert; }
    void SetAdvanceInsert(bool Value) { FAdvanceInsert = Value; }
    bool AutoGotoWhenSorted() const { return FAutoGotoWhenSorted; }
    void SetAutoGotoWhenSorted(bool Value) { FAutoGotoWhenSorted = Value; }
    bool AutoGotoIncremental() const { return FAutoGotoIncremental; }
    void SetAutoGotoIncremental(bool Value) { FAutoGotoIncremental = Value; }
    bool AutoComboDropSize() const { return FAutoComboDropSize; }
    void SetAutoComboDropSize(bool Value) { FAutoComboDropSize = Value; }
    TAdvanceDirection AdvanceDirection() const { return FAdvanceDirection; }
    void SetAdvanceDirection(TAdvanceDirection Value) { FAdvanceDirection = Value; }
    bool AllowClipboardShortCuts() const { return FAllowClipboardShortCuts; }
    void SetAllowClipboardShortCuts(bool Value) { FAllowClipboardShortCuts = Value; }
    bool AllowSmartClipboard() const { return FAllowSmartClipboard; }
    void SetAllowSmartClipboard(bool Value) { FAllowSmartClipboard = Value; }
    bool AllowRTFClipboard() const { return FAllowRTFClipboard; }
    void SetAllowRTFClipboard(bool Value) { FAllowRTFClipboard = Value; }
    bool AdvanceAuto() const { return FAdvanceAuto; }
    void SetAdvanceAuto(bool Value) { FAdvanceAuto = Value; }
    TInsertPosition InsertPosition() const { return FInsertPosition; }
    void SetInsertPosition(TInsertPosition Value) { FInsertPosition = Value; }
    bool CursorWalkEditor() const { return FCursorWalkEditor; }
    void SetCursorWalkEditor(bool Value) { FCursorWalkEditor = Value; }
    bool MoveRowOnSort() const { return FMoveRowOnSort; }
    void SetMoveRowOnSort(bool Value) { FMoveRowOnSort = Value; }
    bool ImproveMaskSel() const { return FImproveMaskSel; }
    void SetImproveMaskSel(bool Value) { FImproveMaskSel = Value; }
    bool AlwaysEdit() const { return FAlwaysEdit; }
    void SetAlwaysEdit(bool Value) { FAlwaysEdit = Value; }
    bool CopyHTMLTagsToClipboard() const { return FCopyHTMLTagsToClipboard; }
    void SetCopyHTMLTagsToClipboard(bool Value) { FCopyHTMLTagsToClipboard = Value; }

private:
    bool FAllowInsertRow = false;
    bool FAllowDeleteRow = false;
    bool FAdvanceOnEnter = false;
    bool FAdvanceInsert = false;
    bool FAutoGotoWhenSorted = false;
    bool FAutoGotoIncremental = false;
    bool FAutoComboDropSize = false;
    TAdvanceDirection FAdvanceDirection = adLeftRight;
    bool FAllowClipboardShortCuts = false;
    bool FAllowSmartClipboard = false;
    bool FAllowRTFClipboard = false;
    bool FAdvanceAuto = false;
    TInsertPosition FInsertPosition = pInsertBefore;
    bool FCursorWalkEditor = false;
    bool FMoveRowOnSort = false;
    bool FImproveMaskSel = false;
    bool FAlwaysEdit = false;
    bool FCopyHTMLTagsToClipboard = true;
};

// ---------------------------------------------------------------- THTMLSettings

// Options of an HTML table output; stored and streamed only.
class THTMLSettings : public TPersistent {
public:
    int32_t BorderSize() const { return FBorderSize; }
    void SetBorderSize(int32_t Value) { FBorderSize = Value; }
    int32_t CellSpacing() const { return FCellSpacing; }
    void SetCellSpacing(int32_t Value) { FCellSpacing = Value; }
    bool SaveColor() const { return FSaveColor; }
    void SetSaveColor(bool Value) { FSaveColor = Value; }
    bool SaveFonts() const { return FSaveFonts; }
    void SetSaveFonts(bool Value) { FSaveFonts = Value; }
    const std::string& FooterFile() const { return FFooterFile; }
    void SetFooterFile(const std::string& Value) { FFooterFile = Value; }
    const std::string& HeaderFile() const { return FHeaderFile; }
    void SetHeaderFile(const std::string& Value) { FHeaderFile = Value; }
    const std::string& TableStyle() const { return FTableStyle; }
    void SetTableStyle(const std::string& Value) { FTableStyle = Value; }
    const std::string& PrefixTag() const { return FPrefixTag; }
    void SetPrefixTag(const std::string& Value) { FPrefixTag = Value; }
    const std::string& SuffixTag() const { return FSuffixTag; }
    void SetSuffixTag(const std::string& Value) { FSuffixTag = Value; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Value) { FWidth = Value; }

private:
    int32_t FBorderSize = 1;
    int32_t FCellSpacing = 0;
    bool FSaveColor = true;
    bool FSaveFonts = true;
    std::string FFooterFile;
    std::string FHeaderFile;
    std::string FTableStyle;
    std::string FPrefixTag;
    std::string FSuffixTag;
    int32_t FWidth = 100;
};

// ---------------------------------------------------------------- TPrintsettings

enum TPrintPosition { ppNone, ppTopLeft, ppTopRight, ppTopCenter, ppBottomLeft, ppBottomRight, ppBottomCenter };
enum TPrintBorders { pbNoborder, pbSingle, pbDouble, pbVertical, pbHorizontal, pbAround, pbAroundVertical,
                     pbAroundHorizontal, pbCustom };
enum TFitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };

// Options of printing a grid; stored and streamed only.
class TPrintsettings : public TPersistent {
public:
    TPrintsettings();
    ~TPrintsettings() override;

    TPrintPosition Time() const { return FTime; }
    void SetTime(TPrintPosition Value) { FTime = Value; }
    TPrintPosition Date() const { return FDate; }
    void SetDate(TPrintPosition Value) { FDate = Value; }
    TPrintPosition PageNr() const { return FPageNr; }
    void SetPageNr(TPrintPosition Value) { FPageNr = Value; }
    TPrintPosition Title() const { return FTitle; }
    void SetTitle(TPrintPosition Value) { FTitle = Value; }
    const std::string& DateFormat() const { return FDateFormat; }
    void SetDateFormat(const std::string& Value) { FDateFormat = Value; }
    const std::string& PageNumSep() const { return FPageNumSep; }
    void SetPageNumSep(const std::string& Value) { FPageNumSep = Value; }
    const std::string& PagePrefix() const { return FPagePrefix; }
    void SetPagePrefix(const std::string& Value) { FPagePrefix = Value; }
    const std::string& PageSuffix() const { return FPageSuffix; }
    void SetPageSuffix(const std::string& Value) { FPageSuffix = Value; }
    const std::string& TitleText() const { return FTitleText; }
    void SetTitleText(const std::string& Value) { FTitleText = Value; }
    // Owned list and fonts; the setters copy into them.
    TStringList* TitleLines() const { return FTitleLines.get(); }
    void SetTitleLines(const TStrings* Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* Value);
    TFont* HeaderFont() const { return FHeaderFont.get(); }
    void SetHeaderFont(const TFont* Value);
    TFont* FooterFont() const { return FFooterFont.get(); }
    void SetFooterFont(const TFont* Value);
    TPrintBorders Borders() const { return FBorders; }
    void SetBorders(TPrintBorders Value) { FBorders = Value; }
    TPenStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TPenStyle Value) { FBorderStyle = Value; }
    bool Centered() const { return FCentered; }
    void SetCentered(bool Value) { FCentered = Value; }
    bool RepeatFixedRows() const { return FRepeatFixedRows; }
    void SetRepeatFixedRows(bool Value) { FRepeatFixedRows = Value; }
    bool RepeatFixedCols() const { return FRepeatFixedCols; }
    void SetRepeatFixedCols(bool Value) { FRepeatFixedCols = Value; }
    int32_t FooterSize() const { return FFooterSize; }
    void SetFooterSize(int32_t Value) { FFooterSize = Value; }
    int32_t HeaderSize() const { return FHeaderSize; }
    void SetHeaderSize(int32_t Value) { FHeaderSize = Value; }
    int32_t LeftSize() const { return FLeftSize; }
    void SetLeftSize(int32_t Value) { FLeftSize = Value; }
    int32_t RightSize() const { return FRightSize; }
    void SetRightSize(int32_t Value) { FRightSize = Value; }
    int32_t ColumnSpacing() const { return FColumnSpacing; }
    void SetColumnSpacing(int32_t Value) { FColumnSpacing = Value; }
    int32_t RowSpacing() const { return FRowSpacing; }
    void SetRowSpacing(int32_t Value) { FRowSpacing = Value; }
    int32_t TitleSpacing() const { return FTitleSpacing; }
    void SetTitleSpacing(int32_t Value) { FTitleSpacing = Value; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation Value) { FOrientation = Value; }
    int32_t FixedWidth() const { return FFixedWidth; }
    void SetFixedWidth(int32_t Value) { FFixedWidth = Value; }
    int32_t FixedHeight() const { return FFixedHeight; }
    void SetFixedHeight(int32_t Value) { FFixedHeight = Value; }
    bool UseFixedWidth() const { return FUseFixedWidth; }
    void SetUseFixedWidth(bool Value) { FUseFixedWidth = Value; }
    bool UseFixedHeight() const { return FUseFixedHeight; }
    void SetUseFixedHeight(bool Value) { FUseFixedHeight = Value; }
    TFitToPage FitToPage() const { return FFitToPage; }
    void SetFitToPage(TFitToPage Value) { FFitToPage = Value; }
    const std::string& JobName() const { return FJobName; }
    void SetJobName(const std::string& Value) { FJobName = Value; }
    bool NoAutoSize() const { return FNoAutoSize; }
    void SetNoAutoSize(bool Value) { FNoAutoSize = Value; }
    bool PrintGraphics() const { return FPrintGraphics; }
    void SetPrintGraphics(bool Value) { FPrintGraphics = Value; }

private:
    TPrintPosition FTime = ppNone;
    TPrintPosition FDate = ppNone;
    TPrintPosition FPageNr = ppNone;
    TPrintPosition FTitle = ppNone;
    std::string FDateFormat = "dd/mm/yyyy";
    std::string FPageNumSep = "/";
    std::string FPagePrefix;
    std::string FPageSuffix;
    std::string FTitleText;
    std::unique_ptr<TStringList> FTitleLines;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TFont> FHeaderFont;
    std::unique_ptr<TFont> FFooterFont;
    TPrintBorders FBorders = pbNoborder;
    TPenStyle FBorderStyle = psSolid;
    bool FCentered = false;
    bool FRepeatFixedRows = false;
    bool FRepeatFixedCols = false;
    int32_t FFooterSize = 0;
    int32_t FHeaderSize = 0;
    int32_t FLeftSize = 0;
    int32_t FRightSize = 0;
    int32_t FColumnSpacing = 0;
    int32_t FRowSpacing = 0;
    int32_t FTitleSpacing = 0;
    TPrinterOrientation FOrientation = poPortrait;
    int32_t FFixedWidth = 0;
    int32_t FFixedHeight = 0;
    bool FUseFixedWidth = false;
    bool FUseFixedHeight = false;
    TFitToPage FFitToPage = fpNever;
    std::string FJobName;
    bool FNoAutoSize = false;
    bool FPrintGraphics = false;
};
