#include "platform/controls/ComCtrls.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "platform/controls/qt/ControlsQt.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/qt/GraphicsQt.h"

// ---------------------------------------------------------------- status bar

namespace {
class TStatusBarWidget : public QWidget {
public:
    TStatusBarWidget() { setAutoFillBackground(true); }

protected:
    void paintEvent(QPaintEvent*) override {
        auto* bar = dynamic_cast<TStatusBar*>(ControlOfWidget(this));
        if (!bar) return;
        QPainter p(this);
        p.setFont(font());
        QColor shadow = QtColor(clBtnShadow), light = QtColor(clBtnHighlight);
        auto frame = [&](QRect r, TStatusPanelBevel bevel) {
            if (bevel == pbNone) return;
            p.setPen(bevel == pbLowered ? shadow : light);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bevel == pbLowered ? light : shadow);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        };
        p.setPen(QtColor(bar->Font()->Color()));
        if (bar->SimplePanel()) {
            QRect r = rect().adjusted(0, 2, -1, -1);
            frame(r, pbLowered);
            p.setPen(QtColor(bar->Font()->Color()));
            p.drawText(r.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, QStr(bar->SimpleText()));
            return;
        }
        int x = 0;
        TStatusPanels* panels = bar->Panels();
        for (int32_t i = 0; i < panels->Count(); ++i) {
            TStatusPanel* panel = panels->Items(i);
            int w = i == panels->Count() - 1 ? std::max(0, width() - x) : panel->Width();
            QRect r(x, 2, std::max(0, w - 2), height() - 3);
            frame(r, panel->Bevel());
            Qt::Alignment a = panel->Alignment() == taRightJustify ? Qt::AlignRight
                              : panel->Alignment() == taCenter    ? Qt::AlignHCenter
                                                                  : Qt::AlignLeft;
            p.setPen(QtColor(bar->Font()->Color()));
            p.drawText(r.adjusted(2, 0, -2, 0), static_cast<int>(a | Qt::AlignVCenter), QStr(panel->Text()));
            x += w;
        }
    }
};
}  // namespace

void TStatusPanel::SetText(const std::string& text) {
    FText = text;
    if (FBar) FBar->Invalidate();
}

void TStatusPanel::SetWidth(int32_t width) {
    FWidth = width;
    if (FBar) FBar->Invalidate();
}

void TStatusPanel::SetAlignment(TAlignment alignment) {
    FAlignment = alignment;
    if (FBar) FBar->Invalidate();
}

void TStatusPanel::SetBevel(TStatusPanelBevel bevel) {
    FBevel = bevel;
    if (FBar) FBar->Invalidate();
}

TStatusPanel* TStatusPanels::Items(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FPanels[static_cast<size_t>(index)].get();
}

TStatusPanel* TStatusPanels::Add() {
    auto panel = std::make_unique<TStatusPanel>();
    panel->FBar = FBar;
    FPanels.push_back(std::move(panel));
    Renumber();
    FBar->Invalidate();
    return FPanels.back().get();
}

void TStatusPanels::Delete(int32_t index) {
    Items(index);
    FPanels.erase(FPanels.begin() + index);
    Renumber();
    FBar->Invalidate();
}

void TStatusPanels::Clear() {
    FPanels.clear();
    FBar->Invalidate();
}

void TStatusPanels::Renumber() {
    for (size_t i = 0; i < FPanels.size(); ++i) FPanels[i]->FIndex = static_cast<int32_t>(i);
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner, new TStatusBarWidget()) {
    FPanels = std::make_unique<TStatusPanels>(this);
    SetBounds(0, 0, 185, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() { DetachWidget(); }

void TStatusBar::SetSimplePanel(bool simple) {
    FSimplePanel = simple;
    Invalidate();
}

void TStatusBar::SetSimpleText(const std::string& text) {
    FSimpleText = text;
    Invalidate();
}

void TStatusBar::SetSizeGrip(bool grip) { FSizeGrip = grip; }

std::vector<std::string> TStatusBar::ShownTexts() const {
    if (FSimplePanel) return {FSimpleText};
    std::vector<std::string> out;
    for (int32_t i = 0; i < FPanels->Count(); ++i) out.push_back(FPanels->Items(i)->Text());
    return out;
}

// ---------------------------------------------------------------- tool button

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner, new QToolButton()) {
    auto* b = static_cast<QToolButton*>(NativeWidget(this));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // A tool button never takes the focus: Tab and clicks leave it where it is.
    b->setFocusPolicy(Qt::NoFocus);
    QObject::connect(b, &QToolButton::clicked, b, [this](bool) {
        if (!Detached()) UserClicked();
    });
    SetBounds(0, 0, 23, 22);
}

TToolButton::~TToolButton() { DetachWidget(); }

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* parent) {
    TGraphicControl::SetParent(parent);
    UpdateLook();
}

