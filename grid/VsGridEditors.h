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
// The editing cycle of an editor control over a cell, as the grid hands
// it over (ShowCellEditor, HideCellEditor): the value is read from the cell
// (raising, before anything shows, when the cell does not convert), the
// window is made anew, the value goes in, the control is placed over the
// cell and, once shown and focused, finishes; on closing it gives its
// value back.
class TCellEditorKind {
public:
    virtual ~TCellEditorKind() = default;
    virtual TWinControl& Control() = 0;
    virtual void ReadCell(TEditorType Type, int32_t RealCol, int32_t Row, const std::string& Text) {}
    virtual void PrepareWindow() = 0;
    virtual void LoadCell(TEditorType Type, const std::string& Text) = 0;
    virtual void PlaceOver(const TRect& Cell) { Control().SetBounds(Cell.Left, Cell.Top, Cell.Width(), Cell.Height()); }
    virtual void Shown(const TRect& Cell) {}
    // The text the cell takes back; False when it keeps its own.
    virtual bool CellValue(TEditorType Type, std::string& Value) = 0;
};

template <class Base>
class TGridEditorControl : public Base, public TCellEditorKind {
public:
    explicit TGridEditorControl(TVsStringGrid* Grid) : Base(Grid), FGrid(Grid) {}
    ~TGridEditorControl() override { this->DetachWidget(); }
    TVsStringGrid* Grid() const { return FGrid; }
    using TWinControl::RecreateWnd;
    TWinControl& Control() override { return *this; }
    void PrepareWindow() override {
        if (this->HandleAllocated()) this->RecreateWnd();
    }
    // Controls that show nothing of a cell (the move indicator) take none.
    void LoadCell(TEditorType Type, const std::string& Text) override {}
    bool CellValue(TEditorType Type, std::string& Value) override { return false; }

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

    void PrepareWindow() override {}
    void LoadCell(TEditorType Type, const std::string& Text) override;
    void PlaceOver(const TRect& Cell) override;
    void Shown(const TRect& Cell) override;
    bool CellValue(TEditorType Type, std::string& Value) override;

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

    void ReadCell(TEditorType Type, int32_t RealCol, int32_t Row, const std::string& Text) override;
    void LoadCell(TEditorType Type, const std::string& Text) override;
    bool CellValue(TEditorType Type, std::string& Value) override;

protected:
    bool ClosingKey(Word Key, TShiftState Shift) const override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;

private:
    // The step event of the spin type, with the value after the step.
    void SpinClicked(bool Up);
    // The value ReadCell took from the cell.
    int32_t FCellInteger = 0;
    double FCellFloat = 0;
    TDateTime FCellDate = 0;
};

class TGridDatePicker : public TGridEditorControl<TDateTimePicker> {
public:
    explicit TGridDatePicker(TVsStringGrid* Grid) : TGridEditorControl(Grid) {}

    void LoadCell(TEditorType Type, const std::string& Text) override;
    // The picker keeps its own height.
    void PlaceOver(const TRect& Cell) override { SetBounds(Cell.Left, Cell.Top, Cell.Width(), Height()); }
    bool CellValue(TEditorType Type, std::string& Value) override;

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

    // The caption shows the cell text; the box writes nothing back.
    void LoadCell(TEditorType Type, const std::string& Text) override;

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

    void LoadCell(TEditorType Type, const std::string& Text) override { SetText(Text); }
    void Shown(const TRect& Cell) override { SetHeight(Cell.Height()); }
    bool CellValue(TEditorType Type, std::string& Value) override;

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

    void LoadCell(TEditorType Type, const std::string& Text) override { SplitCellText(Text); }
    void Shown(const TRect& Cell) override { SetHeight(Cell.Height()); }
    bool CellValue(TEditorType Type, std::string& Value) override;

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

    void LoadCell(TEditorType Type, const std::string& Text) override { SetCaption(Text); }
    // One pixel beyond the cell on every side.
    void PlaceOver(const TRect& Cell) override {
        SetBounds(Cell.Left - 1, Cell.Top - 1, Cell.Width() + 2, Cell.Height() + 2);
    }

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
