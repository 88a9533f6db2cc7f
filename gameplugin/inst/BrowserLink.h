#pragma once
// What a plug-in instance asks of the browser that hosts it. Each host (the
// browser plug-in interface, the ActiveX control) implements it; tests give a
// recording one.
#include <windows.h>

#include <cstdint>

class IBrowserLink
{
public:
    virtual ~IBrowserLink() = default;

    // Opens the address in the named frame. With no frame the browser streams
    // the answer back to the instance, which runs it as an action buffer;
    // `dwExpectedSize` bytes of it are counted for the progress bar (0: not counted).
    virtual void vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize) = 0;
    // Shows HTML text in the named frame; false when the browser refused.
    virtual bool boPushHtml(const char* lpszHtml, const char* lpszFrame) = 0;
    // Starts fetching the address into a file for the download manager: a
    // GetTempFileName name in the install folder with boNewNaming, else the
    // address's last "/" segment. When it ends, the host hands its result to
    // CManageDL::vFinish; `dwExpectedSize` bytes are counted for the progress bar.
    virtual void vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize) = 0;
    // Abandons the transfer of that address. With boDeleteFile its file is
    // closed and deleted first, before the transfer's record goes.
    virtual void vAbortDownload(const char* lpszUrl, bool boDeleteFile) = 0;
    // Invalidates the rectangle of the instance's window (null: all of it).
    virtual void vRepaint(const RECT* lprc) = 0;
};
