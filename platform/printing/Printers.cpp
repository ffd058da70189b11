#include "platform/printing/Printers.h"

#include <QCoreApplication>
#include <cmath>

#include "platform/graphics/CanvasDevice.h"

// ---------------------------------------------------------------- escapes

int32_t Escape(TCanvas& canvas, int32_t escape, int32_t inSize, const void* in, void* out) {
    switch (escape) {
    case QUERYESCSUPPORT: {
        if (!in || inSize < static_cast<int32_t>(sizeof(int32_t))) return 0;
        int32_t asked = *static_cast<const int32_t*>(in);
        return asked == QUERYESCSUPPORT || asked == GETPHYSPAGESIZE || asked == GETPRINTINGOFFSET ? 1 : 0;
    }
    case GETPRINTINGOFFSET:
        if (!out) return 0;
        *static_cast<TPoint*>(out) = {canvas.GetDeviceCaps(PHYSICALOFFSETX), canvas.GetDeviceCaps(PHYSICALOFFSETY)};
        return 1;
    case GETPHYSPAGESIZE:
        if (!out) return 0;
        *static_cast<TPoint*>(out) = {canvas.GetDeviceCaps(PHYSICALWIDTH), canvas.GetDeviceCaps(PHYSICALHEIGHT)};
        return 1;
    default: return 0;
    }
}

// ---------------------------------------------------------------- pages

const char* PaperSizeName(TPaperSize paper) { return paper == TPaperSize::Letter ? "Letter" : "A4"; }

namespace {

constexpr int32_t kMinDpi = 72;
constexpr int32_t kMaxDpi = 2400;

void PaperMillimetres(TPaperSize paper, double& width, double& height) {
    if (paper == TPaperSize::Letter) {
        width = 215.9;
        height = 279.4;
    } else {
        width = 210.0;
        height = 297.0;
    }
}

int32_t MmToPixels(double mm, int32_t dpi) { return static_cast<int32_t>(Round(mm * dpi / 25.4L)); }

}  // namespace

TPageGeometry PageGeometryFor(const TPageSetup& setup, TPrinterOrientation orientation) {
    TPageGeometry g;
    g.DpiX = g.DpiY = setup.Dpi;
    double w, h;
    PaperMillimetres(setup.Paper, w, h);
    if (orientation == poLandscape) std::swap(w, h);
    g.Paper = {MmToPixels(w, setup.Dpi), MmToPixels(h, setup.Dpi)};
    g.Printable = {MmToPixels(setup.MarginLeft, setup.Dpi), MmToPixels(setup.MarginTop, setup.Dpi),
                   g.Paper.cx - MmToPixels(setup.MarginRight, setup.Dpi),
                   g.Paper.cy - MmToPixels(setup.MarginBottom, setup.Dpi)};
    return g;
}

void CheckPageSetup(const TPageSetup& setup) {
    if (setup.Dpi < kMinDpi || setup.Dpi > kMaxDpi) throw EPrinter(PrinterConst::SInvalidResolution);
    for (double m : {setup.MarginLeft, setup.MarginTop, setup.MarginRight, setup.MarginBottom})
        if (!std::isfinite(m) || m < 0) throw EPrinter(PrinterConst::SInvalidPageSetup);
    for (TPrinterOrientation o : {poPortrait, poLandscape}) {
        TRect r = PageGeometryFor(setup, o).Printable;
        if (r.Width() < 1 || r.Height() < 1) throw EPrinter(PrinterConst::SInvalidPageSetup);
    }
}

// ---------------------------------------------------------------- the printer's device

// The device behind the printer canvas: during a job it passes everything to
// the page's device; between jobs it answers with the selected printer's
// resolution and page and draws nothing.
class TPrinter::TPrinterDevice : public TCanvasDevice {
public:
    explicit TPrinterDevice(const TPrinter& printer) : FPrinter(printer) {}
    TCanvasDevice* Target = nullptr;

