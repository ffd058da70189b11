// Dialogs: every modal dialog and message box of the program goes through
// one dialog service. The program uses the Qt service; tests install a
// scripted one that answers from a queue and logs every request, so that no
// test ever waits for a user.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Controls.h"

class TForm;

VARSONA_DECLARE_EXCEPTION(EDialogScriptError, Exception)

namespace DialogConst {
inline constexpr const char* SMsgDlgWarning = "Warning";
inline constexpr const char* SMsgDlgError = "Error";
inline constexpr const char* SMsgDlgInformation = "Information";
inline constexpr const char* SMsgDlgConfirm = "Confirm";
inline constexpr const char* SScriptExhausted = "No scripted reply left for %s \"%s\"";
inline constexpr const char* SScriptMismatch = "Scripted reply for %s does not match the request %s";
inline constexpr const char* SNoUserHere = "A %s was requested where no user can answer: \"%s\"";
// The save dialog's question before it replaces a file.
inline constexpr const char* SConfirmReplace = "%s already exists.\nDo you want to replace it?";
inline constexpr const char* SConfirmSaveAs = "Confirm Save As";
}  // namespace DialogConst

// ---------------------------------------------------------------- message boxes

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

using TMsgDlgButtons = uint16_t;
inline constexpr TMsgDlgButtons mbYes = 0x001;
inline constexpr TMsgDlgButtons mbNo = 0x002;
inline constexpr TMsgDlgButtons mbOK = 0x004;
inline constexpr TMsgDlgButtons mbCancel = 0x008;
inline constexpr TMsgDlgButtons mbAbort = 0x010;
inline constexpr TMsgDlgButtons mbRetry = 0x020;
inline constexpr TMsgDlgButtons mbIgnore = 0x040;
inline constexpr TMsgDlgButtons mbAll = 0x080;
inline constexpr TMsgDlgButtons mbNoToAll = 0x100;
inline constexpr TMsgDlgButtons mbYesToAll = 0x200;
inline constexpr TMsgDlgButtons mbHelp = 0x400;
inline constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr TMsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// The platform's MessageBox flags and results.
inline constexpr uint32_t MB_OK = 0x00;
inline constexpr uint32_t MB_OKCANCEL = 0x01;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x02;
inline constexpr uint32_t MB_YESNOCANCEL = 0x03;
inline constexpr uint32_t MB_YESNO = 0x04;
inline constexpr uint32_t MB_RETRYCANCEL = 0x05;
inline constexpr uint32_t MB_ICONHAND = 0x10;
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONSTOP = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONASTERISK = 0x40;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
inline constexpr uint32_t MB_DEFBUTTON1 = 0x000;
inline constexpr uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr uint32_t MB_DEFBUTTON3 = 0x200;
inline constexpr uint32_t MB_APPLMODAL = 0x0000;
inline constexpr uint32_t MB_SYSTEMMODAL = 0x1000;
inline constexpr uint32_t MB_TASKMODAL = 0x2000;
inline constexpr uint32_t MB_TYPEMASK = 0x0F;
inline constexpr uint32_t MB_ICONMASK = 0xF0;
inline constexpr uint32_t MB_DEFMASK = 0xF00;

inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;
inline constexpr int32_t IDABORT = 3;
inline constexpr int32_t IDRETRY = 4;
inline constexpr int32_t IDIGNORE = 5;
inline constexpr int32_t IDYES = 6;
inline constexpr int32_t IDNO = 7;

// ---------------------------------------------------------------- file dialogs

using TOpenOptions = uint32_t;
inline constexpr TOpenOptions ofReadOnly = 1u << 0;
inline constexpr TOpenOptions ofOverwritePrompt = 1u << 1;
inline constexpr TOpenOptions ofHideReadOnly = 1u << 2;
inline constexpr TOpenOptions ofNoChangeDir = 1u << 3;
inline constexpr TOpenOptions ofShowHelp = 1u << 4;
inline constexpr TOpenOptions ofNoValidate = 1u << 5;
inline constexpr TOpenOptions ofAllowMultiSelect = 1u << 6;
inline constexpr TOpenOptions ofExtensionDifferent = 1u << 7;
inline constexpr TOpenOptions ofPathMustExist = 1u << 8;
inline constexpr TOpenOptions ofFileMustExist = 1u << 9;
inline constexpr TOpenOptions ofCreatePrompt = 1u << 10;
inline constexpr TOpenOptions ofShareAware = 1u << 11;
inline constexpr TOpenOptions ofNoReadOnlyReturn = 1u << 12;
inline constexpr TOpenOptions ofNoTestFileCreate = 1u << 13;
inline constexpr TOpenOptions ofNoNetworkButton = 1u << 14;
inline constexpr TOpenOptions ofNoLongNames = 1u << 15;
inline constexpr TOpenOptions ofOldStyleDialog = 1u << 16;
inline constexpr TOpenOptions ofNoDereferenceLinks = 1u << 17;
inline constexpr TOpenOptions ofEnableIncludeNotify = 1u << 18;
inline constexpr TOpenOptions ofEnableSizing = 1u << 19;

