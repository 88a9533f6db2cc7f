// SampleCmptDll.dll: the sample component as an in-process server.
#include "SampleCmpt.h"

namespace
{
const FdCom::SClassEntry g_classes[] = {{&CLSID_SampleCmptDll, hrCreateSampleCmpt, "SampleCmptDll Class",
                                         "FdTestbed.SampleCmptDll.1", "FdTestbed.SampleCmptDll", "Apartment",
                                         0, nullptr}};
const FdCom::SServerInfo g_info = {g_classes, 1, nullptr, nullptr, true};
} // namespace

FD_COM_DLL_EXPORTS(g_info)
