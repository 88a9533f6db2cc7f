#include "PluginBase.h"

#include <cstring>
#include <new>
#include <strings.h>

namespace ChatPlugin
{
CPluginArgs::CPluginArgs(int16_t argc, char* argn[], char* argv[])
{
    for (int16_t i = 0; argn && i < argc; ++i)
    {
        m_names.emplace_back(argn[i] ? argn[i] : "");
        m_values.emplace_back(argv && argv[i] ? argv[i] : "");
    }
}

const char* CPluginArgs::pszGet(const char* name) const
{
    if (!name)
        return nullptr;
    for (size_t i = 0; i < m_names.size(); ++i)
        if (strcasecmp(m_names[i].c_str(), name) == 0)
            return m_values[i].c_str();
    return nullptr;
}

CPluginStream::CPluginStream(const char* type, NPStream* stream, NPBool seekable, uint16_t streamType)
    : m_stream(stream), m_seekable(seekable), m_streamType(streamType)
{
    if (type)
    {
        m_mime = type;
        m_boHasMime = true;
    }
    if (m_stream)
        m_stream->pdata = this;
}

CPluginStream::~CPluginStream()
{
    if (m_stream)
        m_stream->pdata = nullptr;
}

int32_t CPluginStream::iWrite(int32_t offset, int32_t len, const void* buffer)
{
    (void)offset;
    if (len < 0)
        return -1;
    if (m_streamType != NP_NORMAL || len == 0)
        return len;
    if (!buffer || m_boFailed || m_data.size() + static_cast<size_t>(len) > kMaxBytes)
    {
        m_boFailed = true;
        return len;
    }
    try
    {
        const char* bytes = static_cast<const char*>(buffer);
        m_data.insert(m_data.end(), bytes, bytes + len);
    }
    catch (const std::bad_alloc&)
    {
        m_boFailed = true;
    }
    return len;
}

NPError CPluginStream::DestroyStream(NPReason reason)
{
    // A block that could not be kept has failed the stream whatever the end says.
    if (reason != NPRES_DONE)
        m_boFailed = true;
    return NPERR_NO_ERROR;
}

void CPluginStream::vStreamAsFile(const char* fileName)
{
    m_fileName = fileName ? fileName : "";
}

CPluginInstance::CPluginInstance(NPP npp, uint16_t mode, std::unique_ptr<CPluginArgs> args)
    : m_npp(npp), m_mode(mode), m_args(std::move(args))
{
    if (!m_args)
        m_args = std::make_unique<CPluginArgs>(0, nullptr, nullptr);
    if (m_npp)
        m_npp->pdata = this;
}

CPluginInstance::~CPluginInstance() = default;

NPError CPluginInstance::SetWindow(NPWindow* window)
{
    if (!m_window)
        m_window.reset(CreateWindowObject());
    if (!m_window)
        return NPERR_OUT_OF_MEMORY_ERROR;
    return m_window->SetWindow(window);
}

void CPluginInstance::vPrint(NPPrint* print)
{
    if (!print)
        return;
    if (print->mode == NP_FULL)
        print->print.fullPrint.pluginPrinted = boPrintFull(print) ? 1 : 0;
    else
        vPrintEmbedded(print);
}

CPluginStream* CPluginInstance::NewStream(const char* type, NPStream* stream, NPBool seekable,
                                          uint16_t streamType)
{
    return new (std::nothrow) CPluginStream(type, stream, seekable, streamType);
}

CPluginWindow* CPluginInstance::CreateWindowObject()
{
    return new (std::nothrow) CPluginWindow();
}
} // namespace ChatPlugin
