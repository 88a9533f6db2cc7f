// Element-list directives on any input: lines of "name TAB attributes TAB
// body" run as the chat runs received tags, against one table, with the
// settings directives (CNFELIST_ tags and shorter test names) in between and
// the tag history cut after each event.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ElementListDirectives.h"
#include "HtmlAttr.h"

using namespace ChatModel;

namespace
{
struct Host : IElementListHost
{
    std::string strHistory;
    std::string strOwnNickNoIncident() override { return "tom"; }
    bool boSetGroupMember(const std::string&, const std::string&, int32_t) override { return true; }
    void vAnnounceGroup(const std::string&) override {}
    void vAddRawMessage(const std::string& text) override { strHistory += text; }
    std::string strNickMarkup(const std::string& nick, int) override { return nick; }
    std::string strPlainUserLinkAttrs() override { return "class=u"; }
    void vCutHistoryTag(const std::string& tag, const std::string& attrs) override
    {
        const std::string before = strHistory;
        strHistory = strCutTagAttributes(strHistory, tag, attrs);
        if (strHistory.size() > before.size())
            std::abort();
    }
    void vQueueListChanged(const std::string&) override {}
    void vRequestMessageRefresh() override {}
};

std::string strField(const std::string& line, size_t index)
{
    size_t start = 0;
    for (size_t i = 0; i < index; ++i)
    {
        start = line.find('\t', start);
        if (start == std::string::npos)
            return "";
        ++start;
    }
    const size_t end = line.find('\t', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 14)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    CElementListTable table;
    Host host;
    CElementListDirectives dir(table, host);
    size_t pos = 0;
    while (pos <= input.size())
    {
        size_t end = input.find('\n', pos);
        if (end == std::string::npos)
            end = input.size();
        const std::string line = input.substr(pos, end - pos);
        pos = end + 1;
        const std::string name = strElementUpper(strField(line, 0));
        const std::string attrs = strField(line, 1);
        const std::string body = strField(line, 2);
        const std::string list = GetAttrValue("ELIST", attrs, "");
        host.strHistory += "<" + name + " " + attrs + ">" + body;
        if (host.strHistory.size() > 1u << 16)
            host.strHistory.erase(0, host.strHistory.size() - (1u << 15));
        if (name == "DYNELIST")
            (void)dir.strDynElist(attrs);
        else if (name == "DYNELIST_NBITEM")
            (void)dir.strNbItem(attrs, body);
        else if (name == "DYNELIST_NBKEY")
            (void)dir.strNbKey(attrs, body);
        else if (name == "DYNELIST_KEYFILTER")
            (void)dir.strKeyFilter(attrs, body);
        else if (name == "DYNELIST_ITEMFILTER")
            (void)dir.strItemFilter(attrs, body);
        else if (name.compare(0, 9, "DYNELIST_") == 0)
            dir.vEvent(name.substr(9), body, attrs);
        else if (name.compare(0, 8, "CNFELIST") == 0)
            (void)dir.boConfigure(name, attrs, body);
        else if (name == "KEYDISPLAY")
            table.vSetKeyTemplate(list, body);
        else if (name == "ITEMDISPLAY")
            table.vSetItemTemplate(list, body, HasAttr("LIST", attrs) != 0, HasAttr("MSG", attrs) != 0);
        else if (name == "MESSAGE")
            table.iSetMessage(list, GetAttrValue("ONEVENT", attrs, ""), body);
        else if (name == "LNKCOLOR")
            table.iSetLinkColour(list, GetAttrValue("TYPE", attrs, ""), body);
        else if (name == "JOIN")
            table.iSetJoinLink(list, body, GetAttrInt("RANK", attrs, 0));
        else if (name == "LEAVE")
            table.iSetLeaveLink(list, body, GetAttrInt("RANK", attrs, 0));
        else if (name == "TOGGLE")
            table.boToggleExpanded(list, GetAttrValue("IDKEY", attrs, ""));
        const ElementNode* root = table.lpFindList(list);
        if (root && root->uCountItems() > CElementListTable::kMaxItems * (CElementListTable::kMaxKeys + 1))
            std::abort();
        if (table.uSize() > CElementListTable::kMaxLists)
            std::abort();
    }
    return 0;
}
