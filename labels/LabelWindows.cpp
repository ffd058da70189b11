#include "labels/LabelWindows.h"

#include "designer/StartWindows.h"
#include "labels/Unit3.h"
#include "labels/Unit4.h"
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
    SetLabelWindowCreators(std::move(creators));
}
