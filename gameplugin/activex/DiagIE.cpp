#include "DiagIE.h"

#include "AxBind.h"
#include "AxModule.h"
#include "AxNavigate.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "InstanceDisplay.h"
#include "PlugInst.h"
#include "PlugLife.h"
#include "PlugTrace.h"
#include "WinErrorText.h"
#include "WinHandle.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <utility>

namespace
{
constexpr const char kszPushFile[] = "tmp.htm";
constexpr const char kszDefaultPushFrame[] = "_blank";
constexpr DWORD kMiscStatus = 131473;
// The live controls: a moniker callback reaches its control only while it is here.
std::mutex g_liveLock;
std::map<const CDiagIE*, uint64_t> g_live;
uint64_t g_ulNextSerial = 1;

void* lpHeapAlloc(uint32_t ulSize)
{
    return HeapAlloc(GetProcessHeap(), 0, ulSize);
}
void vHeapFree(void* lp)
{
    if (lp)
        HeapFree(GetProcessHeap(), 0, lp);
}
const CStreamBuffer::SAllocator kHeapAllocator = {lpHeapAlloc, vHeapFree};

HINSTANCE hModule()
{
    return FdCom::CModule::Get().hModule();
}

bool boRegisterWindowClass()
{
    return FdWin::CWindowBase::boRegisterClass(hModule(), CDiagIE::kszWindowClass,
                                               CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS,
                                               LoadCursor(nullptr, IDC_ARROW));
}
} // namespace

CDiagIE::CDiagIE() : m_params(CParamList::kszSeparator)
{
    m_uTabMessage = RegisterWindowMessageA(kszTabMessage);
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        m_ulSerial = g_ulNextSerial++;
        g_live[this] = m_ulSerial;
    }
    // The logger and the process-wide start: with the first control, never in DllMain.
    PlugLife::vStart();
    m_boStarted = true;
    m_dwThreadId = GetCurrentThreadId();
    m_lpInst.reset(new CPlugInst(this));
    m_lpDisplay.reset(new CInstanceDisplay(*m_lpInst));
}

CDiagIE::~CDiagIE()
{
    {
        std::lock_guard<std::mutex> lock(g_liveLock);
        g_live.erase(this);
    }
    if (m_lpInst)
        m_lpInst->vDestroyInstance();
    // Transfers still open end here: no news of theirs reaches the control after this.
    for (auto& transfer : m_transfers)
    {
        transfer.second.record->vAbandon(true);
        if (transfer.second.lpCallback)
        {
            transfer.second.lpCallback->vDetach();
            transfer.second.lpCallback->boAbort();
            transfer.second.lpCallback->vLetGo();
        }
    }
    m_transfers.clear();
    vReleaseSites();
    m_lpDisplay.reset();
    m_lpInst.reset();
    if (m_boStarted)
        PlugLife::vStop();
}

HRESULT CDiagIE::hrCreate(REFIID riid, void** ppv)
{
    return FdAx::hrCreateControl<CDiagIE>(riid, ppv);
}

bool CDiagIE::boIsLive(const CDiagIE* lpControl, uint64_t ulSerial)
{
    std::lock_guard<std::mutex> lock(g_liveLock);
    auto it = g_live.find(lpControl);
    return it != g_live.end() && it->second == ulSerial;
}

// ---- Stock properties

STDMETHODIMP CDiagIE::put_BackColor(OLE_COLOR clr)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            m_clrBack = clr;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::get_BackColor(OLE_COLOR* pclr)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pclr)
                return E_POINTER;
            *pclr = m_clrBack;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::put_BackStyle(LONG style)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            m_lBackStyle = style;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::get_BackStyle(LONG* pstyle)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pstyle)
                return E_POINTER;
            *pstyle = m_lBackStyle;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::put_FillColor(OLE_COLOR clr)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            m_clrFill = clr;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::get_FillColor(OLE_COLOR* pclr)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pclr)
                return E_POINTER;
            *pclr = m_clrFill;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::put_Text(BSTR strText)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            BSTR bstr = SysAllocStringLen(strText, SysStringLen(strText));
            if (strText && !bstr)
                return E_OUTOFMEMORY;
            *m_text.pbstrOut() = bstr;
            return S_OK;
        });
}
STDMETHODIMP CDiagIE::get_Text(BSTR* pstrText)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pstrText)
                return E_POINTER;
            *pstrText = SysAllocStringLen(m_text.bstr(), SysStringLen(m_text.bstr()));
            return S_OK;
        });
}