    int32_t LogPixelsX() const override { return Target ? Target->LogPixelsX() : FPrinter.Geometry().DpiX; }
    int32_t LogPixelsY() const override { return Target ? Target->LogPixelsY() : FPrinter.Geometry().DpiY; }
    TSize PixelSize() const override {
        if (Target) return Target->PixelSize();
        TRect r = FPrinter.Geometry().Printable;
        return {r.Width(), r.Height()};
    }
    int32_t BitsPerPixel() const override { return Target ? Target->BitsPerPixel() : 24; }
    TSize PhysicalSize() const override { return Target ? Target->PhysicalSize() : FPrinter.Geometry().Paper; }
    TPoint PhysicalOffset() const override {
        return Target ? Target->PhysicalOffset() : FPrinter.Geometry().Printable.TopLeft();
    }

    void FillRect(const TRect& rect, const TDeviceBrush& brush) override {
        if (Target) Target->FillRect(rect, brush);
    }
    void Polyline(const std::vector<TPoint>& points, const TDevicePen& pen) override {
        if (Target) Target->Polyline(points, pen);
    }
    void Polygon(const std::vector<TPoint>& points, const TDevicePen* pen, const TDeviceBrush* brush) override {
        if (Target) Target->Polygon(points, pen, brush);
    }
    void Ellipse(const TRect& rect, const TDevicePen* pen, const TDeviceBrush* brush) override {
        if (Target) Target->Ellipse(rect, pen, brush);
    }
    void TextOut(int32_t x, int32_t y, const std::string& text, const TDeviceFont& font, uint32_t align, bool opaque,
                 TColor background) override {
        if (Target) Target->TextOut(x, y, text, font, align, opaque, background);
    }
    TSize TextExtent(const std::string& text, const TDeviceFont& font) override {
        if (TCanvasDevice* d = Measurer()) return d->TextExtent(text, font);
        return MeasureText(text, font, LogPixelsY());
    }
    TTextMetric TextMetrics(const TDeviceFont& font) override {
        if (TCanvasDevice* d = Measurer()) return d->TextMetrics(font);
        return MeasureFont(font, LogPixelsY());
    }
    void DrawImage(const TRect& dest, const TDeviceImage& image, const TRect& source, bool transparent,
                   TColor key) override {
        if (Target) Target->DrawImage(dest, image, source, transparent, key);
    }
    void SetClip(const TRect* rect) override {
        if (!rect && !FHasClip) return;
        if (rect && FHasClip && *rect == FClip) return;
        FHasClip = rect != nullptr;
        if (rect) FClip = *rect;
        if (Target) Target->SetClip(rect);
    }
    TColor GetPixel(int32_t x, int32_t y) override { return Target ? Target->GetPixel(x, y) : clWhite; }
    void SetPixel(int32_t x, int32_t y, TColor color) override {
        if (Target) Target->SetPixel(x, y, color);
    }
    bool ReadPixels(const TRect& rect, TDeviceImage& out) override { return Target && Target->ReadPixels(rect, out); }

    // A new page's device starts unclipped; it gets the canvas's clip.
    void Attach(TCanvasDevice* target) {
        Target = target;
        if (Target && FHasClip) Target->SetClip(&FClip);
    }

private:
    TCanvasDevice* Measurer() const {
        if (Target) return Target;
        TPrinterBackend* b = FPrinter.CurrentPrinter();
        return b ? b->InfoDevice(FPrinter.Orientation()) : nullptr;
    }
    const TPrinter& FPrinter;
    bool FHasClip = false;
    TRect FClip;
};

// ---------------------------------------------------------------- the printer

TPrinter::TPrinter(std::vector<std::unique_ptr<TPrinterBackend>> printers, int32_t defaultIndex)
    : FPrinters(std::move(printers)) {
    auto device = std::make_unique<TPrinterDevice>(*this);
    FDevice = device.get();
    FCanvas = std::make_unique<TCanvas>(std::move(device));
    if (defaultIndex >= 0 && defaultIndex < static_cast<int32_t>(FPrinters.size())) FDefaultIndex = defaultIndex;
    FIndex = FDefaultIndex;
    SelectionChanged();
}

namespace {
TSystemPrinterSource& SystemPrinterSource() {
    static TSystemPrinterSource source;
    return source;
}

// The system printers, then ours; defaultIndex receives the one to select.
std::vector<std::unique_ptr<TPrinterBackend>> SystemAndPdfPrinters(int32_t& defaultIndex) {
    std::vector<std::unique_ptr<TPrinterBackend>> list;
    defaultIndex = -1;
    if (const TSystemPrinterSource& source = SystemPrinterSource()) list = source(defaultIndex);
    if (defaultIndex < 0 && !list.empty()) defaultIndex = 0;
    list.push_back(std::make_unique<TPdfFilePrinter>());
    if (defaultIndex < 0) defaultIndex = static_cast<int32_t>(list.size()) - 1;
    return list;
}
}  // namespace

