#include "platform/controls/StdCtrls.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QValidator>
#include <algorithm>

#include "platform/controls/qt/ControlsQt.h"

namespace {

// Limits what the user types or pastes into a line edit without touching
// text that is already longer (Qt's own maximum length would cut it). A
// single-line edit holds no line break: what is pasted stops at its first.
class TInputLimiter : public QValidator {
public:
    int Max = 0;
    TEditCharCase CharCase = ecNormal;
    mutable QString Previous;

    State validate(QString& input, int& pos) const override {
        if (CharCase == ecUpperCase) input = input.toUpper();
        else if (CharCase == ecLowerCase) input = input.toLower();
        // The inserted part lies between the common prefix and suffix.
        const qsizetype n = std::min(input.length(), Previous.length());
        qsizetype p = 0;
        while (p < n && input[p] == Previous[p]) ++p;
        qsizetype s = 0;
        while (s < n - p && input[input.length() - 1 - s] == Previous[Previous.length() - 1 - s]) ++s;
        qsizetype removed = Previous.length() - p - s;
        qsizetype inserted = input.length() - p - s;
        for (qsizetype i = p; i < p + inserted; ++i)
            if (input[i] == QLatin1Char('\n') || input[i] == QLatin1Char('\r')) {
                input = input.left(i) + input.right(s);
                inserted = i - p;
                pos = static_cast<int>(i);
                break;
            }
        if (Max <= 0 || input.length() <= Max || input.length() <= Previous.length()) return Acceptable;
        qsizetype room = std::max<qsizetype>(0, Max - (Previous.length() - removed));
        if (inserted <= room) return Acceptable;
        if (room == 0 && removed == 0) return Invalid;
        input = input.left(p) + input.mid(p, room) + input.right(s);
        pos = static_cast<int>(p + room);
        return Acceptable;
    }
};

void SetBase(QWidget* w, TColor color) {
    QPalette pal = w->palette();
    SetEnabledColor(pal, QPalette::Base, QtColor(color));
    w->setPalette(pal);
}

Qt::Alignment QtHAlign(TAlignment a) {
    return a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

}  // namespace

// ---------------------------------------------------------------- TEdit

struct TEdit::Impl {
    QLineEdit* Edit;
    TInputLimiter* Limiter;
};

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new QLineEdit()) {
    auto* edit = static_cast<QLineEdit*>(NativeWidget(this));
    auto* limiter = new TInputLimiter();
    limiter->setParent(edit);
    edit->setValidator(limiter);
    FImpl = std::make_unique<Impl>(Impl{edit, limiter});
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& text) {
        FImpl->Limiter->Previous = text;
        if (!Detached()) GuardedCall(this, [this] { Change(); });
    });
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

TEdit::~TEdit() { DetachWidget(); }

std::string TEdit::GetText() const { return StdStr(FImpl->Edit->text()); }

void TEdit::SetTextValue(const std::string& text) {
    QString t = QStr(text);
    if (t == FImpl->Edit->text()) return;
    FImpl->Limiter->Previous = t;
    FImpl->Edit->setText(t);
}

void TEdit::Change() {
    if (OnChange) OnChange(this);
}

void TEdit::SetMaxLength(int32_t length) {
    FMaxLength = std::max(0, length);
    FImpl->Limiter->Max = FMaxLength;
}

bool TEdit::ReadOnly() const { return FImpl->Edit->isReadOnly(); }
void TEdit::SetReadOnly(bool readOnly) { FImpl->Edit->setReadOnly(readOnly); }

int32_t TEdit::SelStart() const {
    QLineEdit* e = FImpl->Edit;
    return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}

void TEdit::SetSelStart(int32_t start) {
    FImpl->Edit->deselect();
    FImpl->Edit->setCursorPosition(std::clamp<int32_t>(start, 0, static_cast<int32_t>(FImpl->Edit->text().length())));
}

int32_t TEdit::SelLength() const { return static_cast<int32_t>(FImpl->Edit->selectedText().length()); }

