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

// A one-line edit. OnChange fires on every change of the text, typed or set
// by code. MaxLength limits what the user types or pastes; it never shortens
// text that is already there or that code sets.
class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    ~TEdit() override;

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
    void Clear() { SetText(""); }
    bool Modified() const;
    void SetModified(bool modified);
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool autoSelect) { FAutoSelect = autoSelect; }
    char32_t PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char32_t c);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase charCase);
    // Pastes text at the caret as the user would (MaxLength applies).
    void PasteText(const std::string& text);

    TNotifyEvent OnChange;

protected:
    std::string GetText() const override;
    void SetTextValue(const std::string& text) override;
    bool ClicksOnMouseUp() const override { return true; }
    void ApplyColor() override;
    void DoEnter() override;
    virtual void Change();

private:
    int32_t FMaxLength = 0;
    bool FAutoSelect = true;
    char32_t FPasswordChar = 0;
    TEditCharCase FCharCase = ecNormal;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
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
class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;

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
    int32_t SelStart() const;
    void SetSelStart(int32_t start);
    int32_t SelLength() const;
    void SetSelLength(int32_t length);
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

protected:
    std::string GetText() const override;
    void SetTextValue(const std::string& text) override;
    bool WantsKey(Word key, TShiftState shift) const override;
    bool ClicksOnMouseUp() const override { return false; }
    void ApplyColor() override;
    virtual void Change();
    virtual void Select();

private:
    friend class TComboItems;
    void Resort();
    TComboBoxStyle FStyle = csDropDown;
    bool FSorted = false;
    int32_t FDropDownCount = 8;
    int32_t FMaxLength = 0;
    std::unique_ptr<TStrings> FItems;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
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
