// The printer set-up: the component through the scripted dialog service, and
// the Qt dialog driven with synthetic keys and clicks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/controls/qt/ControlsQt.h"
#include "platform/controls/PrinterSetup.h"
#include "platform/controls/QtPrinter.h"
#include "tests/support/TempFolder.h"

namespace {

// The process's printer replaced by a recording printer and our PDF
// printer, and the scripted dialog service installed.
class PrinterSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::make_unique<TRecordingPrinter>());
        auto pdf = std::make_unique<TPdfFilePrinter>();
        Pdf = pdf.get();
        list.push_back(std::move(pdf));
        PreviousPrinter = SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
        auto scripted = std::make_unique<TScriptedDialogs>();
        Dialogs = scripted.get();
        PreviousDialogs = InstallDialogService(std::move(scripted));
        Folder = TestFolder();
    }
    void TearDown() override {
        InstallDialogService(std::move(PreviousDialogs));
        SetPrinter(std::move(PreviousPrinter));
    }
    template <class W>
    W* Find(TPrinterSetupForm& form, const char* name) {
        W* w = NativeDialog(form)->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QPushButton* Button(TPrinterSetupForm& form, QDialogButtonBox::StandardButton which) {
        return Find<QDialogButtonBox>(form, "buttons")->button(which);
    }
    // Replaces a field's text as a user would: select all, type.
    static void Retype(QWidget* w, const QString& text) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w, text);
    }

    TPdfFilePrinter* Pdf = nullptr;
    TScriptedDialogs* Dialogs = nullptr;
    std::unique_ptr<TPrinter> PreviousPrinter;
    std::unique_ptr<TDialogService> PreviousDialogs;
    std::string Folder;
};

// The application object makes the system's printers the source of the
// process's printer; ours comes after them.
TEST(SystemPrinters, TheProcessPrinterListsTheSystemPrintersThenThePdfFilePrinter) {
    InstallSystemPrinters();
    TPrinter p;
    const std::vector<std::string> names = SystemPrinterNames();
    ASSERT_EQ(p.Printers()->Count(), static_cast<int32_t>(names.size()) + 1);
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(p.Printers()->Strings(static_cast<int32_t>(i)), names[i]);
    EXPECT_EQ(p.Printers()->Strings(static_cast<int32_t>(names.size())), PrinterConst::SPdfPrinterName);
    if (names.empty()) {
        EXPECT_EQ(p.CurrentPrinter(), p.PdfPrinter());
    }
}

TEST_F(PrinterSetupTest, ExecuteGoesThroughTheDialogServiceAndReturnsItsAnswer) {
    TPrinterSetupDialog dialog(nullptr);
    int shown = 0, closed = 0;
    dialog.OnShow = [&](TObject*) { ++shown; };
    dialog.OnClose = [&](TObject*) { ++closed; };
    Dialogs->AnswerPrinterSetup(true).AnswerPrinterSetup(false);
    EXPECT_TRUE(dialog.Execute());
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(closed, 2);
    ASSERT_EQ(Dialogs->Log().size(), 2u);
    EXPECT_EQ(Dialogs->Log()[0].Kind, TDialogKind::PrinterSetup);
    EXPECT_EQ(Dialogs->Pending(), 0u);
}

TEST_F(PrinterSetupTest, TheDialogListsThePrintersAndShowsTheSettings) {
    TPageSetup s;
    s.Paper = TPaperSize::Letter;
    s.MarginTop = 4.5;
    Pdf->SetPageSetup(s);
    Printer()->SetOrientation(poLandscape);
    TPrinterSetupForm form(*Printer());
    auto* printers = Find<QComboBox>(form, "printers");
    ASSERT_EQ(printers->count(), 2);
    EXPECT_EQ(printers->itemText(0).toStdString(), PrinterConst::SRecordingPrinterName);
    EXPECT_EQ(printers->itemText(1).toStdString(), PrinterConst::SPdfPrinterName);
    EXPECT_EQ(printers->currentIndex(), 0);
    EXPECT_TRUE(Find<QRadioButton>(form, "landscape")->isChecked());
    EXPECT_EQ(Find<QComboBox>(form, "paper")->currentText(), "Letter");
    EXPECT_DOUBLE_EQ(Find<QDoubleSpinBox>(form, "top")->value(), 4.5);
    EXPECT_EQ(NativeDialog(form)->windowTitle().toStdString(), PrinterConst::SSetupCaption);
    // The automatic name is explained where the file would go.
    EXPECT_NE(Find<QLineEdit>(form, "file")->placeholderText().toStdString().find(Pdf->EffectiveFolder()),
              std::string::npos);
}

