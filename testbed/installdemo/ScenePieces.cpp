#include "ScenePieces.h"

#include "LzBuffer.h"

#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace FdScene
{
namespace
{
const char kSep[] = "\xA3\xA3";
constexpr DWORD kProcessEndMs = 30000;
} // namespace

std::string strRead(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool boWrite(const std::string& path, const std::string& data)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << data;
    return static_cast<bool>(f);
}

std::string strList(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string s;
    for (const auto& p : pairs)
        s += p.first + kSep + p.second + kSep;
    return s;
}

// An action buffer: the payload, then the parameters read back to front.
std::string strAction(const std::string& strPayload,
                      const std::vector<std::pair<std::string, std::string>>& pairs, int iAction)
{
    std::string s = strPayload + "$$eop$$cmd";
    for (const auto& p : pairs)
        s += "$$" + p.second + "$$" + p.first;
    return s + "$$" + std::to_string(iAction) + "$$action";
}

std::string strCompressed(const std::string& strFile)
{
    CLzBuffer lz;
    if (!lz.boCompress(reinterpret_cast<const uint8_t*>(strFile.data()),
                       static_cast<uint32_t>(strFile.size()), true))
        return std::string();
    return std::string(reinterpret_cast<const char*>(lz.lpGetData()), lz.dwGetSize());
}

std::vector<DWORD> processesNamed(const char* lpszName)
{
    std::vector<DWORD> ids;
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32First(hSnap, &pe); ok; ok = Process32Next(hSnap, &pe))
        if (lstrcmpiA(pe.szExeFile, lpszName) == 0)
            ids.push_back(pe.th32ProcessID);
    CloseHandle(hSnap);
    return ids;
}

// Waits for every process of that name to end; true when none is left.
bool boWaitGone(const char* lpszName)
{
    for (DWORD id : processesNamed(lpszName))
    {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (h)
        {
            WaitForSingleObject(h, kProcessEndMs);
            CloseHandle(h);
        }
    }
    return processesNamed(lpszName).empty();
}

std::string strQuote(const std::string& s)
{
    return "\"" + s + "\"";
}

// The plug-in's trace files (C:\FDGAME*), which the sessions append to.
std::string strPluginTrace()
{
    std::string strText;
    WIN32_FIND_DATAA found = {};
    HANDLE hFind = FindFirstFileA("C:\\FDGAME*", &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return strText;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            strText += strRead(std::string("C:\\") + found.cFileName);
    while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    return strText;
}

// SETMSG commands in trace lines "CImplCallback::ExecuteCmd start (bstrName=SETMSG, paramètres=...)".
std::vector<std::string> statusLinesOf(const std::string& strTrace)
{
    std::vector<std::string> out;
    const std::string kStart = "(bstrName=SETMSG, param\xE8tres=";
    std::istringstream in(strTrace);
    std::string line;
    while (std::getline(in, line))
    {
        const size_t at = line.find(kStart);
        if (at == std::string::npos || line.find("ExecuteCmd start") == std::string::npos)
            continue;
        std::string params = line.substr(at + kStart.size());
        if (!params.empty() && params.back() == '\r')
            params.pop_back();
        if (!params.empty() && params.back() == ')')
            params.pop_back();
        std::string strNum = "0", strText;
        size_t pos = 0;
        while (pos < params.size())
        {
            const size_t a = params.find(kSep, pos);
            if (a == std::string::npos)
                break;
            const size_t b = params.find(kSep, a + 2);
            const std::string name = params.substr(pos, a - pos);
            const std::string value =
                params.substr(a + 2, b == std::string::npos ? std::string::npos : b - a - 2);
            if (name == "NUMMSG")
                strNum = value;
            else if (name == "TEXTMSG")
                strText = value;
            pos = b == std::string::npos ? params.size() : b + 2;
        }
        out.push_back(strNum + "|" + strText);
    }
    return out;
}

// A log's lines, without what comes before the first '|' (a process id) when boStrip.
std::vector<std::string> logLines(const std::string& strPath, bool boStrip)
{
    std::vector<std::string> out;
    std::istringstream in(strRead(strPath));
    for (std::string l; std::getline(in, l);)
    {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        out.push_back(boStrip ? l.substr(l.find('|') + 1) : l);
    }
    return out;
}
} // namespace FdScene
