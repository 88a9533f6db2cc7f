#include "LudexPlugDPHelper.h"

#include <cstring>
#include <mutex>

#include "DPScan.h"
#include "DetectCatalog.h"
#include "FdBstr.h"
#include "FdComBoundary.h"
#include "PlugLudexXml.h"
#include "Registry.h"
#include "TextUtil.h"
#include "WinRegKey.h"

const CLSID CLSID_LudexPlugDPHelper = {
    0x680b301d, 0x69cf, 0x49a7, {0x84, 0x5f, 0x55, 0x28, 0xf7, 0x85, 0xb8, 0xb3}};

namespace
{
std::mutex g_factoryLock;
LobbyBackendFactory g_factory;

std::unique_ptr<IDPLobbyBackend> lpNewBackend()
{
    std::lock_guard<std::mutex> lock(g_factoryLock);
    return g_factory ? g_factory() : lpCreateDPlayxBackend();
}

std::string Take(BSTR bstr)
{
    std::string text = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return text;
}

const char kDebugKey[] = "HKEY_CURRENT_USER\\Software\\Zelto\\Ludex\\LudexPlugDP";
} // namespace

void vSetLobbyBackendFactory(LobbyBackendFactory factory)
{
    std::lock_guard<std::mutex> lock(g_factoryLock);
    g_factory = std::move(factory);
}

