// Help routing: every help request of the application goes to the HTML help
// viewer with the application's help file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls/Forms.h"
#include "platform/controls/HtmlHelp.h"

// What one help command becomes: the file (empty for none), the HTML help
// command and its data.
struct THtmlHelpRoute {
    std::string File;
    uint32_t Command = HH_DISPLAY_TOPIC;
    int32_t Data = 0;
};
THtmlHelpRoute RouteHelpCommand(Word command, int32_t data, const std::string& helpFile);

class TUseHTMLHelp : public TObject {
public:
    bool HelpHook(Word Command, int32_t Data, bool& CallHelp);
};

// The module's start-up and shut-down steps: install the hook as the
// application's help event, and remove it.
void InitUseHTMLHelp();
void DoneUseHTMLHelp();
