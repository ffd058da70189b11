// TVsStringGrid, the editable string grid of the system, on the platform's
// TStringGrid: typed in-cell editors chosen per cell, per-cell colour,
// border, alignment and format events, fixed footer rows and fixed right
// columns, header lists, bands and a background, sorting, hidden rows and a
// row filter, row flags, scroll hints and flat scroll bars, saved column
// widths, the clipboard, drag and drop and file import.
//
// Indexes: every operation takes display column indexes and hands real
// ones (RealColIndex) to the events; no column is ever hidden, so the two
// are equal. Rows hidden by the filter or by nodes leave the cell store as
// whole row units (THiddenRows) and come back the same way; display row
// indexes count the rows in the grid, real ones count the hidden rows too.
//
// The implementation is split by area: VsGrid.cpp (construction, settings,
// properties, the dispatchers, cell operations, current cell, saved
// widths), VsGridEditors.cpp (in-cell editors), VsGridScroll.cpp (scroll
// bars, hints, proportional sizing), VsGridHidden.cpp (hidden rows, filter,
// row flags, graphic queries), VsGridPaint.cpp (painting and measuring),
// VsGridInput.cpp (mouse, keys, focus, timers, validation), VsGridRows.cpp
// (row and column operations), VsGridSizing.cpp (sizing to contents),
// VsGridClipboard.cpp, VsGridSort.cpp and VsGridImport.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/VsCombo.h"
#include "grid/VsEdit.h"
#include "grid/VsGridSettings.h"
#include "grid/VsObj.h"
#include "grid/VsRichEdit.h"
#include "grid/VsSpin.h"
#include "grid/ddintf.h"
#include "platform/controls/DateTimePicker.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/StdCtrls.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"

class TForm;
class TVsStringGrid;
class TVsInplaceEdit;
class TGridDropTarget;

VARSONA_DECLARE_EXCEPTION(EVsGridError, Exception)

namespace VsGridConst {
inline constexpr const char* SNoInteger = "Cell does not contain integer value";
inline constexpr const char* SInvalidRow = "Invalid row accessed";
inline constexpr const char* SCannotOpenFile = "Cannot open file ";
inline constexpr const char* SNoExcel = "Excel OLE server not found";
inline constexpr const char* SWorksheet = "Excel worksheet ";
inline constexpr const char* SNotFound = " not found";
inline constexpr const char* SVersionText = "1.89, July 2000";
inline constexpr int32_t VersionNumber = (89 << 16) | 1;
// Hovering and blinking text, every 500 ms from window creation on.
inline constexpr uint32_t HoverTimer = 111;
inline constexpr uint32_t HoverInterval = 500;
// Middle-button panning, every 10 ms while it lasts.
inline constexpr uint32_t PanTimer = 999;
inline constexpr uint32_t PanInterval = 10;
// The common controls from which the date picker exists (4.70).
inline constexpr int32_t DatePickerVersion = 262214;
}  // namespace VsGridConst

// ---------------------------------------------------------------- enumerations

enum TVAlignment { vtaCenter, vtaTop, vtaBottom };
enum TScrollType { ssNormal, ssFlat, ssEncarta };
enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TSortDirection { sdAscending, sdDescending };
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };
enum TBackGroundDisplay { bdTile, bdFixed };

// The editor of a cell, chosen by OnGetEditorType each time editing starts.
enum TEditorType : uint8_t {
    edNormal,
    edSpin,
    edComboDropDown,
    edComboDropDownList,
    edEditBtn,
    edCheckBox,
    edDatePicker,
    edDatePickerUpDown,
    edTimePicker,
    edButton,
    edNoEditor,
    edInteger,
    edDigits,
    edFloat,
    edCapitals,
    edProperCase,
    edPassword,
    edUnitEditBtn,
    edLowerCase,
    edUpperCase,
    edSpinFloat,
    edSpinTime,
    edSpinDate,
    edEditBtnInteger,
    edEditBtnFloat
};
// The types the text editor serves (the others show a control or nothing).
bool IsTextEditorType(TEditorType Type);

