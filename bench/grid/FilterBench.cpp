// The string grid's row filter and hidden rows at 100,000 rows x 16
// columns, and Qt's QSortFilterProxyModel over a QStandardItemModel on the
// same rows in the same run (alone, and shown in a table view), the grid
// shown in an offscreen window of the same size: filter the rows that alternate matching and not matching (column 1
// starting with "A" or "B"), then remove the filter; hide 50,000 rows in
// runs of 10 (every other run) and bring them back. After each pass the
// rows must stand in their first order again.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

#include "bench/grid/BenchGrid.h"
#include "grid/VsGrid.h"

namespace {

using namespace benchgrid;

constexpr int kRun = 10;

// Column 1 alternates "A<row>" and "B<row>"; the others "r<row>c<col>".
std::string Text(int r, int c) {
    if (c == 1) return (r % 2 == 0 ? "A" : "B") + std::to_string(r);
    return "r" + std::to_string(r) + "c" + std::to_string(c);
}

// ---------------------------------------------------------------- ours

struct TOurs : TGridWindow<TVsStringGrid> {
    TOurs() {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Grid->SetCells(c + 1, r + 1, Text(r, c));
        Show();
    }
    bool InOrder() const {
        if (Grid->RowCount() != kRows + 1) return false;
        for (int r = 0; r < kRows; r += 997)
            if (Grid->Cells(2, r + 1) != Text(r, 1) || Grid->Cells(6, r + 1) != Text(r, 5)) return false;
        return Grid->Cells(2, kRows) == Text(kRows - 1, 1);
    }
};

void BM_Filter_Ours(benchmark::State& state) {
    TOurs ours;
    // Data column 1 stands in grid column 2, beside the fixed column.
    ours.Grid->Filter()->Add(2, "A*");
    for (auto _ : state) {
        ours.Grid->SetFilterActive(true);
        if (ours.Grid->RowCount() != kRows / 2 + 1) state.SkipWithError("wrong rows after the filter");
        ours.Grid->SetFilterActive(false);
    }
    if (!ours.InOrder()) state.SkipWithError("rows not back in their order");
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_HideUnhide_Ours(benchmark::State& state) {
    TOurs ours;
    for (auto _ : state) {
        for (int first = 1; first <= kRows; first += 2 * kRun) ours.Grid->HideRowsRemoving(first, first + kRun - 1);
        if (ours.Grid->RowCount() != kRows / 2 + 1) state.SkipWithError("wrong rows after hiding");
        ours.Grid->UnhideAllRows();
    }
    if (!ours.InOrder()) state.SkipWithError("rows not back in their order");
    state.SetItemsProcessed(state.iterations() * kRows / 2);
}

// ---------------------------------------------------------------- QSortFilterProxyModel

// Rows hidden by a set, besides the proxy's own filter.
class THidingProxy : public QSortFilterProxyModel {
public:
    std::vector<bool> Hidden;
    void Refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!Hidden.empty() && Hidden[static_cast<size_t>(row)]) return false;
        return QSortFilterProxyModel::filterAcceptsRow(row, parent);
    }
};

// With a view, as the grid is shown; without one, the proxy's mapping alone.
struct TTheirs {
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<THidingProxy> Proxy;
    std::unique_ptr<QTableView> View;
    explicit TTheirs(bool withView) {
        Model = std::make_unique<QStandardItemModel>(kRows, kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Model->setItem(r, c, new QStandardItem(QString::fromStdString(Text(r, c))));
        Proxy = std::make_unique<THidingProxy>();
        Proxy->setSourceModel(Model.get());
        Proxy->setFilterKeyColumn(1);
        if (!withView) return;
        View = std::make_unique<QTableView>();
        View->setModel(Proxy.get());
        View->resize(kWidth, kHeight);
        View->show();
        QApplication::processEvents();
    }
    bool InOrder() const {
        if (Proxy->rowCount() != kRows) return false;
        for (int r = 0; r < kRows; r += 997)
            if (Proxy->index(r, 1).data().toString().toStdString() != Text(r, 1)) return false;
        return true;
    }
};

void FilterProxy(benchmark::State& state, bool withView) {
    TTheirs theirs(withView);
    for (auto _ : state) {
        theirs.Proxy->setFilterWildcard(QStringLiteral("A*"));
        if (theirs.Proxy->rowCount() != kRows / 2) state.SkipWithError("wrong rows after the filter");
        theirs.Proxy->setFilterWildcard(QString());
    }
    if (!theirs.InOrder()) state.SkipWithError("rows not back in their order");
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The proxy is given all runs at once: one pass to hide, one to unhide.
void HideUnhideProxy(benchmark::State& state, bool withView) {
    TTheirs theirs(withView);
    for (auto _ : state) {
        theirs.Proxy->Hidden.assign(kRows, false);
        for (int first = 0; first < kRows; first += 2 * kRun)
            for (int r = first; r < first + kRun; ++r) theirs.Proxy->Hidden[static_cast<size_t>(r)] = true;
        theirs.Proxy->Refilter();
        if (theirs.Proxy->rowCount() != kRows / 2) state.SkipWithError("wrong rows after hiding");
        theirs.Proxy->Hidden.clear();
        theirs.Proxy->Refilter();
    }
    if (!theirs.InOrder()) state.SkipWithError("rows not back in their order");
    state.SetItemsProcessed(state.iterations() * kRows / 2);
}

void BM_Filter_Proxy(benchmark::State& state) { FilterProxy(state, false); }
void BM_Filter_ProxyInView(benchmark::State& state) { FilterProxy(state, true); }
void BM_HideUnhide_Proxy(benchmark::State& state) { HideUnhideProxy(state, false); }
void BM_HideUnhide_ProxyInView(benchmark::State& state) { HideUnhideProxy(state, true); }

}  // namespace

BENCHMARK(BM_Filter_Ours)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Filter_Proxy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Filter_ProxyInView)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_HideUnhide_Ours)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HideUnhide_Proxy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_HideUnhide_ProxyInView)->Unit(benchmark::kMillisecond)->Iterations(1);
