#include "platform/controls/Controls.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <map>

#include "platform/controls/Timers.h"
#include "platform/controls/qt/ControlsQt.h"
#include "platform/graphics/qt/FontCache.h"
#include "platform/graphics/qt/QtCanvasDevice.h"

// ---------------------------------------------------------------- hooks

void TControlHooks::HandleException(TObject* sender) {
    try {
        throw;
    } catch (const Exception& e) {
        std::fprintf(stderr, "varsona: %s\n", e.Message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "varsona: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "varsona: unknown exception\n");
    }
}

void TControlHooks::FocusControl(TWinControl* window, TWinControl* control) {
    if (QWidget* w = NativeWidget(control)) w->setFocus(Qt::OtherFocusReason);
}

namespace {
TControlHooks& DefaultHooks() {
    static TControlHooks defaults;
    return defaults;
}
TControlHooks*& InstalledHooks() {
    static TControlHooks* hooks = &DefaultHooks();
    return hooks;
}
}  // namespace

TControlHooks& ControlHooks() { return *InstalledHooks(); }

void InstallControlHooks(TControlHooks* hooks) { InstalledHooks() = hooks ? hooks : &DefaultHooks(); }

// ---------------------------------------------------------------- guard

bool GuardedCall(TObject* sender, const std::function<void()>& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        try {
            ControlHooks().HandleException(sender);
        } catch (...) {
        }
        return false;
    }
}

// ---------------------------------------------------------------- conversions

QColor QtColor(TColor color) {
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(static_cast<uint32_t>(rgb)), GetGValue(static_cast<uint32_t>(rgb)),
                  GetBValue(static_cast<uint32_t>(rgb)));
}

void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color) {
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
}

TColor ColorFromQt(const QColor& color) {
    return RGB(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
               static_cast<uint8_t>(color.blue()));
}

QFont QtFont(const TFont& font) {
    // The family as the canvases resolve it, so widgets and painting agree.
    QFont f(FontFamilyFor(font.Name()));
    int32_t h = font.Height();
    if (h < 0) {
        f.setPixelSize(std::max(1, -h));
    } else if (h > 0) {
        // A positive height is the whole cell (ascent + descent).
        f.setPixelSize(h);
        QFontMetrics fm(f);
        if (fm.height() > h) f.setPixelSize(std::max(1, h * h / fm.height()));
    }
    TFontStyles st = font.Style();
    f.setBold((st & fsBold) != 0);
    f.setItalic((st & fsItalic) != 0);
    f.setUnderline((st & fsUnderline) != 0);
    f.setStrikeOut((st & fsStrikeOut) != 0);
    return f;
}

Qt::CursorShape QtCursorShape(TCursor cursor) {
    switch (cursor) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

namespace {
struct TOwnCursor {
    QImage Image;
    QPoint HotSpot;
};
// Kept as images: a pixmap may not outlive the application.
std::map<TCursor, TOwnCursor>& OwnCursors() {
    static std::map<TCursor, TOwnCursor> cursors;
    return cursors;
}
}  // namespace

QCursor QtCursor(TCursor cursor) {
    const auto& own = OwnCursors();
    auto it = own.find(cursor);
    if (it == own.end()) return QCursor(QtCursorShape(cursor));
    return QCursor(QPixmap::fromImage(it->second.Image), it->second.HotSpot.x(), it->second.HotSpot.y());
}

void RegisterQtCursor(TCursor cursor, const QImage& image, QPoint hotSpot) {
    OwnCursors()[cursor] = TOwnCursor{image, hotSpot};
}

bool HasQtCursor(TCursor cursor) { return OwnCursors().count(cursor) != 0; }

namespace {
struct KeyPair {
    int Qt;
    Word Vk;
};
// Keys whose code is not their ASCII letter or digit.
constexpr KeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},           {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},      {Qt::Key_Return, VK_RETURN},     {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},      {Qt::Key_Control, VK_CONTROL},   {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL},  {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},      {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},         {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},       {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},    {Qt::Key_Print, VK_SNAPSHOT},    {Qt::Key_Execute, VK_EXECUTE},
    {Qt::Key_Insert, VK_INSERT},    {Qt::Key_Delete, VK_DELETE},     {Qt::Key_Help, VK_HELP},
    {Qt::Key_Meta, VK_LWIN},        {Qt::Key_Menu, VK_APPS},         {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Semicolon, VK_OEM_1},  {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},   {Qt::Key_Plus, VK_OEM_PLUS},     {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},   {Qt::Key_Minus, VK_OEM_MINUS},   {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},   {Qt::Key_QuoteLeft, VK_OEM_3},   {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},  {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},        {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},    {Qt::Key_Asterisk, VK_MULTIPLY},
    // Shifted digits of a US keyboard.
    {Qt::Key_Exclam, '1'},          {Qt::Key_At, '2'},               {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},          {Qt::Key_Percent, '5'},          {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},       {Qt::Key_ParenLeft, '9'},        {Qt::Key_ParenRight, '0'},
};
}  // namespace

Word VirtualKeyFromQt(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<Word>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<Word>('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (qtKey - Qt::Key_F1));
    for (const KeyPair& k : kKeys)
        if (k.Qt == qtKey) return k.Vk;
    return 0;
}

int QtKeyFromVirtualKey(Word key) {
    if (key >= 'A' && key <= 'Z') return Qt::Key_A + (key - 'A');
    if (key >= '0' && key <= '9') return Qt::Key_0 + (key - '0');
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return Qt::Key_0 + (key - VK_NUMPAD0);
    if (key >= VK_F1 && key <= VK_F1 + 23) return Qt::Key_F1 + (key - VK_F1);
    switch (key) {
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DIVIDE: return Qt::Key_Slash;
    case VK_DECIMAL: return Qt::Key_Period;
    default: break;
    }
    for (const KeyPair& k : kKeys)
        if (k.Vk == key) return k.Qt;
    return 0;
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

Qt::KeyboardModifiers QtModifiers(TShiftState shift) {
    Qt::KeyboardModifiers m = Qt::NoModifier;
    if (shift & ssShift) m |= Qt::ShiftModifier;
    if (shift & ssAlt) m |= Qt::AltModifier;
    if (shift & ssCtrl) m |= Qt::ControlModifier;
    return m;
}

namespace {
const char* const kControlProperty = "varsonaControl";

TMouseButton ButtonOf(Qt::MouseButton b) {
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

// The control that an automatic or started drag comes from, the control it
// is over (told dsDragEnter, then dsDragMove, then dsDragLeave) and whether
// that one accepts the drop.
QPointer<QWidget> gDragWidget;
TControl* gDragSource = nullptr;
TControl* gDragOver = nullptr;
bool gDragAccepted = false;

// The drag leaves the control it was over (it moved on, or it ends).
void LeaveDragTarget(TControl* source, int32_t x, int32_t y) {
    TControl* over = gDragOver;
    gDragOver = nullptr;
    gDragAccepted = false;
    if (over && !over->Destroying()) over->DispatchDragOver(source, x, y, dsDragLeave);
}

// Ends the drag of source: the control it is over hears the leave, then the
// drop when it accepted; the source hears the end.
void FinishDrag(TControl* source, bool drop, const QPoint& global) {
    TControl* target = drop && gDragAccepted ? gDragOver : nullptr;
    QPoint tp = target ? NativeWidget(target)->mapFromGlobal(global) : QPoint();
    QPoint op = gDragOver ? NativeWidget(gDragOver)->mapFromGlobal(global) : QPoint();
    gDragSource = nullptr;
    LeaveDragTarget(source, op.x(), op.y());
    if (target) {
        target->DispatchDragDrop(source, tp.x(), tp.y());
        source->DispatchEndDrag(target, tp.x(), tp.y());
    } else {
        source->DispatchEndDrag(nullptr, 0, 0);
    }
}
}  // namespace

TControl* ControlOfWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        QVariant v = w->property(kControlProperty);
        if (v.isValid()) {
            auto* c = reinterpret_cast<TControl*>(v.value<quintptr>());
            if (c) return c;
        }
    }
    return nullptr;
}

QWidget* NewContainerWidget() {
    auto* w = new QWidget();
    w->setAutoFillBackground(true);
    return w;
}

// ---------------------------------------------------------------- focus tracking

void EnsureFocusTracking() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget* old, QWidget* now) {
        auto* from = dynamic_cast<TWinControl*>(ControlOfWidget(old));
        auto* to = dynamic_cast<TWinControl*>(ControlOfWidget(now));
        if (from != to) TWinControl::FocusMoved(from, to);
    });
}

