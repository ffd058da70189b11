// The splash window shown during start-up: the program picture in a thin
// black frame. It has no handlers.
#pragma once

#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"

class TSplashScreen : public TForm {
public:
    explicit TSplashScreen(TComponent* owner);

    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
};

extern TSplashScreen* SplashScreen;
