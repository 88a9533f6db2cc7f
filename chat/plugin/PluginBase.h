// The plug-in's base classes over the browser interface: the page arguments
// of an instance, the instance with its window object, and one browser
// stream. The chat's own instance derives from CPluginInstance.
#pragma once

#include "NpApi.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ChatPlugin
{
// The names and values NPP_New was given, in order.
class CPluginArgs
{
public:
    CPluginArgs(int16_t argc, char* argn[], char* argv[]);
    size_t uCount() const { return m_names.size(); }
    // The value of the first name equal without regard to case; null when none.
    const char* pszGet(const char* name) const;

private:
    std::vector<std::string> m_names, m_values;
};

// The instance's window object: the default one does nothing with a window.
class CPluginWindow
{
public:
    virtual ~CPluginWindow() = default;
    virtual NPError SetWindow(NPWindow* window)
    {
        (void)window;
        return NPERR_NO_ERROR;
    }
    virtual void vEmpty() {}
};

// One browser stream: what arrived of it and how it ended.
class CPluginStream
{
public:
    // The most one stream holds in memory; a longer one fails.
    static constexpr size_t kMaxBytes = 64u << 20;

    CPluginStream(const char* type, NPStream* stream, NPBool seekable, uint16_t streamType);
    virtual ~CPluginStream();
    CPluginStream(const CPluginStream&) = delete;
    CPluginStream& operator=(const CPluginStream&) = delete;

    virtual int32_t iWriteReady() { return 0x0FFFFFFF; }
    // Normal streams keep the bytes; a block that cannot be kept marks the
    // stream failed (what came before it would be a truncated document).
    virtual int32_t iWrite(int32_t offset, int32_t len, const void* buffer);
    virtual NPError DestroyStream(NPReason reason);
    virtual void vStreamAsFile(const char* fileName);

    NPStream* Stream() const { return m_stream; }
    uint16_t uStreamType() const { return m_streamType; }
    bool boFailed() const { return m_boFailed; }
    const std::string& strFileName() const { return m_fileName; }
    const std::string& strMime() const { return m_mime; }
    bool boHasMime() const { return m_boHasMime; }
    const std::vector<char>& Data() const { return m_data; }
    NPBool boSeekable() const { return m_seekable; }

private:
    std::string m_fileName;
    std::vector<char> m_data;
    std::string m_mime;
    bool m_boHasMime = false;
    bool m_boFailed = false;
    NPStream* m_stream;
    NPBool m_seekable;
    uint16_t m_streamType;
};

class CPluginInstance
{
public:
    // Stores the instance in the handle's pdata.
    CPluginInstance(NPP npp, uint16_t mode, std::unique_ptr<CPluginArgs> args);
    virtual ~CPluginInstance();
    CPluginInstance(const CPluginInstance&) = delete;
    CPluginInstance& operator=(const CPluginInstance&) = delete;

    virtual NPError Destroy() { return NPERR_NO_ERROR; }
    virtual NPError SetWindow(NPWindow* window);
    virtual void vPrint(NPPrint* print);
    virtual int16_t iHandleEvent(void* event)
    {
        (void)event;
        return 0;
    }
    virtual CPluginStream* NewStream(const char* type, NPStream* stream, NPBool seekable,
                                     uint16_t streamType);
    virtual CPluginWindow* CreateWindowObject();
    virtual void vStreamDone(CPluginStream* stream) { (void)stream; }
    virtual bool boPrintFull(NPPrint* print)
    {
        (void)print;
        return false;
    }
    virtual void vPrintEmbedded(NPPrint* print) { (void)print; }

    NPP Npp() const { return m_npp; }
    uint16_t uMode() const { return m_mode; }
    const CPluginArgs& Args() const { return *m_args; }
    CPluginWindow* WindowObject() const { return m_window.get(); }

private:
    NPP m_npp;
    uint16_t m_mode;
    std::unique_ptr<CPluginArgs> m_args;
    std::unique_ptr<CPluginWindow> m_window;
};
} // namespace ChatPlugin
