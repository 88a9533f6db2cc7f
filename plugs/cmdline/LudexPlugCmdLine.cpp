#include "LudexPlugCmdLine.h"

#include "DriveMask.h"
#include "FdBstr.h"
#include "FdComBoundary.h"

namespace
{
IZeltoGame* lpGame(IZeltoGame** pGame)
{
    return pGame != nullptr ? *pGame : nullptr;
}

void vSetOut(long* out, long value)
{
    if (out != nullptr)
        *out = value;
}
} // namespace

CLudexPlugCmdLine::~CLudexPlugCmdLine()
{
    // The worker first: it may still hold the container for its traces.
    vReleaseWorker();
    if (m_container)
        m_container->Release();
}

void CLudexPlugCmdLine::vReleaseWorker()
{
    if (XmlScript* worker = m_worker)
    {
        m_worker = nullptr;
        static_cast<IXmlScript*>(worker)->Release();
    }
}

STDMETHODIMP CLudexPlugCmdLine::Init(ILudexPlugContainer* piContainer)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (m_container)
                m_container->Release();
            m_container = piContainer;
            if (m_container)
                m_container->AddRef();
            vReleaseWorker();
            if (SUCCEEDED(FdCom::TComObject<XmlScript>::hrCreateObject(&m_worker)) && m_worker)
                m_worker->vSetContainer(m_container);
            else
                m_worker = nullptr;
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::PreLaunchGame(IZeltoGame** pGame, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (m_worker)
                vSetOut(lFlags, lpGame(pGame) != nullptr ? 1 : 0);
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::LaunchGame(IZeltoGame** pGame, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (m_worker)
                vSetOut(lFlags, m_worker->lLaunchGame(lpGame(pGame)));
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::PostLaunchGame(IZeltoGame** pGame, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_worker)
                return S_OK;
            m_worker->vEndSearchObjects();
            vSetOut(lFlags, lpGame(pGame) != nullptr ? 1 : 0);
            vReleaseWorker();
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::KillGame(long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (m_worker)
                vSetOut(lFlags, m_worker->lKillGame());
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::CheckGameList(IZeltoGameList** pGameList, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_worker)
                return S_OK;
            vSetOut(lFlags, m_worker->lCheckGameList(pGameList != nullptr ? *pGameList : nullptr));
            vReleaseWorker();
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::UpdateGameList(IZeltoGameList** pGameList, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_worker)
                return S_OK;
            const uint32_t mask = dwUpdateSearchMask(XmlScript::lReadDriveMask());
            vSetOut(lFlags, m_worker->lUpdateGameList(pGameList != nullptr ? *pGameList : nullptr, mask));
            vReleaseWorker();
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::IsGameRunning(long* lFlag)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (lFlag == nullptr)
                return S_OK;
            *lFlag = 0;
            if (m_worker && m_worker->boIsGameRunning())
                *lFlag = 1;
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::Configure(long* lFlag)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            vSetOut(lFlag, 1);
            uint32_t mask = XmlScript::lReadDriveMask();
            const uint32_t before = mask;
            // The dialog shows even without a worker.
            if (XmlScript::boConfigure(mask) && mask != before)
                XmlScript::boWriteDriveMask(mask);
            vReleaseWorker();
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugCmdLine::Terminate()
{
    return FdCom::hrGuard([&]() -> HRESULT { return S_OK; });
}

STDMETHODIMP CLudexPlugCmdLine::ExecVerb(BSTR, BSTR, long*)
{
    return FdCom::hrGuard([&]() -> HRESULT { return S_OK; });
}

STDMETHODIMP CLudexPlugCmdLine::GetRunningGameInfo(BSTR bInfoID, long, BSTR* pbsInfoVal, long* plInfoVal,
                                                   long* lRet)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!m_worker || pbsInfoVal == nullptr || plInfoVal == nullptr || lRet == nullptr)
                return S_OK;
            // The caller's text is freed before it is cleared: it owns nothing afterwards.
            SysFreeString(*pbsInfoVal);
            *pbsInfoVal = nullptr;
            *plInfoVal = 0;
            *lRet = 0;
            long value = 0;
            if (m_worker->boGetRunningGameInfo(FdCom::strFromBstr(bInfoID), value))
            {
                *lRet = 1;
                *plInfoVal = value;
                *pbsInfoVal = SysAllocString(L"");
            }
            return S_OK;
        });
}

HRESULT hrCreateLudexPlugCmdLine(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CLudexPlugCmdLine>::hrCreate(riid, ppv);
}

HRESULT hrCreateXmlScript(REFIID riid, void** ppv)
{
    return FdCom::TComObject<XmlScript>::hrCreate(riid, ppv);
}
