// Opening an address in a frame of the page that holds a control: through
// the container's hyperlink frame (the site's IServiceProvider under
// SID_SHlinkFrame), which Wine's HlinkSimpleNavigateToString does not reach;
// that function only when the container offers no frame.
#pragma once

#include <oleidl.h>

#include <string>

namespace FdAx
{
// lpCaller is the control (the caller handed to HlinkSimpleNavigateToString).
HRESULT hrNavigateFrame(IOleClientSite* lpSite, IUnknown* lpCaller, const std::wstring& wstrUrl,
                        const std::wstring& wstrFrame);
} // namespace FdAx
