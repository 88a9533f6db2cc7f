#include "RoadScene.h"

#include "BmpFile.h"
#include "DiagOBPP.h"
#include "EnvelopeSealer.h"
#include "GameServerControl.h"
#include "ScenePieces.h"
#include "Screenshot.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <sstream>

namespace FdRoadScene
{
namespace
{
using namespace FdScene;

const char kLauncherClsid[] = "{E7DCE0A5-863E-4A04-9912-3A893FA1F128}";
const char kHubClsid[] = "{1184B9F3-D14D-4181-A509-7D2ADFE452AF}";
const char kPlugClsid[] = "{95B8E6D2-7D70-4975-944C-8D909D04C411}";
const char kGameClass[] = "FdFixtureGame";
// The launcher's progress window: dialog 127 with its progress bar 207.
constexpr int kProgressBarId = 207;
// The suite's programs that must have ended or idled out after a turn.
const char* const kSuitePrograms[] = {"BrowserHost.exe", "Linkwell.exe", "Ludex.exe", "LudexPlugCmdLine.exe",
                                      "FixtureGame.exe"};
constexpr DWORD kSessionBoundMs = 60000;
// The hub's LPC port, where the launcher finds it.
constexpr uint16_t kHubPort = 8999;
// How long a program still holding that port is given to end.
constexpr DWORD kPortFreeBoundMs = 20000;
// The launcher idles out 5 s after its last object; the hub ends when the page goes.
constexpr DWORD kProgramsEndMs = 20000;
// A session ends when the launcher has left, or else once the page has been
// quiet this long with no transfer open: longer than any quiet stretch of the
// road (a component's first activation, the game itself), with room for a
// loaded machine, where the launcher's work between two downloads alone took
// over 4 s and the page closed in the middle of the road.
const char kQuietMs[] = "10000";
// The game runs this long unless it is killed or the page goes.
const char kGameMs[] = "1500";
const char kGameServerId[] = "ZDP1";

void vSetText(HKEY hKey, const char* lpszName, const std::string& strValue)
{
    RegSetValueExA(hKey, lpszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                   static_cast<DWORD>(strValue.size() + 1));
}

std::string strXmlEscaped(const std::string& s)
{
    std::string out;
    for (char c : s)
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    return out;
}

// The road page: the hub's and the launcher's EMBEDs (the hub first: it
// listens before the launcher's script arrives), a frame for the launcher's
// notifications; extra: more EMBEDs (the setup page's plug package).
std::string strRoadPage(const std::string& strLudexKeys, const std::string& extra)
{
    auto embed = [](const char* name, const std::string& src)
    {
        return std::string("<embed type=\"application/x-fd-game\" name=\"") + name +
               "\" width=\"400\" height=\"60\" bgcolor=\"#003366\" textcolor=\"#FFFFFF\" hidedialog=\"yes\" "
               "src=\"" +
               src + "\">\n";
    };
    return "<html><body>\n<iframe name=\"info\" src=\"about:blank\"></iframe>\n" +
           embed("hub", "keys-hub.fdg") + embed("ludex", strLudexKeys) + extra + "</body></html>\n";
}

// The game's definition: found by its file name through the disk search,
// started from the folder where it was found.
std::string strDefinitions(const std::string& strGameMs)
{
    const std::string ident = "<file name=\"FixtureGame.exe\" var:path=\"gamedir\"/>";
    return "<ludexs.gdef><game xmlns=\"g.def\" gid=\"fixture\" technoid=\"cmdline\"><gname>Fixture</gname>"
           "<version vnbr=\"1\" vid=\"fx1\"><vname>Fixture Game 1</vname><vtechdata><vtident>" +
           strXmlEscaped(ident) +
           "</vtident><vtlaunch><cmdline verb=\"play\" shellex=\"\"><exe>%gamedir%\\FixtureGame.exe</exe>"
           "<params>--ms " +
           strGameMs + "</params></cmdline></vtlaunch></vtechdata></version></game></ludexs.gdef>";
}

// A game found like the fixture game whose launch command names a program
// that is not there.
std::string strNoStartDefinitions()
{
    const std::string ident = "<file name=\"FixtureGame.exe\" var:path=\"gamedir\"/>";
    return "<ludexs.gdef><game xmlns=\"g.def\" gid=\"nostart\" technoid=\"cmdline\"><gname>No start</gname>"
           "<version vnbr=\"1\" vid=\"ns1\"><vname>No Start 1</vname><vtechdata><vtident>" +
           strXmlEscaped(ident) +
           "</vtident><vtlaunch><cmdline verb=\"play\" shellex=\"\"><exe>%gamedir%\\NoSuchGame.exe</exe>"
           "</cmdline></vtlaunch></vtechdata></version></game></ludexs.gdef>";
}

std::string strCompatibility(const std::string& gid = "fixture")
{
    return "<ludexs.gcomp><game xmlns=\"g.compat.ref\" gid=\"" + gid +
           "\"><version vnbr.gte=\"1\" vnbr.lt=\"2\">"
           "<compatibilities><compat level=\"1\"><game xmlns=\"g.compat.candidate\" gid=\"" +
           gid + "\"><version vnbr=\"1\"/></game></compat></compatibilities></version></game></ludexs.gcomp>";
}

// The launch script of the game gid, its definitions and compatibility list.
std::string strLaunchScript(const std::string& b, const std::string& gid = "fixture",
                            const std::string& defs = "defs.xml", const std::string& compat = "compat.xml")
{
    return "<ludexs.launch>\n"
           "<technoplug technoid=\"cmdline\" classid=\"progid:LudexPlugCmdLine.LudexPlug.1\"/>\n"
           "<subscript type=\"OnStart\">\n"
           "<sscmd name=\"launchinfo\"><launchinfo><launchgame><game xmlns=\"g.launch\" gid=\"" +
           gid + "\"><gscripts definition=\"" + b + defs + "\" compatibility=\"" + b + compat +
           "\"/><version vnbr=\"1\"/></game></launchgame>"
           "<setlverb verb=\"play\" lmode=\"compat\"/></launchinfo></sscmd>\n"
           "<sscmd name=\"launchinit\"><launchinit><uploads lmode=\"c\"><uplvar name=\"lgame.gid\"/>"
           "<uplvar name=\"lgame.vid\"/></uploads></launchinit><sslinks ok=\"play\" "
           "nok=\"nogame\"/></sscmd>\n"
           "</subscript>\n"
           "<subscript name=\"play\"><sscmd name=\"launchgame\"><launchgame/>"
           "<sslinks err=\"nogame\"/></sscmd><sscmd name=\"quit\"/></subscript>\n"
           "<subscript name=\"nogame\"><sscmd name=\"quit\"/></subscript>\n"
           "<subscript type=\"OnStop\"><sscmd name=\"pwdgen\"><pwdgen var=\"ended\" nbchars=\"1\"/></sscmd>"
           "</subscript>\n"
           "</ludexs.launch>\n";
}

// The notifications of a NOTES reply from index on: "<body>|<custom>".
std::vector<std::string> notesOf(const std::string& reply, size_t& next)
{
    std::vector<std::string> out;
    std::istringstream words(reply);
    std::string word;
    while (words >> word)
    {
        if (word.compare(0, 5, "next=") == 0)
            next = std::strtoul(word.c_str() + 5, nullptr, 10);
        if (word == "OK" || word.compare(0, 5, "next=") == 0)
            continue;
        // index/link/dst/ok/body/custom
        std::vector<std::string> fields;
        std::istringstream parts(word);
        for (std::string f; std::getline(parts, f, '/');)
            fields.push_back(f);
        if (fields.size() == 6)
            out.push_back(fields[4] + "|" + fields[5]);
    }
    return out;
}

// True when a program answers on 127.0.0.1:wPort (something listens there).
bool boSomeoneListens(uint16_t wPort)
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return false;
    bool boAnswered = false;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET)
    {
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(wPort);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        boAnswered = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        closesocket(s);
    }
    // Only after a successful start: the count must stay balanced.
    WSACleanup();
    return boAnswered;
}

