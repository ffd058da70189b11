#include "platform/controls/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/controls/ServiceSlot.h"
#include "platform/controls/qt/ControlsQt.h"

// ---------------------------------------------------------------- filters

std::vector<TFilterEntry> ParseFilter(const std::string& filter) {
    std::vector<TFilterEntry> out;
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
    if (parts.size() % 2 == 1 && !parts.back().empty()) out.push_back({parts.back(), parts.back()});
    return out;
}

std::string FilterDisplayName(const TFilterEntry& entry) {
    std::string patterns = StringReplace(entry.Pattern, ";", " ");
    if (Pos(LowerCase("(" + patterns + ")"), LowerCase(entry.Name)) > 0) return entry.Name;
    return entry.Name + " (" + patterns + ")";
}

std::string FilterExtension(const std::string& filter, int32_t index) {
    const std::vector<TFilterEntry> entries = ParseFilter(filter);
    if (index < 1 || index > static_cast<int32_t>(entries.size())) return {};
    std::string pattern = entries[static_cast<size_t>(index - 1)].Pattern;
    pattern = pattern.substr(0, pattern.find(';'));
    pattern = Trim(pattern);
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) return {};
    std::string ext = pattern.substr(2);
    if (ext.find_first_of("*?. ") != std::string::npos) return {};
    return ext;
}

const char* DialogKindName(TDialogKind kind) {
    switch (kind) {
    case TDialogKind::MessageBox: return "message box";
    case TDialogKind::MessageDlg: return "message dialog";
    case TDialogKind::InputQuery: return "input query";
    case TDialogKind::OpenFile: return "open dialog";
    case TDialogKind::SaveFile: return "save dialog";
    case TDialogKind::PrinterSetup: return "printer set-up dialog";
    case TDialogKind::Color: return "colour dialog";
    case TDialogKind::Font: return "font dialog";
    case TDialogKind::ShowModal: return "modal form";
    }
    return "dialog";
}

// ---------------------------------------------------------------- installation

namespace {
using TDialogSlot = TServiceSlot<TDialogService, TQtDialogService>;

std::function<bool()>& PrinterSetupHandler() {
    static std::function<bool()> handler;
    return handler;
}
}  // namespace

TDialogService& DialogService() { return TDialogSlot::Get(); }

std::unique_ptr<TDialogService> InstallDialogService(std::unique_ptr<TDialogService> service) {
    return TDialogSlot::Install(std::move(service));
}

void SetPrinterSetupHandler(std::function<bool()> handler) { PrinterSetupHandler() = std::move(handler); }

bool RunPrinterSetupHandler() {
    auto& handler = PrinterSetupHandler();
    return handler ? handler() : false;
}

bool TDialogService::PrinterSetup() { return RunPrinterSetupHandler(); }

// ---------------------------------------------------------------- Qt service

namespace {
bool NobodyToAnswer() {
    QString p = QGuiApplication::platformName();
    return p == QLatin1String("offscreen") || p == QLatin1String("minimal");
}
}  // namespace

void RefuseWithoutUser(TDialogKind kind, const std::string& text) {
    if (NobodyToAnswer()) throw EDialogScriptError(FmtMsg(DialogConst::SNoUserHere, DialogKindName(kind), text));
}

namespace {

QWidget* DialogParent() {
    if (TWinControl* window = ControlHooks().ActiveWindow()) return NativeWidget(window);
    return QApplication::activeWindow();
}

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

QString NameFilter(const TFilterEntry& e) { return QStr(FilterDisplayName(e)); }

bool RunFileDialog(TFileDialogParams& params, bool save) {
    RefuseWithoutUser(save ? TDialogKind::SaveFile : TDialogKind::OpenFile, params.Title);
    QFileDialog dialog(DialogParent(), QStr(params.Title));
    QStringList filters;
    std::vector<TFilterEntry> entries = ParseFilter(params.Filter);
    for (const TFilterEntry& e : entries) filters << NameFilter(e);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        int index = params.FilterIndex >= 1 && params.FilterIndex <= filters.size() ? params.FilterIndex - 1 : 0;
        dialog.selectNameFilter(filters[index]);
    }
    std::string dir = params.InitialDir;
    if (dir.empty() && !params.FileName.empty()) dir = ExtractFileDir(params.FileName);
    if (!dir.empty()) dialog.setDirectory(QStr(dir));
    if (!params.FileName.empty()) dialog.selectFile(QStr(ExtractFileName(params.FileName)));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!save && (params.Options & ofFileMustExist)) dialog.setFileMode(QFileDialog::ExistingFile);
    else dialog.setFileMode(QFileDialog::AnyFile);
    // The extension and the question before a file is replaced are the
    // dialog component's: only it knows the final name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted) return false;
    QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return false;
    params.FileName = StdStr(files.first());
    params.FilterIndex = static_cast<int32_t>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (params.FilterIndex < 1) params.FilterIndex = 1;
    return true;
}
}  // namespace