std::vector<SDPApplication> ReadDPApplications()
{
    std::vector<SDPApplication> applications;
    FdWin::CRegKey root;
    if (root.lOpen(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\DirectPlay\\Applications", KEY_READ) !=
        ERROR_SUCCESS)
        return applications;
    char name[256];
    for (DWORD index = 0;; ++index)
    {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(root.h(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        FdWin::CRegKey key;
        if (key.lOpen(root.h(), name, KEY_READ) != ERROR_SUCCESS)
            continue;
        SDPApplication application;
        char valueName[256];
        char data[1024];
        for (DWORD v = 0;; ++v)
        {
            DWORD valueNameSize = sizeof valueName;
            DWORD type = 0;
            DWORD dataSize = sizeof data - 1;
            const LONG result = RegEnumValueA(key.h(), v, valueName, &valueNameSize, nullptr, &type,
                                              reinterpret_cast<BYTE*>(data), &dataSize);
            if (result == ERROR_MORE_DATA)
                continue; // a value too long for a path or a GUID
            if (result != ERROR_SUCCESS)
                break;
            if (type != REG_SZ)
                continue;
            data[dataSize] = '\0';
            const std::string text(data);
            if (EqualsNoCase(valueName, "File"))
                application.file = text;
            else if (EqualsNoCase(valueName, "Path"))
                application.path = text;
            else if (EqualsNoCase(valueName, "Guid"))
                boParseGuidText(text, application.guid);
        }
        applications.push_back(application);
    }
    return applications;
}

CLudexPlugDPHelper::CLudexPlugDPHelper() : m_detector(m_host, *this, kDPVolumeName), m_session(lpNewBackend())
{
    if (EqualsNoCase(RegReadValue(kDebugKey, "LudexPlugDPDebugMode", ""), "1"))
    {
        m_log = std::make_unique<CConsoleLog>();
        m_log->boOpenConsole();
        *m_log << "LudexPlugCmdLine::XmlScript::WELCOME !" << std::endl;
        m_session.vSetTrace([this](const std::string& line) { vTrace(line); });
    }
}

CLudexPlugDPHelper::~CLudexPlugDPHelper()
{
    if (m_boSessionOpen)
        m_session.vClose();
    vCleanUp();
    m_session.vSetContainer(nullptr);
    if (m_container)
        m_container->Release();
    if (m_log)
        *m_log << "CLudexPlugDP::CLudexPlugDPHelper::BYE !" << std::endl;
}

void CLudexPlugDPHelper::vTrace(const std::string& line)
{
    if (m_log)
        *m_log << line << std::endl;
}

void CLudexPlugDPHelper::vSetContainer(ILudexPlugContainer* container)
{
    if (m_container)
        m_container->Release();
    m_container = container;
    if (m_container)
        m_container->AddRef();
    m_session.vSetContainer(m_container);
}

void CLudexPlugDPHelper::vCleanUp()
{
    m_ludexXml = FdWin::TComRef<ILudexXml>();
    m_session.vSetLaunchInfo(nullptr);
}

long CLudexPlugDPHelper::lListOperation(IZeltoGameList* list, bool check)
{
    if (!list)
        return 0;
    vCleanUp();
    m_ludexXml = lpGetLudexXml(m_container, nullptr);
    CComDetectGameList games(list);
    vScanDPApplications(ReadDPApplications(), games);
    if (check)
        m_detector.lCheckGameList(&games);
    else
        m_detector.lUpdateGameList(&games);
    m_detector.vReset();
    vCleanUp();
    return 1;
}

long CLudexPlugDPHelper::lCheckGameList(IZeltoGameList* list)
{
    return lListOperation(list, true);
}

long CLudexPlugDPHelper::lUpdateGameList(IZeltoGameList* list)
{
    return lListOperation(list, false);
}

long CLudexPlugDPHelper::lPreLaunchGame(IZeltoGame* game)
{
    vCleanUp();
    m_ludexXml = lpGetLudexXml(m_container, nullptr);
    if (!game)
        return 0;
    IZeltoGameVersionList* versions = nullptr;
    if (FAILED(game->GetGameVersions(&versions)) || !versions)
        return 0;
    long count = 0;
    versions->Count(&count);
    IZeltoGameVersion* version = nullptr;
    if (count == 1)
        versions->GetAt(0, &version);
    versions->Release();
    if (!version)
        return 0;
    auto info = std::make_unique<CDPLaunchInfo>();
    bool built = false;
    IZeltoGameTechData* tech = nullptr;
    if (SUCCEEDED(version->GetGameVersionTechData(&tech)) && tech)
    {
        BSTR raw = nullptr;
        tech->GetRawData(&raw);
        tech->Release();
        built = boBuildLaunchInfo(Take(raw), *info);
    }
    if (built)
    {
        IZeltoGameVersionContextData* context = nullptr;
        if (SUCCEEDED(version->GetGameVersionContextData(&context)) && context)
        {
            BSTR verb = nullptr;
            long mode = 0;
            context->GetLaunchVerb(&verb);
            context->GetLaunchMode(&mode);
            context->Release();
            vSetHostFlag(*info, Take(verb), static_cast<int32_t>(mode));
        }
    }
    version->Release();
    if (!built)
        return 0;
    vTrace(std::string("launch ") + FormatGuidText(info->appGuid) + (info->host ? " host" : " join"));
    m_session.vSetLaunchInfo(std::move(info));
    if (m_session.boOpen())
    {
        m_boSessionOpen = true;
        return 1;
    }
    vCleanUp();
    return 0;
}

long CLudexPlugDPHelper::lLaunchGame()
{
    if (m_session.boLaunch())
        return 1;
    vCleanUp();
    return 0;
}

long CLudexPlugDPHelper::lPostLaunchGame()
{
    vCleanUp();
    return 1;
}

long CLudexPlugDPHelper::lKillGame()
{
    if (m_boSessionOpen)
    {
        m_session.vClose();
        m_boSessionOpen = false;
    }
    return 1;
}

long CLudexPlugDPHelper::boExpandContextVars(std::string& text, IZeltoGameVersion* version)
{
    if (text.empty() || !m_container || !version)
        return 1;
    IZeltoGenericEnumerator* volume = nullptr;
    version->GetContextDictionnaryVolume(FdCom::CBstr(kDPVolumeName).bstr(), &volume);
    if (!volume)
        return 1;
    BSTR inout = FdCom::CBstr(text).bstrDetach();
    long count = 0;
    if (SUCCEEDED(m_container->StrContextVarsUpdate(volume, &inout, &count)))
        text = FdCom::strFromBstr(inout);
    SysFreeString(inout);
    volume->Release();
    return 1;
}

STDMETHODIMP CLudexPlugDPHelper::OnXmlPreProcessTag(BSTR, BSTR, BSTR*, long* bModif)
{
    return FdCom::hrGuard(
        [&]() -> HRESULT
        {
            if (bModif)
                *bModif = 0;
            return S_OK;
        });
}
