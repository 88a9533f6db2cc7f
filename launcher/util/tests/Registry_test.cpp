#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Registry.h"

namespace
{
const char kKey[] = "HKCU\\Software\\FdUtilTest";

// What Wine's own reg.exe reports for a value.
std::string RegQuery(const std::string& key, const std::string& value)
{
    const std::string command = "reg query \"" + key + "\" /v " + value + " 2>&1";
    FILE* pipe = _popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::string();
    std::string out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    _pclose(pipe);
    return out;
}

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FdUtilTest"); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\FdUtilTest"); }
};
} // namespace

TEST_F(RegistryTest, ParsesRootWords)
{
    struct Case
    {
        const char* path;
        HKEY root;
        const char* subkey;
    } cases[] = {
        {"hkcu\\a\\b", HKEY_CURRENT_USER, "a\\b"}, {"HKEY_LOCAL_MACHINE\\x", HKEY_LOCAL_MACHINE, "x"},
        {"HkCr\\", HKEY_CLASSES_ROOT, ""},         {"HKCC\\c", HKEY_CURRENT_CONFIG, "c"},
        {"hkdd\\d", HKEY_DYN_DATA, "d"},           {"HKEY_PERFORMANCE_DATA\\p", HKEY_PERFORMANCE_DATA, "p"},
        {"HKXX\\a", nullptr, "unchanged"},         {"HKCU", nullptr, "unchanged"},
    };
    for (const Case& c : cases)
    {
        std::string subkey = "unchanged";
        EXPECT_EQ(ParseRegistryRoot(c.path, subkey), c.root) << c.path;
        EXPECT_EQ(subkey, c.subkey) << c.path;
    }
}

TEST_F(RegistryTest, WritesAndReadsStrings)
{
    EXPECT_EQ(RegWriteValue(kKey, "name", "val\xE9ur", REG_SZ), 1);
    EXPECT_EQ(RegReadValue("hkcu\\Software\\FdUtilTest", "name", "dflt"), "val\xE9ur");
    DWORD type = REG_NONE;
    DWORD size = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\FdUtilTest", "name", RRF_RT_ANY | RRF_NOEXPAND,
                           &type, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 7u); // the text and its NUL
    const std::string reported = RegQuery(kKey, "name");
    EXPECT_NE(reported.find("REG_SZ"), std::string::npos) << reported;
    EXPECT_NE(reported.find("val"), std::string::npos) << reported;

    EXPECT_EQ(RegReadValue(kKey, "missing", "dflt"), "dflt");
    EXPECT_EQ(RegReadValue("Software\\FdUtilTest", "name", "dflt"), "dflt"); // no root word
    EXPECT_EQ(RegReadValue("HKQQ\\Software\\FdUtilTest", "name", "dflt"), "dflt");
    EXPECT_EQ(RegReadValue("HKCU\\Software\\NoSuchKeyHere", "name", "dflt"), "dflt");
}

TEST_F(RegistryTest, DwordValues)
{
    ASSERT_EQ(system("reg add HKCU\\Software\\FdUtilTest /v num /t REG_DWORD /d 4294967295 /f >nul 2>&1"), 0);
    EXPECT_EQ(RegReadValue(kKey, "num", "dflt"), "-1");

    // The stored type wins over the caller's.
    EXPECT_EQ(RegWriteValue(kKey, "num", "12abc", REG_SZ), 1);
    EXPECT_EQ(RegReadValue(kKey, "num", "dflt"), "12");
    const std::string reported = RegQuery(kKey, "num");
    EXPECT_NE(reported.find("REG_DWORD"), std::string::npos) << reported;
    EXPECT_NE(reported.find("0xc"), std::string::npos) << reported;

    EXPECT_EQ(RegWriteValue(kKey, "newnum", "77", REG_DWORD), 1);
    EXPECT_EQ(RegReadValue(kKey, "newnum", "dflt"), "77");
}

TEST_F(RegistryTest, OtherTypesAreRefused)
{
    EXPECT_EQ(RegWriteValue(kKey, "bin", "abc", REG_BINARY), 0);
    EXPECT_EQ(RegReadValue(kKey, "bin", "dflt"), "dflt");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\FdUtilTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE blob[] = {1, 2, 3};
    RegSetValueExA(key, "blob", 0, REG_BINARY, blob, sizeof blob);
    RegCloseKey(key);
    EXPECT_EQ(RegReadValue(kKey, "blob", "dflt"), "dflt");
    EXPECT_EQ(RegWriteValue(kKey, "blob", "x", REG_SZ), 0); // stored type is binary
    EXPECT_EQ(RegWriteValue("HKQQ\\x", "v", "x", REG_SZ), 0);
}

TEST_F(RegistryTest, StringWithoutTerminatorIsReadSafely)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\FdUtilTest", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const char text[] = {'a', 'b', 'c'};
    ASSERT_EQ(RegSetValueExA(key, "raw", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "empty", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegReadValue(kKey, "raw", "dflt"), "abc");
    EXPECT_EQ(RegReadValue(kKey, "empty", "dflt"), "");
}
