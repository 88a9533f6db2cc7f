// LudexPlugCmdLine.exe: the command-line launch plug, a COM local server.
#include "PlugCmdLineApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int)
{
    return PlugCmdLine::iRun(pszCmdLine);
}
