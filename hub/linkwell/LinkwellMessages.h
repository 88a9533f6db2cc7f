// Messages of the hub's main thread and its windows.
#pragma once

#include <windows.h>

namespace Linkwell
{

constexpr UINT kMsgQuit = 0x8081;    // the hub ends
constexpr UINT kMsgPageJob = 0x8082; // a page job: wParam is the COBPPJob*, which the receiver frees
constexpr UINT kMsgTrayState = WM_APP + 0x100; // wParam 1: some link is registered, 0: none
constexpr UINT kTrayCallbackMessage = 0x8233;
constexpr UINT kTrayNotifyId = 0x8082;

// Resources.
constexpr UINT kMenuTray = 201;
constexpr UINT kIconConnected = 203;
constexpr UINT kIconDisconnected = 204;
constexpr UINT kCmdClose = 0x8000; // "&Fermer"
constexpr UINT kStrDisconnected = 101;
constexpr UINT kStrConnected = 102;
constexpr UINT kStrAlreadyRunning = 107;

} // namespace Linkwell
