// The chooser library's platform-free half: texts, the browser list, the
// enumeration of the selection, and the check report's pieces.
#include "BrowserList.h"
#include "CheckReport.h"
#include "NavTexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace FdNav;
using namespace FdNavReport;

TEST(NavTexts, EnglishOnlyForUsEnglishInAnyCase)
{
    EXPECT_TRUE(boEnglish("U.S. English"));
    EXPECT_TRUE(boEnglish("u.s. english"));
    EXPECT_FALSE(boEnglish("Français"));
    EXPECT_FALSE(boEnglish("U.S. English "));
    EXPECT_FALSE(boEnglish(nullptr));
    EXPECT_STREQ("Sélection des navigateurs", lpszText(false, kTextTitle));
    EXPECT_STREQ("Browsers selection", lpszText(true, kTextTitle));
    EXPECT_STREQ("Enlever", lpszText(false, kTextRemove));
    EXPECT_STREQ("Closing browsers", lpszText(true, kTextCloseCaption));
    EXPECT_STREQ("", lpszText(true, kTextCount));
}

TEST(BrowserList, PathsEqualButForCaseKeptOnce)
{
    CBrowserList list;
    SBrowserRecord a;
    a.strPath = "C:\\Program Files\\Ié\\IExplore.exe";
    SBrowserRecord b = a;
    b.strPath = "c:\\PROGRAM FILES\\IÉ\\iexplore.EXE";
    EXPECT_TRUE(list.boAdd(a));
    EXPECT_FALSE(list.boAdd(b));
    ASSERT_EQ(1u, list.records().size());
    list.vRemoveAt(5);
    list.vRemoveAt(0);
    EXPECT_TRUE(list.records().empty());
}

TEST(BrowserList, FoldersTypesAndNames)
{
    EXPECT_EQ("C:\\Program Files\\Ie\\", strFolderOf("C:\\Program Files\\Ie\\IExplore.exe"));
    EXPECT_EQ("C:\\", strFolderOf("C:\\netscp6.exe"));
    EXPECT_EQ("C:", strFolderOf("C:prog.exe"));
    EXPECT_EQ("", strFolderOf("prog.exe"));
    EXPECT_EQ(kTypeNetscape, lTypeOfProgram("D:\\N\\NETSCAPE.EXE"));
    EXPECT_EQ(kTypeExplorer, lTypeOfProgram("D:\\Ie\\iexplore.exe"));
    EXPECT_EQ(kTypeOther, lTypeOfProgram("D:\\Ie\\opera.exe"));
    EXPECT_EQ(kTypeOther, lTypeOfProgram("D:\\Ie\\xiexplore.exe"));
    EXPECT_STREQ("Internet Explorer", lpszTypeName(kTypeExplorer));
    EXPECT_STREQ("Netscape", lpszTypeName(kTypeNetscape));
    EXPECT_STREQ("Unknown", lpszTypeName(kTypeOther));
}

TEST(Selection, EmptyAnswersOneAndAnEmptyPath)
{
    CSelection selection;
    char szPath[16];
    std::memset(szPath, 'x', sizeof szPath);
    char szType[2] = {'z', 'z'};
    EXPECT_EQ(1, selection.iNext(szPath, sizeof szPath, szType));
    EXPECT_STREQ("", szPath);
    EXPECT_EQ('z', szType[0]);
    // Items without a count from a choose call are not handed out.
    selection.vAppend(kTypeExplorer, "C:\\Ie\\");
    EXPECT_EQ(1, selection.iNext(szPath, sizeof szPath, szType));
    EXPECT_STREQ("", szPath);
}

