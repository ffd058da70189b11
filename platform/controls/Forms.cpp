#include "platform/controls/Forms.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QIcon>
#include <QPixmap>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <cstdio>

#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"
#include "platform/controls/QtPrinter.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/ThreadHooks.h"
#include "platform/controls/qt/ControlsQt.h"
#include "platform/graphics/qt/GraphicsQt.h"

namespace {

// The window of a form: it hands the close button, activation and moves
// to the form.
class TFormWindow : public QWidget {
public:
    TFormWindow() : QWidget(nullptr, Qt::Window) {}
    TForm* Form() const { return dynamic_cast<TForm*>(ControlOfWidget(this)); }

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        if (TForm* f = Form(); f && !f->Destroying()) f->WindowCloseRequested();
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
            if (TForm* f = Form(); f && !f->Destroying()) f->WindowActivated(event->type() == QEvent::WindowActivate);
        } else if (event->type() == QEvent::Move && isWindow() && isVisible()) {
            if (TForm* f = Form(); f && !f->Destroying()) f->WidgetMoved(x(), y());
        }
        return QWidget::event(event);
    }
};

bool gPostRoutineInstalled = false;

void DestroyApplicationObjects() {
    if (Application) Application->DestroyComponents();
}

void InstallPostRoutine() {
    if (gPostRoutineInstalled || !QCoreApplication::instance()) return;
    gPostRoutineInstalled = true;
    // Runs while the Qt application is being destroyed, before its widgets
    // go: the forms the application owns must be freed by then.
    qAddPostRoutine(DestroyApplicationObjects);
    qApp->setQuitOnLastWindowClosed(false);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, qApp, [](Qt::ApplicationState state) {
        if (!Application) return;
        if (state == Qt::ApplicationActive && Application->OnActivate)
            GuardedCall(Application, [] { Application->OnActivate(Application); });
        else if (state != Qt::ApplicationActive && Application->OnDeactivate)
            GuardedCall(Application, [] { Application->OnDeactivate(Application); });
    });
}

TApplication& ApplicationInstance() {
    static TApplication app;
    return app;
}

TScreen& ScreenInstance() {
    static TScreen screen;
    return screen;
}

// Raises and activates a window (the offscreen platform cannot raise and
// says so on every call).
void RaiseWindow(QWidget* w) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) w->raise();
    w->activateWindow();
}

template <class Pred>
TButton* FindButton(TWinControl* root, Pred pred) {
    for (int32_t i = 0; i < root->ControlCount(); ++i) {
        TControl* c = root->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c); b && pred(b)) return b;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TButton* found = FindButton(w, pred)) return found;
    }
    return nullptr;
}

// What the controls ask of the forms and menus above them.
class TFormHooks : public TControlHooks {
public:
    void HandleException(TObject* sender) override { Application->HandleException(sender); }
    TWinControl* ParentWindow(const TControl* control) override { return GetParentForm(control); }
    bool ShortCut(TWinControl* window, Word key, TShiftState shift) override {
        return static_cast<TForm*>(window)->IsShortCut(key, shift);
    }
    bool DialogKey(TWinControl* window, Word key, TShiftState shift) override {
        return static_cast<TForm*>(window)->DialogKey(key, shift);
    }
    bool KeyPreview(TWinControl* window) override { return static_cast<TForm*>(window)->KeyPreview(); }
    void FocusControl(TWinControl* window, TWinControl* control) override {
        static_cast<TForm*>(window)->FocusControl(control);
    }
    void ControlEntered(TWinControl* window, TWinControl* control) override {
        static_cast<TForm*>(window)->ActiveControlChanged(control);
    }
    void SetModalResult(TWinControl* window, TModalResult result) override {
        static_cast<TForm*>(window)->SetModalResult(result);
    }
    bool Popup(TPopupMenu* menu, TControl* control, int32_t x, int32_t y) override {
        menu->SetPopupComponent(control);
        menu->Popup(x, y);
        return true;
    }
    TMenuItemState MenuItemState(TMenuItem* item) override {
        return {item->Caption(), item->Hint(), item->Enabled(), item->Checked()};
    }
    void ClickMenuItem(TMenuItem* item) override { item->Click(); }
    std::string ApplicationTitle() override { return Application->Title(); }
    TWinControl* ActiveWindow() override { return Screen ? Screen->ActiveForm() : nullptr; }
};