int32_t TQtDialogService::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    RefuseWithoutUser(TDialogKind::MessageBox, text);
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (flags & MB_ICONMASK) {
    case MB_ICONSTOP: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox box(icon, QStr(caption.empty() ? std::string("Error") : caption), QStr(text), QMessageBox::NoButton,
                    DialogParent());
    struct B {
        QMessageBox::StandardButton Button;
        int32_t Id;
    };
    std::vector<B> buttons;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    for (const B& b : buttons) box.addButton(b.Button);
    size_t def = (flags & MB_DEFMASK) >> 8;
    if (def < buttons.size()) box.setDefaultButton(buttons[def].Button);
    int r = box.exec();
    for (const B& b : buttons)
        if (b.Button == r) return b.Id;
    // Closed without a button: the platform answers Cancel (or the only
    // button).
    return buttons.size() == 1 ? buttons[0].Id : IDCANCEL;
}

TModalResult TQtDialogService::MessageDlg(const std::string& caption, const std::string& text, TMsgDlgType type,
                                          TMsgDlgButtons buttons) {
    RefuseWithoutUser(TDialogKind::MessageDlg, text);
    QMessageBox box(IconOf(type), QStr(caption), QStr(text), QMessageBox::NoButton, DialogParent());
    struct B {
        TMsgDlgButtons Flag;
        QMessageBox::StandardButton Button;
        TModalResult Result;
    };
    const B all[] = {{mbYes, QMessageBox::Yes, mrYes},          {mbNo, QMessageBox::No, mrNo},
                     {mbOK, QMessageBox::Ok, mrOk},             {mbCancel, QMessageBox::Cancel, mrCancel},
                     {mbAbort, QMessageBox::Abort, mrAbort},    {mbRetry, QMessageBox::Retry, mrRetry},
                     {mbIgnore, QMessageBox::Ignore, mrIgnore}, {mbAll, QMessageBox::YesToAll, mrAll},
                     {mbNoToAll, QMessageBox::NoToAll, mrNoToAll}, {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
                     {mbHelp, QMessageBox::Help, mrNone}};
    for (const B& b : all)
        if (buttons & b.Flag) box.addButton(b.Button);
    // The platform's defaults: OK, else Yes; Escape gives Cancel, else No,
    // else OK.
    if (buttons & mbOK) box.setDefaultButton(QMessageBox::Ok);
    else if (buttons & mbYes) box.setDefaultButton(QMessageBox::Yes);
    if (buttons & mbCancel) box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons & mbNo) box.setEscapeButton(QMessageBox::No);
    else if (buttons & mbOK) box.setEscapeButton(QMessageBox::Ok);
    int r = box.exec();
    for (const B& b : all)
        if (b.Button == r && (buttons & b.Flag)) return b.Result;
    return mrCancel;
}

bool TQtDialogService::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    RefuseWithoutUser(TDialogKind::InputQuery, prompt);
    bool ok = false;
    QString text = QInputDialog::getText(DialogParent(), QStr(caption), QStr(prompt), QLineEdit::Normal, QStr(value), &ok);
    if (ok) value = StdStr(text);
    return ok;
}

bool TQtDialogService::OpenFile(TFileDialogParams& params) { return RunFileDialog(params, false); }

bool TQtDialogService::SaveFile(TFileDialogParams& params) { return RunFileDialog(params, true); }

bool TQtDialogService::PrinterSetup() {
    RefuseWithoutUser(TDialogKind::PrinterSetup, "");
    return RunPrinterSetupHandler();
}

bool TQtDialogService::ChooseColor(TColor& color) {
    RefuseWithoutUser(TDialogKind::Color, "");
    QColor c = QColorDialog::getColor(QtColor(color), DialogParent());
    if (!c.isValid()) return false;
    color = ColorFromQt(c);
    return true;
}

bool TQtDialogService::ChooseFont(TFont& font) {
    RefuseWithoutUser(TDialogKind::Font, font.Name());
    bool ok = false;
    QFont initial = QtFont(font);
    QFont f = QFontDialog::getFont(&ok, initial, DialogParent());
    if (!ok) return false;
    font.SetName(StdStr(f.family()));
    if (f.pointSize() > 0) font.SetSize(f.pointSize());
    TFontStyles st = 0;
    if (f.bold()) st |= fsBold;
    if (f.italic()) st |= fsItalic;
    if (f.underline()) st |= fsUnderline;
    if (f.strikeOut()) st |= fsStrikeOut;
    font.SetStyle(st);
    return true;
}


// ---------------------------------------------------------------- scripted service

TScriptedDialogs& TScriptedDialogs::Add(Reply reply) {
    FReplies.push_back(std::move(reply));
    return *this;
}

