#include "designer/UseHTMLHelp.h"

#include <memory>

namespace {
std::unique_ptr<TUseHTMLHelp> HelpObject;
}

THtmlHelpRoute RouteHelpCommand(Word command, int32_t data, const std::string& helpFile) {
    switch (command) {
        case HELP_CONTEXT:
        case HELP_CONTEXTPOPUP: return {helpFile, HH_HELP_CONTEXT, data};
        case HELP_KEY: return {helpFile, HH_DISPLAY_INDEX, data};
        case HELP_QUIT: return {std::string(), HH_CLOSE_ALL, 0};
        default: return {helpFile, HH_DISPLAY_TOPIC, 0};
    }
}

bool TUseHTMLHelp::HelpHook(Word Command, int32_t Data, bool& CallHelp) {
    CallHelp = false;
    const THtmlHelpRoute route = RouteHelpCommand(Command, Data, Application->HelpFile());
    // The active form owns the viewer; none when no form is active.
    HtmlHelp(Screen->ActiveForm(), route.File, route.Command, route.Data);
    return true;
}

void InitUseHTMLHelp() {
    HelpObject = std::make_unique<TUseHTMLHelp>();
    TUseHTMLHelp* hook = HelpObject.get();
    Application->OnHelp = [hook](Word command, int32_t data, bool& callHelp) {
        return hook->HelpHook(command, data, callHelp);
    };
}

void DoneUseHTMLHelp() {
    if (Application) Application->OnHelp = nullptr;
    HelpObject.reset();
}
