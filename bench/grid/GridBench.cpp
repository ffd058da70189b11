// The string grid at 100,000 rows x 16 columns, and Qt's QTableWidget on the
// same work in the same run: fill every cell (also as the CSV import fills
// its store, a row at a time), move 1,000 rows, delete
// 50,000 rows, paint one viewport at the top and one at row 99,000. Both
// are shown in an offscreen window of the same size, with the same line
// sizes and texts; the moves and deletions follow one fixed sequence.
#include "bench/BenchMain.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/grid/BenchGrid.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Grids.h"
#include "platform/controls/qt/ControlsQt.h"

namespace {

using namespace benchgrid;

constexpr int kMoves = 1000;
constexpr int kDeletes = 50000;
constexpr int kColWidth = 64;
constexpr int kRowHeight = 24;

// One fixed pseudo-random sequence for both grids.
struct TSequence {
    uint32_t State = 12345;
    int32_t Next(int32_t below) {
        State = State * 1664525u + 1013904223u;
        return static_cast<int32_t>((State >> 8) % static_cast<uint32_t>(below));
    }
};

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        t.reserve(static_cast<size_t>(kRows) * kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) t.push_back("r" + std::to_string(r) + "c" + std::to_string(c));
        return t;
    }();
    return texts;
}

const std::vector<QString>& QTexts() {
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        t.reserve(Texts().size());
        for (const std::string& s : Texts()) t.push_back(QString::fromStdString(s));
        return t;
    }();
    return texts;
}

// ---------------------------------------------------------------- ours

// A shown window holding the grid: 16 data columns under one fixed row and
// beside one fixed column, as the headers of the table widget.
struct TOurs : TGridWindow<TStringGrid> {
    TOurs() {
        Grid->SetDefaultColWidth(kColWidth);
        Grid->SetDefaultRowHeight(kRowHeight);
        Show();
    }
    void Fill() {
        const auto& texts = Texts();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Grid->SetCells(c + 1, r + 1, texts[static_cast<size_t>(r) * kCols + c]);
    }
    void Paint() {
        Grid->Invalidate();
        CoordinateWidget(Grid)->repaint();
    }
};

