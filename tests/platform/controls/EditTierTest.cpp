// The edit tier the grid's editors stand on: the platform's edit with its
// multi-line mode, clipboard messages and formatting rectangle, the masked
// edit, and the combo box whose painting a descendant may take over.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "ControlsTestSupport.h"
#include "platform/controls/StdCtrls.h"

namespace {

// An edit as the grid's editors make one: multi-line or not, logging the
// clipboard messages and refusing them when told.
class TTierEdit : public TCustomMaskEdit {
public:
    TTierEdit(TComponent* owner, bool multiLine) : TCustomMaskEdit(owner, multiLine) {}
    ~TTierEdit() override { DetachWidget(); }
    using TCustomEdit::SetMultiLine;
    std::vector<std::string> Log;
    bool Refuse = false;
    char32_t RefuseChar = 0;
    void CutToClipboard() override {
        Log.push_back("cut");
        if (!Refuse) TCustomMaskEdit::CutToClipboard();
    }
    void CopyToClipboard() override {
        Log.push_back("copy");
        if (!Refuse) TCustomMaskEdit::CopyToClipboard();
    }
    void PasteFromClipboard() override {
        Log.push_back("paste");
        if (!Refuse) TCustomMaskEdit::PasteFromClipboard();
    }

protected:
    void KeyPress(char32_t& key) override {
        if (key == RefuseChar) key = 0;
        TCustomMaskEdit::KeyPress(key);
    }
};

class EditTier : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm(400, 300);
    }
    TTierEdit* NewEdit(bool multiLine) {
        auto* e = new TTierEdit(form.get(), multiLine);
        e->SetParent(form.get());
        e->SetBounds(10, 10, 200, 80);
        return e;
    }
    std::unique_ptr<TForm> form;
};

TEST_F(EditTier, AMultiLineEditHoldsLinesAsCrLfAndCountsThemTwice) {
    TTierEdit* e = NewEdit(true);
    int32_t changes = 0;
    e->OnChange = [&](TObject*) { ++changes; };
    e->SetText("one\ntwo\r\nthree");
    EXPECT_EQ(e->Text(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(e->GetTextLen(), 15);
    EXPECT_EQ(e->LineCount(), 3);
    EXPECT_EQ(e->LineIndex(1), 5);
    EXPECT_EQ(e->LineIndex(2), 10);
    EXPECT_EQ(e->LineIndex(3), -1);
    e->SetSelStart(6);
    e->SetSelLength(6);
    EXPECT_EQ(e->SelText(), "wo\r\nth");
    EXPECT_EQ(e->CaretLine(), 1);
    EXPECT_EQ(e->LineFromChar(12), 2);
    // The character under a point of the second line.
    auto* plain = static_cast<QPlainTextEdit*>(NativeWidget(e));
    QRect second = plain->cursorRect(QTextCursor(plain->document()->findBlockByNumber(1)));
    QPoint at = plain->viewport()->mapTo(plain, second.center());
    EXPECT_EQ(e->CharFromPos(Point(at.x(), at.y())), 5);
}

TEST_F(EditTier, ReturnBreaksALineOnlyWithCtrlAndTabIsNeverTyped) {
    ShowActive(*form);
    TTierEdit* e = NewEdit(true);
    e->SetFocus();
    TypeText(e, "ab");
    PressKey(e, VK_RETURN);
    PressKey(e, VK_TAB, 0);
    EXPECT_EQ(e->Text(), "ab");
    e->SetFocus();
    PressKey(e, VK_RETURN, ssCtrl);
    TypeText(e, "c");
    EXPECT_EQ(e->Text(), "ab\r\nc");
    EXPECT_EQ(e->LineCount(), 2);
    EXPECT_EQ(e->CaretLine(), 1);
    // MaxLength counts the line break twice.
    e->SetMaxLength(6);
    TypeText(e, "dd");
    EXPECT_EQ(e->Text(), "ab\r\ncd");
}

TEST_F(EditTier, TheClipboardKeysAndMessagesReachTheVirtuals) {
    ShowActive(*form);
    struct Case {
        const char* name;
        Word key;
        TShiftState shift;
        const char* logged;
    } cases[] = {
        {"Ctrl+X", 'X', ssCtrl, "cut"},          {"Shift+Delete", VK_DELETE, ssShift, "cut"},
        {"Ctrl+C", 'C', ssCtrl, "copy"},         {"Ctrl+Insert", VK_INSERT, ssCtrl, "copy"},
        {"Ctrl+V", 'V', ssCtrl, "paste"},        {"Shift+Insert", VK_INSERT, ssShift, "paste"},
    };
    for (bool multiLine : {false, true}) {
        TTierEdit* e = NewEdit(multiLine);
        e->SetFocus();
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (multiLine ? " multi-line" : ""));
            e->Log.clear();
            e->Refuse = true;
            e->SetText("abc");
            e->SelectAll();
            QApplication::clipboard()->setText("zz");
            PressKey(e, c.key, c.shift);
            EXPECT_EQ(e->Log, std::vector<std::string>{c.logged});
            EXPECT_EQ(e->Text(), "abc") << "refused";
            EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "zz");
        }
        e->Refuse = false;
        e->SetText("abc");
        e->SelectAll();
        PressKey(e, 'X', ssCtrl);
        EXPECT_EQ(e->Text(), "");
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "abc");
        e->Perform(WM_PASTE);
        e->Perform(WM_PASTE);
        EXPECT_EQ(e->Text(), "abcabc");
        // The control character of Ctrl+V goes through KeyPress first.
        e->RefuseChar = 0x16;
        e->Log.clear();
        PressKey(e, 'V', ssCtrl);
        EXPECT_TRUE(e->Log.empty());
        EXPECT_EQ(e->Text(), "abcabc");
        delete e;
    }
}

