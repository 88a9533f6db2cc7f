// FakePlug.exe: a launch plug for tests (class "FdTestbed.FakePlug.1"). It logs
// each call as a line of the file FD_FAKEPLUG_LOG and, through its container,
// what the launcher answers. UpdateGameList gives every version of the list
// FD_FAKEPLUG_VOLUMES installations (default 1); CheckGameList marks the
// versions with installations found and the others absent. A method's long
// answer is taken from FD_FAKEPLUG_ANSWER_<method> when set (for one,
// FD_FAKEPLUG_ANSWER_PreLaunchGame=0). The interfaces are marshalled by the
// launcher's type library.
#include "FdBstr.h"
#include "FdComModule.h"
#include "FdComObject.h"
#include "LudexLib.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
// {3B1C5E0A-7D4F-4E21-9C55-2E8A6B0D9F13}
const CLSID CLSID_FakePlug = {0x3b1c5e0a, 0x7d4f, 0x4e21, {0x9c, 0x55, 0x2e, 0x8a, 0x6b, 0x0d, 0x9f, 0x13}};
// {8F0D2C64-51B3-4A7E-A1D9-6C3E0F4B2A57}
const GUID APPID_FakePlug = {0x8f0d2c64, 0x51b3, 0x4a7e, {0xa1, 0xd9, 0x6c, 0x3e, 0x0f, 0x4b, 0x2a, 0x57}};
const DWORD kIdleExitMs = 10;

