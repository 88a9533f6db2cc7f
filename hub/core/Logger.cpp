#include "Logger.h"

CLogger::CLogger() : CTxtFileLogger(kBufferSize)
{
    vSetFolder(kFolder);
    vSetHourly(false);
    vSetFlushEachLine(true);
}

CLogger::~CLogger()
{
    if (boIsEnabled())
    {
        vLog("###Déchargement du processus\r\n", -1, 0, true);
        vFlush();
        vEnable(false);
    }
}

const char* CLogger::lpszBuildPrefix(uint32_t, bool boHeader)
{
    const DWORD id = GetCurrentThreadId();
    FdMisc::vFormatNamedPrefix(m_szPrefix, sizeof(m_szPrefix), boHeader, Clock().GetLocalTime(), id,
                               lpszGetThreadName(id), iGetIndent());
    return m_szPrefix;
}
