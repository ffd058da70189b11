// Typed keys and clicks through the platform: each becomes the Qt events a
// keyboard or mouse would send to the control's widget, so that they pass
// the event binding, the form's shortcuts, dialog keys and key preview as a
// user's would.
#pragma once

#include <string>

#include "platform/controls/Controls.h"

class TForm;

// Types text character by character (key press and release for each).
void TypeText(TWinControl* control, const std::string& text);
// Presses and releases one key with the shift keys held.
void PressKey(TWinControl* control, Word key, TShiftState shift = 0);
// A press and release of button at (x, y) in the control's client pixels;
// Click presses the left button in the middle of the control.
void ClickAt(TControl* control, int32_t x, int32_t y, TMouseButton button = mbLeft, TShiftState shift = 0);
void Click(TControl* control);
void DoubleClickAt(TControl* control, int32_t x, int32_t y);
// Runs the waiting events a few times over.
void ProcessEvents();
// Makes the form the active window, so that focus and key handling work as
// for a user; ShowActive shows it first.
void MakeActiveWindow(TForm& form);
void ShowActive(TForm& form);
