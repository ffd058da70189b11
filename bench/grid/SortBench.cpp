// The string grid's sorts at 100,000 rows x 16 columns against Qt's
// QTableWidget::sortItems and a QSortFilterProxyModel over a
// QStandardItemModel on the same rows in the same run: a number column
// (random, sorted, reversed, all equal, organ pipe), a text column, a D/M/Y
// date column and a three-key index sort (the peers sort three times,
// least significant key first, their sort being stable). The peers hold
// the numbers and dates as values, the grid parses its texts. Then 1,000
// row insertions at the top, and copying and pasting all 1.6 million cells
// through the clipboard. Each sort is checked for its order.
//
// Prints one line per case: ours, the peers and the ratios (peer / ours).
#include <QApplication>
#include <QDate>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/grid/BenchGrid.h"
#include "grid/VsGrid.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/Forms.h"

namespace {

using namespace benchgrid;

// Data columns (0-based): 0 the first order, 1 number, 2 text, 3 date,
// 4 and 5 the first two index keys; the rest filler.
constexpr int kNumber = 1, kText = 2, kDate = 3, kKey1 = 4, kKey2 = 5;

double Ms(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

struct TData {
    std::vector<std::string> Texts;  // row-major kRows x kCols
    std::vector<double> Numbers;
    std::vector<QDate> Dates;
    const std::string& At(int r, int c) const { return Texts[static_cast<size_t>(r) * kCols + c]; }
};

TData MakeData() {
    TData d;
    std::mt19937 rng(2026);
    d.Texts.resize(static_cast<size_t>(kRows) * kCols);
    d.Numbers.resize(kRows);
    d.Dates.resize(kRows);
    const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int r = 0; r < kRows; ++r) {
        auto set = [&](int c, std::string s) { d.Texts[static_cast<size_t>(r) * kCols + c] = std::move(s); };
        set(0, std::to_string(r));
        d.Numbers[static_cast<size_t>(r)] = static_cast<double>(static_cast<int>(rng() % 2000001) - 1000000) / 100.0;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", d.Numbers[static_cast<size_t>(r)]);
        set(kNumber, buf);
        std::string t;
        for (int n = 4 + static_cast<int>(rng() % 8); n > 0; --n) t += letters[rng() % 52];
        set(kText, t);
        const int y = 1950 + static_cast<int>(rng() % 75), m = 1 + static_cast<int>(rng() % 12),
                  dd = 1 + static_cast<int>(rng() % 28);
        d.Dates[static_cast<size_t>(r)] = QDate(y, m, dd);
        std::snprintf(buf, sizeof buf, "%d/%d/%d", dd, m, y);
        set(kDate, buf);
        set(kKey1, "group" + std::to_string(rng() % 10));
        set(kKey2, std::to_string(rng() % 100));
        for (int c = kKey2 + 1; c < kCols; ++c) set(c, "r" + std::to_string(r) + "c" + std::to_string(c));
    }
    return d;
}

// The number column's values for an input pattern.
std::vector<double> Pattern(const TData& d, const std::string& name) {
    std::vector<double> v = d.Numbers;
    if (name == "sorted") std::sort(v.begin(), v.end());
    if (name == "reversed") std::sort(v.rbegin(), v.rend());
    if (name == "all equal") std::fill(v.begin(), v.end(), 42.0);
    if (name == "organ pipe")
        for (int r = 0; r < kRows; ++r) v[static_cast<size_t>(r)] = r < kRows / 2 ? r : kRows - r;
    return v;
}

std::string NumberText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// ---------------------------------------------------------------- ours

struct TOurs : TGridWindow<TVsStringGrid> {
    explicit TOurs(const TData& d) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c) Grid->SetCells(c + 1, r + 1, d.At(r, c));
        Grid->OnGetFormat = [](TObject*, int32_t col, TSortStyle& style, std::string&, std::string&) {
            const int c = col - 1;
            style = c == 0 || c == kNumber || c == kKey2 ? styleNumber : c == kDate ? styleDateDMY : styleText;
        };
        Grid->SetSortFull(false);
        Show();
    }
    void SetNumbers(const std::vector<double>& v) {
        for (int r = 0; r < kRows; ++r) Grid->SetCells(kNumber + 1, r + 1, NumberText(v[static_cast<size_t>(r)]));
    }
    double Sort(int c) {
        Grid->SetSortColumn(c + 1);
        return Ms([&] { Grid->SortByColumn(); });
    }
    void Restore() { Sort(0); }
    bool Ascending(int c, const std::function<double(const std::string&)>& key) {
        for (int r = 2; r <= kRows; ++r)
            if (key(Grid->Cells(c + 1, r - 1)) > key(Grid->Cells(c + 1, r))) return false;
        return true;
    }
};

