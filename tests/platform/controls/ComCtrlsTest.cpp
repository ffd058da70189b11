// Tool bars, status bar, page control, progress bar, up-down and spin edit,
// radio group, timer, image and panel.
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "ControlsTestSupport.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/controls/Spin.h"
#include "platform/controls/StdCtrls.h"

namespace {

class Common : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm(400, 300);
    }
    void TearDown() override {
        form.reset();
        ScriptedTest::TearDown();
    }
    template <class T>
    T* Make(TWinControl* parent = nullptr) {
        auto* c = new T(form.get());
        c->SetParent(parent ? parent : form.get());
        return c;
    }
    std::unique_ptr<TForm> form;
};

// ---------------------------------------------------------------- tool bar

TEST_F(Common, ToolBarPlacesButtonsAndSeparators) {
    auto* bar = Make<TToolBar>();
    bar->SetEdgeBorders(0);
    bar->SetAutoSize(true);
    bar->SetWrapable(false);
    TToolButton* sep1 = Make<TToolButton>(bar);
    sep1->SetStyle(tbsSeparator);
    sep1->SetWidth(8);
    TToolButton* save = Make<TToolButton>(bar);
    save->SetImageIndex(2);
    save->SetHint("Save barcode to file");
    save->SetShowHint(true);
    TToolButton* copy = Make<TToolButton>(bar);
    EXPECT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(sep1->BoundsRect(), Rect(0, 0, 8, 22));
    EXPECT_EQ(save->BoundsRect(), Rect(8, 0, 31, 22));
    EXPECT_EQ(copy->Left(), 31);
    EXPECT_EQ(bar->Height(), 22);
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_EQ(NativeWidget(save)->toolTip(), QString("Save barcode to file"));
    bar->SetButtonHeight(23);
    EXPECT_EQ(bar->Height(), 23);
    EXPECT_EQ(copy->Height(), 23);
    bar->SetEdgeBorders(ebTop);
    EXPECT_EQ(save->Top(), 2);
    EXPECT_EQ(bar->Height(), 25);
}

TEST_F(Common, WrapableToolBarStartsANewRow) {
    auto* bar = Make<TToolBar>();
    bar->SetAlign(alNone);
    bar->SetEdgeBorders(0);
    bar->SetBounds(0, 0, 60, 29);
    bar->SetAutoSize(true);
    std::vector<TToolButton*> buttons;
    for (int i = 0; i < 4; ++i) buttons.push_back(Make<TToolButton>(bar));
    EXPECT_EQ(bar->RowCount(), 2);
    EXPECT_EQ(buttons[2]->Left(), 0);
    EXPECT_EQ(buttons[2]->Top(), 22);
    EXPECT_EQ(bar->Height(), 44);
    bar->SetWrapable(false);
    EXPECT_EQ(bar->RowCount(), 1);
}

TEST_F(Common, ToolButtonsClickAndCheck) {
    auto* bar = Make<TToolBar>();
    auto* images = new TImageList(form.get());
    TBitmap bmp(16, 16);
    bmp.Canvas()->Brush()->SetColor(clRed);
    bmp.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images->Add(bmp);
    bar->SetImages(images);
    TToolButton* rotate = Make<TToolButton>(bar);
    rotate->SetImageIndex(0);
    EXPECT_FALSE(static_cast<QToolButton*>(NativeWidget(rotate))->icon().isNull());
    int clicks = 0;
    rotate->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    Process();
    Click(rotate);
    EXPECT_EQ(clicks, 1);
    TToolButton* check = Make<TToolButton>(bar);
    check->SetStyle(tbsCheck);
    Click(check);
    EXPECT_TRUE(check->Down());
    Click(check);
    EXPECT_FALSE(check->Down());
    // Without OnClick a button clicks its menu item.
    auto* item = new TMenuItem(form.get());
    item->SetCaption("C&opy to Clipboard");
    int itemClicks = 0;
    item->OnClick = [&](TObject*) { ++itemClicks; };
    TToolButton* copy = Make<TToolButton>(bar);
    copy->SetMenuItem(item);
    copy->Click();
    EXPECT_EQ(itemClicks, 1);
}

TEST_F(Common, GroupedCheckButtonsExcludeEachOther) {
    auto* bar = Make<TToolBar>();
    std::vector<TToolButton*> group;
    for (int i = 0; i < 3; ++i) {
        group.push_back(Make<TToolButton>(bar));
        group.back()->SetStyle(tbsCheck);
        group.back()->SetGrouped(true);
    }
    group[0]->SetDown(true);
    group[2]->SetDown(true);
    EXPECT_FALSE(group[0]->Down());
    EXPECT_TRUE(group[2]->Down());
}

