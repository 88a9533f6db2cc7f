// Prints a transcript of the sample round trip: a client registers the
// sample local server, creates it by ProgID, binds its callback, sends a
// French text both ways (directly and from the server's worker thread),
// releases it, watches it leave, and removes its registration.
#include "FdBstr.h"
#include "FdComActivate.h"
#include "SampleClient.h"

#include <cstdio>

namespace
{
void vSay(const char* pszWho, const std::string& strWhat)
{
    std::printf("%-8s %s\n", pszWho, strWhat.c_str());
    std::fflush(stdout);
}

std::string strHr(HRESULT hr)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "0x%08lX", static_cast<unsigned long>(hr));
    return hr == S_OK ? "S_OK" : sz;
}

void vShowCommand(const SCallbackCommand& c, DWORD dwMainThread)
{
    for (const auto& p : c.params)
        vSay("callback", "SetParameter(\"" + p.first + "\", \"" + p.second + "\")");
    vSay("callback", "ExecuteCmd(\"" + c.strCmd + "\") on the " +
                         (c.dwThreadId == dwMainThread ? "client's main thread" : "another thread"));
}
} // namespace

int main()
{
    const char kFrench[] = "D\xE9"
                           "chargement \xA3\xA3";
    const std::string strExe = "\"" + strProgramFolder() + "SampleCmpt.exe\"";
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int iResult = 1;
    do
    {
        long l = lRunAndWait(strExe + " /RegServer", 30000);
        vSay("client", "SampleCmpt.exe /RegServer -> exit code " + std::to_string(l));
        if (l != 0)
            break;

        CLSID clsid;
        IDiagOBPP2Cmpt* pCmpt = nullptr;
        HRESULT hr = CLSIDFromProgID(L"FdTestbed.SampleCmpt", &clsid);
        if (SUCCEEDED(hr))
            hr = FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                         reinterpret_cast<void**>(&pCmpt));
        vSay("client", "CoCreateInstance(\"FdTestbed.SampleCmpt\") -> " + strHr(hr));
        if (FAILED(hr))
            break;
        FdCom::CBstr pid;
        pCmpt->GetParameter(FdCom::CBstr("PID").bstr(), pid.pbstrOut());
        vSay("client", "the server runs as process " + FdCom::strFromBstr(pid.bstr()));

        IDiagCmpt2OBPP* pCallback = nullptr;
        FdCom::TComObject<CRecordingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                        reinterpret_cast<void**>(&pCallback));
        auto* pRecorder = static_cast<CRecordingCallback*>(pCallback);
        unsigned long dwCookie = 0;
        hr = pCmpt->Advise(pCallback, &dwCookie);
        vSay("client", "Advise(callback) -> " + strHr(hr) + ", cookie " + std::to_string(dwCookie));

        vSay("client", std::string("SetParameter(\"TEXT\", \"") + kFrench + "\"); ExecuteCmd(\"ECHO\")");
        pCmpt->SetParameter(FdCom::CBstr("TEXT").bstr(), FdCom::CBstr(kFrench).bstr());
        pCmpt->ExecuteCmd(FdCom::CBstr("ECHO").bstr());
        if (pRecorder->boWaitForCommands(1, 10000))
            vShowCommand(pRecorder->commands()[0], GetCurrentThreadId());

        vSay("client",
             std::string("SetParameter(\"TEXT\", \"") + kFrench + "\"); ExecuteCmd(\"ECHOTHREAD\")");
        pCmpt->SetParameter(FdCom::CBstr("TEXT").bstr(), FdCom::CBstr(kFrench).bstr());
        pCmpt->ExecuteCmd(FdCom::CBstr("ECHOTHREAD").bstr());
        if (pRecorder->boWaitForCommands(2, 15000))
            vShowCommand(pRecorder->commands()[1], GetCurrentThreadId());

        bool boSame = pRecorder->commands().size() == 2 && pRecorder->commands()[0].params.size() == 1 &&
                      pRecorder->commands()[0].params[0].second == kFrench &&
                      pRecorder->commands()[1].params.size() == 1 &&
                      pRecorder->commands()[1].params[0].second == kFrench;
        vSay("client",
             boSame ? "both echoes carry the text byte for byte" : "the echoes differ from the text sent");

        pCmpt->Unadvise(dwCookie);
        pCmpt->Release();
        pCallback->Release();
        vSay("client", "released the component");

        DWORD dwPid = static_cast<DWORD>(std::stoul("0" + FdCom::strFromBstr(pid.bstr())));
        HANDLE hServer = OpenProcess(SYNCHRONIZE, FALSE, dwPid);
        bool boGone = !hServer || WaitForSingleObject(hServer, 20000) == WAIT_OBJECT_0;
        if (hServer)
            CloseHandle(hServer);
        vSay("server", boGone ? "left after its idle delay" : "is still running");

        l = lRunAndWait(strExe + " /UnregServer", 30000);
        vSay("client", "SampleCmpt.exe /UnregServer -> exit code " + std::to_string(l) +
                           (boClassesKeyExists("FdTestbed.SampleCmpt") ? ", keys left" : ", no key left"));
        iResult = boSame && boGone && l == 0 ? 0 : 1;
    } while (false);
    CoUninitialize();
    return iResult;
}