// ---------------------------------------------------------------- binding

TControlBinding::TControlBinding(TControl* control, QWidget* widget) : FControl(control), FWidget(widget) {
    widget->installEventFilter(this);
}

TControlBinding::~TControlBinding() = default;

void TControlBinding::Watch(QWidget* widget) {
    if (widget) widget->installEventFilter(this);
}

namespace {
// Qt hands an input event that a widget ignores on to its parent widgets;
// the platform gives it to one window only. The first control to see an
// event marks it, and the controls it then travels up to let it pass.
struct TInputMark {
    QEvent::Type Type = QEvent::None;
    int Code = 0;
    QPointF Global;
    QPointer<QWidget> First;
};
TInputMark gInputMark;

bool IsPropagated(QWidget* watched, QEvent* event) {
    int code = 0;
    QPointF global;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* ke = static_cast<QKeyEvent*>(event);
        code = ke->key() ^ static_cast<int>(ke->modifiers());
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        code = static_cast<int>(me->button());
        global = me->globalPosition();
        break;
    }
    case QEvent::ContextMenu:
        global = static_cast<QContextMenuEvent*>(event)->globalPos();
        break;
    default: return false;
    }
    TInputMark& m = gInputMark;
    // Qt passes a copy up the chain, so the event is known by its contents:
    // the same kind, key or button and screen position, now at an ancestor
    // of the widget that saw it first.
    if (m.Type == event->type() && m.Code == code && m.Global == global && m.First && m.First != watched &&
        watched->isAncestorOf(m.First))
        return true;
    m = TInputMark{event->type(), code, global, watched};
    return false;
}
}  // namespace

bool TControlBinding::eventFilter(QObject* watched, QEvent* event) {
    TControl* c = FControl;
    if (!c || c->Detached()) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    if (IsPropagated(w, event)) return false;
    // An event forwarded from an inner widget to its container (or back)
    // is seen once.
    if (FInside.count(event)) return false;
    struct Mark {
        std::set<const QEvent*>& Set;
        const QEvent* E;
        ~Mark() { Set.erase(E); }
    } mark{FInside, event};
    FInside.insert(event);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        QWidget* origin = c->CoordinateWidget();
        QPoint p = w == origin ? me->position().toPoint() : origin->mapFromGlobal(me->globalPosition().toPoint());
        TShiftState shift = ShiftFromQt(me->modifiers(), me->buttons());
        QPointer<QWidget> guard(FWidget);
        if (event->type() == QEvent::MouseButtonPress) {
            c->DispatchMouseDown(ButtonOf(me->button()), shift, p.x(), p.y(), false);
            if (guard && FControl && me->button() == Qt::LeftButton && c->DragMode() == dmAutomatic) {
                gDragSource = c;
                gDragWidget = FWidget;
                gDragOver = nullptr;
                gDragAccepted = false;
            }
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            c->DispatchMouseDown(ButtonOf(me->button()), shift, p.x(), p.y(), true);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (gDragSource == c && gDragWidget) FinishDrag(c, true, me->globalPosition().toPoint());
            if (guard && FControl) c->DispatchMouseUp(ButtonOf(me->button()), shift, p.x(), p.y());
        } else {
            if (gDragSource == c && gDragWidget && (me->buttons() & Qt::LeftButton)) {
                QPoint g = me->globalPosition().toPoint();
                TControl* under = ControlOfWidget(QApplication::widgetAt(g));
                if (!under || under == c || under->Destroying()) under = nullptr;
                if (gDragOver && gDragOver != under) {
                    QPoint op = NativeWidget(gDragOver)->mapFromGlobal(g);
                    LeaveDragTarget(c, op.x(), op.y());
                }
                if (under) {
                    QPoint tp = NativeWidget(under)->mapFromGlobal(g);
                    TDragState state = under == gDragOver ? dsDragMove : dsDragEnter;
                    gDragOver = under;
                    gDragAccepted = under->DispatchDragOver(c, tp.x(), tp.y(), state);
                }
            }
            c->DispatchMouseMove(shift, p.x(), p.y());
        }
        return false;
    }
    case QEvent::Wheel: {
        auto* we = static_cast<QWheelEvent*>(event);
        QPoint g = we->globalPosition().toPoint();
        TMessage m{WM_MOUSEWHEEL,
                   MakeWParam(static_cast<int32_t>(ShiftStateToKeys(ShiftFromQt(we->modifiers(), we->buttons()))),
                              we->angleDelta().y()),
                   MakeLParam(g.x(), g.y())};
        c->DispatchMessage(m);
        return m.Result != 0;
    }
    case QEvent::Enter:
    case QEvent::Leave:
        if (w == FWidget) {
            TMessage m{event->type() == QEvent::Enter ? CM_MOUSEENTER : CM_MOUSELEAVE};
            c->DispatchMessage(m);
        }
        return false;
    case QEvent::ToolTip: {
        if (w != FWidget && w != c->CoordinateWidget()) return false;
        auto* he = static_cast<QHelpEvent*>(event);
        QPoint p = w->mapTo(c->CoordinateWidget(), he->pos());
        return c->DispatchHintShow(p.x(), p.y());
    }
    case QEvent::Show:
        if (w == FWidget)
            if (auto* wc = dynamic_cast<TWinControl*>(c); wc && !wc->HandleAllocated()) wc->ShowingFirst();
        return false;
    case QEvent::KeyPress: return KeyPress(w, static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease: return KeyRelease(w, static_cast<QKeyEvent*>(event));
    case QEvent::Resize:
        if (w == FWidget) c->WidgetResized(w->width(), w->height());
        return false;
    case QEvent::ContextMenu: {
        if (!c->PopupMenu()) return false;
        auto* ce = static_cast<QContextMenuEvent*>(event);
        return ControlHooks().Popup(c->PopupMenu(), c, ce->globalPos().x(), ce->globalPos().y());
    }
    default: return false;
    }
}