// The line edit cuts a long path: the folder the file goes to is shown in
// full below it, for the automatic names and for a chosen file.
TEST_F(PrinterSetupTest, TheDialogShowsTheOutputFolderInFull) {
    const std::string deep = Folder + "a folder with a rather long name/and another one below it/";
    Pdf->SetOutputFolder(deep);
    TPrinterSetupForm form(*Printer());
    auto* folder = Find<QLabel>(form, "folder");
    EXPECT_EQ(folder->text().toStdString(), "Folder: " + Pdf->EffectiveFolder());
    EXPECT_TRUE(folder->wordWrap());
    Find<QLineEdit>(form, "file")->setText(QString::fromStdString(Folder + "sub/sheet.pdf"));
    EXPECT_EQ(folder->text().toStdString(), "Folder: " + Folder + "sub/");
}

TEST_F(PrinterSetupTest, ChoosingThePdfPrinterWithFilePaperAndMargins) {
    TPrinterSetupForm form(*Printer());
    NativeDialog(form)->show();
    auto* printers = Find<QComboBox>(form, "printers");
    auto* pdfGroup = Find<QGroupBox>(form, "pdf");
    EXPECT_FALSE(pdfGroup->isEnabled());
    printers->setFocus();
    QTest::keyClick(printers, Qt::Key_Down);
    EXPECT_EQ(printers->currentIndex(), 1);
    EXPECT_TRUE(pdfGroup->isEnabled());

    Retype(Find<QLineEdit>(form, "file"), QString::fromStdString(Folder + "sheet.pdf"));
    auto* paper = Find<QComboBox>(form, "paper");
    paper->setFocus();
    QTest::keyClick(paper, Qt::Key_Down);
    Retype(Find<QDoubleSpinBox>(form, "left"), "12.5");
    Retype(Find<QDoubleSpinBox>(form, "bottom"), "7");
    QTest::mouseClick(Find<QRadioButton>(form, "landscape"), Qt::LeftButton);
    QTest::mouseClick(Button(form, QDialogButtonBox::Ok), Qt::LeftButton);

    EXPECT_EQ(NativeDialog(form)->result(), QDialog::Accepted);
    EXPECT_EQ(Printer()->CurrentPrinter(), Pdf);
    EXPECT_EQ(Printer()->Orientation(), poLandscape);
    EXPECT_EQ(Pdf->OutputFile(), Folder + "sheet.pdf");
    EXPECT_EQ(Pdf->PageSetup().Paper, TPaperSize::Letter);
    EXPECT_DOUBLE_EQ(Pdf->PageSetup().MarginLeft, 12.5);
    EXPECT_DOUBLE_EQ(Pdf->PageSetup().MarginBottom, 7);
    EXPECT_DOUBLE_EQ(Pdf->PageSetup().MarginTop, 0);
    EXPECT_EQ(Pdf->PageSetup().Dpi, 600);

    // The next job writes the chosen file.
    Printer()->BeginDoc();
    Printer()->EndDoc();
    EXPECT_EQ(Pdf->LastFile(), Folder + "sheet.pdf");
}

