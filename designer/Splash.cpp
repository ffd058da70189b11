#include "designer/Splash.h"

#include "designer/Pictures.h"

TSplashScreen* SplashScreen = nullptr;

TSplashScreen::TSplashScreen(TComponent* owner) : TForm(owner) {
    SetName("SplashScreen");
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    SetClientWidth(288);
    SetClientHeight(223);

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alClient);
    Panel1->SetBevelOuter(bvNone);
    Panel1->SetBorderWidth(1);
    Panel1->SetColor(clBlack);
    Panel1->SetCaption("");

    Image1 = new TImage(this);
    Image1->SetName("Image1");
    Image1->SetParent(Panel1);
    Image1->SetAlign(alClient);
    DrawProgramPicture(*Image1->Picture()->Bitmap());
}