TFormHooks& FormHooks() {
    static TFormHooks hooks;
    return hooks;
}

}  // namespace

TApplication* Application = &ApplicationInstance();
TScreen* Screen = &ScreenInstance();

TForm* GetParentForm(const TControl* control) {
    for (const TControl* c = control; c; c = c->Parent())
        if (auto* f = dynamic_cast<const TForm*>(c)) return const_cast<TForm*>(f);
    return nullptr;
}

// ---------------------------------------------------------------- TForm

TForm::TForm(TComponent* owner) : TWinControl(owner, new TFormWindow()) {
    InstallPostRoutine();
    FClient = new QWidget(NativeWidget(this));
    FClient->setAutoFillBackground(false);
    TControl::SetVisible(false);
    SetParentFont(false);
    ApplyColor();
    SetBounds(0, 0, 320, 240);
    Screen->AddForm(this);
    // A form built without CreateForm or Create completes its creation (and
    // shows, when visible by design) on the next pass of the message loop.
    QTimer::singleShot(0, NativeWidget(this), [this] {
        if (!Detached()) DoCreate();
    });
}

TForm::~TForm() {
    DoDestroy();
    if (Screen) Screen->RemoveForm(this);
    if (FModalLoop) FModalLoop->quit();
    DetachWidget();
    if (FMenu) {
        FMenu->FForm = nullptr;
        FMenu->FDetachFromForm = nullptr;
        if (QWidget* bar = NativeMenuBar(FMenu)) {
            bar->hide();
            bar->setParent(nullptr);
        }
        FMenu = nullptr;
    }
    DestroyOwnedComponents();
    DestroyChildren();
}

QWidget* TForm::ClientWidget() const { return FClient; }

void TForm::SetTextValue(const std::string& text) {
    FText = text;
    NativeWidget(this)->setWindowTitle(QStr(text));
}

void TForm::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    FBorderIcons = icons;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle style) {
    FFormStyle = style;
    ApplyWindowFlags();
}

void TForm::ApplyWindowFlags() {
    QWidget* w = NativeWidget(this);
    bool wasVisible = w->isVisible();
    Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint;
    switch (FBorderStyle) {
    case bsNone: f = Qt::Window | Qt::FramelessWindowHint; break;
    case bsDialog: f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    case bsToolWindow:
    case bsSizeToolWin: f = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    default: f |= Qt::WindowTitleHint; break;
    }
    if (FBorderStyle != bsNone) {
        if (FBorderIcons & biSystemMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderStyle != bsDialog && (FBorderIcons & biMinimize)) f |= Qt::WindowMinimizeButtonHint;
        if (FBorderStyle == bsSizeable && (FBorderIcons & biMaximize)) f |= Qt::WindowMaximizeButtonHint;
    }
    if (FFormStyle == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
    w->setWindowFlags(f);
    // Fixed borders keep the designed size.
    if (FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        w->setFixedSize(Width(), Height());
    }
    if (wasVisible) w->show();
}

void TForm::SetWindowState(TWindowState state) {
    FWindowState = state;
    QWidget* w = NativeWidget(this);
    Qt::WindowStates s = state == wsMinimized ? Qt::WindowMinimized
                         : state == wsMaximized ? Qt::WindowMaximized
                                                : Qt::WindowNoState;
    w->setWindowState(s);
}

int32_t TForm::MenuHeight() const {
    if (!FMenu || !FMenuBar || FMenu->Items()->Count() == 0) return 0;
    return FMenuBar->sizeHint().height();
}

int32_t TForm::ClientHeight() const { return std::max(0, Height() - MenuHeight()); }

void TForm::LayoutClient() {
    int32_t mh = MenuHeight();
    if (FMenuBar) {
        FMenuBar->setGeometry(0, 0, Width(), mh);
        FMenuBar->setVisible(mh > 0);
    }
    FClient->setGeometry(0, mh, Width(), std::max(0, Height() - mh));
}

void TForm::ApplyBounds() {
    QWidget* w = NativeWidget(this);
    if (FBorderStyle != bsSizeable && FBorderStyle != bsSizeToolWin) w->setFixedSize(Width(), Height());
    w->move(Left(), Top());
    w->resize(Width(), Height());
    LayoutClient();
}

void TForm::WidgetResized(int32_t width, int32_t height) {
    TWinControl::WidgetResized(width, height);
    LayoutClient();
}

void TForm::ApplyColor() {
    QWidget* w = NativeWidget(this);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QtColor(Color()));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void TForm::SetMenu(TMainMenu* menu) {
    if (menu == FMenu) return;
    if (FMenu) {
        FMenu->FForm = nullptr;
        FMenu->FDetachFromForm = nullptr;
        if (QWidget* bar = NativeMenuBar(FMenu)) {
            bar->hide();
            bar->setParent(nullptr);
        }
    }
    FMenu = menu;
    FMenuBar = nullptr;
    if (menu) {
        if (menu->FForm && menu->FForm != this) menu->FForm->SetMenu(nullptr);
        menu->FForm = this;
        menu->FDetachFromForm = [this] { SetMenu(nullptr); };
        FMenuBar = NativeMenuBar(menu);
        FMenuBar->setParent(NativeWidget(this));
        FMenuBar->show();
    }
    LayoutClient();
    Realign();
}

bool TForm::Showing() const { return Visible() && NativeWidget(this)->isVisible(); }

void TForm::PlaceOnFirstShow() {
    if (FShownOnce) return;
    FShownOnce = true;
    int32_t l = Left(), t = Top();
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        l = (Screen->Width() - Width()) / 2;
        t = (Screen->Height() - Height()) / 2;
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm* ref = FPosition == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : Application->MainForm();
        if (!ref || ref == this) ref = nullptr;
        if (ref) {
            l = ref->Left() + (ref->Width() - Width()) / 2;
            t = ref->Top() + (ref->Height() - Height()) / 2;
        } else {
            l = (Screen->Width() - Width()) / 2;
            t = (Screen->Height() - Height()) / 2;
        }
        break;
    }
    default: break;
    }
    SetBounds(std::max(0, l), std::max(0, t), Width(), Height());
}

