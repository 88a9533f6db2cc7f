#include "ConsoleLog.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <mutex>

namespace
{
// The console is one per process: the first stream that opens it allocates it (when
// the process had none) and the last one to go frees it.
struct CConsoleOwner
{
    std::mutex lock;
    int32_t users = 0;
    bool allocated = false;
};

CConsoleOwner& Owner()
{
    static CConsoleOwner owner;
    return owner;
}

void vReleaseConsoleUser()
{
    CConsoleOwner& owner = Owner();
    std::lock_guard<std::mutex> guard(owner.lock);
    if (owner.users > 0 && --owner.users == 0 && owner.allocated)
    {
        FreeConsole();
        owner.allocated = false;
    }
}

// Our own handle on the standard output, so that closing this stream's file leaves
// the process's standard handle open for the other streams.
FILE* OpenStdOutputCopy()
{
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_TEXT);
    if (fd == -1)
    {
        CloseHandle(copy);
        return nullptr;
    }
    FILE* file = _fdopen(fd, "w");
    if (file == nullptr)
        _close(fd);
    return file;
}
} // namespace

int32_t CConsoleLog::ConsoleUsers()
{
    CConsoleOwner& owner = Owner();
    std::lock_guard<std::mutex> guard(owner.lock);
    return owner.users;
}

CConsoleLog::CConsoleLog() : std::ostream(nullptr)
{
    // Until a console is opened everything goes to the null device.
    m_pNull = std::fopen("nul", "w");
    m_buf.attach(m_pNull);
    rdbuf(&m_buf);
}

CConsoleLog::~CConsoleLog()
{
    flush();
    m_buf.attach(nullptr);
    if (m_pConsole != nullptr)
    {
        std::fclose(m_pConsole);
        vReleaseConsoleUser();
    }
    if (m_pNull != nullptr)
        std::fclose(m_pNull);
}

bool CConsoleLog::boOpenConsole()
{
    if (m_pConsole != nullptr)
        return true;
    CConsoleOwner& owner = Owner();
    {
        std::lock_guard<std::mutex> guard(owner.lock);
        if (owner.users == 0)
            owner.allocated = AllocConsole() != FALSE;
        ++owner.users;
    }
    FILE* console = OpenStdOutputCopy();
    if (console == nullptr)
    {
        vReleaseConsoleUser();
        return false;
    }
    m_pConsole = console;
    m_buf.attach(m_pConsole);
    setf(std::ios::unitbuf);
    clear();
    return true;
}

CConsoleLog::CFileBuf::int_type CConsoleLog::CFileBuf::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    if (m_pFile == nullptr)
        return c;
    return std::fputc(traits_type::to_char_type(c), m_pFile) == EOF ? traits_type::eof() : c;
}

std::streamsize CConsoleLog::CFileBuf::xsputn(const char* s, std::streamsize n)
{
    if (m_pFile == nullptr || n <= 0)
        return n;
    return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<size_t>(n), m_pFile));
}

int CConsoleLog::CFileBuf::sync()
{
    if (m_pFile == nullptr)
        return 0;
    return std::fflush(m_pFile) == 0 ? 0 : -1;
}
