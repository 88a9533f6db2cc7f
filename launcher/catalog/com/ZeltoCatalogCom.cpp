#include "ZeltoCatalogCom.h"

#include <algorithm>
#include <vector>

#include "FdBstr.h"
#include "FdComBoundary.h"
#include "FdComObject.h"
#include "TextUtil.h"

namespace
{
// Every attached wrapper, in creation order (the launcher's main thread only).
class CWrapperLink;
std::vector<CWrapperLink*>& LiveWrappers()
{
    static std::vector<CWrapperLink*> live;
    return live;
}
uint64_t g_nNextSerial = 1;

class CWrapperLink
{
public:
    uint64_t Serial() const { return m_nSerial; }
    virtual void vDetach() = 0;

protected:
    void vRegister()
    {
        m_nSerial = g_nNextSerial++;
        LiveWrappers().push_back(this);
    }
    void vUnregister()
    {
        auto& live = LiveWrappers();
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
    }
    virtual ~CWrapperLink() = default;

private:
    uint64_t m_nSerial = 0;
};

// The engine object and the helpers every wrapper's methods share.
template <class E> class TWrapper : public FdCom::CObjectRoot, public CWrapperLink
{
public:
    explicit TWrapper(E* engine) : m_p(engine)
    {
        if (m_p)
            vRegister();
    }
    ~TWrapper() override { vDetach(); }
    void vDetach() override
    {
        if (m_p)
            vUnregister();
        m_p = nullptr;
    }
    E* Attached() const { return m_p; }

protected:
    // The string getters and setters are whole COM methods: nothing they throw goes out.
    HRESULT hrGet(BSTR* out, CStringExt E::*field) const
    {
        if (out)
            *out = nullptr;
        if (!m_p || !out)
            return S_FALSE;
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                *out = FdCom::CBstr(m_p->*field).bstrDetach();
                return S_OK;
            });
    }
    HRESULT hrSet(BSTR value, CStringExt E::*field)
    {
        if (!m_p)
            return S_FALSE;
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                m_p->*field = FdCom::strFromBstr(value);
                return S_OK;
            });
    }
    static HRESULT hrLong(long* out, long value)
    {
        if (!out)
            return S_FALSE;
        *out = value;
        return S_OK;
    }

    E* m_p;
};

// A new wrapper W of p as interface I; S_FALSE and null when p is null or the wrapper
// cannot be made.
template <class W, class I, class P> HRESULT hrWrap(P* p, I** out)
{
    if (!out)
        return S_FALSE;
    *out = nullptr;
    if (!p)
        return S_FALSE;
    const HRESULT hr = FdCom::hrGuard(
        [&] { return FdCom::TComObject<W>::hrCreate(__uuidof(I), reinterpret_cast<void**>(out), p); });
    return SUCCEEDED(hr) ? S_OK : S_FALSE;
}

class CZeltoGenericEnumeratorObj : public TWrapper<CZeltoGenericEnumerator>, public IZeltoGenericEnumerator
{
public:
    using TWrapper::TWrapper;
    FD_COM_BEGIN_MAP(CZeltoGenericEnumeratorObj, IZeltoGenericEnumerator)
    FD_COM_ENTRY(IZeltoGenericEnumerator)
    FD_COM_END_MAP()

