// CLaunchedProcess against the fixture game: started by process creation and
// by the shell verb "open", ended by itself and by a kill, each end reported
// exactly once through thread message 1212; failed starts, stale messages and
// an owner that goes while the game runs.
#include "LaunchedProcess.h"
#include "TestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr DWORD kBoundMs = 20000;

class COwner : public IProcessCallback, public ILaunchTraceSink
{
public:
    void vOnProcessEnded(long code, CLaunchedProcess* process) override
    {
        ended.push_back(code);
        lastProcess = process;
    }
    void vSendTestData() override { ++testData; }
    void vTrace(const std::string& text) override { traces.push_back(text); }

    std::vector<long> ended;
    CLaunchedProcess* lastProcess = nullptr;
    int testData = 0;
    std::vector<std::string> traces;
};

// The plug's main loop in small: thread message 1212 goes to the process
// objects, the rest is dispatched. True when done held within the bound.
bool PumpUntil(const std::function<bool()>& done, DWORD boundMs = kBoundMs)
{
    return FdTestKit::boPumpUntil(done, boundMs, CLaunchedProcess::boHandleThreadMessage);
}

// Handles whatever is queued now.
void Drain()
{
    FdTestKit::vPumpWaiting(CLaunchedProcess::boHandleThreadMessage);
}

// A handle of our own on the running game, taken through "hprocess".
HANDLE GameHandle(const CLaunchedProcess& process)
{
    long value = 0;
    if (!process.boGetInfo("hprocess", value))
        return nullptr;
    HANDLE own = nullptr;
    DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(value)),
                    GetCurrentProcess(), &own, SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION,
                    FALSE, 0);
    return own;
}

class LaunchedProcess : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
    const std::string m_game = FdTestKit::strProgramFolder() + "FixtureGame.exe";
};
} // namespace

TEST_F(LaunchedProcess, OneGameOverPerEnd)
{
    struct
    {
        int32_t mode;
        bool kill;
    } cases[] = {
        {kLaunchByProcess, false},
        {kLaunchByProcess, true},
        {kLaunchByShell, false},
        {kLaunchByShell, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + (c.kill ? " killed" : " ends by itself"));
        COwner owner;
        CLaunchedProcess process(&owner, &owner);
        // A game that ends by itself does so quickly; a killed one would run on.
        const std::string parameters = c.kill ? "" : "--ms 100";
        ASSERT_TRUE(process.boStart({m_game, parameters, c.mode, c.mode == kLaunchByShell ? "open" : ""}));
        EXPECT_TRUE(process.boIsRunning());
        // A second start while the game runs is refused.
        EXPECT_FALSE(process.boStart({m_game, "", kLaunchByProcess, ""}));
        const HANDLE game = GameHandle(process);
        ASSERT_NE(nullptr, game);
        if (c.kill)
        {
            EXPECT_TRUE(process.boKill());
            EXPECT_FALSE(process.boIsRunning());
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(game, kBoundMs));
        }
        ASSERT_TRUE(PumpUntil([&] { return !owner.ended.empty(); }));
        // The watcher has been joined by the end handling: nothing more can come.
        Drain();
        EXPECT_EQ(std::vector<long>{0}, owner.ended);
        EXPECT_EQ(&process, owner.lastProcess);
        EXPECT_FALSE(process.boIsRunning());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(game, 0));
        CloseHandle(game);
        EXPECT_FALSE(process.boKill()); // nothing left to kill

        // The object serves the next game.
        ASSERT_TRUE(process.boStart({m_game, "--ms 50", c.mode, ""}));
        ASSERT_TRUE(PumpUntil([&] { return owner.ended.size() == 2; }));
        Drain();
        EXPECT_EQ(2u, owner.ended.size());
        EXPECT_EQ(0, owner.testData);
    }
}

