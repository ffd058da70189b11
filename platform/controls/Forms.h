// Forms, the application object and the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

class TMainMenu;
class TButton;
class QEventLoop;

enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TBorderIcons = uint8_t;
inline constexpr TBorderIcons biSystemMenu = 0x01;
inline constexpr TBorderIcons biMinimize = 0x02;
inline constexpr TBorderIcons biMaximize = 0x04;
inline constexpr TBorderIcons biHelp = 0x08;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

namespace FormsConst {
inline constexpr const char* SCannotShowModal = "Cannot make a visible window modal";
inline constexpr const char* SCannotFocus = "Cannot focus a disabled or invisible window";
}  // namespace FormsConst

// A top-level window. Descendants build their controls in their constructor
// (with the values their form resource declares) and set OnCreate there;
// the create handler runs when the construction is complete: at once in
// CreateForm, Create and ShowModal, else on the next pass of the message
// loop. It runs inside a guard: an error in it is shown and the form still
// opens. A form that is made visible before its creation is complete shows
// right after its create handler.
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Constructs a form and runs its create handler.
    template <class T, class... Args>
    static T* Create(Args&&... args) {
        T* form = new T(std::forward<Args>(args)...);
        form->DoCreate();
        return form;
    }

    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition position) { FPosition = position; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle style);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState state);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool preview) { FKeyPreview = preview; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* control);
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* menu);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult result);
    bool Active() const { return FActive; }
    bool Modal() const { return FModal; }
    int32_t HelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t context) { FHelpContext = context; }

    int32_t ClientHeight() const override;
    bool Showing() const override;
    void SetVisible(bool visible) override;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Runs OnCloseQuery and OnClose; a modal form gets mrCancel instead;
    // closing the main form ends the program.
    void Close();
    bool CloseQuery();
    // Shows the form through the dialog service and returns ModalResult.
    // A visible form raises EInvalidOperation SCannotShowModal.
    TModalResult ShowModal();
    // Frees the form once the current event is handled.
    void Release();
    void BringToFront();

    // Runs OnCreate once (the later calls do nothing).
    void DoCreate();
    // Runs OnDestroy once. A form whose destroy handler uses its own members
    // calls this first in its destructor; ~TForm calls it otherwise.
    void DoDestroy();
    bool Created() const { return FCreated; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

    // The platform's side of the form (the dialog service, the event
    // binding, focus tracking).
    TModalResult RunModalLoop();
    void BeginModal();
    void EndModal();
    void CloseModal();
    bool IsShortCut(Word key, TShiftState shift);
    bool DialogKey(Word key, TShiftState shift);
    void FocusControl(TWinControl* control);
    void ActiveControlChanged(TWinControl* control);
    void WindowActivated(bool active);
    void ActivationChanged(bool active);
    void WindowCloseRequested();

protected:
    void SetTextValue(const std::string& text) override;
    void ApplyBounds() override;
    void ApplyVisible() override;
    void ApplyColor() override;
    void WidgetResized(int32_t width, int32_t height) override;
    bool ClicksOnMouseUp() const override { return true; }
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    QWidget* ClientWidget() const override;
    void ApplyWindowFlags();
    // Another form is modal: this one cannot become active.
    bool ModalBlocked() const;
    void LayoutClient();
    int32_t MenuHeight() const;
    void PlaceOnFirstShow();

    QWidget* FClient = nullptr;
    QWidget* FMenuBar = nullptr;
    TMainMenu* FMenu = nullptr;
    TPosition FPosition = poDesigned;
    TBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TWindowState FWindowState = wsNormal;
    bool FKeyPreview = false;
    TWinControl* FActiveControl = nullptr;
    TModalResult FModalResult = mrNone;
    int32_t FHelpContext = 0;
    bool FActive = false;
    bool FModal = false;
    bool FCreated = false;
    bool FDestroyDone = false;
    bool FShownOnce = false;
    bool FInShowChange = false;
    QEventLoop* FModalLoop = nullptr;
};

// ---------------------------------------------------------------- scroll box

// Scrolls its children: the scrolled area grows to hold every visible child
// (child positions are relative to the area's origin, whatever the scroll
// position), and the scroll bars appear when it is larger than the box.
class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* owner);
    ~TScrollBox() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle style);
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool autoScroll);
    int32_t HorzScrollPos() const;
    void SetHorzScrollPos(int32_t pos);
    int32_t VertScrollPos() const;
    void SetVertScrollPos(int32_t pos);
    // Largest scroll positions (0 when everything fits).
    int32_t HorzScrollRange() const;
    int32_t VertScrollRange() const;
    // Scrolls so that control is fully visible where possible.
    void ScrollInView(TControl* control);
    // The size of the scrolled area.
    TSize ContentSize() const;

    int32_t ClientWidth() const override;
    int32_t ClientHeight() const override;

protected:
    void ChildBoundsChanged(TControl* control) override;
    void ApplyColor() override;
    void ApplyBounds() override;
    void AlignControls(TRect rect) override;

private:
    QWidget* ClientWidget() const override;
    void UpdateContent();
    int32_t FrameWidth() const;
    QWidget* FContent;
    TBorderStyle FBorderStyle = bsSingle;
    bool FAutoScroll = true;
    bool FUpdating = false;
};

