#include "FdUi.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace FdUi
{
namespace
{
std::atomic<MessageBoxFn> g_pfnMessageBox{nullptr};
std::atomic<DialogBoxFn> g_pfnDialogBox{nullptr};
std::atomic<PopupMenuFn> g_pfnPopupMenu{nullptr};

// Scripted mode for programs started by tests (see the header).
class CScript
{
public:
    static CScript& Get()
    {
        static CScript s;
        return s;
    }
    bool boActive() const { return !m_strLog.empty(); }

    void vLog(const std::string& strLine)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        FILE* f = std::fopen(m_strLog.c_str(), "ab");
        if (f)
        {
            std::fwrite(strLine.data(), 1, strLine.size(), f);
            std::fputc('\n', f);
            std::fclose(f);
        }
    }

    // Next scripted answer, or iDefault when the list is used up.
    int iNextAnswer(int iDefault)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        while (m_pos < m_strAnswers.size())
        {
            std::size_t end = m_strAnswers.find(',', m_pos);
            if (end == std::string::npos)
                end = m_strAnswers.size();
            std::string item = m_strAnswers.substr(m_pos, end - m_pos);
            m_pos = end + 1;
            if (!item.empty())
                return std::atoi(item.c_str());
        }
        return iDefault;
    }

private:
    CScript()
    {
        char buf[MAX_PATH * 2];
        DWORD n = GetEnvironmentVariableA("FD_UI_LOG", buf, sizeof buf);
        if (n > 0 && n < sizeof buf)
            m_strLog.assign(buf, n);
        n = GetEnvironmentVariableA("FD_UI_ANSWERS", buf, sizeof buf);
        if (n > 0 && n < sizeof buf)
            m_strAnswers.assign(buf, n);
    }
    std::mutex m_mutex;
    std::string m_strLog;
    std::string m_strAnswers;
    std::size_t m_pos = 0;
};
} // namespace

int iDefaultAnswer(UINT uType)
{
    switch (uType & MB_TYPEMASK)
    {
    case MB_OKCANCEL:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO:
        return IDYES;
    case MB_RETRYCANCEL:
        return IDRETRY;
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int iMessageBox(HWND hwnd, const char* pszText, const char* pszCaption, UINT uType)
{
    if (MessageBoxFn pfn = g_pfnMessageBox.load())
        return pfn(hwnd, pszText, pszCaption, uType);
    CScript& script = CScript::Get();
    if (script.boActive())
    {
        char szType[16];
        std::snprintf(szType, sizeof szType, "%u", uType);
        script.vLog(std::string("MSGBOX|") + szType + "|" + (pszCaption ? pszCaption : "") + "|" +
                    (pszText ? pszText : ""));
        return script.iNextAnswer(iDefaultAnswer(uType));
    }
    return MessageBoxA(hwnd, pszText, pszCaption, uType);
}

INT_PTR iDialogBoxParam(HINSTANCE hinst, LPCSTR pszTemplate, HWND hwndParent, DLGPROC pfnProc, LPARAM lParam)
{
    if (DialogBoxFn pfn = g_pfnDialogBox.load())
        return pfn(hinst, pszTemplate, hwndParent, pfnProc, lParam);
    CScript& script = CScript::Get();
    if (script.boActive())
    {
        char szId[32];
        if (IS_INTRESOURCE(pszTemplate))
            std::snprintf(szId, sizeof szId, "%u",
                          static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(pszTemplate)));
        else
            std::snprintf(szId, sizeof szId, "%.24s", pszTemplate);
        script.vLog(std::string("DIALOG|") + szId);
        return script.iNextAnswer(IDCANCEL);
    }
    return DialogBoxParamA(hinst, pszTemplate, hwndParent, pfnProc, lParam);
}

int iTrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND hwnd)
{
    if (PopupMenuFn pfn = g_pfnPopupMenu.load())
        return pfn(menu, flags, x, y, hwnd);
    CScript& script = CScript::Get();
    if (script.boActive())
    {
        std::string line = "MENU|" + std::to_string(x) + "|" + std::to_string(y);
        const int count = GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i)
        {
            char text[256] = "";
            MENUITEMINFOA info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof text - 1;
            if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info))
                continue;
            if (info.fType & MFT_SEPARATOR)
                line += "|-";
            else
                line += "|" + std::to_string(info.wID) + ((info.fState & MFS_GRAYED) ? "~:" : ":") + text;
        }
        script.vLog(line);
        return script.iNextAnswer(0);
    }
    return static_cast<int>(TrackPopupMenu(menu, flags | TPM_RETURNCMD, x, y, 0, hwnd, nullptr));
}

MessageBoxFn pfnSetMessageBoxHook(MessageBoxFn pfn)
{
    return g_pfnMessageBox.exchange(pfn);
}

DialogBoxFn pfnSetDialogBoxHook(DialogBoxFn pfn)
{
    return g_pfnDialogBox.exchange(pfn);
}

PopupMenuFn pfnSetPopupMenuHook(PopupMenuFn pfn)
{
    return g_pfnPopupMenu.exchange(pfn);
}
} // namespace FdUi
