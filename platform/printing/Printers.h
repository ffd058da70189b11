// The printer object of the process: the system printers (when the controls
// room has installed their source), our own PDF-file printer (always present, so that printing always produces
// something) and, for tests, recording printers. A job draws on the printer
// canvas in printer pixels; device (0, 0) is the corner of the printable
// area, as on the platform, and SetViewportOrgEx(-offset) moves logical
// (0, 0) to the paper corner.
//
// A job left open by an error in the caller is not ended or aborted behind
// its back: BeginDoc on an open job raises "Printing in progress". Callers
// end a failed job with Abort (harmless when no job is open), or hold a
// TPrintJobGuard, which aborts a job still open when it goes out of scope.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/printing/PageSetup.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/SysUtils.h"

class TCanvasDevice;

// Fixed messages of the printer; code raises these, tests compare them.
namespace PrinterConst {
inline constexpr const char* SPrinting = "Printing in progress";
inline constexpr const char* SNotPrinting = "Printer is not currently printing";
inline constexpr const char* SNoDefaultPrinter = "There is no default printer currently selected";
inline constexpr const char* SPrinterIndexError = "Printer index out of range";
inline constexpr const char* SCannotStartJob = "Cannot start the print job on printer \"%s\"";
inline constexpr const char* SCannotWriteFile = "Cannot write the print file \"%s\". %s";
inline constexpr const char* SInvalidPageSetup = "The margins leave no printable area on the paper";
inline constexpr const char* SInvalidResolution = "Printer resolution must be between 72 and 2400 dots per inch";
inline constexpr const char* SPdfPrinterName = "PDF File";
inline constexpr const char* SRecordingPrinterName = "Recording Printer";
// File name of a job without a title.
inline constexpr const char* SUntitled = "Document";
}  // namespace PrinterConst

// ---------------------------------------------------------------- escapes

inline constexpr int32_t QUERYESCSUPPORT = 8;
inline constexpr int32_t GETPHYSPAGESIZE = 12;
inline constexpr int32_t GETPRINTINGOFFSET = 13;

// The platform's Escape for the printer queries: GETPRINTINGOFFSET writes the
// printable area's distance from the paper corner and GETPHYSPAGESIZE the
// paper's size, both as a TPoint in device pixels, into out;
// QUERYESCSUPPORT answers whether the int32_t code in in is supported.
// Returns a value above 0 on success and 0 for an unsupported escape.
int32_t Escape(TCanvas& canvas, int32_t escape, int32_t inSize, const void* in, void* out);

struct TPrintJobInfo {
    std::string Title;
    int32_t Copies = 1;
    TPrinterOrientation Orientation = poPortrait;
};

// ---------------------------------------------------------------- backends

// One printer of the list. The printer object calls BeginDoc, then NewPage
// and EndDoc or Abort, never two jobs at once.
class TPrinterBackend {
public:
    virtual ~TPrinterBackend() = default;
    virtual std::string Name() const = 0;
    virtual TPageGeometry Geometry(TPrinterOrientation orientation) const = 0;
    // Starts a job on its first page and returns the device the page draws
    // on (owned by the backend, valid until the next call). Raises EPrinter
    // when the job cannot start.
    virtual TCanvasDevice* BeginDoc(const TPrintJobInfo& job) = 0;
    virtual TCanvasDevice* NewPage() = 0;
    // Raises EPrinter when the output cannot be delivered; the job is over
    // either way.
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    // Measures text between jobs as a page of this printer would (null:
    // the shared font metrics at the printer's resolution).
    virtual TCanvasDevice* InfoDevice(TPrinterOrientation orientation) { return nullptr; }
};

// Our PDF writer: every job becomes one PDF file; text is drawn in the font
// the canvas resolves, its glyphs embedded (or a standard font where one
// looks the same). Where a job goes: the output file chosen in the
// printer set-up, which the next job replaces (the user chose it), later
// jobs writing new files beside it ("labels (2).pdf", ...); without a chosen
// file, a new file in the output folder named after the job title,
// "Application.pdf", "Application (2).pdf", ..., never replacing a file.
class TPdfFilePrinter : public TPrinterBackend {
public:
    TPdfFilePrinter();
    ~TPdfFilePrinter() override;

    std::string Name() const override;
    const TPageSetup& PageSetup() const;
    // EPrinter while printing or for an invalid set-up.
    void SetPageSetup(const TPageSetup& setup);
    const std::string& OutputFile() const;
    // Empty returns to the automatic names.
    void SetOutputFile(const std::string& path);
    // Folder of the automatic names; empty (the default) is the user's
    // documents folder.
    const std::string& OutputFolder() const;
    void SetOutputFolder(const std::string& folder);
    // The folder the automatic names go to now, with a trailing '/'.
    std::string EffectiveFolder() const;
    // The file the last finished job wrote, empty before the first.
    const std::string& LastFile() const;