// ---------------------------------------------------------------- status bar

TEST_F(Common, StatusBarShowsItsSimpleTextOrItsPanels) {
    auto* status = Make<TStatusBar>();
    EXPECT_EQ(status->Align(), alBottom);
    EXPECT_EQ(status->Top() + status->Height(), form->ClientHeight());
    status->SetSimplePanel(true);
    status->SetSimpleText("Ready");
    EXPECT_EQ(status->ShownTexts(), (std::vector<std::string>{"Ready"}));
    status->SetSimplePanel(false);
    status->Panels()->Add()->SetText("EAN-13");
    status->Panels()->Add()->SetText("12 digits");
    EXPECT_EQ(status->ShownTexts(), (std::vector<std::string>{"EAN-13", "12 digits"}));
    EXPECT_EQ(status->Panels()->Items(1)->Index(), 1);
    status->Panels()->Delete(0);
    EXPECT_EQ(status->Panels()->Items(0)->Index(), 0);
    EXPECT_FALSE(NativeWidget(status)->grab().isNull());
}

// ---------------------------------------------------------------- page control

TEST_F(Common, PageControlChangesOnlyForTheUser) {
    auto* pages = Make<TPageControl>();
    pages->SetAlign(alClient);
    std::vector<TTabSheet*> sheets;
    for (const char* c : {"Print Single or Full Sheets", "Increment Label Printing", "Print From Data File"}) {
        auto* sheet = new TTabSheet(form.get());
        sheet->SetPageControl(pages);
        sheet->SetCaption(c);
        sheets.push_back(sheet);
    }
    auto* edit = Make<TEdit>(sheets[1]);
    edit->SetBounds(8, 8, 100, 21);
    EXPECT_EQ(pages->PageCount(), 3);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(NativeTabs(pages)->tabText(2), QString("Print From Data File"));
    EXPECT_EQ(sheets[1]->PageIndex(), 1);
    EXPECT_EQ(edit->Parent(), sheets[1]);
    int changes = 0;
    bool allow = true;
    std::vector<int> seenDuringChanging;
    pages->OnChange = [&](TObject*) { ++changes; };
    pages->OnChanging = [&](TObject*, bool& a) {
        seenDuringChanging.push_back(pages->ActivePageIndex());
        a = allow;
    };
    pages->SetActivePageIndex(2);
    pages->SetActivePage(sheets[1]);
    EXPECT_EQ(pages->ActivePage(), sheets[1]);
    EXPECT_EQ(changes, 0);
    form->Show();
    Process();
    QTabBar* tabs = NativeTabs(pages)->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(0).center());
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(seenDuringChanging, std::vector<int>{1});
    allow = false;
    QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(2).center());
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(NativeTabs(pages)->currentIndex(), 0);
    EXPECT_EQ(changes, 1);
    // Sheets fill the page area.
    EXPECT_GT(sheets[0]->Width(), 0);
    EXPECT_LE(sheets[0]->Width(), pages->Width());
}

// ---------------------------------------------------------------- progress bar

TEST_F(Common, ProgressBarStepsAndStaysInRange) {
    auto* bar = Make<TProgressBar>();
    bar->SetMax(3);
    bar->SetStep(1);
    bar->StepIt();
    bar->StepIt();
    EXPECT_EQ(bar->Position(), 2);
    bar->SetPosition(10);
    EXPECT_EQ(bar->Position(), 3);
    bar->SetPosition(-4);
    EXPECT_EQ(bar->Position(), 0);
    bar->SetMax(100);
    bar->SetStep(30);
    for (int i = 0; i < 3; ++i) bar->StepIt();
    EXPECT_EQ(bar->Position(), 90);
    bar->StepIt();  // past Max starts again from Min
    EXPECT_LT(bar->Position(), 90);
}

// ---------------------------------------------------------------- up-down

