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
// The hosting browser's service has the id of its interface (not every
// header names it).
const GUID& kSidWebBrowserApp = IID_IWebBrowserApp;
} // namespace

CAxVerbolt::~CAxVerbolt()
{
    // The window goes before the emulation ends the instance.
    vReleaseSites();
}

HRESULT CAxVerbolt::hrCreate(REFIID riid, void** ppv)
{
    return FdAx::hrCreateControl<CAxVerbolt>(riid, ppv);
}

STDMETHODIMP CAxVerbolt::Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog)
{
    try
    {
        FdAx::vReadStringProperties(pPropBag, pErrorLog, FdAx::EBagStrings::AnyDeclared,
                                    [this](const std::string& name, BSTR value)
                                    { vAddParam(name, value ? FdCom::strFromBstr(value) : std::string()); });
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
