// The label data table of the label sheet window: loading and saving label
// data files, and the copy the data editor works on.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "grid/VsGrid.h"
#include "labels/LabelConst.h"
#include "labels/LabelData.h"
#include "labels/LabelDataFile.h"
#include "labels/Unit4.h"
#include "labels/Unit6.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/controls/GridModel.h"
#include "platform/runtime/SysUtils.h"

using namespace LabelData;

void TfrmLabels::BuildDataTable(TWinControl* parent) {
    StringGrid1 = new TVsStringGrid(this);
    StringGrid1->SetName("StringGrid1");
    StringGrid1->SetParent(parent);
    StringGrid1->SetBounds(8, 8, 424, 104);
    StringGrid1->SetRowCount(2);
    SetUpLabelDataGrid(*StringGrid1);
}

TStringGrid* TfrmLabels::DataTable() const { return StringGrid1; }

std::vector<std::vector<std::string>> TfrmLabels::DataTableRows() const {
    std::vector<std::vector<std::string>> rows;
    const TVsStringGrid& table = *StringGrid1;
    rows.reserve(static_cast<size_t>(std::max(0, table.RowCount() - 1)));
    for (int32_t r = 1; r < table.RowCount(); ++r) {
        rows.emplace_back(ColumnCount);
        for (int32_t c = 0; c < ColumnCount && c < table.ColCount(); ++c)
            rows.back()[static_cast<size_t>(c)] = table.Cells(c, r);
    }
    return rows;
}

bool TfrmLabels::AskToKeepDataTable() {
    if (!FDataTableChanged) return true;
    switch (MessageDlg(LabelConst::SSaveDataTable, mtConfirmation, mbYesNoCancel)) {
    case mrYes:
        Button7Click(this);
        return !FDataTableChanged;
    case mrNo: return true;
    default: return false;
    }
}

bool TfrmLabels::CanEndProgram() {
    if (frmEdit && !frmEdit->AskToKeepEdits()) return false;
    return AskToKeepDataTable();
}

void TfrmLabels::Button6Click(TObject* Sender) {
    if (FPrinting) return;
    if (frmEdit && !frmEdit->AskToKeepEdits()) return;
    if (!AskToKeepDataTable()) return;
    OpenDialog1->SetFilter(OpenFilter);
    if (!OpenDialog1->Execute()) return;
    const std::string path = OpenDialog1->FileName();
    // The closed dialog's place is drawn again before the work starts.
    Repaint();
    Screen->SetCursor(crHourGlass);
    struct TCursorBack {
        ~TCursorBack() { Screen->SetCursor(crDefault); }
    } cursorBack;

    // The file goes into a store of its own: the table changes only when
    // the whole file has been read.
    TVsStringGrid& table = *StringGrid1;
    TGridModel fresh;
    for (int32_t c = 0; c < table.ColCount(); ++c) fresh.SetCell(c, 0, table.Cells(c, 0));
    int32_t row = 0;
    const TReadSummary read = ReadLabelFile(path, [&](std::vector<std::string>& fields) {
        // The row's block is built at once, as large as its texts.
        fresh.SetRowTexts(++row, 1, fields, false);
    });
    // Never fewer columns than the editor has: its later columns would be
    // lost when its rows come back.
    const int32_t cols = std::max(ColumnCount, read.Widest + 1), rows = read.Rows + 1;
    // Counts that grow take memory: they grow while the old rows are still
    // there to keep; counts that drop follow the new rows.
    const int32_t oldCols = table.ColCount(), oldRows = table.RowCount();
    try {
        if (rows > oldRows) table.SetRowCount(rows);
        if (cols > oldCols) table.SetColCount(cols);
    } catch (const std::bad_alloc&) {
        table.SetColCount(oldCols);
        table.SetRowCount(oldRows);
        throw EOutOfMemory(FmtMsg(SOutOfMemoryLoading, path));
    }
    table.Model() = std::move(fresh);
    table.SetColCount(cols);
    table.SetRowCount(rows);
    table.Invalidate();
    FDataTableChanged = false;
    if (read.CutRows > 0)
        Application->MessageBox(FmtMsg(FmtMsg(SFieldsCut, read.CutRows), read.FirstCutLine), LabelConst::SMessageCaption,
                                MB_OK | MB_ICONINFORMATION);
}

void TfrmLabels::Button7Click(TObject* Sender) {
    if (FPrinting) return;
    SaveDialog1->SetDefaultExt(SaveExt);
    SaveDialog1->SetFileName(SaveName);
    SaveDialog1->SetFilter(SaveFilter);
    SaveDialog1->SetOptions(SaveDialog1->Options() | ofOverwritePrompt);
    if (!SaveDialog1->Execute()) return;
    const TVsStringGrid& table = *StringGrid1;
    std::string text;
    std::vector<std::string> cells;
    for (int32_t r = 1; r < table.RowCount(); ++r) {
        cells.clear();
        for (int32_t c = 1; c < table.ColCount(); ++c) cells.push_back(table.Cells(c, r));
        AppendFileRow(text, cells, r);
    }
    if (!WriteFileAtomically(SaveDialog1->FileName(), text))
        throw EInOutError(FmtMsg(SysConst::SFCreateError, SaveDialog1->FileName(), std::strerror(errno)));
    FDataTableChanged = false;
}

void TfrmLabels::Button8Click(TObject* Sender) {
    if (FPrinting || !frmEdit) return;
    // A copy still open with edits would be overwritten.
    if (!frmEdit->AskToKeepEdits()) return;
    frmEdit->LoadFrom(*StringGrid1);
    frmEdit->Show();
}