TEST(Selection, RepeatsTheLastAndRefusesWhatDoesNotFit)
{
    CSelection selection;
    selection.vAppend(kTypeExplorer, "C:\\Ie\\");
    selection.vAppend(kTypeNetscape, "D:\\Netscape\\");
    selection.vSetCount(selection.ulItems());
    char szPath[32];
    char szType[2];
    EXPECT_EQ(1, selection.iNext(szPath, sizeof szPath, szType));
    EXPECT_STREQ("C:\\Ie\\", szPath);
    EXPECT_STREQ("1", szType);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(1, selection.iNext(szPath, sizeof szPath, szType)) << i;
        EXPECT_STREQ("D:\\Netscape\\", szPath) << i;
        EXPECT_STREQ("0", szType) << i;
    }
    selection.vReset();
    // Room for the folder but not its terminating zero: nothing is written.
    EXPECT_EQ(0, selection.iNext(szPath, std::strlen("C:\\Ie\\"), szType));
    EXPECT_STREQ("", szPath);
    EXPECT_EQ(1, selection.iNext(szPath, std::strlen("D:\\Netscape\\") + 1, szType));
    EXPECT_STREQ("D:\\Netscape\\", szPath);
    selection.vClear();
    EXPECT_EQ(0u, selection.ulCount());
}

TEST(CheckReport, RulesBoxesAndBanner)
{
    for (const char* lpsz : {kszTitleSystem, kszTitleRegistry, kszTitleFileSystem, kszTitleMail})
        EXPECT_EQ(67u, std::strlen(lpsz)) << lpsz;
    EXPECT_EQ(std::string(67, '*') + "\r\n", strRule());
    const std::string strStars = "**" + std::string(63, ' ') + "**\r\n";
    EXPECT_EQ(strRule() + strRule() + strStars + kszTitleMail + "\r\n" + strStars + strRule() + strRule(),
              strSectionBox(kszTitleMail));
    const std::string strBannerText = strBanner();
    EXPECT_EQ(0u, strBannerText.find(
                      ">>>>>>> R\xE9sultats de la v\xE9rification de l'installation de Zelto <<<<<<<<\r\n"));
    EXPECT_NE(std::string::npos, strBannerText.find("probl\xE8me.\r\n\r\nThank you"));
    const std::string strEnd = std::string(26, '>') + std::string(29, '<') + "\r\n\r\n\r\n";
    EXPECT_EQ(strBannerText.size() - strEnd.size(), strBannerText.rfind(strEnd));
}