// What a file dialog is opened with, and (on success) what it returns:
// FileName and FilterIndex.
struct TFileDialogParams {
    std::string Title;
    std::string Filter;  // "Name (*.ext)|*.ext|..."
    int32_t FilterIndex = 1;  // 1-based
    std::string InitialDir;
    std::string DefaultExt;  // without the dot
    std::string FileName;
    TOpenOptions Options = 0;
};

// One name and pattern pair of a filter ("Text (*.txt)", "*.txt;*.text").
struct TFilterEntry {
    std::string Name;
    std::string Pattern;
};
std::vector<TFilterEntry> ParseFilter(const std::string& filter);
// What the dialog shows for an entry: its name and patterns, or the name
// alone when it already shows them ("Windows Bitmap (*.BMP)").
std::string FilterDisplayName(const TFilterEntry& entry);
// The extension (without the dot) of the 1-based entry's first pattern when
// that names one ("*.gif" gives "gif"; "*.*" and a missing entry give "").
std::string FilterExtension(const std::string& filter, int32_t index);

// ---------------------------------------------------------------- the service

enum class TDialogKind { MessageBox, MessageDlg, InputQuery, OpenFile, SaveFile, PrinterSetup, Color, Font, ShowModal };
const char* DialogKindName(TDialogKind kind);

// A request as the service received it (the scripted service logs these).
struct TDialogRequest {
    TDialogKind Kind = TDialogKind::MessageBox;
    std::string Caption;
    std::string Text;   // message, or the prompt of an input query
    std::string Value;  // input query's initial value
    uint32_t Flags = 0;  // MessageBox flags
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons Buttons = 0;
    TFileDialogParams File;
    TForm* Form = nullptr;
};

class TDialogService {
public:
    virtual ~TDialogService() = default;
    // Returns IDOK, IDCANCEL, IDYES, ...
    virtual int32_t MessageBox(const std::string& text, const std::string& caption, uint32_t flags) = 0;
    // Returns mrOk, mrYes, ...
    virtual TModalResult MessageDlg(const std::string& caption, const std::string& text, TMsgDlgType type,
                                    TMsgDlgButtons buttons) = 0;
    // True when confirmed; value holds the text then.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    virtual bool OpenFile(TFileDialogParams& params) = 0;
    virtual bool SaveFile(TFileDialogParams& params) = 0;
    // Runs the printer set-up function the printer code installed (False
    // when none is installed).
    virtual bool PrinterSetup();
    virtual bool ChooseColor(TColor& color) = 0;
    virtual bool ChooseFont(TFont& font) = 0;
    // Shows the form modally and returns its ModalResult (the services'
    // own entries live with the forms, in Forms.cpp).
    virtual TModalResult ShowModal(TForm& form) = 0;
};

// The installed service (the Qt one until another is installed).
TDialogService& DialogService();
// Installs service (nullptr: the Qt service) and returns the previous one.
std::unique_ptr<TDialogService> InstallDialogService(std::unique_ptr<TDialogService> service);
// Raises EDialogScriptError where no user can answer (the offscreen
// platform): the Qt service's guard before it opens a dialog.
void RefuseWithoutUser(TDialogKind kind, const std::string& text);
// The printer code installs the dialog behind PrinterSetup here.
void SetPrinterSetupHandler(std::function<bool()> handler);
bool RunPrinterSetupHandler();

// The real dialogs on Qt. Under the offscreen platform, where nobody could
// answer, every request raises EDialogScriptError instead of waiting.
class TQtDialogService : public TDialogService {
public:
    int32_t MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
    TModalResult MessageDlg(const std::string& caption, const std::string& text, TMsgDlgType type,
                            TMsgDlgButtons buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool OpenFile(TFileDialogParams& params) override;
    bool SaveFile(TFileDialogParams& params) override;
    bool PrinterSetup() override;
    bool ChooseColor(TColor& color) override;
    bool ChooseFont(TFont& font) override;
    TModalResult ShowModal(TForm& form) override;
};

// Answers from a queue of replies, in order, and logs every request. A
// request without a matching reply is a failure: it is recorded in
// Failures() and raises EDialogScriptError.
class TScriptedDialogs : public TDialogService {
public:
    struct Reply {
        TDialogKind Kind = TDialogKind::MessageBox;
        int32_t Result = 0;  // IDxx for message boxes, mrXxx for dialogs and forms
        bool Accept = false;
        std::string Value;        // input text or file path
        int32_t FilterIndex = 0;  // 0 keeps the dialog's
        TColor Color = clBlack;
        std::function<void(TForm&)> Action;  // run while a modal form is shown
        std::function<void(TFont&)> FontAction;
    };

