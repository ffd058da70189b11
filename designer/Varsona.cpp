// The program's start: splash window, application title, the windows in
// their order, the message loop.
#include <QApplication>
#include <cstdlib>

#include "designer/VarsonaStart.h"
#include "labels/LabelWindows.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterLabelWindows();
    return RunVarsona();
}
