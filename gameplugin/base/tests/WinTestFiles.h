#pragma once
// File helpers of the Windows tests: a scratch folder removed at the end, whole
// files read and written, and the folder of the test programs.
#include <windows.h>

#include <string>

#include "TestKit.h"

namespace GpTest
{
// The test kit's scratch folder, under the names these tests use.
class CScratchDir : public FdTestKit::CScratchFolder
{
public:
    explicit CScratchDir(FdTestKit::SWhere where = FdTestKit::SWhere::here()) : CScratchFolder(where) {}
    const std::string& str() const { return Path(); } // ends without "\"
    std::string operator/(const std::string& strName) const { return File(strName); }
};

bool boWriteFile(const std::string& strPath, const std::string& strData);
// The whole file; false when it cannot be read.
bool boReadFile(const std::string& strPath, std::string* lpstrData);
bool boExists(const std::string& strPath);
// Folder of the running test program, where every program and DLL of the build lies.
std::string strBinDir();
// Removes a folder and everything inside it.
inline void vRemoveTree(const std::string& strPath)
{
    FdTestKit::boRemoveTree(strPath);
}
} // namespace GpTest
