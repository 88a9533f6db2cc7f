// The IRCX name decoder and the nick unescaping on any bytes; encoding what
// was decoded must decode back to it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "IrcNames.h"
#include "NickScheme.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1u << 16)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = ChatIrc::strIrcxDecode(text);
    // A text that starts with a quote and a digit reads as coded: its
    // encoding is not told apart from it.
    const bool ambiguous =
        decoded.size() >= 2 && decoded[0] == '\'' && decoded[1] >= '0' && decoded[1] <= '9';
    if (!ambiguous && ChatIrc::strIrcxDecode(ChatIrc::strIrcxEncode(decoded)) != decoded)
        std::abort();
    ChatIrc::CNickScheme scheme;
    scheme.vSetSecondMark("]");
    scheme.vSetSecondSet("xyz");
    const std::string unescaped = scheme.strUnescapeNick(text);
    std::string nick = text;
    scheme.boAcceptNick(nick, false);
    (void)unescaped;
    return 0;
}
