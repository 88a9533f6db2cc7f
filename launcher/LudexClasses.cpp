#include "LudexClasses.h"

#include "LudexLib.h"
#include "LudexOBPPLauncher.h"
#include "LudexPlugs.h"
#include "LudexXmlTree.h"
#include "ZeltoCatalogCom.h"

namespace Ludex
{
namespace
{
// {B46BB3AD-5373-46D0-A73A-EE26B96A3D90}
const GUID kAppId = {0xb46bb3ad, 0x5373, 0x46d0, {0xa7, 0x3a, 0xee, 0x26, 0xb9, 0x6a, 0x3d, 0x90}};

// The launcher's class key names its type library.
const FdCom::SRegValue kLauncherExtra[] = {{"TypeLib", nullptr, "{0586A0AD-1E09-49DA-800B-D81F0AC5A23B}"},
                                           {nullptr, nullptr, nullptr}};

#define LUDEX_CLASS(clsid, create, name, extra)                                                              \
    {                                                                                                        \
        &clsid, create, name " Class", "Ludex." name ".1", "Ludex." name, nullptr, REGCLS_MULTIPLEUSE, extra \
    }

const FdCom::SClassEntry kClasses[] = {
    LUDEX_CLASS(CLSID_LudexPlugContainer, hrCreateLudexPlugContainer, "LudexPlugContainer", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGameList, hrCreateZeltoGameList, "ZeltoGameList", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGame, hrCreateZeltoGame, "ZeltoGame", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGameTechData, hrCreateZeltoGameTechData, "ZeltoGameTechData", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGameVersionList, hrCreateZeltoGameVersionList, "ZeltoGameVersionList", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGameVersion, hrCreateZeltoGameVersion, "ZeltoGameVersion", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGenericEnumerator, hrCreateZeltoGenericEnumerator, "ZeltoGenericEnumerator", nullptr),
    LUDEX_CLASS(CLSID_ZeltoGameVersionContextData, hrCreateZeltoGameVersionContextData, "ZeltoGameVersionContextData", nullptr),
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
