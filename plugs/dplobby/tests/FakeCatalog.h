// A game catalogue for the plug's tests: games and versions whose state stays with the
// test (raw technical text, launch verb and mode, install status, context volumes).
#pragma once

#include "FdBstr.h"
#include "FdComObject.h"
#include "LudexLib.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace FakeCatalog
{
struct SVersion
{
    std::string raw;
    std::string plugData;
    std::string verb;
    long mode = 0;
    long status = 0;
    std::map<std::string, std::map<std::string, std::string>> volumes;
};
using Version = std::shared_ptr<SVersion>;

// A method the plug never calls: a call fails the test.
#define FD_UNEXPECTED(sig)                                                                                      \
    STDMETHODIMP sig override                                                                                \
    {                                                                                                        \
        ADD_FAILURE() << "unexpected call " #sig;                                                            \
        return E_UNEXPECTED;                                                                                 \
    }

template <class T, class I, class... A> HRESULT hrNew(I** out, A&&... args)
{
    return FdCom::TComObject<T>::hrCreate(__uuidof(I), reinterpret_cast<void**>(out),
                                          std::forward<A>(args)...);
}

class CVolume : public FdCom::CObjectRoot, public IZeltoGenericEnumerator
{
public:
    FD_COM_BEGIN_MAP(CVolume, IZeltoGenericEnumerator)
    FD_COM_ENTRY(IZeltoGenericEnumerator)
    FD_COM_END_MAP()
    CVolume(Version v, std::string name) : m_v(std::move(v)), m_name(std::move(name)) {}
    STDMETHODIMP SetAt(BSTR name, BSTR value) override
    {
        m_v->volumes[m_name][FdCom::strFromBstr(name)] = FdCom::strFromBstr(value);
        return S_OK;
    }
    FD_UNEXPECTED(Count(long*))
    FD_UNEXPECTED(RemoveAll())
    FD_UNEXPECTED(RemoveAt(BSTR))
    FD_UNEXPECTED(GetAt(BSTR, BSTR*))
    FD_UNEXPECTED(MoveToFirst())
    FD_UNEXPECTED(GetNext(BSTR*, BSTR*))
    Version m_v;
    std::string m_name;
};

class CTech : public FdCom::CObjectRoot, public IZeltoGameTechData
{
public:
    FD_COM_BEGIN_MAP(CTech, IZeltoGameTechData)
    FD_COM_ENTRY(IZeltoGameTechData)
    FD_COM_END_MAP()
    explicit CTech(Version v) : m_v(std::move(v)) {}
    STDMETHODIMP GetRawData(BSTR* p) override
    {
        *p = FdCom::CBstr(m_v->raw).bstrDetach();
        return S_OK;
    }
    STDMETHODIMP GetPlugData(BSTR* p) override
    {
        *p = FdCom::CBstr(m_v->plugData).bstrDetach();
        return S_OK;
    }
    STDMETHODIMP SetPlugData(BSTR b) override
    {
        m_v->plugData = FdCom::strFromBstr(b);
        return S_OK;
    }
    FD_UNEXPECTED(SetRawData(BSTR))
    Version m_v;
};

class CContext : public FdCom::CObjectRoot, public IZeltoGameVersionContextData
{
public:
    FD_COM_BEGIN_MAP(CContext, IZeltoGameVersionContextData)
    FD_COM_ENTRY(IZeltoGameVersionContextData)
    FD_COM_END_MAP()
    explicit CContext(Version v) : m_v(std::move(v)) {}
    STDMETHODIMP GetLaunchVerb(BSTR* p) override
    {
        *p = FdCom::CBstr(m_v->verb).bstrDetach();
        return S_OK;
    }
    STDMETHODIMP GetLaunchMode(long* p) override
    {
        *p = m_v->mode;
        return S_OK;
    }
    STDMETHODIMP GetLocalInstalStatus(long* p) override
    {
        *p = m_v->status;
        return S_OK;
    }
    STDMETHODIMP SetLocalInstalStatus(long s) override
    {
        m_v->status = s;
        return S_OK;
    }
    FD_UNEXPECTED(SetLaunchMode(long))
    FD_UNEXPECTED(SetLaunchVerb(BSTR))
    Version m_v;
};

class CVersion : public FdCom::CObjectRoot, public IZeltoGameVersion
{
public:
    FD_COM_BEGIN_MAP(CVersion, IZeltoGameVersion)
    FD_COM_ENTRY(IZeltoGameVersion)
    FD_COM_END_MAP()
    explicit CVersion(Version v) : m_v(std::move(v)) {}
    STDMETHODIMP GetGameVersionTechData(IZeltoGameTechData** p) override { return hrNew<CTech>(p, m_v); }
    STDMETHODIMP GetGameVersionContextData(IZeltoGameVersionContextData** p) override
    {
        return hrNew<CContext>(p, m_v);
    }
    STDMETHODIMP GetContextDictionnaryVolume(BSTR name, IZeltoGenericEnumerator** p) override
    {
        *p = nullptr;
        const std::string n = FdCom::strFromBstr(name);
        return m_v->volumes.count(n) ? hrNew<CVolume>(p, m_v, n) : S_OK;
    }
    STDMETHODIMP CreateContextDictionnaryVolume(BSTR name, IZeltoGenericEnumerator** p) override
    {
        const std::string n = FdCom::strFromBstr(name);
        m_v->volumes[n];
        return hrNew<CVolume>(p, m_v, n);
    }
    FD_UNEXPECTED(GetLanguage(BSTR*))
    FD_UNEXPECTED(GetLowVersionName(BSTR*))
    FD_UNEXPECTED(GetOperatingSystem(BSTR*))
    FD_UNEXPECTED(GetSubVersion(BSTR*))
    FD_UNEXPECTED(GetVersionID(BSTR*))
    FD_UNEXPECTED(GetVersionName(BSTR*))
    FD_UNEXPECTED(GetXtraParameters(IZeltoGenericEnumerator**))
    FD_UNEXPECTED(SetLanguage(BSTR))
    FD_UNEXPECTED(SetLowVersionName(BSTR))
    FD_UNEXPECTED(SetOperatingSystem(BSTR))
    FD_UNEXPECTED(SetSubVersion(BSTR))
    FD_UNEXPECTED(SetVersionID(BSTR))
    FD_UNEXPECTED(SetVersionName(BSTR))
    FD_UNEXPECTED(GetVersionNumber(BSTR*))
    FD_UNEXPECTED(SetVersionNumber(BSTR))
    FD_UNEXPECTED(GetVersionDescription(BSTR*))
    FD_UNEXPECTED(SetVersionDescription(BSTR))
    FD_UNEXPECTED(GetContextDictionnaryVolumeAt(long, BSTR*, IZeltoGenericEnumerator**))
    FD_UNEXPECTED(GetContextDictionnaryVolumeCount(long*))
    FD_UNEXPECTED(RemoveAllContextDictionnaryVolume(BSTR))
    FD_UNEXPECTED(SetIconFile(BSTR))
    FD_UNEXPECTED(GetIconFile(BSTR*))
    Version m_v;
};

class CVersionList : public FdCom::CObjectRoot, public IZeltoGameVersionList
{
public:
    FD_COM_BEGIN_MAP(CVersionList, IZeltoGameVersionList)
    FD_COM_ENTRY(IZeltoGameVersionList)
    FD_COM_END_MAP()
    explicit CVersionList(std::vector<Version> v) : m_v(std::move(v)) {}
    STDMETHODIMP Count(long* p) override
    {
        *p = static_cast<long>(m_v.size());
        return S_OK;
    }
    STDMETHODIMP GetAt(long i, IZeltoGameVersion** p) override
    {
        *p = nullptr;
        return i >= 0 && i < static_cast<long>(m_v.size()) ? hrNew<CVersion>(p, m_v[static_cast<size_t>(i)])
                                                           : E_INVALIDARG;
    }
    std::vector<Version> m_v;
};

class CGame : public FdCom::CObjectRoot, public IZeltoGame
{
public:
    FD_COM_BEGIN_MAP(CGame, IZeltoGame)
    FD_COM_ENTRY(IZeltoGame)
    FD_COM_END_MAP()
    explicit CGame(std::vector<Version> v) : m_v(std::move(v)) {}
    STDMETHODIMP GetGameVersions(IZeltoGameVersionList** p) override { return hrNew<CVersionList>(p, m_v); }
    FD_UNEXPECTED(GetGameDescription(BSTR*))
    FD_UNEXPECTED(GetGameName(BSTR*))
    FD_UNEXPECTED(GetGameID(BSTR*))
    FD_UNEXPECTED(GetGameTechData(IZeltoGameTechData**))
    FD_UNEXPECTED(GetXtraParameters(IZeltoGenericEnumerator**))
    FD_UNEXPECTED(SetGameDescription(BSTR))
    FD_UNEXPECTED(SetGameName(BSTR))
    FD_UNEXPECTED(SetGameID(BSTR))
    FD_UNEXPECTED(SetGameTechId(BSTR))
    FD_UNEXPECTED(GetGameTechId(BSTR*))
    FD_UNEXPECTED(GetGameSubID(BSTR*))
    FD_UNEXPECTED(SetGameSubID(BSTR))
    std::vector<Version> m_v;
};

class CGameList : public FdCom::CObjectRoot, public IZeltoGameList
{
public:
    FD_COM_BEGIN_MAP(CGameList, IZeltoGameList)
    FD_COM_ENTRY(IZeltoGameList)
    FD_COM_END_MAP()
    explicit CGameList(std::vector<std::vector<Version>> g) : m_g(std::move(g)) {}
    STDMETHODIMP Count(long* p) override
    {
        *p = static_cast<long>(m_g.size());
        return S_OK;
    }
    STDMETHODIMP GetAt(long i, IZeltoGame** p) override
    {
        *p = nullptr;
        return i >= 0 && i < static_cast<long>(m_g.size()) ? hrNew<CGame>(p, m_g[static_cast<size_t>(i)])
                                                           : E_INVALIDARG;
    }
    std::vector<std::vector<Version>> m_g;
};

inline Version NewVersion(std::string raw, std::string verb = "", long mode = 0, long status = 0)
{
    auto v = std::make_shared<SVersion>();
    v->raw = std::move(raw);
    v->verb = std::move(verb);
    v->mode = mode;
    v->status = status;
    return v;
}
} // namespace FakeCatalog