void TEdit::SetSelLength(int32_t length) {
    int32_t start = SelStart();
    FImpl->Edit->setSelection(start, std::max(0, length));
}

std::string TEdit::SelText() const { return StdStr(FImpl->Edit->selectedText()); }

void TEdit::SetSelText(const std::string& text) {
    // Code replaces the selection without the user's limit.
    QLineEdit* e = FImpl->Edit;
    QString t = e->text();
    int32_t start = SelStart();
    int32_t len = SelLength();
    t.replace(start, len, QStr(text));
    SetTextValue(StdStr(t));
    e->setCursorPosition(start + static_cast<int32_t>(QStr(text).length()));
}

void TEdit::SelectAll() { FImpl->Edit->selectAll(); }

bool TEdit::Modified() const { return FImpl->Edit->isModified(); }
void TEdit::SetModified(bool modified) { FImpl->Edit->setModified(modified); }

void TEdit::SetPasswordChar(char32_t c) {
    FPasswordChar = c;
    FImpl->Edit->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetCharCase(TEditCharCase charCase) {
    FCharCase = charCase;
    FImpl->Limiter->CharCase = charCase;
}

void TEdit::PasteText(const std::string& text) { FImpl->Edit->insert(QStr(text)); }

void TEdit::ApplyColor() { SetBase(NativeWidget(this), Color()); }

void TEdit::DoEnter() { TWinControl::DoEnter(); }

// ---------------------------------------------------------------- TMemo

class TMemoLines : public TStrings {
public:
    explicit TMemoLines(TMemo* memo) : FMemo(memo) {}
    int32_t Count() const override { return static_cast<int32_t>(Lines().size()); }
    std::string Get(int32_t index) const override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        return lines[static_cast<size_t>(index)];
    }
    void Put(int32_t index, const std::string& s) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines[static_cast<size_t>(index)] = s;
        SetLines(lines);
    }
    void Insert(int32_t index, const std::string& s) override {
        auto lines = Lines();
        if (index < 0 || index > static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines.insert(lines.begin() + index, s);
        SetLines(lines);
    }
    void Delete(int32_t index) override {
        auto lines = Lines();
        if (index < 0 || index >= static_cast<int32_t>(lines.size())) Error(SysConst::SListIndexError, index);
        lines.erase(lines.begin() + index);
        SetLines(lines);
    }
    void Clear() override { FMemo->SetText(""); }
    void SetText(const std::string& text) override { SetLines(SplitLines(text)); }

private:
    std::vector<std::string> Lines() const { return SplitLines(FMemo->GetText()); }
    void SetLines(const std::vector<std::string>& lines) {
        std::string t;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i) t += '\n';
            t += lines[i];
        }
        FMemo->SetText(t);
    }
    TMemo* FMemo;
};

TMemo::TMemo(TComponent* owner) : TWinControl(owner, new QPlainTextEdit()) {
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    WatchWidget(edit->viewport());
    FLines = std::make_unique<TMemoLines>(this);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] {
        if (!Detached()) GuardedCall(this, [this] { Change(); });
    });
    SetColor(clWindow);
    SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() { DetachWidget(); }

TStrings* TMemo::Lines() const { return FLines.get(); }
void TMemo::SetLines(const TStrings* lines) { FLines->Assign(lines); }

std::string TMemo::GetText() const { return StdStr(static_cast<QPlainTextEdit*>(NativeWidget(this))->toPlainText()); }

