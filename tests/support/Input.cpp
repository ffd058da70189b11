#include "tests/support/Input.h"

#include <QApplication>
#include <QKeyEvent>
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