// ---- In place

DWORD CDiagIE::dwControlMiscStatus() const
{
    return kMiscStatus;
}

HWND CDiagIE::hwndCreateControlWindow(HWND hwndParent, const RECT& rc)
{
    if (!boRegisterWindowClass())
        return nullptr;
    HWND hwnd =
        m_window.hCreate(0, kszWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rc.left, rc.top,
                         rc.right - rc.left, rc.bottom - rc.top, hwndParent, nullptr, hModule());
    if (!hwnd)
        return nullptr;
    m_lpInst->vSetWindow(hwnd);
    if (HDC hdc = GetDC(hwnd))
    {
        m_lpDisplay->vPrepareDC(hdc);
        ReleaseDC(hwnd, hdc);
    }
    m_lpInst->vGiveHwndToApps();
    return hwnd;
}

void CDiagIE::vDestroyControlWindow()
{
    m_window.vDestroy();
    if (m_lpInst)
        m_lpInst->vSetWindow(nullptr);
}

STDMETHODIMP CDiagIE::TranslateAccelerator(LPMSG lpmsg)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            // Tab goes back to the container, marked with the registered message number.
            if (lpmsg && lpmsg->message == WM_KEYDOWN && lpmsg->wParam == VK_TAB && m_uTabMessage)
                lpmsg->wParam = m_uTabMessage;
            return S_FALSE;
        });
}

// ---- Property bag

STDMETHODIMP CDiagIE::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pPropBag)
                return E_POINTER;
            try
            {
                vLoadStockProperties(pPropBag, pErrorLog);
                m_params.vClear();
                FdAx::vReadStringProperties(pPropBag, pErrorLog, FdAx::EBagStrings::DeclaredAsString,
                                            [this](const std::string& name, BSTR value)
                                            {
                                                if (value)
                                                    m_params.vAdd(name.c_str(),
                                                                  FdCom::strFromBstr(value).c_str());
                                                else
                                                    m_params.vAdd(name.c_str(), nullptr);
                                            });
                vAfterLoad();
            }
            catch (...)
            {
                return E_FAIL;
            }
            return S_OK;
        });
}

void CDiagIE::vLoadStockProperties(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    // The stock properties under their own names; absent or unreadable ones keep their values.
    const std::pair<const wchar_t*, OLE_COLOR*> colours[] = {{L"BackColor", &m_clrBack},
                                                             {L"FillColor", &m_clrFill}};
    auto boRead = [&](const wchar_t* lpwszName, VARTYPE vt, VARIANT* pValue)
    {
        VariantInit(pValue);
        pValue->vt = vt;
        return SUCCEEDED(pPropBag->Read(lpwszName, pValue, pErrorLog)) &&
               SUCCEEDED(VariantChangeType(pValue, pValue, 0, vt));
    };
    VARIANT value;
    for (const auto& colour : colours)
    {
        if (boRead(colour.first, VT_I4, &value))
            *colour.second = static_cast<OLE_COLOR>(value.lVal);
        VariantClear(&value);
    }
    if (boRead(L"BackStyle", VT_I4, &value))
        m_lBackStyle = value.lVal;
    VariantClear(&value);
    if (boRead(L"Text", VT_BSTR, &value))
        put_Text(value.bstrVal);
    VariantClear(&value);
}

void CDiagIE::vAfterLoad()
{
    if (m_lpInst->boNewInstance(m_params) && m_hwnd)
        InvalidateRect(m_hwnd, nullptr, TRUE);
}

// ---- Window

LRESULT CDiagIE::CWindow::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CDiagIE& control = m_control;
    if (!control.m_lpInst || !control.m_lpDisplay)
        return lDefault(uMsg, wParam, lParam);
    switch (uMsg)
    {
    case WM_PAINT:
        control.m_lpInst->vSetWindow(hWnd());
        control.m_lpDisplay->vPaintWindow(hWnd());
        return 0;
    case WM_ERASEBKGND:
        control.m_lpInst->vSetWindow(hWnd());
        control.m_lpDisplay->vEraseWindow(hWnd(), reinterpret_cast<HDC>(wParam));
        return 1;
    default:
        return lDefault(uMsg, wParam, lParam);
    }
}

void CDiagIE::vRepaint(const RECT* lprc)
{
    m_lpDisplay->vRepaint(m_hwnd, lprc);
}

// ---- Requests to the browser

