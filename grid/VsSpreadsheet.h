// What the grid's spreadsheet import asks of a spreadsheet program: open a
// workbook, count and name its sheets, the active sheet, a sheet's used
// range as an absolute address ("$B$2:$D$5"), the values of a range as
// text, close without saving, quit. A provider makes the application
// object; the one registered at start reads .xls workbooks with FreeXL.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/SysUtils.h"

VARSONA_DECLARE_EXCEPTION(ESpreadsheetError, Exception)

namespace VsSpreadsheetConst {
inline constexpr const char* SCannotOpenWorkbook = "Cannot open the workbook %s";
inline constexpr const char* SBadRange = "Invalid range %s";
inline constexpr const char* SBadSheet = "Invalid sheet index %d";
inline constexpr const char* SReaderFailed = "Cannot read the workbook %s: %s";
inline constexpr const char* SReaderSignal = "the reader stopped with signal %d";
inline constexpr const char* SReaderTime = "the reader ran out of time";
inline constexpr const char* SReaderMemory = "the reader ran out of memory";
inline constexpr const char* SReaderBroken = "the reader gave no complete answer";
}  // namespace VsSpreadsheetConst

// Rows of values, each row as many texts as the range is wide.
using TRangeValues = std::vector<std::vector<std::string>>;
// The cells of a range that hold something, row and column counted from
// the range's top left corner (0, 0).
struct TRangeCell {
    int32_t Row = 0;
    int32_t Col = 0;
    std::string Text;
};
using TRangeCells = std::vector<TRangeCell>;

class TSpreadsheetWorkbook {
public:
    virtual ~TSpreadsheetWorkbook() = default;
    virtual int32_t SheetCount() = 0;
    // Sheets are counted from 1.
    virtual std::string SheetName(int32_t Index) = 0;
    virtual int32_t ActiveSheet() = 0;
    // A single cell's address has no ":" ("$A$1" for an empty sheet).
    virtual std::string UsedRangeAddress(int32_t Sheet) = 0;
    // Address: two corners "A1:C4" (with or without "$") or one cell.
    virtual TRangeValues RangeValues(int32_t Sheet, const std::string& Address) = 0;
    // Only the cells that hold something (a sparse sheet costs its cells,
    // not its area); by default taken from RangeValues.
    virtual TRangeCells RangeCells(int32_t Sheet, const std::string& Address);
    virtual void Close(bool SaveChanges) = 0;
};

class TSpreadsheetApplication {
public:
    virtual ~TSpreadsheetApplication() = default;
    // Raises when the workbook cannot be opened.
    virtual std::unique_ptr<TSpreadsheetWorkbook> Open(const std::string& FileName) = 0;
    virtual void Quit() = 0;
};

using TSpreadsheetProvider = std::function<std::unique_ptr<TSpreadsheetApplication>()>;

// Replaces the provider and returns the one before; an empty one leaves no
// spreadsheet program registered.
TSpreadsheetProvider SetSpreadsheetProvider(TSpreadsheetProvider Provider);
// A new application object, or null when no provider is registered or it
// makes none.
std::unique_ptr<TSpreadsheetApplication> CreateSpreadsheetApplication();
// The provider that reads .xls (BIFF) workbooks with FreeXL. A damaged file
// can make the library fault, so each workbook is read whole in a child
// process under limits of time and memory, and only its cells come back:
// a fault there is the open's error, and the program goes on.
TSpreadsheetProvider FreeXlSpreadsheetProvider();

struct TSpreadsheetReaderLimits {
    int32_t Seconds = 60;                    // processor time; twice that on the clock
    int64_t MemoryBytes = int64_t{1} << 30;  // beyond what the program maps
};
// Returns the limits before.
TSpreadsheetReaderLimits SetSpreadsheetReaderLimits(TSpreadsheetReaderLimits Limits);
// For tests: runs in the child before it reads (to make it fault or hang).
using TSpreadsheetReaderHook = std::function<void()>;
TSpreadsheetReaderHook SetSpreadsheetReaderHook(TSpreadsheetReaderHook Hook);

// Column letters of A1 notation: 1 is A, 26 Z, 27 AA, 52 AZ; "" for 0.
std::string ColumnLetters(int32_t Column);
// The number of column letters (any case), 0 when there are none or one
// is no letter.
int32_t ColumnNumber(const std::string& Letters);

// One corner of an address: "$B$2" or "B2"; False when it is not one.
bool ParseCell(const std::string& Text, int32_t& Column, int32_t& Row);
// Both corners of "$B$2:$D$5"; a single cell is both corners.
bool ParseRange(const std::string& Address, int32_t& Left, int32_t& Top, int32_t& Right, int32_t& Bottom);