TEST(CheckReport, ValueLines)
{
    const uint8_t aBinary[] = {0x0A, 0xFF};
    const uint8_t aDword[] = {0xFE, 0xFF, 0xFF, 0xFF};
    const uint8_t aShort[] = {0x05};
    const uint8_t aText[] = {'a', 'b', 0, 'c'};
    const uint8_t aUnterminated[] = {'x', 'y'};
    const struct
    {
        const char* lpszName;
        uint32_t dwType;
        const uint8_t* lpData;
        size_t ulSize;
        const char* lpszLine;
    } cases[] = {
        {"Bin", kRegBinary, aBinary, 2, "  Bin:BINARY=0AFF\r\n"},
        {"", kRegSz, aText, 4, "  (default):SZ=ab\r\n"},
        {"D", kRegDword, aDword, 4, "  D:DWORD=-2\r\n"},
        {"B", kRegDwordBigEndian, aDword, 4, "  B:DWORD_BIG_ENDIAN=-2\r\n"},
        {"S", kRegDword, aShort, 1, "  S:DWORD=5\r\n"},
        {"U", kRegExpandSz, aUnterminated, 2, "  U:EXPAND_SZ=xy\r\n"},
        {"M", kRegMultiSz, aText, 4, "  M:MULTI_SZ=ab\r\n"},
        {"N", kRegNone, nullptr, 0, "  N:NONE=\r\n"},
        {"L", kRegLink, aUnterminated, 1, "  L:LINK=x\r\n"},
        {"R", kRegResourceList, aText, 2, "  R:RESOURCE_LIST=ab\r\n"},
        {"Q", kRegQword, aText, 4, "  Q:QWORD=ab\r\n"},
        {"O", 9, aText, 4, "  O:?#ab\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lpszLine, strValueLine("  ", c.lpszName, c.dwType, c.lpData, c.ulSize)) << c.lpszName;
    EXPECT_EQ(" Erreur 2 - gone\r\n", strErrorText(2, "gone\r\n"));
    EXPECT_EQ(" Erreur -5", strErrorNumber(-5));
}

TEST(CheckReport, SystemDescriptionFollowsTheVersionRecord)
{
    auto v = [](uint32_t dwPlatform, uint32_t dwMajor, uint32_t dwMinor, uint32_t dwBuild,
                const char* lpszService, bool boExtended, uint8_t byProduct, uint16_t wSuites,
                const char* lpszOption)
    {
        SOsVersion r;
        r.dwPlatformId = dwPlatform;
        r.dwMajor = dwMajor;
        r.dwMinor = dwMinor;
        r.dwBuild = dwBuild;
        r.strService = lpszService;
        r.boExtended = boExtended;
        r.byProductType = byProduct;
        r.wSuiteMask = wSuites;
        r.strProductOption = lpszOption;
        return r;
    };
    const struct
    {
        SOsVersion version;
        const char* lpszText;
    } cases[] = {
        {v(0, 3, 10, 0, "", false, 0, 0, ""), "Microsoft Win32s "},
        {v(1, 4, 0, 950, "", false, 0, 0, ""), "Microsoft Windows 95 "},
        {v(1, 4, 0, 1111, " B", false, 0, 0, ""), "Microsoft Windows 95 OSR2 "},
        {v(1, 4, 0, 1212, " C", false, 0, 0, ""), "Microsoft Windows 95 OSR2 "},
        {v(1, 4, 10, 1998, "", false, 0, 0, ""), "Microsoft Windows 98 "},
        {v(1, 4, 10, 2222, " A ", false, 0, 0, ""), "Microsoft Windows 98 SE "},
        {v(1, 4, 90, 3000, "", false, 0, 0, ""), "Microsoft Windows Me "},
        {v(1, 5, 0, 0, "", false, 0, 0, ""), ""},
        {v(2, 4, 0, 1381, "Service Pack 6", false, 0, 0, "WINNT"),
         "Microsoft Windows NT Professional version 4.0 Service Pack 6 (Build 1381)\n"},
        {v(2, 4, 0, 1381, "", false, 0, 0, "LANMANNT"),
         "Microsoft Windows NT Server version 4.0  (Build 1381)\n"},
        {v(2, 3, 51, 1057, "", false, 0, 0, "serverNT"),
         "Microsoft Windows NT Advanced Server version 3.51  (Build 1057)\n"},
        {v(2, 4, 0, 1381, "", false, 0, 0, "other"), "Microsoft Windows NT version 4.0  (Build 1381)\n"},
        {v(2, 5, 0, 2195, "Service Pack 4", true, 1, 0, ""),
         "Microsoft Windows 2000 Professional Service Pack 4 (Build 2195)\n"},
        {v(2, 5, 1, 0x0A280A28, "", true, 1, 0x0200, ""), "Microsoft Windows XP Personal  (Build 2600)\n"},
        {v(2, 5, 0, 2195, "", true, 3, 0x0080, ""),
         "Microsoft Windows 2000 DataCenter Server  (Build 2195)\n"},
        {v(2, 5, 0, 2195, "", true, 3, 0x0002, ""), "Microsoft Windows 2000 Advanced Server  (Build 2195)\n"},
        {v(2, 5, 0, 2195, "", true, 3, 0, ""), "Microsoft Windows 2000 Server  (Build 2195)\n"},
        {v(2, 5, 0, 2195, "", true, 2, 0, ""), "Microsoft Windows 2000  (Build 2195)\n"},
        // What Wine answers: Windows 7 has no name of its own here.
        {v(2, 6, 1, 7601, "Service Pack 1", true, 1, 0x0100, ""),
         "Professional Service Pack 1 (Build 7601)\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lpszText, strSystemDescription(c.version))
            << c.version.dwPlatformId << " " << c.version.dwMajor << "." << c.version.dwMinor;
}
