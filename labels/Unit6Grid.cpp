// The label data editor's grid: its editors per column, its colours and
// the row commands, and the row copy shared with the label data table.
#include <algorithm>

#include "grid/VsGrid.h"
#include "labels/LabelData.h"
#include "labels/Unit4.h"
#include "labels/Unit6.h"
#include "platform/controls/Dialogs.h"

using namespace LabelData;

void SetUpLabelDataGrid(TVsStringGrid& Grid) {
    Grid.SetColCount(ColumnCount);
    Grid.SetFixedCols(1);
    Grid.SetFixedRows(1);
    for (int32_t c = 0; c < ColumnCount; ++c) Grid.SetCells(c, 0, Headers[static_cast<size_t>(c)]);
    Grid.SetColWidths(0, 10);
    Grid.SetRowHeights(0, 18);
}

void CopyRowByCommaText(TVsStringGrid& From, int32_t FromRow, TVsStringGrid& To, int32_t ToRow) {
    // Joined by the file's writing rule and read back as comma text, every
    // cell comes back as it was, an empty one as the blank marker.
    // The target's cells beyond the source's are blanked.
    const int32_t n = std::min(From.ColCount(), To.ColCount());
    for (int32_t c = 0; c < To.ColCount(); ++c) {
        if (c >= n) {
            To.SetCells(c, ToRow, "");
            continue;
        }
        const std::string& cell = From.Cells(c, FromRow);
        To.SetCells(c, ToRow, cell.empty() ? BlankMarker : cell);
    }
}

TStringGrid* TfrmEdit::EditGrid() const { return StringGrid1; }

void TfrmEdit::BuildGrid() {
    StringGrid1 = new TVsStringGrid(this);
    StringGrid1->SetName("StringGrid1");
    StringGrid1->SetParent(this);
    StringGrid1->SetAlign(alClient);
    StringGrid1->SetRowCount(2);
    StringGrid1->SetOptions(StringGrid1->Options() | goEditing | goColSizing | goTabs);
    SetUpLabelDataGrid(*StringGrid1);
    StringGrid1->OnGetCellColor = [this](TObject* s, int32_t r, int32_t c, TGridDrawState st, TBrush* b,
                                         TFont* f) { StringGrid1GetCellColor(s, r, c, st, b, f); };
    StringGrid1->OnGetEditorType = [this](TObject* s, int32_t c, int32_t r, TEditorType& e) {
        StringGrid1GetEditorType(s, c, r, e);
    };
    StringGrid1->OnEllipsClick = [this](TObject* s, int32_t c, int32_t r, std::string& text) {
        StringGrid1EllipsClick(s, c, r, text);
    };
}

void TfrmEdit::FormCreate(TObject* Sender) {
    StringGrid1->SetColWidths(0, 10);
    StringGrid1->SetRowHeights(0, 18);
}

void TfrmEdit::ToolButton1Click(TObject* Sender) {
    if (frmLabels && frmLabels->StringGrid1) {
        TVsStringGrid& table = *frmLabels->StringGrid1;
        table.SetRowCount(StringGrid1->RowCount());
        for (int32_t r = 0; r < StringGrid1->RowCount(); ++r) CopyRowByCommaText(*StringGrid1, r, table, r);
    }
    Close();
}

void TfrmEdit::ToolButton5Click(TObject* Sender) { Close(); }

void TfrmEdit::BlankRow(int32_t Row) {
    for (int32_t c = 0; c < StringGrid1->ColCount(); ++c) StringGrid1->SetCells(c, Row, "");
}

void TfrmEdit::ToolButton7Click(TObject* Sender) {
    StringGrid1->SetRowCount(StringGrid1->RowCount() + 1);
    BlankRow(StringGrid1->RowCount() - 1);
}

void TfrmEdit::ToolButton3Click(TObject* Sender) {
    const int32_t current = StringGrid1->Row();
    StringGrid1->SetRowCount(StringGrid1->RowCount() + 1);
    for (int32_t r = StringGrid1->RowCount() - 1; r > current; --r)
        for (int32_t c = 0; c < StringGrid1->ColCount(); ++c)
            StringGrid1->SetCells(c, r, StringGrid1->Cells(c, r - 1));
    BlankRow(current);
}

void TfrmEdit::ToolButton4Click(TObject* Sender) {
    if (StringGrid1->RowCount() <= 2) return;
    const int32_t current = StringGrid1->Row();
    for (int32_t r = current; r < StringGrid1->RowCount() - 1; ++r)
        for (int32_t c = 0; c < StringGrid1->ColCount(); ++c)
            StringGrid1->SetCells(c, r, StringGrid1->Cells(c, r + 1));
    StringGrid1->SetRowCount(StringGrid1->RowCount() - 1);
}

void TfrmEdit::StringGrid1GetCellColor(TObject* Sender, int32_t ARow, int32_t ACol, TGridDrawState AState,
                                       TBrush* ABrush, TFont* AFont) {
    if (ARow > 0 && (ACol == colType || ACol == colCaption || ACol == colFont)) ABrush->SetColor(clInfoBk);
}

void TfrmEdit::StringGrid1GetEditorType(TObject* Sender, int32_t aCol, int32_t aRow, TEditorType& aEditor) {
    Application->ProcessMessages();
    switch (EditorKindOf(aCol)) {
        case TEditorKind::List: {
            aEditor = edComboDropDownList;
            TStrings* items = StringGrid1->CellCombo()->Items();
            items->Clear();
            if (aCol == colFont) {
                items->AddStrings(*Screen->Fonts());
            } else {
                for (const std::string& s : ColumnChoices(aCol)) items->Add(s);
            }
            break;
        }
        case TEditorKind::Ellipsis: aEditor = edEditBtn; break;
        case TEditorKind::Text: break;
    }
}

void TfrmEdit::StringGrid1EllipsClick(TObject* Sender, int32_t aCol, int32_t aRow, std::string& S) {
    std::string value = S;
    if (InputQuery("Varsona", "Value:", value)) S = value;
}
