// The printer set-up dialog of the controls room: the component that runs
// it through the dialog service, and the Qt dialog behind it.
#pragma once

#include <memory>

#include "platform/controls/Dialogs.h"
#include "platform/printing/Printers.h"

// The dialog's texts.
namespace PrinterConst {
inline constexpr const char* SSetupCaption = "Print Setup";
inline constexpr const char* SSetupPrinter = "&Name:";
inline constexpr const char* SSetupFile = "Output &file:";
inline constexpr const char* SSetupBrowse = "&Browse...";
inline constexpr const char* SSetupPaper = "&Paper:";
inline constexpr const char* SSetupMargins = "Margins (mm)";
inline constexpr const char* SSetupLeft = "&Left:";
inline constexpr const char* SSetupTop = "&Top:";
inline constexpr const char* SSetupRight = "&Right:";
inline constexpr const char* SSetupBottom = "&Bottom:";
inline constexpr const char* SSetupOrientation = "Orientation";
inline constexpr const char* SSetupPortrait = "P&ortrait";
inline constexpr const char* SSetupLandscape = "L&andscape";
inline constexpr const char* SSetupAutomaticFile = "(a new file in %s, named after the job)";
// Below the file: the folder the next file goes to, in full.
inline constexpr const char* SSetupFolder = "Folder: %s";
inline constexpr const char* SSetupSaveTitle = "Print to File";
inline constexpr const char* SSetupSaveFilter = "PDF Files (*.pdf)|*.pdf";
}  // namespace PrinterConst

// The printer set-up: runs through the dialog service's printer set-up
// entry, whose Qt dialog lists the printers and, for the PDF-file printer,
// lets the user choose the output file, the paper and the margins.
class TPrinterSetupDialog : public TCommonDialog {
public:
    explicit TPrinterSetupDialog(TComponent* owner);
    bool Execute() override;
};

// Installs the Qt dialog behind the dialog service's printer set-up entry
// (TPrinterSetupDialog does it; calling it again is harmless).
void InstallPrinterSetupHandler();

// The Qt dialog itself: built on a printer, run modally by the set-up
// handler; the platform's tests show it without a modal loop and drive it
// with synthetic events.
class TPrinterSetupForm {
public:
    explicit TPrinterSetupForm(TPrinter& printer);
    ~TPrinterSetupForm();
    TPrinterSetupValues Values() const;
    // The OK button: applies and closes; False (dialog still open) when the
    // values are refused, after telling the user why in an error box.
    bool Accept();
    // Runs the dialog modally; True when it was accepted.
    bool Exec();

private:
    friend struct TNativeAccess;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};
