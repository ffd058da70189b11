#include "labels/LabelWindows.h"

#include "designer/StartWindows.h"
#include "labels/Unit3.h"
#include "labels/Unit4.h"
#include "labels/Unit6.h"
#include "platform/controls/Forms.h"

void RegisterLabelWindows() {
    TLabelWindowCreators creators;
    creators.CreateLabels = []() -> TForm* {
        Application->CreateForm(frmLabels);
        return frmLabels;
    };
    creators.CreateLabelsProps = []() -> TForm* {
        Application->CreateForm(frmLabelsProps);
        return frmLabelsProps;
    };
    creators.CreateEdit = []() -> TForm* {
        Application->CreateForm(frmEdit);
        return frmEdit;
    };
    SetLabelWindowCreators(std::move(creators));
    SetProgramEndQuestion([] { return !frmLabels || frmLabels->CanEndProgram(); });
}
