// Internal to the platform and its tests: the Qt side of the controls room
// (the widgets behind the controls, event binding, conversions between our
// values and Qt's).
#pragma once

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <set>
#include <string>

#include "platform/controls/Controls.h"

class QAction;
class QDialog;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QTabWidget;
class TMainMenu;
class TMenu;
class TMenuItem;
class TPageControl;
class TPrinterSetupForm;

// A widget for a platform control's constructor: the platform's controls
// pass new Qt widgets, which convert.
class TNativeWidget {
public:
    TNativeWidget(QWidget* widget) : Widget(widget) {}
    QWidget* Widget;
};

// The Qt objects behind the platform's classes.
QWidget* NativeWidget(const TControl* control);
// The widget whose pixels are the control's client pixels (the viewport of
// a scrolling control): where mouse events and painting happen.
QWidget* CoordinateWidget(const TControl* control);
// Where the children's widgets live (the client area below a form's menu,
// the scrolled area of a scroll box).
QWidget* ClientWidget(const TWinControl* control);
QAction* NativeAction(const TMenuItem* item);
// The Qt menu of an item's children (created when first asked for).
QMenu* NativeSubMenu(TMenuItem* item);
QWidget* NativeContainer(const TMenu* menu);
QMenuBar* NativeMenuBar(const TMainMenu* menu);
QTabWidget* NativeTabs(const TPageControl* pages);
QDialog* NativeDialog(const TPrinterSetupForm& form);

// What the functions above reach inside the classes.
struct TNativeAccess {
    static QWidget* Widget(const TControl* control);
    static QWidget* Coordinates(const TControl* control);
    static QWidget* Client(const TWinControl* control);
    static QAction* Action(const TMenuItem* item);
    static QMenu* SubMenu(TMenuItem* item);
    static QWidget* Container(const TMenu* menu);
    static QTabWidget* Tabs(const TPageControl* pages);
    static QDialog* Dialog(const TPrinterSetupForm& form);
};

inline QString QStr(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string StdStr(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QColor QtColor(TColor color);
// Sets a colour of an enabled widget (active and inactive window) and leaves
// the disabled look to the style, so that a disabled control looks disabled.
void SetEnabledColor(QPalette& palette, QPalette::ColorRole role, const QColor& color);
TColor ColorFromQt(const QColor& color);
QFont QtFont(const TFont& font);
Qt::CursorShape QtCursorShape(TCursor cursor);
// The cursor shown for an id: one registered under it (from our own
// picture, with its hot spot), else the stock shape.
QCursor QtCursor(TCursor cursor);
void RegisterQtCursor(TCursor cursor, const QImage& image, QPoint hotSpot);
bool HasQtCursor(TCursor cursor);

// Key codes: Qt key to the platform's virtual key (0 when it has none) and
// back.
Word VirtualKeyFromQt(int qtKey);
int QtKeyFromVirtualKey(Word key);
TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
Qt::KeyboardModifiers QtModifiers(TShiftState shift);

// The control a widget belongs to: the nearest widget up the parent chain
// that a control owns.
TControl* ControlOfWidget(const QWidget* widget);

// Watches the widgets of one control and turns their Qt events into the
// control's dispatches.
class TControlBinding : public QObject {
public:
    TControlBinding(TControl* control, QWidget* widget);
    ~TControlBinding() override;
    // Also route the events of an inner widget (the edit of a combo box).
    void Watch(QWidget* widget);
    void Detach() { FControl = nullptr; }
    TControl* Control() const { return FControl; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool KeyPress(QWidget* watched, QKeyEvent* event);
    bool KeyRelease(QWidget* watched, QKeyEvent* event);
    TControl* FControl;
    QWidget* FWidget;
    std::set<const QEvent*> FInside;
    bool FResending = false;
};

// The widget of the painting controls: its paint event runs the control's
// Paint through the canvas.
class TPaintWidget : public QWidget {
public:
    explicit TPaintWidget(TControl* control, QWidget* parent = nullptr);
    void SetControl(TControl* control) { FControl = control; }
    void Detach() { FControl = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TControl* FControl;
};

// A plain container widget that fills its background with the control's
// colour.
QWidget* NewContainerWidget();

// Registers the global focus tracking once (enter and exit events).
void EnsureFocusTracking();
