#pragma once
// The plug-in library's logger: trace lines of the plug-in go through it into
// hourly files, and the library's start and end are counted (FdLib::Init/Close).
#include "MyEvtLog.h"
#include "TxtFileLogger.h"

#include <cstdint>

namespace FdLib
{

class CLogger : public FdMisc::CMyEvtLog, public FdMisc::CTxtFileLogger
{
public:
    static constexpr uint32_t kBufferSize = 65536;
    static constexpr size_t kPrefixMax = 1024;
    static constexpr const char* kszLibraryPrefix = "c:\\FdLib"; // the prefix the plug-in creates it with
    static constexpr const char* kszPlugInFolder = "C:\\FDGAME"; // where the plug-in's files go

    // Hourly files named by the prefix (at most 1024 characters) followed by the
    // date and hour; the flush timer runs every `dwFlushPeriodSeconds` once
    // enabled. Starts disabled.
    CLogger(const char* lpszPrefix, uint32_t dwFlushPeriodSeconds);
    // With the closing flag: logs "###Fin du logging\r\n", flushes and disables.
    ~CLogger() override;

    const char* lpszGetPrefix() const { return m_szFilePrefix; }
    void vSetClosingLine(bool boOn) { m_boClosingLine = boOn; }

protected:
    // With the header flag: "\r\nMM/DD/YY HH:MM:SS.mmm <id %.5d> <thread name> - <indentation>",
    // with the line's error code "%.8X" before the dash when the line carries one
    // (a non-zero level); without the header flag "\r\n".
    const char* lpszBuildPrefix(uint32_t dwLevel, bool boHeader) override;

private:
    char m_szFilePrefix[kPrefixMax + 1] = {};
    bool m_boClosingLine = false;
};

// The first call keeps the logger and, when there is one, logs the library's
// start; every call counts a user. Returns true.
bool Init(CLogger* lpLogger);
// Counts a user down; the last one logs the library's end (when a logger is
// kept) and forgets the logger. Returns true.
bool Close();
// The logger kept by Init, or null.
CLogger* lpGetLogger();

} // namespace FdLib
