#include "AxBind.h"

#include "DiagIE.h"
#include "FdComBoundary.h"

#include <vector>

namespace
{
template <class T> void vRelease(T*& lp)
{
    if (lp)
        lp->Release();
    lp = nullptr;
}
} // namespace

COurBindStatusCallback::COurBindStatusCallback(CDiagIE* lpControl, uint64_t ulRecord)
    : m_lpControl(lpControl), m_ulControlSerial(lpControl ? lpControl->ulGetSerial() : 0),
      m_ulRecord(ulRecord)
{
}

COurBindStatusCallback::~COurBindStatusCallback()
{
    vRelease(m_lpBinding);
    vRelease(m_lpStream);
    vRelease(m_lpMoniker);
    vRelease(m_lpBindCtx);
}

HRESULT COurBindStatusCallback::Download(CDiagIE* lpControl, IMoniker* lpBase, const wchar_t* lpwszUrl,
                                         bool boAsync, uint64_t ulRecord,
                                         COurBindStatusCallback** lppCallback)
{
    *lppCallback = nullptr;
    COurBindStatusCallback* lpCallback = nullptr;
    HRESULT hr = FdCom::TComObject<COurBindStatusCallback>::hrCreateObject(&lpCallback, lpControl, ulRecord);
    if (FAILED(hr))
        return hr;
    (void)boAsync; // the bind flags always ask for an asynchronous binding
    hr = CreateBindCtx(0, &lpCallback->m_lpBindCtx);
    if (SUCCEEDED(hr))
        hr = CreateURLMonikerEx(lpBase, lpwszUrl, &lpCallback->m_lpMoniker, URL_MK_UNIFORM);
    IBindStatusCallback* lpPrevious = nullptr;
    if (SUCCEEDED(hr))
        hr = RegisterBindStatusCallback(lpCallback->m_lpBindCtx, lpCallback, &lpPrevious, 0);
    vRelease(lpPrevious);
    IStream* lpStream = nullptr;
    if (SUCCEEDED(hr))
    {
        // The caller holds the callback before any of its news can arrive.
        lpCallback->vHold();
        *lppCallback = lpCallback;
        hr = lpCallback->m_lpMoniker->BindToStorage(lpCallback->m_lpBindCtx, nullptr, IID_IStream,
                                                    reinterpret_cast<void**>(&lpStream));
        vRelease(lpStream);
        if (FAILED(hr))
        {
            (*lppCallback)->vLetGo();
            *lppCallback = nullptr;
        }
    }
    lpCallback->vLetGo();
    return FAILED(hr) ? hr : S_OK;
}

bool COurBindStatusCallback::boAbort()
{
    if (!m_lpBinding || m_boStopped)
        return false;
    m_lpBinding->Abort();
    return true;
}

void COurBindStatusCallback::vDeliver(DWORD grfBSCF, const void* lpBytes, DWORD dwSizeOrResult)
{
    if (m_lpControl && CDiagIE::boIsLive(m_lpControl, m_ulControlSerial))
        m_lpControl->OnData(this, grfBSCF, lpBytes, dwSizeOrResult, m_ulRecord);
}

STDMETHODIMP COurBindStatusCallback::OnStartBinding(DWORD, IBinding* pib)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            vRelease(m_lpBinding);
            m_lpBinding = pib;
            if (m_lpBinding)
                m_lpBinding->AddRef();
            return S_OK;
        });
}

STDMETHODIMP COurBindStatusCallback::GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!grfBINDF || !pbindinfo)
                return E_INVALIDARG;
            *grfBINDF = kBindFlags;
            const ULONG cbSize = pbindinfo->cbSize;
            ZeroMemory(pbindinfo, cbSize < sizeof *pbindinfo ? cbSize : sizeof *pbindinfo);
            pbindinfo->cbSize = cbSize;
            pbindinfo->dwBindVerb = BINDVERB_GET;
            return S_OK;
        });
}

STDMETHODIMP COurBindStatusCallback::OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC*,
                                                     STGMEDIUM* pstgmed)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (boHttpFailed())
                return S_OK; // an error page is no data: the end of the binding reports the failure
            if (pstgmed && pstgmed->tymed == TYMED_ISTREAM && pstgmed->pstm && !m_lpStream)
            {
                m_lpStream = pstgmed->pstm;
                m_lpStream->AddRef();
            }
            std::vector<char> bytes;
            if (m_lpStream && dwSize > m_dwTotal)
            {
                bytes.resize(dwSize - m_dwTotal);
                DWORD dwHeld = 0;
                while (dwHeld < bytes.size())
                {
                    ULONG ulRead = 0;
                    const HRESULT hr = m_lpStream->Read(bytes.data() + dwHeld,
                                                        static_cast<ULONG>(bytes.size() - dwHeld), &ulRead);
                    dwHeld += ulRead;
                    if (FAILED(hr) || hr == S_FALSE || ulRead == 0)
                        break;
                }
                bytes.resize(dwHeld);
                m_dwTotal += dwHeld;
            }
            if (grfBSCF || !bytes.empty())
                vDeliver(grfBSCF, bytes.empty() ? nullptr : bytes.data(), static_cast<DWORD>(bytes.size()));
            return S_OK;
        });
}

STDMETHODIMP COurBindStatusCallback::OnStopBinding(HRESULT hresult, LPCWSTR)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            m_boStopped = true;
            HRESULT hr = hresult;
            if (SUCCEEDED(hr) && boHttpFailed())
                hr = INET_E_DOWNLOAD_FAILURE;
            vDeliver(0, nullptr, static_cast<DWORD>(hr));
            vRelease(m_lpBinding);
            vRelease(m_lpStream);
            return S_OK;
        });
}
