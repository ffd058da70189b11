// HtmlHelp: help files opened with the desktop's handler for their type. A
// missing file is reported with its path in a warning box, as a help viewer
// would; every call is logged for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TWinControl;

inline constexpr uint32_t HH_DISPLAY_TOPIC = 0;
inline constexpr uint32_t HH_DISPLAY_TOC = 1;
inline constexpr uint32_t HH_DISPLAY_INDEX = 2;
inline constexpr uint32_t HH_DISPLAY_SEARCH = 3;
inline constexpr uint32_t HH_HELP_CONTEXT = 15;
inline constexpr uint32_t HH_CLOSE_ALL = 18;

namespace HtmlHelpConst {
inline constexpr const char* SCaption = "Help";
inline constexpr const char* SFileNotFound = "Cannot open the help file \"%s\": file not found.";
inline constexpr const char* SNoViewer = "Cannot open the help file \"%s\": no program is set up to show it.";
}  // namespace HtmlHelpConst

struct THtmlHelpCall {
    TWinControl* Owner = nullptr;
    std::string File;  // as given
    uint32_t Command = 0;
    intptr_t Data = 0;
    std::string Path;     // the help file itself, without a topic ("::/...") or window (">...")
    std::string Url;      // what was handed to the desktop; empty when nothing was
    std::string Message;  // the warning shown; empty when none
    int32_t Result = 0;
};

// The topic, contents, index, search and context commands open the file
// (the desktop's viewer shows its default topic); HH_CLOSE_ALL has no viewer
// of ours to close. Returns 1 when the file was handed to the desktop, else
// 0. An empty file name and unknown commands do nothing.
int32_t HtmlHelp(TWinControl* owner, const std::string& file, uint32_t command, intptr_t data);

const std::vector<THtmlHelpCall>& HtmlHelpLog();
void ClearHtmlHelpLog();
