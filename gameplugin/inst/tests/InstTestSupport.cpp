#include "InstTestSupport.h"

#include "EnvelopeSealer.h"
#include "FdUi.h"
#include "Fixtures.h"
#include "InstallUtils.h"
#include "ManageDL.h"
#include "PlugSecurity.h"
#include "PlugTrace.h"
#include "WinRegKey.h"
#include "Security.h"

#include <cstring>
#include <sstream>

namespace InstTest
{
namespace
{
CPlugLogger* g_lpLogger = nullptr;
std::string g_strTracePrefix;
size_t g_ulTraceMark = 0;
std::string g_strFakeLog;
CBoxScript* g_lpBoxScript = nullptr;
FdCrypto::CKeyRecord g_keys[2];
std::string g_keyTexts[2];

std::string strTraceFile()
{
    char sz[MAX_PATH] = "";
    if (!g_lpLogger || !g_lpLogger->boGetFileName(sz, sizeof sz))
        return std::string();
    return sz;
}

std::string strReadTrace()
{
    if (g_lpLogger)
        g_lpLogger->vFlush();
    std::string s;
    FdTestKit::boReadFile(strTraceFile(), &s);
    return s;
}

int BoxHook(HWND, const char* lpszText, const char* lpszCaption, UINT uType)
{
    if (!g_lpBoxScript)
        return IDOK;
    g_lpBoxScript->boxes.push_back(SBox{lpszText ? lpszText : "", lpszCaption ? lpszCaption : "", uType});
    if (g_lpBoxScript->answers.empty())
        return IDOK;
    const int i = g_lpBoxScript->answers.front();
    g_lpBoxScript->answers.pop_front();
    return i;
}

void vSetDword(HKEY hKey, const char* lpszName, DWORD dw)
{
    RegSetValueExA(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof dw);
}

void vSetText(HKEY hKey, const char* lpszName, const std::string& s)
{
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                   static_cast<DWORD>(s.size() + 1));
}
} // namespace

void CRecordingBrowser::vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize)
{
    calls.push_back(std::string("open ") + lpszUrl + " | " + (lpszFrame ? lpszFrame : "(none)") +
                    (dwExpectedSize ? " size=" + std::to_string(dwExpectedSize) : std::string()));
}

bool CRecordingBrowser::boPushHtml(const char* lpszHtml, const char* lpszFrame)
{
    calls.push_back(std::string("push ") + (lpszFrame ? lpszFrame : "(none)") + " | " + lpszHtml);
    return boPushResult;
}

void CRecordingBrowser::vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize)
{
    calls.push_back(std::string("download ") + lpszUrl + " new=" + (boNewNaming ? "1" : "0") +
                    " size=" + std::to_string(dwExpectedSize));
}

void CRecordingBrowser::vAbortDownload(const char* lpszUrl, bool boDeleteFile)
{
    calls.push_back(std::string("abort ") + lpszUrl + " delete=" + (boDeleteFile ? "1" : "0"));
}

void CRecordingBrowser::vRepaint(const RECT* lprc)
{
    if (!lprc)
        calls.push_back("repaint all");
    else
        calls.push_back("repaint " + std::to_string(lprc->left) + "," + std::to_string(lprc->top) + "," +
                        std::to_string(lprc->right) + "," + std::to_string(lprc->bottom));
}

CBoxScript::CBoxScript()
{
    g_lpBoxScript = this;
    FdUi::pfnSetMessageBoxHook(BoxHook);
}

CBoxScript::~CBoxScript()
{
    g_lpBoxScript = nullptr;
}

void CInstEnvironment::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    // Boxes nobody scripted answer IDOK without showing.
    FdUi::pfnSetMessageBoxHook(BoxHook);
    char szTemp[MAX_PATH];
    GetTempPathA(sizeof szTemp, szTemp);
    const std::string strRun = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    g_strTracePrefix = std::string(szTemp) + "fdgp_trace_" + strRun + "_";
    g_lpLogger = new CPlugLogger();
    g_lpLogger->vSetFolder(g_strTracePrefix.c_str());
    g_lpLogger->vSetFlushEachLine(true);
    g_lpLogger->vEnable(true);
    FdLib::Init(g_lpLogger);
    g_strFakeLog = std::string(szTemp) + "fdgp_fake_" + strRun + ".log";
    SetEnvironmentVariableA("FD_FAKECMPT_LOG", g_strFakeLog.c_str());
    for (int i = 0; i < 2; ++i)
    {
        g_keyTexts[i] = FdCryptoTest::ReadText(FdCryptoTest::FixturePath(i == 0 ? "key0.txt" : "key1.txt"));
        g_keys[i] = EnvelopeSealer::keyFromText(g_keyTexts[i]);
    }
}

void CInstEnvironment::TearDown()
{
    FdLib::Close();
    const std::string strFile = strTraceFile();
    delete g_lpLogger;
    g_lpLogger = nullptr;
    DeleteFileA(strFile.c_str());
    DeleteFileA(g_strFakeLog.c_str());
    CoUninitialize();
}

void vMarkTrace()
{
    g_ulTraceMark = strReadTrace().size();
}

std::string strTraceSinceMark()
{
    const std::string s = strReadTrace();
    return g_ulTraceMark <= s.size() ? s.substr(g_ulTraceMark) : s;
}

void vClearFakeLog()
{
    DeleteFileA(g_strFakeLog.c_str());
}

std::string strFakeLogText()
{
    std::string s;
    FdTestKit::boReadFile(g_strFakeLog, &s);
    return s;
}

