// Drag and drop of the grid: the drop target fed by synthetic Qt drag
// events through the platform's adapter, the reader of dropped data, and
// the drag source with its format enumerator.
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "grid/ddintf.h"
#include "platform/controls/ExtCtrls.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

// Records what a drop handed over.
class TLoggingTarget : public TDropTarget {
public:
    std::vector<std::string> Log;
    std::vector<std::string> Files;
    TPoint LastPoint;

protected:
    void DropText(TPoint Point, const std::string& Text) override {
        Log.push_back("text " + Text);
        LastPoint = Point;
    }
    void DropRTF(TPoint Point, const std::string& Text) override {
        Log.push_back("rtf " + Text);
        LastPoint = Point;
    }
    void DropFiles(TPoint Point, TStrings* Names) override {
        Log.push_back("files");
        for (int32_t i = 0; i < Names->Count(); ++i) Files.push_back(Names->Strings(i));
    }
};

// A data object of fixed formats and bytes, as another program's would be.
class TFixedDataObject : public IDataObject {
public:
    std::vector<std::pair<TClipboardFormat, std::string>> Entries;
    bool RefuseEnumerator = false;

    HRESULT GetData(const FORMATETC& f, STGMEDIUM& m) override {
        for (const auto& [format, bytes] : Entries)
            if (format == f.cfFormat && (f.tymed & TYMED_HGLOBAL)) {
                m.tymed = TYMED_HGLOBAL;
                m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
                std::copy(bytes.begin(), bytes.end(), GlobalLock(m.hGlobal));
                return S_OK;
            }
        return DV_E_FORMATETC;
    }
    HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
    HRESULT QueryGetData(const FORMATETC&) override { return DV_E_FORMATETC; }
    HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC&) override { return E_NOTIMPL; }
    HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD, std::shared_ptr<IEnumFORMATETC>& e) override {
        if (RefuseEnumerator) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& entry : Entries) {
            FORMATETC f;
            f.cfFormat = entry.first;
            f.tymed = TYMED_HGLOBAL;
            list.push_back(f);
        }
        e = CreateFormatEnumerator(list);
        return S_OK;
    }
    HRESULT DAdvise(const FORMATETC&, DWORD, const std::shared_ptr<IAdviseSink>&, DWORD&) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(std::shared_ptr<IEnumSTATDATA>&) override { return OLE_E_ADVISENOTSUPPORTED; }
};

std::vector<TClipboardFormat> FormatsOf(const std::vector<FORMATETC>& list, ULONG n) {
    std::vector<TClipboardFormat> out;
    for (ULONG i = 0; i < n; ++i) out.push_back(list[i].cfFormat);
    return out;
}

