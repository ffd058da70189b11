#include "platform/controls/Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- shortcuts

TShortCut ShortCut(Word key, TShiftState shift) {
    if (key & 0xF000) return 0;
    TShortCut s = key;
    if (shift & ssShift) s |= scShift;
    if (shift & ssCtrl) s |= scCtrl;
    if (shift & ssAlt) s |= scAlt;
    return s;
}

void ShortCutToKey(TShortCut shortCut, Word& key, TShiftState& shift) {
    key = shortCut & ~(scShift | scCtrl | scAlt);
    shift = 0;
    if (shortCut & scShift) shift |= ssShift;
    if (shortCut & scCtrl) shift |= ssCtrl;
    if (shortCut & scAlt) shift |= ssAlt;
}

namespace {
struct KeyName {
    Word Key;
    const char* Name;
};
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"},    {VK_ESCAPE, "Esc"},  {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},     {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},     {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

std::string KeyText(Word key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key <= VK_F1 + 11) return "F" + std::to_string(key - VK_F1 + 1);
    for (const KeyName& k : kKeyNames)
        if (k.Key == key) return k.Name;
    return {};
}

bool StartsWithText(const std::string& s, const char* prefix) {
    size_t n = std::char_traits<char>::length(prefix);
    return s.size() >= n && SameText(s.substr(0, n), prefix);
}
}  // namespace

std::string ShortCutToText(TShortCut shortCut) {
    Word key;
    TShiftState shift;
    ShortCutToKey(shortCut, key, shift);
    std::string name = KeyText(key);
    if (name.empty()) return {};
    std::string out;
    if (shift & ssShift) out += "Shift+";
    if (shift & ssCtrl) out += "Ctrl+";
    if (shift & ssAlt) out += "Alt+";
    return out + name;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string s = Trim(text);
    TShortCut mods = 0;
    for (;;) {
        if (StartsWithText(s, "Shift+")) {
            mods |= scShift;
            s = s.substr(6);
        } else if (StartsWithText(s, "Ctrl+")) {
            mods |= scCtrl;
            s = s.substr(5);
        } else if (StartsWithText(s, "Alt+")) {
            mods |= scAlt;
            s = s.substr(4);
        } else {
            break;
        }
    }
    if (s.empty()) return 0;
    if (s.size() == 1) {
        char c = UpCase(s[0]);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return static_cast<TShortCut>(c | mods);
        return 0;
    }
    for (Word k = VK_F1; k <= VK_F1 + 11; ++k)
        if (SameText(s, KeyText(k))) return static_cast<TShortCut>(k | mods);
    for (const KeyName& k : kKeyNames)
        if (SameText(s, k.Name)) return static_cast<TShortCut>(k.Key | mods);
    return 0;
}

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
    FAction = new QAction();
    QObject::connect(FAction, &QAction::triggered, FAction, [this](bool) {
        // Qt toggles checkable actions itself; the item's Checked decides.
        SyncAction();
        GuardedCall(this, [this] { Click(); });
    });
}

TMenuItem::~TMenuItem() {
    BeginDestroy();
    while (!FItems.empty()) delete FItems.back();
    if (FParent) FParent->Remove(this);
    FAction->blockSignals(true);
    delete FAction;
    delete FSubMenu;
}

void TMenuItem::SetCaption(const std::string& caption) {
    FCaption = caption;
    SyncAction();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    FShortCut = shortCut;
    SyncAction();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked == FChecked) return;
    FChecked = checked;
    if (checked && FRadioItem) TurnSiblingsOff();
    SyncAction();
}

void TMenuItem::TurnSiblingsOff() {
    if (!FParent) return;
    for (TMenuItem* sibling : FParent->FItems)
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex) sibling->SetChecked(false);
}

void TMenuItem::SetRadioItem(bool radio) {
    FRadioItem = radio;
    if (radio && FChecked) TurnSiblingsOff();
    SyncAction();
}

void TMenuItem::SetGroupIndex(uint8_t index) {
    FGroupIndex = index;
    if (FRadioItem && FChecked) TurnSiblingsOff();
}

void TMenuItem::SetDefault(bool isDefault) {
    FDefault = isDefault;
    SyncAction();
}

void TMenuItem::SetEnabled(bool enabled) {
    FEnabled = enabled;
    SyncAction();
}

void TMenuItem::SetVisible(bool visible) {
    FVisible = visible;
    SyncAction();
}

void TMenuItem::SyncAction() {
    QAction* a = FAction;
    a->blockSignals(true);
    a->setSeparator(IsLine());
    // A separator with text is a section heading to Qt: the "-" would show.
    a->setText(IsLine() ? QString() : QStr(FCaption));
    a->setEnabled(FEnabled);
    a->setVisible(FVisible);
    bool checkable = FChecked || FRadioItem || FAutoCheck;
    a->setCheckable(checkable);
    a->setChecked(FChecked);
    QFont f = a->font();
    f.setBold(FDefault);
    a->setFont(f);
    if (FShortCut) {
        Word key;
        TShiftState shift;
        ShortCutToKey(FShortCut, key, shift);
        int qk = QtKeyFromVirtualKey(key);
        // Shown in the menu; the form's key handling runs it, so the Qt
        // shortcut stays limited to the (unfocused) menu widget.
        a->setShortcut(qk ? QKeySequence(QKeyCombination(QtModifiers(shift), static_cast<Qt::Key>(qk))) : QKeySequence());
        a->setShortcutContext(Qt::WidgetShortcut);
    } else {
        a->setShortcut(QKeySequence());
    }
    a->blockSignals(false);
}

