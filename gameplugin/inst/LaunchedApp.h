#pragma once
// A component that a page launched: found by its application name under HKLM
// "Software\FdGame\<name>" ("CLSID", "VersionEx" or "Version"), created
// in-process or else as a local server, bound to a callback of its own and given
// the launch parameters. A local server is entered by its path in the
// killable-process table while the record lives.
#include "ComRef.h"
#include "DiagOBPP.h"

#include <string>

class CImplCallback;
class CParamList;
class CPlugInst;

class CLaunchedApp
{
public:
    static constexpr int kVersionDepth = 20; // components compared in versions
    static constexpr size_t kRegTextMax = 256;
    static constexpr size_t kServerPathMax = 2047;

    // Creates the component; raises CExcptLaunchedApp (5051-5057) when it is not
    // installed, not readable, older than lpszRequiredVersion (null: any) or cannot
    // be created.
    CLaunchedApp(const char* lpszAppName, const char* lpszRequiredVersion, bool boRemove);
    // vRelease.
    ~CLaunchedApp();
    CLaunchedApp(const CLaunchedApp&) = delete;
    CLaunchedApp& operator=(const CLaunchedApp&) = delete;

    // Binds a new callback (Advise2 where the component offers it, else Advise),
    // announces the plug-in's version ("VERSION" "2000", "SETVER"), then passes the
    // launch parameters in order: "CMD" runs its value, any other is set. False when
    // no callback could be bound.
    bool boBindWithObpp(CPlugInst* lpPlug, const CParamList& params);
    // Leaves the killable-process table, detaches and releases the callback, then
    // the component.
    void vRelease();

    IDiagOBPP2Cmpt* lpGetApp() const { return m_app.p(); }
    CImplCallback* lpGetCallback() const { return m_lpCallback; }
    bool boGetRemove() const { return m_boRemove; }
    bool boIsLocalServer() const { return m_boLocalServer; }
    const std::string& strGetServerPath() const { return m_strServerPath; }

private:
    void vEnterKillableTable(const std::string& strClsid);

    FdWin::TComRef<IDiagOBPP2Cmpt> m_app;  // m_lpApp in the traces
    CImplCallback* m_lpCallback = nullptr; // one reference held
    bool m_boRemove;
    bool m_boLocalServer = false;
    std::string m_strServerPath;
};
