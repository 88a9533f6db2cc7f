// The plug-in's process start: the module's classes, the interfaces for
// marshalling and the suite version. Its own program: it rewrites the
// interfaces' registration, which the other tests' components rely on.
#include "FdComModule.h"
#include "InstTestSupport.h"
#include "InterfaceRegistrar.h"
#include "PlugInst.h"

#include <gtest/gtest.h>

using namespace InstTest;

namespace
{
// {8E0C2C5A-3B1F-4C1B-9A55-6D2E0A7B1C01}
const CLSID CLSID_InitDummy = {0x8e0c2c5a, 0x3b1f, 0x4c1b, {0x9a, 0x55, 0x6d, 0x2e, 0x0a, 0x7b, 0x1c, 0x01}};
const char kszDummyKey[] = "CLSID\\{8E0C2C5A-3B1F-4C1B-9A55-6D2E0A7B1C01}";

HRESULT hrNoCreate(REFIID, void** ppv)
{
    *ppv = nullptr;
    return E_NOTIMPL;
}

const FdCom::SClassEntry g_classes[] = {
    {&CLSID_InitDummy, hrNoCreate, "InitDummy Class", nullptr, nullptr, "Apartment", 0, nullptr}};
const FdCom::SServerInfo g_module = {g_classes, 1, nullptr, nullptr, false};

TEST(InstInit, InitializeRegistersInterfacesAndWritesTheVersion)
{
    vDeleteSuite();
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kszDummyKey) + "\\InprocServer32").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kszDummyKey);

    CPlugInst::vInitializeOnce(&g_module);
    EXPECT_TRUE(boRegKeyExists(HKEY_CLASSES_ROOT, kszDummyKey));
    EXPECT_TRUE(CPlugInst::boCheckOBVersion(kModuleVersion));
    EXPECT_FALSE(CPlugInst::boCheckOBVersion(kModuleVersion + 1));

    const struct
    {
        const char* lpszIid;
        const char* lpszName;
    } interfaces[] = {
        {"{74E53A83-0EDA-11d4-84F9-00500448008D}", "IDiagCmpt2OBPP"},
        {"{74E53A84-0EDA-11d4-84F9-00500448008D}", "IDiagOBPP2Cmpt"},
        {"{C6DE9AF4-A27D-11D3-84A8-00500448008D}", "IGameControl"},
        {"{676C296E-922E-11D3-B475-0000E86886F6}", "IAction"},
        {"{AEA7EEE4-9EBA-11D3-B483-0000E86886F6}", "IGameMessages"},
    };
    for (const auto& i : interfaces)
    {
        SCOPED_TRACE(i.lpszName);
        const std::string strKey = std::string("Interface\\") + i.lpszIid;
        EXPECT_EQ(i.lpszName, strRegText(HKEY_CLASSES_ROOT, strKey, nullptr));
        EXPECT_EQ(CInterfaceRegistrar::kszAutomationMarshaller,
                  strRegText(HKEY_CLASSES_ROOT, strKey + "\\ProxyStubClsid", nullptr));
        EXPECT_EQ(CInterfaceRegistrar::kszAutomationMarshaller,
                  strRegText(HKEY_CLASSES_ROOT, strKey + "\\ProxyStubClsid32", nullptr));
        EXPECT_EQ(CInterfaceRegistrar::kszPlugInTypeLib,
                  strRegText(HKEY_CLASSES_ROOT, strKey + "\\TypeLib", nullptr));
        EXPECT_EQ("1.0", strRegText(HKEY_CLASSES_ROOT, strKey + "\\TypeLib", "Version"));
    }
    EXPECT_NE(std::string::npos,
              strTraceSinceMark().find("vInitialize -> la version courante de l'obpp est 2013"));

    // Only the first call of the process does the work.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kszDummyKey) + "\\InprocServer32").c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kszDummyKey);
    CPlugInst::vInitializeOnce(&g_module);
    EXPECT_FALSE(boRegKeyExists(HKEY_CLASSES_ROOT, kszDummyKey));
    EXPECT_EQ(ERROR_SUCCESS, CInterfaceRegistrar::plugInInterfaces().lRegister());
}
} // namespace

::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new CInstEnvironment);
