#include "SampleClient.h"

#include "FdBstr.h"
#include "PumpUntil.h"
#include "WinProcess.h"

STDMETHODIMP CRecordingCallback::ExecuteCmd(BSTR bstrName)
{
    SCallbackCommand cmd;
    cmd.strCmd = FdCom::strFromBstr(bstrName);
    cmd.params.swap(m_pending);
    cmd.dwThreadId = GetCurrentThreadId();
    m_commands.push_back(std::move(cmd));
    return S_OK;
}

STDMETHODIMP CRecordingCallback::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    m_pending.emplace_back(FdCom::strFromBstr(bstrName), FdCom::strFromBstr(bstrValue));
    return S_OK;
}

STDMETHODIMP CRecordingCallback::GetParameter(BSTR, BSTR* pbstrValue)
{
    if (!pbstrValue)
        return E_POINTER;
    *pbstrValue = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CRecordingCallback::CmptOut()
{
    return S_OK;
}

bool CRecordingCallback::boWaitForCommands(std::size_t n, DWORD dwMs)
{
    return FdWin::boPumpUntil([&] { return m_commands.size() >= n; }, dwMs);
}

long lRunAndWait(const std::string& strCmdLine, DWORD dwMs)
{
    const FdWin::SProgramRun run = FdWin::runProgram(strCmdLine, dwMs);
    return run.boEnded ? static_cast<long>(run.dwExitCode) : -1;
}

std::string strProgramFolder()
{
    char sz[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, sz, MAX_PATH);
    std::string s(sz, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

bool boClassesKeyExists(const std::string& strKey)
{
    HKEY h;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}