    STDMETHODIMP Count(long* lRet) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lRet)
                    *lRet = 0;
                return m_p ? hrLong(lRet, m_p->Count()) : S_FALSE;
            });
    }
    STDMETHODIMP RemoveAll() override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                m_p->RemoveAll();
                return S_OK;
            });
    }
    STDMETHODIMP RemoveAt(BSTR bsParam) override
    {
        return FdCom::hrGuard([&]() -> HRESULT
                              { return m_p && m_p->RemoveAt(FdCom::strFromBstr(bsParam)) ? S_OK : S_FALSE; });
    }
    STDMETHODIMP SetAt(BSTR bsParam, BSTR bsValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                m_p->SetAt(FdCom::strFromBstr(bsParam), FdCom::strFromBstr(bsValue));
                return S_OK;
            });
    }
    STDMETHODIMP GetAt(BSTR bsParam, BSTR* bsRet) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsRet)
                    *bsRet = nullptr;
                if (!m_p || !bsRet)
                    return S_FALSE;
                *bsRet = FdCom::CBstr(m_p->GetAt(FdCom::strFromBstr(bsParam))).bstrDetach();
                return S_OK;
            });
    }
    STDMETHODIMP MoveToFirst() override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                m_p->MoveToFirst();
                return S_OK;
            });
    }
    STDMETHODIMP GetNext(BSTR* bsParam, BSTR* bsValue) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsParam)
                    *bsParam = nullptr;
                if (bsValue)
                    *bsValue = nullptr;
                if (!m_p || !bsParam || !bsValue)
                    return S_FALSE;
                CStringExt name, value;
                const bool found = m_p->GetNext(name, value);
                *bsParam = FdCom::CBstr(name).bstrDetach();
                *bsValue = FdCom::CBstr(value).bstrDetach();
                return found ? S_OK : S_FALSE;
            });
    }
};

class CZeltoGameTechDataObj : public TWrapper<CZeltoGameTechData>, public IZeltoGameTechData
{
public:
    using TWrapper::TWrapper;
    FD_COM_BEGIN_MAP(CZeltoGameTechDataObj, IZeltoGameTechData)
    FD_COM_ENTRY(IZeltoGameTechData)
    FD_COM_END_MAP()

    STDMETHODIMP GetPlugData(BSTR* pVal) override { return hrGet(pVal, &CZeltoGameTechData::plugData); }
    STDMETHODIMP GetRawData(BSTR* pVal) override { return hrGet(pVal, &CZeltoGameTechData::rawData); }
    STDMETHODIMP SetPlugData(BSTR bsVal) override { return hrSet(bsVal, &CZeltoGameTechData::plugData); }
    STDMETHODIMP SetRawData(BSTR bsVal) override { return hrSet(bsVal, &CZeltoGameTechData::rawData); }
};

class CZeltoGameVersionContextDataObj : public TWrapper<CZeltoGameVersionContextData>,
                                        public IZeltoGameVersionContextData
{
public:
    using TWrapper::TWrapper;
    FD_COM_BEGIN_MAP(CZeltoGameVersionContextDataObj, IZeltoGameVersionContextData)
    FD_COM_ENTRY(IZeltoGameVersionContextData)
    FD_COM_END_MAP()

    STDMETHODIMP GetLocalInstalStatus(long* pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (pVal)
                    *pVal = 0;
                return m_p ? hrLong(pVal, m_p->localInstallStatus) : S_FALSE;
            });
    }
    STDMETHODIMP GetLaunchMode(long* pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (pVal)
                    *pVal = 0;
                return m_p ? hrLong(pVal, m_p->launchMode) : S_FALSE;
            });
    }
    STDMETHODIMP SetLocalInstalStatus(long lVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                m_p->localInstallStatus = lVal;
                return S_OK;
            });
    }
    STDMETHODIMP SetLaunchMode(long lVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                m_p->launchMode = lVal;
                return S_OK;
            });
    }
    STDMETHODIMP GetLaunchVerb(BSTR* bsRet) override
    {
        return FdCom::hrGuard([&]() -> HRESULT
                              { return hrGet(bsRet, &CZeltoGameVersionContextData::launchVerb); });
    }
    STDMETHODIMP SetLaunchVerb(BSTR bsVerb) override
    {
        return FdCom::hrGuard([&]() -> HRESULT
                              { return hrSet(bsVerb, &CZeltoGameVersionContextData::launchVerb); });
    }
};

class CZeltoGameVersionObj : public TWrapper<CZeltoGameVersion>, public IZeltoGameVersion
{
public:
    using TWrapper::TWrapper;
    using V = CZeltoGameVersion;
    FD_COM_BEGIN_MAP(CZeltoGameVersionObj, IZeltoGameVersion)
    FD_COM_ENTRY(IZeltoGameVersion)
    FD_COM_END_MAP()

