#include "TestBoxDownload.h"

#include "WinHandle.h"

#include <windows.h>
#include <wininet.h>

namespace
{
// Owns one WinINet handle.
class CInternetHandle
{
public:
    explicit CInternetHandle(HINTERNET h) : m_h(h) {}
    ~CInternetHandle()
    {
        if (m_h)
            InternetCloseHandle(m_h);
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    HINTERNET get() const { return m_h; }

private:
    HINTERNET m_h;
};
} // namespace

bool boDownloadToTempFile(const std::string& url, std::string& path)
{
    path.clear();
    const CInternetHandle session(
        InternetOpenA("Ludex Test Box", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session.get())
        return false;
    const CInternetHandle request(InternetOpenUrlA(
        session.get(), url.c_str(), nullptr, 0,
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE, 0));
    if (!request.get())
        return false;
    DWORD status = 0;
    DWORD size = sizeof status;
    // A 4xx or 5xx answer carries an error page, not the file.
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                       nullptr) &&
        status >= 400)
        return false;
    char folder[MAX_PATH] = "";
    char name[MAX_PATH] = "";
    if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "ldx", 0, name))
        return false;
    bool complete = false;
    {
        const FdWin::CHandle file(
            CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        char chunk[4096];
        DWORD got = 0;
        while (file.boValid() && InternetReadFile(request.get(), chunk, sizeof chunk, &got))
        {
            if (got == 0)
            {
                complete = true;
                break;
            }
            DWORD written = 0;
            if (!WriteFile(file.get(), chunk, got, &written, nullptr) || written != got)
                break;
        }
    }
    if (!complete)
    {
        DeleteFileA(name);
        return false;
    }
    path = name;
    return true;
}
