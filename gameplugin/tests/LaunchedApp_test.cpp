// Launched components: creation codes, binding and call order, local servers in
// the killable-process table, and the page's launch requests that fail.
#include "ExcptLaunchedApp.h"
#include "FdBstr.h"
#include "ImplCallback.h"
#include "InstTestSupport.h"
#include "KillableProcessMap.h"
#include "LaunchedApp.h"
#include "PlugInst.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace InstTest;

namespace
{
class LaunchedApp : public CInstTest
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(CInstTest::SetUp());
        ASSERT_TRUE(RegisterFakeDll());
        ASSERT_TRUE(RegisterApp("FakeDll", kszFakeDllClsid, "1.0.0.0"));
    }

    void vRun(CPlugInst& instance, const std::vector<std::pair<std::string, std::string>>& pairs,
              int iAction = 3)
    {
        const std::string strBuffer = strAction("", pairs, iAction);
        instance.vExecuteAction(strBuffer.c_str(), strBuffer.size());
    }

    static uint32_t dwCreationCode(const char* lpszApp, const char* lpszRequired,
                                   std::string* lpstrText = nullptr)
    {
        try
        {
            CLaunchedApp app(lpszApp, lpszRequired, false);
        }
        catch (const CExcptLaunchedApp& e)
        {
            if (lpstrText)
                *lpstrText = e.lpszGetText();
            return e.dwGetCode();
        }
        return 0;
    }
};

TEST_F(LaunchedApp, CreationCodes)
{
    ASSERT_TRUE(RegisterApp("NoClsid", nullptr, "1"));
    ASSERT_TRUE(RegisterApp("BadClsid", "not-a-clsid", "1"));
    ASSERT_TRUE(RegisterApp("NoVersion", kszFakeDllClsid, nullptr));
    ASSERT_TRUE(RegisterApp("Old", kszFakeDllClsid, "2.1"));
    ASSERT_TRUE(RegisterApp("Unregistered", kszUnregisteredClsid, "1"));
    ASSERT_TRUE(RegisterApp("Both", kszFakeDllClsid, "1.0", "3.0"));
    ASSERT_TRUE(RegisterApp("Ex", kszFakeDllClsid, "2.1", "2.1.0.5"));
    const struct
    {
        const char* lpszApp;
        const char* lpszRequired;
        uint32_t dwCode;
        const char* lpszTextStart;
    } cases[] = {
        {"NoSuchApp", nullptr, kLaunchAppNotInstalled, "Application:NoSuchApp"},
        {"NoClsid", nullptr, kLaunchCantReadClsid, "Application:NoClsid, erreur:2-"},
        {"BadClsid", nullptr, kLaunchBadClsid, "Application:BadClsid, CLSID:not-a-clsid, erreur:"},
        {"NoVersion", nullptr, kLaunchCantReadVersion, "Application:NoVersion, erreur:2-"},
        {"Old", "2.1.0", kLaunchVersionTooOld, "Application:Old, curver:2.1, ver:2.1.0"},
        {"Unregistered", nullptr, kLaunchCantCreate, "Application:Unregistered, erreur:80040154-"},
        {"Old", "2.1", 0, ""},
        {"Ex", "2.1", 0, ""},
        {"Both", "2.0", 0, ""},
        {"Both", "3.0.1", kLaunchVersionTooOld, "Application:Both, curver:3.0, ver:3.0.1"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.lpszApp) + " " + (c.lpszRequired ? c.lpszRequired : "-"));
        std::string strText;
        EXPECT_EQ(c.dwCode, dwCreationCode(c.lpszApp, c.lpszRequired, &strText));
        EXPECT_EQ(0u, strText.find(c.lpszTextStart)) << strText;
    }
}

TEST_F(LaunchedApp, KeyThatCannotBeOpenedGives5052)
{
    // A name no registry key can have.
    const std::string strName(300, 'k');
    std::string strText;
    EXPECT_EQ(kLaunchCantOpenKey, dwCreationCode(strName.c_str(), nullptr, &strText));
    EXPECT_EQ(0u, strText.find("Cl\xE9 de registry:Software\\FdGame\\kkk")) << strText;
}

