// Controls room: the control tree on Qt widgets. Every control owns one
// widget; no Qt type shows here: the platform reaches the widgets through
// its Qt side (qt/ControlsQt.h).
// Every call into the system's handlers (paint, click, change, key, mouse,
// timer, create) goes through a guard that reports an escaping exception
// through the installed hooks (the application's HandleException) and lets
// the program go on. The controls stand below forms and menus: what they
// need of them comes through TControlHooks, which the forms install.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/Types.h"

class QWidget;
class TControl;
// A Qt widget handed to a platform control's constructor (qt/ControlsQt.h).
class TNativeWidget;
class TWinControl;
class QPainter;
class TPopupMenu;
class TMenuItem;
class TControlBinding;
class TPaintWidget;

using Word = uint16_t;

// ---------------------------------------------------------------- key codes

inline constexpr Word VK_LBUTTON = 0x01;
inline constexpr Word VK_RBUTTON = 0x02;
inline constexpr Word VK_CANCEL = 0x03;
inline constexpr Word VK_MBUTTON = 0x04;
inline constexpr Word VK_BACK = 0x08;
inline constexpr Word VK_TAB = 0x09;
inline constexpr Word VK_CLEAR = 0x0C;
inline constexpr Word VK_RETURN = 0x0D;
inline constexpr Word VK_SHIFT = 0x10;
inline constexpr Word VK_CONTROL = 0x11;
inline constexpr Word VK_MENU = 0x12;
inline constexpr Word VK_PAUSE = 0x13;
inline constexpr Word VK_CAPITAL = 0x14;
inline constexpr Word VK_ESCAPE = 0x1B;
inline constexpr Word VK_SPACE = 0x20;
inline constexpr Word VK_PRIOR = 0x21;
inline constexpr Word VK_NEXT = 0x22;
inline constexpr Word VK_END = 0x23;
inline constexpr Word VK_HOME = 0x24;
inline constexpr Word VK_LEFT = 0x25;
inline constexpr Word VK_UP = 0x26;
inline constexpr Word VK_RIGHT = 0x27;
inline constexpr Word VK_DOWN = 0x28;
inline constexpr Word VK_SELECT = 0x29;
inline constexpr Word VK_PRINT = 0x2A;
inline constexpr Word VK_EXECUTE = 0x2B;
inline constexpr Word VK_SNAPSHOT = 0x2C;
inline constexpr Word VK_INSERT = 0x2D;
inline constexpr Word VK_DELETE = 0x2E;
inline constexpr Word VK_HELP = 0x2F;
// '0'..'9' and 'A'..'Z' are their ASCII codes.
inline constexpr Word VK_LWIN = 0x5B;
inline constexpr Word VK_RWIN = 0x5C;
inline constexpr Word VK_APPS = 0x5D;
inline constexpr Word VK_NUMPAD0 = 0x60;
inline constexpr Word VK_NUMPAD1 = 0x61;
inline constexpr Word VK_NUMPAD2 = 0x62;
inline constexpr Word VK_NUMPAD3 = 0x63;
inline constexpr Word VK_NUMPAD4 = 0x64;
inline constexpr Word VK_NUMPAD5 = 0x65;
inline constexpr Word VK_NUMPAD6 = 0x66;
inline constexpr Word VK_NUMPAD7 = 0x67;
inline constexpr Word VK_NUMPAD8 = 0x68;
inline constexpr Word VK_NUMPAD9 = 0x69;
inline constexpr Word VK_MULTIPLY = 0x6A;
inline constexpr Word VK_ADD = 0x6B;
inline constexpr Word VK_SEPARATOR = 0x6C;
inline constexpr Word VK_SUBTRACT = 0x6D;
inline constexpr Word VK_DECIMAL = 0x6E;
inline constexpr Word VK_DIVIDE = 0x6F;
inline constexpr Word VK_F1 = 0x70;
inline constexpr Word VK_F2 = 0x71;
inline constexpr Word VK_F3 = 0x72;
inline constexpr Word VK_F4 = 0x73;
inline constexpr Word VK_F5 = 0x74;
inline constexpr Word VK_F6 = 0x75;
inline constexpr Word VK_F7 = 0x76;
inline constexpr Word VK_F8 = 0x77;
inline constexpr Word VK_F9 = 0x78;
inline constexpr Word VK_F10 = 0x79;
inline constexpr Word VK_F11 = 0x7A;
inline constexpr Word VK_F12 = 0x7B;
inline constexpr Word VK_NUMLOCK = 0x90;
inline constexpr Word VK_SCROLL = 0x91;
inline constexpr Word VK_OEM_1 = 0xBA;       // ;:
inline constexpr Word VK_OEM_PLUS = 0xBB;    // =+
inline constexpr Word VK_OEM_COMMA = 0xBC;
inline constexpr Word VK_OEM_MINUS = 0xBD;
inline constexpr Word VK_OEM_PERIOD = 0xBE;
inline constexpr Word VK_OEM_2 = 0xBF;       // /?
inline constexpr Word VK_OEM_3 = 0xC0;       // `~
inline constexpr Word VK_OEM_4 = 0xDB;       // [{
inline constexpr Word VK_OEM_5 = 0xDC;       // \|
inline constexpr Word VK_OEM_6 = 0xDD;       // ]}
inline constexpr Word VK_OEM_7 = 0xDE;       // '"

