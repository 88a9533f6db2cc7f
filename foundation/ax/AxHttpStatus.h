// The HTTP status of a URL-moniker transfer. Wine's monikers report success
// for a 404 and hand over the error page, so a transfer's bind callback reads
// the status through IHttpNegotiate and treats 400 and above as a failure.
#pragma once

#include "FdComObject.h"

#include <urlmon.h>

namespace FdAx
{
constexpr DWORD kFirstFailedHttpStatus = 400;
inline bool boHttpStatusFailed(DWORD dwStatus)
{
    return dwStatus >= kFirstFailedHttpStatus;
}

// IHttpNegotiate for a bind callback: keeps the response's status. The class
// that derives from it lists IHttpNegotiate in its interface map.
class CHttpStatusWatch : public IHttpNegotiate
{
public:
    DWORD dwGetHttpStatus() const { return m_dwHttpStatus; }
    bool boHttpFailed() const { return boHttpStatusFailed(m_dwHttpStatus); }

    STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* pszAdditionalHeaders) override;
    STDMETHODIMP OnResponse(DWORD dwResponseCode, LPCWSTR, LPCWSTR,
                            LPWSTR* pszAdditionalRequestHeaders) override;

private:
    volatile DWORD m_dwHttpStatus = 0;
};

// URLDownloadToCacheFileA with a callback that reads the HTTP status: the
// cache file's path in lpszPath (cchPath bytes, cleared first) and the
// status in *lpdwHttpStatus (0 when none came). A status of 400 or more is
// the caller's to judge: the call's own result stays as the system gave it.
HRESULT hrDownloadToCacheFile(const char* lpszUrl, char* lpszPath, DWORD cchPath, DWORD* lpdwHttpStatus);
} // namespace FdAx
