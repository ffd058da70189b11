#include "tests/support/Input.h"

#include <QApplication>
#include <QKeyEvent>
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
    QTest::mouseClick(NativeWidget(control), QtButton(button), QtModifiers(shift), QPoint(x, y));
}

void Click(TControl* control) { QTest::mouseClick(NativeWidget(control), Qt::LeftButton); }

void DoubleClickAt(TControl* control, int32_t x, int32_t y) {
    QTest::mouseDClick(NativeWidget(control), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
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
