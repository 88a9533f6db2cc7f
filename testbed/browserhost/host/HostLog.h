// The session log: one line per event (see LogLine.h), handed to the
// system as it happens so a crashing plug-in leaves everything before it.
// Usable from any thread; the observer (the window's log view) is told only
// of lines written on the thread that opened the log.
#pragma once

#include "LogLine.h"
#include "WinHandle.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace FdBrowserHost
{
class CHostLog
{
public:
    // Empty path: lines go to the observer only. False with the Windows
    // error when the file cannot be created (an old file is replaced).
    bool boOpen(const std::string& path, DWORD* pdwError);
    void vWrite(const SLogLine& line);
    void vSetObserver(std::function<void(const std::string&)> fn) { m_observer = std::move(fn); }
    // GetTickCount64 of the last line written.
    uint64_t qwLastLineMs() const { return m_qwLast.load(); }

private:
    std::mutex m_mutex;
    FdWin::CHandle m_file;
    DWORD m_dwThread = 0;
    std::function<void(const std::string&)> m_observer;
    std::atomic<uint64_t> m_qwLast{0};
};
} // namespace FdBrowserHost
