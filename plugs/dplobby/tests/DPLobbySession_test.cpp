// The DirectPlay plug over a scripted lobby backend: the plug object, its helper and
// the lobby session in this process, with a recording container and a fake game.
#include "DPLobbySession.h"
#include "LudexPlug.h"
#include "LudexPlugDP.h"
#include "LudexPlugDPHelper.h"

#include "FakeCatalog.h"
#include "FdBstr.h"
#include "FdComObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace
{
// What the scripted backend answers and what it was asked.
struct SScript
{
    HRESULT createDP4 = S_OK;
    HRESULT createDP8 = S_OK;
    std::vector<GUID> addressTypes = {DPlay::DPAID_ServiceProvider, DPlay::DPAID_INet};
    bool dp8SettingsBuilt = true;
    HRESULT dp8Connect = S_OK;
    HRESULT run = S_OK;
    struct SMessage
    {
        DWORD flags;
        std::vector<BYTE> data;
    };
    std::deque<SMessage> queue;

    // Recorded.
    std::string addressHost;
    DWORD connectionFlags = 0;
    DWORD sessionFlags = 0;
    std::string sessionName, playerName;
    bool ran = false;
    int reallocations = 0;
    std::vector<SMessage> sent;
    IDP8LobbyHandler* handler = nullptr;
    SDP8Launch dp8Launch = {};
    bool dp8Connected = false;
    int dp4Releases = 0;
};

class CScriptedBackend final : public IDPLobbyBackend
{
public:
    explicit CScriptedBackend(std::shared_ptr<SScript> script) : m(std::move(script)) {}

    HRESULT hrCreateDP4() override { return m->createDP4; }
    void vReleaseDP4() override { ++m->dp4Releases; }
    HRESULT hrEnumAddressTypes(const GUID& sp, std::vector<GUID>& types) override
    {
        EXPECT_TRUE(IsEqualGUID(sp, DPlay::DPSPGUID_TCPIP));
        types = m->addressTypes;
        return S_OK;
    }
    HRESULT hrCreateCompoundAddress(const DPlay::DPCOMPOUNDADDRESSELEMENT* elements, DWORD count,
                                    void* address, DWORD* size) override
    {
        // The address is the host text element as it is.
        EXPECT_EQ(count, 2u);
        const DWORD needed = elements[1].dwDataSize;
        if (!address || *size < needed)
        {
            *size = needed;
            return DPlay::DPERR_BUFFERTOOSMALL;
        }
        std::memcpy(address, elements[1].lpData, needed);
        *size = needed;
        return S_OK;
    }
    HRESULT hrRunApplication(DWORD* appId, DPlay::DPLCONNECTION* c, HANDLE event) override
    {
        EXPECT_NE(event, nullptr);
        EXPECT_EQ(c->dwSize, sizeof(DPlay::DPLCONNECTION));
        m->ran = true;
        m->connectionFlags = c->dwFlags;
        m->sessionFlags = c->lpSessionDesc->dwFlags;
        m->sessionName = c->lpSessionDesc->lpszSessionNameA ? c->lpSessionDesc->lpszSessionNameA : "";
        m->playerName = c->lpPlayerName->lpszShortNameA;
        m->addressHost = static_cast<const char*>(c->lpAddress);
        *appId = 7;
        return m->run;
    }
    HRESULT hrReceiveLobbyMessage(DWORD appId, DWORD* flags, void* data, DWORD* size) override
    {
        EXPECT_EQ(appId, 7u);
        if (m->queue.empty())
            return DPlay::DPERR_NOMESSAGES;
        const SScript::SMessage& next = m->queue.front();
        if (*size < next.data.size())
        {
            ++m->reallocations;
            *size = static_cast<DWORD>(next.data.size());
            return DPlay::DPERR_BUFFERTOOSMALL;
        }
        *flags = next.flags;
        *size = static_cast<DWORD>(next.data.size());
        std::memcpy(data, next.data.data(), next.data.size());
        m->queue.pop_front();
        return S_OK;
    }
    HRESULT hrSendLobbyMessage(DWORD flags, DWORD, void* data, DWORD size) override
    {
        const BYTE* p = static_cast<const BYTE*>(data);
        m->sent.push_back({flags, std::vector<BYTE>(p, p + size)});
        return S_OK;
    }
    HRESULT hrCreateDP8(IDP8LobbyHandler* handler) override
    {
        m->handler = handler;
        return m->createDP8;
    }
    void vCloseDP8() override { m->handler = nullptr; }
    HRESULT hrConnectApplicationDP8(const SDP8Launch& launch, bool* settingsBuilt) override
    {
        *settingsBuilt = m->dp8SettingsBuilt;
        if (!m->dp8SettingsBuilt)
            return S_OK;
        m->dp8Launch = launch;
        m->dp8Connected = true;
        return m->dp8Connect;
    }

private:
    std::shared_ptr<SScript> m;
};

// ---- the container -----------------------------------------------------------------

class CRecordingContainer : public FdCom::CObjectRoot, public ILudexPlugContainer
{
public:
    FD_COM_BEGIN_MAP(CRecordingContainer, ILudexPlugContainer)
    FD_COM_ENTRY(ILudexPlugContainer)
    FD_COM_END_MAP()

    std::vector<std::string> sent; // verb|src|dest|data|flags

    // The calls this plug never makes fail the test.
    STDMETHODIMP GameOver(long) override { return hrUnexpected("GameOver"); }
    STDMETHODIMP StrContextVarsUpdate(IZeltoGenericEnumerator*, BSTR*, long* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP SendBstrData(BSTR verb, BSTR src, BSTR dest, BSTR data, long flags, long* ret) override
    {
        sent.push_back(FdCom::strFromBstr(verb) + "|" + FdCom::strFromBstr(src) + "|" +
                       FdCom::strFromBstr(dest) + "|" + FdCom::strFromBstr(data) + "|" +
                       std::to_string(flags));
        *ret = 0;
        return S_OK;
    }
    STDMETHODIMP SendBinaryData(BSTR, BSTR, BSTR, SAFEARRAY*, long, long*) override
    {
        return hrUnexpected("SendBinaryData");
    }
    STDMETHODIMP GetItemTankValue(BSTR, BSTR*, long*) override { return hrUnexpected("GetItemTankValue"); }
    STDMETHODIMP PlugOut() override { return hrUnexpected("PlugOut"); }
    STDMETHODIMP ExecVerb(BSTR, BSTR, long*) override { return hrUnexpected("ExecVerb"); }
    STDMETHODIMP GetLudexObject(BSTR, BSTR, long, IUnknown** obj) override
    {
        *obj = nullptr;
        return S_FALSE;
    }

private:
    static HRESULT hrUnexpected(const char* method)
    {
        ADD_FAILURE() << "unexpected call ILudexPlugContainer::" << method;
        return E_UNEXPECTED;
    }
};

const char kDpinfo[] = "<dpinfo><GUID>{11111111-2222-3333-4444-555555555555}</GUID><NICK>Joueur</NICK>"
                       "<HOST ip=\"10.1.2.3\" port=\"2300\"/><sessionname>Partie</sessionname>"
                       "<resultscript>1 0 4 2 LD EP</resultscript>"
                       "<lverb type=\"H\">heberger</lverb><lverb type=\"J\">rejoindre</lverb></dpinfo>";

template <class T> struct CRef
{
    T* p = nullptr;
    ~CRef()
    {
        if (p)
            p->Release();
    }
};

// One plug with a recording container over a fresh script.
class DPPlug : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        vSetLaunchState(kLaunchNone);
        script = std::make_shared<SScript>();
        auto s = script;
        vSetLobbyBackendFactory([s] { return std::make_unique<CScriptedBackend>(s); });
        ASSERT_EQ(FdCom::TComObject<CRecordingContainer>::hrCreateObject(&container), S_OK);
        ASSERT_EQ(FdCom::TComObject<CLudexPlugDP>::hrCreate(IID_ILudexPlug, reinterpret_cast<void**>(&plug)),
                  S_OK);
        plug->Init(container);
    }
    void TearDown() override
    {
        if (plug)
            plug->Release();
        static_cast<ILudexPlugContainer*>(container)->Release();
        vSetLobbyBackendFactory(nullptr);
        EXPECT_EQ(FdCom::CModule::Get().lLockCount(), 0);
        CoUninitialize();
    }

    long Call(HRESULT (ILudexPlug::*method)(IZeltoGame**, long*), IZeltoGame* game)
    {
        long out = -5;
        EXPECT_EQ((plug->*method)(&game, &out), S_OK);
        return out;
    }
    IZeltoGame* NewGame(const std::string& raw, const std::string& verb, long mode, long versions = 1)
    {
        IZeltoGame* game = nullptr;
        std::vector<FakeCatalog::Version> list(static_cast<size_t>(versions),
                                               FakeCatalog::NewVersion(raw, verb, mode));
        FakeCatalog::hrNew<FakeCatalog::CGame>(&game, list);
        return game;
    }
    long Running()
    {
        long out = -5;
        plug->IsGameRunning(&out);
        return out;
    }

    std::shared_ptr<SScript> script;
    CRecordingContainer* container = nullptr;
    ILudexPlug* plug = nullptr;
};

