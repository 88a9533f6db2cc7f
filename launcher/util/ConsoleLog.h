// CConsoleLog: an output stream that discards everything until a console is opened
// for it; then every insertion goes to the process's console at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <streambuf>

class CConsoleLog : public std::ostream
{
public:
    CConsoleLog();
    ~CConsoleLog() override;
    CConsoleLog(const CConsoleLog&) = delete;
    CConsoleLog& operator=(const CConsoleLog&) = delete;

    // Attaches the stream to the console, allocating one when the process has none.
    // Every open stream shares the one console, which is freed when the last of them
    // goes. False when no console output could be had (the stream keeps discarding).
    bool boOpenConsole();
    bool boHasConsole() const { return m_pConsole != nullptr; }

    // Streams attached to the console right now, in the whole process.
    static int32_t ConsoleUsers();

private:
    // Unbuffered stream buffer over a C file.
    class CFileBuf : public std::streambuf
    {
    public:
        void attach(FILE* file) { m_pFile = file; }

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override;

    private:
        FILE* m_pFile = nullptr;
    };

    FILE* m_pNull = nullptr;
    FILE* m_pConsole = nullptr;
    CFileBuf m_buf;
};
