// What the grid takes from other programs: drops of text, rich text and
// files, CSV import with separator detection, and spreadsheet import.
#include <algorithm>
#include <functional>

#include "grid/VsCsv.h"
#include "grid/VsGrid.h"
#include "grid/VsSpreadsheet.h"
#include "platform/controls/Forms.h"

using namespace VsGridConst;

namespace {
// Messages are processed during an import at this interval at most, so
// that a long file does not repaint the grid after every line.
constexpr uint32_t ImportPollInterval = 25;

bool ContainsUpper(const std::string& name, const char* ext) {
    return UpperCase(name).find(ext) != std::string::npos;
}
}  // namespace

// ---------------------------------------------------------------- CSV

namespace {
// The grid as the import's target: the lines go into its cell store a row
// at a time; what was filled is shown before messages are processed and
// before the progress event, and at the end.
class TGridCsvTarget : public VsCsv::TCsvTarget {
public:
    // The separator found is the grid's (separator) while the import runs.
    TGridCsvTarget(TVsStringGrid& grid, std::function<void()> show, char& separator)
        : FGrid(grid), FShow(std::move(show)), FSeparator(separator) {}
    int32_t ColCount() override { return FGrid.ColCount(); }
    void SetColCount(int32_t n) override { FGrid.SetColCount(n); }
    int32_t RowCount() override { return FGrid.RowCount(); }
    void SetRowCount(int32_t n) override { FGrid.SetRowCount(n); }
    void SetLine(int32_t row, int32_t col, std::vector<std::string>& fields, bool clearRest) override {
        FGrid.Model().SetRowTexts(row, col, fields, clearRest);
        FilledFrom = std::min(FilledFrom, row);
        FilledTo = std::max(FilledTo, row);
    }
    void SeparatorChosen(char separator) override { FSeparator = separator; }
    void LineDone(int32_t done, int32_t total) override {
        if (FGrid.OnFileProgress) {
            // Rounded to the even neighbour on a half, in integers.
            const int64_t scaled = static_cast<int64_t>(done) * 100;
            int64_t progress = scaled / total;
            const int64_t twice = 2 * (scaled % total);
            if (twice > total || (twice == total && progress % 2 == 1)) ++progress;
            if (progress != FLastProgress) {
                FLastProgress = static_cast<int32_t>(progress);
                FShow();
                FGrid.OnFileProgress(&FGrid, static_cast<int16_t>(progress));
            }
        }
        if ((done & 63) == 1) {
            const uint32_t now = GetTickCount();
            if (now - FLastPoll >= ImportPollInterval) {
                FLastPoll = now;
                FShow();
                Application->ProcessMessages();
            }
        }
    }
    int32_t FilledFrom = INT32_MAX;
    int32_t FilledTo = -1;

private:
    TVsStringGrid& FGrid;
    std::function<void()> FShow;
    char& FSeparator;
    int64_t FLastProgress = -1;
    uint32_t FLastPoll = GetTickCount();
};
}  // namespace

void TVsStringGrid::ImportCsv(const std::string& FileName, bool Append) {
    if (FImporting) return;
    VsCsv::TCsvImport options;
    options.ColOffset = FImportFixedCells ? 0 : FixedCols();
    options.RowOffset = FImportFixedCells ? 0 : FixedRows();
    options.Append = Append;
    options.Separator = FCsvSeparator;
    options.TildeBreaks = FCsvTildeBreaks;
    options.OemConvert = FOemConvert;
    options.MinRows = FixedRows() + FFixedFooters + 1;

    // Whatever fails in the first pass leaves the grid as it was.
    std::unique_ptr<VsCsv::TCsvFile> file;
    try {
        file = std::make_unique<VsCsv::TCsvFile>(FileName);
    } catch (const EFOpenError&) {
        throw EVsGridError(SCannotOpenFile + FileName);
    }

    TGridCsvTarget* target = nullptr;
    auto show = [this, &target] {
        if (!target || target->FilledTo < target->FilledFrom) return;
        FNodeCountValid = false;
        InvalidateGrid();
        if (InplaceRow() >= target->FilledFrom && InplaceRow() <= target->FilledTo)
            CellChanged(InplaceCol(), InplaceRow());
        target->FilledFrom = INT32_MAX;
        target->FilledTo = -1;
    };
    TGridCsvTarget grid(*this, show, FCsvSeparator);
    target = &grid;
    // Whatever way the import ends, the separator it was given comes back
    // and what was filled shows.
    struct TRestore {
        TVsStringGrid& Grid;
        char Separator;
        decltype(show)& Show;
        ~TRestore() {
            Grid.FCsvSeparator = Separator;
            Grid.FImporting = false;
            Show();
        }
    } restore{*this, FCsvSeparator, show};
    FImporting = true;
    file->Import(options, grid);
}

// ---------------------------------------------------------------- spreadsheet

