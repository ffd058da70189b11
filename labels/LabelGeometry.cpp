#include "labels/LabelGeometry.h"

#include <algorithm>
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

TLabelOrigins::iterator TLabelOrigins::begin() const {
    if (FSheet.LabelCount() == 0) return end();
    return iterator(&FSheet, FScale, 0, 0);
}

TLabelOrigins::iterator TLabelOrigins::end() const {
    return iterator(&FSheet, FScale, 0, FSheet.LabelCount() == 0 ? 0 : FSheet.Rows);
}

TLabelOrigins LabelOrigins(const TSheetGeometry& sheet, const TPrinterScale& scale) { return {sheet, scale}; }

bool TPrintRange::Selects(int64_t number, int64_t labelCount) const {
    int64_t m = StartEnabled ? number : 1;
    if (m < Start) return false;
    if (!StopEnabled) m = labelCount;
    return m <= Stop;
}

int64_t TPrintRange::SelectedCount(const TSheetGeometry& sheet) const {
    const int64_t count = sheet.LabelCount();
    if (count == 0) return 0;
    // The numbers that pass form one interval of 1..count.
    int64_t low = 1, high = count;
    if (StartEnabled)
        low = std::max<int64_t>(low, Start);
    else if (1 < Start)
        return 0;
    if (!StopEnabled) {
        if (count > Stop) return 0;
    } else if (StartEnabled) {
        high = std::min<int64_t>(high, Stop);
    } else if (1 > Stop) {
        return 0;
    }
    return high >= low ? high - low + 1 : 0;
}

bool SingleLabelSelects(const TLabelOrigin& origin, const std::string& columnText, const std::string& rowText) {
    return IntToStr(int64_t{origin.Column} + 1) + ":" + IntToStr(int64_t{origin.Row} + 1) == columnText + ":" + rowText;
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
