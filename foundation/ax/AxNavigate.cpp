#include "AxNavigate.h"

#include "ComRef.h"

#include <hlink.h>
#include <servprov.h>

namespace
{
// The hyperlink interfaces (no import library for them on every target).
const IID kIidHlink = {0x79eac9c3, 0xbaf9, 0x11ce, {0x8c, 0x82, 0x00, 0xaa, 0x00, 0x4b, 0xa9, 0x0b}};
const IID kIidHlinkFrame = {0x79eac9c5, 0xbaf9, 0x11ce, {0x8c, 0x82, 0x00, 0xaa, 0x00, 0x4b, 0xa9, 0x0b}};
const GUID& kSidHlinkFrame = kIidHlinkFrame;

// hlink.dll's functions, found at run time (no import library on every target).
using PfnCreateFromString = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, IHlinkSite*, DWORD, IUnknown*, REFIID,
                                             void**);
using PfnSimpleNavigate = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, IUnknown*, IBindCtx*,
                                           IBindStatusCallback*, DWORD, DWORD);
template <class F> F pfnHlink(const char* lpszName)
{
    static HMODULE s_hHlink = LoadLibraryA("hlink.dll");
    return s_hHlink ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(s_hHlink, lpszName)))
                    : nullptr;
}
} // namespace

HRESULT FdAx::hrNavigateFrame(IOleClientSite* lpSite, IUnknown* lpCaller, const std::wstring& wstrUrl,
                              const std::wstring& wstrFrame)
{
    FdWin::TComRef<IServiceProvider> services;
    FdWin::TComRef<IHlinkFrame> frame;
    if (lpSite && SUCCEEDED(lpSite->QueryInterface(IID_IServiceProvider, services.ppvOut())) &&
        FAILED(services->QueryService(kSidHlinkFrame, kIidHlinkFrame, frame.ppvOut())))
        frame.vReset();
    auto pfnCreate = pfnHlink<PfnCreateFromString>("HlinkCreateFromString");
    if (frame && pfnCreate)
    {
        FdWin::TComRef<IHlink> link;
        HRESULT hr =
            pfnCreate(wstrUrl.c_str(), nullptr, nullptr, nullptr, 0, nullptr, kIidHlink, link.ppvOut());
        if (SUCCEEDED(hr))
            hr = link->SetTargetFrameName(wstrFrame.c_str());
        if (SUCCEEDED(hr))
            hr = frame->Navigate(0, nullptr, nullptr, link.p());
        return hr;
    }
    if (auto pfnNavigate = pfnHlink<PfnSimpleNavigate>("HlinkSimpleNavigateToString"))
    {
        FdWin::TComRef<IBindCtx> ctx;
        if (FAILED(CreateBindCtx(0, ctx.ppOut())))
            ctx.vReset();
        return pfnNavigate(wstrUrl.c_str(), nullptr, wstrFrame.c_str(), lpCaller, ctx.p(), nullptr, 0, 0);
    }
    return E_NOINTERFACE;
}