// How a column compares when sorting (GetFormat gives it per column).
enum TSortStyle {
    styleAuto,
    styleText,
    styleNumber,
    styleDate,
    styleTextNoCase,
    styleTextCase,
    styleDateDMY,
    styleDateMDY,
    styleCustom,
    styleNumberGrouped,
    styleAnsiText,
    styleAnsiTextNoCase,
    styleRaw,
    styleHTML,
    styleGraphic
};

// The edges GetCellBorder asks to be drawn.
using TCellBorders = uint8_t;
inline constexpr TCellBorders cbTop = 0x01;
inline constexpr TCellBorders cbLeft = 0x02;
inline constexpr TCellBorders cbRight = 0x04;
inline constexpr TCellBorders cbBottom = 0x08;

// ---------------------------------------------------------------- cell graphics

// The kinds of TCellGraphic; a cell without one has kind cgNone.
inline constexpr uint8_t cgBitmap = 0;
inline constexpr uint8_t cgIcon = 1;
inline constexpr uint8_t cgImageIndex = 3;
inline constexpr uint8_t cgCheckBox = 4;
inline constexpr uint8_t cgDataCheckBox = 5;
inline constexpr uint8_t cgRotated = 6;
inline constexpr uint8_t cgDataImage = 7;
inline constexpr uint8_t cgNode = 8;
inline constexpr uint8_t cgRadio = 9;
inline constexpr uint8_t cgNone = 10;
inline constexpr uint8_t cgImageList = 11;
inline constexpr uint8_t cgPicture = 12;
inline constexpr uint8_t cgFilePicture = 13;
inline constexpr uint8_t cgProgress = 15;
inline constexpr uint8_t cgComment = 16;
inline constexpr uint8_t cgButton = 17;

// A graphic placed in a cell's object, recognised while EnableGraphics is
// True. What each field means depends on the kind:
//   First    0 the TBitmap, 9 the item list (TStrings), 11 the index list
//            (TIntList), 12 the TPicture, 13 the TFilePicture, 16 the text
//            list (TStrings), 17 the caption list (TStrings)
//   Second   1 the icon (a TGraphic)
//   Integer  3 the image index, 7 the offset added to the cell's integer,
//            8 the rows a node spans (0: up to the next node), 9 the
//            selected item, 11 the index count, 12 and 13 the margin, 17
//            the size (width low, height high 16 bits)
//   State    4 checked, 8 contracted, 9 horizontal, 11 horizontal, 17 down
//   Mode     6 the angle in degrees, 9 the button count, 12 stretched
//   FitMode  12 and 13 how the picture is fitted into the cell (0 to 4)
//   Packed   17 the button's top-left point (x low, y high 16 bits)
// Owned objects are freed with the graphic: kinds 0, 1, 12 and 13 when
// Owned, kind 11 always.
class TCellGraphic : public TObject {
public:
    TCellGraphic() = default;
    explicit TCellGraphic(uint8_t Kind) : Kind(Kind) {}
    ~TCellGraphic() override;

    uint8_t Kind = cgNone;
    // Horizontal place beside the text: 0 left, 1 right, 2 centred, 3 before
    // the text, 4 after it (3 and 4 leave no room for text on its line).
    uint8_t HorzPosition = 0;
    // Vertical place: 0 top, 1 bottom, 2 centred, 3 under the text, 4 above.
    uint8_t VertPosition = 0;
    TObject* First = nullptr;
    TObject* Second = nullptr;
    int32_t Integer = 0;
    bool State = false;
    bool Owned = false;
    // A bitmap drawn with its top-left pixel's colour transparent.
    bool Transparent = false;
    uint8_t FitMode = 0;
    uint16_t Mode = 0;
    int32_t Packed = 0;
    // The colours of a progress bar (kind 15): the bar and the rest.
    TColor BarColor = clNone;
    TColor RestColor = clNone;
};

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

// ---------------------------------------------------------------- filter and hidden rows

