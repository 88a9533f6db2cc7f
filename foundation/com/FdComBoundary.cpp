#include "FdComBoundary.h"

#include "ExceptionBase.h"

#include <new>

namespace FdCom
{
HRESULT hrFromCurrentException() noexcept
{
    try
    {
        throw;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (const FdBase::CExceptionBase& e)
    {
        const DWORD dwError = e.dwGetWin32Error();
        return dwError ? HRESULT_FROM_WIN32(dwError) : E_FAIL;
    }
    catch (...)
    {
        return E_FAIL;
    }
}
} // namespace FdCom