void TToolButton::SetTextValue(const std::string& text) {
    FText = text;
    UpdateLook();
}

void TToolButton::SetStyle(TToolButtonStyle style) {
    bool wasSeparator = FStyle == tbsSeparator || FStyle == tbsDivider;
    FStyle = style;
    bool separator = style == tbsSeparator || style == tbsDivider;
    // A new separator is 8 pixels wide unless its width is set afterwards.
    if (separator && !wasSeparator) SetWidth(8);
    UpdateLook();
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetImageIndex(int32_t index) {
    FImageIndex = index;
    UpdateLook();
}

void TToolButton::SetDown(bool down) {
    if (down == FDown) return;
    FDown = down;
    if (down && FGrouped && FStyle == tbsCheck) {
        if (TToolBar* bar = ToolBar()) {
            // The run of grouped check buttons around this one.
            auto& list = bar->FButtons;
            auto it = std::find(list.begin(), list.end(), this);
            if (it != list.end()) {
                for (auto j = it; j != list.begin();) {
                    --j;
                    if (!(*j)->FGrouped || (*j)->FStyle != tbsCheck) break;
                    (*j)->SetDown(false);
                }
                for (auto j = it + 1; j != list.end(); ++j) {
                    if (!(*j)->FGrouped || (*j)->FStyle != tbsCheck) break;
                    (*j)->SetDown(false);
                }
            }
        }
    }
    UpdateLook();
}

void TToolButton::SetWrap(bool wrap) {
    FWrap = wrap;
    if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetEnabled(bool enabled) {
    TGraphicControl::SetEnabled(enabled);
    UpdateLook();
}

void TToolButton::SetMenuItem(TMenuItem* item) {
    FMenuItem = item;
    if (item) {
        TControlHooks::TMenuItemState state = ControlHooks().MenuItemState(item);
        SetCaption(state.Caption);
        SetHint(state.Hint);
        SetEnabled(state.Enabled);
        SetDown(state.Checked);
    }
}

void TToolButton::UpdateLook() {
    auto* b = static_cast<QToolButton*>(NativeWidget(this));
    bool separator = FStyle == tbsSeparator || FStyle == tbsDivider;
    b->setCheckable(FStyle == tbsCheck);
    b->blockSignals(true);
    b->setChecked(FDown);
    b->blockSignals(false);
    b->setText(separator ? QString() : QStr(StripHotkey(FText)));
    b->setAttribute(Qt::WA_TransparentForMouseEvents, separator);
    b->setAutoRaise(true);
    TToolBar* bar = ToolBar();
    if (bar) b->setToolButtonStyle(bar->ShowCaptions() ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    TImageList* images = bar ? bar->Images() : nullptr;
    if (!separator && images && FImageIndex >= 0 && FImageIndex < images->Count()) {
        TBitmap bmp;
        images->GetBitmap(FImageIndex, bmp);
        QImage img = BitmapImage(bmp).convertToFormat(QImage::Format_ARGB32);
        // The bottom-left colour is the list's transparent colour.
        if (!img.isNull()) {
            QRgb key = img.pixel(0, img.height() - 1);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (img.pixel(x, y) == key) img.setPixel(x, y, qRgba(0, 0, 0, 0));
        }
        b->setIcon(QIcon(QPixmap::fromImage(img)));
        b->setIconSize(QSize(images->Width(), images->Height()));
    } else {
        b->setIcon(QIcon());
    }
}

void TToolButton::UserClicked() {
    if (FStyle == tbsCheck) {
        bool down = static_cast<QToolButton*>(NativeWidget(this))->isChecked();
        // A grouped button stays down unless all may be up.
        if (!down && FGrouped && !FAllowAllUp) down = true;
        FDown = !down;
        SetDown(down);
    }
    GuardedCall(this, [this] { Click(); });
}

void TToolButton::Click() {
    if (OnClick) OnClick(this);
    else if (FMenuItem) ControlHooks().ClickMenuItem(FMenuItem);
}

// ---------------------------------------------------------------- tool bar

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner, NewContainerWidget()) {
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar() { DetachWidget(); }

TToolButton* TToolBar::Buttons(int32_t index) const {
    if (index < 0 || index >= ButtonCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FButtons[static_cast<size_t>(index)];
}

void TToolBar::SetImages(TImageList* images) {
    FImages = images;
    for (TToolButton* b : FButtons) b->UpdateLook();
}

void TToolBar::SetDisabledImages(TImageList* images) { FDisabledImages = images; }

void TToolBar::SetButtonWidth(int32_t width) {
    FButtonWidth = width;
    ArrangeButtons();
}

void TToolBar::SetButtonHeight(int32_t height) {
    FButtonHeight = height;
    ArrangeButtons();
}

void TToolBar::SetAutoSize(bool autoSize) {
    FAutoSize = autoSize;
    ArrangeButtons();
}

void TToolBar::SetEdgeBorders(TEdgeBorders borders) {
    FEdgeBorders = borders;
    ArrangeButtons();
}

void TToolBar::SetEdgeInner(TEdgeStyle style) {
    FEdgeInner = style;
    ArrangeButtons();
}

void TToolBar::SetEdgeOuter(TEdgeStyle style) {
    FEdgeOuter = style;
    ArrangeButtons();
}

void TToolBar::SetWrapable(bool wrapable) {
    FWrapable = wrapable;
    ArrangeButtons();
}

void TToolBar::SetFlat(bool flat) { FFlat = flat; }

void TToolBar::SetShowCaptions(bool show) {
    FShowCaptions = show;
    for (TToolButton* b : FButtons) b->UpdateLook();
    ArrangeButtons();
}

void TToolBar::SetIndent(int32_t indent) {
    FIndent = indent;
    ArrangeButtons();
}

int32_t TToolBar::EdgeSize(TEdgeBorders edge) const {
    if (!(FEdgeBorders & edge)) return 0;
    return (FEdgeInner != esNone ? 1 : 0) + (FEdgeOuter != esNone ? 1 : 0);
}

void TToolBar::ChildInserted(TControl* control) {
    if (auto* b = dynamic_cast<TToolButton*>(control)) {
        FButtons.push_back(b);
        b->UpdateLook();
        ArrangeButtons();
    }
}

void TToolBar::ChildRemoved(TControl* control) {
    auto it = std::find(FButtons.begin(), FButtons.end(), control);
    if (it == FButtons.end()) return;
    FButtons.erase(it);
    ArrangeButtons();
}

void TToolBar::ChildBoundsChanged(TControl* control) {
    if (!FArranging && dynamic_cast<TToolButton*>(control)) ArrangeButtons();
}

void TToolBar::Resize() {
    ArrangeButtons();
    TWinControl::Resize();
}

void TToolBar::ArrangeButtons() {
    if (FArranging || Detached()) return;
    FArranging = true;
    const int32_t left = FIndent + EdgeSize(ebLeft);
    const int32_t right = Width() - EdgeSize(ebRight);
    const int32_t top = EdgeSize(ebTop);
    int32_t x = left, y = top, rows = 1;
    QFontMetrics fm(QtFont(*Font()));
    for (TToolButton* b : FButtons) {
        if (!b->Visible()) continue;
        bool separator = b->Style() == tbsSeparator || b->Style() == tbsDivider;
        int32_t w = separator ? b->Width() : FButtonWidth;
        if (FShowCaptions && !separator) w = std::max(w, fm.horizontalAdvance(QStr(StripHotkey(b->Caption()))) + 8);
        if (FWrapable && !separator && x > left && x + w > right) {
            x = left;
            y += FButtonHeight;
            ++rows;
        }
        b->SetBounds(x, y, w, FButtonHeight);
        x += w;
        if (b->Wrap()) {
            x = left;
            y += FButtonHeight;
            ++rows;
        }
    }
    FRows = rows;
    FArranging = false;
    if (FAutoSize) {
        int32_t h = rows * FButtonHeight + top + EdgeSize(ebBottom);
        if (h != Height()) SetHeight(h);
    }
}

// ---------------------------------------------------------------- tab sheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner, NewContainerWidget()) {}

TTabSheet::~TTabSheet() { DetachWidget(); }

void TTabSheet::SetPageControl(TPageControl* control) { SetParent(control); }

void TTabSheet::SetParent(TWinControl* parent) { TWinControl::SetParent(parent); }

void TTabSheet::SetTextValue(const std::string& text) {
    FText = text;
    if (FPageControl) FPageControl->SyncTabs();
}

int32_t TTabSheet::PageIndex() const {
    if (!FPageControl) return -1;
    auto& pages = FPageControl->FPages;
    auto it = std::find(pages.begin(), pages.end(), this);
    return it == pages.end() ? -1 : static_cast<int32_t>(it - pages.begin());
}

void TTabSheet::SetPageIndex(int32_t index) {
    if (!FPageControl) return;
    auto& pages = FPageControl->FPages;
    pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
    index = std::clamp<int32_t>(index, 0, static_cast<int32_t>(pages.size()));
    pages.insert(pages.begin() + index, this);
    FPageControl->SyncTabs();
}

void TTabSheet::SetTabVisible(bool visible) {
    FTabVisible = visible;
    if (FPageControl) FPageControl->SyncTabs();
}

// ---------------------------------------------------------------- page control

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner, new QTabWidget()) {
    auto* tabs = static_cast<QTabWidget*>(NativeWidget(this));
    WatchWidget(tabs->tabBar());
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this](int index) {
        if (!Detached() && FSyncing == 0) UserSelected(index);
    });
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    DetachWidget();
    FActive = nullptr;
}

QTabWidget* TNativeAccess::Tabs(const TPageControl* pages) { return static_cast<QTabWidget*>(NativeWidget(pages)); }
QTabWidget* NativeTabs(const TPageControl* pages) { return TNativeAccess::Tabs(pages); }

TTabSheet* TPageControl::Pages(int32_t index) const {
    if (index < 0 || index >= PageCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FPages[static_cast<size_t>(index)];
}

void TPageControl::ChildInserted(TControl* control) {
    if (auto* page = dynamic_cast<TTabSheet*>(control)) InsertPage(page);
}

void TPageControl::ChildRemoved(TControl* control) {
    if (auto* page = dynamic_cast<TTabSheet*>(control)) RemovePage(page);
}

void TPageControl::InsertPage(TTabSheet* page) {
    page->FPageControl = this;
    FPages.push_back(page);
    if (!FActive) FActive = page;
    SyncTabs();
    Realign();
}

void TPageControl::RemovePage(TTabSheet* page) {
    FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
    page->FPageControl = nullptr;
    if (FActive == page) FActive = FindNextPage(nullptr, true, true);
    ++FSyncing;
    QTabWidget* tabs = NativeTabs(this);
    int i = tabs->indexOf(NativeWidget(page));
    if (i >= 0) tabs->removeTab(i);
    --FSyncing;
    SyncTabs();
}

void TPageControl::SyncTabs() {
    if (Detached()) return;
    QTabWidget* tabs = NativeTabs(this);
    ++FSyncing;
    for (size_t i = 0; i < FPages.size(); ++i) {
        TTabSheet* p = FPages[i];
        int at = tabs->indexOf(NativeWidget(p));
        if (at != static_cast<int>(i)) {
            if (at >= 0) tabs->removeTab(at);
            tabs->insertTab(static_cast<int>(i), NativeWidget(p), QStr(p->Caption()));
        }
        tabs->setTabText(static_cast<int>(i), QStr(p->Caption()));
        tabs->setTabVisible(static_cast<int>(i), p->TabVisible());
    }
    if (FActive) tabs->setCurrentWidget(NativeWidget(FActive));
    --FSyncing;
}

TTabSheet* TPageControl::ActivePage() const { return FActive; }

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->FPageControl != this) return;
    FActive = page;
    ++FSyncing;
    if (page) NativeTabs(this)->setCurrentWidget(NativeWidget(page));
    --FSyncing;
}

