// The spin controls: the repeating button on the test clock, the button
// pair's layout, keys, focus and glyphs.
#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "grid/VsResources.h"
#include "grid/VsSpin.h"
#include "grid/VsUtil.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/WinApi.h"
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

// The spin edit on a shown form, with a second edit to leave it for.
class SpinEdits : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        saved = FormatSettings();
        form = NewForm();
        spin = new TVsSpinEdit(form.get());
        spin->SetParent(form.get());
        spin->SetBounds(10, 10, 120, 24);
        other = new TEdit(form.get());
        other->SetParent(form.get());
        other->SetBounds(10, 60, 120, 24);
        ShowActive(*form);
        spin->SetFocus();
        Process();
    }
    void TearDown() override {
        FormatSettings() = saved;
        ScriptedTest::TearDown();
    }
    // Types into the spin edit, from its end, then leaves it.
    void TypeAndLeave(const std::string& text) {
        spin->SetFocus();
        Process();
        spin->SetSelStart(static_cast<int32_t>(spin->Text().size()));
        TypeText(spin, text);
        other->SetFocus();
        Process();
    }
    std::unique_ptr<TForm> form;
    TVsSpinEdit* spin = nullptr;
    TEdit* other = nullptr;
    TFormatSettings saved;
};

TEST_F(SpinEdits, StartsAtZeroWithThePairInsideItsRightEdge) {
    EXPECT_EQ(spin->Text(), "0");
    EXPECT_EQ(spin->Increment(), 1);
    EXPECT_TRUE(spin->EditorEnabled());
    EXPECT_EQ(spin->SpinButton()->Parent(), spin);
    EXPECT_EQ(spin->SpinButton()->FocusControl(), spin);
    const TRect pair = spin->SpinButton()->BoundsRect();
    EXPECT_EQ(pair.Width(), 15);
    EXPECT_LE(pair.Right, spin->Width());
    EXPECT_GT(pair.Left, spin->Width() - 25);
    // The text stops before the buttons.
    EXPECT_LE(spin->EditRect().Right, spin->ClientWidth() - 15 - 2);
    // Never lower than the font needs.
    spin->SetHeight(4);
    EXPECT_EQ(spin->Height(), spin->GetMinHeight());
    EXPECT_GT(spin->GetMinHeight(), ScreenFontHeight(spin->Font()));
}

TEST_F(SpinEdits, LeavingBringsTheValueWithinItsBounds) {
    struct Row {
        int32_t Min, Max;
        const char* Typed;
        const char* Shown;
    };
    const Row rows[] = {
        {0, 0, "15", "15"}, {0, 10, "15", "10"}, {0, 10, "-3", "0"}, {0, 10, "7", "7"}, {5, 5, "99", "99"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Typed);
        spin->SetMinValue(row.Min);
        spin->SetMaxValue(row.Max);
        spin->SetText("");
        TypeAndLeave(row.Typed);
        EXPECT_EQ(spin->Text(), row.Shown);
    }
    // Writing the value holds it to the bounds at once.
    spin->SetMinValue(0);
    spin->SetMaxValue(10);
    spin->SetValue(42);
    EXPECT_EQ(spin->Text(), "10");
    // Text that is no number reads as the minimum.
    spin->SetText("x");
    EXPECT_EQ(spin->Value(), 0);
}

TEST_F(SpinEdits, AFloatStepsWithItsPrecision) {
    spin->SetSpinType(sptFloat);
    spin->SetPrecision(2);
    spin->SetIncrementFloat(0.5);
    spin->SetFloatValue(1);
    std::vector<std::string> shown{spin->Text()};
    for (int i = 0; i < 2; ++i) {
        spin->UpClick(spin);
        shown.push_back(spin->Text());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"1.00", "1.50", "2.00"}));
    spin->DownClick(spin);
    EXPECT_EQ(spin->Text(), "1.50");
    // The general format without a precision.
    spin->SetPrecision(0);
    EXPECT_EQ(spin->Text(), "1.5");
    spin->SetMinFloatValue(-1);
    spin->SetMaxFloatValue(1);
    spin->SetFloatValue(7.25);
    EXPECT_EQ(spin->Text(), "1");
}

TEST_F(SpinEdits, AFloatThatIsNoNumberReadsAsTheIntegerMinimum) {
    // Not the float minimum beside it.
    spin->SetMinValue(3);
    spin->SetMinFloatValue(1.5);
    spin->SetMaxFloatValue(9);
    spin->SetSpinType(sptFloat);
    spin->SetText("abc");
    EXPECT_EQ(spin->FloatValue(), 3);
    spin->SetText("2.25");
    EXPECT_EQ(spin->FloatValue(), 2.25);
}