// ---------------------------------------------------------------- shift states

using TShiftState = uint8_t;
inline constexpr TShiftState ssShift = 0x01;
inline constexpr TShiftState ssAlt = 0x02;
inline constexpr TShiftState ssCtrl = 0x04;
inline constexpr TShiftState ssLeft = 0x08;
inline constexpr TShiftState ssRight = 0x10;
inline constexpr TShiftState ssMiddle = 0x20;
inline constexpr TShiftState ssDouble = 0x40;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// ---------------------------------------------------------------- enumerations

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TDragMode { dmManual, dmAutomatic };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;
inline constexpr TCursor crSize = crSizeAll;

// ---------------------------------------------------------------- modal results

using TModalResult = int32_t;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// ---------------------------------------------------------------- events

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
// Key is the typed character (a Unicode code point); setting it to 0
// discards the character.
using TKeyPressEvent = std::function<void(TObject* Sender, char32_t& Key)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int32_t X, int32_t Y)>;

// ---------------------------------------------------------------- messages

// A message as the platform's window procedure sees it. The binding turns
// Qt's events into these and hands each to the control's WndProc, which a
// control overrides to look at a message before it is dispatched; Perform
// sends one from code (and from tests). Dispatch calls the handler below
// that belongs to the message; Result goes back to the sender.
struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

inline constexpr uint32_t WM_SIZE = 0x0005;
inline constexpr uint32_t WM_SETFOCUS = 0x0007;
inline constexpr uint32_t WM_KILLFOCUS = 0x0008;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;
inline constexpr uint32_t WM_TIMER = 0x0113;
inline constexpr uint32_t WM_HSCROLL = 0x0114;
inline constexpr uint32_t WM_VSCROLL = 0x0115;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
// A child control's notification to its parent: the notification code in
// the high word of WParam, the control's id in the low word, the control
// in LParam (combo boxes: CBN_SELCHANGE, CBN_EDITCHANGE).
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint16_t CBN_SELCHANGE = 1;
inline constexpr uint16_t CBN_EDITCHANGE = 5;
inline constexpr uint32_t WM_CUT = 0x0300;
inline constexpr uint32_t WM_COPY = 0x0301;
inline constexpr uint32_t WM_PASTE = 0x0302;
inline constexpr uint32_t WM_CLEAR = 0x0303;
// The class library's own notifications.
inline constexpr uint32_t CM_BASE = 0xB000;
inline constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 3;
inline constexpr uint32_t CM_ENTER = CM_BASE + 7;
inline constexpr uint32_t CM_EXIT = CM_BASE + 8;
inline constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 13;
inline constexpr uint32_t CM_MOUSEENTER = CM_BASE + 19;
inline constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 20;
inline constexpr uint32_t CM_HINTSHOW = CM_BASE + 48;

