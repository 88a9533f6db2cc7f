// Winsock is started by the first user of the process and cleaned up by the
// last one, whatever their order of destruction.
#pragma once

namespace FdNet
{

class CWinsockUse
{
public:
    // Starts Winsock 1.1 when this is the process's first use. boIsStarted()
    // tells whether it is available.
    CWinsockUse();
    // Cleans up when this was the last successful use.
    ~CWinsockUse();
    CWinsockUse(const CWinsockUse&) = delete;
    CWinsockUse& operator=(const CWinsockUse&) = delete;

    bool boIsStarted() const { return m_boCounted; }
    // The error of the failed start (0 when started).
    int iGetStartError() const { return m_iError; }
    // Number of live uses in the process.
    static unsigned uGetUseCount();

private:
    bool m_boCounted = false;
    int m_iError = 0;
};

} // namespace FdNet
