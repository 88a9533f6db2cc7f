#pragma once
// The plug-in's trace lines. Every traced method writes "<method> start" with its
// arguments and "<method> end"; the lines between carry the trace label of the
// object whose method runs (innermost first) when the logger is a CPlugLogger.
// Lines go to the library logger (FdLib::Init); without one nothing is written.
#include "FdLibLogger.h"
#include "TraceScope.h"

#include <cstdint>

namespace PlugTrace
{
constexpr int kDepthMax = 50; // nesting levels that remember their object
}

// The plug-in's logger: files start with "c:\FdLib" for the library and go to
// "C:\FDGAME" for the plug-in; each line shows the traced object's label.
class CPlugLogger : public FdLib::CLogger
{
public:
    CPlugLogger();

protected:
    // "\r\nMM/DD/YY HH:MM:SS.mmm <id %.5d> <thread name> [<label>] - <indentation>", 21
    // blanks in the brackets when no traced object is known; "\r\n" without header.
    const char* lpszBuildPrefix(uint32_t dwLevel, bool boHeader) override;
};

// Start and end lines of one traced method.
class CPlugTrace
{
public:
    // Logs "<method> start" followed by a blank and the formatted arguments (when a
    // format is given); the end line "<method> end" follows at the scope's end.
    // lpszLabel: the traced object's label (kept by pointer; may be null).
    CPlugTrace(const char* lpszLabel, const char* lpszMethod, const char* lpszArgsFormat = nullptr, ...);
    ~CPlugTrace();
    CPlugTrace(const CPlugTrace&) = delete;
    CPlugTrace& operator=(const CPlugTrace&) = delete;

private:
    // Keeps the label on this thread's stack; declared before the scope so that
    // it outlives the scope's end line.
    class CLabelPush
    {
    public:
        explicit CLabelPush(const char* lpszLabel);
        ~CLabelPush();
        CLabelPush(const CLabelPush&) = delete;
        CLabelPush& operator=(const CLabelPush&) = delete;
    };

    CLabelPush m_label;
    FdLib::CTraceScope m_scope;
};

// One line under the current label: "!ERREUR! <method> -> ...", "<method> -> ...".
void vPlugTrace(const char* lpszFormat, ...);

// The innermost traced object's label on this thread, or null.
const char* lpszCurrentTraceLabel();

// "" for a null text, so traces never format a null string.
inline const char* sz(const char* lpsz)
{
    return lpsz ? lpsz : "";
}
