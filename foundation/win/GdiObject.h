// GDI objects: an owner per kind (bitmap, palette, font, brush, pen) that deletes
// its object, an owner of a memory device context, and a guard that puts a
// device context's previous selection back. Owners move and never copy.
#pragma once

#include <windows.h>

#include <utility>

namespace FdWin
{

// Owns one GDI object of type T (HBITMAP, HPALETTE, HFONT, HBRUSH, HPEN).
// Delete an object only once no device context has it selected.
template <class T> class CGdiObject
{
public:
    CGdiObject() = default;
    // Takes ownership of h.
    explicit CGdiObject(T h) : m_h(h) {}
    CGdiObject(CGdiObject&& other) noexcept : m_h(other.hDetach()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            vAttach(other.hDetach());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { boDelete(); }

    T get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    // Deletes the object held, then takes h.
    void vAttach(T h)
    {
        if (h != m_h)
            boDelete();
        m_h = h;
    }
    // Gives up ownership without deleting.
    T hDetach() { return std::exchange(m_h, nullptr); }
    // False when DeleteObject failed (the object is still selected into a
    // device context, or not a GDI object). The owner is empty afterwards
    // either way. True when there was nothing to delete.
    bool boDelete()
    {
        const T h = std::exchange(m_h, nullptr);
        return h == nullptr || DeleteObject(h) != FALSE;
    }

private:
    T m_h = nullptr;
};

using CGdiBitmap = CGdiObject<HBITMAP>;
using CGdiPalette = CGdiObject<HPALETTE>;
using CGdiFont = CGdiObject<HFONT>;
using CGdiBrush = CGdiObject<HBRUSH>;
using CGdiPen = CGdiObject<HPEN>;

// Owns a memory device context compatible with a target (CreateCompatibleDC);
// get() is null when it could not be made.
class CMemoryDC
{
public:
    explicit CMemoryDC(HDC hdcTarget) : m_hdc(CreateCompatibleDC(hdcTarget)) {}
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    ~CMemoryDC()
    {
        if (m_hdc != nullptr)
            DeleteDC(m_hdc);
    }
    HDC get() const { return m_hdc; }

private:
    HDC m_hdc;
};

// Selects an object into a device context and selects the previous one
// back when it goes (before the object's owner deletes it).
class CGdiSelection
{
public:
    CGdiSelection(HDC hdc, HGDIOBJ object) : m_hdc(hdc), m_previous(SelectObject(hdc, object)) {}
    CGdiSelection(const CGdiSelection&) = delete;
    CGdiSelection& operator=(const CGdiSelection&) = delete;
    ~CGdiSelection() { SelectObject(m_hdc, m_previous); }

private:
    HDC m_hdc;
    HGDIOBJ m_previous;
};

} // namespace FdWin
