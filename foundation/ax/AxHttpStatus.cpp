#include "AxHttpStatus.h"

#include <cstring>

namespace FdAx
{
STDMETHODIMP CHttpStatusWatch::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* pszAdditionalHeaders)
{
    if (pszAdditionalHeaders)
        *pszAdditionalHeaders = nullptr;
    return S_OK;
}

STDMETHODIMP CHttpStatusWatch::OnResponse(DWORD dwResponseCode, LPCWSTR, LPCWSTR,
                                          LPWSTR* pszAdditionalRequestHeaders)
{
    if (pszAdditionalRequestHeaders)
        *pszAdditionalRequestHeaders = nullptr;
    m_dwHttpStatus = dwResponseCode;
    return S_OK;
}

namespace
{
// The callback of a synchronous cache download: it only listens for the status.
class CStatusCallback : public FdCom::CObjectRoot, public IBindStatusCallback, public CHttpStatusWatch
{
public:
    FD_COM_BEGIN_MAP(CStatusCallback, IBindStatusCallback)
    FD_COM_ENTRY(IBindStatusCallback)
    FD_COM_ENTRY(IHttpNegotiate)
    FD_COM_END_MAP()

    STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};
} // namespace

HRESULT hrDownloadToCacheFile(const char* lpszUrl, char* lpszPath, DWORD cchPath, DWORD* lpdwHttpStatus)
{
    if (lpdwHttpStatus)
        *lpdwHttpStatus = 0;
    if (lpszPath && cchPath)
        std::memset(lpszPath, 0, cchPath);
    if (!lpszUrl || !lpszPath || !cchPath)
        return E_INVALIDARG;
    CStatusCallback* lpCallback = nullptr;
    HRESULT hr = FdCom::TComObject<CStatusCallback>::hrCreateObject(&lpCallback);
    if (FAILED(hr))
        return hr;
    IBindStatusCallback* lpBsc = lpCallback; // the one reference hrCreateObject gave
    hr = URLDownloadToCacheFileA(nullptr, lpszUrl, lpszPath, cchPath, 0, lpBsc);
    lpszPath[cchPath - 1] = '\0';
    if (lpdwHttpStatus)
        *lpdwHttpStatus = lpCallback->dwGetHttpStatus();
    lpBsc->Release();
    return hr;
}
} // namespace FdAx
