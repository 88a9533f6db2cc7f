// FakeCmpt.exe: the fake component as a local server.
#include "FakeCmpt.h"

namespace
{
const DWORD kIdleExitMs = 300;
const FdCom::SClassEntry g_classes[] = {{&CLSID_FakeCmpt, hrCreateFakeCmptExe, "FakeCmpt Class",
                                         "FdTestbed.FakeCmpt.1", "FdTestbed.FakeCmpt", nullptr,
                                         REGCLS_MULTIPLEUSE, nullptr}};
// {5235C234-E275-400A-B028-5CE07E73A990}
const GUID APPID_FakeCmpt = {0x5235c234, 0xe275, 0x400a, {0xb0, 0x28, 0x5c, 0xe0, 0x7e, 0x73, 0xa9, 0x90}};
const FdCom::SServerInfo g_info = {g_classes, 1, &APPID_FakeCmpt, "FakeCmpt", true};
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int)
{
    return FdCom::iLocalServerMain(g_info, pszCmdLine, kIdleExitMs);
}
