#include "NpHost.h"

#include "NpBrowser.h"
#include "NpFrameName.h"
#include "PlugTrace.h"

#include <cstring>

namespace
{
constexpr const char kszHtmlType[] = "text/html";
constexpr const char kszDefaultPushFrame[] = "_blank";

void* lpIdToData(uint64_t ulId)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(ulId));
}

uint64_t ulDataToId(void* lp)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(lp));
}
} // namespace

CNpHost::CNpHost(NPP npp, uint16_t uMode) : m_npp(npp), m_uMode(uMode), m_inst(this), m_display(m_inst) {}

CNpHost::~CNpHost()
{
    vRestoreWindow();
    // Transfers still open end here: the browser will not call back for them.
    for (auto& record : m_records)
        record.second->vAbandon(true);
}

// ---- Window

NPError CNpHost::SetWindow(NPWindow* lpWindow)
{
    HWND hwnd = lpWindow ? static_cast<HWND>(lpWindow->window) : nullptr;
    if (hwnd && hwnd == m_hwnd)
    {
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
    }
    else
    {
        vRestoreWindow();
        if (hwnd)
            vSubclass(hwnd);
    }
    m_lpWindow = lpWindow;
    m_inst.vGiveHwndToApps();
    return NPERR_NO_ERROR;
}

void CNpHost::vSubclass(HWND hwnd)
{
    // Refused only for a window that has an object already: it paints as it did.
    m_window.boSubclass(hwnd);
    m_hwnd = hwnd;
    m_inst.vSetWindow(hwnd);
    SetPropA(hwnd, kszWindowProp, this);
    if (HDC hdc = GetDC(hwnd))
    {
        m_display.vPrepareDC(hdc);
        ReleaseDC(hwnd, hdc);
    }
}

void CNpHost::vRestoreWindow()
{
    if (!m_hwnd)
        return;
    // A window the browser destroyed already let go of the object itself.
    m_window.vUnsubclass();
    if (IsWindow(m_hwnd))
        RemovePropA(m_hwnd, kszWindowProp);
    m_hwnd = nullptr;
    m_inst.vSetWindow(nullptr);
}

LRESULT CNpHost::lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_PAINT:
        m_display.vPaintWindow(m_window.hWnd());
        return 0;
    case WM_ERASEBKGND:
        // Erased here: the browser's procedure would paint its class brush
        // over the background colour.
        m_display.vEraseWindow(m_window.hWnd(), reinterpret_cast<HDC>(wParam));
        return 1;
    default:
        return m_window.lCallDefault(uMsg, wParam, lParam);
    }
}

void CNpHost::vRepaint(const RECT* lprc)
{
    m_display.vRepaint(m_hwnd, lprc);
}

// ---- Requests to the browser

void CNpHost::vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize)
{
    if (!lpszUrl)
        return;
    if (lpszFrame)
    {
        NpBrowser::GetURL(m_npp, lpszUrl, NpFrameName::strReduce(lpszFrame).c_str());
        return;
    }
    vRequest(lpszUrl, CStreamRecord::EKind::Memory, false, dwExpectedSize);
}

void CNpHost::vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize)
{
    if (lpszUrl)
        vRequest(lpszUrl, CStreamRecord::EKind::File, boNewNaming, dwExpectedSize);
}

void CNpHost::vRequest(const char* lpszUrl, CStreamRecord::EKind eKind, bool boNewNaming, uint32_t dwExpected)
{
    auto record = std::make_unique<CStreamRecord>(eKind, boNewNaming, dwExpected, NpBrowser::allocator());
    if (!record->boBegin(m_inst, lpszUrl))
        return;
    const uint64_t ulId = m_ulNextId++;
    CStreamRecord* lpRecord = record.get();
    m_records[ulId] = std::move(record);
    const NPError err = NpBrowser::GetURLNotify(m_npp, lpszUrl, nullptr, lpIdToData(ulId));
    if (err != NPERR_NO_ERROR && m_records.count(ulId) && !lpRecord->lpGetStream())
    {
        lpRecord->vEnd(false, CStreamRecord::kHrNetworkFailure);
        vForget(ulId);
    }
}

bool CNpHost::boPushHtml(const char* lpszHtml, const char* lpszFrame)
{
    NPStream* lpStream = nullptr;
    const char* lpszTarget = lpszFrame && *lpszFrame ? lpszFrame : kszDefaultPushFrame;
    if (NpBrowser::NewStream(m_npp, kszHtmlType, lpszTarget, &lpStream) != NPERR_NO_ERROR || !lpStream)
        return false;
    const char* lpszText = lpszHtml ? lpszHtml : "";
    NpBrowser::Write(m_npp, lpStream, static_cast<int32_t>(std::strlen(lpszText) + 1),
                     const_cast<char*>(lpszText));
    NpBrowser::DestroyStream(m_npp, lpStream, NPRES_DONE);
    return true;
}

