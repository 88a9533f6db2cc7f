// The rule at every COM method that can throw: nothing crosses the boundary,
// what was thrown becomes the method's HRESULT.
//   STDMETHODIMP CThing::SetName(BSTR b)
//   {
//       return FdCom::hrGuard([&]() -> HRESULT { m_name = FdCom::strFromBstr(b); return S_OK; });
//   }
#pragma once

#include <windows.h>

namespace FdCom
{
// The HRESULT of the exception being handled (call it only inside a catch):
// std::bad_alloc gives E_OUTOFMEMORY; one of the suite's exceptions
// (FdBase::CExceptionBase) its Windows error as an HRESULT, or E_FAIL when it
// carries none; anything else E_FAIL.
HRESULT hrFromCurrentException() noexcept;

// What body returns, or the HRESULT of what it throws.
template <class F> HRESULT hrGuard(F&& body) noexcept
{
    try
    {
        return body();
    }
    catch (...)
    {
        return hrFromCurrentException();
    }
}
} // namespace FdCom
