#include "ParamTranslator.h"

#include "AnsiText.h"
#include "ParamList.h"
#include "Unscramble.h"
#include "Utf8Reader.h"

#include <cstdio>
#include <vector>

const char* const CParamTranslator::kaszPlainNames[kProtectedCount] = {
    "removewithfdgame", "fdgameversion", "fdgameinsturl",  "fdgameautoinst",   "dialogpage",
    "launchapp",        "appid",         "urldata",        "sizedata",         "thispage",
    "errurl",           "errfrm",        "bgcolor",        "textcolor",        "font",
    "hidecancel",       "hidedialog",    "urlcmptinstall", "urlcmptnoinstall", "name",
    "calldiagpage",     "cyclic",        "redirdisp",      "paramsapp",        "resources",
};

namespace
{
constexpr const char* kszCrypted = "crypted";
constexpr const char* kszScramblePasses = "scrbl";
constexpr const char* kszYes = "yes";
constexpr const char* kszUtf8Suffix = "EX";
constexpr size_t kPartNameRoom = 64;

// Names that may arrive split, in the order they are joined, each once.
std::vector<std::string> vecSplitNames()
{
    std::vector<std::string> names = {"paramsapp", "resources", "paramsappex", "resourcesex"};
    for (const char* lpszPlain : CParamTranslator::kaszPlainNames)
    {
        const std::string strProtected = std::string(lpszPlain) + CParamTranslator::kszProtectedSuffix;
        bool boSeen = false;
        for (const auto& n : names)
            boSeen = boSeen || boAnsiEqualNoCase(n.c_str(), strProtected.c_str());
        if (!boSeen)
            names.push_back(strProtected);
    }
    return names;
}

// Takes the value of the first pair of that name out of the list; false when absent.
bool boTake(CParamList& list, const char* lpszName, std::string* lpstrValue)
{
    const char* lpszValue = list.lpszGetValue(lpszName);
    const bool boFound = lpszValue != nullptr || list.boSetHidden(lpszName, 0);
    if (!boFound)
        return false;
    *lpstrValue = lpszValue ? lpszValue : "";
    list.boRemove(lpszName);
    return true;
}
} // namespace

CParamTranslator::CParamTranslator(DecryptFn fnDecrypt, WideToAnsiFn fnWideToAnsi)
    : m_fnDecrypt(std::move(fnDecrypt)), m_fnWideToAnsi(std::move(fnWideToAnsi))
{
}

void CParamTranslator::vJoinSplitParameters(CParamList& list)
{
    for (const std::string& strName : vecSplitNames())
    {
        std::string strJoined;
        bool boAny = false;
        std::string strPart;
        if (boTake(list, strName.c_str(), &strPart))
        {
            boAny = true;
            strJoined += strPart;
        }
        for (int i = 1; i <= kSplitPartsMax; ++i)
        {
            char szPart[kPartNameRoom];
            std::snprintf(szPart, sizeof szPart, "%s%d", strName.c_str(), i);
            if (boTake(list, szPart, &strPart))
            {
                boAny = true;
                strJoined += strPart;
            }
        }
        if (boAny && !strJoined.empty())
            list.vAdd(strName.c_str(), strJoined.c_str());
    }
}

std::string CParamTranslator::strUtf8ToAnsi(const std::string& strValue, bool* lpboConverted) const
{
    *lpboConverted = false;
    // Two bytes beyond the room stay zero: the wide text always ends with a NUL.
    std::vector<uint8_t> wide(kWideRoomBytes + 2, 0);
    uint32_t dwOutBytes = kWideRoomBytes;
    if (!boUtf8ToWide(wide.data(), strValue.c_str(), &dwOutBytes, nullptr, false))
        return strValue;
    std::vector<uint16_t> chars;
    for (uint32_t i = 0; i + 1 < dwOutBytes + 2; i += 2)
    {
        const uint16_t c = static_cast<uint16_t>(wide[i] | wide[i + 1] << 8);
        if (c == 0)
            break;
        chars.push_back(c);
    }
    std::string strAnsi = m_fnWideToAnsi ? m_fnWideToAnsi(chars.data(), chars.size()) : std::string();
    // At most as many bytes as the conversion produced.
    if (strAnsi.size() > dwOutBytes)
        strAnsi.resize(dwOutBytes);
    *lpboConverted = true;
    return strAnsi;
}

CParamTranslator::EResult CParamTranslator::eTranslate(CParamList& list, std::string* lpstrName) const
{
    const bool boCrypted = boAnsiEqualNoCase(list.lpszGetValue(kszCrypted), kszYes);
    const int32_t lPasses = lParseDecimal(list.lpszGetValue(kszScramblePasses));

    vJoinSplitParameters(list);

    for (const char* lpszPlain : kaszPlainNames)
    {
        const std::string strProtected = std::string(lpszPlain) + kszProtectedSuffix;
        const char* lpszValue = list.lpszGetValue(strProtected.c_str());
        if (!lpszValue && !list.boSetHidden(strProtected.c_str(), 0))
            continue;
        std::string strValue = lpszValue ? lpszValue : "";
        if (boCrypted && m_fnDecrypt)
            strValue = m_fnDecrypt(strValue);
        if (lPasses > 0 && !Scramble::boUnscramble(strValue, lPasses))
        {
            if (lpstrName)
                *lpstrName = strProtected;
            return EResult::BadScrambled;
        }
        list.boRemove(strProtected.c_str());
        // Parameters are texts: a decoded NUL ends the value.
        const std::string strPlain(strValue.c_str());
        if (!strPlain.empty())
            list.vAdd(lpszPlain, strPlain.c_str());
    }

    for (const char* lpszPlain : kaszPlainNames)
    {
        const std::string strUtf8Name = std::string(lpszPlain) + kszUtf8Suffix;
        const char* lpszValue = list.lpszGetValue(strUtf8Name.c_str());
        if (!lpszValue || !*lpszValue)
            continue;
        bool boConverted = false;
        const std::string strResult = strUtf8ToAnsi(lpszValue, &boConverted);
        const std::string strPlain(strResult.c_str());
        if (strPlain.empty())
            continue;
        list.boRemove(lpszPlain);
        list.boRemove(strUtf8Name.c_str());
        list.vAdd(lpszPlain, strPlain.c_str());
    }
    return EResult::Ok;
}
