#include "XmlDocument.h"

#include <new>

#include "Location.h"
#include "TextUtil.h"

namespace
{
const char kProtocolFile[] = "FILE";
const char kProtocolResource[] = "RES";
const char kProtocolString[] = "STR";
const char kSeparator[] = "://";
constexpr size_t kSeparatorLength = 3;

bool IsKnownProtocol(const std::string& word)
{
    return word == kProtocolFile || word == kProtocolResource || word == kProtocolString;
}
} // namespace

CXmlDocument::CXmlDocument()
{
    vSetDocument(this);
}

CXmlDocument::~CXmlDocument()
{
    if (m_pSink != nullptr)
        m_pSink->OnDetach(this);
    // The tags live in the store, which goes before the tag this document is.
    vDropTree();
}

void CXmlDocument::vDropTree()
{
    vClearChildren();
    m_tagStore.Release();
}

void CXmlDocument::vSetOperatingMode(uint32_t mode)
{
    m_boPreProcess = (mode & kXmlModePreProcess) != 0;
    m_boTree = (mode & kXmlModeTree) != 0;
}

uint32_t CXmlDocument::GetOperatingMode() const
{
    return (m_boPreProcess ? kXmlModePreProcess : 0u) | (m_boTree ? kXmlModeTree : 0u);
}

void CXmlDocument::vSetDefaultProtocol(const CStringExt& protocol)
{
    m_sDefaultProtocol = protocol;
    m_sDefaultProtocol.MakeUpper();
}

int32_t CXmlDocument::GetLastXmlError(CXmlError* error) const
{
    if (error != nullptr)
        *error = m_error;
    return m_error.code;
}

void CXmlDocument::vReset()
{
    if (m_pSink != nullptr)
        m_pSink->OnDetach(this);
    m_pSink = nullptr;
    vDropTree();
    m_sRawText.clear();
    m_sRawText.shrink_to_fit();
    m_nTagCount = 0;
    m_error = CXmlError();
    m_sProtocol.clear();
    m_sLocation.clear();
    m_boLocationIsRawText = false;
}

int32_t CXmlDocument::lLoad(const CStringExt& source, CXmlEventSink* sink)
{
    vReset();
    m_pSink = sink;

    // "word://location" with a word of 1 to 7 characters; otherwise the whole source
    // is a location of the default protocol. A STR source is the whole text: only its
    // head is searched, and it is copied once.
    const size_t separator = source.substr(0, kMaxProtocolWordLength + kSeparatorLength).find(kSeparator);
    CStringExt protocol;
    CStringExt location;
    if (separator != std::string::npos && separator >= 1)
    {
        protocol.assign(source, 0, separator);
        protocol.MakeUpper();
        location.assign(source, separator + kSeparatorLength, std::string::npos);
    }
    else
    {
        protocol = m_sDefaultProtocol.empty() ? CStringExt(kProtocolFile) : m_sDefaultProtocol;
        location = source;
    }

    if (!IsKnownProtocol(protocol))
    {
        const CStringExt asked = protocol;
        if (m_pSink != nullptr)
            m_pSink->ResolveProtocol(protocol, location, this);
        if (protocol != asked)
            protocol.MakeUpper();
        if (!IsKnownProtocol(protocol))
        {
            m_sProtocol = protocol;
            m_sLocation = std::move(location);
            // A sink that cleared the location has taken the load over (a download, say).
            return (m_pSink != nullptr && m_sLocation.empty()) ? kXmlLoadOk : kXmlLoadReadFailed;
        }
    }
    m_sProtocol = protocol;
    m_sLocation = std::move(location);

    const int32_t result = lRead();
    if (result != kXmlLoadOk)
        return result;
    try
    {
        if (m_boPreProcess && m_pSink != nullptr)
            vPreProcessPass();
        if (m_boTree)
            vTreePass();
    }
    catch (const std::bad_alloc&)
    {
        vDropTree();
        return kXmlLoadNoMemory;
    }
    if (m_pSink != nullptr)
        m_pSink->OnLoadEvent(kXmlEventLoaded, -1, 0, this);
    return kXmlLoadOk;
}

int32_t CXmlDocument::lRead()
{
    auto inMemory = [this]()
    {
        if (m_pSink != nullptr)
            m_pSink->OnLoadEvent(kXmlEventTextInMemory, -1, 0, this);
    };
    if (m_sProtocol == kProtocolFile)
        return XmlSourceReader().lReadFile(m_sLocation, m_sRawText, inMemory);

    if (m_sProtocol == kProtocolString)
    {
        if (m_sLocation.size() > kMaxXmlSourceSize)
            return kXmlLoadReadFailed;
        inMemory();
        // The text is the location: it moves instead of being copied.
        m_sRawText = std::move(m_sLocation);
        m_sLocation.clear();
        m_boLocationIsRawText = true;
        return kXmlLoadOk;
    }
    std::string resourceText;
    const int32_t result = XmlSourceReader().lReadResource(m_sLocation, resourceText);
    if (result != kXmlLoadOk)
        return result;
    if (resourceText.size() > kMaxXmlSourceSize)
        return kXmlLoadReadFailed;
    inMemory();
    m_sRawText = std::move(resourceText);
    return kXmlLoadOk;
}

void CXmlDocument::vSetError(const std::string& digest, size_t from, size_t stop)
{
    // The first error of a load is kept: later ones are mostly its consequences, and
    // copying a section per broken tag would cost time in the square of the text.
    if (m_error.code != 0)
        return;
    if (from > m_sRawText.size())
        from = m_sRawText.size();
    if (stop < from)
        stop = from;
    m_error.code = 1;
    m_error.digest = digest;
    m_error.section = m_sRawText.substr(from, stop - from);
    m_error.offsetStart = static_cast<int32_t>(from);
    m_error.offsetStop = static_cast<int32_t>(stop < m_sRawText.size() ? stop : m_sRawText.size());
}

void CXmlDocument::vSetMatchError(const std::string& name, size_t from, size_t stop)
{
    vSetError("Inconsistant tag count inside tag <" + name + "> ...</" + name + ">", from, stop);
}

void CXmlDocument::vSendEvent(int32_t code, int32_t value, int32_t count)
{
    if (m_pSink != nullptr)
        m_pSink->OnLoadEvent(code, value, count, this);
}
