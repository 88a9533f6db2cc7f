// The talk line's filter on any text, substitution table and link template:
// the input holds, cut at zero bytes, a substitution word, its replacement,
// the link template, the link attributes and the text; the first byte's low
// bit makes the substitution whole-word. The filter must end, and a text with
// no substitution word and no address comes back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChatModel.h"
#include "ChatFakes.h"

namespace
{

std::string strUpper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 1u << 14)
        return 0;
    std::vector<std::string> parts(1);
    for (size_t i = 1; i < size; ++i)
    {
        if (data[i] == 0 && parts.size() < 5)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(5);

    static ChatModelTest::CFakeCnx cnx;
    static ChatModelTest::CFakeSettings settings;
    static ChatModel::CChatModel model(cnx, settings, [] { return int64_t(0); });
    model.cfg.substitutions.clear();
    ChatModel::CChatModel::Substitution s;
    s.strKey = strUpper(parts[0]);
    s.strReplacement = parts[1];
    s.boWholeWord = (data[0] & 1) != 0;
    model.cfg.substitutions.push_back(s);
    model.cfg.strAutoLinkFormat = parts[2];
    model.cfg.strAutoLinkText = parts[3];

    std::string text = parts[4];
    model.vAutoLink(text);

    const std::string upper = strUpper(parts[4]);
    const bool plain = (s.strKey.empty() || upper.find(s.strKey) == std::string::npos) &&
                       upper.find("WWW.") == std::string::npos && upper.find("HTTP://") == std::string::npos;
    if (plain && text != parts[4])
        std::abort();
    return 0;
}
