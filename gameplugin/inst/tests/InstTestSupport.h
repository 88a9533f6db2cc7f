#pragma once
// Support of the plug-in instance's Windows tests: a browser that records what
// the instance asks of it, the suite's registry set up over a scratch install
// folder, the fake components, the trace file, scripted boxes and action buffers.
#include "BrowserLink.h"
#include "KeyRecord.h"
#include "PlugInst.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <memory>
#include <vector>

namespace InstTest
{
constexpr const char* kszFakeExeClsid = "{D0C4FE1E-7319-4C08-8E2A-B6D70E44ABDA}";
constexpr const char* kszFakeDllClsid = "{40C79732-961D-423C-907E-E78BEC0325EF}";
constexpr const char* kszUnregisteredClsid = "{11111111-2222-3333-4444-555555555555}";
constexpr uint32_t kModuleVersion = 2013; // this program's file version 2.0.1.3

// Records every request as one line:
//   "open <url> | <frame>"      ("(none)" for no frame; " size=<n>" after it when counted)
//   "push <frame> | <html>"
//   "download <url> new=<0|1> size=<n>"
//   "abort <url> delete=<0|1>"
//   "repaint <l>,<t>,<r>,<b>" or "repaint all"
class CRecordingBrowser : public IBrowserLink
{
public:
    void vOpenUrl(const char* lpszUrl, const char* lpszFrame, uint32_t dwExpectedSize) override;
    bool boPushHtml(const char* lpszHtml, const char* lpszFrame) override;
    void vStartDownload(const char* lpszUrl, bool boNewNaming, uint32_t dwExpectedSize) override;
    void vAbortDownload(const char* lpszUrl, bool boDeleteFile) override;
    void vRepaint(const RECT* lprc) override;

    std::vector<std::string> calls;
    bool boPushResult = true;
};

// One message box the instance showed.
struct SBox
{
    std::string strText;
    std::string strCaption;
    UINT uType;
};

// Installs a message-box hook for its life: records each box and answers from
// the queue (IDOK when empty).
class CBoxScript
{
public:
    CBoxScript();
    ~CBoxScript();
    std::deque<int> answers;
    std::vector<SBox> boxes;
};

// Process-wide: COM, the trace logger, the fake components' log file.
class CInstEnvironment : public ::testing::Environment
{
public:
    void SetUp() override;
    void TearDown() override;
};

// What the logger wrote since the last mark.
void vMarkTrace();
std::string strTraceSinceMark();

// The fake components' log: emptied, and read back (lines without the
// "<pid>|<kind>|" heads when boBare).
void vClearFakeLog();
std::vector<std::string> vecFakeLog(bool boBare = true);
std::string strFakeLogText();

// The helpers that return an AssertionResult are asserted by their callers
// (ASSERT_TRUE), so a failure shows the caller's line and stops it.

// HKLM "Software\FdGame" with the install folder and the suite version.
[[nodiscard]] ::testing::AssertionResult SetupSuite(const std::string& strInstallDir,
                                                    uint32_t dwVersion = kModuleVersion);
void vDeleteSuite();
// An application key "Software\FdGame\<name>"; null values are left out.
[[nodiscard]] ::testing::AssertionResult RegisterApp(const std::string& strName, const char* lpszClsid,
                                                     const char* lpszVersion,
                                                     const char* lpszVersionEx = nullptr);
// Registers the fake components from the build folder.
[[nodiscard]] ::testing::AssertionResult RegisterFakeDll();
[[nodiscard]] ::testing::AssertionResult RegisterFakeExe();
// Both keys of the fixtures, into the registry.
void vInstallKeys();
const FdCrypto::CKeyRecord& key(int iWhich);
std::string strKeyText(int iWhich);

// Reads a registry text value (empty when absent).
std::string strRegText(HKEY hRoot, const std::string& strKey, const char* lpszValue);
bool boRegKeyExists(HKEY hRoot, const std::string& strKey);

// An action buffer: payload, then the block with the pairs and the action number.
std::string strAction(const std::string& strPayload,
                      const std::vector<std::pair<std::string, std::string>>& pairs, int iAction);
// A "££" list text of the pairs.
std::string strList(const std::vector<std::pair<std::string, std::string>>& pairs);

// A test with a scratch install folder, the suite registered over it and both
// keys installed; m_browser records the instance's requests.
class CInstTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    // An instance created with these attributes (expects success; a failure is
    // reported at the caller's line).
    std::unique_ptr<CPlugInst>
    lpNewInstance(const std::vector<std::pair<std::string, std::string>>& attributes,
                  CRecordingBrowser* lpBrowser = nullptr, const char* lpszFile = __builtin_FILE(),
                  int iLine = __builtin_LINE());

    FdTestKit::CScratchFolder m_dir;
    std::string m_strInstallDir; // ends with "\"
    CRecordingBrowser m_browser;
};
} // namespace InstTest
