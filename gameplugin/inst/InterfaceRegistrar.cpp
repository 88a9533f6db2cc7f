#include "InterfaceRegistrar.h"

#include "WinRegKey.h"

#include <cstring>

namespace
{
LONG lSetDefault(HKEY hRoot, const std::string& strSubkey, const char* lpszValue)
{
    FdWin::CRegKey key;
    LONG l = key.lCreate(hRoot, strSubkey.c_str(), KEY_SET_VALUE);
    if (l != ERROR_SUCCESS)
        return l;
    return RegSetValueExA(key.h(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(lpszValue),
                          static_cast<DWORD>(std::strlen(lpszValue) + 1));
}
} // namespace

void CInterfaceRegistrar::vAdd(const char* lpszIid, const char* lpszName)
{
    m_pairs.emplace_back(lpszIid, lpszName);
}

LONG CInterfaceRegistrar::lRegister() const
{
    for (const auto& pair : m_pairs)
    {
        const std::string strKey = "Interface\\" + pair.first;
        LONG l = lSetDefault(HKEY_CLASSES_ROOT, strKey, pair.second.c_str());
        if (l == ERROR_SUCCESS)
            l = lSetDefault(HKEY_CLASSES_ROOT, strKey + "\\ProxyStubClsid", kszAutomationMarshaller);
        if (l == ERROR_SUCCESS)
            l = lSetDefault(HKEY_CLASSES_ROOT, strKey + "\\ProxyStubClsid32", kszAutomationMarshaller);
        if (l == ERROR_SUCCESS)
            l = lSetDefault(HKEY_CLASSES_ROOT, strKey + "\\TypeLib", kszPlugInTypeLib);
        if (l == ERROR_SUCCESS)
        {
            FdWin::CRegKey key;
            l = key.lOpen(HKEY_CLASSES_ROOT, (strKey + "\\TypeLib").c_str(), KEY_SET_VALUE);
            if (l == ERROR_SUCCESS)
                l = RegSetValueExA(key.h(), "Version", 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(kszTypeLibVersion),
                                   static_cast<DWORD>(std::strlen(kszTypeLibVersion) + 1));
        }
        if (l != ERROR_SUCCESS)
            return l;
    }
    return ERROR_SUCCESS;
}

CInterfaceRegistrar CInterfaceRegistrar::plugInInterfaces()
{
    CInterfaceRegistrar r;
    r.vAdd("{74E53A83-0EDA-11d4-84F9-00500448008D}", "IDiagCmpt2OBPP");
    r.vAdd("{74E53A84-0EDA-11d4-84F9-00500448008D}", "IDiagOBPP2Cmpt");
    r.vAdd("{C6DE9AF4-A27D-11D3-84A8-00500448008D}", "IGameControl");
    r.vAdd("{1BBA3084-B206-11D3-84B0-00500448008D}", "IGameInterface");
    r.vAdd("{02964217-B2CF-11D3-84B0-00500448008D}", "IGameSession");
    r.vAdd("{676C295F-922E-11D3-B475-0000E86886F6}", "IProperty");
    r.vAdd("{4F8411C6-B916-11D3-84B1-00500448008D}", "IPropertySet");
    r.vAdd("{676C2962-922E-11D3-B475-0000E86886F6}", "IUnit");
    r.vAdd("{676C2964-922E-11D3-B475-0000E86886F6}", "ICell");
    r.vAdd("{676C2968-922E-11D3-B475-0000E86886F6}", "IGrid");
    r.vAdd("{676C2970-922E-11D3-B475-0000E86886F6}", "IRules");
    r.vAdd("{676C296A-922E-11D3-B475-0000E86886F6}", "IActor");
    r.vAdd("{676C296C-922E-11D3-B475-0000E86886F6}", "IPlayer");
    r.vAdd("{F287BBB3-B2CE-11D3-84B0-00500448008D}", "IGroup");
    r.vAdd("{676C296E-922E-11D3-B475-0000E86886F6}", "IAction");
    r.vAdd("{2F5B1A80-92D7-11D3-B46C-A19206B4E52B}", "ISession");
    r.vAdd("{AEA7EEE4-9EBA-11D3-B483-0000E86886F6}", "IGameMessages");
    return r;
}
