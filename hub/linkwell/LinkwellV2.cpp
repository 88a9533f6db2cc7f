#include <winsock2.h> // the hub core's headers need it before windows.h
#include "LinkwellV2.h"

#include <algorithm>
#include <vector>

#include "CriticalSection.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "HubTrace.h"
#include "OBPPJob.h"
#include "TraceScope.h"

using namespace Linkwell;

namespace
{
// The page objects, oldest first, and what other threads read of them.
FdSystem::CCriticalSection& ListLock()
{
    static FdSystem::CCriticalSection s_lock;
    return s_lock;
}
std::vector<CLinkwellV2*> g_objects;
IHubCore* g_lpCore = nullptr;
ILinkwellProgram* g_lpProgram = nullptr;

bool boIs(const std::string& word, const char* lpszCommand)
{
    return lstrcmpiA(word.c_str(), lpszCommand) == 0;
}

uint16_t wPort(uint32_t dwValue)
{
    return static_cast<uint16_t>(dwValue);
}
} // namespace

CLinkwellV2::CLinkwellV2()
{
    FdSystem::CAutoLock lock(&ListLock());
    g_objects.push_back(this);
}

CLinkwellV2::~CLinkwellV2()
{
    {
        FdSystem::CAutoLock lock(&ListLock());
        g_objects.erase(std::remove(g_objects.begin(), g_objects.end(), this), g_objects.end());
        m_boHasCallback = false;
    }
    if (m_lpCallback != nullptr)
        m_lpCallback->Release();
}

void CLinkwellV2::vSetContext(IHubCore* lpCore, ILinkwellProgram* lpProgram)
{
    g_lpCore = lpCore;
    g_lpProgram = lpProgram;
}

STDMETHODIMP CLinkwellV2::ExecuteCmd(BSTR bstrName)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const std::string word = FdCom::strFromBstr(bstrName);
            FdLib::CTraceScope trace(HubTrace::lpLogger());
            trace.vTrace(false, "OBPP->Linkwell : ExecuteCmd %s start", word.c_str());
            trace.vTrace(true, "OBPP->Linkwell : ExecuteCmd %s end", word.c_str());
            SPageParams params;
            {
                FdSystem::CAutoLock lock(&ListLock());
                params = m_params;
                if (boIs(word, "SURL"))
                    m_params.boWaitMark = false; // the mark belongs to this job only
            }
            if (boIs(word, "SURL"))
                vSurl(params);
            else if (boIs(word, "CONX"))
                vConnect(params, false);
            else if (boIs(word, "FONX"))
                vConnect(params, true);
            else if (boIs(word, "CLOS"))
            {
                if (g_lpProgram != nullptr)
                    g_lpProgram->vPostQuit();
            }
            return S_OK;
        });
}

void CLinkwellV2::vSurl(const SPageParams& params)
{
    if (!params.boWaitMark)
    {
        COBPPJob::vPostJob(COBPPJob::lpCallUrl(m_lpCallback, params.url, params.frame, COBPPJob::kNoError));
        return;
    }
    HubRouting::SPageJob job;
    job.url = params.url;
    job.frame = params.frame;
    const uint32_t dwAddress = g_lpCore != nullptr ? g_lpCore->dwResolve(params.waitAddress) : 0;
    if (g_lpCore == nullptr || !g_lpCore->boAddPageJob(job, dwAddress, wPort(params.dwWaitPort)))
        HubTrace::vLog(
            "!Warning! OBPP->Linkwell : SURL -> le serveur %s:%u n'attend pas de job, job abandonné",
            params.waitAddress.c_str(), unsigned(params.dwWaitPort));
}

void CLinkwellV2::vConnect(const SPageParams& params, bool boFresh)
{
    if (g_lpCore == nullptr)
        return;
    const uint32_t dwAddress = g_lpCore->dwResolve(params.cnxAddress);
    if (boFresh)
        g_lpCore->vReleaseLink(dwAddress, wPort(params.dwCnxPort));
    g_lpCore->vConnect(dwAddress, wPort(params.dwCnxPort), params.dwCnxTimeoutMs);
}

STDMETHODIMP CLinkwellV2::SetParameter(BSTR bstrName, BSTR bstrValue)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const std::string name = FdCom::strFromBstr(bstrName);
            const std::string value = FdCom::strFromBstr(bstrValue);
            HubTrace::vLog("OBPP->Linkwell : SetParameter %s = %s", name.c_str(), value.c_str());
            EPageKey key;
            SPageParams params;
            {
                FdSystem::CAutoLock lock(&ListLock());
                key = eSetPageParam(m_params, name, value);
                params = m_params;
            }
            switch (key)
            {
            case EPageKey::LOGT:
                if (g_lpProgram != nullptr)
                    g_lpProgram->vSetTraceLevel(params.dwTraceLevel);
                break;
            case EPageKey::PSDO:
            case EPageKey::LPCD:
            case EPageKey::MSGC:
            case EPageKey::MSGD:
            case EPageKey::LKID:
            case EPageKey::DKAU:
            case EPageKey::DKAT:
            case EPageKey::PXPT:
                if (g_lpCore != nullptr)
                    g_lpCore->vApplyPageParam(key, params);
                break;
            default:
                break;
            }
            return S_OK;
        });
}