bool TControlBinding::KeyPress(QWidget* watched, QKeyEvent* event) {
    auto* wc = dynamic_cast<TWinControl*>(FControl);
    if (!wc || FResending) return false;
    QPointer<QWidget> guard(watched);
    TShiftState shift = ShiftFromQt(event->modifiers());
    Word key = VirtualKeyFromQt(event->key());
    if (event->key() == Qt::Key_Backtab) shift |= ssShift;
    const Word pressed = key;
    bool command = false;
    bool keyConsumed = key != 0 && wc->DispatchKeyDown(key, shift, &command);
    if (!guard || !FControl) return true;
    // A control that takes Tab itself (a grid) keeps the focus.
    const bool keepTab = pressed == VK_TAB && wc->HandlesKey(VK_TAB, shift);
    // Shortcuts and dialog keys end here; Tab is left to Qt's focus chain.
    if (command) return keyConsumed;
    QString text = event->text();
    // Ctrl with a letter types its control character (Ctrl+X is 0x18), as
    // the platform translates it, whatever text the window system gave.
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    if (mods == Qt::ControlModifier && pressed >= 'A' && pressed <= 'Z')
        text = QString(QChar(static_cast<char16_t>(pressed - 'A' + 1)));
    if (text.isEmpty()) return keyConsumed || keepTab;
    // Each character goes through OnKeyPress, which may change or drop it.
    QString kept;
    bool changed = false;
    for (char32_t ch : text.toUcs4()) {
        if (ch == 0x7F) continue;
        char32_t k = ch;
        wc->DispatchKeyPress(k);
        if (!guard || !FControl) return true;
        if (k != ch) changed = true;
        if (k != 0) kept += QString::fromUcs4(&k, 1);
    }
    if (!keyConsumed && !changed) return keepTab;
    if (kept.isEmpty()) return true;
    // Send only the surviving characters, without the key's own action when
    // the key itself was taken.
    int qtKey = keyConsumed || changed ? Qt::Key_unknown : event->key();
    if (kept == QStringLiteral("\b")) qtKey = Qt::Key_Backspace;
    QKeyEvent replacement(QEvent::KeyPress, qtKey, event->modifiers() & ~Qt::ControlModifier, kept);
    FResending = true;
    QApplication::sendEvent(watched, &replacement);
    FResending = false;
    return true;
}

bool TControlBinding::KeyRelease(QWidget* watched, QKeyEvent* event) {
    auto* wc = dynamic_cast<TWinControl*>(FControl);
    if (!wc || FResending || event->isAutoRepeat()) return false;
    Word key = VirtualKeyFromQt(event->key());
    if (key == 0) return false;
    return wc->DispatchKeyUp(key, ShiftFromQt(event->modifiers()));
}

// ---------------------------------------------------------------- paint widget

TPaintWidget::TPaintWidget(TControl* control, QWidget* parent) : QWidget(parent), FControl(control) {}

void TPaintWidget::paintEvent(QPaintEvent* event) {
    if (!FControl || FControl->Detached()) return;
    QPainter painter(this);
    QRect r = event->rect();
    FControl->DispatchPaint(painter, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1), TSize{width(), height()});
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner, const TNativeWidget& widget) : TComponent(owner), FWidget(widget.Widget) {
    EnsureFocusTracking();
    FFont = std::make_unique<TFont>();
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    FWidget->setProperty(kControlProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
    if (auto* pw = dynamic_cast<TPaintWidget*>(FWidget)) pw->SetControl(this);
    FBinding = std::make_unique<TControlBinding>(this, FWidget);
    FWidget->setFont(QtFont(*FFont));
    // The platform reports every mouse move, pressed or not.
    FWidget->setMouseTracking(true);
}

TControl::~TControl() {
    DetachWidget();
    DestroyOwnedComponents();
    if (FParent) FParent->RemoveControl(this);
    FParent = nullptr;
    FBinding.reset();
    delete FWidget;
    FWidget = nullptr;
}

void TControl::DetachWidget() {
    if (FDetached) return;
    FDetached = true;
    BeginDestroy();
    if (gDragSource == this) gDragSource = nullptr;
    if (gDragOver == this) {
        gDragOver = nullptr;
        gDragAccepted = false;
    }
    if (FBinding) FBinding->Detach();
    if (auto* pw = dynamic_cast<TPaintWidget*>(FWidget)) pw->Detach();
    if (FWidget) {
        FWidget->blockSignals(true);
        FWidget->setProperty(kControlProperty, QVariant::fromValue<quintptr>(0));
    }
}

void TControl::WatchWidget(const TNativeWidget& widget) {
    if (FBinding) FBinding->Watch(widget.Widget);
}

void TControl::ReplaceWidget(const TNativeWidget& native) {
    QWidget* old = FWidget;
    QWidget* w = native.Widget;
    if (!w || w == old || FDetached) return;
    const bool focused = old->hasFocus();
    w->setProperty(kControlProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(this)));
    if (auto* pw = dynamic_cast<TPaintWidget*>(w)) pw->SetControl(this);
    w->setMouseTracking(true);
    w->setFocusPolicy(old->focusPolicy());
    w->setEnabled(FEnabled);
    w->setToolTip(old->toolTip());
    if (FShownCursor != crDefault) w->setCursor(QtCursor(FShownCursor));
    FBinding = std::make_unique<TControlBinding>(this, w);
    FWidget = w;
    w->setParent(old->parentWidget());
    w->stackUnder(old);
    if (auto* wc = dynamic_cast<TWinControl*>(this)) {
        QWidget* client = ::ClientWidget(wc);
        for (TControl* c : wc->FControls) {
            c->FWidget->setParent(client);
            c->ApplyBounds();
            c->ApplyVisible();
        }
    }
    ApplyFont();
    ApplyColor();
    ApplyBounds();
    ApplyVisible();
    // The focus moves between two widgets of the same control: no exit.
    if (focused) w->setFocus(Qt::OtherFocusReason);
    old->setProperty(kControlProperty, QVariant::fromValue<quintptr>(0));
    if (auto* pw = dynamic_cast<TPaintWidget*>(old)) pw->Detach();
    old->blockSignals(true);
    old->hide();
    old->deleteLater();
}

QWidget* TNativeAccess::Widget(const TControl* control) { return control->FWidget; }
QWidget* TNativeAccess::Client(const TWinControl* control) { return control->ClientWidget(); }
QWidget* TNativeAccess::Coordinates(const TControl* control) { return control->CoordinateWidget(); }
QWidget* CoordinateWidget(const TControl* control) { return TNativeAccess::Coordinates(control); }
QWidget* NativeWidget(const TControl* control) { return TNativeAccess::Widget(control); }
QWidget* ClientWidget(const TWinControl* control) { return TNativeAccess::Client(control); }