// Keys and buttons held, in the WParam of the mouse messages (Alt is ours:
// the platform reads it from the keyboard state).
inline constexpr uintptr_t MK_LBUTTON = 0x0001;
inline constexpr uintptr_t MK_RBUTTON = 0x0002;
inline constexpr uintptr_t MK_SHIFT = 0x0004;
inline constexpr uintptr_t MK_CONTROL = 0x0008;
inline constexpr uintptr_t MK_MBUTTON = 0x0010;
inline constexpr uintptr_t MK_ALT = 0x0100;

// Scroll requests, in the low word of WM_HSCROLL and WM_VSCROLL; the high
// word holds the thumb position for SB_THUMBPOSITION and SB_THUMBTRACK.
inline constexpr uint16_t SB_LINEUP = 0;
inline constexpr uint16_t SB_LINELEFT = 0;
inline constexpr uint16_t SB_LINEDOWN = 1;
inline constexpr uint16_t SB_LINERIGHT = 1;
inline constexpr uint16_t SB_PAGEUP = 2;
inline constexpr uint16_t SB_PAGELEFT = 2;
inline constexpr uint16_t SB_PAGEDOWN = 3;
inline constexpr uint16_t SB_PAGERIGHT = 3;
inline constexpr uint16_t SB_THUMBPOSITION = 4;
inline constexpr uint16_t SB_THUMBTRACK = 5;
inline constexpr uint16_t SB_TOP = 6;
inline constexpr uint16_t SB_LEFT = 6;
inline constexpr uint16_t SB_BOTTOM = 7;
inline constexpr uint16_t SB_RIGHT = 7;
inline constexpr uint16_t SB_ENDSCROLL = 8;
// The scroll bars of a control.
inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_BOTH = 3;

// WM_SETCURSOR: the hit-test code in the low word of LParam.
inline constexpr uint16_t HTCLIENT = 1;
// WM_SIZE: the kind of change in WParam.
inline constexpr uintptr_t SIZE_RESTORED = 0;

inline constexpr intptr_t MakeLParam(int32_t low, int32_t high) {
    return static_cast<intptr_t>(static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(low))) |
                                                      (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16)));
}
inline constexpr uintptr_t MakeWParam(int32_t low, int32_t high) {
    return static_cast<uintptr_t>(static_cast<uint32_t>(MakeLParam(low, high)));
}
// The signed halves of a parameter (mouse positions may be negative).
inline constexpr int16_t LowWord(intptr_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }
inline constexpr int16_t HighWord(intptr_t v) { return static_cast<int16_t>(static_cast<uint16_t>((v >> 16) & 0xFFFF)); }

TShiftState KeysToShiftState(uintptr_t keys);
uintptr_t ShiftStateToKeys(TShiftState shift);

