// Entry point of Quelvar.exe: the application object runs the program.
#include <windows.h>

#include "app/qx_scanf_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return quelvar::theApp.Run(); }
