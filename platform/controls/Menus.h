// Menus: main menus, pop-up menus and their items, and shortcuts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

class QAction;
class QMenu;
class QWidget;

// A shortcut is a key code with scShift, scCtrl and scAlt bits.
using TShortCut = uint16_t;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift);
// "Ctrl+Alt+P", "Shift+F5", "Del"; the empty text for scNone.
std::string ShortCutToText(TShortCut shortCut);
// The reverse, ignoring case; 0 for a text that names no shortcut.
TShortCut TextToShortCut(const std::string& text);

class TMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    // "&" marks the accelerator; "-" makes the item a separator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& caption);
    bool IsLine() const { return FCaption == "-"; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut shortCut);
    bool Checked() const { return FChecked; }
    // Checking a radio item clears the radio items of the same group index
    // among its siblings.
    void SetChecked(bool checked);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool radio);
    uint8_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t index);
    bool Default() const { return FDefault; }
    void SetDefault(bool isDefault);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool autoCheck) { FAutoCheck = autoCheck; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    int32_t ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int32_t index) { FImageIndex = index; }

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TMenuItem* Items(int32_t index) const;
    TMenuItem* operator[](int32_t index) const { return Items(index); }
    TMenuItem* Parent() const { return FParent; }
    int32_t MenuIndex() const;
    int32_t IndexOf(const TMenuItem* item) const;
    // Adds or inserts an item (taken from its previous parent); the parent
    // frees its items when it is freed.
    void Add(TMenuItem* item);
    void Insert(int32_t index, TMenuItem* item);
    // Frees the item at index.
    void Delete(int32_t index);
    // Takes item out without freeing it.
    void Remove(TMenuItem* item);
    void Clear();
    // The item whose caption, without "&", is caption (ignoring case).
    TMenuItem* Find(const std::string& caption) const;
    // The item (here or below) with this shortcut.
    TMenuItem* FindShortCut(TShortCut shortCut) const;
    TMenu* Menu() const;

    // Runs OnClick when the item is enabled; AutoCheck toggles it first.
    virtual void Click();

    TNotifyEvent OnClick;

private:
    friend class TMenu;
    friend struct TNativeAccess;
    // The Qt menu of the item's children (created when first asked for).
    QMenu* SubMenu();
    void Attach(QWidget* container);
    void Detach();
    void SyncAction();
    void TurnSiblingsOff();
    QWidget* Container() const;

    TMenuItem* FParent = nullptr;
    TMenu* FRootOf = nullptr;
    std::vector<TMenuItem*> FItems;
    std::string FCaption;
    TShortCut FShortCut = 0;
    bool FChecked = false;
    bool FRadioItem = false;
    uint8_t FGroupIndex = 0;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    std::string FHint;
    int32_t FImageIndex = -1;
    QAction* FAction = nullptr;
    QMenu* FSubMenu = nullptr;
    QWidget* FContainerOverride = nullptr;
};

class TMenu : public TComponent {
public:
    ~TMenu() override;
    TMenuItem* Items() const { return FItems.get(); }
    // Clicks the enabled item with this shortcut; True when one was found.
    bool IsShortCut(Word key, TShiftState shift);
    TMenuItem* FindShortCut(TShortCut shortCut) const { return FItems->FindShortCut(shortCut); }

protected:
    // container: the Qt menu or menu bar, owned by the derived class.
    TMenu(TComponent* owner, const TNativeWidget& container);

private:
    friend struct TNativeAccess;
    std::unique_ptr<TMenuItem> FItems;
    QWidget* FContainer;
};

class TForm;

class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;
    TForm* Form() const { return FForm; }

private:
    friend class TForm;
    TForm* FForm = nullptr;
    // Set by the form the menu belongs to: takes the menu off it.
    std::function<void()> FDetachFromForm;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    // Shows the menu at a screen position (does not wait for a choice).
    virtual void Popup(int32_t x, int32_t y);
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* component) { FPopupComponent = component; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool autoPopup) { FAutoPopup = autoPopup; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment alignment) { FAlignment = alignment; }

    TNotifyEvent OnPopup;

private:
    TComponent* FPopupComponent = nullptr;
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
};

// Builds an item in one call, as form code does for long menus.
TMenuItem* NewItem(TComponent* owner, const std::string& caption, TShortCut shortCut, TNotifyEvent onClick,
                   const std::string& name = {});
TMenuItem* NewLine(TComponent* owner);
