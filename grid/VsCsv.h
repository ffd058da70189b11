// The CSV rules of the grid's file import, with no widget: the separator a
// file's first two lines agree on, one line cut into fields (quoted fields,
// doubled quotes, tilde or LF line breaks), and the OEM (code page 437)
// text of old DOS programs turned into UTF-8.
#pragma once

#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VsCsv {

// The candidates, in the order they are tried.
inline constexpr char SeparatorCandidates[] = {',', ';', '#', '\t', '|'};

// The occurrences of Ch in Line that stand alone: one next to the same
// character (a doubled one) does not count.
int CountSeparator(std::string_view Line, char Ch);

// The candidate both lines hold equally often, the most often of those;
// '\0' when none qualifies (a missing second line is empty).
char DetectSeparator(std::string_view Line1, std::string_view Line2);

// One line cut at Separator ('\0': the whole line is one field).
//  - A field that begins with a double quote runs to the first quote that
//    is not part of a doubled pair; each doubled quote inside gives one
//    quote; text between the closing quote and the next separator joins
//    it. Without a closing quote the field is the rest of the line, read
//    as the last field.
//  - The rest after the last separator (the whole line without one) is the
//    last field and loses nothing: when it begins with a quote, one quote
//    comes off each end and each doubled quote gives one.
//  - Any other field is the text up to the separator, quotes as they are.
//  - Line breaks: with TildeBreaks every "~" becomes CR LF, otherwise an LF
//    becomes CR LF.
// An empty rest after the last separator gives no field.
void SplitLine(std::string_view Line, char Separator, bool TildeBreaks, std::vector<std::string>& Fields);

// Code page 437 bytes as UTF-8 (every byte is a character there).
std::string OemToUtf8(std::string_view Text);

// The lines of a text: cut at LF, a CR before it dropped; a last line
// without LF counts, an empty rest after the last LF does not.
std::vector<std::string_view> SplitLines(std::string_view Text);

// A file's lines one at a time, cut as SplitLines cuts them, through a
// buffer of its own, so that a long file is never held whole.
class TLineReader {
public:
    // Raises EFOpenError when the file cannot be opened.
    explicit TLineReader(const std::string& FileName);
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // The next line (valid until the next call); False at the end. Raises
    // EFOpenError when reading fails (a folder, an I/O error).
    bool Next(std::string_view& Line);
    // Back to the first line.
    void Rewind();

private:
    bool Fill();
    std::string FName;
    int FHandle = -1;
    std::unique_ptr<char[]> FBuffer;
    size_t FSize = 0;
    // A small file gets a buffer of its size, a large one reads in blocks.
    size_t FBlock = 0;
    size_t FBegin = 0;
    size_t FEnd = 0;
    bool FEof = false;
};

// What a CSV import fills, a grid or a bare cell store: its counts and a
// line's fields (rows and columns from 0).
class TCsvTarget {
public:
    virtual ~TCsvTarget() = default;
    virtual int32_t ColCount() = 0;
    virtual void SetColCount(int32_t Count) = 0;
    virtual int32_t RowCount() = 0;
    virtual void SetRowCount(int32_t Count) = 0;
    // The fields into Row from column Col on (they may be moved out); with
    // ClearRest the texts right of them are emptied.
    virtual void SetLine(int32_t Row, int32_t Col, std::vector<std::string>& Fields, bool ClearRest) = 0;
    // The separator the lines are cut at, once before the first line.
    virtual void SeparatorChosen(char) {}
    // After each line: Done of Total lines.
    virtual void LineDone(int32_t, int32_t) {}
};

struct TCsvImport {
    char Separator = '\0';  // '\0': the one the first two lines agree on
    bool TildeBreaks = false;
    bool OemConvert = false;
    // The lines go below the target's rows (RowOffset is not used).
    bool Append = false;
    int32_t ColOffset = 0;
    int32_t RowOffset = 0;
    // Rows the target keeps however short the file.
    int32_t MinRows = 1;
};

// A CSV file read in two passes, never held whole: the constructor reads
// its first two lines and counts its lines (raising EFOpenError when it
// cannot be read, before anything is filled), Import then fills a target
// line by line.
class TCsvFile {
public:
    explicit TCsvFile(const std::string& FileName);
    size_t LineCount() const { return FLineCount; }
    void Import(const TCsvImport& Options, TCsvTarget& Target);

private:
    TLineReader FReader;
    std::string FFirst, FSecond;
    size_t FLineCount = 0;
};

}  // namespace VsCsv
