#pragma once
// The browsers the chooser library knows, the user's selection, and the
// enumeration of the selected folders.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace FdNav
{
constexpr int32_t kTypeExplorer = 0;
constexpr int32_t kTypeNetscape = 1;
constexpr int32_t kTypeOther = 2;

// One browser: its program's path (in a selection: its folder, ending "\").
struct SBrowserRecord
{
    int32_t lType = kTypeOther;
    std::string strPath;
    bool boDetected = false; // found by detection: preselected, cannot be removed
};

// Paths equal without regard to case (code page 1252 letters fold).
bool boSamePath(const std::string& a, const std::string& b);

class CBrowserList
{
public:
    // Adds the record unless one with the same path is there; true when added.
    bool boAdd(const SBrowserRecord& record);
    void vRemoveAt(size_t ulIndex);
    void vClear() { m_records.clear(); }
    const std::vector<SBrowserRecord>& records() const { return m_records; }
    std::vector<SBrowserRecord>& records() { return m_records; }

private:
    std::vector<SBrowserRecord> m_records;
};

// Drive and directory of a program's path, with the trailing separator
// ("C:\Program Files\Ie\" of "C:\Program Files\Ie\IExplore.exe"); a bare
// drive "C:" when there is no separator, "" when there is neither.
std::string strFolderOf(const std::string& strProgram);
// The type a chosen program's file name gives: "Netscape.exe" 1,
// "IExplore.exe" 0 (any case), anything else 2.
int32_t lTypeOfProgram(const std::string& strProgram);
// "Internet Explorer", "Netscape" or "Unknown".
const char* lpszTypeName(int32_t lType);

// The selection handed back one folder at a time.
class CSelection
{
public:
    // Emptied at the start of each choose call.
    void vClear();
    void vAppend(int32_t lType, const std::string& strFolder);
    size_t ulItems() const { return m_items.size(); }
    // The count the caller sees: set from the list by a successful choose.
    void vSetCount(size_t ulCount) { m_ulCount = ulCount; }
    size_t ulCount() const { return m_ulCount; }
    void vReset() { m_ulCursor = 0; }
    const std::vector<SBrowserRecord>& items() const { return m_items; }

    // Writes the next folder into lpszPath (ulPathSize bytes) and "1"
    // (Internet Explorer) or "0" into lpszType (two bytes). With a count of 0
    // the path is empty and the answer 1. A folder that does not fit with its
    // terminating zero leaves the path empty and answers 0. The cursor stops
    // on the last item: further calls give it again.
    int iNext(char* lpszPath, size_t ulPathSize, char* lpszType);

private:
    std::vector<SBrowserRecord> m_items;
    size_t m_ulCount = 0;
    size_t m_ulCursor = 0;
};
} // namespace FdNav
