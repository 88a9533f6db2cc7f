// A COM object that every client of the process shares (a singleton class
// object's product). Its references lock the module, so the idle exit of a
// local server counts them; the object itself lives until vDestroy, called
// when the server ends.
//
//   HRESULT hrCreateThing(REFIID riid, void** ppv)
//   { return FdCom::TComSingleton<CThing>::hrGet(riid, ppv); }
#pragma once

#include "FdComObject.h"

namespace FdCom
{
template <class T> class TComSingleton final : public T
{
public:
    // The one object (made at the first call), asked for riid.
    static HRESULT hrGet(REFIID riid, void** ppv)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (!s_pObject)
            s_pObject = new (std::nothrow) TComSingleton();
        if (!s_pObject)
            return E_OUTOFMEMORY;
        return s_pObject->QueryInterface(riid, ppv);
    }
    // The object when it exists (no reference added).
    static T* pPeek() { return s_pObject; }
    // Destroys the object whatever its clients still hold: the process is
    // ending. The references that COM's stubs hold for other processes are
    // dropped first, so nothing releases the object after it is gone.
    static void vDestroy()
    {
        if (!s_pObject)
            return;
        if (auto* unknown = static_cast<IUnknown*>(s_pObject->pvFindInterface(IID_IUnknown)))
            CoDisconnectObject(unknown, 0);
        delete s_pObject;
        s_pObject = nullptr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = this->pvFindInterface(riid);
        if (!*ppv)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        CModule::Get().lLock();
        return static_cast<ULONG>(++this->m_lRef);
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG l = --this->m_lRef;
        CModule::Get().lUnlock();
        return static_cast<ULONG>(l);
    }

private:
    TComSingleton() = default;
    static TComSingleton* s_pObject;
};

template <class T> TComSingleton<T>* TComSingleton<T>::s_pObject = nullptr;
} // namespace FdCom
