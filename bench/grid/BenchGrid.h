// What the grid benchmarks share: 100,000 rows x 16 columns shown in a
// 1000 x 600 viewport of an offscreen window (Qt's views are given the
// same size).
#pragma once

#include <QApplication>
#include <memory>

#include "platform/controls/Forms.h"

namespace benchgrid {

constexpr int kRows = 100000;
constexpr int kCols = 16;
constexpr int kWidth = 1000;
constexpr int kHeight = 600;

// A window holding one grid: kRows x kCols data cells below the fixed row
// and right of the fixed column.
template <class TGrid>
struct TGridWindow {
    std::unique_ptr<TForm> Window;
    TGrid* Grid = nullptr;

    TGridWindow() : Window(std::make_unique<TForm>(nullptr)) {
        Window->SetBounds(0, 0, kWidth + 20, kHeight + 20);
        Window->DoCreate();
        Grid = new TGrid(Window.get());
        Grid->SetParent(Window.get());
        Grid->SetBounds(0, 0, kWidth, kHeight);
        Grid->SetColCount(kCols + 1);
        Grid->SetRowCount(kRows + 1);
    }

    void Show() {
        Window->Show();
        QApplication::processEvents();
    }
};

}  // namespace benchgrid
