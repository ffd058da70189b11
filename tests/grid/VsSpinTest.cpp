// The spin controls: the repeating button on the test clock, the button
// pair's layout, keys, focus and glyphs.
#include <QTest>

#include "grid/VsResources.h"
#include "grid/VsSpin.h"
#include "platform/controls/StdCtrls.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

void Press(TControl* c, QPoint at = QPoint(3, 3)) {
    QTest::mousePress(NativeWidget(c), Qt::LeftButton, Qt::NoModifier, at);
}
void Release(TControl* c, QPoint at = QPoint(3, 3)) {
    QTest::mouseRelease(NativeWidget(c), Qt::LeftButton, Qt::NoModifier, at);
}

TEST(Resources, TheSpinGlyphsAreSmallArrowsOnTheirBackground) {
    TBitmap up, down;
    LoadBitmapResource(up, "VsSpinUp");
    LoadBitmapResource(down, "vsspindown");
    ASSERT_EQ(up.Width(), 7);
    ASSERT_EQ(up.Height(), 5);
    // The tip of each arrow, and the background in the bottom-left corner.
    EXPECT_EQ(up.Canvas()->Pixel(3, 0), clBlack);
    EXPECT_EQ(up.Canvas()->Pixel(0, 0), clSilver);
    EXPECT_EQ(down.Canvas()->Pixel(3, 3), clBlack);
    EXPECT_EQ(down.Canvas()->Pixel(0, 4), clSilver);
    EXPECT_TRUE(HasBitmapResource("VSSPINUP"));
    TBitmap kept(2, 2);
    try {
        LoadBitmapResource(kept, "VsSpinSideways");
        ADD_FAILURE() << "no error";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource VsSpinSideways not found");
    }
    EXPECT_EQ(kept.Width(), 2);
}

class SpinButtons : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        pair = new TVsSpinButton(form.get());
        pair->SetParent(form.get());
        pair->SetBounds(10, 10, 15, 25);
        pair->OnUpClick = [this](TObject* sender) {
            EXPECT_EQ(sender, pair);
            log.push_back("up@" + std::to_string(clock->Now()));
        };
        pair->OnDownClick = [this](TObject* sender) { log.push_back("down@" + std::to_string(clock->Now())); };
        ShowActive(*form);
    }
    std::unique_ptr<TForm> form;
    TVsSpinButton* pair = nullptr;
    std::vector<std::string> log;
};

TEST_F(SpinButtons, HoldingAButtonRepeatsAfter400ThenEvery100Milliseconds) {
    TVsTimerSpeedButton* up = pair->UpButton();
    Press(up);
    // The repeat waits 400 ms; the press itself steps nothing.
    EXPECT_EQ(clock->Intervals(), std::vector<uint32_t>{400});
    clock->Advance(399);
    EXPECT_TRUE(log.empty());
    clock->Advance(1);
    EXPECT_EQ(log, std::vector<std::string>{"up@400"});
    EXPECT_EQ(clock->Intervals(), std::vector<uint32_t>{100});
    clock->Advance(200);
    EXPECT_EQ(log, (std::vector<std::string>{"up@400", "up@500", "up@600"}));
    // The release clicks as any button's does and ends the repeat.
    Release(up);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_TRUE(clock->Intervals().empty());
    clock->Advance(1000);
    EXPECT_EQ(log.size(), 4u);
    // A short click steps once; a new press waits 400 ms again.
    log.clear();
    Press(pair->DownButton());
    Release(pair->DownButton());
    EXPECT_EQ(log, std::vector<std::string>{"down@1600"});
    Press(pair->DownButton());
    EXPECT_EQ(clock->Intervals(), std::vector<uint32_t>{400});
    Release(pair->DownButton());
}

