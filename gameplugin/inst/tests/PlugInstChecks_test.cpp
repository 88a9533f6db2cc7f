// The instance's creation: install checks and their repair, version checks,
// attributes, parameter translation and the instance registry.
#include "EnvelopeSealer.h"
#include "ExcptCheckOB.h"
#include "Fixtures.h"
#include "InstTestSupport.h"
#include "PlugInst.h"
#include "PlugTrace.h"
#include "WinRegKey.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace InstTest;

namespace
{
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new CInstEnvironment);

struct SCheckFailure
{
    uint32_t dwCode = 0;
    std::string strText;
};

SCheckFailure checkFailure(FdTestKit::SWhere where = FdTestKit::SWhere::here())
{
    FD_TRACE_CALLER(where);
    SCheckFailure f;
    char szDir[MAX_PATH] = "unchanged";
    try
    {
        CPlugInst::boCheckOBInstalled(szDir, sizeof szDir);
        ADD_FAILURE() << "no exception";
    }
    catch (const CExcptCheckOB& e)
    {
        f.dwCode = e.dwGetCode();
        f.strText = e.lpszGetText();
    }
    EXPECT_STREQ("unchanged", szDir);
    return f;
}

class PlugInstChecks : public CInstTest
{
};

TEST_F(PlugInstChecks, InstallCheckCodes)
{
    char szDir[MAX_PATH] = "";
    ASSERT_TRUE(CPlugInst::boCheckOBInstalled(szDir, sizeof szDir));
    EXPECT_EQ(m_strInstallDir, szDir);
    // Without a final "\" in the registry the folder still gets one.
    ASSERT_TRUE(SetupSuite(m_dir.Path()));
    ASSERT_TRUE(CPlugInst::boCheckOBInstalled(szDir, sizeof szDir));
    EXPECT_EQ(m_strInstallDir, szDir);

    vDeleteSuite();
    EXPECT_EQ(kCheckOBNotInstalled, checkFailure().dwCode);

    ASSERT_TRUE(SetupSuite(""));
    EXPECT_EQ(kCheckOBNotInstalled, checkFailure().dwCode);

    vDeleteSuite();
    ASSERT_TRUE(RegisterApp("", nullptr, nullptr)); // the key alone, without "FdGame"
    {
        FdWin::CRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, key.lOpen(HKEY_LOCAL_MACHINE, "Software\\FdGame", KEY_SET_VALUE));
        RegSetValueExA(key.h(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_strInstallDir.c_str()),
                       static_cast<DWORD>(m_strInstallDir.size() + 1));
    }
    SCheckFailure f = checkFailure();
    EXPECT_EQ(kCheckOBCantReadRegistryData, f.dwCode);
    EXPECT_EQ(0u, f.strText.find("Registry data:FdGame, Erreur:2-")) << f.strText;

    ASSERT_TRUE(SetupSuite(m_dir.File("missing")));
    f = checkFailure();
    EXPECT_EQ(kCheckOBCantChangeDir, f.dwCode);
    EXPECT_EQ(0u, f.strText.find("Chemin:" + (m_dir.File("missing\\")) + ", Erreur:")) << f.strText;
}

TEST_F(PlugInstChecks, FailedCreationShowsTheReportAndLeavesNoName)
{
    vDeleteSuite();
    CBoxScript script;
    CPlugInst instance(&m_browser);
    CParamList attributes(CParamList::kszSeparator);
    attributes.vAdd("name", "broken");
    EXPECT_FALSE(instance.boNewInstance(attributes));
    ASSERT_EQ(1u, script.boxes.size());
    const SBox& box = script.boxes[0];
    EXPECT_EQ("Orbelle", box.strCaption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONHAND | MB_TOPMOST), box.uType);
    const std::string strHead = "La base de registre est mal configur\xE9"
                                "e pour le fonctionnement de Orbelle. "
                                "Merci de proc\xE9"
                                "der \xE0 une r\xE9installation.\n\nFichier:";
    EXPECT_EQ(0u, box.strText.find(strHead)) << box.strText;
    EXPECT_NE(std::string::npos,
              box.strText.find("\nFonction:CPlugInst::boCheckOBInstalled\nClasse d'exception:"
                               "CExcptCheckOB\nCode:5001 (OBNotInstalled)\nDescription:Orbelle "
                               "n'est pas install\xE9"
                               "e correctement\nExtra infos:\n"
                               "Win32ErrCode:2"))
        << box.strText;
    EXPECT_EQ(nullptr, CPlugInst::lpFindInstanceByName("broken"));
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("!ERREUR! CPlugInst::boNewInstance -> l'installation "
                                       "courante est incorrecte. Exception:\nFichier:"));
}

