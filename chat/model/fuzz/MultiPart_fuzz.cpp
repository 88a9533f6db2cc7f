// The multi-part table driven by any byte program: each step adds, completes
// or removes a part of one of a few records; the bounds must hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChatTables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ChatModel::CMultiPartTable t;
    for (size_t i = 0; i + 2 < size; i += 3)
    {
        const std::string name(1, static_cast<char>('a' + (data[i] & 63)));
        const long position = static_cast<long>(data[i + 1]) - 2;
        switch (data[i + 2] & 7)
        {
        case 0:
            t.vSetContext(name, "", data[i + 1]);
            break;
        case 1:
            t.vSetExpected(name, data[i + 1]);
            break;
        case 2:
            if (t.boComplete(name))
                (void)t.strJoined(name);
            break;
        case 3:
            t.vRemove(name);
            break;
        default:
            t.boAddPart(name, std::string(data[i + 1] * 300u, 'x'), position);
            break;
        }
        if (t.uSize() > ChatModel::CMultiPartTable::kMaxRecords ||
            t.strJoined(name).size() > ChatModel::CMultiPartTable::kMaxBytes)
            std::abort();
    }
    return 0;
}
