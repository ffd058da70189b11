#include "grid/VsSpreadsheet.h"

#include <freexl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

using namespace VsSpreadsheetConst;

namespace {
TSpreadsheetProvider& Provider() {
    static TSpreadsheetProvider provider = FreeXlSpreadsheetProvider();
    return provider;
}
}  // namespace

TSpreadsheetProvider SetSpreadsheetProvider(TSpreadsheetProvider Value) {
    TSpreadsheetProvider old = std::move(Provider());
    Provider() = std::move(Value);
    return old;
}

std::unique_ptr<TSpreadsheetApplication> CreateSpreadsheetApplication() {
    if (!Provider()) return nullptr;
    return Provider()();
}

std::string ColumnLetters(int32_t Column) {
    std::string out;
    while (Column > 0) {
        --Column;
        out.insert(out.begin(), static_cast<char>('A' + Column % 26));
        Column /= 26;
    }
    return out;
}

int32_t ColumnNumber(const std::string& Letters) {
    if (Letters.empty() || Letters.size() > 4) return 0;
    int32_t n = 0;
    for (char c : Letters) {
        const int u = std::toupper(static_cast<unsigned char>(c));
        if (u < 'A' || u > 'Z') return 0;
        n = n * 26 + (u - 'A' + 1);
    }
    return n;
}

bool ParseCell(const std::string& Text, int32_t& Column, int32_t& Row) {
    std::string letters, digits;
    size_t i = 0;
    if (i < Text.size() && Text[i] == '$') ++i;
    while (i < Text.size() && std::isalpha(static_cast<unsigned char>(Text[i]))) letters += Text[i++];
    if (i < Text.size() && Text[i] == '$') ++i;
    while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i]))) digits += Text[i++];
    if (i != Text.size() || digits.empty() || digits.size() > 7) return false;
    Column = ColumnNumber(letters);
    Row = std::stoi(digits);
    return Column > 0 && Row > 0;
}

bool ParseRange(const std::string& Address, int32_t& Left, int32_t& Top, int32_t& Right, int32_t& Bottom) {
    const size_t colon = Address.find(':');
    if (colon == std::string::npos) {
        if (!ParseCell(Address, Left, Top)) return false;
        Right = Left;
        Bottom = Top;
        return true;
    }
    return ParseCell(Address.substr(0, colon), Left, Top) && ParseCell(Address.substr(colon + 1), Right, Bottom) &&
           Left <= Right && Top <= Bottom;
}

// ---------------------------------------------------------------- FreeXL

namespace {
// A cell's value as the grid shows it: numbers in the platform's format,
// dates and times in its short date and long time formats.
std::string CellText(const FreeXL_CellValue& v) {
    switch (v.type) {
        case FREEXL_CELL_INT: return IntToStr(v.value.int_value);
        case FREEXL_CELL_DOUBLE: return FloatToStr(v.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: return v.value.text_value ? v.value.text_value : "";
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
            const std::string s = v.value.text_value ? v.value.text_value : "";
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
            TDateTime date;
            if (v.type == FREEXL_CELL_TIME) {
                if (std::sscanf(s.c_str(), "%d:%d:%d", &h, &mi, &se) == 3) return TimeToStr(EncodeTime(h, mi, se, 0));
                return s;
            }
            if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &mo, &d) != 3 || !TryEncodeDate(y, mo, d, date)) return s;
            if (v.type == FREEXL_CELL_DATE) return DateToStr(date);
            if (std::sscanf(s.c_str() + 10, " %d:%d:%d", &h, &mi, &se) == 3)
                return DateToStr(date) + " " + TimeToStr(EncodeTime(h, mi, se, 0));
            return s;
        }
        default: return "";
    }
}

class TFreeXlWorkbook : public TSpreadsheetWorkbook {
public:
    explicit TFreeXlWorkbook(const void* handle) : FHandle(handle) {}
    ~TFreeXlWorkbook() override { Close(false); }

    int32_t SheetCount() override {
        unsigned int count = 0;
        if (FHandle) freexl_get_info(FHandle, FREEXL_BIFF_SHEET_COUNT, &count);
        return static_cast<int32_t>(std::min<unsigned>(count, INT32_MAX));
    }
    std::string SheetName(int32_t Index) override {
        Select(Index);
        const char* name = nullptr;
        if (freexl_get_worksheet_name(FHandle, static_cast<unsigned short>(Index - 1), &name) != FREEXL_OK || !name)
            return "";
        return name;
    }
    // The workbook's window state is not read: its first sheet is active.
    int32_t ActiveSheet() override { return 1; }

    std::string UsedRangeAddress(int32_t Sheet) override {
        Select(Sheet);
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(FHandle, &rows, &cols);
        // The dimensions count from A1; the used range is where values are.
        int64_t left = INT64_MAX, top = INT64_MAX, right = -1, bottom = -1;
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(FHandle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL) continue;
                left = std::min<int64_t>(left, c);
                right = std::max<int64_t>(right, c);
                top = std::min<int64_t>(top, r);
                bottom = std::max<int64_t>(bottom, r);
            }
        if (right < 0) return "$A$1";
        auto corner = [](int64_t c, int64_t r) {
            return "$" + ColumnLetters(static_cast<int32_t>(c + 1)) + "$" + std::to_string(r + 1);
        };
        if (left == right && top == bottom) return corner(left, top);
        return corner(left, top) + ":" + corner(right, bottom);
    }

    TRangeValues RangeValues(int32_t Sheet, const std::string& Address) override {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        if (!ParseRange(Address, left, top, right, bottom)) throw ESpreadsheetError(FmtMsg(SBadRange, Address));
        Select(Sheet);
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(FHandle, &rows, &cols);
        TRangeValues out(static_cast<size_t>(bottom - top + 1),
                         std::vector<std::string>(static_cast<size_t>(right - left + 1)));
        for (int32_t r = top; r <= bottom && static_cast<unsigned>(r) <= rows; ++r)
            for (int32_t c = left; c <= right && c <= cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(FHandle, static_cast<unsigned>(r - 1), static_cast<unsigned short>(c - 1),
                                          &v) == FREEXL_OK)
                    out[static_cast<size_t>(r - top)][static_cast<size_t>(c - left)] = CellText(v);
            }
        return out;
    }

    void Close(bool) override {
        if (FHandle) freexl_close(FHandle);
        FHandle = nullptr;
    }

private:
    void Select(int32_t Sheet) {
        if (!FHandle || Sheet < 1 || Sheet > SheetCount() ||
            freexl_select_active_worksheet(FHandle, static_cast<unsigned short>(Sheet - 1)) != FREEXL_OK)
            throw ESpreadsheetError(FmtMsg(SBadSheet, Sheet));
    }
    const void* FHandle;
};

class TFreeXlApplication : public TSpreadsheetApplication {
public:
    std::unique_ptr<TSpreadsheetWorkbook> Open(const std::string& FileName) override {
        const void* handle = nullptr;
        const int rc = freexl_open(FileName.c_str(), &handle);
        if (rc != FREEXL_OK) {
            if (handle) freexl_close(handle);
            throw ESpreadsheetError(FmtMsg(SCannotOpenWorkbook, FileName));
        }
        return std::make_unique<TFreeXlWorkbook>(handle);
    }
    void Quit() override {}
};
}  // namespace

TSpreadsheetProvider FreeXlSpreadsheetProvider() {
    return [] { return std::make_unique<TFreeXlApplication>(); };
}