    STDMETHODIMP GetGameVersionContextData(IZeltoGameVersionContextData** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrWrap<CZeltoGameVersionContextDataObj>(m_p ? &m_p->contextData : nullptr, pVal); });
    }
    STDMETHODIMP GetGameVersionTechData(IZeltoGameTechData** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT { return hrWrap<CZeltoGameTechDataObj>(m_p ? &m_p->techData : nullptr, pVal); });
    }
    STDMETHODIMP GetLanguage(BSTR* pVal) override { return hrGet(pVal, &V::language); }
    STDMETHODIMP GetLowVersionName(BSTR* pVal) override { return hrGet(pVal, &V::lowVersionName); }
    STDMETHODIMP GetOperatingSystem(BSTR* pVal) override { return hrGet(pVal, &V::operatingSystem); }
    STDMETHODIMP GetSubVersion(BSTR* pVal) override { return hrGet(pVal, &V::subVersion); }
    STDMETHODIMP GetVersionID(BSTR* pVal) override { return hrGet(pVal, &V::id); }
    STDMETHODIMP GetVersionName(BSTR* pVal) override { return hrGet(pVal, &V::name); }
    STDMETHODIMP GetXtraParameters(IZeltoGenericEnumerator** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrWrap<CZeltoGenericEnumeratorObj>(m_p ? &m_p->extraParameters : nullptr, pVal); });
    }
    STDMETHODIMP SetLanguage(BSTR bsVal) override { return hrSet(bsVal, &V::language); }
    STDMETHODIMP SetLowVersionName(BSTR bsVal) override { return hrSet(bsVal, &V::lowVersionName); }
    STDMETHODIMP SetOperatingSystem(BSTR bsVal) override { return hrSet(bsVal, &V::operatingSystem); }
    STDMETHODIMP SetSubVersion(BSTR bsVal) override { return hrSet(bsVal, &V::subVersion); }
    STDMETHODIMP SetVersionID(BSTR bsVal) override { return hrSet(bsVal, &V::id); }
    STDMETHODIMP SetVersionName(BSTR bsVal) override { return hrSet(bsVal, &V::name); }
    STDMETHODIMP GetVersionNumber(BSTR* pVal) override { return hrGet(pVal, &V::number); }
    STDMETHODIMP SetVersionNumber(BSTR bsVal) override { return hrSet(bsVal, &V::number); }
    STDMETHODIMP GetVersionDescription(BSTR* pVal) override { return hrGet(pVal, &V::description); }
    STDMETHODIMP SetVersionDescription(BSTR bsVal) override { return hrSet(bsVal, &V::description); }
    STDMETHODIMP GetContextDictionnaryVolume(BSTR bsVolumeName, IZeltoGenericEnumerator** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                CGameVolume* volume = m_p ? m_p->FindVolume(FdCom::strFromBstr(bsVolumeName)) : nullptr;
                return hrWrap<CZeltoGenericEnumeratorObj>(volume ? &volume->pairs : nullptr, pVal);
            });
    }
    STDMETHODIMP GetContextDictionnaryVolumeAt(long lIndex, BSTR* bsVolumeName,
                                               IZeltoGenericEnumerator** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (bsVolumeName)
                    *bsVolumeName = nullptr;
                CGameVolume* volume = m_p ? m_p->VolumeAt(lIndex) : nullptr;
                if (volume && bsVolumeName)
                    *bsVolumeName = FdCom::CBstr(volume->name).bstrDetach();
                return hrWrap<CZeltoGenericEnumeratorObj>(volume ? &volume->pairs : nullptr, pVal);
            });
    }
    STDMETHODIMP GetContextDictionnaryVolumeCount(long* lCount) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (lCount)
                    *lCount = 0;
                return m_p ? hrLong(lCount, m_p->VolumeCount()) : S_FALSE;
            });
    }
    STDMETHODIMP CreateContextDictionnaryVolume(BSTR bsVolumeName, IZeltoGenericEnumerator** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                CGameVolume* volume = m_p ? m_p->CreateVolume(FdCom::strFromBstr(bsVolumeName)) : nullptr;
                return hrWrap<CZeltoGenericEnumeratorObj>(volume ? &volume->pairs : nullptr, pVal);
            });
    }
    STDMETHODIMP RemoveAllContextDictionnaryVolume(BSTR bsVolumeToKeep) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (!m_p)
                    return S_FALSE;
                // Wrappers of the volumes removed must not reach them any more.
                for (const auto& volume : m_p->volumes)
                    if (!EqualsNoCaseName(volume->name, bsVolumeToKeep))
                        vDetachWrappersOf(&volume->pairs);
                m_p->RemoveAllVolumesBut(FdCom::strFromBstr(bsVolumeToKeep));
                return S_OK;
            });
    }
    STDMETHODIMP SetIconFile(BSTR bIconFile) override { return hrSet(bIconFile, &V::iconFile); }
    STDMETHODIMP GetIconFile(BSTR* bIconFile) override { return hrGet(bIconFile, &V::iconFile); }

