// Printing one barcode on the recording printer, and the clipboard.
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "designer/BarcodeImage.h"
#include "platform/controls/Clipbrd.h"
#include "platform/controls/ComCtrls.h"
#include "platform/printing/Printers.h"
#include "platform/graphics/Metafile.h"
#include "tests/designer/DesignerFixture.h"

namespace {

class PrintTest : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
        Previous = SetPrinter(std::make_unique<TPrinter>(std::vector<std::unique_ptr<TPrinterBackend>>{}, -1));
        TPageSetup setup;
        setup.MarginLeft = 5;
        setup.MarginTop = 8;
        Recorder = InstallRecordingPrinter(setup);
        UserChoose(Form1->ComboBox1, 4);
        Form1->Edit1->SetText("PRINT");
        Form1->Barcode1->SetBar_Rotation(rotate_000);
    }
    void TearDown() override {
        SetPrinter(std::move(Previous));
        DesignerFixture::TearDown();
    }
    std::vector<TRecordedCall> Bars(size_t job) const {
        std::vector<TRecordedCall> bars;
        for (const TRecordedCall& c : Recorder->Jobs()[job].Pages[0])
            if (c.Kind == TRecordedKind::FillRect && c.Brush.Color == clBlack) bars.push_back(c);
        return bars;
    }
    TRecordingPrinter* Recorder = nullptr;
    std::unique_ptr<TPrinter> Previous;
};

TEST_F(PrintTest, OnePageWithTheSymbolAtFiftyBySixtyMillimetres) {
    Form1->Print1->Click();
    ASSERT_EQ(Recorder->Jobs().size(), 1u);
    const TRecordedJob& job = Recorder->Jobs()[0];
    EXPECT_TRUE(job.Ended);
    EXPECT_EQ(job.Pages.size(), 1u);
    EXPECT_EQ(job.Title, "Varsona Barcode");
    const auto bars = Bars(0);
    ASSERT_FALSE(bars.empty());
    // Device pixels start at the printable area: 5 mm and 8 mm in at 600 dpi.
    const TPoint offset = Printer()->PrintingOffset();
    EXPECT_EQ(offset, (TPoint{118, 189}));
    EXPECT_EQ(bars[0].Rect.Left + offset.X, 1181);
    EXPECT_EQ(bars[0].Rect.Top + offset.Y, 1417);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    // The window's symbol is left as it was.
    EXPECT_EQ(Form1->Barcode1->Bar_Caption(), "PRINT");
    ASSERT_NE(Form1->PrintBarcode1, nullptr);
    EXPECT_FALSE(Form1->PrintBarcode1->Visible() && Form1->PrintBarcode1->Parent());
}

TEST_F(PrintTest, ZoomAndRatioAreNotCopiedTheRestIs) {
    Form1->Zoom1->Click();
    Form1->N3to11->Click();
    Form1->N1501->Click();
    Form1->N702->Click();
    Form1->HumanReadable1->Click();
    Form1->Barcode1->SetBar_Rotation(rotate_090);
    Form1->Print1->Click();
    const TBarcode& p = *Form1->PrintBarcode1;
    EXPECT_EQ(p.Bar_ModuleWidth(), SC2);
    EXPECT_EQ(p.Bar_Ratio(), Ratio_3);
    EXPECT_EQ(p.Bar_HeightPercent(), 150);
    EXPECT_EQ(p.Bar_Fontscaling(), 70);
    EXPECT_FALSE(p.Bar_HumanReadable());
    EXPECT_EQ(p.Bar_Rotation(), rotate_090);
    EXPECT_EQ(p.Bar_CodeType(), CODE39);
    EXPECT_EQ(p.Bar_Caption(), "PRINT");
    // Rotated, the narrow bars lie across: 8 pixels high at 600 dpi.
    int narrow = 1 << 30;
    for (const TRecordedCall& c : Bars(0)) narrow = std::min(narrow, c.Rect.Height());
    EXPECT_EQ(narrow, 8);
}

TEST_F(PrintTest, FailedPrintShowsTheErrorAndRestoresThePointer) {
    Recorder->FailNextBeginDoc("Printer out of paper");
    GuardedCall(Form1->Print1, [] { Form1->Print1->Click(); });
    ASSERT_EQ(Dialogs->Messages().size(), 1u);
    EXPECT_EQ(Dialogs->Messages()[0], "Printer out of paper.");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(Printer()->Printing());
    // The next print works.
    Form1->Print1->Click();
    EXPECT_EQ(Recorder->Jobs().back().Pages.size(), 1u);
    EXPECT_TRUE(Recorder->Jobs().back().Ended);
}

