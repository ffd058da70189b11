// A windowed control of no kind of its own: a window that holds other
// controls (a pair of buttons, a button holder) and draws nothing itself.
// A click on it does not focus it; it takes the focus only when it is made
// a tab stop.
#pragma once

#include "platform/controls/Controls.h"

class TWindowControl : public TWinControl {
public:
    explicit TWindowControl(TComponent* owner);
    ~TWindowControl() override;
};