private:
    static bool EqualsNoCaseName(const CStringExt& name, BSTR other);
    static void vDetachWrappersOf(const void* engine);
};

class CZeltoGameVersionListObj : public TWrapper<CZeltoGameVersionList>, public IZeltoGameVersionList
{
public:
    using TWrapper::TWrapper;
    FD_COM_BEGIN_MAP(CZeltoGameVersionListObj, IZeltoGameVersionList)
    FD_COM_ENTRY(IZeltoGameVersionList)
    FD_COM_END_MAP()

    STDMETHODIMP Count(long* pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (pVal)
                    *pVal = 0;
                return m_p ? hrLong(pVal, m_p->Count()) : S_FALSE;
            });
    }
    STDMETHODIMP GetAt(long lIndex, IZeltoGameVersion** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrWrap<CZeltoGameVersionObj>(m_p ? m_p->GetAt(lIndex) : nullptr, pVal); });
    }
};

class CZeltoGameObj : public TWrapper<CZeltoGame>, public IZeltoGame
{
public:
    using TWrapper::TWrapper;
    using G = CZeltoGame;
    FD_COM_BEGIN_MAP(CZeltoGameObj, IZeltoGame)
    FD_COM_ENTRY(IZeltoGame)
    FD_COM_END_MAP()

    STDMETHODIMP GetGameDescription(BSTR* pVal) override { return hrGet(pVal, &G::description); }
    STDMETHODIMP GetGameName(BSTR* pVal) override { return hrGet(pVal, &G::name); }
    STDMETHODIMP GetGameID(BSTR* pVal) override { return hrGet(pVal, &G::id); }
    STDMETHODIMP GetGameTechData(IZeltoGameTechData** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT { return hrWrap<CZeltoGameTechDataObj>(m_p ? &m_p->techData : nullptr, pVal); });
    }
    STDMETHODIMP GetGameVersions(IZeltoGameVersionList** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrWrap<CZeltoGameVersionListObj>(m_p ? m_p->versions.get() : nullptr, pVal); });
    }
    STDMETHODIMP GetXtraParameters(IZeltoGenericEnumerator** pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            { return hrWrap<CZeltoGenericEnumeratorObj>(m_p ? &m_p->extraParameters : nullptr, pVal); });
    }
    STDMETHODIMP SetGameDescription(BSTR bsVal) override { return hrSet(bsVal, &G::description); }
    STDMETHODIMP SetGameName(BSTR bsVal) override { return hrSet(bsVal, &G::name); }
    STDMETHODIMP SetGameID(BSTR bsVal) override { return hrSet(bsVal, &G::id); }
    STDMETHODIMP SetGameTechId(BSTR bsVal) override { return hrSet(bsVal, &G::technoId); }
    STDMETHODIMP GetGameTechId(BSTR* pVal) override { return hrGet(pVal, &G::technoId); }
    STDMETHODIMP GetGameSubID(BSTR* pVal) override { return hrGet(pVal, &G::subId); }
    STDMETHODIMP SetGameSubID(BSTR bsVal) override { return hrSet(bsVal, &G::subId); }
};