void TForm::SetVisible(bool visible) {
    if (visible == Visible()) {
        if (visible && FCreated && !NativeWidget(this)->isVisible()) ApplyVisible();
        return;
    }
    TControl::SetVisible(visible);
}

void TForm::ApplyVisible() {
    // A form under construction shows when its create handler has run.
    if (!FCreated || FInShowChange) return;
    QWidget* w = NativeWidget(this);
    FInShowChange = true;
    try {
        if (Visible()) {
            if (!w->isVisible()) {
                PlaceOnFirstShow();
                DoShow();
                if (Visible()) {
                    w->show();
                    RaiseWindow(w);
                    if (FActiveControl && FActiveControl->CanFocus())
                        NativeWidget(FActiveControl)->setFocus(Qt::OtherFocusReason);
                    Screen->ActivateForm(this);
                }
            }
        } else if (w->isVisible()) {
            DoHide();
            w->hide();
            Screen->FormHidden(this);
        }
    } catch (...) {
        FInShowChange = false;
        throw;
    }
    FInShowChange = false;
}

void TForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TForm::DoCreate() {
    if (FCreated) return;
    FCreated = true;
    GuardedCall(this, [this] {
        if (OnCreate) OnCreate(this);
    });
    if (Visible() && !Detached()) GuardedCall(this, [this] { ApplyVisible(); });
}

void TForm::DoDestroy() {
    if (FDestroyDone || Detached()) return;
    FDestroyDone = true;
    GuardedCall(this, [this] {
        if (OnDestroy) OnDestroy(this);
    });
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

void TForm::Release() {
    QPointer<QWidget> w(NativeWidget(this));
    QTimer::singleShot(0, qApp, [this, w] {
        if (w) delete this;
    });
}

void TForm::BringToFront() { RaiseWindow(NativeWidget(this)); }

TModalResult TForm::ShowModal() {
    if (Visible() || FModal) throw EInvalidOperation(FormsConst::SCannotShowModal);
    DoCreate();
    return DialogService().ShowModal(*this);
}

void TForm::SetModalResult(TModalResult result) {
    FModalResult = result;
    if (FModal && result != mrNone && FModalLoop) FModalLoop->quit();
}

void TForm::BeginModal() {
    FModal = true;
    FModalResult = mrNone;
    NativeWidget(this)->setWindowModality(Qt::ApplicationModal);
    try {
        Show();
    } catch (...) {
        FModal = false;
        NativeWidget(this)->setWindowModality(Qt::NonModal);
        throw;
    }
}

void TForm::EndModal() {
    FModal = false;
    try {
        Hide();
    } catch (...) {
        NativeWidget(this)->setWindowModality(Qt::NonModal);
        throw;
    }
    NativeWidget(this)->setWindowModality(Qt::NonModal);
}

void TForm::CloseModal() {
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone) FModalResult = mrNone;
        else if (action == caFree) Release();
    } catch (...) {
        FModalResult = mrNone;
        Application->HandleException(this);
    }
}

