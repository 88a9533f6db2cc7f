// "Ludex.exe dbg launchscript=..." runs a script by hand from the test box: the
// engine's console transcript, written to the program's standard output, is
// compared with the golden file beside the script.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace
{
constexpr int kRunButton = 201;
constexpr DWORD kRunLimitMs = 60000;

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

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

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    std::string result;
    for (char c : text.str())
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
};

// Runs the script of the case from the test box and returns the transcript, with
// the transcripts' folder written "<dir>\\" and the web stand-in "<web>/". The
// message boxes follow, one line each, when there were any.
::testing::AssertionResult RunTranscript(const SCase& c, std::string& transcript)
{
    const std::string name = c.name;
    const std::string folder = TranscriptFolder();
    const std::string outPath = ProgramFolder() + "transcript-" + name + ".txt";
    const std::string boxPath = ProgramFolder() + "transcript-" + name + "-boxes.txt";
    DeleteFileA(boxPath.c_str());
    SetEnvironmentVariableA("FD_UI_LOG", boxPath.c_str());
    SetEnvironmentVariableA("FD_UI_ANSWERS", c.answers);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return ::testing::AssertionFailure() << "cannot write " << outPath;
    std::string cmd = "\"" + ProgramFolder() + "Ludex.exe\" dbg launchscript=" + (c.web ? WebBase() : folder) +
                      name + ".xml";
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
    // The script ends the program itself (its OnStop sub-script).
    const DWORD ended = WaitForSingleObject(pi.hProcess, kRunLimitMs);
    if (ended != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!find.hwnd)
        return ::testing::AssertionFailure() << "no test box";
    if (ended != WAIT_OBJECT_0)
        return ::testing::AssertionFailure() << "the script did not end the program";
    transcript = ReadFile(outPath);
    const std::string boxes = ReadFile(boxPath);
    if (!boxes.empty())
        transcript += "---- message boxes\n" + boxes;
    std::string slashed = folder;
    for (char& ch : slashed)
        if (ch == '\\')
            ch = '/';
    // The folder as the script names it and as the includes join it.
    for (const std::string& spelling : {folder, slashed})
        transcript = ReplaceAll(transcript, spelling, "<dir>\\");
    transcript = ReplaceAll(transcript, WebBase(), "<web>/");
    return ::testing::AssertionSuccess();
}

class LudexTranscript : public ::testing::TestWithParam<SCase>
{
};

TEST_P(LudexTranscript, MatchesItsGoldenFile)
{
    std::string transcript;
    ASSERT_TRUE(RunTranscript(GetParam(), transcript));
    EXPECT_EQ(ReadFile(TranscriptFolder() + GetParam().name + ".txt"), transcript);
}

// engine: vardef, itemtank with contexts, ssif, OnError with and without an err
// link; includes: a local include, a cycle and a missing include; remote: the
// script and its includes from the web stand-in, one of them missing; subscripts:
// priorities (a page command after later items' requests), a blocking and a
// non-blocking sub-script waiting on a download; items: the simple items.
INSTANTIATE_TEST_SUITE_P(Scripts, LudexTranscript,
                         ::testing::Values(SCase{"engine", false, "", ""}, SCase{"includes", false, "", ""},
                                           SCase{"remote", true, "", ""}, SCase{"subscripts", true, "late", ""},
                                           SCase{"items", false, "", "7,4"}),
                         [](const ::testing::TestParamInfo<SCase>& info) { return std::string(info.param.name); });
} // namespace
