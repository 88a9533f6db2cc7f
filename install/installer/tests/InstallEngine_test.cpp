#include "InstallEngine.h"
#include "RecordingHost.h"
#include "TestHelper.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

using namespace FdInstall;
using namespace FdInstallTest;

namespace
{
const char kScriptPath[] = "C:\\tmp\\script.txt";
const char kUrl1[] = "http://127.0.0.1/r1.htm";
const char kUrl2[] = "http://127.0.0.1/r2.htm";
const char kErrUrl[] = "http://127.0.0.1/err.htm";
const char kBase[] = "http://127.0.0.1/dl/";

class InstallEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto& p :
             std::vector<std::pair<const char*, const char*>>{{"file", "http://127.0.0.1/s.txt"},
                                                              {"RESURL1", kUrl1},
                                                              {"ResUrl2", kUrl2},
                                                              {"ERRURL", kErrUrl},
                                                              {"RESFRM1", "f1"},
                                                              {"RESFRM2", "f2"},
                                                              {"ERRFRM", "ferr"},
                                                              {"DL_BASE", kBase},
                                                              {"JOBID", "3"},
                                                              {"APPID", "-12"},
                                                              {"OTHER", "x"}})
            engine.vSetParameter(p.first, p.second);
    }

    // INSTALL, the script's DLDONE, then every run, each download answered with
    // a file C:\tmp\dl<n> holding "data<n>" (its time as the plug-in leaves it).
    CInstallEngine::ERunEnd runScript(const std::string& strScript,
                                      FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        host.files[kScriptPath].strContent = strScript;
        engine.vInstall(&host);
        EXPECT_TRUE(engine.boDownloadOutstanding());
        engine.vSetParameter("DLPATH", kScriptPath);
        EXPECT_EQ(CInstallEngine::EDone::StartWorker, engine.eDownloadDone(&host));
        for (int i = 1;; ++i)
        {
            const CInstallEngine::ERunEnd end = engine.eRun(&host);
            ++runs;
            if (end != CInstallEngine::ERunEnd::Paused)
                return end;
            EXPECT_TRUE(engine.boDownloadOutstanding());
            const std::string strPath = "C:\\tmp\\dl" + std::to_string(i);
            host.files[strPath].strContent = "data" + std::to_string(i);
            engine.vSetParameter("DLPATH", strPath);
            if (engine.eDownloadDone(&host) != CInstallEngine::EDone::StartWorker)
                return end;
        }
    }

    // The URLs asked by DOWNLOAD after the script's own.
    std::vector<std::string> downloads() const
    {
        std::vector<std::string> urls;
        for (const SCommand& c : host.commands())
        {
            if (c.strName == "DOWNLOAD" && c.strParam("URL") != "http://127.0.0.1/s.txt")
                urls.push_back(c.strParam("URL") + (c.boHas("SIZE") ? "|" + c.strParam("SIZE") : ""));
        }
        return urls;
    }
    std::vector<SCommand> sends() const
    {
        std::vector<SCommand> out;
        for (const SCommand& c : host.commands())
        {
            if (c.strName == "SEND")
                out.push_back(c);
        }
        return out;
    }
    std::vector<std::string> textLines() const
    {
        std::vector<std::string> out;
        for (const SCommand& c : host.commands())
        {
            if (c.strName == "SETMSG")
                out.push_back(c.strParam("NUMMSG") + ";" + c.strParam("TEXTMSG"));
        }
        return out;
    }

    CRecordingHost host;
    CInstallEngine engine{host};
    int runs = 0;
};

// The result, or the error report, sent at the end.
void vExpectSend(const SCommand& send, const char* lpszUrl, const char* lpszFrame, const char* lpszNumErr)
{
    EXPECT_EQ("-12", send.strParam("APPID"));
    EXPECT_EQ("3", send.strParam("JOBID"));
    EXPECT_EQ(lpszUrl, send.strParam("TURL"));
    EXPECT_EQ(lpszFrame, send.strParam("BFRM"));
    EXPECT_EQ(lpszNumErr != nullptr, send.boHas("NUMERR"));
    if (lpszNumErr)
    {
        EXPECT_EQ(lpszNumErr, send.strParam("NUMERR"));
    }
}
} // namespace