int32_t TPageControl::ActivePageIndex() const { return FActive ? FActive->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int32_t index) {
    SetActivePage(index >= 0 && index < PageCount() ? FPages[static_cast<size_t>(index)] : nullptr);
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool forward, bool checkTabVisible) const {
    if (FPages.empty()) return nullptr;
    int32_t n = PageCount();
    int32_t start = current ? current->PageIndex() : (forward ? n - 1 : 0);
    for (int32_t k = 1; k <= n; ++k) {
        int32_t i = ((start + (forward ? k : -k)) % n + n) % n;
        TTabSheet* p = FPages[static_cast<size_t>(i)];
        if (!checkTabVisible || p->TabVisible()) return p;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool forward) {
    TTabSheet* next = FindNextPage(FActive, forward, true);
    if (!next || next == FActive) return;
    int index = NativeTabs(this)->indexOf(NativeWidget(next));
    NativeTabs(this)->setCurrentIndex(index);
}

void TPageControl::UserSelected(int32_t tabIndex) {
    QWidget* w = NativeTabs(this)->widget(tabIndex);
    TTabSheet* page = nullptr;
    for (TTabSheet* p : FPages)
        if (NativeWidget(p) == w) page = p;
    if (!page || page == FActive) return;
    bool allow = true;
    GuardedCall(this, [&] {
        if (OnChanging) OnChanging(this, allow);
    });
    if (!allow) {
        ++FSyncing;
        if (FActive) NativeTabs(this)->setCurrentWidget(NativeWidget(FActive));
        --FSyncing;
        return;
    }
    FActive = page;
    GuardedCall(this, [this] {
        if (OnChange) OnChange(this);
    });
}

TRect TPageControl::DisplayRect() const {
    int32_t tabHeight = NativeTabs(this)->tabBar()->sizeHint().height();
    TRect r = ClientRect();
    r.Top += tabHeight;
    InflateRect(r, -2, -2);
    return r;
}

void TPageControl::AlignControls(TRect rect) {
    TRect d = DisplayRect();
    for (TTabSheet* p : FPages) p->SetBounds(d.Left, d.Top, std::max(0, d.Width()), std::max(0, d.Height()));
    TWinControl::AlignControls(rect);
}

// ---------------------------------------------------------------- progress bar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner, new QProgressBar()) {
    auto* bar = static_cast<QProgressBar*>(NativeWidget(this));
    bar->setTextVisible(false);
    SetBounds(0, 0, 150, 16);
    Apply();
}

