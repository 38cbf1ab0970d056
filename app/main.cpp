// The program's entry point and its one application object.
#include "app/Vantrel.h"

CVantrelApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    return AfxWinMain(hInstance, lpCmdLine);
}
