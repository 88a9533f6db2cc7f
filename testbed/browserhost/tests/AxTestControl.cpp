// FdHostTestCtl.dll: an ActiveX control (ProgID "FdHostTest.AxControl.1")
// that logs, to the file named by FD_AXTEST_LOG, what its container gives
// it: the PARAMs through IPropertyBag2 and IPropertyBag, its site, the
// in-place activation, keyboard messages. Its "Action" PARAM lists what it
// then does through the container:
//   status|TEXT               IOleInPlaceFrame::SetStatusText
//   navigate|URL|FRAME        IHlinkFrame::Navigate, found through the site's IServiceProvider
//   pushfile|HTML|FRAME       HTML written to a temporary .htm file, then navigated to
//   paint|RRGGBB              its window painted in that colour
#include "FdBstr.h"
#include "FdComModule.h"
#include "FdComObject.h"
#include "TestLog.h"

#include <hlink.h>
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>

#include <cstdlib>
#include <string>

using FdBrowserHost::SLogLine;
using FdHostTest::strPtr;

// {5E0F3C1A-7B2D-4E8F-9A61-2C4D8B7E9F10}
static const CLSID CLSID_FdHostTestCtl = {
    0x5e0f3c1a, 0x7b2d, 0x4e8f, {0x9a, 0x61, 0x2c, 0x4d, 0x8b, 0x7e, 0x9f, 0x10}};

