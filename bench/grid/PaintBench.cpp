// The string grid's painting at 100,000 rows x 16 columns of mixed plain and
// HTML cells, and Qt's QTableView over a QStandardItemModel with the same
// texts, in the same run: one full viewport painted at the top and at row
// 99,000; ours also with a tiled background (its tile offset must not
// depend on the rows above), and AutoSizeColumns over all rows. Beside them,
// hostile cells (one word of 10 MB, plain, wrapped and HTML; a million entities; a
// large plain cell sized by AutoSizeColumns) against the same cell holding
// only the text it shows.
#include "bench/BenchMain.h"

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/grid/BenchGrid.h"
#include "grid/VsGrid.h"
#include "platform/controls/Forms.h"
#include "platform/controls/qt/ControlsQt.h"

namespace {

using namespace benchgrid;

constexpr int kColWidth = 64;
constexpr int kRowHeight = 24;

// Every fifth cell carries mark-up.
const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> t;
        t.reserve(static_cast<size_t>(kRows) * kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) {
                const std::string s = "r" + std::to_string(r) + "c" + std::to_string(c);
                t.push_back((r + c) % 5 == 0 ? "<b>" + s + "</b>" : s);
            }
        return t;
    }();
    return texts;
}

struct TOurs : TGridWindow<TVsStringGrid> {
    explicit TOurs(bool tiled = false) {
        Grid->SetDefaultColWidth(kColWidth);
        Grid->SetDefaultRowHeight(kRowHeight);
        const auto& texts = Texts();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Grid->SetCells(c + 1, r + 1, texts[static_cast<size_t>(r) * kCols + c]);
        if (tiled) {
            TBitmap tile(37, 29);
            tile.Canvas()->Brush()->SetColor(clInfoBk);
            tile.Canvas()->FillRect({0, 0, 37, 29});
            Grid->BackGround()->SetBitmap(&tile);
        }
        Show();
    }
    void Paint() {
        Grid->Invalidate();
        CoordinateWidget(Grid)->repaint();
    }
};

void PaintOurs(benchmark::State& state, int top, bool tiled) {
    TOurs ours(tiled);
    ours.Grid->SetTopRow(top);
    if (ours.Grid->TopRow() != top) state.SkipWithError("top row not reached");
    for (auto _ : state) ours.Paint();
}

void BM_PaintTop_Ours(benchmark::State& state) { PaintOurs(state, 1, false); }
void BM_PaintRow99000_Ours(benchmark::State& state) { PaintOurs(state, 99000, false); }
void BM_PaintTop_OursTiled(benchmark::State& state) { PaintOurs(state, 1, true); }
void BM_PaintRow99000_OursTiled(benchmark::State& state) { PaintOurs(state, 99000, true); }

void BM_AutoSizeColumns_Ours(benchmark::State& state) {
    TOurs ours;
    for (auto _ : state) ours.Grid->AutoSizeColumns(true, 10);
    state.SetItemsProcessed(state.iterations() * (kRows + 1) * (kCols + 1));
}

struct TTheirs {
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<QTableView> View;
    TTheirs() {
        Model = std::make_unique<QStandardItemModel>(kRows, kCols);
        const auto& texts = Texts();
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                Model->setItem(r, c, new QStandardItem(QString::fromStdString(texts[static_cast<size_t>(r) * kCols + c])));
        View = std::make_unique<QTableView>();
        View->setModel(Model.get());
        View->resize(kWidth, kHeight);
        View->horizontalHeader()->setDefaultSectionSize(kColWidth);
        View->verticalHeader()->setMinimumSectionSize(1);
        View->verticalHeader()->setDefaultSectionSize(kRowHeight);
        View->show();
        QApplication::processEvents();
    }
};

