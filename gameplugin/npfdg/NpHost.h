#pragma once
// One game plug-in in a browser that speaks NPAPI: the instance, its display,
// its window (subclassed while the browser gives one) and its transfers.
// Implements the instance's requests to the browser.
#include "BrowserLink.h"
#include "InstanceDisplay.h"
#include "NpApi.h"
#include "PlugInst.h"
#include "StreamRecord.h"
#include "WindowBase.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

class CNpHost : public IBrowserLink
{
public:
    static constexpr const char* kszWindowProp = "instance->pdata";

    CNpHost(NPP npp, uint16_t uMode);
    ~CNpHost() override;
    CNpHost(const CNpHost&) = delete;
    CNpHost& operator=(const CNpHost&) = delete;

    CPlugInst& inst() { return m_inst; }

    // ---- The browser's calls
    NPError SetWindow(NPWindow* lpWindow);
    NPError NewStream(NPStream* lpStream);
    int32_t Write(NPStream* lpStream, int32_t lLength, const void* lpBytes);
    NPError DestroyStream(NPStream* lpStream, NPReason reason);
    void URLNotify(void* lpNotifyData, NPReason reason);

    // ---- IBrowserLink
    void vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize) override;
    bool boPushHtml(const char* lpszHtml, const char* lpszFrame) override;
    void vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize) override;
    void vAbortDownload(const char* lpszUrl, bool boDeleteFile) override;
    void vRepaint(const RECT* lprc) override;

private:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void vSubclass(HWND hwnd);
    void vRestoreWindow();
    // Starts a transfer without target frame; its stream comes back through the
    // notify data (an identifier, never a pointer the browser could outlive).
    void vRequest(const char* lpszUrl, CStreamRecord::EKind eKind, bool boNewNaming, uint32_t dwExpected);
    void vForget(uint64_t ulId);
    uint64_t ulFindPending(const char* lpszUrl) const;

    NPP m_npp;
    uint16_t m_uMode;
    CPlugInst m_inst;
    CInstanceDisplay m_display;
    NPWindow* m_lpWindow = nullptr;
    HWND m_hwnd = nullptr;
    FdWin::TMemberWindow<CNpHost> m_window{*this, &CNpHost::lOnMessage}; // the browser's window, subclassed
    std::map<uint64_t, std::unique_ptr<CStreamRecord>> m_records;
    uint64_t m_ulNextId = 1;
};
