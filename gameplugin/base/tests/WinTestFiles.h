#pragma once
// File helpers of the Windows tests: a scratch folder removed at the end, whole
// files read and written, and the folder of the test programs.
#include <windows.h>

#include <string>

namespace GpTest
{
// A new empty folder under the system's temporary folder, removed with its
// content when the object goes.
class CScratchDir
{
public:
    CScratchDir();
    ~CScratchDir();
    CScratchDir(const CScratchDir&) = delete;
    CScratchDir& operator=(const CScratchDir&) = delete;
    const std::string& str() const { return m_strPath; } // ends without "\"
    std::string operator/(const std::string& strName) const { return m_strPath + "\\" + strName; }

private:
    std::string m_strPath;
};

bool boWriteFile(const std::string& strPath, const std::string& strData);
// The whole file; false when it cannot be read.
bool boReadFile(const std::string& strPath, std::string* lpstrData);
bool boExists(const std::string& strPath);
// Folder of the running test program, where every program and DLL of the build lies.
std::string strBinDir();
// Removes a folder and everything inside it.
void vRemoveTree(const std::string& strPath);
} // namespace GpTest