void SetSystemPrinterSource(TSystemPrinterSource source) { SystemPrinterSource() = std::move(source); }

TPrinter::TPrinter() : TPrinter(std::vector<std::unique_ptr<TPrinterBackend>>(), -1) {
    FPrinters = SystemAndPdfPrinters(FDefaultIndex);
    FIndex = FDefaultIndex;
    SelectionChanged();
}

TPrinter::~TPrinter() {
    if (FPrinting) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

void TPrinter::CheckPrinting(bool printing) const {
    if (FPrinting != printing) throw EPrinter(printing ? PrinterConst::SNotPrinting : PrinterConst::SPrinting);
}

void TPrinter::UpdateNames() const {
    if (!FNames) FNames = std::make_unique<TStringList>();
    FNames->Clear();
    for (const auto& p : FPrinters) FNames->Add(p->Name());
}

TStrings* TPrinter::Printers() const {
    UpdateNames();
    return FNames.get();
}

TPrinterBackend* TPrinter::PrinterAt(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(FPrinters.size())) return nullptr;
    return FPrinters[static_cast<size_t>(index)].get();
}

TPrinterBackend* TPrinter::CurrentPrinter() const { return PrinterAt(FIndex); }

int32_t TPrinter::IndexOf(const TPrinterBackend* printer) const {
    for (size_t i = 0; i < FPrinters.size(); ++i)
        if (FPrinters[i].get() == printer) return static_cast<int32_t>(i);
    return -1;
}

TPdfFilePrinter* TPrinter::PdfPrinter() const {
    for (const auto& p : FPrinters)
        if (auto* pdf = dynamic_cast<TPdfFilePrinter*>(p.get())) return pdf;
    return nullptr;
}

void TPrinter::SetPrinterIndex(int32_t index) {
    CheckPrinting(false);
    if (index < -1 || index >= static_cast<int32_t>(FPrinters.size()))
        throw EPrinter(PrinterConst::SPrinterIndexError);
    FIndex = index == -1 ? FDefaultIndex : index;
    SelectionChanged();
}

int32_t TPrinter::AddPrinter(std::unique_ptr<TPrinterBackend> printer) {
    FPrinters.push_back(std::move(printer));
    int32_t index = static_cast<int32_t>(FPrinters.size()) - 1;
    if (FDefaultIndex < 0) FDefaultIndex = index;
    if (FIndex < 0) {
        FIndex = index;
        SelectionChanged();
    }
    return index;
}

std::unique_ptr<TPrinterBackend> TPrinter::RemovePrinter(int32_t index) {
    CheckPrinting(false);
    if (index < 0 || index >= static_cast<int32_t>(FPrinters.size())) throw EPrinter(PrinterConst::SPrinterIndexError);
    std::unique_ptr<TPrinterBackend> removed = std::move(FPrinters[static_cast<size_t>(index)]);
    FPrinters.erase(FPrinters.begin() + index);
    auto shift = [&](int32_t& i) {
        if (i == index) i = -1;
        else if (i > index) --i;
    };
    shift(FDefaultIndex);
    if (FDefaultIndex < 0 && !FPrinters.empty()) FDefaultIndex = 0;
    shift(FIndex);
    if (FIndex < 0) FIndex = FDefaultIndex;
    SelectionChanged();
    return removed;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    CheckPrinting(false);
    FOrientation = orientation;
}

TPageGeometry TPrinter::Geometry() const {
    if (FPrinting && FDevice->Target) {
        TCanvasDevice* d = FDevice->Target;
        TPageGeometry g;
        g.DpiX = d->LogPixelsX();
        g.DpiY = d->LogPixelsY();
        g.Paper = d->PhysicalSize();
        TPoint o = d->PhysicalOffset();
        TSize s = d->PixelSize();
        g.Printable = {o.X, o.Y, o.X + s.cx, o.Y + s.cy};
        return g;
    }
    TPrinterBackend* b = CurrentPrinter();
    return b ? b->Geometry(FOrientation) : TPageGeometry{};
}