TScriptedDialogs& TScriptedDialogs::AnswerMessageBox(int32_t id) {
    Reply r;
    r.Kind = TDialogKind::MessageBox;
    r.Result = id;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerMessageDlg(TModalResult result) {
    Reply r;
    r.Kind = TDialogKind::MessageDlg;
    r.Result = result;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerInput(const std::string& text) {
    Reply r;
    r.Kind = TDialogKind::InputQuery;
    r.Accept = true;
    r.Value = text;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::CancelInput() {
    Reply r;
    r.Kind = TDialogKind::InputQuery;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerOpen(const std::string& path, int32_t filterIndex) {
    Reply r;
    r.Kind = TDialogKind::OpenFile;
    r.Accept = true;
    r.Value = path;
    r.FilterIndex = filterIndex;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::CancelOpen() {
    Reply r;
    r.Kind = TDialogKind::OpenFile;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerSave(const std::string& path, int32_t filterIndex) {
    Reply r;
    r.Kind = TDialogKind::SaveFile;
    r.Accept = true;
    r.Value = path;
    r.FilterIndex = filterIndex;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::CancelSave() {
    Reply r;
    r.Kind = TDialogKind::SaveFile;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerPrinterSetup(bool ok) {
    Reply r;
    r.Kind = TDialogKind::PrinterSetup;
    r.Accept = ok;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerColor(TColor color) {
    Reply r;
    r.Kind = TDialogKind::Color;
    r.Accept = true;
    r.Color = color;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::CancelColor() {
    Reply r;
    r.Kind = TDialogKind::Color;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerFont(std::function<void(TFont&)> change) {
    Reply r;
    r.Kind = TDialogKind::Font;
    r.Accept = true;
    r.FontAction = std::move(change);
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::CancelFont() {
    Reply r;
    r.Kind = TDialogKind::Font;
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerModal(std::function<void(TForm&)> action) {
    Reply r;
    r.Kind = TDialogKind::ShowModal;
    r.Action = std::move(action);
    return Add(std::move(r));
}

TScriptedDialogs& TScriptedDialogs::AnswerModal(TModalResult result) {
    Reply r;
    r.Kind = TDialogKind::ShowModal;
    r.Result = result;
    return Add(std::move(r));
}

std::vector<std::string> TScriptedDialogs::Messages() const {
    std::vector<std::string> out;
    for (const TDialogRequest& r : FLog)
        if (r.Kind == TDialogKind::MessageBox || r.Kind == TDialogKind::MessageDlg) out.push_back(r.Text);
    return out;
}

void TScriptedDialogs::Clear() {
    FReplies.clear();
    FLog.clear();
    FFailures.clear();
}

TScriptedDialogs::Reply TScriptedDialogs::Take(const TDialogRequest& request) {
    FLog.push_back(request);
    std::string what = request.Kind == TDialogKind::ShowModal ? request.Caption
                       : request.Kind == TDialogKind::OpenFile || request.Kind == TDialogKind::SaveFile
                           ? request.File.Title
                           : request.Text;
    if (FReplies.empty()) {
        bool okOnly = (request.Kind == TDialogKind::MessageBox && (request.Flags & MB_TYPEMASK) == MB_OK) ||
                      (request.Kind == TDialogKind::MessageDlg && request.Buttons == mbOK);
        if (FAutoOk && okOnly) {
            Reply r;
            r.Kind = request.Kind;
            r.Result = request.Kind == TDialogKind::MessageBox ? IDOK : mrOk;
            return r;
        }
        std::string msg = FmtMsg(DialogConst::SScriptExhausted, DialogKindName(request.Kind), what);
        FFailures.push_back(msg);
        throw EDialogScriptError(msg);
    }
    Reply r = std::move(FReplies.front());
    FReplies.pop_front();
    if (r.Kind != request.Kind) {
        std::string msg = FmtMsg(DialogConst::SScriptMismatch, DialogKindName(r.Kind),
                                 std::string(DialogKindName(request.Kind)) + " \"" + what + "\"");
        FFailures.push_back(msg);
        throw EDialogScriptError(msg);
    }
    return r;
}

int32_t TScriptedDialogs::MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    TDialogRequest q;
    q.Kind = TDialogKind::MessageBox;
    q.Text = text;
    q.Caption = caption;
    q.Flags = flags;
    return Take(q).Result;
}

TModalResult TScriptedDialogs::MessageDlg(const std::string& caption, const std::string& text, TMsgDlgType type,
                                          TMsgDlgButtons buttons) {
    TDialogRequest q;
    q.Kind = TDialogKind::MessageDlg;
    q.Text = text;
    q.Caption = caption;
    q.DlgType = type;
    q.Buttons = buttons;
    return Take(q).Result;
}

bool TScriptedDialogs::InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    TDialogRequest q;
    q.Kind = TDialogKind::InputQuery;
    q.Caption = caption;
    q.Text = prompt;
    q.Value = value;
    Reply r = Take(q);
    if (r.Accept) value = r.Value;
    return r.Accept;
}

bool TScriptedDialogs::OpenFile(TFileDialogParams& params) {
    TDialogRequest q;
    q.Kind = TDialogKind::OpenFile;
    q.Caption = params.Title;
    q.File = params;
    Reply r = Take(q);
    if (!r.Accept) return false;
    params.FileName = r.Value;
    if (r.FilterIndex > 0) params.FilterIndex = r.FilterIndex;
    return true;
}

bool TScriptedDialogs::SaveFile(TFileDialogParams& params) {
    TDialogRequest q;
    q.Kind = TDialogKind::SaveFile;
    q.Caption = params.Title;
    q.File = params;
    Reply r = Take(q);
    if (!r.Accept) return false;
    params.FileName = r.Value;
    if (r.FilterIndex > 0) params.FilterIndex = r.FilterIndex;
    return true;
}

bool TScriptedDialogs::PrinterSetup() {
    TDialogRequest q;
    q.Kind = TDialogKind::PrinterSetup;
    return Take(q).Accept;
}

bool TScriptedDialogs::ChooseColor(TColor& color) {
    TDialogRequest q;
    q.Kind = TDialogKind::Color;
    Reply r = Take(q);
    if (r.Accept) color = r.Color;
    return r.Accept;
}

bool TScriptedDialogs::ChooseFont(TFont& font) {
    TDialogRequest q;
    q.Kind = TDialogKind::Font;
    q.Text = font.Name();
    Reply r = Take(q);
    if (r.Accept && r.FontAction) r.FontAction(font);
    return r.Accept;
}


// ---------------------------------------------------------------- routines

void ShowMessage(const std::string& message) {
    DialogService().MessageDlg(ControlHooks().ApplicationTitle(), message, mtCustom, mbOK);
}

TModalResult MessageDlg(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, int32_t helpContext) {
    std::string caption;
    switch (type) {
    case mtWarning: caption = DialogConst::SMsgDlgWarning; break;
    case mtError: caption = DialogConst::SMsgDlgError; break;
    case mtInformation: caption = DialogConst::SMsgDlgInformation; break;
    case mtConfirmation: caption = DialogConst::SMsgDlgConfirm; break;
    default: caption = ControlHooks().ApplicationTitle(); break;
    }
    return DialogService().MessageDlg(caption, message, type, buttons);
}

std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& defaultValue) {
    std::string value = defaultValue;
    if (DialogService().InputQuery(caption, prompt, value)) return value;
    return defaultValue;
}

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) {
    return DialogService().InputQuery(caption, prompt, value);
}

// ---------------------------------------------------------------- dialog components

void TOpenDialog::SetDefaultExt(const std::string& ext) {
    FParams.DefaultExt = !ext.empty() && ext[0] == '.' ? ext.substr(1) : ext;
}

bool TOpenDialog::Run(TFileDialogParams& params) { return DialogService().OpenFile(params); }

bool TSaveDialog::Run(TFileDialogParams& params) { return DialogService().SaveFile(params); }

bool TOpenDialog::Execute() {
    TFileDialogParams p = FParams;
    for (;;) {
        if (OnShow) OnShow(this);
        bool ok = Run(p);
        if (OnClose) OnClose(this);
        if (!ok) return false;
        std::string name = p.FileName;
        if (!FParams.DefaultExt.empty() && !name.empty() && ExtractFileExt(name).empty()) {
            std::string ext = FilterExtension(p.Filter, p.FilterIndex);
            name += "." + (ext.empty() ? FParams.DefaultExt : ext);
        }
        if (!Confirm(name)) {
            p.FileName = name;
            continue;
        }
        FParams.FileName = name;
        if (p.FilterIndex > 0) FParams.FilterIndex = p.FilterIndex;
        return true;
    }
}

bool TSaveDialog::Confirm(const std::string& fileName) {
    if (!(FParams.Options & ofOverwritePrompt) || !FileExists(fileName)) return true;
    const std::string caption = FParams.Title.empty() ? DialogConst::SConfirmSaveAs : FParams.Title;
    return DialogService().MessageBox(FmtMsg(DialogConst::SConfirmReplace, fileName), caption,
                                      MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool TColorDialog::Execute() {
    TColor c = FColor;
    if (!DialogService().ChooseColor(c)) return false;
    FColor = c;
    return true;
}

TFontDialog::TFontDialog(TComponent* owner) : TCommonDialog(owner), FFont(std::make_unique<TFont>()) {}

bool TFontDialog::Execute() {
    TFont f;
    f.Assign(FFont.get());
    if (!DialogService().ChooseFont(f)) return false;
    FFont->Assign(&f);
    return true;
}