// A trace line that starts an entry: "MM/DD/YY HH:MM:SS.mmm ...".
bool boTraceHeader(const std::string& l)
{
    auto digits = [&](size_t at)
    {
        return l.size() > at + 1 && isdigit(static_cast<unsigned char>(l[at])) &&
               isdigit(static_cast<unsigned char>(l[at + 1]));
    };
    return digits(0) && l.size() > 8 && l[2] == '/' && digits(3) && l[5] == '/' && digits(6) && l[8] == ' ';
}

std::vector<std::string> runningSuite()
{
    std::vector<std::string> left;
    for (const char* name : kSuitePrograms)
        if (!processesNamed(name).empty())
            left.push_back(name);
    return left;
}

void vKill(const char* lpszName)
{
    for (DWORD id : processesNamed(lpszName))
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id))
        {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
}

BOOL CALLBACK CloseIfOf(HWND hwnd, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (pid == static_cast<DWORD>(lParam) && lstrcmpA(name, "FdBrowserHostMain") == 0)
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

// Closes the browser host's window: the session ends as when its user closes it.
void vCloseWindowsOf(DWORD pid)
{
    EnumWindows(CloseIfOf, static_cast<LPARAM>(pid));
}

// The window as the screen shows it, as a BMP file.
bool boShootWindow(HWND hwnd, const std::string& strFile)
{
    const FdBrowserHost::SPixels pixels = FdBrowserHost::captureWindowOnScreen(hwnd);
    const std::vector<uint8_t> file = FdBrowserHost::bmpEncode(pixels);
    return !file.empty() && boWrite(strFile, std::string(file.begin(), file.end()));
}

struct SProgressFind
{
    std::vector<DWORD> pids; // the launcher's processes
    bool boFound = false;
};

BOOL CALLBACK FindProgress(HWND hwnd, LPARAM lParam)
{
    auto* find = reinterpret_cast<SProgressFind*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (!IsWindowVisible(hwnd) || std::find(find->pids.begin(), find->pids.end(), pid) == find->pids.end())
        return TRUE;
    char cls[32] = "";
    const HWND bar = GetDlgItem(hwnd, kProgressBarId);
    if (bar && GetClassNameA(bar, cls, sizeof cls) && lstrcmpiA(cls, "msctls_progress32") == 0)
    {
        find->boFound = true;
        return FALSE;
    }
    return TRUE;
}

// Whether a progress window of the launcher is on the screen.
bool boProgressShows(const std::vector<DWORD>& launcher)
{
    SProgressFind find;
    find.pids = launcher;
    if (!find.pids.empty())
        EnumWindows(FindProgress, reinterpret_cast<LPARAM>(&find));
    return find.boFound;
}

// The launcher's component as the page's plug-in holds it: a command word
// reaches it through IDiagOBPP2Cmpt::ExecuteCmd, as a page's command does.
class CLauncherComponent
{
public:
    CLauncherComponent() = default;
    CLauncherComponent(const CLauncherComponent&) = delete;
    CLauncherComponent& operator=(const CLauncherComponent&) = delete;
    ~CLauncherComponent()
    {
        vRelease();
        // Only after a successful start: the count must stay balanced.
        if (m_boComStarted)
            CoUninitialize();
    }
    // The running launcher's one component object; false when there is none.
    bool boConnect()
    {
        if (m_pComponent)
            return true;
        if (!m_boComStarted)
            m_boComStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        CLSID clsid = {};
        if (FAILED(CLSIDFromString(L"{E7DCE0A5-863E-4A04-9912-3A893FA1F128}", &clsid)))
            return false;
        return SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDiagOBPP2Cmpt,
                                          reinterpret_cast<void**>(&m_pComponent)));
    }
    bool boCommand(const wchar_t* lpszWord)
    {
        if (!m_pComponent)
            return false;
        BSTR word = SysAllocString(lpszWord);
        const HRESULT hr = m_pComponent->ExecuteCmd(word);
        SysFreeString(word);
        return SUCCEEDED(hr);
    }
    // Lets the launcher go: it idles out or is removed with the page.
    void vRelease()
    {
        if (m_pComponent)
            m_pComponent->Release();
        m_pComponent = nullptr;
    }

