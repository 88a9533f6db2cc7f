// ExpandScriptVars over arbitrary texts, with variables whose values hold
// references, quotes and percent signs of their own.
#include <cstddef>
#include <cstdint>
#include <string>

#include "VarTank.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CVarTank* tank = [] {
        auto* t = new CVarTank();
        t->SetScriptVar("x", "1");
        t->SetScriptVar("%", "[%x%]");
        t->SetScriptVar("q", "'\"[%%x%%]");
        t->SetScriptVar("", "empty");
        return t;
    }();
    std::string text(reinterpret_cast<const char*>(data), size);
    const int32_t count = ExpandScriptVars(text, *tank, nullptr);
    if (count < 0 || static_cast<size_t>(count) > size / 4)
        __builtin_trap(); // each reference takes at least "[%%]"
    return 0;
}