void TVsStringGrid::ImportSpreadsheet(const std::string& FileName, const std::string& SheetName) {
    if (FImporting) return;
    Screen->SetCursor(crHourGlass);
    std::unique_ptr<TSpreadsheetApplication> app;
    try {
        app = CreateSpreadsheetApplication();
    } catch (...) {
    }
    if (!app) {
        Screen->SetCursor(crDefault);
        throw EVsGridError(SNoExcel);
    }

    // On every way out, errors included: the workbook closes unsaved, the
    // program quits and the cursor comes back.
    struct TSession {
        TVsStringGrid& Grid;
        TSpreadsheetApplication& App;
        std::unique_ptr<TSpreadsheetWorkbook> Book;
        ~TSession() {
            try {
                if (Book) Book->Close(false);
            } catch (...) {
            }
            try {
                App.Quit();
            } catch (...) {
            }
            Screen->SetCursor(crDefault);
            Grid.FImporting = false;
        }
    } session{*this, *app, nullptr};
    FImporting = true;

    session.Book = app->Open(FileName);
    TSpreadsheetWorkbook& book = *session.Book;
    int32_t sheet = 0;
    if (!SheetName.empty()) {
        const int32_t count = book.SheetCount();
        for (int32_t i = 1; i <= count; ++i)
            if (book.SheetName(i) == SheetName) sheet = i;
        if (sheet == 0) throw EVsGridError(SWorksheet + SheetName + SNotFound);
    } else {
        sheet = book.ActiveSheet();
    }

    // The used range's own cells, wherever it starts.
    const std::string address = book.UsedRangeAddress(sheet);
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::string range;
    if (ParseRange(address, left, top, right, bottom)) {
        SetColCount(right - left + 1);
        SetRowCount(bottom - top + 1);
        range = address;
    } else {
        range = "A1:" + ColumnLetters(ColCount()) + std::to_string(RowCount());
    }
    const int32_t cols = ColCount();
    const int32_t rows = RowCount();
    // Only the cells that hold something: a used range of a few cells far
    // apart costs those cells.
    const TRangeCells cells = book.RangeCells(sheet, range);

    int32_t colOffset = 0, rowOffset = 0;
    if (!FImportFixedCells) {
        colOffset = FixedCols();
        rowOffset = FixedRows();
        SetColCount(ColCount() + colOffset);
        SetRowCount(RowCount() + rowOffset);
    }
    // The range's empty cells lose what the grid held there; only rows that
    // hold something are visited.
    for (int32_t i = 0; i < rows; ++i)
        for (int32_t j = 0; j < cols; ++j) {
            // Clearing a row's last text gives the row up: asked again each time.
            const TGridRow* unit = Model().Row(rowOffset + i);
            if (!unit || colOffset + j >= unit->Count()) break;
            SetCells(colOffset + j, rowOffset + i, "");
        }
    for (const TRangeCell& cell : cells)
        if (cell.Row >= 0 && cell.Row < rows && cell.Col >= 0 && cell.Col < cols)
            SetCells(colOffset + cell.Col, rowOffset + cell.Row, cell.Text);
}

// ---------------------------------------------------------------- drops

namespace {
// The cell under a screen point; false outside the cells.
bool CellAt(TVsStringGrid& grid, TPoint screen, int32_t& col, int32_t& row) {
    const TPoint p = grid.ScreenToClient(screen);
    grid.MouseToCell(p.X, p.Y, col, row);
    return col >= 0 && row >= 0 && col < grid.ColCount() && row < grid.RowCount();
}
}  // namespace

void TGridDropTarget::DropText(TPoint Point, const std::string& Text) {
    if (FGrid->Importing()) return;
    int32_t c = 0, r = 0;
    if (!CellAt(*FGrid, Point, c, r)) return;
    bool allow = true;
    if (FGrid->OnOleDrop) FGrid->OnOleDrop(FGrid, c, r, Text, allow);
    if (allow) FGrid->PasteTextBlock(c, r, Text);
}

void TGridDropTarget::DropRTF(TPoint Point, const std::string& Text) {
    if (FGrid->Importing()) return;
    int32_t c = 0, r = 0;
    if (!CellAt(*FGrid, Point, c, r)) return;
    bool allow = true;
    if (FGrid->OnOleDrop) FGrid->OnOleDrop(FGrid, c, r, Text, allow);
    if (allow && FGrid->CellIsEditable(FGrid->RealColIndex(c), r)) FGrid->SetCells(c, r, Text);
}

void TGridDropTarget::DropFiles(TPoint, TStrings* Files) {
    if (FGrid->Importing() || !Files || Files->Count() != 1) return;
    const std::string name = Files->Strings(0);
    bool allow = true;
    if (ContainsUpper(name, ".CSV")) {
        if (FGrid->OnOleDrop) FGrid->OnOleDrop(FGrid, -1, -1, name, allow);
        if (allow) FGrid->ImportCsvFile(name);
    }
    if (ContainsUpper(name, ".XLS")) {
        if (FGrid->OnOleDrop) FGrid->OnOleDrop(FGrid, -1, -1, name, allow);
        if (allow) FGrid->ImportSpreadsheetFile(name);
    }
}
