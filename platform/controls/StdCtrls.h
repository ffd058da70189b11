// Standard controls: edits, memos, combo boxes, buttons, labels, check and
// radio buttons, group boxes, list boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/Controls.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// ---------------------------------------------------------------- edit

// The platform's edit control. OnChange fires on every change of the text,
// typed or set by code. MaxLength limits what the user types or pastes; it
// never shortens text that is already there or that code sets. A multi-line
// edit shows line breaks (its text holds them as CR LF and positions count
// both), never scrolls by bars, and takes Return as a line break only with
// Ctrl held (or WantReturns); Tab is never typed into it.
class TCustomEdit : public TWinControl {
public:
    ~TCustomEdit() override;

    int32_t MaxLength() const { return FMaxLength; }
    void SetMaxLength(int32_t length);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    // Character positions from 0.
    int32_t SelStart() const;
    void SetSelStart(int32_t start);
    int32_t SelLength() const;
    void SetSelLength(int32_t length);
    std::string SelText() const;
    void SetSelText(const std::string& text);
    void SelectAll();
    // Empties the selection and puts the caret at the end of the text.
    void Deselect();
    void Clear() { SetText(""); }
    // Characters in the text (a line break counts two).
    int32_t GetTextLen() const;
    bool Modified() const;
    void SetModified(bool modified);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool autoSelect) { FAutoSelect = autoSelect; }
    // Shown in place of every character; a single-line edit only.
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t c);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase charCase);
    // bsNone draws no frame.
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    // Pastes text at the caret as the user would (MaxLength applies).
    void PasteText(const std::string& text);

    // The clipboard, as the platform's WM_CUT, WM_COPY, WM_PASTE and
    // WM_CLEAR: the keys (Ctrl+X, Shift+Delete, Ctrl+C, Ctrl+Insert,
    // Ctrl+V, Shift+Insert) and the context menu come here, so a descendant
    // may refuse or extend them.
    virtual void CutToClipboard();
    virtual void CopyToClipboard();
    virtual void PasteFromClipboard();
    // Deletes the selection.
    virtual void ClearSelection();
    bool CanUndo() const;
    void Undo();

    bool MultiLine() const { return FMultiLine; }
    // Wrapped at the edit's width (a multi-line edit only).
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool want);
    // Lines as shown (a wrapped line counts as several); the line of the
    // caret and of a character, from 0; the first character of a line.
    int32_t LineCount() const;
    int32_t CaretLine() const { return LineFromChar(SelStart()); }
    int32_t LineFromChar(int32_t index) const;
    int32_t LineIndex(int32_t line) const;
    // The character nearest a point in client pixels.
    int32_t CharFromPos(TPoint point) const;
    // The formatting rectangle: where the text goes, in client pixels
    // (the client area until set).
    TRect EditRect() const;
    void SetEditRect(const TRect& rect);

    TNotifyEvent OnChange;

protected:
    // multiLine: the edit starts as a multi-line one.
    explicit TCustomEdit(TComponent* owner, bool multiLine = false);
    // Changes the kind of edit; the platform recreates its window, here the
    // widget is replaced with text, selection and settings kept.
    void SetMultiLine(bool multiLine);
    std::string GetText() const override;
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return true; }
    void ApplyColor() override;
    void Dispatch(TMessage& message) override;
    virtual void Change();
    // True while code sets the text (Text, SetText): Change runs then too,
    // but the platform's multi-line edit tells its parent only of the
    // user's changes.
    bool TextSetByCode() const;

private:
    struct Impl;
    void BuildWidget();
    void ApplySettings();
    int32_t FMaxLength = 0;
    bool FAutoSelect = true;
    char32_t FPasswordChar = 0;
    TEditCharCase FCharCase = ecNormal;
    TBorderStyle FBorderStyle = bsSingle;
    TAlignment FAlignment = taLeftJustify;
    bool FMultiLine = false;
    bool FWordWrap = false;
    bool FWantReturns = false;
    bool FHasEditRect = false;
    TRect FEditRect;
    std::unique_ptr<Impl> FImpl;
};

// An edit with an input mask. No part of this program sets a mask, so the
// mask is kept and reported but does not filter (IsMasked tells whether
// one is set).
class TCustomMaskEdit : public TCustomEdit {
public:
    ~TCustomMaskEdit() override;
    const std::string& EditMask() const { return FEditMask; }
    void SetEditMask(const std::string& mask) { FEditMask = mask; }
    bool IsMasked() const { return !FEditMask.empty(); }
    // The text as typed (with a mask, its literal characters included).
    std::string EditText() const { return Text(); }
    void SetEditText(const std::string& text) { SetText(text); }
    // Checks the text against the mask (nothing to check without one).
    virtual void ValidateEdit() {}

protected:
    explicit TCustomMaskEdit(TComponent* owner, bool multiLine = false);

private:
    std::string FEditMask;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);
    ~TEdit() override;
};

// ---------------------------------------------------------------- memo

class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);
    ~TMemo() override;

    // The lines of the text; changing them changes the memo.
    TStrings* Lines() const;
    void SetLines(const TStrings* lines);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle bars);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool want) { FWantReturns = want; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool want);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    int32_t MaxLength() const { return FMaxLength; }
    void SetMaxLength(int32_t length) { FMaxLength = length; }
    void Clear() { SetText(""); }
    void SelectAll();

    TNotifyEvent OnChange;

protected:
    std::string GetText() const override;
    void SetTextValue(const std::string& text) override;
    bool WantsKey(Word key, TShiftState shift) const override;
    void ApplyColor() override;
    virtual void Change();

