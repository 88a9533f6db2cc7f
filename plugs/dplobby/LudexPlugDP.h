// CLudexPlugDP: the DirectPlay launch plug's ILudexPlug object. Each method hands the
// work to the helper made by Init and answers in its out long.
#pragma once

#include <windows.h>

#include "FdComObject.h"
#include "LudexLib.h"

// CLSID_LudexPlugDP {E880BEF7-D751-4864-BF22-16C7564DD6FB}
extern const CLSID CLSID_LudexPlugDP;

class CLudexPlugDPHelper;

// 1 for a helper call that succeeded; 401, 402 or 403 for the session errors 10001,
// 10002 and 10003; 0 for any other failure.
long lMapDPResult(long result, DWORD sessionError);

class CLudexPlugDP : public FdCom::CObjectRoot, public ILudexPlug
{
public:
    FD_COM_BEGIN_MAP(CLudexPlugDP, ILudexPlug)
    FD_COM_ENTRY(ILudexPlug)
    FD_COM_END_MAP()

    CLudexPlugDP() = default;
    ~CLudexPlugDP() override;

    STDMETHODIMP Init(ILudexPlugContainer* piContainer) override;
    STDMETHODIMP PreLaunchGame(IZeltoGame** pGame, long* lFlags) override;
    STDMETHODIMP LaunchGame(IZeltoGame** pGame, long* lFlags) override;
    STDMETHODIMP PostLaunchGame(IZeltoGame** pGame, long* lFlags) override;
    STDMETHODIMP KillGame(long* lFlags) override;
    STDMETHODIMP CheckGameList(IZeltoGameList** pGameList, long* lFlags) override;
    STDMETHODIMP UpdateGameList(IZeltoGameList** pGameList, long* lFlags) override;
    STDMETHODIMP IsGameRunning(long* lFlag) override;
    STDMETHODIMP Configure(long* lFlag) override;
    STDMETHODIMP Terminate() override;
    STDMETHODIMP ExecVerb(BSTR bVerb, BSTR bParams, long* lRetVal) override;
    STDMETHODIMP GetRunningGameInfo(BSTR bInfoID, long lFlags, BSTR* pbsInfoVal, long* plInfoVal,
                                    long* lRet) override;

private:
    void vReleaseHelper();

    CLudexPlugDPHelper* m_helper = nullptr;     // one reference
    ILudexPlugContainer* m_container = nullptr; // one reference
};
