// Painting of the grid: the grid-wide pass, each cell with its colours,
// bands, background, selection look, borders, text kinds and graphics, and
// the measuring of cell text.
#include "grid/VsGrid.h"
#include "grid/VsUtil.h"

void TVsStringGrid::Paint() { TStringGrid::Paint(); }

void TVsStringGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
    TStringGrid::DrawCell(RealColIndex(ACol), ARow, ARect, AState);
}

void TVsStringGrid::GetDisplayText(int32_t, int32_t, std::string&) {}

TAlignment TVsStringGrid::GetCellAlignment(int32_t ACol, int32_t ARow) {
    TAlignment alignment = taLeftJustify;
    if (FAutoNumAlign && NumberClass(Cells(ACol, ARow)) != ncOther) alignment = taRightJustify;
    GetAlignment(ACol, ARow, alignment);
    return alignment;
}

void TVsStringGrid::MeasureCellText(int32_t, int32_t, int32_t& Width, int32_t& Height) {
    Width = 0;
    Height = 0;
}

void TVsStringGrid::LoadRichText(int32_t ACol, int32_t ARow, TVsRichEdit* Editor) {
    if (!Editor) return;
    const std::string& text = Cells(ACol, ARow);
    if (text.empty()) {
        Editor->Clear();
        return;
    }
    TStringStream stream(text);
    Editor->LoadFromStream(stream);
}

void TVsStringGrid::StrippedCellText(int32_t ACol, int32_t ARow, std::string& Text) {
    Text = StripHTMLTags(Cells(ACol, ARow));
}
