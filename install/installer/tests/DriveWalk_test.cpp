// The drive walk on Windows over a test tree that stands for the drives:
// browsers' folders, the plug-in's version read from its resource, files by
// name and size, and a symbolic link to a parent folder made on the Linux side.
#include "InstallEngine.h"
#include "RecordingHost.h"
#include "TestKit.h"
#include "WinInstallHost.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace FdInstall;
using namespace FdInstallTest;

namespace
{
std::string strTree()
{
    const char* p = std::getenv("FD_WALK_TREE");
    std::string s = std::string("Z:") + (p ? p : "");
    for (char& c : s)
        if (c == '/')
            c = '\\';
    return s;
}

class DriveWalk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableA(kszDriveRootsVariable, strTree().c_str());
        host.vAttach(&engine, nullptr);
    }
    void TearDown() override { SetEnvironmentVariableA(kszDriveRootsVariable, nullptr); }

    // Runs a script to its end or its first download; true when a download was asked.
    bool boRunAsksDownload(const std::string& strScript, FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        const std::string strPath = scratch.File("script.txt");
        std::ofstream(strPath, std::ios::binary) << strScript;
        callback.calls.clear();
        engine.vSetParameter("DL_BASE", "http://127.0.0.1/");
        engine.vInstall(&callback);
        engine.vSetParameter("DLPATH", strPath);
        EXPECT_EQ(CInstallEngine::EDone::StartWorker, engine.eDownloadDone(&callback));
        return engine.eRun(&callback) == CInstallEngine::ERunEnd::Paused;
    }

    FdTestKit::CScratchFolder scratch;
    CWinInstallHost host;
    CInstallEngine engine{host};
    CRecordingHost callback; // as the plug-in's callback only
};
} // namespace

TEST_F(DriveWalk, PluginSearchOverTheTree)
{
    ASSERT_TRUE(boRunAsksDownload("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;;;1,0,0,1\n[DL]\nx\n[END]\n"));
    // The folder without the plug-in is recorded once: Wine shows the link
    // B\loop as a reparse point, which the walk does not enter.
    const std::vector<SPluginFolder>& folders = engine.pluginFolders();
    ASSERT_EQ(1u, folders.size());
    EXPECT_EQ(strTree() + "\\A\\Plugins", folders[0].strPath);
    EXPECT_EQ(kBrowserExplorer, folders[0].eKind);
    const std::vector<SCommand> commands = callback.commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ("Veuillez patienter pendant l'installation...", commands[1].strParam("TEXTMSG"));
    EXPECT_EQ("1", commands[1].strParam("NUMMSG"));
    EXPECT_EQ("2", commands[2].strParam("NUMMSG"));
    EXPECT_EQ(kProgressWidth, commands[2].strParam("TEXTMSG").size());

    // A higher minimum: B's plug-in is below it too.
    ASSERT_TRUE(boRunAsksDownload("[INSTALL]\n[TEST]\n[PLUGIN]\nnpfdg.dll;;;1,0,0,2\n[DL]\nx\n[END]\n"));
    bool boNetscape = false;
    for (const SPluginFolder& f : engine.pluginFolders())
        boNetscape = boNetscape || (f.eKind == kBrowserNetscape && f.strPath == strTree() + "\\B\\Plugins");
    EXPECT_TRUE(boNetscape);
}

TEST_F(DriveWalk, FileTestOverTheTree)
{
    const struct
    {
        const char* line;
        bool present;
    } cases[] = {
        {"a.dll:0;b.txt:12", true},
        {"A.DLL;B.TXT", true},
        {"a.dll:0;b.txt:13", false},
        {"c.txt", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!c.present, boRunAsksDownload(std::string("[INSTALL]\n[TEST]\n[FILE]\n") + c.line +
                                                "\n[DL]\nx\n[END]\n"))
            << c.line;
}