void TMemo::SetTextValue(const std::string& text) {
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    QString t = QStr(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (t == edit->toPlainText()) return;
    edit->setPlainText(t);
}

void TMemo::Change() {
    if (OnChange) OnChange(this);
}

bool TMemo::ReadOnly() const { return static_cast<QPlainTextEdit*>(NativeWidget(this))->isReadOnly(); }
void TMemo::SetReadOnly(bool readOnly) { static_cast<QPlainTextEdit*>(NativeWidget(this))->setReadOnly(readOnly); }

void TMemo::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    static_cast<QPlainTextEdit*>(NativeWidget(this))
        ->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::SetScrollBars(TScrollStyle bars) {
    FScrollBars = bars;
    auto* edit = static_cast<QPlainTextEdit*>(NativeWidget(this));
    bool h = bars == ssHorizontal || bars == ssBoth;
    bool v = bars == ssVertical || bars == ssBoth;
    edit->setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TMemo::SetWantTabs(bool want) {
    FWantTabs = want;
    static_cast<QPlainTextEdit*>(NativeWidget(this))->setTabChangesFocus(!want);
}

void TMemo::SetAlignment(TAlignment alignment) { FAlignment = alignment; }

void TMemo::SelectAll() { static_cast<QPlainTextEdit*>(NativeWidget(this))->selectAll(); }

bool TMemo::WantsKey(Word key, TShiftState shift) const {
    if (key == VK_RETURN) return FWantReturns;
    if (key == VK_TAB) return FWantTabs;
    return false;
}

void TMemo::ApplyColor() { SetBase(NativeWidget(this), Color()); }

// ---------------------------------------------------------------- TComboBox

namespace {
class TComboWidget : public QComboBox {
public:
    void showPopup() override {
        if (auto* c = dynamic_cast<TComboBox*>(ControlOfWidget(this))) c->DroppingDown();
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        if (auto* c = dynamic_cast<TComboBox*>(ControlOfWidget(this)); c && c->OnCloseUp)
            GuardedCall(c, [c] { c->OnCloseUp(c); });
    }
};
}  // namespace

struct TComboBox::Impl {
    TComboWidget* Combo;
    TInputLimiter* Limiter = nullptr;
    QLineEdit* Edit = nullptr;
    std::vector<TObject*> Objects;
    int32_t Blocked = 0;
};

// Changes of the items or the selection made by code: no signal reaches the
// handlers, and a combo without selection keeps its text.
class TComboItems : public TStrings {
public:
    explicit TComboItems(TComboBox* combo) : FCombo(combo) {}
    int32_t Count() const override { return FCombo->FImpl->Combo->count(); }
    std::string Get(int32_t index) const override {
        Check(index);
        return StdStr(FCombo->FImpl->Combo->itemText(index));
    }
    void Put(int32_t index, const std::string& s) override {
        Check(index);
        if (FCombo->FSorted) {
            TObject* o = GetObject(index);
            Delete(index);
            InsertObject(0, s, o);
            return;
        }
        Quiet([&] { FCombo->FImpl->Combo->setItemText(index, QStr(s)); });
    }
    TObject* GetObject(int32_t index) const override {
        Check(index);
        return FCombo->FImpl->Objects[static_cast<size_t>(index)];
    }
    void PutObject(int32_t index, TObject* object) override {
        Check(index);
        FCombo->FImpl->Objects[static_cast<size_t>(index)] = object;
    }
    void Insert(int32_t index, const std::string& s) override { InsertObject(index, s, nullptr); }
    void InsertObject(int32_t index, const std::string& s, TObject* object) override {
        if (index < 0 || index > Count()) Error(SysConst::SListIndexError, index);
        if (FCombo->FSorted) index = SortedPosition(s);
        QComboBox* cb = FCombo->FImpl->Combo;
        Quiet([&] {
            int before = cb->currentIndex();
            QString text = cb->currentText();
            cb->insertItem(index, QStr(s));
            FCombo->FImpl->Objects.insert(FCombo->FImpl->Objects.begin() + index, object);
            // Qt selects the first item of an empty list; the platform does not.
            if (before < 0) {
                cb->setCurrentIndex(-1);
                if (cb->isEditable()) cb->setEditText(text);
            }
        });
    }
    int32_t Add(const std::string& s) override {
        int32_t n = Count();
        InsertObject(n, s, nullptr);
        return FCombo->FSorted ? IndexOf(s) : n;
    }
    int32_t AddObject(const std::string& s, TObject* object) override {
        int32_t n = Count();
        InsertObject(n, s, object);
        return FCombo->FSorted ? IndexOf(s) : n;
    }
    void Delete(int32_t index) override {
        Check(index);
        QComboBox* cb = FCombo->FImpl->Combo;
        Quiet([&] {
            QString text = cb->currentText();
            bool wasSelected = cb->currentIndex() == index;
            cb->removeItem(index);
            FCombo->FImpl->Objects.erase(FCombo->FImpl->Objects.begin() + index);
            if (wasSelected) {
                cb->setCurrentIndex(-1);
                if (cb->isEditable()) cb->setEditText(text);
            }
        });
    }
    void Clear() override {
        QComboBox* cb = FCombo->FImpl->Combo;
        // Emptying the list also empties the edit, as on the platform.
        Quiet([&] {
            cb->clear();
            if (cb->isEditable()) cb->setEditText(QString());
        });
        FCombo->FImpl->Objects.clear();
    }
    int32_t IndexOf(const std::string& s) const override {
        for (int32_t i = 0; i < Count(); ++i)
            if (CompareText(Get(i), s) == 0) return i;
        return -1;
    }

    template <class F>
    void Quiet(F f) {
        QComboBox* cb = FCombo->FImpl->Combo;
        ++FCombo->FImpl->Blocked;
        bool b1 = cb->blockSignals(true);
        QLineEdit* le = cb->lineEdit();
        bool b2 = le ? le->blockSignals(true) : false;
        try {
            f();
        } catch (...) {
            if (le) le->blockSignals(b2);
            cb->blockSignals(b1);
            --FCombo->FImpl->Blocked;
            throw;
        }
        if (le) le->blockSignals(b2);
        cb->blockSignals(b1);
        --FCombo->FImpl->Blocked;
    }

private:
    void Check(int32_t index) const {
        if (index < 0 || index >= Count()) Error(SysConst::SListIndexError, index);
    }
    int32_t SortedPosition(const std::string& s) const {
        int32_t lo = 0, hi = Count();
        while (lo < hi) {
            int32_t mid = (lo + hi) / 2;
            if (CompareText(Get(mid), s) <= 0) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    }
    TComboBox* FCombo;
};

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner, new TComboWidget()) {
    FImpl = std::make_unique<Impl>();
    FImpl->Combo = static_cast<TComboWidget*>(NativeWidget(this));
    FItems = std::make_unique<TComboItems>(this);
    QComboBox* cb = FImpl->Combo;
    cb->setInsertPolicy(QComboBox::NoInsert);
    cb->setDuplicatesEnabled(true);
    cb->setMaxVisibleItems(FDropDownCount);
    QObject::connect(cb, qOverload<int>(&QComboBox::activated), cb, [this](int index) {
        if (!Detached() && FImpl->Blocked == 0) UserSelected(index);
    });
    SetStyle(csDropDown);
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

TComboBox::~TComboBox() { DetachWidget(); }

TStrings* TComboBox::Items() const { return FItems.get(); }

void TComboBox::SetItems(const TStrings* items) {
    FItems->BeginUpdate();
    FItems->Clear();
    for (int32_t i = 0; i < items->Count(); ++i) FItems->AddObject(items->Get(i), items->GetObject(i));
    FItems->EndUpdate();
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    FStyle = style;
    QComboBox* cb = FImpl->Combo;
    bool editable = style == csDropDown || style == csSimple;
    auto* items = static_cast<TComboItems*>(FItems.get());
    items->Quiet([&] {
        QString text = cb->currentText();
        int index = cb->currentIndex();
        cb->setEditable(editable);
        if (editable) {
            QLineEdit* le = cb->lineEdit();
            bool fresh = le != FImpl->Edit;
            FImpl->Edit = le;
            cb->setCompleter(nullptr);
            if (!FImpl->Limiter) FImpl->Limiter = new TInputLimiter();
            FImpl->Limiter->setParent(le);
            FImpl->Limiter->Max = FMaxLength;
            FImpl->Limiter->Previous = text;
            le->setValidator(FImpl->Limiter);
            if (fresh) {
                WatchWidget(le);
                QObject::connect(le, &QLineEdit::textEdited, le, [this](const QString&) {
                    if (!Detached() && FImpl->Blocked == 0) UserTyped();
                });
                QObject::connect(le, &QLineEdit::textChanged, le, [this](const QString& t) {
                    if (FImpl->Limiter) FImpl->Limiter->Previous = t;
                });
            }
            cb->setCurrentIndex(index);
            cb->setEditText(text);
        } else {
            FImpl->Limiter = nullptr;
            FImpl->Edit = nullptr;
            cb->setCurrentIndex(index);
        }
    });
}

int32_t TComboBox::ItemIndex() const { return FImpl->Combo->currentIndex(); }

void TComboBox::SetItemIndex(int32_t index) {
    QComboBox* cb = FImpl->Combo;
    static_cast<TComboItems*>(FItems.get())->Quiet([&] {
        if (index < 0 || index >= cb->count()) {
            cb->setCurrentIndex(-1);
            if (cb->isEditable()) cb->setEditText(QString());
        } else {
            cb->setCurrentIndex(index);
            if (cb->isEditable()) cb->setEditText(cb->itemText(index));
        }
    });
}

std::string TComboBox::GetText() const {
    QComboBox* cb = FImpl->Combo;
    if (cb->isEditable()) return StdStr(cb->currentText());
    return cb->currentIndex() >= 0 ? StdStr(cb->itemText(cb->currentIndex())) : std::string();
}

void TComboBox::SetTextValue(const std::string& text) {
    QComboBox* cb = FImpl->Combo;
    static_cast<TComboItems*>(FItems.get())->Quiet([&] {
        if (cb->isEditable()) {
            cb->setEditText(QStr(text));
            if (FImpl->Limiter) FImpl->Limiter->Previous = QStr(text);
        } else {
            cb->setCurrentIndex(FItems->IndexOf(text));
        }
    });
}

void TComboBox::SetSorted(bool sorted) {
    if (sorted == FSorted) return;
    FSorted = sorted;
    if (sorted) Resort();
}

void TComboBox::Resort() {
    std::vector<std::pair<std::string, TObject*>> all;
    for (int32_t i = 0; i < FItems->Count(); ++i) all.emplace_back(FItems->Get(i), FItems->GetObject(i));
    std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return CompareText(a.first, b.first) < 0; });
    std::string text = GetText();
    std::string selected = ItemIndex() >= 0 ? FItems->Get(ItemIndex()) : std::string();
    bool hadSelection = ItemIndex() >= 0;
    auto* items = static_cast<TComboItems*>(FItems.get());
    items->Quiet([&] {
        FImpl->Combo->clear();
        FImpl->Objects.clear();
        for (auto& [s, o] : all) {
            FImpl->Combo->addItem(QStr(s));
            FImpl->Objects.push_back(o);
        }
        FImpl->Combo->setCurrentIndex(hadSelection ? FItems->IndexOf(selected) : -1);
        if (FImpl->Combo->isEditable()) FImpl->Combo->setEditText(QStr(text));
    });
}

void TComboBox::SetDropDownCount(int32_t count) {
    FDropDownCount = count;
    FImpl->Combo->setMaxVisibleItems(std::max(1, count));
}

void TComboBox::SetMaxLength(int32_t length) {
    FMaxLength = std::max(0, length);
    if (FImpl->Limiter) FImpl->Limiter->Max = FMaxLength;
}

bool TComboBox::DroppedDown() const { return FImpl->Combo->view() && FImpl->Combo->view()->isVisible(); }

void TComboBox::SetDroppedDown(bool down) {
    if (down) FImpl->Combo->showPopup();
    else FImpl->Combo->hidePopup();
}

int32_t TComboBox::SelStart() const {
    QLineEdit* le = FImpl->Combo->lineEdit();
    if (!le) return 0;
    return le->hasSelectedText() ? le->selectionStart() : le->cursorPosition();
}

void TComboBox::SetSelStart(int32_t start) {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) {
        le->deselect();
        le->setCursorPosition(start);
    }
}