TEST_F(LaunchedProcess, TracesAndInfo)
{
    COwner owner;
    CLaunchedProcess process(&owner, &owner);
    long value = -7;
    EXPECT_FALSE(process.boGetInfo("procid", value)); // nothing runs
    EXPECT_EQ(-7, value);
    ASSERT_TRUE(process.boStart({m_game, "", kLaunchByProcess, ""}));
    const std::vector<std::string> traces = {"tech = CreateProcess", "cmdline =  \"" + m_game + "\""};
    EXPECT_EQ(traces, owner.traces); // no parameters: no trailing blank
    const HANDLE game = GameHandle(process);
    ASSERT_NE(nullptr, game);
    ASSERT_TRUE(process.boGetInfo("ProcID", value));
    EXPECT_EQ(static_cast<long>(GetProcessId(game)), value);
    ASSERT_TRUE(process.boGetInfo("threadid", value));
    EXPECT_NE(0, value);
    value = -7;
    EXPECT_FALSE(process.boGetInfo("window", value));
    EXPECT_EQ(-7, value);
    EXPECT_TRUE(process.boKill());
    ASSERT_TRUE(PumpUntil([&] { return owner.ended.size() == 1; }));
    EXPECT_FALSE(process.boGetInfo("procid", value));
    CloseHandle(game);

    // The shell's traces.
    owner.traces.clear();
    ASSERT_TRUE(process.boStart({m_game, "--ms 10", kLaunchByShell, ""}));
    const std::string folder = FdTestKit::strProgramFolder();
    EXPECT_EQ(std::vector<std::string>{"csDefDir : " + folder + "\ncsVerb : open\ncsCommandLine : " + m_game +
                                       "\ncsParameters : --ms 10"},
              owner.traces);
    ASSERT_TRUE(PumpUntil([&] { return owner.ended.size() == 2; }));
}

TEST_F(LaunchedProcess, FailedStartsAnswerFalse)
{
    COwner owner;
    CLaunchedProcess process(&owner, &owner);
    const std::string missing = FdTestKit::strProgramFolder() + "NoSuchGame.exe";
    EXPECT_FALSE(process.boStart({missing, "-x", kLaunchByProcess, ""}));
    ASSERT_EQ(3u, owner.traces.size());
    EXPECT_EQ(0u, owner.traces[2].find("CreateProcess Failed! err=2\n\"" + missing + "\" -x"))
        << owner.traces[2];
    EXPECT_FALSE(process.boStart({missing, "", kLaunchByShell, "open"}));
    EXPECT_FALSE(process.boIsRunning());
    Drain();
    EXPECT_TRUE(owner.ended.empty());
}

TEST_F(LaunchedProcess, StaleMessagesDoNothing)
{
    COwner owner;
    auto process = std::make_unique<CLaunchedProcess>(&owner, &owner);
    // A message for an object with no ended watch.
    MSG msg = {};
    msg.message = kProcessEndedMessage;
    msg.lParam = reinterpret_cast<LPARAM>(process.get());
    EXPECT_TRUE(CLaunchedProcess::boHandleThreadMessage(msg));
    // One for an object that has gone: not even looked at.
    CLaunchedProcess* gone = new CLaunchedProcess(&owner, &owner);
    delete gone;
    msg.lParam = reinterpret_cast<LPARAM>(gone);
    EXPECT_TRUE(CLaunchedProcess::boHandleThreadMessage(msg));
    // Other messages are not its own.
    msg.message = WM_USER;
    EXPECT_FALSE(CLaunchedProcess::boHandleThreadMessage(msg));
    EXPECT_TRUE(owner.ended.empty());

    // The game ends, and its object goes before the message is handled.
    ASSERT_TRUE(process->boStart({m_game, "", kLaunchByProcess, ""}));
    const HANDLE game = GameHandle(*process);
    ASSERT_NE(nullptr, game);
    EXPECT_TRUE(process->boKill());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(game, kBoundMs));
    // Waits for the watcher's message without handling it.
    ASSERT_TRUE(FdTestKit::boWaitUntil(
        []
        {
            MSG queued = {};
            return PeekMessageA(&queued, nullptr, kProcessEndedMessage, kProcessEndedMessage, PM_NOREMOVE) !=
                   FALSE;
        },
        kBoundMs));
    process.reset();
    Drain();
    EXPECT_TRUE(owner.ended.empty());
    CloseHandle(game);
}

TEST_F(LaunchedProcess, OwnerGoesWhileTheGameRuns)
{
    COwner owner;
    HANDLE game = nullptr;
    {
        CLaunchedProcess process(&owner, &owner);
        ASSERT_TRUE(process.boStart({m_game, "", kLaunchByProcess, ""}));
        game = GameHandle(process);
        ASSERT_NE(nullptr, game);
    }
    // The watcher was stopped with its object; the game runs on.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(game, 0));
    TerminateProcess(game, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(game, kBoundMs));
    CloseHandle(game);
    Drain();
    EXPECT_TRUE(owner.ended.empty());
}
