// Activation of COM objects that live in local servers which come and go.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace FdCom
{
// True for the answers of an activation that met a local server on its way
// out (idle exit, a server that died): a new try reaches a new instance.
bool boServerGoingAway(HRESULT hr);

// How long hrCreateInstance keeps trying, at most.
constexpr DWORD kActivateRetryMs = 10000;

// CoCreateInstance that tries again, for at most dwRetryMs, while the
// answer says the class's server is going away (the next try reaches the
// instance that COM starts then). Any other answer comes back at once.
// *ppv is null on failure.
HRESULT hrCreateInstance(REFCLSID rclsid, DWORD dwClsContext, REFIID riid, void** ppv,
                         DWORD dwRetryMs = kActivateRetryMs);
} // namespace FdCom