// The worked examples of a test that steers one block, through the recording host.
TEST_F(InstallEngine, ScriptTable)
{
    host.vSetDword("HKLM\\Software\\FdGame", "FdGame", 1001);
    const std::string kSatisfied = "HKEY_LOCAL_MACHINE\\Software\\FdGame;FdGame;=;1001";
    const std::string kUnsatisfied = "HKEY_LOCAL_MACHINE\\Software\\FdGame;FdGame;>;1001";
    const struct
    {
        const char* name;
        std::string script;
        CInstallEngine::ERunEnd end;
        std::vector<std::string> downloads;
        int actions; // MKDIR calls
        std::vector<std::string> texts;
        const char* url; // where the last SEND goes
        const char* numerr;
    } cases[] = {
        {"satisfied test",
         "[INSTALL]\n[TEST]\n[REGISTRY]\n" + kSatisfied +
             "\n[DL]\na.exe;01/01/2002 10:30:00;12\n[ACTIONS]\nMD:0;x\n[TEXT]\n1;muet\n[END]\n",
         CInstallEngine::ERunEnd::Finished,
         {},
         0,
         {";", "1;"},
         kUrl2,
         nullptr},
        {"unsatisfied test",
         "[INSTALL]\n[TEST]\n[REGISTRY]\n" + kUnsatisfied +
             "\n[DL]\na.exe;01/01/2002 10:30:00;12\n[ACTIONS]\nMD:1;x\n[TEXT]\n2;Fini\n[END]\n",
         CInstallEngine::ERunEnd::Finished,
         {std::string(kBase) + "a.exe|12"},
         1,
         {"2;Fini", ";", "1;"},
         kUrl1,
         nullptr},
        {"second test line not evaluated",
         "[INSTALL]\n[TEST]\n[REGISTRY]\n" + kUnsatisfied + "\n[FILE]\nb.txt:3\n[ACTIONS]\nMD:0\n[END]",
         CInstallEngine::ERunEnd::Finished,
         {},
         1,
         {";", "1;"},
         kUrl1,
         nullptr},
        {"blank lines, comments and \"  [end]  \"",
         "\r\n// [END]\n\n[INSTALL]\r\r\n  [TEXT]  \n\t3;a;b \n  [end]  \nMD:0\n",
         CInstallEngine::ERunEnd::Finished,
         {},
         0,
         {"3;a;b", ";", "1;"},
         kUrl2,
         nullptr},
        {"CR, LF and CRLF",
         "[INSTALL]\r[DL]\r\nx.dat\n\r[ACTIONS]\n\nMD:1\r[END]",
         CInstallEngine::ERunEnd::Finished,
         {std::string(kBase) + "x.dat"},
         1,
         {";", "1;"},
         kUrl1,
         nullptr},
        {"no [END]",
         "[INSTALL]\n[ACTIONS]\nMD:0\n",
         CInstallEngine::ERunEnd::Stopped,
         {},
         1,
         {},
         kErrUrl,
         "1"},
        {"required actions after a satisfied test",
         "[INSTALL]\n[TEST]\n[REGISTRY]\n" + kSatisfied +
             "\n[DL]\nx\n[ACTIONS]\nMD:0;skipped\n[REQUIRED_ACTIONS]\nMD:0;run\n[END]\n",
         CInstallEngine::ERunEnd::Finished,
         {},
         1,
         {";", "1;"},
         kUrl2,
         nullptr},
        {"a second block after a satisfied one",
         "[INSTALL]\n[TEST]\n[REGISTRY]\n" + kSatisfied +
             "\n[DL]\nskip.exe\n[INSTALL]\n[DL]\nb.exe;;7\n[ACTIONS]\nMD:1\n[END]\n",
         CInstallEngine::ERunEnd::Finished,
         {std::string(kBase) + "b.exe|7"},
         1,
         {";", "1;"},
         kUrl1,
         nullptr},
        {"body line before any section",
         "MD:0\n[INSTALL]\nMD:0\n[END]\n",
         CInstallEngine::ERunEnd::Finished,
         {},
         0,
         {";", "1;"},
         kUrl2,
         nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        host.calls.clear();
        runs = 0;
        ASSERT_EQ(c.end, runScript(c.script));
        EXPECT_EQ(c.downloads, downloads());
        EXPECT_EQ(static_cast<size_t>(c.actions), host.callsLike("MKDIR|").size());
        EXPECT_EQ(c.texts, textLines());
        EXPECT_EQ(1 + static_cast<int>(c.downloads.size()), runs) << "one run more per download";
        const auto all = sends();
        ASSERT_EQ(1u, all.size());
        const bool boInstalled = std::string(c.url) == kUrl1;
        FD_HELPER(vExpectSend(all[0], c.url, c.numerr ? "ferr" : (boInstalled ? "f1" : "f2"), c.numerr));
        EXPECT_EQ(0, engine.iState());
        EXPECT_FALSE(host.files.count(kScriptPath)) << "the script file is deleted";
        EXPECT_TRUE(host.boxes().empty());
    }
    EXPECT_TRUE(host.callsLike("LIST|").empty()) << "a line after a failing one is not evaluated";
}

TEST_F(InstallEngine, NoEndReportsTheScriptFile)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runScript("[INSTALL]\n[TEXT]\n1;x"));
    const auto all = sends();
    ASSERT_EQ(1u, all.size());
    EXPECT_EQ(kScriptPath, all[0].strParam("FILE"));
}

TEST_F(InstallEngine, DownloadTimesGoIntoTheSlots)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished,
              runScript("[INSTALL]\n[DL]\na;01/01/2002 10:30:00\nb\n[ACTIONS]\n[END]\n"));
    EXPECT_EQ(2, engine.iDownloadCount());
    EXPECT_EQ(ftFromCalendar(2002, 1, 1, 9, 30, 0), engine.ftSlotTime(1));
    EXPECT_EQ(0u, engine.ftSlotTime(2));
    EXPECT_EQ("C:\\tmp\\dl1", engine.strSlotPath(1));
    const auto times = host.callsLike("TIMES|");
    ASSERT_EQ(1u, times.size()) << "only a slot with a time sets it";
    EXPECT_EQ("TIMES|C:\\tmp\\dl1|0|" + std::to_string(ftFromCalendar(2002, 1, 1, 9, 30, 0)), times[0]);
}