int32_t TComboBox::SelLength() const {
    QLineEdit* le = FImpl->Combo->lineEdit();
    return le ? static_cast<int32_t>(le->selectedText().length()) : 0;
}

void TComboBox::SetSelLength(int32_t length) {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) le->setSelection(SelStart(), length);
}

void TComboBox::SelectAll() {
    if (QLineEdit* le = FImpl->Combo->lineEdit()) le->selectAll();
}

void TComboBox::Clear() {
    FItems->Clear();
    SetTextValue("");
}

void TComboBox::UserSelected(int32_t index) {
    GuardedCall(this, [this] { Click(); });
    if (Detached()) return;
    GuardedCall(this, [this] { Select(); });
}

void TComboBox::UserTyped() {
    GuardedCall(this, [this] { Change(); });
}

void TComboBox::DroppingDown() {
    if (Detached()) return;
    GuardedCall(this, [this] {
        if (OnDropDown) OnDropDown(this);
    });
}

void TComboBox::Change() {
    if (OnChange) OnChange(this);
}

void TComboBox::Select() {
    if (OnSelect) OnSelect(this);
    else Change();
}

bool TComboBox::WantsKey(Word key, TShiftState shift) const {
    // An open list takes Enter and Escape itself.
    return (key == VK_RETURN || key == VK_ESCAPE) && DroppedDown();
}

