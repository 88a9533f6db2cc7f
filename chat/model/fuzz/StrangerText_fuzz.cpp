// A stranger's line on any input: what it shows is stable and holds no tag
// but the kept ones, and once it is in the history, showing the history
// offers the dispatcher none of the stranger's directives.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChatFakes.h"
#include "ChatModelHostFake.h"
#include "ChatModel.h"
#include "HtmlDoc.h"
#include "TrustBoundary.h"
#include "html/doc/HtmlScan.h"
#include "html/doc/HtmlText.h"

namespace
{

bool boDirective(const std::string& name)
{
    static const char* const prefixes[] = {"CNF_", "DYN_", "ACT_", "CNFELIST", "DYNELIST", "DYNGRP_"};
    for (const char* p : prefixes)
        if (name.compare(0, std::char_traits<char>::length(p), p) == 0)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 14)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string shown = ChatModel::strStrangerShown(text);
    if (ChatModel::strStrangerShown(shown) != shown)
        std::abort();
    for (uint32_t pos = 0;;)
    {
        const HtmlTagInfo tag = HtmlNextTag(shown.data(), uint32_t(shown.size()), pos, true);
        if (!tag.found)
            break;
        const std::string name = tag.name[0] == '/' ? tag.name.substr(1) : tag.name;
        if (boDirective(name) || name.compare(0, 3, "DI_") == 0 || name == "SMESS" || name == "TMESS")
            std::abort();
        pos = tag.position + 1;
    }

    ChatModelTest::CFakeCnx cnx;
    ChatModelTest::CFakeSettings settings;
    ChatModelTest::CScriptedHost host;
    ChatModel::CChatModel m(cnx, settings, [] { return int64_t(5000); });
    m.vSetHost(&host);
    m.vInit();
    m.conn.strNick = m.conn.strIrcNick = "ann";
    m.vAddMessage(text, "bob", "", 0, true, ChatModel::Origin::kStranger);
    if (m.boForeignText())
        std::abort();
    bool seen = false;
    host.onTagSeen = [&seen](const std::string& name, const std::string&)
    {
        if (boDirective(HtmlUpper(name)) && HtmlUpper(name) != "DYN_MESSAGES")
            seen = true;
    };
    CHtmlDoc doc(nullptr);
    doc.SetAutoFlags(1);
    doc.Load("str://<DYN_MESSAGES></DYN_MESSAGES>", nullptr, &m, 1, 0);
    if (seen)
        std::abort();
    return 0;
}