TEST_F(SpinButtons, AHeldButtonRepeatsOnlyWhileTheMouseIsOverIt) {
    TVsTimerSpeedButton* down = pair->DownButton();
    Press(down);
    QMouseEvent away(QEvent::MouseMove, QPointF(40, 3), NativeWidget(down)->mapToGlobal(QPointF(40, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(NativeWidget(down), &away);
    clock->Advance(700);
    EXPECT_TRUE(log.empty());
    // Released away from the button: no click either.
    Release(down, QPoint(40, 3));
    EXPECT_TRUE(log.empty());
}

TEST_F(SpinButtons, AClickThatFailsStopsTheRepeatAndIsReported) {
    pair->OnUpClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
    dialogs->AnswerMessageBox(IDOK);
    Press(pair->UpButton());
    clock->Advance(400);
    EXPECT_TRUE(clock->Intervals().empty());
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"'x' is not a valid integer value."});
    dialogs->AnswerMessageBox(IDOK);
    Release(pair->UpButton());
}

TEST_F(SpinButtons, TheButtonsShareThePairByDirection) {
    EXPECT_EQ(pair->UpButton()->BoundsRect(), Rect(0, 0, 15, 12));
    EXPECT_EQ(pair->DownButton()->BoundsRect(), Rect(0, 11, 15, 25));
    EXPECT_EQ(pair->UpButton()->ArrowKind(), 2);
    EXPECT_EQ(pair->DownButton()->ArrowKind(), 3);
    EXPECT_EQ(pair->UpButton()->ButtonFlags() & tbAllowTimer, tbAllowTimer);
    // Never narrower than 15.
    pair->SetWidth(9);
    EXPECT_EQ(pair->Width(), 15);
    pair->SetDirection(spHorizontal);
    EXPECT_EQ(pair->Width(), 20);
    EXPECT_EQ(pair->DownButton()->BoundsRect(), Rect(0, 0, 10, 25));
    EXPECT_EQ(pair->UpButton()->BoundsRect(), Rect(11, 0, 21, 25));
    EXPECT_EQ(pair->UpButton()->ArrowKind(), 1);
    EXPECT_EQ(pair->DownButton()->ArrowKind(), 0);
    pair->SetWidth(12);
    EXPECT_EQ(pair->Width(), 20);
    pair->SetDirection(spVertical);
    EXPECT_EQ(pair->Width(), 15);
    EXPECT_EQ(pair->UpButton()->ArrowKind(), 2);
}

TEST_F(SpinButtons, KeysClickAndAPressGivesTheFocusToTheFocusControl) {
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(40, 10, 80, 21);
    pair->SetFocusControl(edit);
    Press(pair->DownButton());
    Release(pair->DownButton());
    Process();
    EXPECT_TRUE(edit->Focused());
    // Without a focus control the pair takes the focus when it is a tab stop.
    pair->SetFocusControl(nullptr);
    pair->SetTabStop(true);
    Press(pair->DownButton());
    Release(pair->DownButton());
    Process();
    EXPECT_TRUE(pair->Focused());
    EXPECT_EQ(pair->FocusedButton(), pair->DownButton());
    EXPECT_EQ(pair->DownButton()->ButtonFlags() & tbFocusRect, tbFocusRect);
    log.clear();
    PressKey(pair, VK_UP);
    EXPECT_EQ(pair->FocusedButton(), pair->UpButton());
    EXPECT_EQ(pair->DownButton()->ButtonFlags() & tbFocusRect, 0);
    PressKey(pair, VK_SPACE);
    PressKey(pair, VK_DOWN);
    EXPECT_EQ(log, (std::vector<std::string>{"up@0", "up@0", "down@0"}));
    EXPECT_TRUE(pair->HandlesKey(VK_LEFT, 0));
    EXPECT_FALSE(pair->HandlesKey(VK_RETURN, 0));
}

TEST_F(SpinButtons, GlyphsComeFromTheResourcesUnlessGiven) {
    TBitmap arrow;
    LoadBitmapResource(arrow, "VsSpinUp");
    EXPECT_EQ(pair->UpGlyph()->Width(), arrow.Width());
    TBitmap mine(8, 4);
    pair->SetUpGlyph(&mine);
    pair->SetUpNumGlyphs(2);
    EXPECT_EQ(pair->UpGlyph()->Width(), 8);
    EXPECT_EQ(pair->UpNumGlyphs(), 2);
    pair->SetUpGlyph(nullptr);
    EXPECT_EQ(pair->UpGlyph()->Width(), 7);
    EXPECT_EQ(pair->UpNumGlyphs(), 1);
    EXPECT_EQ(pair->DownNumGlyphs(), 1);
}

}  // namespace
