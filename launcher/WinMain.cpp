// Ludex.exe: the game launcher, a COM local server.
#include "LudexApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int)
{
    return Ludex::iRun(hInstance, pszCmdLine);
}