void PaintTheirs(benchmark::State& state, int top) {
    TTheirs theirs;
    theirs.View->scrollTo(theirs.Model->index(top, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    for (auto _ : state) theirs.View->viewport()->repaint();
}

void BM_PaintTop_QTableView(benchmark::State& state) { PaintTheirs(state, 0); }
void BM_PaintRow99000_QTableView(benchmark::State& state) { PaintTheirs(state, 98999); }

// A small shown grid whose cell (1, 1) holds one text.
struct THostile {
    std::unique_ptr<TForm> Window;
    TVsStringGrid* Grid = nullptr;
    explicit THostile(const std::string& text) : Window(std::make_unique<TForm>(nullptr)) {
        Window->SetBounds(0, 0, 420, 200);
        Window->DoCreate();
        Grid = new TVsStringGrid(Window.get());
        Grid->SetParent(Window.get());
        Grid->SetBounds(0, 0, 400, 180);
        Grid->SetColCount(4);
        Grid->SetRowCount(4);
        Grid->SetCells(1, 1, text);
        Window->Show();
        QApplication::processEvents();
    }
    void Paint() {
        Grid->Invalidate();
        CoordinateWidget(Grid)->repaint();
    }
};

// Letters that start ligatures and one that is not ASCII: no shortcut for
// plain ASCII applies.
std::string OneWord(size_t bytes) {
    std::string w;
    w.reserve(bytes + 8);
    while (w.size() < bytes) w += "fiffle\xC3\xA9";
    return w;
}

std::string Entities(int n) {
    std::string s = "<B>";
    for (int i = 0; i < n; ++i) s += "&amp;";
    return s + "</B>";
}

void PaintCell(benchmark::State& state, const std::string& text, bool wrapped = false) {
    THostile h(text);
    h.Grid->SetWordWrap(wrapped);
    for (auto _ : state) h.Paint();
}

void BM_CellShown_Plain(benchmark::State& state) { PaintCell(state, OneWord(24)); }
void BM_CellOneWord10MB_Plain(benchmark::State& state) { PaintCell(state, OneWord(10 << 20)); }
void BM_CellShown_PlainWrapped(benchmark::State& state) { PaintCell(state, OneWord(24), true); }
void BM_CellOneWord10MB_PlainWrapped(benchmark::State& state) { PaintCell(state, OneWord(10 << 20), true); }
void BM_CellShown_HTML(benchmark::State& state) { PaintCell(state, "<B>" + OneWord(24) + "</B>"); }
void BM_CellOneWord10MB_HTML(benchmark::State& state) { PaintCell(state, "<B>" + OneWord(10 << 20) + "</B>"); }
void BM_CellShown_Entities(benchmark::State& state) { PaintCell(state, Entities(20)); }
void BM_CellMillionEntities_HTML(benchmark::State& state) { PaintCell(state, Entities(1000000)); }

void SizeCell(benchmark::State& state, const std::string& text) {
    THostile h(text);
    for (auto _ : state) h.Grid->AutoSizeColumns(true, 10);
}

void BM_AutoSizeShown_Plain(benchmark::State& state) { SizeCell(state, OneWord(24)); }
void BM_AutoSizeLargeCell10MB_Plain(benchmark::State& state) { SizeCell(state, OneWord(10 << 20)); }
void BM_AutoSizeShown_HTML(benchmark::State& state) { SizeCell(state, "<B>" + OneWord(24) + "</B>"); }
void BM_AutoSizeLargeCell10MB_HTML(benchmark::State& state) { SizeCell(state, "<B>" + OneWord(10 << 20) + "</B>"); }

}  // namespace

BENCHMARK(BM_CellShown_Plain)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellOneWord10MB_Plain)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellShown_PlainWrapped)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellOneWord10MB_PlainWrapped)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellShown_HTML)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellOneWord10MB_HTML)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellShown_Entities)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CellMillionEntities_HTML)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AutoSizeShown_Plain)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AutoSizeLargeCell10MB_Plain)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AutoSizeShown_HTML)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_AutoSizeLargeCell10MB_HTML)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PaintTop_Ours)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintRow99000_Ours)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintTop_OursTiled)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintRow99000_OursTiled)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintTop_QTableView)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_PaintRow99000_QTableView)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_AutoSizeColumns_Ours)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv); }
