// The catalogue's COM wrappers in this process: what they answer, and leases that
// detach every wrapper made during a call.
#include "FdBstr.h"
#include "GameDefinitions.h"
#include "ZeltoCatalogCom.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
template <class I> struct TRef
{
    I* p = nullptr;
    TRef() = default;
    TRef(const TRef&) = delete;
    TRef& operator=(const TRef&) = delete;
    ~TRef()
    {
        if (p)
            p->Release();
    }
    I** pp()
    {
        if (p)
            p->Release();
        p = nullptr;
        return &p;
    }
    I* operator->() const { return p; }
};

std::string strOf(BSTR bstr)
{
    std::string s = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return s;
}

const char kGames[] = "<r><game xmlns=\"g.def\" gid=\"1\" gsub=\"s\" technoid=\"A\"><gname>Un</gname>"
                      "<gdesc>Le premier</gdesc><gtechdata><x/></gtechdata>"
                      "<version vnbr=\"1.0\" vid=\"v\"><vdd vddn=\"DP\"><vdi n=\"k\"><val>v</val></vdi></vdd>"
                      "</version></game>"
                      "<game xmlns=\"g.def\" gid=\"2\" technoid=\"B\"/><game xmlns=\"g.def\" gid=\"3\" technoid=\"a\"/></r>";

class ZeltoCatalogCom : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};
} // namespace

TEST_F(ZeltoCatalogCom, GameFieldsInTheirSlotsAndTheTechnologyFilter)
{
    auto list = ParseGameDefinitions(kGames, "g.def");
    CCatalogLease lease(list.get());
    ASSERT_NE(lease.GameList(), nullptr);
    long count = 0;
    EXPECT_EQ(S_OK, lease.GameList()->Count(&count));
    EXPECT_EQ(count, 3);
    TRef<IZeltoGame> game;
    ASSERT_EQ(S_OK, lease.GameList()->GetAt(0, game.pp()));
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, game->GetGameID(&text));
    EXPECT_EQ(strOf(text), "1");
    EXPECT_EQ(S_OK, game->GetGameDescription(&text));
    EXPECT_EQ(strOf(text), "Le premier");
    EXPECT_EQ(S_OK, game->GetGameName(&text));
    EXPECT_EQ(strOf(text), "Un");
    EXPECT_EQ(S_OK, game->SetGameSubID(FdCom::CBstr("t").bstr()));
    EXPECT_EQ(list->GetAt(0)->subId, "t");
    TRef<IZeltoGameTechData> tech;
    ASSERT_EQ(S_OK, game->GetGameTechData(tech.pp()));
    EXPECT_EQ(S_OK, tech->GetRawData(&text));
    EXPECT_EQ(strOf(text), "<x/>");

    list->SetTechnoFilter("A");
    EXPECT_EQ(S_OK, lease.GameList()->Count(&count));
    EXPECT_EQ(count, 2);
    ASSERT_EQ(S_OK, lease.GameList()->GetAt(1, game.pp()));
    EXPECT_EQ(S_OK, game->GetGameID(&text));
    EXPECT_EQ(strOf(text), "3");
    EXPECT_EQ(S_FALSE, lease.GameList()->GetAt(2, game.pp()));
    EXPECT_EQ(game.p, nullptr);
}