TProgressBar::~TProgressBar() { DetachWidget(); }

void TProgressBar::Apply() {
    auto* bar = static_cast<QProgressBar*>(NativeWidget(this));
    bar->setRange(FMin, std::max(FMin, FMax));
    bar->setValue(FPosition);
}

void TProgressBar::SetMin(int32_t value) {
    FMin = value;
    FPosition = std::clamp(FPosition, FMin, std::max(FMin, FMax));
    Apply();
}

void TProgressBar::SetMax(int32_t value) {
    FMax = value;
    FPosition = std::clamp(FPosition, FMin, std::max(FMin, FMax));
    Apply();
}

void TProgressBar::SetPosition(int32_t value) {
    FPosition = std::clamp(value, FMin, std::max(FMin, FMax));
    Apply();
}

void TProgressBar::StepBy(int32_t delta) {
    int64_t next = static_cast<int64_t>(FPosition) + delta;
    if (next > FMax) next = FMin + (next - FMax) % std::max<int64_t>(1, static_cast<int64_t>(FMax) - FMin);
    if (next < FMin) next = FMin;
    FPosition = static_cast<int32_t>(next);
    Apply();
}

void TProgressBar::StepIt() { StepBy(FStep); }

void TProgressBar::SetOrientation(TProgressBarOrientation orientation) {
    FOrientation = orientation;
    static_cast<QProgressBar*>(NativeWidget(this))
        ->setOrientation(orientation == pbVertical ? Qt::Vertical : Qt::Horizontal);
}

