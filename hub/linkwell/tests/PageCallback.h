// The plug-in's side of the page jobs in tests: a callback that records
// every command with the parameters set before it, and shows its
// reference count.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FdBstr.h"
#include "FdComObject.h"
#include "LinkwellV2_h.h"
#include "TestKit.h"

struct SPageCommand
{
    std::string cmd;
    std::vector<std::pair<std::string, std::string>> params; // in arrival order

    // The value of a parameter, or "<none>".
    std::string Get(const std::string& name) const
    {
        for (const auto& p : params)
            if (p.first == name)
                return p.second;
        return "<none>";
    }
    bool boHas(const std::string& name) const { return Get(name) != "<none>"; }
};

class CPageCallback : public FdCom::CObjectRoot, public IDiagCmpt2OBPP
{
public:
    FD_COM_BEGIN_MAP(CPageCallback, IDiagCmpt2OBPP)
    FD_COM_ENTRY(IDiagCmpt2OBPP)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override
    {
        m_commands.push_back(SPageCommand{FdCom::strFromBstr(bstrName), std::move(m_pending)});
        m_pending.clear();
        return S_OK;
    }
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override
    {
        m_pending.emplace_back(FdCom::strFromBstr(bstrName), FdCom::strFromBstr(bstrValue));
        return S_OK;
    }
    // The hub never asks the page for a value nor says it leaves: such a call fails the test.
    STDMETHODIMP GetParameter(BSTR, BSTR*) override { return hrUnexpected("GetParameter"); }
    STDMETHODIMP CmptOut() override { return hrUnexpected("CmptOut"); }

    const std::vector<SPageCommand>& Commands() const { return m_commands; }
    void vClear() { m_commands.clear(); }
    LONG lRefs() const { return m_lRef.load(); }

    // Pumps the thread's messages until n commands arrived or dwMs passed.
    bool boWaitForCommands(size_t n, DWORD dwMs)
    {
        return FdTestKit::boPumpUntil([&] { return m_commands.size() >= n; }, dwMs);
    }

    // A new callback with one reference, the caller's.
    static CPageCallback* lpCreate()
    {
        IDiagCmpt2OBPP* p = nullptr;
        FdCom::TComObject<CPageCallback>::hrCreate(IID_IDiagCmpt2OBPP, reinterpret_cast<void**>(&p));
        return static_cast<CPageCallback*>(p);
    }

private:
    static HRESULT hrUnexpected(const char* method)
    {
        ADD_FAILURE() << "unexpected call IDiagCmpt2OBPP::" << method;
        return E_UNEXPECTED;
    }

    std::vector<std::pair<std::string, std::string>> m_pending;
    std::vector<SPageCommand> m_commands;
};