// The cracked forms the handlers take; the dispatcher fills them from the
// message and copies Result back.
struct TWMMouse {
    uintptr_t Keys = 0;
    int32_t XPos = 0;
    int32_t YPos = 0;
    intptr_t Result = 0;
};
struct TWMMouseWheel {
    uintptr_t Keys = 0;
    int32_t WheelDelta = 0;
    // On the screen.
    int32_t XPos = 0;
    int32_t YPos = 0;
    intptr_t Result = 0;
};
struct TWMKey {
    Word CharCode = 0;
    TShiftState Shift = 0;
    intptr_t Result = 0;
};
struct TWMChar {
    char32_t CharCode = 0;
    intptr_t Result = 0;
};
struct TWMSize {
    uintptr_t SizeType = SIZE_RESTORED;
    int32_t Width = 0;
    int32_t Height = 0;
    intptr_t Result = 0;
};
struct TWMSetCursor {
    TControl* CursorWnd = nullptr;
    uint16_t HitTest = HTCLIENT;
    uint32_t MouseMsg = 0;
    intptr_t Result = 0;
};
struct TWMTimer {
    uint32_t TimerID = 0;
    intptr_t Result = 0;
};
struct TWMScroll {
    uint16_t ScrollCode = 0;
    int32_t Pos = 0;
    intptr_t Result = 0;
};
// WM_SETFOCUS: the control that lost the focus; WM_KILLFOCUS: the one that
// gains it (null: none of ours).
struct TWMFocus {
    TWinControl* FocusedWnd = nullptr;
    intptr_t Result = 0;
};
// CM_HINTSHOW: what the hint will show and where; a handler may change it.
// Result 0 shows the hint, anything else suppresses it.
struct THintInfo {
    TControl* HintControl = nullptr;
    // Where the hint window goes, on the screen.
    TPoint HintPos;
    int32_t HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    // The part of the control (client pixels) the hint belongs to; moving
    // out of it asks again.
    TRect CursorRect;
    // The mouse, in client pixels.
    TPoint CursorPos;
    std::string HintStr;
};

// ---------------------------------------------------------------- hooks

// What the control layer asks of the windows and menus above it. The
// application object installs the forms' hooks when it is created; the
// defaults here are those of a control outside any window.
class TControlHooks {
public:
    virtual ~TControlHooks() = default;
    // Reports the exception being handled (called inside a catch block);
    // the default writes its message to the standard error.
    virtual void HandleException(TObject* sender);
    // The window a control sits on (a form), or null.
    virtual TWinControl* ParentWindow(const TControl* control) { return nullptr; }
    // The window's part of a key on its way to one of its controls: menu
    // shortcuts (and accelerators and help), dialog keys (default and cancel
    // buttons), and whether the window previews the keys of its controls.
    // True when the key was used.
    virtual bool ShortCut(TWinControl* window, Word key, TShiftState shift) { return false; }
    virtual bool DialogKey(TWinControl* window, Word key, TShiftState shift) { return false; }
    virtual bool KeyPreview(TWinControl* window) { return false; }
    // The window moves its focus to control (raising when it cannot), and
    // learns that the focus entered control.
    virtual void FocusControl(TWinControl* window, TWinControl* control);
    virtual void ControlEntered(TWinControl* window, TWinControl* control) {}
    // A button with a modal result was clicked on window.
    virtual void SetModalResult(TWinControl* window, TModalResult result) {}
    // The pop-up menu of control, asked for at a screen position; True when
    // it opened.
    virtual bool Popup(TPopupMenu* menu, TControl* control, int32_t x, int32_t y) { return false; }
    // A menu item a tool button stands for: what it shows, and its click.
    struct TMenuItemState {
        std::string Caption;
        std::string Hint;
        bool Enabled = true;
        bool Checked = false;
    };
    virtual TMenuItemState MenuItemState(TMenuItem* item) { return {}; }
    virtual void ClickMenuItem(TMenuItem* item) {}
    // The caption of the platform's message boxes, and the window that
    // dialogs open over (null: the active Qt window).
    virtual std::string ApplicationTitle() { return {}; }
    virtual TWinControl* ActiveWindow() { return nullptr; }
};
// The installed hooks.
TControlHooks& ControlHooks();
// Installs hooks (not owned; nullptr: the defaults).
void InstallControlHooks(TControlHooks* hooks);

// ---------------------------------------------------------------- guard

// Runs f and reports any exception that escapes it through the hooks'
// HandleException(sender). Returns False when f raised.
bool GuardedCall(TObject* sender, const std::function<void()>& f) noexcept;

// The mouse on the screen, and the keys and buttons held now.
TPoint GetCursorPos();
TShiftState GetShiftState();

// ---------------------------------------------------------------- TControl