void TComboBox::ApplyColor() { SetBase(NativeWidget(this), Color()); }

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* owner) : TWinControl(owner, new QPushButton()) {
    auto* b = static_cast<QPushButton*>(NativeWidget(this));
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] {
        if (!Detached()) GuardedCall(this, [this] { Click(); });
    });
    SetBounds(0, 0, 75, 25);
}

TButton::~TButton() { DetachWidget(); }

void TButton::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QPushButton*>(NativeWidget(this))->setText(QStr(text));
}

void TButton::SetDefault(bool isDefault) {
    FDefault = isDefault;
    static_cast<QPushButton*>(NativeWidget(this))->setDefault(isDefault);
}

void TButton::Click() {
    if (TWinControl* form = ControlHooks().ParentWindow(this)) ControlHooks().SetModalResult(form, FModalResult);
    TWinControl::Click();
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, new QCheckBox()) {
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    QObject::connect(b, &QCheckBox::clicked, b, [this](bool) {
        if (!Detached()) UserToggled();
    });
    SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() { DetachWidget(); }

void TCheckBox::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QCheckBox*>(NativeWidget(this))->setText(QStr(text));
}

void TCheckBox::SetState(TCheckBoxState state) {
    if (state == FState) return;
    FState = state;
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    bool blocked = b->blockSignals(true);
    b->setCheckState(state == cbChecked ? Qt::Checked : state == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    b->blockSignals(blocked);
    Click();
}

void TCheckBox::SetAllowGrayed(bool allow) {
    FAllowGrayed = allow;
    static_cast<QCheckBox*>(NativeWidget(this))->setTristate(allow);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    NativeWidget(this)->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

void TCheckBox::UserToggled() {
    auto* b = static_cast<QCheckBox*>(NativeWidget(this));
    Qt::CheckState s = b->checkState();
    FState = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
    GuardedCall(this, [this] { Click(); });
}

// ---------------------------------------------------------------- TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner, new QRadioButton()) {
    auto* b = static_cast<QRadioButton*>(NativeWidget(this));
    QObject::connect(b, &QRadioButton::toggled, b, [this](bool on) {
        if (on && !Detached()) UserChecked();
    });
    SetBounds(0, 0, 113, 17);
}

TRadioButton::~TRadioButton() { DetachWidget(); }

void TRadioButton::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QRadioButton*>(NativeWidget(this))->setText(QStr(text));
}

