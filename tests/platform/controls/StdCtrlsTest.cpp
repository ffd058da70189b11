// Standard controls and the event rules the program relies on where Qt
// behaves otherwise.
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "ControlsTestSupport.h"
#include "tests/support/DarkPixels.h"
#include "platform/controls/StdCtrls.h"

namespace {

class StdControls : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        form->Show();
        Process();
    }
    void TearDown() override {
        form.reset();
        ScriptedTest::TearDown();
    }
    template <class T>
    T* Make() {
        auto* c = new T(form.get());
        c->SetParent(form.get());
        return c;
    }
    std::unique_ptr<TForm> form;
};

// ---------------------------------------------------------------- edit

TEST_F(StdControls, EditChangeFiresForTypingAndForCode) {
    auto* edit = Make<TEdit>();
    std::vector<std::string> changes;
    edit->OnChange = [&](TObject*) { changes.push_back(edit->Text()); };
    QTest::keyClicks(NativeWidget(edit), "12");
    edit->SetText("01234567890");
    edit->SetText("01234567890");  // the same text: no change
    QTest::keyClick(NativeWidget(edit), Qt::Key_Backspace);
    EXPECT_EQ(changes, (std::vector<std::string>{"1", "12", "01234567890", "0123456789"}));
}

TEST_F(StdControls, AChangeHandlerErrorFromCodeIsShownAndTheCodeGoesOn) {
    auto* edit = Make<TEdit>();
    edit->OnChange = [](TObject*) { throw EIniFileException("Unable to write to /nowhere/varsona.ini"); };
    dialogs->AnswerMessageBox(IDOK);
    edit->SetText("978");
    EXPECT_EQ(edit->Text(), "978");
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "Unable to write to /nowhere/varsona.ini.");
}

TEST_F(StdControls, MaxLengthNeverShortensText) {
    auto* edit = Make<TEdit>();
    edit->SetText("01234567890");
    edit->SetMaxLength(9);
    EXPECT_EQ(edit->Text(), "01234567890");
    edit->SetText("abcdefghijklmnop");
    EXPECT_EQ(edit->Text(), "abcdefghijklmnop");
    EXPECT_EQ(edit->MaxLength(), 9);
}

TEST_F(StdControls, MaxLengthBlocksTypingAndPastingButNotDeleting) {
    auto* edit = Make<TEdit>();
    edit->SetMaxLength(5);
    QTest::keyClicks(NativeWidget(edit), "1234567");
    EXPECT_EQ(edit->Text(), "12345");
    edit->SetText("1234567890");  // longer, from code
    edit->SetSelStart(10);
    QTest::keyClicks(NativeWidget(edit), "x");
    EXPECT_EQ(edit->Text(), "1234567890");
    edit->PasteText("yz");
    EXPECT_EQ(edit->Text(), "1234567890");
    QApplication::clipboard()->setText("pasted");
    QTest::keyClick(NativeWidget(edit), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "1234567890");
    QTest::keyClick(NativeWidget(edit), Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "123456789");
    // A paste into a field with room for part of it takes what fits.
    edit->SetText("12");
    edit->SetSelStart(2);
    QTest::keyClick(NativeWidget(edit), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "12pas");
    // Replacing a selection within the limit works.
    edit->SetSelStart(0);
    edit->SetSelLength(2);
    QTest::keyClicks(NativeWidget(edit), "9");
    EXPECT_EQ(edit->Text(), "9pas");
}

