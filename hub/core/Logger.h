#pragma once
// The hub's logger: thread names of the event-log side, daily files in "c:\Linkwell",
// lines with date, time to the millisecond, thread id and name, and indentation.
#include "MyEvtLog.h"
#include "TxtFileLogger.h"

class CLogger : public FdMisc::CMyEvtLog, public FdMisc::CTxtFileLogger
{
public:
    static constexpr uint32_t kBufferSize = 65536;
    static constexpr const char* kFolder = "c:\\Linkwell";

    // Daily files, flush each line, disabled until the settings are read.
    CLogger();
    // When enabled: logs "###Déchargement du processus\r\n", flushes and disables.
    ~CLogger() override;

protected:
    // "\r\nMM/DD/YY HH:MM:SS.mmm <id %.5d> <thread name> - <indentation>", or "\r\n".
    const char* lpszBuildPrefix(uint32_t dwLevel, bool boHeader) override;
};
