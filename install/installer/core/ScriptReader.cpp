#include "ScriptReader.h"

#include "AnsiText.h"

namespace FdInstall
{
namespace
{
bool boIsBreak(char c)
{
    return c == '\r' || c == '\n';
}
bool boIsBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct SHeader
{
    const char* lpszName;
    int iValue;
};
const SHeader kSections[] = {
    {"[INSTALL]", kSectionInstall}, {"[TEST]", kSectionTest}, {"[DL]", kSectionDownload},
    {"[ACTIONS]", kSectionActions}, {"[TEXT]", kSectionText}, {"[REQUIRED_ACTIONS]", kSectionRequired},
    {"[END]", kSectionEnd},
};
const SHeader kTests[] = {
    {"[REGISTRY]", kTestRegistry}, {"[PLUGIN]", kTestPlugin},       {"[FILE]", kTestFile},
    {"[FILEDATE]", kTestFileDate}, {"[FILEVER]", kTestFileVersion},
};

template <size_t N> int iFind(const SHeader (&table)[N], const std::string& strLine)
{
    for (const SHeader& h : table)
    {
        if (boAnsiEqualNoCase(strLine.c_str(), h.lpszName))
            return h.iValue;
    }
    return 0;
}
} // namespace

void CScriptReader::vLoad(const std::string& strText)
{
    // The text ends at its first NUL, as the script file's reader always saw it.
    m_strText = strText.substr(0, strText.find('\0'));
    m_ulPos = 0;
    m_boLoaded = true;
}

void CScriptReader::vClear()
{
    m_strText.clear();
    m_strText.shrink_to_fit();
    m_ulPos = 0;
    m_boLoaded = false;
}

bool CScriptReader::boNextLine(std::string& strLine)
{
    while (m_ulPos < m_strText.size())
    {
        size_t ulEnd = m_ulPos;
        while (ulEnd < m_strText.size() && !boIsBreak(m_strText[ulEnd]))
            ++ulEnd;
        size_t ulBegin = m_ulPos;
        m_ulPos = ulEnd;
        while (m_ulPos < m_strText.size() && boIsBreak(m_strText[m_ulPos]))
            ++m_ulPos;
        while (ulBegin < ulEnd && boIsBlank(m_strText[ulBegin]))
            ++ulBegin;
        while (ulEnd > ulBegin && boIsBlank(m_strText[ulEnd - 1]))
            --ulEnd;
        if (ulEnd == ulBegin)
            continue;
        if (ulEnd - ulBegin >= 2 && m_strText[ulBegin] == '/' && m_strText[ulBegin + 1] == '/')
            continue;
        strLine.assign(m_strText, ulBegin, ulEnd - ulBegin);
        return true;
    }
    return false;
}

ESection eSectionHeader(const std::string& strLine)
{
    return static_cast<ESection>(iFind(kSections, strLine));
}

ETestKind eTestHeader(const std::string& strLine)
{
    return static_cast<ETestKind>(iFind(kTests, strLine));
}
} // namespace FdInstall
