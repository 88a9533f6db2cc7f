// Prints a transcript of the hub's round trip, driven as a page drives it
// through the game plug-in: the hub is registered and created by COM, asked
// to connect to the stand-in game server (CONX), to send the page to a URL
// once that server has registered it (SURL), then the server sends the page
// somewhere (a service SEND), and the page closes the hub (CLOS). Each frame
// navigation that the plug-in would make is printed as it would build it.
//
// Needs the stand-in game server: FD_GAMESERVER_PORT and
// FD_GAMESERVER_CONTROL name its ports (tools/wine-run starts it as a sidecar).
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FdBstr.h"
#include "FdComActivate.h"
#include "FdComObject.h"
#include "LinkwellV2_h.h"
#include "PumpUntil.h"

namespace
{
constexpr const char* kUnicityEvent = "Linkwell v2.0 Unicity Event";
constexpr const char* kSettingsKey = "Software\\FDGame\\Binaries\\LinkwellV2";
constexpr DWORD kWaitMs = 15000;

void vSay(const char* lpszWho, const std::string& what)
{
    std::printf("%-7s %s\n", lpszWho, what.c_str());
    std::fflush(stdout);
}

std::string Hr(HRESULT hr)
{
    char text[32];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return hr == S_OK ? "S_OK" : text;
}

void vPump(DWORD dwMs)
{
    FdWin::vPumpFor(dwMs);
}

// The plug-in's side: every "SEND" becomes a frame navigation, built as the
// plug-in builds it (TURL, then "?params=" and the other pairs joined by
// "££", sent as "%A3%A3").
class CPrintingCallback : public FdCom::CObjectRoot, public IDiagCmpt2OBPP
{
public:
    FD_COM_BEGIN_MAP(CPrintingCallback, IDiagCmpt2OBPP)
    FD_COM_ENTRY(IDiagCmpt2OBPP)
    FD_COM_END_MAP()

    STDMETHODIMP ExecuteCmd(BSTR bstrName) override
    {
        const std::string word = FdCom::strFromBstr(bstrName);
        std::string url;
        std::string frame;
        std::string params;
        for (const auto& p : m_pending)
        {
            if (p.first == "TURL")
                url = p.second;
            else if (p.first == "BFRM")
                frame = p.second;
            else
                params += p.first + "%A3%A3" + p.second + "%A3%A3";
        }
        m_pending.clear();
        if (lstrcmpiA(word.c_str(), "SEND") == 0)
        {
            if (!params.empty())
                url += (url.find('?') == std::string::npos ? "?params=" : "&params=") + params;
            vSay("page", "frame \"" + frame + "\" <- " + url);
            ++m_iNavigations;
        }
        return S_OK;
    }
    STDMETHODIMP SetParameter(BSTR bstrName, BSTR bstrValue) override
    {
        m_pending.emplace_back(FdCom::strFromBstr(bstrName), FdCom::strFromBstr(bstrValue));
        return S_OK;
    }
    STDMETHODIMP GetParameter(BSTR, BSTR* pbstrValue) override
    {
        if (pbstrValue == nullptr)
            return E_POINTER;
        *pbstrValue = nullptr;
        return S_OK;
    }
    STDMETHODIMP CmptOut() override { return S_OK; }

    bool boWaitForNavigations(int n, DWORD dwMs)
    {
        const DWORD dwStart = GetTickCount();
        while (m_iNavigations < n && GetTickCount() - dwStart < dwMs)
            vPump(20);
        return m_iNavigations >= n;
    }

private:
    std::vector<std::pair<std::string, std::string>> m_pending;
    int m_iNavigations = 0;
};

// The stand-in game server's control port: one command, one reply line.
class CControl
{
public:
    bool boConnect(uint16_t wPort)
    {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(wPort);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return connect(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    }
    ~CControl()
    {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
    }
    std::string Command(const std::string& line)
    {
        const std::string out = line + "\n";
        send(m_socket, out.data(), int(out.size()), 0);
        std::string reply;
        char c = 0;
        while (recv(m_socket, &c, 1, 0) == 1 && c != '\n')
            reply += c;
        return reply;
    }

private:
    SOCKET m_socket = INVALID_SOCKET;
};

void vSetHubSetting(const char* lpszName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey,
                        nullptr) == ERROR_SUCCESS)
    {
        RegSetValueExA(hKey, lpszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                       sizeof(dwValue));
        RegCloseKey(hKey);
    }
}

long lRunAndWait(const std::string& commandLine)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::string cmd = commandLine;
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    long lResult = -1;
    if (WaitForSingleObject(pi.hProcess, kWaitMs) == WAIT_OBJECT_0)
    {
        DWORD dwCode = 0;
        GetExitCodeProcess(pi.hProcess, &dwCode);
        lResult = long(dwCode);
    }
    CloseHandle(pi.hProcess);
    return lResult;
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// The control port writes bytes outside plain ASCII as %XX.
std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            out += char(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        }
        else
            out += text[i];
    }
    return out;
}

