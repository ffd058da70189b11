#include "platform/controls/WinControl.h"

#include "platform/controls/qt/ControlsQt.h"

TWindowControl::TWindowControl(TComponent* owner) : TWinControl(owner, NewContainerWidget()) {
    NativeWidget(this)->setFocusPolicy(Qt::NoFocus);
    TWinControl::SetTabStop(false);
}

TWindowControl::~TWindowControl() { DetachWidget(); }
