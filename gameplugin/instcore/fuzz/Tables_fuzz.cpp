// Arbitrary bytes as the tables the plug-in reads from outside: the shared
// killable-process table (any process may have written it), the performance
// counters' name table, a folder name typed by the user and a page's install path.
#include "KillableTable.h"
#include "PathRules.h"
#include "PerfCounterNames.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block(Killable::kTableSize, 0);
    std::memcpy(block.data(), data, size < block.size() ? size : block.size());
    Killable::CTableView view(block.data());
    view.vecGetList();
    view.boAddName("C:\\Zelto\\Ludex.exe");
    view.boRemovePid(size);
    view.vecGetList();

    std::unique_ptr<char[]> text(new char[size ? size : 1]);
    std::memcpy(text.get(), data, size);
    uint32_t dwIndex = 0;
    PerfCounterNames::boFindIndex(text.get(), size, PerfCounterNames::kszIdProcess, &dwIndex);

    std::wstring wide;
    for (size_t i = 0; i + 1 < size; i += 2)
        wide += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    PathRules::bValidatePathName(wide.c_str());
    const std::string narrow(text.get(), size);
    PathRules::boIsSafeRelativePath(narrow.c_str());
    return 0;
}
