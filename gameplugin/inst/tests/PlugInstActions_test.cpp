// Page actions: action buffers, GETURL, GETKEYS, COPYANDREGISTER and the
// installation of a component package.
#include "ActionBuffer.h"
#include "EnvelopeSealer.h"
#include "ExcptAcCopyRegister.h"
#include "InstTestSupport.h"
#include "KeyRecord.h"
#include "LzBuffer.h"
#include "PlugInst.h"
#include "WinRegKey.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace InstTest;

namespace
{
class PlugInstActions : public CInstTest
{
protected:
    void vRun(CPlugInst& instance, const std::string& strBuffer)
    {
        // Whatever the host received, followed by the NUL it adds.
        std::vector<char> bytes(strBuffer.begin(), strBuffer.end());
        bytes.push_back('\0');
        instance.vExecuteAction(bytes.data(), strBuffer.size());
    }

    // Installs a package with the action's parameters, called directly so the
    // exception can be seen.
    uint32_t dwInstallCode(CPlugInst& instance, const std::string& strBuffer,
                           FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        CParamList list(CParamList::kszActionSeparator);
        EXPECT_EQ(PageAction::EBufferStatus::Ok,
                  PageAction::eReadActionBuffer(strBuffer.data(), strBuffer.size(), list, nullptr));
        try
        {
            instance.vActionCOPYANDREGISTER(strBuffer.data(), list);
        }
        catch (const CExcptAcCopyRegister& e)
        {
            return e.dwGetCode();
        }
        return 0;
    }

    static std::string strPackage(const std::string& strFile,
                                  FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        CLzBuffer lz;
        EXPECT_TRUE(lz.boCompress(reinterpret_cast<const uint8_t*>(strFile.data()),
                                  static_cast<uint32_t>(strFile.size()), true));
        const std::string packed(reinterpret_cast<const char*>(lz.lpGetData()), lz.dwGetSize());
        return EnvelopeSealer::strSeal(packed, key(1), false, 11);
    }
};

TEST_F(PlugInstActions, BufferFormsAndActionNumbers)
{
    auto instance = lpNewInstance({});
    const struct
    {
        const char* lpszName;
        std::string buffer;
        const char* lpszCall;  // what the browser gets, or null
        const char* lpszTrace; // a line the trace must hold, or null
    } cases[] = {
        {"seven bytes", "$action", nullptr,
         "!ERREUR! CPlugInst::vExecuteAction -> la taille du buffer est trop petite !"},
        {"upper case", "$$eop$$cmd$$http://127.0.0.1/a$$URL$$1$$ACTION", "open http://127.0.0.1/a | (none)",
         nullptr},
        {"cut suffix", "$$eop$$cmd$$http://127.0.0.1/a$$URL$$1$$actio", nullptr,
         "!ERREUR! CPlugInst::vExecuteAction -> le buffer est invalide 1$$actio != $$action !"},
        {"frame", strAction("", {{"URL", "http://127.0.0.1/b"}, {"FRAME", "main"}}, 1),
         "open http://127.0.0.1/b | main",
         "CPlugInst::vActionGETURL start (url=http://127.0.0.1/b, frame=main)"},
        {"action 0", strAction("", {{"URL", "http://127.0.0.1/c"}}, 0), nullptr,
         "CPlugInst::vExecuteAction -> action=action$$0$$URL$$http://127.0.0.1/c$$cmd$$eop$$"},
        {"action 4", strAction("", {{"URL", "http://127.0.0.1/d"}}, 4), nullptr,
         "!ERREUR! CPlugInst::vExecuteAction -> action inconnue (4) !"},
        {"no block", "$$x$$y$$1$$action", nullptr,
         "!ERREUR! CPlugInst::vExecuteAction -> le buffer ne contient pas"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lpszName);
        m_browser.calls.clear();
        vMarkTrace();
        vRun(*instance, c.buffer);
        EXPECT_EQ(c.lpszCall ? std::vector<std::string>{c.lpszCall} : std::vector<std::string>{},
                  m_browser.calls);
        if (c.lpszTrace)
        {
            EXPECT_NE(std::string::npos, strTraceSinceMark().find(c.lpszTrace)) << strTraceSinceMark();
        }
    }
}

TEST_F(PlugInstActions, GetKeysStoresBothKeysThenOpensTheAddress)
{
    for (const char* lpszValue : {"Key0", "Key1"})
    {
        FdWin::CRegKey suite;
        ASSERT_EQ(ERROR_SUCCESS, suite.lOpen(HKEY_LOCAL_MACHINE, "Software\\FdGame", KEY_SET_VALUE));
        RegDeleteValueA(suite.h(), lpszValue);
    }
    auto instance = lpNewInstance({});
    vRun(*instance, strAction("",
                              {{"privatekeyparams", strKeyText(0)},
                               {"privatekeyfile", strKeyText(1)},
                               {"URL", "http://127.0.0.1/ok.htm"},
                               {"FRAME", "main"}},
                              6));
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/ok.htm | main"}, m_browser.calls);
    // The private keys stay out of the trace.
    const std::string strTrace = strTraceSinceMark();
    EXPECT_NE(std::string::npos, strTrace.find("CPlugInst::vActionGETKEYS start (cl\xE9"
                                               "1:" +
                                               std::to_string(strKeyText(0).size()) + " caract\xE8res"));
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(std::string::npos, strTrace.find(strKeyText(i).substr(0, 32))) << i;
    for (int i = 0; i < 2; ++i)
    {
        FdWin::CRegKey suite;
        ASSERT_EQ(ERROR_SUCCESS, suite.lOpen(HKEY_LOCAL_MACHINE, "Software\\FdGame", KEY_READ));
        uint8_t bytes[FdCrypto::kKeyRecordSize + 8] = {};
        DWORD dwSize = sizeof bytes;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegQueryValueExA(suite.h(), i == 0 ? "Key0" : "Key1", nullptr, nullptr, bytes, &dwSize));
        ASSERT_EQ(FdCrypto::kKeyRecordSize, dwSize);
        EXPECT_EQ(0, std::memcmp(key(i).bytes.data(), bytes, dwSize)) << i;
    }