// ---------------------------------------------------------------- peers

void SetPeerItem(const TData& d, int r, int c, const std::function<void(int, int, const QVariant&)>& put) {
    if (c == 0) put(r, c, r);
    else if (c == kNumber) put(r, c, d.Numbers[static_cast<size_t>(r)]);
    else if (c == kKey2) put(r, c, std::stoi(d.At(r, c)));
    else if (c == kDate) put(r, c, d.Dates[static_cast<size_t>(r)]);
    else put(r, c, QString::fromStdString(d.At(r, c)));
}

struct TTable {
    std::unique_ptr<QTableWidget> Table;
    explicit TTable(const TData& d) {
        Table = std::make_unique<QTableWidget>(kRows, kCols);
        Table->resize(1000, 600);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                SetPeerItem(d, r, c, [&](int rr, int cc, const QVariant& v) {
                    auto* item = new QTableWidgetItem;
                    item->setData(Qt::DisplayRole, v);
                    Table->setItem(rr, cc, item);
                });
        Table->show();
        QApplication::processEvents();
    }
    void SetNumbers(const std::vector<double>& v) {
        for (int r = 0; r < kRows; ++r) {
            // Rows stand in their first order (column 0).
            Table->item(r, kNumber)->setData(Qt::DisplayRole, v[static_cast<size_t>(r)]);
        }
    }
    double Sort(int c) { return Ms([&] { Table->sortItems(c); }); }
    void Restore() { Table->sortItems(0); }
};

struct TProxy {
    std::unique_ptr<QStandardItemModel> Model;
    std::unique_ptr<QSortFilterProxyModel> Proxy;
    explicit TProxy(const TData& d) {
        Model = std::make_unique<QStandardItemModel>(kRows, kCols);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                SetPeerItem(d, r, c, [&](int rr, int cc, const QVariant& v) {
                    auto* item = new QStandardItem;
                    item->setData(v, Qt::DisplayRole);
                    Model->setItem(rr, cc, item);
                });
        Proxy = std::make_unique<QSortFilterProxyModel>();
        Proxy->setSourceModel(Model.get());
    }
    void SetNumbers(const std::vector<double>& v) {
        for (int r = 0; r < kRows; ++r) Model->item(r, kNumber)->setData(v[static_cast<size_t>(r)], Qt::DisplayRole);
    }
    double Sort(int c) {
        Proxy->sort(-1);
        return Ms([&] { Proxy->sort(c); });
    }
};

