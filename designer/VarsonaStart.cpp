#include "designer/VarsonaStart.h"

#include <cstdio>
#include <cstdlib>

#include "designer/DesignerConst.h"
#include "designer/Pictures.h"
#include "designer/Splash.h"
#include "designer/StartWindows.h"
#include "designer/Unit1.h"
#include "designer/Unit5.h"
#include "designer/UseHTMLHelp.h"
#include "gif/VsGif.h"
#include "platform/controls/Forms.h"

void StartVarsona() {
    InitUseHTMLHelp();
    InitVsGif();
    EnsureSettingsFolder();

    SplashScreen = TForm::Create<TSplashScreen>(Application);
    SplashScreen->Show();
    SplashScreen->Repaint();

    Application->Initialize();
    Application->SetTitle(DesignerConst::SAppTitle);
    TBitmap icon;
    DrawProgramIcon(icon);
    Application->SetIcon(icon);
    Application->CreateForm(Form1);
    CreateStartWindows();

    SplashScreen->Hide();
    delete SplashScreen;
    SplashScreen = nullptr;
}

void RunMessageLoop() {
    // For smoke tests: quit once the main window has been shown.
    if (const char* quit = std::getenv("VARSONA_QUIT_AFTER_SHOW"); quit && *quit) {
        Application->ProcessMessages();
        if (Form1 && Form1->Showing()) std::printf("varsona: main window shown\n");
        return;
    }
    Application->Run();
}

void StopVarsona() {
    DoneUseHTMLHelp();
    DoneVsGif();
    ForgetStartWindows();
    Application->DestroyComponents();
    Form1 = nullptr;
    frmCaptions = nullptr;
}

int RunVarsona() {
    StartVarsona();
    RunMessageLoop();
    StopVarsona();
    return EXIT_SUCCESS;
}
