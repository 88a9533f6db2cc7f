#include "HtmlStdHost.h"

#include <cstdio>
#include <filesystem>

namespace FdHtmlTest
{
namespace
{
class FileCloser
{
public:
    explicit FileCloser(std::FILE* f) : m_file(f) {}
    ~FileCloser()
    {
        if (m_file != nullptr)
            std::fclose(m_file);
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    std::FILE* get() const { return m_file; }

private:
    std::FILE* m_file;
};
} // namespace

int32_t StdFileHost::ReadFile(const std::string& path, uint32_t maxSize, HtmlMemBlock* block,
                              uint32_t* length, std::string* errorText,
                              const std::function<void()>& onAllocated)
{
    *block = nullptr;
    *length = 0;
    FileCloser file(std::fopen(path.c_str(), "rb"));
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (file.get() == nullptr || error || !std::filesystem::is_regular_file(path, error))
    {
        *errorText = "File error";
        return 1;
    }
    if (size > maxSize)
    {
        *errorText = "Error reading file " + path;
        return 1;
    }
    *block = MemBlockAlloc(0, uint32_t(size));
    if (*block == nullptr)
        return 2;
    if (onAllocated)
        onAllocated();
    if (size != 0 && std::fread(*block, 1, size_t(size), file.get()) != size)
    {
        *block = MemBlockFree(*block);
        *errorText = "Error reading file " + path;
        return 1;
    }
    *length = uint32_t(size);
    return 0;
}

std::string StdFileHost::CurrentDirectory()
{
    std::error_code error;
    const std::string dir = std::filesystem::current_path(error).string();
    return error ? std::string() : dir;
}
} // namespace FdHtmlTest
