// ShellExecute: opens web addresses and files with the desktop's handler for
// them (Qt's desktop services). Every call is logged, and tests replace what
// actually opens, so that no test starts a browser.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TWinControl;

inline constexpr int32_t SW_HIDE = 0;
inline constexpr int32_t SW_SHOWNORMAL = 1;
inline constexpr int32_t SW_NORMAL = 1;
inline constexpr int32_t SW_SHOWMINIMIZED = 2;
inline constexpr int32_t SW_SHOWMAXIMIZED = 3;
inline constexpr int32_t SW_SHOW = 5;
inline constexpr int32_t SW_SHOWDEFAULT = 10;

// Results: above 32 is success, as on the platform.
inline constexpr int32_t SE_ERR_FNF = 2;
inline constexpr int32_t SE_ERR_PNF = 3;
inline constexpr int32_t SE_ERR_NOASSOC = 31;
inline constexpr int32_t SE_SUCCESS = 42;

struct TShellCall {
    TWinControl* Owner = nullptr;
    std::string Operation;
    std::string File;
    std::string Parameters;
    std::string Directory;
    int32_t ShowCmd = 0;
    std::string Url;  // what was handed to the desktop; empty when nothing was
    int32_t Result = 0;
};

// operation "open" (or empty) opens file: an address with a scheme
// ("https://...", "mailto:...") or starting "www." goes to the browser, any
// other text is a file or folder, relative to directory when that is given,
// which must exist (else SE_ERR_FNF). "explore" opens a folder. Other
// operations, and a desktop that cannot open the target, give
// SE_ERR_NOASSOC. Parameters are logged, not passed on.
int32_t ShellExecute(TWinControl* owner, const std::string& operation, const std::string& file,
                     const std::string& parameters, const std::string& directory, int32_t showCmd);

// What hands a URL to the desktop: QDesktopServices::openUrl unless a test
// installed its own. Returns the previous opener (empty: the desktop's).
using TDesktopOpener = std::function<bool(const std::string& url)>;
TDesktopOpener SetDesktopOpener(TDesktopOpener opener);
// Opens url through the installed opener.
bool OpenWithDesktop(const std::string& url);

const std::vector<TShellCall>& ShellExecuteLog();
void ClearShellExecuteLog();
