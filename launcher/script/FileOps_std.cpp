// The C library's file calls, with Windows paths' backslashes read as slashes,
// and the choice of the calls CFileOps uses.
#include "FileOps.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
std::string Native(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

class CFile
{
public:
    CFile(const std::string& path, const char* mode) : m_f(std::fopen(Native(path).c_str(), mode)) {}
    ~CFile()
    {
        if (m_f)
            std::fclose(m_f);
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    FILE* Get() const { return m_f; }
    // fclose's verdict on the buffered writes.
    bool Close()
    {
        FILE* f = m_f;
        m_f = nullptr;
        return f && std::fclose(f) == 0;
    }

private:
    FILE* m_f;
};
} // namespace

class CStdFileCalls : public IFileCalls
{
public:
    bool Exists(const std::string& path) const override;
    bool Copy(const std::string& source, const std::string& destination, bool overwrite) const override;
    bool Rename(const std::string& source, const std::string& destination) const override;
    bool Delete(const std::string& path) const override;
    bool ReadAll(const std::string& path, std::string& text) const override;
    bool WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const override;
};

bool CStdFileCalls::Exists(const std::string& path) const
{
    return CFile(path, "rb").Get() != nullptr;
}

bool CStdFileCalls::Copy(const std::string& source, const std::string& destination, bool overwrite) const
{
    std::string data;
    return ReadAll(source, data) && WriteAll(destination, data.data(), data.size(), overwrite);
}

bool CStdFileCalls::Rename(const std::string& source, const std::string& destination) const
{
    return Exists(source) && std::rename(Native(source).c_str(), Native(destination).c_str()) == 0;
}

bool CStdFileCalls::Delete(const std::string& path) const
{
    return Exists(path) && std::remove(Native(path).c_str()) == 0;
}

bool CStdFileCalls::ReadAll(const std::string& path, std::string& text) const
{
    text.clear();
    if (path.size() >= kMaxPath)
        return false;
    CFile file(path, "rb");
    if (!file.Get())
        return false;
    char chunk[kChunk];
    for (;;)
    {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.Get());
        text.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    return std::ferror(file.Get()) == 0;
}

bool CStdFileCalls::WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const
{
    if (path.size() >= kMaxPath)
        return false;
    if (!overwrite)
    {
        // "x": created only when it does not exist yet.
        CFile file(path, "wbx");
        return file.Get() && std::fwrite(data, 1, length, file.Get()) == length && file.Close();
    }
    const std::string temporary = path + ".ludex-tmp";
    {
        CFile file(temporary, "wb");
        if (!file.Get() || std::fwrite(data, 1, length, file.Get()) != length || !file.Close())
        {
            std::remove(Native(temporary).c_str());
            return false;
        }
    }
    if (std::rename(Native(temporary).c_str(), Native(path).c_str()) != 0)
    {
        std::remove(Native(temporary).c_str());
        return false;
    }
    return true;
}

namespace
{
const CStdFileCalls g_stdCalls{};
// Set by the Windows half during static initialisation; zero-initialised before it.
const IFileCalls* g_pCalls = nullptr;
} // namespace

const IFileCalls& FileCalls()
{
    return g_pCalls != nullptr ? *g_pCalls : g_stdCalls;
}

void SetFileCalls(const IFileCalls* calls)
{
    g_pCalls = calls;
}
