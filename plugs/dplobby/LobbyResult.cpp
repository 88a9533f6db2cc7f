#include "LobbyResult.h"

#include "HexDigits.h"
#include "MsgBuffer.h"

std::string HexEncode(const uint8_t* data, size_t size)
{
    return FdText::HexText(data, size, FdText::HexCase::kUpper);
}

namespace
{
std::string ValueText(const CScriptValue& value)
{
    if (value.type == kScriptInteger)
        return std::to_string(value.integer);
    return value.text;
}
} // namespace

std::string BuildResultMessage(const CDPLaunchInfo& info, const uint8_t* data, size_t size,
                               const CStackScript::ErrorSink& errorSink)
{
    CStackScript script;
    script.vSetErrorSink(errorSink);
    if (info.hasResultScript && script.boLoadProgram(info.resultScript))
    {
        script.vSetSystemVar(0, CScriptValue::Integer(info.scriptNumber));
        script.vRun(data, size);
    }
    CMsgBuffer message(0, 0, CMsgBuffer::kText);
    message.boAddPair("ac", "ScInfo");
    message.boAddPair("blid", ValueText(script.GetSystemVar(1)));
    // Lines that no longer fit are left out; the message stays whole.
    for (const std::string& line : script.Outputs())
        message.boAddPair("prop", line);
    message.ulFinish();
    return message.Message();
}