    // A key text that is not one is traced; the address is still opened.
    m_browser.calls.clear();
    vRun(*instance, strAction("", {{"privatekeyfile", "@@@@"}, {"URL", "http://127.0.0.1/next.htm"}}, 6));
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/next.htm | (none)"}, m_browser.calls);
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("!ERREUR! CPlugInst::vActionGETKEYS -> erreur \xE0 la "
                                       "r\xE9"
                                       "cup\xE9ration d'une des cl\xE9s de cryptage."));
}

TEST_F(PlugInstActions, PackageInstallsTheComponentAndOpensTheReturnPage)
{
    ASSERT_TRUE(RegisterFakeDll());
    std::string strDll;
    ASSERT_TRUE(FdTestKit::boReadFile(FdTestKit::strProgramFolder() + "FakeCmptDll.dll", &strDll));
    auto instance = lpNewInstance({{"hidedialog", "yes"}});

    // The page asks for a component that is not installed: its package is fetched.
    vRun(*instance, strAction("",
                              {{"launchapp", "FakeCopy"},
                               {"urldata", "http://127.0.0.1/pkg"},
                               {"sizedata", "1000"},
                               {"thispage", strList({{"URL", "http://127.0.0.1/back.htm"}})}},
                              3));
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/pkg | (none) size=1000"}, m_browser.calls);
    EXPECT_STREQ("Veuillez patienter, chargement en cours...", instance->lpszGetMessage(0));

    // The package arrives as the answer.
    m_browser.calls.clear();
    vRun(*instance, strAction(strPackage(strDll),
                              {{"regpath", "FakeCopy"},
                               {"physpath", "cmpt\\FakeCopy.dll"},
                               {"clsid", kszFakeDllClsid},
                               {"version", "2105"}},
                              2));
    const std::string strPath = m_strInstallDir + "cmpt\\FakeCopy.dll";
    std::string strCopied;
    ASSERT_TRUE(FdTestKit::boReadFile(strPath, &strCopied)) << strTraceSinceMark();
    EXPECT_TRUE(strCopied == strDll);
    const std::string strKey = "Software\\FdGame\\FakeCopy";
    EXPECT_EQ(kszFakeDllClsid, strRegText(HKEY_LOCAL_MACHINE, strKey, "CLSID"));
    EXPECT_EQ("02010005", strRegText(HKEY_LOCAL_MACHINE, strKey, "Version"));
    EXPECT_EQ("2.1.0.05", strRegText(HKEY_LOCAL_MACHINE, strKey, "VersionEx"));
    EXPECT_EQ(strPath, strRegText(HKEY_LOCAL_MACHINE, strKey, "Path"));
    EXPECT_EQ(strPath, strRegText(HKEY_CLASSES_ROOT,
                                  std::string("CLSID\\") + kszFakeDllClsid + "\\InprocServer32", nullptr));
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/back.htm | _self"}, m_browser.calls);
    EXPECT_EQ(nullptr, instance->lpszGetMessage(0));
    EXPECT_TRUE(instance->strGetReturnPage().empty());

    // The installed component now launches.
    vRun(*instance, strAction("", {{"launchapp", "FakeCopy"}}, 3));
    ASSERT_EQ(1u, instance->ulGetAppCount());
    EXPECT_NE(std::string::npos, strFakeLogText().find("|dll|Advise\n"));
    instance->vDestroyInstance();
    ASSERT_TRUE(RegisterFakeDll());
}

