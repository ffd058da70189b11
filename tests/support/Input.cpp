#include "tests/support/Input.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>
#include <cstdlib>
#include <QKeyEvent>
#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QTest>
#include <QWidget>

#include "platform/controls/Forms.h"
#include "platform/controls/qt/ControlsQt.h"

namespace {

// The widget that takes the keys (a combo box's edit, a spin edit's line).
QWidget* KeyWidget(TWinControl* control) {
    QWidget* w = NativeWidget(control);
    if (QWidget* proxy = w->focusProxy()) w = proxy;
    return w;
}

Qt::MouseButton QtButton(TMouseButton button) {
    switch (button) {
    case mbRight: return Qt::RightButton;
    case mbMiddle: return Qt::MiddleButton;
    default: return Qt::LeftButton;
    }
}

}  // namespace

void TypeText(TWinControl* control, const std::string& text) {
    QWidget* w = KeyWidget(control);
    for (char32_t ch : QStr(text).toUcs4()) {
        const QString s = QString::fromUcs4(&ch, 1);
        // Qt's key codes of letters are the capitals; of the other printable
        // ASCII characters, the characters themselves.
        const int key = ch >= 'a' && ch <= 'z' ? Qt::Key_A + static_cast<int>(ch - 'a') : static_cast<int>(ch);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
        QApplication::sendEvent(w, &release);
    }
}

namespace {
// Qt's key code of a typed character (the capitals' for letters).
int QtKeyOf(char32_t ch) {
    if (ch >= 'a' && ch <= 'z') return Qt::Key_A + static_cast<int>(ch - 'a');
    return static_cast<int>(ch);
}

void PostKey(TForm& form, int key, Qt::KeyboardModifiers mods, const QString& text) {
    QWindow* window = NativeWidget(&form)->window()->windowHandle();
    QObject* target = window ? static_cast<QObject*>(window) : NativeWidget(&form);
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, mods, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, mods, text));
}

// Lets the X server's events come in for a while.
void RunEventsFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        ProcessEvents();
        QThread::msleep(10);
    }
}

std::string XdotoolKeyName(Word key) {
    switch (key) {
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Return";
    case VK_ESCAPE: return "Escape";
    case VK_UP: return "Up";
    case VK_DOWN: return "Down";
    case VK_LEFT: return "Left";
    case VK_RIGHT: return "Right";
    case VK_SPACE: return "space";
    case VK_F2: return "F2";
    default: return std::string(1, static_cast<char>(key));
    }
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "failed: " << command;
}
}  // namespace

bool KeysThroughXServer() {
    const char* x = std::getenv("VARSONA_XDOTOOL");
    return x && *x;
}

void TypeAsWindowSystem(TForm& form, const std::string& text) {
    if (KeysThroughXServer()) {
        RunEventsFor(100);
        // Quoted for the shell: the tests type no single quote.
        Run("xdotool type --delay 40 -- '" + text + "'");
        RunEventsFor(400);
        return;
    }
    for (char32_t ch : QStr(text).toUcs4()) PostKey(form, QtKeyOf(ch), Qt::NoModifier, QString::fromUcs4(&ch, 1));
    ProcessEvents();
}

void PressAsWindowSystem(TForm& form, Word key, TShiftState shift) {
    if (KeysThroughXServer()) {
        RunEventsFor(100);
        std::string name = XdotoolKeyName(key);
        if (shift & ssShift) name = "shift+" + name;
        if (shift & ssCtrl) name = "ctrl+" + name;
        Run("xdotool key " + name);
        RunEventsFor(400);
        return;
    }
    int qtKey = QtKeyFromVirtualKey(key);
    if (key == VK_TAB && (shift & ssShift)) qtKey = Qt::Key_Backtab;
    QString text;
    if (key == VK_RETURN) text = QStringLiteral("\r");
    else if (key == VK_ESCAPE) text = QString(QChar(27));
    else if (key == VK_TAB && !(shift & ssShift)) text = QStringLiteral("\t");
    PostKey(form, qtKey, QtModifiers(shift), text);
    ProcessEvents();
}

void PressKey(TWinControl* control, Word key, TShiftState shift) {
    QTest::keyClick(KeyWidget(control), static_cast<Qt::Key>(QtKeyFromVirtualKey(key)), QtModifiers(shift));
}

void ClickAt(TControl* control, int32_t x, int32_t y, TMouseButton button, TShiftState shift) {
    QTest::mouseClick(CoordinateWidget(control), QtButton(button), QtModifiers(shift), QPoint(x, y));
}

void Click(TControl* control) { QTest::mouseClick(NativeWidget(control), Qt::LeftButton); }

void DoubleClickAt(TControl* control, int32_t x, int32_t y) {
    QTest::mouseDClick(CoordinateWidget(control), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
}

namespace {
void SendMouse(TControl* control, QEvent::Type type, int32_t x, int32_t y, Qt::MouseButton button,
               Qt::MouseButtons buttons, TShiftState shift) {
    QWidget* w = CoordinateWidget(control);
    QPointF local(x, y);
    QMouseEvent e(type, local, w->mapToGlobal(local), button, buttons, QtModifiers(shift));
    QApplication::sendEvent(w, &e);
}
}  // namespace

void PressAt(TControl* control, int32_t x, int32_t y, TMouseButton button, TShiftState shift) {
    SendMouse(control, QEvent::MouseButtonPress, x, y, QtButton(button), QtButton(button), shift);
}

void MoveTo(TControl* control, int32_t x, int32_t y, TMouseButton held, TShiftState shift) {
    SendMouse(control, QEvent::MouseMove, x, y, Qt::NoButton, QtButton(held), shift);
}

void ReleaseAt(TControl* control, int32_t x, int32_t y, TMouseButton button, TShiftState shift) {
    SendMouse(control, QEvent::MouseButtonRelease, x, y, QtButton(button), Qt::NoButton, shift);
}

void WheelAt(TControl* control, int32_t x, int32_t y, int32_t delta, TShiftState shift) {
    QWidget* w = CoordinateWidget(control);
    QPointF local(x, y);
    QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, QtModifiers(shift),
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

void ProcessEvents() {
    for (int i = 0; i < 4; ++i) Application->ProcessMessages();
}

void MakeActiveWindow(TForm& form) {
    NativeWidget(&form)->activateWindow();
    QApplication::setActiveWindow(NativeWidget(&form));
}

void ShowActive(TForm& form) {
    form.Show();
    ProcessEvents();
    MakeActiveWindow(form);
    ProcessEvents();
}