// ---------------------------------------------------------------- up-down

// Arrow keys in the associated control count.
class TUpDownKeys : public QObject {
public:
    explicit TUpDownKeys(TUpDown* upDown) : FUpDown(upDown) {}
    TUpDown* FUpDown;
    // The associate's widget; null once the associate is gone.
    QPointer<QWidget> Target;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !FUpDown->ArrowKeys()) return false;
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() != Qt::Key_Up && ke->key() != Qt::Key_Down) return false;
        TUDBtnType button = ke->key() == Qt::Key_Up ? btNext : btPrev;
        TUpDown* u = FUpDown;
        GuardedCall(u, [u, button] { u->StepButton(button); });
        return true;
    }
};

namespace {
class TUpDownWidget : public QWidget {
public:
    TUpDownWidget() {
        Up = new QToolButton(this);
        Down = new QToolButton(this);
        Up->setArrowType(Qt::UpArrow);
        Down->setArrowType(Qt::DownArrow);
        Up->setAutoRepeat(true);
        Down->setAutoRepeat(true);
    }
    QToolButton* Up;
    QToolButton* Down;

protected:
    void resizeEvent(QResizeEvent*) override {
        int h = height() / 2;
        Up->setGeometry(0, 0, width(), h);
        Down->setGeometry(0, h, width(), height() - h);
    }
};
}  // namespace

