// SampleCmpt.exe: the sample component as a local server.
#include "SampleCmpt.h"

namespace
{
// The server leaves this long after its last object is released.
const DWORD kIdleExitMs = 300;

const FdCom::SClassEntry g_classes[] = {{&CLSID_SampleCmpt, hrCreateSampleCmpt, "SampleCmpt Class",
                                         "FdTestbed.SampleCmpt.1", "FdTestbed.SampleCmpt", nullptr,
                                         REGCLS_MULTIPLEUSE, nullptr}};
// {D1063F42-A0E6-4A01-AC85-C3FE52FC635A}
const GUID APPID_SampleCmpt = {0xd1063f42, 0xa0e6, 0x4a01, {0xac, 0x85, 0xc3, 0xfe, 0x52, 0xfc, 0x63, 0x5a}};
const FdCom::SServerInfo g_info = {g_classes, 1, &APPID_SampleCmpt, "SampleCmpt", true};
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int)
{
    return FdCom::iLocalServerMain(g_info, pszCmdLine, kIdleExitMs);
}
