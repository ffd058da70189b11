// TVsStringGrid, the editable string grid of the system, on the platform's
// TStringGrid: typed in-cell editors chosen per cell, per-cell colour,
// border, alignment and format events, fixed footer rows and fixed right
// columns, header lists, bands and a background, sorting, hidden rows and a
// row filter, row flags, scroll hints and flat scroll bars, saved column
// widths, the clipboard, drag and drop and file import.
//
// Indexes: every operation takes display column indexes and hands real
// ones (RealColIndex) to the events; no column is ever hidden, so the two
// are equal. Rows hidden by the filter or by nodes leave the cell store as
// whole row units (THiddenRows) and come back the same way; display row
// indexes count the rows in the grid, real ones count the hidden rows too.
//
// The declarations are split by what they hold: VsGridTypes.h (constants,
// enumerations, cell graphics, event types), VsGridRowItems.h (filter and
// hidden rows, without a window), VsGridState.h (published values, events
// and state), VsStringGrid.h (the class) and VsGridEditors.h (the editor
// controls and the text editor); this header takes them all in.
//
// The implementation is split by area: VsGrid.cpp (construction, settings,
// properties, the dispatchers, cell operations, current cell, saved
// widths), VsGridEditors.cpp (in-cell editors), VsGridScroll.cpp (scroll
// bars, hints, proportional sizing), VsGridHidden.cpp (hidden rows, filter,
// row flags, graphic queries), VsGridPaint.cpp (painting and measuring),
// VsGridInput.cpp (mouse, keys, focus, timers, validation), VsGridRows.cpp
// (row and column operations), VsGridSizing.cpp (sizing to contents),
// VsGridClipboard.cpp, VsGridSort.cpp and VsGridImport.cpp.
#pragma once

#include "grid/VsCombo.h"
#include "grid/VsEdit.h"
#include "grid/VsGridEditors.h"
#include "grid/VsGridRowItems.h"
#include "grid/VsGridSettings.h"
#include "grid/VsGridState.h"
#include "grid/VsGridTypes.h"
#include "grid/VsObj.h"
#include "grid/VsRichEdit.h"
#include "grid/VsSpin.h"
#include "grid/VsStringGrid.h"
#include "grid/ddintf.h"
#include "platform/controls/DateTimePicker.h"
#include "platform/controls/Grids.h"
#include "platform/controls/HintWindow.h"
#include "platform/controls/StdCtrls.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"