TEST_F(ZeltoCatalogCom, VersionsVolumesAndDictionaries)
{
    auto list = ParseGameDefinitions(kGames, "g.def");
    CCatalogLease lease(list.get());
    TRef<IZeltoGame> game;
    ASSERT_EQ(S_OK, lease.GameList()->GetAt(0, game.pp()));
    TRef<IZeltoGameVersionList> versions;
    ASSERT_EQ(S_OK, game->GetGameVersions(versions.pp()));
    TRef<IZeltoGameVersion> version;
    ASSERT_EQ(S_OK, versions->GetAt(0, version.pp()));
    EXPECT_EQ(S_FALSE, versions->GetAt(1, version.pp()));
    ASSERT_EQ(S_OK, versions->GetAt(0, version.pp()));

    TRef<IZeltoGenericEnumerator> dict, again;
    EXPECT_EQ(S_FALSE, version->GetContextDictionnaryVolume(FdCom::CBstr("none").bstr(), dict.pp()));
    ASSERT_EQ(S_OK, version->CreateContextDictionnaryVolume(FdCom::CBstr("Inst").bstr(), dict.pp()));
    ASSERT_EQ(S_OK, version->CreateContextDictionnaryVolume(FdCom::CBstr("INST").bstr(), again.pp()));
    EXPECT_EQ(S_OK, dict->SetAt(FdCom::CBstr("Key").bstr(), FdCom::CBstr("v").bstr()));
    EXPECT_EQ(S_OK, again->SetAt(FdCom::CBstr("KEY").bstr(), FdCom::CBstr("w").bstr()));
    BSTR name = nullptr, value = nullptr;
    EXPECT_EQ(S_OK, dict->GetAt(FdCom::CBstr("key").bstr(), &value));
    EXPECT_EQ(strOf(value), "");
    EXPECT_EQ(S_OK, dict->GetAt(FdCom::CBstr("KEY").bstr(), &value));
    EXPECT_EQ(strOf(value), "w");
    EXPECT_EQ(S_OK, dict->MoveToFirst());
    EXPECT_EQ(S_OK, dict->GetNext(&name, &value));
    EXPECT_EQ(strOf(name) + "=" + strOf(value), "KEY=w");
    EXPECT_EQ(S_FALSE, dict->GetNext(&name, &value));
    EXPECT_EQ(strOf(name) + strOf(value), "");

    long volumes = 0;
    EXPECT_EQ(S_OK, version->GetContextDictionnaryVolumeCount(&volumes));
    EXPECT_EQ(volumes, 2);
    EXPECT_EQ(S_OK, version->GetContextDictionnaryVolumeAt(0, &name, again.pp()));
    EXPECT_EQ(strOf(name), "DP");
    EXPECT_EQ(S_FALSE, version->GetContextDictionnaryVolumeAt(2, &name, again.pp()));

    TRef<IZeltoGameVersionContextData> context;
    ASSERT_EQ(S_OK, version->GetGameVersionContextData(context.pp()));
    EXPECT_EQ(S_OK, context->SetLocalInstalStatus(-1));
    EXPECT_EQ(list->GetAt(0)->versions->GetAt(0)->contextData.localInstallStatus, -1);

    // Removing the volumes detaches the wrappers of the ones removed.
    EXPECT_EQ(S_OK, version->RemoveAllContextDictionnaryVolume(FdCom::CBstr("nothing").bstr()));
    EXPECT_EQ(list->GetAt(0)->versions->GetAt(0)->VolumeCount(), 0);
    long n = 5;
    EXPECT_EQ(S_FALSE, dict->Count(&n));
    EXPECT_EQ(S_FALSE, dict->SetAt(FdCom::CBstr("a").bstr(), FdCom::CBstr("b").bstr()));
}

TEST_F(ZeltoCatalogCom, WrappersOfACallAreDetachedWhenItEnds)
{
    auto list = ParseGameDefinitions(kGames, "g.def");
    const int32_t before = AttachedCatalogWrapperCount();
    TRef<IZeltoGameList> kept;
    TRef<IZeltoGame> game;
    {
        CCatalogLease lease(list.get());
        kept.p = lease.GameList();
        kept.p->AddRef();
        ASSERT_EQ(S_OK, kept->GetAt(0, game.pp()));
        EXPECT_EQ(AttachedCatalogWrapperCount(), before + 2);
    }
    EXPECT_EQ(AttachedCatalogWrapperCount(), before);
    list.reset(); // the engine objects go; the plug still holds its wrappers
    long count = 9;
    EXPECT_EQ(S_FALSE, kept->Count(&count));
    BSTR text = SysAllocString(L"x");
    EXPECT_EQ(S_FALSE, game->GetGameID(&text));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(S_FALSE, game->SetGameID(FdCom::CBstr("y").bstr()));
    TRef<IZeltoGameVersionList> versions;
    EXPECT_EQ(S_FALSE, game->GetGameVersions(versions.pp()));
    EXPECT_EQ(versions.p, nullptr);
}

TEST_F(ZeltoCatalogCom, ClassTableObjectsAreDetached)
{
    using Create = HRESULT (*)(REFIID, void**);
    const struct
    {
        Create create;
        const IID* iid;
    } classes[] = {{hrCreateZeltoGameList, &IID_IZeltoGameList},
                   {hrCreateZeltoGame, &IID_IZeltoGame},
                   {hrCreateZeltoGameTechData, &IID_IZeltoGameTechData},
                   {hrCreateZeltoGameVersionList, &IID_IZeltoGameVersionList},
                   {hrCreateZeltoGameVersion, &IID_IZeltoGameVersion},
                   {hrCreateZeltoGameVersionContextData, &IID_IZeltoGameVersionContextData},
                   {hrCreateZeltoGenericEnumerator, &IID_IZeltoGenericEnumerator}};
    for (const auto& c : classes)
    {
        TRef<IUnknown> object;
        ASSERT_EQ(S_OK, c.create(*c.iid, reinterpret_cast<void**>(object.pp())));
    }
    TRef<IZeltoGenericEnumerator> dict;
    ASSERT_EQ(S_OK, hrCreateZeltoGenericEnumerator(IID_IZeltoGenericEnumerator, reinterpret_cast<void**>(dict.pp())));
    EXPECT_EQ(S_FALSE, dict->RemoveAll());
    TRef<IZeltoGameVersion> version;
    ASSERT_EQ(S_OK, hrCreateZeltoGameVersion(IID_IZeltoGameVersion, reinterpret_cast<void**>(version.pp())));
    EXPECT_EQ(S_FALSE, version->CreateContextDictionnaryVolume(FdCom::CBstr("x").bstr(), dict.pp()));
    EXPECT_EQ(dict.p, nullptr);
}
