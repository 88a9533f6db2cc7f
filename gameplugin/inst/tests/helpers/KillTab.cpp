// A second process on the killable-process table, for the tests:
//   gameplugin_killtab add-name <name> | add-pid <id> | remove-name <name> | has <text>
// Exits 0 when the operation succeeded (has: the text is listed), 1 otherwise.
#include "KillableProcessMap.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    CKillableProcessMap& map = CKillableProcessMap::Get();
    const std::string strOp = argv[1];
    if (strOp == "add-name")
        return map.boAddName(argv[2]) ? 0 : 1;
    if (strOp == "add-pid")
        return map.boAddPid(static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10))) ? 0 : 1;
    if (strOp == "remove-name")
        return map.boRemoveName(argv[2]) ? 0 : 1;
    if (strOp == "has")
    {
        std::vector<std::string> texts;
        if (!map.boGetList(&texts))
            return 1;
        for (const std::string& s : texts)
            if (s == argv[2])
                return 0;
        return 1;
    }
    return 2;
}