// A single-line edit holds no line break: what is pasted stops at its first
// one, typed or pasted into an edit or a combo's edit.
TEST_F(StdControls, PastedTextStopsAtItsFirstLineBreak) {
    auto* edit = Make<TEdit>();
    auto* combo = Make<TComboBox>();
    struct Case {
        const char* Clipboard;
        const char* Expected;
    };
    const Case cases[] = {
        {"X\nbarheight=999", "abX"}, {"X\r\nbarheight=999", "abX"}, {"X\rY", "abX"},
        {"\nY", "ab"},               {"plain", "abplain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Clipboard);
        QApplication::clipboard()->setText(QString::fromUtf8(c.Clipboard));
        edit->SetText("ab");
        edit->SetSelStart(2);
        QTest::keyClick(NativeWidget(edit), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->Text(), c.Expected);
        combo->SetText("ab");
        QLineEdit* inner = NativeWidget(combo)->findChild<QLineEdit*>();
        ASSERT_NE(inner, nullptr);
        inner->setCursorPosition(2);
        QTest::keyClick(inner, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(combo->Text(), c.Expected);
    }
    // Pasted into the middle, the rest of the text stays.
    edit->SetText("a-b");
    edit->SetSelStart(1);
    edit->PasteText("X\nY");
    EXPECT_EQ(edit->Text(), "aX-b");
}

// Disabled edits, combos and labels are drawn in the disabled look, also with
// a font colour of their own.
TEST_F(StdControls, DisabledControlsLookDisabled) {
    auto darkPixels = [](TControl* control) { return DarkPixels(control); };
    auto* edit = Make<TEdit>();
    edit->SetText("WWWW");
    auto* combo = Make<TComboBox>();
    combo->SetText("WWWW");
    auto* label = Make<TLabel>();
    label->SetCaption("WWWW");
    label->Font()->SetColor(clBlack);
    for (TControl* control : std::initializer_list<TControl*>{edit, combo, label}) {
        SCOPED_TRACE(control->ClassName());
        const int enabled = darkPixels(control);
        control->SetEnabled(false);
        const int disabled = darkPixels(control);
        EXPECT_GT(enabled, 10);
        EXPECT_LT(disabled, enabled / 4);
        control->SetEnabled(true);
        EXPECT_EQ(darkPixels(control), enabled);
    }
}

TEST_F(StdControls, KeyPressCanDropOrChangeCharacters) {
    auto* edit = Make<TEdit>();
    // The measure-field filter of the label windows: digits, "." "," and
    // Backspace.
    edit->OnKeyPress = [](TObject*, char32_t& key) {
        bool ok = (key >= '0' && key <= '9') || key == '.' || key == ',' || key == '\b';
        if (!ok) key = 0;
    };
    QTest::keyClicks(NativeWidget(edit), "1a2.5,x");
    EXPECT_EQ(edit->Text(), "12.5,");
    QTest::keyClick(NativeWidget(edit), Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "12.5");
    edit->OnKeyPress = [](TObject*, char32_t& key) {
        if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
    };
    QTest::keyClicks(NativeWidget(edit), "ab");
    EXPECT_EQ(edit->Text(), "12.5AB");
    edit->OnKeyPress = [](TObject*, char32_t& key) {
        if (key == '\b') key = 0;
    };
    QTest::keyClick(NativeWidget(edit), Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "12.5AB");
}

TEST_F(StdControls, EditSelectionAndReadOnly) {
    auto* edit = Make<TEdit>();
    edit->SetText("barcode");
    edit->SetSelStart(3);
    edit->SetSelLength(4);
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_EQ(edit->SelLength(), 4);
    EXPECT_EQ(edit->SelText(), "code");
    edit->SetSelText("X");
    EXPECT_EQ(edit->Text(), "barX");
    edit->SetReadOnly(true);
    QTest::keyClicks(NativeWidget(edit), "yz");
    EXPECT_EQ(edit->Text(), "barX");
}

// ---------------------------------------------------------------- combo box

class Combo : public StdControls {
protected:
    TComboBox* MakeCombo(TComboBoxStyle style) {
        auto* combo = Make<TComboBox>();
        combo->SetStyle(style);
        combo->OnChange = [this](TObject*) { events.push_back("change"); };
        combo->OnClick = [this](TObject*) { events.push_back("click"); };
        return combo;
    }
    std::vector<std::string> events;
};

TEST_F(Combo, CodeNeverFiresChange) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        SCOPED_TRACE(style);
        events.clear();
        auto* combo = MakeCombo(style);
        combo->SetText("Barcode Types");
        for (const char* s : {"Code EAN-8", "Code EAN-13", "Code UPC-A"}) combo->Items()->Add(s);
        combo->SetItemIndex(2);
        EXPECT_EQ(combo->Text(), "Code UPC-A");
        combo->SetItemIndex(0);
        combo->SetText("Code EAN-13");
        combo->Items()->Delete(0);
        combo->Items()->Clear();
        EXPECT_TRUE(events.empty());
    }
}

TEST_F(Combo, AddingToAnEmptyListSelectsNothing) {
    auto* combo = MakeCombo(csDropDown);
    combo->SetText("Barcode Types");
    combo->Items()->Add("Code EAN-8");
    combo->Items()->Add("Code EAN-13");
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(combo->Text(), "Barcode Types");
    auto* list = MakeCombo(csDropDownList);
    list->Items()->Add("6");
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->Text(), "");
}

