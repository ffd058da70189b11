#include "platform/controls/ShellApi.h"

#include <QDesktopServices>
#include <QUrl>
#include <cctype>

#include "platform/runtime/SysUtils.h"

namespace {

TDesktopOpener& InstalledOpener() {
    static TDesktopOpener opener;
    return opener;
}

std::vector<TShellCall>& Log() {
    static std::vector<TShellCall> log;
    return log;
}

// "https:", "mailto:" and the like: a scheme of two or more letters.
bool HasScheme(const std::string& s) {
    size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

int32_t Open(TShellCall& call, const std::string& url) {
    call.Url = url;
    return OpenWithDesktop(url) ? SE_SUCCESS : SE_ERR_NOASSOC;
}

int32_t Execute(TShellCall& call) {
    const bool explore = SameText(call.Operation, "explore");
    if (!call.Operation.empty() && !SameText(call.Operation, "open") && !explore) return SE_ERR_NOASSOC;
    const std::string& file = call.File;
    if (file.empty()) return SE_ERR_FNF;
    if (!explore && HasScheme(file)) return Open(call, QUrl(QString::fromStdString(file)).toEncoded().toStdString());
    if (!explore && SameText(file.substr(0, 4), "www.")) return Open(call, "http://" + file);
    std::string path = file;
    if (path[0] != '/' && !call.Directory.empty()) path = IncludeTrailingPathDelimiter(call.Directory) + path;
    path = ExpandFileName(path);
    if (explore ? !DirectoryExists(path) : !FileExists(path) && !DirectoryExists(path))
        return DirectoryExists(ExtractFileDir(path)) ? SE_ERR_FNF : SE_ERR_PNF;
    return Open(call, QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded().toStdString());
}

}  // namespace

TDesktopOpener SetDesktopOpener(TDesktopOpener opener) {
    std::swap(opener, InstalledOpener());
    return opener;
}

bool OpenWithDesktop(const std::string& url) {
    if (InstalledOpener()) return InstalledOpener()(url);
    return QDesktopServices::openUrl(QUrl::fromEncoded(QByteArray::fromStdString(url)));
}

int32_t ShellExecute(TWinControl* owner, const std::string& operation, const std::string& file,
                     const std::string& parameters, const std::string& directory, int32_t showCmd) {
    TShellCall call;
    call.Owner = owner;
    call.Operation = operation;
    call.File = file;
    call.Parameters = parameters;
    call.Directory = directory;
    call.ShowCmd = showCmd;
    call.Result = Execute(call);
    Log().push_back(call);
    return call.Result;
}

const std::vector<TShellCall>& ShellExecuteLog() { return Log(); }
void ClearShellExecuteLog() { Log().clear(); }