std::vector<BYTE> Bytes(std::initializer_list<BYTE> list)
{
    return std::vector<BYTE>(list);
}

std::vector<BYTE> SystemMessage(DWORD type)
{
    std::vector<BYTE> data(sizeof(DPlay::DPLMSG_GETPROPERTY), 0);
    std::memcpy(data.data(), &type, 4);
    return data;
}
} // namespace

TEST_F(DPPlug, HostLaunchThenGameMessagesUntilTheGameEnds)
{
    CRef<IZeltoGame> game{NewGame(kDpinfo, "HEBERGER", 2)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    // The main loop now waits on the session's event.
    HANDLE event = hDuplicateRegisteredEvent();
    EXPECT_NE(event, nullptr);
    if (event)
        CloseHandle(event);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 1);
    ASSERT_TRUE(script->ran);
    EXPECT_EQ(script->connectionFlags, DPlay::DPLCONNECTION_CREATESESSION);
    EXPECT_EQ(script->sessionFlags, DPlay::DPSESSION_MIGRATEHOST);
    EXPECT_EQ(script->addressHost, "10.1.2.3");
    EXPECT_EQ(script->sessionName, "Partie");
    EXPECT_EQ(script->playerName, "Joueur");
    EXPECT_EQ(Running(), 1);

    // A game message, one larger than the first buffer, the end, and one more.
    std::vector<BYTE> big(5000, 0x11);
    script->queue.push_back({0, Bytes({0xAA, 0xBB, 0xCC, 0xDD, 0x2A, 0x00, 0x00, 0x00})});
    script->queue.push_back({0, big});
    script->queue.push_back({DPlay::DPLMSG_SYSTEM, SystemMessage(DPlay::DPLSYS_APPTERMINATED)});
    script->queue.push_back({0, Bytes({0, 0, 0, 0, 1, 0, 0, 0})});
    vServeRegisteredSession(); // what the main loop does when the event fires

    EXPECT_EQ(script->reallocations, 1);
    EXPECT_EQ(script->queue.size(), 1u); // the end stopped the loop
    EXPECT_EQ(lGetLaunchState(), kLaunchEnded);
    EXPECT_EQ(Running(), 0);
    ASSERT_EQ(container->sent.size(), 2u);
    EXPECT_EQ(container->sent[0], "SEND|DP_PLUG|ZDP|002B000Aac=ScInfo00006blid=0000Bprop=1=E420|0");
    EXPECT_NE(container->sent[1].find("000Aac=ScInfo0"), std::string::npos);
    EXPECT_NE(container->sent[1].find("prop=1=E286331153"), std::string::npos); // 0x11111111

    long out = -5;
    plug->KillGame(&out);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(script->dp4Releases, 1);
    EXPECT_EQ(hDuplicateRegisteredEvent(), nullptr); // unregistered
    EXPECT_EQ(Call(&ILudexPlug::PostLaunchGame, game.p), 1);
    // The helper is gone: the next calls do nothing.
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), -5);
    EXPECT_EQ(Running(), 0);
}