TEST_F(Combo, AnIndexOutsideTheListSelectsNothingAndEmptiesTheText) {
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        SCOPED_TRACE(style);
        auto* combo = MakeCombo(style);
        for (int i = 0; i < 15; ++i) combo->Items()->Add("entry " + std::to_string(i));
        combo->SetItemIndex(2);
        combo->SetItemIndex(20);
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
        combo->SetItemIndex(3);
        combo->SetItemIndex(-1);
        EXPECT_EQ(combo->ItemIndex(), -1);
        EXPECT_EQ(combo->Text(), "");
    }
    EXPECT_TRUE(events.empty());
}

TEST_F(Combo, ChoosingFromTheListClicksThenChanges) {
    auto* combo = MakeCombo(csDropDownList);
    for (const char* s : {"6", "8", "10"}) combo->Items()->Add(s);
    combo->SetItemIndex(0);
    QTest::keyClick(NativeWidget(combo), Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), 1);
    EXPECT_EQ(combo->Text(), "8");
    EXPECT_EQ(events, (std::vector<std::string>{"click", "change"}));
    events.clear();
    std::vector<std::string> selects;
    combo->OnSelect = [&](TObject*) { selects.push_back(combo->Text()); };
    QTest::keyClick(NativeWidget(combo), Qt::Key_Down);
    EXPECT_EQ(events, (std::vector<std::string>{"click"}));
    EXPECT_EQ(selects, (std::vector<std::string>{"10"}));
}

TEST_F(Combo, TypingChanges) {
    auto* combo = MakeCombo(csDropDown);
    for (const char* s : {"Arial", "Courier"}) combo->Items()->Add(s);
    QLineEdit* edit = static_cast<QComboBox*>(NativeWidget(combo))->lineEdit();
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "Ar");
    EXPECT_EQ(combo->Text(), "Ar");
    EXPECT_EQ(events, (std::vector<std::string>{"change", "change"}));
    // Enter does not add the typed text to the list.
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(combo->Items()->Count(), 2);
}

TEST_F(Combo, SortedItemsAndObjects) {
    auto* combo = MakeCombo(csDropDown);
    combo->SetSorted(true);
    for (const char* s : {"Wide", "arial", "Courier", "Default"}) combo->Items()->Add(s);
    EXPECT_EQ(combo->Items()->CommaText(), "arial,Courier,Default,Wide");
    EXPECT_EQ(combo->Items()->IndexOf("COURIER"), 1);
    TObject marker;
    combo->Items()->AddObject("Bold", &marker);
    EXPECT_EQ(combo->Items()->Objects(combo->Items()->IndexOf("Bold")), &marker);
    combo->SetDropDownCount(12);
    EXPECT_EQ(static_cast<QComboBox*>(NativeWidget(combo))->maxVisibleItems(), 12);
}

TEST_F(Combo, DropDownEventBeforeTheListOpens) {
    auto* combo = MakeCombo(csDropDownList);
    combo->Items()->Add("a");
    int count = 0;
    combo->OnDropDown = [&](TObject*) {
        ++count;
        combo->Items()->Add("added when opening");
    };
    combo->SetDroppedDown(true);
    Process();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(combo->Items()->Count(), 2);
    combo->SetDroppedDown(false);
}

// ---------------------------------------------------------------- buttons

TEST_F(StdControls, ButtonClickRunsEvenWhenHidden) {
    auto* button = Make<TButton>();
    button->SetCaption("&Save");
    button->Hide();
    button->SetEnabled(false);
    int n = 0;
    button->OnClick = [&](TObject*) { ++n; };
    button->Click();
    EXPECT_EQ(n, 1);
    EXPECT_EQ(button->Caption(), "&Save");
}

