// The fixture of the string grid's tests: a form holding one grid, the
// dialogs, timers and drags scripted.
#pragma once

#include <memory>

#include "grid/VsGrid.h"
#include "tests/platform/controls/ControlsTestSupport.h"

class StringGridTest : public ScriptedTest {
protected:
    // A form of the given size with the grid at bounds.
    void MakeGrid(int32_t formWidth, int32_t formHeight, const TRect& bounds) {
        form = NewForm(formWidth, formHeight);
        grid = new TVsStringGrid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    }
    std::unique_ptr<TForm> form;
    TVsStringGrid* grid = nullptr;
};
