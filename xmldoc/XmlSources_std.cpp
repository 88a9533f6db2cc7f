// The C library's FILE and RES sources: files through fopen, and no resources;
// and the choice of the reader documents use.
#include "XmlSources.h"

#include <cstdio>
#include <new>

namespace
{
class CFileCloser
{
public:
    explicit CFileCloser(FILE* f) : m_f(f) {}
    ~CFileCloser()
    {
        if (m_f != nullptr)
            std::fclose(m_f);
    }
    CFileCloser(const CFileCloser&) = delete;
    CFileCloser& operator=(const CFileCloser&) = delete;
    FILE* get() const { return m_f; }

private:
    FILE* m_f;
};

class CStdSourceReader : public IXmlSourceReader
{
public:
    int32_t lReadFile(const std::string& path, std::string& text,
                      const std::function<void()>& onInMemory) const override;
    int32_t lReadResource(const std::string&, std::string&) const override { return kXmlLoadNoResource; }
};

const CStdSourceReader g_stdReader{};
// Set by the Windows half during static initialisation; zero-initialised before it.
const IXmlSourceReader* g_pReader = nullptr;

int32_t CStdSourceReader::lReadFile(const std::string& path, std::string& text,
                                    const std::function<void()>& onInMemory) const
{
    // Locations are written the Windows way ('\\' separators); this C library wants '/'.
    std::string localPath = path;
    for (char& c : localPath)
        if (c == '\\')
            c = '/';
    CFileCloser file(std::fopen(localPath.c_str(), "rb"));
    if (file.get() == nullptr)
        return kXmlLoadReadFailed;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return kXmlLoadReadFailed;
    const long size = std::ftell(file.get());
    if (size < 0 || static_cast<uint64_t>(size) > kMaxXmlSourceSize ||
        std::fseek(file.get(), 0, SEEK_SET) != 0)
        return kXmlLoadReadFailed;
    try
    {
        text.assign(static_cast<size_t>(size), '\0');
    }
    catch (const std::bad_alloc&)
    {
        return kXmlLoadNoMemory;
    }
    if (onInMemory)
        onInMemory();
    if (size > 0 && std::fread(&text[0], 1, text.size(), file.get()) != text.size())
        return kXmlLoadReadFailed;
    return kXmlLoadOk;
}

} // namespace

const IXmlSourceReader& XmlSourceReader()
{
    return g_pReader != nullptr ? *g_pReader : g_stdReader;
}

void vSetXmlSourceReader(const IXmlSourceReader* reader)
{
    g_pReader = reader;
}