// Slots 1-50: the 50th download is asked, the 51st shows its box and ends the
// run as a failed download of its address.
TEST_F(InstallEngine, FiftyDownloadsThenTheBoxAndAnError)
{
    std::string script = "[INSTALL]\n[DL]\n";
    for (int i = 1; i <= 51; ++i)
        script += "f" + std::to_string(i) + "\n";
    script += "[ACTIONS]\nMD:0\n[END]\n";
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runScript(script));
    EXPECT_EQ(50u, downloads().size());
    EXPECT_EQ(std::string(kBase) + "f50", downloads().back());
    EXPECT_EQ("C:\\tmp\\dl50", engine.strSlotPath(50));
    EXPECT_EQ((std::vector<std::string>{"|Installer - Too many downloaded files in a [DL] section !"}),
              host.boxes());
    const auto all = sends();
    ASSERT_EQ(1u, all.size());
    FD_HELPER(vExpectSend(all[0], kErrUrl, "ferr", "2"));
    EXPECT_EQ(std::string(kBase) + "f51", all[0].strParam("FILE"));
    EXPECT_TRUE(host.callsLike("MKDIR|").empty());
    EXPECT_FALSE(engine.boDownloadOutstanding());
}

TEST_F(InstallEngine, DownloadDoneBeforeInstallWithNoFile)
{
    engine.vSetParameter("DLPATH", "C:\\nowhere\\s.txt");
    EXPECT_EQ(CInstallEngine::EDone::Nothing, engine.eDownloadDone(&host));
    const auto cmds = host.commands();
    ASSERT_EQ(1u, cmds.size());
    EXPECT_EQ("SEND", cmds[0].strName);
    FD_HELPER(vExpectSend(cmds[0], kErrUrl, "ferr", "1"));
    EXPECT_EQ("C:\\nowhere\\s.txt", cmds[0].strParam("FILE"));
    EXPECT_EQ(0, engine.iState());
}

TEST_F(InstallEngine, DownloadErrorReportsTheAddress)
{
    engine.vInstall(&host);
    engine.vSetParameter("DLURL", "http://127.0.0.1/s.txt");
    engine.vDownloadError(&host);
    EXPECT_FALSE(engine.boDownloadOutstanding());
    const auto all = sends();
    ASSERT_EQ(1u, all.size());
    FD_HELPER(vExpectSend(all[0], kErrUrl, "ferr", "2"));
    EXPECT_EQ("http://127.0.0.1/s.txt", all[0].strParam("FILE"));
}

TEST_F(InstallEngine, StrayDownloadOnlyBoxes)
{
    host.files[kScriptPath].strContent = "[INSTALL]\n[DL]\na\n[ACTIONS]\n[END]\n";
    engine.vSetParameter("DLPATH", kScriptPath);
    ASSERT_EQ(CInstallEngine::EDone::StartWorker, engine.eDownloadDone(&host));
    ASSERT_EQ(CInstallEngine::ERunEnd::Paused, engine.eRun(&host));
    host.files["C:\\tmp\\a"].strContent = "a";
    engine.vSetParameter("DLPATH", "C:\\tmp\\a");
    ASSERT_EQ(CInstallEngine::EDone::StartWorker, engine.eDownloadDone(&host));
    host.calls.clear();
    engine.vSetParameter("DLPATH", "C:\\tmp\\stray");
    EXPECT_EQ(CInstallEngine::EDone::Nothing, engine.eDownloadDone(&host)) << "no download is outstanding";
    EXPECT_EQ(
        (std::vector<std::string>{"FDGame installer - Erreur|Fichier re\xE7u alors que non demand\xE9 !"}),
        host.boxes());
    EXPECT_EQ(1u, host.calls.size());
    EXPECT_EQ("C:\\tmp\\a", engine.strSlotPath(1));
}

TEST_F(InstallEngine, StopFromOutsideEndsTheRunWithoutAResult)
{
    host.onCheckMessages = [&]()
    {
        if (host.callsLike("MKDIR|").size() == 1)
            engine.vStopFromOutside();
    };
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runScript("[INSTALL]\n[ACTIONS]\nMD:0;a\nMD:0;b\n[END]\n"));
    EXPECT_EQ(1u, host.callsLike("MKDIR|").size());
    EXPECT_TRUE(sends().empty());
}

