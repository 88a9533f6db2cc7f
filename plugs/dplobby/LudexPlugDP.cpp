#include "LudexPlugDP.h"

#include "DPLobbySession.h"
#include "FdComBoundary.h"
#include "LudexPlugDPHelper.h"

const CLSID CLSID_LudexPlugDP = {
    0xe880bef7, 0xd751, 0x4864, {0xbf, 0x22, 0x16, 0xc7, 0x56, 0x4d, 0xd6, 0xfb}};

long lMapDPResult(long result, DWORD sessionError)
{
    if (result)
        return 1;
    switch (sessionError)
    {
    case kDPErrOpen:
        return 401;
    case kDPErrAddress:
        return 402;
    case kDPErrRun:
        return 403;
    default:
        return 0;
    }
}

namespace
{
template <class F> HRESULT hrAnswer(CLudexPlugDPHelper* helper, long* out, F call)
{
    if (!helper)
        return S_OK;
    const long result = call(*helper);
    if (out)
        *out = lMapDPResult(result, helper->GetSessionError());
    return S_OK;
}
} // namespace

CLudexPlugDP::~CLudexPlugDP()
{
    // The process ends through the module's idle exit once nothing holds it.
    vReleaseHelper();
    if (m_container)
        m_container->Release();
}

void CLudexPlugDP::vReleaseHelper()
{
    if (m_helper)
        static_cast<ILudexXmlObserver*>(m_helper)->Release();
    m_helper = nullptr;
}

STDMETHODIMP CLudexPlugDP::Init(ILudexPlugContainer* piContainer)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (m_container)
                m_container->Release();
            m_container = piContainer;
            if (m_container)
                m_container->AddRef();
            vReleaseHelper();
            // The helper is made here, in the plug's own process and apartment.
            if (SUCCEEDED(FdCom::TComObject<CLudexPlugDPHelper>::hrCreateObject(&m_helper)) && m_helper)
                m_helper->vSetContainer(m_container);
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugDP::PreLaunchGame(IZeltoGame** pGame, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            IZeltoGame* game = pGame ? *pGame : nullptr;
            return hrAnswer(m_helper, lFlags,
                            [game](CLudexPlugDPHelper& h) { return h.lPreLaunchGame(game); });
        });
}

STDMETHODIMP CLudexPlugDP::LaunchGame(IZeltoGame**, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        { return hrAnswer(m_helper, lFlags, [](CLudexPlugDPHelper& h) { return h.lLaunchGame(); }); });
}

STDMETHODIMP CLudexPlugDP::PostLaunchGame(IZeltoGame**, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            const HRESULT hr =
                hrAnswer(m_helper, lFlags, [](CLudexPlugDPHelper& h) { return h.lPostLaunchGame(); });
            vReleaseHelper();
            return hr;
        });
}

STDMETHODIMP CLudexPlugDP::KillGame(long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        { return hrAnswer(m_helper, lFlags, [](CLudexPlugDPHelper& h) { return h.lKillGame(); }); });
}

STDMETHODIMP CLudexPlugDP::CheckGameList(IZeltoGameList** pGameList, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            IZeltoGameList* list = pGameList ? *pGameList : nullptr;
            const HRESULT hr =
                hrAnswer(m_helper, lFlags, [list](CLudexPlugDPHelper& h) { return h.lCheckGameList(list); });
            vReleaseHelper();
            return hr;
        });
}

STDMETHODIMP CLudexPlugDP::UpdateGameList(IZeltoGameList** pGameList, long* lFlags)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            IZeltoGameList* list = pGameList ? *pGameList : nullptr;
            const HRESULT hr =
                hrAnswer(m_helper, lFlags, [list](CLudexPlugDPHelper& h) { return h.lUpdateGameList(list); });
            vReleaseHelper();
            return hr;
        });
}

STDMETHODIMP CLudexPlugDP::IsGameRunning(long* lFlag)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (lFlag)
                *lFlag = m_helper && lGetLaunchState() == kLaunchConnected ? 1 : 0;
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugDP::Configure(long* lFlag)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (lFlag)
                *lFlag = 1;
            vReleaseHelper();
            return S_OK;
        });
}

STDMETHODIMP CLudexPlugDP::Terminate()
{
    return FdCom::hrGuard([&]() -> HRESULT { return S_OK; });
}

STDMETHODIMP CLudexPlugDP::ExecVerb(BSTR, BSTR, long*)
{
    return FdCom::hrGuard([&]() -> HRESULT { return S_OK; });
}

STDMETHODIMP CLudexPlugDP::GetRunningGameInfo(BSTR, long, BSTR* pbsInfoVal, long* plInfoVal, long* lRet)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (!pbsInfoVal || !plInfoVal)
                return S_OK;
            SysFreeString(*pbsInfoVal);
            *pbsInfoVal = nullptr;
            *plInfoVal = 0;
            if (lRet)
                *lRet = 0;
            return S_OK;
        });
}