void BM_Fill_Ours(benchmark::State& state) {
    Texts();
    for (auto _ : state) {
        state.PauseTiming();
        auto ours = std::make_unique<TOurs>();
        state.ResumeTiming();
        ours->Fill();
        state.PauseTiming();
        ours.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

// The fill path of the CSV import: each row's texts moved into the cell
// store in one step from column 0, as an import over the fixed cells does
// (the split fields made beforehand), then one repaint request.
void BM_FillRowTexts_Ours(benchmark::State& state) {
    const auto& texts = Texts();
    for (auto _ : state) {
        state.PauseTiming();
        auto ours = std::make_unique<TOurs>();
        std::vector<std::vector<std::string>> rows(kRows);
        for (int r = 0; r < kRows; ++r)
            rows[static_cast<size_t>(r)].assign(texts.begin() + static_cast<ptrdiff_t>(r) * kCols,
                                                texts.begin() + static_cast<ptrdiff_t>(r + 1) * kCols);
        state.ResumeTiming();
        for (int r = 0; r < kRows; ++r) ours->Grid->Model().SetRowTexts(r + 1, 0, rows[static_cast<size_t>(r)], true);
        ours->Grid->Invalidate();
        state.PauseTiming();
        if (ours->Grid->Cells(kCols - 1, kRows) != texts.back()) state.SkipWithError("wrong cell");
        rows.clear();
        ours.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_MoveRows_Ours(benchmark::State& state) {
    TOurs ours;
    ours.Fill();
    for (auto _ : state) {
        TSequence seq;
        for (int i = 0; i < kMoves; ++i) ours.Grid->MoveRow(1 + seq.Next(kRows), 1 + seq.Next(kRows));
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}

void BM_DeleteRows_Ours(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto ours = std::make_unique<TOurs>();
        ours->Fill();
        state.ResumeTiming();
        TSequence seq;
        for (int i = 0; i < kDeletes; ++i) ours->Grid->DeleteRow(1 + seq.Next(ours->Grid->RowCount() - 1));
        state.PauseTiming();
        if (ours->Grid->RowCount() != kRows - kDeletes + 1) state.SkipWithError("wrong row count");
        ours.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kDeletes);
}

void PaintOurs(benchmark::State& state, int top) {
    TOurs ours;
    ours.Fill();
    ours.Grid->SetTopRow(top);
    if (ours.Grid->TopRow() != top) state.SkipWithError("top row not reached");
    for (auto _ : state) ours.Paint();
    state.counters["cells"] = static_cast<double>((ours.Grid->VisibleRowCount() + 2) * (ours.Grid->VisibleColCount() + 2));
}

void BM_PaintTop_Ours(benchmark::State& state) { PaintOurs(state, 1); }
void BM_PaintRow99000_Ours(benchmark::State& state) { PaintOurs(state, 99000); }

// ---------------------------------------------------------------- QTableWidget

struct TTheirs {
    std::unique_ptr<QTableWidget> Table;
    TTheirs() {
        Table = std::make_unique<QTableWidget>(kRows, kCols);
        Table->resize(kWidth, kHeight);
        Table->horizontalHeader()->setDefaultSectionSize(kColWidth);
        Table->verticalHeader()->setDefaultSectionSize(kRowHeight);
        Table->verticalHeader()->setMinimumSectionSize(1);
        Table->show();
        QApplication::processEvents();
    }
    void Fill() {
        const auto& texts = QTexts();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Table->setItem(r, c, new QTableWidgetItem(texts[static_cast<size_t>(r) * kCols + c]));
    }
    // The table has no row move: the row's items are taken out, the row
    // goes, a row comes at the target and takes the items.
    void MoveRow(int from, int to) {
        if (from == to) return;
        QTableWidgetItem* items[kCols];
        for (int c = 0; c < kCols; ++c) items[c] = Table->takeItem(from, c);
        Table->removeRow(from);
        Table->insertRow(to);
        for (int c = 0; c < kCols; ++c) Table->setItem(to, c, items[c]);
    }
    void Paint() { Table->viewport()->repaint(); }
};

void BM_Fill_QTableWidget(benchmark::State& state) {
    QTexts();
    for (auto _ : state) {
        state.PauseTiming();
        auto theirs = std::make_unique<TTheirs>();
        state.ResumeTiming();
        theirs->Fill();
        state.PauseTiming();
        theirs.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}

void BM_MoveRows_QTableWidget(benchmark::State& state) {
    TTheirs theirs;
    theirs.Fill();
    for (auto _ : state) {
        TSequence seq;
        for (int i = 0; i < kMoves; ++i) theirs.MoveRow(seq.Next(kRows), seq.Next(kRows));
    }
    state.SetItemsProcessed(state.iterations() * kMoves);
}

void BM_DeleteRows_QTableWidget(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto theirs = std::make_unique<TTheirs>();
        theirs->Fill();
        state.ResumeTiming();
        TSequence seq;
        for (int i = 0; i < kDeletes; ++i) theirs->Table->removeRow(seq.Next(theirs->Table->rowCount()));
        state.PauseTiming();
        if (theirs->Table->rowCount() != kRows - kDeletes) state.SkipWithError("wrong row count");
        theirs.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kDeletes);
}

void PaintTheirs(benchmark::State& state, int top) {
    TTheirs theirs;
    theirs.Fill();
    theirs.Table->scrollToItem(theirs.Table->item(top, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    for (auto _ : state) theirs.Paint();
}

void BM_PaintTop_QTableWidget(benchmark::State& state) { PaintTheirs(state, 0); }
void BM_PaintRow99000_QTableWidget(benchmark::State& state) { PaintTheirs(state, 98999); }

}  // namespace

BENCHMARK(BM_Fill_Ours)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FillRowTexts_Ours)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Fill_QTableWidget)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MoveRows_Ours)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MoveRows_QTableWidget)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DeleteRows_Ours)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DeleteRows_QTableWidget)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PaintTop_Ours)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintRow99000_Ours)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintTop_QTableWidget)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintRow99000_QTableWidget)->Unit(benchmark::kMicrosecond)->Iterations(200);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