// [REGISTRY] test lines: a satisfied line leaves the [DL] below skipped.
TEST_F(InstallEngine, RegistryTestTable)
{
    host.vSetDword("HKLM\\Software\\T", "Big", 0xFFFFFFFF);
    host.vSetDword("HKLM\\Software\\T", "Seven", 7);
    host.vSetString("HKLM\\Software\\T", "Name", "Orbelle");
    host.vSetString("HKLM\\Software\\T", "Ver", "1203");
    host.vSetString("HKU\\.DEFAULT\\T", "V", std::string("2.0\0junk", 8));
    host.values["HKLM\\Software\\T|Bin"] = SRegValue{3, "xx"};
    const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\T";
    const struct
    {
        std::string line;
        bool present;
    } cases[] = {
        {std::string(kKey) + ";Big;>;1", true},
        {std::string(kKey) + ";Big;<;1", false},
        {std::string(kKey) + ";Seven;=;7", true},
        {std::string(kKey) + ";Seven;!;7", false},
        {std::string(kKey) + ";Seven;!;8", true},
        {std::string(kKey) + ";Seven;<;8", true},
        {std::string(kKey) + ";Seven;V=;7", false},
        {std::string(kKey) + ";Name;=;ORBELLE", true},
        {std::string(kKey) + ";Name;<;orbellf", true},
        {std::string(kKey) + ";Name;>;ORBELLE", false},
        {std::string(kKey) + ";Name;!;orbelle", false},
        {std::string(kKey) + ";Ver;V=;1.2.0.3", true},
        {std::string(kKey) + ";Ver;V<;1.2.0.4", true},
        {std::string(kKey) + ";Ver;V>=;1.2.0.3", true},
        {std::string(kKey) + ";Ver;V<=;1.2.0.2", false},
        {std::string(kKey) + ";Ver;V!;1.2.0.3", false},
        {std::string(kKey) + ";Ver;<=;1.2.0.3", false},
        {std::string(kKey) + ";Ver;~;1", false},
        {std::string(kKey) + ";Bin;=;xx", false},
        {std::string(kKey) + ";Missing;=;1", false},
        {kKey, true},
        {"HKEY_LOCAL_MACHINE\\Software\\Nothing", false},
        {"HKEY_USERS\\.DEFAULT\\T;V;V=;2.0", true},
        {"HKEY_USERS\\.DEFAULT\\T;V;=;2.0", true},
        {std::string(kKey) + ";Seven", false},
        {std::string(kKey) + ";Seven;=", false},
        {"Software\\T;Seven;=;7", false},
    };
    for (const auto& c : cases)
    {
        host.calls.clear();
        runScript("[INSTALL]\n[TEST]\n[REGISTRY]\n" + c.line + "\n[DL]\nx\n[ACTIONS]\n[END]\n");
        EXPECT_EQ(c.present, downloads().empty()) << c.line;
    }
}

TEST_F(InstallEngine, FileTests)
{
    host.strInstall = "C:\\Jeux\\";
    SFakeFile f;
    f.ftLastWrite = ftFromCalendar(2002, 1, 1, 9, 30, 0);
    f.boHasVersion = true;
    f.strVersion = "1, 2, 0, 3";
    host.files["C:\\Jeux\\a.dll"] = f;
    f.strBlock = "040C04E4";
    host.files["C:\\Jeux\\fr.dll"] = f;
    const struct
    {
        const char* header;
        const char* line;
        bool present;
    } cases[] = {
        {"[FILEDATE]", "a.dll;01/01/2002 10:30:00", true},
        {"[FILEDATE]", "a.dll;01/01/2002 10:30:01", false},
        {"[FILEDATE]", "a.dll;bad", true},
        {"[FILEDATE]", "b.dll;01/01/1990 10:30:00", false},
        {"[FILEDATE]", "a.dll", false},
        {"[FILEVER]", "a.dll;1,2,0,3", true},
        {"[FILEVER]", "a.dll;1.2.0.4", false},
        {"[FILEVER]", "a.dll;1,1,9,9", true},
        {"[FILEVER]", "fr.dll;1,2,0,3", false},
        {"[FILEVER]", "fr.dll;1,2,0,3;040C04E4", true},
        {"[FILEVER]", "b.dll;0", false},
        {"[FILEVER]", "a.dll", false},
    };
    for (const auto& c : cases)
    {
        host.calls.clear();
        runScript(std::string("[INSTALL]\n[TEST]\n") + c.header + "\n" + c.line +
                  "\n[DL]\nx\n[ACTIONS]\n[END]\n");
        EXPECT_EQ(c.present, downloads().empty()) << c.header << " " << c.line;
    }
}

TEST_F(InstallEngine, SearchTestsWalkTheDrives)
{
    runScript(
        "[INSTALL]\n[TEST]\n[FILE]\na.dll:0;b.txt:12;;c\n[PLUGIN]\nnpfdg.dll;;;1,0,0,1\n[DL]\nx\n[END]\n");
    EXPECT_EQ((std::vector<std::string>{"LIST|C:\\"}), host.callsLike("LIST|"))
        << "[PLUGIN] after a failing line";
    host.calls.clear();
    host.vAddTreeFile("C:\\a.dll");
    runScript("[INSTALL]\n[TEST]\n[FILE]\na.dll\n[PLUGIN]\nnpfdg.dll;;;1,0,0,1\n[PLUGIN]\nshort;1\n[END]\n");
    EXPECT_EQ((std::vector<std::string>{"LIST|C:\\", "LIST|C:\\"}), host.callsLike("LIST|"))
        << "a [PLUGIN] line of fewer than four fields searches nothing";
}