TEST_F(SpinEdits, TheCaretChoosesTheDatePartThatSteps) {
    FormatSettings().ShortDateFormat = "d/m/yyyy";
    spin->SetSpinType(sptDate);
    struct Row {
        const char* Name;
        int32_t Caret;
        int Sign;
        const char* Shown;
    };
    const Row rows[] = {
        {"day", 1, +1, "16/3/2024"},   {"day at its separator", 2, -1, "14/3/2024"},
        {"month", 3, +1, "15/4/2024"}, {"month at its separator", 4, -1, "15/2/2024"},
        {"year", 5, +1, "15/3/2025"},  {"year at the end", 9, -1, "15/3/2023"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        spin->SetDateValue(EncodeDate(2024, 3, 15));
        ASSERT_EQ(spin->Text(), "15/3/2024");
        spin->SetSelStart(row.Caret);
        if (row.Sign > 0) spin->UpClick(spin);
        else spin->DownClick(spin);
        EXPECT_EQ(spin->Text(), row.Shown);
        // The caret stays in its part.
        EXPECT_EQ(spin->SelStart(), row.Caret);
    }
    // A month on from 31 January is the last day of February.
    spin->SetDateValue(EncodeDate(2023, 1, 31));
    spin->SetSelStart(4);
    spin->UpClick(spin);
    EXPECT_EQ(spin->Text(), "28/2/2023");
    // The parts step days, months and years whatever the format's order:
    // with the month first, the first part still steps a day.
    FormatSettings().ShortDateFormat = "m/d/yyyy";
    for (const Row& row : {Row{"first part, m/d/yyyy", 0, +1, "3/16/2024"}, Row{"second part", 2, +1, "4/15/2024"},
                           Row{"third part", 6, -1, "3/15/2023"}}) {
        SCOPED_TRACE(row.Name);
        spin->SetDateValue(EncodeDate(2024, 3, 15));
        ASSERT_EQ(spin->Text(), "3/15/2024");
        spin->SetSelStart(row.Caret);
        if (row.Sign > 0) spin->UpClick(spin);
        else spin->DownClick(spin);
        EXPECT_EQ(spin->Text(), row.Shown);
    }
}

TEST_F(SpinEdits, AYearFrom29FebruaryToAYearWithoutItRaises) {
    FormatSettings().ShortDateFormat = "d/m/yyyy";
    spin->SetSpinType(sptDate);
    spin->SetDateValue(EncodeDate(2024, 2, 29));
    spin->SetSelStart(8);
    try {
        spin->UpClick(spin);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), SysConst::SDateEncodeError);
    }
    EXPECT_EQ(spin->Text(), "29/2/2024");
    // Through the button it reaches the error box.
    dialogs->AnswerMessageBox(IDOK);
    ClickAt(spin->SpinButton()->UpButton(), 3, 3);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{std::string(SysConst::SDateEncodeError) + "."});
}

TEST_F(SpinEdits, TheCaretChoosesTheTimePartThatSteps) {
    spin->SetSpinType(sptTime);
    EXPECT_EQ(spin->Text(), "0:00:00");
    struct Row {
        int32_t Caret;
        int Sign;
        const char* Shown;
    };
    for (const Row& row : {Row{0, +1, "11:30:15"}, Row{3, +1, "10:31:15"}, Row{6, +1, "10:30:16"},
                           Row{2, -1, "9:30:15"}, Row{5, -1, "10:29:15"}, Row{8, -1, "10:30:14"}}) {
        SCOPED_TRACE(row.Caret);
        spin->SetTimeValue(EncodeTime(10, 30, 15, 0));
        spin->SetSelStart(row.Caret);
        if (row.Sign > 0) spin->UpClick(spin);
        else spin->DownClick(spin);
        EXPECT_EQ(spin->Text(), row.Shown);
    }
    // The hour wraps round midnight.
    spin->SetTimeValue(EncodeTime(0, 15, 0, 0));
    spin->SetSelStart(0);
    spin->DownClick(spin);
    EXPECT_EQ(spin->Text(), "23:15:00");
}

