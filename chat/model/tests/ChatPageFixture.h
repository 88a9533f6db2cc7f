// A chat model with the recording view, settings and connection, and pages
// parsed through the renderer's document with the model (or another handler)
// taking their tags. Each directive test adds what it records.
#pragma once

#include <cstdint>
#include <string>

#include "ChatFakes.h"
#include "ChatModelHostFake.h"
#include "ChatModel.h"
#include "HtmlDoc.h"

namespace ChatModelTest
{

struct CChatPageFixture
{
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CScriptedHost host;
    ChatModel::CChatModel m{cnx, settings, [] { return int64_t(5000); }};

    CChatPageFixture()
    {
        m.vSetView(&view);
        m.vSetHost(&host);
        m.vInit();
    }
    // The page's source once the document has handed its tags over (the
    // tree is not built).
    std::string strParseWith(const std::string& page, IHtmlWndEvents* handler)
    {
        CHtmlDoc doc(nullptr);
        doc.SetAutoFlags(1);
        doc.Load("str://" + page, nullptr, handler, 1, 0);
        return doc.GetSource();
    }
    std::string strParse(const std::string& page) { return strParseWith(page, &m); }
    // The page as the document of the named frame shows it: the model hears
    // its tags with that frame's name.
    std::string strParseInFrame(const std::string& page, const std::string& frame)
    {
        struct CFrameRelay : CHtmlWndEventsBase
        {
            ChatModel::CChatModel& model;
            std::string frame;
            CFrameRelay(ChatModel::CChatModel& m, const std::string& f) : model(m), frame(f) {}
            int32_t OnTag(std::string name, std::string attrs, HtmlMemBlock* content, int32_t length,
                          std::string, CHtmlObject* sender) override
            {
                return model.OnTag(name, attrs, content, length, frame, sender);
            }
        } relay(m, frame);
        return strParseWith(page, &relay);
    }
};

} // namespace ChatModelTest
