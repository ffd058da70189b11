// The printer set-up: TPrinterSetupDialog asks the dialog service, whose Qt
// implementation runs the dialog below through the handler installed here.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/controls/PrinterSetup.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- the Qt dialog

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The platform's "&Name:" mnemonics are Qt's too.
QDoubleSpinBox* MarginBox(const char* name, double value) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(0, 150);
    box->setDecimals(1);
    box->setSingleStep(1);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

}  // namespace

struct TPrinterSetupForm::Impl {
    TPrinter& Printer;
    std::unique_ptr<QDialog> Dialog;
    QComboBox* Printers = nullptr;
    QRadioButton* Portrait = nullptr;
    QRadioButton* Landscape = nullptr;
    QGroupBox* PdfGroup = nullptr;
    QLineEdit* File = nullptr;
    QLabel* Folder = nullptr;
    QPushButton* Browse = nullptr;
    QComboBox* Paper = nullptr;
    QDoubleSpinBox* Left = nullptr;
    QDoubleSpinBox* Top = nullptr;
    QDoubleSpinBox* Right = nullptr;
    QDoubleSpinBox* Bottom = nullptr;
    TPrinterSetupValues Initial;
    bool FileChosen = false;

    explicit Impl(TPrinter& printer) : Printer(printer), Initial(ReadPrinterSetup(printer)) {}

    int32_t PdfIndex() const { return Printer.IndexOf(Printer.PdfPrinter()); }

    void Build() {
        Dialog = std::make_unique<QDialog>(QApplication::activeWindow());
        Dialog->setObjectName(QStringLiteral("PrinterSetupDialog"));
        Dialog->setWindowTitle(QString::fromLatin1(PrinterConst::SSetupCaption));
        auto* layout = new QVBoxLayout(Dialog.get());

        auto* printerBox = new QGroupBox;
        auto* printerForm = new QFormLayout(printerBox);
        Printers = new QComboBox;
        Printers->setObjectName(QStringLiteral("printers"));
        TStrings* names = Printer.Printers();
        for (int32_t i = 0; i < names->Count(); ++i) Printers->addItem(Q(names->Strings(i)));
        Printers->setCurrentIndex(Initial.PrinterIndex);
        auto* nameLabel = new QLabel(QString::fromLatin1(PrinterConst::SSetupPrinter));
        nameLabel->setBuddy(Printers);
        printerForm->addRow(nameLabel, Printers);
        layout->addWidget(printerBox);

        auto* orientationBox = new QGroupBox(QString::fromLatin1(PrinterConst::SSetupOrientation));
        auto* orientationRow = new QHBoxLayout(orientationBox);
        Portrait = new QRadioButton(QString::fromLatin1(PrinterConst::SSetupPortrait));
        Portrait->setObjectName(QStringLiteral("portrait"));
        Landscape = new QRadioButton(QString::fromLatin1(PrinterConst::SSetupLandscape));
        Landscape->setObjectName(QStringLiteral("landscape"));
        (Initial.Orientation == poLandscape ? Landscape : Portrait)->setChecked(true);
        orientationRow->addWidget(Portrait);
        orientationRow->addWidget(Landscape);
        layout->addWidget(orientationBox);

        PdfGroup = new QGroupBox(QString::fromLatin1(PrinterConst::SPdfPrinterName));
        PdfGroup->setObjectName(QStringLiteral("pdf"));
        auto* pdfForm = new QFormLayout(PdfGroup);
        auto* fileRow = new QHBoxLayout;
        File = new QLineEdit(Q(Initial.OutputFile));
        File->setObjectName(QStringLiteral("file"));
        if (TPdfFilePrinter* pdf = Printer.PdfPrinter())
            File->setPlaceholderText(Q(FmtMsg(PrinterConst::SSetupAutomaticFile, pdf->EffectiveFolder())));
        Browse = new QPushButton(QString::fromLatin1(PrinterConst::SSetupBrowse));
        Browse->setObjectName(QStringLiteral("browse"));
        fileRow->addWidget(File, 1);
        fileRow->addWidget(Browse);
        auto* fileLabel = new QLabel(QString::fromLatin1(PrinterConst::SSetupFile));
        fileLabel->setBuddy(File);
        pdfForm->addRow(fileLabel, fileRow);
        // The line edit cuts a long path; the folder is shown whole here.
        Folder = new QLabel;
        Folder->setObjectName(QStringLiteral("folder"));
        Folder->setWordWrap(true);
        Folder->setTextInteractionFlags(Qt::TextSelectableByMouse);
        pdfForm->addRow(QString(), Folder);
        Paper = new QComboBox;
        Paper->setObjectName(QStringLiteral("paper"));
        Paper->addItem(QString::fromLatin1(PaperSizeName(TPaperSize::A4)));
        Paper->addItem(QString::fromLatin1(PaperSizeName(TPaperSize::Letter)));
        Paper->setCurrentIndex(Initial.PageSetup.Paper == TPaperSize::Letter ? 1 : 0);
        auto* paperLabel = new QLabel(QString::fromLatin1(PrinterConst::SSetupPaper));
        paperLabel->setBuddy(Paper);
        pdfForm->addRow(paperLabel, Paper);
        auto* marginBox = new QGroupBox(QString::fromLatin1(PrinterConst::SSetupMargins));
        auto* marginForm = new QFormLayout(marginBox);
        const TPageSetup& s = Initial.PageSetup;
        Left = MarginBox("left", s.MarginLeft);
        Top = MarginBox("top", s.MarginTop);
        Right = MarginBox("right", s.MarginRight);
        Bottom = MarginBox("bottom", s.MarginBottom);
        for (auto [label, box] : {std::pair{PrinterConst::SSetupLeft, Left}, {PrinterConst::SSetupTop, Top},
                                  {PrinterConst::SSetupRight, Right}, {PrinterConst::SSetupBottom, Bottom}}) {
            auto* l = new QLabel(QString::fromLatin1(label));
            l->setBuddy(box);
            marginForm->addRow(l, box);
        }
        pdfForm->addRow(marginBox);
        layout->addWidget(PdfGroup);

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        buttons->setObjectName(QStringLiteral("buttons"));
        layout->addWidget(buttons);

        QObject::connect(Printers, &QComboBox::currentIndexChanged, Dialog.get(), [this] { UpdatePdfGroup(); });
        QObject::connect(Browse, &QPushButton::clicked, Dialog.get(), [this] { ChooseFile(); });
        QObject::connect(File, &QLineEdit::textEdited, Dialog.get(), [this] { FileChosen = false; });
        QObject::connect(File, &QLineEdit::textChanged, Dialog.get(), [this] { ShowFolder(); });
        QObject::connect(buttons, &QDialogButtonBox::accepted, Dialog.get(), [this] { Accept(); });
        QObject::connect(buttons, &QDialogButtonBox::rejected, Dialog.get(), [this] { Dialog->reject(); });
        UpdatePdfGroup();
        ShowFolder();
    }