private:
    IDiagOBPP2Cmpt* m_pComponent = nullptr;
    bool m_boComStarted = false;
};

// The values of an HKLM key, kept to be written back.
std::vector<std::pair<std::string, std::string>> textValues(const char* lpszKey)
{
    std::vector<std::pair<std::string, std::string>> out;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, lpszKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i)
    {
        char name[256];
        BYTE data[2048];
        DWORD n = sizeof name, d = sizeof data - 1, type = 0;
        if (RegEnumValueA(hKey, i, name, &n, nullptr, &type, data, &d) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ)
            out.emplace_back(name, std::string(reinterpret_cast<char*>(data), d ? d - 1 : 0));
    }
    RegCloseKey(hKey);
    return out;
}
} // namespace

std::string strNotificationText(int iCode)
{
    switch (iCode)
    {
    case 0:
        return "launch part started";
    case 1:
        return "game chosen, launch variables uploaded";
    case 2:
        return "game started";
    case 3:
        return "game over";
    case 4:
        return "launch part ended";
    case 1001:
        return "no game to launch";
    case 1002:
        return "end of game: not launched, or ended by the player";
    default:
        return "";
    }
}

std::vector<int> serverCodes(const SRun& run)
{
    std::vector<int> codes;
    for (const std::string& n : run.notes)
        if (n.rfind("type=", 0) == 0)
            codes.push_back(std::atoi(n.c_str() + 5));
    return codes;
}

std::vector<int> pageCodes(const SRun& run)
{
    std::vector<int> codes;
    for (const std::string& n : run.navigations)
    {
        const size_t at = n.find("&Info=");
        if (n.rfind("info ", 0) == 0 && at != std::string::npos)
            codes.push_back(std::atoi(n.c_str() + at + 6));
    }
    return codes;
}

bool boHappy(const SRun& run, std::string& why)
{
    const std::vector<int> road = {0, 1, 2, 3, 4};
    auto text = [](const std::vector<int>& codes)
    {
        std::string s;
        for (int c : codes)
            s += std::to_string(c) + " ";
        return s;
    };
    if (!run.strError.empty())
        why = run.strError;
    else if (serverCodes(run) != road)
        why = "the game server received the notifications " + text(serverCodes(run)) + "instead of 0 1 2 3 4";
    else if (pageCodes(run) != road)
        why = "the page showed the notifications " + text(pageCodes(run)) + "instead of 0 1 2 3 4";
    else if (!run.boGameSeen)
        why = "the game's window never showed";
    else if (!run.leftRunning.empty())
        why = "programs of the suite were still running";
    else
        return true;
    return false;
}