void TControl::DestroyOwnedComponents() {
    while (ComponentCount() > 0) delete Components(ComponentCount() - 1);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    TWinControl* old = FParent;
    if (old) old->RemoveControl(this);
    FParent = parent;
    if (parent) {
        // The widget moves first: a parent may place it elsewhere (a page
        // control puts its sheets into its pages).
        FWidget->setParent(::ClientWidget(parent));
        parent->InsertControl(this);
        if (FParentFont) ParentFontChanged();
        if (FParentColor) ParentColorChanged();
        if (FParentShowHint) ParentShowHintChanged();
    } else {
        FWidget->setParent(nullptr);
    }
    ApplyBounds();
    ApplyVisible();
    if (old && FAlign != alNone) old->Realign();
    if (parent && FAlign != alNone) parent->Realign();
}

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    width = std::max(0, width);
    height = std::max(0, height);
    bool sizeChanged = width != FWidth || height != FHeight;
    if (left == FLeft && top == FTop && !sizeChanged) return;
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (FInPaint) {
        // Qt must not resize a widget in the middle of its paint: apply the
        // new geometry once the paint is over.
        if (!FBoundsPending) {
            FBoundsPending = true;
            QTimer::singleShot(0, FWidget, [this] {
                FBoundsPending = false;
                if (!FDetached) ApplyBounds();
            });
        }
    } else {
        ApplyBounds();
    }
    if (sizeChanged)
        if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->Realign();
    if (FParent && FAlign != alNone && !FParent->FAligning) FParent->Realign();
    if (FParent) FParent->ChildBoundsChanged(this);
    if (sizeChanged) DispatchResize();
}

void TControl::WidgetMoved(int32_t left, int32_t top) {
    FLeft = left;
    FTop = top;
}

void TControl::WidgetResized(int32_t width, int32_t height) {
    // Only a size that did not come from SetBounds (a window resized by the
    // user) is news.
    if (FBoundsPending || (width == FWidth && height == FHeight)) return;
    FWidth = width;
    FHeight = height;
    if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->Realign();
    DispatchResize();
}

void TControl::ApplyBounds() {
    if (FBoundsPending) return;
    FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
}

int32_t TControl::ClientWidth() const { return FWidth; }
int32_t TControl::ClientHeight() const { return FHeight; }

void TControl::SetClientWidth(int32_t width) { SetWidth(FWidth - ClientWidth() + width); }
void TControl::SetClientHeight(int32_t height) { SetHeight(FHeight - ClientHeight() + height); }

TPoint TControl::ClientToScreen(const TPoint& p) const {
    QPoint g = CoordinateWidget()->mapToGlobal(QPoint(p.X, p.Y));
    return Point(g.x(), g.y());
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
    QPoint l = CoordinateWidget()->mapFromGlobal(QPoint(p.X, p.Y));
    return Point(l.x(), l.y());
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    ApplyVisible();
    if (FParent && FAlign != alNone) FParent->Realign();
    if (FParent) FParent->ChildBoundsChanged(this);
}

void TControl::ApplyVisible() {
    // A control without a parent has no window to show in.
    if (!FParent) {
        FWidget->hide();
        return;
    }
    FWidget->setVisible(FVisible);
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    FWidget->setEnabled(enabled);
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetAlign(TAlign align) {
    if (align == FAlign) return;
    FAlign = align;
    if (FParent) FParent->Realign();
}

void TControl::SetColor(TColor color) {
    FParentColor = false;
    if (color == FColor) return;
    FColor = color;
    ApplyColor();
    if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
    FParentColor = parentColor;
    if (parentColor) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!FParent) return;
    FColor = FParent->Color();
    ApplyColor();
    if (auto* wc = dynamic_cast<TWinControl*>(this)) wc->ColorChanged();
}

void TControl::ApplyColor() {
    QPalette pal = FWidget->palette();
    pal.setColor(QPalette::Window, QtColor(FColor));
    FWidget->setPalette(pal);
    FWidget->update();
}

void TControl::SetParentFont(bool parentFont) {
    FParentFont = parentFont;
    if (parentFont) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParent) return;
    FSettingParentFont = true;
    FFont->Assign(FParent->Font());
    FSettingParentFont = false;
    FParentFont = true;
}

void TControl::FontChanged() {
    if (!FSettingParentFont) FParentFont = false;
    ApplyFont();
    if (FCanvas) FCanvas->SetFont(FFont.get());
}

void TControl::ApplyFont() {
    FWidget->setFont(QtFont(*FFont));
    QPalette pal = FWidget->palette();
    SetEnabledColor(pal, QPalette::WindowText, QtColor(FFont->Color()));
    SetEnabledColor(pal, QPalette::Text, QtColor(FFont->Color()));
    SetEnabledColor(pal, QPalette::ButtonText, QtColor(FFont->Color()));
    FWidget->setPalette(pal);
}

void TControl::SetHint(const std::string& hint) {
    FHint = hint;
    ApplyHint();
}

void TControl::SetShowHint(bool showHint) {
    FShowHint = showHint;
    FParentShowHint = false;
    ApplyHint();
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls)
            if (c->FParentShowHint) c->ParentShowHintChanged();
}

void TControl::SetParentShowHint(bool parentShowHint) {
    FParentShowHint = parentShowHint;
    if (parentShowHint) ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
    if (!FParent) return;
    FShowHint = FParent->FShowHint;
    ApplyHint();
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls)
            if (c->FParentShowHint) c->ParentShowHintChanged();
}

void TControl::ApplyHint() {
    // "short|long": the tool tip shows the short part.
    std::string shortHint = FHint.substr(0, FHint.find('|'));
    FWidget->setToolTip(FShowHint ? QStr(shortHint) : QString());
}

void TControl::SetCursor(TCursor cursor) {
    if (cursor == FCursor) return;
    FCursor = cursor;
    FShownCursor = cursor;
    if (cursor == crDefault) FWidget->unsetCursor();
    else FWidget->setCursor(QtCursor(cursor));
    Perform(CM_CURSORCHANGED);
}

void TControl::SetTextValue(const std::string& text) { FText = text; }

void TControl::Invalidate() {
    if (!FWidget) return;
    FWidget->update();
    // A scrolling control's viewport paints on its own.
    if (QWidget* view = CoordinateWidget(); view != FWidget) view->update();
}

void TControl::InvalidateRect(const TRect& rect) {
    TRect r = rect.Normalized();
    // Client pixels: those of the viewport in a scrolling control.
    if (FWidget) CoordinateWidget()->update(QRect(r.Left, r.Top, r.Width(), r.Height()));
}

namespace {
// On the platform a window is on the screen as soon as it is shown; the
// window system here maps it a little later, and nothing paints until it
// has. Waits (a second at most) until the shown window of widget is exposed.
void WaitUntilExposed(QWidget* widget) {
    QWidget* top = widget->window();
    if (!top->isVisible() || top->isMinimized()) return;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QWindow* window = top->windowHandle();
        if (!window || window->isExposed() || clock.elapsed() > 1000) return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!window->isExposed()) QThread::msleep(2);
    }
}
}  // namespace

