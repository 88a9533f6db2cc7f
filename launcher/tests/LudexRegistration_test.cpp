// Ludex.exe registers every class of its table, its AppID and its type
// library, and its removal leaves none of them.
#include "SampleClient.h"
#include "TestHelper.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
struct SClass
{
    const char* name;
    const char* clsid;
};
const SClass kClasses[] = {
    {"LudexPlugContainer", "{7407C3B1-981D-46E9-B5F7-246B45FC32FD}"},
    {"ZeltoGameList", "{F5470AB8-22E3-4F40-A7BC-9A7A5099639A}"},
    {"ZeltoGame", "{AE6F989C-5BAB-42D7-B94C-ED93CEE7F3AA}"},
    {"ZeltoGameTechData", "{A9685267-914A-473F-AE51-4F6BAC3D3E11}"},
    {"ZeltoGameVersionList", "{F1DE2215-D46B-472E-A118-73026CEB4E39}"},
    {"ZeltoGameVersion", "{AFAA7F50-C74A-43CE-9C11-62B7F7166546}"},
    {"ZeltoGenericEnumerator", "{0451663C-2748-482A-8A77-F531561273A9}"},
    {"ZeltoGameVersionContextData", "{6F4EB3C7-9344-4CE0-8D73-291CFC3E5918}"},
    {"LudexOBPPLauncher", "{E7DCE0A5-863E-4A04-9912-3A893FA1F128}"},
    {"LudexXml", "{6370B796-7EB6-42FB-B75B-0728931AD06A}"},
    {"LudexXmlTag", "{2CDDCF24-45AA-4A42-B123-18E65A9076A8}"},
    {"LudexXmlErr", "{09C73232-B45A-4CF9-B465-86E5C5413227}"},
};
const char kAppId[] = "{B46BB3AD-5373-46D0-A73A-EE26B96A3D90}";
const char kLibId[] = "{0586A0AD-1E09-49DA-800B-D81F0AC5A23B}";
// Served by nobody: never registered.
const char kRemoteControl[] = "CLSID\\{2D201EF3-6C41-48B6-B167-AA37804B23BD}";
// ILudexXml, ILudexXmlTag, ILudexXmlErr, ILudexXmlObserver, for the marshaller.
const char* const kInterfaces[] = {
    "{09FBF546-FE89-402C-9756-60348CEA08AE}", "{D17A074E-D500-4740-B9D4-3053EF220762}",
    "{1FA078CC-A268-4B6E-BE7A-A51416AF3876}", "{F353BD45-7DAF-46A9-AF13-64AB57FF075A}"};

// The text of HKCR\key value name (null: default), or "<none>".
std::string strValue(const std::string& key, const char* name)
{
    char data[1024] = "";
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return "<none>";
    return data;
}

long lLudex(const char* switches)
{
    return lRunAndWait("\"" + strProgramFolder() + "Ludex.exe\" " + switches, 60000);
}

void vExpectRegistered(const char* how)
{
    for (const SClass& c : kClasses)
    {
        const std::string key = std::string("CLSID\\") + c.clsid;
        const std::string server = strValue(key + "\\LocalServer32", nullptr);
        EXPECT_NE(std::string::npos, server.find("Ludex.exe")) << how << " " << c.name << ": " << server;
        EXPECT_EQ(std::string(c.name) + " Class", strValue(key, nullptr)) << how;
        EXPECT_EQ(kAppId, strValue(key, "AppID")) << how << " " << c.name;
        const std::string progId = std::string("Ludex.") + c.name;
        EXPECT_EQ(c.clsid, strValue(progId + ".1\\CLSID", nullptr)) << how << " " << progId;
        EXPECT_EQ(c.clsid, strValue(progId + "\\CLSID", nullptr)) << how << " " << progId;
        EXPECT_EQ(progId + ".1", strValue(progId + "\\CurVer", nullptr)) << how << " " << progId;
    }
    EXPECT_EQ(kLibId, strValue("CLSID\\{E7DCE0A5-863E-4A04-9912-3A893FA1F128}\\TypeLib", nullptr)) << how;
    EXPECT_EQ("Ludex", strValue(std::string("AppID\\") + kAppId, nullptr)) << how;
    EXPECT_EQ(kAppId, strValue("AppID\\Ludex.exe", "AppID")) << how;
    EXPECT_EQ("Ludex 1.0 Type Library", strValue(std::string("TypeLib\\") + kLibId + "\\1.0", nullptr))
        << how;
    for (const char* iid : kInterfaces)
        EXPECT_TRUE(boClassesKeyExists(std::string("Interface\\") + iid)) << how << " " << iid;
    EXPECT_FALSE(boClassesKeyExists(kRemoteControl)) << how;
}

TEST(LudexRegistration, RegisterRemoveAndRegisterAgain)
{
    ASSERT_EQ(0, lLudex("/regserver"));
    FD_HELPER(vExpectRegistered("/regserver"));

    ASSERT_EQ(0, lLudex("-UnregServer"));
    for (const SClass& c : kClasses)
    {
        EXPECT_FALSE(boClassesKeyExists(std::string("CLSID\\") + c.clsid)) << c.name;
        EXPECT_FALSE(boClassesKeyExists(std::string("Ludex.") + c.name + ".1")) << c.name;
        EXPECT_FALSE(boClassesKeyExists(std::string("Ludex.") + c.name)) << c.name;
    }
    EXPECT_FALSE(boClassesKeyExists(std::string("AppID\\") + kAppId));
    EXPECT_FALSE(boClassesKeyExists("AppID\\Ludex.exe"));
    EXPECT_FALSE(boClassesKeyExists(std::string("TypeLib\\") + kLibId));
    for (const char* iid : kInterfaces)
        EXPECT_FALSE(boClassesKeyExists(std::string("Interface\\") + iid)) << iid;

    ASSERT_EQ(0, lLudex("-RegServer"));
    FD_HELPER(vExpectRegistered("-RegServer"));
}
} // namespace