TEST_F(LaunchedApp, InProcessComponentGetsVersionThenPageParametersInOrder)
{
    auto instance = lpNewInstance({{"name", "launcher"}});
    instance->vSetWindow(reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234)));
    vRun(*instance, {{"launchapp", "FakeDll"},
                     {"removewithfdgame", "yes"},
                     {"paramsapp", strList({{"a", "1"}})},
                     {"paramsapp1", strList({{"CMD", "GO"}})},
                     {"paramsapp3", strList({{"b", "2"}})}});
    ASSERT_EQ(1u, instance->ulGetAppCount());
    CLaunchedApp* lpApp = instance->lpGetApp(0);
    EXPECT_FALSE(lpApp->boIsLocalServer());
    EXPECT_TRUE(lpApp->strGetServerPath().empty());
    instance->vGiveHwndToApps();
    instance->vDestroyInstance();
    EXPECT_EQ(0u, instance->ulGetAppCount());
    const std::vector<std::string> expected = {"Create",
                                               "Advise",
                                               "SetParameter|VERSION|2000",
                                               "ExecuteCmd|SETVER",
                                               "SetParameter|a|1",
                                               "ExecuteCmd|GO",
                                               "SetParameter|b|2",
                                               "SetParameter|HWND|4660",
                                               "Unadvise|1",
                                               "ForceRemove",
                                               "Destroy"};
    EXPECT_EQ(expected, vecFakeLog());
}

TEST_F(LaunchedApp, ComponentThatRefusesTheCallbackIsDropped)
{
    auto instance = lpNewInstance({});
    SetEnvironmentVariableA("FD_FAKECMPT_REFUSE_ADVISE", "1");
    vRun(*instance, {{"launchapp", "FakeDll"}, {"paramsapp", strList({{"a", "1"}})}});
    SetEnvironmentVariableA("FD_FAKECMPT_REFUSE_ADVISE", nullptr);
    EXPECT_EQ(0u, instance->ulGetAppCount());
    // Nothing is passed to a component that is not bound; it is released at once.
    EXPECT_EQ((std::vector<std::string>{"Create", "Advise", "Destroy"}), vecFakeLog());
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("!ERREUR! CLaunchedApp::boBindWithObpp -> l'application a "
                                       "refus\xE9 le pointeur de callback"));
}

TEST_F(LaunchedApp, LocalServerBindsWithAdvise2AndSharesOneKillableEntry)
{
    ASSERT_TRUE(RegisterFakeExe());
    ASSERT_TRUE(RegisterApp("FakeExe", kszFakeExeClsid, "1"));
    const std::string strServer =
        strRegText(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kszFakeExeClsid + "\\LocalServer32", nullptr);
    ASSERT_FALSE(strServer.empty());
    auto countEntries = [&]
    {
        std::vector<std::string> texts;
        EXPECT_TRUE(CKillableProcessMap::Get().boGetList(&texts));
        return std::count(texts.begin(), texts.end(), "NAME:" + strServer);
    };
    auto instance = lpNewInstance({});
    vRun(*instance, {{"launchapp", "FakeExe"}, {"removewithfdgame", "yes"}});
    ASSERT_EQ(1u, instance->ulGetAppCount());
    EXPECT_TRUE(instance->lpGetApp(0)->boIsLocalServer());
    EXPECT_EQ(strServer, instance->lpGetApp(0)->strGetServerPath());
    EXPECT_EQ(1, countEntries());

    // A second record of the same server, which leaves at once: the entry stays
    // for the first.
    vRun(*instance, {{"launchapp", "FakeExe"}, {"paramsapp", strList({{"CMD", "LEAVE"}})}});
    EXPECT_EQ(1u, instance->ulGetAppCount());
    EXPECT_EQ(1, countEntries());

    // The component asks the plug-in through the second callback interface.
    IDiagOBPP2Cmpt* lpCmpt = instance->lpGetApp(0)->lpGetApp();
    for (const char* lpszMethod : {"GetProcessIdentifier", "GetKillableProcess"})
    {
        lpCmpt->SetParameter(FdCom::CBstr("METHOD").bstr(), FdCom::CBstr(lpszMethod).bstr());
        lpCmpt->ExecuteCmd(FdCom::CBstr("CALL2").bstr());
    }
    instance->vDestroyInstance();
    EXPECT_EQ(0, countEntries());

    const std::string log = strFakeLogText();
    const std::vector<std::string> lines = vecFakeLog();
    EXPECT_EQ(2, std::count(lines.begin(), lines.end(), "Advise2")) << log;
    EXPECT_NE(std::string::npos, log.find("|exe|Result2|GetProcessIdentifier|00000000|" +
                                          std::to_string(GetCurrentProcessId()) + "\n"))
        << log;
    // The table's entry, then the registered components' servers.
    EXPECT_NE(std::string::npos,
              log.find("|exe|Result2|GetKillableProcess|00000000|NAME:" + strServer + "|" + strServer + "\n"))
        << log;
    for (const char* lpszLine : {"|exe|Unadvise|1\n", "|exe|ForceRemove\n"})
        EXPECT_NE(std::string::npos, log.find(lpszLine)) << lpszLine << " in\n" << log;
}