TEST_F(Common, UpDownCountsInItsAssociate) {
    auto* edit = Make<TEdit>();
    edit->SetBounds(10, 10, 60, 21);
    auto* updown = Make<TUpDown>();
    updown->SetMin(1);
    updown->SetMax(999);
    updown->SetPosition(1);
    updown->SetAssociate(edit);
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(edit->Width() + updown->Width(), 60);
    EXPECT_EQ(updown->Left(), edit->Left() + edit->Width());
    std::vector<std::string> changes;
    edit->OnChange = [&](TObject*) { changes.push_back(edit->Text()); };
    std::vector<TUDBtnType> clicks;
    updown->OnClick = [&](TObject*, TUDBtnType b) { clicks.push_back(b); };
    updown->StepButton(btNext);
    EXPECT_EQ(edit->Text(), "2");
    // The arrows read what was typed.
    edit->SetText("998");
    updown->StepButton(btNext);
    updown->StepButton(btNext);
    EXPECT_EQ(edit->Text(), "999");
    EXPECT_EQ(updown->Position(), 999);
    EXPECT_EQ(clicks.size(), 3u);
    EXPECT_EQ(changes, (std::vector<std::string>{"2", "998", "999"}));
    bool allow = false;
    updown->OnChanging = [&](TObject*, bool& a) { a = allow; };
    updown->StepButton(btPrev);
    EXPECT_EQ(edit->Text(), "999");
    // The arrow keys in the edit count too.
    allow = true;
    QTest::keyClick(NativeWidget(edit), Qt::Key_Down);
    EXPECT_EQ(edit->Text(), "998");
    // And the buttons.
    form->Show();
    Process();
    auto buttons = NativeWidget(updown)->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(edit->Text(), "997");
}

TEST_F(Common, UpDownWrapsAndGroupsThousands) {
    auto* edit = Make<TEdit>();
    auto* updown = Make<TUpDown>();
    updown->SetMin(0);
    updown->SetMax(2000);
    updown->SetIncrement(500);
    updown->SetAssociate(edit);
    updown->SetPosition(1000);
    EXPECT_EQ(edit->Text(), "1,000");
    updown->SetThousands(false);
    EXPECT_EQ(edit->Text(), "1000");
    updown->SetWrap(true);
    updown->SetPosition(2000);
    updown->StepButton(btNext);
    EXPECT_EQ(updown->Position(), 0);
    updown->StepButton(btPrev);
    EXPECT_EQ(updown->Position(), 2000);
}

TEST_F(Common, UpDownOutlivesItsAssociate) {
    auto* edit = Make<TEdit>();
    auto* updown = Make<TUpDown>();
    updown->SetAssociate(edit);
    delete edit;
    EXPECT_EQ(updown->Associate(), nullptr);
    updown->StepButton(btNext);
    EXPECT_EQ(updown->Position(), 1);
}

// ---------------------------------------------------------------- spin edit

TEST_F(Common, SpinEditValueAndText) {
    auto* spin = Make<TSpinEdit>();
    std::vector<std::string> changes;
    spin->OnChange = [&](TObject*) { changes.push_back(spin->Text()); };
    spin->SetValue(1);
    spin->UpClick();
    EXPECT_EQ(spin->Value(), 2);
    spin->SetText("abc");
    EXPECT_EQ(spin->Value(), 0);  // MinValue for no number
    spin->SetMinValue(1);
    spin->SetMaxValue(999);
    spin->SetValue(1500);
    EXPECT_EQ(spin->Text(), "999");
    spin->SetValue(-3);
    EXPECT_EQ(spin->Text(), "1");
    EXPECT_EQ(changes, (std::vector<std::string>{"1", "2", "abc", "999", "1"}));
    // Without bounds (both 0) any value stands, as the range boxes need.
    spin->SetMinValue(0);
    spin->SetMaxValue(0);
    spin->SetValue(1500);
    EXPECT_EQ(spin->Value(), 1500);
}

TEST_F(Common, SpinEditKeys) {
    auto* spin = Make<TSpinEdit>();
    spin->SetValue(5);
    spin->SetSelStart(1);
    QTest::keyClick(NativeWidget(spin), Qt::Key_Up);
    EXPECT_EQ(spin->Value(), 6);
    QTest::keyClick(NativeWidget(spin), Qt::Key_Down);
    QTest::keyClick(NativeWidget(spin), Qt::Key_Down);
    EXPECT_EQ(spin->Value(), 4);
    spin->SetSelStart(1);
    QTest::keyClicks(NativeWidget(spin), "x2");
    EXPECT_EQ(spin->Text(), "42");
}

// ---------------------------------------------------------------- radio group

