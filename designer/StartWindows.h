// The windows the program start creates after the main window, in this
// order: frmLabels, frmLabelsProps, frmCaptions, frmEdit. The label windows
// live in another library; it hands its creators over here, so that the
// designer neither links nor includes it.
#pragma once

#include <functional>

class TForm;

struct TLabelWindowCreators {
    // Each creates its global form object with the application as owner
    // (Application->CreateForm) and returns it.
    std::function<TForm*()> CreateLabels;       // frmLabels
    std::function<TForm*()> CreateLabelsProps;  // frmLabelsProps
    std::function<TForm*()> CreateEdit;         // frmEdit
};

// Called once before the program start creates its windows.
void SetLabelWindowCreators(TLabelWindowCreators creators);

// Creates the windows of the start after Form1, in order; a creator that was
// not handed over is skipped.
void CreateStartWindows();

// Asked before the program ends (edits of the label windows would be lost);
// false keeps it running. Without one the program ends.
void SetProgramEndQuestion(std::function<bool()> question);
bool StartWindowsLetProgramEnd();

// The label sheet window and the template editor once created, else nullptr.
TForm* LabelsWindow();
TForm* LabelsPropsWindow();
// Forgets the created windows (the application frees them).
void ForgetStartWindows();
