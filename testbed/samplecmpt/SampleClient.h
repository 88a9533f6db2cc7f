// Client side of the sample round trip, shared by the demo and the tests:
// a callback object that records what a component sends back, and small
// process helpers.
#pragma once

#include "FdComObject.h"
#include "SampleCmpt_h.h"

#include <string>
#include <utility>
#include <vector>

// What one ExecuteCmd on the callback delivered.
struct SCallbackCommand
{
    std::string strCmd;
    std::vector<std::pair<std::string, std::string>> params; // in arrival order
    DWORD dwThreadId = 0;                                     // the thread it ran on
};

class CRecordingCallback : public FdCom::CObjectRoot, public IDiagCmpt2OBPP
{
public:
    FD_COM_BEGIN_MAP(CRecordingCallback, IDiagCmpt2OBPP)
    FD_COM_ENTRY(IDiagCmpt2OBPP)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP CmptOut() override;

    const std::vector<SCallbackCommand>& commands() const { return m_commands; }
    // Pumps the thread's messages until n commands arrived or dwMs passed.
    bool boWaitForCommands(std::size_t n, DWORD dwMs);

private:
    std::vector<std::pair<std::string, std::string>> m_pending;
    std::vector<SCallbackCommand> m_commands;
};

// Runs a command line and waits for it; the exit code, or -1 when it could
// not be started or did not end within dwMs.
long lRunAndWait(const std::string& strCmdLine, DWORD dwMs);

// The folder of the running program, with a final backslash.
std::string strProgramFolder();

// Whether HKEY_CLASSES_ROOT\<key> exists.
bool boClassesKeyExists(const std::string& strKey);
