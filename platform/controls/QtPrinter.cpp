// The printers Qt prints to: every system (CUPS) printer, drawn through a
// QPainter on a QPrinter with the graphics room's QPainter device. The same
// backend writes Qt's own PDF when it has an output file.
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <optional>

#include "platform/controls/QtPrinter.h"
#include "platform/graphics/qt/QtCanvasDevice.h"

namespace {

class TQtPrinterBackend : public TPrinterBackend {
public:
    TQtPrinterBackend(std::string name, std::string outputFile, std::optional<TPageSetup> setup)
        : FName(std::move(name)), FOutputFile(std::move(outputFile)), FSetup(setup) {}

    ~TQtPrinterBackend() override {
        if (FPainter && FPainter->isActive()) {
            FPrinter->abort();
            FPainter->end();
        }
    }

    std::string Name() const override { return FName; }

    TPageGeometry Geometry(TPrinterOrientation orientation) const override {
        QPrinter& p = Configured(orientation);
        TPageGeometry g;
        int dpi = p.resolution();
        g.DpiX = g.DpiY = dpi;
        QPageLayout layout = p.pageLayout();
        QRect full = layout.fullRectPixels(dpi);
        QRect paint = layout.paintRectPixels(dpi);
        g.Paper = {full.width(), full.height()};
        g.Printable = {paint.left(), paint.top(), paint.left() + paint.width(), paint.top() + paint.height()};
        return g;
    }

    TCanvasDevice* BeginDoc(const TPrintJobInfo& job) override {
        QPrinter& p = Configured(job.Orientation);
        p.setDocName(QString::fromStdString(job.Title));
        p.setCopyCount(job.Copies);
        TPageGeometry g = Geometry(job.Orientation);
        FPainter = std::make_unique<QPainter>();
        if (!FPainter->begin(&p)) {
            FPainter.reset();
            throw EPrinter(FmtMsg(PrinterConst::SCannotStartJob, FName));
        }
        FDevice = std::make_unique<TQtCanvasDevice>(FPainter.get(), g.DpiX, g.DpiY,
                                                    TSize{g.Printable.Width(), g.Printable.Height()});
        FDevice->SetPhysical(g.Paper, g.Printable.TopLeft());
        FDevice->SetBitsPerPixel(24);
        return FDevice.get();
    }

    TCanvasDevice* NewPage() override {
        if (!FPrinter->newPage()) throw EPrinter(FmtMsg(PrinterConst::SCannotStartJob, FName));
        FDevice->SetPainter(FPainter.get());
        return FDevice.get();
    }

    void EndDoc() override {
        bool ok = FPainter->end();
        FDevice.reset();
        FPainter.reset();
        if (!ok) throw EPrinter(FmtMsg(PrinterConst::SCannotStartJob, FName));
    }

    void Abort() override {
        FPrinter->abort();
        if (FPainter && FPainter->isActive()) FPainter->end();
        FDevice.reset();
        FPainter.reset();
    }

private:
    // One QPrinter per printer, set up on first use.
    QPrinter& Configured(TPrinterOrientation orientation) const {
        if (!FPrinter) {
            if (FOutputFile.empty()) {
                FPrinter = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(QString::fromStdString(FName)),
                                                      QPrinter::HighResolution);
            } else {
                FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
                FPrinter->setOutputFormat(QPrinter::PdfFormat);
                FPrinter->setOutputFileName(QString::fromStdString(FOutputFile));
            }
            if (FSetup) {
                FPrinter->setResolution(FSetup->Dpi);
                FPrinter->setFullPage(false);
                FPrinter->setPageSize(QPageSize(FSetup->Paper == TPaperSize::Letter ? QPageSize::Letter
                                                                                     : QPageSize::A4));
                FPrinter->setPageMargins(
                    QMarginsF(FSetup->MarginLeft, FSetup->MarginTop, FSetup->MarginRight, FSetup->MarginBottom),
                    QPageLayout::Millimeter);
            }
        }
        QPageLayout::Orientation o = orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        if (FPrinter->pageLayout().orientation() != o) FPrinter->setPageOrientation(o);
        return *FPrinter;
    }

    std::string FName;
    std::string FOutputFile;
    std::optional<TPageSetup> FSetup;
    mutable std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<QPainter> FPainter;
    std::unique_ptr<TQtCanvasDevice> FDevice;
};

}  // namespace

std::unique_ptr<TPrinterBackend> CreateSystemPrinter(const std::string& name) {
    return std::make_unique<TQtPrinterBackend>(name, std::string(), std::nullopt);
}

std::unique_ptr<TPrinterBackend> CreateQtPdfPrinter(const std::string& name, const std::string& outputFile,
                                                    const TPageSetup& setup) {
    CheckPageSetup(setup);
    return std::make_unique<TQtPrinterBackend>(name, outputFile, setup);
}

std::vector<std::string> SystemPrinterNames(std::string* defaultName) {
    std::vector<std::string> names;
    for (const QString& n : QPrinterInfo::availablePrinterNames()) names.push_back(n.toStdString());
    if (defaultName) *defaultName = QPrinterInfo::defaultPrinterName().toStdString();
    return names;
}

void InstallSystemPrinters() {
    SetSystemPrinterSource([](int32_t& defaultIndex) {
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        std::string defaultName;
        defaultIndex = -1;
        for (const std::string& name : SystemPrinterNames(&defaultName)) {
            if (name == defaultName) defaultIndex = static_cast<int32_t>(list.size());
            list.push_back(CreateSystemPrinter(name));
        }
        return list;
    });
}