void Line(const char* name, double ours, double table, double proxy) {
    std::printf("%-28s ours %8.1f ms | QTableWidget %8.1f ms (x%5.1f)", name, ours, table, table / ours);
    if (proxy >= 0)
        std::printf(" | QSortFilterProxyModel %8.1f ms (x%5.1f)\n", proxy, proxy / ours);
    else
        std::printf(" | QSortFilterProxyModel      n/a\n");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const TData data = MakeData();
    std::printf("%d rows x %d columns\n", kRows, kCols);
    bool ok = true;
    {
        TOurs ours(data);
        TTable table(data);
        TProxy proxy(data);
        auto number = [](const std::string& s) { return std::stod(s); };
        for (const char* pattern : {"random", "sorted", "reversed", "all equal", "organ pipe"}) {
            const std::vector<double> v = Pattern(data, pattern);
            ours.SetNumbers(v);
            table.SetNumbers(v);
            proxy.SetNumbers(v);
            const double o = ours.Sort(kNumber);
            ok = ok && ours.Ascending(kNumber, number);
            const double t = table.Sort(kNumber);
            const double p = proxy.Sort(kNumber);
            Line((std::string("number, ") + pattern).c_str(), o, t, p);
            ours.Restore();
            table.Restore();
        }
        ours.SetNumbers(data.Numbers);
        table.SetNumbers(data.Numbers);
        proxy.SetNumbers(data.Numbers);
        {
            const double o = ours.Sort(kText);
            for (int r = 2; r <= kRows && ok; ++r) ok = ours.Grid->Cells(kText + 1, r - 1) <= ours.Grid->Cells(kText + 1, r);
            Line("text", o, table.Sort(kText), proxy.Sort(kText));
            ours.Restore();
            table.Restore();
        }
        {
            const double o = ours.Sort(kDate);
            ok = ok && ours.Ascending(kDate, [](const std::string& s) { return TVsStringGrid::ParseDateDMY(s); });
            Line("date D/M/Y", o, table.Sort(kDate), proxy.Sort(kDate));
            ours.Restore();
            table.Restore();
        }
        {
            ours.Grid->SetSortFull(true);
            ours.Grid->SortIndexes()->Clear();
            ours.Grid->SortIndexes()->AddIndex(kKey1 + 1, true);
            ours.Grid->SortIndexes()->AddIndex(kKey2 + 1, true);
            ours.Grid->SortIndexes()->AddIndex(kText + 1, true);
            const double o = Ms([&] { ours.Grid->SortByIndex(); });
            for (int r = 2; r <= kRows && ok; ++r) {
                auto key = [&](int row) {
                    return std::make_tuple(ours.Grid->Cells(kKey1 + 1, row), std::stoi(ours.Grid->Cells(kKey2 + 1, row)),
                                           ours.Grid->Cells(kText + 1, row));
                };
                ok = key(r - 1) <= key(r);
            }
            const double t = Ms([&] {
                table.Table->sortItems(kText);
                table.Table->sortItems(kKey2);
                table.Table->sortItems(kKey1);
            });
            Line("three keys (index)", o, t, -1);
            ours.Grid->SetSortFull(false);
            ours.Restore();
            table.Restore();
        }
        {
            const double o = Ms([&] {
                for (int i = 0; i < 1000; ++i) ours.Grid->InsertRows(1, 1);
            });
            const double t = Ms([&] {
                for (int i = 0; i < 1000; ++i) table.Table->insertRow(0);
            });
            std::printf("%-28s ours %8.1f ms | QTableWidget %8.1f ms (x%5.1f)\n", "1,000 row inserts at the top", o, t,
                        t / o);
            ours.Grid->RemoveRows(1, 1000);
        }
        {
            ours.Grid->SetOptions(ours.Grid->Options() | goEditing);
            ours.Grid->SetSelection(TGridRect{1, 1, kCols, kRows});
            const double copy = Ms([&] { ours.Grid->CopySelectionToClipboard(); });
            const std::string text = Clipboard()->AsText();
            ours.Grid->ClearAll();
            const double paste = Ms([&] { ours.Grid->PasteSelectionFromClipboard(); });
            ok = ok && ours.Grid->Cells(kCols, kRows) == data.At(kRows - 1, kCols - 1) &&
                 ours.Grid->Cells(1, 1) == data.At(0, 0);
            std::printf("copy of %d cells: %.1f ms (%zu bytes); paste: %.1f ms\n", kRows * kCols, copy, text.size(), paste);
        }
    }
    std::printf(ok ? "all orders checked\n" : "ORDER CHECK FAILED\n");
    return ok ? 0 : 1;
}