bool CRoadScene::boSetUp(const SOptions& o, std::string& error)
{
    m_o = o;
    // The launcher reaches the hub on its fixed port: a program already
    // listening there (a hub left by another run) would take the launcher's
    // link and the road's own hub could not listen. One that is ending is waited for.
    const DWORD dwPortStart = GetTickCount();
    while (boSomeoneListens(kHubPort))
    {
        if (GetTickCount() - dwPortStart > kPortFreeBoundMs)
        {
            error = "127.0.0.1:" + std::to_string(kHubPort) + " is still taken by another program after " +
                    std::to_string(kPortFreeBoundMs / 1000) +
                    " s: the road's hub could not listen there and the launcher would reach that program";
            return false;
        }
        Sleep(200);
    }
    const std::string strInstall = o.strWorkFolder + "inst";
    CreateDirectoryA(strInstall.c_str(), nullptr);
    HKEY hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
    {
        error = "cannot write HKLM\\Software\\FdGame";
        return false;
    }
    const DWORD dwVersion = 999999, dwOn = 1;
    vSetText(hKey, nullptr, strInstall);
    RegSetValueExA(hKey, "FdGame", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwVersion), sizeof dwVersion);
    RegSetValueExA(hKey, "LogToTextFile", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOn), sizeof dwOn);
    RegCloseKey(hKey);

    // The plug-in as the browser installed it: its control and the type
    // library that marshals the component interfaces are registered.
    HMODULE hPlugin = LoadLibraryA((o.strBinFolder + "npfdg.dll").c_str());
    using RegisterFn = HRESULT(STDAPICALLTYPE*)();
    auto pfnRegister = hPlugin ? reinterpret_cast<RegisterFn>(
                                     reinterpret_cast<void*>(GetProcAddress(hPlugin, "DllRegisterServer")))
                               : nullptr;
    const HRESULT hr = pfnRegister ? pfnRegister() : E_FAIL;
    if (hPlugin)
        FreeLibrary(hPlugin);
    if (FAILED(hr))
    {
        error = "npfdg.dll does not register";
        return false;
    }

    // The player's game, in the folder that stands for the drives.
    const std::string strGames = o.strWorkFolder + "games";
    CreateDirectoryA(strGames.c_str(), nullptr);
    CreateDirectoryA((strGames + "\\Fixture").c_str(), nullptr);
    if (!CopyFileA((o.strBinFolder + "FixtureGame.exe").c_str(),
                   (strGames + "\\Fixture\\FixtureGame.exe").c_str(), FALSE))
    {
        error = "cannot lay FixtureGame.exe in " + strGames;
        return false;
    }
    SetEnvironmentVariableA("FD_SEARCH_DRIVES", strGames.c_str());

    FdCrypto::CKeyRecord key, wrongKey;
    try
    {
        key = EnvelopeSealer::keyFromText(o.strKeyText);
        wrongKey = EnvelopeSealer::keyFromText(o.strWrongKey);
    }
    catch (const std::exception&)
    {
        error = "a key text is not a key";
        return false;
    }
    auto seal = [&](const std::string& plain, uint32_t seed)
    { return EnvelopeSealer::strSeal(plain, key, false, seed); };

    const std::string strHub = strRead(o.strBinFolder + "Linkwell.exe");
    const std::string strLudex = strRead(o.strBinFolder + "Ludex.exe");
    const std::string strPlug = strRead(o.strBinFolder + "LudexPlugCmdLine.exe");
    if (strHub.empty() || strLudex.empty() || strPlug.empty())
    {
        error = "Linkwell.exe, Ludex.exe or LudexPlugCmdLine.exe is missing in " + o.strBinFolder;
        return false;
    }
    auto package = [&](const std::string& sealed, const char* regpath, const char* exe, const char* clsid)
    {
        return strAction(sealed,
                         {{"regpath", regpath},
                          {"physpath", std::string("bin\\") + exe},
                          {"clsid", clsid},
                          {"version", "1000"}},
                         2);
    };
    const std::string& b = o.strWebBase;
    const std::string strPort = std::to_string(o.wGamePort);
    const std::string strRoad = strList({{"URL", b + "road.htm"}});
    auto launchLudex = [&](const char* pkg, const char* script)
    {
        return strAction("",
                         {{"launchapp", "Ludex"},
                          {"urldata", b + pkg},
                          {"thispage", strRoad},
                          {"removewithfdgame", "yes"},
                          {"paramsapp", strList({{"lscr", b + script},
                                                 {"srip", "127.0.0.1"},
                                                 {"srpt", strPort},
                                                 {"msgd", kGameServerId},
                                                 {"msg_", "XXXXtype=%TP%"},
                                                 {"iurl", b + "info.htm?id=7"},
                                                 {"ifrm", "info"},
                                                 {"CMD", "dowk"}})}},
                         3);
    };
    auto keys = [&](const char* next) {
        return strAction("", {{"privatekeyfile", o.strKeyText}, {"URL", next}}, 6);
    };
    const struct
    {
        const char* name;
        std::string data;
    } files[] = {
        {"setup.htm", strRoadPage("keys-ludex.fdg", "<embed type=\"application/x-fd-game\" name=\"plug\" "
                                                    "width=\"400\" height=\"60\" hidedialog=\"yes\" "
                                                    "src=\"keys-plug.fdg\">\n")},
        {"road.htm", strRoadPage("keys-ludex.fdg", "")},
        {"road-bad.htm", strRoadPage("keys-ludex-bad.fdg", "")},
        {"road-nostart.htm", strRoadPage("keys-ludex-nostart.fdg", "")},
        {"info.htm", "<html><body>Ludex</body></html>\n"},
        {"keys-hub.fdg", keys("launch-hub.fdg")},
        {"keys-ludex.fdg", keys("launch-ludex.fdg")},
        {"keys-ludex-bad.fdg", keys("launch-ludex-bad.fdg")},
        {"keys-ludex-nostart.fdg", keys("launch-ludex-nostart.fdg")},
        {"keys-plug.fdg", keys("plug.pkg")},
        {"launch-hub.fdg", strAction("",
                                     {{"launchapp", "LinkwellV2"},
                                      {"urldata", b + "hub.pkg"},
                                      {"thispage", strRoad},
                                      {"removewithfdgame", "yes"},
                                      {"paramsapp", strList({{"PSDO", "Joueur"},
                                                             {"CXIP", "127.0.0.1"},
                                                             {"CXPT", strPort},
                                                             {"CXTM", "5000"},
                                                             {"CMD", "CONX"}})}},
                                     3)},
        {"launch-ludex.fdg", launchLudex("ludex.pkg", "launch.xml")},
        {"launch-ludex-bad.fdg", launchLudex("ludex-bad.pkg", "launch.xml")},
        {"launch-ludex-nostart.fdg", launchLudex("ludex.pkg", "launch-nostart.xml")},
        {"hub.pkg", package(seal(strCompressed(strHub), 31), "LinkwellV2", "Linkwell.exe", kHubClsid)},
        {"ludex.pkg", package(seal(strCompressed(strLudex), 32), "Ludex", "Ludex.exe", kLauncherClsid)},
        {"ludex-bad.pkg", package(EnvelopeSealer::strSeal(strCompressed(strLudex), wrongKey, false, 33),
                                  "Ludex", "Ludex.exe", kLauncherClsid)},
        {"plug.pkg",
         package(seal(strCompressed(strPlug), 34), "LudexPlugCmdLine", "LudexPlugCmdLine.exe", kPlugClsid)},
        {"launch.xml", seal(strLaunchScript(b), 35)},
        {"defs.xml", seal(strDefinitions(kGameMs), 36)},
        // Sealed as the service seals, but its markup breaks off inside the game.
        {"defs-malformed.xml", seal(strDefinitions(kGameMs).substr(0, 120) + "</ludexs.gdef>", 38)},
        {"compat.xml", seal(strCompatibility(), 37)},
        {"launch-nostart.xml",
         seal(strLaunchScript(b, "nostart", "defs-nostart.xml", "compat-nostart.xml"), 41)},
        {"defs-nostart.xml", seal(strNoStartDefinitions(), 42)},
        {"compat-nostart.xml", seal(strCompatibility("nostart"), 43)},
    };
    for (const auto& f : files)
        if (!boWrite(o.strWebFolder + f.name, f.data))
        {
            error = std::string("cannot write ") + o.strWebFolder + f.name;
            return false;
        }
    m_ulTraceSeen = strPluginTrace().size();
    return true;
}