// One filter condition: the text of Column must match Condition (the
// condition language of MatchFilter).
class TFilterData : public TObject {
public:
    int16_t Column() const { return FColumn; }
    void SetColumn(int16_t Value) { FColumn = Value; }
    const std::string& Condition() const { return FCondition; }
    void SetCondition(const std::string& Value) { FCondition = Value; }

private:
    int16_t FColumn = 0;
    std::string FCondition;
};

// The grid's filter conditions, tested in order when FilterActive is set.
class TFilter : public TPersistent {
public:
    explicit TFilter(TVsStringGrid* Grid) : FGrid(Grid) {}
    ~TFilter() override;

    TVsStringGrid* Grid() const { return FGrid; }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    // Raises EListError for an index outside the list.
    TFilterData* Items(int32_t Index) const;
    TFilterData* operator[](int32_t Index) const { return Items(Index); }
    TFilterData* Add();
    // A condition in one call.
    TFilterData* Add(int16_t Column, const std::string& Condition);
    void Delete(int32_t Index);
    void Clear();

    void Assign(const TPersistent* Source) override;

private:
    TVsStringGrid* FGrid;
    std::vector<std::unique_ptr<TFilterData>> FItems;
};

// A row taken out of the grid: its real index, its cells as the store's
// row unit (null when it held nothing) and its height.
class TGridItem {
public:
    TGridItem(int32_t Idx, TGridRowPtr Row, int32_t Height)
        : FIdx(Idx), FRow(std::move(Row)), FHeight(Height) {}

    int32_t Idx() const { return FIdx; }
    void SetIdx(int32_t Value) { FIdx = Value; }
    const TGridRow* Row() const { return FRow.get(); }
    TGridRowPtr TakeRow() { return std::move(FRow); }
    int32_t Height() const { return FHeight; }
    // The texts of the row, one entry per cell it holds.
    void GetItems(TStrings& Items) const;
    // The row's cells become the texts of the list.
    void SetItems(const TStrings* Items);
    const std::string& Text(int32_t Col) const;

private:
    int32_t FIdx;
    TGridRowPtr FRow;
    int32_t FHeight;
};

// The hidden rows, kept in the order of their real indexes, so that the
// real and display indexes convert in a few steps.
class THiddenRows {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    const TGridItem& Items(int32_t Index) const { return FItems[static_cast<size_t>(Index)]; }
    // Items with Idx below RealRow.
    int32_t CountBelow(int32_t RealRow) const;
    bool Contains(int32_t RealRow) const;
    // The display index that the real row has or would have.
    int32_t DisplayIndex(int32_t RealRow) const { return RealRow - CountBelow(RealRow); }
    // The real index of a display row.
    int32_t RealIndex(int32_t DisplayRow) const;

    // Adds items in the order of their Idx (none of them present yet).
    void Insert(std::vector<TGridItem> Items);
    // Takes out the items with FromReal <= Idx <= ToReal.
    std::vector<TGridItem> Take(int32_t FromReal, int32_t ToReal);
    std::vector<TGridItem> TakeAll();
    void Clear() { FItems.clear(); }

private:
    std::vector<TGridItem> FItems;
};

// ---------------------------------------------------------------- events

// Sender is the grid; column indexes are real indexes.
using TGridColorEvent =
    std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, TGridDrawState AState, TBrush* ABrush, TFont* AFont)>;
using TGridBorderEvent =
    std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, TPen* APen, TCellBorders& Borders)>;
using TGridAlignEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, TAlignment& AAlignment)>;
using TGridFormatEvent = std::function<void(TObject* Sender, int32_t ACol, TSortStyle& AStyle, std::string& APrefix,
                                            std::string& ASuffix)>;
using TGridHintEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, std::string& HintStr)>;
using TRowChangingEvent = std::function<void(TObject* Sender, int32_t OldRow, int32_t NewRow, bool& Allow)>;
using TColChangingEvent = std::function<void(TObject* Sender, int32_t OldCol, int32_t NewCol, bool& Allow)>;
using TCellChangingEvent =
    std::function<void(TObject* Sender, int32_t OldRow, int32_t OldCol, int32_t NewRow, int32_t NewCol, bool& Allow)>;
using TGridPrintPageEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, int32_t PageNr, int32_t PageXSize, int32_t PageYSize)>;
using TGridPrintStartEvent =
    std::function<void(TObject* Sender, int32_t NrOfPages, int32_t& FromPage, int32_t& ToPage)>;
using TDoFitToPageEvent = std::function<void(TObject* Sender, double ScaleFactor, bool& Allow)>;
using TGridPrintNewPageEvent = std::function<void(TObject* Sender, int32_t ARow, bool& NewPage)>;
using TGridPrintColumnWidthEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t& Width)>;
using TGridPrintRowHeightEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t& Height)>;
using TCanAddRowEvent = std::function<void(TObject* Sender, bool& CanAdd)>;
using TAutoAddRowEvent = std::function<void(TObject* Sender, int32_t ARow)>;
using TCanInsertRowEvent = std::function<void(TObject* Sender, int32_t ARow, bool& CanInsert)>;
using TAutoInsertRowEvent = std::function<void(TObject* Sender, int32_t ARow)>;
using TAutoInsertColEvent = std::function<void(TObject* Sender, int32_t ACol)>;
using TCanDeleteRowEvent = std::function<void(TObject* Sender, int32_t ARow, bool& CanDelete)>;
using TAutoDeleteRowEvent = std::function<void(TObject* Sender, int32_t ARow)>;
using TClickSortEvent = std::function<void(TObject* Sender, int32_t ACol)>;
using TCanSortEvent = std::function<void(TObject* Sender, int32_t ACol, bool& DoSort)>;
// ARowReal: the row's index among all rows, hidden ones included.
using TNodeClickEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ARowReal)>;
using TCustomCompareEvent =
    std::function<void(TObject* Sender, const std::string& Str1, const std::string& Str2, int32_t& Res)>;
using TRawCompareEvent = std::function<void(TObject* Sender, int32_t Col, int32_t Row1, int32_t Row2, int32_t& Res)>;
using TClickCellEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol)>;
using TDblClickCellEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol)>;
using TCanEditCellEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, bool& CanEdit)>;
using TIsFixedCellEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, bool& IsFixed)>;
using TIsPasswordCellEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, bool& IsPassword)>;
using TAnchorClickEvent =
    std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, const std::string& Anchor, bool& AutoHandle)>;
using TAnchorEvent = std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, const std::string& Anchor)>;
using TClipboardEvent = std::function<void(TObject* Sender, bool& Allow)>;
using TCellValidateEvent =
    std::function<void(TObject* Sender, int32_t Col, int32_t Row, std::string& Value, bool& Valid)>;
using TGridProgressEvent = std::function<void(TObject* Sender, int16_t Progress)>;
using TGetEditorTypeEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, TEditorType& AEditor)>;
using TEllipsClickEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, std::string& S)>;
using TButtonClickEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow)>;
using TCheckBoxClickEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, bool State)>;
using TRadioClickEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, int32_t AIdx)>;
using TComboChangeEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, int32_t AItemIndex, const std::string& ASelection)>;
using TSpinClickEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, int32_t AValue, bool UpDown)>;
using TFloatSpinClickEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, double AValue, bool UpDown)>;
using TDateTimeSpinClickEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, TDateTime AValue, bool UpDown)>;
// The column goes into the first index (named ARow), the row into the
// second, for drags and drops on cells; both are -1 for dropped files.
using TOleDragDropEvent =
    std::function<void(TObject* Sender, int32_t ARow, int32_t ACol, const std::string& Data, bool& Allow)>;
using TScrollHintEvent = std::function<void(TObject* Sender, int32_t ARow, std::string& HintStr)>;
using TColumnSizeEvent = std::function<void(TObject* Sender, int32_t ACol, bool& Allow)>;
using TEndColumnSizeEvent = std::function<void(TObject* Sender, int32_t ACol)>;
using TEndRowSizeEvent = std::function<void(TObject* Sender, int32_t ARow)>;

