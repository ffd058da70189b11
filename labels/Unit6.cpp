// The label data editor window: its bars and menu.
#include "labels/Unit6.h"

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Menus.h"

TfrmEdit* frmEdit = nullptr;

TfrmEdit::TfrmEdit(TComponent* owner) : TForm(owner) {
    SetName("frmEdit");
    SetCaption("Edit Data File");
    SetBorderStyle(bsSizeable);
    SetPosition(poDesktopCenter);
    SetVisible(false);
    SetWidth(600);
    SetHeight(281);
    BuildControls();
    OnCreate = [this](TObject* s) { FormCreate(s); };
}

TfrmEdit::~TfrmEdit() {
    if (frmEdit == this) frmEdit = nullptr;
}

void TfrmEdit::BuildControls() {
    auto on = [this](void (TfrmEdit::*handler)(TObject*)) {
        return [this, handler](TObject* s) { (this->*handler)(s); };
    };
    ToolBar1 = CreateNamed<TToolBar>(this, this, "ToolBar1");
    ToolBar1->SetAlign(alTop);
    ToolBar1->SetShowHint(true);
    auto button = [&](const char* name, const char* hint, void (TfrmEdit::*click)(TObject*)) {
        auto* b = CreateNamed<TToolButton>(this, ToolBar1, name);
        b->SetHint(hint);
        b->SetShowHint(true);
        b->OnClick = on(click);
        return b;
    };
    ToolButton1 = button("ToolButton1", "Save Changes", &TfrmEdit::ToolButton1Click);
    ToolButton5 = button("ToolButton5", "Cancel", &TfrmEdit::ToolButton5Click);
    ToolButton7 = button("ToolButton7", "Add Row", &TfrmEdit::ToolButton7Click);
    ToolButton3 = button("ToolButton3", "Insert Row", &TfrmEdit::ToolButton3Click);
    ToolButton4 = button("ToolButton4", "Remove Selected Row", &TfrmEdit::ToolButton4Click);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    File1 = new TMenuItem(this);
    File1->SetCaption("File");
    MainMenu1->Items()->Add(File1);
    auto item = [&](const char* caption, TToolButton* runs) {
        auto* i = new TMenuItem(this);
        i->SetCaption(caption);
        if (runs) i->OnClick = [runs](TObject*) { runs->Click(); };
        File1->Add(i);
        return i;
    };
    SaveChanges1 = item("Save Changes", ToolButton1);
    item("-", nullptr);
    AddRow1 = item("Add Row", ToolButton7);
    InsertRow1 = item("Insert Row", ToolButton3);
    RemoveRow1 = item("Remove Row", ToolButton4);
    item("-", nullptr);
    Cancel1 = item("Cancel", ToolButton5);
    SetMenu(MainMenu1);

    StatusBar1 = CreateNamed<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->SetAlign(alBottom);

    BuildGrid();
}