TEST_F(PlugInstActions, BadPackagesWriteNothing)
{
    auto instance = lpNewInstance({});
    // A stream that promises more than it holds.
    std::string corrupt = std::string("SZDD\x88\xF0\x27\x33\x41\x00\xE8\x03\x00\x00", 14) + "\xFF"
                                                                                            "abcdefgh";
    const struct
    {
        const char* lpszName;
        std::string payload;
        const char* lpszPhysPath;
        uint32_t dwCode;
    } cases[] = {
        {"corrupt SZDD", EnvelopeSealer::strSeal(corrupt, key(1), false), "bad\\Bad.dll",
         kAcCopyCantDecompressCmpt},
        {"empty payload", "", "bad\\Bad.dll", kAcCopyCantDecompressCmpt},
        {"parent folder", EnvelopeSealer::strSeal("MZ", key(1), false), "..\\Bad.dll",
         kAcCopyCantCreateSubdir},
        {"drive", EnvelopeSealer::strSeal("MZ", key(1), false), "C:\\Bad.dll", kAcCopyCantCreateSubdir},
        {"rooted", EnvelopeSealer::strSeal("MZ", key(1), false), "\\Bad.dll", kAcCopyCantCreateSubdir},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lpszName);
        EXPECT_EQ(c.dwCode, dwInstallCode(*instance, strAction(c.payload,
                                                               {{"regpath", "Bad"},
                                                                {"physpath", c.lpszPhysPath},
                                                                {"clsid", kszFakeDllClsid}},
                                                               2)));
        EXPECT_FALSE(FdTestKit::boFileExists(m_strInstallDir + "bad\\Bad.dll"));
        EXPECT_FALSE(FdTestKit::boFileExists(m_dir.Path() + "\\..\\Bad.dll"));
        EXPECT_FALSE(boRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\FdGame\\Bad"));
    }
    // Through the page: the report is traced and nothing follows.
    m_browser.calls.clear();
    vRun(*instance,
         strAction(EnvelopeSealer::strSeal(corrupt, key(1), false),
                   {{"regpath", "Bad"}, {"physpath", "bad\\Bad.dll"}, {"clsid", kszFakeDllClsid}}, 2));
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("impossible d'installer un composant. Exception:\n"));
    EXPECT_NE(std::string::npos, strTraceSinceMark().find("Code:5101 (CantDecompressCmpt)"));
    EXPECT_TRUE(m_browser.calls.empty());
}

TEST_F(PlugInstActions, UndecryptableBufferReportsErrorTwentyThree)
{
    auto instance = lpNewInstance({{"errurl", "http://127.0.0.1/err.asp?s=1"}, {"errfrm", "errf"}});
    vRun(*instance, strAction("", {{"crypted", "yes"}, {"launchappex", "garbage"}}, 3));
    ASSERT_EQ(1u, m_browser.calls.size());
    EXPECT_EQ(
        "open http://127.0.0.1/err.asp?s=1&params=APPID%A3%A30%A3%A3JOBID%A3%A30%A3%A3NUMERR%A3%A323%A3%A3"
        "WIN32ERR%A3%A30%A3%A3 | errf",
        m_browser.calls[0]);
}
} // namespace
