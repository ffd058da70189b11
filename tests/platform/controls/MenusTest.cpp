// Menus: items, radio groups, shortcuts dispatched from the keyboard.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "ControlsTestSupport.h"
#include "platform/controls/Menus.h"
#include "platform/controls/StdCtrls.h"

namespace {

class Menus : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        form = NewForm();
        menu = new TMainMenu(form.get());
        form->SetMenu(menu);
    }
    void TearDown() override {
        form.reset();
        ScriptedTest::TearDown();
    }
    TMenuItem* Item(TMenuItem* parent, const std::string& caption, const std::string& shortCut = {}) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        if (!shortCut.empty()) item->SetShortCut(TextToShortCut(shortCut));
        item->OnClick = [this, caption](TObject*) { clicks.push_back(StripHotkey(caption)); };
        parent->Add(item);
        return item;
    }
    std::unique_ptr<TForm> form;
    TMainMenu* menu = nullptr;
    std::vector<std::string> clicks;
};

TEST_F(Menus, ItemsBuildTheMenuBar) {
    TMenuItem* file = Item(menu->Items(), "&File");
    Item(file, "&Open Barcode Configuration", "Ctrl+O");
    TMenuItem* line = Item(file, "-");
    Item(file, "E&xit");
    EXPECT_EQ(menu->Items()->Count(), 1);
    EXPECT_EQ(file->Count(), 3);
    EXPECT_TRUE(line->IsLine());
    EXPECT_TRUE(NativeAction(line)->isSeparator());
    // Qt draws a separator's text as a section heading: a "-" would show.
    EXPECT_TRUE(NativeAction(line)->text().isEmpty());
    line->SetCaption("-");
    EXPECT_TRUE(NativeAction(line)->text().isEmpty());
    EXPECT_EQ(file->Find("exit")->Caption(), "E&xit");
    EXPECT_EQ(file->Items(2)->MenuIndex(), 2);
    EXPECT_EQ(NativeAction(file->Items(0))->shortcut().toString(), QString("Ctrl+O"));
    ASSERT_NE(NativeMenuBar(menu), nullptr);
    EXPECT_EQ(NativeMenuBar(menu)->actions().size(), 1);
    EXPECT_EQ(NativeSubMenu(file)->actions().size(), 3);
    EXPECT_EQ(file->Menu(), menu);
    // The menu bar takes its room above the client area.
    EXPECT_LT(form->ClientHeight(), form->Height());
}

TEST_F(Menus, InsertAndDeleteKeepTheOrder) {
    TMenuItem* file = Item(menu->Items(), "&File");
    Item(file, "a");
    Item(file, "c");
    auto* b = new TMenuItem(form.get());
    b->SetCaption("b");
    file->Insert(1, b);
    QList<QAction*> actions = NativeSubMenu(file)->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[1]->text(), QString("b"));
    file->Delete(0);
    EXPECT_EQ(file->Count(), 2);
    EXPECT_EQ(file->Items(0)->Caption(), "b");
    EXPECT_EQ(NativeSubMenu(file)->actions().size(), 2);
    int32_t components = form->ComponentCount();
    delete file;
    EXPECT_EQ(menu->Items()->Count(), 0);
    EXPECT_EQ(form->ComponentCount(), components - 3);
}

TEST_F(Menus, CheckingARadioItemClearsItsGroupInItsSubmenuOnly) {
    TMenuItem* heights = Item(menu->Items(), "B&ar Height");
    TMenuItem* fonts = Item(menu->Items(), "Font &Height");
    std::vector<TMenuItem*> bar, font;
    for (const char* c : {"150%", "100%", " 50%"}) {
        bar.push_back(Item(heights, c));
        bar.back()->SetRadioItem(true);
    }
    for (const char* c : {"100%", " 50%"}) {
        font.push_back(Item(fonts, c));
        font.back()->SetRadioItem(true);
    }
    bar[1]->SetChecked(true);
    font[0]->SetChecked(true);
    bar[0]->SetChecked(true);
    EXPECT_TRUE(bar[0]->Checked());
    EXPECT_FALSE(bar[1]->Checked());
    EXPECT_TRUE(font[0]->Checked()) << "another submenu keeps its mark";
    // Different group numbers in one submenu do not clear each other (the
    // clipboard format items use groups 0 and 1).
    TMenuItem* clip = Item(menu->Items(), "Clipboar&d Format");
    TMenuItem* bitmap = Item(clip, "Bitmap");
    TMenuItem* metafile = Item(clip, "Metafile");
    bitmap->SetRadioItem(true);
    metafile->SetRadioItem(true);
    metafile->SetGroupIndex(1);
    bitmap->SetChecked(true);
    metafile->SetChecked(true);
    EXPECT_TRUE(bitmap->Checked());
    EXPECT_TRUE(metafile->Checked());
    EXPECT_TRUE(NativeAction(metafile)->isChecked());
    // Plain check items are not radio items.
    TMenuItem* human = Item(menu->Items(), "H&uman Readable");
    human->SetChecked(true);
    bitmap->SetChecked(false);
    EXPECT_TRUE(human->Checked());
}

