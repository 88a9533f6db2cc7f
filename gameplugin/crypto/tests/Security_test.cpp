#include "CryptoCodes.h"
#include "Envelope.h"
#include "ExceptionTableCheck.h"
#include "ExcptSecurity.h"
#include "Fixtures.h"
#include "Security.h"

#include <gtest/gtest.h>

#include "TestHelper.h"
#include "TestFiles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

using namespace FdCrypto;
using namespace FdCryptoTest;

namespace
{

const char kKeyPath[] = "Software\\FdGame";

struct SCaught
{
    uint32_t code = 0;
    std::string function;
    std::string text;
    uint32_t win32 = 0;
};

template <typename F> SCaught Catch(F f)
{
    SCaught caught;
    try
    {
        f();
        ADD_FAILURE() << "no exception";
    }
    catch (const CExcptSecurity& e)
    {
        caught.code = e.dwGetCode();
        caught.function = e.lpszGetFunction();
        caught.text = e.lpszGetText();
        caught.win32 = e.dwGetWin32Error();
    }
    return caught;
}

class SecurityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        vDeleteKey();
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        RegCloseKey(key);
        keyText[0] = ReadText(FixturePath("key0.txt"));
        keyText[1] = ReadText(FixturePath("key1.txt"));
    }
    void TearDown() override { vDeleteKey(); }

    static void vDeleteKey()
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueA(key, "Key0");
            RegDeleteValueA(key, "Key1");
            RegCloseKey(key);
        }
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath);
    }

    static void vWriteValue(const char* name, const std::vector<uint8_t>& bytes)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_SET_VALUE, &key));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_BINARY, bytes.data(), (DWORD)bytes.size()));
        RegCloseKey(key);
    }

    static std::vector<uint8_t> ReadValue(const char* name,
                                          FdTestKit::SWhere where = FdTestKit::SWhere::here())
    {
        FD_TRACE_CALLER(where);
        HKEY key;
        std::vector<uint8_t> bytes(2048, 0xCC);
        DWORD count = (DWORD)bytes.size();
        DWORD type = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key));
        const LONG err = RegQueryValueExA(key, name, nullptr, &type, bytes.data(), &count);
        RegCloseKey(key);
        if (err != ERROR_SUCCESS)
            return {};
        EXPECT_EQ((DWORD)REG_BINARY, type);
        bytes.resize(count);
        return bytes;
    }

    void vSetBothKeys()
    {
        security.vSetKey(CSecurity::kParamsKey, keyText[0].c_str());
        security.vSetKey(CSecurity::kFilesKey, keyText[1].c_str());
    }

    CSecurity security;
    std::string keyText[2];
};

TEST_F(SecurityTest, SetKeyStoresTheDecodedRecord)
{
    vSetBothKeys();
    for (int which = 0; which < 2; ++which)
    {
        CKeyRecord expected;
        ASSERT_TRUE(DecodeKeyText(keyText[which].data(), keyText[which].size(), expected).boOk());
        const std::vector<uint8_t> stored = ReadValue(which == 0 ? "Key0" : "Key1");
        EXPECT_EQ(std::vector<uint8_t>(expected.bytes.begin(), expected.bytes.end()), stored)
            << "Key" << which;
    }
}

// Every fixture, handed over in memory and as a file, with the key it was made for.
TEST_F(SecurityTest, EveryFixtureOpensFromMemoryAndFromItsFile)
{
    vSetBothKeys();
    for (const SFixture& f : LoadManifest())
    {
        SCOPED_TRACE(f.file);
        const std::string path = FixturePath("envelopes/" + f.file);
        const std::vector<uint8_t> data = ReadBytes(path);
        for (bool fromFile : {false, true})
        {
            SCOPED_TRACE(fromFile ? "file" : "memory");
            const char* source = fromFile ? path.c_str() : reinterpret_cast<const char*>(data.data());
            if (f.ok)
            {
                uint32_t size = 0xDEADBEEF;
                std::unique_ptr<char[]> plain;
                ASSERT_NO_THROW(
                    plain = security.lpszDecrypt(source, (uint32_t)data.size(), f.key, &size, fromFile));
                ASSERT_EQ(f.plain.size(), size);
                EXPECT_EQ(0, std::memcmp(f.plain.data(), plain.get(), size));
                EXPECT_EQ('\0', plain[size]);
            }
            else
            {
                const SCaught e = Catch(
                    [&] { security.lpszDecrypt(source, (uint32_t)data.size(), f.key, nullptr, fromFile); });
                EXPECT_EQ(f.code, e.code);
                EXPECT_EQ(FormatLibError(f.lib), e.text);
                EXPECT_EQ("CSecurity::lpszDecrypt", e.function);
            }
        }
    }
}

