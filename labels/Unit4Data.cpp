// The label data table of the label sheet window: loading and saving label
// data files, and the copy the data editor works on.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "grid/VsCsv.h"
#include "grid/VsGrid.h"
#include "labels/LabelConst.h"
#include "labels/LabelData.h"
#include "labels/Unit4.h"
#include "labels/Unit6.h"
#include "platform/controls/Dialogs.h"
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
    const std::string text = ReadFileBytes(OpenDialog1->FileName());
    std::vector<std::string_view> lines = VsCsv::SplitLines(text);
    // An empty file still reads as one empty line.
    if (lines.empty()) lines.emplace_back();

    TVsStringGrid& table = *StringGrid1;
    // The cells of the file before do not stay beside the new ones.
    for (int32_t r = 1; r < table.RowCount(); ++r)
        for (int32_t c = 1; c < table.ColCount(); ++c) table.SetCells(c, r, "");
    TFieldSplitter splitter;
    int32_t widest = 0;
    const auto count = static_cast<int32_t>(lines.size());
    // Room for every line and field first, then the final counts.
    table.SetRowCount(std::max(table.RowCount(), count + 1));
    for (int32_t k = 1; k <= count; ++k) {
        const int32_t n = splitter.Split(lines[static_cast<size_t>(k - 1)]);
        if (table.ColCount() < n + 1) table.SetColCount(n + 1);
        for (int32_t i = 0; i < n; ++i) table.SetCells(i + 1, k, splitter.Fields()[static_cast<size_t>(i)]);
        widest = std::max(widest, n);
    }
    // Never fewer columns than the editor has: its later columns would be
    // lost when its rows come back.
    table.SetColCount(std::max(ColumnCount, widest + 1));
    table.SetRowCount(count + 1);
    FDataTableChanged = false;
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
        text += FileLine(cells) + "\r\n";
    }
    if (!WriteFileAtomically(SaveDialog1->FileName(), text))
        throw EFCreateError(FmtMsg(SysConst::SFCreateError, SaveDialog1->FileName(), std::strerror(errno)));
    FDataTableChanged = false;
}

void TfrmLabels::Button8Click(TObject* Sender) {
    if (FPrinting || !frmEdit) return;
    // A copy still open with edits would be overwritten.
    if (!frmEdit->AskToKeepEdits()) return;
    frmEdit->LoadFrom(*StringGrid1);
    frmEdit->Show();
}
