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
// Keys as a window system delivers them: queued behind each other, each
// taken by the widget that has the window's focus when it arrives (so a key
// that opens an editor is followed by keys that go to that editor), and
// drawn in by any handler that lets the waiting messages run. With
// VARSONA_XDOTOOL set (a real X server with a window manager), xdotool
// types them through the server into the focused window. Then the events
// are run.
void TypeAsWindowSystem(TForm& form, const std::string& text);
void PressAsWindowSystem(TForm& form, Word key, TShiftState shift = 0);
// True when the keys above go through a real X server.
bool KeysThroughXServer();
// Presses and releases one key with the shift keys held.
void PressKey(TWinControl* control, Word key, TShiftState shift = 0);
// A press and release of button at (x, y) in the control's client pixels;
// Click presses the left button in the middle of the control.
void ClickAt(TControl* control, int32_t x, int32_t y, TMouseButton button = mbLeft, TShiftState shift = 0);
void Click(TControl* control);
void DoubleClickAt(TControl* control, int32_t x, int32_t y);
// The parts of a drag: a press, moves with the button held, the release.
void PressAt(TControl* control, int32_t x, int32_t y, TMouseButton button = mbLeft, TShiftState shift = 0);
void MoveTo(TControl* control, int32_t x, int32_t y, TMouseButton held = mbLeft, TShiftState shift = 0);
void ReleaseAt(TControl* control, int32_t x, int32_t y, TMouseButton button = mbLeft, TShiftState shift = 0);
// A turn of the wheel by delta (120 a notch, negative towards the user) at
// (x, y) in the control's client pixels.
void WheelAt(TControl* control, int32_t x, int32_t y, int32_t delta, TShiftState shift = 0);
// Runs the waiting events a few times over.
void ProcessEvents();
// Makes the form the active window, so that focus and key handling work as
// for a user; ShowActive shows it first.
void MakeActiveWindow(TForm& form);
void ShowActive(TForm& form);
