#pragma once
// One counted reference to a COM interface: AddRef when taken or copied, Release
// when dropped.
#include <unknwn.h>

#include <utility>

template <class T> class TComRef
{
public:
    TComRef() = default;
    // Takes a new reference to p (null allowed).
    explicit TComRef(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    TComRef(const TComRef& other) : TComRef(other.m_p) {}
    TComRef(TComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    TComRef& operator=(TComRef other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~TComRef() { vReset(); }

    // Adopts a reference the caller already owns.
    static TComRef adopt(T* p)
    {
        TComRef r;
        r.m_p = p;
        return r;
    }

    T* p() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void vReset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }

private:
    T* m_p = nullptr;
};
