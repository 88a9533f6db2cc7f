#include "ParamList.h"

#include "AnsiText.h"

#include <cstring>
#include <utility>
#include <vector>

namespace
{
std::optional<std::string> strCopy(const char* lpsz)
{
    if (!lpsz)
        return std::nullopt;
    return std::string(lpsz);
}

using PendingPairs = std::vector<std::pair<std::string, std::string>>;

bool boIsEndPair(const std::string& strName, const std::string& strValue)
{
    return boAnsiEqualNoCase(strName.c_str(), CParamList::kszEndName) &&
           boAnsiEqualNoCase(strValue.c_str(), CParamList::kszEndValue);
}

// Bytes before the first NUL, at most ulLength.
size_t ulTextLength(const char* lpBuffer, size_t ulLength)
{
    const void* lpNul = std::memchr(lpBuffer, 0, ulLength);
    return lpNul ? static_cast<size_t>(static_cast<const char*>(lpNul) - lpBuffer) : ulLength;
}

// First occurrence of the separator at or after `ulFrom` within text[0, ulLength).
size_t ulFindForward(const char* lpText, size_t ulLength, size_t ulFrom, const std::string& strSep)
{
    const size_t n = strSep.size();
    for (size_t i = ulFrom; i + n <= ulLength; ++i)
    {
        if (std::memcmp(lpText + i, strSep.data(), n) == 0)
            return i;
    }
    return std::string::npos;
}

// Start offset of the separator occurrence whose last byte lies at or before
// `lEnd`, searching towards the buffer start; -1 when the start or a NUL byte
// comes first.
ptrdiff_t lFindBackward(const char* lpBuffer, ptrdiff_t lEnd, const std::string& strSep)
{
    const ptrdiff_t n = static_cast<ptrdiff_t>(strSep.size());
    for (ptrdiff_t last = lEnd; last >= n - 1; --last)
    {
        if (lpBuffer[last] == 0)
            return -1;
        if (std::memcmp(lpBuffer + last - n + 1, strSep.data(), static_cast<size_t>(n)) == 0)
            return last - n + 1;
    }
    return -1;
}
} // namespace

CParamPair::CParamPair(const char* lpszName, const char* lpszValue)
    : m_strName(strCopy(lpszName)), m_strValue(strCopy(lpszValue))
{
}

CParamList::CParamList(const char* lpszSeparator)
    : m_strSeparator(strCopy(lpszSeparator)), m_itCursor(m_pairs.end())
{
}

CParamList::CParamList(const CParamList& other)
    : m_strSeparator(other.m_strSeparator), m_dwCount(other.m_dwCount), m_pairs(other.m_pairs),
      m_strSerialized(other.m_strSerialized), m_itCursor(m_pairs.end()), m_ulParseStop(other.m_ulParseStop)
{
    // The copy's cursor sits on the copy of the source's cursor pair.
    auto itSource = other.m_pairs.begin();
    for (auto it = m_pairs.begin(); it != m_pairs.end(); ++it, ++itSource)
    {
        if (itSource == other.m_itCursor)
        {
            m_itCursor = it;
            break;
        }
    }
}

CParamList& CParamList::operator=(const CParamList& other)
{
    if (this != &other)
    {
        CParamList copy(other);
        std::swap(m_strSeparator, copy.m_strSeparator);
        std::swap(m_dwCount, copy.m_dwCount);
        // Swapping lists keeps iterators valid, now pointing into this list.
        m_pairs.swap(copy.m_pairs);
        std::swap(m_itCursor, copy.m_itCursor);
        std::swap(m_strSerialized, copy.m_strSerialized);
        std::swap(m_ulParseStop, copy.m_ulParseStop);
    }
    return *this;
}

void CParamList::vSetSeparator(const char* lpszSeparator)
{
    m_strSeparator = strCopy(lpszSeparator);
}

void CParamList::vClear()
{
    m_pairs.clear();
    m_dwCount = 0;
    m_itCursor = m_pairs.end();
}

void CParamList::vAdd(const char* lpszName, const char* lpszValue, CParamPair** lppPair)
{
    const bool boWasEmpty = m_pairs.empty();
    m_pairs.emplace_back(lpszName, lpszValue);
    auto itNew = std::prev(m_pairs.end());
    if (boWasEmpty)
        m_itCursor = itNew;
    ++m_dwCount;
    if (lppPair)
        *lppPair = &*itNew;
}

CParamList::PairList::iterator CParamList::itFind(const char* lpszName)
{
    for (auto it = m_pairs.begin(); it != m_pairs.end(); ++it)
    {
        if (boAnsiEqualNoCase(it->lpszGetName(), lpszName))
            return it;
    }
    return m_pairs.end();
}

CParamList::PairList::const_iterator CParamList::itFind(const char* lpszName) const
{
    for (auto it = m_pairs.begin(); it != m_pairs.end(); ++it)
    {
        if (boAnsiEqualNoCase(it->lpszGetName(), lpszName))
            return it;
    }
    return m_pairs.end();
}

bool CParamList::boRemove(const char* lpszName)
{
    auto it = itFind(lpszName);
    if (it == m_pairs.end())
        return false;
    if (m_itCursor == it)
        ++m_itCursor;
    m_pairs.erase(it);
    --m_dwCount;
    return true;
}

const char* CParamList::lpszGetValue(const char* lpszName) const
{
    auto it = itFind(lpszName);
    return it == m_pairs.end() ? nullptr : it->lpszGetValue();
}

bool CParamList::boSetHidden(const char* lpszName, uint32_t dwHidden)
{
    auto it = itFind(lpszName);
    if (it == m_pairs.end())
        return false;
    it->vSetHidden(dwHidden);
    return true;
}

