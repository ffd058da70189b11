// The program's start: splash window, application title, the windows in
// their order, the message loop.
#include <QApplication>
#include <cstdlib>

#include "designer/VarsonaStart.h"

#if __has_include("labels/LabelWindows.h")
#include "labels/LabelWindows.h"
#define VARSONA_LABEL_WINDOWS 1
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef VARSONA_LABEL_WINDOWS
    RegisterLabelWindows();
#endif
    return RunVarsona();
}
