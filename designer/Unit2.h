// The about box: the program picture and the build; created and freed around
// each showing.
#pragma once

#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

class TAboutBox : public TForm {
public:
    explicit TAboutBox(TComponent* owner);

    TImage* Image2 = nullptr;
    TLabel* Label4 = nullptr;
    TButton* CancelButton = nullptr;

    void CancelButtonClick(TObject* Sender);
};

extern TAboutBox* AboutBox;