// ---------------------------------------------------------------- application

// Help commands.
inline constexpr Word HELP_CONTEXT = 0x0001;
inline constexpr Word HELP_QUIT = 0x0002;
inline constexpr Word HELP_CONTENTS = 0x0003;
inline constexpr Word HELP_INDEX = 0x0003;
inline constexpr Word HELP_HELPONHELP = 0x0004;
inline constexpr Word HELP_SETCONTENTS = 0x0005;
inline constexpr Word HELP_CONTEXTPOPUP = 0x0008;
inline constexpr Word HELP_FORCEFILE = 0x0009;
inline constexpr Word HELP_FINDER = 0x000B;
inline constexpr Word HELP_KEY = 0x0101;
inline constexpr Word HELP_COMMAND = 0x0102;
inline constexpr Word HELP_PARTIALKEY = 0x0105;
inline constexpr Word HELP_MULTIKEY = 0x0201;
inline constexpr Word HELP_SETWINPOS = 0x0203;

using THelpEvent = std::function<bool(Word Command, int32_t Data, bool& CallHelp)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Makes sure the Qt application exists (the program's main creates it
    // with the command line; this is the fallback).
    void Initialize();

    // The title of message boxes; the program's file name when empty.
    std::string Title() const;
    void SetTitle(const std::string& title) { FTitle = title; }
    TForm* MainForm() const { return FMainForm; }
    // The window icon of every form (the bitmap is copied).
    void SetIcon(TBitmap& icon);
    std::string ExeName() const;
    const std::string& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const std::string& file) { FHelpFile = file; }
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool show) { FShowMainForm = show; }

    // Creates a form owned by the application: reference is set before the
    // constructor runs (as the platform does), so the create handlers of
    // later forms can use it; the first form created becomes the main form.
    // The form's create handler runs before CreateForm returns, and a form
    // that is visible by design is shown then.
    template <class T>
    void CreateForm(T*& reference) {
        void* memory = ::operator new(sizeof(T));
        reference = static_cast<T*>(memory);
        T* form = nullptr;
        try {
            form = new (memory) T(this);
        } catch (...) {
            ::operator delete(memory);
            reference = nullptr;
            throw;
        }
        FormCreated(form);
    }

    // Runs the message loop until Terminate or the main form closes.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Handles the events that are waiting, then returns.
    void ProcessMessages();
    // Waits for one event and handles it.
    void HandleMessage();

    // Reports the exception being handled (call it inside a catch block):
    // OnException when assigned, else ShowException. EAbort is silent.
    void HandleException(TObject* sender);
    // The error box: the message (with a final "." added when it ends in a
    // character above "."), the application's title, MB_OK | MB_ICONSTOP.
    void ShowException(const Exception& e);
    int32_t MessageBox(const std::string& text, const std::string& caption, uint32_t flags = 0);

    // Help: the active form's or the application's OnHelp decides; without
    // a handler nothing opens.
    bool HelpCommand(Word command, int32_t data);
    bool HelpContext(int32_t context);
    bool HelpJump(const std::string& jumpId);

    // Takes down the hint showing now, if any; the next pause of the mouse
    // may show one again.
    void CancelHint();

    THelpEvent OnHelp;
    TExceptionEvent OnException;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

    // Frees every form and component the application owns (at the end of
    // the program, before the Qt application goes).
    void DestroyComponents();

private:
    void FormCreated(TForm* form);
    std::string FTitle;
    std::string FHelpFile;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FShowMainForm = true;
    bool FInitialized = false;
    QEventLoop* FLoop = nullptr;
};

extern TApplication* Application;

// The form a control sits on (the control itself for a form), or nullptr.
TForm* GetParentForm(const TControl* control);

// ---------------------------------------------------------------- screen

class TScreen : public TComponent {
public:
    TScreen();
    ~TScreen() override;

    // "Default" first, then the installed font families sorted by name.
    TStrings* Fonts();
    // crDefault lets each control show its own cursor; any other value
    // shows everywhere.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);
    // A cursor of our own drawing under an id of the program's (above 0):
    // the pixels of the image's transparent colour show what is below; the
    // hot spot is in the image's pixels. Setting an id again replaces it.
    void SetCursors(TCursor index, TBitmap& image, TPoint hotSpot);
    bool HasCursors(TCursor index) const;
    int32_t Width() const;
    int32_t Height() const;
    int32_t PixelsPerInch() const { return 96; }
    TForm* ActiveForm() const { return FActiveForm; }
    TControl* ActiveControl() const;
    int32_t FormCount() const { return static_cast<int32_t>(FForms.size()); }
    TForm* Forms(int32_t index) const;

    TNotifyEvent OnActiveFormChange;
    TNotifyEvent OnActiveControlChange;

    // Kept by the forms: a form that shows becomes the active form; when
    // the active form hides, the one active before it (and still shown)
    // takes over.
    void AddForm(TForm* form);
    void RemoveForm(TForm* form);
    void ActivateForm(TForm* form);
    void FormHidden(TForm* form);

private:
    std::unique_ptr<TStringList> FFonts;
    TCursor FCursor = crDefault;
    TForm* FActiveForm = nullptr;
    std::vector<TForm*> FForms;
    std::vector<TForm*> FHistory;
};

extern TScreen* Screen;
