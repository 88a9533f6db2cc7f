#pragma once
// The install script's line reader: the whole text in memory, lines ending at
// any run of CR and LF, each trimmed of blanks, empty lines and "//" comments
// skipped. The reader stops at the end of the text (or at a NUL byte).
#include <cstddef>
#include <string>

namespace FdInstall
{
class CScriptReader
{
public:
    // Takes a copy of the text; the reading position goes to its start.
    void vLoad(const std::string& strText);
    void vClear();
    bool boLoaded() const { return m_boLoaded; }
    // Next line to look at, false at the end of the text.
    bool boNextLine(std::string& strLine);
    size_t ulPosition() const { return m_ulPos; }

private:
    std::string m_strText;
    size_t m_ulPos = 0;
    bool m_boLoaded = false;
};

// Section states and test kinds a header sets.
enum ESection
{
    kSectionNone = 0,
    kSectionLoaded = 1,
    kSectionInstall = 2,
    kSectionTest = 3,
    kSectionDownload = 4,
    kSectionActions = 5,
    kSectionText = 6,
    kSectionRequired = 7,
    kSectionEnd = 255,
};
enum ETestKind
{
    kTestNone = 0,
    kTestRegistry = 1,
    kTestPlugin = 2,
    kTestFile = 3,
    kTestFileDate = 4,
    kTestFileVersion = 5,
};

// The section a whole line names ("[INSTALL]"... in any case), kSectionNone
// when it is no section header.
ESection eSectionHeader(const std::string& strLine);
// The test kind a sub-header names, kTestNone when it is none.
ETestKind eTestHeader(const std::string& strLine);
} // namespace FdInstall