TEST_F(Menus, ShortcutsAreDispatchedFromAnyControlOfTheForm) {
    TMenuItem* file = Item(menu->Items(), "&File");
    Item(file, "&Open Barcode Configuration", "Ctrl+O");
    TMenuItem* setup = Item(file, "P&rinter Setup", "Ctrl+Alt+P");
    TMenuItem* zoom = Item(file, "&Zoom", "Ctrl+Z");
    auto* edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetText("abc");
    int formKeys = 0;
    form->SetKeyPreview(true);
    form->OnKeyDown = [&](TObject*, Word& key, TShiftState) {
        if (key != VK_CONTROL && key != VK_MENU && key != VK_SHIFT) ++formKeys;
    };
    form->Show();
    Process();
    QTest::keyClick(NativeWidget(edit), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(NativeWidget(edit), Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(clicks, (std::vector<std::string>{"Open Barcode Configuration", "Printer Setup"}))
;
    EXPECT_EQ(formKeys, 0) << "a shortcut is not a key for the form's preview";
    EXPECT_EQ(edit->Text(), "abc");
    // A disabled item does not take its key; the control gets it.
    zoom->SetEnabled(false);
    QTest::keyClick(NativeWidget(edit), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(clicks.size(), 2u);
    EXPECT_EQ(formKeys, 1);
    // Clicking from code runs an enabled item only.
    zoom->Click();
    setup->Click();
    EXPECT_EQ(clicks.back(), "Printer Setup");
    EXPECT_EQ(clicks.size(), 3u);
}

TEST_F(Menus, ChoosingAnItemInTheMenuRunsItsClick) {
    TMenuItem* file = Item(menu->Items(), "&File");
    TMenuItem* human = Item(file, "H&uman Readable");
    human->SetChecked(true);
    human->OnClick = [&](TObject*) { human->SetChecked(!human->Checked()); };
    NativeAction(human)->trigger();
    EXPECT_FALSE(human->Checked());
    EXPECT_FALSE(NativeAction(human)->isChecked());
    NativeAction(human)->trigger();
    EXPECT_TRUE(human->Checked());
}

TEST_F(Menus, AnErrorInAMenuHandlerIsShown) {
    TMenuItem* file = Item(menu->Items(), "&File");
    TMenuItem* save = Item(file, "&Save Barcode Configuration", "Ctrl+S");
    save->OnClick = [](TObject*) { throw EIniFileException("Unable to write to x.vrs"); };
    dialogs->AnswerMessageBox(IDOK);
    NativeAction(save)->trigger();
    ASSERT_EQ(dialogs->Messages().size(), 1u);
    EXPECT_EQ(dialogs->Messages()[0], "Unable to write to x.vrs.");
}

TEST_F(Menus, HiddenItemsAndDefaultItems) {
    TMenuItem* edit = Item(menu->Items(), "&Barcode");
    TMenuItem* caps = Item(edit, "Image Captions");
    caps->SetVisible(false);
    EXPECT_FALSE(NativeAction(caps)->isVisible());
    TMenuItem* one = Item(edit, " &1 X");
    one->SetDefault(true);
    EXPECT_TRUE(NativeAction(one)->font().bold());
    // A hidden item is still clicked from code.
    caps->Click();
    EXPECT_EQ(clicks, (std::vector<std::string>{"Image Captions"}));
}

TEST_F(Menus, PopupMenuShowsWithoutWaiting) {
    auto* popup = new TPopupMenu(form.get());
    auto* item = new TMenuItem(form.get());
    item->SetCaption("Copy");
    popup->Items()->Add(item);
    int popups = 0;
    popup->OnPopup = [&](TObject*) { ++popups; };
    popup->Popup(10, 10);
    EXPECT_EQ(popups, 1);
    static_cast<QMenu*>(NativeContainer(popup))->hide();
}

TEST_F(Menus, FreeingTheMenuDetachesItFromTheForm) {
    TMenuItem* file = Item(menu->Items(), "&File");
    Item(file, "E&xit");
    delete menu;
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(form->ClientHeight(), form->Height());
}

}  // namespace
