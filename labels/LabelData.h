// The label data table's rules, with no window: its columns and headers,
// the words its cells hold and what they set on a symbol, the choices the
// data editor offers per column, and the cells of the label data file
// (LabelDataFile.h reads and writes the files).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/BarLL.h"
#include "platform/runtime/SysUtils.h"

namespace LabelData {

// Column 0 holds no data; fields 1 to 15 are the row's.
inline constexpr int32_t ColumnCount = 16;
// A line of a label data file has at most this many fields.
inline constexpr int32_t MaxFields = 50;

inline constexpr std::array<const char*, ColumnCount> Headers{
    "",           "Bar Type",      "Bar Caption",      "Add On",         "Font",         "Module Width",
    "Bar Height %", "Font Height %", "Bar Ratio",      "Human Readable", "Zoom",         "Rotation",
    "Top Caption",  "TCap Font Size", "Bottom Caption", "BCap Font Size"};

// The columns of the table.
enum Column : int32_t {
    colType = 1,
    colCaption,
    colAddOn,
    colFont,
    colModuleWidth,
    colBarHeight,
    colFontHeight,
    colRatio,
    colHumanReadable,
    colZoom,
    colRotation,
    colTopCaption,
    colTopSize,
    colBottomCaption,
    colBottomSize
};

inline constexpr const char* BlankMarker = " ";
inline bool IsBlank(const std::string& cell) { return cell == BlankMarker; }

inline constexpr const char* OpenFilter =
    "Delimited Text File (*.CSV)|*.csv|Text File (*.TXT)|*.txt|All Files (*.*)|*.*";
inline constexpr const char* SaveFilter = "Delimited Text File (*.CSV)|*.csv";
inline constexpr const char* SaveExt = "csv";
inline constexpr const char* SaveName = "New File";

// ---------------------------------------------------------------- the words of the cells
// Stored in files: they must not follow the engine's names.

struct TTypeWord {
    const char* Word;
    btCodeTypes Type;
};
// Column 1, in the order the editor offers them.
inline constexpr std::array<TTypeWord, 15> TypeWords{{{"UPC_A", UPC_A},
                                                      {"UPC_E", UPC_E},
                                                      {"EAN_8", EAN_8},
                                                      {"EAN_13", EAN_13},
                                                      {"CODE39", CODE39},
                                                      {"CODE25i", CODE25i},
                                                      {"Codabar", Codabar},
                                                      {"CODE128_A", CODE128_A},
                                                      {"CODE128_B", CODE128_B},
                                                      {"CODE128_C", CODE128_C},
                                                      {"Postnet_5", Postnet},
                                                      {"Postnet_9", Postnet},
                                                      {"Postnet_11", Postnet},
                                                      {"MSI_Plessey", MSI_Plessey},
                                                      {"EAN_ISBN", EAN_13}}};
struct TRotationWord {
    const char* Word;
    btCodeRotate Rotation;
};
inline constexpr std::array<TRotationWord, 4> RotationWords{
    {{"000", rotate_000}, {"090", rotate_090}, {"180", rotate_180}, {"270", rotate_270}}};
struct TRatioWord {
    const char* Word;
    btCodeRatio Ratio;
};
inline constexpr std::array<TRatioWord, 2> RatioWords{{{"2:1", Ratio_2}, {"3:1", Ratio_3}}};
inline constexpr const char* TrueWord = "TRUE";
inline constexpr const char* FalseWord = "FALSE";
inline constexpr std::array<const char*, 2> ModuleWidthWords{"SC2", "SC3"};
inline constexpr std::array<const char*, 12> CaptionSizeWords{"6",  "8",  "10", "12", "14", "16",
                                                              "18", "24", "26", "28", "32", "36"};

// The symbology of a type word; false for any other text.
bool TypeOfWord(std::string_view Word, btCodeTypes& Type);
// The type cell ends the data when it is empty or blank.
inline bool EndsData(const std::string& TypeCell) { return TypeCell.empty() || IsBlank(TypeCell); }

// ---------------------------------------------------------------- a row's settings

// What one data row sets on the print-time symbol and its captions.
struct TRowSettings {
    bool HasType = false;  // else the type of the label before stays
    btCodeTypes Type = EAN_13;
    std::string Caption;
    std::string AddOn;
    std::string Font;  // for the symbol and the captions
    int32_t BarHeight = 100;
    int32_t FontHeight = 100;
    btCodeRotate Rotation = rotate_000;
    bool HumanReadable = true;
    btCodeRatio Ratio = Ratio_2;
    btCodeSizes ModuleWidth = SC2;
    bool HasTopCaption = true;
    std::string TopCaption;  // as stored: its height moves the symbol down
    int32_t TopSize = 6;
    std::string BottomCaption;
    int32_t BottomSize = 6;
};

// Row holds the cells by column (at least ColumnCount of them). The numbers
// are converted in the order the print needs them (top size, bar height,
// font height, bottom size); a bad one raises the platform's conversion
// error with the data row and the column's title before its text.
TRowSettings RowSettings(const std::vector<std::string>& Row, int32_t DataRow);

// An error raised while a cell of a data row is used gets the row and the
// column's title before its text; its class stays.
void NameTheCell(Exception& E, int32_t DataRow, int32_t Col);
template <class F>
void ForCell(int32_t DataRow, int32_t Col, F&& Fn) {
    try {
        Fn();
    } catch (Exception& e) {
        NameTheCell(e, DataRow, Col);
        throw;
    }
}

// ---------------------------------------------------------------- placing the rows

// One data row's place: sheet column and row from 0, its label number on
// the page, and whether a new page starts before it.
struct TDataLabel {
    int32_t Column = 0;
    int32_t SheetRow = 0;
    int32_t DataRow = 0;
    int64_t Number = 0;
    bool NewPage = false;
};

// The data rows in print order, one sheet row per round: from the start row
// and column (1 = the first) on, a new page when the rows run out, the end
// at the first row whose type cell ends the data. RowCount counts the
// header row; Ended(d) tells whether data row d ends the data.
class TDataPlacement {
public:
    TDataPlacement(int32_t Columns, int32_t Rows, int32_t StartRow, int32_t StartCol, int32_t RowCount,
                   std::function<bool(int32_t)> Ended);
    bool Next(TDataLabel& Label);

private:
    int32_t FColumns, FRows;
    std::function<bool(int32_t)> FEnded;
    int64_t FRounds;
    int64_t FRound = 0;
    int32_t FR, FS, FC = 0;
    int32_t FD = 1;
    bool FInRound = false;
    bool FLastRow = false;
    bool FNewPage = false;
    bool FDone = false;
};

// The editor's kind of editor per column.
enum class TEditorKind { Text, List, Ellipsis };
TEditorKind EditorKindOf(int32_t Col);
// The list of a list column (column 4, the fonts, is the window's).
std::vector<std::string> ColumnChoices(int32_t Col);

// A cell as the file writes it: in double quotes, its quotes doubled, when
// it holds a space, a comma, a double quote or a control character.
std::string FileCell(const std::string& Cell);
// Cells joined by commas, each by FileCell.
std::string FileLine(const std::vector<std::string>& Cells);
void AppendFileLine(std::string& Out, const std::vector<std::string>& Cells);

}  // namespace LabelData
