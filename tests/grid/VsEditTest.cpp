// The edit-with-button controls: the button holder's size, its click on a
// left release over the button and the focus that follows.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QTest>

#include "grid/VsEdit.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"
#include "tests/platform/controls/ControlsTestSupport.h"

namespace {

class EditButtons : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        holder = new TVsEditButton(form.get());
        holder->SetParent(form.get());
        holder->SetBounds(10, 10, 20, 25);
        holder->OnClick = [this](TObject* sender) { clicks.push_back(sender); };
        edit = new TEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(40, 10, 80, 21);
        holder->SetFocusControl(edit);
        ShowActive(*form);
    }
    void ReleaseOn(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* w = NativeWidget(holder->SpeedButton());
        QTest::mousePress(w, button, Qt::NoModifier, QPoint(3, 3));
        QTest::mouseRelease(w, button, Qt::NoModifier, at);
        Process();
    }
    std::unique_ptr<TForm> form;
    TVsEditButton* holder = nullptr;
    TEdit* edit = nullptr;
    std::vector<TObject*> clicks;
};

TEST_F(EditButtons, TheButtonCoversTheHolderAtLeast15Wide) {
    EXPECT_EQ(holder->SpeedButton()->BoundsRect(), Rect(0, 0, 20, 25));
    holder->SetBounds(10, 10, 9, 17);
    EXPECT_EQ(holder->Width(), 15);
    EXPECT_EQ(holder->SpeedButton()->BoundsRect(), Rect(0, 0, 15, 17));
    holder->SetButtonCaption("...");
    EXPECT_EQ(holder->SpeedButton()->Caption(), "...");
    EXPECT_EQ(holder->NumGlyphs(), 1);
    EXPECT_FALSE(holder->TabStop());
}

TEST_F(EditButtons, ALeftReleaseOverTheButtonClicksAndFocusesTheEdit) {
    ReleaseOn(QPoint(4, 4));
    EXPECT_EQ(clicks, std::vector<TObject*>{holder});
    EXPECT_TRUE(edit->Focused());
    // Released off the button: no click.
    ReleaseOn(QPoint(60, 4));
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(EditButtons, ARightReleaseNeitherClicksNorMovesTheFocus) {
    auto* other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetTop(60);
    other->SetFocus();
    Process();
    ReleaseOn(QPoint(4, 4), Qt::RightButton);
    EXPECT_TRUE(clicks.empty());
    EXPECT_TRUE(other->Focused());
}

// An edit with a button whose click a descendant hears.
class TLoggingEditBtn : public TVsEditBtn {
public:
    using TVsEditBtn::TVsEditBtn;
    std::vector<TObject*> Clicks;

protected:
    void ButtonClick(TObject* Sender) override {
        Clicks.push_back(Sender);
        TVsEditBtn::ButtonClick(Sender);
    }
};

class EditsWithButtons : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        edit = new TLoggingEditBtn(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(10, 10, 150, 24);
        units = new TVsUnitEditBtn(form.get());
        units->SetParent(form.get());
        units->SetBounds(10, 50, 150, 24);
        ShowActive(*form);
    }
    static void ClickButton(TVsEditBtn* e, Qt::MouseButton button = Qt::LeftButton) {
        QWidget* w = NativeWidget(e->EditButton()->SpeedButton());
        QTest::mouseClick(w, button, Qt::NoModifier, QPoint(3, 3));
        ProcessEvents();
    }
    std::unique_ptr<TForm> form;
    TLoggingEditBtn* edit = nullptr;
    TVsUnitEditBtn* units = nullptr;
};

TEST_F(EditsWithButtons, TheButtonSitsInsideTheRightEdgeAndTheTextStopsBeforeIt) {
    EXPECT_EQ(edit->Text(), "0");
    TVsEditButton* b = edit->EditButton();
    EXPECT_EQ(b->Parent(), edit);
    EXPECT_EQ(b->FocusControl(), edit);
    EXPECT_EQ(b->Width(), 15);
    EXPECT_LE(b->BoundsRect().Right, edit->Width());
    EXPECT_EQ(edit->EditRect().Right, edit->ClientWidth() - 15 - 3);
    EXPECT_EQ(edit->UnitSpace(), 0);
    edit->SetButtonCaption("...");
    EXPECT_EQ(b->SpeedButton()->Caption(), "...");
    // An edit set lower than its font needs grows at the next resize.
    edit->SetHeight(6);
    EXPECT_EQ(edit->Height(), edit->GetMinHeight());
}