TMenuItem* TMenuItem::Items(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FItems[static_cast<size_t>(index)];
}

int32_t TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

int32_t TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
}

QMenu* TMenuItem::SubMenu() {
    if (!FSubMenu) {
        FSubMenu = new QMenu();
        FAction->setMenu(FSubMenu);
    }
    return FSubMenu;
}

QWidget* TMenuItem::Container() const {
    if (FContainerOverride) return FContainerOverride;
    return const_cast<TMenuItem*>(this)->SubMenu();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int32_t index, TMenuItem* item) {
    if (!item) return;
    if (item->FParent) item->FParent->Remove(item);
    index = std::clamp<int32_t>(index, 0, Count());
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
    QWidget* c = Container();
    QAction* before = index + 1 < Count() ? FItems[static_cast<size_t>(index + 1)]->FAction : nullptr;
    c->insertAction(before, item->FAction);
    item->SyncAction();
    if (item->FRadioItem && item->FChecked) item->TurnSiblingsOff();
}

void TMenuItem::Delete(int32_t index) { delete Items(index); }

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
    Container()->removeAction(item->FAction);
}

void TMenuItem::Clear() {
    while (!FItems.empty()) delete FItems.back();
}

TMenuItem* TMenuItem::Find(const std::string& caption) const {
    for (TMenuItem* item : FItems)
        if (SameText(StripHotkey(item->FCaption), StripHotkey(caption))) return item;
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut shortCut) const {
    if (!shortCut) return nullptr;
    for (TMenuItem* item : FItems) {
        if (item->FShortCut == shortCut) return item;
        if (TMenuItem* found = item->FindShortCut(shortCut)) return found;
    }
    return nullptr;
}

TMenu* TMenuItem::Menu() const {
    const TMenuItem* i = this;
    while (i->FParent) i = i->FParent;
    return i->FRootOf;
}

void TMenuItem::Click() {
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(!FChecked);
    if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------- TMenu

TMenu::TMenu(TComponent* owner, const TNativeWidget& container) : TComponent(owner), FContainer(container.Widget) {
    FItems = std::make_unique<TMenuItem>(nullptr);
    FItems->FRootOf = this;
    FItems->FContainerOverride = container.Widget;
}

TMenu::~TMenu() { FItems.reset(); }

bool TMenu::IsShortCut(Word key, TShiftState shift) {
    TMenuItem* item = FindShortCut(ShortCut(key, shift));
    if (!item) return false;
    for (TMenuItem* i = item; i; i = i->Parent())
        if (!i->Enabled()) return false;
    GuardedCall(item, [item] { item->Click(); });
    return true;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner, new QMenuBar()) {}

TMainMenu::~TMainMenu() {
    if (FDetachFromForm) FDetachFromForm();
    QWidget* bar = NativeContainer(this);
    Items()->Clear();
    delete bar;
}

QAction* TNativeAccess::Action(const TMenuItem* item) { return item->FAction; }
QMenu* TNativeAccess::SubMenu(TMenuItem* item) { return item->SubMenu(); }
QWidget* TNativeAccess::Container(const TMenu* menu) { return menu->FContainer; }
QAction* NativeAction(const TMenuItem* item) { return TNativeAccess::Action(item); }
QMenu* NativeSubMenu(TMenuItem* item) { return TNativeAccess::SubMenu(item); }
QWidget* NativeContainer(const TMenu* menu) { return TNativeAccess::Container(menu); }
QMenuBar* NativeMenuBar(const TMainMenu* menu) { return static_cast<QMenuBar*>(NativeContainer(menu)); }

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner, new QMenu()) {}

TPopupMenu::~TPopupMenu() {
    QWidget* menu = NativeContainer(this);
    Items()->Clear();
    delete menu;
}

void TPopupMenu::Popup(int32_t x, int32_t y) {
    if (!GuardedCall(this, [this] {
            if (OnPopup) OnPopup(this);
        }))
        return;
    static_cast<QMenu*>(NativeContainer(this))->popup(QPoint(x, y));
}

TMenuItem* NewItem(TComponent* owner, const std::string& caption, TShortCut shortCut, TNotifyEvent onClick,
                   const std::string& name) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->SetShortCut(shortCut);
    item->OnClick = std::move(onClick);
    if (!name.empty()) item->SetName(name);
    return item;
}

TMenuItem* NewLine(TComponent* owner) {
    auto* item = new TMenuItem(owner);
    item->SetCaption("-");
    return item;
}
