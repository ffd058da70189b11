// The string grid's own types: its fixed messages and constants, the
// exception, the enumerations, the editor types and sort styles, the cell
// graphics and the event types.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/controls/Grids.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"

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
// The columns whose visibility the grid keeps (0 to 256).
inline constexpr int32_t MaxVisibilityColumns = 257;
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