TEST_F(PrinterSetupTest, BrowseAsksForTheFileThroughTheSaveDialog) {
    std::string chosen = Folder + "labels.pdf";
    WriteFile(chosen, "old");
    Pdf->SetOutputFile(chosen);
    Printer()->SetPrinterIndex(1);
    Printer()->BeginDoc();
    Printer()->EndDoc();  // replaces labels.pdf; the next job would go beside it
    EXPECT_EQ(Pdf->LastFile(), chosen);

    // The file exists: the save dialog asks before it is replaced.
    Dialogs->AnswerSave(chosen).AnswerMessageBox(IDYES);
    TPrinterSetupForm form(*Printer());
    NativeDialog(form)->show();
    QTest::mouseClick(Find<QPushButton>(form, "browse"), Qt::LeftButton);
    ASSERT_EQ(Dialogs->Log().size(), 2u);
    EXPECT_EQ(Dialogs->Log()[1].Text, chosen + " already exists.\nDo you want to replace it?");
    const TDialogRequest& save = Dialogs->Log()[0];
    EXPECT_EQ(save.Kind, TDialogKind::SaveFile);
    EXPECT_EQ(save.File.Title, PrinterConst::SSetupSaveTitle);
    EXPECT_EQ(save.File.Filter, PrinterConst::SSetupSaveFilter);
    EXPECT_TRUE(save.File.Options & ofOverwritePrompt);
    EXPECT_EQ(Find<QLineEdit>(form, "file")->text().toStdString(), chosen);
    EXPECT_TRUE(form.Values().FileChosen);
    EXPECT_TRUE(form.Accept());
    // Chosen again, so replaced again.
    Printer()->BeginDoc();
    Printer()->EndDoc();
    EXPECT_EQ(Pdf->LastFile(), chosen);
    EXPECT_EQ(FilesIn(Folder), std::vector<std::string>{"labels.pdf"});
}

TEST_F(PrinterSetupTest, RefusedMarginsKeepTheDialogOpenAndChangeNothing) {
    Dialogs->SetAutoOk(true);
    TPrinterSetupForm form(*Printer());
    NativeDialog(form)->show();
    Find<QComboBox>(form, "printers")->setCurrentIndex(1);
    Retype(Find<QDoubleSpinBox>(form, "left"), "110");
    Retype(Find<QDoubleSpinBox>(form, "right"), "105");
    QTest::mouseClick(Button(form, QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(NativeDialog(form)->isVisible());
    EXPECT_EQ(Dialogs->Messages(), std::vector<std::string>{PrinterConst::SInvalidPageSetup});
    EXPECT_EQ(Dialogs->Log().at(0).Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(Printer()->PrinterIndex(), 0);
    EXPECT_EQ(Pdf->PageSetup(), TPageSetup{});
}

TEST_F(PrinterSetupTest, CancelChangesNothing) {
    TPrinterSetupForm form(*Printer());
    NativeDialog(form)->show();
    Find<QComboBox>(form, "printers")->setCurrentIndex(1);
    Retype(Find<QLineEdit>(form, "file"), "/tmp/elsewhere.pdf");
    QTest::mouseClick(Button(form, QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(NativeDialog(form)->result(), QDialog::Rejected);
    EXPECT_EQ(Printer()->PrinterIndex(), 0);
    EXPECT_EQ(Pdf->OutputFile(), "");
}

// The handler behind the service's entry runs the dialog modally.
TEST_F(PrinterSetupTest, TheInstalledHandlerRunsTheDialogModally) {
    InstallPrinterSetupHandler();
    bool clicked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->findChild<QComboBox*>("printers")->setCurrentIndex(1);
        dialog->findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click();
        clicked = true;
    });
    EXPECT_TRUE(RunPrinterSetupHandler());
    EXPECT_TRUE(clicked);
    EXPECT_EQ(Printer()->CurrentPrinter(), Pdf);
}

TEST_F(PrinterSetupTest, ApplyingDuringAJobIsRefused) {
    TPrinterSetupValues v = ReadPrinterSetup(*Printer());
    v.PrinterIndex = 1;
    Printer()->BeginDoc();
    EXPECT_THROW(ApplyPrinterSetup(*Printer(), v), EPrinter);
    Printer()->Abort();
    ApplyPrinterSetup(*Printer(), v);
    EXPECT_EQ(Printer()->PrinterIndex(), 1);
}

}  // namespace
