#include "ChatInstance.h"

#include "ChatContainerWnd.h"
#include "ChatBrowser.h"

#include <cstring>
#include <new>

namespace ChatPlugin
{
CChatInstance::CChatInstance(NPP npp, uint16_t mode, std::unique_ptr<CPluginArgs> args)
    : CPluginInstance(npp, mode, std::move(args)), m_pszServerName(Args().pszGet("SERVER_NAME")),
      m_pszServerKey(Args().pszGet("SERVER_KEY")), m_pszRoomName(Args().pszGet("ROOM_NAME")),
      m_pszGlobalBgColor(Args().pszGet("GLOBAL_BG_COLOR")), m_pszNickname(Args().pszGet("NICKNAME")),
      m_pszHtmlUiUrl(Args().pszGet("HTMLUI_URL")), m_pszWaitText(Args().pszGet("WAIT_TEXT"))
{
}

CChatInstance::~CChatInstance() = default;

CPluginWindow* CChatInstance::CreateWindowObject()
{
    m_lpContainer = new (std::nothrow) CChatContainerWnd(*this);
    return m_lpContainer;
}

ChatModel::CChatWnd* CChatInstance::ChatWnd() const
{
    return m_lpContainer ? m_lpContainer->ChatWnd() : nullptr;
}

void CChatInstance::vStreamDone(CPluginStream* stream)
{
    --m_lPending;
    ChatModel::CChatWnd* chat = m_lpContainer ? &m_lpContainer->ChatWndObject() : nullptr;
    if (!stream || !chat)
        return;
    auto record = std::make_unique<ChatModel::FinishedDownload>();
    const uint16_t type = stream->uStreamType();
    record->boAsFile = type == NP_ASFILE || type == NP_ASFILEONLY;
    if (stream->boFailed())
        record->boFailed = true;
    else if (record->boAsFile)
        record->strPath = stream->strFileName();
    else
        record->strText.assign(stream->Data().begin(), stream->Data().end());
    if (stream->Stream() && stream->Stream()->url)
        record->strUrl = stream->Stream()->url;
    if (stream->boHasMime())
        record->strMime = stream->strMime();
    chat->FinishedDownloads().vPush(std::move(record));
    if (chat->hWnd() && IsWindow(chat->hWnd()))
        PostMessageA(chat->hWnd(), ChatModel::CChatWnd::kDownloadsMessage, 0, 0);
}

bool CChatInstance::boGetArg(const std::string& name, std::string& value)
{
    const char* v = Args().pszGet(name.c_str());
    if (!v)
        return false;
    value = v;
    return true;
}

bool CChatInstance::boGetUrl(const std::string& url, const std::string& target)
{
    return iGetUrl(Npp(), url.c_str(), target.empty() ? nullptr : target.c_str()) == NPERR_NO_ERROR;
}

bool CChatInstance::boIsActiveX()
{
    return std::strcmp(pszBrowserKind(), "AX") == 0;
}
} // namespace ChatPlugin