bool TRadioButton::Checked() const { return static_cast<QRadioButton*>(NativeWidget(this))->isChecked(); }

void TRadioButton::TurnSiblingsOff() {
    if (!Parent()) return;
    for (int32_t i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* r = dynamic_cast<TRadioButton*>(Parent()->Controls(i)); r && r != this && r->Checked())
            r->SetChecked(false);
}

void TRadioButton::SetChecked(bool checked) {
    auto* b = static_cast<QRadioButton*>(NativeWidget(this));
    if (checked == b->isChecked()) return;
    bool blocked = b->blockSignals(true);
    // Qt keeps the one checked button of a group checked.
    b->setAutoExclusive(false);
    b->setChecked(checked);
    b->setAutoExclusive(true);
    b->blockSignals(blocked);
    if (checked) {
        TurnSiblingsOff();
        Click();
    }
}

void TRadioButton::UserChecked() {
    GuardedCall(this, [this] { Click(); });
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner, new QLabel()) {
    auto* l = static_cast<QLabel*>(NativeWidget(this));
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

TLabel::~TLabel() { DetachWidget(); }

void TLabel::SetTextValue(const std::string& text) {
    FText = text;
    ShowCaption();
    AdjustBounds();
}

void TLabel::ShowCaption() {
    auto* l = static_cast<QLabel*>(NativeWidget(this));
    l->setText(QStr(FShowAccelChar ? StripHotkey(FText) : FText));
}

void TLabel::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    SetLayout(FLayout);
}