// A print says where it went: the PDF file's name, else the printer's.
TEST_F(PrintTest, TheStatusBarTellsWhereThePrintWent) {
    Form1->Print1->Click();
    EXPECT_EQ(Form1->StatusBar1->SimpleText(), "Printed on Recording Printer");
    auto pdf = std::make_unique<TPdfFilePrinter>();
    pdf->SetOutputFolder(Root);
    Printer()->SetPrinterIndex(Printer()->AddPrinter(std::move(pdf)));
    Form1->Print1->Click();
    const std::string file = Root + "/Varsona Barcode.pdf";
    EXPECT_EQ(Form1->StatusBar1->SimpleText(), "Printed to " + file);
    EXPECT_EQ(ReadFileBytes(file).substr(0, 5), "%PDF-");
}

TEST_F(PrintTest, PrinterSetupRunsTheSetUpDialog) {
    Dialogs->AnswerPrinterSetup(false);
    Form1->PrinterSetup1->Click();
    ASSERT_FALSE(Dialogs->Log().empty());
    EXPECT_EQ(Dialogs->Log().back().Kind, TDialogKind::PrinterSetup);
    EXPECT_EQ(Dialogs->Pending(), 0u);
    EXPECT_TRUE(Form1->MainMenu1->FindShortCut(TextToShortCut("Ctrl+Alt+P")) == Form1->PrinterSetup1);
}

// The main window showing an EAN-13 symbol.
class Ean13Test : public DesignerFixture {
protected:
    void SetUp() override {
        DesignerFixture::SetUp();
        MakeSettingsFolder();
        StartForms();
        UserChoose(Form1->ComboBox1, 1);
        Form1->Edit1->SetText("590123412345");
    }
};

class ClipboardTest : public Ean13Test {
protected:
    void SetUp() override {
        Ean13Test::SetUp();
        Clipboard()->Clear();
    }
};

TEST_F(ClipboardTest, BitmapFormatPutsTheBitmap) {
    Form1->Metafile1->Click();
    Form1->Copy1->Click();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_FALSE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    TBitmap seen;
    ASSERT_TRUE(Clipboard()->GetBitmap(seen));
    const TImageLayout l = LayoutBarcodeImage(*Form1->Barcode1, 1, {});
    EXPECT_EQ(seen.Width(), l.Width);
    EXPECT_EQ(seen.Height(), l.Height);
}

TEST_F(ClipboardTest, MetafileFormatPutsTheMetafileWithABitmapBeside) {
    Form1->Metafile2->Click();
    Form1->C31->Click();
    Form1->Copy1->Click();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    const std::string emf = Clipboard()->MetafileBytes();
    ASSERT_GT(emf.size(), 88u);
    EXPECT_EQ(emf.substr(40, 4), " EMF");
    TMetafile metafile;
    TStringStream stream(emf);
    metafile.LoadFromStream(stream);
    EXPECT_GT(metafile.RecordCount(), 30);
    TBitmap seen;
    ASSERT_TRUE(Clipboard()->GetBitmap(seen));
    EXPECT_EQ(seen.Width(), LayoutBarcodeImage(*Form1->Barcode1, 3, {}).Width);
}

TEST_F(ClipboardTest, ToolButtonAndShortcutCopyToo) {
    Form1->ToolButton3->Click();
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    Clipboard()->Clear();
    EXPECT_TRUE(Form1->MainMenu1->IsShortCut('C', ssCtrl));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
}

// ---------------------------------------------------------------- save as image

struct TFormatRow {
    const char* Name;
    int32_t FilterIndex;
    const char* Extension;
    size_t MagicAt;
    std::string Magic;
};
const std::vector<TFormatRow>& FormatRows() {
    static const std::vector<TFormatRow> rows = {
        {"BMP", 1, "bmp", 0, "BM"},
        {"GIF", 2, "gif", 0, "GIF8"},
        {"TIFF", 3, "tif", 0, "II*"},
        {"WMF", 4, "wmf", 0, "\xD7\xCD\xC6\x9A"},
        {"EMF", 5, "emf", 40, " EMF"},
        {"JPEG", 6, "jpg", 0, "\xFF\xD8\xFF"},
    };
    return rows;
}

