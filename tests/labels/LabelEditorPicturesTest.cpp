// The data editor's tool buttons as they show: a picture of its own on each.
#include <QGuiApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include "labels/Unit6.h"
#include "platform/controls/ComCtrls.h"
#include "platform/graphics/Graphics.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

class LabelEditorPicturesTest : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        editor = std::make_unique<TfrmEdit>(nullptr);
        editor->DoCreate();
        ShowActive(*editor);
    }
    void TearDown() override {
        editor.reset();
        ScriptedTest::TearDown();
    }
    std::unique_ptr<TfrmEdit> editor;
};

// Each tool button shows a picture of its own, drawn at the bar's size.
TEST_F(LabelEditorPicturesTest, EachToolButtonShowsItsOwnPicture) {
    ASSERT_EQ(editor->ImageList1->Count(), 5);
    EXPECT_EQ(editor->ImageList1->Width(), 16);
    EXPECT_EQ(editor->ImageList1->Height(), 16);
    auto* blank = new TToolButton(editor.get());
    blank->SetParent(editor->ToolBar1);
    ProcessEvents();
    if (KeysThroughXServer()) {
        // The window drawn on the screen.
        NativeWidget(editor.get())->raise();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500) ProcessEvents();
    }
    // At a real X server the pixels come from the screen itself.
    auto shot = [](TToolButton* b) {
        QWidget* w = NativeWidget(b);
        QPixmap pixels = w->grab();
        if (KeysThroughXServer()) {
            const QPoint at = w->mapToGlobal(QPoint(0, 0));
            pixels = QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), w->width(), w->height());
        }
        return pixels.toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage empty = shot(blank);
    std::vector<QImage> shots;
    for (TToolButton* b : {editor->ToolButton1, editor->ToolButton5, editor->ToolButton7, editor->ToolButton3,
                           editor->ToolButton4}) {
        SCOPED_TRACE(b->Hint());
        EXPECT_TRUE(b->Visible());
        shots.push_back(shot(b));
        EXPECT_EQ(shots.back().size(), empty.size());
        EXPECT_NE(shots.back(), empty) << "a blank button";
    }
    for (size_t i = 0; i < shots.size(); ++i)
        for (size_t j = i + 1; j < shots.size(); ++j) EXPECT_NE(shots[i], shots[j]) << i << " and " << j;
}

}  // namespace
