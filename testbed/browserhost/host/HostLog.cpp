#include "HostLog.h"

namespace FdBrowserHost
{
bool CHostLog::boOpen(const std::string& path, DWORD* pdwError)
{
    m_dwThread = GetCurrentThreadId();
    m_qwLast = GetTickCount64();
    if (path.empty())
        return true;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        *pdwError = GetLastError();
        return false;
    }
    m_file.vAttach(h);
    return true;
}

void CHostLog::vWrite(const SLogLine& line)
{
    const std::string text = strFormatLogLine(line);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_file.boValid())
        {
            const std::string withEnd = text + "\n";
            DWORD dwWritten = 0;
            WriteFile(m_file.get(), withEnd.data(), static_cast<DWORD>(withEnd.size()), &dwWritten, nullptr);
        }
    }
    m_qwLast = GetTickCount64();
    if (m_observer && GetCurrentThreadId() == m_dwThread)
        m_observer(text);
}
} // namespace FdBrowserHost
