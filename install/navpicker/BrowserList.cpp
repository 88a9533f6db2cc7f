#include "BrowserList.h"

#include "AnsiText.h"

#include <cstring>

namespace FdNav
{
bool boSamePath(const std::string& a, const std::string& b)
{
    return boAnsiEqualNoCase(a.data(), a.size(), b.data(), b.size());
}

bool CBrowserList::boAdd(const SBrowserRecord& record)
{
    for (const SBrowserRecord& r : m_records)
    {
        if (boSamePath(r.strPath, record.strPath))
            return false;
    }
    m_records.push_back(record);
    return true;
}

void CBrowserList::vRemoveAt(size_t ulIndex)
{
    if (ulIndex < m_records.size())
        m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(ulIndex));
}

std::string strFolderOf(const std::string& strProgram)
{
    const size_t ulLast = strProgram.find_last_of("\\/");
    if (ulLast != std::string::npos)
        return strProgram.substr(0, ulLast + 1);
    if (strProgram.size() >= 2 && strProgram[1] == ':')
        return strProgram.substr(0, 2);
    return std::string();
}

int32_t lTypeOfProgram(const std::string& strProgram)
{
    const size_t ulLast = strProgram.find_last_of("\\/:");
    const std::string strName = ulLast == std::string::npos ? strProgram : strProgram.substr(ulLast + 1);
    if (boAnsiEqualNoCase(strName.c_str(), "Netscape.exe"))
        return kTypeNetscape;
    if (boAnsiEqualNoCase(strName.c_str(), "IExplore.exe"))
        return kTypeExplorer;
    return kTypeOther;
}

const char* lpszTypeName(int32_t lType)
{
    switch (lType)
    {
    case kTypeExplorer:
        return "Internet Explorer";
    case kTypeNetscape:
        return "Netscape";
    default:
        return "Unknown";
    }
}

void CSelection::vClear()
{
    m_items.clear();
    m_ulCount = 0;
    m_ulCursor = 0;
}

void CSelection::vAppend(int32_t lType, const std::string& strFolder)
{
    SBrowserRecord record;
    record.lType = lType;
    record.strPath = strFolder;
    m_items.push_back(record);
}

int CSelection::iNext(char* lpszPath, size_t ulPathSize, char* lpszType)
{
    if (lpszPath && ulPathSize > 0)
        lpszPath[0] = '\0';
    // The count may only speak of items the list holds.
    const size_t ulCount = m_ulCount < m_items.size() ? m_ulCount : m_items.size();
    if (ulCount == 0)
        return 1;
    if (m_ulCursor >= ulCount)
        m_ulCursor = ulCount - 1;
    const SBrowserRecord& item = m_items[m_ulCursor];
    if (lpszType)
    {
        lpszType[0] = item.lType == kTypeExplorer ? '1' : '0';
        lpszType[1] = '\0';
    }
    int iFits = 0;
    if (lpszPath && item.strPath.size() < ulPathSize)
    {
        std::memcpy(lpszPath, item.strPath.c_str(), item.strPath.size() + 1);
        iFits = 1;
    }
    if (m_ulCursor < ulCount - 1)
        ++m_ulCursor;
    return iFits;
}
} // namespace FdNav
