// A host for the engine's host tests: it keeps the transcript, the events and
// the end requests, and makes every item kind a scripted item whose command
// tag says what its procedures answer:
//   steps="3,5,0"  successive StateProc answers ("over", "err" or numbers;
//                  after the list: over)
//   async="0,7"    successive AsyncDone answers (after the list: 0)
//   next="x"       CallNextSubScript(x) in its first state
//   onstop="1"     CallOnStopSubScript() in its first state
#pragma once

#include <map>
#include <string>
#include <vector>

#include "LaunchPart.h"
#include "ScriptEngine.h"
#include "ScriptItem.h"

class CTestHost : public IScriptEngineHost
{
public:
    void WriteLog(const std::string& text) override { log += text; }
    void RequestEnd() override { ++endRequests; }
    void NotifyEvent(int32_t code) override { events.push_back(code); }
    void RegisterPlug(const std::string& technoid, const std::string& classid) override
    {
        plugs.push_back(technoid + "=" + classid);
    }
    void RequestDownload(const std::string& url) override { downloads.push_back(url); }
    void ShowProgress(bool show) override { progress.push_back(show); }
    void Alert(const std::string& text, const std::string& caption) override
    {
        alerts.push_back(caption + "|" + text);
    }
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override;
    int32_t ShowMessageBox(const std::string& text, const std::string& title, uint32_t style) override
    {
        boxes.push_back(title + "|" + text + "|" + std::to_string(style));
        return answer;
    }
    void NavigateHostFrame(const std::string& url, const std::string& frame) override
    {
        navigations.push_back(frame + "|" + url);
    }
    bool RandomBytes(uint8_t* bytes, size_t count) override
    {
        for (size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        return randomWorks;
    }

    std::string RegRead(const std::string& path, const std::string& name, const std::string& defaultText) override
    {
        const auto found = registry.find(path + "|" + name);
        return found == registry.end() ? defaultText : found->second;
    }
    int32_t RegWrite(const std::string& path, const std::string& name, const std::string& text,
                     uint32_t newType) override
    {
        regWrites.push_back(path + "|" + name + "|" + text + "|" + std::to_string(newType));
        registry[path + "|" + name] = text;
        return 1;
    }

    // Simple items instead of scripted ones.
    bool simpleItems = false;
    int32_t answer = 1;
    uint32_t seed = 1;
    bool randomWorks = true;
    std::vector<std::string> boxes;
    std::vector<std::string> navigations;
    std::vector<std::string> downloads;
    std::vector<bool> progress;
    std::vector<std::string> alerts;
    std::map<std::string, std::string> registry; // "path|name" -> text
    std::vector<std::string> regWrites;

    std::string log;
    int endRequests = 0;
    std::vector<int32_t> events;
    std::vector<std::string> plugs;
    std::vector<std::string> ran; // "keyword:id" of each item start
};

// A context whose objects log to the host.
struct CTestScript
{
    CTestScript()
    {
        context.host = &host;
        context.vars.SetScriptVar("log:console", "1");
    }
    CTestHost host;
    CScriptContext context;
};