TEST_F(SecurityTest, ParametersAndFilesUseTheirOwnKey)
{
    vSetBothKeys();
    const std::vector<SFixture> fixtures = LoadManifest();
    const auto fixture = std::find_if(fixtures.begin(), fixtures.end(),
                                      [](const SFixture& f) { return f.file == "B-bin-r0.env"; });
    ASSERT_NE(fixtures.end(), fixture);
    ASSERT_TRUE(fixture->ok);
    ASSERT_EQ(0, fixture->key);
    const std::vector<uint8_t> forKey0 = ReadBytes(FixturePath("envelopes/B-bin-r0.env"));
    uint32_t size = 0xDEADBEEF;
    std::unique_ptr<char[]> plain;
    ASSERT_NO_THROW(
        plain = security.lpszDecrypt((const char*)forKey0.data(), (uint32_t)forKey0.size(), 0, &size, false));
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(std::string(fixture->plain.begin(), fixture->plain.end()), std::string(plain.get(), size));
    const SCaught e = Catch(
        [&]
        { security.lpszDecrypt((const char*)forKey0.data(), (uint32_t)forKey0.size(), 1, nullptr, false); });
    EXPECT_EQ(kSecSessionKey, e.code);
}

TEST_F(SecurityTest, RegistryFailures)
{
    security.vSetKey(CSecurity::kParamsKey, keyText[0].c_str());
    const std::vector<uint8_t> data = ReadBytes(FixturePath("envelopes/B-bin-r5.env")); // key 1

    // No Key1: every file fails.
    SCaught e = Catch(
        [&] { security.lpszDecrypt((const char*)data.data(), (uint32_t)data.size(), 1, nullptr, false); });
    EXPECT_EQ(kSecCantReadValue, e.code);
    EXPECT_EQ("CSecurity::vGetKeyFromRegistry", e.function);
    EXPECT_EQ(0u, e.text.find("clé=Software\\FdGame\\Key1, erreur:2-")) << e.text;
    EXPECT_EQ((uint32_t)ERROR_FILE_NOT_FOUND, e.win32);

    // A value of one byte too few, or too many.
    struct SSize
    {
        size_t size;
        const char* text;
    };
    for (const SSize& s : {SSize{363, "dwCount=363, sizeof=364"}, SSize{365, "dwCount=365, sizeof=364"}})
    {
        FD_HELPER(vWriteValue("Key1", std::vector<uint8_t>(s.size, 0x01)));
        e = Catch([&] { security.vGetKeyFromRegistry(1); });
        EXPECT_EQ(kSecBadValueSize, e.code);
        EXPECT_EQ(s.text, e.text);
    }
    // Longer than what is read at most.
    FD_HELPER(vWriteValue("Key1", std::vector<uint8_t>(1025, 0x01)));
    EXPECT_EQ(kSecCantReadValue, Catch([&] { security.vGetKeyFromRegistry(1); }).code);

    // No "Software\FdGame" at all.
    vDeleteKey();
    e = Catch([&] { security.vSetKey(0, keyText[0].c_str()); });
    EXPECT_EQ(kSecCantOpenKey, e.code);
    EXPECT_EQ(0u, e.text.find("clé=Software\\FdGame, erreur:2-")) << e.text;
    e = Catch([&]
              { security.lpszDecrypt((const char*)data.data(), (uint32_t)data.size(), 0, nullptr, false); });
    EXPECT_EQ(kSecCantOpenKey, e.code);
}