class SaveImageTest : public Ean13Test {
protected:
    void SetUp() override {
        Ean13Test::SetUp();
        Folder = Root + "/pictures";
        std::filesystem::create_directories(Folder);
    }
    void SaveAs(const std::string& typed, int32_t filterIndex) {
        Dialogs->AnswerSave(typed, filterIndex);
        UserClick(Form1->SaveBarcode1);
    }
    std::vector<std::string> FilesIn(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Folder;
};

// A name typed without an extension gets the chosen format's: the GIF filter
// and "label" write label.gif, a GIF.
TEST_F(SaveImageTest, ANameWithoutExtensionGetsTheChosenFormats) {
    for (const TFormatRow& r : FormatRows()) {
        SCOPED_TRACE(r.Name);
        std::filesystem::remove_all(Folder);
        std::filesystem::create_directories(Folder);
        SaveAs(Folder + "/label", r.FilterIndex);
        EXPECT_EQ(FilesIn(Folder), std::vector<std::string>{std::string("label.") + r.Extension});
        const std::string bytes = ReadFileBytes(Folder + "/label." + r.Extension);
        EXPECT_EQ(bytes.substr(r.MagicAt, r.Magic.size()), r.Magic);
    }
    EXPECT_TRUE(Dialogs->Messages().empty());
}

// Replacing a file is asked about the final name: "label" with the BMP
// filter asks about label.bmp; No keeps it.
TEST_F(SaveImageTest, ReplacingAFileIsAskedAboutTheFinalName) {
    const std::string file = Folder + "/label.bmp";
    ASSERT_TRUE(WriteFileAtomically(file, "old"));
    Dialogs->AnswerSave(Folder + "/label", 1).AnswerMessageBox(IDNO).CancelSave();
    UserClick(Form1->SaveBarcode1);
    EXPECT_EQ(ReadFileBytes(file), "old");
    ASSERT_GE(Dialogs->Log().size(), 2u);
    EXPECT_EQ(Dialogs->Log()[1].Text, file + " already exists.\nDo you want to replace it?");
    Dialogs->AnswerSave(Folder + "/label", 1).AnswerMessageBox(IDYES);
    UserClick(Form1->SaveBarcode1);
    EXPECT_EQ(ReadFileBytes(file).substr(0, 2), "BM");
}

// A save that cannot be written whole (the disk full) says so and leaves the
// file it would replace as it was, with no temporary file beside it.
TEST_F(SaveImageTest, AFullDiskLeavesTheOldFileWholeAndSaysSo) {
    struct Disk {
        const char* Name;
        std::function<bool()> Fill;  // false: not possible here
        std::function<void()> Free;
    };
    rlimit before{};
    getrlimit(RLIMIT_FSIZE, &before);
    const std::vector<Disk> disks = {
        {"writes beyond a file size limit fail",
         [&] {
             signal(SIGXFSZ, SIG_IGN);
             rlimit small = before;
             small.rlim_cur = 64;
             return setrlimit(RLIMIT_FSIZE, &small) == 0;
         },
         [&] { setrlimit(RLIMIT_FSIZE, &before); }},
        {"a full file system",
         [&] {
             if (geteuid() != 0 || mount("tmpfs", Folder.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
             for (const TFormatRow& r : FormatRows())
                 WriteFileAtomically(Folder + "/label." + r.Extension, "old");
             std::FILE* filler = std::fopen((Folder + "/filler").c_str(), "wb");
             const std::string block(4096, 'x');
             while (filler && std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
                    std::fflush(filler) == 0) {
             }
             if (filler) std::fclose(filler);
             return true;
         },
         [&] { umount(Folder.c_str()); }},
    };
    for (const Disk& disk : disks) {
        SCOPED_TRACE(disk.Name);
        for (const TFormatRow& r : FormatRows()) WriteFileAtomically(Folder + "/label." + r.Extension, "old");
        if (!disk.Fill()) continue;
        const std::vector<std::string> files = FilesIn(Folder);
        for (const TFormatRow& r : FormatRows()) {
            SCOPED_TRACE(r.Name);
            Dialogs->Clear();
            const std::string file = Folder + "/label." + r.Extension;
            Dialogs->AnswerSave(file, r.FilterIndex).AnswerMessageBox(IDYES);
            UserClick(Form1->SaveBarcode1);
            // (No ASSERT here: the disk must be freed below.)
            const std::vector<std::string> messages = Dialogs->Messages();
            EXPECT_EQ(messages.size(), 2u);
            const std::string said = messages.empty() ? std::string() : messages.back();
            EXPECT_EQ(said.rfind("Cannot create file \"" + file + "\". ", 0), 0u) << said;
            EXPECT_EQ(ReadFileBytes(file), "old");
            EXPECT_EQ(FilesIn(Folder), files);
        }
        disk.Free();
    }
}

}  // namespace