private:
    friend class TMemoLines;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
    int32_t FMaxLength = 0;
    TScrollStyle FScrollBars = ssNone;
    TAlignment FAlignment = taLeftJustify;
    std::unique_ptr<TStrings> FLines;
};

// ---------------------------------------------------------------- combo box

// OnChange fires only on what the user does (typing, choosing from the
// list), never when code sets ItemIndex, Text or the items. An ItemIndex
// outside the list selects nothing and empties the text, in both styles (the
// platform's list box control clears its edit when no entry is selected).
class TCustomComboBox : public TWinControl {
public:
    ~TCustomComboBox() override;

    TStrings* Items() const;
    void SetItems(const TStrings* items);
    int32_t ItemIndex() const;
    void SetItemIndex(int32_t index);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle style);
    // Keeps the items in alphabetical order (ignoring case).
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    int32_t DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int32_t count);
    int32_t MaxLength() const { return FMaxLength; }
    void SetMaxLength(int32_t length);
    bool DroppedDown() const;
    void SetDroppedDown(bool down);
    // The width of the open list (at least the control's).
    int32_t DroppedWidth() const { return FDroppedWidth; }
    void SetDroppedWidth(int32_t width);
    // Typing in the edit completes from the items.
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool autoComplete);
    int32_t SelStart() const;
    void SetSelStart(int32_t start);
    int32_t SelLength() const;
    void SetSelLength(int32_t length);
    std::string SelText() const;
    void SelectAll();
    void Clear();

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

    // The user's choice of an entry (the binding calls this for the list).
    void UserSelected(int32_t index);
    void UserTyped();
    void DroppingDown();
    void ClosedUp();

protected:
    explicit TCustomComboBox(TComponent* owner);
    std::string GetText() const override;
    void SetTextValue(const std::string& text) override;
    bool WantsKey(Word key, TShiftState shift) const override;
    bool ClicksOnMouseUp() const override { return false; }
    void ApplyColor() override;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // Painting: WMPaint's default is the native combo's paint. A descendant
    // that draws its own look overrides WMPaint and draws on Canvas (bound
    // while WMPaint runs), calling DefaultPaint where it wants the native
    // look. The edit of an editable combo is a widget of its own and paints
    // after it.
    void WMPaint(TMessage& message) override;
    void DefaultPaint();
    TCanvas* Canvas() const { return ControlCanvas(); }

private:
    friend class TComboItems;
    friend class TComboWidget;
    void Resort();
    TComboBoxStyle FStyle = csDropDown;
    bool FSorted = false;
    bool FAutoComplete = false;
    int32_t FDropDownCount = 8;
    int32_t FMaxLength = 0;
    int32_t FDroppedWidth = 0;
    std::unique_ptr<TStrings> FItems;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
};

class TComboBox : public TCustomComboBox {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;
};

// ---------------------------------------------------------------- buttons

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);
    ~TButton() override;

    // Enter on the form clicks the default button.
    bool Default() const { return FDefault; }
    void SetDefault(bool isDefault);
    // Escape on the form clicks the cancel button.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool cancel) { FCancel = cancel; }
    // Given to the parent form on every click; a modal form then closes.
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result) { FModalResult = result; }

    // Sets the form's ModalResult and runs OnClick, also when the button is
    // invisible or disabled (code uses hidden buttons as subroutines).
    void Click() override;

protected:
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return false; }

private:
    bool FDefault = false;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
};

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TComponent* owner);
    ~TCheckBox() override;

    bool Checked() const { return FState == cbChecked; }
    // OnClick runs when the state changes, also when code changes it.
    void SetChecked(bool checked) { SetState(checked ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState state);
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool allow);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);

    // The binding's entry for a click by the user.
    void UserToggled();

protected:
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return false; }

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
};

// Radio buttons with the same parent exclude each other.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);
    ~TRadioButton() override;

    bool Checked() const;
    // Checking clears the siblings and runs OnClick (also from code).
    void SetChecked(bool checked);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment) { FAlignment = alignment; }

    void UserChecked();

protected:
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return false; }

private:
    void TurnSiblingsOff();
    TAlignment FAlignment = taRightJustify;
};

// ---------------------------------------------------------------- label

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);
    ~TLabel() override;

    // Sizes the label to its caption.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout layout);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool transparent);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool wrap);
    // "&x" marks the accelerator that focuses FocusControl.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool show);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* control) { FFocusControl = control; }

protected:
    void SetTextValue(const std::string& text) override;
    void FontChanged() override;
    void ApplyColor() override;

private:
    void AdjustBounds();
    void ShowCaption();
    bool FAutoSize = true;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

// ---------------------------------------------------------------- group box

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);
    ~TGroupBox() override;
    TRect AlignRect() const override;

protected:
    void SetTextValue(const std::string& text) override;
};

// ---------------------------------------------------------------- list box

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;

    TStrings* Items() const;
    int32_t ItemIndex() const;
    void SetItemIndex(int32_t index);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    bool MultiSelect() const;
    void SetMultiSelect(bool multi);
    bool Selected(int32_t index) const;
    void SetSelected(int32_t index, bool selected);
    int32_t SelCount() const;
    void Clear();

    void UserSelected();

protected:
    bool ClicksOnMouseUp() const override { return false; }
    void ApplyColor() override;

private:
    friend class TListBoxItems;
    bool FSorted = false;
    std::unique_ptr<TStrings> FItems;
};
