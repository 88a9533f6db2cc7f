#include "ParamTranslator.h"

#include "ExcptCheckOB.h"
#include "ParamList.h"
#include "ScrambleForTest.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
// Latin-1 stands in for the locale's code page; other characters become '?'.
std::string strLatin1(const uint16_t* lpChars, size_t ulCount)
{
    std::string s;
    for (size_t i = 0; i < ulCount; ++i)
        s += lpChars[i] < 0x100 ? static_cast<char>(lpChars[i]) : '?';
    return s;
}

// "Decrypts" by taking off a marker, so tests see that decryption ran first.
std::string strFakeDecrypt(const std::string& s)
{
    if (s.compare(0, 4, "ENC:") != 0)
        throw CExcptCheckOB(5160, "fake", "fake", 1, "not encrypted");
    return s.substr(4);
}

CParamList listOf(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    CParamList list(CParamList::kszSeparator);
    for (const auto& p : pairs)
        list.vAdd(p.first, p.second);
    return list;
}

std::string strForward(CParamList& list)
{
    list.vSetSeparator("|");
    std::string s = list.lpszSerialize(false);
    list.vSetSeparator(CParamList::kszSeparator);
    return s;
}

class ParamTranslator : public ::testing::Test
{
protected:
    CParamTranslator m_translator{strFakeDecrypt, strLatin1};
};

TEST_F(ParamTranslator, NumberedPartsJoinInOrderSkippingMissingOnes)
{
    CParamList list = listOf({{"paramsapp3", "C"},
                              {"x", "1"},
                              {"PARAMSAPP", "A"},
                              {"paramsapp1", "B"},
                              {"resources1", "r1"},
                              {"paramsapp50", "not a part"}});
    ASSERT_EQ(CParamTranslator::EResult::Ok, m_translator.eTranslate(list, nullptr));
    EXPECT_EQ("x|1|paramsapp50|not a part|paramsapp|ABC|resources|r1|", strForward(list));
}

TEST_F(ParamTranslator, ProtectedFormsReplaceThePlainPairs)
{
    CParamList list = listOf({{"font", "page"}, {"fontex", "Arial;10;0;1"}, {"nameEx", ""}, {"other", "o"}});
    ASSERT_EQ(CParamTranslator::EResult::Ok, m_translator.eTranslate(list, nullptr));
    // The protected value is appended as the plain name; an empty one gives nothing.
    EXPECT_EQ("font|page|other|o|font|Arial;10;0;1|", strForward(list));
    EXPECT_STREQ("page", list.lpszGetValue("font"));
}

TEST_F(ParamTranslator, CryptedValuesAreDecryptedThenUnscrambled)
{
    const std::string plain = "a\xA3\xA3"
                              "1\xA3\xA3"
                              "CMD\xA3\xA3GO\xA3\xA3";
    CParamList list = listOf({{"crypted", "YES"},
                              {"scrbl", "3"},
                              {"paramsappex", ("ENC:" + ScrambleForTest::strScramble(plain, 3)).c_str()},
                              {"launchappex", ("ENC:" + ScrambleForTest::strScramble("Ludex", 3)).c_str()}});
    ASSERT_EQ(CParamTranslator::EResult::Ok, m_translator.eTranslate(list, nullptr));
    EXPECT_EQ(plain, list.lpszGetValue("paramsapp"));
    EXPECT_STREQ("Ludex", list.lpszGetValue("launchapp"));
    EXPECT_EQ(nullptr, list.lpszGetValue("paramsappex"));
}

TEST_F(ParamTranslator, SplitProtectedValuesJoinBeforeDecryption)
{
    CParamList list = listOf({{"crypted", "yes"}, {"paramsappex1", "ok"}, {"paramsappex", "ENC:all "}});
    ASSERT_EQ(CParamTranslator::EResult::Ok, m_translator.eTranslate(list, nullptr));
    EXPECT_STREQ("all ok", list.lpszGetValue("paramsapp"));
}

TEST_F(ParamTranslator, DecryptionFailureReachesTheCaller)
{
    CParamList list = listOf({{"crypted", "yes"}, {"fontex", "plain"}});
    EXPECT_THROW(m_translator.eTranslate(list, nullptr), FdBase::CExceptionBase);
}

TEST_F(ParamTranslator, BadScrambledValueNamesItsPair)
{
    CParamList list = listOf({{"scrbl", "1"}, {"fontex", "XYZ"}});
    std::string strName;
    EXPECT_EQ(CParamTranslator::EResult::BadScrambled, m_translator.eTranslate(list, &strName));
    EXPECT_EQ("fontex", strName);
}

TEST_F(ParamTranslator, Utf8ConversionEndsWithinTheRoomOnly)
{
    bool boConverted = false;
    EXPECT_EQ("caf\xE9 \x80?", m_translator.strUtf8ToAnsi("caf\xC3\xA9 \xC2\x80\xE2\x82\xAC", &boConverted));
    EXPECT_TRUE(boConverted);

    const std::string fits(6500, 'a');
    EXPECT_EQ(fits, m_translator.strUtf8ToAnsi(fits, &boConverted));
    EXPECT_TRUE(boConverted);
    const std::string tooLong = std::string(6500, 'a') + "\xC3\xA9";
    EXPECT_EQ(tooLong, m_translator.strUtf8ToAnsi(tooLong, &boConverted));
    EXPECT_FALSE(boConverted);
}

TEST_F(ParamTranslator, ProtectedFormsAreReadBeforeTheUtf8Pass)
{
    // "fontEX" is the protected form of "font" too (names ignore case): the
    // protected pass takes it first, so its text arrives unconverted.
    CParamList list = listOf({{"fontEX", "caf\xC3\xA9"}});
    ASSERT_EQ(CParamTranslator::EResult::Ok, m_translator.eTranslate(list, nullptr));
    EXPECT_STREQ("caf\xC3\xA9", list.lpszGetValue("font"));
}
} // namespace