void TLabel::SetLayout(TTextLayout layout) {
    FLayout = layout;
    Qt::Alignment v = layout == tlCenter ? Qt::AlignVCenter : layout == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    static_cast<QLabel*>(NativeWidget(this))->setAlignment(QtHAlign(FAlignment) | v);
}

void TLabel::SetTransparent(bool transparent) {
    FTransparent = transparent;
    ApplyColor();
}

void TLabel::ApplyColor() {
    TControl::ApplyColor();
    NativeWidget(this)->setAutoFillBackground(!FTransparent);
}

void TLabel::SetWordWrap(bool wrap) {
    FWordWrap = wrap;
    static_cast<QLabel*>(NativeWidget(this))->setWordWrap(wrap);
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool show) {
    FShowAccelChar = show;
    ShowCaption();
    AdjustBounds();
}

void TLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!FAutoSize) return;
    QFontMetrics fm(QtFont(*Font()));
    QString text = QStr(FShowAccelChar ? StripHotkey(FText) : FText);
    QRect r;
    if (FWordWrap) r = fm.boundingRect(QRect(0, 0, std::max(1, Width()), 100000), Qt::TextWordWrap, text);
    else r = fm.boundingRect(QRect(0, 0, 100000, 100000), 0, text.isEmpty() ? QStringLiteral(" ") : text);
    int32_t w = FWordWrap ? Width() : (text.isEmpty() ? 0 : r.width());
    int32_t h = std::max(r.height(), fm.height());
    int32_t left = Left();
    if (!FWordWrap && FAlignment == taRightJustify) left = Left() + Width() - w;
    SetBounds(left, Top(), w, h);
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, new QGroupBox()) {
    SetBounds(0, 0, 185, 105);
}

TGroupBox::~TGroupBox() { DetachWidget(); }

void TGroupBox::SetTextValue(const std::string& text) {
    FText = text;
    static_cast<QGroupBox*>(NativeWidget(this))->setTitle(QStr(text));
}

TRect TGroupBox::AlignRect() const {
    QFontMetrics fm(QtFont(*Font()));
    TRect r = ClientRect();
    InflateRect(r, -1, -1);
    r.Top += fm.height();
    return r;
}

// ---------------------------------------------------------------- TListBox

