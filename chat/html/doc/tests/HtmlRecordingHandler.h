// A handler for tests: records the events it receives as lines and answers
// tags through a script.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HtmlDoc.h"
#include "HtmlText.h"
#include "HtmlWndEvents.h"

class RecordingHandler : public CHtmlWndEventsBase
{
public:
    std::vector<std::string> events;
    // Answer to a tag: (name, attributes, content) -> replacement text, or no
    // value for "not handled".
    std::function<bool(const std::string&, const std::string&, const std::string&, std::string&)> onTag;
    std::function<void(std::string*, std::string*)> onLeaveView;
    bool recordProgress = false;

    int32_t OnTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                  std::string, CHtmlObject*) override
    {
        events.push_back("tag " + name);
        return Answer(name, attributes, content, length);
    }
    int32_t OnHandlerTag(std::string name, std::string attributes, HtmlMemBlock* content, int32_t length,
                         std::string, CHtmlObject*) override
    {
        events.push_back("handler-tag " + name);
        return Answer(name, attributes, content, length);
    }
    void OnDocumentCleared(CHtmlObject*) override { events.push_back("cleared"); }
    void OnTitle(std::string title, CHtmlObject*) override { events.push_back("title " + title); }
    void OnLoadProgress(int32_t stage, int32_t percent, int32_t count, CHtmlObject*) override
    {
        if (recordProgress)
            events.push_back("progress " + std::to_string(stage) + " " + std::to_string(percent) + " " +
                             std::to_string(count));
    }
    void OnLeaveView(std::string* kind, std::string* address, std::string, CHtmlObject*) override
    {
        events.push_back("leave " + *kind + " " + *address);
        if (onLeaveView)
            onLeaveView(kind, address);
    }
    void PushHandler(const std::string& name, const std::string&, CHtmlObject*) override
    {
        events.push_back("push " + name);
    }
    void OnHandlerEnding(const std::string& name, CHtmlObject* sender) override
    {
        const auto* doc = dynamic_cast<CHtmlDoc*>(sender);
        events.push_back("ending " + name + (doc != nullptr && !doc->GetElements().empty() ? " (tree)" : ""));
    }
    void PopHandler(const std::string& name, CHtmlObject* sender) override
    {
        const auto* doc = dynamic_cast<CHtmlDoc*>(sender);
        events.push_back("pop " + name + (doc != nullptr && !doc->GetElements().empty() ? " (tree)" : ""));
    }

private:
    int32_t Answer(const std::string& name, const std::string& attributes, HtmlMemBlock* content,
                   int32_t length)
    {
        std::string replacement;
        if (!onTag || !onTag(name, attributes, HtmlBlockToString(*content, uint32_t(length)), replacement))
            return -1;
        if (replacement.empty())
            return 0;
        return HtmlStringToBlock(replacement, content, 0);
    }
};
