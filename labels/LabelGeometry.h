// Label sheet geometry and the rules every sheet print shares: where each
// label goes on the paper, which positions a print range selects, and the
// counting numbers. No window and no printer here.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

#include "platform/runtime/Types.h"

// A length on paper.
class TMillimetres {
public:
    constexpr TMillimetres() = default;
    constexpr explicit TMillimetres(long double mm) : FMm(mm) {}
    constexpr long double Value() const { return FMm; }
    // Unrounded device pixels at pixelsPerMm.
    constexpr long double Pixels(long double pixelsPerMm) const { return FMm * pixelsPerMm; }
    friend constexpr TMillimetres operator+(TMillimetres a, TMillimetres b) { return TMillimetres(a.FMm + b.FMm); }
    // count steps of a pitch.
    friend constexpr TMillimetres operator*(int64_t count, TMillimetres step) {
        return TMillimetres(static_cast<long double>(count) * step.FMm);
    }
    friend constexpr bool operator==(TMillimetres, TMillimetres) = default;

private:
    long double FMm = 0;
};

// Printer pixels per millimetre: the resolution in dots per inch / 25.4.
struct TPrinterScale {
    long double X = 0;
    long double Y = 0;
    static TPrinterScale FromDpi(int32_t dpiX, int32_t dpiY) { return {dpiX / 25.4L, dpiY / 25.4L}; }
};

struct TSheetGeometry {
    TMillimetres LabelLeft;  // the symbol's offset inside a label
    TMillimetres LabelTop;
    int32_t Columns = 1;
    int32_t Rows = 1;
    TMillimetres PageLeft;  // paper corner to the first label
    TMillimetres PageTop;
    // Carried along; labels are placed by the pitch alone.
    TMillimetres LabelWidth;
    TMillimetres LabelHeight;
    TMillimetres HorzPitch;  // left edge to left edge
    TMillimetres VertPitch;  // top edge to top edge

    // Positions on a page, 0 when rows or columns are not positive. In 64
    // bits: two 32-bit counts always fit.
    int64_t LabelCount() const;
    // Whether the labels can go on a paper of this size: every length a
    // finite number, the first label's origin on the paper and each pitch at
    // most the paper's side. Geometry beyond it (margins of 10^9 mm) would
    // put every label off the paper and overflow the printer's pixels.
    bool FitsPaper(TMillimetres paperWidth, TMillimetres paperHeight) const;
};

// The label numbers (from 1) a print walks, First to Last; empty when Last
// is below First.
struct TLabelSpan {
    int64_t First = 1;
    int64_t Last = 0;
    bool Empty() const { return Last < First; }
    int64_t Count() const { return Empty() ? 0 : Last - First + 1; }
    friend bool operator==(const TLabelSpan&, const TLabelSpan&) = default;
};

struct TLabelOrigin {
    int32_t Column = 0;  // from 0
    int32_t Row = 0;     // from 0
    // Labels are numbered left to right, top to bottom, from 1 on each page.
    int64_t Number = 1;
    // Where the label's printing starts, in printer pixels from the paper
    // corner.
    TPoint Position;
};

// The origin of the label at column and row (from 0) of a page; also past
// the page's last row or column.
TLabelOrigin LabelOriginAt(const TSheetGeometry& sheet, const TPrinterScale& scale, int32_t column, int32_t row);

// Every label origin of a page in print order (row by row, left to right),
// computed as it is reached.
class TLabelOrigins {
public:
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = TLabelOrigin;
        using difference_type = std::ptrdiff_t;
        using pointer = const TLabelOrigin*;
        using reference = TLabelOrigin;

        iterator() = default;
        TLabelOrigin operator*() const { return LabelOriginAt(*FSheet, FScale, FColumn, FRow); }
        iterator& operator++();
        iterator operator++(int) {
            iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const iterator& a, const iterator& b) {
            return a.FRow == b.FRow && a.FColumn == b.FColumn;
        }

    private:
        friend class TLabelOrigins;
        iterator(const TSheetGeometry* sheet, TPrinterScale scale, int32_t column, int32_t row)
            : FSheet(sheet), FScale(scale), FColumn(column), FRow(row) {}
        const TSheetGeometry* FSheet = nullptr;
        TPrinterScale FScale;
        int32_t FColumn = 0;
        int32_t FRow = 0;
    };

    TLabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale, TLabelSpan span);
    iterator begin() const;
    iterator end() const;
    int64_t size() const { return FSpan.Count(); }

private:
    iterator At(int64_t number) const;
    TSheetGeometry FSheet;
    TPrinterScale FScale;
    TLabelSpan FSpan;  // within the page
};

// Every label origin of a page, or those of the numbers in span only: a
// print walks the positions it prints and no others.
TLabelOrigins LabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale);
TLabelOrigins LabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale, TLabelSpan span);

// The print range of the label sheet window: the start and stop boxes and
// whether each is enabled (both are disabled while "Single label" is
// chosen).
struct TPrintRange {
    int32_t Start = 1;
    bool StartEnabled = true;
    int32_t Stop = 1;
    bool StopEnabled = true;

    // The range rule for label number of a page holding labelCount labels.
    bool Selects(int64_t number, int64_t labelCount) const;
    // The numbers of the sheet that pass the rule: they form one span.
    TLabelSpan Selected(const TSheetGeometry& sheet) const;
    int64_t SelectedCount(const TSheetGeometry& sheet) const { return Selected(sheet).Count(); }
};

// The single-label rule: "column:row" of the position (from 1, no leading
// zeros) equals the two texts joined by a colon.
bool SingleLabelSelects(const TLabelOrigin& origin, const std::string& columnText, const std::string& rowText);
// The one position of the sheet the rule selects, as a span (empty: none).
TLabelSpan SingleLabelSpan(const TSheetGeometry& sheet, const std::string& columnText, const std::string& rowText);

// The counting number's step: the text as a whole number plus one, at least
// as many digits as the text had (zero-padded); a text that is no number,
// or whose successor does not fit 64 bits, stays as it is.
std::string IncrementNumberText(const std::string& text);

// The checks of a counting run on the start and end texts, in their order.
enum class TCountingCheck {
    Ok,
    BeginNotLower,  // start is greater as text
    NoIncrement,    // the texts are equal
    Empty,          // either is empty: ends without a message
    TooLong,        // the start has more than 9 characters
};
TCountingCheck CheckCountingTexts(const std::string& start, const std::string& end);
