#include "designer/StartWindows.h"

#include <utility>

#include "designer/Unit5.h"
#include "platform/controls/Forms.h"

namespace {
TLabelWindowCreators& Creators() {
    static TLabelWindowCreators creators;
    return creators;
}
TForm* LabelsForm = nullptr;
TForm* LabelsPropsForm = nullptr;
}  // namespace

void SetLabelWindowCreators(TLabelWindowCreators creators) { Creators() = std::move(creators); }

void CreateStartWindows() {
    TLabelWindowCreators& c = Creators();
    if (c.CreateLabels) LabelsForm = c.CreateLabels();
    if (c.CreateLabelsProps) LabelsPropsForm = c.CreateLabelsProps();
    Application->CreateForm(frmCaptions);
    if (c.CreateEdit) c.CreateEdit();
}

static std::function<bool()>& EndQuestion() {
    static std::function<bool()> question;
    return question;
}

void SetProgramEndQuestion(std::function<bool()> question) { EndQuestion() = std::move(question); }

bool StartWindowsLetProgramEnd() { return !EndQuestion() || EndQuestion()(); }

TForm* LabelsWindow() { return LabelsForm; }
TForm* LabelsPropsWindow() { return LabelsPropsForm; }

void ForgetStartWindows() {
    LabelsForm = nullptr;
    LabelsPropsForm = nullptr;
}
