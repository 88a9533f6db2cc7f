#include "DetectCatalog.h"

#include "FdBstr.h"

namespace
{
// The text a getter hands out; false when the call fails.
template <class F> bool boGetText(F get, std::string& text)
{
    BSTR value = nullptr;
    const HRESULT hr = get(&value);
    text = FdCom::strFromBstr(value);
    SysFreeString(value);
    return hr == S_OK;
}
} // namespace

void CComDetectVolume::SetAt(const std::string& name, const std::string& value)
{
    if (m_volume)
        m_volume->SetAt(FdCom::CBstr(name).bstr(), FdCom::CBstr(value).bstr());
}

FdWin::TComRef<IZeltoGameTechData> CComDetectVersion::TechData()
{
    FdWin::TComRef<IZeltoGameTechData> data;
    if (!m_version || m_version->GetGameVersionTechData(data.ppOut()) != S_OK)
        data.vReset();
    return data;
}

FdWin::TComRef<IZeltoGameVersionContextData> CComDetectVersion::ContextData()
{
    FdWin::TComRef<IZeltoGameVersionContextData> data;
    if (!m_version || m_version->GetGameVersionContextData(data.ppOut()) != S_OK)
        data.vReset();
    return data;
}

bool CComDetectVersion::boGetRawData(std::string& text)
{
    auto data = TechData();
    return data && boGetText([&](BSTR* out) { return data->GetRawData(out); }, text);
}

bool CComDetectVersion::boGetPlugData(std::string& text)
{
    auto data = TechData();
    return data && boGetText([&](BSTR* out) { return data->GetPlugData(out); }, text);
}

void CComDetectVersion::SetPlugData(const std::string& text)
{
    if (auto data = TechData())
        data->SetPlugData(FdCom::CBstr(text).bstr());
}

bool CComDetectVersion::boGetLocalInstalStatus(int32_t& status)
{
    auto data = ContextData();
    long value = 0;
    if (!data || data->GetLocalInstalStatus(&value) != S_OK)
        return false;
    status = static_cast<int32_t>(value);
    return true;
}

void CComDetectVersion::SetLocalInstalStatus(int32_t status)
{
    if (auto data = ContextData())
        data->SetLocalInstalStatus(status);
}

void CComDetectVersion::RemoveAllContextDictionnaryVolume()
{
    if (m_version)
        m_version->RemoveAllContextDictionnaryVolume(FdCom::CBstr("").bstr());
}

std::shared_ptr<IDetectVolume> CComDetectVersion::CreateContextDictionnaryVolume(const std::string& name)
{
    FdWin::TComRef<IZeltoGenericEnumerator> volume;
    if (!m_version ||
        m_version->CreateContextDictionnaryVolume(FdCom::CBstr(name).bstr(), volume.ppOut()) != S_OK ||
        !volume)
        return nullptr;
    return std::make_shared<CComDetectVolume>(volume.p());
}

std::shared_ptr<IDetectVolume> CComDetectVersion::GetContextDictionnaryVolume(const std::string& name)
{
    FdWin::TComRef<IZeltoGenericEnumerator> volume;
    if (!m_version ||
        m_version->GetContextDictionnaryVolume(FdCom::CBstr(name).bstr(), volume.ppOut()) != S_OK || !volume)
        return nullptr;
    return std::make_shared<CComDetectVolume>(volume.p());
}

void CComDetectVersion::SetIconFile(const std::string& path)
{
    if (m_version)
        m_version->SetIconFile(FdCom::CBstr(path).bstr());
}

int32_t CComDetectGameList::Count()
{
    long count = 0;
    if (!m_list || m_list->Count(&count) != S_OK || count < 0)
        return 0;
    return static_cast<int32_t>(count);
}

bool boGetComGameVersions(IZeltoGame* game, std::vector<FdWin::TComRef<IZeltoGameVersion>>& versions)
{
    versions.clear();
    FdWin::TComRef<IZeltoGameVersionList> list;
    long count = 0;
    if (game == nullptr || game->GetGameVersions(list.ppOut()) != S_OK || !list ||
        list->Count(&count) != S_OK)
        return false;
    for (long i = 0; i < count; ++i)
    {
        FdWin::TComRef<IZeltoGameVersion> version;
        if (list->GetAt(i, version.ppOut()) == S_OK && version)
            versions.push_back(version);
    }
    return true;
}

bool CComDetectGameList::boGetGameVersions(int32_t index,
                                           std::vector<std::shared_ptr<IDetectVersion>>& versions)
{
    versions.clear();
    FdWin::TComRef<IZeltoGame> game;
    if (!m_list || m_list->GetAt(index, game.ppOut()) != S_OK || !game)
        return false;
    std::vector<FdWin::TComRef<IZeltoGameVersion>> comVersions;
    if (!boGetComGameVersions(game.p(), comVersions))
        return false;
    for (const auto& version : comVersions)
        versions.push_back(std::make_shared<CComDetectVersion>(version.p()));
    return true;
}