TEST_F(StdControls, CheckBoxClickFiresForCodeAndForTheUser) {
    auto* box = Make<TCheckBox>();
    box->SetCaption("Add Prefix");
    std::vector<bool> clicks;
    box->OnClick = [&](TObject*) { clicks.push_back(box->Checked()); };
    box->SetChecked(true);
    box->SetChecked(true);  // unchanged: no click
    box->SetChecked(false);
    QTest::mouseClick(NativeWidget(box), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    EXPECT_EQ(clicks, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(box->State(), cbChecked);
}

TEST_F(StdControls, CheckBoxClickErrorFromCodeReachesTheCaller) {
    auto* box = Make<TCheckBox>();
    box->OnClick = [](TObject*) { throw EConvertError("bad"); };
    EXPECT_THROW(box->SetChecked(true), EConvertError);
    EXPECT_TRUE(box->Checked());
}

TEST_F(StdControls, RadioButtonsOfOneParentExcludeEachOther) {
    auto* a = Make<TRadioButton>();
    auto* b = Make<TRadioButton>();
    b->SetTop(30);
    std::vector<std::string> clicks;
    a->OnClick = [&](TObject*) { clicks.push_back("a"); };
    b->OnClick = [&](TObject*) { clicks.push_back("b"); };
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    QTest::mouseClick(NativeWidget(a), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    QTest::mouseClick(NativeWidget(a), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));  // already checked
    EXPECT_TRUE(a->Checked());
    EXPECT_FALSE(b->Checked());
    EXPECT_EQ(clicks, (std::vector<std::string>{"a", "b", "a"}));
    a->SetChecked(false);
    EXPECT_FALSE(a->Checked());
}

// ---------------------------------------------------------------- label

TEST_F(StdControls, InvisibleLabelsCarryStateAsText) {
    auto* label = Make<TLabel>();
    label->Hide();
    label->SetCaption("-1");
    EXPECT_EQ(label->Caption(), "-1");
    EXPECT_EQ(StrToInt(label->Caption()), -1);
}

TEST_F(StdControls, LabelSizesItselfToItsCaption) {
    auto* label = Make<TLabel>();
    label->SetCaption("Font Size:");
    int32_t w = label->Width();
    EXPECT_GT(w, 20);
    EXPECT_GT(label->Height(), 5);
    label->SetCaption("Font Size: longer");
    EXPECT_GT(label->Width(), w);
    label->SetAutoSize(false);
    label->SetBounds(label->Left(), label->Top(), 10, 10);
    label->SetCaption("Caption above barcode:");
    EXPECT_EQ(label->Width(), 10);
    label->SetCaption("&Name");
    EXPECT_EQ(static_cast<QLabel*>(NativeWidget(label))->text(), QString("Name"));
}

// ---------------------------------------------------------------- memo

TEST_F(StdControls, MemoLinesAndChanges) {
    auto* memo = Make<TMemo>();
    int changes = 0;
    memo->OnChange = [&](TObject*) { ++changes; };
    memo->Lines()->Add("first");
    memo->Lines()->Add("second");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(memo->Lines()->Get(1), "second");
    EXPECT_EQ(memo->Text(), "first\nsecond");
    memo->Lines()->Delete(0);
    EXPECT_EQ(memo->Text(), "second");
    memo->Lines()->Clear();
    EXPECT_EQ(memo->Lines()->Count(), 0);
    EXPECT_GE(changes, 4);
}

TEST_F(StdControls, MemoKeepsEnterWhileTheFormHasADefaultButton) {
    auto* memo = Make<TMemo>();
    auto* ok = Make<TButton>();
    ok->SetDefault(true);
    ok->SetTop(100);
    int clicked = 0;
    ok->OnClick = [&](TObject*) { ++clicked; };
    QTest::keyClicks(NativeWidget(memo), "a");
    QTest::keyClick(NativeWidget(memo), Qt::Key_Return);
    QTest::keyClicks(NativeWidget(memo), "b");
    EXPECT_EQ(memo->Lines()->Count(), 2);
    EXPECT_EQ(clicked, 0);
    memo->SetWantReturns(false);
    QTest::keyClick(NativeWidget(memo), Qt::Key_Return);
    EXPECT_EQ(clicked, 1);
}

// ---------------------------------------------------------------- list box

TEST_F(StdControls, ListBoxItems) {
    auto* list = Make<TListBox>();
    list->SetSorted(true);
    for (const char* s : {"c", "a", "b"}) list->Items()->Add(s);
    EXPECT_EQ(list->Items()->CommaText(), "a,b,c");
    list->SetItemIndex(1);
    EXPECT_EQ(list->ItemIndex(), 1);
    list->SetItemIndex(7);
    EXPECT_EQ(list->ItemIndex(), -1);
}

}  // namespace

namespace {

TEST_F(StdControls, ALabelsAcceleratorFocusesItsControl) {
    auto* label = Make<TLabel>();
    label->SetCaption("&Name For Label Template:");
    auto* name = Make<TEdit>();
    name->SetTop(30);
    auto* other = Make<TEdit>();
    other->SetTop(60);
    label->SetFocusControl(name);
    ShowActive(*form);
    other->SetFocus();
    Process();
    if (!other->Focused()) GTEST_SKIP() << "the offscreen platform gave no window focus";
    QTest::keyClick(NativeWidget(other), Qt::Key_N, Qt::AltModifier);
    Process();
    EXPECT_TRUE(name->Focused());
    EXPECT_EQ(other->Text(), "");
}

}  // namespace