bool boHubRunning()
{
    HANDLE h = OpenEventA(SYNCHRONIZE, FALSE, kUnicityEvent);
    if (h != nullptr)
        CloseHandle(h);
    return h != nullptr;
}

HRESULT hrSet(IDiagOBPP2Cmpt* lpHub, const char* lpszName, const std::string& value)
{
    vSay("page", std::string("SetParameter(\"") + lpszName + "\", \"" + value + "\")");
    return lpHub->SetParameter(FdCom::CBstr(lpszName).bstr(), FdCom::CBstr(value).bstr());
}

HRESULT hrRun(IDiagOBPP2Cmpt* lpHub, const char* lpszWord)
{
    vSay("page", std::string("ExecuteCmd(\"") + lpszWord + "\")");
    return lpHub->ExecuteCmd(FdCom::CBstr(lpszWord).bstr());
}

int iDemo(IDiagOBPP2Cmpt* lpHub, CPrintingCallback* lpPage, CControl& server, const std::string& port)
{
    hrSet(lpHub, "PSDO", "Joueur d\xE9mo");
    hrSet(lpHub, "ERRU", "http://127.0.0.1/page/erreur.asp");
    hrSet(lpHub, "ERRF", "cadreErreur");
    hrSet(lpHub, "CXIP", "127.0.0.1");
    hrSet(lpHub, "CXPT", port);
    hrSet(lpHub, "CXTM", "5000");
    hrRun(lpHub, "CONX");
    hrSet(lpHub, "URLL", "http://127.0.0.1/page/bienvenue.asp?salon=3");
    hrSet(lpHub, "FRMM", "cadreSalon");
    hrSet(lpHub, "URIP", "127.0.0.1");
    hrSet(lpHub, "URPT", port);
    hrRun(lpHub, "SURL");
    vSay("page", "(the job waits until the server has registered the hub)");
    if (!lpPage->boWaitForNavigations(1, kWaitMs))
        return 1;
    const std::string link = server.Command("LINK last") + " ";
    const size_t at = link.find(" pseudo=");
    if (at != std::string::npos)
        vSay("server", "registered the hub, pseudo \"" +
                           Unescape(link.substr(at + 8, link.find(' ', at + 8) - at - 8)) + "\"");

    vSay("server", "service message SEND to the hub");
    server.Command("SEND last http://127.0.0.1/jeu/partie.asp?table=7 cadreJeu");
    if (!lpPage->boWaitForNavigations(2, kWaitMs))
        return 1;

    hrRun(lpHub, "CLOS");
    const DWORD dwStart = GetTickCount();
    while (boHubRunning() && GetTickCount() - dwStart < kWaitMs)
        vPump(50);
    if (boHubRunning())
        return 1;
    vSay("hub", "ended");
    return 0;
}
} // namespace

int main()
{
    const char* lpszPort = std::getenv("FD_GAMESERVER_PORT");
    const char* lpszControl = std::getenv("FD_GAMESERVER_CONTROL");
    CControl server;
    if (lpszPort == nullptr || lpszControl == nullptr || !server.boConnect(uint16_t(std::atoi(lpszControl))))
    {
        vSay("demo", "the stand-in game server is not there (FD_GAMESERVER_PORT, FD_GAMESERVER_CONTROL)");
        return 1;
    }
    vSay("server", "stand-in game server on 127.0.0.1:" + std::string(lpszPort));
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int iResult = 1;
    const long lReg = lRunAndWait("\"" + ProgramFolder() + "Linkwell.exe\" /RegServer");
    vSay("page", "Linkwell.exe /RegServer -> exit code " + std::to_string(lReg));
    vSetHubSetting("LPCPort", 0); // any free port: the demo never meets another hub
    CLSID clsid;
    IDiagOBPP2Cmpt* lpHub = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Feldane.LinkwellV2.1", &clsid);
    if (SUCCEEDED(hr))
        hr = FdCom::hrCreateInstance(clsid, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                     reinterpret_cast<void**>(&lpHub));
    vSay("page", "CoCreateInstance(\"Feldane.LinkwellV2.1\") -> " + Hr(hr));
    if (SUCCEEDED(hr))
    {
        IDiagCmpt2OBPP* lpCallback = nullptr;
        FdCom::TComObject<CPrintingCallback>::hrCreate(IID_IDiagCmpt2OBPP,
                                                       reinterpret_cast<void**>(&lpCallback));
        unsigned long dwCookie = 0;
        vSay("page", "Advise(callback) -> " + Hr(lpHub->Advise(lpCallback, &dwCookie)));
        iResult = iDemo(lpHub, static_cast<CPrintingCallback*>(lpCallback), server, lpszPort);
        lpHub->Release();
        lpCallback->Release();
    }
    vSay("demo", iResult == 0 ? "round trip complete" : "round trip FAILED");
    CoUninitialize();
    return iResult;
}