SSession CRoadScene::session(const std::string& strPage, ETurn turn, bool boShot, SRun& run)
{
    SSession s;
    s.strPage = m_o.strWebBase + strPage;
    const DWORD dwBegin = GetTickCount();
    const std::string strLog = m_o.strWorkFolder + "host.log";
    DeleteFileA(strLog.c_str());
    std::string cmd = strQuote(m_o.strBinFolder + "BrowserHost.exe") + " --log " + strQuote(strLog) +
                      " --plugin " + strQuote(m_o.strBinFolder + "npfdg.dll") + " --quit-when-idle " +
                      kQuietMs;
    if (boShot && !m_o.strHostShot.empty())
        cmd += " --screenshot " + strQuote(m_o.strHostShot);
    cmd += " " + strQuote(s.strPage);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    {
        run.strError = "BrowserHost.exe does not start";
        return s;
    }
    SdkTest::CGameServerControl control;
    const bool boControl = control.boConnect();
    size_t ulNext = 0;
    if (boControl)
        notesOf(control.Command("NOTES 999999999"), ulNext);
    bool boActed = false;
    bool boLauncherSeen = false;
    bool boClosed = false;
    CLauncherComponent launcher;
    const DWORD dwStart = GetTickCount();
    while (WaitForSingleObject(pi.hProcess, 50) == WAIT_TIMEOUT)
    {
        // The launcher leaves once its launch is over and its end shown: the
        // page has nothing more to wait for, its window is closed.
        const std::vector<DWORD> launcherIds = processesNamed("Ludex.exe");
        const bool boLauncher = !launcherIds.empty();
        // The progress window shows while the script and the game's lists
        // download, never once the game runs.
        if (boProgressShows(launcherIds))
        {
            run.boProgressSeen = true;
            const HWND hRunning = FindWindowA(kGameClass, nullptr);
            if (hRunning && IsWindowVisible(hRunning))
                run.boProgressAtGame = true;
        }
        boLauncherSeen = boLauncherSeen || boLauncher;
        if (boLauncherSeen && !boLauncher && !boClosed)
        {
            // Its last notification was shown before it left: the host logged it.
            boClosed = true;
            vCloseWindowsOf(pi.dwProcessId);
        }
        if (GetTickCount() - dwStart > kSessionBoundMs)
        {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
            break;
        }
        HWND hGame = FindWindowA(kGameClass, nullptr);
        if (hGame && IsWindowVisible(hGame) && !run.boGameSeen)
        {
            run.boGameSeen = true;
            if (turn == ETurn::GameKilled)
            {
                run.transcript.push_back("test      kills FixtureGame.exe");
                vKill("FixtureGame.exe");
                boActed = true;
            }
            else if (turn == ETurn::ConfirmedEnd)
            {
                // Connected as soon as the launch part started: the command then
                // costs one call while the game runs.
                const bool boSent = launcher.boConnect() && launcher.boCommand(L"docf");
                launcher.vRelease();
                run.transcript.push_back(
                    boSent ? "test      \"docf\" to the launcher's component while the game runs"
                           : "test      \"docf\" could not reach the launcher's component");
                boActed = true;
            }
            else if (boShot && !m_o.strGameShot.empty())
            {
                // The window has had the time to paint.
                Sleep(400);
                run.boGameShot = boShootWindow(hGame, m_o.strGameShot);
            }
        }
        if (turn == ETurn::ConfirmedEnd && !boActed && boControl && !run.boGameSeen)
        {
            size_t ulAt = ulNext;
            for (const std::string& n : notesOf(control.Command("NOTES " + std::to_string(ulAt)), ulAt))
                if (n.rfind("type=0000|", 0) == 0)
                    launcher.boConnect();
        }
        if (turn == ETurn::HubKilled && !boActed && run.boGameSeen)
        {
            // Only in the first page's session: the second one must get a hub.
            run.transcript.push_back("test      kills Linkwell.exe");
            vKill("Linkwell.exe");
            boActed = true;
        }
        if (turn == ETurn::ServerGone && !boActed && boControl)
        {
            size_t ulAt = ulNext;
            for (const std::string& n : notesOf(control.Command("NOTES " + std::to_string(ulAt)), ulAt))
                if (n.rfind("type=0002|", 0) == 0)
                {
                    // Every link closes, connections are refused meanwhile.
                    control.Command("DROP 30");
                    run.transcript.push_back("test      the game server goes (every link closed)");
                    boActed = true;
                }
        }
    }
    DWORD dwExit = 0;
    if (GetExitCodeProcess(pi.hProcess, &dwExit) && dwExit != STILL_ACTIVE)
        s.lExit = static_cast<long>(dwExit);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    s.host = FdBrowserHost::parseLog(strRead(strLog));

    // Every program of the suite ends or idles out.
    const DWORD dwEnd = GetTickCount();
    s.dwHostMs = dwEnd - dwBegin;
    while (!runningSuite().empty() && GetTickCount() - dwEnd < kProgramsEndMs)
        Sleep(100);
    for (const std::string& name : runningSuite())
    {
        run.leftRunning.push_back(name);
        vKill(name.c_str());
    }
    if (turn == ETurn::ServerGone && boControl)
        control.Command("REFUSE off");
    if (boControl)
    {
        size_t ulAt = ulNext;
        const std::vector<std::string> notes =
            notesOf(control.Command("NOTES " + std::to_string(ulAt)), ulAt);
        run.notes.insert(run.notes.end(), notes.begin(), notes.end());
    }
    else
        run.strError = "no stand-in game server";
    s.dwMs = GetTickCount() - dwBegin;

    // What the plug-in traced meanwhile: its errors, the components' commands.
    const std::string strTrace = strPluginTrace();
    const std::string strNew = strTrace.substr(std::min(m_ulTraceSeen, strTrace.size()));
    m_ulTraceSeen = strTrace.size();
    std::istringstream traceLines(strNew);
    const std::string kCommand = "CImplCallback::ExecuteCmd start (bstrName=";
    bool boInError = false;
    for (std::string l; std::getline(traceLines, l);)
    {
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        // An error's report (the exception's file, code, description, extra
        // infos) follows on lines of its own, without the trace's header.
        if (boInError && !l.empty() && !boTraceHeader(l))
        {
            s.pluginErrors.back() += (s.pluginErrors.back().back() == ':' ? " " : "; ") + l;
            continue;
        }
        boInError = l.find("!ERREUR!") != std::string::npos;
        if (boInError)
            s.pluginErrors.push_back(l.substr(l.find("!ERREUR!")));
        const size_t at = l.find(kCommand);
        if (at != std::string::npos)
        {
            std::string rest = l.substr(at + kCommand.size());
            if (!rest.empty() && rest.back() == ')')
                rest.pop_back();
            const size_t comma = rest.find(", param");
            std::string params = comma == std::string::npos ? "" : rest.substr(rest.find('=', comma) + 1);
            for (size_t p; (p = params.find("\xA3\xA3")) != std::string::npos;)
                params.replace(p, 2, " ");
            run.commands.push_back(rest.substr(0, comma) + " " + params);
        }
    }

    run.pluginErrors.insert(run.pluginErrors.end(), s.pluginErrors.begin(), s.pluginErrors.end());
    return s;
}

