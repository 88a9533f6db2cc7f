// The interpreter on arbitrary scripts: every run goes on through its
// downloads until the script ends, fails or stops; the first input byte picks
// the host's answers (files present, versions, programs failing...).
#include "InstallEngine.h"
#include "RecordingHost.h"

#include <cstdint>
#include <string>

using namespace FdInstall;
using namespace FdInstallTest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t bChoices = data[0];
    const std::string strScript(reinterpret_cast<const char*>(data + 1), size - 1);

    CRecordingHost host;
    host.boRunOk = bChoices & 1;
    host.boRegisterOk = bChoices & 2;
    host.boFolderOk = bChoices & 4;
    if (bChoices & 8)
        host.vAddTreeFile("C:\\Jeux\\a.dll", 3, "1,2,0,3");
    if (bChoices & 16)
    {
        host.vAddTreeFile("C:\\Nav\\iexplore.exe");
        host.vAddTreeFolder("C:\\Nav\\Plugins");
        host.vAddTreeFolder("C:\\Nav\\loop", true);
    }
    host.iExpandError = (bChoices & 32) ? 6 : 0;
    host.vSetDword("HKLM\\Software\\FdGame", "FdGame", 1001);
    host.vSetString("HKLM\\Software\\FdGame", "Version", "1203");
    SFakeFile installed;
    installed.boHasVersion = true;
    installed.strVersion = "1,2,0,3";
    installed.ftLastWrite = ftFromCalendar(2002, 1, 1, 9, 30, 0);
    host.files["C:\\Jeux\\a.dll"] = installed;
    host.files["C:\\tmp\\s"].strContent = strScript;

    CInstallEngine engine(host);
    engine.vSetParameter("DL_BASE", "http://127.0.0.1/");
    engine.vSetParameter("RESURL1", "http://127.0.0.1/1");
    engine.vSetParameter("DLPATH", "C:\\tmp\\s");
    engine.vInstall(&host);
    if (engine.eDownloadDone(&host) != CInstallEngine::EDone::StartWorker)
        __builtin_trap();
    // Every run reads on: the number of runs is bounded by the script's lines.
    for (size_t i = 0; i <= size; ++i)
    {
        if (engine.eRun(&host) != CInstallEngine::ERunEnd::Paused)
        {
            if (engine.iState() != 0 && engine.boDownloadOutstanding())
                __builtin_trap();
            return 0;
        }
        const std::string strPath = "C:\\tmp\\d" + std::to_string(i);
        host.files[strPath].strContent = "x";
        engine.vSetParameter("DLPATH", strPath);
        if (engine.eDownloadDone(&host) != CInstallEngine::EDone::StartWorker)
            __builtin_trap();
        if (engine.iDownloadCount() < 1 || engine.iDownloadCount() > kMaxDownloads)
            __builtin_trap();
    }
    __builtin_trap(); // more runs than lines
}