class TControl : public TComponent {
public:
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetLeft(int32_t left) { SetBounds(left, FTop, FWidth, FHeight); }
    void SetTop(int32_t top) { SetBounds(FLeft, top, FWidth, FHeight); }
    void SetWidth(int32_t width) { SetBounds(FLeft, FTop, width, FHeight); }
    void SetHeight(int32_t height) { SetBounds(FLeft, FTop, FWidth, height); }
    // Position inside the parent's client area; a form's is on the screen.
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }

    virtual int32_t ClientWidth() const;
    virtual int32_t ClientHeight() const;
    void SetClientWidth(int32_t width);
    void SetClientHeight(int32_t height);
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a shown form.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);

    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool parentColor);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont);

    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return FShowHint; }
    // Setting it clears ParentShowHint; children that follow their parent
    // take the new value.
    void SetShowHint(bool showHint);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool parentShowHint);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    // The reading order a control asks for; it only tells, the control's
    // own drawing decides what to do with it.
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode mode) { FBiDiMode = mode; }
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu) { FPopupMenu = menu; }
    // dmAutomatic starts dragging on a press of the left button; BeginDrag
    // starts it from a mouse-down handler. While dragging, the control under
    // the mouse hears OnDragOver; releasing over one that accepts runs its
    // OnDragDrop; the source hears OnEndDrag in any case.
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode mode) { FDragMode = mode; }
    void BeginDrag(bool immediate = true);
    void EndDrag(bool drop);
    bool Dragging() const;

    // The control's text: a caption for labels, buttons and forms, the
    // contents for edits.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }
    std::string Text() const { return GetText(); }
    void SetText(const std::string& text) { SetTextValue(text); }

    // Invalidate marks the control for painting on the next pass of the
    // message loop; Repaint and Refresh paint at once; Update paints what
    // is pending. While Paint runs, the canvas's ClipRect is the part being
    // painted.
    void Invalidate();
    // Marks a part of the control (client pixels) for painting.
    void InvalidateRect(const TRect& rect);
    void Repaint();
    void Refresh() { Repaint(); }
    void Update();
    void BringToFront();
    void SendToBack();

    // Simulated click: runs OnClick (also for an invisible control).
    virtual void Click();

    // Sends a message to the control: it goes through WndProc and its
    // handler as one from the binding would, outside the guard (an error
    // reaches the caller). Returns the message's Result.
    intptr_t Perform(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
    // The mouse stays with the control until released, also outside it.
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseWheelEvent OnMouseWheel;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;
    TNotifyEvent OnResize;

    // Entry points of the event binding; they run the virtual handlers
    // below inside the guard.
    void DispatchMouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y, bool dbl);
    void DispatchMouseMove(TShiftState shift, int32_t x, int32_t y);
    void DispatchMouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    // pos: the mouse in client pixels.
    bool DispatchMouseWheel(TShiftState shift, int32_t delta, TPoint pos);
    void DispatchResize();
    // Sends message through WndProc inside the guard; the binding's way in.
    intptr_t DispatchMessage(TMessage& message);
    // The widget took a size or place of its own (a form resized or moved
    // by the user).
    virtual void WidgetResized(int32_t width, int32_t height);
    void WidgetMoved(int32_t left, int32_t top);
    bool DispatchDragOver(TObject* source, int32_t x, int32_t y, TDragState state);
    void DispatchDragDrop(TObject* source, int32_t x, int32_t y);
    void DispatchEndDrag(TObject* target, int32_t x, int32_t y);
    // Number of Paint calls so far (for tests of repaint behaviour).
    int32_t PaintCount() const { return FPaintCount; }