std::string Env(const char* name)
{
    char value[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(name, value, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(value, n) : std::string();
}

void Log(const std::string& line)
{
    const std::string path = Env("FD_FAKEPLUG_LOG");
    if (path.empty())
        return;
    if (FILE* f = std::fopen(path.c_str(), "ab"))
    {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Text(BSTR bstr)
{
    std::string text = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return text;
}

class CFakePlug : public FdCom::CObjectRoot, public ILudexPlug
{
public:
    FD_COM_BEGIN_MAP(CFakePlug, ILudexPlug)
    FD_COM_ENTRY(ILudexPlug)
    FD_COM_END_MAP()

    CFakePlug() { Log("Create"); }
    ~CFakePlug() override
    {
        Log("Release");
        if (m_container)
            m_container->Release();
    }

    STDMETHODIMP Init(ILudexPlugContainer* container) override
    {
        if (m_container)
            m_container->Release();
        m_container = container;
        if (m_container)
            m_container->AddRef();
        Log(std::string("Init|") + (container ? "container" : "none"));
        if (!m_container)
            return S_OK;
        // What the container answers, once per plug.
        IUnknown* object = nullptr;
        HRESULT hr = m_container->GetLudexObject(FdCom::CBstr("ludexxml").bstr(), nullptr, 0, &object);
        Log("GetLudexObject|ludexxml|" + std::to_string(hr) + "|" + (object ? "object" : "null"));
        if (object)
        {
            ILudexXml* xml = nullptr;
            object->QueryInterface(IID_ILudexXml, reinterpret_cast<void**>(&xml));
            Log(std::string("LudexXml|") + (xml ? "yes" : "no"));
            if (xml)
                xml->Release();
            object->Release();
        }
        object = nullptr;
        hr = m_container->GetLudexObject(FdCom::CBstr("other").bstr(), nullptr, 0, &object);
        Log("GetLudexObject|other|" + std::to_string(hr) + "|" + (object ? "object" : "null"));
        long sent = -1;
        m_container->SendBstrData(FdCom::CBstr("dbg").bstr(), FdCom::CBstr("plug:Fake").bstr(),
                                  FdCom::CBstr("DBG").bstr(), FdCom::CBstr("hello from the plug").bstr(), 0,
                                  &sent);
        Log("SendBstrData|" + std::to_string(sent));
        BSTR value = nullptr;
        long found = -1;
        m_container->GetItemTankValue(FdCom::CBstr("server").bstr(), &value, &found);
        Log("GetItemTankValue|server|" + std::to_string(found) + "|" + Text(value));
        BSTR text = FdCom::CBstr("[%lgame.gid%]").bstrDetach();
        long count = -1;
        m_container->StrContextVarsUpdate(nullptr, &text, &count);
        Log("StrContextVarsUpdate|none|" + std::to_string(count) + "|" + Text(text));
        return S_OK;
    }
    STDMETHODIMP PreLaunchGame(IZeltoGame**, long* lFlags) override
    {
        return Answer("PreLaunchGame", lFlags, 1);
    }
    STDMETHODIMP LaunchGame(IZeltoGame**, long* lFlags) override { return Answer("LaunchGame", lFlags, 1); }
    STDMETHODIMP PostLaunchGame(IZeltoGame**, long* lFlags) override
    {
        return Answer("PostLaunchGame", lFlags, 1);
    }
    STDMETHODIMP KillGame(long* lFlags) override { return Answer("KillGame", lFlags, 1); }
    STDMETHODIMP IsGameRunning(long* lFlag) override { return Answer("IsGameRunning", lFlag, 0); }
    STDMETHODIMP Configure(long* lFlag) override { return Answer("Configure", lFlag, 1); }
    STDMETHODIMP Terminate() override
    {
        Log("Terminate");
        return S_OK;
    }
    STDMETHODIMP ExecVerb(BSTR, BSTR, long* lRetVal) override { return Answer("ExecVerb", lRetVal, 0); }
    STDMETHODIMP GetRunningGameInfo(BSTR, long, BSTR*, long*, long* lRet) override
    {
        return Answer("GetRunningGameInfo", lRet, 0);
    }

    STDMETHODIMP CheckGameList(IZeltoGameList** pGameList, long* lFlags) override
    {
        int versions = 0;
        ForEachVersion(pGameList,
                       [&](IZeltoGameVersion* version)
                       {
                           long volumes = 0;
                           version->GetContextDictionnaryVolumeCount(&volumes);
                           IZeltoGameVersionContextData* context = nullptr;
                           version->GetGameVersionContextData(&context);
                           if (context)
                           {
                               context->SetLocalInstalStatus(volumes > 0 ? 1 : -1);
                               context->Release();
                           }
                           ++versions;
                       });
        Log("CheckGameList|" + std::to_string(versions));
        return Answer(nullptr, lFlags, 0);
    }

    STDMETHODIMP UpdateGameList(IZeltoGameList** pGameList, long* lFlags) override
    {
        const std::string wanted = Env("FD_FAKEPLUG_VOLUMES");
        const int volumes = wanted.empty() ? 1 : std::atoi(wanted.c_str());
        int versions = 0;
        std::string expanded;
        ForEachVersion(pGameList,
                       [&](IZeltoGameVersion* version)
                       {
                           for (int i = 1; i <= volumes; ++i)
                           {
                               IZeltoGenericEnumerator* volume = nullptr;
                               version->CreateContextDictionnaryVolume(
                                   FdCom::CBstr("inst" + std::to_string(i)).bstr(), &volume);
                               if (!volume)
                                   continue;
                               volume->SetAt(FdCom::CBstr("path").bstr(),
                                             FdCom::CBstr("C:\\Games\\" + std::to_string(i)).bstr());
                               if (expanded.empty() && m_container)
                               {
                                   BSTR text = FdCom::CBstr("run [%path%]").bstrDetach();
                                   long count = -1;
                                   m_container->StrContextVarsUpdate(volume, &text, &count);
                                   expanded = std::to_string(count) + "|" + Text(text);
                               }
                               volume->Release();
                           }
                           ++versions;
                       });
        Log("UpdateGameList|" + std::to_string(versions));
        if (!expanded.empty())
            Log("StrContextVarsUpdate|volume|" + expanded);
        return Answer(nullptr, lFlags, 0);
    }

private:
    HRESULT Answer(const char* name, long* out, long value)
    {
        if (name)
        {
            Log(name);
            const std::string wanted = Env((std::string("FD_FAKEPLUG_ANSWER_") + name).c_str());
            if (!wanted.empty())
                value = std::atol(wanted.c_str());
        }
        if (out)
            *out = value;
        return S_OK;
    }

    template <class F> static void ForEachVersion(IZeltoGameList** pGameList, F each)
    {
        if (!pGameList || !*pGameList)
            return;
        long games = 0;
        (*pGameList)->Count(&games);
        for (long g = 0; g < games; ++g)
        {
            IZeltoGame* game = nullptr;
            (*pGameList)->GetAt(g, &game);
            if (!game)
                continue;
            IZeltoGameVersionList* list = nullptr;
            game->GetGameVersions(&list);
            long count = 0;
            if (list)
                list->Count(&count);
            for (long v = 0; v < count; ++v)
            {
                IZeltoGameVersion* version = nullptr;
                list->GetAt(v, &version);
                if (version)
                {
                    each(version);
                    version->Release();
                }
            }
            if (list)
                list->Release();
            game->Release();
        }
    }

    ILudexPlugContainer* m_container = nullptr;
};

HRESULT hrCreateFakePlug(REFIID riid, void** ppv)
{
    return FdCom::TComObject<CFakePlug>::hrCreate(riid, ppv);
}

const FdCom::SClassEntry g_classes[] = {{&CLSID_FakePlug, hrCreateFakePlug, "FakePlug Class",
                                         "FdTestbed.FakePlug.1", "FdTestbed.FakePlug", nullptr,
                                         REGCLS_MULTIPLEUSE, nullptr}};
const FdCom::SServerInfo g_info = {g_classes, 1, &APPID_FakePlug, "FakePlug", false};
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int)
{
    return FdCom::iLocalServerMain(g_info, pszCmdLine, kIdleExitMs);
}