TModalResult TForm::RunModalLoop() {
    BeginModal();
    QEventLoop loop;
    FModalLoop = &loop;
    QPointer<QWidget> alive(NativeWidget(this));
    for (;;) {
        if (FModalResult == mrNone && !Application->Terminated()) loop.exec();
        if (!alive) return mrCancel;
        if (Application->Terminated()) FModalResult = mrCancel;
        if (FModalResult != mrNone) {
            CloseModal();
            if (FModalResult != mrNone) break;
        }
    }
    FModalLoop = nullptr;
    TModalResult result = FModalResult;
    EndModal();
    return result;
}

namespace {
// The label whose accelerator is key and that has a control to focus.
TLabel* FindAcceleratorLabel(TWinControl* root, Word key) {
    for (int32_t i = 0; i < root->ControlCount(); ++i) {
        TControl* c = root->Controls(i);
        if (auto* l = dynamic_cast<TLabel*>(c); l && l->ShowAccelChar() && l->FocusControl() &&
                                               static_cast<Word>(GetHotkey(l->Caption())) == key &&
                                               l->FocusControl()->CanFocus())
            return l;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (TLabel* found = FindAcceleratorLabel(w, key)) return found;
    }
    return nullptr;
}
}  // namespace

bool TForm::IsShortCut(Word key, TShiftState shift) {
    if (FMenu && FMenu->IsShortCut(key, shift)) return true;
    if (shift == ssAlt && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
        if (TLabel* label = FindAcceleratorLabel(this, key)) {
            TWinControl* target = label->FocusControl();
            GuardedCall(this, [target] { target->SetFocus(); });
            return true;
        }
    }
    if (key == VK_F1 && shift == 0) {
        int32_t context = FHelpContext;
        GuardedCall(this, [context] { Application->HelpContext(context); });
        return true;
    }
    return false;
}

bool TForm::DialogKey(Word key, TShiftState shift) {
    if (shift != 0) return false;
    if (key == VK_RETURN) {
        // The focused button answers Enter; otherwise the default button.
        TButton* button = dynamic_cast<TButton*>(ControlOfWidget(QApplication::focusWidget()));
        if (!button || GetParentForm(button) != this || !button->CanFocus())
            button = FindButton(this, [](TButton* b) { return b->Default() && b->CanFocus(); });
        if (!button) return false;
        GuardedCall(button, [button] { button->Click(); });
        return true;
    }
    if (key == VK_ESCAPE) {
        TButton* button = FindButton(this, [](TButton* b) { return b->Cancel() && b->CanFocus(); });
        if (!button) return false;
        GuardedCall(button, [button] { button->Click(); });
        return true;
    }
    return false;
}

void TForm::SetActiveControl(TWinControl* control) {
    if (control && (control == this || GetParentForm(control) != this || !control->CanFocus()))
        throw EInvalidOperation(FormsConst::SCannotFocus);
    FActiveControl = control;
    if (control && Visible()) NativeWidget(control)->setFocus(Qt::OtherFocusReason);
}

void TForm::FocusControl(TWinControl* control) {
    if (!Visible() || !Enabled()) throw EInvalidOperation(FormsConst::SCannotFocus);
    SetActiveControl(control);
}

void TForm::ActiveControlChanged(TWinControl* control) {
    FActiveControl = control;
    if (Screen && Screen->OnActiveControlChange) GuardedCall(Screen, [] {
            Screen->OnActiveControlChange(Screen);
        });
}

void TForm::WindowActivated(bool active) {
    // The window system's view: only a form that it activates counts (a
    // window losing activation to another program changes nothing here).
    if (active && Visible() && !ModalBlocked()) Screen->ActivateForm(this);
}