// The drive walk over a tree that stands for two drives: browsers' folders
// whose Plugins folder has the plug-in at the minimum version are passed over,
// the others recorded; a link is not entered.
TEST_F(InstallEngine, PluginSearchRecordsFoldersThatLackThePlugin)
{
    host.roots = {"C:\\", "D:\\"};
    host.vAddTreeFile("C:\\A\\iexplore.exe");
    host.vAddTreeFolder("C:\\A\\Plugins");
    host.vAddTreeFolder("C:\\A\\loop", true);
    host.vAddTreeFile("C:\\B\\NETSCAPE.EXE");
    host.vAddTreeFile("C:\\B\\Plugins\\npfdg.dll", 10, "1,0,0,1");
    host.vAddTreeFile("D:\\C\\netscape.exe");
    host.vAddTreeFile("D:\\C\\Plugins\\npfdg.dll", 10, "1.0.0.0");
    host.vAddTreeFile("D:\\C\\iexplore.dll");
    runScript("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;x;y;1,0,0,1\n[DL]\nnpfdg.dll_\n[END]\n");
    EXPECT_EQ((std::vector<std::string>{kBase + std::string("npfdg.dll_")}), downloads())
        << "the test failed";
    const std::vector<SPluginFolder>& folders = engine.pluginFolders();
    ASSERT_EQ(2u, folders.size());
    EXPECT_EQ("C:\\A\\Plugins", folders[0].strPath);
    EXPECT_EQ(kBrowserExplorer, folders[0].eKind);
    EXPECT_EQ("D:\\C\\Plugins", folders[1].strPath);
    EXPECT_EQ(kBrowserNetscape, folders[1].eKind);
    EXPECT_EQ("npfdg.dll", folders[1].strPluginFile);
    EXPECT_TRUE(host.callsLike("LIST|C:\\A\\loop").empty());

    // First the please-wait line, then one progress line per folder entered.
    const std::vector<std::string> texts = textLines();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("1;Veuillez patienter pendant l'installation...", texts[0]);
    const size_t ulFolders = host.callsLike("LIST|").size();
    EXPECT_EQ(8u, ulFolders);
    ASSERT_EQ(1 + ulFolders + 2, texts.size()) << "then the end's two clearing lines";
    for (size_t i = 1; i <= ulFolders; ++i)
        EXPECT_EQ("2;" + strProgressLine(0), texts[i]);

    // Every browser with the plug-in: the test is satisfied.
    host.calls.clear();
    host.vAddTreeFile("C:\\A\\Plugins\\npfdg.dll", 10, "1,0,0,1");
    host.files["D:\\C\\Plugins\\npfdg.dll"].strVersion = "1,0,0,2";
    runScript("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;x;y;1,0,0,1\n[DL]\nnpfdg.dll_\n[END]\n");
    EXPECT_TRUE(downloads().empty());
    EXPECT_TRUE(engine.pluginFolders().empty());
}

TEST_F(InstallEngine, ProgressLineMovesEverySixteenthFolder)
{
    const struct
    {
        size_t ulFolder;
        size_t ulAt;
        char cMarker;
    } cases[] = {{0, 0, '-'},  {15, 0, '-'}, {16, 1, '\\'},  {31, 1, '\\'}, {32, 2, '|'},
                 {48, 3, '/'}, {64, 4, '-'}, {511, 31, '/'}, {512, 0, '-'}};
    for (const auto& c : cases)
    {
        const std::string strLine = strProgressLine(c.ulFolder);
        std::string strExpected(kProgressWidth, '.');
        strExpected[c.ulAt] = c.cMarker;
        EXPECT_EQ(strExpected, strLine) << c.ulFolder;
    }
    // Forty folders below the root: the marker moves at the 17th and 33rd.
    for (int i = 0; i < 40; ++i)
        host.vAddTreeFolder("C:\\d" + std::to_string(i));
    runScript("[INSTALL]\n[TEST]\n[FILE]\nnone\n[END]\n");
    const std::vector<std::string> texts = textLines();
    ASSERT_EQ(41u + 2, texts.size()) << "41 folders, then the end's two clearing lines";
    EXPECT_EQ("2;" + strProgressLine(0), texts[15]);
    EXPECT_EQ("2;" + strProgressLine(16), texts[16]);
    EXPECT_EQ("2;" + strProgressLine(32), texts[32]);
}

TEST_F(InstallEngine, FileTestFindsNamesWithTheirSizes)
{
    host.vAddTreeFile("C:\\x\\A.DLL", 5);
    host.vAddTreeFile("C:\\x\\y\\b.txt", 12);
    std::string strDeep = "C:";
    for (int i = 0; i <= kMaxWalkDepth; ++i)
        strDeep += "\\d";
    host.vAddTreeFile(strDeep + "\\deep.txt");
    host.vAddTreeFile("C:\\loop\\far.txt");
    host.vAddTreeFolder("C:\\x\\loop", true);
    const struct
    {
        const char* line;
        bool present;
    } cases[] = {
        {"a.dll:0;b.txt:12", true}, {"a.dll:5", true},      {"b.txt:13", false}, {"a.dll;c.txt", false},
        {"deep.txt", false},        {"B.TXT;;a.dll", true}, {"far.txt:0", true},
    };
    for (const auto& c : cases)
    {
        host.calls.clear();
        runScript(std::string("[INSTALL]\n[TEST]\n[FILE]\n") + c.line + "\n[DL]\nx\n[END]\n");
        EXPECT_EQ(c.present, downloads().empty()) << c.line;
    }
    EXPECT_FALSE(host.callsLike("LIST|" + strDeep.substr(0, strDeep.size() - 2)).empty());
    EXPECT_TRUE(host.callsLike("LIST|" + strDeep).empty()) << "the depth bound";
}

TEST_F(InstallEngine, StopEndsTheWalk)
{
    for (int i = 0; i < 10; ++i)
        host.vAddTreeFile("C:\\d" + std::to_string(i) + "\\f");
    int iChecks = 0;
    host.onCheckMessages = [&]
    {
        if (++iChecks == 5)
            engine.vStopFromOutside();
    };
    EXPECT_EQ(CInstallEngine::ERunEnd::Stopped, runScript("[INSTALL]\n[TEST]\n[FILE]\nf\n[END]\n"));
    EXPECT_LT(host.callsLike("LIST|").size(), 5u);
    EXPECT_TRUE(sends().empty());
}

// ---- Verbs

