// The disk search's walk over a tree, in files per second (not a test):
//   plugs_disksearch_bench.exe ROOT [RUNS]
// The tree stands for the only drive; the best of RUNS walks is printed as
// "files N folders N seconds S files_per_second F".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DirWalker.h"
#include "DriveMask.h"
#include "WinDirSource.h"

namespace
{
class CQuietOwner : public IDirWalkerOwner
{
public:
    void vOnWalkProgress(const std::string&, double, bool&, bool&, bool&) override {}
    void vOnWalkFileFound(const std::string&, int32_t) override {}
    void vOnWalkDriveDone() override {}
};
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: plugs_disksearch_bench ROOT [RUNS]\n");
        return 2;
    }
    const int iRuns = argc > 2 ? std::atoi(argv[2]) : 3;
    CQuietOwner owner;
    CWinDirSource source;
    source.vSetRoots(SplitSearchRoots(argv[1]));
    CDirWalker walker(owner, source);
    walker.Names().boAdd("game.exe");
    walker.vSetMask(0xFFFF);

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    double dBest = 0;
    for (int i = 0; i < iRuns; ++i)
    {
        walker.vResetStop();
        QueryPerformanceCounter(&t0);
        walker.lWalkDrives();
        QueryPerformanceCounter(&t1);
        const double dSeconds =
            static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
        if (i == 0 || dSeconds < dBest)
            dBest = dSeconds;
    }
    const double dFiles = static_cast<double>(walker.ullFilesSeen());
    std::printf("files %llu folders %llu seconds %.4f files_per_second %.0f\n",
                static_cast<unsigned long long>(walker.ullFilesSeen()),
                static_cast<unsigned long long>(walker.ullFoldersRead()), dBest,
                dBest > 0 ? dFiles / dBest : 0.0);
    return walker.ullFilesSeen() > 0 ? 0 : 1;
}
