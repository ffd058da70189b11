// The label data editor's grid: its editors per column, its colours and
// the row commands, and the row copy shared with the label data table.
#include <algorithm>

#include "grid/VsGrid.h"
#include "labels/LabelConst.h"
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
        const std::string cell = From.Cells(c, FromRow);
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

void TfrmEdit::LoadFrom(TVsStringGrid& Table) {
    // Every column of the table comes along, so that none is lost when the
    // rows go back.
    StringGrid1->SetColCount(std::max(ColumnCount, Table.ColCount()));
    for (int32_t c = ColumnCount; c < StringGrid1->ColCount(); ++c) StringGrid1->SetCells(c, 0, "");
    StringGrid1->SetRowCount(Table.RowCount());
    for (int32_t r = 1; r < Table.RowCount(); ++r) CopyRowByCommaText(Table, r, *StringGrid1, r);
    FLoaded = Snapshot();
}

std::vector<std::vector<std::string>> TfrmEdit::Snapshot() const {
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(StringGrid1->RowCount()));
    for (int32_t r = 0; r < StringGrid1->RowCount(); ++r)
        for (int32_t c = 0; c < StringGrid1->ColCount(); ++c)
            rows[static_cast<size_t>(r)].push_back(StringGrid1->Cells(c, r));
    return rows;
}

bool TfrmEdit::Modified() {
    if (StringGrid1->EditorMode() || StringGrid1->EditorControlShowing()) StringGrid1->HideCurrentEditor();
    return Snapshot() != FLoaded;
}

void TfrmEdit::SaveToTable() {
    if (StringGrid1->EditorMode() || StringGrid1->EditorControlShowing()) StringGrid1->HideCurrentEditor();
    if (!frmLabels || !frmLabels->StringGrid1) return;
    TVsStringGrid& table = *frmLabels->StringGrid1;
    std::vector<std::vector<std::string>> before(static_cast<size_t>(table.RowCount()));
    for (int32_t r = 1; r < table.RowCount(); ++r)
        for (int32_t c = 1; c < table.ColCount(); ++c) before[static_cast<size_t>(r)].push_back(table.Cells(c, r));
    table.SetRowCount(StringGrid1->RowCount());
    for (int32_t r = 0; r < StringGrid1->RowCount(); ++r) CopyRowByCommaText(*StringGrid1, r, table, r);
    std::vector<std::vector<std::string>> after(static_cast<size_t>(table.RowCount()));
    for (int32_t r = 1; r < table.RowCount(); ++r)
        for (int32_t c = 1; c < table.ColCount(); ++c) after[static_cast<size_t>(r)].push_back(table.Cells(c, r));
    if (after != before) frmLabels->SetDataTableChanged(true);
    FLoaded = Snapshot();
}

void TfrmEdit::CloseWithoutAsking() {
    FClosingByCommand = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } done{FClosingByCommand};
    Close();
}

bool TfrmEdit::AskToKeepEdits() {
    if (!Visible() || !Modified()) return true;
    switch (MessageDlg(LabelConst::SSaveEdits, mtConfirmation, mbYesNoCancel)) {
    case mrYes: SaveToTable(); return true;
    case mrNo: return true;
    default: return false;
    }
}

void TfrmEdit::FormCloseQuery(TObject* Sender, bool& CanClose) {
    if (!FClosingByCommand) CanClose = AskToKeepEdits();
}

void TfrmEdit::ToolButton1Click(TObject* Sender) {
    SaveToTable();
    CloseWithoutAsking();
}

// The editor's Cancel drops the edits without a question.
void TfrmEdit::ToolButton5Click(TObject* Sender) { CloseWithoutAsking(); }

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