TEST_F(Common, RadioGroupItemIndexClicksLikeTheUser) {
    auto* group = Make<TRadioGroup>();
    group->SetCaption("Print");
    group->SetBounds(8, 8, 200, 80);
    group->Items()->Add("Full page of the same label");
    group->Items()->Add("Single label");
    ASSERT_EQ(group->ButtonCount(), 2);
    std::vector<int32_t> clicks;
    group->OnClick = [&](TObject*) { clicks.push_back(group->ItemIndex()); };
    group->SetItemIndex(0);
    group->SetItemIndex(0);
    EXPECT_EQ(clicks, std::vector<int32_t>{0});
    form->Show();
    Process();
    QTest::mouseClick(NativeWidget(group->Buttons(1)), Qt::LeftButton, Qt::NoModifier, QPoint(6, 8));
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_FALSE(group->Buttons(0)->Checked());
    EXPECT_EQ(clicks, (std::vector<int32_t>{0, 1}));
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), 1);
    group->SetItemIndex(-5);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_FALSE(group->Buttons(1)->Checked());
    // Two columns: the second half of the items stands to the right.
    group->Items()->Add("Third");
    group->Items()->Add("Fourth");
    group->SetColumns(2);
    EXPECT_EQ(group->Buttons(0)->Left(), group->Buttons(1)->Left());
    EXPECT_GT(group->Buttons(2)->Left(), group->Buttons(0)->Left());
    EXPECT_EQ(group->Buttons(2)->Top(), group->Buttons(0)->Top());
}

// ---------------------------------------------------------------- timer

TEST_F(Common, TimerTicksWhileEnabledAndSurvivesErrors) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(5);
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        if (ticks == 1) throw EInOutError("tick failed");
    };
    dialogs->AnswerMessageBox(IDOK);
    clock->Advance(12);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{"tick failed."});
    timer.SetEnabled(false);
    EXPECT_TRUE(clock->Intervals().empty());
    clock->Advance(30);
    EXPECT_EQ(ticks, 2);
    timer.Tick();
    EXPECT_EQ(ticks, 3);
}

// A repeat button's timer: the first tick after 400 ms, then every 100 ms;
// a new interval counts from the tick that set it.
TEST_F(Common, ATimerThatChangesItsIntervalRepeatsAtTheNewOne) {
    TTimer timer(nullptr);
    timer.SetInterval(400);
    std::vector<uint64_t> at;
    timer.OnTimer = [&](TObject*) {
        at.push_back(clock->Now());
        timer.SetInterval(100);
    };
    clock->Advance(399);
    EXPECT_TRUE(at.empty());
    clock->Advance(301);
    EXPECT_EQ(at, (std::vector<uint64_t>{400, 500, 600, 700}));
    EXPECT_EQ(clock->Intervals(), std::vector<uint32_t>{100});
    timer.SetEnabled(false);
    timer.SetEnabled(true);
    clock->Advance(99);
    EXPECT_EQ(at.size(), 4u);
    clock->Advance(1);
    EXPECT_EQ(at.back(), 800u);
}

// ---------------------------------------------------------------- image and panel

TEST_F(Common, ImageDrawsItsPictureAndSizesItself) {
    auto* image = Make<TImage>();
    auto bmp = std::make_unique<TBitmap>(30, 20);
    bmp->Canvas()->Brush()->SetColor(clLime);
    bmp->Canvas()->FillRect(Rect(0, 0, 30, 20));
    image->SetAutoSize(true);
    image->Picture()->SetGraphic(std::move(bmp));
    EXPECT_EQ(image->Width(), 30);
    EXPECT_EQ(image->Height(), 20);
    QImage shot = NativeWidget(image)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(15, 10), QColor(0, 255, 0));
    image->SetAutoSize(false);
    image->SetBounds(0, 0, 60, 40);
    image->SetStretch(true);
    EXPECT_EQ(image->DestRect(), Rect(0, 0, 60, 40));
    shot = NativeWidget(image)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(55, 35), QColor(0, 255, 0));
    image->SetStretch(false);
    image->SetCenter(true);
    EXPECT_EQ(image->DestRect(), Rect(15, 10, 45, 30));
}

TEST_F(Common, PanelBorderKeepsItsChildrenInside) {
    // The splash window's frame: a black panel with a 1-pixel border around
    // a client-aligned picture.
    auto* panel = Make<TPanel>();
    panel->SetAlign(alClient);
    panel->SetBevelOuter(bvNone);
    panel->SetBorderWidth(1);
    panel->SetColor(clBlack);
    auto* image = Make<TImage>(panel);
    image->SetAlign(alClient);
    EXPECT_EQ(image->BoundsRect(), Rect(1, 1, panel->Width() - 1, panel->Height() - 1));
    panel->SetBevelOuter(bvRaised);
    EXPECT_EQ(image->Left(), 2);
    panel->SetCaption("Panel1");
    EXPECT_EQ(panel->Caption(), "Panel1");
}

TEST_F(Common, BevelPaintsWithoutFailing) {
    auto* bevel = Make<TBevel>();
    for (TBevelShape shape : {bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer}) {
        bevel->SetShape(shape);
        EXPECT_FALSE(NativeWidget(bevel)->grab().isNull());
    }
    EXPECT_TRUE(dialogs->Log().empty());
}

}  // namespace
