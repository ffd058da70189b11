#include "labels/LabelData.h"

namespace LabelData {

TEditorKind EditorKindOf(int32_t Col) {
    switch (Col) {
        case colType:
        case colFont:
        case colModuleWidth:
        case colBarHeight:
        case colFontHeight:
        case colRatio:
        case colHumanReadable:
        case colZoom:
        case colRotation:
        case colTopSize:
        case colBottomSize: return TEditorKind::List;
        case colCaption:
        case colAddOn:
        case colTopCaption:
        case colBottomCaption: return TEditorKind::Ellipsis;
        default: return TEditorKind::Text;
    }
}

namespace {
std::vector<std::string> Percentages() {
    // "100" first, then 20 to 150 (so "100" is in it twice).
    std::vector<std::string> out{"100"};
    for (int p = 20; p <= 150; p += 10) out.push_back(std::to_string(p));
    return out;
}
}  // namespace

std::vector<std::string> ColumnChoices(int32_t Col) {
    std::vector<std::string> out;
    auto words = [&out](const auto& list, auto word) {
        for (const auto& w : list) out.emplace_back(word(w));
        return out;
    };
    auto plain = [](const char* w) { return w; };
    switch (Col) {
        case colType: return words(TypeWords, [](const TTypeWord& w) { return w.Word; });
        case colModuleWidth: return words(ModuleWidthWords, plain);
        case colBarHeight:
        case colFontHeight: return Percentages();
        case colRatio: return words(RatioWords, [](const TRatioWord& w) { return w.Word; });
        case colHumanReadable:
        case colZoom: return {TrueWord, FalseWord};
        case colRotation: return words(RotationWords, [](const TRotationWord& w) { return w.Word; });
        case colTopSize:
        case colBottomSize: return words(CaptionSizeWords, plain);
        default: return {};
    }
}

bool TypeOfWord(std::string_view Word, btCodeTypes& Type) {
    for (const TTypeWord& w : TypeWords)
        if (Word == w.Word) {
            Type = w.Type;
            return true;
        }
    return false;
}

void NameTheCell(Exception& E, int32_t DataRow, int32_t Col) {
    const char* title = Col >= 0 && Col < ColumnCount ? Headers[static_cast<size_t>(Col)] : "";
    E.SetMessage("Data row " + std::to_string(DataRow) + ", column \"" + title + "\": " + E.Message());
}

namespace {
int32_t SizeCell(const std::vector<std::string>& Row, int32_t DataRow, int32_t Col, int32_t Blank, bool EmptyIsBlank) {
    const std::string& cell = Row[static_cast<size_t>(Col)];
    if (IsBlank(cell) || (EmptyIsBlank && cell.empty())) return Blank;
    int32_t value = 0;
    ForCell(DataRow, Col, [&] { value = StrToInt(cell); });
    return value;
}
}  // namespace

TRowSettings RowSettings(const std::vector<std::string>& Row, int32_t DataRow) {
    auto cell = [&](int32_t col) -> const std::string& { return Row[static_cast<size_t>(col)]; };
    TRowSettings s;
    s.TopSize = SizeCell(Row, DataRow, colTopSize, 6, false);
    s.BarHeight = SizeCell(Row, DataRow, colBarHeight, 100, false);
    s.FontHeight = SizeCell(Row, DataRow, colFontHeight, 100, false);
    // A really empty bottom size is the blank one: 6 points.
    s.BottomSize = SizeCell(Row, DataRow, colBottomSize, 6, true);
    s.HasType = TypeOfWord(cell(colType), s.Type);
    s.Caption = cell(colCaption);
    s.AddOn = cell(colAddOn);
    s.Font = IsBlank(cell(colFont)) ? "Arial" : cell(colFont);
    for (const TRotationWord& w : RotationWords)
        if (cell(colRotation) == w.Word) s.Rotation = w.Rotation;
    s.HumanReadable = UpperCase(cell(colHumanReadable)) != FalseWord;
    for (const TRatioWord& w : RatioWords)
        if (cell(colRatio) == w.Word) s.Ratio = w.Ratio;
    s.ModuleWidth = UpperCase(cell(colZoom)) == TrueWord ? SC9 : SC2;
    s.HasTopCaption = !IsBlank(cell(colTopCaption));
    s.TopCaption = cell(colTopCaption);
    s.BottomCaption = cell(colBottomCaption);
    return s;
}

TDataPlacement::TDataPlacement(int32_t Columns, int32_t Rows, int32_t StartRow, int32_t StartCol, int32_t RowCount,
                               std::function<bool(int32_t)> Ended)
    : FColumns(Columns), FRows(Rows), FEnded(std::move(Ended)), FR(StartRow - 1), FS(StartCol - 1) {
    // At most (row count div columns) + 1 rounds, one more when the first
    // starts inside a row.
    FRounds = Columns > 0 ? int64_t{RowCount} / Columns + 1 + (FS > 0 ? 1 : 0) : 0;
}

bool TDataPlacement::Next(TDataLabel& Label) {
    while (!FDone) {
        if (!FInRound) {
            if (FRound >= FRounds) break;
            if (FR == FRows) {
                // After the last label no page follows.
                if (FLastRow) break;
                FNewPage = true;
                FR = 0;
                FS = 0;
            }
            FC = FRound == 0 ? FS : 0;
            FInRound = true;
        }
        if (FC >= FColumns) {
            FInRound = false;
            ++FR;
            ++FRound;
            continue;
        }
        if (FEnded(FD)) break;
        if (FEnded(FD + 1)) FLastRow = true;
        Label = TDataLabel{FC, FR, FD, int64_t{FR} * FColumns + FC + 1, FNewPage};
        FNewPage = false;
        ++FC;
        ++FD;
        return true;
    }
    FDone = true;
    return false;
}

std::string FileCell(const std::string& Cell) {
    bool quote = false;
    for (char c : Cell)
        if (c == ' ' || c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) quote = true;
    if (!quote) return Cell;
    std::string out = "\"";
    for (char c : Cell) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string FileLine(const std::vector<std::string>& Cells) {
    std::string out;
    AppendFileLine(out, Cells);
    return out;
}

void AppendFileLine(std::string& Out, const std::vector<std::string>& Cells) {
    for (size_t i = 0; i < Cells.size(); ++i) {
        if (i) Out += ',';
        const std::string& cell = Cells[i];
        bool quote = false;
        for (char c : cell)
            if (c == ' ' || c == ',' || c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                quote = true;
                break;
            }
        if (!quote) {
            Out += cell;
            continue;
        }
        Out += '"';
        for (char c : cell) {
            if (c == '"') Out += '"';
            Out += c;
        }
        Out += '"';
    }
}

}  // namespace LabelData