TEST_F(LaunchedApp, CheckOnlyLaunchReleasesTheComponentAndOpensTheAnswer)
{
    auto instance = lpNewInstance({});
    vRun(*instance, {{"launchapp", "FakeDll"},
                     {"urlcmptnoinstall", strList({{"URL", "http://127.0.0.1/ok.htm"}, {"FRAME", "f"}})}});
    EXPECT_EQ(0u, instance->ulGetAppCount());
    EXPECT_EQ((std::vector<std::string>{"Create", "Destroy"}), vecFakeLog());
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/ok.htm | f"}, m_browser.calls);
}

TEST_F(LaunchedApp, MissingComponentAsksTheUserFirst)
{
    auto instance = lpNewInstance({{"errurl", "http://127.0.0.1/err.asp"}});
    {
        CBoxScript script;
        script.answers = {IDCANCEL};
        vRun(*instance, {{"launchapp", "Ghost"}, {"urldata", "http://127.0.0.1/pkg"}});
        ASSERT_EQ(1u, script.boxes.size());
        EXPECT_EQ("Le composant Ghost a besoin d'\xEAtre install\xE9 sur votre machine.",
                  script.boxes[0].strText);
        EXPECT_EQ("FDGAME - Informations", script.boxes[0].strCaption);
        EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_OKCANCEL), script.boxes[0].uType);
        EXPECT_EQ(
            std::vector<std::string>{
                "open http://127.0.0.1/err.asp?params=APPID%A3%A30%A3%A3JOBID%A3%A30%A3%A3"
                "NUMERR%A3%A316%A3%A3WIN32ERR%A3%A30%A3%A3 | (none)"},
            m_browser.calls);
    }
    m_browser.calls.clear();
    auto quiet = lpNewInstance(
        {{"hidecancel", "yes"}, {"resources", strList({{"instcmpt", "Installer %s maintenant ?"}})}});
    {
        CBoxScript script;
        vRun(*quiet, {{"launchapp", "Ghost"},
                      {"urlcmptinstall", strList({{"URL", "http://127.0.0.1/install.htm"}})}});
        ASSERT_EQ(1u, script.boxes.size());
        EXPECT_EQ("Installer Ghost maintenant ?", script.boxes[0].strText);
        EXPECT_EQ(static_cast<UINT>(MB_TOPMOST | MB_OK), script.boxes[0].uType);
        EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/install.htm | _self"}, m_browser.calls);

        m_browser.calls.clear();
        vRun(*quiet, {{"launchapp", "Ghost"}});
        EXPECT_TRUE(m_browser.calls.empty());
        EXPECT_NE(std::string::npos,
                  strTraceSinceMark().find("!ERREUR! CPlugInst::vLaunchApp -> aucune action ne "
                                           "peut \xEAtre entreprise"));
    }
}
} // namespace
