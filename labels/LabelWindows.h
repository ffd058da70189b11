// Plugs the label windows into the program start: frmLabels and then
// frmLabelsProps are created right after the main window.
#pragma once

void RegisterLabelWindows();