namespace
{
const char kWindowClass[] = "FdHostTestCtlWindow";
const char kTabMessage[] = "FdHostTestCtlTab";

int g_iControls = 0;

void vLog(int iControl, SLogLine line)
{
    line.fields.insert(line.fields.begin(), {"ctl", std::to_string(iControl)});
    FdHostTest::vLog("FD_AXTEST_LOG", line);
}

LRESULT CALLBACK lWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT)
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH hbr = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
        FillRect(hdc, &rc, hbr);
        DeleteObject(hbr);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_KEYDOWN)
        vLog(static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(hwnd, "FdHostTestCtl"))),
             SLogLine("WINDOW_KEYDOWN").addInt("wparam", static_cast<int64_t>(wParam)));
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class CControl : public FdCom::CObjectRoot,
                 public IOleObject,
                 public IOleInPlaceObject,
                 public IOleInPlaceActiveObject,
                 public IPersistPropertyBag
{
public:
    FD_COM_BEGIN_MAP(CControl, IOleObject)
    FD_COM_ENTRY(IOleObject)
    FD_COM_ENTRY(IOleInPlaceObject)
    FD_COM_ENTRY_VIA(IOleWindow, IOleInPlaceObject)
    FD_COM_ENTRY(IOleInPlaceActiveObject)
    FD_COM_ENTRY(IPersistPropertyBag)
    FD_COM_ENTRY_VIA(IPersist, IPersistPropertyBag)
    FD_COM_END_MAP()

    CControl() : m_iId(++g_iControls) {}
    ~CControl() override
    {
        vDestroyWindow();
        vSetSite(nullptr);
    }

    // ---- IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* p) override
    {
        *p = CLSID_FdHostTestCtl;
        return S_OK;
    }
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* pBag, IErrorLog* pLog) override
    {
        vLog(m_iId, SLogLine("LOAD").add("site_set", m_pSite ? "1" : "0").add("errorlog", pLog ? "1" : "0"));
        IPropertyBag2* pBag2 = nullptr;
        if (SUCCEEDED(pBag->QueryInterface(IID_IPropertyBag2, reinterpret_cast<void**>(&pBag2))))
        {
            ULONG n = 0;
            pBag2->CountProperties(&n);
            vLog(m_iId, SLogLine("COUNT").addInt("n", n));
            for (ULONG i = 0; i < n; ++i)
            {
                PROPBAG2 pb = {};
                ULONG got = 0;
                if (FAILED(pBag2->GetPropertyInfo(i, 1, &pb, &got)) || got != 1)
                    continue;
                VARIANT v;
                VariantInit(&v);
                HRESULT hrItem = E_FAIL;
                const HRESULT hr = pBag2->Read(1, &pb, nullptr, &v, &hrItem);
                SLogLine line("PARAM");
                line.addInt("index", i)
                    .add("name", FdCom::strFromWide(pb.pstrName))
                    .addInt("vt", pb.vt)
                    .addHex("result", static_cast<uint32_t>(hr));
                if (v.vt == VT_BSTR)
                    line.add("value", FdCom::strFromWide(v.bstrVal));
                else if (v.vt == VT_I4)
                    line.addInt("value", v.lVal);
                vLog(m_iId, line);
                if (v.vt == VT_BSTR && lstrcmpiW(pb.pstrName, L"Action") == 0)
                    m_strActions = FdCom::strFromWide(v.bstrVal);
                VariantClear(&v);
                CoTaskMemFree(pb.pstrName);
            }
            PROPBAG2 past = {};
            ULONG got = 99;
            vLog(m_iId,
                 SLogLine("INFO_PAST_END")
                     .addHex("result", static_cast<uint32_t>(pBag2->GetPropertyInfo(n, 1, &past, &got)))
                     .addInt("got", got));
            pBag2->Release();
        }
        for (const wchar_t* name : {L"LAUNCHAPP", L"num", L"absent"})
        {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_BSTR;
            const HRESULT hr = pBag->Read(name, &v, pLog);
            SLogLine line("BAGREAD");
            line.add("name", FdCom::strFromWide(name)).addHex("result", static_cast<uint32_t>(hr));
            if (SUCCEEDED(hr) && v.vt == VT_BSTR)
                line.add("value", FdCom::strFromWide(v.bstrVal));
            vLog(m_iId, line);
            VariantClear(&v);
        }
        return S_OK;
    }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    // ---- IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* pSite) override
    {
        vLog(m_iId, SLogLine("SETCLIENTSITE").add("site", pSite ? "1" : "0"));
        vSetSite(pSite);
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite** pp) override
    {
        *pp = m_pSite;
        if (m_pSite)
            m_pSite->AddRef();
        return S_OK;
    }
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR) override
    {
        vLog(m_iId, SLogLine("SETHOSTNAMES").add("app", FdCom::strFromWide(app)));
        return S_OK;
    }
    STDMETHODIMP Close(DWORD) override
    {
        vLog(m_iId, SLogLine("CLOSE"));
        vDestroyWindow();
        return S_OK;
    }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pSite, LONG, HWND hwndParent, LPCRECT prc) override
    {
        if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_SHOW)
            return OLEOBJ_S_INVALIDVERB;
        IOleInPlaceSite* pIps = nullptr;
        IOleClientSite* site = pSite ? pSite : m_pSite;
        if (!site || FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pIps))))
            return E_FAIL;
        const HRESULT hrCan = pIps->CanInPlaceActivate();
        pIps->OnInPlaceActivate();
        HWND hwndSite = nullptr;
        pIps->GetWindow(&hwndSite);
        IOleInPlaceFrame* pFrame = nullptr;
        IOleInPlaceUIWindow* pDoc = nullptr;
        RECT rcPos = {};
        RECT rcClip = {};
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof info;
        const HRESULT hrCtx = pIps->GetWindowContext(&pFrame, &pDoc, &rcPos, &rcClip, &info);
        vLog(m_iId, SLogLine("ACTIVATE")
                        .addInt("verb", iVerb)
                        .addHex("can", static_cast<uint32_t>(hrCan))
                        .addHex("context", static_cast<uint32_t>(hrCtx))
                        .add("site_window_is_parent", hwndSite == hwndParent ? "1" : "0")
                        .add("frame", pFrame ? "1" : "0")
                        .add("frame_window_is_parent", info.hwndFrame == hwndParent ? "1" : "0")
                        .addInt("left", rcPos.left)
                        .addInt("top", rcPos.top)
                        .addInt("right", rcPos.right)
                        .addInt("bottom", rcPos.bottom)
                        .add("given_rect_same", prc && EqualRect(prc, &rcPos) ? "1" : "0"));
        if (pDoc)
            pDoc->Release();
        vCreateWindow(hwndSite, rcPos);
        if (pFrame)
            pFrame->SetActiveObject(this, L"FdHostTest");
        vAct(pFrame);
        if (pFrame)
            pFrame->Release();
        pIps->Release();
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* p) override { return GetClassID(p); }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD, SIZEL* psize) override
    {
        vLog(m_iId, SLogLine("SETEXTENT").addInt("cx", psize->cx).addInt("cy", psize->cy));
        return S_OK;
    }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* p) override
    {
        *p = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
             OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE;
        return S_OK;
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // ---- IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* phwnd) override
    {
        *phwnd = m_hwnd;
        return m_hwnd ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override
    {
        vLog(m_iId, SLogLine("INPLACEDEACTIVATE"));
        vDestroyWindow();
        return S_OK;
    }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT prc, LPCRECT) override
    {
        if (m_hwnd)
            MoveWindow(m_hwnd, prc->left, prc->top, prc->right - prc->left, prc->bottom - prc->top, TRUE);
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // ---- IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG pMsg) override
    {
        vLog(m_iId, SLogLine("ACCEL")
                        .addHex("message", pMsg->message)
                        .addInt("wparam", static_cast<int64_t>(pMsg->wParam)));
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_TAB)
            pMsg->wParam = RegisterWindowMessageA(kTabMessage);
        return S_FALSE;
    }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

private:
    void vSetSite(IOleClientSite* p)
    {
        if (p)
            p->AddRef();
        if (m_pSite)
            m_pSite->Release();
        m_pSite = p;
    }

    void vCreateWindow(HWND hwndParent, const RECT& rc)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = lWndProc;
        wc.hInstance = FdCom::CModule::Get().hModule();
        wc.lpszClassName = kWindowClass;
        RegisterClassA(&wc);
        m_hwnd =
            CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE, rc.left, rc.top, rc.right - rc.left,
                            rc.bottom - rc.top, hwndParent, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(m_crPaint));
        SetPropA(m_hwnd, "FdHostTestCtl", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_iId)));
    }

    void vDestroyWindow()
    {
        if (m_hwnd)
        {
            RemovePropA(m_hwnd, "FdHostTestCtl");
            DestroyWindow(m_hwnd);
        }
        m_hwnd = nullptr;
    }

    void vNavigate(const std::string& url, const std::string& frame)
    {
        IServiceProvider* pSp = nullptr;
        IHlinkFrame* pHf = nullptr;
        HRESULT hr =
            m_pSite ? m_pSite->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&pSp)) : E_FAIL;
        if (SUCCEEDED(hr))
            hr = pSp->QueryService(SID_SHlinkFrame, IID_IHlinkFrame, reinterpret_cast<void**>(&pHf));
        IHlink* pHl = nullptr;
        // The i686 mingw-w64 has no import library of hlink.dll: found at run time.
        using CreateFn =
            HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, IHlinkSite*, DWORD, IUnknown*, REFIID, void**);
        HMODULE hHlink = LoadLibraryA("hlink.dll");
        auto pfnCreate = hHlink ? reinterpret_cast<CreateFn>(reinterpret_cast<void*>(
                                      GetProcAddress(hHlink, "HlinkCreateFromString")))
                                : nullptr;
        if (SUCCEEDED(hr))
            hr = pfnCreate ? pfnCreate(FdCom::wstrFromAnsi(url).c_str(), nullptr, nullptr, nullptr, 0,
                                       nullptr, IID_IHlink, reinterpret_cast<void**>(&pHl))
                           : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        if (SUCCEEDED(hr) && !frame.empty())
            hr = pHl->SetTargetFrameName(FdCom::wstrFromAnsi(frame).c_str());
        if (SUCCEEDED(hr))
            hr = pHf->Navigate(0, nullptr, nullptr, pHl);
        vLog(m_iId, SLogLine("NAVIGATE")
                        .add("url", url)
                        .add("frame", frame)
                        .addHex("result", static_cast<uint32_t>(hr)));
        if (pHl)
            pHl->Release();
        if (pHf)
            pHf->Release();
        if (pSp)
            pSp->Release();
        if (hHlink)
            FreeLibrary(hHlink);
    }

    void vAct(IOleInPlaceFrame* pFrame)
    {
        for (const std::string& action : FdHostTest::split(m_strActions, ';'))
        {
            const std::vector<std::string> f = FdHostTest::split(FdHostTest::strTrim(action), '|');
            auto arg = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
            if (f[0] == "status" && pFrame)
                vLog(m_iId, SLogLine("STATUS").addHex("result", static_cast<uint32_t>(pFrame->SetStatusText(
                                                                    FdCom::wstrFromAnsi(arg(1)).c_str()))));
            else if (f[0] == "navigate")
                vNavigate(arg(1), arg(2));
            else if (f[0] == "pushfile")
            {
                char szDir[MAX_PATH];
                GetTempPathA(MAX_PATH, szDir);
                const std::string path = std::string(szDir) + "fdaxtest-push.htm";
                if (FILE* fp = std::fopen(path.c_str(), "wb"))
                {
                    std::fwrite(arg(1).data(), 1, arg(1).size(), fp);
                    std::fclose(fp);
                }
                vNavigate(path, arg(2));
            }
            else if (f[0] == "paint" && m_hwnd)
            {
                const unsigned long rgb = std::strtoul(arg(1).c_str(), nullptr, 16);
                m_crPaint = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
                SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(m_crPaint));
                InvalidateRect(m_hwnd, nullptr, TRUE);
            }
        }
    }

    int m_iId;
    IOleClientSite* m_pSite = nullptr;
    HWND m_hwnd = nullptr;
    COLORREF m_crPaint = RGB(255, 255, 255);
    std::string m_strActions;
};

HRESULT hrCreate(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CControl>::hrCreate(riid, ppv);
}

const FdCom::SRegValue g_extra[] = {{"Control", nullptr, ""}, {nullptr, nullptr, nullptr}};
const FdCom::SClassEntry g_classes[] = {{&CLSID_FdHostTestCtl, hrCreate, "FdHostTest AxControl",
                                         "FdHostTest.AxControl.1", "FdHostTest.AxControl", "Apartment", 0,
                                         g_extra}};
const FdCom::SServerInfo g_info = {g_classes, 1, nullptr, nullptr, false};
} // namespace

FD_COM_DLL_EXPORTS(g_info)
