#pragma once
// Texts of the trace files: file names per period, line prefixes, and the period roll.
#include <cstddef>
#include <cstdint>

#include "Clock.h"

namespace FdMisc
{

// The period (day, or hour) whose file receives the pending text.
class CLogPeriod
{
public:
    // True when `now` starts a new period: the caller flushes into the old file first,
    // then calls vSet(now). The first call only sets the period.
    bool boRolls(const FdSystem::SLocalTime& now, bool boHourly) const;
    void vSet(const FdSystem::SLocalTime& now);
    bool boIsSet() const { return m_iYear >= 0; }
    int iYear() const { return m_iYear; }
    int iMonth() const { return m_iMonth; }
    int iDay() const { return m_iDay; }
    int iHour() const { return m_iHour; }

private:
    int m_iYear = -1, m_iMonth = -1, m_iDay = -1, m_iHour = -1;
};

// folder + "YYYYMMDDHH.log" (hourly) or folder + "YYYYMMDD.log"; no separator is added.
// Returns false when the name does not fit n-1 characters.
bool boFormatLogFileName(char* lpszOut, size_t n, const char* lpszFolder, const CLogPeriod& period,
                         bool boHourly);

// "MM/DD/YY"; 9 characters of room.
void vFormatLogDate(char* lpszOut, const FdSystem::SLocalTime& t);
// "HH:MM:SS"; 9 characters of room.
void vFormatLogTime(char* lpszOut, const FdSystem::SLocalTime& t);
// "HH:MM:SS.mmm"; 13 characters of room.
void vFormatLogTimeMs(char* lpszOut, const FdSystem::SLocalTime& t);

constexpr size_t kLogPrefixMax = 1024;
constexpr int kLogIndentMax = 256;

// "\r\nMM/DD/YY HH:MM:SS <thread id> " with the header flag, else "\r\n".
void vFormatBasePrefix(char* lpszOut, size_t n, bool boHeader, const FdSystem::SLocalTime& t,
                       uint32_t dwThreadId);
// "\r\nMM/DD/YY HH:MM:SS.mmm <thread id %.5d> <thread name> - <indentation spaces>" with
// the header flag (indentation cut to 256), else "\r\n".
void vFormatNamedPrefix(char* lpszOut, size_t n, bool boHeader, const FdSystem::SLocalTime& t,
                        uint32_t dwThreadId, const char* lpszThreadName, int iIndent);

} // namespace FdMisc
