#include "platform/controls/HtmlHelp.h"

#include <QUrl>

#include "platform/controls/Dialogs.h"
#include "platform/controls/ShellApi.h"
#include "platform/runtime/SysUtils.h"

namespace {

std::vector<THtmlHelpCall>& Log() {
    static std::vector<THtmlHelpCall> log;
    return log;
}

// "help.chm::/topic.htm>main" names the file "help.chm".
std::string HelpFilePath(const std::string& file) {
    std::string path = file;
    size_t topic = path.find("::");
    if (topic != std::string::npos) path.erase(topic);
    size_t window = path.find('>');
    if (window != std::string::npos) path.erase(window);
    path = Trim(path);
    return path.empty() ? path : ExpandFileName(path);
}

void Warn(THtmlHelpCall& call, const char* message) {
    call.Message = FmtMsg(message, call.Path);
    DialogService().MessageBox(call.Message, HtmlHelpConst::SCaption, MB_OK | MB_ICONWARNING);
}

int32_t Run(THtmlHelpCall& call) {
    switch (call.Command) {
    case HH_DISPLAY_TOPIC:
    case HH_DISPLAY_TOC:
    case HH_DISPLAY_INDEX:
    case HH_DISPLAY_SEARCH:
    case HH_HELP_CONTEXT: break;
    default: return 0;  // HH_CLOSE_ALL: the viewer is the desktop's, not ours
    }
    call.Path = HelpFilePath(call.File);
    if (call.Path.empty()) return 0;
    if (!FileExists(call.Path)) {
        Warn(call, HtmlHelpConst::SFileNotFound);
        return 0;
    }
    call.Url = QUrl::fromLocalFile(QString::fromStdString(call.Path)).toEncoded().toStdString();
    if (OpenWithDesktop(call.Url)) return 1;
    Warn(call, HtmlHelpConst::SNoViewer);
    return 0;
}

}  // namespace

int32_t HtmlHelp(TWinControl* owner, const std::string& file, uint32_t command, intptr_t data) {
    THtmlHelpCall call;
    call.Owner = owner;
    call.File = file;
    call.Command = command;
    call.Data = data;
    // Logged before the warning box, so that the call is on record even
    // when the box fails.
    Log().push_back(call);
    size_t at = Log().size() - 1;
    try {
        call.Result = Run(call);
    } catch (...) {
        Log()[at] = call;
        throw;
    }
    Log()[at] = call;
    return call.Result;
}

const std::vector<THtmlHelpCall>& HtmlHelpLog() { return Log(); }
void ClearHtmlHelpLog() { Log().clear(); }