// ---------------------------------------------------------------- editor controls

// Each editor control is created once by the grid (owned by it, a child of
// it, hidden and disabled until used) and keeps a reference to it. Losing
// the focus closes the control (HideCurrentEditor); its closing keys are
// its own (ClosingKeys), taken from the window's dialog keys.
template <class Base>
class TGridEditorControl : public Base {
public:
    explicit TGridEditorControl(TVsStringGrid* Grid) : Base(Grid), FGrid(Grid) {}
    ~TGridEditorControl() override { this->DetachWidget(); }
    TVsStringGrid* Grid() const { return FGrid; }
    using TWinControl::RecreateWnd;

protected:
    // The keys that close the control (none: the base's key handling).
    virtual bool ClosingKey(Word Key, TShiftState Shift) const { return false; }
    bool WantsKey(Word Key, TShiftState Shift) const override {
        return ClosingKey(Key, Shift) || Base::WantsKey(Key, Shift);
    }
    void DoExit() override;
    TVsStringGrid* FGrid;
};

class TGridCombo : public TGridEditorControl<TVsComboBox> {
public:
    explicit TGridCombo(TVsStringGrid* Grid);
    // Runs the completion from the items (after each key release).
    void DoAutoComplete();

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoExit() override;
    void DoEnter() override;
    void Change() override;
    void Select() override;

private:
    // What leaving writes: the text, or for a list-only combo with no item
    // chosen the cell's own text.
    std::string Value() const;
    void ShowCellText();
    bool FCompletion = true;
    // A choice from the list runs Change too: it is told as the choice.
    bool FInSelect = false;
};