TUpDown::TUpDown(TComponent* owner) : TWinControl(owner, new TUpDownWidget()) {
    auto* w = static_cast<TUpDownWidget*>(NativeWidget(this));
    WatchWidget(w->Up);
    WatchWidget(w->Down);
    QObject::connect(w->Up, &QToolButton::clicked, w, [this] {
        if (!Detached()) GuardedCall(this, [this] { StepButton(btNext); });
    });
    QObject::connect(w->Down, &QToolButton::clicked, w, [this] {
        if (!Detached()) GuardedCall(this, [this] { StepButton(btPrev); });
    });
    SetTabStop(false);
    SetBounds(0, 0, 15, 21);
}

TUpDown::~TUpDown() {
    DetachWidget();
    auto* keys = static_cast<TUpDownKeys*>(FKeys);
    if (keys && keys->Target) keys->Target->removeEventFilter(keys);
    delete keys;
}

bool TUpDown::AssociateAlive() const {
    auto* keys = static_cast<TUpDownKeys*>(FKeys);
    return FAssociate && keys && keys->Target && ControlOfWidget(keys->Target) == FAssociate;
}

void TUpDown::SetAssociate(TWinControl* control) {
    auto* keys = static_cast<TUpDownKeys*>(FKeys);
    if (keys && keys->Target) keys->Target->removeEventFilter(keys);
    FAssociate = control;
    if (!control) return;
    if (!keys) FKeys = keys = new TUpDownKeys(this);
    keys->Target = NativeWidget(control);
    NativeWidget(control)->installEventFilter(keys);
    PlaceBesideAssociate();
    UpdateAssociate();
}

void TUpDown::PlaceBesideAssociate() {
    TWinControl* a = FAssociate;
    if (a->Parent() != Parent()) SetParent(a->Parent());
    int32_t w = Width();
    a->SetWidth(std::max(0, a->Width() - w));
    if (FAlignButton == udRight) {
        SetBounds(a->Left() + a->Width(), a->Top(), w, a->Height());
    } else {
        SetBounds(a->Left(), a->Top(), w, a->Height());
        a->SetLeft(a->Left() + w);
    }
}

void TUpDown::SetAlignButton(TUDAlignButton align) { FAlignButton = align; }

void TUpDown::SetMin(int32_t value) {
    FMin = value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TUpDown::SetMax(int32_t value) {
    FMax = value;
    FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
}

void TUpDown::SetThousands(bool thousands) {
    FThousands = thousands;
    UpdateAssociate();
}

std::string TUpDown::FormatPosition(int32_t value) const {
    std::string digits = IntToStr(value < 0 ? -static_cast<int64_t>(value) : value);
    if (FThousands) {
        std::string grouped;
        int n = static_cast<int>(digits.size());
        for (int i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0) grouped += FormatSettings().ThousandSeparator;
            grouped += digits[static_cast<size_t>(i)];
        }
        digits = grouped;
    }
    return value < 0 ? "-" + digits : digits;
}

int32_t TUpDown::Position() const {
    if (AssociateAlive()) {
        std::string t = FAssociate->Text();
        std::string plain;
        for (char c : t)
            if (c != FormatSettings().ThousandSeparator) plain += c;
        int32_t v;
        if (TryStrToInt(Trim(plain), v)) return std::clamp(v, std::min(FMin, FMax), std::max(FMin, FMax));
    }
    return FPosition;
}

void TUpDown::SetPosition(int32_t value) {
    FPosition = std::clamp(value, std::min(FMin, FMax), std::max(FMin, FMax));
    UpdateAssociate();
}

void TUpDown::UpdateAssociate() {
    if (AssociateAlive()) FAssociate->SetText(FormatPosition(FPosition));
}

void TUpDown::StepButton(TUDBtnType button) {
    bool allow = true;
    if (OnChanging) OnChanging(this, allow);
    if (!allow) return;
    int64_t next = static_cast<int64_t>(Position()) + (button == btNext ? FIncrement : -FIncrement);
    int32_t lo = std::min(FMin, FMax), hi = std::max(FMin, FMax);
    if (next > hi) next = FWrap ? lo : hi;
    if (next < lo) next = FWrap ? hi : lo;
    FPosition = static_cast<int32_t>(next);
    UpdateAssociate();
    if (OnClick) OnClick(this, button);
}
