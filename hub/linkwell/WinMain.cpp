// Linkwell.exe: the communication hub.
#include <windows.h>

#include "LinkwellApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpszCommandLine, int)
{
    // Lives until the process ends: the core's threads are gone by then.
    static Linkwell::CLinkwellApp s_app;
    return s_app.iRun(hInstance, lpszCommandLine);
}
