#include <winsock2.h> // the hub core's headers need it before windows.h
#include "OBPPJob.h"

#include <atomic>
#include <exception>

#include "ExceptionBase.h"
#include "FdBstr.h"
#include "HubTrace.h"
#include "LinkwellMessages.h"
#include "LinkwellV2.h"
#include "TraceScope.h"

namespace
{
std::atomic<HWND> g_hTarget{nullptr};

HRESULT hrSet(IDiagCmpt2OBPP* lpCallback, const char* lpszName, const std::string& value)
{
    return lpCallback->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(value).bstr());
}
} // namespace

COBPPJob::COBPPJob(EKind eKind, const std::string& url, const std::string& frame, int32_t lErrorNumber)
    : m_eKind(eKind), m_url(url), m_frame(frame), m_lErrorNumber(lErrorNumber)
{
}

std::unique_ptr<COBPPJob> COBPPJob::lpCallUrl(IDiagCmpt2OBPP* lpCallback, const std::string& url,
                                              const std::string& frame, int32_t lErrorNumber)
{
    std::unique_ptr<COBPPJob> job(new COBPPJob(CallUrl, url, frame, lErrorNumber));
    job->m_lpCallback = lpCallback;
    if (lpCallback != nullptr)
        lpCallback->AddRef();
    return job;
}

std::unique_ptr<COBPPJob> COBPPJob::lpCallUrlForNewestPage(const std::string& url, const std::string& frame,
                                                           int32_t lErrorNumber)
{
    std::unique_ptr<COBPPJob> job(new COBPPJob(CallUrl, url, frame, lErrorNumber));
    job->m_boNewestPage = true;
    return job;
}

std::unique_ptr<COBPPJob> COBPPJob::lpBreak(CLinkwellV2* lpObject)
{
    std::unique_ptr<COBPPJob> job(new COBPPJob(BREAKCNXWITHOBPP, std::string(), std::string(), kNoError));
    job->m_lpObject = lpObject;
    static_cast<IDiagOBPP2Cmpt*>(lpObject)->AddRef();
    return job;
}

COBPPJob::~COBPPJob()
{
    if (m_lpCallback != nullptr)
        m_lpCallback->Release();
    if (m_lpObject != nullptr)
        static_cast<IDiagOBPP2Cmpt*>(m_lpObject)->Release();
}

void COBPPJob::vSetTarget(HWND hWindow)
{
    g_hTarget = hWindow;
}

void COBPPJob::vPostJob(std::unique_ptr<COBPPJob> lpJob)
{
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "Linkwell->OBPP : vPostJob start (job=%p)", static_cast<void*>(lpJob.get()));
    trace.vTrace(true, "Linkwell->OBPP : vPostJob end");
    const HWND hTarget = g_hTarget.load();
    if (hTarget == nullptr ||
        !PostMessageA(hTarget, Linkwell::kMsgPageJob, reinterpret_cast<WPARAM>(lpJob.get()), 0))
    {
        HubTrace::vLog("!ERREUR! COBPPJob::vPostJob -> job impossible à poster (%lu), abandonné",
                       static_cast<unsigned long>(GetLastError()));
        return; // freed here
    }
    lpJob.release(); // the message owns it now
}

std::unique_ptr<COBPPJob> COBPPJob::lpFromMessage(WPARAM wParam)
{
    return std::unique_ptr<COBPPJob>(reinterpret_cast<COBPPJob*>(wParam));
}

void COBPPJob::vRunAndFree(std::unique_ptr<COBPPJob> lpJob)
{
    if (lpJob == nullptr)
        return;
    try
    {
        lpJob->vExecute();
    }
    catch (const FdBase::CExceptionBase& e)
    {
        HubTrace::vLog("!ERREUR! COBPPJob::vRunAndFree -> exception %u", unsigned(e.dwGetCode()));
    }
    catch (const std::exception& e)
    {
        HubTrace::vLog("!ERREUR! COBPPJob::vRunAndFree -> exception %s", e.what());
    }
}

void COBPPJob::vExecute()
{
    if (m_eKind == BREAKCNXWITHOBPP)
    {
        HubTrace::vLog("Linkwell->OBPP : Job BREAKCNXWITHOBPP");
        if (m_lpObject != nullptr)
            m_lpObject->vDropCallback();
        return;
    }
    if (m_boNewestPage && m_lpCallback == nullptr)
        m_lpCallback = CLinkwellV2::lpGetNewestCallback();
    if (m_lpCallback == nullptr)
    {
        HubTrace::vLog("!Warning! COBPPJob::vExecute -> pas de callback : job CallUrl %s abandonné",
                       m_url.c_str());
        return;
    }
    FdLib::CTraceScope trace(HubTrace::lpLogger());
    trace.vTrace(false, "Linkwell->OBPP : Job CallUrl %s dans la frame %s start", m_url.c_str(),
                 m_frame.c_str());
    trace.vTrace(true, "Linkwell->OBPP : Job CallUrl end");
    // The plug-in takes the parameters set before the command word; a call
    // that fails (the page went) ends the job.
    HRESULT hr = hrSet(m_lpCallback, "TURL", m_url);
    if (SUCCEEDED(hr))
        hr = hrSet(m_lpCallback, "BFRM", m_frame);
    if (SUCCEEDED(hr) && m_lErrorNumber != kNoError)
        hr = hrSet(m_lpCallback, "NUMERR", std::to_string(m_lErrorNumber));
    if (SUCCEEDED(hr))
        hr = m_lpCallback->ExecuteCmd(FdCom::CBstr("SEND").bstr());
    if (FAILED(hr))
        HubTrace::vLog("!ERREUR! COBPPJob::vExecute -> appel du callback en échec (%08lx)",
                       static_cast<unsigned long>(hr));
}