bool TForm::ModalBlocked() const {
    for (int32_t i = 0; i < Screen->FormCount(); ++i) {
        TForm* f = Screen->Forms(i);
        if (f != this && f->Modal() && f->Visible()) return true;
    }
    return false;
}

void TForm::ActivationChanged(bool active) {
    if (active == FActive) return;
    FActive = active;
    GuardedCall(this, [this, active] {
        if (active) {
            if (OnActivate) OnActivate(this);
        } else if (OnDeactivate) {
            OnDeactivate(this);
        }
    });
}

void TForm::WindowCloseRequested() {
    GuardedCall(this, [this] { Close(); });
}

// ---------------------------------------------------------------- the dialog service's modal forms

// The services live with the dialogs; their modal-form entries live here,
// with the forms they run.
TModalResult TQtDialogService::ShowModal(TForm& form) {
    RefuseWithoutUser(TDialogKind::ShowModal, form.Caption());
    return form.RunModalLoop();
}

TModalResult TScriptedDialogs::ShowModal(TForm& form) {
    TDialogRequest q;
    q.Kind = TDialogKind::ShowModal;
    q.Caption = form.Caption();
    q.Form = &form;
    Reply r = Take(q);
    form.BeginModal();
    try {
        if (r.Action) r.Action(form);
        if (form.ModalResult() == mrNone) form.SetModalResult(r.Result != mrNone ? r.Result : mrCancel);
        form.CloseModal();
        if (form.ModalResult() == mrNone) {
            // The form would stay open and wait for the user.
            FFailures.push_back("The modal form \"" + form.Caption() + "\" refused to close");
            form.SetModalResult(mrCancel);
        }
    } catch (...) {
        form.EndModal();
        throw;
    }
    TModalResult result = form.ModalResult();
    form.EndModal();
    return result;
}

// ---------------------------------------------------------------- TScrollBox

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner, new QScrollArea()) {
    auto* area = static_cast<QScrollArea*>(NativeWidget(this));
    FContent = new QWidget();
    FContent->setAutoFillBackground(true);
    area->setWidget(FContent);
    area->setWidgetResizable(false);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    WatchWidget(area->viewport());
    SetColor(clBtnFace);
    SetBorderStyle(bsSingle);
    SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox() {
    DetachWidget();
    DestroyOwnedComponents();
    DestroyChildren();
}

QWidget* TScrollBox::ClientWidget() const { return FContent; }

int32_t TScrollBox::FrameWidth() const { return static_cast<QScrollArea*>(NativeWidget(this))->frameWidth(); }

int32_t TScrollBox::ClientWidth() const { return std::max(0, Width() - 2 * FrameWidth()); }

int32_t TScrollBox::ClientHeight() const { return std::max(0, Height() - 2 * FrameWidth()); }

void TScrollBox::SetBorderStyle(TBorderStyle style) {
    FBorderStyle = style;
    auto* area = static_cast<QScrollArea*>(NativeWidget(this));
    area->setFrameShape(style == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    UpdateContent();
}

void TScrollBox::SetAutoScroll(bool autoScroll) {
    FAutoScroll = autoScroll;
    auto* area = static_cast<QScrollArea*>(NativeWidget(this));
    Qt::ScrollBarPolicy p = autoScroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    area->setHorizontalScrollBarPolicy(p);
    area->setVerticalScrollBarPolicy(p);
}

void TScrollBox::ApplyColor() {
    QPalette pal = FContent->palette();
    pal.setColor(QPalette::Window, QtColor(Color()));
    FContent->setPalette(pal);
    QPalette vp = NativeWidget(this)->palette();
    vp.setColor(QPalette::Window, QtColor(Color()));
    NativeWidget(this)->setPalette(vp);
}

void TScrollBox::ApplyBounds() {
    TWinControl::ApplyBounds();
    UpdateContent();
}

TSize TScrollBox::ContentSize() const { return {FContent->width(), FContent->height()}; }

void TScrollBox::UpdateContent() {
    if (FUpdating || Detached()) return;
    FUpdating = true;
    int32_t w = ClientWidth(), h = ClientHeight();
    for (int32_t i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() != alNone) continue;
        w = std::max(w, c->Left() + c->Width());
        h = std::max(h, c->Top() + c->Height());
    }
    FContent->resize(w, h);
    FUpdating = false;
}

void TScrollBox::ChildBoundsChanged(TControl* control) { UpdateContent(); }

void TScrollBox::AlignControls(TRect rect) {
    TWinControl::AlignControls(rect);
    UpdateContent();
}

int32_t TScrollBox::HorzScrollPos() const {
    return static_cast<QScrollArea*>(NativeWidget(this))->horizontalScrollBar()->value();
}

void TScrollBox::SetHorzScrollPos(int32_t pos) {
    static_cast<QScrollArea*>(NativeWidget(this))->horizontalScrollBar()->setValue(pos);
}

int32_t TScrollBox::VertScrollPos() const {
    return static_cast<QScrollArea*>(NativeWidget(this))->verticalScrollBar()->value();
}

void TScrollBox::SetVertScrollPos(int32_t pos) {
    static_cast<QScrollArea*>(NativeWidget(this))->verticalScrollBar()->setValue(pos);
}

int32_t TScrollBox::HorzScrollRange() const {
    return static_cast<QScrollArea*>(NativeWidget(this))->horizontalScrollBar()->maximum();
}

int32_t TScrollBox::VertScrollRange() const {
    return static_cast<QScrollArea*>(NativeWidget(this))->verticalScrollBar()->maximum();
}

void TScrollBox::ScrollInView(TControl* control) {
    if (!control || control->Parent() != this) return;
    static_cast<QScrollArea*>(NativeWidget(this))->ensureWidgetVisible(NativeWidget(control), 0, 0);
}

// ---------------------------------------------------------------- TApplication

TApplication::TApplication() : TComponent(nullptr) {
    // The controls report to the application and find their forms; the
    // runtime's threads reach the main thread through it; the process's
    // printer lists the system's printers.
    InstallControlHooks(&FormHooks());
    InstallThreadHooks();
    InstallSystemPrinters();
}

TApplication::~TApplication() {
    InstallControlHooks(nullptr);
    // Qt objects must go while Qt is still there (see the post routine).
    if (!QCoreApplication::instance() && ComponentCount() > 0) {
        // Too late to free widgets: leave them to the process end.
        while (ComponentCount() > 0) RemoveComponent(Components(ComponentCount() - 1));
    }
}

void TApplication::Initialize() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "varsona";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    InstallPostRoutine();
    FInitialized = true;
}

