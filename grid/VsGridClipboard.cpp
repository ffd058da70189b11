// The grid's clipboard: copying and cutting blocks of cells as text (and
// the first cell's rich text), pasting blocks, and the smart paste of one
// value or of a series.
#include <cmath>

#include "grid/VsGrid.h"
#include "grid/VsUtil.h"
#include "platform/controls/Clipbrd.h"

namespace {

constexpr const char* kRichTextFormat = "Rich Text Format";

bool Contains(std::string_view s, const char* sub) { return s.find(sub) != std::string_view::npos; }

// Opens the clipboard for one operation and closes it on every way out.
class TClipboardSession {
public:
    TClipboardSession() : FClipboard(Clipboard()) { FClipboard->Open(); }
    ~TClipboardSession() { FClipboard->Close(); }
    TClipboardSession(const TClipboardSession&) = delete;
    TClipboardSession& operator=(const TClipboardSession&) = delete;
    TClipboard* operator->() const { return FClipboard; }

private:
    TClipboard* FClipboard;
};

// A field's text as the cell takes it: a quoted multi-line field loses its
// quotes (with Unquote), and its bare line feeds become CR LF.
std::string FieldText(std::string_view Field, bool Unquote) {
    if (Field.find('\n') == std::string_view::npos) return std::string(Field);
    if (Unquote && Field.size() >= 2 && Field.front() == '"' && Field.back() == '"')
        Field = Field.substr(1, Field.size() - 2);
    std::string text;
    text.reserve(Field.size() + 8);
    for (size_t i = 0; i < Field.size(); ++i) {
        if (Field[i] == '\n' && (i == 0 || Field[i - 1] != '\r')) text.push_back('\r');
        text.push_back(Field[i]);
    }
    return text;
}

}  // namespace

void TVsStringGrid::CopySelectionToClipboard() {
    CopyRangeToClipboard(Selection());
    FLastActionWasCopy = true;
}

void TVsStringGrid::CutSelectionToClipboard() {
    CopySelectionToClipboard();
    const TGridRect s = Selection();
    for (int32_t r = s.Top; r <= s.Bottom; ++r)
        for (int32_t c = s.Left; c <= s.Right; ++c) {
            const int32_t real = RealColIndex(c);
            if (CellIsEditable(real, r)) SetCells(real, r, "");
        }
    FLastActionWasCopy = false;
}

void TVsStringGrid::CopyRangeToClipboard(const TGridRect& Range) {
    FCopyOrigin = TPoint{Range.Left, Range.Top};
    const bool stripTags = !FNavigation->CopyHTMLTagsToClipboard();
    std::string buffer;
    std::string converted;
    for (int32_t r = Range.Top; r <= Range.Bottom; ++r) {
        for (int32_t c = Range.Left; c <= Range.Right; ++c) {
            const std::string_view text = CellText(RealColIndex(c), r);
            std::string_view field = text;
            if (stripTags && Contains(text, "</")) {
                converted = StripHTMLTags(text);
                field = converted;
            } else if (Contains(text, "{\\") && FRichEditor) {
                LoadRichText(RealColIndex(c), r, FRichEditor);
                converted = FRichEditor->PlainText();
                field = converted;
            }
            if (FClipboardQuoteLines && FMultilinecells && field.find('\r') != std::string_view::npos) {
                if (field.data() != converted.data()) converted = field;
                CSVQuote(converted);
                field = converted;
            }
            buffer += field;
            buffer += c == Range.Right ? "\r\n" : "\t";
        }
    }
    if (buffer.size() >= 2) buffer.resize(buffer.size() - 2);
    TClipboardSession clipboard;
    clipboard->SetAsText(buffer);
    if (FNavigation->AllowRTFClipboard()) CopyRTFToClipboard(Range.Left, Range.Top);
}

void TVsStringGrid::CopyRTFToClipboard(int32_t ACol, int32_t ARow) {
    const std::string text = Cells(RealColIndex(ACol), ARow);
    if (!Contains(text, "{\\")) return;
    std::string bytes = text;
    bytes.push_back('\0');
    TClipboardSession clipboard;
    clipboard->SetFormatData(RegisterClipboardFormat(kRichTextFormat), bytes);
}

int32_t TVsStringGrid::PasteFromClipboardAt(int32_t ACol, int32_t ARow) {
    std::string text;
    {
        TClipboardSession clipboard;
        const TClipboardFormat rtf = RegisterClipboardFormat(kRichTextFormat);
        if (FNavigation->AllowRTFClipboard() && clipboard->HasFormat(rtf)) {
            std::string bytes = clipboard->GetFormatData(rtf);
            bytes.resize(std::char_traits<char>::length(bytes.c_str()));
            const int32_t real = RealColIndex(ACol);
            if (CellIsEditable(real, ARow)) SetCells(real, ARow, bytes);
            return 0;
        }
        if (!clipboard->HasFormat(CF_TEXT)) return 0;
        text = clipboard->GetFormatData(CF_TEXT);
    }
    return PasteTextBlock(ACol, ARow, text);
}

