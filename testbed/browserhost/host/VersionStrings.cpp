#include "VersionStrings.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace FdBrowserHost
{
std::string strVersionString(const std::string& path, const char* pszName)
{
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeA(path.c_str(), &dwHandle);
    if (dwSize == 0)
        return std::string();
    std::vector<char> data(dwSize);
    if (!GetFileVersionInfoA(path.c_str(), 0, dwSize, data.data()))
        return std::string();
    std::vector<std::string> blocks;
    struct SLangCp
    {
        WORD wLang;
        WORD wCp;
    };
    SLangCp* pTrans = nullptr;
    UINT uLen = 0;
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTrans), &uLen) &&
        uLen >= sizeof(SLangCp))
    {
        char sz[16];
        std::snprintf(sz, sizeof sz, "%04x%04x", pTrans->wLang, pTrans->wCp);
        blocks.push_back(sz);
    }
    blocks.push_back("040904e4");
    blocks.push_back("040904b0");
    for (const std::string& block : blocks)
    {
        const std::string key = "\\StringFileInfo\\" + block + "\\" + pszName;
        char* pValue = nullptr;
        if (VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&pValue), &uLen) && pValue &&
            uLen)
            return std::string(pValue, strnlen(pValue, uLen));
    }
    return std::string();
}
} // namespace FdBrowserHost
