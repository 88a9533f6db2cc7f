// COM and OLE initialisation of the calling thread for a scope. Each guard
// undoes only an initialisation that succeeded: CoInitializeEx/OleInitialize
// count their successes (S_FALSE included) and each needs its own undo, while
// a failure (RPC_E_CHANGED_MODE when the thread already has the other
// apartment kind) must not be undone, or it would end someone else's.
#pragma once

#include <objbase.h>
#include <ole2.h>

namespace FdWin
{

class CComInit
{
public:
    explicit CComInit(DWORD dwCoInit = COINIT_APARTMENTTHREADED) : m_hr(CoInitializeEx(nullptr, dwCoInit)) {}
    CComInit(const CComInit&) = delete;
    CComInit& operator=(const CComInit&) = delete;
    ~CComInit()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    HRESULT hr() const { return m_hr; }
    bool boStarted() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

class COleInit
{
public:
    COleInit() : m_hr(OleInitialize(nullptr)) {}
    COleInit(const COleInit&) = delete;
    COleInit& operator=(const COleInit&) = delete;
    ~COleInit()
    {
        if (SUCCEEDED(m_hr))
            OleUninitialize();
    }
    HRESULT hr() const { return m_hr; }
    bool boStarted() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};

} // namespace FdWin