void TApplication::SetIcon(TBitmap& icon) {
    Initialize();
    QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(BitmapImage(icon))));
}

std::string TApplication::Title() const {
    if (!FTitle.empty()) return FTitle;
    std::string name = ExtractFileName(ParamStr0());
    return ChangeFileExt(name, "");
}

std::string TApplication::ExeName() const { return ParamStr0(); }

void TApplication::CancelHint() {
    if (QCoreApplication::instance()) QToolTip::hideText();
}

void TApplication::FormCreated(TForm* form) {
    bool first = !FMainForm;
    if (first) FMainForm = form;
    form->DoCreate();
}

void TApplication::Run() {
    Initialize();
    if (!FMainForm) return;
    if (FShowMainForm && !FMainForm->Visible()) GuardedCall(FMainForm, [this] { FMainForm->Show(); });
    QEventLoop loop;
    FLoop = &loop;
    while (!FTerminated) loop.exec();
    FLoop = nullptr;
}

void TApplication::Terminate() {
    FTerminated = true;
    if (FLoop) FLoop->quit();
    for (int32_t i = 0; i < Screen->FormCount(); ++i) {
        TForm* f = Screen->Forms(i);
        if (f->Modal()) f->SetModalResult(mrCancel);
    }
}

void TApplication::ProcessMessages() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::HandleException(TObject* sender) {
    std::exception_ptr error = std::current_exception();
    if (!error) return;
    auto report = [&](const Exception& e) {
        try {
            if (OnException) OnException(sender, e);
            else ShowException(e);
        } catch (const std::exception& inner) {
            std::fprintf(stderr, "varsona: error while reporting \"%s\": %s\n", e.Message().c_str(), inner.what());
        } catch (...) {
            std::fprintf(stderr, "varsona: error while reporting \"%s\"\n", e.Message().c_str());
        }
    };
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        report(Exception(e.what()));
    } catch (...) {
        report(Exception("Unknown exception"));
    }
}

