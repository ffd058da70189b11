// Label data files, read and written with no window: one data row per
// line, fields joined by commas. A field that holds a space, a comma, a
// quote or a control character is written in double quotes with its quotes
// doubled, and read back the same way, line breaks inside it included; any
// other field is the text up to the next comma, its quotes dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "labels/LabelData.h"

namespace LabelData {

// Refusals and notices of the files. %s is the file's name.
inline constexpr const char* SNotText = "\"%s\" is not a text file: it holds NUL bytes or control characters.";
inline constexpr const char* SOpenQuote = "\"%s\" cannot be read: the quoted field that starts on line %d has no closing quote.";
inline constexpr const char* SOutOfMemoryLoading = "There is not enough memory to load \"%s\".";
inline constexpr const char* STooManyLines = "\"%s\" has more lines than a table can hold.";
// A cell the file cannot carry: the row and the column's title.
inline constexpr const char* SCellNotText =
    "Data row %d, column \"%s\" holds a control character, which a label data file cannot hold.";
// Lines cut to MaxFields: their count and the first one's line number.
inline constexpr const char* SFieldsCut =
    "%d line(s) of the file held more than 50 fields; only the first 50 of each were loaded (the first such line is line %d).";

// Data rows a file may hold: the table's row count (one more) is 32 bits.
inline constexpr int64_t MaxRows = INT32_MAX - 1;

// What a read found besides the rows.
struct TReadSummary {
    int32_t Rows = 0;       // data rows (an empty file is one empty row)
    int32_t Widest = 0;     // the most fields a row has (at most MaxFields)
    int32_t CutRows = 0;    // rows whose fields beyond MaxFields were dropped
    int32_t FirstCutLine = 0;  // the file line where the first of them starts
};

// Takes one data row: its fields, at most MaxFields (they may be moved from).
using TRowSink = std::function<void(std::vector<std::string>& Fields)>;

// Reads a file piece by piece. Each row goes to the sink as soon as it is
// whole; a line that is not valid UTF-8 is read as Windows-1252.
class TFileReader {
public:
    TFileReader(std::string FileName, TRowSink Sink);
    // EInOutError for bytes that are no text (NUL or control characters
    // other than tab, CR and LF).
    void Feed(std::string_view Bytes);
    // EInOutError for a quoted field left open.
    TReadSummary Finish();

private:
    enum class TState : uint8_t { FieldStart, Plain, Quoted, QuoteInQuoted };
    void EndField();
    void EndRow();
    [[noreturn]] void NotText() const;

    std::string FName;
    TRowSink FSink;
    TState FState = TState::FieldStart;
    bool FStarted = false;     // the first bytes (a byte-order mark) are behind
    bool FPendingCR = false;   // a CR outside quotes, dropped before an LF
    bool FRowHasText = false;  // the row holds a byte or a field
    bool FHighBytes = false;   // the row holds bytes above 127
    std::string FMark;         // the first bytes while they may be a byte-order mark
    std::string FField;
    std::vector<std::string> FFields;
    int32_t FFieldCount = 0;
    int64_t FLine = 1;
    int64_t FRowLine = 1;
    int64_t FQuoteLine = 1;
    int64_t FRows = 0;
    TReadSummary FSummary;
};

// The whole file through TFileReader, a piece at a time. The file's own
// failures raise the platform's input/output error with the texts of a
// failed open; running out of memory raises EOutOfMemory in words.
TReadSummary ReadLabelFile(const std::string& Path, const TRowSink& Sink);
// The same for text in memory (FileName names it in messages).
TReadSummary ReadLabelText(std::string_view Text, const std::string& FileName, const TRowSink& Sink);

// Appends one data row as its file line, ended by CR LF; Cells are the
// row's cells from column 1 on. A cell holding a control character other
// than tab, CR and LF could not be read back: EInOutError (SCellNotText),
// nothing appended.
void AppendFileRow(std::string& Out, const std::vector<std::string>& Cells, int32_t DataRow);
// A cell's bytes that a label data file can hold.
bool FileCanHold(std::string_view Cell);

}  // namespace LabelData