TEST_F(SecurityTest, KeyTextsAndNumbersAreChecked)
{
    vSetBothKeys();
    const std::vector<uint8_t> before = ReadValue("Key0");
    struct SCase
    {
        const char* what;
        long which;
        std::string text;
        uint32_t code;
        const char* message;
    };
    const SCase cases[] = {
        {"363 bytes", 0, keyText[0].substr(0, 484), kSecBadKeyText, "Code d'erreur lib cryptage:1027"},
        {"beyond the record", 0, keyText[0].substr(0, 484) + keyText[0], kSecBadKeyText,
         "Code d'erreur lib cryptage:1027"},
        {"not base64", 0, "cl\xE9 invalide", kSecBadKeyText, "Code d'erreur lib cryptage:1027"},
        {"key 2", 2, keyText[0], kSecBadWhich, "iWhatToDecrypt=2"},
        {"key -1", -1, keyText[0], kSecBadWhich, "iWhatToDecrypt=-1"},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const SCaught e = Catch([&] { security.vSetKey(c.which, c.text.c_str()); });
        EXPECT_EQ(c.code, e.code);
        EXPECT_EQ(c.message, e.text);
        EXPECT_EQ("CSecurity::vSetKey", e.function);
    }
    EXPECT_EQ(before, ReadValue("Key0")) << "a refused key leaves the stored one";
    EXPECT_TRUE(ReadValue("Key2").empty());

    const SCaught e = Catch([&] { security.lpszDecrypt("x", 1, 2, nullptr, false); });
    EXPECT_EQ(kSecBadWhich, e.code);
    EXPECT_EQ("iWhatToDecrypt=2", e.text);
}

TEST_F(SecurityTest, FileFailures)
{
    vSetBothKeys();
    char dir[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(sizeof dir, dir));
    const std::string missing = std::string(dir) + "fd-crypto-missing.env";
    DeleteFileA(missing.c_str());
    SCaught e = Catch([&] { security.lpszDecrypt(missing.c_str(), 0, 1, nullptr, true); });
    EXPECT_EQ(kSecCantOpenFile, e.code);
    EXPECT_EQ(0u, e.text.find("Fichier:" + missing + ", Erreur win32:2-")) << e.text;

    const std::string empty = std::string(dir) + "fd-crypto-empty.env";
    HANDLE h =
        CreateFileA(empty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    e = Catch([&] { security.lpszDecrypt(empty.c_str(), 0, 1, nullptr, true); });
    EXPECT_EQ(kSecEmptyFile, e.code);
    EXPECT_EQ("Fichier:" + empty + ", fichier vide", e.text);
    DeleteFileA(empty.c_str());
}

// Catch sites see the family's base class and print the row of the code.
TEST_F(SecurityTest, ExceptionDescribesItself)
{
    bool caught = false;
    try
    {
        security.lpszDecrypt("x", 1, 5, nullptr, false);
    }
    catch (const FdBase::CExceptionBase& e)
    {
        caught = true;
        EXPECT_STREQ("CExcptSecurity", e.lpszGetClassName());
        ASSERT_NE(nullptr, e.lpGetErrorRow());
        EXPECT_EQ(kSecBadWhich, e.lpGetErrorRow()->dwCode);
    }
    EXPECT_TRUE(caught);
}

TEST(ExcptSecurity, Table)
{
    EXPECT_TRUE(FdTest::ExceptionTableIs<CExcptSecurity>(
        "CExcptSecurity",
        {
            {5151, "CantOpenRegistryKey", "Impossible d'ouvrir la clé de registry des clés de cryptage"},
            {5152, "CantReadKey", "Impossible de lire une clé de cryptage dans la registry"},
            {5153, "BadKeySize", "La clé de cryptage lue dans la registry n'a pas la bonne taille"},
            {5154, "CantDecodeKey", "Impossible de décoder la clé de cryptage"},
            {5155, "CantWriteKey", "Impossible d'écrire une clé de cryptage dans la registry"},
            {5156, "BadKeyNumber", "Numéro de clé de cryptage invalide"},
            {5157, "CantOpenFile", "Impossible d'ouvrir le fichier à décrypter"},
            {5158, "CantReadFile", "Impossible de lire entièrement le fichier à décrypter"},
            {5159, "CantOpenEnvelope", "Impossible de décrypter la clé de session"},
            {5160, "CantDecryptData", "Impossible de décrypter les données"},
            {5161, "BadFinalBlock", "Le dernier bloc des données décryptées est invalide"},
            {5162, "BadLength", "Une longueur des données cryptées est incohérente"},
            {5163, "EmptyFile", "Le fichier à décrypter est vide"},
        }));
}

} // namespace
