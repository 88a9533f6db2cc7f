#include "CatalogView.h"

#include "FdBstr.h"

namespace
{
std::string Take(BSTR bstr)
{
    std::string text = FdCom::strFromBstr(bstr);
    SysFreeString(bstr);
    return text;
}

class CVolumeView final : public IDetectVolume
{
public:
    explicit CVolumeView(IZeltoGenericEnumerator* volume) : m_volume(volume) {}
    ~CVolumeView() override { m_volume->Release(); }
    void SetAt(const std::string& name, const std::string& value) override
    {
        m_volume->SetAt(FdCom::CBstr(name).bstr(), FdCom::CBstr(value).bstr());
    }

private:
    IZeltoGenericEnumerator* m_volume; // owned reference
};

std::shared_ptr<IDetectVolume> VolumeOf(IZeltoGenericEnumerator* volume)
{
    return volume ? std::make_shared<CVolumeView>(volume) : nullptr;
}

class CVersionView final : public IDetectVersion
{
public:
    explicit CVersionView(IZeltoGameVersion* version) : m_version(version) { m_version->AddRef(); }
    ~CVersionView() override { m_version->Release(); }

    bool boGetRawData(std::string& text) override { return boTechText(text, false); }
    bool boGetPlugData(std::string& text) override { return boTechText(text, true); }
    void SetPlugData(const std::string& text) override
    {
        IZeltoGameTechData* tech = nullptr;
        if (SUCCEEDED(m_version->GetGameVersionTechData(&tech)) && tech)
        {
            tech->SetPlugData(FdCom::CBstr(text).bstr());
            tech->Release();
        }
    }
    bool boGetLocalInstalStatus(int32_t& status) override
    {
        IZeltoGameVersionContextData* context = nullptr;
        if (FAILED(m_version->GetGameVersionContextData(&context)) || !context)
            return false;
        long value = 0;
        const HRESULT hr = context->GetLocalInstalStatus(&value);
        context->Release();
        status = static_cast<int32_t>(value);
        return SUCCEEDED(hr);
    }
    void SetLocalInstalStatus(int32_t status) override
    {
        IZeltoGameVersionContextData* context = nullptr;
        if (SUCCEEDED(m_version->GetGameVersionContextData(&context)) && context)
        {
            context->SetLocalInstalStatus(status);
            context->Release();
        }
    }
    void RemoveAllContextDictionnaryVolume() override
    {
        m_version->RemoveAllContextDictionnaryVolume(nullptr);
    }
    std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string& name) override
    {
        IZeltoGenericEnumerator* volume = nullptr;
        m_version->CreateContextDictionnaryVolume(FdCom::CBstr(name).bstr(), &volume);
        return VolumeOf(volume);
    }
    std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string& name) override
    {
        IZeltoGenericEnumerator* volume = nullptr;
        m_version->GetContextDictionnaryVolume(FdCom::CBstr(name).bstr(), &volume);
        return VolumeOf(volume);
    }
    void SetIconFile(const std::string& path) override { m_version->SetIconFile(FdCom::CBstr(path).bstr()); }

private:
    bool boTechText(std::string& text, bool plug)
    {
        IZeltoGameTechData* tech = nullptr;
        if (FAILED(m_version->GetGameVersionTechData(&tech)) || !tech)
            return false;
        BSTR value = nullptr;
        const HRESULT hr = plug ? tech->GetPlugData(&value) : tech->GetRawData(&value);
        tech->Release();
        text = Take(value);
        return SUCCEEDED(hr);
    }

    IZeltoGameVersion* m_version;
};

class CListView final : public IDetectGameList
{
public:
    explicit CListView(IZeltoGameList* list) : m_list(list) { m_list->AddRef(); }
    ~CListView() override { m_list->Release(); }

    int32_t Count() override
    {
        long count = 0;
        return SUCCEEDED(m_list->Count(&count)) ? static_cast<int32_t>(count) : 0;
    }
    bool boGetGameVersions(int32_t index, std::vector<std::shared_ptr<IDetectVersion>>& versions) override
    {
        versions.clear();
        IZeltoGame* game = nullptr;
        if (FAILED(m_list->GetAt(index, &game)) || !game)
            return false;
        IZeltoGameVersionList* list = nullptr;
        const HRESULT hr = game->GetGameVersions(&list);
        game->Release();
        if (FAILED(hr) || !list)
            return false;
        long count = 0;
        list->Count(&count);
        for (long i = 0; i < count; ++i)
        {
            IZeltoGameVersion* version = nullptr;
            if (SUCCEEDED(list->GetAt(i, &version)) && version)
            {
                versions.push_back(lpViewGameVersion(version));
                version->Release();
            }
        }
        list->Release();
        return true;
    }

private:
    IZeltoGameList* m_list;
};
} // namespace

std::unique_ptr<IDetectGameList> lpViewGameList(IZeltoGameList* list)
{
    return list ? std::make_unique<CListView>(list) : nullptr;
}

std::shared_ptr<IDetectVersion> lpViewGameVersion(IZeltoGameVersion* version)
{
    return version ? std::make_shared<CVersionView>(version) : nullptr;
}