int32_t TVsStringGrid::PasteTextBlock(int32_t ACol, int32_t ARow, const std::string& Text) {
    FPastedRange = TGridRect{ACol, ARow, ACol - 1, ARow - 1};
    if ((Options() & goEditing) == 0) return 0;
    std::string_view text(Text.c_str());
    // A final line break ends the last line; it does not start another.
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.remove_suffix(2);
    else if (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    // Text from programs that end lines with a bare LF: those LFs end rows.
    const bool lfEndsLines = text.find('\r') == std::string_view::npos;
    const bool quoted = FClipboardQuoteLines;

    int32_t count = 0;
    int32_t row = ARow;
    int32_t col = ACol;
    int32_t lastCol = ACol - 1;
    size_t pos = 0;
    for (;;) {
        // One field: a quoted one runs to its closing quote before a
        // separator, whatever line feeds it holds.
        size_t end = std::string_view::npos;
        if (quoted && pos < text.size() && text[pos] == '"') {
            for (size_t q = text.find('"', pos + 1); q != std::string_view::npos; q = text.find('"', q + 1)) {
                const size_t after = q + 1;
                if (after == text.size() || text[after] == '\t' || text[after] == '\r' ||
                    (lfEndsLines && text[after] == '\n')) {
                    if (text.substr(pos, after - pos).find('\n') != std::string_view::npos) end = after;
                    break;
                }
            }
        }
        if (end == std::string_view::npos) {
            end = text.find_first_of(lfEndsLines ? "\t\r\n" : "\t\r", pos);
            if (end == std::string_view::npos) end = text.size();
        }
        const int32_t real = RealColIndex(col);
        if (col >= ColCount()) SetColCount(col + 1);
        if (CellIsEditable(real, row)) SetCells(real, row, FieldText(text.substr(pos, end - pos), quoted));
        ++count;
        if (col > lastCol) lastCol = col;
        if (end >= text.size()) break;
        const char separator = text[end];
        pos = end + 1;
        if (separator == '\t') {
            ++col;
            continue;
        }
        if (separator == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
        ++row;
        if (row >= RowCount()) SetRowCount(RowCount() + 1);
        col = ACol;
    }
    FPastedRange = TGridRect{ACol, ARow, lastCol, row};
    AfterPaste(TPoint{FCopyOrigin.X, FCopyOrigin.Y}, FPastedRange, FLastActionWasCopy);
    return count;
}

void TVsStringGrid::AfterPaste(TPoint, const TGridRect&, bool) {}

void TVsStringGrid::PasteSelectionFromClipboard() {
    const TGridRect s = Selection();
    const int32_t n = PasteFromClipboardAt(s.Left, s.Top);
    if (!FNavigation->AllowSmartClipboard()) return;
    const int32_t firstCol = RealColIndex(s.Left);
    // Every cell of the selection, column by column and top to bottom.
    auto walk = [&](const std::function<void(int32_t col, int32_t row, bool first)>& Visit) {
        bool first = true;
        for (int32_t c = s.Left; c <= s.Right; ++c)
            for (int32_t r = s.Top; r <= s.Bottom; ++r) {
                Visit(RealColIndex(c), r, first);
                first = false;
            }
    };
    if (n == 1 && (s.Right > s.Left || s.Bottom > s.Top)) {
        const std::string value = Cells(firstCol, s.Top);
        walk([&](int32_t c, int32_t r, bool) {
            if (CellIsEditable(c, r)) SetCells(c, r, value);
        });
        return;
    }
    if (n != 2 || (s.Right != s.Left && s.Bottom != s.Top)) return;
    // The second value is where the paste put it, and it must lie inside.
    TPoint second = FPastedRange.Right > FPastedRange.Left ? TPoint{s.Left + 1, s.Top} : TPoint{s.Left, s.Top + 1};
    if (second.X > s.Right || second.Y > s.Bottom) return;
    const std::string first = Cells(firstCol, s.Top);
    const std::string next = Cells(RealColIndex(second.X), second.Y);
    const TFormatSettings& fs = FormatSettings();
    auto has = [](const std::string& t, char c) { return t.find(c) != std::string::npos; };

    if ((has(first, fs.DateSeparator) || has(first, fs.TimeSeparator)) &&
        (has(next, fs.DateSeparator) || has(next, fs.TimeSeparator))) {
        TDateTime v = StrToDateTime(first);
        const TDateTime delta = StrToDateTime(next) - v;
        int y1, m1, d1, y2, m2, d2;
        DecodeDate(v, y1, m1, d1);
        DecodeDate(v + delta, y2, m2, d2);
        const bool asDate = has(first, fs.DateSeparator);
        // The value steps between cells, so that a step past the last cell
        // cannot fail a series that was written whole.
        walk([&](int32_t c, int32_t r, bool isFirst) {
            if (!isFirst) v = StepDate(y2 - y1, m2 - m1, d2 - d1, v, delta);
            if (CellIsEditable(c, r)) SetCells(c, r, asDate ? DateToStr(v) : TimeToStr(v));
        });
        return;
    }
    if (has(first, fs.DecimalSeparator) || has(next, fs.DecimalSeparator)) {
        long double v = StrToFloat(first);
        const long double delta = StrToFloat(next) - v;
        // Fifteen significant digits: a one-digit form would round the
        // series' own values away.
        walk([&](int32_t c, int32_t r, bool isFirst) {
            if (!isFirst) v += delta;
            if (CellIsEditable(c, r)) SetCells(c, r, FloatToStrF(v, ffGeneral, 15, 0));
        });
        return;
    }
    int32_t a, b;
    if (!TryStrToInt(first, a) || !TryStrToInt(next, b)) return;
    int64_t v = a;
    const int64_t delta = int64_t(b) - a;
    walk([&](int32_t c, int32_t r, bool isFirst) {
        if (!isFirst) v = static_cast<int32_t>(static_cast<uint32_t>(v + delta));
        if (CellIsEditable(c, r)) SetCellInteger(c, r, static_cast<int32_t>(v));
    });
}