class InstallVerbs : public InstallEngine
{
protected:
    // A block that downloads two files (slots 1 and 2) and runs the actions.
    CInstallEngine::ERunEnd runActions(const std::string& strActions)
    {
        host.calls.clear();
        return runScript("[INSTALL]\n[DL]\none.exe;01/01/2002 10:30:00\ntwo.dll\n[ACTIONS]\n" + strActions +
                         "[END]\n");
    }
};

TEST_F(InstallVerbs, IndexErrorsBoxAndGoOn)
{
    const struct
    {
        const char* line;
        const char* box;
    } cases[] = {
        {"DEL:3", "3|Installer - Delete file : index trop grand !"},
        {"DEL:0", "0|Installer - Delete file : index trop grand !"},
        {"MD:3;x", "3;x|Installer - Delete file : index trop grand !"},
        {"MDABS:9;C:\\x", "9;C:\\x|Installer - Delete file : index trop grand !"},
        {"COPY:3;a", "3;a|Installer - Copy file : index trop grand !"},
        {"COPYABS:-1;C:\\a", "-1;C:\\a|Installer - Copy file : index trop grand !"},
        {"COPYVER:0;a;1", "0;a;1|Installer - Copyver file : index trop grand !"},
        {"COPYDATE:3;a", "3;a|Installer - Copydate file : index trop grand !"},
        {"EXEC:0;x", "0;x|Installer - exec file : index trop grand !"},
        {"REGISTER:x", "x|Installer - Register file : index trop grand !"},
        {"COPYPLUGIN:3;a;b;c;d", "|Installer - Copyplugin file : index trop grand !"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runActions(std::string(c.line) + "\nMD:0;after\n"))
            << c.line;
        EXPECT_EQ((std::vector<std::string>{c.box}), host.boxes()) << c.line;
        EXPECT_EQ((std::vector<std::string>{"MKDIR|C:\\Jeux\\after"}), host.callsLike("MKDIR|")) << c.line;
        EXPECT_TRUE(host.callsLike("DEL|C:\\tmp\\dl").empty()) << c.line;
        EXPECT_EQ(kUrl1, sends().at(0).strParam("TURL"));
    }
}

TEST_F(InstallVerbs, LinesWithoutSeparatorsDoNothing)
{
    ASSERT_EQ(
        CInstallEngine::ERunEnd::Finished,
        runActions("DEL 1\nREGISTRY:0;HKEY_CURRENT_USER\\A;v;S\nREGISTRY:0\nREGISTRY:0;Software\\A;v;S;x\n"
                   "REGISTRY:0;HKEY_CURRENT_USER\\A;v;X;1\nUNKNOWN:1;x\nCOPYPLUGIN:1;a;b;c;d\n"));
    EXPECT_TRUE(host.boxes().empty());
    EXPECT_TRUE(host.callsLike("WRITE|").empty());
    EXPECT_TRUE(host.callsLike("DEL|C:\\tmp\\dl").empty());
    EXPECT_TRUE(host.callsLike("EXPAND|").empty());
}

TEST_F(InstallVerbs, CopyMovesTheFileWithItsTimes)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished,
              runActions("COPY:1;bin\\one.exe\nCOPYABS:2;D:\\two.dll\nDEL:1\n"));
    EXPECT_EQ((std::vector<std::string>{"EXPAND|C:\\tmp\\dl1|C:\\Jeux\\bin\\one.exe",
                                        "EXPAND|C:\\tmp\\dl2|D:\\two.dll"}),
              host.callsLike("EXPAND|"));
    EXPECT_FALSE(host.files.count("C:\\tmp\\dl1"));
    EXPECT_FALSE(host.files.count("C:\\tmp\\dl2"));
    EXPECT_FALSE(host.files.count("C:\\Jeux\\bin\\one.exe")) << "DEL:1 deletes the slot's new path";
    ASSERT_TRUE(host.files.count("D:\\two.dll"));
    EXPECT_EQ("data2", host.files["D:\\two.dll"].strContent);
    EXPECT_EQ("D:\\two.dll", engine.strSlotPath(2));
    const FileTime ftDl = ftFromCalendar(2002, 1, 1, 9, 30, 0);
    EXPECT_EQ(1u, host.callsLike("TIMES|C:\\Jeux\\bin\\one.exe|0|" + std::to_string(ftDl)).size())
        << "the destination gets the [DL] time";
}

TEST_F(InstallVerbs, CopyFailureReportsAndEndsWithoutResult)
{
    host.iExpandError = 3;
    host.dwExpandWin32 = 5;
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runActions("COPY:1;one.exe\nMD:0\n"));
    EXPECT_EQ((std::vector<std::string>{
                  "Erreur|Impossible de d\xE9"
                  "compresser le fichier C:\\tmp\\dl1 vers C:\\Jeux\\one.exe (Erreur lz : 3) - "
                  "(ErreurWin32 : 5)"}),
              host.boxes());
    const auto all = sends();
    ASSERT_EQ(1u, all.size());
    FD_HELPER(vExpectSend(all[0], kErrUrl, "ferr", "3"));
    EXPECT_EQ("C:\\tmp\\dl1", all[0].strParam("SRCFILE"));
    EXPECT_EQ("C:\\Jeux\\one.exe", all[0].strParam("DSTFILE"));
    EXPECT_TRUE(host.callsLike("MKDIR|").empty());
    EXPECT_TRUE(host.files.count("C:\\tmp\\dl1")) << "the source stays";
}

