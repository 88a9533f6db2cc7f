// npverbolt's exports: the three plug-in entry points and the COM entry
// points of the ActiveX control.
#include "AxVerbolt.h"
#include "FdComModule.h"
#include "ChatBrowser.h"

#include <windows.h>

namespace
{
// Below HKCR\CLSID\{clsid}, beside InprocServer32, the ProgIDs and the description.
const FdCom::SRegValue kaExtra[] = {
    {"Programmable", nullptr, ""},
    {"Control", nullptr, ""},
    {"ToolboxBitmap32", nullptr, "%MODULE%, 102"},
    {"MiscStatus", nullptr, "0"},
    {"MiscStatus\\1", nullptr, "131473"},
    {"TypeLib", nullptr, "{AF0D5EC9-B3EB-446C-9684-DFC90AECECF9}"},
    {"Version", nullptr, "1.0"},
    {nullptr, nullptr, nullptr},
};

const FdCom::SClassEntry kaClasses[] = {
    {&CLSID_AxVerbolt, &ChatPlugin::CAxVerbolt::hrCreate, "AxVerbolt Class", "Chattabel.AxVerbolt.1",
     "Chattabel.AxVerbolt", "Apartment", 0, kaExtra},
};

const FdCom::SServerInfo kInfo = {kaClasses, 1, nullptr, nullptr, true};
} // namespace

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(hInstance);
    return TRUE;
}

extern "C" NPError NP_EXPORTCALL NP_GetEntryPoints(NPPluginFuncs* funcs)
{
    return ChatPlugin::NpGetEntryPoints(funcs);
}

extern "C" NPError NP_EXPORTCALL NP_Initialize(NPNetscapeFuncs* funcs)
{
    return ChatPlugin::NpInitialize(funcs);
}

extern "C" NPError NP_EXPORTCALL NP_Shutdown()
{
    return ChatPlugin::NpShutdown();
}

FD_COM_DLL_EXPORTS(kInfo)
