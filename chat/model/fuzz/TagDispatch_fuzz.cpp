// The chat's tag dispatcher fed tags as received messages carry them: the
// input is cut at NUL bytes into a tag name, its attribute text, its body
// and a frame name, offered directly and also as another user's tag message
// and as a page of the chat's own. Whatever comes back must be a block of
// exactly the returned length, and the foreign mark must not outlive a parse.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ChatFakes.h"
#include "ChatModelHostFake.h"
#include "HtmlDoc.h"
#include "html/doc/HtmlText.h"

using namespace ChatModelTest;

namespace
{

std::string strPart(const std::string& input, size_t& pos)
{
    size_t end = input.find('\0', pos);
    if (end == std::string::npos)
        end = input.size();
    std::string part = input.substr(pos, end - pos);
    pos = end < input.size() ? end + 1 : end;
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 14)
        return 0;
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    CScriptedHost host;
    ChatModel::CChatModel m(cnx, settings, [] { return int64_t(100); });
    m.vSetView(&view);
    m.vSetHost(&host);
    m.vInit();
    m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
    m.conn.strRoom = "#r";
    m.boInsertUser("ann", 0);
    m.boInsertUser("bob", ChatModel::CChatModel::kUserHidden);
    m.tables.elistFrames["L"] = "lists";
    host.onReadLocalFile = [](const std::string& path, std::string& text)
    {
        text = path;
        return path.size() % 2 == 0;
    };
    m.ConfigDirectives().vOnCnfSubst("<B>lol</B>", "what=lol wwo=1");
    m.ConfigDirectives().vOnCnfSubst("", "what=x wwo=1");
    m.ConfigDirectives().vOnCnfLnkHttp("[%lnk%]", "TARGET=_blank");
    m.ConfigDirectives().vOnCnfCmd("%iparam-n%%iparam*n%%iparam/n% %0%%1%%params%",
                                   "name=say hasparams nval=-1 nvalformat=\"%05i\"");

    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    const std::string name = strPart(input, pos);
    const std::string attrs = strPart(input, pos);
    const std::string body = strPart(input, pos);
    const std::string frame = strPart(input, pos);

    CHtmlDoc doc(nullptr);
    HtmlMemBlock block = nullptr;
    HtmlStringToBlock(body, &block, 0);
    const int32_t length = block ? int32_t(body.size()) : 0;
    const int32_t result = m.OnTag(name, attrs, &block, length, frame, &doc);
    if (result > 0 && MemBlockSize(block) != uint32_t(result))
        std::abort();
    if (result == 0 && MemBlockSize(block) != uint32_t(length))
        std::abort();
    MemBlockFree(block);

    const std::string tag = "<" + name + " " + attrs + ">" + body + "</" + name + ">";
    m.vAddMessage("<TMESS/>" + tag, "bob", "", 0, true);
    m.vAddMessage(tag, "bob", "", 0, true, ChatModel::Origin::kStranger);
    if (m.boForeignText())
        std::abort();
    m.iParseMarkup(tag);
    m.vOnListsChanged();
    return 0;
}
