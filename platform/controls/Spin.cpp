#include "platform/controls/Spin.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>

#include "platform/controls/qt/ControlsQt.h"

namespace {
constexpr int kButtonWidth = 15;

// Keeps the two buttons at the right edge of the edit.
class TSpinButtonsPlacer : public QObject {
public:
    TSpinButtonsPlacer(QLineEdit* edit, QToolButton* up, QToolButton* down) : FEdit(edit), FUp(up), FDown(down) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) Place();
        return false;
    }

public:
    void Place() {
        int w = kButtonWidth, h = FEdit->height();
        FUp->setGeometry(FEdit->width() - w, 0, w, h / 2);
        FDown->setGeometry(FEdit->width() - w, h / 2, w, h - h / 2);
    }

private:
    QLineEdit* FEdit;
    QToolButton* FUp;
    QToolButton* FDown;
};
}  // namespace

TSpinEdit::TSpinEdit(TComponent* owner) : TEdit(owner) {
    auto* edit = static_cast<QLineEdit*>(NativeWidget(this));
    FUp = new QToolButton(edit);
    FDown = new QToolButton(edit);
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    FUp->setAutoRepeat(true);
    FDown->setAutoRepeat(true);
    FUp->setFocusPolicy(Qt::NoFocus);
    FDown->setFocusPolicy(Qt::NoFocus);
    FUp->setCursor(Qt::ArrowCursor);
    FDown->setCursor(Qt::ArrowCursor);
    edit->setTextMargins(0, 0, kButtonWidth, 0);
    auto* placer = new TSpinButtonsPlacer(edit, FUp, FDown);
    placer->setParent(edit);
    edit->installEventFilter(placer);
    QObject::connect(FUp, &QToolButton::clicked, edit, [this] {
        if (!Detached()) GuardedCall(this, [this] { UpClick(); });
    });
    QObject::connect(FDown, &QToolButton::clicked, edit, [this] {
        if (!Detached()) GuardedCall(this, [this] { DownClick(); });
    });
    SetText("0");
}

TSpinEdit::~TSpinEdit() { DetachWidget(); }

int32_t TSpinEdit::CheckValue(int32_t value) const {
    if (FMaxValue != FMinValue) {
        if (value < FMinValue) return FMinValue;
        if (value > FMaxValue) return FMaxValue;
    }
    return value;
}

int32_t TSpinEdit::Value() const {
    int32_t v;
    if (TryStrToInt(Text(), v)) return v;
    return FMinValue;
}

void TSpinEdit::SetValue(int32_t value) { SetText(IntToStr(CheckValue(value))); }

void TSpinEdit::SetMinValue(int32_t value) { FMinValue = value; }

void TSpinEdit::SetMaxValue(int32_t value) { FMaxValue = value; }

void TSpinEdit::SetEditorEnabled(bool enabled) {
    FEditorEnabled = enabled;
    SetReadOnly(!enabled);
}

void TSpinEdit::UpClick() {
    if (ReadOnly() && FEditorEnabled) return;
    SetValue(Value() + FIncrement);
}

void TSpinEdit::DownClick() {
    if (ReadOnly() && FEditorEnabled) return;
    SetValue(Value() - FIncrement);
}

void TSpinEdit::KeyDown(Word& key, TShiftState shift) {
    if (key == VK_UP) {
        UpClick();
        key = 0;
    } else if (key == VK_DOWN) {
        DownClick();
        key = 0;
    }
    TEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char32_t& key) {
    // Digits, signs and the decimal separator; control characters but Enter.
    bool valid = (key >= '0' && key <= '9') || key == '+' || key == '-' ||
                 key == static_cast<char32_t>(FormatSettings().DecimalSeparator) || (key < 32 && key != '\r');
    if (!valid || (!FEditorEnabled && key >= 32)) key = 0;
    if (key != 0) TEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
    if (CheckValue(Value()) != Value()) SetValue(Value());
    TEdit::DoExit();
}
