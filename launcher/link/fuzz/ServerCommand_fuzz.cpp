// The reader of the game server's commands on any bytes, and the notification
// builder on a template and custom text cut from them.
#include "ServerLinkMessages.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const LudexLink::SServerCommand command = LudexLink::ReadServerCommand(data, size);
    if (command.status == LudexLink::ECommandStatus::kOk)
        LudexLink::IsCommandName(command.name);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const size_t cut = text.find('\n');
    const std::string custom = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    std::string out;
    LudexLink::BuildNotification(text.substr(0, cut), static_cast<int32_t>(size) - 3,
                                 cut == std::string::npos ? nullptr : &custom, out);
    return 0;
}
