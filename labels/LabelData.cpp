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
    switch (Col) {
        case colType:
            return {"UPC_A",     "UPC_E",     "EAN_8",     "EAN_13",    "CODE39",     "CODE25i",     "Codabar",
                    "CODE128_A", "CODE128_B", "CODE128_C", "Postnet_5", "Postnet_9", "Postnet_11", "MSI_Plessey",
                    "EAN_ISBN"};
        case colModuleWidth: return {"SC2", "SC3"};
        case colBarHeight:
        case colFontHeight: return Percentages();
        case colRatio: return {"2:1", "3:1"};
        case colHumanReadable:
        case colZoom: return {"TRUE", "FALSE"};
        case colRotation: return {"000", "090", "180", "270"};
        case colTopSize:
        case colBottomSize: return {"6", "8", "10", "12", "14", "16", "18", "24", "26", "28", "32", "36"};
        default: return {};
    }
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
    for (size_t i = 0; i < Cells.size(); ++i) {
        if (i) out += ',';
        out += FileCell(Cells[i]);
    }
    return out;
}

int32_t TFieldSplitter::Split(std::string_view Line) {
    for (std::string& f : FFields) f.clear();
    if (Line.empty()) return 0;
    int32_t n = 0;
    std::string field;
    // The line's end closes the last field as a comma would.
    for (size_t i = 0; i <= Line.size(); ++i) {
        const char c = i < Line.size() ? Line[i] : ',';
        if (c == '"') continue;
        if (c != ',') {
            field += c;
            continue;
        }
        if (n < MaxFields) FFields[static_cast<size_t>(n)] = std::move(field);
        field.clear();
        ++n;
    }
    return n < MaxFields ? n : MaxFields;
}

}  // namespace LabelData
