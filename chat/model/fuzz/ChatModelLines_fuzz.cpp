// The chat model fed server lines from any input, after it entered a room:
// each input line is sent as it is, or as a room message, a whisper, a join
// or a part of another user, picked by its first byte. The history must stay
// within its limit and the user count must match the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChatFakes.h"

using namespace ChatModelTest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 16)
        return 0;
    CFakeCnx cnx;
    CFakeSettings settings;
    CFakeView view;
    int64_t now = 100;
    ChatModel::CChatModel m(cnx, settings, [&now] { return now; });
    m.vSetView(&view);
    m.vInit();
    m.conn.strNick = m.conn.strIrcNick = m.conn.strNickHtml = "ann";
    m.conn.strRoom = "#r";
    cnx.session.vSetOwner(&m);
    cnx.session.vSetStateForTest(1);
    cnx.session.boParseLine(":srv 800 * 1 0 ANON 512 *\r\n");
    cnx.session.boParseLine(":ann!u@h JOIN :#r\r\n");
    cnx.session.boParseLine(":srv 353 ann = #r :ann bob\r\n");
    cnx.session.boParseLine(":srv 366 ann #r :End\r\n");
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    while (pos < input.size())
    {
        size_t end = input.find('\n', pos);
        if (end == std::string::npos)
            end = input.size();
        const std::string line = input.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty())
            continue;
        const std::string rest = line.substr(1);
        std::string wire;
        switch (static_cast<unsigned char>(line[0]) % 6)
        {
        case 0:
            wire = rest;
            break;
        case 1:
            wire = ":bob!u@h PRIVMSG #r :" + rest;
            break;
        case 2:
            wire = ":bob!u@h PRIVMSG ann :" + rest;
            break;
        case 3:
            wire = ":" + rest + "!u@h JOIN :#r";
            break;
        case 4:
            wire = ":" + rest + "!u@h PART #r :";
            break;
        default:
            now += static_cast<unsigned char>(line[0]) % 7;
            m.vSendChat(rest, (line[0] & 8) != 0, true, "bob");
            continue;
        }
        cnx.session.boParseLine(wire + "\r\n");
        if (m.msgs.strHistory.size() > static_cast<size_t>(m.cfg.lHistoryLimit))
            std::abort();
        if (m.people.users.size() != m.people.userFlags.size())
            std::abort();
    }
    return 0;
}