int32_t TPrinter::PageWidth() const { return CurrentPrinter() ? Geometry().Printable.Width() : 0; }
int32_t TPrinter::PageHeight() const { return CurrentPrinter() ? Geometry().Printable.Height() : 0; }
TPoint TPrinter::PrintingOffset() const { return CurrentPrinter() ? Geometry().Printable.TopLeft() : TPoint{}; }

// The font keeps its size in points when the resolution changes, so that a
// size set before the job prints as that many points.
void TPrinter::SelectionChanged() {
    int32_t dpi = Geometry().DpiY;
    TFont* font = FCanvas->Font();
    if (dpi > 0 && font->PixelsPerInch() != dpi) {
        int32_t size = font->Size();
        font->SetPixelsPerInch(dpi);
        font->SetSize(size);
    }
}

void TPrinter::ResetCanvas() {
    TCanvas& c = *FCanvas;
    c.SelectClipRect(nullptr);
    c.SetMapMode(MM_TEXT);
    c.SetViewportOrgEx(0, 0);
    c.SetWindowOrgEx(0, 0);
    c.SetTextAlign(TA_LEFT | TA_TOP);
    c.SetPenPos({0, 0});
    SelectionChanged();
}

void TPrinter::BeginDoc() {
    CheckPrinting(false);
    TPrinterBackend* b = CurrentPrinter();
    if (!b) throw EPrinter(PrinterConst::SNoDefaultPrinter);
    TPrintJobInfo job;
    job.Title = FTitle;
    job.Copies = FCopies;
    job.Orientation = FOrientation;
    TCanvasDevice* page = b->BeginDoc(job);
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    FDevice->Attach(page);
    ResetCanvas();
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    FDevice->Attach(nullptr);
    try {
        FDevice->Attach(CurrentPrinter()->NewPage());
    } catch (...) {
        Abort();
        throw;
    }
    ++FPageNumber;
}

void TPrinter::Finish() {
    FDevice->Attach(nullptr);
    FPrinting = false;
    FPageNumber = 0;
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    TPrinterBackend* b = CurrentPrinter();
    Finish();
    FAborted = false;
    b->EndDoc();
}

void TPrinter::Abort() {
    if (!FPrinting) return;
    TPrinterBackend* b = CurrentPrinter();
    Finish();
    FAborted = true;
    b->Abort();
}

TPrintJobGuard::~TPrintJobGuard() {
    if (FPrinter && FPrinter->Printing()) {
        try {
            FPrinter->Abort();
        } catch (...) {
        }
    }
}

// ---------------------------------------------------------------- the process's printer

namespace {
std::unique_ptr<TPrinter>& ProcessPrinter() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}
}  // namespace

TPrinter* Printer() {
    auto& p = ProcessPrinter();
    if (!p) {
        p = std::make_unique<TPrinter>();
        // The system printers hold Qt objects: they go with the application.
        static bool cleanup = false;
        if (!cleanup && QCoreApplication::instance()) {
            cleanup = true;
            qAddPostRoutine([] {
                ProcessPrinter().reset();
                cleanup = false;
            });
        }
    }
    return p.get();
}

std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer) {
    std::swap(printer, ProcessPrinter());
    return printer;
}

TRecordingPrinter* InstallRecordingPrinter(const TPageSetup& setup) {
    auto recorder = std::make_unique<TRecordingPrinter>(PrinterConst::SRecordingPrinterName, setup);
    TRecordingPrinter* result = recorder.get();
    TPrinter* p = Printer();
    p->SetPrinterIndex(p->AddPrinter(std::move(recorder)));
    return result;
}

void UninstallRecordingPrinter(TRecordingPrinter* printer) {
    if (!ProcessPrinter()) return;
    TPrinter* p = ProcessPrinter().get();
    int32_t index = p->IndexOf(printer);
    if (index < 0) return;
    if (p->CurrentPrinter() == printer) p->Abort();
    p->RemovePrinter(index);
}

// ---------------------------------------------------------------- recording printer

TRecordingPrinter::TRecordingPrinter(std::string name, TPageSetup setup) : FName(std::move(name)), FSetup(setup) {
    CheckPageSetup(FSetup);
}

TRecordingPrinter::~TRecordingPrinter() = default;