TEST_F(InstallVerbs, CopyVerCopiesOnlyBelowTheVersion)
{
    SFakeFile installed;
    installed.strContent = "old";
    installed.boHasVersion = true;
    installed.strVersion = "1,2,0,3";
    for (const auto& c : {std::make_pair("1,2,0,3", "old"), std::make_pair("1.2.0.4", "data1")})
    {
        host.files["C:\\Jeux\\one.exe"] = installed;
        ASSERT_EQ(CInstallEngine::ERunEnd::Finished,
                  runActions(std::string("COPYVER:1;one.exe;") + c.first + "\n"));
        EXPECT_EQ(c.second, host.files["C:\\Jeux\\one.exe"].strContent) << c.first;
        EXPECT_FALSE(host.files.count("C:\\tmp\\dl1")) << "the source is deleted either way: " << c.first;
        EXPECT_EQ("C:\\Jeux\\one.exe", engine.strSlotPath(1));
    }
    host.iExpandError = 6;
    host.files.erase("C:\\Jeux\\one.exe");
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runActions("COPYVER:1;one.exe;1,0,0,0\n"));
    EXPECT_EQ("13", sends().at(0).strParam("NUMERR"));
}

TEST_F(InstallVerbs, CopyDateCopiesOntoMissingOrOlder)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runActions("COPYDATE:1;one.exe\n"));
    EXPECT_EQ("data1", host.files["C:\\Jeux\\one.exe"].strContent) << "missing destination";

    SFakeFile newer;
    newer.strContent = "newer";
    newer.ftLastWrite = ftFromCalendar(2003, 1, 1, 0, 0, 0);
    host.files["C:\\Jeux\\one.exe"] = newer;
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runActions("COPYDATE:1;one.exe\n"));
    EXPECT_EQ("newer", host.files["C:\\Jeux\\one.exe"].strContent);
    EXPECT_FALSE(host.files.count("C:\\tmp\\dl1"));

    newer.ftLastWrite = ftFromCalendar(2001, 1, 1, 0, 0, 0);
    host.files["C:\\Jeux\\one.exe"] = newer;
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runActions("COPYDATE:1;one.exe\n"));
    EXPECT_EQ("data1", host.files["C:\\Jeux\\one.exe"].strContent) << "older destination";

    host.iExpandError = 6;
    host.files.erase("C:\\Jeux\\one.exe");
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runActions("COPYDATE:1;one.exe\n"));
    EXPECT_EQ("14", sends().at(0).strParam("NUMERR"));
}

TEST_F(InstallVerbs, ExecRegisterAndFolderFailures)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished,
              runActions("EXEC:1;-silent x\nREGISTER:2\nMD:0\nMD:0;sub\\dir\nMDABS:0;E:\\abs\n"));
    EXPECT_EQ((std::vector<std::string>{"RUN|C:\\tmp\\dl1|-silent x"}), host.callsLike("RUN|"));
    EXPECT_EQ((std::vector<std::string>{"REGSRV|C:\\tmp\\dl2"}), host.callsLike("REGSRV|"));
    EXPECT_EQ((std::vector<std::string>{"MKDIR|C:\\Jeux", "MKDIR|C:\\Jeux\\sub\\dir", "MKDIR|E:\\abs"}),
              host.callsLike("MKDIR|"));

    const struct
    {
        const char* line;
        bool* flag;
        const char* param;
        const char* value;
        const char* numerr;
    } cases[] = {
        {"EXEC:1", &host.boRunOk, "FILE", "C:\\tmp\\dl1", "4"},
        {"REGISTER:2", &host.boRegisterOk, "FILE", "C:\\tmp\\dl2", "5"},
        {"MD:0;x", &host.boFolderOk, "DIR", "C:\\Jeux\\x", "6"},
        {"MDABS:0;E:\\y", &host.boFolderOk, "DIR", "E:\\y", "6"},
    };
    for (const auto& c : cases)
    {
        *c.flag = false;
        ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runActions(std::string(c.line) + "\nMD:0;never\n"))
            << c.line;
        *c.flag = true;
        const auto all = sends();
        ASSERT_EQ(1u, all.size()) << c.line;
        FD_HELPER(vExpectSend(all[0], kErrUrl, "ferr", c.numerr));
        EXPECT_EQ(c.value, all[0].strParam(c.param)) << c.line;
        EXPECT_TRUE(host.callsLike("MKDIR|C:\\Jeux\\never").empty()) << c.line;
    }
}

TEST_F(InstallVerbs, RegistryWritesStringsWithTheirTextAndDwords)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished,
              runActions("REGISTRY:0;HKEY_LOCAL_MACHINE\\Software\\FdGame\\FakeCmpt;CLSID;S;{1-2};x\n"
                         "REGISTRY:0;HKEY_CURRENT_USER\\Software\\A;n;I;258\n"
                         "registry:0;HKEY_USERS\\.DEFAULT\\A;;s;\n"));
    EXPECT_EQ((std::vector<std::string>{"WRITE|HKLM\\Software\\FdGame\\FakeCmpt|CLSID|1|{1-2};x",
                                        std::string("WRITE|HKCU\\Software\\A|n|4|") +
                                            std::string("\x02\x01\0\0", 4),
                                        "WRITE|HKU\\.DEFAULT\\A||1|"}),
              host.callsLike("WRITE|"));
}

// ---- COPYPLUGIN

