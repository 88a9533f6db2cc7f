#pragma once
// CDiagIE: the game plug-in as an ActiveX control in pages shown by browsers
// that host controls (OBJECT tag). Owns one CPlugInst and its display; every
// string PARAM becomes an attribute; paints through the instance; fetches
// addresses with URL monikers into stream records; opens addresses in frames
// through the container's hyperlink frame.
#include "AxBagControl.h"
#include "BrowserLink.h"
#include "ComRef.h"
#include "FdBstr.h"
#include "FdComDispatch.h"
#include "FdComObject.h"
#include "OBPPAX.h"
#include "ParamList.h"
#include "StreamRecord.h"
#include "WindowBase.h"

#include <ocidl.h>
#include <oleidl.h>

#include <cstdint>
#include <map>
#include <memory>

class CPlugInst;
class CInstanceDisplay;
class COurBindStatusCallback;

class CDiagIE : public FdCom::CObjectRoot,
                public FdCom::TDispatchImpl<IDiagIE, &LIBID_OBPPAXLib>,
                public FdAx::CPropertyBagControl,
                public IBrowserLink
{
public:
    static constexpr const char* kszTabMessage = "__!!_ORBELLE_TAB_2001_07_20_??__";
    static constexpr const char* kszWindowClass = "FdGameAxWindow";

    FD_COM_BEGIN_MAP(CDiagIE, IDiagIE)
    FD_COM_ENTRY(IDiagIE)
    FD_COM_ENTRY_VIA(IDispatch, IDiagIE)
    FD_COM_ENTRY(IOleObject)
    FD_COM_ENTRY_VIA(IOleWindow, IOleInPlaceObject)
    FD_COM_ENTRY(IOleInPlaceObject)
    FD_COM_ENTRY(IOleInPlaceActiveObject)
    FD_COM_ENTRY_VIA(IPersist, IPersistPropertyBag)
    FD_COM_ENTRY(IPersistPropertyBag)
    FD_COM_END_MAP()

    CDiagIE();
    ~CDiagIE() override;

    static HRESULT hrCreate(REFIID riid, void** ppv);
    // Whether the control is still alive (moniker callbacks ask before they call).
    static bool boIsLive(const CDiagIE* lpControl, uint64_t ulSerial);
    uint64_t ulGetSerial() const { return m_ulSerial; }

    // A moniker callback's news for the transfer ulRecord: data (flags or
    // bytes), or the end of the binding (no flags, no bytes, hrResult).
    void OnData(COurBindStatusCallback* lpCallback, DWORD grfBSCF, const void* lpBytes, DWORD dwSizeOrResult,
                uint64_t ulRecord);

    // ---- IDiagIE (stock properties: kept, read by nothing)
    STDMETHODIMP put_BackColor(OLE_COLOR clr) override;
    STDMETHODIMP get_BackColor(OLE_COLOR* pclr) override;
    STDMETHODIMP put_BackStyle(LONG style) override;
    STDMETHODIMP get_BackStyle(LONG* pstyle) override;
    STDMETHODIMP put_FillColor(OLE_COLOR clr) override;
    STDMETHODIMP get_FillColor(OLE_COLOR* pclr) override;
    STDMETHODIMP put_Text(BSTR strText) override;
    STDMETHODIMP get_Text(BSTR* pstrText) override;

    // ---- IOleInPlaceActiveObject (the rest is the in-place base's)
    STDMETHODIMP TranslateAccelerator(LPMSG lpmsg) override;

    // ---- IPersistPropertyBag
    STDMETHODIMP Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;

    // ---- IBrowserLink
    void vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize) override;
    bool boPushHtml(const char* lpszHtml, const char* lpszFrame) override;
    void vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize) override;
    void vAbortDownload(const char* lpszUrl, bool boDeleteFile) override;
    void vRepaint(const RECT* lprc) override;

private:
    struct STransfer
    {
        std::unique_ptr<CStreamRecord> record;
        COurBindStatusCallback* lpCallback = nullptr; // held (AddRef'ed) until the transfer ends
    };

    // The control's child window: paints through the instance.
    class CWindow : public FdWin::CWindowBase
    {
    public:
        explicit CWindow(CDiagIE& control) : m_control(control) {}

    protected:
        LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    private:
        CDiagIE& m_control;
    };

    HWND hwndCreateControlWindow(HWND hwndParent, const RECT& rc) override;
    void vDestroyControlWindow() override;
    const CLSID& ControlClassId() const override { return CLSID_OBPPDiagIE; }
    DWORD dwControlMiscStatus() const override;
    void vLoadStockProperties(IPropertyBag* pPropBag, IErrorLog* pErrorLog);
    void vAfterLoad();
    void vNavigateIE(const char* lpszUrl, const char* lpszFrame);
    void vRequest(const char* lpszUrl, CStreamRecord::EKind eKind, bool boNewNaming, uint32_t dwExpected);
    // Ends the transfer and forgets it; its callback is let go.
    void vFinish(uint64_t ulRecord, bool boOk, HRESULT hrError);
    void vForget(uint64_t ulRecord);
    void vAbortBinding(STransfer& transfer);

    CParamList m_params;
    FdCom::CBstr m_text;
    std::unique_ptr<CPlugInst> m_lpInst;
    std::unique_ptr<CInstanceDisplay> m_lpDisplay;
    UINT m_uTabMessage = 0;
    DWORD m_dwThreadId = 0;

    uint64_t m_ulSerial;
    CWindow m_window{*this};
    OLE_COLOR m_clrBack = 0, m_clrFill = 0;
    LONG m_lBackStyle = 1;
    bool m_boStarted = false;
    std::map<uint64_t, STransfer> m_transfers;
    uint64_t m_ulNextRecord = 1;
};