TEST_F(PlugInstChecks, RepairRebuildsTheSuiteKeyUnderProgramFiles)
{
    char szProgramFiles[MAX_PATH + 1] = "";
    ASSERT_EQ(ERROR_SUCCESS, CPlugInst::lGetProgramFilesDir(szProgramFiles, MAX_PATH));
    const std::string strRepaired = std::string(szProgramFiles) + "\\FdGameRepairTest";
    FdTestKit::boRemoveTree(strRepaired);
    vDeleteSuite();
    ASSERT_TRUE(RegisterApp("Stale", kszFakeDllClsid, "1")); // a broken key: no install folder
    {
        CBoxScript script;
        auto instance = lpNewInstance({{"name", "repaired"}, {"fdgameautoinst", "FdGameRepairTest"}});
        EXPECT_TRUE(script.boxes.empty());
        EXPECT_EQ(strRepaired + "\\", instance->lpszGetInstallDir());
        EXPECT_EQ(instance.get(), CPlugInst::lpFindInstanceByName("repaired"));
        instance->vDestroyInstance();
    }
    EXPECT_TRUE(FdTestKit::boFileExists(strRepaired));
    EXPECT_EQ(strRepaired, strRegText(HKEY_LOCAL_MACHINE, "Software\\FdGame", nullptr));
    EXPECT_FALSE(boRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\FdGame\\Stale"));
    EXPECT_TRUE(CPlugInst::boCheckOBVersion(kModuleVersion));
    FdTestKit::boRemoveTree(strRepaired);
}

TEST_F(PlugInstChecks, RepairStaysInsideProgramFiles)
{
    vDeleteSuite();
    CBoxScript script;
    CPlugInst instance(&m_browser);
    CParamList attributes(CParamList::kszSeparator);
    attributes.vAdd("fdgameautoinst", "..\\Evasion");
    EXPECT_FALSE(instance.boNewInstance(attributes));
    EXPECT_EQ(1u, script.boxes.size());
    EXPECT_FALSE(boRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\FdGame"));
    char szProgramFiles[MAX_PATH + 1] = "";
    ASSERT_EQ(ERROR_SUCCESS, CPlugInst::lGetProgramFilesDir(szProgramFiles, MAX_PATH));
    EXPECT_FALSE(FdTestKit::boFileExists(std::string(szProgramFiles) + "\\..\\Evasion"));
}

TEST_F(PlugInstChecks, VersionOfTheModuleAndOfTheSuite)
{
    EXPECT_EQ(kModuleVersion, CPlugInst::dwGetModuleVersion());
    EXPECT_TRUE(CPlugInst::boCheckOBVersion(2013));
    EXPECT_TRUE(CPlugInst::boCheckOBVersion(2012));
    EXPECT_FALSE(CPlugInst::boCheckOBVersion(2014));
    vDeleteSuite();
    EXPECT_FALSE(CPlugInst::boCheckOBVersion(1));
}

TEST_F(PlugInstChecks, TooOldSuiteOpensTheInstallPageAndStopsParsing)
{
    auto instance =
        lpNewInstance({{"fdgameinsturl", strList({{"URL", "http://127.0.0.1/inst.htm"}, {"FRAME", "main"}})},
                       {"fdgameversion", "2014"},
                       {"hidecancel", "yes"},
                       {"width", "300"}});
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/inst.htm | main"}, m_browser.calls);
    EXPECT_FALSE(instance->boGetHideCancel());
    EXPECT_EQ(0u, instance->dwGetWidth());

    m_browser.calls.clear();
    auto equal = lpNewInstance({{"fdgameversion", "2013"}, {"hidecancel", "YES"}});
    EXPECT_TRUE(m_browser.calls.empty());
    EXPECT_TRUE(equal->boGetHideCancel());
}

TEST_F(PlugInstChecks, AttributesSetTheInstance)
{
    auto instance = lpNewInstance({{"NAME", "jeu"},
                                   {"hidedialog", "yes"},
                                   {"bgcolor", "#FF0000"},
                                   {"TextColor", "65280"},
                                   {"font", "Arial;120;0;3"},
                                   {"dialogpage", "http://127.0.0.1/dlg.asp"},
                                   {"errurl", "http://127.0.0.1/err.asp"},
                                   {"errfrm", "errf"},
                                   {"width", "305"},
                                   {"height", "5"},
                                   {"calldiagpage", "yes"},
                                   {"redirdisp", "a-name-longer-than-twenty-one"}});
    EXPECT_EQ("jeu", instance->strGetName());
    EXPECT_EQ(instance.get(), CPlugInst::lpFindInstanceByName("jeu"));
    EXPECT_EQ(std::string("jeu_"), std::string(instance->lpszGetTraceLabel(), 4));
    EXPECT_TRUE(instance->boGetHideDialog());
    EXPECT_FALSE(instance->boGetHideCancel());
    EXPECT_EQ(RGB(255, 0, 0), instance->crGetBackground());
    EXPECT_EQ(RGB(0, 255, 0), instance->crGetText());
    EXPECT_STREQ("Arial", instance->fontGet().szFace);
    EXPECT_EQ(120, instance->fontGet().lFirst);
    EXPECT_EQ(3, instance->fontGet().lThird);
    EXPECT_EQ("http://127.0.0.1/err.asp", instance->strGetErrUrl());
    EXPECT_EQ("errf", instance->strGetErrFrame());
    EXPECT_EQ(305u, instance->dwGetWidth());
    EXPECT_EQ(30u, instance->dwGetCellCount());
    const RECT rc = instance->rcGetProgressBar();
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(-6, rc.top);
    EXPECT_EQ(305, rc.right);
    EXPECT_EQ(-1, rc.bottom);
    EXPECT_EQ("a-name-longer-than-tw", instance->strGetRedirect());
    EXPECT_EQ(std::vector<std::string>{"open http://127.0.0.1/dlg.asp | (none)"}, m_browser.calls);
    EXPECT_NE(std::string::npos, strTraceSinceMark().find("CPlugInst::vParseAttributes -> hidedialog=yes"));

    // A missing height gives the geometry of height 0.
    auto plain = lpNewInstance({});
    EXPECT_EQ(-11, plain->rcGetProgressBar().top);
    EXPECT_EQ(-11, plain->rcGetProgressBar().bottom);
    EXPECT_EQ(nullptr, CPlugInst::lpFindInstanceByName("NONAME"));
    instance->vDestroyInstance();
    EXPECT_EQ(nullptr, CPlugInst::lpFindInstanceByName("jeu"));
}

TEST_F(PlugInstChecks, ResourcesReplaceTheMessageTextsWhenFitForUse)
{
    auto instance = lpNewInstance(
        {{"resources",
          strList({{"dlcmpt", "Patience..."}, {"instcmpt", "Installer %n ?"}, {"inftitle", "Info"}})}});
    EXPECT_STREQ("Patience...", instance->lpszGetMessageText("dlcmpt"));
    EXPECT_STREQ("Info", instance->lpszGetMessageText("inftitle"));
    // Conversions other than the expected "%s": the default text.
    EXPECT_STREQ("Le composant %s a besoin d'\xEAtre install\xE9 sur votre machine.",
                 instance->lpszGetMessageText("instcmpt"));
    // Texts the page left out keep their defaults.
    EXPECT_STREQ("FDGAME - Erreur", instance->lpszGetMessageText("errtitle"));
}

TEST_F(PlugInstChecks, CryptedAndSplitAttributesAreTranslatedFirst)
{
    const std::string fixture = FdCryptoTest::ReadText(FdCryptoTest::FixturePath("envelopes/B-b64-r0.env"));
    const std::string sealed = EnvelopeSealer::strSeal("http://127.0.0.1/dlg.asp", key(0), true, 3);
    auto instance = lpNewInstance({{"crypted", "yes"},
                                   {"errurlex", fixture.substr(0, 20)},
                                   {"errurlex1", fixture.substr(20)},
                                   {"dialogpageex", sealed},
                                   {"name", "clair"}});
    EXPECT_EQ("Param\xE8tres B, enveloppe n\xB0"
              "3: xxx",
              instance->strGetErrUrl());
    EXPECT_EQ("http://127.0.0.1/dlg.asp", instance->strGetDialogPage());
    EXPECT_EQ("clair", instance->strGetName());
}

TEST_F(PlugInstChecks, UndecryptableAttributesRejectTheInstance)
{
    CPlugInst instance(&m_browser);
    CParamList attributes(CParamList::kszSeparator);
    attributes.vAdd("crypted", "yes");
    attributes.vAdd("name", "secret");
    attributes.vAdd("dialogpageex", "not an envelope");
    EXPECT_FALSE(instance.boNewInstance(attributes));
    EXPECT_EQ(nullptr, CPlugInst::lpFindInstanceByName("secret"));
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("!ERREUR! CPlugInst::boTranslateParameters -> erreur au "
                                       "d\xE9"
                                       "cryptage des param\xE8tres. Exception:\n"));
    // No error page is known yet: nothing is opened.
    EXPECT_TRUE(m_browser.calls.empty());
}

TEST_F(PlugInstChecks, TraceLinesCarryTheInstanceLabel)
{
    auto instance = lpNewInstance({{"name", "etiquette"}, {"width", "10"}});
    vPlugTrace("hors de toute instance");
    const std::string strTrace = strTraceSinceMark();
    const size_t ulLine = strTrace.find("CPlugInst::vParseAttributes -> width=10");
    ASSERT_NE(std::string::npos, ulLine) << strTrace;
    const size_t ulStart = strTrace.rfind('\n', ulLine);
    const std::string strLine = strTrace.substr(ulStart + 1, ulLine - ulStart);
    EXPECT_NE(std::string::npos, strLine.find(std::string("[") + instance->lpszGetTraceLabel() + "] - "))
        << strLine;
    EXPECT_EQ(0u, std::string(instance->lpszGetTraceLabel()).find("etiquette_"));
    EXPECT_NE(std::string::npos, strTrace.find("[                     ] - hors de toute instance"))
        << strTrace;
}
} // namespace