class TListBoxItems : public TStrings {
public:
    explicit TListBoxItems(TListBox* box) : FBox(box) {}
    QListWidget* List() const { return static_cast<QListWidget*>(NativeWidget(FBox)); }
    int32_t Count() const override { return List()->count(); }
    std::string Get(int32_t index) const override {
        Check(index);
        return StdStr(List()->item(index)->text());
    }
    void Put(int32_t index, const std::string& s) override {
        Check(index);
        List()->item(index)->setText(QStr(s));
    }
    TObject* GetObject(int32_t index) const override {
        Check(index);
        return FObjects[static_cast<size_t>(index)];
    }
    void PutObject(int32_t index, TObject* object) override {
        Check(index);
        FObjects[static_cast<size_t>(index)] = object;
    }
    void Insert(int32_t index, const std::string& s) override { InsertObject(index, s, nullptr); }
    void InsertObject(int32_t index, const std::string& s, TObject* object) override {
        if (index < 0 || index > Count()) Error(SysConst::SListIndexError, index);
        if (FBox->FSorted) {
            index = 0;
            while (index < Count() && CompareText(Get(index), s) <= 0) ++index;
        }
        bool b = List()->blockSignals(true);
        List()->insertItem(index, QStr(s));
        List()->blockSignals(b);
        FObjects.insert(FObjects.begin() + index, object);
    }
    void Delete(int32_t index) override {
        Check(index);
        bool b = List()->blockSignals(true);
        delete List()->takeItem(index);
        List()->blockSignals(b);
        FObjects.erase(FObjects.begin() + index);
    }
    void Clear() override {
        bool b = List()->blockSignals(true);
        List()->clear();
        List()->blockSignals(b);
        FObjects.clear();
    }

private:
    void Check(int32_t index) const {
        if (index < 0 || index >= Count()) Error(SysConst::SListIndexError, index);
    }
    TListBox* FBox;
    std::vector<TObject*> FObjects;
};

TListBox::TListBox(TComponent* owner) : TWinControl(owner, new QListWidget()) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    WatchWidget(list->viewport());
    FItems = std::make_unique<TListBoxItems>(this);
    QObject::connect(list, &QListWidget::itemClicked, list, [this](QListWidgetItem*) {
        if (!Detached()) UserSelected();
    });
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TListBox::~TListBox() { DetachWidget(); }

TStrings* TListBox::Items() const { return FItems.get(); }

int32_t TListBox::ItemIndex() const { return static_cast<QListWidget*>(NativeWidget(this))->currentRow(); }

void TListBox::SetItemIndex(int32_t index) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    bool b = list->blockSignals(true);
    list->setCurrentRow(index >= 0 && index < list->count() ? index : -1);
    list->blockSignals(b);
}

void TListBox::SetSorted(bool sorted) {
    FSorted = sorted;
    if (!sorted) return;
    std::vector<std::string> all;
    for (int32_t i = 0; i < FItems->Count(); ++i) all.push_back(FItems->Get(i));
    FItems->Clear();
    for (auto& s : all) FItems->Add(s);
}

bool TListBox::MultiSelect() const {
    return static_cast<QListWidget*>(NativeWidget(this))->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TListBox::SetMultiSelect(bool multi) {
    static_cast<QListWidget*>(NativeWidget(this))
        ->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int32_t index) const {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    return index >= 0 && index < list->count() && list->item(index)->isSelected();
}

void TListBox::SetSelected(int32_t index, bool selected) {
    auto* list = static_cast<QListWidget*>(NativeWidget(this));
    if (index >= 0 && index < list->count()) list->item(index)->setSelected(selected);
}

int32_t TListBox::SelCount() const {
    return static_cast<int32_t>(static_cast<QListWidget*>(NativeWidget(this))->selectedItems().size());
}

void TListBox::Clear() { FItems->Clear(); }

void TListBox::UserSelected() {
    GuardedCall(this, [this] { Click(); });
}

void TListBox::ApplyColor() { SetBase(NativeWidget(this), Color()); }