class InstallCopyPlugin : public InstallEngine
{
protected:
    void SetUp() override
    {
        InstallEngine::SetUp();
        host.vAddTreeFile("C:\\A\\iexplore.exe");
        host.vAddTreeFolder("C:\\A\\Plugins");
        host.vAddTreeFile("C:\\B\\netscape.exe");
        host.vAddTreeFolder("C:\\B\\Plugins");
    }
    CInstallEngine::ERunEnd runCopy(const std::string& strAction)
    {
        host.calls.clear();
        return runScript("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;;;1,0,0,1\n[DL]\nnpfdg.dll_\nextra.txt\n"
                         "[ACTIONS]\n" +
                         strAction + "\n[TEXT]\n2;after\n[END]\n");
    }
    // The calls from the callback's release on.
    std::vector<std::string> callsAfterRelease() const
    {
        const auto it = std::find(host.calls.begin(), host.calls.end(), "RELEASE");
        return std::vector<std::string>(it, host.calls.end());
    }
};

TEST_F(InstallCopyPlugin, ClosesTheBrowsersCopiesAndOpensTheResult)
{
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runCopy("COPYPLUGIN:1;a;b;c;d;2;9;2"));
    const std::vector<std::string> expected = {
        "RELEASE",
        "BOX|FDGame - Installer|Votre browser va être fermé puis relancé afin de terminer l'installation "
        "(cette "
        "opération peut prendre quelques secondes).",
        "CLOSE",
        "EXPAND|C:\\tmp\\dl1|C:\\A\\Plugins\\npfdg.dll",
        "EXPAND|C:\\tmp\\dl1|C:\\B\\Plugins\\npfdg.dll",
        "EXPAND|C:\\tmp\\dl2|C:\\A\\Plugins\\dl2",
        "EXPAND|C:\\tmp\\dl2|C:\\B\\Plugins\\dl2",
        "BOX|9;2|Installer - Copyplugin file : index trop grand !",
        "EXPAND|C:\\tmp\\dl2|C:\\A\\Plugins\\dl2",
        "EXPAND|C:\\tmp\\dl2|C:\\B\\Plugins\\dl2",
        "DEL|C:\\tmp\\script.txt",
        "OPEN|" + std::string(kUrl1),
    };
    std::vector<std::string> after;
    for (const std::string& c : callsAfterRelease())
    {
        if (c.rfind("TIMES|", 0) != 0 && c.rfind("LIST|", 0) != 0)
            after.push_back(c);
    }
    EXPECT_EQ(expected, after) << "no callback after the release, no SEND at the end";
    EXPECT_EQ("data1", host.files["C:\\B\\Plugins\\npfdg.dll"].strContent);
}

TEST_F(InstallCopyPlugin, OpensOnlyWebAddresses)
{
    for (const char* lpszUrl : {"C:\\x.exe", "file:///C:/x.exe", "http:", "mailto:a@b"})
    {
        engine.vSetParameter("RESURL1", lpszUrl);
        ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runCopy("COPYPLUGIN:1;a;b;c;d")) << lpszUrl;
        EXPECT_EQ(1u, host.callsLike("CLOSE").size());
        EXPECT_TRUE(host.callsLike("OPEN|").empty()) << lpszUrl;
        EXPECT_TRUE(sends().empty()) << lpszUrl;
    }
    engine.vSetParameter("RESURL1", "HTTPS://127.0.0.1/r");
    ASSERT_EQ(CInstallEngine::ERunEnd::Finished, runCopy("COPYPLUGIN:1;a;b;c;d"));
    EXPECT_EQ((std::vector<std::string>{"OPEN|HTTPS://127.0.0.1/r"}), host.callsLike("OPEN|"));
}

TEST_F(InstallCopyPlugin, CopyFailureAfterClosingCallsNothing)
{
    host.iExpandError = 6;
    ASSERT_EQ(CInstallEngine::ERunEnd::Stopped, runCopy("COPYPLUGIN:1;a;b;c;d\nMD:0;never"));
    const std::vector<std::string> after = callsAfterRelease();
    ASSERT_FALSE(after.empty());
    for (const std::string& c : after)
    {
        EXPECT_NE(0u, c.rfind("SET|", 0)) << c;
        EXPECT_NE(0u, c.rfind("CMD|", 0)) << c;
        EXPECT_NE(0u, c.rfind("OPEN|", 0)) << c;
    }
    EXPECT_EQ(1u, host.callsLike("EXPAND|").size()) << "the first failure ends the copies";
    EXPECT_TRUE(host.callsLike("MKDIR|").empty());
    // The callback is the plug-in's again for the next script.
    host.calls.clear();
    engine.vInstall(&host);
    EXPECT_EQ(1u, host.commands().size());
}

TEST_F(InstallCopyPlugin, NoFolderRecordedClosesNothing)
{
    host.calls.clear();
    ASSERT_EQ(
        CInstallEngine::ERunEnd::Finished,
        runScript(
            "[INSTALL]\n[DL]\nnpfdg.dll_\n[REQUIRED_ACTIONS]\nCOPYPLUGIN:1;a;b;c;d;1\nCOPYPLUGIN:1;a;b\n"
            "[END]\n"));
    EXPECT_TRUE(host.callsLike("RELEASE").empty());
    EXPECT_TRUE(host.callsLike("CLOSE").empty());
    EXPECT_TRUE(host.callsLike("EXPAND|").empty());
    EXPECT_TRUE(host.boxes().empty());
    ASSERT_EQ(1u, sends().size());
    EXPECT_EQ(kUrl1, sends()[0].strParam("TURL"));
}