void CDiagIE::vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize)
{
    if (!lpszUrl)
        return;
    if (lpszFrame)
        vNavigateIE(lpszUrl, lpszFrame);
    else
        vRequest(lpszUrl, CStreamRecord::EKind::Memory, false, dwExpectedSize);
}

void CDiagIE::vNavigateIE(const char* lpszUrl, const char* lpszFrame)
{
    const HRESULT hr = FdAx::hrNavigateFrame(m_site.p(), static_cast<IOleObject*>(this),
                                             FdCom::wstrFromAnsi(lpszUrl), FdCom::wstrFromAnsi(lpszFrame));
    if (FAILED(hr))
        vPlugTrace(
            "!ERREUR! CPlugInst::vNavigateIE -> erreur à l'appel de HlinkSimpleNavigateToString. Erreur "
            "%.8X-%s",
            static_cast<unsigned>(hr), strErrorText(static_cast<uint32_t>(hr)).c_str());
}

bool CDiagIE::boPushHtml(const char* lpszHtml, const char* lpszFrame)
{
    // The HTML goes to a file of the temporary folder, never among the components.
    char szDir[MAX_PATH + 1] = {};
    const DWORD dwLen = GetTempPathA(MAX_PATH, szDir);
    if (dwLen == 0 || dwLen > MAX_PATH)
        return false;
    const std::string strPath = std::string(szDir) + kszPushFile;
    FdWin::CHandle file(CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.boValid())
        return false;
    const char* lpszText = lpszHtml ? lpszHtml : "";
    const DWORD dwSize = static_cast<DWORD>(std::strlen(lpszText));
    DWORD dwWritten = 0;
    const bool boWritten =
        WriteFile(file.get(), lpszText, dwSize, &dwWritten, nullptr) && dwWritten == dwSize;
    // The file must be whole and closed before the browser opens it.
    if (!file.boClose())
        return false;
    if (!boWritten)
        return false;
    vNavigateIE(strPath.c_str(), lpszFrame && *lpszFrame ? lpszFrame : kszDefaultPushFrame);
    return true;
}

void CDiagIE::vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize)
{
    if (lpszUrl)
        vRequest(lpszUrl, CStreamRecord::EKind::File, boNewNaming, dwExpectedSize);
}

void CDiagIE::vRequest(const char* lpszUrl, CStreamRecord::EKind eKind, bool boNewNaming, uint32_t dwExpected)
{
    auto record = std::make_unique<CStreamRecord>(eKind, boNewNaming, dwExpected, kHeapAllocator);
    if (!record->boBegin(*m_lpInst, lpszUrl))
        return;
    const uint64_t ulId = m_ulNextRecord++;
    m_transfers[ulId].record = std::move(record);
    // Relative addresses are the page's: resolved against the container's address.
    FdWin::TComRef<IMoniker> base;
    if (!m_site || FAILED(m_site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, base.ppOut())))
        base.vReset();
    COurBindStatusCallback* lpCallback = nullptr;
    const HRESULT hr = COurBindStatusCallback::Download(this, base.p(), FdCom::wstrFromAnsi(lpszUrl).c_str(),
                                                        true, ulId, &lpCallback);
    auto it = m_transfers.find(ulId);
    if (it == m_transfers.end())
    {
        // Ended already (a synchronous answer): let its callback go.
        if (lpCallback)
            lpCallback->vLetGo();
        return;
    }
    if (FAILED(hr))
    {
        vPlugTrace("!ERREUR! CPlugInst::lpNPN_GetURL -> erreur à l'appel de "
                   "COurBindStatusCallback<CDiagIE>::Download "
                   "! Erreur %.8X-%s",
                   static_cast<unsigned>(hr), strErrorText(static_cast<uint32_t>(hr)).c_str());
        vFinish(ulId, false, hr);
        return;
    }
    if (!it->second.lpCallback)
        it->second.lpCallback = lpCallback;
    else if (lpCallback)
        lpCallback->vLetGo();
    it->second.record->vSetStream(it->second.lpCallback);
}