void CNpHost::vAbortDownload(const char* lpszUrl, bool boDeleteFile)
{
    for (auto it = m_records.begin(); it != m_records.end(); ++it)
    {
        CStreamRecord& record = *it->second;
        if (record.eGetKind() != CStreamRecord::EKind::File || record.boEnded() ||
            record.strGetUrl() != lpszUrl)
            continue;
        const uint64_t ulId = it->first;
        record.vAbandon(boDeleteFile);
        if (NPStream* lpStream = static_cast<NPStream*>(record.lpGetStream()))
            NpBrowser::DestroyStream(m_npp, lpStream, NPRES_USER_BREAK); // calls DestroyStream back
        else
            vPlugTrace(
                "!ERREUR! CPlugInst::vDownload_Abort -> impossible d'annuler le download car pNPStream = "
                "NULL !");
        vForget(ulId);
        return;
    }
}

uint64_t CNpHost::ulFindPending(const char* lpszUrl) const
{
    // Without notification the browser's stream is matched by its address.
    for (const auto& record : m_records)
        if (!record.second->lpGetStream() && lpszUrl && record.second->strGetUrl() == lpszUrl)
            return record.first;
    return 0;
}

void CNpHost::vForget(uint64_t ulId)
{
    m_records.erase(ulId);
}

// ---- Streams from the browser

NPError CNpHost::NewStream(NPStream* lpStream)
{
    uint64_t ulId = 0;
    if (NpBrowser::boHasNotification() && lpStream->notifyData)
    {
        ulId = ulDataToId(lpStream->notifyData);
        if (!m_records.count(ulId))
            return NPERR_GENERIC_ERROR; // given up before it started
    }
    else
        ulId = ulFindPending(lpStream->url);
    if (!ulId)
    {
        // A stream nobody asked for (the EMBED's own source): read as an action.
        auto record =
            std::make_unique<CStreamRecord>(CStreamRecord::EKind::Memory, false, 0, NpBrowser::allocator());
        if (!record->boBegin(m_inst, lpStream->url))
            return NPERR_OUT_OF_MEMORY_ERROR;
        ulId = m_ulNextId++;
        m_records[ulId] = std::move(record);
    }
    m_records[ulId]->vSetStream(lpStream);
    lpStream->pdata = lpIdToData(ulId);
    return NPERR_NO_ERROR;
}

int32_t CNpHost::Write(NPStream* lpStream, int32_t lLength, const void* lpBytes)
{
    auto it = m_records.find(ulDataToId(lpStream->pdata));
    if (it == m_records.end() || lLength < 0)
        return lLength;
    uint32_t dwError = 0;
    if (!it->second->boGetData(lpBytes, static_cast<uint32_t>(lLength), &dwError))
        NpBrowser::DestroyStream(m_npp, lpStream, NPRES_NETWORK_ERR);
    return lLength;
}

NPError CNpHost::DestroyStream(NPStream* lpStream, NPReason reason)
{
    const uint64_t ulId = ulDataToId(lpStream->pdata);
    lpStream->pdata = nullptr;
    auto it = m_records.find(ulId);
    if (it == m_records.end())
        return NPERR_NO_ERROR;
    std::unique_ptr<CStreamRecord> record = std::move(it->second);
    m_records.erase(it);
    record->vSetStream(nullptr);
    const HRESULT hr = reason == NPRES_DONE         ? S_OK
                       : reason == NPRES_USER_BREAK ? CStreamRecord::kHrUserBreak
                                                    : CStreamRecord::kHrNetworkFailure;
    record->vEnd(reason == NPRES_DONE, hr);
    return NPERR_NO_ERROR;
}

void CNpHost::URLNotify(void* lpNotifyData, NPReason reason)
{
    // A request that never got a stream (refused, HTTP error) ends here.
    auto it = m_records.find(ulDataToId(lpNotifyData));
    if (it == m_records.end() || it->second->lpGetStream())
        return;
    std::unique_ptr<CStreamRecord> record = std::move(it->second);
    m_records.erase(it);
    record->vEnd(false,
                 reason == NPRES_USER_BREAK ? CStreamRecord::kHrUserBreak : CStreamRecord::kHrNetworkFailure);
}