void TApplication::ShowException(const Exception& e) {
    std::string msg = e.Message();
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
    MessageBox(msg, Title(), MB_OK | MB_ICONSTOP);
}

int32_t TApplication::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    return DialogService().MessageBox(text, caption, flags);
}

bool TApplication::HelpCommand(Word command, int32_t data) {
    bool callHelp = true;
    bool result = false;
    if (OnHelp) result = OnHelp(command, data, callHelp);
    // There is no help engine of the platform's own to fall back on.
    return result;
}

bool TApplication::HelpContext(int32_t context) { return HelpCommand(HELP_CONTEXT, context); }

bool TApplication::HelpJump(const std::string& jumpId) { return HelpCommand(HELP_CONTENTS, 0); }

void TApplication::DestroyComponents() {
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
    FMainForm = nullptr;
}

// ---------------------------------------------------------------- TScreen

TScreen::TScreen() : TComponent(nullptr) {}

TScreen::~TScreen() = default;

TStrings* TScreen::Fonts() {
    if (!FFonts) {
        FFonts = std::make_unique<TStringList>();
        std::vector<std::string> families = InstalledFontFamilies();
        std::stable_sort(families.begin(), families.end(),
                         [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
        FFonts->Add("Default");
        for (const std::string& f : families)
            if (!SameText(f, "Default")) FFonts->Add(f);
    }
    return FFonts.get();
}

void TScreen::SetCursor(TCursor cursor) {
    if (cursor == FCursor) return;
    if (QCoreApplication::instance()) {
        if (FCursor != crDefault) QApplication::restoreOverrideCursor();
        if (cursor != crDefault) QApplication::setOverrideCursor(QtCursor(cursor));
    }
    FCursor = cursor;
}

void TScreen::SetCursors(TCursor index, TBitmap& image, TPoint hotSpot) {
    // The transparent colour's pixels let the screen show through.
    QImage pixels = BitmapImage(image).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = QtColor(image.TransparentColor()).rgb() | 0xFF000000u;
    for (int y = 0; y < pixels.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
    RegisterQtCursor(index, pixels, QPoint(hotSpot.X, hotSpot.Y));
}

bool TScreen::HasCursors(TCursor index) const { return HasQtCursor(index); }

int32_t TScreen::Width() const {
    QScreen* s = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().width() : 1024;
}

int32_t TScreen::Height() const {
    QScreen* s = QCoreApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    return s ? s->geometry().height() : 768;
}

TControl* TScreen::ActiveControl() const { return FActiveForm ? FActiveForm->ActiveControl() : nullptr; }

TForm* TScreen::Forms(int32_t index) const {
    if (index < 0 || index >= FormCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FForms[static_cast<size_t>(index)];
}

void TScreen::AddForm(TForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TForm* form) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), form), FForms.end());
    FHistory.erase(std::remove(FHistory.begin(), FHistory.end(), form), FHistory.end());
    if (FActiveForm != form) return;
    // The form goes without hearing of it; the one active before takes over.
    FActiveForm = nullptr;
    for (auto it = FHistory.rbegin(); it != FHistory.rend(); ++it)
        if ((*it)->Visible() && NativeWidget((*it))->isVisible()) {
            ActivateForm(*it);
            break;
        }
}

void TScreen::ActivateForm(TForm* form) {
    if (form == FActiveForm) return;
    TForm* old = FActiveForm;
    FActiveForm = form;
    if (form) {
        FHistory.erase(std::remove(FHistory.begin(), FHistory.end(), form), FHistory.end());
        FHistory.push_back(form);
    }
    // The platform's order: the old form hears of it first.
    if (old) old->ActivationChanged(false);
    if (form && FActiveForm == form) form->ActivationChanged(true);
    if (OnActiveFormChange) GuardedCall(this, [this] { OnActiveFormChange(this); });
}

void TScreen::FormHidden(TForm* form) {
    if (form != FActiveForm) return;
    // The form shown and active before it takes over.
    TForm* next = nullptr;
    for (auto it = FHistory.rbegin(); it != FHistory.rend(); ++it)
        if (*it != form && (*it)->Visible() && NativeWidget((*it))->isVisible()) {
            next = *it;
            break;
        }
    ActivateForm(next);
    if (next) NativeWidget(next)->activateWindow();
}
