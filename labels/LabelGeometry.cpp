#include "labels/LabelGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/runtime/SysUtils.h"

namespace {
int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
}  // namespace

int64_t TSheetGeometry::LabelCount() const {
    if (Rows <= 0 || Columns <= 0) return 0;
    return static_cast<int64_t>(Rows) * Columns;
}

bool TSheetGeometry::FitsPaper(TMillimetres paperWidth, TMillimetres paperHeight) const {
    for (TMillimetres length : {LabelLeft, LabelTop, PageLeft, PageTop, LabelWidth, LabelHeight, HorzPitch, VertPitch})
        if (!std::isfinite(length.Value())) return false;
    const long double x = (PageLeft + LabelLeft).Value(), y = (PageTop + LabelTop).Value();
    if (x < 0 || y < 0 || x >= paperWidth.Value() || y >= paperHeight.Value()) return false;
    return std::fabs(HorzPitch.Value()) <= paperWidth.Value() && std::fabs(VertPitch.Value()) <= paperHeight.Value();
}

TLabelOrigin LabelOriginAt(const TSheetGeometry& sheet, const TPrinterScale& scale, int32_t column, int32_t row) {
    TLabelOrigin origin;
    origin.Column = column;
    origin.Row = row;
    origin.Number = static_cast<int64_t>(row) * sheet.Columns + column + 1;
    const long double x =
        (sheet.PageLeft + sheet.LabelLeft).Pixels(scale.X) + (column * sheet.HorzPitch).Pixels(scale.X);
    const long double y = (sheet.PageTop + sheet.LabelTop).Pixels(scale.Y) + (row * sheet.VertPitch).Pixels(scale.Y);
    origin.Position = {ClampToInt32(Round(x)), ClampToInt32(Round(y))};
    return origin;
}

TLabelOrigins::iterator& TLabelOrigins::iterator::operator++() {
    if (++FColumn >= FSheet->Columns) {
        FColumn = 0;
        ++FRow;
    }
    return *this;
}

TLabelOrigins::TLabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale, TLabelSpan span)
    : FSheet(sheet), FScale(scale) {
    FSpan = {std::max<int64_t>(span.First, 1), std::min(span.Last, sheet.LabelCount())};
}

TLabelOrigins::iterator TLabelOrigins::At(int64_t number) const {
    const int64_t index = number - 1;
    return iterator(&FSheet, FScale, static_cast<int32_t>(index % FSheet.Columns),
                    static_cast<int32_t>(index / FSheet.Columns));
}

TLabelOrigins::iterator TLabelOrigins::begin() const { return FSpan.Empty() ? end() : At(FSpan.First); }

TLabelOrigins::iterator TLabelOrigins::end() const {
    return FSpan.Empty() ? iterator(&FSheet, FScale, 0, 0) : At(FSpan.Last + 1);
}

TLabelOrigins LabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale) {
    return {sheet, scale, {1, sheet.LabelCount()}};
}

TLabelOrigins LabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale, TLabelSpan span) {
    return {sheet, scale, span};
}

bool TPrintRange::Selects(int64_t number, int64_t labelCount) const {
    int64_t m = StartEnabled ? number : 1;
    if (m < Start) return false;
    if (!StopEnabled) m = labelCount;
    return m <= Stop;
}

TLabelSpan TPrintRange::Selected(const TSheetGeometry& sheet) const {
    const int64_t count = sheet.LabelCount();
    if (count == 0) return {};
    // The numbers that pass form one interval of 1..count.
    int64_t low = 1, high = count;
    if (StartEnabled)
        low = std::max<int64_t>(low, Start);
    else if (1 < Start)
        return {};
    if (!StopEnabled) {
        if (count > Stop) return {};
    } else if (StartEnabled) {
        high = std::min<int64_t>(high, Stop);
    } else if (1 > Stop) {
        return {};
    }
    return {low, high};
}

bool SingleLabelSelects(const TLabelOrigin& origin, const std::string& columnText, const std::string& rowText) {
    return IntToStr(int64_t{origin.Column} + 1) + ":" + IntToStr(int64_t{origin.Row} + 1) == columnText + ":" + rowText;
}

TLabelSpan SingleLabelSpan(const TSheetGeometry& sheet, const std::string& columnText, const std::string& rowText) {
    // The text rule compares decimal text: "01" or "+1" names no position.
    auto position = [](const std::string& text, int32_t count, int64_t& value) {
        return TryStrToInt64(text, value) && IntToStr(value) == text && value >= 1 && value <= count;
    };
    int64_t column = 0, row = 0;
    if (sheet.LabelCount() == 0 || !position(columnText, sheet.Columns, column) || !position(rowText, sheet.Rows, row))
        return {};
    const int64_t number = (row - 1) * sheet.Columns + column;
    return {number, number};
}

std::string IncrementNumberText(const std::string& text) {
    int64_t value = 0;
    if (!TryStrToInt64(text, value) || value == std::numeric_limits<int64_t>::max()) return text;
    return Format("%." + IntToStr(static_cast<int64_t>(text.size())) + "d", value + 1);
}

TCountingCheck CheckCountingTexts(const std::string& start, const std::string& end) {
    const int order = CompareStr(start, end);
    if (order > 0) return TCountingCheck::BeginNotLower;
    if (order == 0) return TCountingCheck::NoIncrement;
    if (start.empty() || end.empty()) return TCountingCheck::Empty;
    if (start.size() > 9) return TCountingCheck::TooLong;
    return TCountingCheck::Ok;
}