std::vector<std::string> vecFakeLog(bool boBare)
{
    std::vector<std::string> lines;
    std::istringstream in(strFakeLogText());
    std::string line;
    while (std::getline(in, line))
    {
        if (boBare)
        {
            const size_t ulFirst = line.find('|');
            const size_t ulSecond = ulFirst == std::string::npos ? ulFirst : line.find('|', ulFirst + 1);
            if (ulSecond != std::string::npos)
                line = line.substr(ulSecond + 1);
        }
        lines.push_back(line);
    }
    return lines;
}

::testing::AssertionResult SetupSuite(const std::string& strInstallDir, uint32_t dwVersion)
{
    FdWin::CRegKey key;
    const LONG lError = key.lCreate(HKEY_LOCAL_MACHINE, "Software\\FdGame", KEY_ALL_ACCESS);
    if (lError != ERROR_SUCCESS)
        return ::testing::AssertionFailure() << "cannot create HKLM\\Software\\FdGame: error " << lError;
    vSetText(key.h(), nullptr, strInstallDir);
    vSetDword(key.h(), "FdGame", dwVersion);
    return ::testing::AssertionSuccess();
}

void vDeleteSuite()
{
    lDeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\FdGame", 1);
}

::testing::AssertionResult RegisterApp(const std::string& strName, const char* lpszClsid,
                                       const char* lpszVersion, const char* lpszVersionEx)
{
    FdWin::CRegKey key;
    const std::string strKey = "Software\\FdGame\\" + strName;
    const LONG lError = key.lCreate(HKEY_LOCAL_MACHINE, strKey.c_str(), KEY_ALL_ACCESS);
    if (lError != ERROR_SUCCESS)
        return ::testing::AssertionFailure() << "cannot create HKLM\\" << strKey << ": error " << lError;
    if (lpszClsid)
        vSetText(key.h(), "CLSID", lpszClsid);
    if (lpszVersion)
        vSetText(key.h(), "Version", lpszVersion);
    if (lpszVersionEx)
        vSetText(key.h(), "VersionEx", lpszVersionEx);
    return ::testing::AssertionSuccess();
}

namespace
{
::testing::AssertionResult SelfRegistered(const char* lpszFile)
{
    const std::string strPath = FdTestKit::strProgramFolder() + "" + lpszFile;
    if (!boSelfRegister(strPath.c_str()))
        return ::testing::AssertionFailure() << strPath << " did not register itself";
    return ::testing::AssertionSuccess();
}
} // namespace

::testing::AssertionResult RegisterFakeDll()
{
    return SelfRegistered("FakeCmptDll.dll");
}

::testing::AssertionResult RegisterFakeExe()
{
    return SelfRegistered("FakeCmpt.exe");
}

void vInstallKeys()
{
    PlugSecurity().vSetKey(CSecurity::kParamsKey, g_keyTexts[0].c_str());
    PlugSecurity().vSetKey(CSecurity::kFilesKey, g_keyTexts[1].c_str());
}

const FdCrypto::CKeyRecord& key(int iWhich)
{
    return g_keys[iWhich];
}

std::string strKeyText(int iWhich)
{
    return g_keyTexts[iWhich];
}

std::string strRegText(HKEY hRoot, const std::string& strKey, const char* lpszValue)
{
    FdWin::CRegKey key;
    if (key.lOpen(hRoot, strKey.c_str(), KEY_READ) != ERROR_SUCCESS)
        return std::string();
    char sz[4096] = "";
    DWORD dwSize = sizeof sz - 1;
    if (RegQueryValueExA(key.h(), lpszValue, nullptr, nullptr, reinterpret_cast<BYTE*>(sz), &dwSize) !=
        ERROR_SUCCESS)
        return std::string();
    return sz;
}

bool boRegKeyExists(HKEY hRoot, const std::string& strKey)
{
    FdWin::CRegKey key;
    return key.lOpen(hRoot, strKey.c_str(), KEY_READ) == ERROR_SUCCESS;
}

std::string strAction(const std::string& strPayload,
                      const std::vector<std::pair<std::string, std::string>>& pairs, int iAction)
{
    std::string s = strPayload + "$$eop$$cmd";
    for (const auto& p : pairs)
        s += "$$" + p.second + "$$" + p.first;
    return s + "$$" + std::to_string(iAction) + "$$action";
}

std::string strList(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string s;
    for (const auto& p : pairs)
        s += p.first + "\xA3\xA3" + p.second + "\xA3\xA3";
    return s;
}

void CInstTest::SetUp()
{
    m_strInstallDir = m_dir.Path() + "\\";
    vDeleteSuite();
    ASSERT_TRUE(SetupSuite(m_strInstallDir));
    vInstallKeys();
    vClearFakeLog();
    vMarkTrace();
}

void CInstTest::TearDown()
{
    EXPECT_EQ(0u, CManageDL::Get().ulGetCount()) << "a transfer outlived its test";
}

std::unique_ptr<CPlugInst>
CInstTest::lpNewInstance(const std::vector<std::pair<std::string, std::string>>& attributes,
                         CRecordingBrowser* lpBrowser, const char* lpszFile, int iLine)
{
    auto lpInstance = std::make_unique<CPlugInst>(lpBrowser ? lpBrowser : &m_browser);
    CParamList list(CParamList::kszSeparator);
    for (const auto& a : attributes)
        list.vAdd(a.first.c_str(), a.second.c_str());
    if (!lpInstance->boNewInstance(list))
        ADD_FAILURE_AT(lpszFile, iLine) << "the instance refused its attributes";
    return lpInstance;
}
} // namespace InstTest
