#include "AxBrowserApp.h"

#include "FdBstr.h"

namespace FdBrowserHost
{
STDMETHODIMP CAxBrowserApp::get_LocationURL(BSTR* pbstrUrl)
{
    if (!pbstrUrl)
        return E_POINTER;
    const std::wstring wstr = FdCom::wstrFromAnsi(m_strPageUrl);
    *pbstrUrl = SysAllocStringLen(wstr.c_str(), static_cast<UINT>(wstr.size()));
    return *pbstrUrl ? S_OK : E_OUTOFMEMORY;
}
} // namespace FdBrowserHost