TEST_F(EditTier, ChangingTheKindKeepsTextSelectionChildrenAndFocus) {
    ShowActive(*form);
    TTierEdit* e = NewEdit(false);
    auto* child = new TEdit(form.get());
    child->SetParent(e);
    child->SetBounds(150, 2, 40, 16);
    std::vector<std::string> events;
    e->OnExit = [&](TObject*) { events.push_back("exit"); };
    e->OnChange = [&](TObject*) { events.push_back("change"); };
    e->SetText("hello");
    e->SetSelStart(1);
    e->SetSelLength(3);
    e->SetMaxLength(20);
    e->SetFocus();
    const bool focused = e->Focused();
    events.clear();
    e->SetMultiLine(true);
    EXPECT_TRUE(e->MultiLine());
    EXPECT_NE(dynamic_cast<QPlainTextEdit*>(NativeWidget(e)), nullptr);
    EXPECT_EQ(e->Text(), "hello");
    EXPECT_EQ(e->SelStart(), 1);
    EXPECT_EQ(e->SelLength(), 3);
    EXPECT_EQ(e->MaxLength(), 20);
    EXPECT_EQ(NativeWidget(child)->parentWidget(), NativeWidget(e));
    EXPECT_EQ(NativeWidget(e)->geometry(), QRect(10, 10, 200, 80));
    if (focused) {
        EXPECT_TRUE(e->Focused());
    }
    EXPECT_TRUE(events.empty()) << "no change and no exit";
    ProcessEvents();
    // Back to one line: the text ends at its first line break.
    e->SetText("first\r\nsecond");
    e->SetMultiLine(false);
    EXPECT_NE(dynamic_cast<QLineEdit*>(NativeWidget(e)), nullptr);
    EXPECT_EQ(e->Text(), "first");
    TypeText(e, "!");
    ProcessEvents();
}

TEST_F(EditTier, FormattingRectangleBorderAndMask) {
    TTierEdit* e = NewEdit(false);
    EXPECT_EQ(e->EditRect(), e->ClientRect());
    e->SetEditRect(Rect(2, 1, 150, 81));
    EXPECT_EQ(e->EditRect(), Rect(2, 1, 150, 81));
    auto* line = static_cast<QLineEdit*>(NativeWidget(e));
    EXPECT_EQ(line->textMargins(), QMargins(2, 1, 50, 0));
    e->SetBorderStyle(bsNone);
    EXPECT_FALSE(line->hasFrame());
    e->SetAlignment(taRightJustify);
    EXPECT_TRUE(line->alignment() & Qt::AlignRight);
    EXPECT_FALSE(e->IsMasked());
    e->SetEditMask("!99/99/00;1;_");
    EXPECT_TRUE(e->IsMasked());
    e->SetText("12");
    EXPECT_EQ(e->EditText(), "12");
    e->Deselect();
    EXPECT_EQ(e->SelStart(), 2);
    EXPECT_EQ(e->SelLength(), 0);
}

// A combo that paints its own frame over the native look.
class TFramedCombo : public TCustomComboBox {
public:
    explicit TFramedCombo(TComponent* owner) : TCustomComboBox(owner) {}
    ~TFramedCombo() override { DetachWidget(); }
    bool Native = true;
    int32_t Paints = 0;

protected:
    void WMPaint(TMessage& message) override {
        ++Paints;
        if (Native) DefaultPaint();
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FrameRect(ClientRect());
    }
};

TEST_F(EditTier, ADescendantPaintsTheComboThroughItsCanvas) {
    auto* combo = new TFramedCombo(form.get());
    combo->SetParent(form.get());
    combo->SetBounds(10, 10, 120, 24);
    combo->Items()->Add("alpha");
    ShowActive(*form);
    QImage shot = NativeWidget(combo)->grab().toImage();
    EXPECT_GT(combo->Paints, 0);
    EXPECT_EQ(QColor(shot.pixel(0, 12)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(60, 0)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(60, 12)), QColor(Qt::red));
    combo->SetDroppedWidth(300);
    EXPECT_EQ(combo->DroppedWidth(), 300);
}

}  // namespace