void TControl::Repaint() {
    if (!FWidget) return;
    if (FInPaint) {
        FWidget->update();
        return;
    }
    WaitUntilExposed(FWidget);
    FWidget->repaint();
}

void TControl::Update() { Repaint(); }

void TControl::BringToFront() {
    FWidget->raise();
    if (FParent) {
        auto& list = FParent->FControls;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.push_back(this);
    }
}

void TControl::SendToBack() {
    FWidget->lower();
    if (FParent) {
        auto& list = FParent->FControls;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.insert(list.begin(), this);
    }
}

void TControl::BeginDrag(bool immediate) {
    gDragSource = this;
    gDragWidget = FWidget;
    gDragOver = nullptr;
    gDragAccepted = false;
}

void TControl::EndDrag(bool drop) {
    if (gDragSource != this) return;
    FinishDrag(this, drop, QCursor::pos());
}

bool TControl::Dragging() const { return gDragSource == this; }

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

bool TControl::DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, shift, delta, pos, handled);
    return handled;
}

void TControl::Resize() {
    if (OnResize) OnResize(this);
}

void TControl::DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept) {
    accept = static_cast<bool>(OnDragOver);
    if (OnDragOver) OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int32_t x, int32_t y) {
    if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int32_t x, int32_t y) {
    if (OnEndDrag) OnEndDrag(this, target, x, y);
}

void TControl::DispatchMouse(uint32_t msg, TShiftState shift, int32_t x, int32_t y) {
    TMessage m{msg, ShiftStateToKeys(shift), MakeLParam(x, y)};
    DispatchMessage(m);
}

void TControl::DispatchMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, bool dbl) {
    static constexpr uint32_t kDown[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static constexpr uint32_t kDouble[] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    DispatchMouse(dbl ? kDouble[button] : kDown[button], shift, x, y);
}

void TControl::DispatchMouseMove(TShiftState shift, int32_t x, int32_t y) {
    if (FDetached) return;
    QPointer<QWidget> alive(FWidget);
    TMessage cursor{WM_SETCURSOR, reinterpret_cast<uintptr_t>(this), MakeLParam(HTCLIENT, WM_MOUSEMOVE)};
    DispatchMessage(cursor);
    if (!alive || FDetached) return;
    DispatchMouse(WM_MOUSEMOVE, shift, x, y);
}

void TControl::DispatchMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) {
    static constexpr uint32_t kUp[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    DispatchMouse(kUp[button], shift, x, y);
}

bool TControl::DispatchMouseWheel(TShiftState shift, int32_t delta, TPoint pos) {
    QPoint g = CoordinateWidget()->mapToGlobal(QPoint(pos.X, pos.Y));
    TMessage m{WM_MOUSEWHEEL, MakeWParam(static_cast<int32_t>(ShiftStateToKeys(shift)), delta), MakeLParam(g.x(), g.y())};
    DispatchMessage(m);
    return m.Result != 0;
}

void TControl::DispatchResize() {
    TMessage m{WM_SIZE, SIZE_RESTORED, MakeLParam(ClientWidth(), ClientHeight())};
    DispatchMessage(m);
}

intptr_t TControl::DispatchMessage(TMessage& message) {
    if (FDetached) return 0;
    GuardedCall(this, [&] { WndProc(message); });
    return message.Result;
}

intptr_t TControl::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TMessage m{msg, wParam, lParam};
    if (!FDetached) WndProc(m);
    return m.Result;
}

bool TControl::DispatchHintShow(int32_t x, int32_t y) {
    if (FDetached || !FShowHint) return false;
    QWidget* origin = CoordinateWidget();
    QPoint global = origin->mapToGlobal(QPoint(x, y));
    THintInfo info;
    info.HintControl = this;
    info.CursorPos = Point(x, y);
    info.HintPos = Point(global.x(), global.y());
    info.CursorRect = ClientRect();
    info.HintStr = FHint.substr(0, FHint.find('|'));
    TMessage m{CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info)};
    DispatchMessage(m);
    if (m.Result != 0 || info.HintStr.empty()) {
        QToolTip::hideText();
        return true;
    }
    QPalette pal = QToolTip::palette();
    pal.setColor(QPalette::ToolTipBase, QtColor(info.HintColor));
    QToolTip::setPalette(pal);
    const TRect& r = info.CursorRect;
    QToolTip::showText(QPoint(info.HintPos.X, info.HintPos.Y), QStr(info.HintStr), origin,
                       QRect(r.Left, r.Top, r.Width(), r.Height()));
    return true;
}

void TControl::WndProc(TMessage& message) { Dispatch(message); }

namespace {
TWMMouse CrackMouse(const TMessage& m) {
    return TWMMouse{m.WParam, LowWord(m.LParam), HighWord(m.LParam)};
}
}  // namespace

void TControl::Dispatch(TMessage& m) {
    auto mouse = [&](void (TControl::*handler)(TWMMouse&)) {
        TWMMouse msg = CrackMouse(m);
        (this->*handler)(msg);
        m.Result = msg.Result;
    };
    switch (m.Msg) {
    case WM_LBUTTONDOWN: return mouse(&TControl::WMLButtonDown);
    case WM_LBUTTONUP: return mouse(&TControl::WMLButtonUp);
    case WM_LBUTTONDBLCLK: return mouse(&TControl::WMLButtonDblClk);
    case WM_RBUTTONDOWN: return mouse(&TControl::WMRButtonDown);
    case WM_RBUTTONUP: return mouse(&TControl::WMRButtonUp);
    case WM_RBUTTONDBLCLK: return mouse(&TControl::WMRButtonDblClk);
    case WM_MBUTTONDOWN: return mouse(&TControl::WMMButtonDown);
    case WM_MBUTTONUP: return mouse(&TControl::WMMButtonUp);
    case WM_MBUTTONDBLCLK: return mouse(&TControl::WMMButtonDblClk);
    case WM_MOUSEMOVE: return mouse(&TControl::WMMouseMove);
    case WM_MOUSEWHEEL: {
        TWMMouseWheel msg{static_cast<uintptr_t>(static_cast<uint16_t>(m.WParam & 0xFFFF)),
                          HighWord(static_cast<intptr_t>(m.WParam)), LowWord(m.LParam), HighWord(m.LParam)};
        WMMouseWheel(msg);
        m.Result = msg.Result;
        return;
    }
    case WM_SIZE: {
        TWMSize msg{m.WParam, LowWord(m.LParam) & 0xFFFF, HighWord(m.LParam) & 0xFFFF};
        WMSize(msg);
        m.Result = msg.Result;
        return;
    }
    case WM_SETCURSOR: {
        TWMSetCursor msg{reinterpret_cast<TControl*>(m.WParam), static_cast<uint16_t>(m.LParam & 0xFFFF),
                         static_cast<uint32_t>((m.LParam >> 16) & 0xFFFF)};
        WMSetCursor(msg);
        m.Result = msg.Result;
        return;
    }
    case WM_PAINT: return WMPaint(m);
    case CM_HINTSHOW:
        if (m.LParam) CMHintShow(*reinterpret_cast<THintInfo*>(m.LParam), m.Result);
        return;
    case CM_CURSORCHANGED: return CMCursorChanged(m);
    case CM_MOUSEENTER: return CMMouseEnter(m);
    case CM_MOUSELEAVE: return CMMouseLeave(m);
    case CM_ENABLEDCHANGED: return CMEnabledChanged(m);
    default: return;
    }
}

