// Entry point of ROVA_MTT.exe.
#include <windows.h>

#include "app/ROVAMTTApp.h"

namespace {
CROVAMTTApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return CWinApp::Run(instance); }