void CDiagIE::OnData(COurBindStatusCallback* lpCallback, DWORD grfBSCF, const void* lpBytes,
                     DWORD dwSizeOrResult, uint64_t ulRecord)
{
    vPlugTrace("CDiagIE::OnData start (pbsc=%p, grfBSCF=%ld, pBytes=%p, dwSize=%ld, lpUserData=%llu)",
               static_cast<void*>(lpCallback), static_cast<long>(grfBSCF), lpBytes,
               static_cast<long>(dwSizeOrResult), static_cast<unsigned long long>(ulRecord));
    auto it = m_transfers.find(ulRecord);
    if (grfBSCF || lpBytes)
    {
        if (it == m_transfers.end())
            return; // ended already: nothing reaches it any more
        STransfer& transfer = it->second;
        if (!transfer.lpCallback && lpCallback)
        {
            lpCallback->vHold();
            transfer.lpCallback = lpCallback;
            transfer.record->vSetStream(lpCallback);
        }
        uint32_t dwError = 0;
        if (lpBytes && dwSizeOrResult && !transfer.record->boGetData(lpBytes, dwSizeOrResult, &dwError))
        {
            vAbortBinding(transfer);
            vFinish(ulRecord, false, HRESULT_FROM_WIN32(dwError));
            return;
        }
        if (grfBSCF & BSCF_LASTDATANOTIFICATION)
            vFinish(ulRecord, true, S_OK);
        return;
    }
    const HRESULT hr = static_cast<HRESULT>(dwSizeOrResult);
    if (hr == S_OK)
    {
        vPlugTrace("CDiagIE::OnData -> fin normale du download");
        // A binding that ended well without its last-data news still ends its record.
        if (it != m_transfers.end())
            vFinish(ulRecord, true, S_OK);
        return;
    }
    if (it == m_transfers.end())
        return;
    const CStreamRecord& record = *it->second.record;
    const long lReceived = lpCallback ? static_cast<long>(lpCallback->dwGetTotal()) : 0;
    const long lStatus = lpCallback ? static_cast<long>(lpCallback->dwGetHttpStatus()) : 0;
    const std::string strText = strErrorText(static_cast<uint32_t>(hr));
    if (record.eGetKind() == CStreamRecord::EKind::File)
        vPlugTrace(
            "!ERREUR! CDiagIE::OnData -> Erreur %.8X-%s au download de l'url %s vers le fichier %s. Nombre "
            "d'octets déjà reçus: %ld. Erreur pms:%ld-%s",
            static_cast<unsigned>(hr), strText.c_str(), record.strGetUrl().c_str(),
            record.strGetPath().c_str(), lReceived, lStatus, strText.c_str());
    else
        vPlugTrace("!ERREUR! CDiagIE::OnData -> Erreur %.8X-%s au download de l'url %s en mémoire. Nombre "
                   "d'octets déjà reçus: %ld. Erreur pms:%ld-%s",
                   static_cast<unsigned>(hr), strText.c_str(), record.strGetUrl().c_str(), lReceived, lStatus,
                   strText.c_str());
    vFinish(ulRecord, false, hr);
}

void CDiagIE::vFinish(uint64_t ulRecord, bool boOk, HRESULT hrError)
{
    auto it = m_transfers.find(ulRecord);
    if (it == m_transfers.end())
        return;
    // Out of the table before it ends: what the end runs cannot reach it again.
    STransfer transfer = std::move(it->second);
    m_transfers.erase(it);
    transfer.record->vSetStream(nullptr);
    transfer.record->vEnd(boOk, hrError);
    if (transfer.lpCallback)
        transfer.lpCallback->vLetGo();
}

void CDiagIE::vAbortBinding(STransfer& transfer)
{
    vPlugTrace("CPlugInst::vDownload_Abort -> annule le download");
    if (!transfer.lpCallback || !transfer.lpCallback->boAbort())
    {
        transfer.record->vSetCancelled();
        vPlugTrace(
            "!ERREUR! CPlugInst::vDownload_Abort -> impossible d'annuler le download car pbsc = NULL !");
    }
}

void CDiagIE::vAbortDownload(const char* lpszUrl, bool boDeleteFile)
{
    for (auto it = m_transfers.begin(); it != m_transfers.end(); ++it)
    {
        CStreamRecord& record = *it->second.record;
        if (record.eGetKind() != CStreamRecord::EKind::File || record.boEnded() || !lpszUrl ||
            record.strGetUrl() != lpszUrl)
            continue;
        record.vAbandon(boDeleteFile);
        vAbortBinding(it->second);
        vForget(it->first);
        return;
    }
}

void CDiagIE::vForget(uint64_t ulRecord)
{
    auto it = m_transfers.find(ulRecord);
    if (it == m_transfers.end())
        return;
    STransfer transfer = std::move(it->second);
    m_transfers.erase(it);
    if (transfer.lpCallback)
    {
        transfer.lpCallback->vDetach();
        transfer.lpCallback->vLetGo();
    }
}
