// The launch-script loader over arbitrary script texts: top-level tags, tanks,
// includes, sub-scripts, ssif blocks and commands, then a few engine steps.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "LaunchScript.h"

namespace
{
class CFuzzItem : public CScriptItem
{
public:
    const char* GetKeyword() const override { return "msgbox"; }
    // Waits once, then ends; every other item queues the next sub-script it names.
    int32_t StateProc(int32_t state) override
    {
        if (CXmlTag* tag = CommandTag(); tag && tag->boHasAttribute("next"))
            CallNextSubScript(tag->GetAttribute("next", ""));
        return state == 0 ? 1 : kOver;
    }
    int32_t AsyncDone(int32_t) override { return kOver; }
};

class CFuzzHost : public IScriptEngineHost
{
public:
    void WriteLog(const std::string& text) override { size += text.size(); }
    std::unique_ptr<CScriptItem> NewItem(const std::string& keyword) override
    {
        return keyword == "quit" ? nullptr : std::make_unique<CFuzzItem>();
    }
    size_t size = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzHost host;
    CLaunchScript script(&host);
    script.GetVarTank().SetScriptVar("log:console", "1");
    script.OnCommand("a");
    script.Load("str://" + std::string(reinterpret_cast<const char*>(data), size), 0, 0, 0);
    for (int i = 0; i < 4; ++i)
        script.Step();
    script.OnDownloadEnd("http://127.0.0.1/x", "", true);
    return 0;
}
