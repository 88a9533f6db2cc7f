// CFileOps's file calls where the Windows API is not there (the host build):
// the C library, with Windows paths' backslashes read as slashes.
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

bool CFileOps::Exists(const std::string& path) const
{
    return CFile(path, "rb").Get() != nullptr;
}

bool CFileOps::Copy(const std::string& source, const std::string& destination, bool overwrite) const
{
    std::string data;
    return ReadAll(source, data) && WriteAll(destination, data.data(), data.size(), overwrite);
}

bool CFileOps::Rename(const std::string& source, const std::string& destination) const
{
    return Exists(source) && std::rename(Native(source).c_str(), Native(destination).c_str()) == 0;
}

bool CFileOps::Delete(const std::string& path) const
{
    return Exists(path) && std::remove(Native(path).c_str()) == 0;
}

bool CFileOps::ReadAll(const std::string& path, std::string& text) const
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

bool CFileOps::WriteAll(const std::string& path, const char* data, size_t length, bool overwrite) const
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