class TGridSpin : public TGridEditorControl<TVsSpinEdit> {
public:
    explicit TGridSpin(TVsStringGrid* Grid);
    void UpClick(TObject* Sender) override;
    void DownClick(TObject* Sender) override;

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;

private:
    // The step event of the spin type, with the value after the step.
    void SpinClicked(bool Up);
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker> {
public:
    explicit TGridDatePicker(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
};

class TGridCheckBox : public TGridEditorControl<TCheckBox> {
public:
    explicit TGridCheckBox(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
};

class TGridEditBtn : public TGridEditorControl<TVsEditBtn> {
public:
    explicit TGridEditBtn(TVsStringGrid* Grid);
    // The ellipsis action: OnEllipsClick decides the text, which is then
    // selected.
    void EllipsAction();

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void ButtonClick(TObject* Sender) override;
    void PasteFromClipboard() override;
};

class TGridUnitEditBtn : public TGridEditorControl<TVsUnitEditBtn> {
public:
    explicit TGridUnitEditBtn(TVsStringGrid* Grid);
    // The number characters of Text go into the edit, the rest into UnitID.
    void SplitCellText(const std::string& Text);

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
};

// The push button over a cell (edButton), and the title of a column or row
// while it is dragged (MoveIndicator).
class TGridButton : public TGridEditorControl<TButton> {
public:
    explicit TGridButton(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void DoExit() override;

private:
    // Closes the cell's button and gives the grid the focus.
    void Close();
};

// ---------------------------------------------------------------- TVsStringGrid

class TVsStringGrid : public TStringGrid, private TGridSettingsOwner {
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
    bool AutoNumAlign() const { return FAutoNumAlign; }
    void SetAutoNumAlign(bool Value) { FAutoNumAlign = Value; }
    // True sizes every column, fixed ones included, to its text + 14.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TVAlignment VAlignment() const { return FVAlignment; }
    void SetVAlignment(TVAlignment Value);
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
    void SetSortShow(bool Value);
    bool SortIndexShow() const { return FSortIndexShow; }
    void SetSortIndexShow(bool Value);
    bool EnableGraphics() const { return FEnableGraphics; }
    void SetEnableGraphics(bool Value) { FEnableGraphics = Value; }
    int32_t SortColumn() const { return FSortColumn; }
    void SetSortColumn(int32_t Value);
    TColor HintColor() const { return FHintColor; }
    void SetHintColor(TColor Value) { FHintColor = Value; }
    TColor SelectionColor() const { return FSelectionColor; }
    void SetSelectionColor(TColor Value);
    TColor SelectionTextColor() const { return FSelectionTextColor; }
    void SetSelectionTextColor(TColor Value);
    bool SelectionRectangle() const { return FSelectionRectangle; }
    void SetSelectionRectangle(bool Value);
    bool SelectionRTFKeep() const { return FSelectionRTFKeep; }
    void SetSelectionRTFKeep(bool Value) { FSelectionRTFKeep = Value; }
    bool HintShowCells() const { return FHintShowCells; }
    void SetHintShowCells(bool Value) { FHintShowCells = Value; }
    // True registers the grid's drop target; False revokes it.
    bool OleDropTarget() const { return FOleDropTarget; }
    void SetOleDropTarget(bool Value);
    bool OleDropSource() const { return FOleDropSource; }
    void SetOleDropSource(bool Value) { FOleDropSource = Value; }
    // One value for every grid of the process.
    bool OleDropRTF() const;
    void SetOleDropRTF(bool Value);
    TImageList* GridImages() const { return FGridImages; }
    void SetGridImages(TImageList* Value);
    TIntelliPan IntelliPan() const { return FIntelliPan; }
    void SetIntelliPan(TIntelliPan Value) { FIntelliPan = Value; }
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(TColor Value);
    bool URLShow() const { return FURLShow; }
    void SetURLShow(bool Value);
    bool URLFull() const { return FURLFull; }
    void SetURLFull(bool Value);
    bool URLEdit() const { return FURLEdit; }
    void SetURLEdit(bool Value) { FURLEdit = Value; }
    TScrollType ScrollType() const { return FScrollType; }
    void SetScrollType(TScrollType Value);
    TColor ScrollColor() const { return FScrollColor; }
    void SetScrollColor(TColor Value);
    int32_t ScrollWidth() const { return FScrollWidth; }
    void SetScrollWidth(int32_t Value);
    bool ScrollProportional() const { return FScrollProportional; }
    void SetScrollProportional(bool Value);
    TScrollHintType ScrollHints() const { return FScrollHints; }
    void SetScrollHints(TScrollHintType Value) { FScrollHints = Value; }
    bool OemConvert() const { return FOemConvert; }
    void SetOemConvert(bool Value) { FOemConvert = Value; }
    int32_t FixedFooters() const { return FFixedFooters; }
    void SetFixedFooters(int32_t Value);
    int32_t FixedRightCols() const { return FFixedRightCols; }
    void SetFixedRightCols(int32_t Value);
    // The width of column 0; setting it sets every fixed column.
    int32_t FixedColWidth() const { return ColWidths(0); }
    void SetFixedColWidth(int32_t Value);
    // The height of row 0; setting it sets every fixed row.
    int32_t FixedRowHeight() const { return RowHeights(0); }
    void SetFixedRowHeight(int32_t Value);
    TFont* FixedFont() const { return FFixedFont.get(); }
    void SetFixedFont(const TFont* Value);
    bool FixedAsButtons() const { return FFixedAsButtons; }
    void SetFixedAsButtons(bool Value) { FFixedAsButtons = Value; }
    const std::string& FloatFormat() const { return FFloatFormat; }
    void SetFloatFormat(const std::string& Value) { FFloatFormat = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    TStringList* ColumnHeaders() const { return FColumnHeaders.get(); }
    void SetColumnHeaders(const TStrings* Value);
    TStringList* RowHeaders() const { return FRowHeaders.get(); }
    void SetRowHeaders(const TStrings* Value);
    TStringList* LookupItems() const { return FLookupItems.get(); }
    // nullptr changes nothing.
    void SetLookupItems(const TStrings* Value);
    bool Lookup() const { return FLookup; }
    void SetLookup(bool Value) { FLookup = Value; }
    bool LookupCaseSensitive() const { return FLookupCaseSensitive; }
    void SetLookupCaseSensitive(bool Value) { FLookupCaseSensitive = Value; }
    bool LookupHistory() const { return FLookupHistory; }
    void SetLookupHistory(bool Value) { FLookupHistory = Value; }
    bool ShowSelection() const { return FShowSelection; }
    void SetShowSelection(bool Value);
    bool HideFocusRect() const { return FHideFocusRect; }
    void SetHideFocusRect(bool Value) { FHideFocusRect = Value; }
    TBitmap* SortUpGlyph() const { return FSortUpGlyph.get(); }
    void SetSortUpGlyph(const TBitmap* Value);
    TBitmap* SortDownGlyph() const { return FSortDownGlyph.get(); }
    void SetSortDownGlyph(const TBitmap* Value);
    bool Hovering() const { return FHovering; }
    void SetHovering(bool Value) { FHovering = Value; }
    bool FilterActive() const { return FFilterActive; }
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
    static constexpr int32_t MaxVisibilityColumns = 257;
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

    // ================================================================ events

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
    void StartPanning(int32_t X, int32_t Y);
    void StopPanning();
    TRect PanMarkRect() const;
    void ShowPanMark();
    void ErasePanMark();
    void PanStep();

    // ================================================================ state

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

    // ---- published values
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

    // ---- core state
    char32_t FPasswordChar = U'*';
    std::string FCheckTrueText = "Y";
    std::string FCheckFalseText = "N";
    std::array<bool, MaxVisibilityColumns> FColumnVisible{};
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
    struct TPressState {
        TPoint Point{-1, -1};
        TGridCoord SizingCell{-1, -1};
        int32_t SizingWidth = 0;
        int32_t SizingHeight = 0;
        int32_t OffsetRight = 0;
        int32_t OffsetBottom = 0;
        int32_t MoveIndex = -1;
        TPoint MoveOffset;
        bool FixedPressed = false;
        TRect FixedRect;
        TGridCoord ButtonCell{-1, -1};
        int32_t CtrlFlaggedRow = -1;
        bool RowSelecting = false;
        TGridCoord ArrowCell{-1, -1};
        TGridCoord Remembered1{-1, -1};
        TGridCoord Remembered2{-1, -1};
    } FPress;
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

template <class Base>
void TGridEditorControl<Base>::DoExit() {
    Base::DoExit();
    FGrid->HideCurrentEditor();
}

// ---------------------------------------------------------------- TVsInplaceEdit

// The grid's text editor: filters and transforms typed and pasted text by
// the cell's editor type, completes from LookupItems and walks out of the
// cell with the cursor keys.
class TVsInplaceEdit : public TInplaceEdit {
public:
    explicit TVsInplaceEdit(TVsStringGrid* Grid);
    ~TVsInplaceEdit() override;

    TVsStringGrid* VsGrid() const { return FVsGrid; }
    // The cell is right-aligned (set before each edit).
    bool RightAligned() const { return FRightAligned; }
    void SetRightAligned(bool Value);
    bool WordWrap() const { return FWordWrapping; }
    void SetWordWrap(bool Value);
    bool CompletionAllowed() const { return FCompletionAllowed; }
    // Completion from the lookup list, at the caret.
    void DoAutoComplete();
    // Whether Key may go into the text as the cell's type filters it (Key
    // may change case); beeps where the type beeps.
    static bool FilterChar(TEditorType Type, char32_t& Key, const std::string& Text, int32_t SelStart,
                           int32_t SelLength);
    // The text a paste would leave, or False when the type refuses it.
    static bool FilterPaste(TEditorType Type, std::string& Pasted);

    void UpdateContents() override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void CreateWnd() override;

private:
    // The edit's text was set by the editor itself: the cell follows.
    void TextChangedByEditor();
    void ApplyStyles();
    TVsStringGrid* FVsGrid;
    bool FRightAligned = false;
    bool FWordWrapping = false;
    bool FCompletionAllowed = true;
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
