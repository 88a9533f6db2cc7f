#include "DPScan.h"

const char kDPVolumeName[] = "DP";

namespace
{
void vSetVariable(IDetectVolume* volume, const std::string& name, const std::string& value)
{
    if (volume && !name.empty())
        volume->SetAt(name, value);
}

void vScanVersion(const std::vector<SDPApplication>& applications, IDetectVersion& version)
{
    int32_t status = 0;
    if (version.boGetLocalInstalStatus(status) && status == -1)
        return;
    std::string raw;
    CDPLaunchInfo info;
    const SDPApplication* found = nullptr;
    if (version.boGetRawData(raw) && boBuildLaunchInfo(raw, info))
    {
        const std::string guid = FormatGuidText(info.appGuid);
        for (const SDPApplication& application : applications)
            if (FormatGuidText(application.guid) == guid)
            {
                found = &application;
                break;
            }
    }
    if (!found)
    {
        version.SetLocalInstalStatus(-1);
        return;
    }
    version.SetLocalInstalStatus(1);
    // The volume also receives what the detection scripts find afterwards.
    std::shared_ptr<IDetectVolume> volume = version.GetContextDictionnaryVolume(kDPVolumeName);
    if (!volume)
        volume = version.CreateContextDictionnaryVolume(kDPVolumeName);
    vSetVariable(volume.get(), info.varGuid, FormatGuidText(found->guid));
    vSetVariable(volume.get(), info.varPath, found->path);
    vSetVariable(volume.get(), info.varFile, found->file);
}
} // namespace

void vScanDPApplications(const std::vector<SDPApplication>& applications, IDetectGameList& list)
{
    const int32_t games = list.Count();
    for (int32_t game = 0; game < games; ++game)
    {
        std::vector<std::shared_ptr<IDetectVersion>> versions;
        if (!list.boGetGameVersions(game, versions))
            continue;
        for (const auto& version : versions)
            if (version)
                vScanVersion(applications, *version);
    }
}
