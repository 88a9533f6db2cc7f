// The chat's plug-in instance: its page parameters, the browser requests of
// the chat window, and the end of every stream, which becomes a record of
// the chat window's finished-download queue and message 1034.
#pragma once

#include "ChatModel.h"
#include "PluginBase.h"

#include <windows.h>

namespace ChatModel
{
class CChatWnd;
}

namespace ChatPlugin
{
class CChatContainerWnd;

class CChatInstance : public CPluginInstance, public ChatModel::IChatInstance
{
public:
    CChatInstance(NPP npp, uint16_t mode, std::unique_ptr<CPluginArgs> args);
    ~CChatInstance() override;

    CPluginWindow* CreateWindowObject() override;
    void vStreamDone(CPluginStream* stream) override;

    // ---- IChatInstance
    bool boHasArgs() override { return Args().uCount() > 0; }
    bool boGetArg(const std::string& name, std::string& value) override;
    bool boGetUrl(const std::string& url, const std::string& target) override;
    void vCountPendingNavigation() override { ++m_lPending; }
    bool boIsActiveX() override;

    // The seven page parameters read at creation (null when absent).
    const char* pszServerName() const { return m_pszServerName; }
    const char* pszServerKey() const { return m_pszServerKey; }
    const char* pszRoomName() const { return m_pszRoomName; }
    const char* pszGlobalBgColor() const { return m_pszGlobalBgColor; }
    const char* pszNickname() const { return m_pszNickname; }
    const char* pszHtmlUiUrl() const { return m_pszHtmlUiUrl; }
    const char* pszWaitText() const { return m_pszWaitText; }
    long lPendingStreams() const { return m_lPending; }
    // The chat window while the container holds one (else null).
    ChatModel::CChatWnd* ChatWnd() const;
    CChatContainerWnd* Container() const { return m_lpContainer; }

private:
    long m_lPending = 0;
    const char* m_pszServerName;
    const char* m_pszServerKey;
    const char* m_pszRoomName;
    const char* m_pszGlobalBgColor;
    const char* m_pszNickname;
    const char* m_pszHtmlUiUrl;
    const char* m_pszWaitText;
    CChatContainerWnd* m_lpContainer = nullptr; // the window object, owned by the base
};
} // namespace ChatPlugin