protected:
    // widget: created by the derived class, owned by this control.
    TControl(TComponent* owner, const TNativeWidget& widget);

    virtual std::string GetText() const { return FText; }
    virtual void SetTextValue(const std::string& text);

    // Every message passes here first: an override looks at it (or keeps
    // it), then calls the inherited WndProc, which dispatches it.
    virtual void WndProc(TMessage& message);
    // Calls the handler of the message; a control that answers messages of
    // its own extends it.
    virtual void Dispatch(TMessage& message);
    // The message handlers. The defaults are the platform's: a button
    // press runs MouseDown (and prepares the click), a release the click and
    // MouseUp, a double click DblClick then MouseDown with ssDouble, the
    // wheel DoMouseWheel, a size change Resize, WM_SETCURSOR shows Cursor.
    virtual void WMLButtonDown(TWMMouse& message);
    virtual void WMLButtonUp(TWMMouse& message);
    virtual void WMLButtonDblClk(TWMMouse& message);
    virtual void WMRButtonDown(TWMMouse& message);
    virtual void WMRButtonUp(TWMMouse& message);
    virtual void WMRButtonDblClk(TWMMouse& message);
    virtual void WMMButtonDown(TWMMouse& message);
    virtual void WMMButtonUp(TWMMouse& message);
    virtual void WMMButtonDblClk(TWMMouse& message);
    virtual void WMMouseMove(TWMMouse& message);
    virtual void WMMouseWheel(TWMMouseWheel& message);
    virtual void WMSize(TWMSize& message);
    virtual void WMSetCursor(TWMSetCursor& message);
    virtual void WMPaint(TMessage& message);
    virtual void CMHintShow(THintInfo& info, intptr_t& result) {}
    virtual void CMCursorChanged(TMessage& message) {}
    virtual void CMMouseEnter(TMessage& message) {}
    virtual void CMMouseLeave(TMessage& message) {}
    virtual void CMEnabledChanged(TMessage& message) {}
    // Shows cursor over the control until the next WM_SETCURSOR, without
    // changing Cursor (the platform's SetCursor inside WM_SETCURSOR).
    void SetCursorShape(TCursor cursor);

    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual bool DoMouseWheel(TShiftState shift, int32_t delta, TPoint pos);
    virtual void Resize();
    virtual void DragOver(TObject* source, int32_t x, int32_t y, TDragState state, bool& accept);
    virtual void DragDrop(TObject* source, int32_t x, int32_t y);
    virtual void DoEndDrag(TObject* target, int32_t x, int32_t y);
    // True when a press and release of the left button inside the control
    // is a click (False for widgets that report clicks themselves).
    virtual bool ClicksOnMouseUp() const { return true; }
    // Routes the events of an inner widget (the edit of a combo box, the
    // viewport of a memo) to this control.
    void WatchWidget(const TNativeWidget& widget);
    // Puts a new widget in the place of the control's (the platform
    // recreates the window with other styles): parent, place, visibility,
    // colours, font, cursor, hint, children and the focus go over; the old
    // widget goes once the current event is over. Inner widgets must be
    // watched again.
    void ReplaceWidget(const TNativeWidget& widget);
    // Painting controls create their canvas; Paint draws on it.
    void CreateCanvas();
    TCanvas* ControlCanvas() const { return FCanvas.get(); }
    virtual void Paint() {}
    // Applies Color and Font to the widget (overridden where the widget
    // keeps them elsewhere).
    virtual void ApplyColor();
    virtual void ApplyFont();
    virtual void FontChanged();
    // Geometry from the fields to the widget.
    virtual void ApplyBounds();
    // Visibility from the field to the widget.
    virtual void ApplyVisible();
    // Called first in the destructors of the platform's classes: no event
    // reaches the control (or its children) from here on.
    virtual void DetachWidget();
    void DestroyOwnedComponents();
    bool Detached() const { return FDetached; }
    // Paints through the canvas; called by the widget while it paints.
    // area: the part to paint, size: the painted widget's, in the control's
    // client pixels.
    void DispatchPaint(QPainter& painter, const TRect& area, TSize size);
    // Widget-level text of the control (labels, buttons and forms override).
    std::string FText;

    friend class TWinControl;
    friend class TControlBinding;
    friend class TPaintWidget;
    friend struct TNativeAccess;