TEST_F(EditsWithButtons, AClickFiresOnClickBtnWithTheHolderAsSender) {
    std::vector<TObject*> fired;
    edit->OnClickBtn = [&](TObject* sender) { fired.push_back(sender); };
    ClickButton(edit);
    EXPECT_EQ(edit->Clicks, std::vector<TObject*>{edit->EditButton()});
    EXPECT_EQ(fired, std::vector<TObject*>{edit->EditButton()});
    EXPECT_TRUE(edit->Focused());
    ClickButton(edit, Qt::RightButton);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(EditsWithButtons, CutAndPasteNeedTheEditorAndNoReadOnlyButTypingOnlyReadOnly) {
    struct Row {
        const char* Name;
        bool EditorEnabled, ReadOnly;
        const char* AfterPaste;
        const char* AfterCut;
        const char* AfterTyping;
    };
    const Row rows[] = {
        {"editable", true, false, "pasted", "", "x"},
        {"editor off", false, false, "0", "0", "0x"},
        {"read-only", true, true, "0", "0", "0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        edit->SetText("0");
        edit->SetEditorEnabled(row.EditorEnabled);
        edit->SetReadOnly(row.ReadOnly);
        edit->SetFocus();
        ProcessEvents();
        QApplication::clipboard()->setText("pasted");
        edit->SelectAll();
        edit->Perform(WM_PASTE);
        EXPECT_EQ(edit->Text(), row.AfterPaste);
        edit->SelectAll();
        edit->Perform(WM_CUT);
        EXPECT_EQ(edit->Text(), row.AfterCut);
        edit->SetSelStart(static_cast<int32_t>(edit->Text().size()));
        TypeText(edit, "x");
        EXPECT_EQ(edit->Text(), row.AfterTyping);
    }
}

TEST_F(EditsWithButtons, TheUnitStandsRightAlignedBetweenTextAndButton) {
    EXPECT_TRUE(units->RightAlign());
    EXPECT_EQ(units->Alignment(), taRightJustify);
    EXPECT_EQ(units->UnitSpace(), 20);
    const int32_t buttonLeft = units->EditButton()->Left();
    const TRect unit = units->UnitRect();
    EXPECT_EQ(unit.Width(), 20);
    EXPECT_LE(unit.Right, buttonLeft);
    // The typed text ends 3 + 20 pixels before the button.
    EXPECT_EQ(units->EditRect().Right, units->ClientWidth() - 15 - 20 - 3);
    units->SetUnitSpace(30);
    EXPECT_EQ(units->UnitRect().Width(), 30);
    EXPECT_EQ(units->EditRect().Right, units->ClientWidth() - 15 - 30 - 3);
    // The unit is drawn there.
    units->SetUnitID("kg");
    QImage shot = NativeWidget(units)->grab().toImage();
    int ink = 0;
    const TRect r = units->UnitRect();
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) ink += qGray(shot.pixel(x, y)) < 100;
    EXPECT_GT(ink, 5);
}

TEST_F(EditsWithButtons, TheButtonOpensTheUnitsAndAChosenOneBecomesTheUnit) {
    // No units: an empty menu, and the unit stays.
    units->SetUnitID("m");
    ClickButton(units);
    ASSERT_NE(units->UnitsMenu(), nullptr);
    EXPECT_EQ(units->UnitsMenu()->Items()->Count(), 0);
    EXPECT_EQ(units->UnitID(), "m");
    TStringList list;
    list.Add("kg");
    list.Add("g");
    list.Add("t");
    units->SetUnits(&list);
    units->SetUnits(nullptr);
    EXPECT_EQ(units->Units()->Count(), 3);
    bool fired = false;
    units->OnClickBtn = [&](TObject*) { fired = true; };
    ClickButton(units);
    TPopupMenu* menu = units->UnitsMenu();
    ASSERT_EQ(menu->Items()->Count(), 3);
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), "g");
    EXPECT_EQ(menu->Items()->Items(1)->Tag(), 2);
    menu->Items()->Items(1)->Click();
    EXPECT_EQ(units->UnitID(), "g");
    EXPECT_FALSE(fired);
    // The command alone, as the menu sends it.
    units->ApplyUnitCommand(3);
    EXPECT_EQ(units->UnitID(), "t");
    units->ApplyUnitCommand(0);
    units->ApplyUnitCommand(4);
    EXPECT_EQ(units->UnitID(), "t");
}

}  // namespace
