// The speed button: clicks on a release over it, the pressed look while
// held, groups of which one stays down, the hot look of a flat button, and
// its glyph drawn with the bottom-left colour transparent.
#include <QImage>
#include <QTest>

#include "ControlsTestSupport.h"
#include "platform/controls/Buttons.h"
#include "platform/controls/ExtCtrls.h"

namespace {

class SpeedButtons : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        form->Show();
        Process();
    }
    TSpeedButton* NewButton(int32_t left = 10) {
        auto* b = new TSpeedButton(form.get());
        b->SetParent(form.get());
        b->SetBounds(left, 10, 23, 22);
        b->OnClick = [this](TObject* sender) { clicks.push_back(sender); };
        return b;
    }
    static void Press(TSpeedButton* b, QPoint at = QPoint(5, 5)) {
        QTest::mousePress(NativeWidget(b), Qt::LeftButton, Qt::NoModifier, at);
    }
    static void Move(TSpeedButton* b, QPoint to) {
        QMouseEvent e(QEvent::MouseMove, QPointF(to), NativeWidget(b)->mapToGlobal(QPointF(to)), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(NativeWidget(b), &e);
    }
    static void Release(TSpeedButton* b, QPoint at = QPoint(5, 5)) {
        QTest::mouseRelease(NativeWidget(b), Qt::LeftButton, Qt::NoModifier, at);
    }
    std::unique_ptr<TForm> form;
    std::vector<TObject*> clicks;
};

TEST_F(SpeedButtons, AReleaseOverTheButtonClicksItAndOneElsewhereDoesNot) {
    TSpeedButton* b = NewButton();
    Press(b);
    EXPECT_EQ(b->State(), bsDown);
    EXPECT_TRUE(b->MouseCapture());
    EXPECT_TRUE(clicks.empty());
    Move(b, QPoint(40, 5));
    EXPECT_EQ(b->State(), bsUp);
    Move(b, QPoint(6, 6));
    EXPECT_EQ(b->State(), bsDown);
    Release(b);
    EXPECT_EQ(clicks, std::vector<TObject*>{b});
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_FALSE(b->MouseCapture());
    Press(b);
    Release(b, QPoint(40, 5));
    EXPECT_EQ(clicks.size(), 1u);
    // The right button does nothing.
    QTest::mouseClick(NativeWidget(b), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_EQ(b->State(), bsUp);
}

TEST_F(SpeedButtons, OneButtonOfAGroupStaysDown) {
    TSpeedButton* a = NewButton(10);
    TSpeedButton* b = NewButton(40);
    TSpeedButton* alone = NewButton(70);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    alone->SetDown(true);
    EXPECT_FALSE(alone->Down());
    Press(a);
    Release(a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    Press(b);
    Release(b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    // Without AllowAllUp a click leaves the down button down.
    Press(b);
    Release(b);
    EXPECT_TRUE(b->Down());
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp());
    Press(b);
    Release(b);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(clicks.size(), 4u);
}

TEST_F(SpeedButtons, AFlatButtonLooksHotWhileTheMouseIsOverIt) {
    TSpeedButton* b = NewButton();
    b->SetFlat(true);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(NativeWidget(b), &enter);
    EXPECT_TRUE(b->MouseInControl());
    QImage hot = NativeWidget(b)->grab().toImage();
    EXPECT_EQ(hot.pixel(0, 0), QtColor(clBtnHighlight).rgb());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(NativeWidget(b), &leave);
    EXPECT_FALSE(b->MouseInControl());
    // A disabled button is never hot.
    b->SetEnabled(false);
    QApplication::sendEvent(NativeWidget(b), &enter);
    EXPECT_FALSE(b->MouseInControl());
}

TEST_F(SpeedButtons, TheGlyphIsDrawnWithoutItsBackgroundAndGreyWhenDisabled) {
    TSpeedButton* b = NewButton();
    b->SetFlat(true);
    b->SetTransparent(false);
    // A 3 x 3 glyph: a red centre on a fuchsia background.
    TBitmap glyph(3, 3);
    glyph.SetPixelFormat(pf24bit);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 3, 3));
    glyph.Canvas()->SetPixel(1, 1, clRed);
    b->SetGlyph(&glyph);
    EXPECT_EQ(b->NumGlyphs(), 1);
    auto count = [&](QRgb colour) {
        QImage shot = NativeWidget(b)->grab().toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) n += shot.pixel(x, y) == colour;
        return n;
    };
    EXPECT_EQ(count(qRgb(255, 0, 0)), 1);
    EXPECT_EQ(count(qRgb(255, 0, 255)), 0);
    b->SetEnabled(false);
    EXPECT_EQ(count(qRgb(255, 0, 0)), 0);
    EXPECT_EQ(count(QtColor(clBtnShadow).rgb()), 1);
    // Two pictures side by side: the second is the disabled one.
    TBitmap two(6, 3);
    two.SetPixelFormat(pf24bit);
    two.Canvas()->Brush()->SetColor(clFuchsia);
    two.Canvas()->FillRect(Rect(0, 0, 6, 3));
    two.Canvas()->SetPixel(1, 1, clRed);
    two.Canvas()->SetPixel(4, 1, clBlue);
    b->SetGlyph(&two);
    EXPECT_EQ(b->NumGlyphs(), 2);
    EXPECT_EQ(count(qRgb(0, 0, 255)), 1);
    EXPECT_EQ(count(qRgb(255, 0, 0)), 0);
}

}  // namespace
