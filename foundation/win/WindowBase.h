// The one window procedure of the suite's windows. The object is tied to its
// window at WM_NCCREATE (windows of a class registered here) or when it
// subclasses a window of another class, and every message then goes to its
// lOnMessage. The tie is the window's extra bytes for a class registered
// here, a window property for a subclassed window (which keeps its
// GWLP_USERDATA and extra bytes for its own procedure). No exception crosses
// the window procedure: the system's dispatching frames cannot unwind, so a
// throw becomes lOnException's answer.
#pragma once

#include <windows.h>

namespace FdWin
{

class CWindowBase
{
public:
    CWindowBase() = default;
    CWindowBase(const CWindowBase&) = delete;
    CWindowBase& operator=(const CWindowBase&) = delete;
    // Destroys a window still held: call vDestroy sooner from a derived class
    // whose handlers must still run for WM_DESTROY.
    virtual ~CWindowBase();

    // Registers a class whose windows use this procedure; an existing class
    // of that name is fine. False (GetLastError) on failure.
    static bool boRegisterClass(HINSTANCE hInstance, const char* lpszClass, UINT uStyle = 0,
                                HCURSOR hCursor = nullptr, HBRUSH hBackground = nullptr);

    // CreateWindowExA of a class registered above, with this object as its
    // handler from WM_NCCREATE on. Null (GetLastError) on failure.
    HWND hCreate(DWORD dwExStyle, const char* lpszClass, const char* lpszTitle, DWORD dwStyle, int x, int y,
                 int cx, int cy, HWND hParent, HMENU hMenu, HINSTANCE hInstance);
    // Takes over a window of another class, of this thread: messages the
    // object leaves go to the window's previous procedure. False when the
    // object already has a window, the window already has an object, or the
    // procedure could not be replaced.
    bool boSubclass(HWND hWnd);
    // Gives a subclassed window its previous procedure back and lets it go,
    // without destroying it (a window someone else owns).
    void vUnsubclass();
    // Destroys the window (on its own thread); the object stays usable.
    void vDestroy();

    HWND hWnd() const { return m_hWnd; }
    // The object of a window made or subclassed here (null otherwise).
    static CWindowBase* lpFromWindow(HWND hWnd);

protected:
    // Every message of the window; lDefault for those it leaves.
    virtual LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) = 0;
    // The answer when lOnMessage threw (the exception is dropped here).
    virtual LRESULT lOnException(UINT /*uMsg*/) noexcept { return 0; }
    // After the window's last message (WM_NCDESTROY): the object has no
    // window any more and may delete itself here.
    virtual void vOnFinalMessage() {}
    // DefWindowProcA, or the previous procedure of a subclassed window.
    LRESULT lDefault(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // Windows of the classes registered here keep their object in their
    // extra bytes; others (subclassed) in a window property.
    static bool boHasObjectSlot(HWND hWnd);
    static CWindowBase* lpObjectOf(HWND hWnd);
    void vTake(HWND hWnd);
    void vUntie();

    HWND m_hWnd = nullptr;
    WNDPROC m_lpPrevious = nullptr; // of a subclassed window
};

// A window whose messages go to a member function of its owner, for classes
// that own a window rather than being one.
template <class T> class TMemberWindow : public CWindowBase
{
public:
    using FHandler = LRESULT (T::*)(UINT uMsg, WPARAM wParam, LPARAM lParam);
    TMemberWindow(T& owner, FHandler pfnHandler) : m_owner(owner), m_pfnHandler(pfnHandler) {}
    // For the owner's handler: what the window does with a message it leaves.
    LRESULT lCallDefault(UINT uMsg, WPARAM wParam, LPARAM lParam) { return lDefault(uMsg, wParam, lParam); }

protected:
    LRESULT lOnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        return (m_owner.*m_pfnHandler)(uMsg, wParam, lParam);
    }

private:
    T& m_owner;
    FHandler m_pfnHandler;
};

} // namespace FdWin