    TScriptedDialogs& AnswerMessageBox(int32_t id);
    TScriptedDialogs& AnswerMessageDlg(TModalResult result);
    TScriptedDialogs& AnswerInput(const std::string& text);
    TScriptedDialogs& CancelInput();
    TScriptedDialogs& AnswerOpen(const std::string& path, int32_t filterIndex = 0);
    TScriptedDialogs& CancelOpen();
    TScriptedDialogs& AnswerSave(const std::string& path, int32_t filterIndex = 0);
    TScriptedDialogs& CancelSave();
    TScriptedDialogs& AnswerPrinterSetup(bool ok);
    TScriptedDialogs& AnswerColor(TColor color);
    TScriptedDialogs& CancelColor();
    TScriptedDialogs& AnswerFont(std::function<void(TFont&)> change);
    TScriptedDialogs& CancelFont();
    // The form is shown modally, action runs (it may type, click buttons or
    // set ModalResult), then the form closes; the result is the form's
    // ModalResult, mrCancel when the action left it unset.
    TScriptedDialogs& AnswerModal(std::function<void(TForm&)> action);
    TScriptedDialogs& AnswerModal(TModalResult result);
    TScriptedDialogs& Add(Reply reply);

    // Message boxes and message dialogs that offer only an OK button are
    // answered OK without a scripted reply (they are still logged).
    void SetAutoOk(bool autoOk) { FAutoOk = autoOk; }

    const std::vector<TDialogRequest>& Log() const { return FLog; }
    // The texts of the message boxes and message dialogs shown, in order.
    std::vector<std::string> Messages() const;
    size_t Pending() const { return FReplies.size(); }
    const std::vector<std::string>& Failures() const { return FFailures; }
    void Clear();

    int32_t MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override;
    TModalResult MessageDlg(const std::string& caption, const std::string& text, TMsgDlgType type,
                            TMsgDlgButtons buttons) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool OpenFile(TFileDialogParams& params) override;
    bool SaveFile(TFileDialogParams& params) override;
    bool PrinterSetup() override;
    bool ChooseColor(TColor& color) override;
    bool ChooseFont(TFont& font) override;
    TModalResult ShowModal(TForm& form) override;

private:
    Reply Take(const TDialogRequest& request);
    bool FAutoOk = false;
    std::deque<Reply> FReplies;
    std::vector<TDialogRequest> FLog;
    std::vector<std::string> FFailures;
};

// ---------------------------------------------------------------- the platform's routines

// A message box with the application's title and an OK button.
void ShowMessage(const std::string& message);
// Caption by type: "Warning", "Error", "Information", "Confirm", or the
// application's title for mtCustom.
TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int32_t helpContext = 0);
std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue);
bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value);

// ---------------------------------------------------------------- dialog components

class TCommonDialog : public TComponent {
public:
    explicit TCommonDialog(TComponent* owner) : TComponent(owner) {}
    virtual bool Execute() = 0;
    int32_t HelpContext() const { return FHelpContext; }
    void SetHelpContext(int32_t context) { FHelpContext = context; }
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

private:
    int32_t FHelpContext = 0;
};

class TOpenDialog : public TCommonDialog {
public:
    explicit TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}
    // Runs the dialog; on success FileName holds the chosen path and
    // FilterIndex the chosen filter. A name typed without an extension gets
    // the one of the chosen filter, or DefaultExt when the filter names none
    // (only when DefaultExt is set, as on the platform).
    bool Execute() override;

    const std::string& FileName() const { return FParams.FileName; }
    void SetFileName(const std::string& name) { FParams.FileName = name; }
    const std::string& Filter() const { return FParams.Filter; }
    void SetFilter(const std::string& filter) { FParams.Filter = filter; }
    int32_t FilterIndex() const { return FParams.FilterIndex; }
    void SetFilterIndex(int32_t index) { FParams.FilterIndex = index; }
    const std::string& InitialDir() const { return FParams.InitialDir; }
    void SetInitialDir(const std::string& dir) { FParams.InitialDir = dir; }
    const std::string& DefaultExt() const { return FParams.DefaultExt; }
    void SetDefaultExt(const std::string& ext);
    const std::string& Title() const { return FParams.Title; }
    void SetTitle(const std::string& title) { FParams.Title = title; }
    TOpenOptions Options() const { return FParams.Options; }
    void SetOptions(TOpenOptions options) { FParams.Options = options; }

protected:
    virtual bool Run(TFileDialogParams& params);
    // The final name is taken; False runs the dialog again on it.
    virtual bool Confirm(const std::string& fileName) { return true; }
    TFileDialogParams FParams;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

protected:
    bool Run(TFileDialogParams& params) override;
    // With ofOverwritePrompt, asks before a file of the final name (the
    // extension added) is replaced.
    bool Confirm(const std::string& fileName) override;
};

class TColorDialog : public TCommonDialog {
public:
    explicit TColorDialog(TComponent* owner) : TCommonDialog(owner) {}
    bool Execute() override;
    TColor Color() const { return FColor; }
    void SetColor(TColor color) { FColor = color; }

private:
    TColor FColor = clBlack;
};

class TFontDialog : public TCommonDialog {
public:
    explicit TFontDialog(TComponent* owner);
    bool Execute() override;
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont* font) { FFont->Assign(font); }

private:
    std::unique_ptr<TFont> FFont;
};