private:
    // The widget whose pixels are the control's client pixels (mouse
    // positions, painting): the control's own, or the viewport of a
    // scrolling control.
    virtual QWidget* CoordinateWidget() const { return FWidget; }
    void DispatchMouse(uint32_t msg, TShiftState shift, int32_t x, int32_t y);
    bool DispatchHintShow(int32_t x, int32_t y);
    void ParentFontChanged();
    void ParentColorChanged();
    void ApplyHint();
    void ParentShowHintChanged();

    TWinControl* FParent = nullptr;
    QWidget* FWidget = nullptr;
    std::unique_ptr<TControlBinding> FBinding;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TCanvas> FCanvas;
    int32_t FLeft = 0;
    int32_t FTop = 0;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    TAlign FAlign = alNone;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    bool FParentFont = true;
    bool FSettingParentFont = false;
    std::string FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TBiDiMode FBiDiMode = bdLeftToRight;
    TPopupMenu* FPopupMenu = nullptr;
    TDragMode FDragMode = dmManual;
    bool FDetached = false;
    bool FClickPending = false;
    bool FInPaint = false;
    TCursor FShownCursor = crDefault;
    bool FPaintFailed = false;
    bool FBoundsPending = false;
    int32_t FPaintCount = 0;
};

// ---------------------------------------------------------------- TWinControl

class TWinControl : public TControl {
public:
    ~TWinControl() override;

    int32_t ControlCount() const { return static_cast<int32_t>(FControls.size()); }
    TControl* Controls(int32_t index) const;
    bool ContainsControl(const TControl* control) const;

    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool tabStop);
    int32_t TabOrder() const;
    void SetTabOrder(int32_t order);
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    // Lays out the aligned children in the client area.
    void Realign();
    // The part of the client area where aligned children go.
    virtual TRect AlignRect() const { return ClientRect(); }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Entry points of the event binding. A True result means the key was
    // consumed (the control or the form's preview set it to 0, or it was a
    // shortcut or a dialog key).
    // True for keys the control handles itself (see WantsKey).
    bool HandlesKey(Word key, TShiftState shift) const { return WantsKey(key, shift); }
    // command: set when the key was a shortcut, a dialog key or Tab (no
    // character follows it).
    bool DispatchKeyDown(Word& key, TShiftState shift, bool* command = nullptr);
    bool DispatchKeyPress(char32_t& key);
    bool DispatchKeyUp(Word& key, TShiftState shift);
    // The focus went to this control: it becomes its window's active
    // control and hears DoEnter. DispatchExit: it hears DoExit.
    void DispatchEnter();
    void DispatchExit();
    // The focus moved from one control to another (either may be null): the
    // controls that lose it, from `from` up to the first one that contains
    // `to`, exit, innermost first; then the controls that gain it, from below
    // that common one down to `to`, enter, outermost first. A child taking
    // the focus is no exit of its parent.
    static void FocusChanged(TWinControl* from, TWinControl* to);

    // Window timers: timer id ticks every interval milliseconds, through
    // the timer service, until KillTimer or the control goes; setting a
    // running id again restarts it. Each tick reaches WMTimer(id) inside
    // the guard. KillTimer is False for an id that is not running.
    void SetTimer(uint32_t id, uint32_t interval);
    bool KillTimer(uint32_t id);
    bool TimerRunning(uint32_t id) const;
    void DispatchTimer(uint32_t id);

    // The window comes into being when the control is first shown (or
    // asked for it); CreateWnd and DestroyWnd run then and when it goes.
    bool HandleAllocated() const { return FHandleAllocated; }
    void HandleNeeded();
    // Stored for the controls that draw their own edges.
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool ctl3D) { FCtl3D = ctl3D; }
    // While locked (counted), the control and its children do not paint;
    // the last unlock paints what was missed.
    void LockWindowUpdate();
    void UnlockWindowUpdate();
    bool WindowUpdateLocked() const { return FUpdateLocks > 0; }
    // The focus moved from one of the program's windows to another (either
    // may be null): the one that lost it hears WM_KILLFOCUS, the one that
    // gains it WM_SETFOCUS, whose window procedure first runs the exits and
    // enters of FocusChanged.
    static void FocusMoved(TWinControl* from, TWinControl* to);

