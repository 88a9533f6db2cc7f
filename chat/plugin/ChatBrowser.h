// The browser side as the plug-in sees it: the private copy of the browser's
// table taken by NP_Initialize, and the browser calls the chat makes
// through it.
#pragma once

#include "NpApi.h"

namespace ChatPlugin
{
// The word that must hold kSanity for any browser call to go out.
constexpr int kSanity = 1234;

// The private table, or null outside NP_Initialize..last NP_Shutdown.
NPNetscapeFuncs* lpBrowserTable();

// NPN_GetURL through the private table; 0 without a call when the table or
// its get-URL entry does not look callable.
NPError iGetUrl(NPP npp, const char* url, const char* target);
// The browser's version (major, minor) from the table; 0.0 without one.
void vBrowserVersion(int& major, int& minor);
// "AX" under the ActiveX control's emulation (its getJavaPeer entry holds
// -1), else "NP".
const char* pszBrowserKind();

// The plug-in's entry points as the DLL exports them.
NPError NP_EXPORTCALL NpGetEntryPoints(NPPluginFuncs* funcs);
NPError NP_EXPORTCALL NpInitialize(NPNetscapeFuncs* funcs);
NPError NP_EXPORTCALL NpShutdown();
} // namespace ChatPlugin