TEST(SourceFormats, TheEnumeratorGivesTextUnicodeAndRichTextThenEnds) {
    TSourceDataObject data("A1\tB1", "{\\rtf1 A1}");
    std::shared_ptr<IEnumFORMATETC> e;
    ASSERT_EQ(data.EnumFormatEtc(DATADIR_GET, e), S_OK);
    const std::vector<TClipboardFormat> all = {CF_TEXT, CF_UNICODETEXT, RichTextClipboardFormat()};
    std::vector<FORMATETC> got(4);
    ULONG fetched = 99;
    EXPECT_EQ(e->Next(3, got.data(), &fetched), S_OK);
    EXPECT_EQ(FormatsOf(got, fetched), all);
    for (ULONG i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].dwAspect, DVASPECT_CONTENT);
        EXPECT_EQ(got[i].lindex, -1);
        EXPECT_EQ(got[i].tymed, TYMED_HGLOBAL);
        EXPECT_EQ(got[i].ptd, nullptr);
    }
    // At the end: S_FALSE and nothing.
    EXPECT_EQ(e->Next(3, got.data(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    // Asking for more than is left gives what is left.
    e->Reset();
    EXPECT_EQ(e->Skip(1), S_OK);
    EXPECT_EQ(e->Next(4, got.data(), &fetched), S_FALSE);
    EXPECT_EQ(FormatsOf(got, fetched), (std::vector<TClipboardFormat>{CF_UNICODETEXT, RichTextClipboardFormat()}));
    // Skipping to the end is still S_OK; past it, S_FALSE at the end.
    e->Reset();
    EXPECT_EQ(e->Skip(3), S_OK);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(static_cast<TSourceEnumFormatEtc&>(*e).Index(), 3);
    std::shared_ptr<IEnumFORMATETC> clone;
    ASSERT_EQ(e->Clone(clone), S_OK);
    EXPECT_EQ(clone->Next(1, got.data(), nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
    // No enumerator for setting data.
    EXPECT_EQ(data.EnumFormatEtc(DATADIR_SET, e), E_NOTIMPL);
    EXPECT_EQ(e, nullptr);
}

TEST(SourceFormats, TheDataComesInGlobalMemoryZeroTerminated) {
    TSourceDataObject data("Grüße", "{\\rtf1 G}");
    auto bytesOf = [&](TClipboardFormat format) {
        FORMATETC f = TSourceEnumFormatEtc::Entry(0);
        f.cfFormat = format;
        STGMEDIUM m;
        EXPECT_EQ(data.GetData(f, m), S_OK);
        return std::string(GlobalLock(m.hGlobal), GlobalSize(m.hGlobal));
    };
    EXPECT_EQ(bytesOf(CF_TEXT), std::string("Grüße") + '\0');
    EXPECT_EQ(bytesOf(CF_UNICODETEXT), std::string("G\0r\0\xFC\0\xDF\0e\0\0\0", 12));
    EXPECT_EQ(bytesOf(RichTextClipboardFormat()), std::string("{\\rtf1 G}") + '\0');

    struct Row {
        const char* Name;
        FORMATETC Format;
    };
    FORMATETC icon = TSourceEnumFormatEtc::Entry(0);
    icon.dwAspect = DVASPECT_ICON;
    FORMATETC file = TSourceEnumFormatEtc::Entry(0);
    file.tymed = TYMED_FILE;
    FORMATETC hdrop = TSourceEnumFormatEtc::Entry(0);
    hdrop.cfFormat = CF_HDROP;
    for (const Row& row : {Row{"icon aspect", icon}, Row{"file medium", file}, Row{"file list", hdrop}}) {
        SCOPED_TRACE(row.Name);
        STGMEDIUM m;
        EXPECT_EQ(data.QueryGetData(row.Format), DV_E_FORMATETC);
        EXPECT_EQ(data.GetData(row.Format, m), DV_E_FORMATETC);
    }
    STGMEDIUM m;
    EXPECT_EQ(data.GetDataHere(TSourceEnumFormatEtc::Entry(0), m), DV_E_FORMATETC);
    EXPECT_EQ(data.SetData(TSourceEnumFormatEtc::Entry(0), m, true), DV_E_FORMATETC);
    DWORD connection = 0;
    EXPECT_EQ(data.DAdvise(TSourceEnumFormatEtc::Entry(0), 0, nullptr, connection), OLE_E_ADVISENOTSUPPORTED);
}

TEST(SourceFormats, ADragWithoutRichTextOffersNone) {
    TSourceDataObject data("plain", "");
    std::shared_ptr<IEnumFORMATETC> e;
    ASSERT_EQ(data.EnumFormatEtc(DATADIR_GET, e), S_OK);
    std::vector<FORMATETC> got(3);
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(3, got.data(), &fetched), S_FALSE);
    EXPECT_EQ(FormatsOf(got, fetched), (std::vector<TClipboardFormat>{CF_TEXT, CF_UNICODETEXT}));
    EXPECT_EQ(data.QueryGetData(TSourceEnumFormatEtc::Entry(2)), DV_E_FORMATETC);
}

TEST(DropSource, EscapeCancelsAndReleasingTheButtonDrops) {
    TDropSource source;
    EXPECT_EQ(source.QueryContinueDrag(true, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(source.QueryContinueDrag(false, MK_CONTROL), DRAGDROP_S_DROP);
    EXPECT_EQ(source.QueryContinueDrag(false, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(source.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST(EnumFormats, ReadsTextRichTextAndFilesOfAnyDataObject) {
    auto data = std::make_shared<TFixedDataObject>();
    const std::vector<std::string> names = {"/tmp/labels 2024.csv", "/home/jörg/Preise.xls"};
    data->Entries = {{CF_UNICODETEXT, std::string("x\0\0\0", 4)},
                     {CF_TEXT, std::string("Größe\0rest", 11)},
                     {RichTextClipboardFormat(), "{\\rtf1 b}"},
                     {CF_HDROP, DropFilesBlock(names, true)}};
    TEnumFormats formats(data);
    EXPECT_FALSE(formats.Valid());
    EXPECT_EQ(formats.GetPlainText(), "Größe");
    EXPECT_EQ(formats.FormatEtc().cfFormat, CF_TEXT);
    EXPECT_EQ(formats.Count(), 2);
    EXPECT_EQ(formats.GetRTFText(), "{\\rtf1 b}");
    ASSERT_TRUE(formats.HasFiles());
    ASSERT_TRUE(formats.GetFiles());
    EXPECT_EQ(formats.FileNames()->Strings(0), names[0]);
    EXPECT_EQ(formats.FileNames()->Strings(1), names[1]);
    // Walking past the end leaves no entry.
    EXPECT_FALSE(formats.HasFormat(CF_ENHMETAFILE));
    EXPECT_FALSE(formats.Valid());
    EXPECT_EQ(formats.Count(), 5);
    EXPECT_EQ(formats.GetText(CF_ENHMETAFILE), "");
}

TEST(EnumFormats, WideAndEightBitFileListsGiveTheSameNames) {
    const std::vector<std::string> names = {"C:/Daten/Etiketten.csv", "/tmp/Übersicht.xls"};
    auto wide = std::make_shared<TFixedDataObject>();
    wide->Entries = {{CF_HDROP, DropFilesBlock(names, true)}};
    // An 8-bit list from an older program holds Windows-1252 bytes.
    auto narrow = std::make_shared<TFixedDataObject>();
    std::string block = DropFilesBlock({}, false);
    block.resize(kDropFilesHeaderSize);
    block += std::string("C:/Daten/Etiketten.csv") + '\0' + "/tmp/\xDC" "bersicht.xls" + '\0' + '\0';
    narrow->Entries = {{CF_HDROP, block}};
    for (auto& data : {wide, narrow}) {
        TEnumFormats formats(data);
        ASSERT_TRUE(formats.HasFiles());
        ASSERT_TRUE(formats.GetFiles());
        EXPECT_EQ(formats.FileNames()->Text(), "C:/Daten/Etiketten.csv\n/tmp/Übersicht.xls\n");
    }
}

TEST(EnumFormats, AFileListOfThisProcessArrivesAsItsNames) {
    const std::vector<std::string> names = {"/tmp/labels 2024.csv", "/home/jörg/Preise.xls"};
    TDragData drag;
    drag.SetFiles(names);
    std::shared_ptr<IDataObject> object = DataObjectOfDrag(drag);
    ASSERT_NE(InProcessFileList(*object), nullptr);
    EXPECT_EQ(InProcessFileList(TFixedDataObject()), nullptr);
    TEnumFormats formats(object);
    ASSERT_TRUE(formats.HasFiles());
    ASSERT_TRUE(formats.GetFiles());
    EXPECT_EQ(formats.FileNames()->Text(), "/tmp/labels 2024.csv\n/home/jörg/Preise.xls\n");
    EXPECT_EQ(DragDataOfObject(*object).Files(), names);
    // Whoever asks for the bytes still gets the block.
    FORMATETC format;
    format.cfFormat = CF_HDROP;
    format.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium;
    ASSERT_EQ(object->GetData(format, medium), S_OK);
    EXPECT_EQ(DropFilesNames(GlobalLock(medium.hGlobal), GlobalSize(medium.hGlobal)), names);
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(medium);
}

TEST(EnumFormats, AFileListFromAnotherProgramIsReadNoFurtherThanItsMemory) {
    struct Row {
        const char* Name;
        std::string Block;
        std::vector<std::string> Names;
    };
    std::string header = DropFilesBlock({}, false).substr(0, kDropFilesHeaderSize);
    std::string farOffset = header;
    farOffset[0] = '\x7F';
    farOffset[1] = '\x7F';
    std::string wideHeader = DropFilesBlock({}, true).substr(0, kDropFilesHeaderSize);
    const Row rows[] = {
        {"no terminator", header + "/a.csv", {"/a.csv"}},
        {"offset past the end", farOffset + "/a.csv", {}},
        {"short header", std::string(8, '\0'), {}},
        {"wide, cut in a character", wideHeader + std::string("/\0a\0b", 5), {"/a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        auto data = std::make_shared<TFixedDataObject>();
        data->Entries = {{CF_HDROP, row.Block}};
        TEnumFormats formats(data);
        ASSERT_TRUE(formats.HasFiles());
        EXPECT_EQ(formats.GetFiles(), !row.Names.empty());
        std::vector<std::string> got;
        for (int32_t i = 0; i < formats.FileNames()->Count(); ++i) got.push_back(formats.FileNames()->Strings(i));
        EXPECT_EQ(got, row.Names);
    }
}

TEST(EnumFormats, ADataObjectWithoutAnEnumeratorFailsTheAssertion) {
    auto data = std::make_shared<TFixedDataObject>();
    data->RefuseEnumerator = true;
    try {
        TEnumFormats formats(data);
        ADD_FAILURE() << "no error";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), DdConst::SCannotGetEnumerator);
    }
}

// The drop target on a window, fed by Qt's drag events.
class Drops : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        panel = new TPanel(form.get());
        panel->SetParent(form.get());
        panel->SetBounds(20, 30, 100, 80);
        form->Show();
        Process();
        target = std::make_shared<TLoggingTarget>();
        ASSERT_EQ(RegisterDropTarget(panel, target), S_OK);
    }
    void TearDown() override {
        SetAcceptRTF(true);
        ScriptedTest::TearDown();
    }
    // Enter, move and drop with the keys held; the action Qt was given at
    // each step.
    std::vector<Qt::DropAction> DragOver(const QMimeData& mime, Qt::KeyboardModifiers keys,
                                         Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction) {
        QWidget* w = NativeWidget(panel);
        std::vector<Qt::DropAction> actions;
        QDragEnterEvent enter(QPoint(5, 6), allowed, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(w, &enter);
        actions.push_back(enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction);
        QDragMoveEvent move(QPoint(7, 8), allowed, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(w, &move);
        actions.push_back(move.isAccepted() ? move.dropAction() : Qt::IgnoreAction);
        QDropEvent drop(QPointF(9, 10), allowed, &mime, Qt::LeftButton, keys);
        QApplication::sendEvent(w, &drop);
        actions.push_back(drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction);
        return actions;
    }
    std::unique_ptr<TForm> form;
    TPanel* panel = nullptr;
    std::shared_ptr<TLoggingTarget> target;
};

TEST_F(Drops, CtrlGivesCopyOtherwiseMoveAndFilesAlwaysCopy) {
    QMimeData text;
    text.setText("A1");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/data.csv")});
    QMimeData both;
    both.setText("/tmp/data.csv");
    both.setUrls({QUrl::fromLocalFile("/tmp/data.csv")});
    using Actions = std::vector<Qt::DropAction>;
    const Actions copy(3, Qt::CopyAction), move(3, Qt::MoveAction);
    struct Row {
        const char* Name;
        const QMimeData* Mime;
        Qt::KeyboardModifiers Keys;
        Actions Expected;
    };
    const Row rows[] = {
        {"text with Ctrl", &text, Qt::ControlModifier, copy},
        {"text without Ctrl", &text, Qt::NoModifier, move},
        {"text with Shift", &text, Qt::ShiftModifier, move},
        {"files without Ctrl", &files, Qt::NoModifier, copy},
        {"files with Ctrl", &files, Qt::ControlModifier, copy},
        {"text and files", &both, Qt::NoModifier, copy},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(DragOver(*row.Mime, row.Keys), row.Expected);
    }
    // The drop point reaches the target on the screen.
    QPoint g = NativeWidget(panel)->mapToGlobal(QPoint(9, 10));
    EXPECT_EQ(target->LastPoint, Point(g.x(), g.y()));
    // A source that allows only copy gets copy for a move.
    EXPECT_EQ(DragOver(text, Qt::NoModifier, Qt::CopyAction), copy);
}

TEST_F(Drops, RichTextIsPreferredOverTextWhileItIsAccepted) {
    QMimeData mime;
    mime.setText("plain");
    mime.setData("text/rtf", "{\\rtf1 rich}");
    DragOver(mime, Qt::NoModifier);
    EXPECT_EQ(target->Log, std::vector<std::string>{"rtf {\\rtf1 rich}"});
    target->Log.clear();
    SetAcceptRTF(false);
    DragOver(mime, Qt::NoModifier);
    EXPECT_EQ(target->Log, std::vector<std::string>{"text plain"});
    // Rich text alone is then refused.
    target->Log.clear();
    QMimeData rich;
    rich.setData("text/rtf", "{\\rtf1 rich}");
    EXPECT_EQ(DragOver(rich, Qt::NoModifier), std::vector<Qt::DropAction>(3, Qt::IgnoreAction));
    EXPECT_TRUE(target->Log.empty());
    EXPECT_FALSE(target->Accepted());
}

TEST_F(Drops, FilesArriveWithTheirNamesBesideTheText) {
    QMimeData mime;
    mime.setText("two files");
    mime.setUrls({QUrl::fromLocalFile("/tmp/labels 2024.csv"), QUrl::fromLocalFile("/home/jörg/Preise.xls"),
                  QUrl("https://example.org/remote.csv")});
    mime.setData("text/rtf", "{\\rtf1 x}");
    DragOver(mime, Qt::ControlModifier);
    EXPECT_EQ(target->Log, (std::vector<std::string>{"rtf {\\rtf1 x}", "files"}));
    EXPECT_EQ(target->Files, (std::vector<std::string>{"/tmp/labels 2024.csv", "/home/jörg/Preise.xls"}));
}

TEST_F(Drops, DataWithoutTextOrFilesIsRefused) {
    QMimeData mime;
    mime.setData("image/png", "\x89PNG");
    EXPECT_EQ(DragOver(mime, Qt::NoModifier), std::vector<Qt::DropAction>(3, Qt::IgnoreAction));
    EXPECT_TRUE(target->Log.empty());
}

TEST_F(Drops, RegistrationIsOncePerWindowAndEndsWithRevoking) {
    EXPECT_EQ(RegisterDropTarget(panel, std::make_shared<TDropTarget>()), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_EQ(RegisteredOleTarget(panel), target);
    EXPECT_EQ(RegisterDropTarget(nullptr, target), DRAGDROP_E_INVALIDHWND);
    EXPECT_EQ(RevokeDropTarget(panel), S_OK);
    EXPECT_EQ(RevokeDropTarget(panel), DRAGDROP_E_NOTREGISTERED);
    EXPECT_EQ(RegisteredOleTarget(panel), nullptr);
    EXPECT_FALSE(NativeWidget(panel)->acceptDrops());
    QMimeData mime;
    mime.setText("A1");
    EXPECT_EQ(DragOver(mime, Qt::NoModifier), std::vector<Qt::DropAction>(3, Qt::IgnoreAction));
}

TEST_F(Drops, StartTextDragOffersTheTextAndItsRichText) {
    drags->Answer(DROPEFFECT_MOVE).Answer(DROPEFFECT_NONE).Answer(DROPEFFECT_COPY);
    DWORD effect = 99;
    EXPECT_EQ(StartTextDrag("A1\tB1", "{\\rtf1 A1}", DROPEFFECT_COPY | DROPEFFECT_MOVE, effect, panel),
              DRAGDROP_S_DROP);
    EXPECT_EQ(effect, DROPEFFECT_MOVE);
    EXPECT_EQ(StartTextDrag("A1", "", DROPEFFECT_COPY | DROPEFFECT_MOVE, effect, panel), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(StartTextDrag("ä", "", DROPEFFECT_COPY, effect, panel), DRAGDROP_S_DROP);
    ASSERT_EQ(drags->Offers().size(), 3u);
    const TDragData& first = drags->Offers()[0].Data;
    EXPECT_EQ(drags->Offers()[0].Source, panel);
    EXPECT_EQ(drags->Offers()[0].Allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(first.Text(), "A1\tB1");
    EXPECT_EQ(first.Data(DragConst::SRichText), "{\\rtf1 A1}");
    EXPECT_FALSE(drags->Offers()[1].Data.HasFormat(DragConst::SRichText));
    EXPECT_EQ(drags->Offers()[2].Data.Text(), "ä");

    // What our drag offers, dropped on our target, arrives whole.
    QMimeData mime;
    for (const auto& [format, bytes] : first.Formats())
        mime.setData(QStr(format), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    DragOver(mime, Qt::NoModifier);
    EXPECT_EQ(target->Log, std::vector<std::string>{"rtf {\\rtf1 A1}"});
}

}  // namespace
