#pragma once
// The bind-status callback of the control's URL-moniker transfers: it reads the
// data as it arrives and hands it to CDiagIE::OnData while the control lives.
// The HTTP status is read through IHttpNegotiate: a 4xx or 5xx answer is a
// failed transfer (its body is never handed on), whatever the binding reports.
#include "AxHttpStatus.h"
#include "FdComObject.h"

#include <urlmon.h>

#include <cstdint>

class CDiagIE;

class COurBindStatusCallback : public FdCom::CObjectRoot,
                               public IBindStatusCallback,
                               public FdAx::CHttpStatusWatch
{
public:
    static constexpr DWORD kBindFlags =
        BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION; // 0x33

    FD_COM_BEGIN_MAP(COurBindStatusCallback, IBindStatusCallback)
    FD_COM_ENTRY(IBindStatusCallback)
    FD_COM_ENTRY(IHttpNegotiate)
    FD_COM_END_MAP()

    COurBindStatusCallback(CDiagIE* lpControl, uint64_t ulRecord);
    ~COurBindStatusCallback() override;

    // Binds the address (relative to lpBase when given) for a stream,
    // asynchronously with boAsync; the new callback (AddRef'ed for the
    // caller) in *lppCallback on success.
    static HRESULT Download(CDiagIE* lpControl, IMoniker* lpBase, const wchar_t* lpwszUrl, bool boAsync,
                            uint64_t ulRecord, COurBindStatusCallback** lppCallback);
    // Reference counting through the callback's primary interface.
    void vHold() { static_cast<IBindStatusCallback*>(this)->AddRef(); }
    void vLetGo() { static_cast<IBindStatusCallback*>(this)->Release(); }
    // Stops the binding; false when there is none to stop.
    bool boAbort();
    // The control is going: no call reaches it any more.
    void vDetach() { m_lpControl = nullptr; }
    DWORD dwGetTotal() const { return m_dwTotal; }

    // ---- IBindStatusCallback
    STDMETHODIMP OnStartBinding(DWORD, IBinding* pib) override;
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnLowResource(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    STDMETHODIMP OnStopBinding(HRESULT hresult, LPCWSTR) override;
    STDMETHODIMP GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) override;
    STDMETHODIMP OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC*, STGMEDIUM* pstgmed) override;
    STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

private:
    void vDeliver(DWORD grfBSCF, const void* lpBytes, DWORD dwSizeOrResult);

    CDiagIE* m_lpControl;
    uint64_t m_ulControlSerial;
    uint64_t m_ulRecord;
    IBinding* m_lpBinding = nullptr;
    IMoniker* m_lpMoniker = nullptr;
    IBindCtx* m_lpBindCtx = nullptr;
    IStream* m_lpStream = nullptr;
    DWORD m_dwTotal = 0;
    bool m_boStopped = false;
};