class CZeltoGameListObj : public TWrapper<CZeltoGameList>, public IZeltoGameList
{
public:
    using TWrapper::TWrapper;
    FD_COM_BEGIN_MAP(CZeltoGameListObj, IZeltoGameList)
    FD_COM_ENTRY(IZeltoGameList)
    FD_COM_END_MAP()

    STDMETHODIMP Count(long* pVal) override
    {
        return FdCom::hrGuard(
            [&]() -> HRESULT
            {
                if (pVal)
                    *pVal = 0;
                return m_p ? hrLong(pVal, m_p->Count()) : S_FALSE;
            });
    }
    STDMETHODIMP GetAt(long lIndex, IZeltoGame** pVal) override
    {
        return FdCom::hrGuard([&]() -> HRESULT
                              { return hrWrap<CZeltoGameObj>(m_p ? m_p->GetAt(lIndex) : nullptr, pVal); });
    }
};

bool CZeltoGameVersionObj::EqualsNoCaseName(const CStringExt& name, BSTR other)
{
    return EqualsNoCase(name, FdCom::strFromBstr(other));
}

void CZeltoGameVersionObj::vDetachWrappersOf(const void* engine)
{
    std::vector<CWrapperLink*> live = LiveWrappers();
    for (CWrapperLink* link : live)
        if (auto* enumerator = dynamic_cast<CZeltoGenericEnumeratorObj*>(link))
            if (enumerator->Attached() == engine)
                enumerator->vDetach();
}

template <class W, class I> HRESULT hrCreateDetached(REFIID riid, void** ppv)
{
    return FdCom::TComObject<W>::hrCreate(riid, ppv, nullptr);
}
} // namespace

CCatalogLease::CCatalogLease(CZeltoGameList* list) : m_nFirstSerial(g_nNextSerial)
{
    hrWrap<CZeltoGameListObj>(list, &m_pList);
}

CCatalogLease::CCatalogLease(CZeltoGame* game) : m_nFirstSerial(g_nNextSerial)
{
    hrWrap<CZeltoGameObj>(game, &m_pGame);
}

CCatalogLease::~CCatalogLease()
{
    // Detach first: a plug may still hold references to any of them.
    std::vector<CWrapperLink*> live = LiveWrappers();
    for (CWrapperLink* link : live)
        if (link->Serial() >= m_nFirstSerial)
            link->vDetach();
    if (m_pList)
        m_pList->Release();
    if (m_pGame)
        m_pGame->Release();
}

int32_t AttachedCatalogWrapperCount()
{
    return static_cast<int32_t>(LiveWrappers().size());
}

HRESULT hrCreateZeltoGameList(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameListObj, IZeltoGameList>(riid, ppv);
}
HRESULT hrCreateZeltoGame(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameObj, IZeltoGame>(riid, ppv);
}
HRESULT hrCreateZeltoGameTechData(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameTechDataObj, IZeltoGameTechData>(riid, ppv);
}
HRESULT hrCreateZeltoGameVersionList(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameVersionListObj, IZeltoGameVersionList>(riid, ppv);
}
HRESULT hrCreateZeltoGameVersion(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameVersionObj, IZeltoGameVersion>(riid, ppv);
}
HRESULT hrCreateZeltoGameVersionContextData(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGameVersionContextDataObj, IZeltoGameVersionContextData>(riid, ppv);
}
HRESULT hrCreateZeltoGenericEnumerator(REFIID riid, void** ppv)
{
    return hrCreateDetached<CZeltoGenericEnumeratorObj, IZeltoGenericEnumerator>(riid, ppv);
}
