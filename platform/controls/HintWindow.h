// The platform's hint window: a small popup of its own, outside every
// other window, that shows one text in a thin frame on its colour. Controls
// that show hints of their own (a grid's scroll and cell hints) keep one and
// place it on the screen themselves.
#pragma once

#include <string>

#include "platform/controls/Controls.h"

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);
    ~THintWindow() override;

    // The rectangle the hint needs, from (0, 0): the text wrapped at
    // maxWidth, 2 pixels of margin on each side and the frame.
    virtual TRect CalcHintRect(int32_t maxWidth, const std::string& hint);
    // Shows hint over rect (screen pixels) without taking the focus.
    virtual void ActivateHint(const TRect& rect, const std::string& hint);
    // Hides the window (the platform destroys it; it comes back with the
    // next ActivateHint).
    void ReleaseHandle();
    // The hint shows.
    bool Active() const { return Visible(); }

protected:
    void Paint() override;
};
