#include "FdComActivate.h"

#include <string>

#include "FdBstr.h"

namespace FdCom
{
namespace
{
// Pauses between tries: short at first (an idle exit takes a few
// milliseconds), longer while a new server starts.
DWORD dwPauseMs(int iTry)
{
    static const DWORD kPauses[] = {20, 50, 100, 200, 400};
    const int n = static_cast<int>(sizeof(kPauses) / sizeof(kPauses[0]));
    return kPauses[iTry < n ? iTry : n - 1];
}

// True when the registry names a local server for the class.
bool boHasLocalServer(REFCLSID rclsid)
{
    const std::string strKey = "CLSID\\" + strGuidText(rclsid) + "\\LocalServer32";
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}
} // namespace

bool boServerGoingAway(HRESULT hr)
{
    switch (hr)
    {
    case CO_E_SERVER_STOPPING:
    case CO_E_OBJNOTCONNECTED:
    case RPC_E_DISCONNECTED:
    case RPC_E_SERVER_DIED:
    case RPC_E_SERVER_DIED_DNE:
    case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
    case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE):
        return true;
    default:
        return false;
    }
}

HRESULT hrCreateInstance(REFCLSID rclsid, DWORD dwClsContext, REFIID riid, void** ppv, DWORD dwRetryMs)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    const DWORD dwStart = GetTickCount();
    for (int iTry = 0;; ++iTry)
    {
        const HRESULT hr = CoCreateInstance(rclsid, nullptr, dwClsContext, riid, ppv);
        // Wine answers "class not registered" for a moment while the class
        // object of a server on its way out is revoked: a class whose local
        // server is registered is tried again then.
        const bool boRevoking =
            hr == REGDB_E_CLASSNOTREG && (dwClsContext & CLSCTX_LOCAL_SERVER) && boHasLocalServer(rclsid);
        if (SUCCEEDED(hr) || !(boServerGoingAway(hr) || boRevoking))
            return hr;
        *ppv = nullptr;
        if (GetTickCount() - dwStart >= dwRetryMs)
            return hr;
        Sleep(dwPauseMs(iTry));
    }
}
} // namespace FdCom
