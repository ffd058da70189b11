// The in-cell editors: the text editor with its filters, completion and
// walking out, the editor controls chosen by the cell's editor type, the
// common way out of a control, and the move after Enter.
#include "grid/VsGrid.h"

// ---------------------------------------------------------------- editor controls

TGridCombo::TGridCombo(TVsStringGrid* Grid) : TVsComboBox(Grid), FGrid(Grid) {}
TGridCombo::~TGridCombo() { DetachWidget(); }
void TGridCombo::DoAutoComplete() {}
bool TGridCombo::WantsKey(Word Key, TShiftState Shift) const { return TVsComboBox::WantsKey(Key, Shift); }
void TGridCombo::KeyDown(Word& Key, TShiftState Shift) { TVsComboBox::KeyDown(Key, Shift); }
void TGridCombo::KeyPress(char32_t& Key) { TVsComboBox::KeyPress(Key); }
void TGridCombo::KeyUp(Word& Key, TShiftState Shift) { TVsComboBox::KeyUp(Key, Shift); }
void TGridCombo::DoExit() { TVsComboBox::DoExit(); }
void TGridCombo::DoEnter() { TVsComboBox::DoEnter(); }
void TGridCombo::Change() { TVsComboBox::Change(); }
void TGridCombo::Select() { TVsComboBox::Select(); }

TGridSpin::TGridSpin(TVsStringGrid* Grid) : TVsSpinEdit(Grid), FGrid(Grid) {}
TGridSpin::~TGridSpin() { DetachWidget(); }
void TGridSpin::UpClick(TObject* Sender) { TVsSpinEdit::UpClick(Sender); }
void TGridSpin::DownClick(TObject* Sender) { TVsSpinEdit::DownClick(Sender); }
void TGridSpin::SpinClicked(bool) {}
bool TGridSpin::WantsKey(Word Key, TShiftState Shift) const { return TVsSpinEdit::WantsKey(Key, Shift); }
void TGridSpin::KeyDown(Word& Key, TShiftState Shift) { TVsSpinEdit::KeyDown(Key, Shift); }
void TGridSpin::KeyPress(char32_t& Key) { TVsSpinEdit::KeyPress(Key); }
void TGridSpin::DoExit() { TVsSpinEdit::DoExit(); }

TGridDatePicker::TGridDatePicker(TVsStringGrid* Grid) : TDateTimePicker(Grid), FGrid(Grid) {}
TGridDatePicker::~TGridDatePicker() { DetachWidget(); }
bool TGridDatePicker::WantsKey(Word Key, TShiftState Shift) const { return TDateTimePicker::WantsKey(Key, Shift); }
void TGridDatePicker::KeyDown(Word& Key, TShiftState Shift) { TDateTimePicker::KeyDown(Key, Shift); }
void TGridDatePicker::DoExit() { TDateTimePicker::DoExit(); }

TGridCheckBox::TGridCheckBox(TVsStringGrid* Grid) : TCheckBox(Grid), FGrid(Grid) {}
TGridCheckBox::~TGridCheckBox() { DetachWidget(); }
bool TGridCheckBox::WantsKey(Word Key, TShiftState Shift) const { return TCheckBox::WantsKey(Key, Shift); }
void TGridCheckBox::KeyDown(Word& Key, TShiftState Shift) { TCheckBox::KeyDown(Key, Shift); }
void TGridCheckBox::DoExit() { TCheckBox::DoExit(); }

TGridEditBtn::TGridEditBtn(TVsStringGrid* Grid) : TVsEditBtn(Grid), FGrid(Grid) {}
TGridEditBtn::~TGridEditBtn() { DetachWidget(); }
void TGridEditBtn::EllipsAction() {}
bool TGridEditBtn::WantsKey(Word Key, TShiftState Shift) const { return TVsEditBtn::WantsKey(Key, Shift); }
void TGridEditBtn::KeyDown(Word& Key, TShiftState Shift) { TVsEditBtn::KeyDown(Key, Shift); }
void TGridEditBtn::KeyPress(char32_t& Key) { TVsEditBtn::KeyPress(Key); }
void TGridEditBtn::DoExit() { TVsEditBtn::DoExit(); }
void TGridEditBtn::ButtonClick(TObject*) { EllipsAction(); }
void TGridEditBtn::PasteFromClipboard() { TVsEditBtn::PasteFromClipboard(); }

TGridUnitEditBtn::TGridUnitEditBtn(TVsStringGrid* Grid) : TVsUnitEditBtn(Grid), FGrid(Grid) {}
TGridUnitEditBtn::~TGridUnitEditBtn() { DetachWidget(); }
void TGridUnitEditBtn::SplitCellText(const std::string&) {}
bool TGridUnitEditBtn::WantsKey(Word Key, TShiftState Shift) const { return TVsUnitEditBtn::WantsKey(Key, Shift); }
void TGridUnitEditBtn::KeyDown(Word& Key, TShiftState Shift) { TVsUnitEditBtn::KeyDown(Key, Shift); }
void TGridUnitEditBtn::KeyPress(char32_t& Key) { TVsUnitEditBtn::KeyPress(Key); }
void TGridUnitEditBtn::DoExit() { TVsUnitEditBtn::DoExit(); }

