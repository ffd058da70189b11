// The grid's editor controls (TGridCombo, TGridSpin, TGridDatePicker,
// TGridCheckBox, TGridEditBtn, TGridUnitEditBtn, TGridButton) and its text
// editor TVsInplaceEdit.
#pragma once

#include <cstdint>
#include <string>

#include "grid/VsCombo.h"
#include "grid/VsEdit.h"
#include "grid/VsSpin.h"
#include "grid/VsStringGrid.h"
#include "platform/controls/DateTimePicker.h"
#include "platform/controls/StdCtrls.h"

// ---------------------------------------------------------------- editor controls

// Each editor control is created once by the grid (owned by it, a child of
// it, hidden and disabled until used) and keeps a reference to it. Losing
// the focus closes the control (HideCurrentEditor); its closing keys are
// its own (ClosingKeys), taken from the window's dialog keys.
template <class Base>
class TGridEditorControl : public Base {
public:
    explicit TGridEditorControl(TVsStringGrid* Grid) : Base(Grid), FGrid(Grid) {}
    ~TGridEditorControl() override { this->DetachWidget(); }
    TVsStringGrid* Grid() const { return FGrid; }
    using TWinControl::RecreateWnd;

protected:
    // The keys that close the control (none: the base's key handling).
    virtual bool ClosingKey(Word Key, TShiftState Shift) const { return false; }
    bool WantsKey(Word Key, TShiftState Shift) const override {
        return ClosingKey(Key, Shift) || Base::WantsKey(Key, Shift);
    }
    void DoExit() override;
    TVsStringGrid* FGrid;
};

class TGridCombo : public TGridEditorControl<TVsComboBox> {
public:
    explicit TGridCombo(TVsStringGrid* Grid);
    // Runs the completion from the items (after each key release).
    void DoAutoComplete();

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoExit() override;
    void DoEnter() override;
    void Change() override;
    void Select() override;

private:
    // What leaving writes: the text, or for a list-only combo with no item
    // chosen the cell's own text.
    std::string Value() const;
    void ShowCellText();
    bool FCompletion = true;
    // A choice from the list runs Change too: it is told as the choice.
    bool FInSelect = false;
};

class TGridSpin : public TGridEditorControl<TVsSpinEdit> {
public:
    explicit TGridSpin(TVsStringGrid* Grid);
    void UpClick(TObject* Sender) override;
    void DownClick(TObject* Sender) override;

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;

private:
    // The step event of the spin type, with the value after the step.
    void SpinClicked(bool Up);
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker> {
public:
    explicit TGridDatePicker(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    // Over the native border: its outer edge and the edge inside it in the
    // window colour, so that the picker shows no 3D border.
    void Paint() override;
};

class TGridCheckBox : public TGridEditorControl<TCheckBox> {
public:
    explicit TGridCheckBox(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
};

class TGridEditBtn : public TGridEditorControl<TVsEditBtn> {
public:
    explicit TGridEditBtn(TVsStringGrid* Grid);
    // The ellipsis action: OnEllipsClick decides the text, which is then
    // selected.
    void EllipsAction();

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void ButtonClick(TObject* Sender) override;
    void PasteFromClipboard() override;
};

class TGridUnitEditBtn : public TGridEditorControl<TVsUnitEditBtn> {
public:
    explicit TGridUnitEditBtn(TVsStringGrid* Grid);
    // The number characters of Text go into the edit, the rest into UnitID.
    void SplitCellText(const std::string& Text);

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
};

// The push button over a cell (edButton), and the title of a column or row
// while it is dragged (MoveIndicator).
class TGridButton : public TGridEditorControl<TButton> {
public:
    explicit TGridButton(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
    void DoExit() override;

private:
    // Closes the cell's button and gives the grid the focus.
    void Close();
};

template <class Base>
void TGridEditorControl<Base>::DoExit() {
    Base::DoExit();
    FGrid->HideCurrentEditor();
}

// ---------------------------------------------------------------- TVsInplaceEdit

// The grid's text editor: filters and transforms typed and pasted text by
// the cell's editor type, completes from LookupItems and walks out of the
// cell with the cursor keys.
class TVsInplaceEdit : public TInplaceEdit {
public:
    explicit TVsInplaceEdit(TVsStringGrid* Grid);
    ~TVsInplaceEdit() override;

    TVsStringGrid* VsGrid() const { return FVsGrid; }
    // The cell is right-aligned (set before each edit).
    bool RightAligned() const { return FRightAligned; }
    void SetRightAligned(bool Value);
    bool WordWrap() const { return FWordWrapping; }
    void SetWordWrap(bool Value);
    bool CompletionAllowed() const { return FCompletionAllowed; }
    // Completion from the lookup list, at the caret.
    void DoAutoComplete();
    // Whether Key may go into the text as the cell's type filters it (Key
    // may change case); beeps where the type beeps.
    static bool FilterChar(TEditorType Type, char32_t& Key, const std::string& Text, int32_t SelStart,
                           int32_t SelLength);
    // The text a paste would leave, or False when the type refuses it.
    static bool FilterPaste(TEditorType Type, std::string& Pasted);

    void UpdateContents() override;
    void CutToClipboard() override;
    void CopyToClipboard() override;
    void PasteFromClipboard() override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void CreateWnd() override;

private:
    // The edit's text was set by the editor itself: the cell follows.
    void TextChangedByEditor();
    void ApplyStyles();
    TVsStringGrid* FVsGrid;
    bool FRightAligned = false;
    bool FWordWrapping = false;
    bool FCompletionAllowed = true;
};
