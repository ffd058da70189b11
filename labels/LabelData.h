// The label data table's rules, with no window: its columns and headers,
// the choices the data editor offers per column, and the label data file
// (comma-separated lines, one per data row).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// The reading of one line: every double quote removed, cut at every comma;
// an empty line has no field. Fields beyond MaxFields are dropped.
class TFieldSplitter {
public:
    // The number of fields; they are in Fields (the rest cleared).
    int32_t Split(std::string_view Line);
    const std::array<std::string, MaxFields>& Fields() const { return FFields; }

private:
    std::array<std::string, MaxFields> FFields;
};

}  // namespace LabelData