TGridButton::TGridButton(TVsStringGrid* Grid) : TButton(Grid), FGrid(Grid) {}
TGridButton::~TGridButton() { DetachWidget(); }
bool TGridButton::WantsKey(Word Key, TShiftState Shift) const { return TButton::WantsKey(Key, Shift); }
void TGridButton::KeyDown(Word& Key, TShiftState Shift) { TButton::KeyDown(Key, Shift); }
void TGridButton::KeyUp(Word& Key, TShiftState Shift) { TButton::KeyUp(Key, Shift); }
void TGridButton::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    TButton::MouseUp(Button, Shift, X, Y);
}
void TGridButton::DoExit() { TButton::DoExit(); }

// ---------------------------------------------------------------- TVsInplaceEdit

TVsInplaceEdit::TVsInplaceEdit(TVsStringGrid* Grid) : TInplaceEdit(Grid), FVsGrid(Grid) {}
TVsInplaceEdit::~TVsInplaceEdit() { DetachWidget(); }
void TVsInplaceEdit::SetRightAligned(bool Value) { FRightAligned = Value; }
void TVsInplaceEdit::SetWordWrap(bool Value) { FWordWrapping = Value; }
void TVsInplaceEdit::DoAutoComplete() {}
bool TVsInplaceEdit::FilterChar(TEditorType, char32_t&, const std::string&, int32_t, int32_t) { return true; }
bool TVsInplaceEdit::FilterPaste(TEditorType, std::string&) { return true; }
void TVsInplaceEdit::UpdateContents() { TInplaceEdit::UpdateContents(); }
void TVsInplaceEdit::CutToClipboard() { TInplaceEdit::CutToClipboard(); }
void TVsInplaceEdit::CopyToClipboard() { TInplaceEdit::CopyToClipboard(); }
void TVsInplaceEdit::PasteFromClipboard() { TInplaceEdit::PasteFromClipboard(); }
void TVsInplaceEdit::KeyDown(Word& Key, TShiftState Shift) { TInplaceEdit::KeyDown(Key, Shift); }
void TVsInplaceEdit::KeyPress(char32_t& Key) { TInplaceEdit::KeyPress(Key); }
void TVsInplaceEdit::KeyUp(Word& Key, TShiftState Shift) { TInplaceEdit::KeyUp(Key, Shift); }
void TVsInplaceEdit::DoEnter() { TInplaceEdit::DoEnter(); }
void TVsInplaceEdit::DoExit() { TInplaceEdit::DoExit(); }
void TVsInplaceEdit::CreateWnd() { TInplaceEdit::CreateWnd(); }
void TVsInplaceEdit::TextChangedByEditor() {}
void TVsInplaceEdit::ApplyStyles() {}

// ---------------------------------------------------------------- the grid's side

TWinControl* TVsStringGrid::EditorControl(TEditorType Type) const {
    switch (Type) {
    case edSpin:
    case edSpinFloat:
    case edSpinTime:
    case edSpinDate: return FCellSpin;
    case edComboDropDown:
    case edComboDropDownList: return FCellCombo;
    case edEditBtn:
    case edEditBtnInteger:
    case edEditBtnFloat: return FCellEditBtn;
    case edCheckBox: return FCellCheckBox;
    case edDatePicker:
    case edDatePickerUpDown:
    case edTimePicker: return FCellDatePicker;
    case edButton: return FCellButton;
    case edUnitEditBtn: return FCellUnitEditBtn;
    default: return nullptr;
    }
}

bool TVsStringGrid::CanEditShow() { return TStringGrid::CanEditShow(); }

void TVsStringGrid::KeyPress(char32_t& Key) { TStringGrid::KeyPress(Key); }

void TVsStringGrid::ShowCellEditor(int32_t, int32_t) {}

void TVsStringGrid::HideCellEditor(int32_t, int32_t) {}

void TVsStringGrid::HideCurrentEditor() {
    HideCellEditor(Col(), Row());
    HideEditor();
}

void TVsStringGrid::EllipsClick(std::string& S) {
    S = Cells(RealColIndex(Col()), Row());
    if (!OnEllipsClick) return;
    std::string copy = S;
    OnEllipsClick(this, RealColIndex(Col()), Row(), copy);
    SetCells(RealColIndex(Col()), Row(), copy);
    S = copy;
}

void TVsStringGrid::AdvanceCell(int32_t, int32_t, bool, bool, bool) {}

std::string TVsStringGrid::ProperCase(const std::string& S) { return S; }

void TVsStringGrid::LeaveEditorControl(Word, TShiftState, bool, bool, bool) {}
