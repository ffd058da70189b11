// Drags between programs: the data a drag offers, the scripted drag service
// (what a headless test reads of a drag), and a registered drop handler fed
// by synthetic Qt drag events.
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "ControlsTestSupport.h"
#include "platform/controls/DragDrop.h"
#include "platform/controls/ExtCtrls.h"

namespace {

TEST(DragData, FormatsKeepTheirOrderAndFilesTheirNames) {
    TDragData d;
    d.SetText("abc\tdef");
    d.SetData(DragConst::SRichText, "{\\rtf1 abc}");
    d.SetText("abc");
    ASSERT_EQ(d.Formats().size(), 2u);
    EXPECT_EQ(d.Formats()[0].first, DragConst::SText);
    EXPECT_EQ(d.Text(), "abc");
    EXPECT_TRUE(d.HasFormat(DragConst::SRichText));
    EXPECT_EQ(d.Data("image/png"), "");
    d.SetFiles({"/tmp/labels 2024.csv", "/tmp/ä.xls"});
    EXPECT_EQ(d.Data(DragConst::SUriList), "file:///tmp/labels%202024.csv\r\nfile:///tmp/%C3%A4.xls\r\n");
    EXPECT_EQ(d.Files(), (std::vector<std::string>{"/tmp/labels 2024.csv", "/tmp/ä.xls"}));
    // Comments and other URLs are no files.
    d.SetData(DragConst::SUriList, "# from a browser\r\nhttp://example.org/a.csv\r\nfile:///home/u/b.csv");
    EXPECT_EQ(d.Files(), std::vector<std::string>{"/home/u/b.csv"});
}

class Drags : public ScriptedTest {};

TEST_F(Drags, TheScriptedServiceRecordsWhatADragOffered) {
    auto form = NewForm();
    auto* grid = new TPanel(form.get());
    grid->SetParent(form.get());
    TDragData d;
    d.SetText("A1\tB1\r\nA2\tB2");
    d.SetData(DragConst::SRichText, "{\\rtf1 A1}");
    drags->Answer(DROPEFFECT_MOVE).Answer(DROPEFFECT_LINK);
    EXPECT_EQ(DragService().DoDragDrop(grid, d, DROPEFFECT_COPY | DROPEFFECT_MOVE), DROPEFFECT_MOVE);
    // An effect the drag did not allow is none.
    EXPECT_EQ(DragService().DoDragDrop(grid, d, DROPEFFECT_COPY), DROPEFFECT_NONE);
    ASSERT_EQ(drags->Offers().size(), 2u);
    const TScriptedDrags::Offer& o = drags->Offers()[0];
    EXPECT_EQ(o.Source, grid);
    EXPECT_EQ(o.Allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(o.Data.Text(), "A1\tB1\r\nA2\tB2");
    EXPECT_EQ(o.Data.Formats()[1].first, DragConst::SRichText);
}

TEST_F(Drags, ADragWithoutAnAnswerFails) {
    TDragData d;
    d.SetText("x");
    try {
        DragService().DoDragDrop(nullptr, d, DROPEFFECT_COPY);
        ADD_FAILURE() << "no error";
    } catch (const EDragScriptError& e) {
        EXPECT_EQ(e.Message(), FmtMsg(DragConst::SScriptExhausted, "text/plain"));
    }
    ASSERT_EQ(drags->Failures().size(), 1u);
    // The fixture would fail the test on the recorded failure.
    drags->Clear();
}

// A drop handler that logs what it hears: Ctrl copies, otherwise it moves,
// as the grid's does.
struct TLoggingHandler : TDropHandler {
    std::vector<std::string> Log;
    TDragData Dropped;
    TPoint LastPoint;
    static TDropEffect Effect(TShiftState shift) { return (shift & ssCtrl) ? DROPEFFECT_COPY : DROPEFFECT_MOVE; }
    void DragEnter(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) override {
        Log.push_back("enter " + data.Text());
        LastPoint = point;
        effect = Effect(shift);
    }
    void DragOver(TShiftState shift, TPoint point, TDropEffect& effect) override {
        Log.push_back("over");
        LastPoint = point;
        effect = Effect(shift);
    }
    void DragLeave() override { Log.push_back("leave"); }
    void Drop(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) override {
        Log.push_back("drop");
        Dropped = data;
        LastPoint = point;
        effect = Effect(shift);
    }
};

TEST_F(Drags, ARegisteredHandlerHearsQtsDragEvents) {
    auto form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(20, 30, 100, 80);
    form->Show();
    Process();
    TLoggingHandler handler;
    RegisterDragDrop(panel, &handler);
    EXPECT_EQ(RegisteredDropTarget(panel), &handler);
    QWidget* w = NativeWidget(panel);
    EXPECT_TRUE(w->acceptDrops());
    QMimeData mime;
    mime.setText("abc");
    mime.setUrls({QUrl::fromLocalFile("/tmp/data.csv")});
    const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;

    QDragEnterEvent enter(QPoint(5, 6), both, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    QPoint g = w->mapToGlobal(QPoint(5, 6));
    EXPECT_EQ(handler.LastPoint, Point(g.x(), g.y()));

    QDragMoveEvent move(QPoint(7, 8), both, &mime, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(w, &move);
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);

    QDropEvent drop(QPointF(7, 8), both, &mime, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(w, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(handler.Dropped.Files(), std::vector<std::string>{"/tmp/data.csv"});
    EXPECT_EQ(handler.Dropped.Text(), "abc");
    // (Qt delivers a drag leave only during a real drag.)
    EXPECT_EQ(handler.Log, (std::vector<std::string>{"enter abc", "over", "drop"}));

    RevokeDragDrop(panel);
    EXPECT_EQ(RegisteredDropTarget(panel), nullptr);
    EXPECT_FALSE(w->acceptDrops());
}

TEST_F(Drags, AHandlerThatRefusesIgnoresTheDragAndItsErrorsAreReported) {
    auto form = NewForm();
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    struct TFailing : TDropHandler {
        void DragEnter(const TDragData&, TShiftState, TPoint, TDropEffect& effect) override {
            effect = DROPEFFECT_COPY;
            throw EInvalidOperation("No room for the drop");
        }
    } failing;
    struct TRefusing : TDropHandler {} refusing;
    QMimeData mime;
    mime.setText("abc");
    RegisterDragDrop(panel, &refusing);
    QDragEnterEvent refused(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(NativeWidget(panel), &refused);
    EXPECT_FALSE(refused.isAccepted());
    RegisterDragDrop(panel, &failing);
    EXPECT_EQ(RegisteredDropTarget(panel), &failing);
    dialogs->AnswerMessageBox(IDOK);
    QDragEnterEvent failed(QPoint(1, 1), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(NativeWidget(panel), &failed);
    EXPECT_FALSE(failed.isAccepted());
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"No room for the drop."});
}

}  // namespace
