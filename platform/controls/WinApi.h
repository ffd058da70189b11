// The system calls the controls use beside the control classes: the beep
// (counted, so that tests can hear it), a key posted to a control, system
// metrics, the edges and frame controls of the classic look, window
// regions, and the popup window style.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

// ---------------------------------------------------------------- beep

// Sounds the system's beep of the given type (0: the default sound) and
// counts it.
void MessageBeep(uint32_t type = 0);
// The beeps since the program started (or since ResetBeepCount).
int32_t BeepCount();
void ResetBeepCount();

// ---------------------------------------------------------------- posted keys

// Posts a key press to the control's window: it arrives from the message
// loop as a typed key would, after the handler that posts it has ended
// (a posted Tab moves the focus on).
void PostKeyDown(TWinControl* control, Word key, TShiftState shift = 0);

// ---------------------------------------------------------------- metrics

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
// 0 for an index it does not know.
int32_t GetSystemMetrics(int index);

// ---------------------------------------------------------------- system parameters

inline constexpr uint32_t SPI_GETWHEELSCROLLLINES = 0x0068;
// Reads a system parameter into *value (a uint32_t for the wheel's lines
// per notch, from the window system's setting); False for one it does not
// know.
bool SystemParametersInfo(uint32_t action, uint32_t param, void* value, uint32_t winIni = 0);

// ---------------------------------------------------------------- module versions

// The version of a module from its version resource: the major version in
// the high word, the minor in the low word; -1 for a file without one. The
// common controls ("comctl32.dll", any case) are version 4.72 here: the
// date picker and the flat scroll bar functions exist.
int32_t GetFileVersionNumber(const std::string& fileName);
inline constexpr int32_t CommonControlsVersion = (4 << 16) | 72;

// ---------------------------------------------------------------- edges and frame controls

inline constexpr uint32_t BDR_RAISEDOUTER = 0x0001;
inline constexpr uint32_t BDR_SUNKENOUTER = 0x0002;
inline constexpr uint32_t BDR_RAISEDINNER = 0x0004;
inline constexpr uint32_t BDR_SUNKENINNER = 0x0008;
inline constexpr uint32_t EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr uint32_t EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr uint32_t EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
inline constexpr uint32_t EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

inline constexpr uint32_t BF_LEFT = 0x0001;
inline constexpr uint32_t BF_TOP = 0x0002;
inline constexpr uint32_t BF_RIGHT = 0x0004;
inline constexpr uint32_t BF_BOTTOM = 0x0008;
inline constexpr uint32_t BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
inline constexpr uint32_t BF_MIDDLE = 0x0800;
inline constexpr uint32_t BF_SOFT = 0x1000;
inline constexpr uint32_t BF_ADJUST = 0x2000;
inline constexpr uint32_t BF_FLAT = 0x4000;
inline constexpr uint32_t BF_MONO = 0x8000;

// Draws the edge on the sides of rect that flags name: each border one
// pixel, the outer one first. BF_FLAT draws both in the shadow colour
// (outer) and the face colour (inner), BF_MONO in the frame colour;
// BF_MIDDLE fills the inside with the face colour; BF_ADJUST leaves rect
// as the part inside the edge.
bool DrawEdge(TCanvas& canvas, TRect& rect, uint32_t edge, uint32_t flags);

inline constexpr uint32_t DFC_CAPTION = 1;
inline constexpr uint32_t DFC_MENU = 2;
inline constexpr uint32_t DFC_SCROLL = 3;
inline constexpr uint32_t DFC_BUTTON = 4;

inline constexpr uint32_t DFCS_SCROLLUP = 0x0000;
inline constexpr uint32_t DFCS_SCROLLDOWN = 0x0001;
inline constexpr uint32_t DFCS_SCROLLLEFT = 0x0002;
inline constexpr uint32_t DFCS_SCROLLRIGHT = 0x0003;
inline constexpr uint32_t DFCS_SCROLLCOMBOBOX = 0x0005;
inline constexpr uint32_t DFCS_BUTTONPUSH = 0x0010;
inline constexpr uint32_t DFCS_INACTIVE = 0x0100;
inline constexpr uint32_t DFCS_PUSHED = 0x0200;
inline constexpr uint32_t DFCS_CHECKED = 0x0400;
inline constexpr uint32_t DFCS_FLAT = 0x4000;

// Draws a push button (DFC_BUTTON with DFCS_BUTTONPUSH) or a scroll
// button with its arrow (DFC_SCROLL: up, down, left, right, or the
// combo box's down arrow) in rect: raised, sunken while DFCS_PUSHED, a
// one-pixel shadow frame with DFCS_FLAT, a grey arrow with DFCS_INACTIVE.
// False for the kinds it does not draw.
bool DrawFrameControl(TCanvas& canvas, const TRect& rect, uint32_t type, uint32_t state);

// ---------------------------------------------------------------- regions

enum TPolyFillMode { ALTERNATE = 1, WINDING = 2 };

// A set of pixels, kept as rectangles that do not overlap (a region of
// the platform). A polygon's region holds the pixels whose centres lie
// inside it by the fill mode, so its right and bottom edges stay out, as
// with a rectangle.
class TRegion {
public:
    TRegion() = default;
    static TRegion FromRect(const TRect& rect);
    static TRegion Polygon(const std::vector<TPoint>& points, TPolyFillMode mode);

    bool Empty() const { return FRects.empty(); }
    bool Contains(int32_t x, int32_t y) const;
    // The smallest rectangle around every pixel; empty for an empty region.
    TRect BoundsRect() const;
    const std::vector<TRect>& Rects() const { return FRects; }
    bool operator==(const TRegion& other) const;

private:
    std::vector<TRect> FRects;
};

// Shapes the control's window to region (its own pixels); null gives the
// whole rectangle back. redraw repaints the window.
void SetWindowRgn(TWinControl* control, const TRegion* region, bool redraw);
// The window's region; False (region emptied) when it has none.
bool GetWindowRgn(const TWinControl* control, TRegion& region);

// ---------------------------------------------------------------- popup style

// Makes the control's window a popup: a window of its own that stands
// above its parent and outside it, without a frame of the window manager,
// never taking the focus or activating. Its Left and Top are then screen
// coordinates, as for the platform's popup windows; it keeps the style
// when its parent changes.
void SetPopupStyle(TWinControl* control);
bool IsPopupStyle(const TWinControl* control);