    TPageGeometry Geometry(TPrinterOrientation orientation) const override;
    TCanvasDevice* BeginDoc(const TPrintJobInfo& job) override;
    TCanvasDevice* NewPage() override;
    void EndDoc() override;
    void Abort() override;
    TCanvasDevice* InfoDevice(TPrinterOrientation orientation) override;

    // Called with the path of each file written.
    std::function<void(const std::string& path)> OnFileWritten;

private:
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};

// The user's documents folder: the XDG documents directory, else
// ~/Documents, else the home folder; with a trailing '/'.
std::string UserDocumentsFolder();
// folder + base + ".pdf", or the first of base + " (2).pdf", " (3).pdf", ...
// that does not exist; base is made safe for a file name first.
std::string UniquePdfFileName(const std::string& folder, const std::string& base);

// A job as the recording printer saw it.
struct TRecordedJob {
    std::string Title;
    int32_t Copies = 1;
    TPrinterOrientation Orientation = poPortrait;
    // Every drawing call of each page, in device pixels.
    std::vector<std::vector<TRecordedCall>> Pages;
    bool Ended = false;
    bool Aborted = false;
};

// Records jobs, pages and every drawing call; for tests of the code that
// prints. Its pages can also be drawn on bitmaps (WithBitmaps).
class TRecordingPrinter : public TPrinterBackend {
public:
    explicit TRecordingPrinter(std::string name = PrinterConst::SRecordingPrinterName, TPageSetup setup = {});
    ~TRecordingPrinter() override;

    std::string Name() const override { return FName; }
    const TPageSetup& PageSetup() const { return FSetup; }
    void SetPageSetup(const TPageSetup& setup);
    // Jobs begun, the open one included.
    const std::vector<TRecordedJob>& Jobs() const { return FJobs; }
    // "BeginDoc <title>", "NewPage <n>", "EndDoc", "Abort", in order.
    const std::vector<std::string>& Events() const { return FEvents; }
    // The device of the page being drawn, or null.
    TRecordingDevice* CurrentDevice() const { return FDevice.get(); }
    // Also draws each page on a bitmap of its printable area; off by
    // default because pages are large.
    void SetWithBitmaps(bool on) { FWithBitmaps = on; }
    // Bitmap of the printable area of page (0-based) of the latest job,
    // null without bitmaps.
    TBitmap* PageBitmap(size_t page) const;
    // The next BeginDoc raises EPrinter with this message (error paths).
    void FailNextBeginDoc(const std::string& message) { FFailMessage = message; }
    void Clear();

    TPageGeometry Geometry(TPrinterOrientation orientation) const override;
    TCanvasDevice* BeginDoc(const TPrintJobInfo& job) override;
    TCanvasDevice* NewPage() override;
    void EndDoc() override;
    void Abort() override;

private:
    void StartPage();
    void FinishPage();
    std::string FName;
    TPageSetup FSetup;
    std::vector<TRecordedJob> FJobs;
    std::vector<std::string> FEvents;
    std::unique_ptr<TRecordingDevice> FDevice;
    bool FWithBitmaps = false;
    std::vector<std::unique_ptr<TBitmap>> FBitmaps;
    std::string FFailMessage;
};

// The system's printers, as the controls room finds them (see QtPrinter.h):
// the list, and in defaultIndex the one to select (-1: none).
using TSystemPrinterSource = std::function<std::vector<std::unique_ptr<TPrinterBackend>>(int32_t& defaultIndex)>;
// Installs the source TPrinter() asks; without one the process's printer
// lists only the PDF-file printer.
void SetSystemPrinterSource(TSystemPrinterSource source);

// ---------------------------------------------------------------- the printer

class TPrinter : public TObject {
public:
    // The system printers (of the installed source) and the PDF-file
    // printer; the system's default printer is selected, else the first system printer, else the
    // PDF-file printer.
    TPrinter();
    // Exactly these printers; defaultIndex selects one (-1 or an empty
    // list: none, as on a system without printers).
    explicit TPrinter(std::vector<std::unique_ptr<TPrinterBackend>> printers, int32_t defaultIndex = 0);
    ~TPrinter() override;