TEST_F(DPPlug, JoinAndPropertyAnswers)
{
    CRef<IZeltoGame> game{NewGame(kDpinfo, "autre", 2)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 1);
    EXPECT_EQ(script->connectionFlags, DPlay::DPLCONNECTION_JOINSESSION);
    EXPECT_EQ(script->sessionFlags, 0u);

    DPlay::DPLMSG_GETPROPERTY get = {};
    get.dwType = DPlay::DPLSYS_GETPROPERTY;
    get.dwRequestID = 33;
    get.guidPropertyTag = DPlay::DPLPROPERTY_PlayerGuid;
    std::vector<BYTE> request(sizeof get);
    std::memcpy(request.data(), &get, sizeof get);
    script->queue.push_back({DPlay::DPLMSG_STANDARD, request});
    get.dwType = DPlay::DPLSYS_SETPROPERTY;
    std::memcpy(request.data(), &get, sizeof get);
    script->queue.push_back({DPlay::DPLMSG_STANDARD, request});
    script->queue.push_back({DPlay::DPLMSG_SYSTEM, SystemMessage(DPlay::DPLSYS_DPLAYCONNECTFAILED)});
    vServeRegisteredSession();

    ASSERT_EQ(script->sent.size(), 2u);
    DPlay::DPLMSG_GETPROPERTYRESPONSE answer;
    ASSERT_GE(script->sent[0].data.size(), offsetof(DPlay::DPLMSG_GETPROPERTYRESPONSE, dwPropertyData) + 20);
    std::memcpy(&answer, script->sent[0].data.data(),
                offsetof(DPlay::DPLMSG_GETPROPERTYRESPONSE, dwPropertyData));
    EXPECT_EQ(script->sent[0].flags, DPlay::DPLMSG_STANDARD);
    EXPECT_EQ(answer.dwType, DPlay::DPLSYS_GETPROPERTYRESPONSE);
    EXPECT_EQ(answer.dwRequestID, 33u);
    EXPECT_EQ(answer.dwDataSize, 20u);
    DPlay::DPLMSG_SETPROPERTYRESPONSE setAnswer;
    ASSERT_EQ(script->sent[1].data.size(), sizeof setAnswer);
    std::memcpy(&setAnswer, script->sent[1].data.data(), sizeof setAnswer);
    EXPECT_EQ(setAnswer.dwType, DPlay::DPLSYS_SETPROPERTYRESPONSE);
    EXPECT_EQ(setAnswer.hr, DPlay::DPERR_UNAVAILABLE);
    EXPECT_EQ(lGetLaunchState(), kLaunchNone); // connection failed
}