void CParamList::vSetAllHidden(uint32_t dwHidden)
{
    for (auto& pair : m_pairs)
        pair.vSetHidden(dwHidden);
}

void CParamList::vSetCursor(uint32_t dwIndex)
{
    if (dwIndex >= m_dwCount)
        return;
    m_itCursor = std::next(m_pairs.begin(), dwIndex);
}

CParamPair* CParamList::lpGetNext()
{
    if (m_itCursor == m_pairs.end())
        return nullptr;
    CParamPair* lpPair = &*m_itCursor;
    ++m_itCursor;
    return lpPair;
}

bool CParamList::boParse(const char* lpBuffer, size_t ulLength, bool boStopAtEnd, bool boBackwards)
{
    if (!lpBuffer || !m_strSeparator || m_strSeparator->empty())
        return false;
    if (boBackwards)
        return boParseBackward(lpBuffer, ulLength);
    return boParseForward(lpBuffer, ulLength, boStopAtEnd);
}

bool CParamList::boParseForward(const char* lpBuffer, size_t ulLength, bool boStopAtEnd)
{
    const std::string& strSep = *m_strSeparator;
    const size_t ulText = ulTextLength(lpBuffer, ulLength);
    uint32_t dwPairsLeft = 0;
    if (!boStopAtEnd)
    {
        const uint32_t dwSeps = dwCountOccurrences(lpBuffer, ulText, strSep.data(), strSep.size());
        if (dwSeps == 0 || dwSeps % 2 != 0)
            return false;
        dwPairsLeft = dwSeps / 2;
    }

    PendingPairs pending;
    size_t ulPos = 0;
    for (;;)
    {
        if (!boStopAtEnd && dwPairsLeft-- == 0)
            break;
        const size_t ulNameEnd = ulFindForward(lpBuffer, ulText, ulPos, strSep);
        if (ulNameEnd == std::string::npos)
            return false;
        const size_t ulValue = ulNameEnd + strSep.size();
        const size_t ulValueEnd = ulFindForward(lpBuffer, ulText, ulValue, strSep);
        if (ulValueEnd == std::string::npos)
            return false;
        pending.emplace_back(std::string(lpBuffer + ulPos, ulNameEnd - ulPos),
                             std::string(lpBuffer + ulValue, ulValueEnd - ulValue));
        ulPos = ulValueEnd + strSep.size();
        if (boStopAtEnd && boIsEndPair(pending.back().first, pending.back().second))
            break;
    }
    for (const auto& pair : pending)
        vAdd(pair.first.c_str(), pair.second.c_str());
    m_ulParseStop = ulPos;
    return true;
}

bool CParamList::boParseBackward(const char* lpBuffer, size_t ulLength)
{
    const std::string& strSep = *m_strSeparator;
    const ptrdiff_t lSep = static_cast<ptrdiff_t>(strSep.size());
    PendingPairs pending;
    ptrdiff_t lPos = static_cast<ptrdiff_t>(ulLength) - 1; // last byte of the data
    for (;;)
    {
        const ptrdiff_t lNameSep = lFindBackward(lpBuffer, lPos, strSep);
        if (lNameSep < 0)
            return false;
        const ptrdiff_t lValueSep = lFindBackward(lpBuffer, lNameSep - 1, strSep);
        if (lValueSep < 0)
            return false;
        pending.emplace_back(
            std::string(lpBuffer + lNameSep + lSep, static_cast<size_t>(lPos - (lNameSep + lSep) + 1)),
            std::string(lpBuffer + lValueSep + lSep, static_cast<size_t>(lNameSep - (lValueSep + lSep))));
        lPos = lValueSep - 1;
        if (boIsEndPair(pending.back().first, pending.back().second))
            break;
    }
    for (const auto& pair : pending)
        vAdd(pair.first.c_str(), pair.second.c_str());
    m_ulParseStop = static_cast<size_t>(lPos + 1);
    return true;
}

const char* CParamList::lpszSerialize(bool boReversed)
{
    const std::string strSep = m_strSeparator.value_or(std::string());
    size_t ulRoom = 1;
    for (const auto& pair : m_pairs)
    {
        ulRoom += 2 * strSep.size();
        ulRoom += pair.lpszGetName() ? std::strlen(pair.lpszGetName()) : 0;
        ulRoom += pair.lpszGetValue() ? std::strlen(pair.lpszGetValue()) : 0;
    }
    std::string strText;
    strText.reserve(ulRoom);
    for (const auto& pair : m_pairs)
    {
        if (pair.dwGetHidden() != 0)
            continue;
        const char* lpszName = pair.lpszGetName() ? pair.lpszGetName() : "";
        const char* lpszValue = pair.lpszGetValue() ? pair.lpszGetValue() : "";
        if (boReversed)
            strText.append(strSep).append(lpszValue).append(strSep).append(lpszName);
        else
            strText.append(lpszName).append(strSep).append(lpszValue).append(strSep);
    }
    m_strSerialized = std::move(strText);
    return m_strSerialized->c_str();
}

uint32_t dwCountOccurrences(const char* lpText, size_t ulLength, const char* lpSep, size_t ulSepLength)
{
    if (!lpText || !lpSep || ulSepLength == 0)
        return 0;
    uint32_t dwCount = 0;
    for (size_t i = 0; i + ulSepLength <= ulLength;)
    {
        if (std::memcmp(lpText + i, lpSep, ulSepLength) == 0)
        {
            ++dwCount;
            i += ulSepLength;
        }
        else
        {
            ++i;
        }
    }
    return dwCount;
}