    // The names of the printers, in list order.
    TStrings* Printers() const;
    int32_t PrinterIndex() const { return FIndex; }
    // -1 selects the default printer. EPrinter "Printer index out of range",
    // or "Printing in progress" during a job.
    void SetPrinterIndex(int32_t index);
    int32_t DefaultIndex() const { return FDefaultIndex; }
    // The selected printer, null when there is none.
    TPrinterBackend* CurrentPrinter() const;
    TPrinterBackend* PrinterAt(int32_t index) const;
    // Adds a printer at the end of the list and returns its index.
    int32_t AddPrinter(std::unique_ptr<TPrinterBackend> printer);
    // Takes a printer out of the list (not while printing); the selection
    // moves to the default when it was the selected one.
    std::unique_ptr<TPrinterBackend> RemovePrinter(int32_t index);
    int32_t IndexOf(const TPrinterBackend* printer) const;
    // The PDF-file printer of the list, or null.
    TPdfFilePrinter* PdfPrinter() const;

    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title) { FTitle = title; }
    int32_t Copies() const { return FCopies; }
    // Values below 1 print one copy.
    void SetCopies(int32_t copies) { FCopies = copies < 1 ? 1 : copies; }
    TPrinterOrientation Orientation() const { return FOrientation; }
    // "Printing in progress" during a job.
    void SetOrientation(TPrinterOrientation orientation);

    // "Printing in progress" when a job is open, "There is no default
    // printer currently selected" without a printer; the printer's own
    // error when it cannot start. The canvas's device-context state (map
    // mode, origins, alignment, clip) starts afresh with each job; its font
    // keeps its size in points at the printer's resolution.
    void BeginDoc();
    // "Printer is not currently printing" outside a job.
    void NewPage();
    void EndDoc();
    // Drops the open job; does nothing when no job is open.
    void Abort();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int32_t PageNumber() const { return FPageNumber; }

    // The printable area in pixels (HORZRES, VERTRES) of the selected
    // printer in the current orientation; 0 without a printer.
    int32_t PageWidth() const;
    int32_t PageHeight() const;
    // The printable area's distance from the paper corner (GETPRINTINGOFFSET).
    TPoint PrintingOffset() const;
    TPageGeometry Geometry() const;
    // Drawing outside a job goes nowhere; measuring works at the printer's
    // resolution.
    TCanvas* Canvas() const { return FCanvas.get(); }

private:
    class TPrinterDevice;
    void CheckPrinting(bool printing) const;
    void SelectionChanged();
    void ResetCanvas();
    void UpdateNames() const;
    void Finish();

    std::vector<std::unique_ptr<TPrinterBackend>> FPrinters;
    mutable std::unique_ptr<TStringList> FNames;
    int32_t FIndex = -1;
    int32_t FDefaultIndex = -1;
    std::string FTitle;
    int32_t FCopies = 1;
    TPrinterOrientation FOrientation = poPortrait;
    bool FPrinting = false;
    bool FAborted = false;
    int32_t FPageNumber = 0;
    TPrinterDevice* FDevice = nullptr;  // owned by the canvas
    std::unique_ptr<TCanvas> FCanvas;
};

// The process's printer, created on first use.
TPrinter* Printer();
// Replaces the process's printer and returns the previous one (nullptr
// creates a fresh one at the next Printer()).
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer);
// Adds a recording printer to Printer()'s list and selects it; remove it
// with UninstallRecordingPrinter (or Printer()->RemovePrinter).
TRecordingPrinter* InstallRecordingPrinter(const TPageSetup& setup = {});
void UninstallRecordingPrinter(TRecordingPrinter* printer);

// Aborts the printer's job when it is still open as the guard goes out of
// scope (an error left the print routine); a job that ended is left alone.
class TPrintJobGuard {
public:
    explicit TPrintJobGuard(TPrinter* printer = Printer()) : FPrinter(printer) {}
    ~TPrintJobGuard();
    TPrintJobGuard(const TPrintJobGuard&) = delete;
    TPrintJobGuard& operator=(const TPrintJobGuard&) = delete;

private:
    TPrinter* FPrinter;
};


// ---------------------------------------------------------------- set-up values

// What the printer set-up dialog edits, taken from and given back to a
// printer.
struct TPrinterSetupValues {
    int32_t PrinterIndex = -1;
    TPrinterOrientation Orientation = poPortrait;
    std::string OutputFile;  // PDF-file printer; empty: automatic names
    bool FileChosen = false; // picked with Browse: the next job replaces it
    TPageSetup PageSetup;    // PDF-file printer
};
TPrinterSetupValues ReadPrinterSetup(const TPrinter& printer);
// Raises EPrinter (and changes nothing) for an invalid page set-up.
void ApplyPrinterSetup(TPrinter& printer, const TPrinterSetupValues& values);
