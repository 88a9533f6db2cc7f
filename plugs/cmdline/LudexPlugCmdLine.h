// CLudexPlugCmdLine: the command-line plug's ILudexPlug, the method layer over its
// worker XmlScript. Every method returns S_OK and answers in its out long; without
// a worker (Init not called, or the worker already released after an operation)
// the methods leave their outs as they are, except IsGameRunning (0) and
// Configure (1).
#pragma once

#include <windows.h>

#include "FdComObject.h"
#include "LudexLib.h"
#include "XmlScript.h"

class CLudexPlugCmdLine : public FdCom::CObjectRoot, public ILudexPlug
{
public:
    FD_COM_BEGIN_MAP(CLudexPlugCmdLine, ILudexPlug)
    FD_COM_ENTRY(ILudexPlug)
    FD_COM_END_MAP()

    CLudexPlugCmdLine() = default;
    ~CLudexPlugCmdLine() override;

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
    void vReleaseWorker();

    // The worker, made here directly (one reference), so it always lives in this
    // apartment.
    XmlScript* m_worker = nullptr;
    ILudexPlugContainer* m_container = nullptr; // one reference
};

HRESULT hrCreateLudexPlugCmdLine(REFIID riid, void** ppv);
HRESULT hrCreateXmlScript(REFIID riid, void** ppv);
