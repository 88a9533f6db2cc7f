// Reads arbitrary bytes as game definitions in each namespace, writes the games back
// and reads that again: nothing crashes and what is written reads back as as many games.
#include <cstddef>
#include <cstdint>
#include <string>

#include "GameDefinitions.h"
#include "GameMatching.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kNamespaces[] = {kGameDefNamespace, kGameCompatRefNamespace, kGameCandidateNamespace,
                                              kGameLaunchNamespace};
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const char* nameSpace = kNamespaces[data[0] % 4];
    // Only in-memory text: no file or resource addresses.
    auto list = ParseGameDefinitions("STR://" + text, nameSpace);
    const CStringExt written = WriteGameDefinitions(*list, nameSpace);
    int32_t error = 0;
    auto back = ParseGameDefinitions("STR://" + written, nameSpace, &error);
    if (error != 0 || back->Count() != list->Count())
        __builtin_trap();
    if (list->Count() > 0)
    {
        MergeIntoLocal(*back, *list);
        ApplyCompatibility(*back, *list, *list->GetAt(0));
        ScrambleText(written, text);
    }
    return 0;
}