protected:
    TWinControl(TComponent* owner, const TNativeWidget& widget);

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    virtual void CreateWnd() {}
    virtual void DestroyWnd() {}
    void RecreateWnd();
    // The default key handlers run KeyDown, KeyUp and KeyPress.
    virtual void WMKeyDown(TWMKey& message);
    virtual void WMKeyUp(TWMKey& message);
    virtual void WMChar(TWMChar& message);
    // A tick of window timer TimerID.
    virtual void WMTimer(TWMTimer& message) {}
    // Requests of the control's own scroll bars.
    virtual void WMHScroll(TWMScroll& message) {}
    virtual void WMVScroll(TWMScroll& message) {}
    virtual void WMSetFocus(TWMFocus& message) {}
    virtual void WMKillFocus(TWMFocus& message) {}
    // CM_ENTER and CM_EXIT run DoEnter and DoExit.
    virtual void CMEnter(TMessage& message) { DoEnter(); }
    virtual void CMExit(TMessage& message) { DoExit(); }

    virtual void KeyDown(Word& key, TShiftState shift);
    virtual void KeyUp(Word& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    virtual void DoEnter();
    virtual void DoExit();
    // Keys that the control handles itself (Return in a memo, arrows in a
    // grid) and that must not trigger default or cancel buttons.
    virtual bool WantsKey(Word key, TShiftState shift) const { return false; }
    virtual void AlignControls(TRect rect);
    void FontChanged() override;
    void ColorChanged();
    void DetachWidget() override;
    // A child moved, resized, showed or hid.
    virtual void ChildBoundsChanged(TControl* control) {}
    virtual void ChildInserted(TControl* control) {}
    virtual void ChildRemoved(TControl* control) {}
    void DestroyChildren();

private:
    friend class TControl;
    friend struct TNativeAccess;
    // Widget where the children's widgets live (the scrolled area of a
    // scroll box, the page of a tab sheet, the client below a form's menu).
    virtual QWidget* ClientWidget() const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);

    friend class TControlBinding;
    void ShowingFirst();
    std::vector<TControl*> FControls;
    struct TWindowTimers;
    std::unique_ptr<TWindowTimers> FTimers;
    bool FTabStop = true;
    bool FAligning = false;
    bool FHandleAllocated = false;
    bool FCtl3D = true;
    int32_t FUpdateLocks = 0;
};

// ---------------------------------------------------------------- painting controls

// A control without input focus that draws itself on its canvas.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // Valid for drawing while Paint runs; outside it draws nothing.
    TCanvas* Canvas() const { return ControlCanvas(); }

protected:
    TGraphicControl(TComponent* owner, const TNativeWidget& widget);
};

// A focusable control that draws itself on its canvas (the grid's base).
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return ControlCanvas(); }

protected:
    TCustomControl(TComponent* owner, const TNativeWidget& widget);
    bool WantsKey(Word key, TShiftState shift) const override { return FWantKeys; }
    // Grid-like controls take arrows, Return and Escape themselves.
    void SetWantKeys(bool want) { FWantKeys = want; }

private:
    bool FWantKeys = false;
};

// Creates a control as a form's resource does: owned (and freed) by owner,
// named, placed in parent, optionally at the given bounds.
template <class T>
T* CreateNamed(TComponent* owner, TWinControl* parent, const std::string& name) {
    T* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    return control;
}

template <class T>
T* CreateNamed(TComponent* owner, TWinControl* parent, const std::string& name, int32_t left, int32_t top,
               int32_t width, int32_t height) {
    T* control = CreateNamed<T>(owner, parent, name);
    control->SetBounds(left, top, width, height);
    return control;
}

// The text of a caption without its "&" accelerator marks ("&&" is one "&").
std::string StripHotkey(const std::string& caption);
// The character after a single "&", upper-cased; 0 when there is none.
char GetHotkey(const std::string& caption);
