// The program's entry point and its one application object.
#include "app/CommandLine.h"
#include "app/Vantrel.h"

CVantrelApp theApp;

// The command line is read wide (see ProgramArguments): the one handed in here is narrowed to
// the code page and can be cut short in the program's own path.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    theApp.m_arguments = ProgramArguments();
    return AfxWinMain(hInstance);
}