TEST_F(DPPlug, NoTcpIpAddressTypeGives402)
{
    script->addressTypes = {DPlay::DPAID_ServiceProvider};
    CRef<IZeltoGame> game{NewGame(kDpinfo, "heberger", 0)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 402);
    EXPECT_FALSE(script->ran);
    EXPECT_EQ(Running(), 0);
}

TEST_F(DPPlug, OnlyTheFirst50AddressTypesCount)
{
    script->addressTypes.assign(50, DPlay::DPAID_ServiceProvider);
    script->addressTypes.push_back(DPlay::DPAID_INet); // the 51st: ignored
    CRef<IZeltoGame> game{NewGame(kDpinfo, "heberger", 0)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 402);
    plug->Init(container);
    script->addressTypes.erase(script->addressTypes.begin()); // now the 50th
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 1);
}

TEST_F(DPPlug, FailuresAndTheirCodes)
{
    // No description: a plain failure.
    CRef<IZeltoGame> noText{NewGame("", "x", 1)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, noText.p), 0);
    CRef<IZeltoGame> twoVersions{NewGame(kDpinfo, "x", 1, 2)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, twoVersions.p), 0);
    // The application cannot be run: 403, and nothing runs.
    CRef<IZeltoGame> game{NewGame(kDpinfo, "x", 1)};
    script->run = static_cast<HRESULT>(0x88770154); // not registered
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 403);
    EXPECT_EQ(Running(), 0);
    // The objects cannot be created: 401.
    plug->Init(container);
    script->createDP4 = E_FAIL;
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 401);
}