void TRecordingPrinter::SetPageSetup(const TPageSetup& setup) {
    if (FDevice) throw EPrinter(PrinterConst::SPrinting);
    CheckPageSetup(setup);
    FSetup = setup;
}

TPageGeometry TRecordingPrinter::Geometry(TPrinterOrientation orientation) const {
    return PageGeometryFor(FSetup, orientation);
}

void TRecordingPrinter::StartPage() {
    TPageGeometry g = Geometry(FJobs.back().Orientation);
    TSize size{g.Printable.Width(), g.Printable.Height()};
    TCanvasDevice* inner = nullptr;
    if (FWithBitmaps) {
        auto bitmap = std::make_unique<TBitmap>(size.cx, size.cy);
        bitmap->SetResolution(g.DpiX, g.DpiY);
        bitmap->Canvas()->Brush()->SetColor(clWhite);
        bitmap->Canvas()->FillRect({0, 0, size.cx, size.cy});
        inner = bitmap->Canvas()->Device();
        FBitmaps.push_back(std::move(bitmap));
    }
    FDevice = std::make_unique<TRecordingDevice>(g.DpiX, g.DpiY, size, inner);
    FDevice->SetPhysical(g.Paper, g.Printable.TopLeft());
    FJobs.back().Pages.emplace_back();
}

void TRecordingPrinter::FinishPage() {
    if (!FDevice) return;
    FJobs.back().Pages.back() = FDevice->Calls();
    FDevice.reset();
}

TCanvasDevice* TRecordingPrinter::BeginDoc(const TPrintJobInfo& job) {
    if (!FFailMessage.empty()) {
        std::string message = std::move(FFailMessage);
        FFailMessage.clear();
        FEvents.push_back("BeginDoc failed");
        throw EPrinter(message);
    }
    TRecordedJob j;
    j.Title = job.Title;
    j.Copies = job.Copies;
    j.Orientation = job.Orientation;
    FJobs.push_back(std::move(j));
    FBitmaps.clear();
    FEvents.push_back("BeginDoc " + job.Title);
    StartPage();
    return FDevice.get();
}

TCanvasDevice* TRecordingPrinter::NewPage() {
    FinishPage();
    StartPage();
    FEvents.push_back("NewPage " + IntToStr(static_cast<int64_t>(FJobs.back().Pages.size())));
    return FDevice.get();
}

void TRecordingPrinter::EndDoc() {
    FinishPage();
    FJobs.back().Ended = true;
    FEvents.push_back("EndDoc");
}

void TRecordingPrinter::Abort() {
    FinishPage();
    FJobs.back().Aborted = true;
    FEvents.push_back("Abort");
}

TBitmap* TRecordingPrinter::PageBitmap(size_t page) const {
    return page < FBitmaps.size() ? FBitmaps[page].get() : nullptr;
}

void TRecordingPrinter::Clear() {
    if (FDevice) throw EPrinter(PrinterConst::SPrinting);
    FJobs.clear();
    FEvents.clear();
    FBitmaps.clear();
}

// ---------------------------------------------------------------- set-up values

TPrinterSetupValues ReadPrinterSetup(const TPrinter& printer) {
    TPrinterSetupValues v;
    v.PrinterIndex = printer.PrinterIndex();
    v.Orientation = printer.Orientation();
    if (TPdfFilePrinter* pdf = printer.PdfPrinter()) {
        v.OutputFile = pdf->OutputFile();
        v.PageSetup = pdf->PageSetup();
    }
    return v;
}

void ApplyPrinterSetup(TPrinter& printer, const TPrinterSetupValues& values) {
    if (printer.Printing()) throw EPrinter(PrinterConst::SPrinting);
    TPdfFilePrinter* pdf = printer.PdfPrinter();
    if (pdf) CheckPageSetup(values.PageSetup);
    if (values.PrinterIndex < -1 || values.PrinterIndex >= printer.Printers()->Count())
        throw EPrinter(PrinterConst::SPrinterIndexError);
    printer.SetPrinterIndex(values.PrinterIndex);
    printer.SetOrientation(values.Orientation);
    if (pdf) {
        pdf->SetPageSetup(values.PageSetup);
        // An unchanged file keeps its run of numbered names going.
        if (values.FileChosen || values.OutputFile != pdf->OutputFile()) pdf->SetOutputFile(values.OutputFile);
    }
}
