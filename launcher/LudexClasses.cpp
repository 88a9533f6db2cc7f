#include "LudexClasses.h"

#include "LudexLib.h"
#include "LudexOBPPLauncher.h"
#include "LudexXmlTree.h"

namespace Ludex
{
namespace
{
// {B46BB3AD-5373-46D0-A73A-EE26B96A3D90}
const GUID kAppId = {0xb46bb3ad, 0x5373, 0x46d0, {0xa7, 0x3a, 0xee, 0x26, 0xb9, 0x6a, 0x3d, 0x90}};

// Classes of the plug container and of the game catalogue: registered with the
// others, created by their own code once it is there.
const CLSID kClsidLudexPlugContainer = {
    0x7407c3b1, 0x981d, 0x46e9, {0xb5, 0xf7, 0x24, 0x6b, 0x45, 0xfc, 0x32, 0xfd}};
const CLSID kClsidZeltoGameList = {
    0xf5470ab8, 0x22e3, 0x4f40, {0xa7, 0xbc, 0x9a, 0x7a, 0x50, 0x99, 0x63, 0x9a}};
const CLSID kClsidZeltoGame = {0xae6f989c, 0x5bab, 0x42d7, {0xb9, 0x4c, 0xed, 0x93, 0xce, 0xe7, 0xf3, 0xaa}};
const CLSID kClsidZeltoGameTechData = {
    0xa9685267, 0x914a, 0x473f, {0xae, 0x51, 0x4f, 0x6b, 0xac, 0x3d, 0x3e, 0x11}};
const CLSID kClsidZeltoGameVersionList = {
    0xf1de2215, 0xd46b, 0x472e, {0xa1, 0x18, 0x73, 0x02, 0x6c, 0xeb, 0x4e, 0x39}};
const CLSID kClsidZeltoGameVersion = {
    0xafaa7f50, 0xc74a, 0x43ce, {0x9c, 0x11, 0x62, 0xb7, 0xf7, 0x16, 0x65, 0x46}};
const CLSID kClsidZeltoGenericEnumerator = {
    0x0451663c, 0x2748, 0x482a, {0x8a, 0x77, 0xf5, 0x31, 0x56, 0x12, 0x73, 0xa9}};
const CLSID kClsidZeltoGameVersionContextData = {
    0x6f4eb3c7, 0x9344, 0x4ce0, {0x8d, 0x73, 0x29, 0x1c, 0xfc, 0x3e, 0x59, 0x18}};

HRESULT hrNotYetServed(REFIID, void** ppv)
{
    if (ppv)
        *ppv = nullptr;
    return E_NOTIMPL;
}

// The launcher's class key names its type library.
const FdCom::SRegValue kLauncherExtra[] = {{"TypeLib", nullptr, "{0586A0AD-1E09-49DA-800B-D81F0AC5A23B}"},
                                           {nullptr, nullptr, nullptr}};

#define LUDEX_CLASS(clsid, create, name, extra)                                                              \
    {                                                                                                        \
        &clsid, create, name " Class", "Ludex." name ".1", "Ludex." name, nullptr, REGCLS_MULTIPLEUSE, extra \
    }

const FdCom::SClassEntry kClasses[] = {
    LUDEX_CLASS(kClsidLudexPlugContainer, hrNotYetServed, "LudexPlugContainer", nullptr),
    LUDEX_CLASS(kClsidZeltoGameList, hrNotYetServed, "ZeltoGameList", nullptr),
    LUDEX_CLASS(kClsidZeltoGame, hrNotYetServed, "ZeltoGame", nullptr),
    LUDEX_CLASS(kClsidZeltoGameTechData, hrNotYetServed, "ZeltoGameTechData", nullptr),
    LUDEX_CLASS(kClsidZeltoGameVersionList, hrNotYetServed, "ZeltoGameVersionList", nullptr),
    LUDEX_CLASS(kClsidZeltoGameVersion, hrNotYetServed, "ZeltoGameVersion", nullptr),
    LUDEX_CLASS(kClsidZeltoGenericEnumerator, hrNotYetServed, "ZeltoGenericEnumerator", nullptr),
    LUDEX_CLASS(kClsidZeltoGameVersionContextData, hrNotYetServed, "ZeltoGameVersionContextData", nullptr),
    LUDEX_CLASS(CLSID_LudexOBPPLauncher, hrCreateLudexOBPPLauncher, "LudexOBPPLauncher", kLauncherExtra),
    LUDEX_CLASS(CLSID_LudexXml, hrCreateLudexXml, "LudexXml", nullptr),
    LUDEX_CLASS(CLSID_LudexXmlTag, hrCreateLudexXmlTag, "LudexXmlTag", nullptr),
    LUDEX_CLASS(CLSID_LudexXmlErr, hrCreateLudexXmlErr, "LudexXmlErr", nullptr),
};
#undef LUDEX_CLASS

const FdCom::SServerInfo kServer = {kClasses, sizeof kClasses / sizeof kClasses[0], &kAppId, "Ludex", true};
} // namespace

const FdCom::SServerInfo& ServerInfo()
{
    return kServer;
}
} // namespace Ludex