SRun CRoadScene::run(ETurn turn)
{
    SRun run;
    std::vector<std::string> pages;
    bool boShot = false;
    const std::string strBoxes = m_o.strWorkFolder + "boxes.log";
    DeleteFileA(strBoxes.c_str());
    // Boxes and dialogs are answered through the seam, except where the disk
    // search must really run (its dialog would be answered "cancel").
    SetEnvironmentVariableA("FD_UI_LOG", strBoxes.c_str());
    SetEnvironmentVariableA("FD_UI_ANSWERS", nullptr);
    std::vector<std::pair<std::string, std::string>> kept;
    // A file the web stand-in serves, changed for the turn and put back after it.
    std::string strServedName, strServed;
    auto spoil = [&](const char* lpszName, const std::string* pReplacement)
    {
        strServedName = lpszName;
        strServed = strRead(m_o.strWebFolder + lpszName);
        DeleteFileA((m_o.strWebFolder + lpszName).c_str());
        if (pReplacement)
            boWrite(m_o.strWebFolder + lpszName, *pReplacement);
    };
    auto forgetCatalogue = []
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\localdata");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zelto\\Ludex\\localdata");
    };
    switch (turn)
    {
    case ETurn::FirstRoad:
        run.strName =
            "a fresh machine: the setup page installs the components, the road page launches the game";
        pages = {"setup.htm", "road.htm"};
        boShot = true;
        SetEnvironmentVariableA("FD_UI_LOG", nullptr);
        break;
    case ETurn::Road:
        run.strName = "the road again: components installed, catalogue saved";
        pages = {"road.htm"};
        break;
    case ETurn::ServerGone:
        run.strName = "the game server goes while the game runs";
        pages = {"road.htm"};
        break;
    case ETurn::GameKilled:
        run.strName = "the game is killed while it runs";
        pages = {"road.htm"};
        break;
    case ETurn::BadPackage:
        run.strName = "the launcher is not installed and its package cannot be decrypted";
        pages = {"road-bad.htm"};
        kept = textValues("Software\\FdGame\\Ludex");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\FdGame\\Ludex");
        break;
    case ETurn::ConfirmedEnd:
        run.strName = "the page's \"docf\" while the game runs, the end of the game confirmed";
        pages = {"road.htm"};
        break;
    case ETurn::CannotStart:
        run.strName = "the game's launch command names a program that is not there";
        pages = {"road-nostart.htm"};
        // The game is new to the catalogue: the disk search runs (its dialog shows).
        SetEnvironmentVariableA("FD_UI_LOG", nullptr);
        break;
    case ETurn::GameNotFound:
        run.strName = "no catalogue on the machine and the disk search cancelled";
        pages = {"road.htm"};
        forgetCatalogue();
        SetEnvironmentVariableA("FD_UI_ANSWERS", "2"); // the search dialog: IDCANCEL
        break;
    case ETurn::HubKilled:
        run.strName = "the hub is killed while the game runs, the page closes, then a second page";
        pages = {"road.htm", "road.htm"};
        break;
    case ETurn::DefsMissing:
        run.strName = "no catalogue, and the game definitions are not found (HTTP 404)";
        pages = {"road.htm"};
        forgetCatalogue();
        spoil("defs.xml", nullptr);
        break;
    case ETurn::DefsTruncated:
    {
        run.strName = "no catalogue, and the game definitions arrive cut in half";
        pages = {"road.htm"};
        forgetCatalogue();
        const std::string whole = strRead(m_o.strWebFolder + "defs.xml");
        const std::string half = whole.substr(0, whole.size() / 2);
        spoil("defs.xml", &half);
        break;
    }
    case ETurn::DefsMalformed:
    {
        run.strName = "no catalogue, and the game definitions are not well-formed";
        pages = {"road.htm"};
        forgetCatalogue();
        const std::string broken = strRead(m_o.strWebFolder + "defs-malformed.xml");
        spoil("defs.xml", &broken);
        break;
    }
    case ETurn::CompatMissing:
        run.strName = "the compatibility list is not found (HTTP 404)";
        pages = {"road.htm"};
        spoil("compat.xml", nullptr);
        break;
    }
    for (const std::string& page : pages)
    {
        // The second page of the killed hub's turn plays the road untouched.
        const ETurn played = turn == ETurn::HubKilled && !run.sessions.empty() ? ETurn::Road : turn;
        if (turn == ETurn::HubKilled && !run.sessions.empty())
        {
            // Wine's COM service keeps handing out the class object of the
            // killed hub (Windows' notices that its process is gone): it is
            // started anew, as a machine that forgets the dead server.
            run.transcript.push_back("test      restarts Wine's COM service (rpcss.exe)");
            vKill("rpcss.exe");
        }
        run.sessions.push_back(session(page, played, boShot && page == "road.htm", run));
    }
    if (!strServedName.empty())
        boWrite(m_o.strWebFolder + strServedName, strServed);
    if (!kept.empty())
    {
        HKEY hKey = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\FdGame\\Ludex", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &hKey, nullptr) == ERROR_SUCCESS)
        {
            for (const auto& v : kept)
                vSetText(hKey, v.first.c_str(), v.second);
            RegCloseKey(hKey);
        }
    }
    SetEnvironmentVariableA("FD_UI_LOG", nullptr);
    SetEnvironmentVariableA("FD_UI_ANSWERS", nullptr);
    run.boxes = logLines(strBoxes, false);

    // The transcript, in the order the page saw it: each notification the
    // page shows is followed by the game server's copy of it.
    auto& t = run.transcript;
    std::vector<std::string> acted;
    acted.swap(t);
    auto codeOf = [](const std::string& note)
    {
        const size_t eq = note.find('=');
        return eq == std::string::npos ? -1 : std::atoi(note.c_str() + eq + 1);
    };
    auto server = [&](const std::string& note)
    {
        const std::string what = strNotificationText(codeOf(note));
        return "  server    received " + note + (what.empty() ? "" : "  (" + what + ")");
    };
    auto role = [](const std::string& url)
    {
        const std::string name = url.substr(url.find_last_of('/') + 1);
        if (name == "launch.xml")
            return std::string("  (the launcher's download: its launch script)");
        if (name == "defs.xml")
            return std::string("  (the launcher's download: the game definitions)");
        if (name == "compat.xml")
            return std::string("  (the launcher's download: the compatibility list)");
        if (name == "launch-nostart.xml")
            return std::string("  (the launcher's download: the script of the game that cannot start)");
        if (name == "defs-nostart.xml")
            return std::string("  (the launcher's download: the definition of the game that cannot start)");
        if (name == "compat-nostart.xml")
            return std::string("  (the launcher's download: the compatibility list of that game)");
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".pkg") == 0)
            return std::string("  (a component's package, installed by COPYANDREGISTER)");
        if (name.rfind("keys-", 0) == 0)
            return std::string("  (the files key, then the next action)");
        if (name.rfind("launch-", 0) == 0)
            return std::string("  (LAUNCHAPP)");
        return std::string();
    };
    size_t ulNote = 0;
    t.push_back("turn: " + run.strName);
    for (const SSession& s : run.sessions)
    {
        t.push_back("  page      " + s.strPage + " (host exit " + std::to_string(s.lExit) + ", " +
                    std::to_string(s.dwMs / 100 / 10.0).substr(0, std::to_string(s.dwMs / 1000).size() + 2) +
                    " s with the programs' end)");
        for (const auto& l : s.host)
        {
            if (l.strKind == "STREAM_END")
            {
                if (l.strGet("reason") == "0")
                    run.fetched.push_back(l.strGet("url"));
                t.push_back("  fetched   " + l.strGet("url") +
                            (l.strGet("reason") == "0" ? role(l.strGet("url")) : " (failed)"));
            }
            else if (l.strKind == "NAVIGATE")
            {
                run.navigations.push_back(l.strGet("frame") + " " + l.strGet("url"));
                std::string line = "  navigate  frame " + l.strGet("frame") + " <- " + l.strGet("url");
                const size_t info = l.strGet("url").find("&Info=");
                const int code =
                    info == std::string::npos ? -1 : std::atoi(l.strGet("url").c_str() + info + 6);
                const std::string what = strNotificationText(code);
                if (!what.empty())
                    line += "  (" + what + ")";
                t.push_back(line);
                if (code >= 0 && ulNote < run.notes.size() && codeOf(run.notes[ulNote]) == code)
                    t.push_back(server(run.notes[ulNote++]));
                if (code == 2)
                {
                    if (run.boGameSeen)
                        t.push_back(std::string("  game      the window \"Fixture Game\" showed") +
                                    (run.boGameShot ? " (picture taken)" : ""));
                    for (const std::string& x : acted)
                        t.push_back("  " + x);
                    acted.clear();
                }
            }
        }
        for (const std::string& e : s.pluginErrors)
            t.push_back("  plug-in   " + e);
    }
    for (; ulNote < run.notes.size(); ++ulNote)
        t.push_back(server(run.notes[ulNote]));
    for (const std::string& x : acted)
        t.push_back("  " + x);
    for (const std::string& x : run.boxes)
        t.push_back("  box       " + x);
    t.push_back(run.leftRunning.empty() ? "  programs  every program of the suite has ended"
                                        : "  programs  still running and killed: " +
                                              [&]
                                              {
                                                  std::string s;
                                                  for (const std::string& n : run.leftRunning)
                                                      s += n + " ";
                                                  return s;
                                              }());
    return run;
}
} // namespace FdRoadScene
