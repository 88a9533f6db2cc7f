#include "ServerLinkMessages.h"

#include <cstdio>

#include "HexDigits.h"
#include "TextCase.h"

namespace LudexLink
{

namespace
{
const char kCodeMark[] = "%TP%";
const char kCustomKey[] = "cust=";

std::string Hex4(size_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(value));
    return text;
}

} // namespace

EBuildStatus BuildNotification(const std::string& msgTemplate, int32_t code, const std::string* custom,
                               std::string& out)
{
    out.clear();
    if (msgTemplate.size() < kPlaceholderLength)
        return EBuildStatus::kTemplateTooShort;
    char codeText[16];
    std::snprintf(codeText, sizeof codeText, "%.4d", static_cast<int>(code));

    std::string body;
    const std::string mark = kCodeMark;
    size_t from = kPlaceholderLength;
    for (size_t at = msgTemplate.find(mark, from); at != std::string::npos; at = msgTemplate.find(mark, from))
    {
        body.append(msgTemplate, from, at - from);
        body += codeText;
        from = at + mark.size();
    }
    body.append(msgTemplate, from, std::string::npos);

    std::string customPart;
    if (custom)
    {
        const size_t n = custom->size() + sizeof kCustomKey - 1 + 1;
        if (n > kMaxLength)
            return EBuildStatus::kTooLong;
        customPart = Hex4(n) + kCustomKey + *custom + kMessageEnd;
    }
    const size_t total = kPlaceholderLength + body.size() + customPart.size();
    if (total > kMaxLength)
        return EBuildStatus::kTooLong;
    out = Hex4(total) + body + customPart;
    return EBuildStatus::kOk;
}

SServerCommand ReadServerCommand(const uint8_t* data, size_t length)
{
    SServerCommand command;
    if (data == nullptr || length == 0)
        return command;
    if (data[length - 1] != kMessageEnd)
    {
        command.status = ECommandStatus::kBadEnd;
        return command;
    }
    if (length < kCommandHeaderLength + 1)
    {
        command.status = ECommandStatus::kTooShort;
        return command;
    }
    size_t fieldLength = 0;
    for (size_t i = 4; i < kCommandHeaderLength; ++i)
    {
        const int digit = FdText::HexDigitValue(data[i]);
        if (digit < 0)
        {
            command.status = ECommandStatus::kBadLength;
            return command;
        }
        fieldLength = fieldLength * 16 + static_cast<size_t>(digit);
    }
    if (fieldLength == 0)
    {
        command.status = ECommandStatus::kZeroLength;
        return command;
    }
    // The field's L - 1 characters lie before the end character.
    if (fieldLength - 1 > length - 1 - kCommandHeaderLength)
    {
        command.status = ECommandStatus::kPastEnd;
        return command;
    }
    const std::string field(reinterpret_cast<const char*>(data + kCommandHeaderLength), fieldLength - 1);
    const size_t equals = field.find('=');
    if (equals == std::string::npos)
    {
        command.status = ECommandStatus::kNoEquals;
        return command;
    }
    command.name = field.substr(0, equals);
    command.value = field.substr(equals + 1);
    command.status = ECommandStatus::kOk;
    return command;
}

bool IsCommandName(const std::string& name)
{
    return FdText::EqualsAsciiNoCase(name, "cmd") || FdText::EqualsAsciiNoCase(name, "ac");
}

SRoute RouteOf(int32_t code)
{
    if ((code >= 0 && code <= 4) || (code >= 1001 && code <= 1004))
        return {true, true};
    if (code == 102 || code == 2000)
        return {true, false};
    return {false, false};
}

} // namespace LudexLink
