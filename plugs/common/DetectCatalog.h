// The detection engine's view of the launcher's game catalogue, over the catalogue's
// COM interfaces (IZeltoGameList and its companions). Shared by both launch plugs.
#pragma once

#include <windows.h>

#include "ComRef.h"
#include "LudexLib.h"
#include "XmlDetector.h"

// A context dictionary volume (IZeltoGenericEnumerator).
class CComDetectVolume : public IDetectVolume
{
public:
    explicit CComDetectVolume(IZeltoGenericEnumerator* volume) : m_volume(volume) {}
    void SetAt(const std::string& name, const std::string& value) override;

private:
    FdWin::TComRef<IZeltoGenericEnumerator> m_volume;
};

// One game version: its technology data, context data and volumes.
class CComDetectVersion : public IDetectVersion
{
public:
    explicit CComDetectVersion(IZeltoGameVersion* version) : m_version(version) {}

    bool boGetRawData(std::string& text) override;
    bool boGetPlugData(std::string& text) override;
    void SetPlugData(const std::string& text) override;
    bool boGetLocalInstalStatus(int32_t& status) override;
    void SetLocalInstalStatus(int32_t status) override;
    void RemoveAllContextDictionnaryVolume() override;
    std::shared_ptr<IDetectVolume> CreateContextDictionnaryVolume(const std::string& name) override;
    std::shared_ptr<IDetectVolume> GetContextDictionnaryVolume(const std::string& name) override;
    void SetIconFile(const std::string& path) override;

    IZeltoGameVersion* Version() const { return m_version.p(); }

private:
    // Technology and context data; null when the version cannot give them.
    FdWin::TComRef<IZeltoGameTechData> TechData();
    FdWin::TComRef<IZeltoGameVersionContextData> ContextData();

    FdWin::TComRef<IZeltoGameVersion> m_version;
};

// The game list handed to CheckGameList/UpdateGameList.
class CComDetectGameList : public IDetectGameList
{
public:
    explicit CComDetectGameList(IZeltoGameList* list) : m_list(list) {}
    int32_t Count() override;
    bool boGetGameVersions(int32_t game, std::vector<std::shared_ptr<IDetectVersion>>& versions) override;

private:
    FdWin::TComRef<IZeltoGameList> m_list;
};

// The versions of one game (GetGameVersions, Count, GetAt); false when the list
// cannot be had. Versions that cannot be had are left out.
bool boGetComGameVersions(IZeltoGame* game, std::vector<FdWin::TComRef<IZeltoGameVersion>>& versions);
