#include "AxVerbolt.h"

#include "AxNavigate.h"
#include "ComRef.h"
#include "FdBstr.h"
#include "FdComModule.h"

#include <exdisp.h>
#include <servprov.h>

namespace ChatPlugin
{
namespace
{
// A property's description from IPropertyBag2::GetPropertyInfo, its name freed on every way out.
struct SPropInfo
{
    PROPBAG2 info = {};
    SPropInfo() = default;
    SPropInfo(const SPropInfo&) = delete;
    SPropInfo& operator=(const SPropInfo&) = delete;
    ~SPropInfo() { CoTaskMemFree(info.pstrName); }
};

// The hosting browser's service has the id of its interface (not every
// header names it).
const GUID& kSidWebBrowserApp = IID_IWebBrowserApp;

struct SVariant
{
    VARIANT v;
    SVariant() { VariantInit(&v); }
    SVariant(const SVariant&) = delete;
    SVariant& operator=(const SVariant&) = delete;
    ~SVariant() { VariantClear(&v); }
};
} // namespace

CAxVerbolt::~CAxVerbolt()
{
    // The window goes before the emulation ends the instance.
    vReleaseSites();
}

HRESULT CAxVerbolt::hrCreate(REFIID riid, void** ppv)
{
    try
    {
        return FdCom::TComObject<CAxVerbolt>::hrCreate(riid, ppv);
    }
    catch (...)
    {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CAxVerbolt::GetClassID(CLSID* pClassID)
{
    if (!pClassID)
        return E_POINTER;
    *pClassID = CLSID_AxVerbolt;
    return S_OK;
}

STDMETHODIMP CAxVerbolt::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    try
    {
        FdWin::TComRef<IPropertyBag2> bag2;
        if (pPropBag && SUCCEEDED(pPropBag->QueryInterface(IID_IPropertyBag2, bag2.ppvOut())))
        {
            ULONG ulCount = 0;
            if (FAILED(bag2->CountProperties(&ulCount)))
                ulCount = 0;
            for (ULONG i = 0; i < ulCount; ++i)
            {
                SPropInfo prop;
                ULONG ulGot = 0;
                if (FAILED(bag2->GetPropertyInfo(i, 1, &prop.info, &ulGot)) || ulGot != 1)
                    continue;
                SVariant value;
                HRESULT hrRead = S_OK;
                if (SUCCEEDED(bag2->Read(1, &prop.info, pErrorLog, &value.v, &hrRead)) && SUCCEEDED(hrRead) &&
                    value.v.vt == VT_BSTR)
                    vAddParam(FdCom::strFromWide(prop.info.pstrName),
                              value.v.bstrVal ? FdCom::strFromBstr(value.v.bstrVal) : std::string());
            }
        }
        vAfterLoad(strPageUrl());
    }
    catch (...)
    {
    }
    return S_OK;
}

std::string CAxVerbolt::strPageUrl()
{
    FdWin::TComRef<IServiceProvider> services;
    FdWin::TComRef<IWebBrowserApp> browser;
    if (!m_site || FAILED(m_site->QueryInterface(IID_IServiceProvider, services.ppvOut())) ||
        FAILED(services->QueryService(kSidWebBrowserApp, IID_IWebBrowserApp, browser.ppvOut())) || !browser)
        return std::string();
    BSTR bstr = nullptr;
    std::string url;
    if (SUCCEEDED(browser->get_LocationURL(&bstr)) && bstr)
        url = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return url;
}

void CAxVerbolt::vNavigate(const std::string& url, const std::string& target)
{
    FdAx::hrNavigateFrame(m_site.p(), static_cast<IOleObject*>(this), FdCom::wstrFromAnsi(url.c_str()),
                          FdCom::wstrFromAnsi(target.c_str()));
}

HWND CAxVerbolt::hwndCreateControlWindow(HWND hwndParent, const RECT& rc)
{
    HINSTANCE hModule = FdCom::CModule::Get().hModule();
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = lWindowProc;
    wc.hInstance = hModule;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kszWindowClass;
    RegisterClassA(&wc); // an existing class is fine
    return CreateWindowExA(0, kszWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, hwndParent, nullptr,
                           hModule, this);
}

void CAxVerbolt::vDestroyControlWindow()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

// The control's window is a plain one: the plug-in's container subclasses
// it, and what the container leaves comes here.
LRESULT CALLBACK CAxVerbolt::lWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE)
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CAxVerbolt*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    try
    {
        switch (msg)
        {
        case WM_CREATE:
            self->vOnCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
            return 0;
        case WM_MOUSEACTIVATE:
            self->vUIActivate();
            return MA_ACTIVATE;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            break;
        default:
            break;
        }
    }
    catch (...)
    {
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
} // namespace ChatPlugin