STDMETHODIMP CLinkwellV2::GetParameter(BSTR bstrName, BSTR* pbstrValue)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (pbstrValue == nullptr)
                return E_POINTER;
            *pbstrValue = nullptr;
            HubTrace::vLog("OBPP->Linkwell : GetParameter %s ??", FdCom::strFromBstr(bstrName).c_str());
            return S_OK;
        });
}

STDMETHODIMP CLinkwellV2::Advise(IDiagCmpt2OBPP* pCallback, unsigned long* pdwCookie)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (pdwCookie == nullptr)
                return E_POINTER;
            HubTrace::vLog("OBPP->Linkwell : Advise (%p)", static_cast<void*>(pCallback));
            if (pCallback != nullptr)
                pCallback->AddRef();
            vDropCallback();
            m_lpCallback = pCallback;
            {
                FdSystem::CAutoLock lock(&ListLock());
                m_boHasCallback = pCallback != nullptr;
            }
            *pdwCookie = 0;
            return S_OK;
        });
}

STDMETHODIMP CLinkwellV2::Unadvise(unsigned long dwCookie)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            HubTrace::vLog("OBPP->Linkwell : Unadvise (%lu)", dwCookie);
            vDropCallback();
            return S_OK;
        });
}

STDMETHODIMP CLinkwellV2::ForceRemove()
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            HubTrace::vLog("OBPP->Linkwell : ForceRemove");
            if (g_lpProgram != nullptr)
                g_lpProgram->vPostQuit();
            return S_OK;
        });
}

STDMETHODIMP CLinkwellV2::Send(BSTR bstrIP, long lPort, BSTR bstrData, BSTR bstrSrcId, BSTR bstrDstId,
                               long lFlags, long lPortType, long lTimeBeforeSend, long lNbRepetitions,
                               long lTimeBetweenRepetitions, long /*boAppendIOMemberId: not used*/)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const std::string host = FdCom::strFromBstr(bstrIP);
            FdLib::CTraceScope trace(HubTrace::lpLogger());
            trace.vTrace(false, "OBPP->Linkwell : Send start (%s:%ld, type %ld)", host.c_str(), lPort,
                         lPortType);
            trace.vTrace(true, "OBPP->Linkwell : Send end");
            SPilotSend send;
            switch (lPortType)
            {
            case 0:
                send.dwPortType = 1; // TCP
                break;
            case 1:
                send.dwPortType = 2; // UDP
                break;
            default:
                return E_INVALIDARG;
            }
            if (g_lpCore == nullptr)
                return E_FAIL;
            send.data = FdCom::strFromBstr(bstrData);
            send.dwSrcId = dwIdFromString(FdCom::strFromBstr(bstrSrcId));
            send.dwDstId = dwIdFromString(FdCom::strFromBstr(bstrDstId));
            send.wFlags = static_cast<uint16_t>(lFlags);
            send.dwTimeBeforeSend = static_cast<uint32_t>(lTimeBeforeSend);
            send.dwRepetitions = static_cast<uint32_t>(lNbRepetitions);
            send.dwTimeBetween = static_cast<uint32_t>(lTimeBetweenRepetitions);
            return g_lpCore->boSend(g_lpCore->dwResolve(host), static_cast<uint16_t>(lPort), send) ? S_OK
                                                                                                   : E_FAIL;
        });
}

void CLinkwellV2::vDropCallback()
{
    IDiagCmpt2OBPP* lpCallback = m_lpCallback;
    m_lpCallback = nullptr;
    {
        FdSystem::CAutoLock lock(&ListLock());
        m_boHasCallback = false;
    }
    if (lpCallback != nullptr)
        lpCallback->Release();
}

bool CLinkwellV2::boNewestHasCallback()
{
    FdSystem::CAutoLock lock(&ListLock());
    return !g_objects.empty() && g_objects.back()->m_boHasCallback;
}

bool CLinkwellV2::boGetNewestErrorTarget(std::string& url, std::string& frame)
{
    FdSystem::CAutoLock lock(&ListLock());
    if (g_objects.empty() || !g_objects.back()->m_params.boErrorJobsWanted)
        return false;
    url = g_objects.back()->m_params.errorUrl;
    frame = g_objects.back()->m_params.errorFrame;
    return true;
}

IDiagCmpt2OBPP* CLinkwellV2::lpGetNewestCallback()
{
    FdSystem::CAutoLock lock(&ListLock());
    if (g_objects.empty() || g_objects.back()->m_lpCallback == nullptr)
        return nullptr;
    IDiagCmpt2OBPP* lpCallback = g_objects.back()->m_lpCallback;
    lpCallback->AddRef();
    return lpCallback;
}

void CLinkwellV2::vBreakAllPageLinks()
{
    std::vector<std::unique_ptr<COBPPJob>> jobs;
    {
        FdSystem::CAutoLock lock(&ListLock());
        for (CLinkwellV2* object : g_objects)
            if (object->m_lpCallback != nullptr)
                jobs.push_back(COBPPJob::lpBreak(object));
    }
    // Run here rather than posted: the main loop ends right after.
    for (std::unique_ptr<COBPPJob>& job : jobs)
        COBPPJob::vRunAndFree(std::move(job));
}

HRESULT hrCreateLinkwellV2(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLinkwellV2>::hrCreate(riid, ppv);
}