    // The chosen file's folder, else the folder of the automatic names.
    void ShowFolder() {
        std::string file = File->text().trimmed().toStdString();
        std::string folder = file.empty() ? std::string() : ExtractFilePath(ExpandFileName(file));
        if (folder.empty())
            if (TPdfFilePrinter* pdf = Printer.PdfPrinter()) folder = pdf->EffectiveFolder();
        Folder->setText(Q(FmtMsg(PrinterConst::SSetupFolder, folder)));
    }

    // The PDF settings matter only while the PDF-file printer is chosen.
    void UpdatePdfGroup() { PdfGroup->setEnabled(Printers->currentIndex() == PdfIndex() && PdfIndex() >= 0); }

    void ChooseFile() {
        TSaveDialog save(nullptr);
        save.SetTitle(PrinterConst::SSetupSaveTitle);
        save.SetFilter(PrinterConst::SSetupSaveFilter);
        save.SetDefaultExt("pdf");
        save.SetOptions(ofOverwritePrompt | ofHideReadOnly | ofPathMustExist);
        std::string current = File->text().toStdString();
        if (!current.empty()) save.SetFileName(current);
        else if (TPdfFilePrinter* pdf = Printer.PdfPrinter()) save.SetInitialDir(pdf->EffectiveFolder());
        if (!save.Execute()) return;
        File->setText(Q(save.FileName()));
        FileChosen = true;
    }

    TPrinterSetupValues Values() const {
        TPrinterSetupValues v = Initial;
        v.PrinterIndex = Printers->currentIndex();
        v.Orientation = Landscape->isChecked() ? poLandscape : poPortrait;
        v.OutputFile = File->text().trimmed().toStdString();
        v.FileChosen = FileChosen;
        v.PageSetup.Paper = Paper->currentIndex() == 1 ? TPaperSize::Letter : TPaperSize::A4;
        v.PageSetup.MarginLeft = Left->value();
        v.PageSetup.MarginTop = Top->value();
        v.PageSetup.MarginRight = Right->value();
        v.PageSetup.MarginBottom = Bottom->value();
        return v;
    }

    bool Accept() {
        try {
            ApplyPrinterSetup(Printer, Values());
        } catch (const EPrinter& e) {
            DialogService().MessageBox(e.Message(), PrinterConst::SSetupCaption, MB_OK | MB_ICONERROR);
            return false;
        }
        Dialog->accept();
        return true;
    }
};

TPrinterSetupForm::TPrinterSetupForm(TPrinter& printer) : FImpl(std::make_unique<Impl>(printer)) { FImpl->Build(); }
TPrinterSetupForm::~TPrinterSetupForm() = default;
QDialog* TNativeAccess::Dialog(const TPrinterSetupForm& form) { return form.FImpl->Dialog.get(); }
QDialog* NativeDialog(const TPrinterSetupForm& form) { return TNativeAccess::Dialog(form); }
TPrinterSetupValues TPrinterSetupForm::Values() const { return FImpl->Values(); }
bool TPrinterSetupForm::Accept() { return FImpl->Accept(); }
bool TPrinterSetupForm::Exec() { return FImpl->Dialog->exec() == QDialog::Accepted; }

// ---------------------------------------------------------------- the component

void InstallPrinterSetupHandler() {
    SetPrinterSetupHandler([] {
        TPrinterSetupForm form(*Printer());
        return form.Exec();
    });
}

TPrinterSetupDialog::TPrinterSetupDialog(TComponent* owner) : TCommonDialog(owner) { InstallPrinterSetupHandler(); }

bool TPrinterSetupDialog::Execute() {
    InstallPrinterSetupHandler();
    if (OnShow) OnShow(this);
    bool ok = DialogService().PrinterSetup();
    if (OnClose) OnClose(this);
    return ok;
}
