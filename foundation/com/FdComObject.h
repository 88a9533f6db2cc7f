// Reference-counted COM objects with a declarative interface map.
//
//   class CThing : public IFoo, public IBar2
//   {
//       FD_COM_BEGIN_MAP(CThing, IFoo)      // IFoo also answers IUnknown
//           FD_COM_ENTRY(IFoo)
//           FD_COM_ENTRY(IBar2)
//           FD_COM_ENTRY_VIA(IBar, IBar2)   // IBar2 derives from IBar
//       FD_COM_END_MAP()
//   };
//   IFoo* p; FdCom::TComObject<CThing>::hrCreate(__uuidof(IFoo), (void**)&p);
//
// TComObject<T> supplies AddRef, Release and QueryInterface for every base
// interface of T at once, and holds a module lock while it lives so a local
// server stays up as long as one of its objects does.
#pragma once

#include "FdComModule.h"

#include <objbase.h>
#include <atomic>
#include <new>
#include <utility>

namespace FdCom
{
// Base of every implementation class: the reference count and the map.
class CObjectRoot
{
public:
    CObjectRoot() = default;
    CObjectRoot(const CObjectRoot&) = delete;
    CObjectRoot& operator=(const CObjectRoot&) = delete;
    virtual ~CObjectRoot() = default;

    // Filled in by FD_COM_BEGIN_MAP/FD_COM_END_MAP: the interface pointer for
    // riid (not AddRef'ed), or null.
    virtual void* pvFindInterface(REFIID riid) = 0;

protected:
    std::atomic<LONG> m_lRef{0};
};

template <class T> class TComObject final : public T
{
public:
    template <class... A> explicit TComObject(A&&... args) : T(std::forward<A>(args)...)
    {
        CModule::Get().lLock();
    }
    ~TComObject() override { CModule::Get().lUnlock(); }

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
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++this->m_lRef); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG l = --this->m_lRef;
        if (l == 0)
            delete this;
        return static_cast<ULONG>(l);
    }

    // Creates one object and asks it for riid; the caller owns the result.
    template <class... A> static HRESULT hrCreate(REFIID riid, void** ppv, A&&... args)
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        TComObject* p = new (std::nothrow) TComObject(std::forward<A>(args)...);
        if (!p)
            return E_OUTOFMEMORY;
        p->AddRef();
        HRESULT hr = p->QueryInterface(riid, ppv);
        p->Release();
        return hr;
    }

    // Creates one object and hands out the object itself, one reference
    // held for the caller (release it through any of its interfaces).
    template <class... A> static HRESULT hrCreateObject(T** ppObject, A&&... args)
    {
        if (!ppObject)
            return E_POINTER;
        TComObject* p = new (std::nothrow) TComObject(std::forward<A>(args)...);
        *ppObject = p;
        if (!p)
            return E_OUTOFMEMORY;
        p->AddRef();
        return S_OK;
    }
};
} // namespace FdCom

#define FD_COM_BEGIN_MAP(Class, Primary)                                                                    \
public:                                                                                                    \
    void* pvFindInterface(REFIID riid) override                                                            \
    {                                                                                                      \
        if (IsEqualIID(riid, IID_IUnknown))                                                                \
            return static_cast<IUnknown*>(static_cast<Primary*>(this));

#define FD_COM_ENTRY(Iface)                                                                                \
    if (IsEqualIID(riid, __uuidof(Iface)))                                                                 \
        return static_cast<Iface*>(this);

#define FD_COM_ENTRY_VIA(Iface, Via)                                                                       \
    if (IsEqualIID(riid, __uuidof(Iface)))                                                                 \
        return static_cast<Iface*>(static_cast<Via*>(this));

#define FD_COM_END_MAP()                                                                                   \
    return nullptr;                                                                                        \
    }
