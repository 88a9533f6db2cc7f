// The hub's COM object, class LinkwellV2 ("Feldane.LinkwellV2.1"): the
// plug-in drives the hub through IDiagOBPP2Cmpt with the hub's command words
// and parameter keys, and sends on a server link through ILKWLv2Pilot. Every
// object enters a process-wide list; the newest one's callback and error
// page receive the jobs that the hub core makes.
//
// Threads: COM calls arrive on the main thread; the list, the error page and
// whether a callback is held are also read by the core's threads, under the
// list's lock.
#pragma once

#include <string>

#include "FdComDispatch.h"
#include "FdComObject.h"
#include "IHubCore.h"
#include "LinkwellV2_h.h"
#include "PageParams.h"

class CLinkwellV2 : public FdCom::CObjectRoot,
                    public IDiagOBPP2Cmpt,
                    public FdCom::TDispatchImpl<ILKWLv2Pilot, &LIBID_LinkwellV2Lib>
{
public:
    // Clears the parameters and enters the list.
    CLinkwellV2();
    // Leaves the list, releases the callback.
    ~CLinkwellV2() override;

    FD_COM_BEGIN_MAP(CLinkwellV2, IDiagOBPP2Cmpt)
    FD_COM_ENTRY(IDiagOBPP2Cmpt)
    FD_COM_ENTRY(ILKWLv2Pilot)
    FD_COM_ENTRY(IDispatch)
    FD_COM_END_MAP()

    // IDiagOBPP2Cmpt
    STDMETHODIMP ExecuteCmd(BSTR bstrName) override;
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override;
    STDMETHODIMP GetParameter(BSTR bstrName, BSTR* pbstrValue) override;
    STDMETHODIMP Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie) override;
    STDMETHODIMP Unadvise(unsigned long dwCookie) override;
    STDMETHODIMP ForceRemove() override;

    // ILKWLv2Pilot
    STDMETHODIMP Send(BSTR bstrIP, long lPort, BSTR bstrData, BSTR bstrSrcId, BSTR bstrDstId, long lFlags,
                      long lPortType, long lTimeBeforeSend, long lNbRepetitions, long lTimeBetweenRepetitions,
                      long boAppendIOMemberId) override;

    // The core and the program that every object uses; set before the class
    // object is published, both outlive every object.
    static void vSetContext(Linkwell::IHubCore* lpCore, Linkwell::ILinkwellProgram* lpProgram);

    // Any thread: whether the newest object holds a callback.
    static bool boNewestHasCallback();
    // Any thread: the newest object's error page, when it set one (ERRU).
    static bool boGetNewestErrorTarget(std::string& url, std::string& frame);
    // Main thread: the newest object's callback, referenced; null when none.
    static IDiagCmpt2OBPP* lpGetNewestCallback();
    // Main thread, at the hub's end: every object that holds a callback runs
    // a BREAKCNXWITHOBPP job.
    static void vBreakAllPageLinks();
    // Main thread: releases and clears the callback.
    void vDropCallback();

private:
    void vSurl(const Linkwell::SPageParams& params);
    void vConnect(const Linkwell::SPageParams& params, bool boFresh);

    Linkwell::SPageParams m_params; // under the list's lock where other threads read it
    IDiagCmpt2OBPP* m_lpCallback = nullptr;
    bool m_boHasCallback = false; // under the list's lock
};

HRESULT hrCreateLinkwellV2(REFIID riid, void** ppv);
