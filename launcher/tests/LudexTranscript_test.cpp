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

// Runs the script of the case from the test box and returns the transcript, with
// the transcripts' folder written "<dir>\\".
::testing::AssertionResult RunTranscript(const std::string& name, std::string& transcript)
{
    const std::string folder = TranscriptFolder();
    const std::string outPath = ProgramFolder() + "transcript-" + name + ".txt";
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return ::testing::AssertionFailure() << "cannot write " << outPath;
    std::string cmd = "\"" + ProgramFolder() + "Ludex.exe\" dbg launchscript=" + folder + name + ".xml";
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
    std::string slashed = folder;
    for (char& c : slashed)
        if (c == '\\')
            c = '/';
    // The folder as the script names it and as the includes join it.
    for (const std::string& spelling : {folder, slashed})
        for (size_t at = transcript.find(spelling); at != std::string::npos; at = transcript.find(spelling, at))
            transcript.replace(at, spelling.size(), "<dir>\\");
    return ::testing::AssertionSuccess();
}

class LudexTranscript : public ::testing::TestWithParam<const char*>
{
};

TEST_P(LudexTranscript, MatchesItsGoldenFile)
{
    std::string transcript;
    ASSERT_TRUE(RunTranscript(GetParam(), transcript));
    EXPECT_EQ(ReadFile(TranscriptFolder() + GetParam() + ".txt"), transcript);
}

INSTANTIATE_TEST_SUITE_P(Scripts, LudexTranscript, ::testing::Values("engine", "includes"));
} // namespace
