// "Ludex.exe dbg launchscript=..." runs a script by hand from the test box: the
// engine's console transcript, written to the program's standard output, is
// compared with the golden file beside the script.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "TestKit.h"

namespace
{
constexpr int kRunButton = 201;
constexpr int kProgressBar = 207;
constexpr DWORD kRunLimitMs = 30000;

// The transcripts' folder as this program sees it.
std::string TranscriptFolder()
{
    const char* folder = std::getenv("FD_LUDEX_TRANSCRIPTS");
    std::string path = std::string("Z:") + (folder ? folder : "");
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path + "\\";
}

// The whole file without its carriage returns.
std::string ReadFile(const std::string& path)
{
    std::string result;
    for (char c : FdTestKit::strReadFile(path))
        if (c != '\r')
            result += c;
    return result;
}

struct SFind
{
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lParam)
{
    auto* find = reinterpret_cast<SFind*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == find->pid && std::string(cls) == "#32770" && GetDlgItem(hwnd, kRunButton))
    {
        find->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The address of the web stand-in that serves the transcripts' folder.
std::string WebBase()
{
    const char* port = std::getenv("FD_WEB_PORT");
    return std::string("http://127.0.0.1:") + (port ? port : "0") + "/";
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

struct SCase
{
    const char* name;
    bool web;            // the script is fetched from the web stand-in
    const char* command; // a page command given before the script starts
    const char* answers; // the message boxes' answers
    bool again = false;  // the script is run twice from the same box
};

// The program's message boxes (dialogs without the run button, other than the
// progress window with its bar 207) that have not been answered yet.
struct SBoxes
{
    DWORD pid;
    HWND box;
    std::vector<HWND>* answered;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM lParam)
{
    auto* find = reinterpret_cast<SBoxes*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == find->pid && std::string(cls) == "#32770" && !GetDlgItem(hwnd, kRunButton) &&
        !GetDlgItem(hwnd, kProgressBar) && IsWindowVisible(hwnd) &&
        std::find(find->answered->begin(), find->answered->end(), hwnd) == find->answered->end())
    {
        find->box = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Answers the program's message boxes in turn with the answers of the list
// (then OK) and writes each as "MSGBOX|caption|text|answer".
class CBoxAnswerer
{
public:
    CBoxAnswerer(DWORD pid, const std::string& answers) : m_pid(pid)
    {
        std::istringstream list(answers);
        std::string word;
        while (std::getline(list, word, ','))
            m_answers.push_back(std::atoi(word.c_str()));
    }
    void Poll()
    {
        SBoxes find = {m_pid, nullptr, &m_answered};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&find));
        if (!find.box)
            return;
        char caption[256] = "";
        char text[1024] = "";
        GetWindowTextA(find.box, caption, sizeof caption);
        GetDlgItemTextA(find.box, 0xFFFF, text, sizeof text); // the message box's text
        const int answer = m_next < m_answers.size() ? m_answers[m_next++] : IDOK;
        m_log += std::string("MSGBOX|") + caption + "|" + text + "|" + std::to_string(answer) + "\n";
        m_answered.push_back(find.box);
        PostMessageA(find.box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    }
    const std::string& Log() const { return m_log; }

private:
    DWORD m_pid;
    std::vector<int> m_answers;
    size_t m_next = 0;
    std::vector<HWND> m_answered;
    std::string m_log;
};

// The console's text with the transcripts' folder written "<dir>\\" and the web
// stand-in "<web>/".
std::string Normalised(std::string transcript)
{
    const std::string folder = TranscriptFolder();
    std::string slashed = folder;
    for (char& ch : slashed)
        if (ch == '\\')
            ch = '/';
    // The folder as the script names it and as the includes join it.
    for (const std::string& spelling : {folder, slashed})
        transcript = ReplaceAll(transcript, spelling, "<dir>\\");
    return ReplaceAll(transcript, WebBase(), "<web>/");
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

const char kIgnition[] = "[[Ludex Ignition";

// Runs the script of the case from the test box and returns the transcript
// (normalised). The box stays up when its script has ended: the run is over
// once the console holds the expected text (or at the bound); with c.again the
// script is run a second time from the same box, and the transcript is the
// first run's. The message boxes follow, one line each, when there were any.
::testing::AssertionResult RunTranscript(const SCase& c, const std::string& expected, std::string& transcript)
{
    const std::string name = c.name;
    const std::string folder = TranscriptFolder();
    const std::string outPath = FdTestKit::strProgramFolder() + "transcript-" + name + ".txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return ::testing::AssertionFailure() << "cannot write " << outPath;
    std::string cmd = "\"" + FdTestKit::strProgramFolder() +
                      "Ludex.exe\" dbg launchscript=" + (c.web ? WebBase() : folder) + name + ".xml";
    if (c.command[0])
        cmd += std::string(" command=") + c.command;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const BOOL started = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    if (!started)
        return ::testing::AssertionFailure() << "cannot start " << cmd;
    SFind find = {pi.dwProcessId, nullptr};
    const DWORD start = GetTickCount();
    while (!find.hwnd && GetTickCount() - start < kRunLimitMs)
    {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&find));
        if (!find.hwnd)
            WaitForSingleObject(pi.hProcess, 50);
    }
    if (find.hwnd)
        PostMessageA(find.hwnd, WM_COMMAND, kRunButton, 0);
    // The script runs; its message boxes are answered meanwhile.
    CBoxAnswerer boxes(pi.dwProcessId, c.answers);
    auto console = [&] { return Normalised(ReadFile(outPath)); };
    bool ended = false;
    auto waitFor = [&](const std::function<bool()>& done)
    {
        while (find.hwnd && !ended && !done() && GetTickCount() - start < 2 * kRunLimitMs)
        {
            boxes.Poll();
            ended = WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0;
        }
    };
    waitFor([&] { return console() == expected; });
    bool again = false;
    if (c.again && !ended)
    {
        PostMessageA(find.hwnd, WM_COMMAND, kRunButton, 0);
        waitFor([&] { return Count(console(), kIgnition) >= 2; });
        again = Count(console(), kIgnition) >= 2;
    }
    // Cancel ends the box, then the program.
    bool closed = false;
    if (find.hwnd && !ended)
    {
        PostMessageA(find.hwnd, WM_COMMAND, IDCANCEL, 0);
        closed = WaitForSingleObject(pi.hProcess, kRunLimitMs) == WAIT_OBJECT_0;
    }
    if (!ended && !closed)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!find.hwnd)
        return ::testing::AssertionFailure() << "no test box";
    if (ended)
        return ::testing::AssertionFailure()
               << "the end of the script ended the program, the box did not stay";
    if (!closed)
        return ::testing::AssertionFailure() << "the program did not end with its box";
    transcript = console();
    if (c.again)
    {
        if (!again)
            return ::testing::AssertionFailure() << "the box did not run the script a second time";
        transcript = transcript.substr(0, transcript.find(kIgnition, 1));
    }
    if (!boxes.Log().empty())
        transcript += "---- message boxes\n" + boxes.Log();
    return ::testing::AssertionSuccess();
}

class LudexTranscript : public ::testing::TestWithParam<SCase>
{
};

TEST_P(LudexTranscript, MatchesItsGoldenFile)
{
    const std::string golden = ReadFile(TranscriptFolder() + GetParam().name + ".txt");
    const std::string console = golden.substr(0, golden.find("---- message boxes\n"));
    std::string transcript;
    ASSERT_TRUE(RunTranscript(GetParam(), console, transcript));
    if (std::string(GetParam().name) == "items")
    {
        // regset with valtype "dword" made a new REG_DWORD value (this test's prefix is its own).
        DWORD type = 0;
        DWORD value = 0;
        DWORD size = sizeof value;
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, "Software\\Zelto\\LudexTranscript", "n",
                                              RRF_RT_ANY, &type, &value, &size));
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        EXPECT_EQ(12u, value);
    }
    // A differing transcript is left beside the program for a look (and, once
    // checked, as the new golden file).
    EXPECT_TRUE(FdTestKit::MatchesGoldenText(
        transcript, golden, FdTestKit::strProgramFolder() + "transcript-" + GetParam().name + ".actual.txt"));
}

// engine: vardef, itemtank with contexts, ssif, OnError with and without an err
// link; includes: a local include, a cycle and a missing include; remote: the
// script and its includes from the web stand-in, one of them missing; subscripts:
// priorities (a page command after later items' requests), a blocking and a
// non-blocking sub-script waiting on a download; items: the simple items. The
// engine's script runs twice from one box: the end of a script leaves it up.
INSTANTIATE_TEST_SUITE_P(Scripts, LudexTranscript,
                         ::testing::Values(SCase{"engine", false, "", "", true},
                                           SCase{"includes", false, "", ""}, SCase{"remote", true, "", ""},
                                           SCase{"subscripts", true, "late", ""},
                                           SCase{"items", false, "", "7,4"}),
                         [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.name); });
} // namespace
