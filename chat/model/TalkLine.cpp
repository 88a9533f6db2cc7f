// The talk line: the keys of the page's CFLD_TEXT field, its input history
// and the building of the outgoing message (commands, encoding, links,
// colour, bold, message formats).
#include "ChatModel.h"
#include "html/doc/HtmlText.h"
#include "MessageFormats.h"

namespace ChatModel
{

namespace
{

const char* const kTalkField = "CFLD_TEXT";
const char* const kLoginField = "CFLD_LOGIN";

} // namespace

int32_t CChatModel::OnInputKey(int32_t key, int32_t, int32_t, std::string, CHtmlObject*)
{
    const auto held = [this](int32_t k) { return m_lpHost->boKeyHeld(k); };
    if (m_lpView && m_lpView->boHasFocus(kTalkField))
    {
        IChatView::Field field;
        m_lpView->boGetField(kTalkField, field);
        std::string text = field.strValue;
        switch (key)
        {
        case kKeyReturn:
            vRecallInput(kKeyReturn, text);
            vSendTalk(held(kKeyShift) && !msgs.boPrivateSendLock);
            return 1;
        case kKeyEscape:
        case kKeyUp:
        case kKeyDown:
            vRecallInput(key, text);
            field.strValue = text;
            if (field.strType.empty())
                field.strType = "TEXT";
            m_lpView->vSetField(kTalkField, field);
            m_lpView->vCaretToEnd(kTalkField);
            return 1;
        default:
            break;
        }
    }
    else if (m_lpView && key == kKeyReturn && m_lpView->boHasFocus(kLoginField))
    {
        boLogon();
    }
    return key == kKeyBack ? 1 : 0;
}

void CChatModel::vRecallInput(int32_t key, std::string& text)
{
    const size_t count = msgs.inputHistory.size();
    if (msgs.uInputCursor > count)
        msgs.uInputCursor = count;
    // An edited recalled line keeps its edit.
    if (msgs.uInputCursor < count && key != kKeyReturn)
        msgs.inputHistory[msgs.uInputCursor] = text;
    switch (key)
    {
    case kKeyReturn:
        if (text.empty())
            return;
        msgs.inputHistory.push_back(text);
        text.clear();
        msgs.uInputCursor = msgs.inputHistory.size();
        return;
    case kKeyEscape:
        text.clear();
        msgs.uInputCursor = count;
        return;
    case kKeyUp:
        if (msgs.uInputCursor == 0)
            return;
        --msgs.uInputCursor;
        text = msgs.inputHistory[msgs.uInputCursor];
        return;
    case kKeyDown:
        if (msgs.uInputCursor + 1 >= count)
        {
            text.clear();
            msgs.uInputCursor = count;
            return;
        }
        ++msgs.uInputCursor;
        text = msgs.inputHistory[msgs.uInputCursor];
        return;
    default:
        return;
    }
}

int CChatModel::iIsNoSendCommand(const std::string& line) const
{
    std::string params;
    const Command* c = lpFindCommand(line, params, nullptr);
    return c ? (c->boSend ? 1 : 0) : 0;
}

void CChatModel::vSendTalk(bool priv, const std::string* textIn, const std::string* toIn)
{
    if (!m_lpView)
        return;
    const std::string to = priv ? (toIn ? *toIn : conn.strSelected) : std::string();
    IChatView::Field field;
    std::string typed;
    if (textIn)
        typed = *textIn;
    else if (m_lpView->boGetField(kTalkField, field))
        typed = field.strValue;
    IChatView::Field bold, colour;
    bool boldOn = false;
    if (m_lpView->boGetField("CFLD_BOLD", bold) && bold.strType == "CHECKBOX")
        boldOn = bold.boChecked;
    else
        boldOn = m_lpView->boSwitchControlOn("CFLD_BOLD");
    m_lpView->boGetField("CFLD_COLOR", colour);

    std::string text = typed;
    const bool command = boOnActExecCmd(text);
    if (!command)
    {
        if (text.empty())
        {
            vAddMessage("", conn.strIrcNick, "", 21, true);
        }
        else
        {
            if (!msgs.boRawMode)
                text = HtmlEncodeEntities(text);
            vAutoLink(text);
            if (!msgs.boRawMode)
            {
                if (!colour.strValue.empty())
                    text = "<font color=" + colour.strValue + ">" + text + "</font>";
                if (boldOn)
                    text = "<B>" + text + "</B>";
            }
            tables.messageFormats.vApply(text);
            vSendChat(text, priv, true, to);
        }
    }
    else if (!msgs.boRawMode)
    {
        const bool ctrlAlt = m_lpHost->boKeyHeld(kKeyControl) && m_lpHost->boKeyHeld(kKeyAlt);
        if (iIsNoSendCommand(typed) == 0 || (!priv && !ctrlAlt))
        {
            vAddMessage(text, "", "", -1, true);
        }
        else
        {
            // The receiving chats run the command; a quote in the line would end the attribute.
            const std::string markup =
                "<DYN_EXECCMD name=\"" + strReplaceAll(typed, "\"", "&quot;") + "\"></DYN_EXECCMD>";
            vSendChat(markup, priv, true, to, 0, false, true);
        }
    }

    IChatView::Field empty;
    if (m_lpView->boGetField(kTalkField, empty))
    {
        empty.strValue.clear();
        m_lpView->vSetField(kTalkField, empty);
    }
    const std::string& frame = cfg.zoneFrames[kZoneMessages];
    if (!frame.empty() && frame != kUndef && m_lpView->boHasFrame(frame))
        m_lpView->vScrollFrameToEnd(frame);
}

} // namespace ChatModel
