// Runs arbitrary bytes as a page's action buffer through everything the plug-in
// does before acting: the buffer check and block parse, then the translation of
// the pairs (joining, "decryption" by a stand-in, unscrambling, UTF-8), then the
// answer text a page would get back.
#include "ActionBuffer.h"
#include "AnswerUrl.h"
#include "ParamList.h"
#include "ParamTranslator.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{
std::string strLatin1(const uint16_t* lpChars, size_t ulCount)
{
    std::string s;
    for (size_t i = 0; i < ulCount; ++i)
        s += lpChars[i] < 0x100 ? static_cast<char>(lpChars[i]) : '?';
    return s;
}

// Refuses what does not start with "E"; the rest is the plain text.
std::string strDecrypt(const std::string& s)
{
    if (s.empty() || s[0] != 'E')
        throw std::runtime_error("not an envelope");
    return s.substr(1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> buf(new char[size ? size : 1]);
    std::memcpy(buf.get(), data, size);
    CParamList list(CParamList::kszActionSeparator);
    size_t ulPayload = 0;
    if (PageAction::eReadActionBuffer(buf.get(), size, list, &ulPayload) != PageAction::EBufferStatus::Ok)
        return 0;
    if (ulPayload > size)
        __builtin_trap();
    PageAction::lGetAction(list);
    const CParamTranslator translator(strDecrypt, strLatin1);
    try
    {
        translator.eTranslate(list, nullptr);
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
    AnswerUrl::strBuild("http://127.0.0.1/p.asp", AnswerUrl::strSerializeForPage(list));
    return 0;
}