TEST_F(DPPlug, DirectPlay8)
{
    const std::string dp8 = "<dpinfo><GUID>{11111111-2222-3333-4444-555555555555}</GUID><NICK>J8</NICK>"
                            "<DX8 port=\"6073\"/><HOST ip=\"h.example\"/></dpinfo>";
    CRef<IZeltoGame> game{NewGame(dp8, "x", 1)};
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 1);
    ASSERT_TRUE(script->dp8Connected);
    EXPECT_TRUE(script->dp8Launch.host);
    EXPECT_EQ(script->dp8Launch.port, 6073u);
    EXPECT_EQ(script->dp8Launch.playerName, "J8");
    EXPECT_EQ(Running(), 1);
    ASSERT_NE(script->handler, nullptr);
    script->handler->vOnLobbyMessage(DPlay::DPL_MSGID_DISCONNECT);
    EXPECT_EQ(Running(), 0);
    script->handler->vOnLobbyMessage(DPlay::DPL_MSGID_CONNECT);
    EXPECT_EQ(Running(), 1);
    long out = -5;
    plug->KillGame(&out);
    EXPECT_EQ(script->handler, nullptr); // closed
    EXPECT_EQ(Running(), 0);

    // Settings that cannot be built: a failure with 10003, nothing connected.
    plug->Init(container);
    script->dp8SettingsBuilt = false;
    script->dp8Connected = false;
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 1);
    EXPECT_EQ(Call(&ILudexPlug::LaunchGame, game.p), 403);
    EXPECT_FALSE(script->dp8Connected);
    // The peer and lobby client cannot be made: 401.
    plug->Init(container);
    script->createDP8 = E_NOINTERFACE;
    EXPECT_EQ(Call(&ILudexPlug::PreLaunchGame, game.p), 401);
}

TEST(DPPlugResult, Mapping)
{
    EXPECT_EQ(lMapDPResult(1, kDPErrAddress), 1);
    EXPECT_EQ(lMapDPResult(0, kDPErrOpen), 401);
    EXPECT_EQ(lMapDPResult(0, kDPErrAddress), 402);
    EXPECT_EQ(lMapDPResult(0, kDPErrRun), 403);
    EXPECT_EQ(lMapDPResult(0, 0), 0);
    EXPECT_EQ(lMapDPResult(0, 12345), 0);
}

TEST(DPPlugResult, WithoutInitEveryMethodDoesNothing)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        ILudexPlug* plug = nullptr;
        ASSERT_EQ(FdCom::TComObject<CLudexPlugDP>::hrCreate(IID_ILudexPlug, reinterpret_cast<void**>(&plug)),
                  S_OK);
        long out = -5;
        IZeltoGame* game = nullptr;
        plug->PreLaunchGame(&game, &out);
        plug->LaunchGame(&game, &out);
        plug->KillGame(&out);
        EXPECT_EQ(out, -5);
        plug->IsGameRunning(&out);
        EXPECT_EQ(out, 0);
        out = -5;
        plug->Configure(&out);
        EXPECT_EQ(out, 1);
        plug->Release();
    }
    CoUninitialize();
}

// Wine's DirectPlay 8 lobby client is a stub: the real backend must still go through
// opening, building the settings and closing without harm, and report what failed.
TEST(DPlay8Backend, RealClassesUnderWine)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    vSetLaunchState(kLaunchNone);
    {
        CDPLobbySession session(lpCreateDPlayxBackend());
        auto info = std::make_unique<CDPLaunchInfo>();
        info->dp8 = 1;
        info->host = 0;
        info->hostAddress = "127.0.0.1";
        info->port = 2302;
        info->nick = "J8";
        session.vSetLaunchInfo(std::move(info));
        const bool opened = session.boOpen();
        std::printf("DirectPlay 8 open: %d, error %lu\n", opened ? 1 : 0,
                    static_cast<unsigned long>(session.GetError()));
        if (opened)
        {
            const bool launched = session.boLaunch();
            std::printf("DirectPlay 8 launch: %d, error %lu, state %ld\n", launched ? 1 : 0,
                        static_cast<unsigned long>(session.GetError()), lGetLaunchState());
            EXPECT_EQ(lGetLaunchState(), launched ? kLaunchConnected : kLaunchNone);
        }
        else
            EXPECT_EQ(session.GetError(), static_cast<DWORD>(kDPErrOpen));
    }
    CoUninitialize();
}
