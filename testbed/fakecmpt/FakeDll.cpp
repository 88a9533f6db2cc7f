// FakeCmptDll.dll: the fake component as an in-process server.
#include "FakeCmpt.h"

namespace
{
const FdCom::SClassEntry g_classes[] = {{&CLSID_FakeCmptDll, hrCreateFakeCmptDll, "FakeCmptDll Class",
                                         "FdTestbed.FakeCmptDll.1", "FdTestbed.FakeCmptDll", "Apartment", 0,
                                         nullptr}};
const FdCom::SServerInfo g_info = {g_classes, 1, nullptr, nullptr, true};
} // namespace

FD_COM_DLL_EXPORTS(g_info)