TEST_F(SpinEdits, CharactersAreFilteredByKindWithABeep) {
    struct Row {
        const char* Name;
        TVsSpinType Type;
        const char* Start;
        const char* Typed;
        const char* Shown;
        int Beeps;
    };
    const Row rows[] = {
        {"digits and signs", sptNormal, "", "-12+", "-12+", 0},
        {"letters", sptNormal, "", "1a2", "12", 1},
        {"a date separator outside a date", sptNormal, "", "1/2", "12", 1},
        {"a time separator in a time", sptTime, "", "12:30", "12:30", 0},
        {"a second time separator", sptTime, "", "1:2:3", "1:23", 1},
        {"a second decimal separator", sptFloat, "", "1.2.3", "1.23", 1},
        {"a date separator in a date", sptDate, "", "1/2", "1/2", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        spin->SetSpinType(row.Type);
        spin->SetText(row.Start);
        const int32_t before = BeepCount();
        TypeText(spin, row.Typed);
        EXPECT_EQ(spin->Text(), row.Shown);
        EXPECT_EQ(BeepCount() - before, row.Beeps);
    }
}

TEST_F(SpinEdits, AtThePrecisionLimitOnlyMoreDecimalsAreRefused) {
    spin->SetSpinType(sptFloat);
    spin->SetPrecision(2);
    spin->SetText("1.25");
    spin->SetSelStart(4);
    int32_t before = BeepCount();
    TypeText(spin, "7");
    EXPECT_EQ(spin->Text(), "1.25");
    EXPECT_EQ(BeepCount(), before + 1);
    // Backspace goes on working there.
    before = BeepCount();
    PressKey(spin, VK_BACK);
    EXPECT_EQ(spin->Text(), "1.2");
    EXPECT_EQ(BeepCount(), before);
    TypeText(spin, "9");
    EXPECT_EQ(spin->Text(), "1.29");
    // Before the separator the digits are free.
    spin->SetSelStart(0);
    TypeText(spin, "3");
    EXPECT_EQ(spin->Text(), "31.29");
    EXPECT_TRUE(spin->IsValidChar(0x03));
}

TEST_F(SpinEdits, WithoutTheEditorOnlyTheButtonsAndArrowKeysChangeTheText) {
    spin->SetEditorEnabled(false);
    spin->SetText("5");
    spin->SetSelStart(1);
    const int32_t before = BeepCount();
    TypeText(spin, "12");
    PressKey(spin, VK_BACK);
    PressKey(spin, VK_DELETE);
    spin->SetSelStart(0);
    PressKey(spin, VK_DELETE);
    EXPECT_EQ(spin->Text(), "5");
    EXPECT_EQ(BeepCount() - before, 3);
    QApplication::clipboard()->setText("77");
    spin->SelectAll();
    spin->Perform(WM_PASTE);
    spin->Perform(WM_CUT);
    spin->Perform(WM_CLEAR);
    EXPECT_EQ(spin->Text(), "5");
    PressKey(spin, VK_UP);
    EXPECT_EQ(spin->Text(), "6");
    // A stepped value is selected whole.
    EXPECT_EQ(spin->SelLength(), 1);
    ClickAt(spin->SpinButton()->DownButton(), 3, 3);
    ClickAt(spin->SpinButton()->DownButton(), 3, 3);
    EXPECT_EQ(spin->Text(), "4");
    // With the editor the clipboard works.
    spin->SetEditorEnabled(true);
    spin->SelectAll();
    spin->Perform(WM_PASTE);
    EXPECT_EQ(spin->Text(), "77");
}

TEST_F(SpinEdits, EnterBeepsUnlessItMovesOnAsTab) {
    int32_t before = BeepCount();
    PressKey(spin, VK_RETURN);
    EXPECT_EQ(BeepCount(), before + 1);
    EXPECT_EQ(spin->Text(), "0");
    EXPECT_TRUE(spin->Focused());
    spin->SetReturnIsTab(true);
    before = BeepCount();
    PressKey(spin, VK_RETURN);
    Process();
    EXPECT_EQ(BeepCount(), before);
    EXPECT_TRUE(other->Focused());
}

TEST_F(SpinEdits, ReadOnlyStepsOnlyBeep) {
    spin->SetReadOnly(true);
    const int32_t before = BeepCount();
    spin->UpClick(spin);
    PressKey(spin, VK_DOWN);
    EXPECT_EQ(spin->Text(), "0");
    EXPECT_EQ(BeepCount(), before + 2);
}

TEST_F(SpinEdits, EnteringSelectsTheWholeText) {
    spin->SetText("123");
    other->SetFocus();
    Process();
    spin->SetFocus();
    Process();
    EXPECT_EQ(spin->SelLength(), 3);
}

TEST_F(SpinEdits, TheKindsFormatTheTextWhenChosen) {
    spin->SetSpinType(sptFloat);
    spin->SetPrecision(2);
    EXPECT_EQ(spin->Text(), "0.00");
    spin->SetSpinType(sptTime);
    EXPECT_EQ(spin->Text(), "0:00:00");
    spin->SetSpinType(sptNormal);
    EXPECT_EQ(spin->Text(), "0");
    // "0" as a date is today.
    spin->SetSpinType(sptDate);
    EXPECT_EQ(spin->Text(), DateToStr(Date()));
    spin->SetSpinType(sptTime);
    spin->SetTimeValue(EncodeTime(8, 5, 0, 0));
    spin->SetText("");
    spin->Loaded();
    EXPECT_EQ(spin->Text(), "8:05:00");
}

// A descendant's steps are what the buttons run.
class TLoggingSpin : public TVsSpinEdit {
public:
    using TVsSpinEdit::TVsSpinEdit;
    std::vector<std::string> Log;
    void UpClick(TObject* Sender) override {
        Log.push_back(Sender == SpinButton() ? "up from the pair" : "up");
        TVsSpinEdit::UpClick(Sender);
    }
};

TEST_F(SpinEdits, TheButtonsRunTheStepsOfADescendant) {
    auto* mine = new TLoggingSpin(form.get());
    mine->SetParent(form.get());
    mine->SetBounds(150, 10, 100, 24);
    Process();
    ClickAt(mine->SpinButton()->UpButton(), 3, 3);
    EXPECT_EQ(mine->Log, std::vector<std::string>{"up from the pair"});
    EXPECT_EQ(mine->Text(), "1");
    mine->SetDirection(spHorizontal);
    EXPECT_EQ(mine->SpinButton()->Width(), 20);
    EXPECT_LE(mine->SpinButton()->BoundsRect().Right, mine->Width());
}

}  // namespace