void TControl::WMLButtonDown(TWMMouse& message) {
    if (ClicksOnMouseUp()) FClickPending = true;
    MouseDown(mbLeft, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMLButtonUp(TWMMouse& message) {
    QPointer<QWidget> alive(FWidget);
    if (FClickPending) {
        FClickPending = false;
        QWidget* origin = CoordinateWidget();
        if (message.XPos >= 0 && message.YPos >= 0 && message.XPos < origin->width() && message.YPos < origin->height())
            Click();
        if (!alive || FDetached) return;
    }
    MouseUp(mbLeft, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMLButtonDblClk(TWMMouse& message) {
    QPointer<QWidget> alive(FWidget);
    DblClick();
    if (!alive || FDetached) return;
    MouseDown(mbLeft, KeysToShiftState(message.Keys) | ssDouble, message.XPos, message.YPos);
}

void TControl::WMRButtonDown(TWMMouse& message) {
    MouseDown(mbRight, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMRButtonUp(TWMMouse& message) {
    MouseUp(mbRight, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMRButtonDblClk(TWMMouse& message) {
    MouseDown(mbRight, KeysToShiftState(message.Keys) | ssDouble, message.XPos, message.YPos);
}

void TControl::WMMButtonDown(TWMMouse& message) {
    MouseDown(mbMiddle, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMMButtonUp(TWMMouse& message) {
    MouseUp(mbMiddle, KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMMButtonDblClk(TWMMouse& message) {
    MouseDown(mbMiddle, KeysToShiftState(message.Keys) | ssDouble, message.XPos, message.YPos);
}

void TControl::WMMouseMove(TWMMouse& message) {
    MouseMove(KeysToShiftState(message.Keys), message.XPos, message.YPos);
}

void TControl::WMMouseWheel(TWMMouseWheel& message) {
    QPoint p = CoordinateWidget()->mapFromGlobal(QPoint(message.XPos, message.YPos));
    message.Result = DoMouseWheel(KeysToShiftState(message.Keys), message.WheelDelta, Point(p.x(), p.y())) ? 1 : 0;
}

void TControl::WMSize(TWMSize&) { Resize(); }

void TControl::WMSetCursor(TWMSetCursor&) { SetCursorShape(FCursor); }

void TControl::WMPaint(TMessage&) { Paint(); }

void TControl::SetCursorShape(TCursor cursor) {
    if (cursor == FShownCursor || FDetached) return;
    FShownCursor = cursor;
    if (cursor == crDefault) FWidget->unsetCursor();
    else FWidget->setCursor(QtCursor(cursor));
}

bool TControl::MouseCapture() const { return QWidget::mouseGrabber() == CoordinateWidget(); }

void TControl::SetMouseCapture(bool capture) {
    QWidget* w = CoordinateWidget();
    if (capture) w->grabMouse();
    else if (QWidget::mouseGrabber() == w) w->releaseMouse();
}

TPoint GetCursorPos() {
    QPoint p = QCursor::pos();
    return Point(p.x(), p.y());
}

TShiftState GetShiftState() { return ShiftFromQt(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons()); }

TShiftState KeysToShiftState(uintptr_t keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_ALT) s |= ssAlt;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    return s;
}

uintptr_t ShiftStateToKeys(TShiftState shift) {
    uintptr_t k = 0;
    if (shift & ssShift) k |= MK_SHIFT;
    if (shift & ssCtrl) k |= MK_CONTROL;
    if (shift & ssAlt) k |= MK_ALT;
    if (shift & ssLeft) k |= MK_LBUTTON;
    if (shift & ssRight) k |= MK_RBUTTON;
    if (shift & ssMiddle) k |= MK_MBUTTON;
    return k;
}

bool TControl::DispatchDragOver(TObject* source, int32_t x, int32_t y, TDragState state) {
    if (FDetached) return false;
    bool accept = false;
    GuardedCall(this, [&] { DragOver(source, x, y, state, accept); });
    return accept;
}

void TControl::DispatchDragDrop(TObject* source, int32_t x, int32_t y) {
    if (FDetached) return;
    GuardedCall(this, [&] { DragDrop(source, x, y); });
}

void TControl::DispatchEndDrag(TObject* target, int32_t x, int32_t y) {
    if (FDetached) return;
    GuardedCall(this, [&] { DoEndDrag(target, x, y); });
}

void TControl::CreateCanvas() {
    if (FCanvas) return;
    // The device stays with the canvas; each paint binds its painter to it,
    // and without one it measures text and draws nothing.
    // Screen canvases work at the platform's 96 pixels per inch.
    const int dpi = 96;
    FCanvas = std::make_unique<TCanvas>(std::make_unique<TQtCanvasDevice>(nullptr, dpi, dpi, TSize{FWidth, FHeight}));
    FCanvas->SetFont(FFont.get());
}

void TControl::DispatchPaint(QPainter& painter, const TRect& area, TSize size) {
    if (!FCanvas || FDetached) return;
    ++FPaintCount;
    FInPaint = true;
    auto* device = static_cast<TQtCanvasDevice*>(FCanvas->Device());
    device->SetPainter(&painter);
    device->SetPixelSize({size.cx, size.cy});
    // Every paint starts on a fresh device context.
    FCanvas->SetMapMode(MM_TEXT);
    FCanvas->SetViewportOrgEx(0, 0);
    FCanvas->SetWindowOrgEx(0, 0);
    FCanvas->SelectClipRect(nullptr);
    if (area != Rect(0, 0, size.cx, size.cy)) FCanvas->IntersectClipRect(area);
    FCanvas->SetTextAlign(TA_LEFT | TA_TOP);
    std::exception_ptr error;
    try {
        TMessage m{WM_PAINT};
        WndProc(m);
    } catch (...) {
        error = std::current_exception();
    }
    device->SetPainter(nullptr);
    FInPaint = false;
    if (!error) {
        FPaintFailed = false;
        return;
    }
    // Report once: the repaints that the error box causes fail again and
    // stay quiet until a paint succeeds. The box opens after the paint.
    if (FPaintFailed) return;
    FPaintFailed = true;
    QTimer::singleShot(0, FWidget, [this, error] {
        if (FDetached) return;
        try {
            std::rethrow_exception(error);
        } catch (...) {
            ControlHooks().HandleException(this);
        }
    });
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* owner, const TNativeWidget& widget) : TControl(owner, widget) {}

QWidget* TWinControl::ClientWidget() const { return FWidget; }

TWinControl::~TWinControl() {
    DetachWidget();
    DestroyOwnedComponents();
    DestroyChildren();
}

void TWinControl::DetachWidget() {
    if (Detached()) return;
    if (FHandleAllocated) {
        FHandleAllocated = false;
        GuardedCall(this, [this] { DestroyWnd(); });
    }
    FTimers.reset();
    TControl::DetachWidget();
    for (TControl* c : FControls) c->DetachWidget();
}

// ---------------------------------------------------------------- window timers

struct TWinControl::TWindowTimers {
    std::map<uint32_t, std::unique_ptr<TTimerHandle>> Running;
};

void TWinControl::SetTimer(uint32_t id, uint32_t interval) {
    if (Detached()) return;
    if (!FTimers) FTimers = std::make_unique<TWindowTimers>();
    auto& slot = FTimers->Running[id];
    slot.reset();
    slot = TimerService().Start(interval, [this, id] { DispatchTimer(id); });
}

bool TWinControl::KillTimer(uint32_t id) { return FTimers && FTimers->Running.erase(id) > 0; }

bool TWinControl::TimerRunning(uint32_t id) const { return FTimers && FTimers->Running.count(id) > 0; }

void TWinControl::DispatchTimer(uint32_t id) {
    TMessage m{WM_TIMER, id};
    DispatchMessage(m);
}

// ---------------------------------------------------------------- window

void TWinControl::ShowingFirst() {
    if (FHandleAllocated || Detached()) return;
    FHandleAllocated = true;
    GuardedCall(this, [this] { CreateWnd(); });
}

void TWinControl::HandleNeeded() {
    if (FHandleAllocated || Detached()) return;
    FHandleAllocated = true;
    CreateWnd();
}

void TWinControl::RecreateWnd() {
    if (!FHandleAllocated) return;
    DestroyWnd();
    CreateWnd();
}

void TWinControl::LockWindowUpdate() {
    if (FUpdateLocks++ == 0 && !Detached()) NativeWidget(this)->setUpdatesEnabled(false);
}

void TWinControl::UnlockWindowUpdate() {
    if (FUpdateLocks == 0) return;
    if (--FUpdateLocks == 0 && !Detached()) NativeWidget(this)->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------- messages

void TWinControl::WndProc(TMessage& message) {
    if (message.Msg == WM_SETFOCUS) {
        // The platform's window runs the exits and enters when the focus
        // arrives, before the control's own handler.
        QPointer<QWidget> alive(NativeWidget(this));
        FocusChanged(reinterpret_cast<TWinControl*>(message.WParam), this);
        if (!alive || Detached()) return;
    }
    TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& m) {
    switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: {
        TWMKey msg{static_cast<Word>(m.WParam), static_cast<TShiftState>(m.LParam)};
        if (m.Msg == WM_KEYDOWN) WMKeyDown(msg);
        else WMKeyUp(msg);
        m.WParam = msg.CharCode;
        m.Result = msg.Result;
        return;
    }
    case WM_CHAR: {
        TWMChar msg{static_cast<char32_t>(m.WParam)};
        WMChar(msg);
        m.WParam = msg.CharCode;
        m.Result = msg.Result;
        return;
    }
    case WM_TIMER: {
        TWMTimer msg{static_cast<uint32_t>(m.WParam)};
        WMTimer(msg);
        m.Result = msg.Result;
        return;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        TWMScroll msg{static_cast<uint16_t>(m.WParam & 0xFFFF), HighWord(static_cast<intptr_t>(m.WParam))};
        if (m.Msg == WM_HSCROLL) WMHScroll(msg);
        else WMVScroll(msg);
        m.Result = msg.Result;
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        TWMFocus msg{reinterpret_cast<TWinControl*>(m.WParam)};
        if (m.Msg == WM_SETFOCUS) WMSetFocus(msg);
        else WMKillFocus(msg);
        m.Result = msg.Result;
        return;
    }
    case CM_ENTER: return CMEnter(m);
    case CM_EXIT: return CMExit(m);
    default: return TControl::Dispatch(m);
    }
}

void TWinControl::WMKeyDown(TWMKey& message) { KeyDown(message.CharCode, message.Shift); }

void TWinControl::WMKeyUp(TWMKey& message) { KeyUp(message.CharCode, message.Shift); }

void TWinControl::WMChar(TWMChar& message) { KeyPress(message.CharCode); }

void TWinControl::FocusMoved(TWinControl* from, TWinControl* to) {
    QPointer<QWidget> toAlive(to ? NativeWidget(to) : nullptr);
    if (from && !from->Detached()) {
        TMessage kill{WM_KILLFOCUS, reinterpret_cast<uintptr_t>(to)};
        from->DispatchMessage(kill);
    }
    if (!to) {
        FocusChanged(from, nullptr);
        return;
    }
    if (!toAlive || to->Detached()) return;
    // The control that lost the focus may be gone by now.
    TMessage set{WM_SETFOCUS, reinterpret_cast<uintptr_t>(from && !from->Detached() ? from : nullptr)};
    to->DispatchMessage(set);
}

// ---------------------------------------------------------------- focus rule

void TWinControl::FocusChanged(TWinControl* from, TWinControl* to) {
    // Widgets tell whether a control survived the handlers before it.
    auto chain = [](TWinControl* c) {
        std::vector<std::pair<TWinControl*, QPointer<QWidget>>> list;
        for (; c; c = c->Parent())
            if (!c->Destroying()) list.emplace_back(c, QPointer<QWidget>(NativeWidget(c)));
        return list;
    };
    auto exits = chain(from);
    auto enters = chain(to);
    // Drop the common part: the controls that contain both.
    while (!exits.empty() && !enters.empty() && exits.back().first == enters.back().first) {
        exits.pop_back();
        enters.pop_back();
    }
    for (auto& [c, alive] : exits)
        if (alive && !c->Detached()) c->DispatchExit();
    for (auto it = enters.rbegin(); it != enters.rend(); ++it) {
        if (!it->second || it->first->Detached()) continue;
        if (it->first == to) {
            it->first->DispatchEnter();
        } else {
            TMessage m{CM_ENTER};
            it->first->DispatchMessage(m);
        }
    }
}

void TWinControl::DestroyChildren() {
    while (!FControls.empty()) delete FControls.back();
}

TControl* TWinControl::Controls(int32_t index) const {
    if (index < 0 || index >= ControlCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FControls[static_cast<size_t>(index)];
}

bool TWinControl::ContainsControl(const TControl* control) const {
    for (const TControl* c = control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* control) {
    FControls.push_back(control);
    ChildInserted(control);
}

void TWinControl::RemoveControl(TControl* control) {
    auto it = std::find(FControls.begin(), FControls.end(), control);
    if (it == FControls.end()) return;
    FControls.erase(it);
    if (!Detached()) ChildRemoved(control);
}

void TWinControl::SetTabStop(bool tabStop) {
    FTabStop = tabStop;
    QWidget* w = NativeWidget(this);
    if (w->focusPolicy() == Qt::NoFocus && !tabStop) return;
    w->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

int32_t TWinControl::TabOrder() const {
    if (!Parent()) return -1;
    int32_t order = 0;
    for (TControl* c : Parent()->FControls) {
        if (c == this) return order;
        if (dynamic_cast<TWinControl*>(c)) ++order;
    }
    return -1;
}

void TWinControl::SetTabOrder(int32_t order) {
    TWinControl* p = Parent();
    if (!p) return;
    std::vector<TWinControl*> wins;
    for (TControl* c : p->FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) wins.push_back(w);
    order = std::clamp<int32_t>(order, 0, static_cast<int32_t>(wins.size()));
    wins.insert(wins.begin() + order, this);
    // Keep the child list in tab order for the window controls.
    std::vector<TControl*> others;
    for (TControl* c : p->FControls)
        if (!dynamic_cast<TWinControl*>(c)) others.push_back(c);
    p->FControls = others;
    for (TWinControl* w : wins) p->FControls.push_back(w);
    for (size_t i = 1; i < wins.size(); ++i) QWidget::setTabOrder(NativeWidget(wins[i - 1]), NativeWidget(wins[i]));
}

bool TWinControl::CanFocus() const {
    TWinControl* form = ControlHooks().ParentWindow(this);
    if (!form) return false;
    for (const TControl* c = this; c && c != static_cast<const TControl*>(form); c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const {
    QWidget* f = QApplication::focusWidget();
    return f && ControlOfWidget(f) == this;
}

void TWinControl::SetFocus() {
    TWinControl* form = ControlHooks().ParentWindow(this);
    if (form && form != this) {
        ControlHooks().FocusControl(form, this);
        return;
    }
    NativeWidget(this)->setFocus(Qt::OtherFocusReason);
}

void TWinControl::Realign() {
    if (FAligning || Detached()) return;
    FAligning = true;
    try {
        AlignControls(AlignRect());
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignControls(TRect rect) {
    // Edges first, in the platform's order, each group by position; what
    // remains goes to the client-aligned controls.
    auto collect = [&](TAlign align) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == align && c->Visible()) list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
            switch (align) {
            case alTop: return a->Top() < b->Top();
            case alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case alLeft: return a->Left() < b->Left();
            case alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        return list;
    };
    for (TControl* c : collect(alTop)) {
        c->SetBounds(rect.Left, rect.Top, rect.Width(), c->Height());
        rect.Top += c->Height();
    }
    for (TControl* c : collect(alBottom)) {
        c->SetBounds(rect.Left, rect.Bottom - c->Height(), rect.Width(), c->Height());
        rect.Bottom -= c->Height();
    }
    for (TControl* c : collect(alLeft)) {
        c->SetBounds(rect.Left, rect.Top, c->Width(), std::max(0, rect.Height()));
        rect.Left += c->Width();
    }
    for (TControl* c : collect(alRight)) {
        c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), std::max(0, rect.Height()));
        rect.Right -= c->Width();
    }
    for (TControl* c : collect(alClient))
        c->SetBounds(rect.Left, rect.Top, std::max(0, rect.Width()), std::max(0, rect.Height()));
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : FControls)
        if (c->ParentFont()) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    for (TControl* c : FControls)
        if (c->ParentColor()) c->ParentColorChanged();
}

void TWinControl::KeyDown(Word& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char32_t& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

bool TWinControl::DispatchKeyDown(Word& key, TShiftState shift, bool* command) {
    if (command) *command = false;
    if (Detached()) return true;
    TControlHooks& hooks = ControlHooks();
    TWinControl* form = hooks.ParentWindow(this);
    // Menu shortcuts come first, then the dialog keys (default and cancel
    // buttons, Tab), then the form's preview, then the control.
    if (form && hooks.ShortCut(form, key, shift)) {
        if (command) *command = true;
        return true;
    }
    if (form && !WantsKey(key, shift) && hooks.DialogKey(form, key, shift)) {
        if (command) *command = true;
        return true;
    }
    if (key == VK_TAB && !WantsKey(key, shift)) {
        if (command) *command = true;
        return false;
    }
    if (form && form != this && hooks.KeyPreview(form)) {
        QPointer<QWidget> alive(NativeWidget(this));
        GuardedCall(form, [&] { form->KeyDown(key, shift); });
        if (key == 0 || !alive || Detached()) return true;
    }
    TMessage m{WM_KEYDOWN, key, shift};
    DispatchMessage(m);
    key = static_cast<Word>(m.WParam);
    return key == 0;
}

bool TWinControl::DispatchKeyPress(char32_t& key) {
    if (Detached()) return true;
    TWinControl* form = ControlHooks().ParentWindow(this);
    if (form && form != this && ControlHooks().KeyPreview(form)) {
        QPointer<QWidget> alive(NativeWidget(this));
        GuardedCall(form, [&] { form->KeyPress(key); });
        if (key == 0 || !alive || Detached()) return true;
    }
    TMessage m{WM_CHAR, key};
    DispatchMessage(m);
    key = static_cast<char32_t>(m.WParam);
    return key == 0;
}

bool TWinControl::DispatchKeyUp(Word& key, TShiftState shift) {
    if (Detached()) return true;
    TWinControl* form = ControlHooks().ParentWindow(this);
    if (form && form != this && ControlHooks().KeyPreview(form)) {
        QPointer<QWidget> alive(NativeWidget(this));
        GuardedCall(form, [&] { form->KeyUp(key, shift); });
        if (key == 0 || !alive || Detached()) return true;
    }
    TMessage m{WM_KEYUP, key, shift};
    DispatchMessage(m);
    key = static_cast<Word>(m.WParam);
    return key == 0;
}

void TWinControl::DispatchEnter() {
    if (Detached()) return;
    TWinControl* form = ControlHooks().ParentWindow(this);
    if (form && form != this) ControlHooks().ControlEntered(form, this);
    TMessage m{CM_ENTER};
    DispatchMessage(m);
}

void TWinControl::DispatchExit() {
    TMessage m{CM_EXIT};
    DispatchMessage(m);
}

// ---------------------------------------------------------------- painting controls

TGraphicControl::TGraphicControl(TComponent* owner) : TGraphicControl(owner, new TPaintWidget(nullptr)) {}

TGraphicControl::TGraphicControl(TComponent* owner, const TNativeWidget& native) : TControl(owner, native) {
    QWidget* widget = native.Widget;
    CreateCanvas();
    widget->setAttribute(Qt::WA_NoSystemBackground, false);
    widget->setAutoFillBackground(false);
}

TGraphicControl::~TGraphicControl() { DetachWidget(); }

TCustomControl::TCustomControl(TComponent* owner) : TCustomControl(owner, new TPaintWidget(nullptr)) {}

TCustomControl::TCustomControl(TComponent* owner, const TNativeWidget& native) : TWinControl(owner, native) {
    QWidget* widget = native.Widget;
    CreateCanvas();
    widget->setFocusPolicy(Qt::StrongFocus);
    widget->setAutoFillBackground(true);
    SetColor(clWindow);
}

TCustomControl::~TCustomControl() { DetachWidget(); }

// ---------------------------------------------------------------- captions

std::string StripHotkey(const std::string& caption) {
    std::string out;
    out.reserve(caption.size());
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

char GetHotkey(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return UpCase(caption[i + 1]);
    }
    return 0;
}
